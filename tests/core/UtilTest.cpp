#include <zorvane/Util.h>

#include <gtest/gtest.h>

#include <string>

#include "core/UtilOperations.h"
#include "platform/Services.h"

using namespace zorvane::platform;

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

// The Program Files folders: the registry's value with one backslash added, the system
// drive's folder when the value is missing or too long, C: without a system folder.
TEST(ProgramFiles, RegistryValueOrTheSystemDrive) {
    CUtil util;
    EXPECT_EQ("C:\\\\", Text(util.GetProgramFilesPath())) << "this machine: the home drive";
    EXPECT_EQ("C:\\Program Files (x86)\\", Text(util.GetProgramFiles64Path()));
    const struct Row {
        std::string value, value86, systemFolder, folder, folder86;
    } kRows[] = {
        {"C:\\Program Files", "C:\\Program Files (x86)", "", "C:\\Program Files\\", "C:\\Program Files (x86)\\"},
        {std::string(300, 'x'), "", "D:\\WINNT\\system32", "D:\\Program Files\\", "D:\\Program Files (x86)\\"},
        {std::string(300, 'x'), "", "", "C:\\Program Files\\", "C:\\Program Files (x86)\\"},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.folder);
        TableRegistry registry;
        registry.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", row.value);
        if (!row.value86.empty()) registry.Set(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)", row.value86);
        FixedSystemInfo system = DefaultSystemInfo();
        system.systemDirectory = row.systemFolder;
        ScopedService<RegistryStore> installedRegistry(ReplaceRegistry, registry);
        ScopedService<SystemInfo> installedSystem(ReplaceSystemInfo, system);
        EXPECT_EQ(row.folder, Text(util.GetProgramFilesPath()));
        EXPECT_EQ(row.folder86, Text(util.GetProgramFiles64Path()));
    }
}

// Both tables answer from rows of their own: one row per way a row matches or misses,
// and the versions where the tables differ.
TEST(OSVersion, BothTablesMatchPlatformMajorAndMinor) {
    const struct Row {
        DWORD platform, major, minor;
        int utilCode, loadCertCode;
    } kRows[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1, 1}, {VER_PLATFORM_WIN32_WINDOWS, 4, 20, 0, 0},
        {VER_PLATFORM_WIN32_NT, 3, 51, 4, 4},     {VER_PLATFORM_WIN32_NT, 5, 1, 6, 7},
        {VER_PLATFORM_WIN32_NT, 5, 2, 0, 6},      {VER_PLATFORM_WIN32_NT, 6, 2, 0, 0},
        {VER_PLATFORM_WIN32s, 6, 0, 0, 0},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::to_string(row.platform) + " " + std::to_string(row.major) + "." + std::to_string(row.minor));
        FixedSystemInfo system = DefaultSystemInfo();
        system.version.dwPlatformId = row.platform;
        system.version.dwMajorVersion = row.major;
        system.version.dwMinorVersion = row.minor;
        ScopedService<SystemInfo> installed(ReplaceSystemInfo, system);
        EXPECT_EQ(row.utilCode, CUtil().GetOSVersion());
        EXPECT_EQ(row.loadCertCode, zorvane::util::GetOSVersionCode(zorvane::util::kLoadCertVersionCodes));
    }
    CUtil util;
    EXPECT_EQ(0, util.GetOSVersion());
    EXPECT_EQ(0, util.Check64bitOS());
}

TEST(CaseConversion, OnlyAsciiLettersChange) {
    unsigned char text[] = "Hello, \xED\x99\x8D Zz@[`{";
    CUtil util;
    util.ToLower(text);
    EXPECT_STREQ("hello, \xED\x99\x8D zz@[`{", reinterpret_cast<char*>(text));
    util.ToUpper(text);
    EXPECT_STREQ("HELLO, \xED\x99\x8D ZZ@[`{", reinterpret_cast<char*>(text));
    util.ToUpper(nullptr);
}

// Left, Mid, Right: the cut is returned and stored, with arguments out of range clipped;
// the output may be the source.
TEST(Substrings, CutsAreClippedAndStored) {
    enum Cut { kLeft, kMid, kRight };
    const struct Row {
        Cut cut;
        std::string source;
        int start, count;
        std::string result;
    } kRows[] = {
        {kLeft, "abcdef", 0, 2, "ab"}, {kMid, "abcdef", 2, 3, "cde"}, {kRight, "abcdef", 0, 2, "ef"},
        {kLeft, "abc", 0, -1, ""},     {kMid, "abc", -3, 2, "ab"},     {kMid, "abc", 2, 10, "c"},
        {kRight, "abc", 0, 99, "abc"}, {kMid, std::string("\x01\x00\x02\x03", 4), 1, 2, std::string("\x00\x02", 2)},
    };
    CUtil util;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.source + " " + std::to_string(row.cut) + " " + std::to_string(row.start) + " " +
                     std::to_string(row.count));
        const ByteString source(row.source.data(), static_cast<int>(row.source.size()));
        ByteString out("old");
        const ByteString returned = row.cut == kLeft  ? util.ByteStringLeft(source, out, row.count)
                                    : row.cut == kMid ? util.ByteStringMid(source, out, row.start, row.count)
                                                      : util.ByteStringRight(source, out, row.count);
        EXPECT_EQ(row.result, Text(returned));
        EXPECT_EQ(row.result, Text(out));
        ByteString self = source;
        if (row.cut == kMid) zorvane::util::ByteStringMid(self, self, row.start, row.count);
        if (row.cut == kRight) zorvane::util::ByteStringRight(self, self, row.count);
        if (row.cut == kLeft) zorvane::util::ByteStringLeft(self, self, row.count);
        EXPECT_EQ(row.result, Text(self));
    }
}

// FindCount counts overlapping finds; lastPos is the last index found, or the index
// plus one after a single find, or -1 after none.
TEST(FindCount, CountsOverlappingFinds) {
    const struct Row {
        std::string source, pattern;
        int count, lastPos;
    } kRows[] = {
        {"a,b", ",", 1, 2}, {"aaaa", "aa", 3, 2}, {"a,b", ";", 0, -1}, {"a", "", 0, -1}, {std::string(",\0,", 3), ",", 2, 2},
    };
    CUtil util;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.source + " / " + row.pattern);
        std::string pattern = row.pattern;
        int lastPos = 99;
        EXPECT_EQ(row.count, util.ByteStringFindCount(ByteString(row.source.data(), static_cast<int>(row.source.size())),
                                                      &pattern[0], lastPos));
        EXPECT_EQ(row.lastPos, lastPos);
    }
}

// Find2 searches the whole content from 0, but from any other index only the text up to
// its first zero byte.
TEST(Find2, FromStartOrFromAnIndexAsText) {
    const std::string withZero("ab\0,c,", 6);
    const struct Row {
        std::string source;
        const char* pattern;
        int start, found;
    } kRows[] = {
        {"a,b,d", ",", 2, 3},   {"a,b,d", ",", 5, -1}, {"a,b,d", ",", -1, -1}, {withZero, ",", 0, 3},
        {withZero, ",", 1, -1}, {withZero, ",", 4, 5}, {withZero, "", 1, -1},
    };
    CUtil util;
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::to_string(row.start) + " in " + row.source);
        const ByteString source(row.source.data(), static_cast<int>(row.source.size()));
        std::string pattern = row.pattern;
        EXPECT_EQ(row.found, util.ByteStringFind2(source, &pattern[0], row.start));
    }
}

}  // namespace
