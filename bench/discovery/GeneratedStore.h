#pragma once
// A generated NPKI store for the discovery benchmarks: `users` users of one CA under
// <root>/home, and a work folder <root>/work holding IssuerOid.conf and the toolkit
// files linked in from a given folder. Removed when the object goes.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/pkigen/Generator.h"

namespace zorvane_bench {

class GeneratedStore {
public:
    GeneratedStore(int users, const std::string& toolkitFolder) {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "zorvane-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        root = pattern;
        home = root + "/home";
        work = root + "/work";
        fs::create_directories(work);
        for (const char* toolkit : {"Quellark.dll", "gpkiapi.dll"})
            fs::create_symlink(fs::path(toolkitFolder) / toolkit, fs::path(work) / toolkit);
        zorvane::pkigen::Options options;
        options.home = home;
        options.work = work;
        options.cas = {"yessign"};
        options.count = users;
        options.seed = 1;
        options.seedGiven = true;
        options.keyCache = ZORVANE_BENCH_WORK_DIR "/../pkigen-key-cache";
        std::string error;
        if (!zorvane::pkigen::Generate(options, generated, error)) {
            std::fprintf(stderr, "test PKI generation failed: %s\n", error.c_str());
            std::exit(1);
        }
    }
    GeneratedStore(const GeneratedStore&) = delete;
    GeneratedStore& operator=(const GeneratedStore&) = delete;
    ~GeneratedStore() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string root, home, work;
    zorvane::pkigen::Result generated;
};

}  // namespace zorvane_bench
