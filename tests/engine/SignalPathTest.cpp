// The block operation and the per-sample path: the optimised loop against the plain steps of
// ReferenceReverb, bypass, the tail, the reflections' buffer, meters and clip counters, a new
// room, and the 16-bit sample conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "engine/SampleConversion.h"
#include "tests/engine/ReferenceReverb.h"
#include "tests/support/EngineHarness.h"

namespace {

TEST(SignalPath, OptimisedLoopMatchesThePlainStepsBitForBit) {
    const struct {
        const char* name;
        DWORD rate;
        WORD channels;
        int roomSize, predelayMs, diffusion, width, lowCut, erMute, bassMult;
    } settings[] = {
        {"defaults", 44100, 2, 50, 0, 100, 100, 75, 0, 10},
        {"mono 48k long predelay", 48000, 1, 50, 250, 100, 100, 75, 0, 10},
        {"small room short predelay", 44100, 2, 1, 3, 60, 150, 19, 0, 5},
        {"big room no reflections", 96000, 2, 100, 20, 100, 200, 300, 1, 25},
        {"no diffusion, mono width", 22050, 2, 30, 1, 0, 0, 3000, 0, 10},
        {"tiny rate", 8000, 1, 1, 0, 100, 100, 75, 0, 30},
    };
    for (const auto& s : settings) {
        for (int block : {1, 37, 512, 4096}) {
            SCOPED_TRACE(testing::Message() << s.name << ", block " << block);
            EngineHarness engine(s.rate, s.channels);
            engine->SetRoomSize(s.roomSize, FALSE);
            engine->SetPredelay(s.predelayMs, FALSE);
            engine->SetDiffusion(s.diffusion, FALSE);
            engine->SetWidth(s.width, FALSE);
            engine->SetLowCut(s.lowCut, FALSE);
            engine->SetERMute(s.erMute, FALSE);
            engine->SetBassMult(s.bassMult, FALSE);
            engine->SetReverb(0, FALSE);
            ASSERT_EQ(S_OK, engine.Start());
            ReferenceReverb reference(*engine, s.channels);

            // Noise, then silence for the tail with two impulses in it.
            const int frames = static_cast<int>(s.rate) * 3 / 2;
            std::vector<double> input = Noise(frames, s.channels, 0.4);
            std::fill(input.begin() + frames / 3 * s.channels, input.end(), 0.0);
            for (int at : {frames / 2, frames / 2 + 101}) input[at * s.channels] = 0.9;

            const std::vector<double> expected = reference.Process(input, s.width);
            std::vector<double> actual;
            for (int at = 0; at < frames; at += block) {
                const int count = std::min(block, frames - at);
                engine.Run(at == 0 ? kModeDiscontinuity : kModeContinue,
                           std::vector<double>(input.begin() + at * s.channels,
                                               input.begin() + (at + count) * s.channels),
                           &actual);
            }
            ASSERT_EQ(expected.size(), actual.size());
            const auto mismatch = std::mismatch(expected.begin(), expected.end(), actual.begin());
            EXPECT_TRUE(mismatch.first == expected.end())
                << "first at sample " << (mismatch.first - expected.begin()) << ": "
                << *mismatch.first << " vs " << *mismatch.second;
        }
    }
}

TEST(SignalPath, BypassCopiesTheInputClearsTheMetersAndEndsTheTailAtOnce) {
    for (WORD channels : {1, 2}) {
        EngineHarness engine(44100, channels);
        ASSERT_EQ(S_OK, engine.Start());
        engine.Render(kModeDiscontinuity, Noise(64, channels, 0.5));
        engine->SetBypass(1);
        const std::vector<double> input = Noise(100, channels, 0.9, 7);
        std::vector<double> out, expected;
        EXPECT_EQ(S_OK, engine.Run(kModeContinue, input, &out));
        for (size_t f = 0; f < 100; ++f) {
            expected.push_back(input[f * channels]);
            expected.push_back(input[f * channels + channels - 1]);
        }
        EXPECT_EQ(expected, out) << channels;
        std::vector<double> meters(4, 1.0);
        engine->GetMeters(meters.data());
        EXPECT_EQ(std::vector<double>(4, 0.0), meters);
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 512));
        EXPECT_EQ(200u, out.size());
    }
}

TEST(SignalPath, TheTailLastsTheLongerOfDecayAndBassDecayFromTheLastDiscontinuity) {
    for (auto [bassMult, frames] : {std::pair{10, 66150}, {20, 132300}, {5, 66150}}) {
        EngineHarness engine;
        engine->SetTail(1, FALSE);
        engine->SetBassMult(bassMult, FALSE);
        ASSERT_EQ(S_OK, engine.Start());
        engine.Render(kModeDiscontinuity, Noise(512, 2, 0.5));
        std::vector<double> out;
        HRESULT hr = S_OK;
        for (int block = 0; hr == S_OK && block < 100; ++block) {
            hr = engine.Run(kModeTail, {}, &out, 4096);
        }
        EXPECT_EQ(S_FALSE, hr);
        EXPECT_EQ(static_cast<size_t>(2 * frames), out.size()) << bassMult;
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 4096));
        EXPECT_EQ(static_cast<size_t>(2 * frames), out.size());
    }
    // The counter is set in mode 0 only, from the settings that block takes, even of no frames.
    EngineHarness engine;
    ASSERT_EQ(S_OK, engine.Start());
    engine->SetTail(1, FALSE);
    engine.Render(kModeDiscontinuity, Noise(16, 2, 0.5));
    engine->SetTail(0, FALSE);
    engine.Render(kModeContinue, Noise(16, 2, 0.5));
    EXPECT_EQ(66150, engine->TailCounter());
    engine.Render(kModeDiscontinuity, Noise(16, 2, 0.5));
    std::vector<double> out;
    EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out));
    EXPECT_TRUE(out.empty());
    engine->SetTail(1, FALSE);
    engine->SetDecay(20, FALSE);
    EXPECT_EQ(S_OK, engine.Run(kModeDiscontinuity, {}, &out));
    EXPECT_EQ(20 * 44100 / 10, engine->TailCounter());
}

TEST(SignalPath, TheReflectionsBufferFillsWhileTheyAreMuted) {
    const std::vector<double> impulse = Impulse(2000, 2);
    auto render = [&impulse](bool muteFirst) {
        EngineHarness engine;
        engine->SetDryMute(1, FALSE);
        engine->SetReverbMute(1, FALSE);
        engine->SetERMute(muteFirst ? 1 : 0, FALSE);
        engine.Start();
        std::vector<double> out =
            engine.Render(kModeDiscontinuity, {impulse.begin(), impulse.begin() + 1200});
        engine->SetERMute(0, FALSE);
        engine.Run(kModeContinue, {impulse.begin() + 1200, impulse.end()}, &out);
        return std::vector<double>(out.begin() + 2400, out.end());
    };
    EXPECT_EQ(render(false), render(true));
}

TEST(SignalPath, ClipCountersTripAboveFullScaleAndMetersHoldThePeakUntilRead) {
    EngineHarness engine;
    engine->SetReverbMute(1, FALSE);
    engine->SetERMute(1, FALSE);
    ASSERT_EQ(S_OK, engine.Start());
    auto clips = [&engine] {
        return std::vector<int>{engine->GetClipLeft(0), engine->GetClipRight(0),
                                engine->GetClipLeft(2), engine->GetClipRight(2)};
    };
    engine.Render(kModeDiscontinuity, {1.0, -1.0});
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), clips());
    engine.Render(kModeContinue, {1.0000001, -0.5});
    EXPECT_EQ((std::vector<int>{3, 0, 3, 0}), clips());
    engine->SetInput(-60, FALSE);  // -6 dB: the gained input is what counts
    engine.Render(kModeContinue, {0.5, -1.9});
    EXPECT_EQ((std::vector<int>{3, 0, 3, 0}), clips());

    auto meters = [&engine] {
        std::vector<double> m(4);
        engine->GetMeters(m.data());
        return m;
    };
    engine->SetInput(0, FALSE);
    meters();
    engine.Render(kModeContinue, {0.75, -0.25, 0.1, 0.1});
    engine.Render(kModeContinue, {0.5, 0.5});
    EXPECT_EQ((std::vector<double>{0.75, 0.5, 0.75, 0.5}), meters());
    EXPECT_EQ((std::vector<double>{0.75, 0.5, 0.75, 0.5}), meters());
    engine.Render(kModeContinue, {0.125, -0.0625});
    EXPECT_EQ((std::vector<double>{0.125, 0.0625, 0.125, 0.0625}), meters());
    engine.Render(kModeContinue, {});  // no frames after a reading: zero
    EXPECT_EQ(std::vector<double>(4, 0.0), meters());
}

TEST(SignalPath, ARoomSizeChangeCutsTheReverbOff) {
    auto tailEnergy = [](bool change) {
        EngineHarness engine;
        engine->SetDecay(100, FALSE);
        engine->SetReverb(0, FALSE);
        engine->SetDryMute(1, FALSE);
        engine.Start();
        engine.Render(kModeDiscontinuity, Noise(22050, 2, 0.5));
        if (change) engine->SetRoomSize(51, FALSE);
        const std::vector<double> out = engine.Render(kModeContinue, std::vector<double>(2 * 8192));
        return std::inner_product(out.begin(), out.end(), out.begin(), 0.0);
    };
    // Only the predelay line's single frame of old signal is left to enter the cleared tank.
    const double ringing = tailEnergy(false);
    EXPECT_GT(ringing, 40.0);
    EXPECT_LT(tailEnergy(true), ringing * 1e-4);
}

// 16-bit samples in as s / 32768, out truncated toward zero and clamped.
TEST(SignalPath, SixteenBitSamplesInAndOut) {
    EXPECT_EQ((std::vector<float>{-1.0f, 0.5f, 1.0f / 32768}),
              (std::vector<float>{Int16ToFloat(-32768), Int16ToFloat(16384), Int16ToFloat(1)}));
    const std::pair<float, short> cases[] = {
        {0.5f, 16384}, {-0.50001f, -16384}, {0.99999f, 32767}, {-0.00001f, 0},
        {1.0f, 32767}, {1.5f, 32767},       {-1.0f, -32768},   {-1.5f, -32768},
    };
    for (const auto& [value, sample] : cases) EXPECT_EQ(sample, FloatToInt16(value)) << value;
}

}  // namespace
