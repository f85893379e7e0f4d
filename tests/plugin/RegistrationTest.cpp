// HalvernqvReverb.dll as a COM server in the test prefix: regsvr32 registering and
// unregistering it, with every key it writes checked and then gone; its four exports; the
// class object's answers for unknown classes and interfaces; DllCanUnloadNow following the
// objects and locks it served.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/plugin/PluginTestSupport.h"

namespace {

constexpr CLSID kUnknownClass = {
    0x3d7e9a40, 0x1b2c, 0x4e5f, {0x86, 0x97, 0xa8, 0xb9, 0xca, 0xdb, 0xec, 0xfd}};

std::wstring ClassKey() {
    return L"CLSID\\" + GuidText(CLSID_HqPlugIn);
}

std::wstring PageClassKey() {
    return L"CLSID\\" + GuidText(CLSID_HqPlugInPropPage);
}

// Where the filter mapper keeps the filter in the legacy DirectShow filter category.
std::wstring MapperKey() {
    return L"CLSID\\" + GuidText(CLSID_LegacyAmFilterCategory) + L"\\Instance\\" +
           GuidText(CLSID_HqPlugIn);
}

std::wstring OlderFilterKey() {
    return L"Filter\\" + GuidText(CLSID_HqPlugIn);
}

// A REG_BINARY value under HKEY_CLASSES_ROOT; empty when missing.
std::vector<BYTE> BinaryValue(const std::wstring& path, const WCHAR* name) {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_BINARY, nullptr, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<BYTE> value(bytes);
    if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_BINARY, nullptr,
                     value.data(), &bytes) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(bytes);
    return value;
}

long Regsvr32(const std::wstring& options) {
    return RunProgram(L"regsvr32 " + options + L" \"" + PluginDllPath() + L"\"");
}

// Whether the filter mapper lists the filter among those with an audio input and an audio
// output pin.
bool MapperFinds() {
    ComPtr<IFilterMapper2> mapper;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper2, mapper.PutVoid()))) {
        return false;
    }
    const GUID audio[2] = {MEDIATYPE_Audio, GUID_NULL};
    ComPtr<IEnumMoniker> found;
    if (FAILED(mapper->EnumMatchingFilters(found.Put(), 0, FALSE, 0, TRUE, 1, audio, nullptr,
                                           nullptr, FALSE, TRUE, 1, audio, nullptr, nullptr))) {
        return false;
    }
    for (;;) {
        ComPtr<IMoniker> moniker;
        if (found->Next(1, moniker.Put(), nullptr) != S_OK) return false;
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) {
            continue;
        }
        VARIANT clsid;
        VariantInit(&clsid);
        const bool ours = SUCCEEDED(bag->Read(L"CLSID", &clsid, nullptr)) && clsid.vt == VT_BSTR &&
                          GuidText(CLSID_HqPlugIn) == clsid.bstrVal;
        VariantClear(&clsid);
        if (ours) return true;
    }
}

// Every key of the registration, with its values.
void ExpectRegistered(int line) {
    SCOPED_TRACE(testing::Message() << "registration checked at line " << line);
    EXPECT_EQ(L"Halvern:qv Reverb", StringValue(ClassKey(), nullptr));
    EXPECT_EQ(PluginDllPath(), StringValue(ClassKey() + L"\\InprocServer32", nullptr));
    EXPECT_EQ(L"Both", StringValue(ClassKey() + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"Halvern:qv Reverb Property Page", StringValue(PageClassKey(), nullptr));
    EXPECT_EQ(PluginDllPath(), StringValue(PageClassKey() + L"\\InprocServer32", nullptr));
    EXPECT_EQ(L"Both", StringValue(PageClassKey() + L"\\InprocServer32", L"ThreadingModel"));

    EXPECT_EQ(L"Halvern:qv Reverb", StringValue(MapperKey(), L"FriendlyName"));
    EXPECT_EQ(GuidText(CLSID_HqPlugIn), StringValue(MapperKey(), L"CLSID"));
    EXPECT_TRUE(MapperFinds()) << "audio in and out";
    // The mapper's record opens with its version, the merit and the pin count.
    const std::vector<BYTE> record = BinaryValue(MapperKey(), L"FilterData");
    ASSERT_GE(record.size(), 12u);
    DWORD header[3] = {};
    std::memcpy(header, record.data(), sizeof header);
    EXPECT_EQ(2u, header[0]);
    EXPECT_EQ(0x200000u, header[1]) << "merit";
    EXPECT_EQ(2u, header[2]) << "pins";

    EXPECT_EQ(L"Halvern:qv Reverb", StringValue(OlderFilterKey(), nullptr));
    const struct {
        const WCHAR* pin;
        long long direction;
    } kPins[] = {{L"In", 0}, {L"Out", 1}};
    for (const auto& pin : kPins) {
        SCOPED_TRACE(testing::Message() << "pin " << pin.pin);
        const std::wstring key = ClassKey() + L"\\Pins\\" + pin.pin;
        EXPECT_EQ(0, DwordValue(key, L"AllowedMany"));
        EXPECT_EQ(0, DwordValue(key, L"AllowedZero"));
        EXPECT_EQ(0, DwordValue(key, L"IsRendered"));
        EXPECT_EQ(pin.direction, DwordValue(key, L"Direction"));
        EXPECT_TRUE(KeyExists(key + L"\\Types\\{73647561-0000-0010-8000-00AA00389B71}\\"
                                    L"{00000000-0000-0000-0000-000000000000}"));
    }
}
#define EXPECT_REGISTERED() ExpectRegistered(__LINE__)

void ExpectUnregistered(int line) {
    SCOPED_TRACE(testing::Message() << "absence checked at line " << line);
    EXPECT_FALSE(KeyExists(ClassKey()));
    EXPECT_FALSE(KeyExists(PageClassKey()));
    EXPECT_FALSE(KeyExists(MapperKey()));
    EXPECT_FALSE(KeyExists(OlderFilterKey()));
    EXPECT_FALSE(MapperFinds());
}
#define EXPECT_UNREGISTERED() ExpectUnregistered(__LINE__)

// The DLL loaded by the test, unregistered before and after every test.
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

TEST_F(Server, Regsvr32RegistersEveryKeyAndUnregistersThemAll) {
    EXPECT_UNREGISTERED();
    ASSERT_EQ(0, Regsvr32(L"/s"));
    EXPECT_REGISTERED();
    // Again over the keys it wrote.
    ASSERT_EQ(0, Regsvr32(L"/s"));
    EXPECT_REGISTERED();

    ASSERT_EQ(0, Regsvr32(L"/u /s"));
    EXPECT_UNREGISTERED();
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(0, Regsvr32(L"/u /s"));
    EXPECT_UNREGISTERED();
}

TEST_F(Server, TheExportsRegisterAndUnregisterLikeRegsvr32) {
    ASSERT_EQ(S_OK, module.RegisterServer());
    EXPECT_REGISTERED();
    ASSERT_EQ(S_OK, module.UnregisterServer());
    EXPECT_UNREGISTERED();
    EXPECT_EQ(S_OK, module.UnregisterServer());
}

TEST_F(Server, RegisteredTheFilterIsMadeThroughCom) {
    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CreateRegisteredFilter(filter.Put()));
    ASSERT_EQ(0, Regsvr32(L"/s"));
    ASSERT_EQ(S_OK, CreateRegisteredFilter(filter.Put()));
    EXPECT_EQ(1u, RefCount(filter.Get()));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, filter->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_HqPlugIn, clsid));
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "COM loaded the very DLL the test holds";
    filter.Reset();
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

TEST_F(Server, ClassObjectsAnswerForTheFilterAndPageClassesOnly) {
    const struct {
        const char* label;
        const CLSID* clsid;
        const IID* iid;
        HRESULT expected;
    } kCases[] = {
        {"filter, IClassFactory", &CLSID_HqPlugIn, &IID_IClassFactory, S_OK},
        {"filter, IUnknown", &CLSID_HqPlugIn, &IID_IUnknown, S_OK},
        {"page, IClassFactory", &CLSID_HqPlugInPropPage, &IID_IClassFactory, S_OK},
        {"unknown class", &kUnknownClass, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"another module's class", &CLSID_FilterGraph, &IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
        {"filter, IBaseFilter", &CLSID_HqPlugIn, &IID_IBaseFilter, E_NOINTERFACE},
        {"filter, IClassFactory2", &CLSID_HqPlugIn, &IID_IClassFactory2, E_NOINTERFACE},
        {"interface checked before class", &kUnknownClass, &IID_IBaseFilter, E_NOINTERFACE},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(c.expected, module.GetClassObject(*c.clsid, *c.iid, &out));
        if (c.expected == S_OK) {
            ASSERT_NE(nullptr, out);
            auto* object = static_cast<IUnknown*>(out);
            EXPECT_EQ(1u, RefCount(object));
            EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "a class object is alive";
            EXPECT_EQ(0u, object->Release());
        } else {
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(S_OK, module.CanUnloadNow());
    }
    EXPECT_EQ(E_POINTER, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, nullptr));
}

TEST_F(Server, DllCanUnloadNowFollowsFiltersAndServerLocks) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_FALSE, module.CanUnloadNow());

    ComPtr<IBaseFilter> filter;
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IBaseFilter, nullptr));
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IPin, &out));
    EXPECT_EQ(nullptr, out);
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(1u, RefCount(filter.Get()));
    factory.Reset();
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "the filter is alive";

    // Its pins and interfaces live on the filter.
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, filter->EnumPins(pins.Put()));
    ComPtr<IPin> pin;
    ASSERT_EQ(S_OK, pins->Next(1, pin.Put(), nullptr));
    pins.Reset();
    filter.Reset();
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "a pin holds the filter";
    pin.Reset();
    EXPECT_EQ(S_OK, module.CanUnloadNow());

    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.Reset();
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "the server is locked";
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory.Reset();
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

// An outer object aggregating the filter: it answers IUnknown itself and counts on its own.
class COuter final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references_); }
    LONG References() const { return references_; }

private:
    volatile LONG references_ = 1;
};

TEST_F(Server, AnAggregatedFilterForwardsToItsOuterObject) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, module.GetClassObject(CLSID_HqPlugIn, IID_IClassFactory, factory.PutVoid()));
    COuter outer;
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(&outer, IID_IBaseFilter, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(S_FALSE, module.CanUnloadNow()) << "only the class object is alive";

    ComPtr<IUnknown> inner;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()));
    EXPECT_EQ(1, outer.References()) << "the inner object does not count on the outer";
    ComPtr<IBaseFilter> filter;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IBaseFilter, filter.PutVoid()));
    EXPECT_EQ(2, outer.References()) << "its interfaces count on the outer object";
    EXPECT_EQ(&outer, IdentityOf(filter.Get()));
    void* prop = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, filter->QueryInterface(IID_IBaseFilter, &prop))
        << "the outer object decides";
    filter.Reset();
    EXPECT_EQ(1, outer.References());
    inner.Reset();
    factory.Reset();
    EXPECT_EQ(S_OK, module.CanUnloadNow());
}

}  // namespace
