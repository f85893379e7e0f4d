// An automation object for engine tests (see FakeAutomation.h).
#include "tests/support/FakeAutomation.h"

#include <cstdio>

namespace {
FakeAutomation* lastMade = nullptr;
}

HRESULT FakeAutomation::Create(IEngineAutomation** out, IHqPlugInProp* owner) {
    lastMade = new FakeAutomation(owner);
    *out = lastMade;
    return S_OK;
}

FakeAutomation* FakeAutomation::Last() {
    return lastMade;
}

FakeAutomation::FakeAutomation(IHqPlugInProp* owner) : owner_(owner) {
    for (int i = 0; i < kParamCount; ++i) values_[i] = kParamRecords[i].info.mpdNeutralValue;
}

void FakeAutomation::Log(const std::string& line) {
    log_.push_back(line);
}

std::vector<std::string> FakeAutomation::TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log_);
    return taken;
}

void FakeAutomation::HostSetsValue(int index, float normalised) {
    values_[index] = normalised;
}

HRESULT FakeAutomation::QueryInterface(REFIID /*riid*/, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeAutomation::AddRef() {
    return ++references_;
}

ULONG FakeAutomation::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        if (lastMade == this) lastMade = nullptr;
        delete this;
    }
    return left;
}

HRESULT FakeAutomation::GetParam(DWORD index, MP_DATA* value) {
    if (index >= kParamCount) return E_INVALIDARG;
    *value = values_[index];
    return S_OK;
}

HRESULT FakeAutomation::SetParam(DWORD index, MP_DATA value) {
    if (index >= kParamCount) return E_INVALIDARG;
    char line[64];
    std::snprintf(line, sizeof line, "SetParam %u %.6g", static_cast<unsigned>(index), value);
    Log(line);
    values_[index] = value;
    changed_ = 1;
    return S_OK;
}

HRESULT FakeAutomation::AddEnvelope(DWORD, DWORD, MP_ENVELOPE_SEGMENT*) {
    return E_NOTIMPL;
}
HRESULT FakeAutomation::FlushEnvelope(DWORD, REFERENCE_TIME, REFERENCE_TIME) {
    return E_NOTIMPL;
}
HRESULT FakeAutomation::SetTimeFormat(GUID, DWORD) {
    return E_NOTIMPL;
}

HRESULT FakeAutomation::TestAndClearChanged() {
    if (!changed_) return S_FALSE;
    changed_ = 0;
    return S_OK;
}

HRESULT FakeAutomation::MarkChanged() {
    changed_ = 1;
    return S_OK;
}

HRESULT FakeAutomation::ParamsBeginCapture(DWORD* indexes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) Log("Begin " + std::to_string(indexes[i]));
    return S_OK;
}

HRESULT FakeAutomation::ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) {
    for (DWORD i = 0; i < count; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "Changed %u %.6g", static_cast<unsigned>(indexes[i]),
                      values[i]);
        Log(line);
    }
    return S_OK;
}

HRESULT FakeAutomation::ParamsEndCapture(DWORD* indexes, DWORD count) {
    for (DWORD i = 0; i < count; ++i) Log("End " + std::to_string(indexes[i]));
    return S_OK;
}
