#include <gtest/gtest.h>

#include <string>

#include "platform/PathTranslation.h"
#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using zorvane::paths::DriveKind;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

class Files : public ::testing::Test {
protected:
    TempFolder home;
    ScopedDrives drives{{{'C', home.Path(), DriveKind::Fixed}}};
};

HANDLE OpenForReading(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(Files, ReadsAWholeFileByItsWindowsPath) {
    home.Write("NPKI/yessign/User/cn=x/signCert.der", std::string("\x30\x82\x00\x01", 4));
    HANDLE file = OpenForReading("C:\\NPKI\\YESSIGN\\USER\\CN=X\\SIGNCERT.DER");
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD high = 7;
    EXPECT_EQ(4u, GetFileSize(file, &high));
    EXPECT_EQ(0u, high);
    unsigned char buffer[8] = {0};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(4u, got);
    EXPECT_EQ(0x82, buffer[1]);
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(0u, got) << "end of file";
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(INVALID_FILE_SIZE, GetFileSize(file, nullptr));
    EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
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

TEST_F(Files, FoldersAndMissingFilesDoNotOpen) {
    home.MakeFolder("NPKI");
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenForReading("C:\\NPKI"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenForReading("C:\\NPKI\\missing.der"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenForReading(""));
}

TEST_F(Files, OnlyReadingExistingFilesIsOffered) {
    home.Write("a.txt", "a");
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.txt", GENERIC_READ, 0, nullptr, 2, 0, nullptr));
}

}  // namespace
