// The IssuerOid.conf that the package installs: the accredited CAs' folders with their
// current issuer CNs and Korean names, and the policy names without line end, as
// CLoadCert reads them.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <tuple>

#include <zorvane/LoadCert.h>

namespace {

// In the order of the folder entries: folder, issuer CN, Korean name.
const std::tuple<const char*, const char*, const char*> kCas[] = {
    {"yessign", "yessignCA Class 4", "금융결제원"},
    {"SignKorea", "SignKorea CA5", "코스콤"},
    {"CrossCert", "CrossCertCA5", "한국전자인증"},
    {"KICA", "signGATE CA7", "한국정보인증"},
    {"TradeSign", "TradeSignCA5", "한국무역정보통신"},
    {"NCASign", "NCASign CA", "한국정보사회진흥원"},
};

// The first and the last line of the policy block.
const std::pair<const char*, const char*> kPolicies[] = {
    {"1.2.410.200005.1.1.1", "범용(개인)"},
    {"1.2.410.100001.2.2.1", "공무원 개인 전자서명"},
};

TEST(ShippedIssuerOid, NamesEachCaFolderAndPolicyInKorean) {
    ByteString work(ZORVANE_TEST_SOURCE_DIR "/data");
    CLoadCert loader(work);
    EXPECT_TRUE(loader.m_errorText.IsEmpty()) << loader.m_errorText.GetData();
    ASSERT_EQ(static_cast<int>(std::size(kCas)), loader.m_folderMap.GetCount());
    ASSERT_EQ(static_cast<int>(std::size(kCas)), loader.m_issuerMap.GetCount());
    int index = 0;
    for (const auto& [folderName, issuerCn, koreanName] : kCas) {
        ByteString folder, name;
        EXPECT_TRUE(loader.m_folderMap.Lookup(std::to_string(++index).c_str(), folder)) << index;
        EXPECT_STREQ(folderName, folder.GetData());
        EXPECT_TRUE(loader.m_issuerMap.Lookup(issuerCn, name)) << issuerCn;
        EXPECT_STREQ(koreanName, name.GetData());
    }
    EXPECT_EQ(22, loader.m_policyMap.GetCount());
    for (const auto& [policy, policyName] : kPolicies) {
        ByteString oid(policy), name;
        EXPECT_EQ(0, loader.GetPolicyName(oid, name)) << policy;
        EXPECT_STREQ(policyName, name.GetData()) << policy;
    }
}

}  // namespace
