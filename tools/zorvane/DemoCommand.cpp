// zorvane demo: shows what Zorvane sees on this machine. The demo is a sequence of
// steps; each step prints one part and returns 0 or a failure code.
#include <cstdio>

#include <zorvane/Util.h>

#include "platform/PathTranslation.h"
#include "platform/Win32.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/DemoSteps.h"

namespace {

const char* DriveTypeName(UINT type) {
    switch (type) {
        case DRIVE_FIXED: return "fixed";
        case DRIVE_REMOVABLE: return "removable";
        default: return "other";
    }
}

// The drive letters as the library's readers see them (A: to Z:, by drive type), and
// the folder each stands for.
void ShowDrives() {
    std::printf("drives:\n");
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char root[] = {letter, ':', '\\', 0};
        const UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) continue;
        zorvane::paths::Drive drive;
        zorvane::paths::FindDrive(letter, drive);
        std::printf("  %s  %-9s  %s\n", root, DriveTypeName(type), drive.folder.c_str());
    }
}

int ShowPlatformView() {
    std::printf("== platform view\n");
    ShowDrives();
    CUtil util;
    const ByteString programFiles = util.GetProgramFilesPath();
    std::printf("program files: %s  ->  %s\n", programFiles.GetData(),
                zorvane::paths::Win32PathToNative(programFiles.GetData()).c_str());
    std::printf("home (C:):     %s\n", zorvane::paths::Win32PathToNative("C:\\").c_str());
    char system[MAX_PATH] = {0};
    GetSystemDirectoryA(system, sizeof system);
    char profile[MAX_PATH] = {0};
    ExpandEnvironmentStringsA("%userprofile%", profile, sizeof profile);
    std::printf("system folder: %s\n%%userprofile%%: %s\n", system, profile);
    std::printf("Windows version code: %d, 32-bit process on 64-bit Windows: %d\n", util.GetOSVersion(),
                util.Check64bitOS());
    return 0;
}

// The demo's steps, in order: the platform, a sandbox home holding a generated test PKI,
// the certificate list read from it, then CMS messages made with one of its users.
struct DemoStep {
    int (*run)();
};
const DemoStep kSteps[] = {{ShowPlatformView},         {MakeDemoSandbox},           {ShowDemoCertificates},
                           {SignAndVerifyDemoMessage}, {EnvelopeAndOpenDemoMessage}, {ShowDemoCardAndToken}};

int RunDemo(int, char**) {
    std::printf("Zorvane %s demo\n\n", ZORVANE_VERSION);
    for (const DemoStep& step : kSteps) {
        if (const int failed = step.run()) return failed;
        std::printf("\n");
    }
    return 0;
}

}  // namespace

ZORVANE_COMMAND("demo", "demo              show the platform's view, a test PKI's certificates and CMS messages", RunDemo);
