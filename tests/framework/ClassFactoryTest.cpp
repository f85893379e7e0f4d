// Class objects from a factory-template table: DllGetClassObject's answers, CreateInstance with
// and without an outer unknown and its failure paths, LockServer, and the module counters the
// class objects and their products keep.
#include <gtest/gtest.h>

#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

constexpr CLSID kObjectClass = {
    0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x09}};
constexpr CLSID kRefusingClass = {
    0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x0a}};
constexpr CLSID kSilentClass = {
    0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x0b}};
constexpr CLSID kHalfMadeClass = {
    0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x0c}};
constexpr CLSID kUnknownClass = {
    0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x0d}};

bool halfMadeDestroyed = false;
int initCalls = 0;

CUnknown* CreateObject(IUnknown* outer, HRESULT*) {
    return new CTestObject(outer, nullptr);
}
CUnknown* CreateRefused(IUnknown*, HRESULT* hr) {
    *hr = E_ACCESSDENIED;
    return nullptr;
}
CUnknown* CreateSilently(IUnknown*, HRESULT*) {
    return nullptr;
}
CUnknown* CreateHalfMade(IUnknown* outer, HRESULT* hr) {
    *hr = VFW_E_RUNTIME_ERROR;
    return new CTestObject(outer, &halfMadeDestroyed);
}
void CountInit(BOOL loading, const CLSID* clsid) {
    if (IsEqualCLSID(*clsid, kObjectClass)) initCalls += loading ? 1 : -1;
}

const CFactoryTemplate kTemplates[] = {
    {L"test object", &kObjectClass, CreateObject, CountInit, nullptr},
    {L"refusing object", &kRefusingClass, CreateRefused, nullptr, nullptr},
    {L"silent object", &kSilentClass, CreateSilently, nullptr, nullptr},
    {L"half-made object", &kHalfMadeClass, CreateHalfMade, nullptr, nullptr},
};

class ClassFactory : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ModuleObjectCount()); }
    void TearDown() override {
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
        EXPECT_EQ(0, ModuleLockCount());
    }

    ComPtr<IClassFactory> Factory(REFCLSID clsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, clsid, IID_IClassFactory,
                                                    factory.PutVoid()));
        return factory;
    }
};

TEST_F(ClassFactory, GetClassObjectAnswersByInterfaceThenClass) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_POINTER,
              GetClassObjectFromTemplates(kTemplates, kObjectClass, IID_IClassFactory, nullptr));
    EXPECT_EQ(E_NOINTERFACE,
              GetClassObjectFromTemplates(kTemplates, kObjectClass, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    // The interface is checked before the class.
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE,
              GetClassObjectFromTemplates(kTemplates, kUnknownClass, IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              GetClassObjectFromTemplates(kTemplates, kUnknownClass, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              GetClassObjectFromTemplates({}, kObjectClass, IID_IUnknown, &out));

    ASSERT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, kObjectClass, IID_IUnknown, &out));
    auto* unknown = static_cast<IUnknown*>(out);
    EXPECT_EQ(1u, RefCount(unknown));
    EXPECT_EQ(1, ModuleObjectCount()) << "a class object counts";
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    void* factory = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, &factory));
    EXPECT_EQ(out, factory);
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IPersist, &factory));
    EXPECT_EQ(nullptr, factory);
    EXPECT_EQ(E_POINTER, unknown->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1u, unknown->Release());
    EXPECT_EQ(0u, unknown->Release());
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
}

TEST_F(ClassFactory, CreateInstanceWithoutOuterHandsOutTheAskedInterface) {
    ComPtr<IClassFactory> factory = Factory(kObjectClass);
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IPersist, nullptr));
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IBaseFilter, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(1, ModuleObjectCount()) << "the refused object is gone";

    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IPersist, &out));
    auto* persist = static_cast<IPersist*>(out);
    EXPECT_EQ(1u, RefCount(persist)) << "the creation reference is released";
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestPassThrough, clsid));
    EXPECT_EQ(2, ModuleObjectCount());
    EXPECT_EQ(0u, persist->Release());
}

TEST_F(ClassFactory, CreateInstanceWithOuterHandsOutOnlyTheInnerUnknown) {
    ComPtr<IClassFactory> factory = Factory(kObjectClass);
    bool outerDestroyed = false;
    auto* outer = new CTestObject(nullptr, &outerDestroyed);
    outer->NonDelegatingAddRef();

    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(outer->GetOwner(), IID_IPersist, &out));
    EXPECT_EQ(nullptr, out);
    ASSERT_EQ(S_OK, factory->CreateInstance(outer->GetOwner(), IID_IUnknown, &out));
    // The inner object's non-delegating unknown, counted on its own.
    auto* inner = static_cast<INonDelegatingUnknown*>(out);
    EXPECT_EQ(2u, inner->NonDelegatingAddRef());
    EXPECT_EQ(1u, inner->NonDelegatingRelease());
    void* persist = nullptr;
    ASSERT_EQ(S_OK, inner->NonDelegatingQueryInterface(IID_IPersist, &persist));
    // Its interfaces count on the outer object.
    EXPECT_EQ(2u, RefCount(outer->GetOwner()));
    static_cast<IPersist*>(persist)->Release();
    EXPECT_EQ(1u, RefCount(outer->GetOwner()));
    EXPECT_EQ(0u, inner->NonDelegatingRelease());
    outer->Release();
    EXPECT_TRUE(outerDestroyed);
}

TEST_F(ClassFactory, CreationFailuresReachTheCaller) {
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_ACCESSDENIED, Factory(kRefusingClass)->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_OUTOFMEMORY, Factory(kSilentClass)->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    halfMadeDestroyed = false;
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(VFW_E_RUNTIME_ERROR,
              Factory(kHalfMadeClass)->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_TRUE(halfMadeDestroyed) << "an object made with a failure is deleted";
}

TEST_F(ClassFactory, LockServerKeepsTheModuleLoaded) {
    IClassFactory* factory = Factory(kObjectClass).Detach();
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(1, ModuleLockCount());
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(0, ModuleObjectCount());
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow()) << "locked without any object";
    factory = Factory(kObjectClass).Detach();
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    factory->Release();
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
}

TEST_F(ClassFactory, ModuleAttachRecordsTheHandleAndRunsInitRoutines) {
    const HINSTANCE self = GetModuleHandleW(nullptr);
    initCalls = 0;
    AttachFrameworkModule(self, kTemplates);
    EXPECT_EQ(self, ModuleInstance());
    EXPECT_EQ(GetVersion(), ModuleWindowsVersion());
    EXPECT_EQ(1, initCalls);
    DetachFrameworkModule(kTemplates);
    EXPECT_EQ(0, initCalls);
}

}  // namespace
