// The engine's lifecycle: delay memories sized for the rate, allocation failures, release, and
// the format helpers (buffer negotiation is checked through the filter's pins).
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <tuple>
#include <vector>

#include "tests/support/EngineHarness.h"

namespace {

TEST(DelayMemories, AreSizedForTheLargestRoomAtTheRateAndStartSilent) {
    for (DWORD rate : {1, 44100, 48000, 96000, 768000}) {
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
        EXPECT_EQ(std::max(1, static_cast<int>(rate) / 4),
                  engine->Memory(kPredelayMemory).capacity);
        // Reflections: the smallest power of two above twice the longest delay.
        const unsigned longest = engine->DerivedCoefficients().earlyDelaysRight[7];
        EXPECT_EQ(std::bit_ceil(2 * longest + 1), engine->Memory(kEarlyMemory).capacity);
    }
}

TEST(DelayMemories, AreRefusedForNoRateOrOneTheirSizesCannotBeCountedAt) {
    const std::tuple<DWORD, HRESULT> kCases[] = {
        {0, E_INVALIDARG},           {1, S_OK}, {926, S_OK}, {kMaxSampleRateHz + 1, E_OUTOFMEMORY},
        {4294967295, E_OUTOFMEMORY},
    };
    for (const auto& [rate, expected] : kCases) {
        EngineHarness engine(rate);
        EXPECT_EQ(expected, engine.Start()) << rate;
        for (int i = 0; i < kDelayMemoryCount; ++i) {
            EXPECT_EQ(expected == S_OK, engine->Memory(i).data != nullptr) << rate << " " << i;
        }
    }
}

// An engine whose Nth delay-memory allocation fails.
struct FailingEngine : CStandaloneReverb {
    FailingEngine(HRESULT* status, int failAt) : CStandaloneReverb(status), failAt(failAt) {}
    double* AllocateDelayMemory(std::size_t frames) override {
        return ++allocations == failAt ? nullptr : CAudioTransform::AllocateDelayMemory(frames);
    }
    int failAt, allocations = 0;
};

TEST(DelayMemories, AFailedAllocationFreesEverythingAndReleaseKeepsTheSettings) {
    const WAVEFORMATEX format = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100);
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
    std::vector<double> out;
    EXPECT_EQ(std::vector<double>(4, 0.0), engine.Meters());
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

TEST(Formats, StereoOutputIsRequiredAndDerived) {
    EngineHarness engine(96000, 1);
    WAVEFORMATEX mono = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, 1, 96000), format;
    const WAVEFORMATEX stereo = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000);
    EXPECT_EQ(1, engine->CheckOutputFormat(&stereo, &mono));
    EXPECT_EQ(0, engine->CheckOutputFormat(&mono, &stereo));
    EXPECT_EQ(S_OK, engine->DeriveOutputFormat(&mono));
    EXPECT_EQ(0, std::memcmp(&stereo, &mono, sizeof mono));  // 16-byte frames, 1536000 bytes/s
    EXPECT_EQ(VFW_E_NOT_CONNECTED, engine->GetWaveFormat(&format, 2));
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
    // Channels, bytes asked and granted, the allocator's answer; expected answer, bytes
    // requested and agreed.
    const std::tuple<WORD, LONG, LONG, HRESULT, HRESULT, LONG, LONG> cases[] = {
        {1, 4096, 8192, S_OK, S_OK, 8192, 8192},
        {2, 4096, 511, S_OK, E_FAIL, 4096, 511},
        {2, 512, 512, S_OK, S_OK, 512, 512},
        {2, 4096, 8192, E_OUTOFMEMORY, E_OUTOFMEMORY, 4096, 4096}};
    for (const auto& [channels, ask, grant, answer, expected, requested, agreed] : cases) {
        EngineHarness engine(44100, channels);
        FakeAllocator allocator;
        allocator.grantBytes = grant;
        allocator.result = answer;
        ALLOCATOR_PROPERTIES props{4, ask, 1, 0};
        EXPECT_EQ(expected, engine->NegotiateBuffers(&allocator, &props)) << grant;
        EXPECT_EQ((std::vector<LONG>{4, requested, agreed}),
                  (std::vector<LONG>{allocator.requested.cBuffers, allocator.requested.cbBuffer,
                                     props.cbBuffer}));
    }
}

}  // namespace
