// The engine's optimised per-sample loop against a plain frame-by-frame transcription of the
// same steps: the outputs must agree bit for bit over many settings, rates and block sizes.
#include <gtest/gtest.h>

#include "tests/engine/ReferenceReverb.h"
#include "tests/support/EngineHarness.h"

namespace {

struct Setting {
    const char* name;
    DWORD rate;
    WORD channels;
    int roomSize, predelayMs, diffusion, width, lowCut, erMute, bassMult;
};

const Setting kSettings[] = {
    {"defaults", 44100, 2, 50, 0, 100, 100, 75, 0, 10},
    {"mono 48k long predelay", 48000, 1, 50, 250, 100, 100, 75, 0, 10},
    {"small room short predelay", 44100, 2, 1, 3, 60, 150, 19, 0, 5},
    {"big room no reflections", 96000, 2, 100, 20, 100, 200, 300, 1, 25},
    {"no diffusion, mono width", 22050, 2, 30, 1, 0, 0, 3000, 0, 10},
    {"tiny rate", 8000, 1, 1, 0, 100, 100, 75, 0, 30},
};

TEST(SignalPathReference, OptimisedLoopMatchesThePlainStepsBitForBit) {
    for (const Setting& s : kSettings) {
        for (DWORD block : {DWORD{1}, DWORD{37}, DWORD{512}, DWORD{4096}}) {
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

            // Noise with a few impulses, then silence for the tail.
            const int frames = static_cast<int>(s.rate) * 3 / 2;
            std::vector<double> input = Noise(frames, s.channels, 0.4);
            for (int f = frames / 3; f < frames; ++f) {
                for (int ch = 0; ch < s.channels; ++ch) input[f * s.channels + ch] = 0.0;
            }
            for (int at : {frames / 2, frames / 2 + 101}) input[at * s.channels] = 0.9;

            std::vector<double> expected = reference.Process(input, s.width);
            std::vector<double> actual;
            for (int at = 0; at < frames; at += static_cast<int>(block)) {
                const int count = std::min(static_cast<int>(block), frames - at);
                std::vector<double> part(input.begin() + at * s.channels,
                                         input.begin() + (at + count) * s.channels);
                engine.Run(at == 0 ? kModeDiscontinuity : kModeContinue, part, &actual);
            }
            ASSERT_EQ(expected.size(), actual.size());
            size_t mismatches = 0, first = 0;
            for (size_t i = 0; i < expected.size(); ++i) {
                if (expected[i] != actual[i] && mismatches++ == 0) first = i;
            }
            EXPECT_EQ(0u, mismatches) << "first at sample " << first << ": " << expected[first]
                                      << " vs " << actual[first];
        }
    }
}

}  // namespace
