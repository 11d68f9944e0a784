#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using namespace zorvane::platform;
using zorvane::paths::DriveKind;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

TEST(SystemFolder, IsWindowsSystem32OnDriveCAndReportsNeededSize) {
    char folder[MAX_PATH];
    EXPECT_EQ(19u, GetSystemDirectoryA(folder, sizeof folder));
    EXPECT_STREQ("C:\\Windows\\System32", folder);
    char small[5] = "xxxx";
    EXPECT_EQ(20u, GetSystemDirectoryA(small, sizeof small));
    FixedSystemInfo none = DefaultSystemInfo();
    none.systemDirectory.clear();
    ScopedService<SystemInfo> system(ReplaceSystemInfo, none);
    EXPECT_EQ(0u, GetSystemDirectoryA(folder, sizeof folder));
}

// Unknown names stay, the result is the size needed; %UserProfile% is the home drive.
TEST(Environment, ExpansionKeepsUnknownNamesAndTheProfileIsTheHomeDrive) {
    setenv("ZORVANE_TEST_VARIABLE", "value", 1);
    char out[64];
    EXPECT_EQ(26u, ExpandEnvironmentStringsA("a%zorvane_test_variable%b%NoSuchVariable%c%", out, sizeof out));
    EXPECT_STREQ("avalueb%NoSuchVariable%c%", out);
    char small[4];
    EXPECT_EQ(8u, ExpandEnvironmentStringsA("%ZORVANE_TEST_VARIABLE%xx", small, sizeof small));
    EXPECT_STREQ("val", small) << "cut, never beyond the buffer";
    unsetenv("ZORVANE_TEST_VARIABLE");
    TempFolder home;
    ScopedDrives drives({{'C', home.Path(), DriveKind::Fixed}});
    home.MakeFolder("AppData/LocalLow/NPKI");
    const DWORD needed = ExpandEnvironmentStringsA("%UserProfile%", out, sizeof out);
    EXPECT_EQ(std::strlen(out) + 1, needed);
    const std::string folder = std::string(out) + "\\AppData\\LocalLow\\NPKI";
    EXPECT_EQ(home / "AppData/LocalLow/NPKI", zorvane::paths::Win32PathToNative(folder.c_str()));
}

TEST(Libraries, LoadByWindowsPathLookUpByNameAndFree) {
    ScopedDrives drives({{'W', ZORVANE_TEST_WORK_DIR, DriveKind::Fixed}});
    HMODULE library = LoadLibraryA("W:\\LIBZORVANE.SO");
    ASSERT_NE(nullptr, library);
    EXPECT_NE(nullptr, GetProcAddress(library, "InitCertProcessDll"));
    EXPECT_EQ(nullptr, GetProcAddress(library, "NoSuchFunction"));
    EXPECT_EQ(nullptr, GetProcAddress(library, reinterpret_cast<LPCSTR>(static_cast<intptr_t>(3))));
    EXPECT_EQ(library, GetModuleHandleA("W:\\libzorvane.so")) << "already loaded";
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_EQ(nullptr, LoadLibraryA("W:\\NoSuchLibrary.dll"));
    EXPECT_EQ(nullptr, LoadLibraryA("Q:\\libzorvane.so"));
    EXPECT_EQ(nullptr, LoadLibraryA(""));
}

// An installed sink is seen through the phone certificates' refusals; without one, stderr.
TEST(MessageBox, WithoutASinkGoesToStandardError) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "to stderr", "Caption", MB_OK));
    EXPECT_EQ("Caption: to stderr\n", ::testing::internal::GetCapturedStderr());
}

}  // namespace
