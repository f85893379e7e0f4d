// The reverb filter's interfaces as a host meets them, made through COM from the registered DLL:
// the interface map with its identities and counts, every method a host can reach refusing bad
// pointers and indexes with its exact answer, and persistence and presets reaching the engine.
#include <gtest/gtest.h>

#include <cstring>
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
        EXPECT_EQ(static_cast<IUnknown*>(filter_.Get()),
                  Query<IUnknown>(held.back().Get(), IID_IBaseFilter).Get());
    }
    held.clear();

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
        // Anything but IUnknown is the filter's map's answer.
        EXPECT_EQ(static_cast<IUnknown*>(filter_.Get()),
                  Query<IUnknown>(found, IID_IBaseFilter).Get());
        for (const IID* other : kAutomationInterfaces) {
            EXPECT_EQ(Query<IUnknown>(filter_.Get(), *other).Get(),
                      Query<IUnknown>(found, *other).Get());
        }
    }
    held.clear();
    EXPECT_EQ(2u, RefCount(params.Get()));

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

TEST_F(Interfaces, WhatTheFilterDoesNotOfferIsRefused) {
    for (const IID* iid : {&IID_IPin, &IID_IMemInputPin, &IID_IMediaSeeking, &IID_IPropertyPage,
                           &IID_IClassFactory, &IID_IPersistStorage}) {
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(E_NOINTERFACE, filter_->QueryInterface(*iid, &out));
        EXPECT_EQ(nullptr, out);
    }
    for (const IID* iid : kFilterInterfaces) {
        EXPECT_EQ(E_POINTER, filter_->QueryInterface(*iid, nullptr));
    }
    for (const IID* iid : kAutomationInterfaces) {
        EXPECT_EQ(E_POINTER, filter_->QueryInterface(*iid, nullptr));
        EXPECT_EQ(E_POINTER, Query<IUnknown>(filter_.Get(), *iid)->QueryInterface(*iid, nullptr));
    }
    EXPECT_EQ(1u, RefCount(filter_.Get()));

    // Two pins on the filter's count.
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, filter_->EnumPins(pins.Put()));
    for (const auto& [name, direction] :
         {std::pair{L"Input", PINDIR_INPUT}, std::pair{L"Output", PINDIR_OUTPUT}}) {
        ComPtr<IPin> pin;
        ASSERT_EQ(S_OK, pins->Next(1, pin.Put(), nullptr));
        EXPECT_EQ(3u, RefCount(filter_.Get()));
        PIN_INFO info;
        ASSERT_EQ(S_OK, pin->QueryPinInfo(&info));
        EXPECT_STREQ(name, info.achName);
        EXPECT_EQ(direction, info.dir);
        EXPECT_EQ(filter_.Get(), info.pFilter);
        info.pFilter->Release();
        ComPtr<IPin> found;
        EXPECT_EQ(S_OK, filter_->FindPin(name, found.Put()));
        EXPECT_EQ(pin.Get(), found.Get());
    }
    ComPtr<IPin> none;
    EXPECT_EQ(S_FALSE, pins->Next(1, none.Put(), nullptr));
}

// Every method a host can reach, with a bad pointer or index: the exact answer.
TEST_F(Interfaces, BadPointersAndIndexesAreRefusedFirst) {
    auto engine = Query<IHqPlugInProp>(filter_.Get(), IID_IHqPlugInProp);
    auto persist = Query<IPersistStream>(filter_.Get(), IID_IPersistStream);
    auto presets = Query<IStaticFilterPreset>(filter_.Get(), IID_IStaticFilterPreset);
    auto pages = Query<ISpecifyPropertyPages>(filter_.Get(), IID_ISpecifyPropertyPages);
    auto params = Query<IMediaParams>(filter_.Get(), IID_IMediaParams);
    auto info = Query<IMediaParamInfo>(filter_.Get(), IID_IMediaParamInfo);
    auto relay = Query<IMediaParamsUICallback>(filter_.Get(), IID_IMediaParamsUICallback);
    WAVEFORMATEX format = {};
    WCHAR name[64];
    MP_DATA value = 0;
    MP_PARAMINFO paramInfo;
    WCHAR* text = nullptr;
    GUID guid;
    DWORD index = 18, valid = 3;
    MP_ENVELOPE_SEGMENT segment = {0, 10, 0.5f, 0.5f, MP_CURVE_JUMP, 0};
    const struct {
        const char* call;
        HRESULT result, expected;
    } kCases[] = {
        {"GetClassID", persist->GetClassID(nullptr), E_POINTER},
        {"Load", persist->Load(nullptr), E_POINTER},
        {"Save", persist->Save(nullptr, TRUE), E_POINTER},
        {"GetSizeMax", persist->GetSizeMax(nullptr), E_POINTER},
        {"GetPages", pages->GetPages(nullptr), E_POINTER},
        {"GetPresetCount", presets->GetPresetCount(nullptr), E_POINTER},
        {"GetPresetName 2", presets->GetPresetName(2, name, 64), E_INVALIDARG},
        {"GetPresetName null", presets->GetPresetName(0, nullptr, 64), E_POINTER},
        {"ApplyPreset 2", presets->ApplyPreset(2), E_INVALIDARG},
        {"GetAllParams", engine->GetAllParams(nullptr), E_POINTER},
        {"SetAllParams", engine->SetAllParams(nullptr), E_POINTER},
        {"GetWaveFormat null", engine->GetWaveFormat(nullptr, 0), E_POINTER},
        {"GetWaveFormat 2", engine->GetWaveFormat(&format, 2), VFW_E_NOT_CONNECTED},
        {"SetNotifyWindow null", engine->SetNotifyWindow(nullptr, 5), E_INVALIDARG},
        {"SetClipLeft 4", engine->SetClipLeft(4, 1), E_INVALIDARG},
        {"SetClipRight -1", engine->SetClipRight(-1, 1), E_INVALIDARG},
        {"SelectSetup 2", engine->SelectSetup(2), E_INVALIDARG},
        {"CopySetup 1 1", engine->CopySetup(1, 1), S_OK},
        {"GetParam 18", params->GetParam(18, &value), E_INVALIDARG},
        {"GetParam null", params->GetParam(0, nullptr), E_POINTER},
        {"SetParam 18", params->SetParam(18, 0.5f), E_INVALIDARG},
        {"AddEnvelope 18", params->AddEnvelope(18, 1, &segment), E_INVALIDARG},
        {"AddEnvelope null", params->AddEnvelope(0, 1, nullptr), E_POINTER},
        {"AddEnvelope none", params->AddEnvelope(5, 0, nullptr), S_OK},
        {"FlushEnvelope 18", params->FlushEnvelope(18, 0, 1), E_INVALIDARG},
        {"FlushEnvelope 10..5", params->FlushEnvelope(DWORD_ALL, 10, 5), E_INVALIDARG},
        {"SetTimeFormat", params->SetTimeFormat(GUID_NULL, 0), E_INVALIDARG},
        {"GetParamCount", info->GetParamCount(nullptr), E_POINTER},
        {"GetParamInfo 18", info->GetParamInfo(18, &paramInfo), E_INVALIDARG},
        {"GetParamInfo null", info->GetParamInfo(0, nullptr), E_POINTER},
        {"GetParamText 18", info->GetParamText(18, &text), E_INVALIDARG},
        {"GetParamText null", info->GetParamText(0, nullptr), E_POINTER},
        {"GetNumTimeFormats", info->GetNumTimeFormats(nullptr), E_POINTER},
        {"GetSupportedTimeFormat null", info->GetSupportedTimeFormat(0, nullptr), E_POINTER},
        {"GetSupportedTimeFormat 1", info->GetSupportedTimeFormat(1, &guid), E_INVALIDARG},
        {"GetCurrentTimeFormat", info->GetCurrentTimeFormat(nullptr, nullptr), E_POINTER},
        {"ParamsBeginCapture null", relay->ParamsBeginCapture(nullptr, 1), E_POINTER},
        {"ParamsBeginCapture 18", relay->ParamsBeginCapture(&index, 1), E_INVALIDARG},
        {"ParamsChanged null", relay->ParamsChanged(&valid, 1, nullptr), E_POINTER},
        {"ParamsChanged 18", relay->ParamsChanged(&index, 1, &value), E_INVALIDARG},
        {"ParamsEndCapture 18", relay->ParamsEndCapture(&index, 1), E_INVALIDARG},
    };
    for (const auto& c : kCases) EXPECT_EQ(c.expected, c.result) << c.call;
    EXPECT_EQ(0, engine->GetClipLeft(4)) << "no counter there";
    engine->GetMeters(nullptr);

    // Every parameter's getter (and the switches') refuses a null pointer.
    using Getter = HRESULT (STDMETHODCALLTYPE IHqPlugInProp::*)(int*);
    for (Getter get : {&IHqPlugInProp::GetInput,      &IHqPlugInProp::GetLowCut,
                       &IHqPlugInProp::GetHighCut,    &IHqPlugInProp::GetPredelay,
                       &IHqPlugInProp::GetRoomSize,   &IHqPlugInProp::GetDiffusion,
                       &IHqPlugInProp::GetBassMult,   &IHqPlugInProp::GetCrossover,
                       &IHqPlugInProp::GetDecay,      &IHqPlugInProp::GetHighDamping,
                       &IHqPlugInProp::GetDry,        &IHqPlugInProp::GetER,
                       &IHqPlugInProp::GetReverb,     &IHqPlugInProp::GetInputMute,
                       &IHqPlugInProp::GetDryMute,    &IHqPlugInProp::GetERMute,
                       &IHqPlugInProp::GetReverbMute, &IHqPlugInProp::GetWidth,
                       &IHqPlugInProp::GetTail,       &IHqPlugInProp::GetStereo}) {
        EXPECT_EQ(E_POINTER, (engine.Get()->*get)(nullptr));
    }
    // Nothing was changed by the refusals.
    EXPECT_EQ(0, engine->GetSetup());
    SetupBlock block;
    ASSERT_EQ(S_OK, engine->GetAllParams(&block));
    EXPECT_EQ(0, std::memcmp(&block, &kDefaultSetup, 19 * sizeof(std::int32_t)));
    EXPECT_EQ(1, block.words[19]);
}

TEST_F(Interfaces, PersistenceAndPresetsReachTheEngine) {
    auto persist = Query<IPersistStream>(filter_.Get(), IID_IPersistStream);
    auto presets = Query<IStaticFilterPreset>(filter_.Get(), IID_IStaticFilterPreset);
    auto engine = Query<IHqPlugInProp>(filter_.Get(), IID_IHqPlugInProp);
    auto pages = Query<ISpecifyPropertyPages>(filter_.Get(), IID_ISpecifyPropertyPages);
    CAUUID list = {};
    ASSERT_EQ(S_OK, pages->GetPages(&list));
    ASSERT_EQ(1u, list.cElems);
    EXPECT_EQ(L"{9D4C7A12-58E3-4B06-A1F7-2E8B6C03D5A9}", GuidText(list.pElems[0]));
    CoTaskMemFree(list.pElems);
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(CLSID_HqPlugIn, clsid));
    ULARGE_INTEGER size = {};
    EXPECT_EQ(S_OK, persist->GetSizeMax(&size));
    EXPECT_EQ(100u, size.QuadPart);

    ASSERT_EQ(S_OK, engine->SetDecay(40, FALSE));
    ASSERT_EQ(S_OK, engine->SetTail(1, FALSE));
    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    ASSERT_EQ(S_OK, engine->SetDecay(90, FALSE));
    ASSERT_EQ(S_OK, engine->SetTail(0, FALSE));
    EXPECT_EQ(S_OK, persist->IsDirty());
    const LARGE_INTEGER zero = {};
    ASSERT_EQ(S_OK, stream->Seek(zero, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(S_OK, persist->Load(stream.Get()));
    int decay = 0, tail = 0;
    EXPECT_EQ(S_OK, engine->GetDecay(&decay));
    EXPECT_EQ(S_OK, engine->GetTail(&tail));
    EXPECT_EQ(40, decay);
    EXPECT_EQ(1, tail);

    // A stream that is no saved state changes nothing.
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    const BYTE junk[100] = {100};
    ASSERT_EQ(S_OK, stream->Write(junk, sizeof junk, nullptr));
    ASSERT_EQ(S_OK, stream->Seek(zero, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(E_FAIL, persist->Load(stream.Get()));
    EXPECT_EQ(S_OK, engine->GetDecay(&decay));
    EXPECT_EQ(40, decay);

    DWORD count = 0;
    EXPECT_EQ(S_OK, presets->GetPresetCount(&count));
    EXPECT_EQ(2u, count);
    const WCHAR* const kNames[] = {L"(Default)", L"[1] Default Reverb"};
    for (DWORD index = 0; index < 2; ++index) {
        WCHAR name[64] = {};
        EXPECT_EQ(S_OK, presets->GetPresetName(index, name, 64));
        EXPECT_STREQ(kNames[index], name);
    }
    EXPECT_EQ(S_OK, presets->ApplyPreset(1));
    EXPECT_EQ(S_OK, engine->GetDecay(&decay));
    EXPECT_EQ(15, decay);
    EXPECT_EQ(5u, RefCount(filter_.Get())) << "four interfaces held";
}

}  // namespace
