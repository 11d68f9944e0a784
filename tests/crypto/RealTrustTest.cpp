// Trust and verification through the facade over the real toolkit, on both backends:
// generated users against their roots, the NPKI-only utilities, and the directory fetch.
#include "crypto/RealToolkitFixture.h"

using namespace realtoolkit;

namespace {

class RealTrust : public RealToolkit {
protected:
    int Verify(const std::string& certificatePath, int keyUsage, const std::string& policy) {
        ByteString certificate = FileBytes(certificatePath), policies(policy.c_str()), noFile, none;
        return facade.VerifyCert(certificate, keyUsage, policies, noFile, false, none, none);
    }
};

TEST_P(RealTrust, GeneratedCertificatesVerifyAgainstTheirRoots) {
    const auto& user = User();
    const std::string& signing = user.signing.certPath;
    EXPECT_EQ(1610, Verify(signing, 0, ""));
    TrustGeneratedAuthorities();
    const std::tuple<std::string, int, std::string, int> kRows[] = {
        {signing, 1, "", 0},
        {signing, 0, user.signing.policies.front(), 0},
        {signing, 0, "1.2.3.4", 1607},
        {user.keyManagement.certPath, 1, "", 1609},
        {user.keyManagement.certPath, 2, "", 0},
        {GeneratedPki::Get().User("npki", "expired").signing.certPath, 0, "", 1602},
    };
    for (const auto& [path, keyUsage, policy, code] : kRows) {
        EXPECT_EQ(code, Verify(path, keyUsage, policy)) << path << " " << policy << " " << ErrorText();
    }
}

TEST_P(RealTrust, PathUtilitiesAndVerificationTimeOnNpkiOnly) {
    TrustGeneratedAuthorities();
    ByteString certificate = FileBytes(User().signing.certPath), policies, past("19990101000000"), path, root;
    ByteString subject, spaced;
    bool trusted = false;
    int count = 0;
    if (Gpki()) {
        EXPECT_EQ(102, facade.VerifyCert2(certificate, 0, policies, past));
        EXPECT_NE(0, facade.GetCertPath(certificate, path));
        EXPECT_EQ(0, path.GetLength());
        return;
    }
    EXPECT_EQ(1603, facade.VerifyCert2(certificate, 0, policies, past));
    ASSERT_EQ(0, facade.GetCertPath(certificate, path)) << ErrorText();
    ASSERT_EQ(0, facade.GetObjectCount(path, count));
    EXPECT_GE(count, 2);
    ASSERT_EQ(0, facade.GetRootCert(certificate, root));
    ByteString last;
    ASSERT_EQ(0, facade.GetObjectA(path, count - 1, last));
    EXPECT_EQ(Vector(root), Vector(last));
    ByteString none;
    ASSERT_EQ(0, facade.IsTrustCert(certificate, none, trusted));
    EXPECT_TRUE(trusted);
    ASSERT_EQ(0, facade.LoadCert(certificate));
    ASSERT_EQ(0, facade.GetSubjectName(subject));
    std::string upper = Text(subject);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    spaced = ByteString(upper.c_str());
    EXPECT_EQ(0, facade.CompareDN(subject, spaced));
}

TEST_P(RealTrust, DirectoryFetchReadsFileUrls) {
    const std::string path = User().signing.certPath;
    ByteString url(("file://" + path).c_str()), data, missing(("file://" + path + ".missing").c_str());
    ASSERT_EQ(0, facade.LDAPGetDataByURL(0, url, data)) << ErrorText();
    EXPECT_EQ(Vector(FileBytes(path)), Vector(data));
    EXPECT_EQ(1704, facade.LDAPGetDataByURL(0, missing, data));
}

INSTANTIATE_TEST_SUITE_P(Backends, RealTrust, kBothBackends, BackendName);

}  // namespace
