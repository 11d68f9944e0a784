#pragma once
// A main() helper for benchmarks that pair each measured case with an OpenSSL
// baseline: benchmarks named "<case>/Ours" and "<case>/Baseline" are run, then the
// ratio ours / baseline of their CPU time per iteration is printed for every pair.

namespace zorvane_bench {

int RunWithRatios(int argc, char** argv);

}  // namespace zorvane_bench
