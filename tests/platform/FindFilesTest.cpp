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

TEST_F(UserFolder, DotsFirstThenByteOrderWithFolderAttributes) {
    const auto listed = ListAll("C:\\NPKI\\yessign\\USER\\*.*");
    const std::vector<std::string> expected{".", "..", "Z", "cn=A", "cn=b", "stray.txt", "\xED\x99\x8D.der"};
    EXPECT_EQ(expected, Names(listed));
    ASSERT_EQ(expected.size(), listed.size());
    EXPECT_TRUE(listed[0].folder && listed[1].folder && listed[2].folder && listed[3].folder && listed[4].folder);
    EXPECT_FALSE(listed[5].folder);
    EXPECT_EQ(5u, listed[5].sizeLow);
}

TEST_F(UserFolder, StarAloneListsTheSame) {
    EXPECT_EQ(Names(ListAll("C:\\NPKI\\yessign\\User\\*.*")), Names(ListAll("C:\\NPKI\\yessign\\User\\*")));
}

TEST_F(UserFolder, PatternsMatchIgnoringCase) {
    EXPECT_EQ(std::vector<std::string>({"stray.txt"}), Names(ListAll("C:\\NPKI\\yessign\\User\\*.TXT")));
    EXPECT_EQ(std::vector<std::string>({"cn=A", "cn=b"}), Names(ListAll("C:\\NPKI\\yessign\\User\\CN=?")));
    EXPECT_EQ(std::vector<std::string>({"stray.txt"}), Names(ListAll("C:\\NPKI\\yessign\\User\\Stray.txt")));
}

TEST_F(UserFolder, MissingFolderOrNoMatchGivesInvalidHandle) {
    WIN32_FIND_DATAA found;
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\NPKI\\signkorea\\User\\*.*", &found));
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("C:\\NPKI\\yessign\\User\\*.pfx", &found));
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("Q:\\*.*", &found));
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("", &found));
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
