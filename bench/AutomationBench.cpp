// Cost of the automation clock: one UpdateToSamplePosition call (eighteen envelope
// evaluations) as the filter makes it once per input media sample, with no segments, with a
// few segments during playback, and with many segments (binary searches). And the cost of a
// host adding one segment to an envelope that already holds many, in time order (as during
// playback) or anywhere; the envelope's lock is held for it, so evaluation waits as long.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "engine/StandaloneReverb.h"
#include "host/MediaParams.h"

namespace {

constexpr REFERENCE_TIME kSecond = 10000000;
constexpr std::int64_t kSampleFrames = 441;  // 10 ms media samples at 44.1 kHz

// The automation object of an engine, with `perEnvelope` consecutive linear segments of
// `length` in every envelope, from time 0.
class AutomatedEngine {
public:
    AutomatedEngine(int perEnvelope, REFERENCE_TIME length) {
        HRESULT status = S_OK;
        engine_ = new CStandaloneReverb(&status, &CMediaParams::Create);
        params_ = static_cast<CMediaParams*>(engine_->Automation());
        std::vector<MP_ENVELOPE_SEGMENT> segments;
        for (int k = 0; k < perEnvelope; ++k) {
            segments.push_back(MP_ENVELOPE_SEGMENT{k * length, (k + 1) * length,
                                                   (k % 2) ? 0.9f : 0.1f, (k % 2) ? 0.1f : 0.9f,
                                                   MP_CURVE_LINEAR, 0});
        }
        if (!segments.empty()) {
            params_->AddEnvelope(DWORD_ALL, static_cast<DWORD>(segments.size()), segments.data());
        }
        span_ = perEnvelope * length * 44100 / kSecond;
    }
    ~AutomatedEngine() { engine_->Release(); }
    AutomatedEngine(const AutomatedEngine&) = delete;
    AutomatedEngine& operator=(const AutomatedEngine&) = delete;

    CMediaParams* Params() const { return params_; }
    // Frames covered by the segments (at least one media sample).
    std::int64_t Span() const { return span_ > kSampleFrames ? span_ : kSampleFrames; }

private:
    CStandaloneReverb* engine_;
    CMediaParams* params_;  // not owned: the engine's
    std::int64_t span_;
};

// Playback from frame 0 through the segments in media-sample steps, round and round.
void Playback(benchmark::State& state, int perEnvelope, REFERENCE_TIME length) {
    AutomatedEngine automated(perEnvelope, length);
    CMediaParams* params = automated.Params();
    const std::int64_t span = automated.Span();
    std::int64_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(params->UpdateToSamplePosition(position));
        position += kSampleFrames;
        if (position >= span) position = 0;
    }
    state.SetItemsProcessed(state.iterations() * kParamCount);  // envelope evaluations
}

void UpdateWithoutSegments(benchmark::State& state) {
    Playback(state, 0, kSecond);
}
// Four one-second segments per envelope: playback is mostly in the last segment or a short
// search away from it.
void UpdateWithFewSegments(benchmark::State& state) {
    Playback(state, 4, kSecond);
}
// 10 000 segments of 10 ms per envelope: a binary search per evaluation.
void UpdateWithManySegments(benchmark::State& state) {
    Playback(state, 10000, kSecond / 100);
}

// One AddEnvelope of one segment to the Input envelope holding state.range(0) segments: after
// all of them when `inOrder`, else at a random time among them. Flushed and given the held
// segments again every 1024 additions, outside the timing.
void AddOneSegment(benchmark::State& state, bool inOrder) {
    const auto held = static_cast<int>(state.range(0));
    AutomatedEngine automated(0, kSecond);
    CMediaParams* params = automated.Params();
    std::vector<MP_ENVELOPE_SEGMENT> segments;
    for (int k = 0; k < held; ++k) {
        segments.push_back(
            MP_ENVELOPE_SEGMENT{k * kSecond, (k + 1) * kSecond, 0.1f, 0.9f, MP_CURVE_LINEAR, 0});
    }
    params->AddEnvelope(0, static_cast<DWORD>(segments.size()), segments.data());
    std::uint32_t random = 12345;
    int added = 0;
    for (auto _ : state) {
        random = random * 1664525u + 1013904223u;
        const REFERENCE_TIME start =
            inOrder
                ? (held + added) * kSecond
                : static_cast<REFERENCE_TIME>(random % static_cast<std::uint32_t>(held)) * kSecond +
                      kSecond / 2;
        MP_ENVELOPE_SEGMENT segment{start, start + kSecond / 4, 0.5f, 0.2f, MP_CURVE_JUMP, 0};
        params->AddEnvelope(0, 1, &segment);
        if (++added == 1024) {
            state.PauseTiming();
            params->FlushEnvelope(0, std::numeric_limits<LONGLONG>::min(),
                                  std::numeric_limits<LONGLONG>::max());
            params->AddEnvelope(0, static_cast<DWORD>(segments.size()), segments.data());
            added = 0;
            state.ResumeTiming();
        }
    }
}
void AddOneSegmentInOrder(benchmark::State& state) {
    AddOneSegment(state, true);
}
void AddOneSegmentAnywhere(benchmark::State& state) {
    AddOneSegment(state, false);
}

BENCHMARK(UpdateWithoutSegments);
BENCHMARK(UpdateWithFewSegments);
BENCHMARK(UpdateWithManySegments);
BENCHMARK(AddOneSegmentInOrder)->Arg(1000)->Arg(100000)->Arg(1000000);
BENCHMARK(AddOneSegmentAnywhere)->Arg(1000)->Arg(100000)->Arg(1000000);

}  // namespace
