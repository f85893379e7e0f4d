// The plug-in library's entry points: the module entry, the class objects of its COM classes,
// and self-registration, which adds to the framework's keys the older per-filter keys that
// some hosts still read (CLSID\{...}\Pins and Filter\{...}).
#include <cwchar>
#include <iterator>

#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "framework/Registration.h"
#include "host/HqPlugIn.h"
#include "host/HqPlugInNames.h"
#include "host/HqPlugInSetup.h"
#include "ui/page/HqPlugInPropPage.h"

namespace {

// The classes the module serves: the filter and its editor page.
const CFactoryTemplate kTemplates[] = {
    {kFilterName, &CLSID_HqPlugIn, &CHqPlugIn::CreateInstance, nullptr, &kHqPlugInSetup},
    {kPageName, &CLSID_HqPlugInPropPage, &CHqPlugInPropPage::CreateInstance, nullptr, nullptr},
};

// A registry key opened or created under HKEY_CLASSES_ROOT or another key, closed on scope exit.
class RegistryKey {
public:
    RegistryKey(HKEY parent, const WCHAR* path) {
        if (parent == nullptr || RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_WRITE, nullptr,
                                                 &key_, nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY Get() const { return key_; }
    void SetDword(const WCHAR* name, DWORD value) const {
        if (key_ != nullptr) {
            RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
        }
    }
    void SetDefault(const WCHAR* text) const {
        if (key_ != nullptr) {
            RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(WCHAR)));
        }
    }

private:
    HKEY key_ = nullptr;  // owned
};

// The pin keys of the older registration, beneath CLSID\{filter}: Pins\In and Pins\Out with
// their flags and the one media type (audio, any subtype). Best effort: failures are not
// checked, as the filter mapper's registration has already succeeded.
void WriteOlderFilterKeys() {
    WCHAR clsid[40], audio[40], null[40];
    StringFromGUID2(CLSID_HqPlugIn, clsid, 40);
    StringFromGUID2(MEDIATYPE_Audio, audio, 40);
    StringFromGUID2(GUID_NULL, null, 40);

    WCHAR path[128];
    std::swprintf(path, 128, L"CLSID\\%ls", clsid);
    RegistryKey filterKey(HKEY_CLASSES_ROOT, path);
    RegistryKey pins(filterKey.Get(), L"Pins");
    const struct {
        const WCHAR* name;
        DWORD direction;
    } kPinKeys[] = {{L"In", 0}, {L"Out", 1}};
    for (const auto& pin : kPinKeys) {
        RegistryKey key(pins.Get(), pin.name);
        key.SetDword(L"AllowedMany", 0);
        key.SetDword(L"AllowedZero", 0);
        key.SetDword(L"Direction", pin.direction);
        key.SetDword(L"IsRendered", 0);
        RegistryKey types(key.Get(), L"Types");
        RegistryKey major(types.Get(), audio);
        RegistryKey minor(major.Get(), null);
    }

    std::swprintf(path, 128, L"Filter\\%ls", clsid);
    RegistryKey named(HKEY_CLASSES_ROOT, path);
    named.SetDefault(kFilterName);
}

void DeleteOlderFilterKey(const CLSID& clsid) {
    WCHAR text[40], path[128];
    StringFromGUID2(clsid, text, 40);
    std::swprintf(path, 128, L"Filter\\%ls", text);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, path);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) AttachFrameworkModule(instance, kTemplates);
    if (reason == DLL_PROCESS_DETACH) DetachFrameworkModule(kTemplates);
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return GetClassObjectFromTemplates(kTemplates, clsid, iid, out);
}

STDAPI DllCanUnloadNow() {
    return ModuleCanUnloadNow();
}

STDAPI DllRegisterServer() {
    const HRESULT hr = RegisterFactoryTemplates(kTemplates, ModuleInstance(), true);
    if (SUCCEEDED(hr)) WriteOlderFilterKeys();
    return hr;
}

STDAPI DllUnregisterServer() {
    const HRESULT hr = RegisterFactoryTemplates(kTemplates, ModuleInstance(), false);
    if (hr == S_OK) {
        // Best effort, as writing them: the key exists only for the filter, and a key that
        // is not there is what unregistering wants.
        for (const CFactoryTemplate& entry : kTemplates) DeleteOlderFilterKey(*entry.clsid);
    }
    return hr;
}
