// The filters the framework and plug-in tests drive the code under test with: a pass-through
// transform, an upstream filter without a thread of its own, and a renderer that records what
// reaches it.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "framework/TransformFilter.h"
#include "framework/TransformPins.h"

inline constexpr CLSID CLSID_TestPassThrough = {
    0xe7d40ba6, 0xc039, 0x4210, {0xbe, 0x82, 0x56, 0x76, 0xc4, 0xb8, 0xc0, 0xe2}};

// MEDIATYPE_Audio, the format tag's sub type, FORMAT_WaveFormatEx with an 18-byte record whose
// block alignment and byte rate follow channels x bits / 8.
CMediaType AudioType(WORD formatTag, WORD bits, WORD channels, DWORD rate);
inline WAVEFORMATEX* WaveFormat(const CMediaType& type) {
    return reinterpret_cast<WAVEFORMATEX*>(type.Format());
}
inline bool IsWaveAudio(const CMediaType* type) {
    return IsEqualGUID(*type->Type(), MEDIATYPE_Audio) &&
           IsEqualGUID(*type->FormatType(), FORMAT_WaveFormatEx) && type->FormatLength() >= 16;
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

    HRESULT CheckInputType(const CMediaType* input) override {
        if (!IsWaveAudio(input)) return VFW_E_TYPE_NOT_ACCEPTED;
        const bool isFloat = WaveFormat(*input)->wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
        return refuseFloat && isFloat ? VFW_E_TYPE_NOT_ACCEPTED : S_OK;
    }
    HRESULT CheckTransform(const CMediaType* input, const CMediaType* output) override {
        return *input == *output ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT GetMediaType(int position, CMediaType* type) override {
        if (!InputPin()->IsConnected()) return E_UNEXPECTED;
        if (position < 0) return E_INVALIDARG;
        return position > 0 ? VFW_S_NO_MORE_ITEMS : type->Set(InputPin()->CurrentMediaType());
    }
    // The input allocator's buffers, at least one of 4096 bytes.
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Transform(IMediaSample* in, IMediaSample* out) override;
    HRESULT StartStreaming() override { return ++starts, startResult; }
    HRESULT StopStreaming() override { return ++stops, S_OK; }
    HRESULT EndOfStream() override { return ++endsOfStream, CTransformFilter::EndOfStream(); }
    const AMOVIESETUP_FILTER* GetSetupData() override { return &kSetup; }

    HRESULT startResult = S_OK;
    bool refuseFloat = false;
    int failingTransform = 0;  // the Transform call (from 1) that fails with E_UNEXPECTED
    std::atomic<int> starts{0}, stops{0}, transforms{0}, endsOfStream{0};
    static const AMOVIESETUP_FILTER kSetup;

private:
    explicit CPassThroughFilter(IUnknown* outer)
        : CTransformFilter(L"pass-through", outer, CLSID_TestPassThrough) {}
};

// One output pin "Output" offering one type and asking for the buffers it was made with; the
// test hands samples downstream itself.
class CTestSource final : public CBaseFilter {
public:
    CTestSource(const CMediaType& type, const ALLOCATOR_PROPERTIES& buffers);  // one reference
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }
    CMediaType type;

private:
    class Pin final : public CBaseOutputPin {
    public:
        Pin(CTestSource* source, HRESULT* hr)
            : CBaseOutputPin(L"source pin", source, &source->lock_, hr, L"Output"),
              source_(source) {}
        HRESULT CheckMediaType(const CMediaType* t) override {
            return *t == source_->type ? S_OK : S_FALSE;
        }
        HRESULT GetMediaType(int position, CMediaType* t) override {
            return position > 0 ? VFW_S_NO_MORE_ITEMS : t->Set(source_->type);
        }
        HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* props) override {
            ALLOCATOR_PROPERTIES request = source_->buffers_;
            const HRESULT hr = allocator->SetProperties(&request, props);
            return FAILED(hr) || props->cbBuffer >= request.cbBuffer ? hr : E_FAIL;
        }

    private:
        CTestSource* const source_;  // not counted: the filter owns the pin
    };
    CCritSec lock_;
    ALLOCATOR_PROPERTIES buffers_;
    HRESULT pinResult_ = S_OK;
    Pin pin_;
};

// One sample as it arrived.
struct Delivery {
    long length = 0, size = 0;
    HRESULT timeResult = S_OK, mediaTimeResult = S_OK;
    REFERENCE_TIME start = 0, stop = 0;
    bool discontinuity = false, syncPoint = false;
    std::vector<BYTE> bytes;
};
Delivery DescribeSample(IMediaSample* sample);

// A renderer "Input" that records every delivery and end of stream in arrival order, and can
// hold the streaming thread inside one delivery until the test lets it go. Receive comes on
// the streaming thread; the records are read on the test's, under recordLock_, which is never
// held while the streaming thread waits at the hold.
class CCaptureSink final : public CBaseFilter {
public:
    CCaptureSink();  // one reference
    ~CCaptureSink() override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &pin_ : nullptr; }

    void AcceptOnlyRate(DWORD rate) { acceptedRate_ = rate; }  // 0: any
    std::vector<Delivery> Deliveries() const;
    std::vector<BYTE> Bytes() const;
    std::vector<int> EndsOfStream() const;  // the deliveries before each end of stream
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
        // Audio with a wave format record; only one rate when one is set.
        HRESULT CheckMediaType(const CMediaType* type) override;

    private:
        CCaptureSink* const sink_;  // not counted
    };
    CCritSec lock_;
    HRESULT pinResult_ = S_OK;
    Pin pin_;
    DWORD acceptedRate_ = 0;
    mutable CCritSec recordLock_;
    std::vector<Delivery> deliveries_;  // recordLock_
    std::vector<int> endsOfStream_;     // recordLock_
    std::atomic<int> holdAt_{-1};
    HANDLE ended_, held_, letGo_;  // owned manual-reset events
};
