#include <zorvane/Util.h>

#include <gtest/gtest.h>

#include <string>

#include "core/UtilOperations.h"
#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using namespace zorvane::platform;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

TEST(ProgramFiles, OnThisMachineTheFolderIsTheHomeDrive) {
    CUtil util;
    EXPECT_EQ("C:\\\\", Text(util.GetProgramFilesPath()));
    EXPECT_EQ("C:\\Program Files (x86)\\", Text(util.GetProgramFiles64Path()));
    TempFolder home;
    home.MakeFolder("NPKI/yessign/User");
    ScopedDrives drives({{'C', home.Path(), zorvane::paths::DriveKind::Fixed}});
    ByteString folder;
    folder.Format("%s\\NPKI\\%s\\User\\", util.GetProgramFilesPath().GetData(), "yessign");
    EXPECT_EQ(home / "NPKI/yessign/User/", zorvane::paths::Win32PathToNative(folder.GetData()));
}

TEST(ProgramFiles, RegistryValueGetsOneBackslash) {
    TableRegistry registry;
    registry.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
    registry.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    ScopedService<RegistryStore> installed(ReplaceRegistry, registry);
    CUtil util;
    EXPECT_EQ("C:\\Program Files\\", Text(util.GetProgramFilesPath()));
    EXPECT_EQ("C:\\Program Files (x86)\\", Text(util.GetProgramFiles64Path()));
}

TEST(ProgramFiles, EmptyOrOverlongValuesFallBackToTheSystemDrive) {
    TableRegistry registry;
    registry.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", std::string(300, 'x'));
    ScopedService<RegistryStore> installedRegistry(ReplaceRegistry, registry);
    FixedSystemInfo system = DefaultSystemInfo();
    system.systemDirectory = "D:\\WINNT\\system32";
    {
        ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
        EXPECT_EQ("D:\\Program Files\\", Text(zorvane::util::GetProgramFilesPath()));
        EXPECT_EQ("D:\\Program Files (x86)\\", Text(zorvane::util::GetProgramFiles64Path()));
    }
    system.systemDirectory.clear();
    ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
    EXPECT_EQ("C:\\Program Files\\", Text(zorvane::util::GetProgramFilesPath()));
}

struct VersionCase {
    DWORD platform, major, minor;
    int utilCode, loadCertCode;
};

TEST(OSVersion, BothTablesOverEveryRow) {
    const VersionCase cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1, 1},  {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2, 2},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3, 3}, {VER_PLATFORM_WIN32_WINDOWS, 4, 20, 0, 0},
        {VER_PLATFORM_WIN32_NT, 3, 51, 4, 4},      {VER_PLATFORM_WIN32_NT, 4, 0, 4, 4},
        {VER_PLATFORM_WIN32_NT, 5, 0, 5, 5},       {VER_PLATFORM_WIN32_NT, 5, 1, 6, 7},
        {VER_PLATFORM_WIN32_NT, 5, 2, 0, 6},       {VER_PLATFORM_WIN32_NT, 6, 0, 7, 8},
        {VER_PLATFORM_WIN32_NT, 6, 1, 0, 9},       {VER_PLATFORM_WIN32_NT, 6, 2, 0, 0},
        {VER_PLATFORM_WIN32_NT, 10, 0, 0, 0},      {VER_PLATFORM_WIN32s, 6, 0, 0, 0},
        {kPlatformPosix, 6, 1, 0, 0},
    };
    for (const VersionCase& c : cases) {
        FixedSystemInfo system = DefaultSystemInfo();
        system.version.dwPlatformId = c.platform;
        system.version.dwMajorVersion = c.major;
        system.version.dwMinorVersion = c.minor;
        ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
        CUtil util;
        EXPECT_EQ(c.utilCode, util.GetOSVersion()) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(c.loadCertCode, zorvane::util::GetOSVersionCode(zorvane::util::kLoadCertVersionCodes))
            << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST(OSVersion, ThisMachineGivesZero) {
    EXPECT_EQ(0, CUtil().GetOSVersion());
    EXPECT_EQ(0, zorvane::util::GetOSVersionCode(zorvane::util::kLoadCertVersionCodes));
}

BOOL AnswerTrue(HANDLE, PBOOL wow64) { return *wow64 = TRUE; }
BOOL AnswerFalse(HANDLE, PBOOL wow64) { return (*wow64 = FALSE), TRUE; }

TEST(Check64bitOS, AsksIsWow64ProcessWhenTheSystemHasIt) {
    CUtil util;
    EXPECT_EQ(0, util.Check64bitOS());
    FixedSystemInfo system = DefaultSystemInfo();
    system.isWow64Process = AnswerTrue;
    {
        ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
        EXPECT_NE(0, util.Check64bitOS());
    }
    system.isWow64Process = AnswerFalse;
    ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
    EXPECT_EQ(0, util.Check64bitOS());
}

TEST(CaseConversion, OnlyAsciiLettersChange) {
    unsigned char text[] = "Hello, \xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 Zz";
    CUtil util;
    util.ToLower(text);
    EXPECT_STREQ("hello, \xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 zz", reinterpret_cast<char*>(text));
    util.ToUpper(text);
    EXPECT_STREQ("HELLO, \xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 ZZ", reinterpret_cast<char*>(text));
    util.ToUpper(nullptr);
    unsigned char empty[] = "";
    util.ToLower(empty);
    EXPECT_EQ(0, empty[0]);
}

TEST(Substrings, LeftMidRightReturnAndStoreTheCut) {
    CUtil util;
    ByteString out;
    EXPECT_EQ("ab", Text(util.ByteStringLeft(ByteString("abcdef"), out, 2)));
    EXPECT_EQ("ab", Text(out));
    EXPECT_EQ("cde", Text(util.ByteStringMid(ByteString("abcdef"), out, 2, 3)));
    EXPECT_EQ("ef", Text(util.ByteStringRight(ByteString("abcdef"), out, 2)));
    EXPECT_EQ("", Text(util.ByteStringLeft(ByteString("abc"), out, 0)));
    EXPECT_TRUE(out.IsEmpty());
}

TEST(Substrings, TheOutputMayBeTheSourceAndZeroBytesCount) {
    ByteString s("\x01\x00\x02\x03", 4);
    zorvane::util::ByteStringMid(s, s, 1, 2);
    EXPECT_TRUE(s == ByteString("\x00\x02", 2));
    ByteString t("hello");
    zorvane::util::ByteStringRight(t, t, 3);
    EXPECT_EQ("llo", Text(t));
}

TEST(Substrings, OutOfRangeArgumentsAreClipped) {
    ByteString out;
    const ByteString s("abc");
    EXPECT_EQ("abc", Text(zorvane::util::ByteStringLeft(s, out, 10)));
    EXPECT_EQ("", Text(zorvane::util::ByteStringLeft(s, out, -1)));
    EXPECT_EQ("c", Text(zorvane::util::ByteStringMid(s, out, 2, 10)));
    EXPECT_EQ("", Text(zorvane::util::ByteStringMid(s, out, 7, 1)));
    EXPECT_EQ("ab", Text(zorvane::util::ByteStringMid(s, out, -3, 2)));
    EXPECT_EQ("abc", Text(zorvane::util::ByteStringRight(s, out, 99)));
}

TEST(FindCount, CountsOverlappingFindsWithTheEstablishedLastPosition) {
    CUtil util;
    int lastPos = 0;
    char comma[] = ",";
    EXPECT_EQ(2, util.ByteStringFindCount(ByteString("a,b,d"), comma, lastPos));
    EXPECT_EQ(3, lastPos);
    EXPECT_EQ(1, util.ByteStringFindCount(ByteString("a,b"), comma, lastPos));
    EXPECT_EQ(2, lastPos) << "one find reports its index plus one";
    char pair[] = "aa";
    EXPECT_EQ(2, util.ByteStringFindCount(ByteString("aaa"), pair, lastPos));
    EXPECT_EQ(1, lastPos);
    EXPECT_EQ(3, util.ByteStringFindCount(ByteString("aaaa"), pair, lastPos));
    EXPECT_EQ(2, lastPos);
    char none[] = ";";
    EXPECT_EQ(0, util.ByteStringFindCount(ByteString("a,b"), none, lastPos));
    EXPECT_EQ(-1, lastPos);
    EXPECT_EQ(0, zorvane::util::ByteStringFindCount(ByteString(), ",", lastPos));
    EXPECT_EQ(0, zorvane::util::ByteStringFindCount(ByteString("a"), "", lastPos));
    EXPECT_EQ(-1, lastPos);
    EXPECT_EQ(2, zorvane::util::ByteStringFindCount(ByteString(",\0,", 3), ",", lastPos)) << "zero bytes count";
    EXPECT_EQ(2, lastPos);
}

TEST(Find2, FromStartOrFromAnIndexAsText) {
    CUtil util;
    char comma[] = ",";
    EXPECT_EQ(3, util.ByteStringFind2(ByteString("a,b,d"), comma, 2));
    EXPECT_EQ(1, util.ByteStringFind2(ByteString("a,b,d"), comma, 0));
    EXPECT_EQ(1, util.ByteStringFind2(ByteString("a,b,d"), comma, 1));
    EXPECT_EQ(-1, util.ByteStringFind2(ByteString("a,b,d"), comma, 4));
    EXPECT_EQ(-1, util.ByteStringFind2(ByteString("a,b,d"), comma, 5));
    EXPECT_EQ(-1, util.ByteStringFind2(ByteString("a,b,d"), comma, -1));
    EXPECT_EQ(-1, util.ByteStringFind2(ByteString("abc"), comma, 0));
    const ByteString withZero("ab\0,c,", 6);
    EXPECT_EQ(3, zorvane::util::ByteStringFind2(withZero, ",", 0)) << "the whole content from 0";
    EXPECT_EQ(-1, zorvane::util::ByteStringFind2(withZero, ",", 1)) << "a text ends at its zero byte";
    EXPECT_EQ(5, zorvane::util::ByteStringFind2(withZero, ",", 4));
    EXPECT_EQ(-1, zorvane::util::ByteStringFind2(withZero, "", 1));
    EXPECT_EQ(-1, zorvane::util::ByteStringFind2(withZero, nullptr, 0));
}

TEST(CUtilObject, CopiesAndAssignsWithoutState) {
    CUtil first;
    CUtil second(first);
    second = first;
    EXPECT_EQ(first.GetOSVersion(), second.GetOSVersion());
}

}  // namespace
