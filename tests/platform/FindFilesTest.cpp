#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using zorvane::paths::DriveKind;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

struct Listed {
    std::string name;
    bool folder;
    DWORD sizeLow;
};

// Every entry of a search, in the order the platform returns them.
std::vector<Listed> ListAll(const std::string& pattern) {
    std::vector<Listed> listed;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return listed;
    do {
        listed.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                          found.nFileSizeLow});
    } while (FindNextFileA(search, &found));
    EXPECT_TRUE(FindClose(search));
    return listed;
}

std::vector<std::string> Names(const std::vector<Listed>& listed) {
    std::vector<std::string> names;
    for (const Listed& entry : listed) names.push_back(entry.name);
    return names;
}

class UserFolder : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("NPKI/yessign/User/stray.txt", "12345");
        home.MakeFolder("NPKI/yessign/User/cn=b");
        home.MakeFolder("NPKI/yessign/User/cn=A");
        home.MakeFolder("NPKI/yessign/User/Z");
        home.Write("NPKI/yessign/User/\xED\x99\x8D.der", "k");  // a Korean name sorts by its bytes
    }
    TempFolder home;
    ScopedDrives drives{{{'C', home.Path(), DriveKind::Fixed}}};
};

// Dots first, then byte order, with folder attributes; patterns match ignoring case; a
// missing folder, drive or match gives no search at all.
TEST_F(UserFolder, ListsInByteOrderAndMatchesIgnoringCase) {
    const std::vector<std::string> all{".", "..", "Z", "cn=A", "cn=b", "stray.txt", "\xED\x99\x8D.der"};
    const auto listed = ListAll("C:\\NPKI\\yessign\\USER\\*.*");
    ASSERT_EQ(all, Names(listed));
    EXPECT_TRUE(listed[0].folder && listed[1].folder && listed[2].folder && listed[3].folder && listed[4].folder);
    EXPECT_FALSE(listed[5].folder);
    EXPECT_EQ(5u, listed[5].sizeLow);
    const struct Row {
        const char* pattern;
        std::vector<std::string> names;
    } kRows[] = {
        {"C:\\NPKI\\yessign\\User\\*", all},           {"C:\\NPKI\\yessign\\User\\*.TXT", {"stray.txt"}},
        {"C:\\NPKI\\yessign\\User\\CN=?", {"cn=A", "cn=b"}}, {"C:\\NPKI\\yessign\\User\\Stray.txt", {"stray.txt"}},
        {"C:\\NPKI\\yessign\\User\\*.pfx", {}},       {"C:\\NPKI\\signkorea\\User\\*.*", {}},
        {"Q:\\*.*", {}},                               {"", {}},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(row.names, Names(ListAll(row.pattern)));
    }
}

TEST_F(UserFolder, SearchHandlesCloseOnceAndOnlyWithFindClose) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\NPKI\\*.*", &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_FALSE(CloseHandle(search));
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_FALSE(FindNextFileA(search, &found));
}

}  // namespace
