// The persisted state and the built-in host presets: the exact bytes of a save, round trips,
// the older layouts and the words they lack, malformed headers and truncated streams, stream
// failures, the dirty flag, the notice to editors, and the preset names. Streams are the
// system's memory streams (CreateStreamOnHGlobal).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/StaticFilterPreset.h"
#include "host/MediaParams.h"
#include "tests/host/HostDoubles.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/TestWindow.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

// IID_IHqPlugInProp in its stored byte order: 32-bit, 16-bit, 16-bit little-endian, 8 bytes.
const BYTE kTag[16] = {0x91, 0x2C, 0x7D, 0x5A, 0x3B, 0x4E, 0x80, 0x4F,
                       0x9C, 0x16, 0xD2, 0xE8, 0x4B, 0x07, 0xA3, 0xC5};

// The 20-byte header: total length (little-endian), then the tag.
std::vector<BYTE> Header(std::uint32_t totalBytes) {
    std::vector<BYTE> bytes(20);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<BYTE>(totalBytes >> (8 * i));
    for (int i = 0; i < 16; ++i) bytes[4 + i] = kTag[i];
    return bytes;
}

// A stream of `totalBytes` whose block holds the first words of `block`.
std::vector<BYTE> State(std::uint32_t totalBytes, const SetupBlock& block) {
    std::vector<BYTE> bytes = Header(totalBytes);
    for (std::uint32_t at = 0; at + 20 < totalBytes; ++at) {
        const auto word = static_cast<std::uint32_t>(block.words[at / 4]);
        bytes.push_back(static_cast<BYTE>(word >> (8 * (at % 4))));
    }
    return bytes;
}

// Settings far from the defaults in every word.
SetupBlock Unusual() {
    return SetupBlock{
        {-100, 300, 90, 120, 80, 40, 20, 900, 75, 60, -50, -60, 0, 1, 0, -200, 1, 150, 1, 1}};
}

class PersistentState : public ::testing::Test {
protected:
    SetupBlock Live() {
        SetupBlock block;
        engine->GetAllParams(&block);
        return block;
    }
    void ExpectLive(const SetupBlock& expected) {
        const SetupBlock live = Live();
        for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(expected.words[w], live.words[w]) << w;
    }
    // Gives the engine the unusual settings, Mono, then dirty-clean.
    void MakeUnusualAndClean() {
        engine->SetAllParams(&kDefaultSetup);
        SetupBlock block = Unusual();
        engine->SetAllParams(&block);
        engine->ClearDirtyFlag();
    }

    EngineHarness engine{44100, 2, &CMediaParams::Create};
};

TEST_F(PersistentState, ANewEngineSavesExactlyTheDefaultBlock) {
    StreamRef stream(MemoryStream());
    ASSERT_EQ(S_OK, engine->Save(stream.Get(), TRUE));
    SetupBlock expected = kDefaultSetup;
    expected.words[SetupWord::kStereo] = 1;  // preset 0 turns Stereo on
    EXPECT_EQ(State(100, expected), StreamBytes(stream.Get()));

    ULARGE_INTEGER size;
    size.QuadPart = 7;
    EXPECT_EQ(S_OK, engine->GetSizeMax(&size));
    EXPECT_EQ(100u, size.QuadPart);
    EXPECT_EQ(E_POINTER, engine->GetSizeMax(nullptr));
    EXPECT_EQ(E_POINTER, engine->Save(nullptr, TRUE));
    EXPECT_EQ(E_POINTER, engine->Load(nullptr));
}

TEST_F(PersistentState, TheDirtyFlagFollowsChangesAndSaves) {
    EXPECT_EQ(S_OK, engine->IsDirty());  // preset 0 in the constructor changed every word
    StreamRef stream(MemoryStream());
    ASSERT_EQ(S_OK, engine->Save(stream.Get(), FALSE));
    EXPECT_EQ(S_OK, engine->IsDirty());
    ASSERT_EQ(S_OK, engine->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, engine->IsDirty());
    engine->SetDecay(15, TRUE);  // the value it has
    EXPECT_EQ(S_FALSE, engine->IsDirty());
    engine->SetDecay(16, TRUE);
    EXPECT_EQ(S_OK, engine->IsDirty());
    engine->ClearDirtyFlag();
    engine->SetTail(1, FALSE);
    EXPECT_EQ(S_OK, engine->IsDirty());
}

TEST_F(PersistentState, ASavedStateLoadsBackWordForWord) {
    MakeUnusualAndClean();
    engine->SetStereo(0, FALSE);  // Mono: Width 0, the width before it remembered
    const SetupBlock saved = Live();
    StreamRef stream(MemoryStream());
    ASSERT_EQ(S_OK, engine->Save(stream.Get(), TRUE));

    EngineHarness other(48000, 1, &CMediaParams::Create);
    Rewind(stream.Get());
    ASSERT_EQ(S_OK, other->Load(stream.Get()));
    SetupBlock loaded;
    other->GetAllParams(&loaded);
    for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(saved.words[w], loaded.words[w]) << w;
    int stereo = -1;
    other->GetStereo(&stereo);
    EXPECT_EQ(0, stereo);

    // The load reached the automation object too: what a host reads matches the words.
    auto* params = static_cast<CMediaParams*>(other->Automation());
    MP_DATA value = 0.0f;
    params->GetParam(Param::kDecay, &value);
    EXPECT_EQ(PhysicalToNormalised(Param::kDecay, 75), value);
}

TEST_F(PersistentState, LoadReadsOnlyItsOwnBytes) {
    std::vector<BYTE> bytes = State(100, Unusual());
    bytes.insert(bytes.end(), {'X', 'Y', 'Z'});
    StreamRef stream(MemoryStream(bytes));
    ASSERT_EQ(S_OK, engine->Load(stream.Get()));
    BYTE next[3] = {};
    ULONG read = 0;
    stream->Read(next, 3, &read);
    EXPECT_EQ(3u, read);
    EXPECT_EQ('X', next[0]);
    EXPECT_EQ('Z', next[2]);
}

TEST_F(PersistentState, OlderLayoutsFillTheWordsTheyLack) {
    // The stream's own Tail is on and its Stereo off, so that every filled word shows; its
    // Width is the one the engine restores when a load turns Stereo back on.
    SetupBlock given = Unusual();
    given.words[SetupWord::kWidth] = 100;
    given.words[SetupWord::kStereo] = 0;
    auto with = [&given](std::initializer_list<std::pair<int, int>> fills) {
        SetupBlock b = given;
        for (auto [word, value] : fills) b.words[word] = value;
        return b;
    };
    const struct {
        std::uint32_t totalBytes;
        SetupBlock expected;
    } cases[] = {
        {80, with({{15, -35}, {16, 0}, {17, 100}, {18, 0}, {19, 1}})},
        {92, with({{18, 0}, {19, 1}})},
        {96, with({{19, 1}})},
        {100, given},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.totalBytes);
        engine->SetAllParams(&kDefaultSetup);
        engine->SetTail(1, FALSE);
        engine->SetStereo(0, FALSE);
        StreamRef stream(MemoryStream(State(c.totalBytes, given)));
        ASSERT_EQ(S_OK, engine->Load(stream.Get()));
        ExpectLive(c.expected);
        int stereo = -1;
        engine->GetStereo(&stereo);
        EXPECT_EQ(c.expected.words[SetupWord::kStereo], stereo);
    }
}

TEST_F(PersistentState, MalformedOrTruncatedStreamsChangeNothing) {
    MakeUnusualAndClean();
    const SetupBlock before = Live();
    std::vector<BYTE> badTag = State(100, kDefaultSetup);
    badTag[19] ^= 0x01;
    const std::vector<BYTE> full = State(100, kDefaultSetup);
    const struct {
        const char* what;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"length 84", State(84, kDefaultSetup)},
        {"length 0", State(0, kDefaultSetup)},
        {"length 101", State(101, kDefaultSetup)},
        {"tag", badTag},
        {"empty", {}},
        {"half a header", std::vector<BYTE>(full.begin(), full.begin() + 10)},
        {"header only", std::vector<BYTE>(full.begin(), full.begin() + 20)},
        {"ends inside the block", std::vector<BYTE>(full.begin(), full.begin() + 70)},
        {"one byte short", std::vector<BYTE>(full.begin(), full.end() - 1)},
        {"92 bytes one short", std::vector<BYTE>(full.begin(), full.begin() + 91)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<BYTE> bytes = c.bytes;
        if (std::string(c.what) == "92 bytes one short") bytes[0] = 92;
        StreamRef stream(MemoryStream(bytes));
        EXPECT_EQ(E_FAIL, engine->Load(stream.Get()));
        ExpectLive(before);
        EXPECT_EQ(S_FALSE, engine->IsDirty());
    }
}

TEST_F(PersistentState, StreamFailuresAreReturnedAsTheyCame) {
    MakeUnusualAndClean();
    const SetupBlock before = Live();
    for (int readAt = 1; readAt <= 2; ++readAt) {
        FailingStream stream(State(100, kDefaultSetup));
        stream.failure = STG_E_READFAULT;
        stream.failReadAt = readAt;
        EXPECT_EQ(STG_E_READFAULT, engine->Load(&stream)) << readAt;
        ExpectLive(before);
    }

    engine->SetDecay(99, FALSE);  // dirty
    for (int writeAt = 1; writeAt <= 2; ++writeAt) {
        FailingStream stream;
        stream.failure = STG_E_WRITEFAULT;
        stream.failWriteAt = writeAt;
        EXPECT_EQ(STG_E_WRITEFAULT, engine->Save(&stream, TRUE)) << writeAt;
        EXPECT_EQ(writeAt == 1 ? 0u : 20u, stream.written.size());
        EXPECT_EQ(S_OK, engine->IsDirty());
    }
    FailingStream shortWrites;
    shortWrites.shortWrites = true;
    EXPECT_EQ(STG_E_MEDIUMFULL, engine->Save(&shortWrites, TRUE));
    EXPECT_EQ(S_OK, engine->IsDirty());
}

TEST_F(PersistentState, ALoadTellsTheEditorsAndAFailedOneDoesNot) {
    TestWindow editor;
    ASSERT_EQ(S_OK, engine->SetNotifyWindow(editor.Handle(), 32700));
    StreamRef bad(MemoryStream(State(84, kDefaultSetup)));
    EXPECT_EQ(E_FAIL, engine->Load(bad.Get()));
    WORD command = 0, code = 0;
    LPARAM lParam = -1;
    EXPECT_FALSE(editor.NextCommand(&command, &code, &lParam));

    StreamRef good(MemoryStream(State(100, Unusual())));
    EXPECT_EQ(S_OK, engine->Load(good.Get()));
    ASSERT_TRUE(editor.NextCommand(&command, &code, &lParam));
    EXPECT_EQ(32700, command);
    EXPECT_EQ(100, code);
    EXPECT_EQ(0, lParam);
    EXPECT_FALSE(editor.NextCommand(&command, &code, &lParam));
    engine->SetNotifyWindow(editor.Handle(), 0);
}

TEST_F(PersistentState, SaveWritesWhatAutomationPlaysAndTheNextBlockFollows) {
    ASSERT_EQ(S_OK, engine.Start());
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    MP_ENVELOPE_SEGMENT ramp{0, kSecond, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
    params->AddEnvelope(Param::kDecay, 1, &ramp);
    std::vector<double> output;
    engine.Run(kModeDiscontinuity, std::vector<double>(512, 0.0), &output);
    const double gainBefore = engine->DerivedCoefficients().loopGain;

    params->UpdateToSamplePosition(22050);  // Decay 101 from now on
    StreamRef stream(MemoryStream());
    ASSERT_EQ(S_OK, engine->Save(stream.Get(), TRUE));
    const std::vector<BYTE> bytes = StreamBytes(stream.Get());
    ASSERT_EQ(100u, bytes.size());
    EXPECT_EQ(101, bytes[20 + 4 * SetupWord::kDecay]);

    // The save consumed the change; the next block still derives its coefficients from it.
    engine.Run(kModeContinue, std::vector<double>(512, 0.0), &output);
    EngineHarness reference;
    reference->SetDecay(101, FALSE);
    reference.Start();
    EXPECT_NE(gainBefore, engine->DerivedCoefficients().loopGain);
    EXPECT_EQ(reference->DerivedCoefficients().loopGain, engine->DerivedCoefficients().loopGain);
}

TEST(HostPresets, TwoPresetsWithTheirNames) {
    const IID expected = {
        0x8E41B6A3, 0x27D5, 0x4C9F, {0xB0, 0xE8, 0x63, 0xF1, 0xA9, 0x2D, 0x4C, 0x07}};
    EXPECT_TRUE(IsEqualGUID(expected, IID_IStaticFilterPreset));
    EngineHarness engine;
    DWORD count = 0;
    EXPECT_EQ(S_OK, engine->GetPresetCount(&count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(E_POINTER, engine->GetPresetCount(nullptr));

    WCHAR name[32];
    const char* names[] = {"(Default)", "[1] Default Reverb"};
    for (DWORD i = 0; i < 2; ++i) {
        std::fill(std::begin(name), std::end(name), WCHAR{0x7777});
        ASSERT_EQ(S_OK, engine->GetPresetName(i, name, 32));
        for (std::size_t k = 0; k <= std::strlen(names[i]); ++k) {
            EXPECT_EQ(static_cast<WCHAR>(names[i][k]), name[k]) << i << " " << k;
        }
    }
    EXPECT_EQ(E_INVALIDARG, engine->GetPresetName(2, name, 32));
    EXPECT_EQ(E_INVALIDARG, engine->GetPresetName(DWORD_ALL, name, 32));
    EXPECT_EQ(E_POINTER, engine->GetPresetName(0, nullptr, 32));

    // Too small a buffer: still S_OK, and nothing beyond the buffer is touched.
    std::fill(std::begin(name), std::end(name), WCHAR{0x7777});
    EXPECT_EQ(S_OK, engine->GetPresetName(1, name, 4));
    for (int k = 4; k < 32; ++k) EXPECT_EQ(WCHAR{0x7777}, name[k]) << k;
}

TEST(HostPresets, ApplyingOneRestoresTheDefaultsInStereo) {
    EngineHarness engine;
    SetupBlock block = Unusual();
    engine->SetAllParams(&block);
    engine->SetStereo(0, FALSE);
    EXPECT_EQ(E_INVALIDARG, engine->ApplyPreset(2));
    EXPECT_EQ(S_OK, engine->ApplyPreset(1));
    SetupBlock live;
    engine->GetAllParams(&live);
    SetupBlock expected = kDefaultSetup;
    expected.words[SetupWord::kStereo] = 1;
    expected.words[SetupWord::kWidth] = 150;  // Stereo returns with the width before Mono
    for (int w = 0; w < kSetupWordCount; ++w) EXPECT_EQ(expected.words[w], live.words[w]) << w;

    // From Stereo the preset's own width stays.
    engine->SetAllParams(&block);
    EXPECT_EQ(S_OK, engine->ApplyPreset(0));
    engine->GetAllParams(&live);
    EXPECT_EQ(100, live.words[SetupWord::kWidth]);
    EXPECT_EQ(-120, live.words[SetupWord::kReverb]);
}

}  // namespace
