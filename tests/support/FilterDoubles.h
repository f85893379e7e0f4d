// The filters the framework and plug-in tests drive the code under test with, and a transform
// between a WAV source and a capture sink, pins connected without a graph.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "framework/ComPtr.h"
#include "framework/TransformFilter.h"
#include "framework/TransformPins.h"
#include "tools/dxhost/WavSourceFilter.h"

inline constexpr CLSID CLSID_TestPassThrough = {
    0xe7d40ba6, 0xc039, 0x4210, {0xbe, 0x82, 0x56, 0x76, 0xc4, 0xb8, 0xc0, 0xe2}};

// MEDIATYPE_Audio, the format tag's sub type, FORMAT_WaveFormatEx with an 18-byte record.
CMediaType AudioType(WORD formatTag, WORD bits, WORD channels, DWORD rate);
inline WAVEFORMATEX* WaveFormat(const CMediaType& type) {
    return reinterpret_cast<WAVEFORMATEX*>(type.Format());
}

// Copies every input sample into an output sample of the input's type and counts the hooks.
class CPassThroughFilter final : public CTransformFilter {
public:
    // With one reference, aggregated by `outer` when given.
    static CPassThroughFilter* Create(IUnknown* outer = nullptr) {
        auto* filter = new CPassThroughFilter(outer);
        filter->NonDelegatingAddRef();
        return filter;
    }
    // The factory template's creation function: no reference taken yet.
    static CUnknown* CreateInstance(IUnknown* outer, HRESULT*) {
        return new CPassThroughFilter(outer);
    }

    HRESULT CheckInputType(const CMediaType* input) override;  // wave audio
    HRESULT CheckTransform(const CMediaType* input, const CMediaType* output) override {
        return *input == *output ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT GetMediaType(int position, CMediaType* type) override;
    // The input allocator's buffers, at least one of 4096 bytes.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override { return ++starts, startResult; }
    HRESULT StopStreaming() override { return ++stops, S_OK; }
    HRESULT EndOfStream() override { return ++endsOfStream, CTransformFilter::EndOfStream(); }

    HRESULT startResult = S_OK;
    int failingTransform = 0;  // the Transform call (from 1) that fails with E_UNEXPECTED
    std::atomic<int> starts{0}, stops{0}, transforms{0}, endsOfStream{0};

private:
    explicit CPassThroughFilter(IUnknown* outer)
        : CTransformFilter(L"pass-through", outer, CLSID_TestPassThrough) {}
};

// One sample as it arrived.
struct Delivery {
    HRESULT timeResult = S_OK, mediaTimeResult = S_OK;
    REFERENCE_TIME start = 0, stop = 0;
    bool discontinuity = false, syncPoint = false;
    std::vector<BYTE> bytes;
};

// A renderer "Input" that records every delivery and end of stream in arrival order, and can
// hold the streaming thread inside one delivery until the test lets it go. The records are
// written on the streaming thread and read by the test once that thread has signalled the end
// of stream or the hold, or when the test delivered the samples itself.
class CCaptureSink final : public CBaseFilter {
public:
    CCaptureSink();  // one reference
    ~CCaptureSink() override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }

    std::vector<Delivery> deliveries;
    std::vector<int> endsOfStream;  // the deliveries before each end of stream
    int allocatorsNotified = 0;
    void AcceptOnlyRate(DWORD rate) { acceptedRate_ = rate; }  // 0: any
    std::vector<BYTE> Bytes() const;
    void Clear();
    // The streaming thread waits inside delivery `index` (from 0 since Clear) until LetGo.
    void HoldAt(int index) { holdAt_ = index; }
    bool WaitUntil(bool held, DWORD timeoutMs) const;  // held, or else an end of stream
    void LetGo() { SetEvent(letGo_); }

private:
    class Pin final : public CBaseInputPin {
    public:
        Pin(CCaptureSink* sink, HRESULT* hr)
            : CBaseInputPin(L"capture pin", sink, &sink->lock_, hr, L"Input"), sink_(sink) {}
        HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
        HRESULT STDMETHODCALLTYPE EndOfStream() override;
        HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator,
                                                  BOOL readOnly) override {
            return ++sink_->allocatorsNotified, CBaseInputPin::NotifyAllocator(allocator, readOnly);
        }
        HRESULT CheckMediaType(const CMediaType* type) override;

    private:
        CCaptureSink* const sink_;  // not counted
    };
    CCritSec lock_;
    HRESULT pinResult_ = S_OK;
    Pin pin_;
    DWORD acceptedRate_ = 0;
    std::atomic<int> holdAt_{-1};
    HANDLE ended_, held_, letGo_;  // owned manual-reset events
};

// The transform under test (a reference taken over) between a WAV source and the capture sink.
// Every test ends with the filters stopped and disconnected, each held by the test alone, and
// no framework object of this program alive.
class TransformChain : public ::testing::Test {
protected:
    explicit TransformChain(CTransformFilter* transform);
    void SetUp() override;
    void TearDown() override;
    CBasePin* SourcePin() const { return source_ ? source_->GetPin(0) : nullptr; }
    CBasePin* SinkPin() const { return sink_->GetPin(0); }
    // A new source of `audio` in samples of `blockFrames`, connected to the input.
    HRESULT ConnectSource(const WavAudio& audio, int blockFrames);
    HRESULT ConnectSink();
    HRESULT PauseAll(bool withSource);  // downstream first, as a graph does
    HRESULT StopAll();
    // A media sample of the test's own allocator holding `bytes`, without times or flags.
    ComPtr<IMediaSample> Sample(const std::vector<BYTE>& bytes, bool discontinuity = false);
    ALLOCATOR_PROPERTIES OutputBuffers() const;  // all zero when the output is not connected
    IBaseFilter* Filter() const { return filter_.Get(); }

    ComPtr<CTransformFilter> filter_;
    ComPtr<CWavSourceFilter> source_;
    ComPtr<CCaptureSink> sink_{new CCaptureSink};
    ComPtr<IMemAllocator> samples_;
    CBasePin *input_, *output_;  // the filter's, not counted
};
