// The reverb filter's interfaces as a host meets them through COM: identities and counts, and
// persistence and presets reaching the engine.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "engine/AutomationInterfaces.h"
#include "engine/HqPlugInProp.h"
#include "engine/StaticFilterPreset.h"
#include "tests/support/ComTestHarness.h"

namespace {

using Interfaces = RegisteredFilterTest;

template <class T>
ComPtr<T> Query(IUnknown* object, REFIID iid) {
    ComPtr<T> found;
    EXPECT_EQ(S_OK, object->QueryInterface(iid, found.PutVoid()));
    return found;
}

const IID* const kFilterInterfaces[] = {
    &IID_IUnknown,       &IID_IBaseFilter,           &IID_IMediaFilter,
    &IID_IPersist,       &IID_IAMovieSetup,          &IID_IHqPlugInProp,
    &IID_IPersistStream, &IID_ISpecifyPropertyPages, &IID_IStaticFilterPreset};
const IID* const kAutomationInterfaces[] = {&IID_IMediaParams, &IID_IMediaParamInfo,
                                            &IID_IMediaParamsSetUICallback,
                                            &IID_IMediaParamsUICallback};

TEST_F(Interfaces, TheFilterSharesOneIdentityAndCountAndTheAutomationObjectHasItsOwn) {
    IUnknown* identity = IdentityOf(filter_.Get());
    std::vector<ComPtr<IUnknown>> held;
    for (const IID* iid : kFilterInterfaces) {
        held.push_back(Query<IUnknown>(filter_.Get(), *iid));
        EXPECT_EQ(identity, IdentityOf(held.back().Get()));
        EXPECT_EQ(1u + held.size(), RefCount(held.back().Get())) << "one count for all";
        EXPECT_EQ(E_POINTER, filter_->QueryInterface(*iid, nullptr));
    }
    held.clear();
    for (const IID* iid : {&IID_IPin, &IID_IMemInputPin, &IID_IMediaSeeking, &IID_IPropertyPage,
                           &IID_IClassFactory, &IID_IPersistStorage}) {
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(E_NOINTERFACE, filter_->QueryInterface(*iid, &out));
        EXPECT_EQ(nullptr, out);
    }

    ComPtr<IUnknown> params = Query<IUnknown>(filter_.Get(), IID_IMediaParams);
    IUnknown* automation = IdentityOf(params.Get());
    EXPECT_NE(identity, automation);
    EXPECT_EQ(2u, RefCount(params.Get())) << "the engine's reference and ours";
    for (const IID* iid : kAutomationInterfaces) {
        held.push_back(Query<IUnknown>(filter_.Get(), *iid));
        IUnknown* found = held.back().Get();
        EXPECT_EQ(automation, IdentityOf(found));
        EXPECT_EQ(2u + held.size(), RefCount(found));
        EXPECT_EQ(1u, RefCount(filter_.Get())) << "the filter's count is not taken";
        EXPECT_EQ(E_POINTER, found->QueryInterface(*iid, nullptr));
        // Anything but IUnknown is the filter's map's answer.
        EXPECT_EQ(static_cast<IUnknown*>(filter_.Get()),
                  Query<IUnknown>(found, IID_IBaseFilter).Get());
        EXPECT_EQ(params.Get(), Query<IUnknown>(found, IID_IMediaParams).Get());
    }
    held.clear();
    EXPECT_EQ(2u, RefCount(params.Get()));

    // Two pins on the filter's count, in this order.
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, filter_->EnumPins(pins.Put()));
    for (const WCHAR* name : {L"Input", L"Output"}) {
        ComPtr<IPin> pin, found;
        ASSERT_EQ(S_OK, pins->Next(1, pin.Put(), nullptr));
        EXPECT_EQ(3u, RefCount(filter_.Get()));
        ASSERT_EQ(S_OK, filter_->FindPin(name, found.Put()));
        EXPECT_EQ(pin.Get(), found.Get());
    }
    pins.Reset();

    // A host may hold the automation object longer than the filter.
    ComPtr<IMediaParams> kept = Query<IMediaParams>(params.Get(), IID_IMediaParams);
    ASSERT_EQ(S_OK, kept->SetParam(8, 0.25f));
    params.Reset();
    filter_.Reset();
    EXPECT_EQ(1u, RefCount(kept.Get())) << "the engine let its reference go";
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the library must stay while it is held";
    MP_DATA value = 0;
    EXPECT_EQ(S_OK, kept->GetParam(8, &value));
    EXPECT_EQ(0.25f, value);
}

TEST_F(Interfaces, PersistenceAndPresetsReachTheEngine) {
    auto persist = Query<IPersistStream>(filter_.Get(), IID_IPersistStream);
    auto presets = Query<IStaticFilterPreset>(filter_.Get(), IID_IStaticFilterPreset);
    auto engine = Query<IHqPlugInProp>(filter_.Get(), IID_IHqPlugInProp);
    auto pages = Query<ISpecifyPropertyPages>(filter_.Get(), IID_ISpecifyPropertyPages);
    WCHAR name[64] = {};
    const std::tuple<const char*, HRESULT, HRESULT> kRefused[] = {
        {"GetClassID", persist->GetClassID(nullptr), E_POINTER},
        {"Load", persist->Load(nullptr), E_POINTER},
        {"Save", persist->Save(nullptr, TRUE), E_POINTER},
        {"GetPages", pages->GetPages(nullptr), E_POINTER},
        {"GetPresetName 2", presets->GetPresetName(2, name, 64), E_INVALIDARG},
        {"ApplyPreset 2", presets->ApplyPreset(2), E_INVALIDARG},
    };
    for (const auto& [call, result, expected] : kRefused) EXPECT_EQ(expected, result) << call;
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    EXPECT_EQ(L"{9D4C7A12-58E3-4B06-A1F7-2E8B6C03D5A9}", GuidText(list.pElems[0]));
    CoTaskMemFree(list.pElems);
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_HqPlugIn, clsid));

    // Saved with decay 4 s, changed, loaded: 4 s again.
    ASSERT_EQ(S_OK, engine->SetDecay(40, FALSE));
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ASSERT_EQ(S_OK, engine->SetDecay(90, FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    const LARGE_INTEGER zero = {};
    ASSERT_EQ(S_OK, stream->Seek(zero, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(S_OK, persist->Load(stream.Get()));
    int decay = 0;
    EXPECT_EQ(S_OK, engine->GetDecay(&decay));
    EXPECT_EQ(40, decay);

    EXPECT_EQ(S_OK, presets->GetPresetName(1, name, 64));
    EXPECT_STREQ(L"[1] Default Reverb", name);
    EXPECT_EQ(S_OK, presets->ApplyPreset(1));
    EXPECT_EQ(S_OK, engine->GetDecay(&decay));
    EXPECT_EQ(15, decay);
    EXPECT_EQ(5u, RefCount(filter_.Get())) << "four interfaces held";
}

}  // namespace
