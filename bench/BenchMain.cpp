// The benchmarks' main: runs them as usual, then, for every engine case with a yardstick case of
// the same rate and block (stereo), prints the engine's time per frame as a share of the
// yardstick's, from this one run (the best of the repetitions of each: run with
// --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true to interleave them).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto counter = run.counters.find("ns/frame");
            if (run.run_type != Run::RT_Iteration || counter == run.counters.end()) continue;
            const std::string name = run.run_name.str();
            const std::size_t slash = name.find('/');
            if (slash == std::string::npos) continue;
            // The counter holds seconds per frame here (the console shows it scaled); the best
            // of the repetitions counts.
            const double ns = counter->second.value * 1e9;
            auto [entry, added] =
                perFrame_.try_emplace({name.substr(0, slash), name.substr(slash)}, ns);
            if (!added) entry->second = std::min(entry->second, ns);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        bool header = false;
        for (const auto& [key, ns] : perFrame_) {
            const auto yardstick = perFrame_.find({"Yardstick", key.second});
            if (key.first == "Yardstick" || yardstick == perFrame_.end()) continue;
            if (!header) {
                std::printf("\n%-16s %-36s %10s %10s %7s\n", "engine", "case", "ns/frame",
                            "yardstick", "ratio");
                header = true;
            }
            std::printf("%-16s %-36s %10.2f %10.2f %7.3f\n", key.first.c_str(), key.second.c_str(),
                        ns, yardstick->second, ns / yardstick->second);
        }
    }

private:
    std::map<std::pair<std::string, std::string>, double> perFrame_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
