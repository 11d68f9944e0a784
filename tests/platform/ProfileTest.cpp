#include <gtest/gtest.h>

#include <cstring>
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
                   "IssuerCN = yessignCA\r\n"
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
    std::pair<DWORD, std::string> Read(const char* section, const char* key, DWORD size = 100,
                                       const char* fallback = "NULL") {
        std::string buffer(size, '\x7f');
        const DWORD result = GetPrivateProfileStringA(section, key, fallback, &buffer[0], size, path.c_str());
        return {result, std::string(buffer.c_str())};
    }
    TempFolder work;
    ScopedDrives drives{{{'C', work.Path(), DriveKind::Fixed}}};
    std::string path = "C:\\issueroid.CONF";
};

TEST_F(IssuerConf, NamesIgnoreCaseAndBlanksAroundNamesAndValuesAreTrimmed) {
    EXPECT_EQ(std::make_pair(DWORD{1}, std::string("2")), Read("info_count", "POLICY_INFO"));
    EXPECT_EQ(std::make_pair(DWORD{7}, std::string("yessign")), Read("policy_info1", "dirname"));
    EXPECT_EQ(std::make_pair(DWORD{9}, std::string("yessignCA")), Read("Policy_Info1", "IssuerCN"));
    EXPECT_EQ("금융결제원", Read("Issuer_Info", "YESSIGNCA").second);
}

TEST_F(IssuerConf, FirstKeyAndFirstSectionWin) {
    EXPECT_EQ("yessign", Read("Policy_Info1", "DirName").second);
    EXPECT_EQ("NULL", Read("Policy_Info1", "Extra").second);
}

TEST_F(IssuerConf, MissingSectionKeyOrFileGiveTheDefault) {
    EXPECT_EQ(std::make_pair(DWORD{4}, std::string("NULL")), Read("Policy_Info3", "DirName"));
    EXPECT_EQ(std::make_pair(DWORD{4}, std::string("NULL")), Read("Policy_Info2", "DirName"));
    EXPECT_EQ(std::make_pair(DWORD{0}, std::string("")), Read("Policy_Info2", "DirName", 100, nullptr));
    EXPECT_EQ(std::make_pair(DWORD{3}, std::string("abc")), Read("x", "y", 100, "abc   "))
        << "trailing blanks of the default go";
    std::string buffer(100, 'x');
    EXPECT_EQ(4u, GetPrivateProfileStringA("Info_count", "Policy_Info", "NULL", &buffer[0], 100, "C:\\nothing.conf"));
    EXPECT_STREQ("NULL", buffer.c_str());
}

TEST_F(IssuerConf, CommentsAreNoKeysAndQuotesAndEmptyValuesAreKept) {
    EXPECT_EQ("NULL", Read("Info_count", "; a comment").second);
    EXPECT_EQ(std::make_pair(DWORD{10}, std::string("  spaced  ")), Read("Policy_Info2", "Quoted"));
    EXPECT_EQ(std::make_pair(DWORD{0}, std::string("")), Read("Policy_Info2", "Empty"));
}

TEST_F(IssuerConf, LongValuesAreCutToTheBuffer) {
    EXPECT_EQ(std::make_pair(DWORD{99}, std::string(99, 'v')), Read("Policy_Info2", "Long"));
    EXPECT_EQ(std::make_pair(DWORD{150}, std::string(150, 'v')), Read("Policy_Info2", "Long", 200));
    EXPECT_EQ(std::make_pair(DWORD{0}, std::string("")), Read("Policy_Info2", "Long", 1));
    char untouched = 'u';
    EXPECT_EQ(0u, GetPrivateProfileStringA("Policy_Info2", "Long", "", &untouched, 0, path.c_str()));
    EXPECT_EQ('u', untouched);
}

TEST_F(IssuerConf, NullNamesListSectionsAndKeys) {
    char buffer[200];
    const DWORD sections = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof buffer, path.c_str());
    const char expectedSections[] = "Info_count\0Policy_Info1\0Policy_Info2\0Issuer_Info\0";
    ASSERT_EQ(sizeof expectedSections - 1, sections);
    EXPECT_EQ(0, std::memcmp(expectedSections, buffer, sizeof expectedSections));
    const DWORD keys = GetPrivateProfileStringA("POLICY_INFO2", nullptr, "", buffer, sizeof buffer, path.c_str());
    const char expectedKeys[] = "Quoted\0Empty\0Long\0";
    ASSERT_EQ(sizeof expectedKeys - 1, keys);
    EXPECT_EQ(0, std::memcmp(expectedKeys, buffer, sizeof expectedKeys));
    // A list that does not fit is cut and ends with two zeros; the result is size - 2.
    EXPECT_EQ(8u, GetPrivateProfileStringA("Policy_Info2", nullptr, "", buffer, 10, path.c_str()));
    EXPECT_EQ(0, std::memcmp("Quoted\0E\0\0", buffer, 10));
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
