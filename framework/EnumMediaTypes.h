// IEnumMediaTypes over a pin's preferred types (CBasePin::GetMediaType), as IPin::
// EnumMediaTypes hands it out. Each type returned is a copy in task memory for the caller to
// free. Holds a reference on the pin (its filter); VFW_E_ENUM_OUT_OF_SYNC once the pin's
// types have changed.
#pragma once

#include "framework/Unknown.h"

class CBasePin;

class CEnumMediaTypes : public CUnknown, public IEnumMediaTypes {
public:
    // A new enumerator at the first type, with one reference in *types.
    static HRESULT Create(CBasePin* pin, IEnumMediaTypes** types);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // E_POINTER without an array, E_INVALIDARG without a count when more than one is asked;
    // S_FALSE when fewer than asked were left.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
    // S_FALSE, without moving, when fewer than `count` types are left.
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** copy) override;

private:
    CEnumMediaTypes(CBasePin* pin, int position, LONG version);
    ~CEnumMediaTypes() override;
    bool InSync() const;

    CBasePin* const pin_;  // counted
    int position_;
    LONG version_;
};
