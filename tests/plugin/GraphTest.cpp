// Graphs of Wine's filter graph manager: the registered reverb in every format it takes against
// the engine's own output, a failure that stops the stream, and dxhost's refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"
#include "tests/support/ReferenceChain.h"
#include "tools/dxhost/DxHost.h"
#include "tools/dxhost/GraphRunner.h"

namespace {

using Graphs = RegisteredFilterTest;

// Runs `input` through `filter` in dxhost's graph: the written audio, empty after a failure.
WavAudio RunGraph(IBaseFilter* filter, const WavAudio& input, int blockFrames, HRESULT expected,
                  std::string* error, GraphRunResult* result = nullptr) {
    const std::string output = "graph-output.wav";
    GraphRunResult ignored;
    WavAudio written;
    EXPECT_EQ(expected, RunFilterGraph(filter, input, output, {blockFrames, kGraphTimeoutMs},
                                       result ? result : &ignored, error))
        << *error;
    if (expected == S_OK) {
        EXPECT_TRUE(ReadWavFile(output, &written, error)) << *error;
    }
    DeleteFileA(output.c_str());
    EXPECT_EQ(1u, RefCount(filter)) << "the graph let the filter go";
    return written;
}

TEST_F(Graphs, EveryFormatThroughOurSourceAndSinkGivesTheEnginesOutput) {
    // Format tag, bits, channels, rate, frames, frames per media sample.
    const std::tuple<WORD, WORD, WORD, DWORD, int, int> kCases[] = {
        {WAVE_FORMAT_PCM, 16, 1, 44100, 11025, 4096},
        {WAVE_FORMAT_PCM, 16, 2, 96000, 24000, 1000},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 1, 96000, 20000, 3000},
        {WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 12345, 512},
        {WAVE_FORMAT_IEEE_FLOAT, 64, 1, 44100, 9000, 2048},
        {WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000, 19200, 4096},
    };
    for (const auto& [tag, bits, channels, rate, frames, blockFrames] : kCases) {
        SCOPED_TRACE(testing::Message() << bits << " bits, " << channels << " channels");
        const WavAudio input = MakeTestAudio(tag, bits, channels, rate, frames);
        ComPtr<IBaseFilter> filter;
        ComPtr<IHqPlugInProp> engine;
        ASSERT_EQ(S_OK, CreateRegisteredFilter(filter.Put()));
        ASSERT_EQ(S_OK, filter->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()));
        ASSERT_EQ(S_OK, engine->SetTail(1, FALSE));
        engine.Reset();
        std::string error;
        const WavAudio written = RunGraph(filter.Get(), input, blockFrames, S_OK, &error);
        const WAVEFORMATEX stereo = {tag, 2, rate, rate * bits / 4, WORD(bits / 4), bits, 0};
        EXPECT_EQ(0, std::memcmp(&stereo, &written.format, sizeof(WAVEFORMATEX)));
        // The input, then one and a half seconds of tail (the default decay).
        EXPECT_EQ(frames + 15 * static_cast<std::int64_t>(rate) / 10, written.Frames());
        const std::vector<BYTE> expected = ExpectedOutput(
            input, blockFrames,
            [](CStandaloneReverb& engine, CMediaParams&) { engine.SetTail(1, FALSE); });
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(expected == written.data);
    }
}

TEST(FrameworkGraphs, AFailingTransformStopsTheStreamWithItsAnswer) {
    const WavAudio input = MakeTestAudio(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100, 20000);
    std::string error;
    ComPtr<CPassThroughFilter> failing(CPassThroughFilter::Create());
    failing->failingTransform = 3;
    GraphRunResult result;
    RunGraph(failing.Get(), input, 4096, E_UNEXPECTED, &error, &result);
    EXPECT_EQ("streaming stopped: unexpected failure (0x8000FFFF)", error);
    EXPECT_EQ(2, result.samplesDelivered);
    EXPECT_EQ((std::vector<int>{1, 1}), (std::vector<int>{failing->starts, failing->stops}));
}

// dxhost refuses what it cannot do with one line on stderr, its exit code and no output file;
// the registered filter refuses to start streaming at a rate too high for it.
TEST_F(Graphs, DxHostRefusesBadInputWithOneLineAndNoOutput) {
    std::string error;
    ASSERT_TRUE(
        WriteWavFile("host-in.wav", MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 100), &error));
    ASSERT_TRUE(WriteWavFile("host-fast.wav", MakeTestAudio(WAVE_FORMAT_PCM, 16, 1, 35791395, 100),
                             &error));
    std::FILE* file = std::fopen("host.auto", "wb");
    ASSERT_NE(nullptr, file);
    std::fputs("Decay 0 1 0 1 wobble\n", file);
    std::fclose(file);
    const std::string unregistered = "{23EA417A-0D04-4386-805C-A5461EBC70FF}";
    const std::tuple<std::vector<std::string>, int, std::string> kCases[] = {
        {{}, 2, "dxhost: give an input and an output file (see --help)\n"},
        {{"--fast", "a.wav", "b.wav"}, 2, "dxhost: unknown option --fast (see --help)\n"},
        {{"host-in.wav", "host-out.wav", "--block", "0"},
         2,
         "dxhost: --block takes a number of frames from 1 to 1048576, not \"0\" (see --help)\n"},
        {{"host-in.wav", "host-out.wav", "--clsid", "reverb"},
         2,
         "dxhost: --clsid takes a class identifier in braces, not \"reverb\" (see --help)\n"},
        {{"none.wav", "host-out.wav"}, 1, "dxhost: none.wav: cannot open the file\n"},
        {{"host.auto", "host-out.wav"}, 1, "dxhost: "},
        {{"host-in.wav", "host-out.wav", "--automation", "host.auto"}, 2, "dxhost: "},
        {{"host-fast.wav", "host-out.wav"},
         1,
         "dxhost: the filter cannot start streaming 16-bit PCM, 1 channel, 35791395 Hz: "},
        {{"host-in.wav", "host-out.wav", "--clsid", unregistered},
         1,
         "dxhost: cannot create the filter " + unregistered + ": "},
    };
    for (const auto& [args, exitCode, message] : kCases) {
        std::ostringstream said, complained;
        EXPECT_EQ(exitCode, RunDxHost(args, said, complained)) << complained.str();
        EXPECT_EQ("", said.str());
        EXPECT_EQ(0u, complained.str().find(message)) << complained.str();
        EXPECT_EQ(complained.str().size() - 1, complained.str().find('\n')) << "one line";
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("host-out.wav"));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("host-out.wav.partial"));
    }
}

}  // namespace
