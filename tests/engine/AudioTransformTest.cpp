// The engine's lifecycle and formats: delay memories sized for the rate, allocation failures,
// release, the format helpers the filter negotiates with, and the notices to editor windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "tests/support/EngineHarness.h"
#include "tests/support/TestWindow.h"

namespace {

TEST(DelayMemories, AreSizedForTheLargestRoomAtTheRateAndStartSilent) {
    for (DWORD rate : {44100, 48000, 96000}) {
        EngineHarness engine(rate);
        engine->SetRoomSize(100, FALSE);
        engine->SetPredelay(250, FALSE);
        ASSERT_EQ(S_OK, engine.Start());
        for (int i = 0; i < kDelayMemoryCount; ++i) {
            const DelayMemory& m = engine->Memory(i);
            ASSERT_NE(nullptr, m.data);
            EXPECT_TRUE(std::all_of(m.data, m.data + m.capacity, [](double v) { return v == 0; }));
            // Room Size 100 and 250 ms fill the lines and the predelay exactly.
            EXPECT_EQ(i == kEarlyMemory ? m.length : m.capacity, m.length) << rate << " " << i;
        }
        EXPECT_EQ(static_cast<int>(rate) / 4, engine->Memory(kPredelayMemory).capacity);
        // Reflections: the smallest power of two above twice the longest delay.
        const int longest = engine->DerivedCoefficients().earlyDelaysRight[7];
        const int early = engine->Memory(kEarlyMemory).capacity;
        EXPECT_EQ(static_cast<int>(9263 * 1.5 * rate / 44100.0), longest);
        EXPECT_EQ(0, early & (early - 1));
        EXPECT_LT(2 * longest, early);
        EXPECT_LE(early / 2, 2 * longest);
    }
    EngineHarness small(48000);
    small->SetRoomSize(1, FALSE);
    ASSERT_EQ(S_OK, small.Start());
    EXPECT_EQ(142 * static_cast<int>(16 * 48000 / 115.0) / 20000, small->Memory(0).length);
}

// An engine whose Nth delay-memory allocation fails.
class FailingEngine : public CStandaloneReverb {
public:
    FailingEngine(HRESULT* status, int failAt) : CStandaloneReverb(status), failAt_(failAt) {}
    int allocations = 0;

protected:
    double* AllocateDelayMemory(std::size_t frames) override {
        return ++allocations == failAt_ ? nullptr : CAudioTransform::AllocateDelayMemory(frames);
    }

private:
    int failAt_;
};

TEST(DelayMemories, AFailedAllocationFreesEverythingAndReleaseKeepsTheSettings) {
    WAVEFORMATEX format = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100);
    for (int failAt = 1; failAt <= kDelayMemoryCount; ++failAt) {
        HRESULT status = S_OK;
        auto* engine = new FailingEngine(&status, failAt);
        EXPECT_EQ(E_OUTOFMEMORY, engine->AllocateBuffers(&format, &format)) << failAt;
        EXPECT_EQ(failAt, engine->allocations);
        for (int i = 0; i < kDelayMemoryCount; ++i) EXPECT_EQ(nullptr, engine->Memory(i).data);
        engine->Release();
    }

    EngineHarness engine;
    ASSERT_EQ(S_OK, engine.Start());
    engine->SetDecay(37, FALSE);
    engine.Render(kModeDiscontinuity, Noise(256, 2, 0.5));
    engine->SetClipLeft(1, 2);
    EXPECT_EQ(S_OK, engine->ReleaseBuffers());
    EXPECT_EQ(S_OK, engine->ReleaseBuffers());
    for (int i = 0; i < kDelayMemoryCount; ++i) EXPECT_EQ(nullptr, engine->Memory(i).data);
    std::vector<double> meters(4, 1.0), out;
    engine->GetMeters(meters.data());
    EXPECT_EQ(std::vector<double>(4, 0.0), meters);
    EXPECT_EQ(std::pair(37, 2),
              std::pair(engine.Words()[SetupWord::kDecay], engine->GetClipLeft(1)));
    EXPECT_EQ(E_UNEXPECTED, engine.Run(kModeContinue, {0.5, 0.5}, &out));
    // Streaming again starts from silence, with the clip counters cleared.
    ASSERT_EQ(S_OK, engine.Start());
    EXPECT_EQ(0, engine->GetClipLeft(1));
    for (double v : engine.Render(kModeDiscontinuity, std::vector<double>(2 * 4096))) {
        ASSERT_LT(std::abs(v), 1e-15);
    }
}

TEST(Formats, StereoOutputIsRequiredDerivedAndSettlesTheStereoSwitch) {
    // A bare engine (no preset applied) has an undetermined Stereo switch.
    struct BareEngine : CAudioTransform {
        explicit BareEngine(HRESULT* s) : CAudioTransform(s) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    };
    HRESULT status = S_OK;
    BareEngine engine(&status);
    auto stereo = [&engine] {
        int value = 7;
        engine.GetStereo(&value);
        return value;
    };
    EXPECT_EQ(-1, stereo());
    WAVEFORMATEX mono = CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 1, 44100);
    const WAVEFORMATEX stereoFormat = CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 2, 44100);
    EXPECT_EQ(1, engine.CheckOutputFormat(&stereoFormat, &mono));
    EXPECT_EQ(0, engine.CheckOutputFormat(&mono, &stereoFormat));
    EXPECT_EQ(1, stereo());
    engine.SetStereo(0, FALSE);
    engine.CheckOutputFormat(&mono, &stereoFormat);
    EXPECT_EQ(0, stereo());

    EXPECT_EQ(S_OK, engine.DeriveOutputFormat(&mono));
    EXPECT_EQ(0, std::memcmp(&stereoFormat, &mono, sizeof mono));
    WAVEFORMATEX wide = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 96000);
    engine.DeriveOutputFormat(&wide);
    EXPECT_EQ(std::pair(WORD{16}, DWORD{1536000}),
              std::pair(wide.nBlockAlign, wide.nAvgBytesPerSec));
}

// An allocator that grants a fixed buffer size (or fails) and remembers the request.
struct FakeAllocator : IMemAllocator {
    using Time = REFERENCE_TIME;
    LONG grantBytes = 8192;
    HRESULT result = S_OK;
    ALLOCATOR_PROPERTIES requested{};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request,
                                            ALLOCATOR_PROPERTIES* actual) override {
        requested = *actual = *request;
        actual->cbBuffer = grantBytes;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Decommit() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample**, Time*, Time*, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample*) override { return E_NOTIMPL; }
};

TEST(Formats, NegotiateBuffersDoublesForMonoInputAndRefusesSmallBuffers) {
    const struct {
        WORD channels;
        LONG askBytes, grantBytes;
        HRESULT allocatorResult, expected;
        LONG requested, agreed;
    } cases[] = {
        {1, 4096, 8192, S_OK, S_OK, 8192, 8192},
        {2, 4096, 511, S_OK, E_FAIL, 4096, 511},
        {2, 512, 512, S_OK, S_OK, 512, 512},
        {2, 4096, 8192, E_OUTOFMEMORY, E_OUTOFMEMORY, 4096, 4096},
    };
    for (const auto& c : cases) {
        EngineHarness engine(44100, c.channels);
        FakeAllocator allocator;
        allocator.grantBytes = c.grantBytes;
        allocator.result = c.allocatorResult;
        ALLOCATOR_PROPERTIES props{4, c.askBytes, 1, 0};
        EXPECT_EQ(c.expected, engine->NegotiateBuffers(&allocator, &props)) << c.grantBytes;
        EXPECT_EQ(4, allocator.requested.cBuffers);
        EXPECT_EQ(c.requested, allocator.requested.cbBuffer);
        EXPECT_EQ(c.agreed, props.cbBuffer);
    }
}

TEST(Formats, WaveFormatsAreCopiedOnlyOnceSet) {
    HRESULT status = S_OK;
    CStandaloneReverb* engine = new CStandaloneReverb(&status);
    WAVEFORMATEX format{};
    format.nChannels = 9;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 0));
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 1));
    EXPECT_EQ(9, format.nChannels);
    engine->SetFormats(CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 1, 22050),
                       CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 2, 22050));
    EXPECT_EQ(S_OK, engine->GetWaveFormat(&format, 0));
    EXPECT_EQ(std::pair(WORD{1}, DWORD{22050}), std::pair(format.nChannels, format.nSamplesPerSec));
    EXPECT_EQ(S_OK, engine->GetWaveFormat(&format, 1));
    EXPECT_EQ(4, format.nBlockAlign);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 2));
    engine->Release();
}

TEST(EditorNotices, TwoWindowsAreToldAndAStaleOneIsForgotten) {
    EngineHarness engine;
    TestWindow first, second, third;
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(first.Handle(), 32700));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(first.Handle(), 32701));  // same slot, updated
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 32700));
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(third.Handle(), 32700));
    engine->NotifyEditors(kNoticeStateLoaded);
    WORD id = 0, code = 0;
    LPARAM lParam = -1;
    ASSERT_TRUE(first.NextCommand(&id, &code, &lParam));
    EXPECT_EQ((std::vector<LPARAM>{32701, 100, 0}), (std::vector<LPARAM>{id, code, lParam}));
    ASSERT_TRUE(second.NextCommand(&id, &code, &lParam));
    EXPECT_EQ(32700, id);
    EXPECT_FALSE(third.NextCommand(&id, &code, &lParam));
    // Unregistering frees a slot (and is harmless for a window that holds none).
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(third.Handle(), 0));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 0));
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(third.Handle(), 32700));
    // A destroyed window's slot is freed by the next notice.
    first.Destroy();
    EXPECT_EQ(E_OUTOFMEMORY, engine->SetNotifyWindow(second.Handle(), 32700));
    engine->NotifyEditors(kNoticeOutputFormat);
    ASSERT_TRUE(third.NextCommand(&id, &code, &lParam));
    EXPECT_EQ(1, code);
    EXPECT_EQ(S_OK, engine->SetNotifyWindow(second.Handle(), 32700));
}

}  // namespace
