// One parameter's envelope: the five curves, gaps and the carry of end values, override versus
// segment versus capture, snapping with write-back, duplicates, pruning, flush ranges and the
// array that cannot grow.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "host/ParamEnvelope.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;
constexpr REFERENCE_TIME kEarliest = std::numeric_limits<REFERENCE_TIME>::min();
constexpr REFERENCE_TIME kLatest = std::numeric_limits<REFERENCE_TIME>::max();
constexpr double k44k = 44100 / 10000000.0;  // frames per 100 ns
constexpr double k48k = 48000 / 10000000.0;

MP_ENVELOPE_SEGMENT Segment(REFERENCE_TIME start, REFERENCE_TIME end, float from, float to,
                            MP_CURVE_TYPE curve = MP_CURVE_LINEAR, DWORD flags = 0) {
    return MP_ENVELOPE_SEGMENT{start, end, from, to, curve, flags};
}

// The envelope of a float parameter (Decay) unless told otherwise.
struct Envelope : CParamEnvelope {
    explicit Envelope(int index = Param::kDecay) { Initialise(kParamRecords[index]); }
    HRESULT Add(MP_ENVELOPE_SEGMENT s, double factor = k44k) { return AddSegments(1, &s, factor); }
    float At(REFERENCE_TIME t) {
        EXPECT_EQ(S_OK, Evaluate(t));
        return CurrentValue();
    }
    std::vector<REFERENCE_TIME> Starts() const {
        std::vector<REFERENCE_TIME> starts;
        for (const MP_ENVELOPE_SEGMENT& s : Segments()) starts.push_back(s.rtStart);
        return starts;
    }
};

TEST(ParamEnvelope, CurvesFromStartToEnd) {
    // p, p squared, 1 - (1 - p) squared and the raised half-sine at p = 0, 1/4, 1/2 and 1.
    const struct {
        MP_CURVE_TYPE curve;
        float values[4];
    } cases[] = {{MP_CURVE_JUMP, {0.0f, 0.0f, 0.0f, 0.0f}},
                 {MP_CURVE_LINEAR, {0.0f, 0.25f, 0.5f, 1.0f}},
                 {MP_CURVE_SQUARE, {0.0f, 0.0625f, 0.25f, 1.0f}},
                 {MP_CURVE_INVSQUARE, {0.0f, 0.4375f, 0.75f, 1.0f}},
                 {MP_CURVE_SINE, {0.0f, 0.14644661f, 0.5f, 1.0f}},
                 {static_cast<MP_CURVE_TYPE>(0x40), {0.0f, 0.14644661f, 0.5f, 1.0f}}};
    const REFERENCE_TIME times[] = {0, kSecond / 4, kSecond / 2, kSecond};
    for (const auto& c : cases) {
        Envelope e;
        ASSERT_EQ(S_OK, e.Add(Segment(0, kSecond, 0.0f, 1.0f, c.curve)));
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(c.values[k], e.At(times[k]), 1e-7) << c.curve << " at " << times[k];
        }
    }
    Envelope falling;
    falling.Add(Segment(0, kSecond, 0.8f, 0.2f, MP_CURVE_SQUARE));
    EXPECT_NEAR(0.8f - 0.6f * 0.25f, falling.At(kSecond / 2), 1e-6);

    // A switch maps both ends to 0 or 1 first, then moves between them.
    Envelope mute(Param::kDryMute);
    EXPECT_EQ(std::pair(0.0f, 1.0f), std::pair(mute.ToInternal(0.4999f), mute.ToInternal(0.5f)));
    mute.Add(Segment(0, kSecond, 0.3f, 0.8f));
    EXPECT_EQ((std::vector<float>{0.0f, 0.25f, 1.0f}),
              (std::vector<float>{mute.At(0), mute.At(kSecond / 4), mute.At(kSecond)}));

    // Host values outside the range are taken at the nearer end.
    Envelope e;
    e.Add(Segment(0, kSecond, -3.0f, 7.0f));
    EXPECT_EQ(std::pair(0.0f, 1.0f), std::pair(e.At(0), e.At(kSecond)));
    for (float v : {-0.25f, std::numeric_limits<float>::quiet_NaN()}) {
        e.SetValue(v);
        EXPECT_EQ(0.0f, e.CurrentValue()) << v;
    }
    e.SetValue(1.5f);
    EXPECT_EQ(1.0f, e.CurrentValue());
}

TEST(ParamEnvelope, GapsHoldTheEndValueAndAZeroLengthSegmentItsEnd) {
    Envelope e;
    EXPECT_FLOAT_EQ(0.07035176f, e.CurrentValue());  // the neutral value, as override
    EXPECT_EQ(S_FALSE, e.Evaluate(kSecond));         // no segments: nothing moves
    EXPECT_EQ(0, e.LastTime());
    e.Add(Segment(1 * kSecond, 2 * kSecond, 0.2f, 0.6f));
    e.Add(Segment(3 * kSecond, 4 * kSecond, 0.9f, 0.1f));
    EXPECT_FLOAT_EQ(0.07035176f, e.At(kSecond / 2));  // before the first: the override
    EXPECT_TRUE(e.OverrideSet());
    // The end belongs to the segment; after it, and in a gap, its end value holds.
    const REFERENCE_TIME times[] = {2 * kSecond, 2 * kSecond + 1, 3 * kSecond - 1,
                                    3 * kSecond, 10 * kSecond,    kSecond + kSecond / 2};
    const float values[] = {0.6f, 0.6f, 0.6f, 0.9f, 0.1f, 0.4f};
    for (int k = 0; k < 6; ++k) EXPECT_FLOAT_EQ(values[k], e.At(times[k])) << times[k];
    EXPECT_EQ(kSecond + kSecond / 2, e.LastTime());

    for (auto [curve, atStart] : {std::pair{MP_CURVE_LINEAR, 0.8f}, {MP_CURVE_JUMP, 0.2f}}) {
        Envelope instant;
        instant.Add(Segment(kSecond, kSecond, 0.2f, 0.8f, curve));
        EXPECT_FLOAT_EQ(atStart, instant.At(kSecond));
        EXPECT_FLOAT_EQ(0.8f, instant.At(kSecond + 1));
    }
}

TEST(ParamEnvelope, OverrideGivesWayToSegmentsAndCaptureKeepsIt) {
    Envelope e;
    EXPECT_EQ(S_OK, e.SetValue(0.4f));
    e.Add(Segment(kSecond, 2 * kSecond, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(0.4f, e.At(kSecond / 2));            // not yet in the segment
    EXPECT_FLOAT_EQ(0.5f, e.At(kSecond + kSecond / 2));  // entered: the segment wins
    EXPECT_FALSE(e.OverrideSet());
    // Set inside the segment: it holds until the segment ends, then the first evaluation
    // after the end carries it to the end value; set later, it holds.
    e.SetValue(0.3f);
    EXPECT_FLOAT_EQ(0.3f, e.CurrentValue());
    EXPECT_FLOAT_EQ(1.0f, e.At(2 * kSecond + 1));
    EXPECT_TRUE(e.OverrideSet());
    e.SetValue(0.3f);
    EXPECT_FLOAT_EQ(0.3f, e.At(3 * kSecond));

    Envelope captured;
    captured.Add(Segment(0, 2 * kSecond, 0.0f, 1.0f));
    captured.BeginCapture();
    captured.SetValue(0.7f);
    EXPECT_FLOAT_EQ(0.7f, captured.At(kSecond));
    EXPECT_FALSE(captured.OverrideSet());             // dropped, but the capture keeps it
    EXPECT_FLOAT_EQ(0.7f, captured.At(3 * kSecond));  // no carry while captured
    captured.EndCapture();
    EXPECT_FLOAT_EQ(1.0f, captured.CurrentValue());
    EXPECT_FLOAT_EQ(0.25f, captured.At(kSecond / 2));
}

TEST(ParamEnvelope, TimesSnapToWholeFramesAndAreWrittenBack) {
    const struct {
        double factor;
        REFERENCE_TIME given, snapped;
    } cases[] = {
        {k48k, 1000100, 1000000},
        {k48k, 2000050, 2000000},
        {k48k, 209, 208},
        {k48k, 208, 0},  // still frame 0: a written-back time can lose a frame
        {k44k, 1000000, 1000000},
        {k44k, 226, 0},
        {k44k, 227, 227},
        {k44k, 500, 454},
        {k44k, -500, -453},  // frame -2, rounded toward zero on the way back
        {k48k, kLatest, kLatest},
        {k48k, kEarliest, kEarliest},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.snapped, CParamEnvelope::SnapToFrame(c.given, c.factor)) << c.given;
    }
    Envelope e;
    MP_ENVELOPE_SEGMENT s[2] = {Segment(1000100, 2000050, 0.1f, 0.9f),
                                Segment(3000001, 3000001, 0.2f, 0.2f)};
    ASSERT_EQ(S_OK, e.AddSegments(2, s, k48k));
    EXPECT_EQ((std::vector<REFERENCE_TIME>{1000000, 2000000, 3000000, 3000000}),
              (std::vector<REFERENCE_TIME>{s[0].rtStart, s[0].rtEnd, s[1].rtStart, s[1].rtEnd}));
    EXPECT_EQ(0, std::memcmp(s, e.Segments().data(), sizeof s));
}

TEST(ParamEnvelope, SegmentsAreOrderedKeptOnceAndPrunedBehindPlayback) {
    Envelope e;
    EXPECT_EQ(S_FALSE, e.AddSegments(0, nullptr, k44k));
    MP_ENVELOPE_SEGMENT s[4] = {Segment(3 * kSecond, 4 * kSecond, 0.3f, 0.4f),
                                Segment(1 * kSecond, 2 * kSecond, 0.1f, 0.2f),
                                Segment(2 * kSecond, 3 * kSecond, 0.2f, 0.3f),
                                Segment(1 * kSecond, 2 * kSecond, 0.1f, 0.2f)};
    ASSERT_EQ(S_OK, e.AddSegments(4, s, k44k));
    e.Add(Segment(0, kSecond, 0.0f, 0.1f));
    e.Add(Segment(0, kSecond, 0.0f, 0.1f));
    EXPECT_EQ((std::vector<REFERENCE_TIME>{0, kSecond, 2 * kSecond, 3 * kSecond}), e.Starts());
    EXPECT_FLOAT_EQ(0.2f, e.At(2 * kSecond + 1));
    // Duplicates after snapping (both frame 4800 at 48 kHz), but not a different flags word.
    Envelope twice;
    MP_ENVELOPE_SEGMENT three[3] = {Segment(1000100, 1500000, 0.5f, 0.5f),
                                    Segment(1000150, 1500000, 0.5f, 0.5f),
                                    Segment(1000100, 1500000, 0.5f, 0.5f, MP_CURVE_LINEAR, 1)};
    ASSERT_EQ(S_OK, twice.AddSegments(3, three, k48k));
    EXPECT_EQ(2u, twice.SegmentCount());

    // Pruning: only when every new segment lies after the last evaluation, and the current
    // segment and the one before it stay.
    const REFERENCE_TIME now = 3 * kSecond + kSecond / 2;
    e.Evaluate(now);
    e.Add(Segment(now, 5 * kSecond, 0.6f, 0.6f));
    EXPECT_EQ(5u, e.SegmentCount());
    e.Add(Segment(6 * kSecond, 7 * kSecond, 0.7f, 0.7f));
    EXPECT_EQ((std::vector<REFERENCE_TIME>{3 * kSecond, now, 6 * kSecond}), e.Starts());
    EXPECT_FLOAT_EQ(0.7f, e.At(6 * kSecond));
}

TEST(ParamEnvelope, FlushRemovesOverlappingSegmentsAndHoldsTheLastValue) {
    Envelope e;
    MP_ENVELOPE_SEGMENT s[2] = {Segment(kSecond, 2 * kSecond, 0.0f, 1.0f),
                                Segment(4 * kSecond, 5 * kSecond, 0.5f, 0.5f)};
    e.AddSegments(2, s, k44k);
    EXPECT_FLOAT_EQ(0.25f, e.At(kSecond + kSecond / 4));
    const struct {
        REFERENCE_TIME start, end;
        std::size_t left;
    } flushes[] = {
        {2 * kSecond, 4 * kSecond, 2},                            // touches both
        {0, kSecond, 2},                                          // touches the first
        {kSecond + kSecond / 2, kSecond + kSecond / 2 + 300, 1},  // inside the first
        {4 * kSecond, 5 * kSecond, 0},                            // exactly the second
    };
    for (const auto& f : flushes) {
        EXPECT_EQ(S_OK, e.Flush(f.start, f.end, k44k));
        EXPECT_EQ(f.left, e.SegmentCount()) << f.start;
        EXPECT_EQ(0, e.LastTime());
    }
    EXPECT_TRUE(e.OverrideSet());
    EXPECT_FLOAT_EQ(0.25f, e.CurrentValue());
    EXPECT_EQ(S_FALSE, e.Evaluate(kSecond));
    EXPECT_FLOAT_EQ(0.25f, e.CurrentValue());
    e.Add(Segment(kSecond, 2 * kSecond, 0.0f, 1.0f));
    EXPECT_EQ(S_OK, e.Flush(kEarliest, kLatest, k44k));
    EXPECT_EQ(0u, e.SegmentCount());
}

TEST(ParamEnvelope, AnArrayThatCannotGrowKeepsItsContentsAndTheCallersTimes) {
    Envelope e;
    MP_ENVELOPE_SEGMENT first[2] = {Segment(1000100, 1500000, 0.1f, 0.2f),
                                    Segment(2000100, 2500000, 0.3f, 0.4f)};
    ASSERT_EQ(S_OK, e.AddSegments(2, first, k48k));
    e.SetSegmentLimit(3);
    MP_ENVELOPE_SEGMENT more[2] = {Segment(3000100, 3500000, 0.5f, 0.6f),
                                   Segment(4000100, 4500000, 0.7f, 0.8f)};
    EXPECT_EQ(E_OUTOFMEMORY, e.AddSegments(2, more, k48k));
    EXPECT_EQ(3000100, more[0].rtStart);  // not written back
    EXPECT_EQ((std::vector<REFERENCE_TIME>{1000000, 2000000}), e.Starts());
    EXPECT_EQ(S_OK, e.AddSegments(1, more, k48k));  // one still fits
    // The fixed limit of the array refuses before reading the caller's segments.
    EXPECT_EQ(E_OUTOFMEMORY,
              e.AddSegments(static_cast<DWORD>(CParamEnvelope::kMaxSegments), more, k48k));
    EXPECT_EQ(3u, e.SegmentCount());
}

}  // namespace
