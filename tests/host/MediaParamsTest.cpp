// The automation object through its COM interfaces, in lifecycle order: creation, identity and
// reference counts, parameter info and text, time formats, values, envelopes (one index and
// DWORD_ALL), the position clock, and the capture relay to a host's callback.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

// Labelled calls, made in order, and the result each must give.
struct Call {
    const char* name;
    HRESULT expected, actual;
};
void ExpectCalls(std::initializer_list<Call> calls) {
    for (const Call& c : calls) EXPECT_EQ(c.expected, c.actual) << c.name;
}

MP_ENVELOPE_SEGMENT Linear(REFERENCE_TIME start, REFERENCE_TIME end, float from, float to) {
    return MP_ENVELOPE_SEGMENT{start, end, from, to, MP_CURVE_LINEAR, 0};
}

// A fresh automation object owned by an engine without automation of its own, and a host's
// callback.
class MediaParams : public ::testing::Test {
protected:
    void SetUp() override {
        IEngineAutomation* made = nullptr;
        ASSERT_EQ(S_OK, CMediaParams::Create(&made, owner.Get()));
        params = static_cast<CMediaParams*>(made);
        FakeAutomation::Create(&made, nullptr);
        host = FakeAutomation::Last();
    }
    void TearDown() override {
        EXPECT_EQ(0u, params->Release());
        EXPECT_EQ(0u, host->Release());
    }
    MP_DATA Value(DWORD index) {
        MP_DATA value = -1.0f;
        EXPECT_EQ(S_OK, params->GetParam(index, &value));
        return value;
    }

    EngineHarness owner;
    CMediaParams* params = nullptr;
    FakeAutomation* host = nullptr;
};

TEST_F(MediaParams, CreationIdentityAndReferenceCounts) {
    IEngineAutomation* made = reinterpret_cast<IEngineAutomation*>(0x1);
    void *unknown = nullptr, *engine = nullptr, *other = reinterpret_cast<void*>(0x1);
    // Everything but IUnknown is the owner's: the engine interface is its, the automation
    // interfaces are not in a bare engine's map.
    ExpectCalls(
        {{"Create(null)", E_POINTER, CMediaParams::Create(nullptr, owner.Get())},
         {"Create(no owner)", E_POINTER, CMediaParams::Create(&made, nullptr)},
         {"QueryInterface(null)", E_POINTER, params->QueryInterface(IID_IUnknown, nullptr)},
         {"IUnknown", S_OK, params->QueryInterface(IID_IUnknown, &unknown)},
         {"engine", S_OK, params->QueryInterface(IID_IHqPlugInProp, &engine)},
         {"IMediaParams", E_NOINTERFACE, params->QueryInterface(IID_IMediaParams, &other)}});
    EXPECT_EQ(nullptr, made);
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(static_cast<IMediaParams*>(params), unknown);
    EXPECT_EQ(static_cast<IHqPlugInProp*>(owner.Get()), engine);
    EXPECT_EQ(std::pair(ULONG{1}, ULONG{1}), std::pair(owner->Release(), params->Release()));
    // All four interfaces share the one count.
    IMediaParamInfo* info = params;
    IMediaParamsSetUICallback* setter = params;
    IMediaParamsUICallback* relay = params->CaptureRelay();
    EXPECT_EQ(static_cast<IMediaParamsUICallback*>(params), relay);
    EXPECT_EQ(
        (std::vector<ULONG>{2, 3, 2, 1}),
        (std::vector<ULONG>{info->AddRef(), setter->AddRef(), relay->Release(), info->Release()}));
}

TEST_F(MediaParams, PublishesEighteenParametersAndReferenceTime) {
    DWORD count = 0, formats = 0, data = 0xDEAD;
    MP_PARAMINFO info;
    WCHAR* text = nullptr;
    GUID supported = IID_IUnknown, current = IID_IUnknown;
    ExpectCalls({
        {"GetParamCount(null)", E_POINTER, params->GetParamCount(nullptr)},
        {"GetParamCount", S_OK, params->GetParamCount(&count)},
        {"GetParamInfo(18)", E_INVALIDARG, params->GetParamInfo(18, &info)},
        {"GetParamInfo(all)", E_INVALIDARG, params->GetParamInfo(DWORD_ALL, &info)},
        {"GetParamInfo(null)", E_POINTER, params->GetParamInfo(0, nullptr)},
        {"GetParamText(18)", E_INVALIDARG, params->GetParamText(18, &text)},
        {"GetParamText(null)", E_POINTER, params->GetParamText(0, nullptr)},
        {"GetNumTimeFormats(null)", E_POINTER, params->GetNumTimeFormats(nullptr)},
        {"GetNumTimeFormats", S_OK, params->GetNumTimeFormats(&formats)},
        {"GetSupportedTimeFormat(null)", E_POINTER, params->GetSupportedTimeFormat(0, nullptr)},
        {"GetSupportedTimeFormat(1)", E_INVALIDARG, params->GetSupportedTimeFormat(1, &supported)},
        {"GetSupportedTimeFormat(0)", S_OK, params->GetSupportedTimeFormat(0, &supported)},
        {"GetCurrentTimeFormat(null)", E_POINTER, params->GetCurrentTimeFormat(nullptr, &data)},
        {"GetCurrentTimeFormat", S_OK, params->GetCurrentTimeFormat(&current, &data)},
        {"SetTimeFormat(reference)", S_OK, params->SetTimeFormat(GUID_TIME_REFERENCE, 0)},
        {"SetTimeFormat(other)", E_INVALIDARG, params->SetTimeFormat(IID_IUnknown, 0)},
    });
    EXPECT_EQ(std::pair(DWORD{18}, DWORD{1}), std::pair(count, formats));
    const GUID reference = {
        0x93AD712B, 0xDAA0, 0x4FFE, {0xBC, 0x81, 0xB0, 0xCE, 0x50, 0x0F, 0xCD, 0xD9}};
    EXPECT_TRUE(IsEqualGUID(reference, GUID_TIME_REFERENCE));
    EXPECT_TRUE(IsEqualGUID(reference, supported) && IsEqualGUID(reference, current));
    EXPECT_EQ(0xDEADu, data);
    for (DWORD i = 0; i < 18; ++i) {
        std::memset(&info, 0xAB, sizeof info);
        ASSERT_EQ(S_OK, params->GetParamInfo(i, &info));
        EXPECT_EQ(0, std::memcmp(&kParamRecords[i].info, &info, sizeof info)) << i;
    }
    // Label, NUL, the (empty) unit, NUL, and a final NUL.
    for (auto [index, label] : {std::pair{0u, "Input"}, {16u, "E.R. Mute"}}) {
        ASSERT_EQ(S_OK, params->GetParamText(index, &text));
        const std::size_t n = std::strlen(label);
        EXPECT_EQ(std::basic_string<WCHAR>(label, label + n) + std::basic_string<WCHAR>(3, 0),
                  std::basic_string<WCHAR>(text, text + n + 3));
        CoTaskMemFree(text);
    }
}

TEST_F(MediaParams, ValuesStartNeutralAndSettingOneMarksTheObjectChanged) {
    for (DWORD i = 0; i < 18; ++i) EXPECT_EQ(kParamRecords[i].info.mpdNeutralValue, Value(i)) << i;
    MP_DATA value = 0.0f;
    ExpectCalls({
        {"GetParam(18)", E_INVALIDARG, params->GetParam(18, &value)},
        {"GetParam(null)", E_POINTER, params->GetParam(0, nullptr)},
        {"SetParam(18)", E_INVALIDARG, params->SetParam(18, 0.5f)},
        {"SetParam(all)", E_INVALIDARG, params->SetParam(DWORD_ALL, 0.5f)},
        {"nothing changed", S_FALSE, params->TestAndClearChanged()},
        {"SetParam(3)", S_OK, params->SetParam(3, 0.25f)},
        {"changed", S_OK, params->TestAndClearChanged()},
        {"cleared", S_FALSE, params->TestAndClearChanged()},
        {"MarkChanged", S_OK, params->MarkChanged()},
        {"marked", S_OK, params->TestAndClearChanged()},
        {"SetParam(switch)", S_OK, params->SetParam(14, 0.7f)},
    });
    EXPECT_EQ(std::pair(0.25f, 1.0f), std::pair(Value(3), Value(14)));  // a switch holds 0 or 1
}

TEST_F(MediaParams, EnvelopesAreCheckedSnappedAtTheRateFlushedAndEvaluatedByTheClock) {
    MP_ENVELOPE_SEGMENT s = Linear(1000100, 2000050, 0.0f, 1.0f);
    params->SetSampleRate(48000);
    params->SetSampleRate(0);  // ignored
    ExpectCalls({
        {"clock, no segments", S_FALSE, params->UpdateToSamplePosition(44100)},
        {"AddEnvelope(none)", S_OK, params->AddEnvelope(5, 0, nullptr)},
        {"AddEnvelope(18)", E_INVALIDARG, params->AddEnvelope(18, 1, &s)},
        {"AddEnvelope(18, none)", E_INVALIDARG, params->AddEnvelope(18, 0, nullptr)},
        {"AddEnvelope(null)", E_POINTER, params->AddEnvelope(5, 1, nullptr)},
        {"AddEnvelope", S_OK, params->AddEnvelope(5, 1, &s)},
        {"FlushEnvelope(10, 5)", E_INVALIDARG, params->FlushEnvelope(DWORD_ALL, 10, 5)},
        {"FlushEnvelope(18)", E_INVALIDARG, params->FlushEnvelope(18, 0, kSecond)},
        {"FlushEnvelope(5, 5)", S_OK, params->FlushEnvelope(DWORD_ALL, 5, 5)},
    });
    EXPECT_EQ(std::pair(REFERENCE_TIME{1000000}, REFERENCE_TIME{2000000}),
              std::pair(s.rtStart, s.rtEnd));
    EXPECT_EQ(0, params->Envelope(5).LastTime());
    EXPECT_EQ(std::pair(std::size_t{1}, std::size_t{0}),
              std::pair(params->Envelope(5).SegmentCount(), params->Envelope(4).SegmentCount()));
    EXPECT_EQ(S_OK, params->FlushEnvelope(5, kSecond / 10, kSecond / 5));
    EXPECT_EQ(0u, params->Envelope(5).SegmentCount());

    s = Linear(0, 2 * kSecond, 0.0f, 1.0f);
    params->SetSampleRate(44100);
    params->AddEnvelope(8, 1, &s);
    for (auto [rate, frame, time, expected] :
         {std::tuple{44100, 44100, kSecond, 0.5f},
          {48000, 72000, 15000000, 0.75f},
          {48000, 1, 208, 208 / 2e7f}}) {  // frame 1 at 48 kHz is 208.33 units: rounded
        params->SetSampleRate(rate);
        EXPECT_EQ(S_OK, params->UpdateToSamplePosition(frame));
        EXPECT_EQ(time, params->Envelope(8).LastTime());
        EXPECT_FLOAT_EQ(expected, Value(8));
    }
    // The clock does not mark the object changed (see UpdateToSamplePosition).
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
}

TEST_F(MediaParams, AllParametersAtOnceStopAtTheFirstFailure) {
    params->SetSampleRate(48000);
    MP_ENVELOPE_SEGMENT s[2] = {Linear(1000100, 2000050, 0.0f, 1.0f),
                                Linear(3000100, 4000000, 1.0f, 0.0f)};
    ASSERT_EQ(S_OK, params->AddEnvelope(DWORD_ALL, 2, s));
    EXPECT_EQ(std::pair(REFERENCE_TIME{1000000}, REFERENCE_TIME{3000000}),
              std::pair(s[0].rtStart, s[1].rtStart));
    // Every envelope snapped the caller's own times, not the ones written back.
    for (DWORD i = 0; i < 18; ++i) {
        EXPECT_EQ(0, std::memcmp(s, params->Envelope(i).Segments().data(), sizeof s)) << i;
    }
    // Envelope 3 cannot grow: 0 to 2 take the new segment, 3 and later do not.
    params->Envelope(3).SetSegmentLimit(2);
    MP_ENVELOPE_SEGMENT later = Linear(5000100, 6000000, 0.5f, 0.5f);
    EXPECT_EQ(E_OUTOFMEMORY, params->AddEnvelope(DWORD_ALL, 1, &later));
    for (DWORD i = 0; i < 18; ++i) {
        EXPECT_EQ(i < 3 ? 3u : 2u, params->Envelope(i).SegmentCount()) << i;
    }
    EXPECT_EQ(5000000, later.rtStart);  // taken by some, so written back
    params->Envelope(0).SetSegmentLimit(0);
    MP_ENVELOPE_SEGMENT refused = Linear(7000100, 8000000, 0.5f, 0.5f);
    EXPECT_EQ(E_OUTOFMEMORY, params->AddEnvelope(DWORD_ALL, 1, &refused));
    EXPECT_EQ(7000100, refused.rtStart);  // taken by none
    EXPECT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, std::numeric_limits<REFERENCE_TIME>::min(),
                                          std::numeric_limits<REFERENCE_TIME>::max()));
    for (DWORD i = 0; i < 18; ++i) EXPECT_EQ(0u, params->Envelope(i).SegmentCount()) << i;
}

TEST_F(MediaParams, GesturesReachTheHostsCallbackWithTheSameIndexesAndValues) {
    DWORD indexes[2] = {8, 3}, bad[2] = {2, 18};
    MP_DATA values[2] = {0.9f, 0.2f}, two[2] = {0.125f, 0.5f};
    IEngineAutomation* made = nullptr;
    FakeAutomation::Create(&made, nullptr);
    FakeAutomation* other = FakeAutomation::Last();  // replaced by `host`
    ExpectCalls({
        // Without a callback the relay answers for itself.
        {"Begin alone", S_OK, params->ParamsBeginCapture(indexes, 1)},
        {"Changed alone", S_OK, params->ParamsChanged(indexes, 1, values)},
        {"End alone", S_OK, params->ParamsEndCapture(indexes, 1)},
        {"SetUICallback", S_OK, params->SetUICallback(other)},
        {"replaced", S_OK, params->SetUICallback(host)},
    });
    EXPECT_EQ(std::pair(ULONG{1}, ULONG{2}), std::pair(other->References(), host->References()));
    other->Release();
    host->answer = S_FALSE;  // the host's answer is passed back
    EXPECT_EQ(S_FALSE, params->ParamsBeginCapture(indexes, 2));
    EXPECT_TRUE(params->Envelope(8).Captured() && params->Envelope(3).Captured());
    EXPECT_EQ(S_FALSE, params->ParamsChanged(indexes, 2, values));
    EXPECT_EQ(S_FALSE, params->ParamsEndCapture(indexes, 2));
    EXPECT_EQ(S_FALSE, params->ParamsChanged(indexes, 0, values));  // forwarded, even empty
    EXPECT_FALSE(params->Envelope(8).Captured() || params->Envelope(3).Captured());
    EXPECT_EQ((std::vector<std::string>{"Begin 8", "Begin 3", "Changed 8 0.9", "Changed 3 0.2",
                                        "End 8", "End 3"}),
              host->TakeLog());
    EXPECT_EQ(0.9f, Value(8));

    // Indexes the engine never passes are refused whole: nothing marked, nothing forwarded;
    // the values before the bad one are set.
    EXPECT_EQ(E_INVALIDARG, params->ParamsBeginCapture(bad, 2));
    EXPECT_FALSE(params->Envelope(2).Captured());
    ExpectCalls({
        {"End(18)", E_INVALIDARG, params->ParamsEndCapture(bad, 2)},
        {"Changed(18)", E_INVALIDARG, params->ParamsChanged(bad, 2, two)},
        {"Begin(null)", E_POINTER, params->ParamsBeginCapture(nullptr, 1)},
        {"Changed(null)", E_POINTER, params->ParamsChanged(indexes, 1, nullptr)},
    });
    EXPECT_EQ(0.125f, Value(2));
    EXPECT_TRUE(host->TakeLog().empty());
    // Clearing the callback releases it.
    params->SetUICallback(nullptr);
    EXPECT_EQ(1u, host->References());
    EXPECT_EQ(S_OK, params->ParamsBeginCapture(indexes, 1));
    EXPECT_TRUE(host->TakeLog().empty());
}

}  // namespace
