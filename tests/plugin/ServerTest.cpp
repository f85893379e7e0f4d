// HalvernqvReverb.dll as a COM server: every key its exports write and remove, its class objects,
// and DllCanUnloadNow following what it served.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <tuple>
#include <vector>

#include "host/HqPlugInNames.h"
#include "tests/support/ComTestHarness.h"

namespace {

const std::wstring kClassKey = L"CLSID\\" + GuidText(CLSID_HqPlugIn);
const std::wstring kPageKey = L"CLSID\\" + GuidText(CLSID_HqPlugInPropPage);
const std::wstring kInstances =
    L"CLSID\\" + GuidText(CLSID_LegacyAmFilterCategory) + L"\\Instance\\";
const std::wstring kMapperKey = kInstances + GuidText(CLSID_HqPlugIn);
const std::wstring kOlderKey = L"Filter\\" + GuidText(CLSID_HqPlugIn);

// Whether the filter mapper offers the filter for an audio input and an audio output.
bool MapperFinds() {
    ComPtr<IFilterMapper2> mapper;
    ComPtr<IEnumMoniker> found;
    const GUID audio[2] = {MEDIATYPE_Audio, GUID_NULL};
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, mapper.PutVoid())) ||
        FAILED(mapper->EnumMatchingFilters(found.Put(), 0, FALSE, 0, TRUE, 1, audio, nullptr,
                                           nullptr, FALSE, TRUE, 1, audio, nullptr, nullptr))) {
        return false;
    }
    bool ours = false;
    for (ComPtr<IMoniker> moniker; !ours && found->Next(1, moniker.Put(), nullptr) == S_OK;) {
        LPOLESTR name = nullptr;  // "@device:sw:{category}\\{class}"
        ours = SUCCEEDED(moniker->GetDisplayName(nullptr, nullptr, &name)) &&
               std::wcsstr(name, GuidText(CLSID_HqPlugIn).c_str()) != nullptr;
        CoTaskMemFree(name);
    }
    return ours;
}

void ExpectRegistered(int line, bool registered) {
    SCOPED_TRACE(testing::Message() << "registration checked at line " << line);
    EXPECT_EQ(registered, MapperFinds()) << "audio in and out";
    for (const std::wstring& key : {kClassKey, kPageKey, kMapperKey, kOlderKey}) {
        EXPECT_EQ(registered, KeyExists(key));
    }
    EXPECT_FALSE(KeyExists(kInstances + GuidText(CLSID_HqPlugInPropPage))) << "not a filter";
    if (!registered) return;
    const std::wstring server = L"\\InprocServer32";
    const std::tuple<std::wstring, const WCHAR*, std::wstring> kStrings[] = {
        {kClassKey, nullptr, kFilterName},
        {kPageKey, nullptr, kPageName},
        {kClassKey + server, nullptr, PluginDllPath()},
        {kPageKey + server, nullptr, PluginDllPath()},
        {kClassKey + server, L"ThreadingModel", L"Both"},
        {kPageKey + server, L"ThreadingModel", L"Both"},
        {kMapperKey, L"FriendlyName", kFilterName},
        {kMapperKey, L"CLSID", GuidText(CLSID_HqPlugIn)},
        {kOlderKey, nullptr, kFilterName},
    };
    for (const auto& [key, name, expected] : kStrings) {
        EXPECT_EQ(expected, RegistryValue(key, name)) << key;
    }
    // The mapper's record opens with its version, the merit and the pin count.
    DWORD record[256] = {}, bytes = sizeof record;
    RegGetValueW(HKEY_CLASSES_ROOT, kMapperKey.c_str(), L"FilterData", RRF_RT_REG_BINARY, nullptr,
                 record, &bytes);
    EXPECT_EQ((std::vector<DWORD>{2, 0x200000, 2}), std::vector<DWORD>(record, record + 3));
    for (const auto& [pin, direction] : {std::pair{L"In", L"0"}, std::pair{L"Out", L"1"}}) {
        const std::wstring key = kClassKey + L"\\Pins\\" + pin;
        for (const WCHAR* flag : {L"AllowedMany", L"AllowedZero", L"IsRendered"}) {
            EXPECT_EQ(L"0", RegistryValue(key, flag)) << flag;
        }
        EXPECT_EQ(direction, RegistryValue(key, L"Direction"));
        EXPECT_TRUE(KeyExists(key + L"\\Types\\{73647561-0000-0010-8000-00AA00389B71}\\"
                                    L"{00000000-0000-0000-0000-000000000000}"));
    }
}

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(module.IsLoaded()) << "cannot load the DLL or find its exports";
        ASSERT_EQ(S_OK, module.UnregisterServer());
    }
    void TearDown() override {
        EXPECT_EQ(S_OK, module.UnregisterServer());
        EXPECT_EQ(S_OK, module.CanUnloadNow()) << "an object of the DLL is still alive";
    }
    PluginModule module;
};

TEST_F(Server, RegistersEveryKeyAndRemovesThemAll) {
    ExpectRegistered(__LINE__, false);
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateRegisteredFilter(filter.Put()));
    for (int round = 0; round < 2; ++round) {  // again over the keys it wrote
        ASSERT_EQ(S_OK, module.RegisterServer());
        ExpectRegistered(__LINE__, true);
    }
    ASSERT_EQ(S_OK, CreateRegisteredFilter(filter.Put()));
    EXPECT_EQ(1u, RefCount(filter.Get()));
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "COM loaded the very DLL the test holds";
    filter.Reset();
    for (int round = 0; round < 2; ++round) {  // unregistering twice is no failure
        ASSERT_EQ(S_OK, module.UnregisterServer());
        ExpectRegistered(__LINE__, false);
    }
}

TEST_F(Server, ClassObjectsAnswerForTheFilterAndPageClassesOnly) {
    const CLSID unknown = {0x3d7e9a40, 0x1b2c, 0x4e5f, {0x86, 0x97, 0xa8, 0xb9, 0xca, 0xdb}};
    const std::tuple<const CLSID*, const IID*, HRESULT> kCases[] = {
        {&CLSID_HqPlugIn, &IID_IClassFactory, S_OK},
        {&CLSID_HqPlugIn, &IID_IUnknown, S_OK},
        {&CLSID_HqPlugInPropPage, &IID_IClassFactory, S_OK},
        {&unknown, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {&CLSID_HqPlugIn, &IID_IBaseFilter, E_NOINTERFACE},
        {&unknown, &IID_IBaseFilter, E_NOINTERFACE},  // the interface is checked first
    };
    for (const auto& [clsid, iid, expected] : kCases) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(expected, module.GetClassObject(*clsid, *iid, factory.PutVoid()));
        EXPECT_EQ(expected == S_OK ? 1u : 0u, factory ? RefCount(factory.Get()) : 0u);
        EXPECT_EQ(factory ? S_FALSE : S_OK, module.CanUnloadNow()) << "while a class object lives";
    }
    EXPECT_EQ(E_POINTER, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, nullptr));

    // A filter, its pins and the server's locks keep the DLL loaded.
    ComPtr<IClassFactory> factory;
    ComPtr<IBaseFilter> filter;
    ComPtr<IPin> pin;
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(1u, RefCount(filter.Get()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    ASSERT_EQ(S_OK, filter->FindPin(L"Output", pin.Put()));
    filter.Reset();
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "a pin holds the filter";
    pin.Reset();
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "the server is locked";
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
}

}  // namespace
