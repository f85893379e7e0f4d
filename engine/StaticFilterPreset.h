// The interface through which a host lists the built-in presets in its own menus and applies
// one. The filter hands it out; the engine implements its operations (PersistentState.cpp).
#pragma once

#include "platform/Platform.h"

inline constexpr IID IID_IStaticFilterPreset = {
    0x8E41B6A3, 0x27D5, 0x4C9F, {0xB0, 0xE8, 0x63, 0xF1, 0xA9, 0x2D, 0x4C, 0x07}};

struct IStaticFilterPreset : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPresetCount(DWORD* count) = 0;
    // Writes the name, NUL included, into `name` of `nameLength` wide characters.
    virtual HRESULT STDMETHODCALLTYPE GetPresetName(DWORD index, LPWSTR name, int nameLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplyPreset(DWORD index) = 0;
};
