// The engine driven as the filter drives it: the automation object evaluates its envelopes once
// per input media sample, and the blocks that follow take the automated values over at their
// start. Parameters therefore move at media-sample boundaries only.
#include <gtest/gtest.h>

#include "host/MediaParams.h"
#include "tests/support/EngineHarness.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;
constexpr DWORD kSampleFrames = 4410;  // one input media sample: 0.1 s at 44.1 kHz
constexpr DWORD kBlockFrames = 1470;   // three blocks per media sample

class AutomationClock : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, engine.Start());
        params = static_cast<CMediaParams*>(engine->Automation());
        ASSERT_NE(nullptr, params);
    }

    // One media sample at frame `position`, as the filter's Receive handles it: the clock,
    // then the blocks. Returns the Decay word and loop gain seen after each block.
    std::vector<std::pair<int, double>> Receive(std::int64_t position) {
        params->UpdateToSamplePosition(position);
        std::vector<std::pair<int, double>> seen;
        const std::vector<double> silence(2 * kBlockFrames, 0.0);
        std::vector<double> output;
        for (DWORD done = 0; done < kSampleFrames; done += kBlockFrames) {
            engine.Run(position == 0 && done == 0 ? kModeDiscontinuity : kModeContinue, silence,
                       &output);
            int decay = 0;
            engine->GetDecay(&decay);
            seen.emplace_back(decay, engine->DerivedCoefficients().loopGain);
        }
        return seen;
    }

    int Word(int word) {
        SetupBlock block;
        engine->GetAllParams(&block);
        return block.words[word];
    }

    EngineHarness engine{44100, 2, &CMediaParams::Create};
    CMediaParams* params = nullptr;
};

TEST_F(AutomationClock, ParametersMoveAtMediaSampleBoundariesOnly) {
    // Decay from 0.1 s to 20 s over the first second.
    MP_ENVELOPE_SEGMENT ramp{0, kSecond, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
    ASSERT_EQ(S_OK, params->AddEnvelope(Param::kDecay, 1, &ramp));

    // floor(p x 199 + 1.5) at p = 0.0, 0.1, ... 1.0, then held at the end value.
    const int expected[] = {1, 21, 41, 61, 81, 101, 120, 140, 160, 180, 200, 200, 200};
    double previousGain = 0.0;
    for (int k = 0; k < 13; ++k) {
        SCOPED_TRACE(k);
        const auto seen = Receive(std::int64_t{k} * kSampleFrames);
        ASSERT_EQ(3u, seen.size());
        for (const auto& [decay, gain] : seen) {
            EXPECT_EQ(expected[k], decay);
            EXPECT_EQ(seen[0].second, gain);  // no change within the media sample
        }
        if (k > 0 && expected[k] != expected[k - 1]) {
            EXPECT_NE(previousGain, seen[0].second);
        }
        previousGain = seen[0].second;
    }
}

TEST_F(AutomationClock, WithoutTheClockBlocksKeepTheLastEvaluatedValues) {
    MP_ENVELOPE_SEGMENT ramp{0, kSecond, 0.0f, 1.0f, MP_CURVE_LINEAR, 0};
    params->AddEnvelope(Param::kDecay, 1, &ramp);
    Receive(kSampleFrames);  // 0.1 s
    std::vector<double> output;
    const std::vector<double> silence(2 * kSampleFrames, 0.0);
    for (int k = 0; k < 5; ++k) engine.Run(kModeContinue, silence, &output);
    EXPECT_EQ(21, Word(SetupWord::kDecay));

    // The editor's Recalculate takes the automated value over without a block.
    params->UpdateToSamplePosition(22050);
    EXPECT_EQ(21, Word(SetupWord::kDecay));
    engine->Recalculate();
    EXPECT_EQ(101, Word(SetupWord::kDecay));
}

TEST_F(AutomationClock, AHostValueHoldsUntilPlaybackEntersASegment) {
    MP_ENVELOPE_SEGMENT later{kSecond, 2 * kSecond, 1.0f, 1.0f, MP_CURVE_JUMP, 0};
    params->AddEnvelope(Param::kPredelay, 1, &later);
    params->SetParam(Param::kPredelay, 0.5f);
    Receive(0);
    EXPECT_EQ(125, Word(SetupWord::kPredelay));
    Receive(44100);  // in the segment
    EXPECT_EQ(250, Word(SetupWord::kPredelay));
    params->SetParam(Param::kPredelay, 0.2f);  // a host's value during the segment
    std::vector<double> output;
    engine.Run(kModeContinue, std::vector<double>(2 * kBlockFrames, 0.0), &output);
    EXPECT_EQ(50, Word(SetupWord::kPredelay));
    Receive(44100 + kSampleFrames);  // the segment takes over again at the next sample
    EXPECT_EQ(250, Word(SetupWord::kPredelay));
}

TEST_F(AutomationClock, WidthAutomationWaitsWhileMono) {
    engine->SetStereo(0, FALSE);
    MP_ENVELOPE_SEGMENT wide{0, 4 * kSecond, 1.0f, 1.0f, MP_CURVE_JUMP, 0};
    params->AddEnvelope(Param::kWidth, 1, &wide);
    Receive(0);
    EXPECT_EQ(0, Word(SetupWord::kWidth));
    engine->SetStereo(1, FALSE);  // the width before Mono returns...
    EXPECT_EQ(100, Word(SetupWord::kWidth));
    Receive(kSampleFrames);  // ...and automation takes over at the next media sample
    EXPECT_EQ(200, Word(SetupWord::kWidth));
}

}  // namespace
