// The framework's objects outside a graph: the owning unknown (identity, counts, aggregation),
// the module's counters, class objects from a template table, media types, the enumerators,
// and self-registration in the test prefix's registry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/ClassFactory.h"
#include "framework/Module.h"
#include "framework/Registration.h"
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
    EXPECT_EQ(static_cast<void*>(static_cast<INonDelegatingUnknown*>(object)), self);
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow());
    void* persist = nullptr;
    ASSERT_EQ(S_OK, self->QueryInterface(IID_IPersist, &persist));
    EXPECT_EQ(static_cast<IPersist*>(object), persist);
    EXPECT_EQ(self, IdentityOf(static_cast<IPersist*>(persist)));
    EXPECT_EQ(2u, RefCount(self));
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, self->QueryInterface(IID_IPin, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, self->QueryInterface(IID_IPersist, nullptr));
    EXPECT_EQ(E_POINTER, object->NonDelegatingQueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(E_POINTER, GetInterface(self, nullptr));
    EXPECT_EQ(1u, static_cast<IPersist*>(persist)->Release());
    EXPECT_EQ(0u, object->NonDelegatingRelease());
}

TEST_F(Framework, ModuleCountersCountFromManyThreadsWithoutLosingAny) {
    HANDLE threads[4];
    for (HANDLE& thread : threads) {
        thread = CreateThread(
            nullptr, 0,
            [](void*) -> DWORD {
                for (int i = 0; i < 20000; ++i) {
                    IncrementModuleObjectCount();
                    IncrementModuleLockCount();
                    DecrementModuleObjectCount();
                }
                return 0;
            },
            nullptr, 0, nullptr);
    }
    WaitForMultipleObjects(4, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(0, ModuleObjectCount());
    EXPECT_EQ(80000, ModuleLockCount());
    EXPECT_EQ(S_FALSE, ModuleCanUnloadNow()) << "locked without any object";
    for (int i = 0; i < 80000; ++i) DecrementModuleLockCount();
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
    const struct {
        const CLSID* clsid;
        IUnknown* outer;
        const IID* iid;
        HRESULT expected;
    } kCreated[] = {
        {&CLSID_TestPassThrough, nullptr, &IID_IPersist, S_OK},
        {&CLSID_TestPassThrough, nullptr, &IID_IPin, E_NOINTERFACE},
        {&CLSID_TestPassThrough, outer->GetOwner(), &IID_IPersist, E_NOINTERFACE},
        {&kClass[0], nullptr, &IID_IUnknown, E_ACCESSDENIED},
        {&kClass[1], nullptr, &IID_IUnknown, E_OUTOFMEMORY},
        {&kClass[2], nullptr, &IID_IUnknown, VFW_E_RUNTIME_ERROR},  // and deleted
    };
    for (const auto& c : kCreated) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, *c.clsid, IID_IClassFactory,
                                                    factory.PutVoid()));
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(c.expected, factory->CreateInstance(c.outer, *c.iid, &out));
        if (c.expected == S_OK) {
            EXPECT_EQ(1u, RefCount(static_cast<IUnknown*>(out))) << "creation reference released";
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IUnknown, nullptr));
        EXPECT_EQ(2, ModuleObjectCount()) << "the class object and the outer object";
        EXPECT_EQ(S_OK, factory->LockServer(TRUE));
        EXPECT_EQ(1, ModuleLockCount());
        EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    }

    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> none;
    ASSERT_EQ(S_OK, GetClassObjectFromTemplates(kTemplates, CLSID_TestPassThrough, IID_IUnknown,
                                                factory.PutVoid()));
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(IID_IPersist, none.PutVoid()));
    EXPECT_EQ(E_POINTER, factory->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1u, RefCount(factory.Get()));

    AttachFrameworkModule(GetModuleHandleW(nullptr), kTemplates);
    EXPECT_EQ(GetModuleHandleW(nullptr), ModuleInstance());
    EXPECT_EQ(GetVersion(), ModuleWindowsVersion());
    EXPECT_EQ(1, initCalls);
    DetachFrameworkModule(kTemplates);
    EXPECT_EQ(0, initCalls);
}

TEST_F(Framework, MediaTypesOwnTheirFormatBlockAndCountTheirUnknown) {
    EXPECT_FALSE(CMediaType().IsValid());
    EXPECT_EQ(1u, CMediaType().GetSampleSize());
    const CMediaType original = AudioType(WAVE_FORMAT_PCM, 16, 2, 44100);
    CMediaType copy(original);
    EXPECT_NE(original.Format(), copy.Format());
    EXPECT_TRUE(copy == original);
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
    EXPECT_EQ(nullptr, copy.pUnk);
    EXPECT_EQ(0u, copy.FormatLength());
    EXPECT_EQ(1u, RefCount(unknown));

    BYTE* block = copy.AllocFormatBuffer(16);
    block[0] = 7;
    block = copy.ReallocFormatBuffer(18);
    EXPECT_EQ(7, block[0]);
    EXPECT_EQ(0, block[17]);
    EXPECT_EQ(nullptr, copy.ReallocFormatBuffer(0));
    copy.SetSampleSize(0);
    EXPECT_FALSE(copy.IsFixedSize());

    const struct {
        const GUID *major, *sub, *format;
        bool equal, matches;
    } kCases[] = {
        {&MEDIATYPE_Audio, &MEDIASUBTYPE_PCM, &FORMAT_WaveFormatEx, true, true},
        {&GUID_NULL, &GUID_NULL, &GUID_NULL, false, true},
        {&MEDIATYPE_Audio, &GUID_NULL, &GUID_NULL, false, true},
        {&MEDIATYPE_Video, &GUID_NULL, &GUID_NULL, false, false},
        {&GUID_NULL, &MEDIASUBTYPE_PCM, &GUID_NULL, false, true},
        {&MEDIATYPE_Audio, &MEDIASUBTYPE_IEEE_FLOAT, &GUID_NULL, false, false},
        {&GUID_NULL, &GUID_NULL, &FORMAT_VideoInfo, false, false},
    };
    for (const auto& c : kCases) {
        CMediaType other(original);
        other.SetType(c.major);
        other.SetSubtype(c.sub);
        other.SetFormatType(c.format);
        EXPECT_EQ(c.equal, original == other);
        EXPECT_EQ(c.matches, original.MatchesPartial(&other));
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
    EXPECT_EQ(E_POINTER, pins->Clone(nullptr));
    ASSERT_EQ(S_OK, pins->Clone(copy.Put()));
    EXPECT_EQ(S_OK, copy->Next(1, got, nullptr));
    EXPECT_EQ(static_cast<IPin*>(filter->GetPin(1)), got[0]) << "a clone starts where it was";
    got[0]->Release();
    EXPECT_EQ(S_FALSE, pins->Skip(2));
    filter->IncrementPinVersion();
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Skip(1));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, pins->Clone(copy.Put()));
    EXPECT_FALSE(copy);
    EXPECT_EQ(S_OK, pins->Reset());
    EXPECT_EQ(S_OK, pins->Skip(2));
    pins.Reset();
    EXPECT_EQ(1u, RefCount(base));

    const CMediaType type = AudioType(WAVE_FORMAT_IEEE_FLOAT, 32, 1, 48000);
    ComPtr<CTestSource> source(new CTestSource(type, {1, 4096, 1, 0}));
    CBasePin* pin = source->GetPin(0);
    ComPtr<IEnumMediaTypes> types, typesCopy;
    ASSERT_EQ(S_OK, pin->EnumMediaTypes(types.Put()));
    EXPECT_EQ(2u, RefCount(AsFilter(source.Get())));
    AM_MEDIA_TYPE* listed[2] = {};
    EXPECT_EQ(E_POINTER, types->Next(2, listed, nullptr));
    EXPECT_EQ(S_FALSE, types->Next(2, listed, &fetched));
    ASSERT_EQ(1u, fetched);
    EXPECT_TRUE(CMediaType(*listed[0]) == type) << "a copy for the caller";
    DeleteMediaType(listed[0]);
    EXPECT_EQ(S_OK, types->Reset());
    ASSERT_EQ(S_OK, types->Clone(typesCopy.Put()));
    EXPECT_EQ(S_OK, types->Skip(1));
    EXPECT_EQ(S_FALSE, types->Skip(1));
    pin->IncrementTypeVersion();
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, typesCopy->Next(1, listed, &fetched));
    EXPECT_EQ(VFW_E_ENUM_OUT_OF_SYNC, typesCopy->Skip(1));
    EXPECT_EQ(S_OK, typesCopy->Reset());
    EXPECT_EQ(S_OK, typesCopy->Skip(1));
}

std::wstring ClassKey(REFCLSID clsid) {
    return L"CLSID\\" + GuidText(clsid);
}
const std::wstring kMapperKey =
    ClassKey(CLSID_LegacyAmFilterCategory) + L"\\Instance\\" + GuidText(CLSID_TestPassThrough);

TEST_F(Framework, FiltersRegisterThroughIAMovieSetupOrTheOlderMapper) {
    ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
    ComPtr<IAMovieSetup> setup;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IAMovieSetup, setup.PutVoid()));
    EXPECT_EQ(S_OK, setup->Register());
    EXPECT_TRUE(KeyExists(kMapperKey));
    EXPECT_EQ(S_OK, setup->Unregister());
    EXPECT_FALSE(KeyExists(kMapperKey));

    for (int field = 0; field < 3; ++field) {
        AMOVIESETUP_FILTER broken = CPassThroughFilter::kSetup;
        if (field == 0) broken.clsID = nullptr;
        if (field == 1) broken.strName = nullptr;
        if (field == 2) broken.lpPin = nullptr;
        EXPECT_EQ(E_INVALIDARG, RegisterFilterSetup(broken, true));
    }
    // The older mapper: the filter, its pins and their types, and all of it gone again.
    ComPtr<IFilterMapper> mapper;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IFilterMapper, mapper.PutVoid()));
    const AMOVIESETUP_FILTER& record = CPassThroughFilter::kSetup;
    EXPECT_EQ(E_POINTER, RegisterFilterSetupWithMapper(nullptr, record, true));
    ASSERT_EQ(S_OK, RegisterFilterSetupWithMapper(mapper.Get(), record, true));
    const std::wstring pins = ClassKey(CLSID_TestPassThrough) + L"\\Pins";
    EXPECT_EQ(L"qv framework test pass-through",
              StringValue(L"Filter\\" + GuidText(CLSID_TestPassThrough), nullptr));
    EXPECT_TRUE(KeyExists(pins + L"\\Input"));
    EXPECT_TRUE(KeyExists(pins + L"\\Output\\Types\\" + GuidText(MEDIATYPE_Audio) + L"\\" +
                          GuidText(GUID_NULL)));
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(S_OK, RegisterFilterSetupWithMapper(mapper.Get(), record, false));
    }
    EXPECT_FALSE(KeyExists(pins));
}

}  // namespace
