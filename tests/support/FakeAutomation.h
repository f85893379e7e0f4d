// An automation object for engine tests, and a host's user-interface callback for host tests:
// keeps one value per parameter and logs every call it receives, in order, as "SetParam 8 0.5",
// "Begin 8", "Changed 8 0.5" or "End 8".
#pragma once

#include <atomic>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/EngineAutomation.h"
#include "engine/ParameterTable.h"

class FakeAutomation final : public IEngineAutomation, public IMediaParamsUICallback {
public:
    using Segment = MP_ENVELOPE_SEGMENT;
    using Time = REFERENCE_TIME;
    // The factory the engine is given; Last() is the object it made last. One reference, the
    // caller's.
    static HRESULT Create(IEngineAutomation** out, IHqPlugInProp* /*owner*/) {
        *out = last_ = new FakeAutomation();
        return S_OK;
    }
    static FakeAutomation* Last() { return last_; }

    // The host sets a value as an envelope would: no call logged.
    void HostSetsValue(int index, float normalised) { values_[index] = normalised; }
    std::vector<std::string> TakeLog() { return std::exchange(log_, {}); }
    ULONG References() const { return references_; }
    HRESULT answer = S_OK;  // what the capture calls return

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0 && last_ == this) last_ = nullptr;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetParam(DWORD index, MP_DATA* value) override {
        *value = values_[index];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetParam(DWORD index, MP_DATA value) override {
        Log("SetParam", 1, &index, &value);
        values_[index] = value;
        changed_ = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddEnvelope(DWORD, DWORD, Segment*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FlushEnvelope(DWORD, Time, Time) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTimeFormat(GUID, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TestAndClearChanged() override {
        return changed_.exchange(0) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE MarkChanged() override {
        changed_ = 1;
        return S_OK;
    }
    IMediaParamsUICallback* CaptureRelay() override { return this; }

    HRESULT STDMETHODCALLTYPE ParamsBeginCapture(DWORD* indexes, DWORD count) override {
        return Log("Begin", count, indexes, nullptr);
    }
    HRESULT STDMETHODCALLTYPE ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) override {
        return Log("Changed", count, indexes, values);
    }
    HRESULT STDMETHODCALLTYPE ParamsEndCapture(DWORD* indexes, DWORD count) override {
        return Log("End", count, indexes, nullptr);
    }

private:
    FakeAutomation() {
        for (int i = 0; i < kParamCount; ++i) values_[i] = kParamRecords[i].info.mpdNeutralValue;
    }
    HRESULT Log(const char* what, DWORD count, const DWORD* indexes, const MP_DATA* values) {
        for (DWORD i = 0; i < count; ++i) {
            char line[64];
            const int n =
                std::snprintf(line, sizeof line, "%s %u", what, static_cast<unsigned>(indexes[i]));
            if (values != nullptr) std::snprintf(line + n, sizeof line - n, " %.6g", values[i]);
            log_.emplace_back(line);
        }
        return answer;
    }

    inline static FakeAutomation* last_ = nullptr;
    std::atomic<ULONG> references_{1};  // a host may count it on any thread
    float values_[kParamCount];
    std::atomic<int> changed_{0};
    std::vector<std::string> log_;
};
