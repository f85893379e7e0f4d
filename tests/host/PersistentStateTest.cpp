// The persisted state and the built-in host presets: the exact bytes of a save, the older layouts,
// malformed, truncated and failing streams, the dirty flag, the presets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"

namespace {

// A stream over `bytes` that appends to `written`. Call failAt (counting from 1; 0 never) faults;
// shortWrites makes every write report one byte fewer.
struct TestStream final : IStream {
    using Size = ULARGE_INTEGER;
    explicit TestStream(std::vector<BYTE> bytes = {}) : bytes(std::move(bytes)) {}
    std::vector<BYTE> bytes, written;
    int failAt = 0, calls = 0;
    bool shortWrites = false;

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* done) override {
        *done = 0;
        if (++calls == failAt) return STG_E_READFAULT;
        *done = static_cast<ULONG>(std::min<std::size_t>(count, bytes.size()));
        std::memcpy(buffer, bytes.data(), *done);
        bytes.erase(bytes.begin(), bytes.begin() + *done);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* done) override {
        *done = 0;
        if (++calls == failAt) return STG_E_WRITEFAULT;
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

// A state of `totalBytes`: the length, IID_IHqPlugInProp in its stored order, `block`'s words.
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

constexpr SetupBlock kUnusual = {
    {-100, 300, 90, 120, 80, 40, 20, 900, 75, 60, -50, -60, 0, 1, 0, -200, 1, 150, 1, 1}};

TEST(PersistentState, SavesAreExactCleanOnRequestAndWriteWhatAutomationPlays) {
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    ULARGE_INTEGER size{};
    EXPECT_EQ(S_OK, engine->GetSizeMax(&size));
    EXPECT_EQ(100u, size.QuadPart);
    EXPECT_EQ(S_OK, engine->IsDirty());  // preset 0 changed every word
    TestStream stream;
    ASSERT_EQ(S_OK, engine->Save(&stream, FALSE));
    EXPECT_EQ(S_OK, engine->IsDirty());
    SetupBlock expected = kDefaultSetup;
    expected.words[SetupWord::kStereo] = 1;  // preset 0 turns Stereo on
    EXPECT_EQ(State(100, expected), stream.written);
    ASSERT_EQ(S_OK, engine->Save(&stream, TRUE));
    EXPECT_EQ(S_FALSE, engine->IsDirty());
    engine->SetDecay(15, FALSE);  // the value it has
    engine->SetTail(0, FALSE);    // and Tail is off
    EXPECT_EQ(S_FALSE, engine->IsDirty());

    // What is saved is what automation plays; the next block still derives its coefficients from
    // the change the save consumed.
    ASSERT_EQ(S_OK, engine.Start());
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    MP_ENVELOPE_SEGMENT ramp{0, 10000000, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
    params->AddEnvelope(Param::kDecay, 1, &ramp);
    engine.Render(kModeDiscontinuity, std::vector<double>(512));
    const double gainBefore = engine->DerivedCoefficients().loopGain;
    params->UpdateToSamplePosition(22050);  // Decay 101 from now on
    stream.written.clear();
    ASSERT_EQ(S_OK, engine->Save(&stream, TRUE));
    ASSERT_EQ(100u, stream.written.size());
    EXPECT_EQ(101, stream.written[20 + 4 * SetupWord::kDecay]);
    engine.Render(kModeContinue, std::vector<double>(512));
    EngineHarness reference;
    reference->SetDecay(101, FALSE);
    reference.Start();
    EXPECT_NE(gainBefore, engine->DerivedCoefficients().loopGain);
    EXPECT_EQ(reference->DerivedCoefficients().loopGain, engine->DerivedCoefficients().loopGain);
}

TEST(PersistentState, OlderLayoutsFillTheWordsTheyLack) {
    // The stream's own Tail is on and its Stereo off, so that every filled word shows; its
    // Width is the one the engine restores when a load turns Stereo back on.
    SetupBlock given = kUnusual;
    given.words[SetupWord::kWidth] = 100;
    given.words[SetupWord::kStereo] = 0;
    const std::pair<std::uint32_t, std::vector<std::pair<int, int>>> cases[] = {
        {80, {{15, -35}, {16, 0}, {17, 100}, {18, 0}, {19, 1}}},
        {92, {{18, 0}, {19, 1}}},
        {96, {{19, 1}}},
        {100, {}},
    };
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    for (const auto& [totalBytes, fills] : cases) {
        engine->SetAllParams(&kDefaultSetup);
        engine->SetTail(1, FALSE);
        engine->SetStereo(0, FALSE);
        TestStream stream(State(totalBytes, given));
        ASSERT_EQ(S_OK, engine->Load(&stream));
        std::vector<int> expected = Words(given);
        for (auto [word, value] : fills) expected[word] = value;
        EXPECT_EQ(expected, engine.Words()) << totalBytes;
    }
}

TEST(PersistentState, MalformedTruncatedOrFailingStreamsChangeNothing) {
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    engine->SetAllParams(&kUnusual);
    engine->ClearDirtyFlag();
    const std::vector<int> before = engine.Words();
    const std::vector<BYTE> full = State(100, kDefaultSetup);
    std::vector<BYTE> badTag = full;
    badTag[19] ^= 0x01;
    const struct {
        const char* what;
        std::vector<BYTE> bytes;
        int failAt;  // the read that fails
        HRESULT expected;
    } cases[] = {
        {"length 84", State(84, kDefaultSetup), 0, E_FAIL},
        {"length 101", State(101, kDefaultSetup), 0, E_FAIL},
        {"tag", badTag, 0, E_FAIL},
        {"one byte short", std::vector<BYTE>(full.begin(), full.end() - 1), 0, E_FAIL},
        {"header unread", full, 1, STG_E_READFAULT},
        {"block unread", full, 2, STG_E_READFAULT},
    };
    for (const auto& c : cases) {
        TestStream stream(c.bytes);
        stream.failAt = c.failAt;
        EXPECT_EQ(c.expected, engine->Load(&stream)) << c.what;
        EXPECT_EQ(before, engine.Words()) << c.what;
        EXPECT_EQ(S_FALSE, engine->IsDirty());
    }

    engine->SetDecay(99, FALSE);  // dirty
    for (int failAt : {1, 2}) {
        TestStream stream;
        stream.failAt = failAt;
        EXPECT_EQ(STG_E_WRITEFAULT, engine->Save(&stream, TRUE)) << failAt;
        EXPECT_EQ(failAt == 1 ? 0u : 20u, stream.written.size());
        EXPECT_EQ(S_OK, engine->IsDirty());
    }
    TestStream shortWrites;
    shortWrites.shortWrites = true;
    EXPECT_EQ(STG_E_MEDIUMFULL, engine->Save(&shortWrites, TRUE));
    EXPECT_EQ(S_OK, engine->IsDirty());
}

TEST(HostPresets, RestoreTheDefaultsInStereo) {
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    WCHAR name[32];
    EXPECT_EQ(S_OK, engine->GetPresetName(1, name, 32));
    EXPECT_EQ(std::basic_string<WCHAR>({'[', '1', ']', ' ', 'D'}),
              std::basic_string<WCHAR>(name, 5));
    EXPECT_EQ(E_INVALIDARG, engine->GetPresetName(2, name, 32));
    EXPECT_EQ(E_INVALIDARG, engine->ApplyPreset(2));
    // From Mono, Stereo returns with the width before it; from Stereo the preset's own stays.
    std::vector<int> expected = Words(kDefaultSetup);
    expected[SetupWord::kStereo] = 1;
    for (auto [mono, width] : {std::pair{true, 150}, {false, 100}}) {
        engine->SetAllParams(&kUnusual);
        if (mono) engine->SetStereo(0, FALSE);
        EXPECT_EQ(S_OK, engine->ApplyPreset(mono ? 1 : 0));
        expected[SetupWord::kWidth] = width;
        EXPECT_EQ(expected, engine.Words());
    }
}

}  // namespace
