// The persisted state and the built-in host presets: the exact bytes of a save, the older layouts
// and the words they lack, malformed and truncated streams, stream failures, the dirty flag, the
// notice to editors, and the preset names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/StaticFilterPreset.h"
#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/TestWindow.h"

namespace {

// A stream that reads from `bytes` and writes to `written`; its reads or writes answer
// `failure` from the given call on (counting from 1; 0 never fails), and shortWrites makes
// every write report one byte fewer.
struct TestStream final : IStream {
    using Size = ULARGE_INTEGER;
    explicit TestStream(std::vector<BYTE> bytes = {}) : bytes(std::move(bytes)) {}
    std::vector<BYTE> bytes, written;
    HRESULT failure = E_FAIL;
    int failReadAt = 0, failWriteAt = 0, reads = 0, writes = 0;
    bool shortWrites = false;

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* done) override {
        *done = 0;
        if (++reads == failReadAt) return failure;
        *done = static_cast<ULONG>(std::min<std::size_t>(count, bytes.size()));
        std::memcpy(buffer, bytes.data(), *done);
        bytes.erase(bytes.begin(), bytes.begin() + *done);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* done) override {
        *done = 0;
        if (++writes == failWriteAt) return failure;
        *done = shortWrites ? count - 1 : count;
        written.insert(written.end(), static_cast<const BYTE*>(buffer),
                       static_cast<const BYTE*>(buffer) + *done);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, Size*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(Size) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, Size, Size*, Size*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(Size, Size, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(Size, Size, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};

// A state of `totalBytes`: the length (little-endian), IID_IHqPlugInProp in its stored byte
// order (32-bit, 16-bit, 16-bit little-endian, then 8 bytes), and the first words of `block`.
std::vector<BYTE> State(std::uint32_t totalBytes, const SetupBlock& block) {
    std::vector<BYTE> bytes = {0,    0,    0,    0,    0x91, 0x2C, 0x7D, 0x5A, 0x3B, 0x4E,
                               0x80, 0x4F, 0x9C, 0x16, 0xD2, 0xE8, 0x4B, 0x07, 0xA3, 0xC5};
    for (std::uint32_t at = 0; at < 4; ++at) bytes[at] = static_cast<BYTE>(totalBytes >> (8 * at));
    for (std::uint32_t at = 0; at + 20 < totalBytes; ++at) {
        bytes.push_back(
            static_cast<BYTE>(static_cast<std::uint32_t>(block.words[at / 4]) >> (8 * (at % 4))));
    }
    return bytes;
}

// Settings far from the defaults in every word.
constexpr SetupBlock kUnusual = {
    {-100, 300, 90, 120, 80, 40, 20, 900, 75, 60, -50, -60, 0, 1, 0, -200, 1, 150, 1, 1}};

class PersistentState : public ::testing::Test {
protected:
    void MakeUnusualAndClean() {
        engine->SetAllParams(&kUnusual);
        engine->ClearDirtyFlag();
    }
    EngineHarness engine{44100, 2, &CMediaParams::Create};
};

TEST_F(PersistentState, ANewEngineSavesExactlyTheDefaultBlockAndCleansOnRequest) {
    ULARGE_INTEGER size;
    size.QuadPart = 7;
    const struct {
        const char* call;
        HRESULT expected, actual;
    } calls[] = {
        {"GetSizeMax", S_OK, engine->GetSizeMax(&size)},
        {"GetSizeMax(null)", E_POINTER, engine->GetSizeMax(nullptr)},
        {"Save(null)", E_POINTER, engine->Save(nullptr, TRUE)},
        {"Load(null)", E_POINTER, engine->Load(nullptr)},
        {"IsDirty, new", S_OK, engine->IsDirty()},  // preset 0 changed every word
    };
    for (const auto& c : calls) EXPECT_EQ(c.expected, c.actual) << c.call;
    EXPECT_EQ(100u, size.QuadPart);
    TestStream stream;
    ASSERT_EQ(S_OK, engine->Save(&stream, FALSE));
    EXPECT_EQ(S_OK, engine->IsDirty());
    SetupBlock expected = kDefaultSetup;
    expected.words[SetupWord::kStereo] = 1;  // preset 0 turns Stereo on
    EXPECT_EQ(State(100, expected), stream.written);
    ASSERT_EQ(S_OK, engine->Save(&stream, TRUE));
    EXPECT_EQ(S_FALSE, engine->IsDirty());
    engine->SetDecay(15, TRUE);  // the value it has
    EXPECT_EQ(S_FALSE, engine->IsDirty());
    engine->SetDecay(16, TRUE);
    EXPECT_EQ(S_OK, engine->IsDirty());
    engine->ClearDirtyFlag();
    engine->SetTail(1, FALSE);
    EXPECT_EQ(S_OK, engine->IsDirty());
}

TEST_F(PersistentState, OlderLayoutsFillTheWordsTheyLack) {
    // The stream's own Tail is on and its Stereo off, so that every filled word shows; its
    // Width is the one the engine restores when a load turns Stereo back on.
    SetupBlock given = kUnusual;
    given.words[SetupWord::kWidth] = 100;
    given.words[SetupWord::kStereo] = 0;
    const struct {
        std::uint32_t totalBytes;
        std::vector<std::pair<int, int>> fills;
    } cases[] = {
        {80, {{15, -35}, {16, 0}, {17, 100}, {18, 0}, {19, 1}}},
        {92, {{18, 0}, {19, 1}}},
        {96, {{19, 1}}},
        {100, {}},
    };
    for (const auto& c : cases) {
        engine->SetAllParams(&kDefaultSetup);
        engine->SetTail(1, FALSE);
        engine->SetStereo(0, FALSE);
        TestStream stream(State(c.totalBytes, given));
        ASSERT_EQ(S_OK, engine->Load(&stream));
        std::vector<int> expected = Words(given);
        for (auto [word, value] : c.fills) expected[word] = value;
        EXPECT_EQ(expected, engine.Words()) << c.totalBytes;
        int stereo = -1;
        engine->GetStereo(&stereo);
        EXPECT_EQ(expected[SetupWord::kStereo], stereo);
    }
}

TEST_F(PersistentState, MalformedTruncatedOrFailingStreamsChangeNothing) {
    MakeUnusualAndClean();
    const std::vector<int> before = engine.Words();
    const std::vector<BYTE> full = State(100, kDefaultSetup);
    std::vector<BYTE> badTag = full, short92 = State(92, kDefaultSetup);
    badTag[19] ^= 0x01;
    short92.pop_back();
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
        {"92 bytes one short", short92},
    };
    for (const auto& c : cases) {
        TestStream stream(c.bytes);
        EXPECT_EQ(E_FAIL, engine->Load(&stream)) << c.what;
        EXPECT_EQ(before, engine.Words()) << c.what;
        EXPECT_EQ(S_FALSE, engine->IsDirty());
    }
    for (int readAt = 1; readAt <= 2; ++readAt) {
        TestStream stream(full);
        stream.failure = STG_E_READFAULT;
        stream.failReadAt = readAt;
        EXPECT_EQ(STG_E_READFAULT, engine->Load(&stream)) << readAt;
        EXPECT_EQ(before, engine.Words());
    }

    engine->SetDecay(99, FALSE);  // dirty
    for (int writeAt = 1; writeAt <= 2; ++writeAt) {
        TestStream stream;
        stream.failure = STG_E_WRITEFAULT;
        stream.failWriteAt = writeAt;
        EXPECT_EQ(STG_E_WRITEFAULT, engine->Save(&stream, TRUE)) << writeAt;
        EXPECT_EQ(writeAt == 1 ? 0u : 20u, stream.written.size());
        EXPECT_EQ(S_OK, engine->IsDirty());
    }
    TestStream shortWrites;
    shortWrites.shortWrites = true;
    EXPECT_EQ(STG_E_MEDIUMFULL, engine->Save(&shortWrites, TRUE));
    EXPECT_EQ(S_OK, engine->IsDirty());
}

TEST_F(PersistentState, ALoadTellsTheEditorsAndAFailedOneDoesNot) {
    TestWindow editor;
    ASSERT_EQ(S_OK, engine->SetNotifyWindow(editor.Handle(), 32700));
    TestStream bad(State(84, kDefaultSetup)), good(State(100, kUnusual));
    EXPECT_EQ(E_FAIL, engine->Load(&bad));
    WORD command = 0, code = 0;
    LPARAM lParam = -1;
    EXPECT_FALSE(editor.NextCommand(&command, &code, &lParam));
    EXPECT_EQ(S_OK, engine->Load(&good));
    ASSERT_TRUE(editor.NextCommand(&command, &code, &lParam));
    EXPECT_EQ((std::vector<LPARAM>{32700, 100, 0}), (std::vector<LPARAM>{command, code, lParam}));
    EXPECT_FALSE(editor.NextCommand(&command, &code, &lParam));
    engine->SetNotifyWindow(editor.Handle(), 0);
}

TEST_F(PersistentState, SaveWritesWhatAutomationPlaysAndTheNextBlockFollows) {
    ASSERT_EQ(S_OK, engine.Start());
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    MP_ENVELOPE_SEGMENT ramp{0, 10000000, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
    params->AddEnvelope(Param::kDecay, 1, &ramp);
    engine.Render(kModeDiscontinuity, std::vector<double>(512));
    const double gainBefore = engine->DerivedCoefficients().loopGain;
    params->UpdateToSamplePosition(22050);  // Decay 101 from now on
    TestStream stream;
    ASSERT_EQ(S_OK, engine->Save(&stream, TRUE));
    const std::vector<BYTE>& bytes = stream.written;
    ASSERT_EQ(100u, bytes.size());
    EXPECT_EQ(101, bytes[20 + 4 * SetupWord::kDecay]);
    // The save consumed the change; the next block still derives its coefficients from it.
    engine.Render(kModeContinue, std::vector<double>(512));
    EngineHarness reference;
    reference->SetDecay(101, FALSE);
    reference.Start();
    EXPECT_NE(gainBefore, engine->DerivedCoefficients().loopGain);
    EXPECT_EQ(reference->DerivedCoefficients().loopGain, engine->DerivedCoefficients().loopGain);
}

TEST(HostPresets, TwoPresetsThatRestoreTheDefaultsInStereo) {
    const IID expected = {
        0x8E41B6A3, 0x27D5, 0x4C9F, {0xB0, 0xE8, 0x63, 0xF1, 0xA9, 0x2D, 0x4C, 0x07}};
    EXPECT_TRUE(IsEqualGUID(expected, IID_IStaticFilterPreset));
    EngineHarness engine;
    DWORD count = 0;
    WCHAR name[32];
    const struct {
        const char* call;
        HRESULT expected, actual;
    } calls[] = {
        {"GetPresetCount", S_OK, engine->GetPresetCount(&count)},
        {"GetPresetCount(null)", E_POINTER, engine->GetPresetCount(nullptr)},
        {"GetPresetName(2)", E_INVALIDARG, engine->GetPresetName(2, name, 32)},
        {"GetPresetName(all)", E_INVALIDARG, engine->GetPresetName(DWORD_ALL, name, 32)},
        {"GetPresetName(null)", E_POINTER, engine->GetPresetName(0, nullptr, 32)},
        {"ApplyPreset(2)", E_INVALIDARG, engine->ApplyPreset(2)},
    };
    for (const auto& c : calls) EXPECT_EQ(c.expected, c.actual) << c.call;
    EXPECT_EQ(2u, count);
    for (auto [index, text] : {std::pair{0u, "(Default)"}, {1u, "[1] Default Reverb"}}) {
        std::fill(std::begin(name), std::end(name), WCHAR{0x7777});
        ASSERT_EQ(S_OK, engine->GetPresetName(index, name, 32));
        EXPECT_EQ(std::basic_string<WCHAR>(text, text + std::strlen(text) + 1),
                  std::basic_string<WCHAR>(name, name + std::strlen(text) + 1));
    }
    // Too small a buffer: still S_OK, and nothing beyond the buffer is touched.
    std::fill(std::begin(name), std::end(name), WCHAR{0x7777});
    EXPECT_EQ(S_OK, engine->GetPresetName(1, name, 4));
    EXPECT_TRUE(std::all_of(name + 4, name + 32, [](WCHAR c) { return c == 0x7777; }));

    // From Mono, Stereo returns with the width before it; from Stereo the preset's own stays.
    std::vector<int> expectedWords = Words(kDefaultSetup);
    expectedWords[SetupWord::kStereo] = 1;
    for (auto [mono, width] : {std::pair{true, 150}, {false, 100}}) {
        engine->SetAllParams(&kUnusual);
        if (mono) engine->SetStereo(0, FALSE);
        EXPECT_EQ(S_OK, engine->ApplyPreset(mono ? 1 : 0));
        expectedWords[SetupWord::kWidth] = width;
        EXPECT_EQ(expectedWords, engine.Words());
    }
}

}  // namespace
