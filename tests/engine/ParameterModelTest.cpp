// The parameter table, the two-way value mapping, the setters (clamping, flags, reports to the
// automation object) and the capture relay of the editor's gestures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/ParameterNames.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

using Log = std::vector<std::string>;

TEST(ParameterTable, RecordsCarryLabelsTypesAndNeutralValues) {
    const float neutral[kParamCount] = {
        0.8574822f, 0.01878564f, 0.1620370f,  0.0f,       0.4949495f, 1.0f,
        0.2857143f, 0.2405063f,  0.07035176f, 0.1620370f, 0.8574822f, 0.7743468f,
        0.5724466f, 0.5f,        0.0f,        0.0f,       0.0f,       0.0f};
    for (int i = 0; i < kParamCount; ++i) {
        SCOPED_TRACE(kParameters[i].label);
        const MP_PARAMINFO& info = kParamRecords[i].info;
        EXPECT_FLOAT_EQ(neutral[i], info.mpdNeutralValue);
        EXPECT_EQ(i < 14 ? MPT_FLOAT : MPT_BOOL, info.mpType);
        EXPECT_EQ(MP_CAPS_CURVE_JUMP, info.mopCaps);
        EXPECT_EQ(0.0f, info.mpdMinValue);
        EXPECT_EQ(1.0f, info.mpdMaxValue);
        EXPECT_EQ(0, info.szUnitText[0]);
        size_t n = std::strlen(kParameters[i].label);
        for (size_t k = 0; k <= n; ++k) {
            EXPECT_EQ(static_cast<WCHAR>(kParameters[i].label[k]), info.szLabel[k]);
        }
        EXPECT_EQ(kParameters[i].defaultValue, kDefaultSetup.words[kParameters[i].word]);
    }
    EXPECT_EQ(148u, sizeof(MP_PARAMINFO));
}

TEST(ParameterTable, MappingBothWaysAtTheEdges) {
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        EXPECT_EQ(def.minimum, NormalisedToPhysical(i, 0.0f));
        EXPECT_EQ(def.maximum, NormalisedToPhysical(i, 1.0f));
        EXPECT_EQ(0.0f, PhysicalToNormalised(i, def.minimum));
        EXPECT_EQ(1.0f, PhysicalToNormalised(i, def.maximum));
        for (int v = def.minimum; v <= def.maximum; v += 1 + def.Span() / 50) {
            EXPECT_EQ(v, NormalisedToPhysical(i, PhysicalToNormalised(i, v))) << def.label;
        }
    }
    EXPECT_EQ(1, NormalisedToPhysical(Param::kDryMute, 0.5f));
    EXPECT_EQ(0, NormalisedToPhysical(Param::kDryMute, 0.4999f));
    EXPECT_EQ(-361, NormalisedToPhysical(Param::kInput, 0.0001f));
}

TEST(Setters, ClampToThePhysicalRange) {
    EngineHarness engine;
    int value = 0;
    engine->SetDecay(500, FALSE);
    engine->GetDecay(&value);
    EXPECT_EQ(200, value);
    engine->SetLowCut(0, FALSE);
    engine->GetLowCut(&value);
    EXPECT_EQ(19, value);
    engine->SetInput(-1000, FALSE);
    engine->GetInput(&value);
    EXPECT_EQ(-361, value);
    engine->SetERMute(7, FALSE);
    engine->GetERMute(&value);
    EXPECT_EQ(1, value);
    engine->SetTail(-4, FALSE);
    engine->GetTail(&value);
    EXPECT_EQ(0, value);
}

TEST(Setters, EachWritesItsOwnWord) {
    EngineHarness engine;
    for (int i = 0; i < kParamCount; ++i) {
        SetupBlock before, after;
        engine->GetAllParams(&before);
        const int target = kParameters[i].maximum;
        engine->SetParameter(i, target, FALSE);
        engine->GetAllParams(&after);
        for (int w = 0; w < kSetupWordCount; ++w) {
            EXPECT_EQ(w == kParameters[i].word ? target : before.words[w], after.words[w])
                << kParameters[i].label << " word " << w;
        }
    }
}

TEST(Setters, FlagsRiseOnlyWhenAWordChanges) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    SetupBlock snapshot;
    engine->SyncFromAutomation(&snapshot);
    engine->ClearDirtyFlag();
    automation->TakeLog();

    engine->SetDecay(15, FALSE);  // the value it already has
    EXPECT_EQ(Log{"SetParam 8 0.0703518"}, automation->TakeLog());
    EXPECT_EQ(0, engine->SyncFromAutomation(&snapshot));
    EXPECT_FALSE(engine->IsDirtyFlag());

    engine->SetDecay(16, FALSE);
    EXPECT_EQ(1, engine->SyncFromAutomation(&snapshot));
    EXPECT_EQ(16, snapshot.words[SetupWord::kDecay]);
    EXPECT_TRUE(engine->IsDirtyFlag());
    EXPECT_EQ(0, engine->SyncFromAutomation(&snapshot));
}

TEST(Setters, NotifyOpensOneCaptureAndReportsEveryValue) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    automation->TakeLog();

    engine->SetDecay(20, TRUE);
    engine->SetDecay(21, TRUE);
    EXPECT_EQ((Log{"SetParam 8 0.0954774", "Begin 8", "Changed 8 0.0954774", "SetParam 8 0.100503",
                   "Changed 8 0.100503"}),
              automation->TakeLog());

    // Another parameter ends the open capture first.
    engine->SetPredelay(10, TRUE);
    EXPECT_EQ((Log{"SetParam 3 0.04", "End 8", "Begin 3", "Changed 3 0.04"}),
              automation->TakeLog());

    engine->EndCapture();
    EXPECT_EQ(Log{"End 3"}, automation->TakeLog());
    engine->EndCapture();
    EXPECT_TRUE(automation->TakeLog().empty());
}

TEST(Setters, MultiCaptureKeepsSeveralOpenUntilReleased) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    automation->TakeLog();
    engine->SetCaptureMode(FALSE, TRUE);
    engine->SetHighCut(50, TRUE);
    engine->SetHighDamping(60, TRUE);
    engine->SetHighCut(51, TRUE);
    Log log = automation->TakeLog();
    EXPECT_EQ((Log{"SetParam 2 0.208333", "Begin 2", "Changed 2 0.208333", "SetParam 9 0.25463",
                   "Begin 9", "Changed 9 0.25463", "SetParam 2 0.212963", "Changed 2 0.212963"}),
              log);

    // While multi-capture is on, EndCapture leaves the captures open.
    engine->EndCapture();
    EXPECT_TRUE(automation->TakeLog().empty());
    engine->SetCaptureMode(FALSE, FALSE);
    engine->EndCapture();
    EXPECT_EQ((Log{"End 2", "End 9"}), automation->TakeLog());

    // A full list of eight takes no ninth capture, but the value still reaches the host.
    engine->SetCaptureMode(FALSE, TRUE);
    for (int i = 0; i < 9; ++i) engine->SetParameter(i, kParameters[i].minimum + 1, TRUE);
    log = automation->TakeLog();
    EXPECT_EQ(0, std::count(log.begin(), log.end(), "Begin 8"));
    EXPECT_EQ(1, std::count(log.begin(), log.end(), "Begin 7"));
}

TEST(Setters, HoldKeepsTheCaptureOpenAcrossEndCapture) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    engine->SetCaptureMode(TRUE, FALSE);
    engine->SetDry(-10, TRUE);
    automation->TakeLog();
    engine->EndCapture();
    EXPECT_TRUE(automation->TakeLog().empty());
    engine->SetCaptureMode(FALSE, FALSE);
    engine->EndCapture();
    EXPECT_EQ(Log{"End 10"}, automation->TakeLog());
}

TEST(SyncFromAutomation, TakesAutomatedValuesButNotWidthInMono) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    SetupBlock snapshot;
    engine->SyncFromAutomation(&snapshot);
    engine->SetParamsChanged(FALSE);
    engine->ClearDirtyFlag();

    automation->HostSetsValue(Param::kRoomSize, 1.0f);
    automation->HostSetsValue(Param::kWidth, 0.75f);
    EXPECT_EQ(1, engine->SyncFromAutomation(&snapshot));
    EXPECT_EQ(100, snapshot.words[SetupWord::kRoomSize]);
    EXPECT_EQ(150, snapshot.words[SetupWord::kWidth]);
    EXPECT_FALSE(engine->IsDirtyFlag());  // automation does not make a project dirty
    EXPECT_EQ(S_OK, engine->QueryParamsChanged());

    engine->SetStereo(0, FALSE);
    engine->SyncFromAutomation(&snapshot);
    EXPECT_EQ(0, snapshot.words[SetupWord::kWidth]);
    automation->HostSetsValue(Param::kWidth, 1.0f);
    EXPECT_EQ(0, engine->SyncFromAutomation(&snapshot));
    EXPECT_EQ(0, snapshot.words[SetupWord::kWidth]);

    // SetWidth itself is taken in any case.
    engine->SetWidth(120, FALSE);
    int width = 0;
    engine->GetWidth(&width);
    EXPECT_EQ(120, width);
}

TEST(SyncFromAutomation, SetAllParamsReportsInItsOwnOrder) {
    EngineHarness engine(44100, 2, &FakeAutomation::Create);
    FakeAutomation* automation = FakeAutomation::Last();
    automation->TakeLog();
    engine->SetAllParams(&kDefaultSetup);
    std::vector<int> order;
    for (const std::string& line : automation->TakeLog()) {
        if (line.rfind("SetParam ", 0) == 0) order.push_back(std::stoi(line.substr(9)));
    }
    EXPECT_EQ((std::vector<int>{0, 1, 3, 2, 4, 5, 6, 7, 8, 12, 14, 15, 17, 9, 11, 16, 10, 13}),
              order);
}

}  // namespace

namespace {

TEST(ParameterNames, IgnoreCaseAndSpacingButNotLetters) {
    EXPECT_EQ(Param::kHighCut, FindParameter("high cut"));
    EXPECT_EQ(Param::kHighCut, FindParameter("  HIGH \t CUT "));
    EXPECT_EQ(Param::kER, FindParameter("e.r."));
    EXPECT_EQ(Param::kERMute, FindParameter("E.R. Mute"));
    EXPECT_EQ(Param::kDecay, FindParameter("Decay"));
    EXPECT_EQ(-1, FindParameter("highcut"));
    EXPECT_EQ(-1, FindParameter("er"));
    EXPECT_EQ(-1, FindParameter("Decay Time"));
    EXPECT_EQ(-1, FindParameter(""));
    EXPECT_TRUE(SameParameterName("Tail", " tail"));
    EXPECT_FALSE(SameParameterName("Tail", "Tails"));
}

}  // namespace
