// The reverb filter's interface map as a host meets it, made through COM from the registered
// DLL: the filter's own interfaces sharing its identity and count, the automation object's four
// interfaces on their own count, the refusals, the pins, and the property page, persistence and
// built-in preset interfaces routed to the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/AutomationInterfaces.h"
#include "engine/HqPlugInProp.h"
#include "engine/StaticFilterPreset.h"
#include "tests/plugin/PluginTestSupport.h"

namespace {

using InterfaceMap = RegisteredFilterTest;

// Interface `iid` of `object`, with the reference the query took.
ComPtr<IUnknown> Query(IUnknown* object, REFIID iid) {
    ComPtr<IUnknown> found;
    EXPECT_EQ(S_OK, object->QueryInterface(iid, found.PutVoid()));
    return found;
}

struct NamedIid {
    const char* name;
    const IID* iid;
};

const NamedIid kFilterInterfaces[] = {
    {"IUnknown", &IID_IUnknown},
    {"IBaseFilter", &IID_IBaseFilter},
    {"IMediaFilter", &IID_IMediaFilter},
    {"IPersist", &IID_IPersist},
    {"IAMovieSetup", &IID_IAMovieSetup},
    {"IHqPlugInProp", &IID_IHqPlugInProp},
    {"ISpecifyPropertyPages", &IID_ISpecifyPropertyPages},
    {"IPersistStream", &IID_IPersistStream},
    {"IStaticFilterPreset", &IID_IStaticFilterPreset},
};

const NamedIid kAutomationInterfaces[] = {
    {"IMediaParams", &IID_IMediaParams},
    {"IMediaParamInfo", &IID_IMediaParamInfo},
    {"IMediaParamsSetUICallback", &IID_IMediaParamsSetUICallback},
    {"IMediaParamsUICallback", &IID_IMediaParamsUICallback},
};

TEST_F(InterfaceMap, TheFiltersInterfacesShareItsIdentityAndCount) {
    IUnknown* identity = IdentityOf(filter_.Get());
    ASSERT_NE(nullptr, identity);
    EXPECT_EQ(1u, RefCount(filter_.Get()));
    std::vector<ComPtr<IUnknown>> held;
    for (const NamedIid& entry : kFilterInterfaces) {
        SCOPED_TRACE(entry.name);
        held.push_back(Query(filter_.Get(), *entry.iid));
        IUnknown* found = held.back().Get();
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(identity, IdentityOf(found));
        EXPECT_EQ(1u + held.size(), RefCount(filter_.Get()));
        EXPECT_EQ(1u + held.size(), RefCount(found)) << "one count for all";
        // Every interface leads to every other.
        EXPECT_EQ(static_cast<IUnknown*>(filter_.Get()), Query(found, IID_IBaseFilter).Get());
    }
    held.clear();
    EXPECT_EQ(1u, RefCount(filter_.Get()));
}

TEST_F(InterfaceMap, TheAutomationInterfacesCountOnTheAutomationObject) {
    IUnknown* filterIdentity = IdentityOf(filter_.Get());
    ComPtr<IUnknown> params = Query(filter_.Get(), IID_IMediaParams);
    ASSERT_TRUE(params);
    IUnknown* automation = IdentityOf(params.Get());
    ASSERT_NE(nullptr, automation);
    EXPECT_NE(filterIdentity, automation) << "the automation object is an object of its own";
    EXPECT_EQ(1u, RefCount(filter_.Get())) << "the filter's count is not taken";
    EXPECT_EQ(2u, RefCount(params.Get())) << "the engine's reference and ours";

    std::vector<ComPtr<IUnknown>> held;
    for (const NamedIid& entry : kAutomationInterfaces) {
        SCOPED_TRACE(entry.name);
        held.push_back(Query(filter_.Get(), *entry.iid));
        IUnknown* found = held.back().Get();
        ASSERT_NE(nullptr, found);
        EXPECT_EQ(automation, IdentityOf(found));
        EXPECT_EQ(2u + held.size(), RefCount(found)) << "the engine, params and those held";
        EXPECT_EQ(1u, RefCount(filter_.Get()));

        // Anything but IUnknown is the filter's map's answer: the filter's own interfaces with
        // a reference on the filter, the automation interfaces with one on the object.
        ComPtr<IUnknown> base = Query(found, IID_IBaseFilter);
        EXPECT_EQ(static_cast<IUnknown*>(filter_.Get()), base.Get());
        EXPECT_EQ(2u, RefCount(filter_.Get()));
        base.Reset();
        ComPtr<IUnknown> engine = Query(found, IID_IHqPlugInProp);
        EXPECT_EQ(Query(filter_.Get(), IID_IHqPlugInProp).Get(), engine.Get());
        engine.Reset();
        for (const NamedIid& other : kAutomationInterfaces) {
            SCOPED_TRACE(other.name);
            EXPECT_EQ(Query(filter_.Get(), *other.iid).Get(), Query(found, *other.iid).Get());
        }
        void* none = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(E_NOINTERFACE, found->QueryInterface(IID_IPin, &none));
        EXPECT_EQ(nullptr, none);
        EXPECT_EQ(E_POINTER, found->QueryInterface(IID_IMediaParams, nullptr));
        EXPECT_EQ(E_POINTER, found->QueryInterface(IID_IUnknown, nullptr));
    }
    held.clear();
    EXPECT_EQ(2u, RefCount(params.Get()));
    params.Reset();
    EXPECT_EQ(1u, RefCount(filter_.Get()));
}

TEST_F(InterfaceMap, AHostMayHoldTheAutomationObjectLongerThanTheFilter) {
    ComPtr<IMediaParams> params;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IMediaParams, params.PutVoid()));
    ASSERT_EQ(S_OK, params->SetParam(8, 0.25f));
    filter_.Reset();
    EXPECT_EQ(1u, RefCount(params.Get())) << "the engine let its reference go";
    EXPECT_EQ(S_FALSE, module_->CanUnloadNow()) << "the library must stay while it is held";
    MP_DATA value = 0;
    EXPECT_EQ(S_OK, params->GetParam(8, &value));
    EXPECT_EQ(0.25f, value);
}

TEST_F(InterfaceMap, WhatTheFilterDoesNotOfferIsRefused) {
    const NamedIid kRefused[] = {
        {"IPin", &IID_IPin},
        {"IMemInputPin", &IID_IMemInputPin},
        {"IMediaSeeking", &IID_IMediaSeeking},
        {"IPropertyPage", &IID_IPropertyPage},
        {"IClassFactory", &IID_IClassFactory},
        {"IPersistStorage", &IID_IPersistStorage},
    };
    for (const NamedIid& entry : kRefused) {
        SCOPED_TRACE(entry.name);
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(E_NOINTERFACE, filter_->QueryInterface(*entry.iid, &out));
        EXPECT_EQ(nullptr, out);
    }
    for (const NamedIid& entry : kFilterInterfaces) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(E_POINTER, filter_->QueryInterface(*entry.iid, nullptr));
    }
    EXPECT_EQ(E_POINTER, filter_->QueryInterface(IID_IMediaParams, nullptr));
    EXPECT_EQ(1u, RefCount(filter_.Get()));
}

TEST_F(InterfaceMap, TwoPinsLiveOnTheFiltersCount) {
    const struct {
        const WCHAR* name;
        PIN_DIRECTION direction;
    } kPins[] = {{L"Input", PINDIR_INPUT}, {L"Output", PINDIR_OUTPUT}};
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, filter_->EnumPins(pins.Put()));
    EXPECT_EQ(2u, RefCount(filter_.Get())) << "the enumerator holds the filter";
    for (const auto& expected : kPins) {
        ComPtr<IPin> pin;
        ASSERT_EQ(S_OK, pins->Next(1, pin.Put(), nullptr));
        EXPECT_EQ(3u, RefCount(filter_.Get()));
        PIN_INFO info;
        ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
        EXPECT_STREQ(expected.name, info.achName);
        EXPECT_EQ(expected.direction, info.dir);
        EXPECT_EQ(filter_.Get(), info.pFilter);
        info.pFilter->Release();
        EXPECT_NE(IdentityOf(filter_.Get()), IdentityOf(pin.Get()));
        ComPtr<IPin> found;
        EXPECT_EQ(S_OK, filter_->FindPin(expected.name, found.Put()));
        EXPECT_EQ(pin.Get(), found.Get());
    }
    ComPtr<IPin> none;
    EXPECT_EQ(S_FALSE, pins->Next(1, none.Put(), nullptr));
    pins.Reset();
    EXPECT_EQ(1u, RefCount(filter_.Get()));
}

TEST_F(InterfaceMap, GetPagesNamesTheEditorPage) {
    ComPtr<ISpecifyPropertyPages> pages;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_ISpecifyPropertyPages, pages.PutVoid()));
    EXPECT_EQ(E_POINTER, pages->GetPages(nullptr));
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    ASSERT_NE(nullptr, list.pElems);
    EXPECT_EQ(L"{9D4C7A12-58E3-4B06-A1F7-2E8B6C03D5A9}", GuidText(list.pElems[0]));
    CoTaskMemFree(list.pElems);
}

TEST_F(InterfaceMap, PersistenceAndPresetsReachTheEngine) {
    ComPtr<IPersistStream> persist;
    ComPtr<IStaticFilterPreset> presets;
    ComPtr<IHqPlugInProp> engine;
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IPersistStream, persist.PutVoid()));
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IStaticFilterPreset, presets.PutVoid()));
    ASSERT_EQ(S_OK, filter_->QueryInterface(IID_IHqPlugInProp, engine.PutVoid()));

    CLSID clsid = {};
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_HqPlugIn, clsid));
    EXPECT_EQ(E_POINTER, filter_->GetClassID(nullptr));
    ULARGE_INTEGER size = {};
    EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(100u, size.QuadPart);

    // A new filter: the default preset, Tail off, Stereo on.
    int value = -1;
    EXPECT_EQ(S_OK, engine->GetTail(&value));
    EXPECT_EQ(0, value);
    EXPECT_EQ(S_OK, engine->GetStereo(&value));
    EXPECT_EQ(1, value);
    EXPECT_EQ(S_OK, engine->GetDecay(&value));
    EXPECT_EQ(15, value);

    // Save, change, load: the saved settings come back.
    ASSERT_EQ(S_OK, engine->SetDecay(40, FALSE));
    ASSERT_EQ(S_OK, engine->SetTail(1, FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    STATSTG stat = {};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(100u, stat.cbSize.QuadPart);
    ASSERT_EQ(S_OK, engine->SetDecay(90, FALSE));
    ASSERT_EQ(S_OK, engine->SetTail(0, FALSE));
    LARGE_INTEGER zero = {};
    ASSERT_EQ(S_OK, stream->Seek(zero, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(S_OK, persist->Load(stream.Get()));
    EXPECT_EQ(S_OK, engine->GetDecay(&value));
    EXPECT_EQ(40, value);
    EXPECT_EQ(S_OK, engine->GetTail(&value));
    EXPECT_EQ(1, value);

    // A stream that is no saved state changes nothing.
    ComPtr<IStream> junk;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, junk.Put()));
    const BYTE bytes[100] = {100};
    ASSERT_EQ(S_OK, junk->Write(bytes, sizeof bytes, nullptr));
    ASSERT_EQ(S_OK, junk->Seek(zero, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(E_FAIL, persist->Load(junk.Get()));
    EXPECT_EQ(S_OK, engine->GetDecay(&value));
    EXPECT_EQ(40, value);
    EXPECT_EQ(E_POINTER, persist->Load(nullptr));
    EXPECT_EQ(E_POINTER, persist->Save(nullptr, TRUE));

    DWORD count = 0;
    EXPECT_EQ(S_OK, presets->GetPresetCount(&count));
    EXPECT_EQ(2u, count);
    const WCHAR* const kNames[] = {L"(Default)", L"[1] Default Reverb"};
    for (DWORD index = 0; index < count; ++index) {
        WCHAR name[64] = {};
        EXPECT_EQ(S_OK, presets->GetPresetName(index, name, 64));
        EXPECT_STREQ(kNames[index], name);
    }
    WCHAR name[64] = {};
    EXPECT_EQ(E_INVALIDARG, presets->GetPresetName(2, name, 64));
    EXPECT_EQ(E_INVALIDARG, presets->ApplyPreset(2));
    EXPECT_EQ(S_OK, presets->ApplyPreset(1));
    EXPECT_EQ(S_OK, engine->GetDecay(&value));
    EXPECT_EQ(15, value);
    EXPECT_EQ(4u, RefCount(filter_.Get())) << "three interfaces held";
}

}  // namespace
