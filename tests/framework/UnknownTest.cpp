// The owning-unknown pattern and the module's counters: identity, reference counts, interface
// answers, aggregation by an outer object, and the object and lock counts DllCanUnloadNow reads.
#include <gtest/gtest.h>

#include "framework/Module.h"
#include "framework/Unknown.h"
#include "tests/framework/FrameworkTestSupport.h"

namespace {

// An outer object that aggregates a CTestObject and exposes its IPersist as its own.
class Outer final : public IUnknown {
public:
    explicit Outer(bool* innerDestroyed) {
        auto* made = new CTestObject(this, innerDestroyed);
        inner_ = made;
        inner_->NonDelegatingAddRef();
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown)) {
            *ppv = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(riid, IID_IPersist)) return inner_->NonDelegatingQueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            inner_->NonDelegatingRelease();
            delete this;
        }
        return left;
    }
    INonDelegatingUnknown* Inner() const { return inner_; }

private:
    ~Outer() = default;
    ULONG references_ = 1;
    INonDelegatingUnknown* inner_;  // owned: one non-delegating reference
};

class FrameworkObjects : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, ModuleObjectCount()) << "objects left by earlier tests"; }
    void TearDown() override { EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked"; }
};

TEST_F(FrameworkObjects, StartWithoutReferenceAndDeleteThemselvesAtZero) {
    bool destroyed = false;
    auto* object = new CTestObject(nullptr, &destroyed);
    EXPECT_EQ(1, ModuleObjectCount());
    EXPECT_EQ(1u, object->NonDelegatingAddRef());
    EXPECT_EQ(2u, object->AddRef());
    EXPECT_EQ(1u, object->Release());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0u, object->NonDelegatingRelease());
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(0, ModuleObjectCount());
}

TEST_F(FrameworkObjects, AnswerTheirInterfacesWithOneIdentity) {
    auto* object = new CTestObject(nullptr, nullptr);
    object->NonDelegatingAddRef();
    IUnknown* self = object->GetOwner();
    EXPECT_EQ(static_cast<void*>(static_cast<INonDelegatingUnknown*>(object)),
              static_cast<void*>(self));

    void* persist = nullptr;
    ASSERT_EQ(S_OK, self->QueryInterface(IID_IPersist, &persist));
    EXPECT_EQ(static_cast<IPersist*>(object), persist);
    EXPECT_EQ(2u, RefCount(self));
    void* unknown = nullptr;
    ASSERT_EQ(S_OK, static_cast<IPersist*>(persist)->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(self), unknown);
    EXPECT_EQ(3u, RefCount(self));

    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, self->QueryInterface(IID_IBaseFilter, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, self->QueryInterface(IID_IPersist, nullptr));
    EXPECT_EQ(E_POINTER, object->NonDelegatingQueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(3u, RefCount(self));

    static_cast<IUnknown*>(unknown)->Release();
    static_cast<IPersist*>(persist)->Release();
    EXPECT_EQ(0u, self->Release());
}

TEST_F(FrameworkObjects, AggregatedInterfacesCountOnTheOuterObject) {
    bool innerDestroyed = false;
    auto* outer = new Outer(&innerDestroyed);
    auto* inner = static_cast<CTestObject*>(outer->Inner());
    EXPECT_EQ(static_cast<IUnknown*>(outer), inner->GetOwner());

    void* persist = nullptr;
    ASSERT_EQ(S_OK, outer->QueryInterface(IID_IPersist, &persist));
    EXPECT_EQ(static_cast<IPersist*>(inner), persist);
    EXPECT_EQ(2u, RefCount(outer));
    // The inner object's own count holds only the outer object's reference.
    EXPECT_EQ(2u, inner->NonDelegatingAddRef());
    EXPECT_EQ(1u, inner->NonDelegatingRelease());

    // IUnknown from any interface is the outer object.
    void* unknown = nullptr;
    ASSERT_EQ(S_OK, static_cast<IPersist*>(persist)->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<void*>(static_cast<IUnknown*>(outer)), unknown);
    EXPECT_EQ(3u, RefCount(outer));
    static_cast<IUnknown*>(unknown)->Release();

    CLSID clsid = {};
    EXPECT_EQ(S_OK, static_cast<IPersist*>(persist)->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_TestPassThrough, clsid));
    EXPECT_EQ(1u, static_cast<IPersist*>(persist)->Release());
    EXPECT_FALSE(innerDestroyed);
    EXPECT_EQ(0u, outer->Release());
    EXPECT_TRUE(innerDestroyed);
}

TEST(GetInterface, AddsOneReferenceOrRefusesANullSlot) {
    auto* object = new CTestObject(nullptr, nullptr);
    object->NonDelegatingAddRef();
    void* slot = nullptr;
    EXPECT_EQ(E_POINTER, GetInterface(static_cast<IPersist*>(object), nullptr));
    EXPECT_EQ(1u, RefCount(object->GetOwner()));
    EXPECT_EQ(S_OK, GetInterface(static_cast<IPersist*>(object), &slot));
    EXPECT_EQ(static_cast<IPersist*>(object), slot);
    EXPECT_EQ(2u, RefCount(object->GetOwner()));
    object->Release();
    object->Release();
}

TEST(ModuleCounters, ObjectsAndLocksKeepTheModuleLoaded) {
    ASSERT_EQ(0, ModuleObjectCount());
    ASSERT_EQ(0, ModuleLockCount());
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());

    auto* object = new CTestObject(nullptr, nullptr);
    object->NonDelegatingAddRef();
    EXPECT_EQ(1, CBaseObject::ObjectsActive());
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    object->Release();
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());

    IncrementModuleLockCount();
    IncrementModuleLockCount();
    EXPECT_EQ(2, ModuleLockCount());
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    DecrementModuleLockCount();
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    DecrementModuleLockCount();
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
}

TEST(ModuleCounters, CountFromManyThreadsWithoutLosingAny) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    HANDLE threads[kThreads];
    for (HANDLE& thread : threads) {
        thread = CreateThread(
            nullptr, 0,
            [](void*) -> DWORD {
                for (int i = 0; i < kRounds; ++i) {
                    IncrementModuleObjectCount();
                    IncrementModuleLockCount();
                    DecrementModuleObjectCount();
                }
                return 0;
            },
            nullptr, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(0, ModuleObjectCount());
    EXPECT_EQ(kThreads * kRounds, ModuleLockCount());
    for (int i = 0; i < kThreads * kRounds; ++i) DecrementModuleLockCount();
    EXPECT_EQ(S_OK, ModuleCanUnloadNow());
}

}  // namespace
