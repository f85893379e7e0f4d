// The parameter model and what is derived from it: the parameter table, its two-way mapping and
// names, the setters (clamping, words, flags, reports to the automation object), the capture
// relay of the editor's gestures, the portable maths and the coefficients.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "engine/ParameterAccess.h"
#include "engine/ParameterNames.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

using Log = std::vector<std::string>;

TEST(ParameterModel, RecordsMappingAndNames) {
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        const MP_PARAMINFO& info = kParamRecords[i].info;
        const std::size_t n = std::strlen(def.label) + 1;
        EXPECT_EQ(std::basic_string<WCHAR>(def.label, def.label + n),
                  std::basic_string<WCHAR>(info.szLabel, info.szLabel + n));
        EXPECT_EQ(i < Param::kInputMute ? MPT_FLOAT : MPT_BOOL, info.mpType) << def.label;
        EXPECT_EQ(MP_CAPS_CURVE_JUMP, info.mopCaps);
        EXPECT_EQ(std::pair(0.0f, 1.0f), std::pair(info.mpdMinValue, info.mpdMaxValue));
        EXPECT_EQ(PhysicalToNormalised(i, def.defaultValue), info.mpdNeutralValue);
        EXPECT_EQ(def.defaultValue, kDefaultSetup.words[def.word]);
        EXPECT_EQ(std::pair(def.minimum, def.maximum),
                  std::pair(NormalisedToPhysical(i, 0.0f), NormalisedToPhysical(i, 1.0f)));
        for (int v = def.minimum; v <= def.maximum; v += 1 + def.Span() / 50) {
            ASSERT_EQ(v, NormalisedToPhysical(i, PhysicalToNormalised(i, v))) << def.label;
        }
        EXPECT_EQ(i, FindParameter(def.label));
    }
    EXPECT_EQ((std::vector<int>{1, 0, -361}),
              (std::vector<int>{NormalisedToPhysical(Param::kDryMute, 0.5f),
                                NormalisedToPhysical(Param::kDryMute, 0.4999f),
                                NormalisedToPhysical(Param::kInput, 0.0001f)}));
    EXPECT_EQ((std::vector<int>{2, 11, -1, -1, -1}),
              (std::vector<int>{FindParameter("  HIGH \t CUT "), FindParameter("e.r."),
                                FindParameter("highcut"), FindParameter("Decay Time"),
                                FindParameter("tail ")}));
}

TEST(ParameterModel, SettersClampAndWriteTheirOwnWordOnly) {
    EngineHarness engine;
    for (int i = 0; i < kParamCount; ++i) {
        const ParameterDef& def = kParameters[i];
        for (int value : {def.minimum - 1000, def.maximum + 7}) {
            std::vector<int> expected = engine.Words();
            expected[def.word] = std::clamp(value, def.minimum, def.maximum);
            EXPECT_EQ(S_OK, (engine.Get()->*kParameterAccess[i].set)(value, FALSE));
            ASSERT_EQ(expected, engine.Words()) << def.label << " " << value;
            EXPECT_EQ(expected[def.word], GetParameterValue(engine.Get(), i));
        }
    }
    for (auto [value, tail] : {std::pair{-4, 0}, {9, 1}}) {
        engine->SetTail(value, FALSE);
        EXPECT_EQ(tail, engine.Words()[SetupWord::kTail]);
    }
}

// An engine with a FakeAutomation whose log starts empty.
struct Automated {
    Automated() { automation->TakeLog(); }
    EngineHarness engine{44100, 2, &FakeAutomation::Create};
    FakeAutomation* automation = FakeAutomation::Last();
};

TEST(ParameterModel, FlagsRiseOnlyWhenAWordChangesAndAutomationDoesNotDirty) {
    Automated a;
    CStandaloneReverb& engine = *a.engine;
    SetupBlock snapshot;
    engine.SyncFromAutomation(&snapshot);
    engine.ClearDirtyFlag();
    engine.SetDecay(15, FALSE);  // the value it already has
    EXPECT_EQ(Log{"SetParam 8 0.0703518"}, a.automation->TakeLog());
    EXPECT_EQ(0, engine.SyncFromAutomation(&snapshot));
    EXPECT_FALSE(engine.IsDirtyFlag());
    engine.SetDecay(16, FALSE);
    EXPECT_EQ(std::pair(1, 16),
              std::pair(engine.SyncFromAutomation(&snapshot), snapshot.words[SetupWord::kDecay]));
    EXPECT_TRUE(engine.IsDirtyFlag());
    EXPECT_EQ(0, engine.SyncFromAutomation(&snapshot));

    // Values the host automates are taken, but not Width while Mono; they leave the project
    // clean and raise the editor's refresh flag.
    engine.ClearDirtyFlag();
    engine.SetParamsChanged(FALSE);
    a.automation->HostSetsValue(Param::kRoomSize, 1.0f);
    a.automation->HostSetsValue(Param::kWidth, 0.75f);
    EXPECT_EQ(1, engine.SyncFromAutomation(&snapshot));
    EXPECT_EQ(std::pair(100, 150),
              std::pair(snapshot.words[SetupWord::kRoomSize], snapshot.words[SetupWord::kWidth]));
    EXPECT_FALSE(engine.IsDirtyFlag());
    EXPECT_EQ(S_OK, engine.QueryParamsChanged());
    engine.SetStereo(0, FALSE);
    engine.SyncFromAutomation(&snapshot);
    a.automation->HostSetsValue(Param::kWidth, 1.0f);
    EXPECT_EQ(std::pair(0, 0),
              std::pair(engine.SyncFromAutomation(&snapshot), snapshot.words[SetupWord::kWidth]));
    engine.SetWidth(120, FALSE);  // the setter itself is taken in any case
    EXPECT_EQ(120, a.engine.Words()[SetupWord::kWidth]);
}

TEST(ParameterModel, GesturesOpenOneCaptureAtATimeUnlessHeldOrMulti) {
    Automated a;
    CStandaloneReverb& engine = *a.engine;
    engine.SetDecay(20, TRUE);
    engine.SetDecay(21, TRUE);
    engine.SetPredelay(10, TRUE);  // another parameter ends the open capture first
    engine.SetDry(-10, FALSE);     // no notice: the host hears of the value only
    engine.EndCapture();
    engine.EndCapture();
    EXPECT_EQ((Log{"SetParam 8 0.0954774", "Begin 8", "Changed 8 0.0954774", "SetParam 8 0.100503",
                   "Changed 8 0.100503", "SetParam 3 0.04", "End 8", "Begin 3", "Changed 3 0.04",
                   "SetParam 10 0.833729", "End 3"}),
              a.automation->TakeLog());
    // Held, EndCapture leaves the capture open; multi, several stay open until released.
    engine.SetCaptureMode(TRUE, FALSE);
    engine.SetDry(-20, TRUE);
    engine.EndCapture();
    engine.SetCaptureMode(FALSE, TRUE);
    engine.SetHighCut(50, TRUE);
    engine.SetHighCut(51, TRUE);
    engine.EndCapture();
    engine.SetCaptureMode(FALSE, FALSE);
    engine.EndCapture();
    EXPECT_EQ((Log{"SetParam 10 0.809976", "Begin 10", "Changed 10 0.809976", "SetParam 2 0.208333",
                   "Begin 2", "Changed 2 0.208333", "SetParam 2 0.212963", "Changed 2 0.212963",
                   "End 10", "End 2"}),
              a.automation->TakeLog());
    // A full list of eight takes no ninth capture, but the value still reaches the host.
    engine.SetCaptureMode(FALSE, TRUE);
    for (int i = 0; i < 9; ++i) engine.SetParameter(i, kParameters[i].minimum + 1, TRUE);
    const Log log = a.automation->TakeLog();
    EXPECT_EQ(8, std::count_if(log.begin(), log.end(), [](auto& l) { return l[0] == 'B'; }));
    EXPECT_EQ(9, std::count_if(log.begin(), log.end(), [](auto& l) { return l[0] == 'C'; }));
    EXPECT_EQ(0, std::count(log.begin(), log.end(), "Begin 8"));
}

TEST(ParameterModel, SetAllParamsReportsInItsOwnOrderAndEndsTheCapture) {
    Automated a;
    a.engine->SetAllParams(&kDefaultSetup);
    std::vector<int> order;
    const Log log = a.automation->TakeLog();
    for (const std::string& line : log) {
        if (line.rfind("SetParam ", 0) == 0) order.push_back(std::stoi(line.substr(9)));
    }
    EXPECT_EQ((std::vector<int>{0, 1, 3, 2, 4, 5, 6, 7, 8, 12, 14, 15, 17, 9, 11, 16, 10, 13}),
              order);
    EXPECT_EQ("End 13", log.back());
}

std::int64_t UlpDistance(double a, double b) {
    std::int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return std::abs(x - y);
}

TEST(Coefficients, PortableMathsAgreesWithTheRuntimeWithinAFewUlps) {
    using namespace portable_math;
    std::mt19937_64 generator(5);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int i = 0; i < 200000; ++i) {
        const double x = -160 + 165 * uniform(generator), y = 6.3 * uniform(generator);
        const double z = 1.5707 * uniform(generator);
        ASSERT_LE(UlpDistance(std::exp(x), Exp(x)), 8) << x;
        ASSERT_LE(UlpDistance(std::tan(z), Tan(z)), 16) << z;
        if (std::abs(std::cos(y)) > 1e-3) {
            ASSERT_LE(UlpDistance(std::cos(y), Cos(y)), 8) << y;
        }
    }
    EXPECT_EQ((std::vector<double>{1, 1, 0, 0}),
              (std::vector<double>{Exp(0), Cos(0), Tan(0), Exp(-1000)}));
    // Gains from tenths of a dB, with a silent floor.
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(DbToGain(-361, -361), DbToGain(0, -361)));
    EXPECT_NEAR(0.0158489, DbToGain(-360, -361), 1e-7);
}

std::vector<int> Ints(const std::int32_t* values, int count) {
    return std::vector<int>(values, values + count);
}

TEST(Coefficients, DefaultsAt44100WorkedOutByHand) {
    EngineHarness engine;
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& c = engine->DerivedCoefficients();
    std::vector<int> lengths;
    for (int i = 0; i <= kPredelayMemory; ++i) lengths.push_back(engine->Memory(i).length);
    EXPECT_EQ(
        (std::vector<int>{176, 133, 472, 345, 837, 5549, 2243, 4636, 1131, 5255, 3310, 3942, 1}),
        lengths);
    const struct {
        const char* name;
        double actual, expected, tolerance;
    } values[] = {
        {"loop gain", c.loopGain, 0.60291, 5e-6},
        {"shelf gain", c.shelfGain, 0.0, 1e-12},
        {"c1", c.c1, 0.70771, 5e-6},
        {"c2", c.c2, 0.55895, 5e-6},
        {"t1", c.t1, 0.64379, 5e-6},
        {"t2", c.t2, 0.42624, 5e-6},
        {"high cut", c.highCut, 0.42597, 5e-6},
        {"damping", c.highDamping, 0.42597, 5e-6},
        {"low cut", c.lowCut, -0.98937, 5e-6},
        {"early", c.earlyGain, 0.33417, 5e-6},
        {"reverb", c.reverbGain, 0.075357, 5e-7},
        {"input", c.inputGain, 1.0, 0.0},
        {"dry", c.dryGain, 1.0, 0.0},
    };
    for (const auto& v : values) EXPECT_NEAR(v.expected, v.actual, v.tolerance) << v.name;
    // Tank taps at R = 24926 (Room Size 50); reflections at E = 22698 and 1.5 times.
    EXPECT_EQ((std::vector<int>{331, 3706, 2384, 3110, 2106, 233, 1951}),
              Ints(c.tankTapsLeft, kTankTapCount));
    EXPECT_EQ((std::vector<int>{439, 4520, 2153, 3954, 2257, 417, 773}),
              Ints(c.tankTapsRight, kTankTapCount));
    EXPECT_EQ((std::vector<int>{850, 2241, 2920, 3761, 4536, 5765, 6994}),
              Ints(c.earlyDelaysLeft, kEarlyTapsLeftCount));
    EXPECT_EQ((std::vector<int>{646, 1098, 2211, 3039, 4073, 4614, 5813, 7149}),
              Ints(c.earlyDelaysRight, kEarlyTapsRightCount));
    // Each gain is the shortest delay of either side over its own, the right first one halved.
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        EXPECT_DOUBLE_EQ(0.5 * 646 / c.earlyDelaysLeft[k], c.earlyGainsLeft[k]) << k;
    }
    EXPECT_DOUBLE_EQ(0.23, c.earlyGainsRight[0]);
    EXPECT_DOUBLE_EQ(0.46 * 646 / 7149, c.earlyGainsRight[7]);
}

TEST(Coefficients, SwitchesFiltersOffMutesAndTheRateLimit) {
    EngineHarness engine;
    for (auto set : {&IHqPlugInProp::SetInputMute, &IHqPlugInProp::SetDryMute,
                     &IHqPlugInProp::SetERMute, &IHqPlugInProp::SetReverbMute}) {
        (engine.Get()->*set)(1, FALSE);
    }
    engine->SetLowCut(0, FALSE);
    engine->SetHighCut(221, FALSE);
    engine->SetHighDamping(500, FALSE);
    engine->SetDiffusion(0, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& c = engine->DerivedCoefficients();
    EXPECT_EQ((std::vector<double>{0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}),
              (std::vector<double>{c.lowCut, c.highCut, c.highDamping, c.c1, c.c2, c.t1, c.t2,
                                   c.inputGain, c.dryGain, c.earlyGain, c.reverbGain}));
    // The low cut is limited to half the rate.
    for (DWORD rate : {8000, 5000}) {
        EngineHarness limited(rate);
        limited->SetLowCut(3000, FALSE);
        limited.Start();
        const double t = std::tan(3.14159265 * std::min(3000.0, rate / 2.0) / rate);
        EXPECT_DOUBLE_EQ((t - 1) / (t + 1), limited->DerivedCoefficients().lowCut) << rate;
    }
}

TEST(Coefficients, BassMultiplierMakesALowShelf) {
    EngineHarness engine;
    engine->SetBassMult(20, FALSE);  // bass decays twice as long: K = gb / g = g^(-1/2)
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& c = engine->DerivedCoefficients();
    const double g = c.loopGain, k = 1.0 / std::sqrt(g);
    const double t = std::tan(3.14159265 * 500 / 44100);
    EXPECT_NEAR((k - 1) * 0.5, c.shelfGain, 1e-12);
    EXPECT_NEAR((t - 1) / (t + 1), c.shelfCoefficient, 1e-12);
    engine->SetBassMult(5, FALSE);  // half the decay: a cut (gb = g^2), the allpass uses K itself
    engine->Recalculate();
    engine.Render(kModeContinue, {0.0, 0.0});
    EXPECT_NEAR((g - 1) * 0.5, c.shelfGain, 1e-12);
    EXPECT_NEAR((t - g) / (t + g), c.shelfCoefficient, 1e-12);
}

}  // namespace
