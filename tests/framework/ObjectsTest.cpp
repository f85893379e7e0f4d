// The framework's objects outside a graph: the owning unknown, the module's counters, class
// objects from a template table, media types and the enumerators.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <tuple>
#include <vector>

#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "tests/support/ComTestHarness.h"
#include "tests/support/FilterDoubles.h"

namespace {

// Every test starts and ends with no framework object of this program alive and no lock.
class Framework : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, ModuleCanUnloadNow()); }
    void TearDown() override {
        EXPECT_EQ(0, ModuleObjectCount()) << "an object leaked";
        EXPECT_EQ(0, ModuleLockCount());
    }
};

TEST_F(Framework, ObjectsShareOneIdentityAndCountAndDeleteThemselvesAtZero) {
    CPassThroughFilter* object = CPassThroughFilter::Create();
    IUnknown* self = object->GetOwner();
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    void* persist = nullptr;
    ASSERT_EQ(S_OK, self->QueryInterface(IID_IPersist, &persist));
    EXPECT_EQ(self, IdentityOf(static_cast<IPersist*>(persist)));
    EXPECT_EQ(2u, RefCount(self));
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, self->QueryInterface(IID_IPin, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, self->QueryInterface(IID_IPersist, nullptr));
    EXPECT_EQ(E_POINTER, GetInterface(self, nullptr));
    EXPECT_EQ(1u, static_cast<IPersist*>(persist)->Release());
    EXPECT_EQ(0u, object->NonDelegatingRelease());

    // Four threads count objects and locks at once without losing any.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 20000; ++i) {
                IncrementModuleObjectCount();
                IncrementModuleLockCount();
                DecrementModuleObjectCount();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(0, ModuleObjectCount());
    EXPECT_EQ(80000, ModuleLockCount());
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow()) << "locked without any object";
    for (int i = 0; i < 80000; ++i) DecrementModuleLockCount();

    // Aggregated, an object's interfaces count on the outer object, which answers for them.
    ComPtr<CPassThroughFilter> outer(CPassThroughFilter::Create());
    CPassThroughFilter* inner = CPassThroughFilter::Create(outer->GetOwner());
    void* filter = nullptr;
    ASSERT_EQ(S_OK, inner->NonDelegatingQueryInterface(IID_IBaseFilter, &filter));
    EXPECT_EQ(2u, RefCount(outer->GetOwner()));
    EXPECT_EQ(outer->GetOwner(), IdentityOf(static_cast<IBaseFilter*>(filter)));
    static_cast<IBaseFilter*>(filter)->Release();
    EXPECT_EQ(0u, inner->NonDelegatingRelease());
}

// Classes of the template table: refusing, silent, half-made.
constexpr CLSID kClass[] = {
    {0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x01}},
    {0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x02}},
    {0x23ea417a, 0x0d04, 0x4386, {0x80, 0x5c, 0xa5, 0x46, 0x1e, 0xbc, 0x70, 0x03}},
};
int initCalls = 0;

const CFactoryTemplate kTemplates[] = {
    {L"filter", &CLSID_TestPassThrough, CPassThroughFilter::CreateInstance,
     [](BOOL loading, const CLSID*) { initCalls += loading ? 1 : -1; }, nullptr},
    {L"refusing", &kClass[0],
     [](IUnknown*, HRESULT* hr) -> CUnknown* { return *hr = E_ACCESSDENIED, nullptr; }, nullptr,
     nullptr},
    {L"silent", &kClass[1], [](IUnknown*, HRESULT*) -> CUnknown* { return nullptr; }, nullptr,
     nullptr},
    {L"half-made", &kClass[2],
     [](IUnknown* outer, HRESULT* hr) -> CUnknown* {
         *hr = VFW_E_RUNTIME_ERROR;
         return CPassThroughFilter::CreateInstance(outer, hr);
     },
     nullptr, nullptr},
};

TEST_F(Framework, ClassObjectsCreateWhatIsAskedOrReportTheCreationFailure) {
    ComPtr<CPassThroughFilter> outer(CPassThroughFilter::Create());
    const std::tuple<const CLSID*, IUnknown*, const IID*, HRESULT> kCreated[] = {
        {&CLSID_TestPassThrough, nullptr, &IID_IPersist, S_OK},
        {&CLSID_TestPassThrough, nullptr, &IID_IPin, E_NOINTERFACE},
        {&CLSID_TestPassThrough, outer->GetOwner(), &IID_IPersist, E_NOINTERFACE},
        {&kClass[0], nullptr, &IID_IUnknown, E_ACCESSDENIED},
        {&kClass[1], nullptr, &IID_IUnknown, E_OUTOFMEMORY},
        {&kClass[2], nullptr, &IID_IUnknown, VFW_E_RUNTIME_ERROR},  // and deleted
    };
    for (const auto& [clsid, outerUnknown, iid, expected] : kCreated) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, *clsid, IID_IClassFactory,
                                                    factory.PutVoid()));
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(expected, factory->CreateInstance(outerUnknown, *iid, &out));
        if (expected == S_OK) {
            EXPECT_EQ(1u, RefCount(static_cast<IUnknown*>(out))) << "creation reference released";
            static_cast<IUnknown*>(out)->Release();
        }
        EXPECT_EQ(expected == S_OK, out != nullptr);
        EXPECT_EQ(2, ModuleObjectCount()) << "the class object and the outer object";
    }
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> none;
    ASSERT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, CLSID_TestPassThrough, IID_IUnknown,
                                                factory.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IPersist, none.PutVoid()));
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(1, ModuleLockCount());
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));

    AttachFrameworkModule(GetModuleHandleW(nullptr), kTemplates);
    EXPECT_EQ(GetModuleHandleW(nullptr), ModuleInstance());
    EXPECT_EQ(GetVersion(), ModuleWindowsVersion());
    EXPECT_EQ(1, initCalls);
    DetachFrameworkModule(kTemplates);
    EXPECT_EQ(0, initCalls);
}

TEST_F(Framework, MediaTypesOwnTheirFormatBlockAndCountTheirUnknown) {
    EXPECT_FALSE(CMediaType().IsValid());
    const CMediaType original = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    CMediaType copy(original);
    WaveFormat(copy)->nChannels = 1;
    EXPECT_EQ(2, WaveFormat(original)->nChannels);
    copy = static_cast<const AM_MEDIA_TYPE&>(copy);  // self-assignment keeps the block
    EXPECT_EQ(1, WaveFormat(copy)->nChannels);

    ComPtr<CPassThroughFilter> object(CPassThroughFilter::Create());
    IUnknown* unknown = AsFilter(object.Get());
    copy.pUnk = unknown;
    unknown->AddRef();
    {
        CMediaType counted(copy);
        AM_MEDIA_TYPE* task = CreateMediaType(&counted);
        ASSERT_NE(nullptr, task);
        EXPECT_NE(counted.pbFormat, task->pbFormat);
        EXPECT_EQ(0, std::memcmp(counted.pbFormat, task->pbFormat, counted.cbFormat));
        EXPECT_EQ(4u, RefCount(unknown));
        DeleteMediaType(task);
    }
    copy.InitMediaType();
    EXPECT_TRUE(copy.pUnk == nullptr && copy.FormatLength() == 0);
    EXPECT_EQ(1u, RefCount(unknown));

    // Equality looks at the types and the format bytes; a partial type at what it names.
    const std::tuple<const GUID*, const GUID*, const GUID*, bool, bool> kCases[] = {
        {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM, &FORMAT_WaveFormatEx, true, true},
        {&GUID_NULL, &GUID_NULL, &GUID_NULL, false, true},
        {&MEDIATYPE_Audio, &GUID_NULL, &GUID_NULL, false, true},
        {&MEDIATYPE_Video, &GUID_NULL, &GUID_NULL, false, false},
        {&GUID_NULL, &MEDIASUBTYPE_PCM, &GUID_NULL, false, true},
        {&MEDIATYPE_Audio, &MEDIASUBTYPE_IEEE_FLOAT, &GUID_NULL, false, false},
        {&GUID_NULL, &GUID_NULL, &FORMAT_VideoInfo, false, false},
    };
    for (const auto& [major, sub, format, equal, matches] : kCases) {
        CMediaType other(original);
        other.SetType(major);
        other.SetSubtype(sub);
        other.SetFormatType(format);
        EXPECT_EQ(equal, original == other);
        EXPECT_EQ(matches, original.MatchesPartial(&other));
    }
    CMediaType other(original);
    other.SetSampleSize(4);
    other.SetTemporalCompression(true);
    EXPECT_TRUE(original == other) << "sample size and compression are not compared";
    WaveFormat(other)->nSamplesPerSec = 48000;
    EXPECT_FALSE(original == other);
    EXPECT_FALSE(original.MatchesPartial(&other)) << "a format block given must match";
    other.ResetFormatBuffer();
    EXPECT_TRUE(original.MatchesPartial(&other));
}

TEST_F(Framework, EnumeratorsWalkCloneAndFallOutOfSync) {
    ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
    IBaseFilter* base = AsFilter(filter.Get());
    ComPtr<IEnumPins> pins, copy;
    ASSERT_EQ(S_OK, base->EnumPins(pins.Put()));
    EXPECT_EQ(2u, RefCount(base)) << "the enumerator holds the filter";
    IPin* got[3] = {};
    ULONG fetched = 9;
    EXPECT_EQ(E_POINTER, pins->Next(2, got, nullptr));
    EXPECT_EQ(E_POINTER, pins->Next(1, nullptr, &fetched));
    EXPECT_EQ(S_OK, pins->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(0)), got[0]);
    EXPECT_EQ(3u, RefCount(base));
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Next(3, got, &fetched));
    EXPECT_EQ(1u, fetched);
    got[0]->Release();
    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(1));
    ASSERT_EQ(S_OK, pins->Clone(copy.Put()));
    EXPECT_EQ(S_OK, copy->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(1)), got[0]) << "a clone starts where it was";
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Skip(2));
    filter->IncrementPinVersion();
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, got, &fetched));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Skip(1));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Clone(copy.Put()));
    EXPECT_FALSE(copy);
    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(2));
    pins.Reset();
    EXPECT_EQ(1u, RefCount(base));
}

}  // namespace
