// The halvern-reverb program run in-process: sample paths bit for bit against the engine,
// settings, automation, states, presets and the presets commands, and every error path.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <tuple>

#include "cli/Renderer.h"
#include "tests/support/EngineHarness.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
constexpr auto npos = std::string::npos;

// The engine driven directly with Tail on, Reverb +3 dB and Dry +4 dB (to clip): blocks in mode
// 0, 1, then 2 to the tail's end; 16-bit and float files in 32-bit float, others in 64-bit.
std::vector<double> EngineRender(const std::vector<double>& source, WORD channels, int format) {
    EngineHarness engine(44100, channels);
    engine->SetTail(1, FALSE);
    engine->SetReverb(30, FALSE);
    engine->SetDry(40, FALSE);
    if (format != SF_FORMAT_PCM_16 && format != SF_FORMAT_FLOAT) {
        engine.Start();
        return engine.RenderWithTail(source, 4096);
    }
    engine->SetFormats(CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, channels, 44100),
                       CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100));
    engine.Start();
    const std::vector<float> input(source.begin(), source.end());
    const DWORD frames = static_cast<DWORD>(input.size() / channels);
    std::vector<float> block(2 * 4096);
    std::vector<double> output;
    HRESULT hr = S_OK;
    for (DWORD at = 0; at < frames || hr == S_OK; at += 4096) {
        const int mode = at >= frames ? kModeTail : (at == 0 ? kModeDiscontinuity : kModeContinue);
        DWORD n = std::min<DWORD>(4096, frames - std::min(at, frames)), o = 4096;
        hr = engine->ProcessFloat32(mode, at < frames ? &input[at * channels] : nullptr,
                                    at < frames ? &n : nullptr, block.data(), &o);
        output.insert(output.end(), block.begin(), block.begin() + 2 * o);
    }
    return output;
}

// Interleaved samples as libsndfile reads them (16-bit s as s / 32768), and the file's format.
std::vector<double> ReadSound(const std::string& path, int* format = nullptr) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_READ, &info),
                                                     sf_close);
    std::vector<double> samples(file ? static_cast<size_t>(info.frames * info.channels) : 0);
    if (file) sf_readf_double(file.get(), samples.data(), info.frames);
    if (format != nullptr) *format = info.format;
    return samples;
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
                           int channels, int format = SF_FORMAT_FLOAT, int rate = 44100) {
        SF_INFO info{0, rate, channels, SF_FORMAT_WAV | format, 0, 0};
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

    const fs::path dir_ = fs::temp_directory_path() / ("qv-renderer-" + std::to_string(getpid()));
    std::ostringstream out_, err_;
};

TEST_F(Renderer, EachFormatRunsItsSamplePathBitForBitWhateverTheBlockSize) {
    const std::pair<int, WORD> cases[] = {{SF_FORMAT_PCM_16, 1}, {SF_FORMAT_PCM_16, 2},
                                          {SF_FORMAT_FLOAT, 2},  {SF_FORMAT_DOUBLE, 2},
                                          {SF_FORMAT_PCM_24, 1}, {SF_FORMAT_PCM_32, 2}};
    for (const auto& [format, channels] : cases) {
        SCOPED_TRACE(std::to_string(format) + " " + std::to_string(channels));
        const std::string in = WriteSound("in.wav", Noise(20000, channels, 0.9), channels, format);
        ASSERT_EQ(0, Run({in, Path("out.wav"), "--block", "333", "--set", "Reverb=30", "--set",
                          "Dry=40"}))
            << err_.str();
        EXPECT_NE(npos, out_.str().find("\nclipped: output left, output right\n"));
        int written = 0;
        const std::vector<double> result = ReadSound(Path("out.wav"), &written);
        EXPECT_EQ(SF_FORMAT_WAV | format, written);
        std::vector<double> expected = EngineRender(ReadSound(in), channels, format);
        // 16-bit output is trunc(v x 32768) clamped, as the filter converts it.
        if (format == SF_FORMAT_PCM_16) {
            for (double& v : expected) v = std::clamp(std::trunc(v * 32768), -32768., 32767.);
            for (double& v : expected) v /= 32768;
        } else {
            expected = ReadSound(WriteSound("expected.wav", expected, 2, format));
        }
        EXPECT_EQ(expected, result);
    }
}

TEST_F(Renderer, AnErrorIsOneLineWithItsExitCodeAndNoOutput) {
    const std::string good = WriteSound("good.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_PCM_16);
    const std::string out = Path("out.wav"), junk = Path("junk.wav"), bad = Path("bad.txt");
    const std::string bank = QV_FACTORY_BANK;
    const std::string three = WriteSound("three.wav", Noise(100, 3, 0.5), 3, SF_FORMAT_PCM_16);
    const std::string eight = WriteSound("eight.wav", Noise(100, 2, 0.5), 2, SF_FORMAT_PCM_U8);
    const std::string fast =
        WriteSound("fast.wav", Noise(100, 1, 0.5), 1, SF_FORMAT_PCM_16, 35791395);
    std::ofstream(junk) << "not a sound file";
    std::ofstream(bad) << "Decay 0 1 0 1 linear\n\nDecay 0 1 0 1 wobble\n";
    // The input under other names: a hard link, a symbolic link, the temporary name of p.wav.
    const std::string hard = Path("hard.wav"), soft = Path("soft.wav"), p = Path("p.wav");
    fs::create_hard_link(good, hard);
    fs::create_symlink(good, soft);
    fs::copy_file(good, p + ".partial");
    const std::string kept = ReadText(good);
    // Bad settings exit with 2; a file that cannot be read or written, with 1.
    const std::tuple<Args, int, std::string> failures[] = {
        {{good, out, "--set", "Shimmer=3"}, 2, "unknown parameter \"Shimmer\""},
        {{good, out, "--set", "Decay=2.5"}, 2, "must be a whole number, not \"2.5\""},
        {{good, out, "--set", "Decay=on"}, 2, "Decay must be a whole number, not \"on\""},
        {{good, out, "--set", "Decay=201"}, 2, "Decay=201 is outside 1 .. 200"},
        {{good, out, "--set", "Decay=0"}, 2, "Decay=0 is outside 1 .. 200"},
        {{good, out, "--set", "Dry Mute=maybe"}, 2, "(0 or 1, or on or off)"},
        {{good, out, "--set", "Decay"}, 2, "--set takes NAME=VALUE"},
        {{good, out, "--block", "0"}, 2, "--block takes a number of frames from 1 to 1048576"},
        {{good, out, "--block", "1048577"}, 2, "--block takes"},
        {{good, out, "--loud"}, 2, "unknown option --loud"},
        {{good, out, "--state"}, 2, "--state needs a value"},
        {{good}, 2, "give an input and an output file"},
        {{good, out, "extra"}, 2, "unexpected argument extra"},
        {{good, out, "--bank", "Halls"}, 2, "--bank names the bank of a --preset"},
        {{good, out, "--automation", bad}, 2, "bad.txt:3:"},
        {{good, out, "--state", junk}, 2, "is not a saved state of this reverb"},
        {{good, out, "--preset", "Nothing"}, 2, "no preset named \"Nothing\""},
        {{good, out, "--preset", "Cathedral", "--bank", "Rooms", "--preset-file", bank},
         2,
         "\"Cathedral\" in bank \"Rooms\" in " + bank},
        {{Path("missing.wav"), out}, 1, "cannot read " + Path("missing.wav")},
        {{three, out}, 1, "has 3 channels; only mono and stereo"},
        {{eight, out}, 1, "holds samples of a kind the reverb does not take"},
        {{fast, out},
         1,
         "fast.wav has a sample rate of 35791395 Hz; the reverb takes 1 to 35791394 Hz"},
        {{good, Path("none/out.wav")}, 1, "cannot write " + Path("none/out.wav")},
        {{good, good}, 2, good + " is the input " + good + ", which would be overwritten"},
        {{good, (dir_ / "." / "good.wav").string()}, 2, "is the input " + good},
        {{good, hard}, 2, hard + " is the input " + good},
        {{hard, soft}, 2, soft + " is the input " + hard},
        {{good, out, "--save-state", soft}, 2, "is the input " + good},
        {{good, out, "--state", junk, "--save-state", junk}, 2, " is the state " + junk},
        {{good, out, "--automation", bad, "--save-state", bad}, 2, "is the automation file"},
        {{p + ".partial", p, "--overwrite-input"},
         2,
         p + ".partial, where " + p + " is written first, is the input"}};
    for (const auto& [args, code, text] : failures) {
        EXPECT_EQ(code, Run(args)) << text;
        const std::string message = err_.str();
        EXPECT_EQ(0u, message.find("halvern-reverb: ")) << message;
        EXPECT_NE(npos, message.find(text)) << message;
        EXPECT_EQ(1, std::count(message.begin(), message.end(), '\n')) << message;
        EXPECT_FALSE(fs::exists(out) || fs::exists(out + ".partial")) << text;
    }
    EXPECT_EQ(kept, ReadText(good));
    EXPECT_EQ(kept, ReadText(p + ".partial"));
    EXPECT_TRUE(fs::is_symlink(soft));

    // A run that fails after rendering leaves an existing output file as it was.
    std::ofstream(out) << "keep me";
    EXPECT_EQ(1, Run({good, out, "--save-state", Path("none/s.bin")}));
    EXPECT_EQ("halvern-reverb: cannot write the state " + Path("none/s.bin") + "\n", err_.str());
    EXPECT_EQ("keep me", ReadText(out));
    EXPECT_FALSE(fs::exists(out + ".partial"));
}

TEST_F(Renderer, OverwriteInputReplacesTheInputThroughALinkOnlyWhenTheRunSucceeds) {
    const std::string in = WriteSound("in.wav", Noise(3000, 2, 0.5), 2), link = Path("link.wav");
    fs::create_symlink(in, link);
    ASSERT_EQ(0, Run({in, Path("expected.wav"), "--set", "Decay=5"})) << err_.str();
    const std::string original = ReadText(in), expected = ReadText(Path("expected.wav"));
    // A failure after rendering loses nothing.
    EXPECT_EQ(1, Run({in, in, "--overwrite-input", "--save-state", Path("none/s.bin")}));
    EXPECT_EQ(original, ReadText(in));
    ASSERT_EQ(0, Run({link, link, "--set", "Decay=5", "--overwrite-input"})) << err_.str();
    EXPECT_EQ(expected, ReadText(in));
    EXPECT_TRUE(fs::is_symlink(link));
    Args names;  // nothing left beside them
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ((Args{"expected.wav", "in.wav", "link.wav"}), names);
}

TEST_F(Renderer, AutomationMovesWithTheAudioAndBypassPassesItThrough) {
    // Of two impulses, at 0 s and 1.5 s, the dry path that is muted from 1 s on lets one through.
    std::ofstream(Path("mute.txt")) << "# from 1 s\nDry Mute 1 1 1 1 jump\n";
    std::vector<double> first = Impulse(2 * 44100, 2, 10, 0.5), both = first;
    both[3 * 44100] = both[3 * 44100 + 1] = 0.5;
    ASSERT_EQ(0, Run({WriteSound("i.wav", both, 2), Path("m.wav"), "--block", "4410",
                      "--automation", Path("mute.txt"), "--set", "Reverb Mute=on", "--set",
                      "E.R. Mute=1", "--set", "Tail=off"}))
        << err_.str();
    EXPECT_EQ(first, ReadSound(Path("m.wav")));
    EXPECT_EQ("peaks: in L -6.0 dBFS, in R -6.0 dBFS; out L -6.0 dBFS, out R -6.0 dBFS\nwrote " +
                  Path("m.wav") + " (stereo, 44100 Hz, 32-bit float, 2.00 s)\n",
              out_.str());
    // Bypassed, the input passes through whatever the settings and the automation.
    ASSERT_EQ(0, Run({Path("i.wav"), Path("b.wav"), "--bypass", "--automation", Path("mute.txt"),
                      "--set", "Reverb Mute=on"}));
    EXPECT_EQ(both, ReadSound(Path("b.wav")));
    EXPECT_EQ(0u, out_.str().find("bypassed: the audio passed through unprocessed\n"));
}

TEST_F(Renderer, ASavedStateOrAPresetIsAppliedBeforeTheSettings) {
    const std::string in = WriteSound("s.wav", Noise(20000, 2, 0.5), 2);
    ASSERT_EQ(0, Run({in, Path("first.wav"), "--set", "Decay=37", "--set", "Room Size=80", "--set",
                      "Stereo=0", "--save-state", Path("state.bin")}))
        << err_.str();
    ASSERT_EQ(0, Run({in, Path("second.wav"), "--state", Path("state.bin")})) << err_.str();
    EXPECT_EQ(ReadSound(Path("first.wav")), ReadSound(Path("second.wav")));

    // Decay, Predelay and Tail saved after a preset (18, 40, on) or a state, then --set in order;
    // --no-tail wins over the preset's Tail.
    auto saved = [&](Args args) {
        args.insert(args.begin(), {in, Path("p.wav"), "--preset-file", QV_FACTORY_BANK,
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
}

TEST_F(Renderer, PresetCommandsManageAFile) {
    const std::string bank = Path("bank.ini"), mine = Path("mine.ini");
    fs::copy_file(QV_FACTORY_BANK, bank);
    auto presets = [&](Args args, const std::string& file = "") {
        args.insert(args.begin(), "presets");
        args.insert(args.end(), {"--preset-file", file.empty() ? bank : file});
        return Run(args);
    };
    ASSERT_EQ(0, presets({"list"}));
    EXPECT_NE(npos, out_.str().find("\nHalls\n  Bright Hall\n")) << out_.str();
    ASSERT_EQ(0, presets({"add", "Mine", "--bank", "Mine", "--set", "Decay=44", "--set",
                          "High Cut=221", "--set", "Input=-361", "--set", "Low Cut=19"}))
        << err_.str();
    EXPECT_EQ("added \"Mine\" to " + bank + "\n", out_.str());
    ASSERT_EQ(0, presets({"show", "mine", "--bank", "MINE"}));
    for (const char* line :
         {"Mine (bank Mine)\n  Input         -361   off\n  Low Cut       19     off\n"
          "  High Cut      221    off\n",
          "\n  Decay         44     4.4 s\n", "\n  Width         100    100 %\n",
          "\n  Reverb Mute   0      off\n"}) {
        EXPECT_NE(npos, out_.str().find(line)) << out_.str();
    }
    EXPECT_EQ(1, presets({"add", "mine", "--bank", "mine"}));
    EXPECT_EQ("halvern-reverb: a preset named \"mine\" is already in bank \"mine\"\n", err_.str());

    // Export one bank and import it again: the duplicate question is answered no by default.
    ASSERT_EQ(0, presets({"export", mine, "--bank", "Mine"}));
    ASSERT_EQ(0, presets({"import", mine}));
    EXPECT_EQ("imported 0 presets into " + bank + "\n", out_.str());
    EXPECT_NE(npos, err_.str().find("(answered no)")) << err_.str();
    ASSERT_EQ(0, presets({"import", mine, "--yes"}));
    EXPECT_EQ("imported 1 presets into " + bank + "\n", out_.str());

    // Another plug-in's file is neither imported nor written to.
    const std::string foreign = Path("foreign.ini");
    std::ofstream(foreign) << "[Plug-in]\nCLSID=SOFTWARE\\Other\n[Preset1]\nVersion=3\nName=X\n"
                              "Bank=\nData=1\n";
    EXPECT_EQ(1, presets({"import", foreign}));
    for (const char* command : {"list", "import"}) {
        EXPECT_EQ(1, presets({command, mine}, foreign));
        EXPECT_NE(npos, err_.str().find("foreign.ini belongs to another plug-in")) << err_.str();
    }
    EXPECT_EQ(1, presets({"show", "Nothing"}));
    EXPECT_EQ(2, presets({"frobnicate"}));
}

}  // namespace
