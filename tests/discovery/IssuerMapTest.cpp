// IssuerOid.conf reading and the policy filter / policy names.

#include <gtest/gtest.h>
#include <zorvane/LoadCert.h>

#include <memory>
#include <string>

#include "support/TestSupport.h"

namespace {

using zorvane::testsupport::TempFolder;

const std::string kTwoCaConfig =
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
    explicit Loaded(const std::string* config) {
        if (config) folder.Write("IssuerOid.conf", *config);
        ByteString work(folder.Path().c_str());
        loader = std::make_unique<CLoadCert>(work);
    }
    TempFolder folder;
    std::unique_ptr<CLoadCert> loader;
};

// Maps after loading: folder 1 and 2, the issuer names of both CNs, one policy line, the
// message and the result of reading again (the length of the last profile value read).
TEST(IssuerMap, FoldersIssuersPolicyLinesAndWhereReadingStops) {
    const std::string cutAtSecondCn = kTwoCaConfig.substr(0, kTwoCaConfig.find("IssuerCN=SignKorea"));
    const std::string emptySecondCn = cutAtSecondCn + "IssuerCN=\n";
    const std::string noEquals = "# policies\nabc=def=g\n[Info_count]\nPolicy_Info=0\n";
    const struct Row {
        const char* what;
        const std::string* config;
        int folders, issuers, policies;
        std::string folder2, yessignCA, policy, message;
        int again;
    } kRows[] = {
        {"two CAs", &kTwoCaConfig, 2, 2, 2, "signkorea", "금융결제원", "범용(개인)", "", 9},
        {"missing values read as NULL", &cutAtSecondCn, 2, 2, 2, "signkorea", "NULL", "범용(개인)", "", 4},
        {"an empty value stops", &emptySecondCn, 2, 0, 0, "signkorea", "<absent>", "<absent>",
         "Info_count 섹션의 Policy_Info 정보 읽기에 실패했습니다.", 0},
        {"no file", nullptr, 0, 0, 0, "<absent>", "<absent>", "<absent>", "IssuerOid.conf 읽기에 실패했습니다.", -1},
        {"lines without a section", &noEquals, 0, 0, 2, "<absent>", "<absent>", "<absent>", "", 1},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.what);
        Loaded loaded(row.config);
        CLoadCert& loader = *loaded.loader;
        EXPECT_EQ(row.folders, loader.m_folderMap.GetCount());
        EXPECT_EQ(row.issuers, loader.m_issuerMap.GetCount());
        EXPECT_EQ(row.policies, loader.m_policyMap.GetCount());
        EXPECT_EQ(row.folder2, Value(loader.m_folderMap, "2"));
        EXPECT_EQ(row.yessignCA, Value(loader.m_issuerMap, "yessignCA"));
        EXPECT_EQ(row.policy, Value(loader.m_policyMap, "1.2.410.200005.1.1.1"));
        EXPECT_STREQ(row.message.c_str(), loader.m_errorText.GetData());
        ByteString work(loaded.folder.Path().c_str());
        EXPECT_EQ(row.again, loader.MakeMap(work));
    }
    Loaded lines(&noEquals);
    EXPECT_EQ("# policies", Value(lines.loader->m_policyMap, ""));
    EXPECT_EQ("def=g", Value(lines.loader->m_policyMap, "abc"));
}

// Each OID of the filter needs its bar; an empty entry ends the list. The comparison with
// a certificate's policy text is seen through the filtered loads.
TEST(PolicyFilter, ParsedList) {
    const struct Row {
        const char* filter;
        int entries;
        const char* last;
    } kRows[] = {
        {"1.2.3|4.5.6|", 2, "4.5.6"}, {"1.2.3|", 1, "1.2.3"}, {"1.2.3", 0, ""}, {"|1.2.3|", 1, ""}, {"1.2|||3|", 2, ""},
    };
    CLoadCert loader;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.filter);
        ByteString filter(row.filter);
        loader.ParsingPolicyInfo(filter);
        ASSERT_EQ(row.entries, loader.m_policyFilter.GetSize());
        if (row.entries) {
            EXPECT_STREQ(row.last, loader.m_policyFilter[row.entries - 1].GetData());
        }
    }
}

}  // namespace
