// Cost of the automation clock: one UpdateToSamplePosition call (eighteen envelope
// evaluations) as the filter makes it once per input media sample, with no segments, with a
// few segments during playback, and with many segments (binary searches).
#include <benchmark/benchmark.h>

#include <cstdint>
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

BENCHMARK(UpdateWithoutSegments);
BENCHMARK(UpdateWithFewSegments);
BENCHMARK(UpdateWithManySegments);

}  // namespace
