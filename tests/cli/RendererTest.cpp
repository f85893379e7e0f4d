// The halvern-reverb program run in-process: its sample paths against the engine itself, tail
// and settings, and every error path (one line, a non-zero exit, no output file).
#include <cmath>
#include <fstream>
#include <functional>

#include "engine/SampleConversion.h"
#include "engine/StandaloneReverb.h"
#include "tests/cli/RendererFixture.h"
#include "tests/support/EngineHarness.h"

namespace {

// The engine driven directly as the renderer should drive it: blocks of `block` frames in mode
// 0 then 1, then the tail in mode 2, with the tail switched on and `configure` applied.
template <typename Sample>
std::vector<Sample> EngineRender(const std::vector<Sample>& input, int channels, DWORD block,
                                 const std::function<void(CAudioTransform&)>& configure) {
    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status);
    const WORD bits = sizeof(Sample) * 8;
    engine->SetFormats(CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, bits, channels, 44100),
                       CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, bits, 2, 44100));
    engine->SetTail(1, FALSE);
    configure(*engine);
    engine->StartStreaming();
    std::vector<Sample> output;
    std::vector<Sample> out(2 * block);
    auto process = [&](int mode, const Sample* in, DWORD* n, DWORD* o) {
        if constexpr (sizeof(Sample) == 4)
            return engine->ProcessFloat32(mode, in, n, out.data(), o);
        else
            return engine->ProcessFloat64(mode, in, n, out.data(), o);
    };
    const size_t frames = input.size() / channels;
    for (size_t at = 0; at < frames; at += block) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(block, frames - at)), o = block;
        process(at == 0 ? kModeDiscontinuity : kModeContinue, &input[at * channels], &n, &o);
        output.insert(output.end(), out.begin(), out.begin() + 2 * o);
    }
    for (;;) {
        DWORD o = block;
        const HRESULT hr = process(kModeTail, nullptr, nullptr, &o);
        output.insert(output.end(), out.begin(), out.begin() + 2 * o);
        if (hr != S_OK) break;
    }
    engine->Release();
    return output;
}

void Loud(CAudioTransform& engine) {
    engine.SetReverb(30, FALSE);
    engine.SetDry(40, FALSE);
}

TEST_F(RendererTest, SixteenBitGoesThroughFloatAsTheFilterConvertsIt) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const std::string in = WriteSound("in16.wav", Noise(30000, channels, 0.9), channels,
                                          SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        const std::string out = Path("out16.wav");
        ASSERT_EQ(0, Run({in, out, "--block", "1000", "--set", "Reverb=30", "--set", "Dry=40"}))
            << err_.str();

        const Sound source = ReadSound(in);
        std::vector<float> asFloat;
        for (short s : source.shorts) asFloat.push_back(Int16ToFloat(s));
        std::vector<short> expected;
        for (float v : EngineRender(asFloat, channels, 1000, Loud)) {
            expected.push_back(FloatToInt16(v));
        }
        const Sound result = ReadSound(out);
        EXPECT_EQ(2, result.info.channels);
        EXPECT_EQ(SF_FORMAT_WAV | SF_FORMAT_PCM_16, result.info.format);
        EXPECT_EQ(expected, result.shorts);
        // Reverb +3 dB and Dry +4 dB drive the output past full scale; it clamps.
        EXPECT_NE(std::string::npos, out_.str().find("clipped: output left, output right"))
            << out_.str();
        EXPECT_NE(expected.end(), std::find(expected.begin(), expected.end(), 32767));
    }
}

TEST_F(RendererTest, FloatFilesRunTheMatchingBlockOperation) {
    const std::vector<double> noise = Noise(20000, 2, 0.5);
    {
        const std::string in = WriteSound("f32.wav", noise, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
        ASSERT_EQ(0, Run({in, Path("o32.wav"), "--block", "333"})) << err_.str();
        const Sound result = ReadSound(Path("o32.wav"));
        EXPECT_EQ(SF_FORMAT_WAV | SF_FORMAT_FLOAT, result.info.format);
        const Sound written = ReadSound(in);
        const std::vector<float> source(written.samples.begin(), written.samples.end());
        const std::vector<float> expected = EngineRender(source, 2, 333, [](CAudioTransform&) {});
        ASSERT_EQ(expected.size(), result.samples.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(expected[i], static_cast<float>(result.samples[i])) << i;
        }
    }
    {
        const std::string in = WriteSound("f64.wav", noise, 2, SF_FORMAT_WAV | SF_FORMAT_DOUBLE);
        ASSERT_EQ(0, Run({in, Path("o64.wav"), "--block", "333"})) << err_.str();
        const Sound result = ReadSound(Path("o64.wav"));
        EXPECT_EQ(SF_FORMAT_WAV | SF_FORMAT_DOUBLE, result.info.format);
        EXPECT_EQ(EngineRender(noise, 2, 333, [](CAudioTransform&) {}), result.samples);
    }
}

TEST_F(RendererTest, WideIntegersRunInDoublePrecisionAndKeepTheirFormat) {
    for (int format : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_32}) {
        SCOPED_TRACE(format);
        const std::string in =
            WriteSound("wide.wav", Noise(10000, 1, 0.5), 1, SF_FORMAT_WAV | format);
        ASSERT_EQ(0, Run({in, Path("wide-out.wav")})) << err_.str();
        const Sound result = ReadSound(Path("wide-out.wav"));
        EXPECT_EQ(SF_FORMAT_WAV | format, result.info.format);
        const std::vector<double> expected =
            EngineRender(ReadSound(in).samples, 1, 4096, [](CAudioTransform&) {});
        ASSERT_EQ(expected.size(), result.samples.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NEAR(expected[i], result.samples[i], 1.0 / (1 << 22)) << i;
        }
    }
}

TEST_F(RendererTest, TailLengthAndBlockSizeDoNotChangeTheSound) {
    const std::string in =
        WriteSound("in.wav", Noise(5000, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(0, Run({in, Path("a.wav"), "--block", "1"}));
    ASSERT_EQ(0, Run({in, Path("b.wav"), "--block", "4096"}));
    const Sound a = ReadSound(Path("a.wav")), b = ReadSound(Path("b.wav"));
    EXPECT_EQ(5000 + 66150, a.info.frames);  // Decay 1.5 s at 44100 Hz
    EXPECT_EQ(a.samples, b.samples);

    // Settings apply in order: the last Decay wins, and the tail follows it.
    ASSERT_EQ(0, Run({in, Path("c.wav"), "--set", "decay=10", "--set", "DECAY=30"}));
    EXPECT_EQ(5000 + 132300, ReadSound(Path("c.wav")).info.frames);

    ASSERT_EQ(0, Run({in, Path("d.wav"), "--no-tail"}));
    EXPECT_EQ(5000, ReadSound(Path("d.wav")).info.frames);
    ASSERT_EQ(0, Run({in, Path("e.wav"), "--set", "Tail=off"}));
    EXPECT_EQ(5000, ReadSound(Path("e.wav")).info.frames);
}

TEST_F(RendererTest, BypassPassesTheInputThrough) {
    const std::vector<double> noise = Noise(3000, 1, 0.5);
    const std::string in = WriteSound("mono.wav", noise, 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(0, Run({in, Path("by.wav"), "--bypass"}));
    const Sound result = ReadSound(Path("by.wav"));
    ASSERT_EQ(3000, result.info.frames);
    for (size_t f = 0; f < 3000; ++f) {
        EXPECT_EQ(static_cast<float>(noise[f]), static_cast<float>(result.samples[2 * f]));
        EXPECT_EQ(result.samples[2 * f], result.samples[2 * f + 1]);
    }
    EXPECT_NE(std::string::npos, out_.str().find("bypassed"));
}

TEST_F(RendererTest, ReportsPeaksInDecibels) {
    const std::string in =
        WriteSound("p.wav", Impulse(2000, 2, 10, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(0, Run({in, Path("p-out.wav"), "--set", "Reverb Mute=1", "--set", "E.R. Mute=1"}));
    EXPECT_NE(std::string::npos, out_.str().find("peaks: in L -6.0 dBFS, in R -6.0 dBFS; "
                                                 "out L -6.0 dBFS, out R -6.0 dBFS"))
        << out_.str();
    EXPECT_EQ(std::string::npos, out_.str().find("clipped"));
}

TEST_F(RendererTest, BadInputGetsOneLineAndNoOutputFile) {
    const std::string good =
        WriteSound("good.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    const std::string out = Path("out.wav");
    ExpectCleanFailure(Run({Path("missing.wav"), out}), 1, "cannot read", out);

    std::ofstream(Path("junk.wav")) << "not a sound file";
    ExpectCleanFailure(Run({Path("junk.wav"), out}), 1, "cannot read", out);

    const std::string threeChannels =
        WriteSound("three.wav", Noise(100, 3, 0.5), 3, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ExpectCleanFailure(Run({threeChannels, out}), 1, "has 3 channels", out);

    const std::string eightBit =
        WriteSound("eight.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
    ExpectCleanFailure(Run({eightBit, out}), 1, "does not take", out);

    ExpectCleanFailure(Run({good, out, "--set", "Shimmer=3"}), 2, "unknown parameter \"Shimmer\"",
                       out);
    ExpectCleanFailure(Run({good, out, "--set", "Decay=2.5"}), 2, "whole number", out);
    ExpectCleanFailure(Run({good, out, "--set", "Decay="}), 2, "whole number", out);
    ExpectCleanFailure(Run({good, out, "--set", "Decay=201"}), 2, "outside 1 .. 200", out);
    ExpectCleanFailure(Run({good, out, "--set", "Dry Mute=maybe"}), 2, "0 or 1", out);
    ExpectCleanFailure(Run({good, out, "--set", "Decay"}), 2, "NAME=VALUE", out);
    ExpectCleanFailure(Run({good, out, "--block", "0"}), 2, "--block", out);
    ExpectCleanFailure(Run({good, out, "--loud"}), 2, "unknown option --loud", out);
    ExpectCleanFailure(Run({good}), 2, "give an input and an output file", out);

    const std::string unwritable = Path("no-such-folder/out.wav");
    ExpectCleanFailure(Run({good, unwritable}), 1, "cannot write", unwritable);

    // A failed run leaves an existing output file as it was.
    std::ofstream(out) << "keep me";
    Run({good, out, "--set", "Decay=0"});
    std::ifstream kept(out);
    std::string content;
    std::getline(kept, content);
    EXPECT_EQ("keep me", content);
}

TEST_F(RendererTest, HelpListsEveryParameter) {
    ASSERT_EQ(0, Run({"--help"}));
    for (const ParameterDef& def : kParameters) {
        EXPECT_NE(std::string::npos, out_.str().find(def.label)) << def.label;
    }
    EXPECT_NE(std::string::npos, out_.str().find("Stereo"));
}

}  // namespace
