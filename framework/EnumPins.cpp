// The pin enumerator.
#include "framework/EnumPins.h"

#include <new>

#include "framework/BaseFilter.h"
#include "framework/BasePin.h"

HRESULT CEnumPins::Create(CBaseFilter* filter, IEnumPins** pins) {
    if (pins == nullptr) return E_POINTER;
    *pins = nullptr;
    auto* made = new (std::nothrow) CEnumPins(filter, 0, filter->GetPinVersion());
    if (made == nullptr) return E_OUTOFMEMORY;
    made->NonDelegatingAddRef();
    *pins = made;
    return S_OK;
}

CEnumPins::CEnumPins(CBaseFilter* filter, int position, LONG version)
    : CUnknown(L"pin enumerator", nullptr),
      filter_(filter),
      position_(position),
      version_(version) {
    filter_->AddRef();
}

CEnumPins::~CEnumPins() {
    filter_->Release();
}

HRESULT STDMETHODCALLTYPE CEnumPins::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IEnumPins)) return GetInterface(static_cast<IEnumPins*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumPins::InSync() const {
    return version_ == filter_->GetPinVersion();
}

HRESULT STDMETHODCALLTYPE CEnumPins::Next(ULONG count, IPin** pins, ULONG* fetched) {
    if (pins == nullptr) return E_POINTER;
    // Only a request for one pin may leave out the count.
    if (fetched == nullptr && count > 1) return E_INVALIDARG;
    if (fetched != nullptr) *fetched = 0;
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    const int pinCount = filter_->GetPinCount();
    while (got < count && position_ < pinCount) {
        CBasePin* pin = filter_->GetPin(position_);
        if (pin == nullptr) break;
        ++position_;
        pin->AddRef();
        pins[got++] = pin;
    }
    if (fetched != nullptr) *fetched = got;
    return got == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Skip(ULONG count) {
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    // Past the end the enumerator stays where it is.
    const ULONG left = static_cast<ULONG>(filter_->GetPinCount() - position_);
    if (count > left) return S_FALSE;
    position_ += static_cast<int>(count);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Reset() {
    version_ = filter_->GetPinVersion();
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumPins::Clone(IEnumPins** copy) {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    auto* made = new (std::nothrow) CEnumPins(filter_, position_, version_);
    if (made == nullptr) return E_OUTOFMEMORY;
    made->NonDelegatingAddRef();
    *copy = made;
    return S_OK;
}
