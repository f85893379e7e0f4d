// The user-interface callback interfaces of the automation object: the engine reports the
// editor's gestures through IMediaParamsUICallback, and a host installs its own callback
// through IMediaParamsSetUICallback to record them.
#pragma once

#include "platform/Platform.h"

inline constexpr IID IID_IMediaParamsSetUICallback = {
    0x2C6F0A57, 0x91B4, 0x4D3E, {0xA8, 0x5C, 0x7E, 0x09, 0xD1, 0xF3, 0xB6, 0x24}};
inline constexpr IID IID_IMediaParamsUICallback = {
    0xD13B7E48, 0x6A05, 0x4F92, {0x8C, 0x71, 0x05, 0xE2, 0xB9, 0xA4, 0xF8, 0xD3}};

struct IMediaParamsUICallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count,
                                                    MP_DATA* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) = 0;
};

struct IMediaParamsSetUICallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetUICallback(IMediaParamsUICallback* callback) = 0;
};
