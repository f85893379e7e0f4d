// The interface through which a host lists the built-in presets in its own menus and applies
// one. The filter hands it out; the engine implements its operations (PersistentState.cpp).
#pragma once

#include "engine/Identifiers.h"
#include "platform/Platform.h"

struct IStaticFilterPreset : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPresetCount(DWORD* count) = 0;
    // Writes the name, NUL included, into `name` of `nameLength` wide characters.
    virtual HRESULT STDMETHODCALLTYPE GetPresetName(DWORD index, LPWSTR name, int nameLength) = 0;
    virtual HRESULT STDMETHODCALLTYPE ApplyPreset(DWORD index) = 0;
};
