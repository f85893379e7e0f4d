// The automation object through its COM interfaces, in lifecycle order: creation, identity and
// reference counts, parameter info and text, time formats, values, envelopes (one index and
// DWORD_ALL), the position clock, and the capture relay to a host's callback.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "engine/StandaloneReverb.h"
#include "host/MediaParams.h"
#include "tests/host/HostDoubles.h"
#include "tests/support/EngineHarness.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;
using Log = std::vector<std::string>;

MP_ENVELOPE_SEGMENT Segment(REFERENCE_TIME start, REFERENCE_TIME end, float from, float to) {
    return MP_ENVELOPE_SEGMENT{start, end, from, to, MP_CURVE_LINEAR, 0};
}

// An owner as the filter will be: its interface map hands out the automation interfaces.
class FilterLikeOwner : public CStandaloneReverb {
public:
    explicit FilterLikeOwner(HRESULT* status) : CStandaloneReverb(status, &CMediaParams::Create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        auto* automation = static_cast<CMediaParams*>(Automation());
        if (IsEqualGUID(riid, IID_IMediaParams)) {
            *ppv = static_cast<IMediaParams*>(automation);
        } else if (IsEqualGUID(riid, IID_IMediaParamInfo)) {
            *ppv = static_cast<IMediaParamInfo*>(automation);
        } else {
            return CStandaloneReverb::QueryInterface(riid, ppv);
        }
        automation->AddRef();
        return S_OK;
    }
};

// A fresh automation object owned by an engine without automation of its own.
class MediaParams : public ::testing::Test {
protected:
    void SetUp() override {
        HRESULT status = S_OK;
        owner = new CStandaloneReverb(&status);
        IEngineAutomation* made = nullptr;
        ASSERT_EQ(S_OK, CMediaParams::Create(&made, owner));
        params = static_cast<CMediaParams*>(made);
    }
    void TearDown() override {
        if (params != nullptr) {
            EXPECT_EQ(0u, params->Release());
        }
        owner->Release();
    }

    CStandaloneReverb* owner = nullptr;
    CMediaParams* params = nullptr;
};

TEST(MediaParamsCreation, NeedsBothPointers) {
    HRESULT status = S_OK;
    auto* owner = new CStandaloneReverb(&status);
    IEngineAutomation* made = reinterpret_cast<IEngineAutomation*>(0x1);
    EXPECT_EQ(E_POINTER, CMediaParams::Create(nullptr, owner));
    EXPECT_EQ(E_POINTER, CMediaParams::Create(&made, nullptr));
    EXPECT_EQ(nullptr, made);
    owner->Release();
}

TEST_F(MediaParams, CountsItsOwnReferencesAndDefersToItsOwner) {
    EXPECT_EQ(2u, params->AddRef());
    EXPECT_EQ(1u, params->Release());

    void* unknown = nullptr;
    EXPECT_EQ(E_POINTER, params->QueryInterface(IID_IUnknown, nullptr));
    ASSERT_EQ(S_OK, params->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(static_cast<IMediaParams*>(params), unknown);
    EXPECT_EQ(1u, params->Release());

    // Everything else is the owner's: the engine interface is its, the automation
    // interfaces are not in a bare engine's map.
    void* engine = nullptr;
    ASSERT_EQ(S_OK, params->QueryInterface(IID_IHqPlugInProp, &engine));
    EXPECT_EQ(static_cast<IHqPlugInProp*>(owner), engine);
    EXPECT_EQ(1u, owner->Release());
    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, params->QueryInterface(IID_IMediaParams, &other));
    EXPECT_EQ(nullptr, other);

    // All four interfaces share the one count.
    IMediaParamInfo* info = params;
    IMediaParamsSetUICallback* setter = params;
    IMediaParamsUICallback* relay = params->CaptureRelay();
    EXPECT_EQ(static_cast<IMediaParamsUICallback*>(params), relay);
    EXPECT_EQ(2u, info->AddRef());
    EXPECT_EQ(3u, setter->AddRef());
    EXPECT_EQ(2u, relay->Release());
    EXPECT_EQ(1u, info->Release());
}

TEST(MediaParamsIdentity, AFilterLikeOwnerLeadsEveryInterfaceBackToItsMap) {
    HRESULT status = S_OK;
    auto* filter = new FilterLikeOwner(&status);
    ASSERT_EQ(S_OK, status);
    IMediaParams* params = nullptr;
    ASSERT_EQ(S_OK, filter->QueryInterface(IID_IMediaParams, reinterpret_cast<void**>(&params)));
    IMediaParamInfo* info = nullptr;
    ASSERT_EQ(S_OK, params->QueryInterface(IID_IMediaParamInfo, reinterpret_cast<void**>(&info)));
    EXPECT_EQ(static_cast<IMediaParamInfo*>(static_cast<CMediaParams*>(filter->Automation())),
              info);
    IHqPlugInProp* engine = nullptr;
    ASSERT_EQ(S_OK, info->QueryInterface(IID_IHqPlugInProp, reinterpret_cast<void**>(&engine)));
    EXPECT_EQ(static_cast<IHqPlugInProp*>(filter), engine);
    engine->Release();
    info->Release();
    params->Release();
    EXPECT_EQ(0u, filter->Release());
}

TEST_F(MediaParams, PublishesEighteenParameters) {
    DWORD count = 0;
    EXPECT_EQ(E_POINTER, params->GetParamCount(nullptr));
    EXPECT_EQ(S_OK, params->GetParamCount(&count));
    EXPECT_EQ(18u, count);

    MP_PARAMINFO info;
    EXPECT_EQ(E_INVALIDARG, params->GetParamInfo(18, &info));
    EXPECT_EQ(E_INVALIDARG, params->GetParamInfo(DWORD_ALL, &info));
    EXPECT_EQ(E_POINTER, params->GetParamInfo(0, nullptr));
    for (DWORD i = 0; i < 18; ++i) {
        SCOPED_TRACE(i);
        std::memset(&info, 0xAB, sizeof info);
        ASSERT_EQ(S_OK, params->GetParamInfo(i, &info));
        EXPECT_EQ(0, std::memcmp(&kParamRecords[i].info, &info, sizeof info));
    }
    params->GetParamInfo(8, &info);
    const WCHAR decay[] = {'D', 'e', 'c', 'a', 'y', 0};
    EXPECT_EQ(0, std::memcmp(decay, info.szLabel, sizeof decay));
    EXPECT_EQ(MPT_FLOAT, info.mpType);
    EXPECT_FLOAT_EQ(0.07035176f, info.mpdNeutralValue);
    params->GetParamInfo(17, &info);
    EXPECT_EQ(MPT_BOOL, info.mpType);
}

TEST_F(MediaParams, ParameterTextIsLabelUnitAndAFinalNul) {
    WCHAR* text = reinterpret_cast<WCHAR*>(0x1);
    EXPECT_EQ(E_INVALIDARG, params->GetParamText(18, &text));
    EXPECT_EQ(E_POINTER, params->GetParamText(0, nullptr));
    ASSERT_EQ(S_OK, params->GetParamText(0, &text));
    const WCHAR input[] = {'I', 'n', 'p', 'u', 't', 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(input, text, sizeof input));
    CoTaskMemFree(text);

    ASSERT_EQ(S_OK, params->GetParamText(16, &text));
    const WCHAR erMute[] = {'E', '.', 'R', '.', ' ', 'M', 'u', 't', 'e', 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(erMute, text, sizeof erMute));
    CoTaskMemFree(text);
}

TEST_F(MediaParams, ReferenceTimeIsTheOnlyTimeFormat) {
    const GUID reference = {
        0x93AD712B, 0xDAA0, 0x4FFE, {0xBC, 0x81, 0xB0, 0xCE, 0x50, 0x0F, 0xCD, 0xD9}};
    EXPECT_TRUE(IsEqualGUID(reference, GUID_TIME_REFERENCE));
    EXPECT_EQ(0xFFFFFFFFu, DWORD_ALL);

    DWORD count = 0;
    EXPECT_EQ(E_POINTER, params->GetNumTimeFormats(nullptr));
    EXPECT_EQ(S_OK, params->GetNumTimeFormats(&count));
    EXPECT_EQ(1u, count);
    GUID format = IID_IUnknown;
    EXPECT_EQ(E_POINTER, params->GetSupportedTimeFormat(0, nullptr));
    EXPECT_EQ(E_INVALIDARG, params->GetSupportedTimeFormat(1, &format));
    EXPECT_EQ(S_OK, params->GetSupportedTimeFormat(0, &format));
    EXPECT_TRUE(IsEqualGUID(reference, format));

    format = IID_IUnknown;
    DWORD data = 0xDEAD;
    EXPECT_EQ(E_POINTER, params->GetCurrentTimeFormat(nullptr, &data));
    EXPECT_EQ(S_OK, params->GetCurrentTimeFormat(&format, &data));
    EXPECT_TRUE(IsEqualGUID(reference, format));
    EXPECT_EQ(0xDEADu, data);

    EXPECT_EQ(S_OK, params->SetTimeFormat(GUID_TIME_REFERENCE, 0));
    EXPECT_EQ(E_INVALIDARG, params->SetTimeFormat(IID_IUnknown, 0));
}

TEST_F(MediaParams, ValuesStartNeutralAndSettingOneMarksTheObjectChanged) {
    for (DWORD i = 0; i < 18; ++i) {
        MP_DATA value = -1.0f;
        ASSERT_EQ(S_OK, params->GetParam(i, &value));
        EXPECT_EQ(kParamRecords[i].info.mpdNeutralValue, value) << i;
    }
    MP_DATA value = 0.0f;
    EXPECT_EQ(E_INVALIDARG, params->GetParam(18, &value));
    EXPECT_EQ(E_POINTER, params->GetParam(0, nullptr));
    EXPECT_EQ(E_INVALIDARG, params->SetParam(18, 0.5f));
    EXPECT_EQ(E_INVALIDARG, params->SetParam(DWORD_ALL, 0.5f));

    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
    EXPECT_EQ(S_OK, params->SetParam(3, 0.25f));
    params->GetParam(3, &value);
    EXPECT_EQ(0.25f, value);
    EXPECT_EQ(S_OK, params->TestAndClearChanged());
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
    EXPECT_EQ(S_OK, params->MarkChanged());
    EXPECT_EQ(S_OK, params->TestAndClearChanged());

    params->SetParam(14, 0.7f);  // a switch holds 0 or 1
    params->GetParam(14, &value);
    EXPECT_EQ(1.0f, value);
}

TEST_F(MediaParams, AddEnvelopeChecksItsArgumentsAndSnapsAtTheSampleRate) {
    MP_ENVELOPE_SEGMENT s = Segment(1000100, 2000050, 0.0f, 1.0f);
    EXPECT_EQ(S_OK, params->AddEnvelope(5, 0, nullptr));
    EXPECT_EQ(0u, params->Envelope(5).SegmentCount());
    EXPECT_EQ(E_INVALIDARG, params->AddEnvelope(18, 1, &s));
    EXPECT_EQ(E_INVALIDARG, params->AddEnvelope(18, 0, nullptr));
    EXPECT_EQ(E_POINTER, params->AddEnvelope(5, 1, nullptr));
    EXPECT_EQ(1000100, s.rtStart);

    EXPECT_EQ(44100, params->SampleRate());
    params->SetSampleRate(48000);
    params->SetSampleRate(0);  // ignored
    EXPECT_EQ(48000, params->SampleRate());
    ASSERT_EQ(S_OK, params->AddEnvelope(5, 1, &s));
    EXPECT_EQ(1000000, s.rtStart);
    EXPECT_EQ(2000000, s.rtEnd);
    EXPECT_EQ(1u, params->Envelope(5).SegmentCount());
    EXPECT_EQ(0u, params->Envelope(4).SegmentCount());
}

TEST_F(MediaParams, AllParametersAtOnceStopAtTheFirstFailure) {
    params->SetSampleRate(48000);
    MP_ENVELOPE_SEGMENT s[2] = {Segment(1000100, 2000050, 0.0f, 1.0f),
                                Segment(3000100, 4000000, 1.0f, 0.0f)};
    ASSERT_EQ(S_OK, params->AddEnvelope(DWORD_ALL, 2, s));
    for (DWORD i = 0; i < 18; ++i) {
        const auto held = params->Envelope(i).Segments();
        ASSERT_EQ(2u, held.size()) << i;
        // Every envelope snapped the caller's own times, not the ones written back.
        EXPECT_EQ(1000000, held[0].rtStart) << i;
        EXPECT_EQ(3000000, held[1].rtStart) << i;
    }
    EXPECT_EQ(1000000, s[0].rtStart);
    EXPECT_EQ(3000000, s[1].rtStart);

    // Envelope 3 cannot grow: 0 to 2 take the new segment, 3 and later do not.
    params->Envelope(3).SetSegmentLimit(2);
    MP_ENVELOPE_SEGMENT later = Segment(5000100, 6000000, 0.5f, 0.5f);
    EXPECT_EQ(E_OUTOFMEMORY, params->AddEnvelope(DWORD_ALL, 1, &later));
    for (DWORD i = 0; i < 18; ++i) {
        EXPECT_EQ(i < 3 ? 3u : 2u, params->Envelope(i).SegmentCount()) << i;
    }
    EXPECT_EQ(5000000, later.rtStart);  // taken by some, so written back
    params->Envelope(0).SetSegmentLimit(0);
    MP_ENVELOPE_SEGMENT refused = Segment(7000100, 8000000, 0.5f, 0.5f);
    EXPECT_EQ(E_OUTOFMEMORY, params->AddEnvelope(DWORD_ALL, 1, &refused));
    EXPECT_EQ(7000100, refused.rtStart);  // taken by none
}

TEST_F(MediaParams, FlushChecksItsRangeAndReachesOneOrAllEnvelopes) {
    MP_ENVELOPE_SEGMENT s = Segment(kSecond, 2 * kSecond, 0.0f, 1.0f);
    params->AddEnvelope(DWORD_ALL, 1, &s);
    EXPECT_EQ(E_INVALIDARG, params->FlushEnvelope(DWORD_ALL, 10, 5));
    EXPECT_EQ(E_INVALIDARG, params->FlushEnvelope(18, 0, kSecond));
    EXPECT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, 5, 5));
    EXPECT_EQ(1u, params->Envelope(0).SegmentCount());
    EXPECT_EQ(S_OK, params->FlushEnvelope(7, kSecond, 2 * kSecond));
    EXPECT_EQ(0u, params->Envelope(7).SegmentCount());
    EXPECT_EQ(1u, params->Envelope(8).SegmentCount());
    EXPECT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, std::numeric_limits<REFERENCE_TIME>::min(),
                                          std::numeric_limits<REFERENCE_TIME>::max()));
    for (DWORD i = 0; i < 18; ++i) EXPECT_EQ(0u, params->Envelope(i).SegmentCount()) << i;
}

TEST_F(MediaParams, TheSamplePositionClockEvaluatesEveryEnvelope) {
    // No segments anywhere: nothing to evaluate.
    EXPECT_EQ(S_FALSE, params->UpdateToSamplePosition(44100));
    EXPECT_EQ(0, params->Envelope(8).LastTime());

    MP_ENVELOPE_SEGMENT s = Segment(0, 2 * kSecond, 0.0f, 1.0f);
    params->AddEnvelope(8, 1, &s);
    EXPECT_EQ(S_OK, params->UpdateToSamplePosition(44100));
    EXPECT_EQ(kSecond, params->Envelope(8).LastTime());
    MP_DATA value = 0.0f;
    params->GetParam(8, &value);
    EXPECT_FLOAT_EQ(0.5f, value);
    // The update does not mark the object changed (see UpdateToSamplePosition).
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());

    params->SetSampleRate(48000);
    params->UpdateToSamplePosition(72000);
    EXPECT_EQ(15000000, params->Envelope(8).LastTime());
    params->GetParam(8, &value);
    EXPECT_FLOAT_EQ(0.75f, value);
    // Frame 1 at 48 kHz is 208.33 units: rounded to 208.
    params->UpdateToSamplePosition(1);
    EXPECT_EQ(208, params->Envelope(8).LastTime());
}

TEST_F(MediaParams, GesturesReachTheHostsCallbackWithTheSameIndexesAndValues) {
    DWORD indexes[2] = {8, 3};
    MP_DATA values[2] = {0.7f, 0.2f};
    // Without a callback the relay answers for itself.
    EXPECT_EQ(S_OK, params->ParamsBeginCapture(indexes, 1));
    EXPECT_TRUE(params->Envelope(8).Captured());
    EXPECT_EQ(S_OK, params->ParamsChanged(indexes, 2, values));
    EXPECT_EQ(S_OK, params->ParamsEndCapture(indexes, 1));
    EXPECT_FALSE(params->Envelope(8).Captured());

    RecordingCallback host;
    EXPECT_EQ(S_OK, params->SetUICallback(&host));
    EXPECT_EQ(1, host.References());
    host.answer = S_FALSE;  // the host's answer is passed back
    EXPECT_EQ(S_FALSE, params->ParamsBeginCapture(indexes, 2));
    EXPECT_TRUE(params->Envelope(3).Captured());
    values[0] = 0.9f;
    EXPECT_EQ(S_FALSE, params->ParamsChanged(indexes, 2, values));
    EXPECT_EQ(S_FALSE, params->ParamsEndCapture(indexes, 2));
    EXPECT_EQ((Log{"Begin 8", "Begin 3", "Changed 8 0.9", "Changed 3 0.2", "End 8", "End 3"}),
              host.TakeLog());
    MP_DATA value = 0.0f;
    params->GetParam(8, &value);
    EXPECT_EQ(0.9f, value);
    EXPECT_EQ(S_FALSE, params->ParamsChanged(indexes, 0, values));  // forwarded, even empty
    EXPECT_TRUE(host.TakeLog().empty());

    // Indexes the engine never passes are refused whole: nothing marked, nothing forwarded.
    DWORD bad[2] = {2, 18};
    EXPECT_EQ(E_INVALIDARG, params->ParamsBeginCapture(bad, 2));
    EXPECT_FALSE(params->Envelope(2).Captured());
    EXPECT_EQ(E_INVALIDARG, params->ParamsEndCapture(bad, 2));
    MP_DATA two[2] = {0.125f, 0.5f};
    EXPECT_EQ(E_INVALIDARG, params->ParamsChanged(bad, 2, two));
    params->GetParam(2, &value);
    EXPECT_EQ(0.125f, value);  // entries before the bad one are applied
    EXPECT_EQ(E_POINTER, params->ParamsBeginCapture(nullptr, 1));
    EXPECT_EQ(E_POINTER, params->ParamsChanged(indexes, 1, nullptr));
    EXPECT_TRUE(host.TakeLog().empty());

    // Replacing and clearing the callback balances its references.
    RecordingCallback other;
    params->SetUICallback(&other);
    EXPECT_EQ(0, host.References());
    EXPECT_EQ(1, other.References());
    params->SetUICallback(nullptr);
    EXPECT_EQ(0, other.References());
    EXPECT_EQ(S_OK, params->ParamsBeginCapture(indexes, 1));
    EXPECT_TRUE(other.TakeLog().empty());
}

TEST(MediaParamsRelay, TheEnginesGesturesReachTheHost) {
    EngineHarness engine(44100, 2, &CMediaParams::Create);
    auto* params = static_cast<CMediaParams*>(engine->Automation());
    ASSERT_NE(nullptr, params);
    RecordingCallback host;
    params->SetUICallback(&host);

    engine->SetDecay(100, TRUE);
    engine->SetDecay(120, TRUE);
    engine->SetRoomSize(100, TRUE);
    EXPECT_EQ((Log{"Begin 8", "Changed 8 0.497487", "Changed 8 0.59799", "End 8", "Begin 4",
                   "Changed 4 1"}),
              host.TakeLog());
    EXPECT_TRUE(params->Envelope(4).Captured());
    engine->EndCapture();
    EXPECT_EQ((Log{"End 4"}), host.TakeLog());
    EXPECT_FALSE(params->Envelope(4).Captured());
    MP_DATA value = 0.0f;
    params->GetParam(8, &value);
    EXPECT_EQ(PhysicalToNormalised(Param::kDecay, 120), value);

    // Without notification the value is still set, but the host hears nothing.
    engine->SetDecay(50, FALSE);
    EXPECT_TRUE(host.TakeLog().empty());
    params->GetParam(8, &value);
    EXPECT_EQ(PhysicalToNormalised(Param::kDecay, 50), value);
    params->SetUICallback(nullptr);
}

}  // namespace
