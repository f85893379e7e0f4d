// The automation object: publishes the eighteen parameters through IMediaParamInfo and
// IMediaParams, keeps one envelope per parameter, follows the playback position the filter
// reports (UpdateToSamplePosition) and relays the editor's gestures to the host's callback.
// The engine creates it through CMediaParams::Create (its AutomationFactory) and owns one
// reference; the filter hands its interfaces out from its own QueryInterface.
//
// Threads. Host threads call IMediaParams and IMediaParamInfo at any time; the streaming
// thread calls UpdateToSamplePosition and the engine reads values through GetParam; the editor's
// thread reaches the capture relay while it holds the engine's lock. The envelopes lock their
// own segment lists. The object's other words (changed flag, sample rate, count) are atomics;
// callbackLock_ guards only the swap of the host's callback pointer and is never held while a
// call leaves the object other than the AddRef that pins the callback for one relay.
//
// An engine made with CMediaParams::Create as its factory holds a CMediaParams behind
// CAudioTransform::Automation(); the filter and the renderer reach it with a static_cast.
#pragma once

#include <atomic>

#include "engine/EngineAutomation.h"
#include "engine/HqPlugInProp.h"
#include "engine/ParameterTable.h"
#include "host/ParamEnvelope.h"
#include "platform/CritSec.h"
#include "platform/Platform.h"

class CMediaParams : public IEngineAutomation,
                     public IMediaParamInfo,
                     public IMediaParamsSetUICallback,
                     public IMediaParamsUICallback {
public:
    // The engine's AutomationFactory: E_POINTER for a null argument, E_OUTOFMEMORY, or S_OK
    // with one reference in *out. `owner` is not counted; QueryInterface defers to it.
    static HRESULT Create(IEngineAutomation** out, IHqPlugInProp* owner);

    // IUnknown, shared by the four interfaces: the object's own interlocked count; every
    // identifier but IID_IUnknown is answered by the owner.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IMediaParams. Values are in the parameters' published range (0.0 to 1.0); times are
    // REFERENCE_TIME; index DWORD_ALL addresses every parameter.
    HRESULT STDMETHODCALLTYPE GetParam(DWORD index, MP_DATA* value) override;
    HRESULT STDMETHODCALLTYPE SetParam(DWORD index, MP_DATA value) override;
    HRESULT STDMETHODCALLTYPE AddEnvelope(DWORD index, DWORD count,
                                          MP_ENVELOPE_SEGMENT* segments) override;
    HRESULT STDMETHODCALLTYPE FlushEnvelope(DWORD index, REFERENCE_TIME start,
                                            REFERENCE_TIME end) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(GUID format, DWORD timeData) override;

    // The engine's side.
    HRESULT STDMETHODCALLTYPE TestAndClearChanged() override;
    HRESULT STDMETHODCALLTYPE MarkChanged() override;
    IMediaParamsUICallback* CaptureRelay() override { return this; }

    // IMediaParamInfo.
    HRESULT STDMETHODCALLTYPE GetParamCount(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetParamInfo(DWORD index, MP_PARAMINFO* info) override;
    HRESULT STDMETHODCALLTYPE GetParamText(DWORD index, WCHAR** text) override;
    HRESULT STDMETHODCALLTYPE GetNumTimeFormats(DWORD* count) override;
    HRESULT STDMETHODCALLTYPE GetSupportedTimeFormat(DWORD index, GUID* format) override;
    HRESULT STDMETHODCALLTYPE GetCurrentTimeFormat(GUID* format, DWORD* timeData) override;

    // IMediaParamsSetUICallback: the host's callback (counted), or null to stop relaying.
    HRESULT STDMETHODCALLTYPE SetUICallback(IMediaParamsUICallback* callback) override;

    // IMediaParamsUICallback: the engine reports the editor's gestures here and the object
    // passes them on to the host's callback, if one is set.
    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) override;
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) override;
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) override;

    // The automation clock, on the streaming thread once per input media sample: evaluates
    // every envelope at the time of frame `position`. S_OK when any envelope holds segments,
    // S_FALSE when none does.
    HRESULT UpdateToSamplePosition(REFERENCE_TIME position);
    // Frames per second for converting between REFERENCE_TIME and frames; 44100 until the
    // filter's input type is set. A rate of 0 or less is ignored.
    void SetSampleRate(int rate);
    int SampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }

    // Envelope of a parameter (index below kParamCount), for diagnostics and tests.
    CParamEnvelope& Envelope(DWORD index) { return envelopes_[index]; }

protected:
    // Objects are made by Create (or a derived class's creation) and deleted by Release.
    explicit CMediaParams(IHqPlugInProp* owner);
    virtual ~CMediaParams();
    CMediaParams(const CMediaParams&) = delete;
    CMediaParams& operator=(const CMediaParams&) = delete;

private:
    double FramesPer100ns() const;
    // The host's callback with a reference for the caller, or null.
    IMediaParamsUICallback* PinCallback();
    HRESULT MarkCaptured(DWORD* indexes, DWORD count, bool captured);

    IHqPlugInProp* owner_;  // not owned: the engine that owns this object
    volatile LONG references_ = 0;
    CCritSec callbackLock_;
    IMediaParamsUICallback* callback_ = nullptr;  // one reference; under callbackLock_
    std::atomic<int> sampleRate_{44100};
    std::atomic<int> changed_{0};
    CParamEnvelope envelopes_[kParamCount];
};
