// One parameter's envelope: the five curves, gaps and the carry of end values, override versus
// segment versus capture, snapping with write-back, duplicates, pruning, flush ranges and the
// array that cannot grow.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/ParamEnvelope.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;
constexpr double k44k = 44100 / 10000000.0;  // frames per 100 ns
constexpr double k48k = 48000 / 10000000.0;

MP_ENVELOPE_SEGMENT Segment(REFERENCE_TIME start, REFERENCE_TIME end, float from, float to,
                            MP_CURVE_TYPE curve = MP_CURVE_LINEAR, DWORD flags = 0) {
    return MP_ENVELOPE_SEGMENT{start, end, from, to, curve, flags};
}

// A float parameter (Decay) unless told otherwise.
class Envelope : public ::testing::Test {
protected:
    void SetUp() override { envelope.Initialise(kParamRecords[Param::kDecay]); }

    HRESULT Add(MP_ENVELOPE_SEGMENT s, double factor = k44k) {
        return envelope.AddSegments(1, &s, factor);
    }
    float At(REFERENCE_TIME t) {
        EXPECT_EQ(S_OK, envelope.Evaluate(t));
        return envelope.CurrentValue();
    }

    CParamEnvelope envelope;
};

TEST_F(Envelope, StartsWithTheNeutralValueAsOverride) {
    EXPECT_FLOAT_EQ(0.07035176f, envelope.CurrentValue());
    EXPECT_TRUE(envelope.OverrideSet());
    EXPECT_FALSE(envelope.Captured());
    EXPECT_EQ(S_FALSE, envelope.Evaluate(kSecond));  // no segments: nothing moves
    EXPECT_EQ(0, envelope.LastTime());
    EXPECT_FLOAT_EQ(0.07035176f, envelope.CurrentValue());
}

TEST_F(Envelope, CurvesAtTheirEndsAndMidpoint) {
    struct Case {
        MP_CURVE_TYPE curve;
        float start, middle, end;
    };
    const Case cases[] = {{MP_CURVE_JUMP, 0.0f, 0.0f, 0.0f},
                          {MP_CURVE_LINEAR, 0.0f, 0.5f, 1.0f},
                          {MP_CURVE_SQUARE, 0.0f, 0.25f, 1.0f},
                          {MP_CURVE_INVSQUARE, 0.0f, 0.75f, 1.0f},
                          {MP_CURVE_SINE, 0.0f, 0.5f, 1.0f},
                          {static_cast<MP_CURVE_TYPE>(0x40), 0.0f, 0.5f, 1.0f}};  // as sine
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.curve));
        CParamEnvelope e;
        e.Initialise(kParamRecords[Param::kDecay]);
        MP_ENVELOPE_SEGMENT s = Segment(0, kSecond, 0.0f, 1.0f, c.curve);
        ASSERT_EQ(S_OK, e.AddSegments(1, &s, k44k));
        for (auto [t, expected] : {std::pair{REFERENCE_TIME{0}, c.start},
                                   std::pair{kSecond / 2, c.middle}, std::pair{kSecond, c.end}}) {
            EXPECT_EQ(S_OK, e.Evaluate(t));
            EXPECT_NEAR(expected, e.CurrentValue(), 1e-7) << t;
        }
    }
    // A quarter of the way along, the curves part: p, p squared, 1 - (1 - p) squared and the
    // raised half-sine.
    const float quarter[] = {0.25f, 0.0625f, 0.4375f, 0.14644661f};
    const MP_CURVE_TYPE curves[] = {MP_CURVE_LINEAR, MP_CURVE_SQUARE, MP_CURVE_INVSQUARE,
                                    MP_CURVE_SINE};
    for (int k = 0; k < 4; ++k) {
        CParamEnvelope e;
        e.Initialise(kParamRecords[Param::kDecay]);
        MP_ENVELOPE_SEGMENT s = Segment(0, kSecond, 0.0f, 1.0f, curves[k]);
        e.AddSegments(1, &s, k44k);
        e.Evaluate(kSecond / 4);
        EXPECT_NEAR(quarter[k], e.CurrentValue(), 1e-7) << k;
    }
}

TEST_F(Envelope, FallingSegmentsAndATwoStateParameter) {
    Add(Segment(0, kSecond, 0.8f, 0.2f, MP_CURVE_SQUARE));
    EXPECT_NEAR(0.8f - 0.6f * 0.25f, At(kSecond / 2), 1e-6);

    // A switch maps both ends to 0 or 1 first, then moves between them.
    CParamEnvelope mute;
    mute.Initialise(kParamRecords[Param::kDryMute]);
    EXPECT_EQ(0.0f, mute.ToInternal(0.4999f));
    EXPECT_EQ(1.0f, mute.ToInternal(0.5f));
    MP_ENVELOPE_SEGMENT s = Segment(0, kSecond, 0.3f, 0.8f);
    mute.AddSegments(1, &s, k44k);
    mute.Evaluate(0);
    EXPECT_EQ(0.0f, mute.CurrentValue());
    mute.Evaluate(kSecond / 4);
    EXPECT_EQ(0.25f, mute.CurrentValue());
    mute.Evaluate(kSecond);
    EXPECT_EQ(1.0f, mute.CurrentValue());
}

TEST_F(Envelope, GapsHoldTheEndValueOfTheSegmentBefore) {
    Add(Segment(1 * kSecond, 2 * kSecond, 0.2f, 0.6f));
    Add(Segment(3 * kSecond, 4 * kSecond, 0.9f, 0.1f));
    // Before the first segment the override stays in force.
    EXPECT_FLOAT_EQ(0.07035176f, At(kSecond / 2));
    EXPECT_TRUE(envelope.OverrideSet());
    EXPECT_FLOAT_EQ(0.6f, At(2 * kSecond));  // the end itself belongs to the segment
    EXPECT_FLOAT_EQ(0.6f, At(2 * kSecond + 1));
    EXPECT_FLOAT_EQ(0.6f, At(2 * kSecond + kSecond / 2));
    EXPECT_FLOAT_EQ(0.9f, At(3 * kSecond));
    EXPECT_FLOAT_EQ(0.1f, At(10 * kSecond));
    EXPECT_EQ(10 * kSecond, envelope.LastTime());
    // Going back in time re-enters the first segment.
    EXPECT_FLOAT_EQ(0.4f, At(1 * kSecond + kSecond / 2));
}

TEST_F(Envelope, AZeroLengthSegmentYieldsItsEndValueExceptAJump) {
    Add(Segment(kSecond, kSecond, 0.2f, 0.8f, MP_CURVE_LINEAR));
    EXPECT_FLOAT_EQ(0.8f, At(kSecond));
    EXPECT_FLOAT_EQ(0.8f, At(kSecond + 1));

    CParamEnvelope jump;
    jump.Initialise(kParamRecords[Param::kDecay]);
    MP_ENVELOPE_SEGMENT s = Segment(kSecond, kSecond, 0.2f, 0.8f, MP_CURVE_JUMP);
    jump.AddSegments(1, &s, k44k);
    jump.Evaluate(kSecond);
    EXPECT_FLOAT_EQ(0.2f, jump.CurrentValue());
    jump.Evaluate(kSecond + 1);
    EXPECT_FLOAT_EQ(0.8f, jump.CurrentValue());
}

TEST_F(Envelope, OverrideGivesWayToSegmentsAndIsCarriedToTheirEnd) {
    EXPECT_EQ(S_OK, envelope.SetValue(0.4f));
    EXPECT_FLOAT_EQ(0.4f, envelope.CurrentValue());
    Add(Segment(kSecond, 2 * kSecond, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(0.4f, At(kSecond / 2));            // not yet in the segment
    EXPECT_FLOAT_EQ(0.5f, At(kSecond + kSecond / 2));  // entered: the segment wins
    EXPECT_FALSE(envelope.OverrideSet());
    EXPECT_FLOAT_EQ(1.0f, At(3 * kSecond));  // after it: its end value

    // A value set inside the segment holds until the segment ends, then the first evaluation
    // after the end carries it to the end value.
    CParamEnvelope e;
    e.Initialise(kParamRecords[Param::kDecay]);
    MP_ENVELOPE_SEGMENT s = Segment(kSecond, 2 * kSecond, 0.0f, 1.0f);
    e.AddSegments(1, &s, k44k);
    e.Evaluate(kSecond + kSecond / 2);
    e.SetValue(0.3f);
    EXPECT_FLOAT_EQ(0.3f, e.CurrentValue());
    e.Evaluate(2 * kSecond + 1);
    EXPECT_TRUE(e.OverrideSet());
    EXPECT_FLOAT_EQ(1.0f, e.CurrentValue());

    // Set after the first evaluation past the end: no carry, the set value holds.
    e.SetValue(0.3f);
    e.Evaluate(3 * kSecond);
    EXPECT_FLOAT_EQ(0.3f, e.CurrentValue());
}

TEST_F(Envelope, ACapturedParameterKeepsItsOverrideInsideSegments) {
    Add(Segment(0, 2 * kSecond, 0.0f, 1.0f));
    envelope.BeginCapture();
    envelope.SetValue(0.7f);
    EXPECT_FLOAT_EQ(0.7f, At(kSecond));
    EXPECT_FALSE(envelope.OverrideSet());    // dropped, but the capture keeps it in force
    EXPECT_FLOAT_EQ(0.7f, At(3 * kSecond));  // no carry while captured
    envelope.EndCapture();
    EXPECT_FLOAT_EQ(1.0f, envelope.CurrentValue());
    EXPECT_FLOAT_EQ(0.25f, At(kSecond / 2));
}

TEST_F(Envelope, HostValuesOutsideTheRangeAreTakenAtTheNearerEnd) {
    envelope.SetValue(1.5f);
    EXPECT_EQ(1.0f, envelope.CurrentValue());
    envelope.SetValue(-0.25f);
    EXPECT_EQ(0.0f, envelope.CurrentValue());
    envelope.SetValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(0.0f, envelope.CurrentValue());
    Add(Segment(0, kSecond, -3.0f, 7.0f));
    EXPECT_EQ(0.0f, At(0));
    EXPECT_EQ(1.0f, At(kSecond));
}

TEST_F(Envelope, TimesSnapToWholeFramesAndAreWrittenBack) {
    struct Case {
        double factor;
        REFERENCE_TIME given, snapped;
    };
    const Case cases[] = {
        {k48k, 1000100, 1000000},  // frame 4800
        {k48k, 2000050, 2000000},  // frame 9600
        {k48k, 209, 208},          // frame 1 starts at 208.33
        {k48k, 208, 0},            // still frame 0: a written-back time can lose a frame
        {k44k, 1000000, 1000000},  // frame 4410
        {k44k, 226, 0},            // frame 0
        {k44k, 227, 227},          // frame 1 at 226.76
        {k44k, 500, 454},          // frame 2 at 453.51
        {k44k, -500, -453},        // frame -2, rounded toward zero on the way back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(c.snapped, CParamEnvelope::SnapToFrame(c.given, c.factor));
    }

    MP_ENVELOPE_SEGMENT s[2] = {Segment(1000100, 2000050, 0.1f, 0.9f),
                                Segment(3000001, 3000001, 0.2f, 0.2f)};
    ASSERT_EQ(S_OK, envelope.AddSegments(2, s, k48k));
    EXPECT_EQ(1000000, s[0].rtStart);
    EXPECT_EQ(2000000, s[0].rtEnd);
    EXPECT_EQ(3000000, s[1].rtStart);
    EXPECT_EQ(3000000, s[1].rtEnd);
    const auto held = envelope.Segments();
    ASSERT_EQ(2u, held.size());
    EXPECT_EQ(1000000, held[0].rtStart);
    EXPECT_EQ(0.1f, held[0].valStart);
    EXPECT_EQ(3000000, held[1].rtEnd);

    // The extremes saturate instead of overflowing.
    const REFERENCE_TIME latest = std::numeric_limits<REFERENCE_TIME>::max();
    EXPECT_EQ(latest, CParamEnvelope::SnapToFrame(latest, k48k));
}

TEST_F(Envelope, SegmentsAreKeptInStartOrder) {
    MP_ENVELOPE_SEGMENT s[3] = {Segment(3 * kSecond, 4 * kSecond, 0.3f, 0.3f),
                                Segment(1 * kSecond, 2 * kSecond, 0.1f, 0.1f),
                                Segment(2 * kSecond, 3 * kSecond, 0.2f, 0.2f)};
    ASSERT_EQ(S_OK, envelope.AddSegments(3, s, k44k));
    Add(Segment(0, kSecond, 0.0f, 0.0f));
    const auto held = envelope.Segments();
    ASSERT_EQ(4u, held.size());
    for (int k = 0; k < 4; ++k) EXPECT_EQ(k * kSecond, held[k].rtStart) << k;
    EXPECT_FLOAT_EQ(0.2f, At(2 * kSecond + 1));
}

TEST_F(Envelope, DuplicatesAreKeptOnce) {
    EXPECT_EQ(S_FALSE, envelope.AddSegments(0, nullptr, k44k));
    Add(Segment(kSecond, 2 * kSecond, 0.1f, 0.9f));
    Add(Segment(kSecond, 2 * kSecond, 0.1f, 0.9f));
    EXPECT_EQ(1u, envelope.SegmentCount());

    // Within one call, and after snapping: 1000100 and 1000150 are both frame 4800 at 48 kHz.
    MP_ENVELOPE_SEGMENT twice[3] = {Segment(1000100, 1500000, 0.5f, 0.5f),
                                    Segment(1000150, 1500000, 0.5f, 0.5f),
                                    Segment(1000100, 1500000, 0.5f, 0.5f, MP_CURVE_LINEAR, 1)};
    CParamEnvelope e;
    e.Initialise(kParamRecords[Param::kDecay]);
    ASSERT_EQ(S_OK, e.AddSegments(3, twice, k48k));
    EXPECT_EQ(2u, e.SegmentCount());  // the flags word differs in the third
}

TEST_F(Envelope, SegmentsBehindPlaybackArePrunedWhenNewOnesLieAhead) {
    MP_ENVELOPE_SEGMENT s[4] = {Segment(0, kSecond, 0.0f, 0.1f),
                                Segment(kSecond, 2 * kSecond, 0.1f, 0.2f),
                                Segment(2 * kSecond, 3 * kSecond, 0.2f, 0.3f),
                                Segment(3 * kSecond, 4 * kSecond, 0.3f, 0.4f)};
    ASSERT_EQ(S_OK, envelope.AddSegments(4, s, k44k));
    const REFERENCE_TIME now = 3 * kSecond + kSecond / 2;
    envelope.Evaluate(now);  // in the fourth segment

    // A new segment that starts at (or before) the last evaluation: nothing is dropped.
    Add(Segment(now, 5 * kSecond, 0.6f, 0.6f));
    EXPECT_EQ(5u, envelope.SegmentCount());

    // All new segments ahead: the current segment (now the one that starts at `now`), the
    // one before it and everything later stay.
    Add(Segment(6 * kSecond, 7 * kSecond, 0.7f, 0.7f));
    const auto held = envelope.Segments();
    ASSERT_EQ(3u, held.size());
    EXPECT_EQ(3 * kSecond, held[0].rtStart);
    EXPECT_EQ(now, held[1].rtStart);
    EXPECT_EQ(6 * kSecond, held[2].rtStart);
    EXPECT_FLOAT_EQ(0.7f, At(6 * kSecond));
}

TEST_F(Envelope, FlushRemovesOverlappingSegmentsAndKeepsTouchingOnes) {
    MP_ENVELOPE_SEGMENT s[2] = {Segment(kSecond, 2 * kSecond, 0.0f, 1.0f),
                                Segment(4 * kSecond, 5 * kSecond, 0.5f, 0.5f)};
    envelope.AddSegments(2, s, k44k);
    envelope.Evaluate(kSecond);
    EXPECT_EQ(S_OK, envelope.Flush(2 * kSecond, 4 * kSecond, k44k));  // touches both
    EXPECT_EQ(2u, envelope.SegmentCount());
    EXPECT_EQ(0, envelope.LastTime());
    envelope.Flush(0, kSecond, k44k);
    EXPECT_EQ(2u, envelope.SegmentCount());
    envelope.Flush(kSecond + kSecond / 2, kSecond + kSecond / 2 + 1, k44k);  // inside
    EXPECT_EQ(1u, envelope.SegmentCount());
    EXPECT_EQ(4 * kSecond, envelope.Segments()[0].rtStart);
    envelope.Flush(4 * kSecond, 5 * kSecond, k44k);  // exactly the segment
    EXPECT_EQ(0u, envelope.SegmentCount());
}

TEST_F(Envelope, FlushingEverythingHoldsTheLastEvaluatedValue) {
    Add(Segment(0, kSecond, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(0.25f, At(kSecond / 4));
    const REFERENCE_TIME earliest = std::numeric_limits<REFERENCE_TIME>::min();
    const REFERENCE_TIME latest = std::numeric_limits<REFERENCE_TIME>::max();
    EXPECT_EQ(S_OK, envelope.Flush(earliest, latest, k44k));
    EXPECT_EQ(0u, envelope.SegmentCount());
    EXPECT_TRUE(envelope.OverrideSet());
    EXPECT_FLOAT_EQ(0.25f, envelope.CurrentValue());
    EXPECT_EQ(S_FALSE, envelope.Evaluate(kSecond));
    EXPECT_FLOAT_EQ(0.25f, envelope.CurrentValue());
}

TEST_F(Envelope, AnArrayThatCannotGrowKeepsItsContentsAndTheCallersTimes) {
    MP_ENVELOPE_SEGMENT first[2] = {Segment(1000100, 1500000, 0.1f, 0.2f),
                                    Segment(2000100, 2500000, 0.3f, 0.4f)};
    ASSERT_EQ(S_OK, envelope.AddSegments(2, first, k48k));
    envelope.SetSegmentLimit(3);
    MP_ENVELOPE_SEGMENT more[2] = {Segment(3000100, 3500000, 0.5f, 0.6f),
                                   Segment(4000100, 4500000, 0.7f, 0.8f)};
    EXPECT_EQ(E_OUTOFMEMORY, envelope.AddSegments(2, more, k48k));
    EXPECT_EQ(3000100, more[0].rtStart);  // not written back
    const auto held = envelope.Segments();
    ASSERT_EQ(2u, held.size());
    EXPECT_EQ(1000000, held[0].rtStart);
    EXPECT_EQ(2000000, held[1].rtStart);
    EXPECT_EQ(S_OK, envelope.AddSegments(1, more, k48k));  // one still fits

    // The fixed limit of the array refuses before reading the caller's segments.
    CParamEnvelope e;
    e.Initialise(kParamRecords[Param::kDecay]);
    MP_ENVELOPE_SEGMENT one = Segment(0, kSecond, 0.0f, 1.0f);
    ASSERT_EQ(S_OK, e.AddSegments(1, &one, k44k));
    EXPECT_EQ(E_OUTOFMEMORY,
              e.AddSegments(static_cast<DWORD>(CParamEnvelope::kMaxSegments), &one, k44k));
    EXPECT_EQ(1u, e.SegmentCount());
}

}  // namespace
