// The GPKI walk over a class folder of N signing certificates whose keys are all missing:
// each missing key name is matched against the folder without regard to case, which
// must not re-read the folder each time. Time per certificate should stay flat from
// N = 1000 to 4000 (the fitted complexity is printed at the end).

#include <benchmark/benchmark.h>
#include <zorvane/LoadCert.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "discovery/ScratchHome.h"

namespace {

namespace fs = std::filesystem;

// A home whose GPKI class1 folder holds `count` "<n>_sig.cer" files and no keys.
class GpkiFolder {
public:
    explicit GpkiFolder(int count) {
        const fs::path folder = fs::path(m_scratch.Home()) / "GPKI/Certificate/class1";
        fs::create_directories(folder);
        for (int n = 0; n < count; ++n) std::ofstream(folder / (std::to_string(n) + "_sig.cer")) << "not a certificate";
    }
    const std::string& Root() const { return m_scratch.Root(); }

private:
    ScratchHome m_scratch;
};

void GpkiWalk(benchmark::State& state) {
    const GpkiFolder folder(static_cast<int>(state.range(0)));
    ByteString work(folder.Root().c_str());
    CLoadCert loader(work);
    ByteString className("class1"), drive;
    for (auto _ : state) {
        CArray<tagCERTLIST, tagCERTLIST&> list;
        int count = 0;
        const int result = loader.AddCertList_GPKICert(className, 0, 0, drive, list, count);
        benchmark::DoNotOptimize(result);
        if (count != 0) state.SkipWithError("a certificate without a key was listed");
    }
    state.SetComplexityN(state.range(0));
    state.counters["per_certificate"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                                    benchmark::Counter::kInvert);
}
BENCHMARK(GpkiWalk)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
