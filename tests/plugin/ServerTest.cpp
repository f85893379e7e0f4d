// HalvernqvReverb.dll as a COM server in the test prefix: its exports registering and
// unregistering it, with every key it writes checked and then gone; the class objects'
// answers; DllCanUnloadNow following the objects and locks it served; aggregation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

// The version, merit and pin count that open the mapper's record.
std::vector<DWORD> MapperRecordHeader() {
    DWORD bytes = 0;
    RegGetValueW(HKEY_CLASSES_ROOT, kMapperKey.c_str(), L"FilterData", RRF_RT_REG_BINARY, nullptr,
                 nullptr, &bytes);
    std::vector<DWORD> record(bytes / 4 + 1);
    RegGetValueW(HKEY_CLASSES_ROOT, kMapperKey.c_str(), L"FilterData", RRF_RT_REG_BINARY, nullptr,
                 record.data(), &bytes);
    record.resize(bytes >= 12 ? 3 : 0);
    return record;
}

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
        ComPtr<IPropertyBag> bag;
        VARIANT clsid;
        VariantInit(&clsid);
        ours =
            SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid())) &&
            SUCCEEDED(bag->Read(L"CLSID", &clsid, nullptr)) && clsid.vt == VT_BSTR &&
            GuidText(CLSID_HqPlugIn) == clsid.bstrVal;
        VariantClear(&clsid);
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
    const struct {
        std::wstring key;
        const WCHAR* name;
        std::wstring expected;
    } kStrings[] = {
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
    for (const auto& c : kStrings) EXPECT_EQ(c.expected, StringValue(c.key, c.name)) << c.key;
    EXPECT_EQ((std::vector<DWORD>{2, 0x200000, 2}), MapperRecordHeader()) << "merit and pins";
    for (const auto& [pin, direction] : {std::pair{L"In", 0}, std::pair{L"Out", 1}}) {
        const std::wstring key = kClassKey + L"\\Pins\\" + pin;
        for (const WCHAR* flag : {L"AllowedMany", L"AllowedZero", L"IsRendered"}) {
            EXPECT_EQ(0, DwordValue(key, flag)) << flag;
        }
        EXPECT_EQ(direction, DwordValue(key, L"Direction"));
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
    const struct {
        const CLSID* clsid;
        const IID* iid;
        HRESULT expected;
    } kCases[] = {
        {&CLSID_HqPlugIn, &IID_IClassFactory, S_OK},
        {&CLSID_HqPlugIn, &IID_IUnknown, S_OK},
        {&CLSID_HqPlugInPropPage, &IID_IClassFactory, S_OK},
        {&unknown, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {&CLSID_FilterGraph, &IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {&CLSID_HqPlugIn, &IID_IBaseFilter, E_NOINTERFACE},
        {&CLSID_HqPlugIn, &IID_IClassFactory2, E_NOINTERFACE},
        {&unknown, &IID_IBaseFilter, E_NOINTERFACE},  // the interface is checked first
    };
    for (const auto& c : kCases) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(c.expected, module.GetClassObject(*c.clsid, *c.iid, factory.PutVoid()));
        EXPECT_EQ(c.expected == S_OK, static_cast<bool>(factory));
        EXPECT_EQ(factory ? 1u : 0u, factory ? RefCount(factory.Get()) : 0u);
        EXPECT_EQ(factory ? S_FALSE : S_OK, module.CanUnloadNow()) << "while a class object lives";
    }
    EXPECT_EQ(E_POINTER, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, nullptr));

    // A filter, its pins and the server's locks keep the DLL loaded.
    ComPtr<IClassFactory> factory;
    ComPtr<IBaseFilter> filter;
    ComPtr<IPin> pin;
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IBaseFilter, nullptr));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IPin, pin.PutVoid()));
    EXPECT_FALSE(pin);
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

// An outer object on the test's stack: it answers IUnknown itself and counts on its own.
class COuter final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
        return *ppv != nullptr ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references); }
    volatile LONG references = 1;
};

TEST_F(Server, AnAggregatedFilterForwardsToItsOuterObject) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    COuter outer;
    ComPtr<IUnknown> inner;
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(&outer, IID_IBaseFilter, filter.PutVoid()));
    EXPECT_FALSE(filter);
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()));
    EXPECT_EQ(1, outer.references) << "the inner object does not count on the outer";
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(2, outer.references) << "its interfaces count on the outer object";
    EXPECT_EQ(&outer, IdentityOf(filter.Get()));
    ComPtr<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IBaseFilter, none.PutVoid()))
        << "the outer object decides";
    filter.Reset();
    EXPECT_EQ(1, outer.references);
}

}  // namespace
