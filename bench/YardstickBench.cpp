// The plain plate reverb kept beside the project as a speed yardstick, timed on the same grid
// as the engine (stereo noise, double samples), so that every run shows how the engine compares.
// Built only when the yardstick's header is present.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "PlateYardstick.h"

namespace {

void Yardstick(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    const auto block = static_cast<std::size_t>(state.range(1));
    yardstick::PlateReverb reverb(rate);
    std::mt19937 generator(1);
    std::uniform_real_distribution<double> uniform(-0.5, 0.5);
    std::vector<double> input(block * 2);
    for (double& s : input) s = uniform(generator);
    std::vector<double> output(block * 2);
    for (auto _ : state) {
        reverb.process(input.data(), output.data(), block);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations()) * static_cast<double>(block);
    state.counters["ns/frame"] =
        benchmark::Counter(frames, benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                           benchmark::Counter::kIs1000);
}

}  // namespace

BENCHMARK(Yardstick)
    ->ArgsProduct({{44100, 48000, 96000}, {64, 512, 4096}, {2}})
    ->ArgNames({"rate", "block", "channels"});
