// Server keys and filter mapper registration.
#include "framework/Registration.h"

#include <cwchar>

#include "framework/ComPtr.h"

namespace {

constexpr int kGuidTextLength = 39;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" and the NUL

// Owns an open registry key.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Creates or opens `path` under `parent` for writing.
    LSTATUS Create(HKEY parent, const WCHAR* path) {
        return RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &key_, nullptr);
    }
    LSTATUS SetString(const WCHAR* valueName, const WCHAR* text) {
        const auto bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(WCHAR));
        return RegSetValueExW(key_, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                              bytes);
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// COM for the time of one registration call, when the thread does not have it yet.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (initialised_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

void ClassKeyPath(REFCLSID clsid, WCHAR (&path)[8 + kGuidTextLength]) {
    WCHAR text[kGuidTextLength];
    StringFromGUID2(clsid, text, kGuidTextLength);
    std::swprintf(path, 8 + kGuidTextLength, L"CLSID\\%ls", text);
}

HRESULT FromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

bool IsNotRegistered(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

HRESULT RegisterWithMapper2(IFilterMapper2* mapper, const AMOVIESETUP_FILTER& setup) {
    REGFILTER2 record = {};
    record.dwVersion = 1;
    record.dwMerit = setup.dwMerit;
    record.cPins = setup.nPins;
    // Same layout, with the name pointers the mapper only reads.
    record.rgPins = reinterpret_cast<const REGFILTERPINS*>(setup.lpPin);
    return mapper->RegisterFilter(*setup.clsID, setup.strName, nullptr,
                                  &CLSID_LegacyAmFilterCategory, nullptr, &record);
}

HRESULT RegisterWithMapper(IFilterMapper* mapper, const AMOVIESETUP_FILTER& setup) {
    HRESULT hr = mapper->RegisterFilter(*setup.clsID, setup.strName, setup.dwMerit);
    for (UINT p = 0; SUCCEEDED(hr) && p < setup.nPins; ++p) {
        const AMOVIESETUP_PIN& pin = setup.lpPin[p];
        hr = mapper->RegisterPin(
            *setup.clsID, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
            pin.clsConnectsToFilter ? *pin.clsConnectsToFilter : CLSID_NULL, pin.strConnectsToPin);
        for (UINT t = 0; SUCCEEDED(hr) && t < pin.nMediaTypes; ++t) {
            const AMOVIESETUP_MEDIATYPE& type = pin.lpMediaType[t];
            hr = mapper->RegisterPinType(*setup.clsID, pin.strName,
                                         type.clsMajorType ? *type.clsMajorType : GUID_NULL,
                                         type.clsMinorType ? *type.clsMinorType : GUID_NULL);
        }
    }
    if (FAILED(hr)) mapper->UnregisterFilter(*setup.clsID);
    return hr;
}

}  // namespace

HRESULT RegisterServerKeys(REFCLSID clsid, const WCHAR* name, HMODULE module) {
    WCHAR modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return E_FAIL;

    WCHAR path[8 + kGuidTextLength];
    ClassKeyPath(clsid, path);
    RegistryKey classKey;
    LSTATUS status = classKey.Create(HKEY_CLASSES_ROOT, path);
    if (status == ERROR_SUCCESS) status = classKey.SetString(nullptr, name);
    RegistryKey serverKey;
    if (status == ERROR_SUCCESS) status = serverKey.Create(classKey.Get(), L"InprocServer32");
    if (status == ERROR_SUCCESS) status = serverKey.SetString(nullptr, modulePath);
    if (status == ERROR_SUCCESS) status = serverKey.SetString(L"ThreadingModel", L"Both");
    return FromStatus(status);
}

HRESULT UnregisterServerKeys(REFCLSID clsid) {
    WCHAR path[8 + kGuidTextLength];
    ClassKeyPath(clsid, path);
    const HRESULT hr = FromStatus(RegDeleteTreeW(HKEY_CLASSES_ROOT, path));
    return IsNotRegistered(hr) ? S_OK : hr;
}

HRESULT RegisterFilterSetup(const AMOVIESETUP_FILTER& setup, bool doRegister) {
    if (setup.clsID == nullptr || setup.strName == nullptr) return E_INVALIDARG;
    if (setup.nPins != 0 && setup.lpPin == nullptr) return E_INVALIDARG;

    ComPtr<IFilterMapper2> mapper2;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, mapper2.PutVoid()))) {
        ComPtr<IFilterMapper> mapper;
        const HRESULT hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IFilterMapper, mapper.PutVoid());
        if (FAILED(hr)) return hr;
        return RegisterFilterSetupWithMapper(mapper.Get(), setup, doRegister);
    }
    if (doRegister) return RegisterWithMapper2(mapper2.Get(), setup);
    const HRESULT hr =
        mapper2->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, *setup.clsID);
    return IsNotRegistered(hr) ? S_OK : hr;
}

HRESULT RegisterFilterSetupWithMapper(IFilterMapper* mapper, const AMOVIESETUP_FILTER& setup,
                                      bool doRegister) {
    if (mapper == nullptr) return E_POINTER;
    if (setup.clsID == nullptr || setup.strName == nullptr) return E_INVALIDARG;
    if (setup.nPins != 0 && setup.lpPin == nullptr) return E_INVALIDARG;
    if (doRegister) return RegisterWithMapper(mapper, setup);
    const HRESULT hr = mapper->UnregisterFilter(*setup.clsID);
    return IsNotRegistered(hr) ? S_OK : hr;
}

HRESULT RegisterFactoryTemplates(std::span<const CFactoryTemplate> templates, HMODULE module,
                                 bool doRegister) {
    ComScope com;
    if (doRegister) {
        for (const CFactoryTemplate& entry : templates) {
            const HRESULT hr = RegisterServerKeys(*entry.clsid, entry.name, module);
            if (FAILED(hr)) return hr;
        }
        for (const CFactoryTemplate& entry : templates) {
            if (entry.setup == nullptr) continue;
            const HRESULT hr = RegisterFilterSetup(*entry.setup, true);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }
    HRESULT result = S_OK;
    for (const CFactoryTemplate& entry : templates) {
        if (entry.setup == nullptr) continue;
        const HRESULT hr = RegisterFilterSetup(*entry.setup, false);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    for (const CFactoryTemplate& entry : templates) {
        const HRESULT hr = UnregisterServerKeys(*entry.clsid);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}
