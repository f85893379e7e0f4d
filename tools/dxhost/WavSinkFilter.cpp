// The WAV sink filter.
#include "tools/dxhost/WavSinkFilter.h"

#include <evcode.h>

#include <cstring>
#include <new>
#include <utility>

CWavSinkPin::CWavSinkPin(CWavSinkFilter* filter, CCritSec* lock, HRESULT* hr)
    : CBaseInputPin(L"WAV sink input pin", filter, lock, hr, L"Input"), sink_(filter) {}

CWavSinkPin::~CWavSinkPin() = default;

HRESULT CWavSinkPin::CheckMediaType(const CMediaType* type) {
    if (!IsEqualGUID(*type->Type(), MEDIATYPE_Audio) ||
        !IsEqualGUID(*type->FormatType(), FORMAT_WaveFormatEx) || type->FormatLength() < 16) {
        return S_FALSE;
    }
    WAVEFORMATEX format = {};
    std::memcpy(&format, type->Format(), 16);
    return CheckWaveFormat(format).empty() ? S_OK : S_FALSE;
}

HRESULT CWavSinkPin::Active() {
    CAutoLock receiving(&receiveLock_);
    WAVEFORMATEX format = {};
    std::memcpy(&format, mediaType_.Format(), 16);
    sink_->complete_ = false;
    sink_->completionSent_ = false;
    sink_->bytesWritten_ = 0;
    bool opened = false;
    try {
        opened = writer_.Open(sink_->path_, format);
    } catch (...) {
        opened = false;
    }
    sink_->writeResult_ = opened ? S_OK : E_FAIL;
    return opened ? S_OK : E_FAIL;
}

HRESULT CWavSinkPin::Inactive() {
    const HRESULT hr = CBaseInputPin::Inactive();
    CAutoLock receiving(&receiveLock_);
    writer_.Close();
    return hr;
}

HRESULT STDMETHODCALLTYPE CWavSinkPin::Receive(IMediaSample* sample) {
    CAutoLock receiving(&receiveLock_);
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_FAIL;
    const long bytes = sample->GetActualDataLength();
    if (bytes <= 0) return S_OK;
    if (!writer_.Append(data, static_cast<std::size_t>(bytes))) {
        sink_->writeResult_ = E_FAIL;
        return E_FAIL;
    }
    sink_->bytesWritten_ = writer_.DataBytes();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWavSinkPin::EndOfStream() {
    CAutoLock receiving(&receiveLock_);
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    if (!writer_.IsOpen()) return S_OK;  // a second end of stream
    if (!writer_.Finish()) {
        sink_->writeResult_ = E_FAIL;
        sink_->NotifyEvent(EC_ERRORABORT, E_FAIL, 0);
        return E_FAIL;
    }
    sink_->EndOfStreamReached();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CWavSinkPin::ReceiveCanBlock() {
    return S_FALSE;
}

HRESULT CWavSinkFilter::Create(const std::string& path, CWavSinkFilter** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    CWavSinkFilter* filter = nullptr;
    try {
        filter = new CWavSinkFilter(path);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = S_OK;
    filter->pin_.reset(new (std::nothrow) CWavSinkPin(filter, &filter->filterLock_, &hr));
    if (!filter->pin_) {
        delete filter;
        return E_OUTOFMEMORY;
    }
    filter->NonDelegatingAddRef();
    *out = filter;
    return S_OK;
}

CWavSinkFilter::CWavSinkFilter(std::string path)
    : CBaseFilter(L"WAV sink", nullptr, &filterLock_, CLSID_QvWavSink), path_(std::move(path)) {}

CWavSinkFilter::~CWavSinkFilter() = default;

HRESULT STDMETHODCALLTYPE CWavSinkFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IAMFilterMiscFlags)) {
        return GetInterface(static_cast<IAMFilterMiscFlags*>(this), ppv);
    }
    return CBaseFilter::NonDelegatingQueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE CWavSinkFilter::GetMiscFlags() {
    return AM_FILTER_MISC_FLAGS_IS_RENDERER;
}

CBasePin* CWavSinkFilter::GetPin(int n) {
    return n == 0 ? pin_.get() : nullptr;
}

HRESULT STDMETHODCALLTYPE CWavSinkFilter::Run(REFERENCE_TIME start) {
    const HRESULT hr = CBaseFilter::Run(start);
    if (SUCCEEDED(hr) && complete_) SendCompletion();
    return hr;
}

HRESULT STDMETHODCALLTYPE CWavSinkFilter::Stop() {
    const HRESULT hr = CBaseFilter::Stop();
    completionSent_ = false;
    return hr;
}

void CWavSinkFilter::EndOfStreamReached() {
    complete_ = true;
    // A renderer completes only while running; Run sends it otherwise.
    if (State() == State_Running) SendCompletion();
}

void CWavSinkFilter::SendCompletion() {
    if (completionSent_.exchange(true)) return;
    NotifyEvent(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
}
