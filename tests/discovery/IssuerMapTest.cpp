// IssuerOid.conf reading and the policy filter / policy names.

#include <gtest/gtest.h>
#include <zorvane/LoadCert.h>

#include <string>

#include "support/TestSupport.h"

namespace {

using zorvane::testsupport::TempFolder;

const char kTwoCaConfig[] =
    "1.2.410.200005.1.1.1=범용(개인)\n"
    "1.2.410.200004.5.1.1.5=SignKorea 범용\n"
    "[Info_count]\n"
    "Policy_Info=2\n"
    "[Policy_Info1]\n"
    "DirName=yessign\n"
    "IssuerCN=yessignCA\n"
    "[Policy_Info2]\n"
    "DirName=signkorea\n"
    "IssuerCN=SignKorea CA2\n"
    "[Issuer_Info]\n"
    "yessignCA=금융결제원\n"
    "SignKorea CA2=코스콤\n";

std::string Value(const CMapStringToString& map, const char* key) {
    ByteString value;
    if (!map.Lookup(key, value)) return "<absent>";
    return std::string(value.GetData(), value.GetLength());
}

struct Loaded {
    explicit Loaded(const std::string& config) {
        if (!config.empty()) folder.Write("IssuerOid.conf", config);
        ByteString work(folder.Path().c_str());
        loader = std::make_unique<CLoadCert>(work);
    }
    TempFolder folder;
    std::unique_ptr<CLoadCert> loader;
};

TEST(IssuerMap, ReadsFoldersIssuersAndPolicyLines) {
    Loaded loaded(kTwoCaConfig);
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(loader.m_folderMap.GetCount(), 2);
    EXPECT_EQ(Value(loader.m_folderMap, "1"), "yessign");
    EXPECT_EQ(Value(loader.m_folderMap, "2"), "signkorea");
    EXPECT_EQ(loader.m_issuerMap.GetCount(), 2);
    EXPECT_EQ(Value(loader.m_issuerMap, "yessignCA"), "금융결제원");
    EXPECT_EQ(Value(loader.m_issuerMap, "SignKorea CA2"), "코스콤");
    EXPECT_EQ(loader.m_policyMap.GetCount(), 2);
    EXPECT_EQ(Value(loader.m_policyMap, "1.2.410.200005.1.1.1"), "범용(개인)");
    EXPECT_TRUE(loader.m_errorText.IsEmpty());
    // The result is the length of the last profile value read ("코스콤" in UTF-8).
    ByteString work(loaded.folder.Path().c_str());
    EXPECT_EQ(loader.MakeMap(work), static_cast<int>(std::string("코스콤").size()));
}

TEST(IssuerMap, MissingFileLeavesMapsEmptyWithReadMessage) {
    Loaded loaded("");
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(loader.m_folderMap.GetCount(), 0);
    EXPECT_EQ(loader.m_issuerMap.GetCount(), 0);
    EXPECT_EQ(loader.m_policyMap.GetCount(), 0);
    EXPECT_STREQ(loader.m_errorText.GetData(), "IssuerOid.conf 읽기에 실패했습니다.");
    ByteString work(loaded.folder.Path().c_str());
    EXPECT_EQ(loader.MakeMap(work), -1);
}

TEST(IssuerMap, CrLfLinesKeepCarriageReturnInPolicyNamesOnly) {
    std::string config = kTwoCaConfig;
    std::string crlf;
    for (char c : config) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    Loaded loaded(crlf);
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(Value(loader.m_policyMap, "1.2.410.200005.1.1.1"), "범용(개인)\r");
    EXPECT_EQ(Value(loader.m_folderMap, "1"), "yessign");
    EXPECT_EQ(Value(loader.m_issuerMap, "SignKorea CA2"), "코스콤");
}

TEST(IssuerMap, EmptyValueStopsAndKeepsWhatWasStored) {
    const std::string config = std::string(kTwoCaConfig).substr(0, std::string(kTwoCaConfig).find("IssuerCN=SignKorea")) +
                               "IssuerCN=\n";
    Loaded loaded(config);
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(loader.m_folderMap.GetCount(), 2);
    EXPECT_EQ(loader.m_issuerMap.GetCount(), 0);
    EXPECT_EQ(loader.m_policyMap.GetCount(), 0);
    EXPECT_STREQ(loader.m_errorText.GetData(), "Info_count 섹션의 Policy_Info 정보 읽기에 실패했습니다.");
    ByteString work(loaded.folder.Path().c_str());
    EXPECT_EQ(loader.MakeMap(work), 0);
}

TEST(IssuerMap, TruncatedFileReadsMissingValuesAsNull) {
    // Cut inside the second CA section: its IssuerCN and the issuer names are missing,
    // and missing keys read as the default "NULL".
    const std::string full = kTwoCaConfig;
    Loaded loaded(full.substr(0, full.find("IssuerCN=SignKorea")));
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(Value(loader.m_folderMap, "2"), "signkorea");
    EXPECT_EQ(Value(loader.m_issuerMap, "yessignCA"), "NULL");
    EXPECT_EQ(Value(loader.m_issuerMap, "NULL"), "NULL");
    EXPECT_EQ(loader.m_policyMap.GetCount(), 2);
}

TEST(IssuerMap, PolicyLinesWithoutEqualsGoUnderTheEmptyKey) {
    Loaded loaded("# policies\nabc=def=g\n[Info_count]\nPolicy_Info=0\n");
    CLoadCert& loader = *loaded.loader;
    EXPECT_EQ(Value(loader.m_policyMap, ""), "# policies");
    EXPECT_EQ(Value(loader.m_policyMap, "abc"), "def=g");
    EXPECT_EQ(loader.m_folderMap.GetCount(), 0);
}

TEST(PolicyFilter, EachOidNeedsItsBar) {
    CLoadCert loader;
    ByteString two("1.2.3|4.5.6|"), one("1.2.3|"), bare("1.2.3"), leading("|1.2.3|"), doubled("1.2|||3|");
    loader.ParsingPolicyInfo(two);
    ASSERT_EQ(loader.m_policyFilter.GetSize(), 2);
    EXPECT_STREQ(loader.m_policyFilter[1].GetData(), "4.5.6");
    loader.ParsingPolicyInfo(one);
    EXPECT_EQ(loader.m_policyFilter.GetSize(), 1);
    loader.ParsingPolicyInfo(bare);
    EXPECT_EQ(loader.m_policyFilter.GetSize(), 0);
    loader.ParsingPolicyInfo(leading);
    ASSERT_EQ(loader.m_policyFilter.GetSize(), 1);
    EXPECT_TRUE(loader.m_policyFilter[0].IsEmpty());
    loader.ParsingPolicyInfo(doubled);
    EXPECT_EQ(loader.m_policyFilter.GetSize(), 2);
}

TEST(PolicyFilter, CheckPolicyIdComparesWholeTexts) {
    CLoadCert loader;
    tagCERTLIST record;
    record.policyID = "1.2.410.200005.1.1.1";
    EXPECT_EQ(loader.CheckPolicyID(record), -1);  // empty list
    ByteString filter("1.2.410.200005.1.1|1.2.410.200005.1.1.1|");
    loader.ParsingPolicyInfo(filter);
    EXPECT_EQ(loader.CheckPolicyID(record), 0);
    record.policyID = "1.2.410.200005.1.1.1.5";
    EXPECT_EQ(loader.CheckPolicyID(record), -1);
}

TEST(PolicyNames, TradeSignRuleTakesTheSecondOid) {
    CLoadCert loader;
    tagCERTLIST record;
    record.issuerCN = "TradeSignCA";
    record.policyID = "1.2.410.200012.1.1.3, 1.2.410.200012.1.1.101";
    EXPECT_EQ(loader.MakeCommonPolicyID(record), 0);
    EXPECT_STREQ(record.policyID.GetData(), "1.2.410.200012.1.1.101");
    record.policyID = "1.2.410.200012.1.1.3";
    EXPECT_EQ(loader.MakeCommonPolicyID(record), -1);
    EXPECT_STREQ(record.policyID.GetData(), "1.2.410.200012.1.1.3");
    record.policyID = "1.2.410.200012.1.1.3,";  // nothing after the comma: empty, no overread
    EXPECT_EQ(loader.MakeCommonPolicyID(record), 0);
    EXPECT_TRUE(record.policyID.IsEmpty());
    record.issuerCN = "TradeSignCA2";  // exact name only
    record.policyID = "a, b";
    EXPECT_EQ(loader.MakeCommonPolicyID(record), 0);
    EXPECT_STREQ(record.policyID.GetData(), "a, b");
}

TEST(PolicyNames, LooksUpDottedFormAndKeepsNameWhenMapIsEmpty) {
    CLoadCert empty;
    ByteString oid("1 2 410 200005 1 1 1"), name("kept");
    EXPECT_EQ(empty.GetPolicyName(oid, name), 0);
    EXPECT_STREQ(name.GetData(), "kept");

    Loaded loaded(kTwoCaConfig);
    EXPECT_EQ(loaded.loader->GetPolicyName(oid, name), 0);
    EXPECT_STREQ(name.GetData(), "범용(개인)");
    ByteString unknown("1.2.3"), untouched("x");
    EXPECT_EQ(loaded.loader->GetPolicyName(unknown, untouched), -1);
    EXPECT_STREQ(untouched.GetData(), "x");
}

}  // namespace
