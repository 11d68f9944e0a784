#pragma once
// A generated NPKI store for the discovery benchmarks: `users` users of one CA in a
// scratch home (drive C: while the object lives), and a work folder beside it holding
// IssuerOid.conf and the toolkit files linked in from a given folder.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "discovery/ScratchHome.h"
#include "tools/pkigen/Generator.h"

class GeneratedStore {
public:
    GeneratedStore(int users, const std::string& toolkitFolder) : m_work(m_scratch.Root() + "/work") {
        namespace fs = std::filesystem;
        fs::create_directories(m_work);
        for (const char* toolkit : {"Quellark.dll", "gpkiapi.dll"})
            fs::create_symlink(fs::path(toolkitFolder) / toolkit, fs::path(m_work) / toolkit);
        zorvane::pkigen::Options options;
        options.home = m_scratch.Home();
        options.work = m_work;
        options.cas = {"yessign"};
        options.count = users;
        options.seed = 1;
        options.seedGiven = true;
        options.keyCache = ZORVANE_BENCH_WORK_DIR "/../pkigen-key-cache";
        std::string error;
        if (!zorvane::pkigen::Generate(options, m_generated, error)) {
            std::fprintf(stderr, "test PKI generation failed: %s\n", error.c_str());
            std::exit(1);
        }
    }

    const std::string& Root() const { return m_scratch.Root(); }
    const std::string& Home() const { return m_scratch.Home(); }
    const std::string& Work() const { return m_work; }
    const zorvane::pkigen::Result& Generated() const { return m_generated; }

private:
    ScratchHome m_scratch;
    std::string m_work;
    zorvane::pkigen::Result m_generated;
};
