// An automation object for engine tests (see FakeAutomation.h).
#include "tests/support/FakeAutomation.h"

#include <cstdio>

namespace {
FakeAutomation* lastMade = nullptr;
}

HRESULT FakeAutomation::Create(IEngineAutomation** out, IHqPlugInProp* /*owner*/) {
    *out = lastMade = new FakeAutomation();
    return S_OK;
}

FakeAutomation* FakeAutomation::Last() {
    return lastMade;
}

FakeAutomation::FakeAutomation() {
    for (int i = 0; i < kParamCount; ++i) values_[i] = kParamRecords[i].info.mpdNeutralValue;
}

HRESULT FakeAutomation::Log(const char* what, DWORD count, const DWORD* indexes,
                            const MP_DATA* values) {
    for (DWORD i = 0; i < count; ++i) {
        char line[64];
        const int n =
            std::snprintf(line, sizeof line, "%s %u", what, static_cast<unsigned>(indexes[i]));
        if (values != nullptr) std::snprintf(line + n, sizeof line - n, " %.6g", values[i]);
        log_.emplace_back(line);
    }
    return answer;
}

std::vector<std::string> FakeAutomation::TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log_);
    return taken;
}

HRESULT FakeAutomation::QueryInterface(REFIID /*riid*/, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    return E_NOINTERFACE;
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
    Log("SetParam", 1, &index, &value);
    values_[index] = value;
    changed_ = 1;
    return S_OK;
}

HRESULT FakeAutomation::ParamsBeginCapture(DWORD* indexes, DWORD count) {
    return Log("Begin", count, indexes, nullptr);
}

HRESULT FakeAutomation::ParamsChanged(DWORD* indexes, DWORD count, MP_DATA* values) {
    return Log("Changed", count, indexes, values);
}

HRESULT FakeAutomation::ParamsEndCapture(DWORD* indexes, DWORD count) {
    return Log("End", count, indexes, nullptr);
}
