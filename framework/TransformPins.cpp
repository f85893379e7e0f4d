// The transform filter's pins.
#include "framework/TransformPins.h"

#include "framework/TransformFilter.h"

CTransformInputPin::CTransformInputPin(const WCHAR* objectName, CTransformFilter* filter,
                                       HRESULT* hr, const WCHAR* pinName)
    : CBaseInputPin(objectName, filter, &filter->filterLock_, hr, pinName),
      transformFilter_(filter) {}

CTransformInputPin::~CTransformInputPin() = default;

HRESULT STDMETHODCALLTYPE CTransformInputPin::Receive(IMediaSample* sample) {
    CAutoLock receiving(&transformFilter_->receiveLock_);
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr == S_OK) hr = transformFilter_->Receive(sample);
    return hr;
}

HRESULT STDMETHODCALLTYPE CTransformInputPin::EndOfStream() {
    CAutoLock receiving(&transformFilter_->receiveLock_);
    HRESULT hr = CheckStreaming();
    if (hr == S_OK) hr = transformFilter_->EndOfStream();
    return hr;
}

HRESULT STDMETHODCALLTYPE CTransformInputPin::BeginFlush() {
    CAutoLock lock(&transformFilter_->filterLock_);
    if (!IsConnected() || !transformFilter_->OutputConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = CBaseInputPin::BeginFlush();
    if (FAILED(hr)) return hr;
    return transformFilter_->BeginFlush();
}

HRESULT STDMETHODCALLTYPE CTransformInputPin::EndFlush() {
    CAutoLock lock(&transformFilter_->filterLock_);
    if (!IsConnected() || !transformFilter_->OutputConnected()) return VFW_E_NOT_CONNECTED;
    const HRESULT hr = transformFilter_->EndFlush();
    if (FAILED(hr)) return hr;
    return CBaseInputPin::EndFlush();
}

HRESULT STDMETHODCALLTYPE CTransformInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                         double rate) {
    CBasePin::NewSegment(start, stop, rate);
    return transformFilter_->NewSegment(start, stop, rate);
}

HRESULT CTransformInputPin::CheckMediaType(const CMediaType* type) {
    const HRESULT hr = transformFilter_->CheckInputType(type);
    if (hr != S_OK) return hr;
    if (transformFilter_->OutputConnected()) {
        return transformFilter_->CheckTransform(type,
                                                &transformFilter_->OutputPin()->CurrentMediaType());
    }
    return S_OK;
}

HRESULT CTransformInputPin::SetMediaType(const CMediaType* type) {
    const HRESULT hr = CBaseInputPin::SetMediaType(type);
    if (FAILED(hr)) return hr;
    return transformFilter_->SetMediaType(PINDIR_INPUT, type);
}

HRESULT CTransformInputPin::CheckConnect(IPin* pin) {
    const HRESULT hr = transformFilter_->CheckConnect(PINDIR_INPUT, pin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CheckConnect(pin);
}

HRESULT CTransformInputPin::BreakConnect() {
    const HRESULT hr = transformFilter_->BreakConnect(PINDIR_INPUT);
    const HRESULT base = CBaseInputPin::BreakConnect();
    return FAILED(hr) ? hr : base;
}

HRESULT CTransformInputPin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = transformFilter_->CompleteConnect(PINDIR_INPUT, receivePin);
    if (FAILED(hr)) return hr;
    return CBaseInputPin::CompleteConnect(receivePin);
}

CTransformOutputPin::CTransformOutputPin(const WCHAR* objectName, CTransformFilter* filter,
                                         HRESULT* hr, const WCHAR* pinName)
    : CBaseOutputPin(objectName, filter, &filter->filterLock_, hr, pinName),
      transformFilter_(filter),
      position_(L"transform seeking", GetOwner(), hr, filter->InputPin()) {}

CTransformOutputPin::~CTransformOutputPin() = default;

HRESULT STDMETHODCALLTYPE CTransformOutputPin::NonDelegatingQueryInterface(REFIID riid,
                                                                           void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IMediaSeeking) || IsEqualIID(riid, IID_IMediaPosition)) {
        return position_.NonDelegatingQueryInterface(riid, ppv);
    }
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, ppv);
}

HRESULT STDMETHODCALLTYPE CTransformOutputPin::Notify(IBaseFilter*, Quality quality) {
    const HRESULT hr = transformFilter_->AlterQuality(quality);
    if (hr != S_FALSE) return hr;
    IPin* upstream = transformFilter_->InputPin()->GetConnected();
    if (upstream == nullptr) return VFW_E_NOT_FOUND;
    ComPtr<IQualityControl> control;
    if (FAILED(upstream->QueryInterface(IID_IQualityControl, control.PutVoid()))) {
        return VFW_E_NOT_FOUND;
    }
    return control->Notify(transformFilter_, quality);
}

HRESULT CTransformOutputPin::CheckMediaType(const CMediaType* type) {
    if (!transformFilter_->InputConnected()) return E_UNEXPECTED;
    return transformFilter_->CheckTransform(&transformFilter_->InputPin()->CurrentMediaType(),
                                            type);
}

HRESULT CTransformOutputPin::SetMediaType(const CMediaType* type) {
    const HRESULT hr = CBaseOutputPin::SetMediaType(type);
    if (FAILED(hr)) return hr;
    return transformFilter_->SetMediaType(PINDIR_OUTPUT, type);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pin) {
    const HRESULT hr = transformFilter_->CheckConnect(PINDIR_OUTPUT, pin);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTransformOutputPin::BreakConnect() {
    const HRESULT hr = transformFilter_->BreakConnect(PINDIR_OUTPUT);
    const HRESULT base = CBaseOutputPin::BreakConnect();
    return FAILED(hr) ? hr : base;
}

HRESULT CTransformOutputPin::CompleteConnect(IPin* receivePin) {
    const HRESULT hr = transformFilter_->CompleteConnect(PINDIR_OUTPUT, receivePin);
    if (FAILED(hr)) return hr;
    return CBaseOutputPin::CompleteConnect(receivePin);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator,
                                              ALLOCATOR_PROPERTIES* properties) {
    return transformFilter_->DecideBufferSize(allocator, properties);
}

HRESULT CTransformOutputPin::GetMediaType(int position, CMediaType* type) {
    if (!transformFilter_->InputConnected()) return VFW_S_NO_MORE_ITEMS;
    return transformFilter_->GetMediaType(position, type);
}
