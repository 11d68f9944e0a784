// The IssuerOid.conf that the package installs, as CLoadCert reads it: the accredited CAs'
// folders and issuer CNs with their Korean names, and the policy names without line end.
#include <gtest/gtest.h>

#include <zorvane/LoadCert.h>

namespace {

// Every entry counted, and the last of each block read whole.
TEST(ShippedIssuerOid, NamesEachCaFolderAndPolicyInKorean) {
    ByteString work(ZORVANE_TEST_SOURCE_DIR "/data");
    CLoadCert loader(work);
    EXPECT_TRUE(loader.m_errorText.IsEmpty()) << loader.m_errorText.GetData();
    EXPECT_EQ(6, loader.m_folderMap.GetCount());
    EXPECT_EQ(6, loader.m_issuerMap.GetCount());
    EXPECT_EQ(22, loader.m_policyMap.GetCount());
    ByteString folder, name, oid("1.2.410.100001.2.2.1"), policyName;
    EXPECT_TRUE(loader.m_folderMap.Lookup("6", folder));
    EXPECT_STREQ("NCASign", folder.GetData());
    EXPECT_TRUE(loader.m_issuerMap.Lookup("NCASign CA", name));
    EXPECT_STREQ("한국정보사회진흥원", name.GetData());
    EXPECT_EQ(0, loader.GetPolicyName(oid, policyName));
    EXPECT_STREQ("공무원 개인 전자서명", policyName.GetData());
}

}  // namespace
