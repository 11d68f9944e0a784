#include "BaselineRatio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zorvane_bench {
namespace {

// Prints as the console reporter does and keeps the CPU time of every run.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            cpuPerIteration[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }
    std::map<std::string, double> cpuPerIteration;
};

void PrintRatios(const std::map<std::string, double>& times) {
    const std::string ours = "/Ours";
    std::printf("\n%-40s %12s\n", "case", "ours/baseline");
    for (const auto& [name, time] : times) {
        std::size_t at = name.find(ours);
        if (at == std::string::npos) continue;
        std::string baseline = name.substr(0, at) + "/Baseline" + name.substr(at + ours.size());
        auto found = times.find(baseline);
        if (found == times.end() || found->second <= 0) continue;
        const std::string label = name.substr(0, at) + name.substr(at + ours.size());
        std::printf("%-40s %12.3f\n", label.c_str(), time / found->second);
    }
}

}  // namespace

int RunWithRatios(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatios(reporter.cpuPerIteration);
    return 0;
}

}  // namespace zorvane_bench
