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

// One walk of an enumerator: from a reset skip `first`, then `skip` (answered `skipped`), then
// fetch `fetch` items with or without a count (answered `fetched`): the first item got is
// number `next` (-1 none), `got` of them in all.
struct Walk {
    const char* label;
    ULONG first, skip;
    HRESULT skipped;
    ULONG fetch;
    bool counted;
    HRESULT fetched;
    int next, got;
};

// Walks every row over an enumerator of `n` items (1 to 3); `indexOf` numbers an item.
template <class Item, class Enumerator, class IndexOf, class Free>
void CheckWalks(Enumerator* items, ULONG n, IndexOf indexOf, Free free) {
    const int last = static_cast<int>(n) - 1;
    const Walk kWalks[] = {
        {"skip past the end stays", 0, n + 1, S_FALSE, 1, true, S_OK, 0, 1},
        {"skip from the last past the end stays", n - 1, 2, S_FALSE, 1, false, S_OK, last, 1},
        {"skip to the end", 0, n, S_OK, 1, true, S_FALSE, -1, 0},
        {"more than are left", 0, 0, S_OK, n + 1, true, S_FALSE, 0, last + 1},
        {"one without a count", 0, 0, S_OK, 1, false, S_OK, 0, 1},
        {"more than one without a count", 0, 0, S_OK, 2, false, E_INVALIDARG, -1, 0},
    };
    for (const Walk& w : kWalks) {
        SCOPED_TRACE(w.label);
        ASSERT_EQ(S_OK, items->Reset());
        ASSERT_EQ(S_OK, items->Skip(w.first));
        EXPECT_EQ(w.skipped, items->Skip(w.skip));
        Item* got[4] = {};
        ULONG count = 99;
        EXPECT_EQ(w.fetched, items->Next(w.fetch, got, w.counted ? &count : nullptr));
        EXPECT_EQ(w.counted ? static_cast<ULONG>(w.got) : 99u, count);
        EXPECT_EQ(w.next, got[0] != nullptr ? indexOf(got[0]) : -1);
        for (Item* item : got) {
            if (item != nullptr) free(item);
        }
    }
}

TEST_F(Framework, EnumeratorsSkipAndFetchAsDocumented) {
    ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, AsFilter(filter.Get())->EnumPins(pins.Put()));
    CheckWalks<IPin>(
        pins.Get(), 2,
        [&](IPin* pin) { return pin == filter->GetPin(0)   ? 0
                                : pin == filter->GetPin(1) ? 1
                                                           : 9; },
        [](IPin* pin) { pin->Release(); });

    // A source pin offers its file's type, and only that.
    ComPtr<CWavSourceFilter> source;
    ASSERT_EQ(S_OK, CWavSourceFilter::Create(MakeTestAudio(WAVE_FORMAT_PCM, 16, 2, 44100, 10), 10,
                                             source.Put()));
    CMediaType own;
    ASSERT_EQ(S_OK, source->FileMediaType(&own));
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, source->GetPin(0)->EnumMediaTypes(types.Put()));
    CheckWalks<AM_MEDIA_TYPE>(
        types.Get(), 1, [&](AM_MEDIA_TYPE* type) { return CMediaType(*type) == own ? 0 : 9; },
        [](AM_MEDIA_TYPE* type) { DeleteMediaType(type); });
}

TEST_F(Framework, EnumeratorsWalkCloneAndFallOutOfSync) {
    ComPtr<CPassThroughFilter> filter(CPassThroughFilter::Create());
    IBaseFilter* base = AsFilter(filter.Get());
    ComPtr<IEnumPins> pins, copy;
    ASSERT_EQ(S_OK, base->EnumPins(pins.Put()));
    EXPECT_EQ(2u, RefCount(base)) << "the enumerator holds the filter";
    IPin* got[3] = {};
    ULONG fetched = 9;
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
