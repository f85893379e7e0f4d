// An automation object for engine tests: keeps one value per parameter, records every call the
// engine makes (values, captures) in order, and lets a test play the host's part.
#pragma once

#include <string>
#include <vector>

#include "engine/EngineAutomation.h"
#include "engine/ParameterTable.h"

class FakeAutomation final : public IEngineAutomation, public IMediaParamsUICallback {
public:
    // The factory the engine is given; the last object made is kept in Last().
    static HRESULT Create(IEngineAutomation** out, IHqPlugInProp* owner);
    static FakeAutomation* Last();

    // What the host does: set a value as an envelope would, without a SetParam call logged.
    void HostSetsValue(int index, float normalised);
    std::vector<std::string> TakeLog();
    float Value(int index) const { return values_[index]; }
    IHqPlugInProp* Owner() const { return owner_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetParam(DWORD index, MP_DATA* value) override;
    HRESULT STDMETHODCALLTYPE SetParam(DWORD index, MP_DATA value) override;
    HRESULT STDMETHODCALLTYPE AddEnvelope(DWORD, DWORD, MP_ENVELOPE_SEGMENT*) override;
    HRESULT STDMETHODCALLTYPE FlushEnvelope(DWORD, REFERENCE_TIME, REFERENCE_TIME) override;
    HRESULT STDMETHODCALLTYPE SetTimeFormat(GUID, DWORD) override;

    HRESULT STDMETHODCALLTYPE TestAndClearChanged() override;
    HRESULT STDMETHODCALLTYPE MarkChanged() override;
    IMediaParamsUICallback* CaptureRelay() override { return this; }

    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) override;
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) override;
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) override;

private:
    explicit FakeAutomation(IHqPlugInProp* owner);
    virtual ~FakeAutomation() = default;
    void Log(const std::string& line);

    IHqPlugInProp* owner_;  // not owned
    ULONG references_ = 1;
    float values_[kParamCount];
    int changed_ = 0;
    std::vector<std::string> log_;
};
