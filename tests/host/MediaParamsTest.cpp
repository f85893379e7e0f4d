// The automation object in lifecycle order: creation, parameter info, time formats, values,
// envelopes (one index and DWORD_ALL), the clock, and the relay to a host's callback. Identities
// and answers to bad pointers are checked through the plug-in, as a host meets them.
#include <gtest/gtest.h>

#include <cstring>

#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/FakeAutomation.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;

MP_ENVELOPE_SEGMENT Linear(REFERENCE_TIME start, REFERENCE_TIME end, float from, float to) {
    return MP_ENVELOPE_SEGMENT{start, end, from, to, MP_CURVE_LINEAR, 0};
}

// A fresh automation object of an engine without one, and a host's callback; both must go.
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

TEST_F(MediaParams, CreationInformationAndValues) {
    IEngineAutomation* made = reinterpret_cast<IEngineAutomation*>(0x1);
    EXPECT_EQ(E_POINTER, CMediaParams::Create(nullptr, owner.Get()));
    EXPECT_EQ(E_POINTER, CMediaParams::Create(&made, nullptr));
    EXPECT_EQ(nullptr, made);
    void* unknown = nullptr;  // IUnknown is its own, counted for the caller
    EXPECT_EQ(S_OK, params->QueryInterface(IID_IUnknown, &unknown));
    EXPECT_EQ(1u, params->Release());
    DWORD count = 0;
    EXPECT_EQ(S_OK, params->GetParamCount(&count));
    EXPECT_EQ(18u, count);
    // Reference time is the one time format.
    const GUID reference = {
        0x93AD712B, 0xDAA0, 0x4FFE, {0xBC, 0x81, 0xB0, 0xCE, 0x50, 0x0F, 0xCD, 0xD9}};
    GUID supported = IID_IUnknown;
    EXPECT_EQ(S_OK, params->GetSupportedTimeFormat(0, &supported));
    EXPECT_EQ(E_INVALIDARG, params->GetSupportedTimeFormat(1, &supported));
    EXPECT_EQ(S_OK, params->SetTimeFormat(GUID_TIME_REFERENCE, 0));
    EXPECT_EQ(E_INVALIDARG, params->SetTimeFormat(IID_IUnknown, 0));
    EXPECT_TRUE(IsEqualGUID(reference, GUID_TIME_REFERENCE) && IsEqualGUID(reference, supported));

    // A value set marks the object changed until the engine asks; a switch holds 0 or 1.
    EXPECT_EQ(E_INVALIDARG, params->SetParam(DWORD_ALL, 0.5f));
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
    EXPECT_EQ(S_OK, params->SetParam(3, 0.25f));
    EXPECT_EQ(S_OK, params->SetParam(14, 0.7f));
    EXPECT_EQ(S_OK, params->TestAndClearChanged());
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
    EXPECT_EQ(S_OK, params->MarkChanged());
    EXPECT_EQ(S_OK, params->TestAndClearChanged());
    EXPECT_EQ(std::pair(0.25f, 1.0f), std::pair(Value(3), Value(14)));
}

TEST_F(MediaParams, EnvelopesFollowTheClockAtTheRateAndAllAtOnceStopAtTheFirstFailure) {
    MP_ENVELOPE_SEGMENT ramp = Linear(0, 2 * kSecond, 0.0f, 1.0f);
    EXPECT_EQ(S_FALSE, params->UpdateToSamplePosition(44100));  // no segments
    EXPECT_EQ(S_OK, params->AddEnvelope(5, 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, params->AddEnvelope(18, 0, nullptr));
    EXPECT_EQ(E_INVALIDARG, params->FlushEnvelope(DWORD_ALL, 10, 5));
    EXPECT_EQ(S_OK, params->FlushEnvelope(DWORD_ALL, 5, 5));
    EXPECT_EQ(S_OK, params->AddEnvelope(8, 1, &ramp));
    for (auto [rate, frame, time, expected] :
         {std::tuple{44100, 44100, kSecond, 0.5f},
          {48000, 72000, 15000000, 0.75f},
          {0, 1, 208, 208 / 2e7f}}) {  // rate 0 is ignored; frame 1 is 208.33 units: rounded
        params->SetSampleRate(rate);
        EXPECT_EQ(S_OK, params->UpdateToSamplePosition(frame));
        EXPECT_EQ(time, params->Envelope(8).LastTime());
        EXPECT_FLOAT_EQ(expected, Value(8));
    }
    // The clock does not mark the object changed (see UpdateToSamplePosition).
    EXPECT_EQ(S_FALSE, params->TestAndClearChanged());
    EXPECT_EQ(S_OK, params->FlushEnvelope(8, kSecond / 10, kSecond / 5));
    EXPECT_EQ(0u, params->Envelope(8).SegmentCount());

    // All parameters at once: each envelope snaps the caller's own times.
    params->SetSampleRate(48000);
    MP_ENVELOPE_SEGMENT s[2] = {Linear(1000100, 2000050, 0.0f, 1.0f),
                                Linear(3000100, 4000000, 1.0f, 0.0f)};
    ASSERT_EQ(S_OK, params->AddEnvelope(DWORD_ALL, 2, s));
    EXPECT_EQ(std::pair(REFERENCE_TIME{1000000}, REFERENCE_TIME{3000000}),
              std::pair(s[0].rtStart, s[1].rtStart));
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
}

TEST_F(MediaParams, GesturesReachTheHostsCallbackWithTheSameIndexesAndValues) {
    DWORD indexes[2] = {8, 3}, bad[2] = {2, 18};
    MP_DATA values[2] = {0.9f, 0.2f}, two[2] = {0.125f, 0.5f};
    IEngineAutomation* made = nullptr;
    FakeAutomation::Create(&made, nullptr);
    FakeAutomation* other = FakeAutomation::Last();
    EXPECT_EQ(S_OK, params->SetUICallback(other));
    EXPECT_EQ(S_OK, params->SetUICallback(host));  // replaces it
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

    // Bad indexes are refused whole: nothing marked or forwarded; the values before one are set.
    EXPECT_EQ(E_INVALIDARG, params->ParamsBeginCapture(bad, 2));
    EXPECT_FALSE(params->Envelope(2).Captured());
    EXPECT_EQ(E_INVALIDARG, params->ParamsEndCapture(bad, 2));
    EXPECT_EQ(E_INVALIDARG, params->ParamsChanged(bad, 2, two));
    EXPECT_EQ(0.125f, Value(2));
    EXPECT_TRUE(host->TakeLog().empty());
    // Clearing the callback releases it.
    params->SetUICallback(nullptr);
    EXPECT_EQ(1u, host->References());
    EXPECT_EQ(S_OK, params->ParamsBeginCapture(indexes, 1));
    EXPECT_TRUE(host->TakeLog().empty());
}

}  // namespace
