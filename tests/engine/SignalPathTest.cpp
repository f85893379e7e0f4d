// The block operation: the optimised loop against the plain steps of ReferenceReverb, renders of
// every setting against their recorded digests, bypass, the tail, meters, clips and 16-bit samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/SampleConversion.h"
#include "tests/engine/ReferenceReverb.h"
#include "tests/support/EngineHarness.h"

namespace {

TEST(SignalPath, OptimisedLoopMatchesThePlainStepsBitForBit) {
    const int params[] = {Param::kRoomSize, Param::kPredelay, Param::kDiffusion, Param::kWidth,
                          Param::kLowCut,   Param::kERMute,   Param::kBassMult,  Param::kHighCut};
    const struct {
        const char* name;
        DWORD rate;
        WORD channels;
        int values[8];  // of `params`
    } settings[] = {
        {"defaults", 44100, 2, {50, 0, 100, 100, 75, 0, 10, 40}},
        {"mono 48k long predelay", 48000, 1, {50, 250, 100, 100, 75, 0, 10, 40}},
        {"small room short predelay", 44100, 2, {1, 3, 60, 150, 19, 0, 5, 40}},
        {"big room no reflections", 96000, 2, {100, 20, 100, 200, 300, 1, 25, 40}},
        {"no diffusion, mono width", 22050, 2, {30, 1, 0, 0, 3000, 0, 10, 40}},
        {"tiny rate", 8000, 1, {1, 0, 100, 100, 75, 0, 30, 40}},
        {"small room, the reflections' reads passing slot 0",
         11025,
         2,
         {1, 0, 100, 100, 75, 0, 10, 40}},
        {"4 kHz, an output tap two frames behind its line's write",
         4000,
         2,
         {1, 0, 100, 100, 75, 0, 10, 15}},
        {"1 kHz, low cut above half of it", 1000, 2, {10, 250, 100, 200, 3000, 0, 30, 15}},
        {"500 Hz, a tap at its line's write", 500, 1, {1, 10, 100, 100, 75, 0, 10, 40}},
        {"100 Hz, reflections one frame long", 100, 2, {1, 0, 100, 100, 75, 0, 10, 40}},
        {"7 Hz, one-frame lines", 7, 2, {100, 250, 100, 100, 19, 0, 30, 40}},
        {"50 Hz, smallest room, no diffusion", 50, 2, {1, 250, 0, 100, 19, 0, 30, 40}},
        {"highest rate", 768000, 1, {100, 250, 100, 100, 19, 0, 2, 40}},
    };
    for (const auto& s : settings) {
        for (int block : {1, 37, 512, 4096}) {
            // Two frames at a time, and four where the processor can.
            for (bool wide : {false, CReverbCore::WideFramesAvailable()}) {
                SCOPED_TRACE(testing::Message()
                             << s.name << ", block " << block << (wide ? ", wide" : ""));
                EngineHarness engine(s.rate, s.channels);
                engine->UseWideFrames(wide);
                for (int k = 0; k < 8; ++k) engine->SetParameter(params[k], s.values[k], FALSE);
                ASSERT_EQ(S_OK, engine.Start());
                ReferenceReverb reference(*engine, s.channels);

                // Noise, then silence for the tail with two impulses in it.
                const int frames = std::max(static_cast<int>(s.rate) * 3 / 2, 3000);
                std::vector<double> input = Noise(frames, s.channels, 0.4);
                std::fill(input.begin() + frames / 3 * s.channels, input.end(), 0.0);
                for (int at : {frames / 2, frames / 2 + 101}) input[at * s.channels] = 0.9;

                const std::vector<double> expected =
                    reference.Process(input, s.values[3]);  // Width
                std::vector<double> actual;
                for (int at = 0; at < frames; at += block) {
                    const int count = std::min(block, frames - at);
                    engine.Run(at == 0 ? kModeDiscontinuity : kModeContinue,
                               std::vector<double>(input.begin() + at * s.channels,
                                                   input.begin() + (at + count) * s.channels),
                               &actual);
                }
                ASSERT_EQ(expected.size(), actual.size());
                const auto mismatch =
                    std::mismatch(expected.begin(), expected.end(), actual.begin());
                EXPECT_TRUE(mismatch.first == expected.end())
                    << "first at sample " << (mismatch.first - expected.begin()) << ": "
                    << *mismatch.first << " vs " << *mismatch.second;
            }
        }
    }
}

// The defaults with one setting changed, as this engine renders a burst of noise and its tail:
// every coefficient and every switch of the derivation shows in some digest. The digests were
// recorded from this engine; after a deliberate change of the sound, record them again.
TEST(SignalPath, RendersMatchTheirRecordedDigests) {
    const struct {
        DWORD rate;
        int param, value, then;  // `then` from a sixteenth of a second on, unless -1
        std::uint64_t digest;
    } cases[] = {
        {44100, Param::kDecay, 15, -1, 0xdc043c574806bb19},
        {44100, Param::kInput, -361, -1, 0xef5b974bea3a8c66},
        {44100, Param::kInputMute, 1, -1, 0xef5b974bea3a8c66},
        {44100, Param::kDryMute, 1, -1, 0xf309acaa9f68097e},
        {44100, Param::kERMute, 1, -1, 0xe1b34ac4618bdf22},
        {44100, Param::kReverbMute, 1, -1, 0x79e6f4def7852268},
        {44100, Param::kReverb, 60, -1, 0x8f4af8c3e263dc45},
        {44100, Param::kDry, -200, -1, 0x5a7f7451c273c190},
        {44100, Param::kLowCut, 19, -1, 0xe2785339789e4c99},
        {8000, Param::kLowCut, 3000, -1, 0xa416cd4b9ff127b4},
        {5000, Param::kLowCut, 3000, -1, 0x2b434dad79a7e652},
        {44100, Param::kHighCut, 221, -1, 0x27936cf1192730fb},
        {44100, Param::kHighCut, 150, -1, 0x64e1de58cd115368},
        {44100, Param::kHighDamping, 221, -1, 0x447a0775c40c9ff0},
        {44100, Param::kDiffusion, 0, -1, 0x7b9c48b741888490},
        {44100, Param::kBassMult, 20, -1, 0xb133573210cd882f},
        {44100, Param::kBassMult, 5, -1, 0x54ae5ae82b242a8f},
        {44100, Param::kRoomSize, 1, -1, 0x28b4f72ec5b3f415},
        {96000, Param::kRoomSize, 100, -1, 0x7d242ccda557556b},
        {48000, Param::kPredelay, 250, -1, 0x69cfbc003003831e},
        {44100, Param::kWidth, 200, -1, 0x6b24885df9002083},
        // Muted reflections keep filling their buffer; a new room cuts the reverb off.
        {44100, Param::kERMute, 1, 0, 0x31fd0e84bd2b805d},
        {44100, Param::kRoomSize, 50, 51, 0x5077dedec9a37f1b},
    };
    for (const auto& c : cases) {
        EngineHarness engine(c.rate);
        engine->SetParameter(c.param, c.value, FALSE);
        ASSERT_EQ(S_OK, engine.Start());
        // Half a second: noise for an eighth, then its tail.
        std::vector<double> input = Noise(static_cast<int>(c.rate) / 2, 2, 0.5), output;
        std::fill(input.begin() + 2 * (c.rate / 8), input.end(), 0.0);
        const auto change = input.begin() + 2 * (c.rate / 16);
        engine.Run(kModeDiscontinuity, {input.begin(), change}, &output);
        if (c.then != -1) engine->SetParameter(c.param, c.then, FALSE);
        engine.Run(kModeContinue, {change, input.end()}, &output);
        EXPECT_EQ(c.digest, Digest(output)) << kParameters[c.param].label << " " << c.value
                                            << " then " << c.then << " at " << c.rate;
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
        EXPECT_EQ(std::vector<double>(4, 0.0), engine.Meters());
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out, 512));
        EXPECT_EQ(200u, out.size());
    }
}

// At low rates the top crossover and low cut lie above half the rate and the smallest room's
// reflections would round to no delay: the extremes still render bounded audio.
TEST(SignalPath, LowRatesStayBoundedAtTheExtremes) {
    for (DWORD rate : {1, 7, 100, 926, 3999}) {
        for (int room : {1, 100}) {
            EngineHarness engine(rate);
            for (auto [index, value] : {std::pair{Param::kRoomSize, room},
                                        {Param::kCrossover, 2000},
                                        {Param::kBassMult, 30},
                                        {Param::kDecay, 200},
                                        {Param::kLowCut, 3000},
                                        {Param::kHighCut, 221},
                                        {Param::kReverb, 60}}) {
                engine->SetParameter(index, value, FALSE);
            }
            ASSERT_EQ(S_OK, engine.Start());
            const std::vector<double> out = engine.Render(kModeDiscontinuity, Noise(8000, 2, 0.9));
            EXPECT_TRUE(
                std::all_of(out.begin(), out.end(), [](double v) { return std::abs(v) < 8; }))
                << rate << " Hz, room size " << room;
            EXPECT_GT(*std::max_element(out.begin() + 4000, out.end()), 1e-3)
                << rate << " Hz, room size " << room << ": the reverb sounds";
        }
    }
}

TEST(SignalPath, TheTailLastsTheLongerOfDecayAndBassDecayFromTheLastDiscontinuity) {
    for (auto [bassMult, frames] : {std::pair{10, 66150}, {20, 132300}, {5, 66150}}) {
        EngineHarness engine;
        engine->SetTail(1, FALSE);
        engine->SetBassMult(bassMult, FALSE);
        ASSERT_EQ(S_OK, engine.Start());
        EXPECT_EQ(2u * (512 + frames), engine.RenderWithTail(Noise(512, 2, 0.5), 4096).size());
        std::vector<double> out;
        EXPECT_EQ(S_FALSE, engine.Run(kModeTail, {}, &out)) << bassMult;  // and it stays over
        EXPECT_TRUE(out.empty());
    }
    // The counter is set in mode 0 only, from the settings that block takes.
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
    EXPECT_EQ(E_INVALIDARG, engine->SetClipLeft(4, 1));  // four counters a side
    engine.Meters();
    engine.Render(kModeContinue, {0.75, -0.25, 0.1, 0.1});
    engine.Render(kModeContinue, {0.5, 0.5});
    EXPECT_EQ((std::vector<double>{0.75, 0.5, 0.75, 0.5}), engine.Meters());
    engine.Render(kModeContinue, {0.125, -0.0625});
    EXPECT_EQ((std::vector<double>{0.125, 0.0625, 0.125, 0.0625}), engine.Meters());
}

// 16-bit samples in and out: s / 32768 in; out truncated toward zero and clamped.
TEST(SignalPath, SixteenBitSamplesScaleTruncateAndClamp) {
    EXPECT_EQ((std::vector<float>{-1.0f, -1.0f / 32768, 0.5f, 32767.0f / 32768}),
              (std::vector<float>{Int16ToFloat(-32768), Int16ToFloat(-1), Int16ToFloat(16384),
                                  Int16ToFloat(32767)}));
    const std::pair<float, short> cases[] = {
        {-2.0f, -32768}, {-1.0f, -32768}, {-1.9f / 32768, -1}, {1.9f / 32768, 1},
        {0.5f, 16384},   {1.0f, 32767},   {7.5f, 32767}};
    for (const auto& [in, out] : cases) EXPECT_EQ(out, FloatToInt16(in)) << in;
}

}  // namespace
