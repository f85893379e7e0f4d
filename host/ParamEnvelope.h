// The automation of one parameter: the value the host or the editor last set directly (the
// override), whether the editor holds the parameter (captured), and the time-ordered curve
// segments the host sends through IMediaParams. CMediaParams owns one per parameter.
//
// Threads. The streaming thread evaluates (Evaluate) and the engine reads CurrentValue at the
// start of each block; host threads add and flush segments at any time. The segment array and
// the evaluation are guarded by the envelope's own lock, which is never held while another
// lock is taken or a call leaves the envelope. SetValue, CurrentValue and the capture flags
// work on single words without the lock (atomics).
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "engine/ParameterTable.h"
#include "platform/CritSec.h"
#include "platform/Platform.h"

class CParamEnvelope {
public:
    // The array never holds more segments than this (4 GiB of 32-byte records).
    static constexpr std::size_t kMaxSegments = 134217727;

    CParamEnvelope() = default;
    CParamEnvelope(const CParamEnvelope&) = delete;
    CParamEnvelope& operator=(const CParamEnvelope&) = delete;

    // Takes the parameter's record; the neutral value becomes the override in force.
    void Initialise(const ParamRecord& record);
    const ParamRecord& Record() const { return record_; }

    // Between the host's range [minimum, maximum] and the envelope's internal range. A host
    // value outside its range (or not a number) is taken at the nearer end, so the engine only
    // ever sees values within the published range.
    float ToInternal(MP_DATA external) const;
    MP_DATA ToExternal(float internal) const;

    // A directly set value (host SetParam or an editor gesture); in force until playback
    // enters a segment. S_OK.
    HRESULT SetValue(MP_DATA external);
    // The override while one is set or the parameter is captured, else the evaluated value;
    // internal range.
    float CurrentValue() const;
    void BeginCapture() { captured_.store(1, std::memory_order_relaxed); }
    void EndCapture() { captured_.store(0, std::memory_order_relaxed); }

    // Evaluates the segments at time t (REFERENCE_TIME). S_FALSE when there are no segments,
    // else S_OK.
    HRESULT Evaluate(REFERENCE_TIME t);
    // Adds copies of `segments` with start and end snapped to whole frames and writes the
    // snapped times back into the caller's array. framesPer100ns = sample rate / 10 000 000.
    // S_FALSE for count 0; E_OUTOFMEMORY when the array cannot grow (contents unchanged,
    // nothing written back).
    HRESULT AddSegments(DWORD count, MP_ENVELOPE_SEGMENT* segments, double framesPer100ns);
    // As AddSegments without the write-back, for a caller that snaps the times itself.
    HRESULT AddSnappedCopies(DWORD count, const MP_ENVELOPE_SEGMENT* segments,
                             double framesPer100ns);
    // Removes every segment that overlaps (start, end); touching one at an end keeps it.
    // The extreme 64-bit values are taken as they are (all time). S_OK.
    HRESULT Flush(REFERENCE_TIME start, REFERENCE_TIME end, double framesPer100ns);

    // A time moved to the start of its frame: frames = trunc(time x factor), then
    // time = trunc(frames / factor + 0.5). Saturates at the 64-bit range.
    static REFERENCE_TIME SnapToFrame(REFERENCE_TIME time, double framesPer100ns);

    // Diagnostics for tests and tools; each takes the lock.
    std::vector<MP_ENVELOPE_SEGMENT> Segments() const;  // a copy; allocates
    std::size_t SegmentCount() const;
    REFERENCE_TIME LastTime() const;
    // Lowers the limit below kMaxSegments, so that a test can make the array refuse to grow.
    void SetSegmentLimit(std::size_t limit);

    // The evaluated value and the override state, without the lock.
    float EvaluatedValue() const { return value_.load(std::memory_order_relaxed); }
    bool OverrideSet() const { return overrideSet_.load(std::memory_order_relaxed) != 0; }
    bool Captured() const { return captured_.load(std::memory_order_relaxed) != 0; }

private:
    // Index of the segment with the greatest start not after t, or -1; caller holds lock_.
    std::ptrdiff_t FindSegment(REFERENCE_TIME t) const;
    double CurveValue(const MP_ENVELOPE_SEGMENT& segment, REFERENCE_TIME t) const;
    HRESULT Reserve(std::size_t needed);  // caller holds lock_

    mutable CCritSec lock_;
    ParamRecord record_{};
    std::vector<MP_ENVELOPE_SEGMENT> segments_;  // under lock_, ordered by start
    std::size_t segmentLimit_ = kMaxSegments;    // under lock_
    REFERENCE_TIME lastTime_ = 0;                // under lock_; time of the last evaluation
    std::atomic<float> value_{0.0f};             // internal range, as of the last evaluation
    std::atomic<int> overrideSet_{0};
    std::atomic<int> captured_{0};
    std::atomic<float> overrideValue_{0.0f};  // internal range
};
