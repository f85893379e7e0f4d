// The halvern-reverb program run in-process: its sample paths bit for bit against the engine
// driven directly, tail, settings, automation, saved states and presets, and every error path
// (one line, the documented exit code, no output file left behind).
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Renderer.h"
#include "engine/StandaloneReverb.h"
#include "tests/support/EngineHarness.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// The engine driven as the renderer should drive it, in the precision of Sample: blocks in mode
// 0 then 1, then the tail in mode 2 until the engine reports its end, with Tail on; loud is
// Reverb +3 dB and Dry +4 dB.
template <typename Sample>
std::vector<double> EngineRender(const std::vector<double>& source, WORD channels, bool loud) {
    const std::vector<Sample> input(source.begin(), source.end());
    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status);
    const WORD bits = sizeof(Sample) * 8;
    engine->SetFormats(CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, bits, channels, 44100),
                       CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, bits, 2, 44100));
    engine->SetTail(1, FALSE);
    engine->SetReverb(loud ? 30 : -120, FALSE);
    engine->SetDry(loud ? 40 : 0, FALSE);
    engine->StartStreaming();
    constexpr DWORD kBlock = 4096;
    std::vector<Sample> out(2 * kBlock);
    std::vector<double> output;
    const size_t frames = input.size() / channels;
    HRESULT hr = S_OK;
    for (size_t at = 0; at < frames || hr == S_OK; at += kBlock) {
        const int mode = at >= frames ? kModeTail : (at == 0 ? kModeDiscontinuity : kModeContinue);
        const Sample* in = at < frames ? &input[at * channels] : nullptr;
        DWORD n = static_cast<DWORD>(std::min<size_t>(kBlock, frames - std::min(at, frames)));
        DWORD o = kBlock;
        if constexpr (sizeof(Sample) == 4) {
            hr = engine->ProcessFloat32(mode, in, in != nullptr ? &n : nullptr, out.data(), &o);
        } else {
            hr = engine->ProcessFloat64(mode, in, in != nullptr ? &n : nullptr, out.data(), &o);
        }
        output.insert(output.end(), out.begin(), out.begin() + 2 * o);
    }
    engine->Release();
    return output;
}

struct Sound {
    SF_INFO info{};
    std::vector<double> samples;  // as libsndfile reads them: 16-bit s as s / 32768
};

Sound ReadSound(const std::string& path) {
    Sound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &sound.info);
    if (file == nullptr) return sound;
    sound.samples.resize(static_cast<size_t>(sound.info.frames * sound.info.channels));
    sf_readf_double(file, sound.samples.data(), sound.info.frames);
    sf_close(file);
    return sound;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class Renderer : public testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override { fs::remove_all(dir_); }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Interleaved samples in [-1, 1] written as a WAV file of a libsndfile sample format.
    std::string WriteSound(const std::string& name, const std::vector<double>& samples,
                           int channels, int format = SF_FORMAT_FLOAT) {
        SF_INFO info{0, 44100, channels, SF_FORMAT_WAV | format, 0, 0};
        SNDFILE* file = sf_open(Path(name).c_str(), SFM_WRITE, &info);
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);  // as the renderer writes
        sf_writef_double(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
        sf_close(file);
        return Path(name);
    }
    int Run(Args args) {
        out_.str("");
        err_.str("");
        return RunRenderer(args, out_, err_);
    }
    // An error: its exit code, one line on stderr naming the problem, no output written.
    void ExpectFailure(const Args& args, int code, const std::string& text, std::string output) {
        EXPECT_EQ(code, Run(args)) << text;
        const std::string message = err_.str();
        EXPECT_EQ(0u, message.find("halvern-reverb: ")) << message;
        EXPECT_NE(std::string::npos, message.find(text)) << message;
        EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
        EXPECT_FALSE(fs::exists(output) || fs::exists(output + ".partial")) << text;
    }

    const fs::path dir_ = fs::temp_directory_path() / ("qv-renderer-" + std::to_string(getpid()));
    std::ostringstream out_, err_;
};

TEST_F(Renderer, EachFormatRunsItsSamplePathBitForBitWhateverTheBlockSize) {
    const std::pair<int, WORD> cases[] = {{SF_FORMAT_PCM_16, 1}, {SF_FORMAT_PCM_16, 2},
                                          {SF_FORMAT_FLOAT, 2},  {SF_FORMAT_DOUBLE, 2},
                                          {SF_FORMAT_PCM_24, 1}, {SF_FORMAT_PCM_32, 2}};
    for (const auto& [format, channels] : cases) {
        SCOPED_TRACE(std::to_string(format) + " " + std::to_string(channels));
        const bool int16 = format == SF_FORMAT_PCM_16;
        const std::string in =
            WriteSound("in.wav", Noise(20000, channels, int16 ? 0.9 : 0.5), channels, format);
        Args args = {in, Path("out.wav"), "--block", "333"};
        if (int16) args.insert(args.end(), {"--set", "Reverb=30", "--set", "Dry=40"});
        ASSERT_EQ(0, Run(args)) << err_.str();
        const Sound source = ReadSound(in), result = ReadSound(Path("out.wav"));
        EXPECT_EQ(SF_FORMAT_WAV | format, result.info.format);
        std::vector<double> expected = int16 || format == SF_FORMAT_FLOAT
                                           ? EngineRender<float>(source.samples, channels, int16)
                                           : EngineRender<double>(source.samples, channels, false);
        // 16-bit samples go through 32-bit float as the filter converts them: s / 32768 in,
        // trunc(v x 32768) clamped out; other files store what the reverb made in their format.
        if (int16) {
            for (double& v : expected) v = std::clamp(std::trunc(v * 32768), -32768.0, 32767.0);
            for (double& v : expected) v /= 32768;
            EXPECT_NE(std::string::npos, out_.str().find("\nclipped: output left, output right\n"));
        } else {
            expected = ReadSound(WriteSound("expected.wav", expected, 2, format)).samples;
        }
        EXPECT_EQ(expected, result.samples);
    }
}

TEST_F(Renderer, BypassPassesTheInputThroughAndPeaksAreReported) {
    const std::vector<double> noise = Noise(3000, 1, 0.5);
    ASSERT_EQ(
        0, Run({WriteSound("mono.wav", noise, 1, SF_FORMAT_DOUBLE), Path("by.wav"), "--bypass"}));
    EXPECT_EQ("bypassed: the audio passed through unprocessed\nwrote " + Path("by.wav") +
                  " (stereo, 44100 Hz, 64-bit float, 0.07 s)\n",
              out_.str());
    std::vector<double> doubled;
    for (double v : noise) doubled.insert(doubled.end(), {v, v});
    EXPECT_EQ(doubled, ReadSound(Path("by.wav")).samples);

    ASSERT_EQ(0, Run({WriteSound("p.wav", Impulse(2000, 2, 10, 0.5), 2), Path("p-out.wav"), "--set",
                      "Reverb Mute=1", "--set", "E.R. Mute=1", "--no-tail"}));
    EXPECT_EQ("peaks: in L -6.0 dBFS, in R -6.0 dBFS; out L -6.0 dBFS, out R -6.0 dBFS\nwrote " +
                  Path("p-out.wav") + " (stereo, 44100 Hz, 32-bit float, 0.05 s)\n",
              out_.str());
}

TEST_F(Renderer, AnErrorIsOneLineWithItsExitCodeAndNoOutput) {
    const std::string good = WriteSound("good.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_PCM_16);
    const std::string out = Path("out.wav"), junk = Path("junk.wav"), bad = Path("bad.txt");
    std::ofstream(junk) << "not a sound file";
    std::ofstream(bad) << "Decay 0 1 0 1 linear\n\nDecay 0 1 0 1 wobble\n";
    const std::pair<Args, std::string> failures[] = {
        {{good, out, "--set", "Shimmer=3"}, "unknown parameter \"Shimmer\""},
        {{good, out, "--set", "Decay=2.5"}, "must be a whole number, not \"2.5\""},
        {{good, out, "--set", "Decay="}, "whole number"},
        {{good, out, "--set", "Decay=201"}, "Decay=201 is outside 1 .. 200"},
        {{good, out, "--set", "Decay=0"}, "Decay=0 is outside 1 .. 200"},
        {{good, out, "--set", "Dry Mute=maybe"}, "(0 or 1, or on or off)"},
        {{good, out, "--set", "Decay"}, "--set takes NAME=VALUE"},
        {{good, out, "--block", "0"}, "--block takes a number of frames from 1 to 1048576"},
        {{good, out, "--block", "1048577"}, "--block takes"},
        {{good, out, "--loud"}, "unknown option --loud"},
        {{good, out, "--state"}, "--state needs a value"},
        {{good}, "give an input and an output file"},
        {{good, out, "--bank", "Halls"}, "--bank names the bank of a --preset"},
        {{good, out, "--automation", bad}, "bad.txt:3:"},
        {{good, out, "--automation", Path("missing.txt")}, "missing.txt"},
        {{good, out, "--state", junk}, "is not a saved state of this reverb"},
        {{good, out, "--preset", "Nothing"}, "no preset named \"Nothing\""}};
    for (const auto& [args, text] : failures) ExpectFailure(args, 2, text, out);

    const std::string three = WriteSound("three.wav", Noise(100, 3, 0.5), 3, SF_FORMAT_PCM_16);
    const std::string eight = WriteSound("eight.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_PCM_U8);
    ExpectFailure({Path("missing.wav"), out}, 1, "cannot read " + Path("missing.wav"), out);
    ExpectFailure({junk, out}, 1, "cannot read", out);
    ExpectFailure({three, out}, 1, "has 3 channels; only mono and stereo", out);
    ExpectFailure({eight, out}, 1, "holds samples of a kind the reverb does not take", out);
    ExpectFailure({good, Path("none/out.wav")}, 1, "cannot write", Path("none/out.wav"));

    // A run that fails after rendering leaves an existing output file as it was.
    std::ofstream(out) << "keep me";
    EXPECT_EQ(1, Run({good, out, "--save-state", Path("none/s.bin")}));
    EXPECT_EQ("halvern-reverb: cannot write the state " + Path("none/s.bin") + "\n", err_.str());
    EXPECT_EQ("keep me", ReadText(out));
    EXPECT_FALSE(fs::exists(out + ".partial"));
    EXPECT_EQ(0, Run({"--help"}));
    EXPECT_NE(
        std::string::npos,
        out_.str().find("\n  High Damping   5 .. 221        default 40     100 Hz, 221 = off\n"));
}

TEST_F(Renderer, ADecayEnvelopeLengthensTheLaterTail) {
    // Two identical 50 ms noise bursts, at 0 s and at 5 s, in 6 s of otherwise silent audio.
    std::vector<double> samples(6 * 44100 * 2, 0.0);
    const std::vector<double> burst = Noise(2205, 2, 0.5, 9);
    std::copy(burst.begin(), burst.end(), samples.begin());
    std::copy(burst.begin(), burst.end(), samples.begin() + 5 * 44100 * 2);
    const std::string in = WriteSound("bursts.wav", samples, 2);
    // Decay from 0.1 s (normalised 0) to 10 s (normalised 0.4975) over the clip.
    std::ofstream(Path("decay.txt")) << "# decay sweep\nDecay 0 6 0 0.4975 linear\n";
    // The reverb 0.35 to 0.85 s after each burst against the reverb during it.
    auto ratios = [&](Args args) {
        args.insert(args.end(), {"--set", "Dry Mute=1", "--set", "E.R. Mute=1", "--set", "Reverb=0",
                                 "--set", "Tail=off"});
        EXPECT_EQ(0, Run(args)) << err_.str();
        const std::vector<double> wet = ReadSound(args[1]).samples;
        auto rms = [&wet](double from, double to) {
            double sum = 0;
            for (size_t i = size_t(from * 44100) * 2; i < size_t(to * 44100) * 2; ++i) {
                sum += wet[i] * wet[i];
            }
            return std::sqrt(sum);
        };
        return std::make_pair(rms(0.35, 0.85) / rms(0, 0.05), rms(5.35, 5.85) / rms(5, 5.05));
    };
    const auto [early, late] = ratios({in, Path("swept.wav"), "--automation", Path("decay.txt")});
    EXPECT_GT(late, early * 10.0) << early << " " << late;  // 20 dB more reverb
    const auto [first, second] = ratios({in, Path("flat.wav")});
    EXPECT_NEAR(first, second, 1e-3);
}

TEST_F(Renderer, ASavedStateOrAPresetIsAppliedBeforeTheSettings) {
    const std::string in = WriteSound("s.wav", Noise(20000, 2, 0.5), 2);
    ASSERT_EQ(0, Run({in, Path("first.wav"), "--set", "Decay=37", "--set", "Room Size=80", "--set",
                      "Stereo=0", "--save-state", Path("state.bin")}))
        << err_.str();
    ASSERT_EQ(100u, ReadText(Path("state.bin")).size());
    ASSERT_EQ(0, Run({in, Path("second.wav"), "--state", Path("state.bin")})) << err_.str();
    EXPECT_EQ(ReadSound(Path("first.wav")).samples, ReadSound(Path("second.wav")).samples);

    // Decay, Predelay and Tail as saved after a run with a preset (Decay 18, Predelay 40 in the
    // factory bank) or a state: the --set list follows in order, and --no-tail wins over the
    // preset's Tail.
    fs::copy_file(QV_FACTORY_BANK, Path("bank.ini"));
    auto saved = [&](Args args) {
        args.insert(args.begin(), {in, Path("p.wav"), "--preset-file", Path("bank.ini"),
                                   "--save-state", Path("p.bin")});
        EXPECT_EQ(0, Run(args)) << err_.str();
        std::vector<int> words(kSetupWordCount);
        std::memcpy(words.data(), ReadText(Path("p.bin")).data() + 20, 4 * words.size());
        return std::vector<int>{words[SetupWord::kDecay], words[SetupWord::kPredelay],
                                words[SetupWord::kTail]};
    };
    EXPECT_EQ((std::vector<int>{18, 40, 1}), saved({"--preset", "vocal plate"}));
    EXPECT_EQ((std::vector<int>{30, 40, 0}), saved({"--preset", "Vocal Plate", "--bank", "Vocals",
                                                    "--set", "Decay=30", "--no-tail"}));
    EXPECT_EQ((std::vector<int>{5, 0, 1}),
              saved({"--state", Path("state.bin"), "--set", "decay=9", "--set", "DECAY=5"}));
    ExpectFailure({in, Path("p3.wav"), "--preset", "Vocal Plate", "--bank", "Halls",
                   "--preset-file", Path("bank.ini")},
                  2, "no preset named \"Vocal Plate\" in bank \"Halls\" in " + Path("bank.ini"),
                  Path("p3.wav"));
}

TEST_F(Renderer, PresetCommandsManageAFile) {
    const std::string bank = Path("bank.ini");
    fs::copy_file(QV_FACTORY_BANK, bank);
    auto presets = [&](Args args) {
        args.insert(args.begin(), "presets");
        args.insert(args.end(), {"--preset-file", bank});
        return Run(args);
    };
    ASSERT_EQ(0, presets({"list"}));
    EXPECT_EQ(0u, out_.str().find("Drums\n  ")) << out_.str();
    EXPECT_NE(std::string::npos, out_.str().find("\nHalls\n  Bright Hall\n")) << out_.str();
    ASSERT_EQ(0, presets({"add", "Mine", "--bank", "Mine", "--set", "Decay=44", "--set",
                          "High Cut=221", "--set", "Input=-361"}))
        << err_.str();
    EXPECT_EQ("added \"Mine\" to " + bank + "\n", out_.str());
    ASSERT_EQ(0, presets({"show", "mine"}));
    EXPECT_EQ(
        "Mine (bank Mine)\n  Input         -361   off\n  Low Cut       75     75 Hz\n"
        "  High Cut      221    off\n  Predelay      0      0 ms\n  Room Size     50     50\n"
        "  Diffusion     100    100 %\n  Bass Mult     10     1.0 x decay\n"
        "  Crossover     500    500 Hz\n  Decay         44     4.4 s\n"
        "  High Damping  40     4.0 kHz\n  Dry           0      0.0 dB\n"
        "  E.R.          -35    -3.5 dB\n  Reverb        -120   -12.0 dB\n"
        "  Width         100    100 %\n  Input Mute    0      off\n  Dry Mute      0      off\n"
        "  E.R. Mute     0      off\n  Reverb Mute   0      off\n",
        out_.str());
    EXPECT_EQ(1, presets({"add", "mine", "--bank", "mine"}));
    EXPECT_EQ("halvern-reverb: a preset named \"mine\" is already in bank \"mine\"\n", err_.str());
    EXPECT_EQ(0, presets({"add", "Mine", "--bank", "Other"})) << err_.str();
    EXPECT_LT(ReadText(bank).find("Bank=Other"), ReadText(bank).find("Bank=Plates"));  // sorted

    // Export one bank, then import it again: the duplicate question is answered no by default.
    ASSERT_EQ(0, presets({"export", Path("mine.ini"), "--bank", "Mine"}));
    EXPECT_EQ("[Plug-in]\r\nPluginName=qv:Reverb\r\nCLSID=" + std::string(kFilterClassKeyPath) +
                  "\r\n[Preset1]\r\nVersion=3\r\nName=Mine\r\nBank=Mine\r\n"
                  "Data=-361,75,221,0,50,100,10,500,44,40,0,-35,-120,100,0,0,0,0\r\n",
              ReadText(Path("mine.ini")));
    ASSERT_EQ(0, presets({"import", Path("mine.ini")}));
    EXPECT_EQ("imported 0 presets into " + bank + "\n", out_.str());
    EXPECT_NE(std::string::npos, err_.str().find("(answered no)")) << err_.str();
    ASSERT_EQ(0, presets({"import", Path("mine.ini"), "--yes"}));
    EXPECT_EQ("imported 1 presets into " + bank + "\n", out_.str());

    // A file of another plug-in is refused with the store's own message.
    std::ofstream(Path("foreign.ini")) << "[Plug-in]\nCLSID=SOFTWARE\\Other\n"
                                          "[Preset1]\nVersion=3\nName=X\nBank=\nData=1\n";
    EXPECT_EQ(1, presets({"import", Path("foreign.ini")}));
    EXPECT_NE(std::string::npos, err_.str().find("does not contain data for this plug-in"));
    EXPECT_EQ(1, Run({"presets", "list", "--preset-file", Path("foreign.ini")}));
    EXPECT_NE(std::string::npos, err_.str().find("belongs to another plug-in")) << err_.str();
    // A version-1 line holds Width in fiftieths; a short line says what it leaves.
    std::ofstream(Path("old.ini")) << "[Plug-in]\nCLSID=" << kFilterClassKeyPath
                                   << "\n[Preset1]\nVersion=1\nName=Old\nBank=\nData=0,75,40,0,50,"
                                      "100,10,500,15,40,0,-35,-120,2\n";
    EXPECT_EQ(0, Run({"presets", "show", "Old", "--preset-file", Path("old.ini")}));
    EXPECT_NE(std::string::npos,
              out_.str().find("  Width         100    100 %\n  (the data line holds 14 of 18 "
                              "values; the rest stay as they are when it is applied)\n"));
    EXPECT_EQ(1, presets({"show", "Nothing"}));
    EXPECT_EQ(2, presets({"frobnicate"}));
}

}  // namespace
