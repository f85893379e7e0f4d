// Delay memories: sizes at common rates, zeroing, the allocation-failure path, release, and the
// format helpers used while the filter negotiates types and buffers.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/EngineHarness.h"

namespace {

// An engine whose Nth delay-memory allocation fails.
class FailingEngine : public CStandaloneReverb {
public:
    FailingEngine(HRESULT* status, int failAt) : CStandaloneReverb(status), failAt_(failAt) {}
    int allocations = 0;

protected:
    double* AllocateDelayMemory(std::size_t frames) override {
        if (++allocations == failAt_) return nullptr;
        return CAudioTransform::AllocateDelayMemory(frames);
    }

private:
    int failAt_;
};

struct RateCase {
    DWORD rate;
    std::int32_t capacities[kDelayMemoryCount];
};

const RateCase kRateCases[] = {
    {44100, {313, 235, 835, 610, 1481, 9818, 3969, 8202, 2002, 9298, 5856, 6974, 11025, 32768}},
    {48000, {340, 256, 909, 664, 1612, 10687, 4320, 8928, 2179, 10120, 6374, 7591, 12000, 32768}},
    {96000,
     {681, 513, 1819, 1329, 3225, 21374, 8640, 17856, 4358, 20241, 12748, 15182, 24000, 65536}},
};

TEST(BufferLifecycle, MemoriesAreSizedToTheRateAndZeroed) {
    for (const RateCase& c : kRateCases) {
        SCOPED_TRACE(c.rate);
        EngineHarness engine(c.rate);
        ASSERT_EQ(S_OK, engine.Start());
        for (int i = 0; i < kDelayMemoryCount; ++i) {
            SCOPED_TRACE(i);
            const DelayMemory& memory = engine->Memory(i);
            ASSERT_NE(nullptr, memory.data);
            EXPECT_EQ(c.capacities[i], memory.capacity);
            EXPECT_TRUE(std::all_of(memory.data, memory.data + memory.capacity,
                                    [](double v) { return v == 0.0; }));
            EXPECT_LE(memory.length, memory.capacity);
        }
    }
}

TEST(BufferLifecycle, EveryAllocationFailureFreesEverythingAndReportsOutOfMemory) {
    for (int failAt = 1; failAt <= kDelayMemoryCount; ++failAt) {
        SCOPED_TRACE(failAt);
        HRESULT status = S_OK;
        auto* engine = new FailingEngine(&status, failAt);
        WAVEFORMATEX input = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 32, 2, 44100);
        WAVEFORMATEX output = input;
        EXPECT_EQ(E_OUTOFMEMORY, engine->AllocateBuffers(&input, &output));
        EXPECT_EQ(failAt, engine->allocations);
        for (int i = 0; i < kDelayMemoryCount; ++i) EXPECT_EQ(nullptr, engine->Memory(i).data);
        engine->Release();
    }
}

TEST(BufferLifecycle, ReleaseFreesMemoriesKeepsSettingsAndIsHarmlessTwice) {
    EngineHarness engine;
    ASSERT_EQ(S_OK, engine.Start());
    engine->SetDecay(37, FALSE);
    std::vector<double> out;
    engine.Run(kModeDiscontinuity, Noise(256, 2, 0.5), &out);
    engine->SetClipLeft(1, 2);

    EXPECT_EQ(S_OK, engine->ReleaseBuffers());
    EXPECT_EQ(S_OK, engine->ReleaseBuffers());
    for (int i = 0; i < kDelayMemoryCount; ++i) EXPECT_EQ(nullptr, engine->Memory(i).data);
    double meters[4];
    engine->GetMeters(meters);
    for (double m : meters) EXPECT_EQ(0.0, m);
    int decay = 0;
    engine->GetDecay(&decay);
    EXPECT_EQ(37, decay);
    EXPECT_EQ(2, engine->GetClipLeft(1));

    // Streaming again starts from silence.
    ASSERT_EQ(S_OK, engine.Start());
    out.clear();
    engine.Run(kModeDiscontinuity, std::vector<double>(2 * 4096, 0.0), &out);
    for (double v : out) EXPECT_LT(std::abs(v), 1e-15);
}

TEST(BufferLifecycle, CheckOutputFormatWantsStereoAndSettlesTheStereoSwitch) {
    HRESULT status = S_OK;
    // A bare engine (no preset applied) has an undetermined Stereo switch.
    struct BareEngine : CAudioTransform {
        explicit BareEngine(HRESULT* s) : CAudioTransform(s) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOTIMPL; }
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    } engine(&status);
    int stereo = 0;
    engine.GetStereo(&stereo);
    EXPECT_EQ(-1, stereo);

    WAVEFORMATEX mono = CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 1, 44100);
    WAVEFORMATEX stereoFormat = CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 2, 44100);
    EXPECT_EQ(1, engine.CheckOutputFormat(&stereoFormat, &mono));
    EXPECT_EQ(0, engine.CheckOutputFormat(&mono, &stereoFormat));
    engine.GetStereo(&stereo);
    EXPECT_EQ(1, stereo);

    engine.SetStereo(0, FALSE);
    engine.CheckOutputFormat(&mono, &stereoFormat);
    engine.GetStereo(&stereo);
    EXPECT_EQ(0, stereo);
}

TEST(BufferLifecycle, DeriveOutputFormatMakesTheStereoForm) {
    HRESULT status = S_OK;
    CStandaloneReverb* engine = new CStandaloneReverb(&status);
    WAVEFORMATEX format = CStandaloneReverb::MakeFormat(WAVE_FORMAT_PCM, 16, 1, 44100);
    EXPECT_EQ(S_OK, engine->DeriveOutputFormat(&format));
    EXPECT_EQ(2, format.nChannels);
    EXPECT_EQ(4, format.nBlockAlign);
    EXPECT_EQ(176400u, format.nAvgBytesPerSec);
    format = CStandaloneReverb::MakeFormat(WAVE_FORMAT_IEEE_FLOAT, 64, 2, 96000);
    engine->DeriveOutputFormat(&format);
    EXPECT_EQ(16, format.nBlockAlign);
    EXPECT_EQ(1536000u, format.nAvgBytesPerSec);
    engine->Release();
}

// An allocator that grants a fixed buffer size (or fails) and remembers the request.
class FakeAllocator : public IMemAllocator {
public:
    LONG grantBytes = 8192;
    HRESULT result = S_OK;
    ALLOCATOR_PROPERTIES requested{};

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetProperties(ALLOCATOR_PROPERTIES* request,
                                            ALLOCATOR_PROPERTIES* actual) override {
        requested = *request;
        if (FAILED(result)) return result;
        *actual = *request;
        actual->cbBuffer = grantBytes;
        return result;
    }
    HRESULT STDMETHODCALLTYPE GetProperties(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Commit() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Decommit() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBuffer(IMediaSample**, REFERENCE_TIME*, REFERENCE_TIME*,
                                        DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReleaseBuffer(IMediaSample*) override { return E_NOTIMPL; }
};

TEST(BufferLifecycle, NegotiateBuffersDoublesForMonoAndRefusesSmallBuffers) {
    EngineHarness mono(44100, 1);
    FakeAllocator allocator;
    ALLOCATOR_PROPERTIES props{4, 4096, 1, 0};
    EXPECT_EQ(S_OK, mono->NegotiateBuffers(&allocator, &props));
    EXPECT_EQ(8192, allocator.requested.cbBuffer);
    EXPECT_EQ(4, allocator.requested.cBuffers);
    EXPECT_EQ(8192, props.cbBuffer);

    EngineHarness stereo(44100, 2);
    props = ALLOCATOR_PROPERTIES{4, 4096, 1, 0};
    allocator.grantBytes = 511;
    EXPECT_EQ(E_FAIL, stereo->NegotiateBuffers(&allocator, &props));
    EXPECT_EQ(4096, allocator.requested.cbBuffer);
    EXPECT_EQ(511, props.cbBuffer);

    allocator.grantBytes = 512;
    props = ALLOCATOR_PROPERTIES{4, 512, 1, 0};
    EXPECT_EQ(S_OK, stereo->NegotiateBuffers(&allocator, &props));

    allocator.result = E_OUTOFMEMORY;
    props = ALLOCATOR_PROPERTIES{4, 4096, 1, 0};
    EXPECT_EQ(E_OUTOFMEMORY, stereo->NegotiateBuffers(&allocator, &props));
    EXPECT_EQ(4096, props.cbBuffer);
}

}  // namespace
