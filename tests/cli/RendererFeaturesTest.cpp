// The renderer's automation, saved states and presets, end to end through the program.
#include <cmath>
#include <cstring>
#include <fstream>

#include "engine/ParameterTable.h"
#include "presets/PresetData.h"
#include "tests/cli/RendererFixture.h"
#include "tests/support/EngineHarness.h"

namespace {

double Rms(const std::vector<double>& stereo, double fromSeconds, double toSeconds) {
    const auto from = static_cast<size_t>(fromSeconds * 44100) * 2;
    const auto to = std::min(stereo.size(), static_cast<size_t>(toSeconds * 44100) * 2);
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += stereo[i] * stereo[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Two identical 50 ms noise bursts, at 0 s and at 5 s, in 6 s of otherwise silent audio.
std::vector<double> TwoBursts() {
    std::vector<double> samples(6 * 44100 * 2, 0.0);
    const std::vector<double> burst = Noise(2205, 2, 0.5, 9);
    std::copy(burst.begin(), burst.end(), samples.begin());
    std::copy(burst.begin(), burst.end(), samples.begin() + 5 * 44100 * 2);
    return samples;
}

TEST_F(RendererTest, ADecayEnvelopeLengthensTheLaterTail) {
    const std::string in =
        WriteSound("bursts.wav", TwoBursts(), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    // Decay from 0.1 s (normalised 0) to 10 s (normalised 0.4975) over the clip.
    std::ofstream(Path("decay.txt")) << "# decay sweep\nDecay 0 6 0 0.4975 linear\n";
    ASSERT_EQ(0, Run({in, Path("swept.wav"), "--automation", Path("decay.txt"), "--set",
                      "Dry Mute=1", "--set", "E.R. Mute=1", "--set", "Reverb=0", "--no-tail"}))
        << err_.str();
    const std::vector<double> wet = ReadSound(Path("swept.wav")).samples;
    // The reverb 0.3 to 0.8 s after each burst, relative to the reverb during the burst.
    const double early = Rms(wet, 0.35, 0.85) / Rms(wet, 0.0, 0.05);
    const double late = Rms(wet, 5.35, 5.85) / Rms(wet, 5.0, 5.05);
    EXPECT_GT(late, early * 10.0) << early << " " << late;  // 20 dB more reverb

    // Without the envelope both tails are the same.
    ASSERT_EQ(0, Run({in, Path("flat.wav"), "--set", "Dry Mute=1", "--set", "E.R. Mute=1", "--set",
                      "Reverb=0", "--no-tail"}));
    const std::vector<double> flat = ReadSound(Path("flat.wav")).samples;
    EXPECT_NEAR(Rms(flat, 0.35, 0.85) / Rms(flat, 0.0, 0.05),
                Rms(flat, 5.35, 5.85) / Rms(flat, 5.0, 5.05), 1e-3);
}

TEST_F(RendererTest, AMalformedAutomationLineStopsTheRunWithItsNumber) {
    const std::string in =
        WriteSound("a.wav", Noise(1000, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    std::ofstream(Path("bad.txt")) << "Decay 0 1 0 1 linear\n\nDecay 0 1 0 1 wobble\n";
    const std::string out = Path("never.wav");
    EXPECT_EQ(2, Run({in, out, "--automation", Path("bad.txt")}));
    EXPECT_NE(std::string::npos, err_.str().find("bad.txt:3:")) << err_.str();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(2, Run({in, out, "--automation", Path("missing.txt")}));
    EXPECT_NE(std::string::npos, err_.str().find("missing.txt")) << err_.str();
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(RendererTest, ASavedStateReproducesTheRenderBitForBit) {
    const std::string in =
        WriteSound("s.wav", Noise(20000, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(0, Run({in, Path("first.wav"), "--set", "Decay=37", "--set", "Room Size=80", "--set",
                      "Predelay=12", "--set", "Stereo=0", "--save-state", Path("state.bin")}))
        << err_.str();
    const std::string state = ReadText(Path("state.bin"));
    ASSERT_EQ(100u, state.size());
    EXPECT_EQ(100, static_cast<unsigned char>(state[0]));

    ASSERT_EQ(0, Run({in, Path("second.wav"), "--state", Path("state.bin")})) << err_.str();
    EXPECT_EQ(ReadSound(Path("first.wav")).samples, ReadSound(Path("second.wav")).samples);

    // --set applies after the state.
    ASSERT_EQ(0, Run({in, Path("third.wav"), "--state", Path("state.bin"), "--set", "Decay=5"}));
    EXPECT_NE(ReadSound(Path("first.wav")).info.frames, ReadSound(Path("third.wav")).info.frames);

    std::ofstream(Path("junk.bin")) << std::string(100, 'x');
    EXPECT_EQ(2, Run({in, Path("no.wav"), "--state", Path("junk.bin")}));
    EXPECT_NE(std::string::npos, err_.str().find("not a saved state")) << err_.str();
    EXPECT_FALSE(fs::exists(Path("no.wav")));
}

class RendererPresetTest : public RendererTest {
protected:
    void SetUp() override {
        RendererTest::SetUp();
        bank_ = Path("bank.ini");
        fs::copy_file(QV_FACTORY_BANK, bank_);
    }
    std::string bank_;
};

TEST_F(RendererPresetTest, APresetIsAppliedBeforeTheSettings) {
    const std::string in =
        WriteSound("p.wav", Noise(4000, 2, 0.5), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    ASSERT_EQ(0, Run({in, Path("p1.wav"), "--preset", "vocal plate", "--preset-file", bank_,
                      "--save-state", Path("p1.bin")}))
        << err_.str();
    // The saved words are the preset's (Decay 18, Predelay 40 in the factory bank) ...
    const std::string state = ReadText(Path("p1.bin"));
    auto word = [&state](int w) {
        int value;
        std::memcpy(&value, state.data() + 20 + 4 * w, 4);
        return value;
    };
    EXPECT_EQ(18, word(SetupWord::kDecay));
    EXPECT_EQ(40, word(SetupWord::kPredelay));
    EXPECT_EQ(1, word(SetupWord::kTail));
    // ... and a --set after it wins, as does --no-tail over the preset's Tail.
    ASSERT_EQ(
        0, Run({in, Path("p2.wav"), "--preset", "Vocal Plate", "--bank", "Vocals", "--preset-file",
                bank_, "--set", "Decay=30", "--no-tail", "--save-state", Path("p2.bin")}));
    const std::string second = ReadText(Path("p2.bin"));
    int decay, tail;
    std::memcpy(&decay, second.data() + 20 + 4 * SetupWord::kDecay, 4);
    std::memcpy(&tail, second.data() + 20 + 4 * SetupWord::kTail, 4);
    EXPECT_EQ(30, decay);
    EXPECT_EQ(0, tail);

    EXPECT_EQ(2, Run({in, Path("p3.wav"), "--preset", "Vocal Plate", "--bank", "Halls",
                      "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, err_.str().find("no preset named \"Vocal Plate\" in bank"))
        << err_.str();
    EXPECT_FALSE(fs::exists(Path("p3.wav")));
    EXPECT_EQ(2, Run({in, Path("p3.wav"), "--bank", "Halls"}));
}

TEST_F(RendererPresetTest, PresetCommandsManageAFile) {
    ASSERT_EQ(0, Run({"presets", "list", "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, out_.str().find("Halls\n  Bright Hall\n")) << out_.str();

    ASSERT_EQ(0, Run({"presets", "show", "Cathedral", "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, out_.str().find("Cathedral (bank Halls)")) << out_.str();

    ASSERT_EQ(0, Run({"presets", "add", "Mine", "--bank", "Mine", "--set", "Decay=44",
                      "--preset-file", bank_}))
        << err_.str();
    ASSERT_EQ(0, Run({"presets", "show", "Mine", "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, out_.str().find("Decay         44     4.4 s")) << out_.str();
    EXPECT_EQ(1, Run({"presets", "add", "mine", "--bank", "mine", "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, err_.str().find("already in bank")) << err_.str();

    // Export one bank, then import it again: the duplicate question is answered no by default.
    ASSERT_EQ(
        0, Run({"presets", "export", Path("mine.ini"), "--bank", "Mine", "--preset-file", bank_}));
    ASSERT_EQ(0, Run({"presets", "import", Path("mine.ini"), "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, out_.str().find("imported 0 presets")) << out_.str();
    EXPECT_NE(std::string::npos, err_.str().find("(answered no)")) << err_.str();
    ASSERT_EQ(0, Run({"presets", "import", Path("mine.ini"), "--yes", "--preset-file", bank_}));
    EXPECT_NE(std::string::npos, out_.str().find("imported 1 presets")) << out_.str();

    // A file of another plug-in is refused with the store's own message.
    std::ofstream(Path("foreign.ini")) << "[Plug-in]\nPluginName=other\nCLSID=SOFTWARE\\Other\n"
                                          "[Preset1]\nVersion=3\nName=X\nBank=\nData=1\n";
    EXPECT_EQ(1, Run({"presets", "import", Path("foreign.ini"), "--preset-file", bank_}));
    EXPECT_EQ(1, Run({"presets", "list", "--preset-file", Path("foreign.ini")}));
    EXPECT_NE(std::string::npos, err_.str().find("belongs to another plug-in")) << err_.str();

    EXPECT_EQ(1, Run({"presets", "show", "Nothing", "--preset-file", bank_}));
    EXPECT_EQ(2, Run({"presets", "frobnicate"}));
}

}  // namespace
