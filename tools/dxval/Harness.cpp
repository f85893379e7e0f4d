// The validator's harness: module loading, failure records and the step under way.
#include "tools/dxval/Harness.h"

#include <cctype>
#include <cstdio>
#include <mutex>

namespace {

std::mutex stepLock;
std::string currentStep;  // stepLock

template <class F>
bool FindExport(HMODULE module, const char* name, F* function) {
    *function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return *function != nullptr;
}

}  // namespace

PlugInModule::~PlugInModule() {
    if (module_ != nullptr) FreeLibrary(module_);
}

bool PlugInModule::Load(const std::string& path, std::string* error) {
    module_ = LoadLibraryA(path.c_str());
    if (module_ == nullptr) {
        *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    if (!FindExport(module_, "DllGetClassObject", &getClassObject) ||
        !FindExport(module_, "DllCanUnloadNow", &canUnloadNow) ||
        !FindExport(module_, "DllRegisterServer", &registerServer) ||
        !FindExport(module_, "DllUnregisterServer", &unregisterServer)) {
        *error = path + " lacks one of the four exports of a COM server";
        return false;
    }
    return true;
}

HRESULT PlugInModule::Create(REFCLSID clsid, REFIID iid, void** out) const {
    *out = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    if (factory == nullptr) return E_POINTER;
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
    return hr;
}

CheckContext::CheckContext(const ValidatorOptions& options, const PlugInModule& module,
                           const char* name)
    : options(options), module(module), name(name), rng(options.seed) {}

int CheckContext::Pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(rng);
}

void CheckContext::Fail(const std::string& message) {
    std::lock_guard<std::mutex> guard(stepLock);
    // Many faults repeat in a loop: the first few say all.
    if (failures_.size() < 20) {
        std::printf("  %s: FAIL: %s\n", name, message.c_str());
        std::fflush(stdout);
    }
    failures_.push_back(message);
}

void CheckContext::ExpectHr(HRESULT hr, HRESULT expected, const std::string& call) {
    if (hr != expected) Fail(call + " returned " + HrText(hr) + ", expected " + HrText(expected));
}

void CheckContext::ExpectFailure(HRESULT hr, const std::string& call) {
    if (SUCCEEDED(hr)) Fail(call + " returned " + HrText(hr) + ", expected an error");
}

void CheckContext::Step(const std::string& step) {
    std::lock_guard<std::mutex> guard(stepLock);
    currentStep = std::string(name) + ": " + step;
}

bool IsRegistered(REFCLSID clsid) {
    const std::string key = "CLSID\\" + GuidText(clsid) + "\\InprocServer32";
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

RegisteredForCheck::RegisteredForCheck(CheckContext& context)
    : context_(context), wasRegistered_(IsRegistered(context.options.clsid)) {
    context.ExpectHr(context.module.registerServer(), S_OK, "DllRegisterServer");
}

RegisteredForCheck::~RegisteredForCheck() {
    if (!wasRegistered_) {
        context_.ExpectHr(context_.module.unregisterServer(), S_OK, "DllUnregisterServer");
    }
}

std::string CurrentStep() {
    std::lock_guard<std::mutex> guard(stepLock);
    return currentStep;
}

std::string HrText(HRESULT hr) {
    static const struct {
        HRESULT hr;
        const char* name;
    } kNames[] = {
        {S_OK, "S_OK"},
        {S_FALSE, "S_FALSE"},
        {E_POINTER, "E_POINTER"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {E_FAIL, "E_FAIL"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_NOINTERFACE, "E_NOINTERFACE"},
        {E_UNEXPECTED, "E_UNEXPECTED"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
        {VFW_E_NOT_CONNECTED, "VFW_E_NOT_CONNECTED"},
        {VFW_E_TYPE_NOT_ACCEPTED, "VFW_E_TYPE_NOT_ACCEPTED"},
        {VFW_E_NO_ACCEPTABLE_TYPES, "VFW_E_NO_ACCEPTABLE_TYPES"},
        {VFW_E_WRONG_STATE, "VFW_E_WRONG_STATE"},
        {VFW_S_NO_MORE_ITEMS, "VFW_S_NO_MORE_ITEMS"},
        {STG_E_READFAULT, "STG_E_READFAULT"},
    };
    char number[16];
    std::snprintf(number, sizeof number, "0x%08lX", static_cast<unsigned long>(hr));
    for (const auto& known : kNames) {
        if (known.hr == hr) return std::string(number) + " (" + known.name + ")";
    }
    return number;
}

std::string GuidText(REFGUID guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

bool ParseGuid(const std::string& text, GUID* guid) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    static const int kDashes[] = {9, 14, 19, 24};
    std::string digits;
    for (std::size_t i = 1; i + 1 < text.size(); ++i) {
        bool dash = false;
        for (int at : kDashes) dash = dash || static_cast<int>(i) == at;
        if (dash != (text[i] == '-')) return false;
        if (!dash) {
            if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
            digits += text[i];
        }
    }
    auto hex = [&digits](int first, int count) {
        return std::stoul(digits.substr(first, count), nullptr, 16);
    };
    guid->Data1 = static_cast<decltype(guid->Data1)>(hex(0, 8));
    guid->Data2 = static_cast<WORD>(hex(8, 4));
    guid->Data3 = static_cast<WORD>(hex(12, 4));
    for (int i = 0; i < 8; ++i) guid->Data4[i] = static_cast<BYTE>(hex(16 + 2 * i, 2));
    return true;
}
