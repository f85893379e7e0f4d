// The media type enumerator.
#include "framework/EnumMediaTypes.h"

#include <climits>
#include <cstdint>
#include <new>

#include "framework/BasePin.h"
#include "framework/MediaType.h"

HRESULT CEnumMediaTypes::Create(CBasePin* pin, IEnumMediaTypes** types) {
    if (types == nullptr) return E_POINTER;
    *types = nullptr;
    auto* made = new (std::nothrow) CEnumMediaTypes(pin, 0, pin->GetMediaTypeVersion());
    if (made == nullptr) return E_OUTOFMEMORY;
    made->NonDelegatingAddRef();
    *types = made;
    return S_OK;
}

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin, int position, LONG version)
    : CUnknown(L"media type enumerator", nullptr),
      pin_(pin),
      position_(position),
      version_(version) {
    pin_->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() {
    pin_->Release();
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IEnumMediaTypes)) {
        return GetInterface(static_cast<IEnumMediaTypes*>(this), ppv);
    }
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

bool CEnumMediaTypes::InSync() const {
    return version_ == pin_->GetMediaTypeVersion();
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE** types,
                                                ULONG* fetched) {
    if (types == nullptr) return E_POINTER;
    // Only a request for one type may leave out the count.
    if (fetched == nullptr && count > 1) return E_INVALIDARG;
    if (fetched != nullptr) *fetched = 0;
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    ULONG got = 0;
    while (got < count) {
        CMediaType type;
        if (pin_->GetMediaType(position_, &type) != S_OK) break;
        AM_MEDIA_TYPE* copy = CreateMediaType(&type);
        if (copy == nullptr) {
            while (got > 0) {
                DeleteMediaType(types[--got]);
                types[got] = nullptr;
            }
            return E_OUTOFMEMORY;
        }
        ++position_;
        types[got++] = copy;
    }
    if (fetched != nullptr) *fetched = got;
    return got == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Skip(ULONG count) {
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    if (count == 0) return S_OK;
    // The types are numbered without gaps, so the last one to skip tells whether all are there;
    // past the end the enumerator stays where it is.
    const std::int64_t last = std::int64_t{position_} + count - 1;
    CMediaType type;
    if (last >= INT_MAX || pin_->GetMediaType(static_cast<int>(last), &type) != S_OK) {
        return S_FALSE;
    }
    position_ = static_cast<int>(last + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Reset() {
    version_ = pin_->GetMediaTypeVersion();
    position_ = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CEnumMediaTypes::Clone(IEnumMediaTypes** copy) {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    if (!InSync()) return VFW_E_ENUM_OUT_OF_SYNC;
    auto* made = new (std::nothrow) CEnumMediaTypes(pin_, position_, version_);
    if (made == nullptr) return E_OUTOFMEMORY;
    made->NonDelegatingAddRef();
    *copy = made;
    return S_OK;
}
