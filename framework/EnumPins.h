// IEnumPins over a filter's pins, as IBaseFilter::EnumPins hands it out. Holds a reference
// on the filter; reports VFW_E_ENUM_OUT_OF_SYNC once the filter's pins have changed.
#pragma once

#include "framework/Unknown.h"

class CBaseFilter;

class CEnumPins : public CUnknown, public IEnumPins {
public:
    // A new enumerator at the first pin, with one reference in *pins: E_POINTER,
    // E_OUTOFMEMORY or S_OK.
    static HRESULT Create(CBaseFilter* filter, IEnumPins** pins);

    DECLARE_IUNKNOWN
    HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // E_POINTER without an array, E_INVALIDARG without a count when more than one is asked;
    // S_FALSE when fewer than asked were left.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override;
    // S_FALSE, without moving, when fewer than `count` pins are left.
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** copy) override;

private:
    CEnumPins(CBaseFilter* filter, int position, LONG version);
    ~CEnumPins() override;
    bool InSync() const;

    CBaseFilter* const filter_;  // counted
    int position_;
    LONG version_;
};
