// One parameter's envelope (see ParamEnvelope.h): value mapping, evaluation of the five
// curves, adding segments with snapping, duplicate skipping and pruning, and flushing.
#include "host/ParamEnvelope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <numbers>

namespace {

constexpr double kUnitsPerSecond = 10000000.0;  // REFERENCE_TIME units (100 ns) per second
constexpr REFERENCE_TIME kEarliest = std::numeric_limits<REFERENCE_TIME>::min();
constexpr REFERENCE_TIME kLatest = std::numeric_limits<REFERENCE_TIME>::max();

// Conversion toward zero that saturates instead of overflowing.
std::int64_t TruncateSaturating(double x) {
    if (!(x > -9.2233720368547758e18)) return std::isnan(x) ? 0 : kEarliest;
    if (!(x < 9.2233720368547758e18)) return kLatest;
    return static_cast<std::int64_t>(x);
}

// Segment order: start time, then the bytes, so that equal segments end up side by side.
bool SegmentBefore(const MP_ENVELOPE_SEGMENT& a, const MP_ENVELOPE_SEGMENT& b) {
    if (a.rtStart != b.rtStart) return a.rtStart < b.rtStart;
    return std::memcmp(&a, &b, sizeof a) < 0;
}

bool SameSegment(const MP_ENVELOPE_SEGMENT& a, const MP_ENVELOPE_SEGMENT& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

void CParamEnvelope::Initialise(const ParamRecord& record) {
    record_ = record;
    const float neutral = ToInternal(record.info.mpdNeutralValue);
    value_.store(neutral, std::memory_order_relaxed);
    overrideValue_.store(neutral, std::memory_order_relaxed);
    overrideSet_.store(1, std::memory_order_relaxed);
}

float CParamEnvelope::ToInternal(MP_DATA external) const {
    const double minimum = record_.info.mpdMinValue;
    const double maximum = record_.info.mpdMaxValue;
    const double iMinimum = record_.internalMinimum;
    const double iMaximum = record_.internalMaximum;
    double v = external;
    if (!(v >= minimum)) v = minimum;  // also a NaN
    if (v > maximum) v = maximum;
    if (record_.info.mpType == MPT_BOOL) return v >= 0.5 ? 1.0f : 0.0f;
    const double span = maximum - minimum;
    const double u =
        span > 0.0 ? iMinimum + (iMaximum - iMinimum) * (v - minimum) / span : iMinimum;
    if (record_.info.mpType == MPT_FLOAT) return static_cast<float>(u);
    return static_cast<float>(std::floor(u + 0.5));  // whole-number types
}

MP_DATA CParamEnvelope::ToExternal(float internal) const {
    if (record_.info.mpType == MPT_BOOL) return internal;
    const double minimum = record_.info.mpdMinValue;
    const double maximum = record_.info.mpdMaxValue;
    const double iMinimum = record_.internalMinimum;
    const double iSpan = static_cast<double>(record_.internalMaximum) - iMinimum;
    if (!(iSpan > 0.0)) return static_cast<MP_DATA>(minimum);
    return static_cast<MP_DATA>(minimum + (maximum - minimum) * (internal - iMinimum) / iSpan);
}

HRESULT CParamEnvelope::SetValue(MP_DATA external) {
    const float u = ToInternal(external);
    overrideValue_.store(u, std::memory_order_relaxed);
    value_.store(u, std::memory_order_relaxed);
    overrideSet_.store(1, std::memory_order_relaxed);
    return S_OK;
}

float CParamEnvelope::CurrentValue() const {
    const bool overridden = overrideSet_.load(std::memory_order_relaxed) != 0 ||
                            captured_.load(std::memory_order_relaxed) != 0;
    return overridden ? overrideValue_.load(std::memory_order_relaxed)
                      : value_.load(std::memory_order_relaxed);
}

REFERENCE_TIME CParamEnvelope::SnapToFrame(REFERENCE_TIME time, double framesPer100ns) {
    const std::int64_t frames = TruncateSaturating(static_cast<double>(time) * framesPer100ns);
    return TruncateSaturating(static_cast<double>(frames) / framesPer100ns + 0.5);
}

std::ptrdiff_t CParamEnvelope::FindSegment(REFERENCE_TIME t) const {
    if (segments_.empty()) return -1;
    // During playback segments arrive ahead of time, so t is usually in the last one.
    const auto last = static_cast<std::ptrdiff_t>(segments_.size()) - 1;
    if (t >= segments_[last].rtStart) return last;
    const auto after = std::upper_bound(
        segments_.begin(), segments_.end(), t,
        [](REFERENCE_TIME time, const MP_ENVELOPE_SEGMENT& s) { return time < s.rtStart; });
    return (after - segments_.begin()) - 1;
}

double CParamEnvelope::CurveValue(const MP_ENVELOPE_SEGMENT& s, REFERENCE_TIME t) const {
    const double a = ToInternal(s.valStart);
    const double b = ToInternal(s.valEnd);
    const double d = b - a;
    const double duration =
        (static_cast<double>(s.rtEnd) - static_cast<double>(s.rtStart)) / kUnitsPerSecond;
    // A segment whose end equals its start is an instantaneous move to its end value: it
    // yields what the moment after it yields (the end value carried into the gap). Only a
    // jump, which holds its start value over the whole segment, still gives the start value.
    const double p =
        duration > 0.0
            ? ((static_cast<double>(t) - static_cast<double>(s.rtStart)) / kUnitsPerSecond) /
                  duration
            : 1.0;
    // The curve is the host's 32-bit value, copied out as such: one that names no curve (a sine,
    // as below) is no value of the enumeration's type, which reaches only as far as its flags.
    std::uint32_t curve = 0;
    static_assert(sizeof curve == sizeof s.iCurve);
    std::memcpy(&curve, &s.iCurve, sizeof curve);
    switch (curve) {
        case MP_CURVE_JUMP:
            return a;
        case MP_CURVE_LINEAR:
            return a + d * p;
        case MP_CURVE_SQUARE:
            return a + d * p * p;
        case MP_CURVE_INVSQUARE:
            return b - d * (1.0 - p) * (1.0 - p);
        case MP_CURVE_SINE:
        default:
            return a + d * (std::sin((p - 0.5) * std::numbers::pi) + 1.0) / 2.0;
    }
}

HRESULT CParamEnvelope::Evaluate(REFERENCE_TIME t) {
    CAutoLock guard(&lock_);
    if (segments_.empty()) return S_FALSE;
    const std::ptrdiff_t i = FindSegment(t);
    if (i >= 0) {
        const MP_ENVELOPE_SEGMENT& s = segments_[static_cast<std::size_t>(i)];
        if (t <= s.rtEnd) {
            // Entering a segment drops a directly set value; a captured parameter keeps its
            // override in force through the captured flag.
            overrideSet_.store(0, std::memory_order_relaxed);
            value_.store(static_cast<float>(CurveValue(s, t)), std::memory_order_relaxed);
        } else {
            // Past the segment's end (a gap, or after the last one): its end value holds.
            value_.store(ToInternal(s.valEnd), std::memory_order_relaxed);
            // The first evaluation after the segment ended carries a directly set value to
            // the segment's end value.
            if (lastTime_ < s.rtEnd && !Captured() && OverrideSet()) {
                overrideValue_.store(value_.load(std::memory_order_relaxed),
                                     std::memory_order_relaxed);
            }
        }
    }
    lastTime_ = t;
    return S_OK;
}

// A failure to grow (no memory, or more segments than the limit) is reported to the host as
// E_OUTOFMEMORY; the array keeps what it held.
HRESULT CParamEnvelope::Reserve(std::size_t needed) {
    if (needed > segmentLimit_) return E_OUTOFMEMORY;
    if (needed <= segments_.capacity()) return S_OK;
    // Grow geometrically so that many small additions stay cheap, but settle for exactly
    // what is needed when the larger block is not to be had.
    const std::size_t preferred =
        std::min(segmentLimit_, std::max(needed, 2 * segments_.capacity()));
    try {
        segments_.reserve(preferred);
        return S_OK;
    } catch (const std::exception&) {
    }
    try {
        segments_.reserve(needed);
        return S_OK;
    } catch (const std::exception&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CParamEnvelope::AddSnappedCopies(DWORD count, const MP_ENVELOPE_SEGMENT* segments,
                                         double framesPer100ns) {
    if (count == 0) return S_FALSE;
    CAutoLock guard(&lock_);
    // The growth is the only step that can fail, and it comes before any change.
    const HRESULT hr = Reserve(segments_.size() + count);
    if (FAILED(hr)) return hr;

    const auto held = static_cast<std::ptrdiff_t>(segments_.size());
    REFERENCE_TIME earliestStart = kLatest;
    for (DWORD k = 0; k < count; ++k) {
        MP_ENVELOPE_SEGMENT s = segments[k];
        s.rtStart = SnapToFrame(s.rtStart, framesPer100ns);
        s.rtEnd = SnapToFrame(s.rtEnd, framesPer100ns);
        earliestStart = std::min(earliestStart, s.rtStart);
        segments_.push_back(s);  // within the reserved capacity: cannot throw
    }
    // Ordered by start; a segment equal in all 32 bytes to one already held (or to one added
    // earlier in this call) is kept once. The held segments are in order already: only the new
    // ones are sorted, and merged in unless they all come after the last (as during playback),
    // so that a host adding to a long envelope keeps the lock, and evaluation waiting, short.
    const auto begin = segments_.begin(), middle = begin + held;
    std::sort(middle, segments_.end(), SegmentBefore);
    auto end = std::unique(middle, segments_.end(), SameSegment);
    end = std::remove_if(middle, end, [begin, middle](const MP_ENVELOPE_SEGMENT& s) {
        return std::binary_search(begin, middle, s, SegmentBefore);
    });
    segments_.erase(end, segments_.end());
    if (held > 0 && middle != segments_.end() && SegmentBefore(*middle, middle[-1])) {
        std::inplace_merge(segments_.begin(), segments_.begin() + held, segments_.end(),
                           SegmentBefore);
    }

    // When everything new lies after the last evaluation, the segments before the one that
    // precedes the current segment can no longer be reached: drop them, so that long
    // playbacks keep the array short.
    if (earliestStart > lastTime_) {
        const std::ptrdiff_t current = FindSegment(lastTime_);
        if (current - 1 > 0) segments_.erase(segments_.begin(), segments_.begin() + (current - 1));
    }
    return S_OK;
}

HRESULT CParamEnvelope::AddSegments(DWORD count, MP_ENVELOPE_SEGMENT* segments,
                                    double framesPer100ns) {
    const HRESULT hr = AddSnappedCopies(count, segments, framesPer100ns);
    if (hr != S_OK) return hr;
    for (DWORD k = 0; k < count; ++k) {
        segments[k].rtStart = SnapToFrame(segments[k].rtStart, framesPer100ns);
        segments[k].rtEnd = SnapToFrame(segments[k].rtEnd, framesPer100ns);
    }
    return S_OK;
}

HRESULT CParamEnvelope::Flush(REFERENCE_TIME start, REFERENCE_TIME end, double framesPer100ns) {
    if (start != kEarliest && start != kLatest) start = SnapToFrame(start, framesPer100ns);
    if (end != kEarliest && end != kLatest) end = SnapToFrame(end, framesPer100ns);
    CAutoLock guard(&lock_);
    std::erase_if(segments_, [start, end](const MP_ENVELOPE_SEGMENT& s) {
        return start < s.rtEnd && end > s.rtStart;
    });
    lastTime_ = 0;
    // With nothing left to follow, the parameter holds its last evaluated value.
    if (segments_.empty() && !OverrideSet() && !Captured()) {
        overrideValue_.store(value_.load(std::memory_order_relaxed), std::memory_order_relaxed);
        overrideSet_.store(1, std::memory_order_relaxed);
    }
    return S_OK;
}

std::vector<MP_ENVELOPE_SEGMENT> CParamEnvelope::Segments() const {
    CAutoLock guard(&lock_);
    return segments_;
}

std::size_t CParamEnvelope::SegmentCount() const {
    CAutoLock guard(&lock_);
    return segments_.size();
}

REFERENCE_TIME CParamEnvelope::LastTime() const {
    CAutoLock guard(&lock_);
    return lastTime_;
}

void CParamEnvelope::SetSegmentLimit(std::size_t limit) {
    CAutoLock guard(&lock_);
    segmentLimit_ = std::min(limit, kMaxSegments);
}
