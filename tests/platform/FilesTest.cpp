#include <gtest/gtest.h>

#include <string>

#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

namespace {

// Opening by Windows path, missing files and folders, are seen through LoadFile's table;
// here: the handle itself, and that only reading existing files is offered.
TEST(Files, HandlesReadToTheEndCloseOnceAndOnlyReadingIsOffered) {
    zorvane::testsupport::TempFolder home;
    zorvane::testing::ScopedDrives drives{{{'C', home.Path(), zorvane::paths::DriveKind::Fixed}}};
    home.Write("a.der", std::string("\x30\x82\x00\x01", 4));
    HANDLE file = CreateFileA("C:\\A.DER", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
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
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.der", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA("C:\\a.der", GENERIC_READ, 0, nullptr, 2, 0, nullptr));
}

}  // namespace
