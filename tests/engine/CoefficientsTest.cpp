// The derivation of gains, filter coefficients, line lengths and taps from the settings and the
// sample rate, checked against values worked out by hand for the defaults at 44100 Hz.
#include <gtest/gtest.h>

#include "tests/support/EngineHarness.h"

namespace {

TEST(Coefficients, DbToGainHasASilentFloor) {
    EXPECT_EQ(0.0, DbToGain(-361, -361));
    EXPECT_NEAR(0.0158489, DbToGain(-360, -361), 1e-7);
    EXPECT_NEAR(1.9953, DbToGain(60, -361), 1e-4);
    EXPECT_EQ(1.0, DbToGain(0, -361));
}

TEST(Coefficients, DefaultsAt44100) {
    EngineHarness engine(44100);
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& c = engine->DerivedCoefficients();

    const std::int32_t lengths[kReverbLineCount] = {176,  133,  472,  345,  837,  5549,
                                                    2243, 4636, 1131, 5255, 3310, 3942};
    for (int i = 0; i < kReverbLineCount; ++i) EXPECT_EQ(lengths[i], engine->Memory(i).length) << i;
    EXPECT_EQ(1, engine->Memory(kPredelayMemory).length);

    EXPECT_NEAR(0.60291, c.loopGain, 5e-6);
    EXPECT_NEAR(0.0, c.shelfGain, 1e-12);
    EXPECT_NEAR(0.70771, c.c1, 5e-6);
    EXPECT_NEAR(0.55895, c.c2, 5e-6);
    EXPECT_NEAR(0.64379, c.t1, 5e-6);
    EXPECT_NEAR(0.42624, c.t2, 5e-6);
    EXPECT_NEAR(0.42597, c.highCut, 5e-6);
    EXPECT_NEAR(0.42597, c.highDamping, 5e-6);
    EXPECT_NEAR(-0.98937, c.lowCut, 5e-6);
    EXPECT_NEAR(0.33417, c.earlyGain, 5e-6);
    EXPECT_NEAR(0.075357, c.reverbGain, 5e-7);
    EXPECT_EQ(1.0, c.inputGain);
    EXPECT_EQ(1.0, c.dryGain);

    // Tank taps at R = 24926 (Room Size 50).
    const std::int32_t tapsLeft[kTankTapCount] = {331, 3706, 2384, 3110, 2106, 233, 1951};
    const std::int32_t tapsRight[kTankTapCount] = {439, 4520, 2153, 3954, 2257, 417, 773};
    for (int k = 0; k < kTankTapCount; ++k) {
        EXPECT_EQ(tapsLeft[k], c.tankTapsLeft[k]) << k;
        EXPECT_EQ(tapsRight[k], c.tankTapsRight[k]) << k;
    }

    const std::int32_t earlyLeft[] = {850, 2241, 2920, 3761, 4536, 5765, 6994};
    const std::int32_t earlyRight[] = {646, 1098, 2211, 3039, 4073, 4614, 5813, 7149};
    for (int k = 0; k < kEarlyTapsLeftCount; ++k) {
        EXPECT_EQ(earlyLeft[k], c.earlyDelaysLeft[k]) << k;
        EXPECT_DOUBLE_EQ(0.5 * 646 / earlyLeft[k], c.earlyGainsLeft[k]) << k;
    }
    for (int k = 0; k < kEarlyTapsRightCount; ++k) {
        EXPECT_EQ(earlyRight[k], c.earlyDelaysRight[k]) << k;
    }
    // The shortest reflection of either side, then the right one halved.
    EXPECT_DOUBLE_EQ(0.23, c.earlyGainsRight[0]);
    EXPECT_DOUBLE_EQ(0.46 * 646 / 7149, c.earlyGainsRight[7]);
}

TEST(Coefficients, SwitchedOffFiltersAndZeroDiffusion) {
    EngineHarness engine(44100);
    engine->SetLowCut(0, FALSE);
    engine->SetHighCut(221, FALSE);
    engine->SetHighDamping(500, FALSE);
    engine->SetDiffusion(0, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& c = engine->DerivedCoefficients();
    EXPECT_EQ(0.0, c.lowCut);
    EXPECT_EQ(1.0, c.highCut);
    EXPECT_EQ(1.0, c.highDamping);
    EXPECT_EQ(0.0, c.c1);
    EXPECT_EQ(0.0, c.c2);
    EXPECT_EQ(0.0, c.t1);
    EXPECT_EQ(0.0, c.t2);
}

TEST(Coefficients, LowCutIsLimitedToHalfTheRate) {
    auto lowCutAt = [](DWORD rate) {
        EngineHarness engine(rate);
        engine->SetLowCut(3000, FALSE);
        engine.Start();
        return engine->DerivedCoefficients().lowCut;
    };
    const double pi = 3.14159265;
    const double t8000 = std::tan(pi * 3000 / 8000);
    EXPECT_DOUBLE_EQ((t8000 - 1) / (t8000 + 1), lowCutAt(8000));
    const double t5000 = std::tan(pi * 2500 / 5000);
    EXPECT_DOUBLE_EQ((t5000 - 1) / (t5000 + 1), lowCutAt(5000));
}

TEST(Coefficients, BassMultiplierMakesAShelf) {
    EngineHarness engine(44100);
    engine->SetBassMult(20, FALSE);  // bass decays twice as long
    ASSERT_EQ(S_OK, engine.Start());
    const Coefficients& boost = engine->DerivedCoefficients();
    const double g = boost.loopGain;
    // K = gb / g with gb from twice the decay time: K = g^(-1/2).
    const double k = 1.0 / std::sqrt(g);
    EXPECT_NEAR((k - 1) * 0.5, boost.shelfGain, 1e-12);
    const double t = std::tan(3.14159265 * 500 / 44100);
    EXPECT_NEAR((t - 1) / (t + 1), boost.shelfCoefficient, 1e-12);

    engine->SetBassMult(5, FALSE);  // half the decay: a cut, the allpass uses K itself
    engine->Recalculate();
    std::vector<double> out;
    engine.Run(kModeContinue, std::vector<double>(2, 0.0), &out);
    const Coefficients& cut = engine->DerivedCoefficients();
    const double kCut = g * g / g;  // gb = g^2 for half the time
    EXPECT_NEAR((kCut - 1) * 0.5, cut.shelfGain, 1e-12);
    EXPECT_NEAR((t - kCut) / (t + kCut), cut.shelfCoefficient, 1e-12);
}

TEST(Coefficients, RoomSizeScalesLinesAndReflections) {
    EngineHarness engine(48000);
    engine->SetRoomSize(100, FALSE);
    engine->SetPredelay(250, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    // Room Size 100: R = E = fs, so every line uses its whole memory.
    for (int i = 0; i < kReverbLineCount; ++i) {
        EXPECT_EQ(engine->Memory(i).capacity, engine->Memory(i).length) << i;
    }
    EXPECT_EQ(12000, engine->Memory(kPredelayMemory).length);
    EXPECT_EQ(static_cast<std::int32_t>(9263 * 1.5 * 48000 / 44100.0),
              engine->DerivedCoefficients().earlyDelaysRight[7]);

    engine->SetRoomSize(1, FALSE);
    engine->SetPredelay(0, FALSE);
    engine->Recalculate();
    std::vector<double> out;
    engine.Run(kModeContinue, std::vector<double>(2, 0.0), &out);
    const std::int32_t r = static_cast<std::int32_t>(16 * 48000 / 115.0);
    EXPECT_EQ(142 * r / 20000, engine->Memory(0).length);
    EXPECT_EQ(1, engine->Memory(kPredelayMemory).length);
}

}  // namespace
