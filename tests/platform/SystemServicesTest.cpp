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

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// The default registry is read through CUtil (ProgramFiles); here, keys and values.
TEST(Registry, KeysOpenIgnoringCaseAndRelativeToOpenedKeys) {
    HKEY windows = nullptr, current = nullptr, missing = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\MICROSOFT\\windows\\currentversion\\", 0,
                                           KEY_READ, &current));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(current));
    TableRegistry table;
    table.Set(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows", "x", "1");
    table.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    ScopedService<RegistryStore> registry(ReplaceRegistry, table);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows", 0, KEY_READ, &windows));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(windows, "CurrentVersion", 0, KEY_READ, &current));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(windows, "Nothing", 0, KEY_READ, &missing));
    EXPECT_EQ(nullptr, missing);
    char value[8];
    DWORD size = sizeof value;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(current, "ProgramFilesDir", nullptr, nullptr,
                                                reinterpret_cast<LPBYTE>(value), &size));
    EXPECT_EQ(17u, size) << "the needed size, with the terminator";
    DWORD measured = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(current, "ProgramFilesDir", nullptr, nullptr, nullptr, &measured));
    EXPECT_EQ(17u, measured);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(current, "programfilesdir", nullptr, nullptr, nullptr, &measured));
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(current, "CommonFilesDir", nullptr, nullptr, nullptr, &measured));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(current));
    EXPECT_NE(ERROR_SUCCESS, RegCloseKey(current));
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(current, "ProgramFilesDir", nullptr, nullptr, nullptr, &measured));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(windows));
}

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

TEST(Environment, UserProfileIsTheHomeDrive) {
    TempFolder home;
    ScopedDrives drives({{'C', home.Path(), DriveKind::Fixed}});
    home.MakeFolder("AppData/LocalLow/NPKI");
    char expanded[MAX_PATH];
    const DWORD needed = ExpandEnvironmentStringsA("%UserProfile%", expanded, sizeof expanded);
    EXPECT_EQ(std::strlen(expanded) + 1, needed);
    const std::string folder = std::string(expanded) + "\\AppData\\LocalLow\\NPKI";
    EXPECT_EQ(home / "AppData/LocalLow/NPKI", zorvane::paths::Win32PathToNative(folder.c_str()));
}

TEST(Environment, ExpansionKeepsUnknownNamesAndReportsNeededSize) {
    setenv("ZORVANE_TEST_VARIABLE", "value", 1);
    char out[64];
    EXPECT_EQ(26u, ExpandEnvironmentStringsA("a%zorvane_test_variable%b%NoSuchVariable%c%", out, sizeof out));
    EXPECT_STREQ("avalueb%NoSuchVariable%c%", out);
    char small[4];
    EXPECT_EQ(8u, ExpandEnvironmentStringsA("%ZORVANE_TEST_VARIABLE%xx", small, sizeof small));
    EXPECT_STREQ("val", small) << "cut, never beyond the buffer";
    unsetenv("ZORVANE_TEST_VARIABLE");
}

TEST(Version, ThisMachineIsNoWindowsAndHasNoWow64) {
    OSVERSIONINFOA version{};
    EXPECT_FALSE(GetVersionExA(&version)) << "the size field must be set";
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_TRUE(GetVersionExA(&version));
    EXPECT_NE(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), version.dwPlatformId);
    EXPECT_NE(static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS), version.dwPlatformId);
    EXPECT_EQ(nullptr, GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process"));
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

class CapturingSink : public MessageSink {
public:
    int Show(const char* text, const char* caption, UINT type) override {
        shown += std::string(caption) + "|" + text + "|" + std::to_string(type) + "\n";
        return IDOK;
    }
    std::string shown;
};

TEST(MessageBox, GoesToTheInstalledSink) {
    CapturingSink sink;
    {
        ScopedService<MessageSink> installed(ReplaceMessageSink, sink);
        EXPECT_EQ(IDOK, MessageBoxA(nullptr, "인증서를 사용할 수 없습니다.", "Zorvane", MB_OK));
    }
    EXPECT_EQ("Zorvane|인증서를 사용할 수 없습니다.|0\n", sink.shown);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "to stderr", "Caption", MB_OK));
    EXPECT_EQ("Caption: to stderr\n", ::testing::internal::GetCapturedStderr());
}

TEST(Strings, LstrcmpOrdersAndHandlesNull) {
    EXPECT_EQ(0, lstrcmpA("abc", "abc"));
    EXPECT_LT(lstrcmpA("abc", "abd"), 0);
    EXPECT_GT(lstrcmpA("b", "a"), 0);
    EXPECT_LT(lstrcmpA(nullptr, "a"), 0);
    EXPECT_EQ(0, lstrcmpA(nullptr, nullptr));
}

}  // namespace
