// The user-interface callback interfaces of the automation object: the engine reports the
// editor's gestures through IMediaParamsUICallback, and a host installs its own callback
// through IMediaParamsSetUICallback to record them.
#pragma once

#include "engine/Identifiers.h"
#include "platform/Platform.h"

struct IMediaParamsUICallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count,
                                                    MP_DATA* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) = 0;
};

struct IMediaParamsSetUICallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetUICallback(IMediaParamsUICallback* callback) = 0;
};
