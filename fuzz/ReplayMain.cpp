// Runs a fuzz target over saved inputs without libFuzzer, so that every build (default
// and sanitizer presets) replays the seed corpus as a regression test. Arguments are
// files or folders; each input is handed over in a heap block of exactly its size so
// that the sanitizers see any read past its end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const fs::path& argument) {
    std::vector<fs::path> inputs;
    if (fs::is_directory(argument)) {
        for (const auto& entry : fs::directory_iterator(argument))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else if (fs::is_regular_file(argument)) {
        inputs.push_back(argument);
    }
    return inputs;
}

bool Replay(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    const std::vector<char> content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[content.size()]);
    std::copy(content.begin(), content.end(), exact.get());
    std::fprintf(stderr, "replaying %s (%zu bytes)\n", path.c_str(), content.size());
    LLVMFuzzerTestOneInput(exact.get(), content.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : InputsOf(argv[i])) {
            if (!Replay(input)) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            ++replayed;
        }
    }
    std::fprintf(stderr, "replayed %zu inputs\n", replayed);
    // A missing or empty corpus is a broken test, not a passing one.
    return replayed > 0 ? 0 : 1;
}
