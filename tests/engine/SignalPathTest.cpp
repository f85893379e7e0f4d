// The block operation and the per-sample path: bypass, tail rendering, mix and width, mutes,
// reflections, clip counters and meters, parameter pick-up at block boundaries, and the sound
// itself (decay time, silence without denormals).
#include <gtest/gtest.h>

#include <cmath>

#include "engine/SampleConversion.h"
#include "tests/support/EngineHarness.h"

namespace {

constexpr DWORD kRate = 44100;

std::vector<double> Left(const std::vector<double>& stereo) {
    std::vector<double> out;
    for (size_t i = 0; i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
}

double Rms(const std::vector<double>& x, size_t from, size_t to) {
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += x[i] * x[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(Bypass, CopiesInputClearsMetersAndEndsTheTailAtOnce) {
    for (WORD channels : {WORD{1}, WORD{2}}) {
        SCOPED_TRACE(channels);
        EngineHarness engine(kRate, channels);
        ASSERT_EQ(S_OK, engine.Start());
        std::vector<double> out;
        engine.Run(kModeDiscontinuity, Noise(64, channels, 0.5), &out);
        engine->SetBypass(1);

        const std::vector<double> input = Noise(100, channels, 0.9, 7);
        out.clear();
        EXPECT_EQ(S_OK, engine.Run(kModeContinue, input, &out));
        ASSERT_EQ(200u, out.size());
        for (size_t f = 0; f < 100; ++f) {
            EXPECT_EQ(input[f * channels], out[2 * f]);
            EXPECT_EQ(input[f * channels + channels - 1], out[2 * f + 1]);
        }
        double meters[4];
        engine->GetMeters(meters);
        for (double m : meters) EXPECT_EQ(0.0, m);

        out.clear();
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 512));
        EXPECT_TRUE(out.empty());
    }
}

// Sums the frames of mode-2 calls until the engine reports the end of the tail.
int TailFrames(EngineHarness& engine, DWORD block, HRESULT* lastResult, DWORD* lastFrames) {
    int total = 0;
    for (;;) {
        std::vector<double> out;
        HRESULT hr = engine.Run(kModeTail, {}, &out, block);
        total += static_cast<int>(out.size() / 2);
        *lastResult = hr;
        *lastFrames = static_cast<DWORD>(out.size() / 2);
        if (hr != S_OK) return total;
    }
}

TEST(Tail, LastsTheLongerOfDecayAndBassDecay) {
    struct Case {
        int bassMult;
        int frames;
    } cases[] = {{10, 66150}, {20, 132300}, {5, 66150}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bassMult);
        EngineHarness engine(kRate);
        engine->SetTail(1, FALSE);
        engine->SetBassMult(c.bassMult, FALSE);
        ASSERT_EQ(S_OK, engine.Start());
        std::vector<double> out;
        engine.Run(kModeDiscontinuity, Noise(512, 2, 0.5), &out);
        HRESULT last;
        DWORD lastFrames;
        EXPECT_EQ(c.frames, TailFrames(engine, 4096, &last, &lastFrames));
        EXPECT_EQ(S_FALSE, last);
        EXPECT_EQ(static_cast<DWORD>(c.frames % 4096), lastFrames);
        out.clear();
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 4096));
        EXPECT_TRUE(out.empty());
    }
}

TEST(Tail, OffAtTheLastDiscontinuityMeansNoTail) {
    EngineHarness engine(kRate);
    engine->SetTail(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, Noise(512, 2, 0.5), &out);
    engine->SetTail(0, FALSE);
    engine.Run(kModeContinue, Noise(512, 2, 0.5), &out);  // counter set only in mode 0
    engine.Run(kModeDiscontinuity, Noise(512, 2, 0.5), &out);
    out.clear();
    EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 4096));
    EXPECT_TRUE(out.empty());
}

TEST(Mix, WidthZeroPutsTheSameWetSignalOnBothSides) {
    EngineHarness engine(kRate);
    engine->SetWidth(0, FALSE);
    engine->SetDry(-60, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    const std::vector<double> input = Noise(8192, 2, 0.5);
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, input, &out);
    const double dry = DbToGain(-60, kSilenceTenthsDb);
    for (size_t f = 0; f < 8192; ++f) {
        ASSERT_NEAR(out[2 * f] - input[2 * f] * dry, out[2 * f + 1] - input[2 * f + 1] * dry, 1e-15)
            << f;
    }
}

TEST(Mix, WidthTwoHundredIsThreeTimesOwnSideLessTheOther) {
    const std::vector<double> input = Noise(8192, 2, 0.5);
    auto render = [&](int width) {
        EngineHarness engine(kRate);
        engine->SetWidth(width, FALSE);
        engine->SetDryMute(1, FALSE);
        engine.Start();
        std::vector<double> out;
        engine.Run(kModeDiscontinuity, input, &out);
        return out;
    };
    const std::vector<double> normal = render(100);  // 2A, 2B
    const std::vector<double> wide = render(200);    // 3A - B, 3B - A
    for (size_t f = 0; f < 8192; ++f) {
        const double a = normal[2 * f] / 2, b = normal[2 * f + 1] / 2;
        ASSERT_NEAR(3 * a - b, wide[2 * f], 1e-12);
        ASSERT_NEAR(3 * b - a, wide[2 * f + 1], 1e-12);
    }
}

TEST(Mix, WetMutedAtUnityIsTransparentAndInputMuteSilences) {
    const std::vector<double> input = Noise(4096, 2, 0.99);
    EngineHarness engine(kRate);
    engine->SetReverbMute(1, FALSE);
    engine->SetERMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, input, &out);
    EXPECT_EQ(input, out);

    EngineHarness muted(kRate);
    muted->SetInputMute(1, FALSE);
    muted.Start();
    out.clear();
    muted.Run(kModeDiscontinuity, input, &out);
    for (double v : out) ASSERT_LT(std::abs(v), 1e-20);
}

TEST(Mix, MonoInputFeedsBothSidesTheSameDrySignal) {
    EngineHarness engine(kRate, 1);
    engine->SetReverbMute(1, FALSE);
    engine->SetERMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    const std::vector<double> input = Noise(1024, 1, 0.5);
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, input, &out);
    for (size_t f = 0; f < input.size(); ++f) {
        EXPECT_DOUBLE_EQ(input[f] + 1e-30f, out[2 * f]);
        EXPECT_EQ(out[2 * f], out[2 * f + 1]);
    }
}

// First frame whose magnitude exceeds a level far above the denormal guards.
int FirstArrival(const std::vector<double>& stereo, int channel) {
    for (size_t f = 0; 2 * f < stereo.size(); ++f) {
        if (std::abs(stereo[2 * f + channel]) > 1e-12) return static_cast<int>(f);
    }
    return -1;
}

TEST(EarlyReflections, ArriveAfterTheShortestDelayOfEachSide) {
    EngineHarness engine(kRate);
    engine->SetDryMute(1, FALSE);
    engine->SetReverbMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, Impulse(2000, 2), &out);
    // Width 100: left = 2A, right = 2B; A and B are the left and right reflections.
    EXPECT_EQ(850, FirstArrival(out, 0));
    EXPECT_EQ(646, FirstArrival(out, 1));
}

TEST(EarlyReflections, BufferKeepsFillingWhileTheirGainIsZero) {
    const std::vector<double> input = Impulse(2000, 2);
    auto render = [&](bool muteFirst) {
        EngineHarness engine(kRate);
        engine->SetDryMute(1, FALSE);
        engine->SetReverbMute(1, FALSE);
        engine->SetERMute(muteFirst ? 1 : 0, FALSE);
        engine.Start();
        std::vector<double> out;
        engine.Run(kModeDiscontinuity, std::vector<double>(input.begin(), input.begin() + 600),
                   &out);
        engine->SetERMute(0, FALSE);
        engine.Run(kModeContinue, std::vector<double>(input.begin() + 600, input.end()), &out);
        return out;
    };
    const std::vector<double> muted = render(true);
    const std::vector<double> open = render(false);
    for (size_t i = 600; i < open.size(); ++i) ASSERT_DOUBLE_EQ(open[i], muted[i]) << i;
}

TEST(Meters, ClipAtFullScaleAndNotBefore) {
    EngineHarness engine(kRate);
    engine->SetReverbMute(1, FALSE);
    engine->SetERMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, {1.0, -1.0}, &out);
    EXPECT_EQ(0, engine->GetClipLeft(0));
    EXPECT_EQ(0, engine->GetClipRight(0));
    EXPECT_EQ(0, engine->GetClipLeft(2));
    engine.Run(kModeContinue, {1.0000001, -0.5}, &out);
    EXPECT_EQ(3, engine->GetClipLeft(0));
    EXPECT_EQ(0, engine->GetClipRight(0));
    EXPECT_EQ(3, engine->GetClipLeft(2));
    EXPECT_EQ(0, engine->GetClipRight(2));
    engine->SetInput(-60, FALSE);  // -6 dB: the input side no longer clips, the output does not
    engine.Run(kModeContinue, {0.5, -1.9}, &out);
    EXPECT_EQ(0, engine->GetClipRight(0));
    EXPECT_EQ(0, engine->GetClipRight(2));
}

TEST(Meters, HoldThePeakUntilReadThenShowTheNextBlockOnly) {
    EngineHarness engine(kRate);
    engine->SetReverbMute(1, FALSE);
    engine->SetERMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, {0.75, -0.25, 0.1, 0.1}, &out);
    engine.Run(kModeContinue, {0.5, 0.5}, &out);
    double first[4], second[4];
    engine->GetMeters(first);
    engine->GetMeters(second);
    const double expected[4] = {0.75, 0.5, 0.75, 0.5};
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(expected[k], first[k]) << k;
        EXPECT_EQ(first[k], second[k]);
    }
    engine.Run(kModeContinue, {0.125, -0.0625}, &out);
    engine->GetMeters(first);
    EXPECT_DOUBLE_EQ(0.125, first[0]);
    EXPECT_DOUBLE_EQ(0.0625, first[1]);

    // A block of no frames after a reading leaves the meters at zero.
    engine.Run(kModeContinue, {}, &out);
    engine->GetMeters(first);
    for (double m : first) EXPECT_EQ(0.0, m);
}

TEST(BlockBoundaries, AnEmptyBlockStillTakesParametersAndRestartsTheTail) {
    EngineHarness engine(kRate);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, Noise(16, 2, 0.5), &out);
    EXPECT_EQ(0, engine->TailCounter());

    engine->SetTail(1, FALSE);
    engine->SetDecay(20, FALSE);
    const double before = engine->DerivedCoefficients().loopGain;
    EXPECT_EQ(S_OK, engine.Run(kModeDiscontinuity, {}, &out));
    EXPECT_NE(before, engine->DerivedCoefficients().loopGain);
    EXPECT_EQ(20 * 44100 / 10, engine->TailCounter());
}

TEST(BlockBoundaries, ARoomSizeChangeCutsTheReverbOff) {
    const std::vector<double> noise = Noise(22050, 2, 0.5);
    const std::vector<double> silence(2 * 8192, 0.0);
    auto tailLevel = [&](bool change) {
        EngineHarness engine(kRate);
        engine->SetDecay(100, FALSE);
        engine->SetReverb(0, FALSE);
        engine->SetDryMute(1, FALSE);
        engine.Start();
        std::vector<double> out;
        engine.Run(kModeDiscontinuity, noise, &out);
        if (change) engine->SetRoomSize(51, FALSE);
        out.clear();
        engine.Run(kModeContinue, silence, &out);
        return Rms(out, 0, out.size());
    };
    const double ringing = tailLevel(false);
    const double cut = tailLevel(true);
    // Only the predelay line's single frame of old signal is left to enter the cleared tank.
    EXPECT_GT(ringing, 0.05);
    EXPECT_LT(cut, ringing * 1e-2);
}

TEST(SampleTypes, Float32AndFloat64RenderTheSameSignal) {
    // Inputs exactly representable in both types, so only the output rounding differs.
    std::vector<double> input = Noise(20000, 2, 0.8);
    for (double& v : input) v = static_cast<float>(v);
    std::vector<float> input32(input.begin(), input.end());

    EngineHarness a(kRate), b(kRate);
    a->SetTail(1, FALSE);
    b->SetTail(1, FALSE);
    a.Start();
    b.Start();
    std::vector<double> out64(input.size());
    std::vector<float> out32(input.size());
    for (size_t at = 0; at < 20000; at += 500) {
        DWORD in64 = 500, o64 = 500, in32 = 500, o32 = 500;
        const int mode = at == 0 ? kModeDiscontinuity : kModeContinue;
        a->ProcessFloat64(mode, &input[2 * at], &in64, &out64[2 * at], &o64);
        b->ProcessFloat32(mode, &input32[2 * at], &in32, &out32[2 * at], &o32);
        ASSERT_EQ(o64, o32);
    }
    for (size_t i = 0; i < out64.size(); ++i) ASSERT_EQ(static_cast<float>(out64[i]), out32[i]);
}

// Reverberation time of the engine's impulse response: Schroeder backward integration, the
// -5 to -35 dB slope extrapolated to 60 dB.
double MeasureRt60(int decayTenths) {
    {
        EngineHarness engine(kRate, 1);
        engine->SetDecay(decayTenths, FALSE);
        engine->SetDryMute(1, FALSE);
        engine->SetERMute(1, FALSE);
        engine->SetTail(1, FALSE);
        engine->SetHighDamping(221, FALSE);
        engine->SetHighCut(221, FALSE);
        engine->SetLowCut(19, FALSE);
        engine.Start();
        const std::vector<double> out = Left(engine.RenderWithTail(Impulse(4096, 1), 4096));
        std::vector<double> energy(out.size() + 1, 0.0);
        for (size_t i = out.size(); i-- > 0;) energy[i] = energy[i + 1] + out[i] * out[i];
        auto timeAt = [&](double db) {
            const double level = energy[0] * std::pow(10.0, db / 10.0);
            size_t i = 0;
            while (i < out.size() && energy[i] > level) ++i;
            return static_cast<double>(i) / kRate;
        };
        return (timeAt(-35) - timeAt(-5)) * 2.0;
    }
}

TEST(Sound, DecayTimeFollowsTheDecayParameter) {
    // The loop gain counts only the four tank delays, not the allpasses between them, so the
    // measured time runs some 40 % above the set one, in proportion.
    const double short1 = MeasureRt60(10);
    const double long3 = MeasureRt60(30);
    EXPECT_GT(short1, 1.0);
    EXPECT_LT(short1, 1.7);
    EXPECT_NEAR(3.0, long3 / short1, 0.3);
}

TEST(Sound, SilenceAfterSoundStaysClearOfDenormals) {
    EngineHarness engine(kRate);
    engine->SetDecay(5, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, Noise(4096, 2, 0.5), &out);
    for (int block = 0; block < 100; ++block) {
        out.clear();
        engine.Run(kModeContinue, std::vector<double>(2 * 4096, 0.0), &out);
    }
    for (double v : out) ASSERT_NE(FP_SUBNORMAL, std::fpclassify(v));
    for (int i = 0; i < kDelayMemoryCount; ++i) {
        const DelayMemory& m = engine->Memory(i);
        for (int k = 0; k < m.length; ++k) {
            ASSERT_NE(FP_SUBNORMAL, std::fpclassify(m.data[k])) << i << ' ' << k;
        }
    }
}

// 16-bit samples in as s / 32768, out truncated toward zero and clamped.
TEST(SampleConversion, SixteenBitSamplesInAndOut) {
    EXPECT_EQ(-1.0f, Int16ToFloat(-32768));
    EXPECT_EQ(0.5f, Int16ToFloat(16384));
    EXPECT_EQ(1.0f / 32768, Int16ToFloat(1));
    const std::pair<float, short> kOut[] = {
        {0.5f, 16384}, {-0.50001f, -16384}, {0.99999f, 32767}, {-0.00001f, 0},
        {1.0f, 32767}, {1.5f, 32767},       {-1.0f, -32768},   {-1.5f, -32768},
    };
    for (const auto& [value, sample] : kOut) EXPECT_EQ(sample, FloatToInt16(value)) << value;
}

}  // namespace
