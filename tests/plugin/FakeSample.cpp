// The test's own media sample (see FakeSample.h).
#include "tests/plugin/FakeSample.h"

#include <utility>

CFakeSample::CFakeSample(std::vector<BYTE> bytes)
    : bytes_(std::move(bytes)), actualLength_(static_cast<long>(bytes_.size())) {}

void CFakeSample::SetTimes(REFERENCE_TIME start, REFERENCE_TIME stop) {
    times_ = Times::kBoth;
    start_ = start;
    stop_ = stop;
}

void CFakeSample::SetStartOnly(REFERENCE_TIME start) {
    times_ = Times::kStartOnly;
    start_ = start;
}

HRESULT STDMETHODCALLTYPE CFakeSample::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IMediaSample)) {
        *ppv = static_cast<IMediaSample*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CFakeSample::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CFakeSample::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

HRESULT STDMETHODCALLTYPE CFakeSample::GetPointer(BYTE** buffer) {
    if (buffer == nullptr) return E_POINTER;
    *buffer = bytes_.data();
    return S_OK;
}

long STDMETHODCALLTYPE CFakeSample::GetSize() {
    return static_cast<long>(bytes_.size());
}

HRESULT STDMETHODCALLTYPE CFakeSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (start == nullptr || stop == nullptr) return E_POINTER;
    switch (times_) {
        case Times::kNone:
            return VFW_E_SAMPLE_TIME_NOT_SET;
        case Times::kStartOnly:
            *start = start_;
            *stop = start_ + 1;
            return VFW_S_NO_STOP_TIME;
        case Times::kBoth:
            break;
    }
    *start = start_;
    *stop = stop_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) {
    if (start == nullptr) {
        times_ = Times::kNone;
    } else if (stop == nullptr) {
        SetStartOnly(*start);
    } else {
        SetTimes(*start, *stop);
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::IsSyncPoint() {
    return syncPoint_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetSyncPoint(BOOL syncPoint) {
    syncPoint_ = syncPoint != FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::IsPreroll() {
    return preroll_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetPreroll(BOOL preroll) {
    preroll_ = preroll != FALSE;
    return S_OK;
}

long STDMETHODCALLTYPE CFakeSample::GetActualDataLength() {
    return actualLength_;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetActualDataLength(long length) {
    if (length < 0 || length > GetSize()) return VFW_E_BUFFER_OVERFLOW;
    actualLength_ = length;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::GetMediaType(AM_MEDIA_TYPE** type) {
    if (type == nullptr) return E_POINTER;
    *type = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetMediaType(AM_MEDIA_TYPE*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CFakeSample::IsDiscontinuity() {
    return discontinuity_ ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetDiscontinuity(BOOL discontinuity) {
    discontinuity_ = discontinuity != FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::GetMediaTime(LONGLONG* start, LONGLONG* stop) {
    if (start == nullptr || stop == nullptr) return E_POINTER;
    if (!mediaTimes_) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = mediaStart_;
    *stop = mediaStop_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CFakeSample::SetMediaTime(LONGLONG* start, LONGLONG* stop) {
    mediaTimes_ = start != nullptr && stop != nullptr;
    if (mediaTimes_) {
        mediaStart_ = *start;
        mediaStop_ = *stop;
    }
    return S_OK;
}
