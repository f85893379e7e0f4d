// Self-registration against the registry of the test's own Wine prefix: the server keys of
// every template, the filter's registration with the filter mapper in the legacy filter
// category, IAMovieSetup, and everything gone again after unregistration.
#include <gtest/gtest.h>

#include <string>

#include "framework/Module.h"
#include "framework/Registration.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

constexpr CLSID kPageClass = {
    0x81f670f2, 0xdd98, 0x4741, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x09}};

CUnknown* CreateNothing(IUnknown*, HRESULT*) {
    return nullptr;
}

const CFactoryTemplate kTemplates[] = {
    {L"qv framework test pass-through", &CLSID_TestPassThrough, CreateNothing, nullptr,
     &CPassThroughFilter::kSetup},
    {L"qv framework test page", &kPageClass, CreateNothing, nullptr, nullptr},
};

std::wstring GuidText(REFGUID guid) {
    WCHAR text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(clsid);
}

// Where the filter mapper keeps a filter of the legacy DirectShow category.
std::wstring MapperKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(CLSID_LegacyAmFilterCategory) + L"\\Instance\\" + GuidText(clsid);
}

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// A string value, or "(missing)".
std::wstring StringValue(const std::wstring& path, const WCHAR* name) {
    WCHAR text[MAX_PATH] = {};
    DWORD bytes = sizeof(text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &bytes) !=
        ERROR_SUCCESS) {
        return L"(missing)";
    }
    return text;
}

std::wstring ModulePath() {
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, false)); }
    void TearDown() override {
        EXPECT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, false));
        EXPECT_EQ(0, ModuleObjectCount());
    }
};

TEST_F(Registration, WritesServerKeysAndTheMapperEntryThenRemovesThem) {
    ASSERT_FALSE(KeyExists(ClassKey(CLSID_TestPassThrough)));
    ASSERT_FALSE(KeyExists(MapperKey(CLSID_TestPassThrough)));

    ASSERT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, true));
    for (const CFactoryTemplate& entry : kTemplates) {
        const std::wstring key = ClassKey(*entry.clsid);
        EXPECT_EQ(std::wstring(entry.name), StringValue(key, nullptr));
        EXPECT_EQ(ModulePath(), StringValue(key + L"\\InprocServer32", nullptr));
        EXPECT_EQ(L"Both", StringValue(key + L"\\InprocServer32", L"ThreadingModel"));
    }
    // Only the template with a setup record goes to the mapper, under its name.
    EXPECT_TRUE(KeyExists(MapperKey(CLSID_TestPassThrough)));
    EXPECT_EQ(L"qv framework test pass-through",
              StringValue(MapperKey(CLSID_TestPassThrough), L"FriendlyName"));
    EXPECT_FALSE(KeyExists(MapperKey(kPageClass)));

    // Registering again over the existing keys succeeds.
    EXPECT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, true));

    ASSERT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, false));
    EXPECT_FALSE(KeyExists(ClassKey(CLSID_TestPassThrough)));
    EXPECT_FALSE(KeyExists(ClassKey(kPageClass)));
    EXPECT_FALSE(KeyExists(MapperKey(CLSID_TestPassThrough)));
    // Unregistering what is not registered is not an error.
    EXPECT_EQ(S_OK, RegisterFactoryTemplates(kTemplates, nullptr, false));
}

TEST_F(Registration, ServerKeysAloneAndTheirSubkeysGoTogether) {
    const std::wstring key = ClassKey(kPageClass);
    ASSERT_EQ(S_OK, RegisterServerKeys(kPageClass, L"page", nullptr));
    HKEY extra = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CLASSES_ROOT, (key + L"\\Pins\\In").c_str(), 0,
                                             nullptr, 0, KEY_WRITE, nullptr, &extra, nullptr));
    RegCloseKey(extra);
    EXPECT_EQ(S_OK, UnregisterServerKeys(kPageClass));
    EXPECT_FALSE(KeyExists(key));
    EXPECT_EQ(S_OK, UnregisterServerKeys(kPageClass));
}

TEST_F(Registration, MapperRegistrationChecksTheRecord) {
    AMOVIESETUP_FILTER setup = CPassThroughFilter::kSetup;
    setup.clsID = nullptr;
    EXPECT_EQ(E_INVALIDARG, RegisterFilterSetup(setup, true));
    setup = CPassThroughFilter::kSetup;
    setup.strName = nullptr;
    EXPECT_EQ(E_INVALIDARG, RegisterFilterSetup(setup, true));
    setup = CPassThroughFilter::kSetup;
    setup.lpPin = nullptr;
    EXPECT_EQ(E_INVALIDARG, RegisterFilterSetup(setup, true));
    EXPECT_FALSE(KeyExists(MapperKey(CLSID_TestPassThrough)));
}

TEST_F(Registration, TheOlderMapperRegistersFilterPinsAndTypes) {
    ComPtr<IFilterMapper> mapper;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IFilterMapper, mapper.PutVoid()));
    const AMOVIESETUP_FILTER& setup = CPassThroughFilter::kSetup;
    EXPECT_EQ(E_POINTER, RegisterFilterSetupWithMapper(nullptr, setup, true));
    ASSERT_EQ(S_OK, RegisterFilterSetupWithMapper(mapper.Get(), setup, true));
    const std::wstring filterKey = L"Filter\\" + GuidText(CLSID_TestPassThrough);
    const std::wstring pins = ClassKey(CLSID_TestPassThrough) + L"\\Pins";
    EXPECT_EQ(L"qv framework test pass-through", StringValue(filterKey, nullptr));
    EXPECT_TRUE(KeyExists(pins + L"\\Input"));
    EXPECT_TRUE(KeyExists(pins + L"\\Output"));
    EXPECT_TRUE(KeyExists(pins + L"\\Output\\Types\\" + GuidText(MEDIATYPE_Audio) + L"\\" +
                          GuidText(GUID_NULL)));
    ASSERT_EQ(S_OK, RegisterFilterSetupWithMapper(mapper.Get(), setup, false));
    EXPECT_FALSE(KeyExists(filterKey));
    EXPECT_FALSE(KeyExists(pins));
    EXPECT_EQ(S_OK, RegisterFilterSetupWithMapper(mapper.Get(), setup, false));
}

TEST_F(Registration, FiltersRegisterThemselvesThroughIAMovieSetup) {
    ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
    ComPtr<IAMovieSetup> setup;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMovieSetup, setup.PutVoid()));
    EXPECT_EQ(2u, RefCount(static_cast<IBaseFilter*>(filter.Get())));
    EXPECT_EQ(S_OK, setup->Register());
    EXPECT_TRUE(KeyExists(MapperKey(CLSID_TestPassThrough)));
    EXPECT_EQ(S_OK, setup->Unregister());
    EXPECT_FALSE(KeyExists(MapperKey(CLSID_TestPassThrough)));
}

}  // namespace
