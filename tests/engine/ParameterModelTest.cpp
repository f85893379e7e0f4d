// The parameter model: setters, names, automated values and the capture relay of the editor's
// gestures. What the coefficients make of them shows in the renders' digests.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/ParameterAccess.h"
#include "engine/ParameterNames.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

using Log = std::vector<std::string>;

TEST(ParameterModel, SettersClampAndWriteTheirOwnWordOnlyAndNamesAreFound) {
    EngineHarness engine;
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        EXPECT_EQ(i, FindParameter(def.label));
        for (int value : {def.minimum - 1000, def.maximum + 7}) {
            std::vector<int> expected = engine.Words();
            expected[def.word] = std::clamp(value, def.minimum, def.maximum);
            EXPECT_EQ(S_OK, SetParameterValue(engine.Get(), i, value, FALSE));
            ASSERT_EQ(expected, engine.Words()) << def.label << " " << value;
            EXPECT_EQ(expected[def.word], GetParameterValue(engine.Get(), i));
        }
    }
    for (auto [value, tail] : {std::pair{-4, 0}, {9, 1}}) {
        engine->SetTail(value, FALSE);
        EXPECT_EQ(tail, engine.Words()[SetupWord::kTail]);
    }
    // Names are found whatever their letter case and spacing.
    EXPECT_EQ((std::vector<int>{2, 11, -1, -1, -1}),
              (std::vector<int>{FindParameter("  HIGH \t CUT "), FindParameter("e.r."),
                                FindParameter("highcut"), FindParameter("Decay Time"),
                                FindParameter("tail ")}));
}

// An engine with a FakeAutomation whose log starts empty.
struct Automated {
    Automated() { automation->TakeLog(); }
    EngineHarness engine{44100, 2, &FakeAutomation::Create};
    CStandaloneReverb& e = *engine;
    FakeAutomation* automation = FakeAutomation::Last();
};

TEST(ParameterModel, AutomatedValuesAreTakenButNotWidthInMonoAndLeaveTheProjectClean) {
    Automated a;
    SetupBlock snapshot;
    a.e.SyncFromAutomation(&snapshot);
    a.e.ClearDirtyFlag();
    a.e.SetParamsChanged(FALSE);
    a.automation->HostSetsValue(Param::kRoomSize, 1.0f);
    a.automation->HostSetsValue(Param::kWidth, 0.75f);
    EXPECT_EQ(1, a.e.SyncFromAutomation(&snapshot));
    EXPECT_EQ(0, a.e.SyncFromAutomation(&snapshot));
    EXPECT_EQ(std::pair(100, 150),
              std::pair(snapshot.words[SetupWord::kRoomSize], snapshot.words[SetupWord::kWidth]));
    EXPECT_FALSE(a.e.IsDirtyFlag());
    EXPECT_EQ(S_OK, a.e.QueryParamsChanged());  // the editor's refresh flag
    a.e.SetStereo(0, FALSE);
    a.e.SyncFromAutomation(&snapshot);
    a.automation->HostSetsValue(Param::kWidth, 1.0f);
    EXPECT_EQ(std::pair(0, 0),
              std::pair(a.e.SyncFromAutomation(&snapshot), snapshot.words[SetupWord::kWidth]));
}

TEST(ParameterModel, GesturesOpenOneCaptureAtATimeUnlessHeldOrMulti) {
    Automated a;
    a.e.SetDecay(20, TRUE);
    a.e.SetDecay(21, TRUE);
    a.e.SetPredelay(10, TRUE);  // another parameter ends the open capture first
    a.e.SetDry(-10, FALSE);     // no notice: the host hears of the value only
    a.e.EndCapture();
    a.e.EndCapture();
    EXPECT_EQ((Log{"SetParam 8 0.0954774", "Begin 8", "Changed 8 0.0954774", "SetParam 8 0.100503",
                   "Changed 8 0.100503", "SetParam 3 0.04", "End 8", "Begin 3", "Changed 3 0.04",
                   "SetParam 10 0.833729", "End 3"}),
              a.automation->TakeLog());
    // Held, EndCapture leaves the capture open; multi, several stay open until released.
    a.e.SetCaptureMode(TRUE, FALSE);
    a.e.SetDry(-20, TRUE);
    a.e.EndCapture();
    a.e.SetCaptureMode(FALSE, TRUE);
    a.e.SetHighCut(50, TRUE);
    a.e.SetHighCut(51, TRUE);
    a.e.EndCapture();
    a.e.SetCaptureMode(FALSE, FALSE);
    a.e.EndCapture();
    EXPECT_EQ((Log{"SetParam 10 0.809976", "Begin 10", "Changed 10 0.809976", "SetParam 2 0.208333",
                   "Begin 2", "Changed 2 0.208333", "SetParam 2 0.212963", "Changed 2 0.212963",
                   "End 10", "End 2"}),
              a.automation->TakeLog());
    // A full list of eight takes no ninth capture, but the value still reaches the host.
    a.e.SetCaptureMode(FALSE, TRUE);
    for (int i = 0; i < 9; ++i) a.e.SetParameter(i, kParameters[i].minimum + 1, TRUE);
    const Log log = a.automation->TakeLog();
    EXPECT_EQ(8, std::count_if(log.begin(), log.end(), [](auto& l) { return l[0] == 'B'; }));
    EXPECT_EQ(9, std::count_if(log.begin(), log.end(), [](auto& l) { return l[0] == 'C'; }));
}

TEST(ParameterModel, SetAllParamsReportsInItsOwnOrderAndEndsTheCapture) {
    Automated a;
    a.e.SetAllParams(&kDefaultSetup);
    std::vector<int> order;
    const Log log = a.automation->TakeLog();
    for (const std::string& line : log) {
        if (line.rfind("SetParam ", 0) == 0) order.push_back(std::stoi(line.substr(9)));
    }
    EXPECT_EQ((std::vector<int>{0, 1, 3, 2, 4, 5, 6, 7, 8, 12, 14, 15, 17, 9, 11, 16, 10, 13}),
              order);
    EXPECT_EQ("End 13", log.back());
}

}  // namespace
