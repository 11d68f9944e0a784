#include <gtest/gtest.h>

#include <string>

#include "platform/ProfileReader.h"
#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using zorvane::paths::DriveKind;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

class IssuerConf : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string longValue(150, 'v');
        work.Write("IssuerOid.conf",
                   "1.2.410.200004.5.2.1.1=yessign personal\r\n"
                   "[Info_count]\r\n"
                   "  Policy_Info =   2  \r\n"
                   "; a comment = not a key\r\n"
                   "[ Policy_Info1 ]\r\n"
                   "DirName=yessign\r\n"
                   "DirName=second value loses\r\n"
                   "[Policy_Info2]\r\n"
                   "Quoted=\"  spaced  \"\r\n"
                   "Empty=\r\n"
                   "Long=" + longValue + "\r\n"
                   "[Issuer_Info]\r\n"
                   "yessignCA=\xEA\xB8\x88\xEC\x9C\xB5\xEA\xB2\xB0\xEC\xA0\x9C\xEC\x9B\x90\n"
                   "[Policy_Info1]\r\n"
                   "Extra=later section of the same name is not read\r\n");
    }
    // Reads a value into a buffer of the given size; returns (result, text).
    std::pair<DWORD, std::string> Read(const char* section, const char* key, DWORD size, const char* fallback) {
        std::string buffer(size, '\x7f');
        const DWORD result = GetPrivateProfileStringA(section, key, fallback, &buffer[0], size, path.c_str());
        return {result, std::string(buffer.c_str())};
    }
    TempFolder work;
    ScopedDrives drives{{{'C', work.Path(), DriveKind::Fixed}}};
    std::string path = "C:\\issueroid.CONF";
};

// Names ignore case and blanks around names and values go; the first key and section
// win; a missing one gives the default (its trailing blanks gone); comments are no keys;
// quotes and empty values are kept; a value is cut to the buffer.
TEST_F(IssuerConf, ValuesByNameAndBufferSize) {
    const struct Row {
        const char* section;
        const char* key;
        DWORD size;
        const char* fallback;
        DWORD result;
        std::string text;
    } kRows[] = {
        {"info_count", "POLICY_INFO", 100, "NULL", 1, "2"},
        {"policy_info1", "dirname", 100, "NULL", 7, "yessign"},
        {"Issuer_Info", "YESSIGNCA", 100, "NULL", 15, "금융결제원"},
        {"Policy_Info1", "Extra", 100, "NULL", 4, "NULL"},
        {"Policy_Info3", "DirName", 100, "NULL", 4, "NULL"},
        {"Policy_Info2", "DirName", 100, "NULL", 4, "NULL"},
        {"Policy_Info2", "DirName", 100, nullptr, 0, ""},
        {"x", "y", 100, "abc   ", 3, "abc"},
        {"Info_count", "; a comment", 100, "NULL", 4, "NULL"},
        {"Policy_Info2", "Quoted", 100, "NULL", 10, "  spaced  "},
        {"Policy_Info2", "Empty", 100, "NULL", 0, ""},
        {"Policy_Info2", "Long", 100, "NULL", 99, std::string(99, 'v')},
        {"Policy_Info2", "Long", 1, "NULL", 0, ""},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.section) + "/" + row.key + " in " + std::to_string(row.size));
        EXPECT_EQ(std::make_pair(row.result, row.text), Read(row.section, row.key, row.size, row.fallback));
    }
    std::string buffer(100, 'x');
    EXPECT_EQ(4u, GetPrivateProfileStringA("Info_count", "Policy_Info", "NULL", &buffer[0], 100, "C:\\nothing.conf"));
    EXPECT_STREQ("NULL", buffer.c_str());
    char untouched = 'u';
    EXPECT_EQ(0u, GetPrivateProfileStringA("Policy_Info2", "Long", "", &untouched, 0, path.c_str()));
    EXPECT_EQ('u', untouched);
}

TEST(ProfileReader, LinesBeforeTheFirstSectionBelongToNoSection) {
    std::string value;
    EXPECT_FALSE(zorvane::platform::FindProfileValue("key=value\n[s]\nother=1\n", "", "key", value));
    EXPECT_TRUE(zorvane::platform::FindProfileValue("\xEF\xBB\xBF[s]\nk = v \n", "S", "K", value));
    EXPECT_EQ("v", value);
    EXPECT_TRUE(zorvane::platform::FindProfileValue("[unclosed\nk=v", "unclosed", "k", value));
    EXPECT_FALSE(zorvane::platform::FindProfileValue("[s]\nnoequals\n", "s", "noequals", value));
}

}  // namespace
