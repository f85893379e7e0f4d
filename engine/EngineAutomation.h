// What the engine needs of its automation object: parameter values through IMediaParams, the
// changed flag, and the user-interface callback side that relays the editor's gestures. The
// automation object (host/) implements it; the engine creates it through a factory it is given,
// so the engine itself depends on nothing above it.
#pragma once

#include "engine/AutomationInterfaces.h"
#include "platform/Platform.h"

struct IHqPlugInProp;

struct IEngineAutomation : public IMediaParams {
    // S_OK and clears the flag when something changed since the last call, else S_FALSE.
    virtual HRESULT STDMETHODCALLTYPE TestAndClearChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE MarkChanged() = 0;
    // The object's own IMediaParamsUICallback side; not counted.
    virtual IMediaParamsUICallback* CaptureRelay() = 0;
};

// Creates an automation object for the engine `owner` with one reference for the caller.
using AutomationFactory = HRESULT (*)(IEngineAutomation** out, IHqPlugInProp* owner);
