// The pass-through test transform.
#include "tests/framework/PassThroughFilter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace {

const AMOVIESETUP_MEDIATYPE kAudioType = {&MEDIATYPE_Audio, &MEDIASUBTYPE_NULL};
const AMOVIESETUP_PIN kPins[] = {
    {L"Input", FALSE, FALSE, FALSE, FALSE, &CLSID_NULL, L"Output", 1, &kAudioType},
    {L"Output", FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, L"Input", 1, &kAudioType},
};

}  // namespace

const AMOVIESETUP_FILTER CPassThroughFilter::kSetup = {
    &CLSID_TestPassThrough, L"qv framework test pass-through", 0x200000, 2, kPins};

CPassThroughFilter* CPassThroughFilter::Create(IUnknown* outer) {
    auto* filter = new (std::nothrow) CPassThroughFilter(outer);
    if (filter != nullptr) filter->NonDelegatingAddRef();
    return filter;
}

CUnknown* CPassThroughFilter::CreateInstance(IUnknown* outer, HRESULT* hr) {
    auto* filter = new (std::nothrow) CPassThroughFilter(outer);
    if (filter == nullptr) *hr = E_OUTOFMEMORY;
    return filter;
}

CPassThroughFilter::CPassThroughFilter(IUnknown* outer)
    : CTransformFilter(L"pass-through test filter", outer, CLSID_TestPassThrough) {}

HRESULT CPassThroughFilter::CheckInputType(const CMediaType* input) {
    if (!IsEqualGUID(*input->Type(), MEDIATYPE_Audio) ||
        !IsEqualGUID(*input->FormatType(), FORMAT_WaveFormatEx) || input->FormatLength() < 16) {
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    const auto* format = reinterpret_cast<const WAVEFORMATEX*>(input->Format());
    if (refuseFloat && format->wFormatTag == WAVE_FORMAT_IEEE_FLOAT) return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT CPassThroughFilter::CheckTransform(const CMediaType* input, const CMediaType* output) {
    return *input == *output ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CPassThroughFilter::GetMediaType(int position, CMediaType* type) {
    if (!InputPin()->IsConnected()) return E_UNEXPECTED;
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    return type->Set(InputPin()->CurrentMediaType());
}

HRESULT CPassThroughFilter::DecideBufferSize(IMemAllocator* allocator,
                                             ALLOCATOR_PROPERTIES* properties) {
    ALLOCATOR_PROPERTIES request = *properties;
    if (IMemAllocator* upstream = InputPin()->Allocator()) {
        ALLOCATOR_PROPERTIES in = {};
        if (SUCCEEDED(upstream->GetProperties(&in))) {
            request.cBuffers = std::max(request.cBuffers, in.cBuffers);
            request.cbBuffer = std::max(request.cbBuffer, in.cbBuffer);
        }
    }
    request.cBuffers = std::max(request.cBuffers, 1L);
    request.cbBuffer = std::max(request.cbBuffer, 4096L);
    ALLOCATOR_PROPERTIES actual = {};
    const HRESULT hr = allocator->SetProperties(&request, &actual);
    if (FAILED(hr)) return hr;
    if (actual.cbBuffer < request.cbBuffer) return E_FAIL;
    *properties = actual;
    return S_OK;
}

void CPassThroughFilter::HoldNextTransform(HANDLE entered, HANDLE release) {
    holdEntered_ = entered;
    holdRelease_ = release;
}

HRESULT CPassThroughFilter::Transform(IMediaSample* in, IMediaSample* out) {
    inTransform_ = true;
    if (holdEntered_ != nullptr) {
        const HANDLE release = holdRelease_;
        SetEvent(std::exchange(holdEntered_, nullptr));
        WaitForSingleObject(release, 10000);
    }
    if (++transforms == failingTransform) {
        inTransform_ = false;
        return E_UNEXPECTED;
    }
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    in->GetPointer(&from);
    out->GetPointer(&to);
    const long bytes = in->GetActualDataLength();
    HRESULT hr = S_OK;
    if (bytes > out->GetSize()) {
        hr = E_FAIL;
    } else {
        std::memcpy(to, from, static_cast<std::size_t>(bytes));
        out->SetActualDataLength(bytes);
    }
    inTransform_ = false;
    return hr;
}

HRESULT CPassThroughFilter::StartStreaming() {
    ++starts;
    return startResult;
}

HRESULT CPassThroughFilter::StopStreaming() {
    if (inTransform_) stoppedDuringTransform = true;
    ++stops;
    return S_OK;
}

HRESULT CPassThroughFilter::EndOfStream() {
    ++endsOfStream;
    return CTransformFilter::EndOfStream();
}

HRESULT CPassThroughFilter::BeginFlush() {
    ++flushesBegun;
    return CTransformFilter::BeginFlush();
}

HRESULT CPassThroughFilter::EndFlush() {
    ++flushesEnded;
    return CTransformFilter::EndFlush();
}

HRESULT CPassThroughFilter::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    ++segments;
    return CTransformFilter::NewSegment(start, stop, rate);
}

const AMOVIESETUP_FILTER* CPassThroughFilter::GetSetupData() {
    return &kSetup;
}
