// The certificate part of zorvane demo: a sandbox home filled by the test-PKI generator
// (valid, expired and revoked users, with their CAs' CRLs), one certificate copied to a
// removable drive, and zorvane list over both.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"
#include "tools/zorvane/ProgramFolder.h"

namespace {

namespace fs = std::filesystem;

// The first certificate folder of the yessign store, for the removable drive.
fs::path FirstYessignFolder(const fs::path& home) {
    std::vector<fs::path> folders;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(home / "NPKI" / "yessign" / "USER", error))
        if (entry.is_directory()) folders.push_back(entry.path());
    std::sort(folders.begin(), folders.end());
    return folders.empty() ? fs::path() : folders.front();
}

}  // namespace

int MakeDemoSandbox() {
    const fs::path sandbox = DemoSandbox(), home = sandbox / "home", stick = sandbox / "stick";
    std::printf("== a sandbox home with a generated test PKI\n");
    std::error_code error;
    fs::remove_all(home, error);
    fs::remove_all(stick, error);
    const std::string generate = ShellQuoted(fs::path(ProgramFolder()) / "zorvane-pkigen") + " --home " + ShellQuoted(home) +
                                 " --work " + ShellQuoted(ProgramFolder()) + " --count 1 --expired 1 --revoked 1 --seed 7" +
                                 " --key-cache " + ShellQuoted(sandbox / "key-cache");
    std::fflush(stdout);
    if (std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "zorvane demo: the test-PKI generator failed: %s\n", generate.c_str());
        return 1;
    }
    const fs::path carried = FirstYessignFolder(home);
    fs::create_directories(stick / "NPKI" / "yessign" / "User", error);
    if (!carried.empty()) fs::copy(carried, stick / "NPKI" / "yessign" / "User" / carried.filename(), fs::copy_options::recursive, error);

    // The drives of this demo: C: is the sandbox home, E: a removable stick.
    const fs::path table = sandbox / "drives";
    std::ofstream(table) << "C: " << home.string() << " fixed\nE: " << stick.string() << " removable\n";
    setenv("ZORVANE_DRIVE_TABLE", table.c_str(), 1);
    std::printf("drive table %s:\n  C: %s  fixed\n  E: %s  removable\n", table.c_str(), home.c_str(), stick.c_str());
    return 0;
}

int ShowDemoCertificates() {
    std::printf("== zorvane list (every store of the hard disk C:)\n");
    if (const int failed = RunCommandHere({"list"})) return failed;
    std::printf("\n== zorvane list --drive E: (the removable drive)\n");
    return RunCommandHere({"list", "--drive", "E:"});
}
