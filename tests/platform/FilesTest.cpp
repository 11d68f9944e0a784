#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PathTranslation.h"
#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

namespace {

class Files : public ::testing::Test {
protected:
    zorvane::testsupport::TempFolder home;
    zorvane::testing::ScopedDrives drives{{{'C', home.Path(), zorvane::paths::DriveKind::Fixed}}};
};

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Opening, sizes, reading and closing are seen through LoadFile's table; here, what a
// handle gives after the end and after closing, and that only reading is offered.
TEST_F(Files, HandlesCloseOnceAndOnlyReadingIsOffered) {
    home.Write("a.der", std::string("\x30\x82\x00\x01", 4));
    HANDLE file = OpenForReading("C:\\A.DER");
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    unsigned char buffer[8] = {0};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(4u, got);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(0u, got) << "end of file";
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file, nullptr));
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.der", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.der", GENERIC_READ, 0, nullptr, 2, 0, nullptr));
}

std::string ReadAll(const char* path) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return "(not opened)";
    std::string text(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    return text.substr(0, got);
}

// A walk opens the name as written first and matches it ignoring case only after a miss.
TEST_F(Files, InAWalkANameInAnotherCaseStillOpens) {
    home.Write("NPKI/USER/cn=x/SignCert.der", "mixed");
    home.Write("NPKI/USER/cn=y/signCert.der", "exact");
    home.Write("NPKI/USER/cn=y/SIGNCERT.DER", "upper");
    const zorvane::paths::ScopedFolderListings walk;
    EXPECT_EQ("mixed", ReadAll("C:\\NPKI\\User\\cn=x\\signCert.der"));
    EXPECT_EQ("exact", ReadAll("C:\\NPKI\\User\\cn=y\\signCert.der"));
    EXPECT_EQ("upper", ReadAll("C:\\NPKI\\User\\cn=y\\SIGNCERT.DER"));
}

// Every entry of a search, in the order the platform returns them; folders end in a slash.
std::vector<std::string> ListAll(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        names.push_back(found.cFileName + std::string(folder ? "/" : ""));
    } while (FindNextFileA(search, &found));
    EXPECT_TRUE(FindClose(search));
    return names;
}

// Dots first, then byte order; patterns match ignoring case; a missing folder, drive or
// match gives no search at all. A search handle closes once, and only with FindClose.
TEST_F(Files, SearchesListInByteOrderAndMatchIgnoringCase) {
    home.Write("NPKI/yessign/User/stray.txt", "12345");
    home.MakeFolder("NPKI/yessign/User/cn=b");
    home.MakeFolder("NPKI/yessign/User/cn=A");
    home.MakeFolder("NPKI/yessign/User/Z");
    home.Write("NPKI/yessign/User/\xED\x99\x8D.der", "k");  // a Korean name sorts by its bytes
    const std::vector<std::string> all{"./", "../", "Z/", "cn=A/", "cn=b/", "stray.txt", "\xED\x99\x8D.der"};
    const struct Row {
        const char* pattern;
        std::vector<std::string> names;
    } kRows[] = {
        {"C:\\NPKI\\yessign\\USER\\*.*", all},          {"C:\\NPKI\\yessign\\User\\*", all},
        {"C:\\NPKI\\yessign\\User\\*.TXT", {"stray.txt"}}, {"C:\\NPKI\\yessign\\User\\CN=?", {"cn=A/", "cn=b/"}},
        {"C:\\NPKI\\yessign\\User\\Stray.txt", {"stray.txt"}}, {"C:\\NPKI\\yessign\\User\\*.pfx", {}},
        {"C:\\NPKI\\signkorea\\User\\*.*", {}},           {"Q:\\*.*", {}},
        {"", {}},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(row.names, ListAll(row.pattern));
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\NPKI\\yessign\\User\\stray.txt", &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    EXPECT_EQ(5u, found.nFileSizeLow);
    EXPECT_FALSE(CloseHandle(search));
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_FALSE(FindNextFileA(search, &found));
}

}  // namespace
