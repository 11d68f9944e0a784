// zorvane demo: a guided tour of the whole system on generated material. The demo is a
// sequence of steps; each step prints one part and returns 0 or a failure code.
#include <cstdio>

#include <zorvane/Util.h>

#include "platform/PathTranslation.h"
#include "platform/Win32.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"

namespace {

const char kUsage[] =
    "demo              a guided tour of Zorvane on a generated test PKI, in a sandbox beside\n"
    "                    the program that is removed at the end: the platform's drives and folders;\n"
    "                    certificates on the disk and a removable drive; one inspected; its key opened\n"
    "                    for a plain signature; CMS sign/verify (openssl cms confirming, when installed)\n"
    "                    and envelope/open with SEED; chain and CRL check, a revoked user refused; a\n"
    "                    smart-card image and a SoftHSM2 token listed; channel keys derived; a content\n"
    "                    message framed and handed to a second process through a named shared block\n";

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

// The tour, in order: the platform, a sandbox home holding a generated test PKI, the
// certificates found in it, one inspected and its key used, CMS messages, the chain and
// CRL check, card and token, then the channel: keys, a message, a second process.
struct DemoStep {
    int (*run)();
};
const DemoStep kSteps[] = {{ShowPlatformView},       {MakeDemoSandbox},          {ShowDemoCertificates},
                           {InspectDemoCertificate}, {SignWithDemoKey},          {SignAndVerifyDemoMessage},
                           {EnvelopeAndOpenDemoMessage}, {CheckDemoChainAndCrl}, {ShowDemoCardAndToken},
                           {DeriveDemoChannelKeys},  {FrameDemoMessage},         {HandOverDemoMessage}};

int RunSteps() {
    for (const DemoStep& step : kSteps) {
        if (const int failed = step.run()) return failed;
        std::printf("\n");
    }
    return 0;
}

int RunDemo(int argc, char**) {
    if (argc > 1) {
        std::fprintf(stderr, "zorvane demo: takes no arguments\nusage: zorvane %s", kUsage);
        return 2;
    }
    std::printf("Zorvane %s demo\n\n", ZORVANE_VERSION);
    const int failed = RunSteps();
    RemoveDemoSandbox();
    std::printf("%s; the sandbox %s is removed\n", failed ? "The demo stopped at a failed step" : "Done",
                DemoSandbox().c_str());
    return failed;
}

}  // namespace

ZORVANE_COMMAND("demo", kUsage, RunDemo);
