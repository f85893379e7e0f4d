// An automation object for engine tests, and a host's user-interface callback for host tests:
// keeps one value per parameter, records every call it receives (values, captures) in order as
// "SetParam 8 0.5", "Begin 8", "Changed 8 0.5", "End 8", and lets a test play the host's part.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "engine/EngineAutomation.h"
#include "engine/ParameterTable.h"

class FakeAutomation final : public IEngineAutomation, public IMediaParamsUICallback {
public:
    // The factory the engine is given (owner may be null, and is not kept); the last object
    // made is kept in Last(). The object starts with one reference, the caller's.
    static HRESULT Create(IEngineAutomation** out, IHqPlugInProp* owner);
    static FakeAutomation* Last();

    // What the host does: set a value as an envelope would, without a SetParam call logged.
    void HostSetsValue(int index, float normalised) { values_[index] = normalised; }
    std::vector<std::string> TakeLog();
    ULONG References() const { return references_; }
    HRESULT answer = S_OK;  // what the capture calls return

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetParam(DWORD index, MP_DATA* value) override;
    HRESULT STDMETHODCALLTYPE SetParam(DWORD index, MP_DATA value) override;
    HRESULT STDMETHODCALLTYPE AddEnvelope(DWORD, DWORD, MP_ENVELOPE_SEGMENT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FlushEnvelope(DWORD, REFERENCE_TIME, REFERENCE_TIME) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetTimeFormat(GUID, DWORD) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE TestAndClearChanged() override {
        return changed_.exchange(0) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE MarkChanged() override {
        changed_ = 1;
        return S_OK;
    }
    IMediaParamsUICallback* CaptureRelay() override { return this; }

    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) override;
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) override;
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) override;

private:
    FakeAutomation();
    virtual ~FakeAutomation() = default;
    HRESULT Log(const char* what, DWORD count, const DWORD* indexes, const MP_DATA* values);

    std::atomic<ULONG> references_{1};  // a host may count it on any thread
    float values_[kParamCount];
    std::atomic<int> changed_{0};
    std::vector<std::string> log_;
};
