// The base input pin: allocators, streaming checks and flushing.
#include "framework/BaseInputPin.h"

#include <evcode.h>

#include "framework/BaseFilter.h"

CBaseInputPin::CBaseInputPin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock,
                             HRESULT* hr, const WCHAR* pinName)
    : CBasePin(objectName, filter, lock, hr, pinName, PINDIR_INPUT) {}

CBaseInputPin::~CBaseInputPin() = default;

HRESULT STDMETHODCALLTYPE CBaseInputPin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IMemInputPin)) {
        return GetInterface(static_cast<IMemInputPin*>(this), ppv);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (allocator == nullptr) return E_POINTER;
    *allocator = nullptr;
    CAutoLock lock(lock_);
    if (!allocator_) {
        const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IMemAllocator, allocator_.PutVoid());
        if (FAILED(hr)) return hr;
    }
    *allocator = allocator_.Get();
    (*allocator)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (allocator == nullptr) return E_POINTER;
    CAutoLock lock(lock_);
    allocator_ = ComPtr<IMemAllocator>::Borrow(allocator);
    readOnly_ = readOnly != FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* props) {
    if (props == nullptr) return E_POINTER;
    return E_NOTIMPL;
}

HRESULT CBaseInputPin::CheckStreaming() {
    if (!IsConnected()) return VFW_E_NOT_CONNECTED;
    if (IsStopped()) return VFW_E_WRONG_STATE;
    if (flushing_) return S_FALSE;
    if (runTimeError_) return VFW_E_RUNTIME_ERROR;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::Receive(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    const HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;

    // A sample may carry a new media type: with IMediaSample2 it is flagged in the
    // properties, otherwise GetMediaType returns it.
    CMediaType changed;
    bool typeChanged = false;
    ComPtr<IMediaSample2> sample2;
    if (SUCCEEDED(sample->QueryInterface(IID_IMediaSample2, sample2.PutVoid()))) {
        AM_SAMPLE2_PROPERTIES props = {};
        if (SUCCEEDED(sample2->GetProperties(sizeof(props), reinterpret_cast<BYTE*>(&props))) &&
            (props.dwSampleFlags & AM_SAMPLE_TYPECHANGED) != 0 && props.pMediaType != nullptr) {
            typeChanged = true;
            if (FAILED(changed.Set(*props.pMediaType))) return E_OUTOFMEMORY;
        }
    } else {
        AM_MEDIA_TYPE* carried = nullptr;
        if (sample->GetMediaType(&carried) == S_OK && carried != nullptr) {
            typeChanged = true;
            const HRESULT copied = changed.Set(*carried);
            DeleteMediaType(carried);
            if (FAILED(copied)) return copied;
        }
    }
    if (typeChanged && CheckMediaType(&changed) != S_OK) {
        // End the stream downstream first: once the error is set, EndOfStream is refused.
        // Neither that nor the event (which has no graph to go to outside one) can change
        // what the sample is answered.
        EndOfStream();
        runTimeError_ = true;
        filter_->NotifyEvent(EC_ERRORABORT, VFW_E_TYPE_NOT_ACCEPTED, 0);
        return VFW_E_INVALIDMEDIATYPE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::ReceiveMultiple(IMediaSample** samples, LONG count,
                                                         LONG* processed) {
    if (samples == nullptr || processed == nullptr) return E_POINTER;
    if (count < 0) return E_INVALIDARG;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count) {
        hr = Receive(samples[*processed]);
        if (hr != S_OK) break;
        ++*processed;
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::ReceiveCanBlock() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::EndOfStream() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::BeginFlush() {
    CAutoLock lock(lock_);
    flushing_ = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CBaseInputPin::EndFlush() {
    CAutoLock lock(lock_);
    flushing_ = false;
    runTimeError_ = false;
    return S_OK;
}

HRESULT CBaseInputPin::BreakConnect() {
    allocator_.Reset();
    return S_OK;
}

HRESULT CBaseInputPin::Inactive() {
    runTimeError_ = false;
    flushing_ = false;
    return allocator_ ? allocator_->Decommit() : S_OK;
}
