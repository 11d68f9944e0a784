#include "BaselineRatio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zorvane_bench {
namespace {

// With repetitions the median stands for a case; a single run stands for itself.
bool IsKept(const benchmark::BenchmarkReporter::Run& run) {
    if (run.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate) return run.aggregate_name == "median";
    return run.iterations != 0 && run.repetitions <= 1;
}

// A benchmark that runs its work in a child process reports the child's CPU time as
// manual time; every other one is timed on this process's CPU clock.
double CpuTime(const benchmark::BenchmarkReporter::Run& run) {
    return run.run_name.time_type == "manual_time" ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime();
}

// Prints as the console reporter does and keeps the CPU time of every run. With
// repetitions, only the median is kept ("<case>/Ours_median"), so that the ratio of
// the medians is printed and the spread of each side stays in the console output.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!IsKept(run)) continue;
            cpuPerIteration[run.benchmark_name()] = CpuTime(run);
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
