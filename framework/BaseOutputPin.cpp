// The base output pin: allocator choice and delivery downstream.
#include "framework/BaseOutputPin.h"

CBaseOutputPin::CBaseOutputPin(const WCHAR* objectName, CBaseFilter* filter, CCritSec* lock,
                               HRESULT* hr, const WCHAR* pinName)
    : CBasePin(objectName, filter, lock, hr, pinName, PINDIR_OUTPUT) {}

CBaseOutputPin::~CBaseOutputPin() = default;

HRESULT STDMETHODCALLTYPE CBaseOutputPin::EndOfStream() {
    return E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE CBaseOutputPin::BeginFlush() {
    return E_UNEXPECTED;
}

HRESULT STDMETHODCALLTYPE CBaseOutputPin::EndFlush() {
    return E_UNEXPECTED;
}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
    const HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr)) return hr;
    if (FAILED(pin->QueryInterface(IID_IMemInputPin, inputPin_.PutVoid()))) {
        return VFW_E_NO_TRANSPORT;
    }
    return S_OK;
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (allocator_) {
        // The allocator is let go whatever it answers: the connection is over.
        allocator_->Decommit();
        allocator_.Reset();
    }
    inputPin_.Reset();
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) {
    return DecideAllocator(inputPin_.Get(), allocator_.Put());
}

HRESULT CBaseOutputPin::Active() {
    if (!allocator_) return VFW_E_NO_ALLOCATOR;
    return allocator_->Commit();
}

HRESULT CBaseOutputPin::Inactive() {
    return allocator_ ? allocator_->Decommit() : S_OK;
}

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* pin, IMemAllocator** allocator) {
    if (pin == nullptr || allocator == nullptr) return E_POINTER;
    *allocator = nullptr;

    // What the downstream pin asks for is only the starting point of DecideBufferSize.
    auto requirements = [pin] {
        // A pin without requirements answers E_NOTIMPL and leaves the zeros.
        ALLOCATOR_PROPERTIES props = {};
        pin->GetAllocatorRequirements(&props);
        if (props.cbAlign == 0) props.cbAlign = 1;
        return props;
    };
    ComPtr<IMemAllocator> chosen;
    HRESULT hr = pin->GetAllocator(chosen.Put());
    if (SUCCEEDED(hr)) {
        ALLOCATOR_PROPERTIES props = requirements();
        hr = DecideBufferSize(chosen.Get(), &props);
        if (SUCCEEDED(hr)) hr = pin->NotifyAllocator(chosen.Get(), FALSE);
        if (SUCCEEDED(hr)) {
            *allocator = chosen.Detach();
            return S_OK;
        }
    }
    hr = InitAllocator(chosen.Put());
    if (FAILED(hr)) return hr;
    ALLOCATOR_PROPERTIES props = requirements();
    hr = DecideBufferSize(chosen.Get(), &props);
    if (SUCCEEDED(hr)) hr = pin->NotifyAllocator(chosen.Get(), FALSE);
    if (FAILED(hr)) return hr;
    *allocator = chosen.Detach();
    return S_OK;
}

HRESULT CBaseOutputPin::InitAllocator(IMemAllocator** allocator) {
    return CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                            reinterpret_cast<void**>(allocator));
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start,
                                          REFERENCE_TIME* stop, DWORD flags) {
    if (sample == nullptr) return E_POINTER;
    *sample = nullptr;
    if (!allocator_) return VFW_E_NO_ALLOCATOR;
    return allocator_->GetBuffer(sample, start, stop, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
    if (sample == nullptr) return E_POINTER;
    if (!inputPin_) return VFW_E_NOT_CONNECTED;
    return inputPin_->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
    if (!connected_) return VFW_E_NOT_CONNECTED;
    return connected_->EndOfStream();
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
    if (!connected_) return VFW_E_NOT_CONNECTED;
    return connected_->BeginFlush();
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
    if (!connected_) return VFW_E_NOT_CONNECTED;
    return connected_->EndFlush();
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    if (!connected_) return VFW_E_NOT_CONNECTED;
    return connected_->NewSegment(start, stop, rate);
}
