// Throughput of the engine's block operations: 32 and 64-bit samples, stereo and mono input,
// three rates and three block sizes, four frames at a time where the processor can and two as
// without AVX, plus a run whose input has fallen silent long ago (the denormal guard must keep
// silence as cheap as sound).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/StandaloneReverb.h"

namespace {

enum class Input { kNoise, kSilence };

template <typename Sample>
void ProcessBlocks(benchmark::State& state, Input kind, bool wide = true) {
    const auto rate = static_cast<DWORD>(state.range(0));
    const auto block = static_cast<DWORD>(state.range(1));
    const auto channels = static_cast<WORD>(state.range(2));
    const WORD tag = WAVE_FORMAT_IEEE_FLOAT;
    const WORD bits = sizeof(Sample) * 8;

    HRESULT status = S_OK;
    auto* engine = new CStandaloneReverb(&status);
    engine->SetFormats(CStandaloneReverb::MakeFormat(tag, bits, channels, rate),
                       CStandaloneReverb::MakeFormat(tag, bits, 2, rate));
    engine->UseWideFrames(wide);
    engine->StartStreaming();

    std::mt19937 generator(1);
    std::uniform_real_distribution<double> uniform(-0.5, 0.5);
    std::vector<Sample> noise(static_cast<size_t>(block) * channels);
    for (Sample& s : noise) s = static_cast<Sample>(uniform(generator));
    const std::vector<Sample> silence(noise.size(), Sample(0));
    std::vector<Sample> output(static_cast<size_t>(block) * 2);

    auto run = [&](const std::vector<Sample>& input, int mode) {
        DWORD in = block, out = block;
        if constexpr (sizeof(Sample) == 4) {
            engine->ProcessFloat32(mode, input.data(), &in, output.data(), &out);
        } else {
            engine->ProcessFloat64(mode, input.data(), &in, output.data(), &out);
        }
    };
    run(noise, kModeDiscontinuity);
    if (kind == Input::kSilence) {
        // Let a second of sound ring out over a minute of silence first.
        for (DWORD f = 0; f < rate; f += block) run(noise, kModeContinue);
        for (DWORD f = 0; f < 60 * rate; f += block) run(silence, kModeContinue);
    }
    const std::vector<Sample>& input = kind == Input::kSilence ? silence : noise;
    for (auto _ : state) {
        run(input, kModeContinue);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * block;
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["x_realtime"] = benchmark::Counter(frames / rate, benchmark::Counter::kIsRate);
    state.counters["ns/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
    engine->Release();
}

void Float32(benchmark::State& state) {
    ProcessBlocks<float>(state, Input::kNoise);
}
void Float64(benchmark::State& state) {
    ProcessBlocks<double>(state, Input::kNoise);
}
// Two frames at a time, as on a processor without AVX.
void Float32TwoLanes(benchmark::State& state) {
    ProcessBlocks<float>(state, Input::kNoise, false);
}
void Float64TwoLanes(benchmark::State& state) {
    ProcessBlocks<double>(state, Input::kNoise, false);
}
void Float32Silence(benchmark::State& state) {
    ProcessBlocks<float>(state, Input::kSilence);
}

void Grid(benchmark::internal::Benchmark* b) {
    b->ArgNames({"rate", "block", "channels"});
    for (int channels : {2, 1}) {
        for (int rate : {44100, 48000, 96000}) {
            for (int block : {64, 512, 4096}) b->Args({rate, block, channels});
        }
    }
}

}  // namespace

BENCHMARK(Float32)->Apply(Grid);
BENCHMARK(Float64)->Apply(Grid);
BENCHMARK(Float32TwoLanes)
    ->ArgsProduct({{44100, 48000, 96000}, {64, 512, 4096}, {2}})
    ->ArgNames({"rate", "block", "channels"});
BENCHMARK(Float64TwoLanes)
    ->ArgsProduct({{44100, 48000, 96000}, {64, 512, 4096}, {2}})
    ->ArgNames({"rate", "block", "channels"});
BENCHMARK(Float32Silence)
    ->Args({48000, 512, 2})
    ->Args({48000, 4096, 2})
    ->ArgNames({"rate", "block", "channels"});
