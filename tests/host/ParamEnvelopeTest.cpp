// One parameter's envelope: the curves, gaps, captures, snapping, the array that cannot grow,
// duplicates, pruning and flush ranges.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/ParamEnvelope.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000, kQuarter = kSecond / 4;
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

TEST(ParamEnvelope, CurvesGapsAndZeroLengthSegments) {
    const REFERENCE_TIME q = kQuarter;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const int decay = Param::kDecay, mute = Param::kDryMute;
    // Segments added to a parameter's envelope, then the values at times, evaluated in order.
    const struct {
        int index;
        std::vector<MP_ENVELOPE_SEGMENT> segments;
        std::vector<std::pair<REFERENCE_TIME, float>> values;
    } cases[] = {
        // p, p squared, 1 - (1 - p) squared, the raised half-sine; an unknown curve is a sine.
        {decay, {Segment(0, kSecond, 0, 1, MP_CURVE_JUMP)}, {{0, 0}, {q, 0}, {kSecond, 0}}},
        {decay, {Segment(0, kSecond, 0, 1)}, {{0, 0}, {q, 0.25f}, {2 * q, 0.5f}, {kSecond, 1}}},
        {decay, {Segment(0, kSecond, 0, 1, MP_CURVE_SQUARE)}, {{q, 0.0625f}, {2 * q, 0.25f}}},
        {decay, {Segment(0, kSecond, 0, 1, MP_CURVE_INVSQUARE)}, {{q, 0.4375f}, {2 * q, 0.75f}}},
        {decay, {Segment(0, kSecond, 0, 1, MP_CURVE_SINE)}, {{q, 0.14644661f}, {2 * q, 0.5f}}},
        {decay,
         {Segment(0, kSecond, 0, 1, static_cast<MP_CURVE_TYPE>(0x40))},
         {{q, 0.14644661f}, {kSecond, 1}}},
        // A switch maps both ends to 0 or 1 (from 0.5 up), then moves between them.
        {mute, {Segment(0, kSecond, 0.3f, 0.8f)}, {{0, 0}, {q, 0.25f}, {kSecond, 1}}},
        {mute, {Segment(0, kSecond, 0.5f, 0.4999f, MP_CURVE_JUMP)}, {{0, 1}, {kSecond + 1, 0}}},
        // Host values outside the range, or not a number, are taken at the nearer end.
        {decay, {Segment(0, kSecond, -3, 7)}, {{0, 0}, {kSecond, 1}}},
        {decay, {Segment(0, kSecond, nan, 0.5f, MP_CURVE_JUMP)}, {{0, 0}}},
        // Before the first segment the neutral value holds; the end belongs to the segment;
        // after it, in a gap, its end value holds.
        {decay,
         {Segment(kSecond, 2 * kSecond, 0.2f, 0.6f), Segment(3 * kSecond, 4 * kSecond, 0.9f, 0.1f)},
         {{2 * q, 0.07035176f},
          {2 * kSecond, 0.6f},
          {3 * kSecond - 1, 0.6f},
          {3 * kSecond, 0.9f},
          {10 * kSecond, 0.1f},
          {6 * q, 0.4f}}},
        // An instant move yields its end value, except a jump.
        {decay, {Segment(kSecond, kSecond, 0.2f, 0.8f)}, {{kSecond, 0.8f}, {kSecond + 1, 0.8f}}},
        {decay, {Segment(kSecond, kSecond, 0.2f, 0.8f, MP_CURVE_JUMP)}, {{kSecond, 0.2f}}},
    };
    for (const auto& c : cases) {
        Envelope e(c.index);
        for (const MP_ENVELOPE_SEGMENT& s : c.segments) ASSERT_EQ(S_OK, e.Add(s));
        for (auto [t, value] : c.values) {
            EXPECT_NEAR(value, e.At(t), 1e-6) << &c - cases << " at " << t;
        }
    }
}

TEST(ParamEnvelope, ACaptureKeepsTheValueSetInsideASegment) {
    Envelope captured;
    captured.Add(Segment(0, 2 * kSecond, 0.0f, 1.0f));
    captured.BeginCapture();
    captured.SetValue(0.7f);
    EXPECT_FLOAT_EQ(0.7f, captured.At(kSecond));
    EXPECT_FLOAT_EQ(0.7f, captured.At(3 * kSecond));  // no carry while captured
    captured.EndCapture();
    EXPECT_FLOAT_EQ(0.25f, captured.At(2 * kQuarter));
}

TEST(ParamEnvelope, TimesSnapToTheStartOfTheirFrameWrittenBackOnlyWhenTaken) {
    const struct {
        double factor;
        REFERENCE_TIME given, snapped;
    } cases[] = {
        {k48k, 208, 0},      // still frame 0: a written-back time can lose a frame
        {k44k, 500, 454},    // frame 2
        {k44k, -500, -453},  // frame -2, rounded toward zero on the way back
        {k48k, kLatest, kLatest}, {k48k, kEarliest, kEarliest},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.snapped, CParamEnvelope::SnapToFrame(c.given, c.factor)) << c.given;
    }
    Envelope e;
    MP_ENVELOPE_SEGMENT first[2] = {Segment(1000100, 1500000, 0.1f, 0.2f),
                                    Segment(2000100, 2500000, 0.3f, 0.4f)};
    ASSERT_EQ(S_OK, e.AddSegments(2, first, k48k));
    EXPECT_EQ(std::pair(REFERENCE_TIME{1000000}, REFERENCE_TIME{2000000}),
              std::pair(first[0].rtStart, first[1].rtStart));
    // An array that cannot grow keeps its contents and the caller's times.
    e.SetSegmentLimit(3);
    MP_ENVELOPE_SEGMENT more[2] = {Segment(3000100, 3500000, 0.5f, 0.6f),
                                   Segment(4000100, 4500000, 0.7f, 0.8f)};
    EXPECT_EQ(E_OUTOFMEMORY, e.AddSegments(2, more, k48k));
    EXPECT_EQ(3000100, more[0].rtStart);
    EXPECT_EQ((std::vector<REFERENCE_TIME>{1000000, 2000000}), e.Starts());
    EXPECT_EQ(S_OK, e.AddSegments(1, more, k48k));  // one still fits
    // The fixed limit of the array refuses before reading the caller's segments.
    EXPECT_EQ(E_OUTOFMEMORY,
              e.AddSegments(static_cast<DWORD>(CParamEnvelope::kMaxSegments), more, k48k));
}

TEST(ParamEnvelope, SegmentsAreOrderedKeptOnceAndPrunedBehindPlayback) {
    Envelope e;
    EXPECT_EQ(S_FALSE, e.AddSegments(0, nullptr, k44k));
    MP_ENVELOPE_SEGMENT s[5] = {
        Segment(3 * kSecond, 4 * kSecond, 0.3f, 0.4f), Segment(kSecond, 2 * kSecond, 0.1f, 0.2f),
        Segment(2 * kSecond, 3 * kSecond, 0.2f, 0.3f), Segment(kSecond, 2 * kSecond, 0.1f, 0.2f),
        Segment(0, kSecond, 0.0f, 0.1f)};
    // The second call's segments go in among those held, a copy of one held kept once.
    ASSERT_EQ(S_OK, e.AddSegments(3, s, k44k));
    ASSERT_EQ(S_OK, e.AddSegments(2, s + 3, k44k));
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
    // Pruned when all that is new lies ahead: the current segment and the one before it stay.
    const REFERENCE_TIME now = 14 * kQuarter;
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
    EXPECT_FLOAT_EQ(0.25f, e.At(5 * kQuarter));
    const struct {
        REFERENCE_TIME start, end;
        std::size_t left;
    } flushes[] = {
        {2 * kSecond, 4 * kSecond, 2},          // touches both
        {0, kSecond, 2},                        // touches the first
        {6 * kQuarter, 6 * kQuarter + 300, 1},  // inside the first
        {4 * kSecond, 5 * kSecond, 0},          // exactly the second
    };
    for (const auto& f : flushes) {
        EXPECT_EQ(S_OK, e.Flush(f.start, f.end, k44k));
        EXPECT_EQ(f.left, e.SegmentCount()) << f.start;
        EXPECT_EQ(0, e.LastTime());
    }
    EXPECT_TRUE(e.OverrideSet());  // the last value is held
    EXPECT_EQ(S_FALSE, e.Evaluate(kSecond));
    EXPECT_FLOAT_EQ(0.25f, e.CurrentValue());
}

}  // namespace
