// Verification verdicts beside `openssl verify` on one small PKI, object lists through
// `openssl pkcs7`, settings files, fetching by URL and the identity service, against a
// throwaway HTTP server.

#include <ctime>

#include "support/TestServices.h"
#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

using zorvane::testsupport::HttpFixture;
using zorvane::testsupport::LocalTimeText;
using zorvane::testsupport::ServiceProcess;

class TrustTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>();
        server_ = std::make_unique<ServiceProcess>(HttpFixture(folder_->Path()));
        ASSERT_NE(0, server_->Port());
        Shell(std::string(ZORVANE_TEST_SOURCE_DIR) + "/tests/toolkit/fixtures/trust_pki.sh " + folder_->Path() + " " +
              server_->Url("http", "/inter.crl"));
    }
    static void TearDownTestSuite() {
        server_.reset();
        folder_.reset();
    }
    static std::string Path(const std::string& name) { return folder_->File(name); }
    static Bytes Der(const std::string& name) { return ReadFile(Path(name + ".der")); }

    void Trust(const std::string& name) {
        Record root(Der(name));
        ASSERT_EQ(0, QLK_CERT_AddTrustedCert(context_.get(), root.get())) << context_.ErrorText();
    }
    int Verify(const std::string& leaf, int keyUsage = 0, const std::string& policies = "", bool fetch = false,
               const Bytes& intermediates = Der("inter"), const Bytes& crls = {}) {
        Record certificate(Der(leaf)), extra(intermediates), revocations(crls);
        return QLK_CERT_Verify(context_.get(), certificate.get(), keyUsage, policies.c_str(), fetch, extra.get(),
                               revocations.get());
    }

    static inline std::unique_ptr<ScratchFolder> folder_;
    static inline std::unique_ptr<ServiceProcess> server_;
    ContextHandle context_;
};

struct VerifyRow {
    const char* leaf;
    bool intermediate;
    const char* crl;  // a CRL file to hand in, or ""
    int revocation;
    long offset;  // seconds from now
    const char* policy;
    int code;
    const char* openSslSays;
};

TEST_F(TrustTest, VerdictsAgreeWithOpenSslVerify) {
    const long day = 86400;
    const VerifyRow kRows[] = {
        {"good", true, "inter.crl", 1, 0, "", 0, ": OK"},
        {"good", true, "", 0, 0, "1.2.410.200004.5.1.1.5", 0, ": OK"},
        {"good", true, "", 0, 400 * day, "", 1602, "certificate has expired"},
        {"good", true, "", 0, -2 * day, "", 1603, "certificate is not yet valid"},
        {"revoked", true, "inter.crl", 0, 0, "", 1604, "certificate revoked"},
        {"stranger", true, "", 0, 0, "", 1601, "unable to get local issuer certificate"},
        {"good", true, "", 0, 0, "1.2.3.4", 1607, "no explicit policy"},
        {"broken", true, "", 0, 0, "", 1608, "certificate signature failure"},
        {"good", true, "", 1, 0, "", 1605, "unable to get certificate CRL"},
        {"good", true, "short.crl", 1, 7200, "", 1606, "CRL has expired"},
        {"good", true, "inter.crl", 2, 0, "", 1605, "unable to get certificate CRL"},
    };
    for (const VerifyRow& row : kRows) {
        SCOPED_TRACE(::testing::Message() << row.leaf << " " << row.crl << " " << row.revocation << " " << row.policy);
        ContextHandle context;
        Record root(Der("root")), time(LocalTimeText(std::time(nullptr) + row.offset));
        ASSERT_EQ(0, QLK_CERT_AddTrustedCert(context.get(), root.get()));
        ASSERT_EQ(0, QLK_CERT_SetVerifyEnv1(context.get(), row.revocation, 0, 0, ""));
        ASSERT_EQ(0, QLK_CERT_SetVerifyEnv2(context.get(), time.text().c_str(), nullptr, nullptr));
        Record certificate(Der(row.leaf)), intermediates(row.intermediate ? Der("inter") : Bytes{});
        Record crls(*row.crl ? ReadFile(Path(row.crl)) : Bytes{});
        EXPECT_EQ(row.code, QLK_CERT_Verify(context.get(), certificate.get(), 0, row.policy, 0, intermediates.get(),
                                            crls.get()))
            << context.ErrorText();

        std::string command = "openssl verify -CAfile " + Path("root.pem") + " -attime " +
                              std::to_string(std::time(nullptr) + row.offset);
        if (row.intermediate) command += " -untrusted " + Path("inter.pem");
        if (row.revocation > 0 || *row.crl) command += " -crl_check";
        if (row.revocation == 2) command += " -crl_check_all";
        if (*row.crl) command += " -CRLfile " + Path(std::string(row.crl) + ".pem");
        if (*row.policy) command += std::string(" -policy ") + row.policy + " -explicit_policy";
        const std::string said = zorvane::testsupport::RunCommand(command + " " + Path(std::string(row.leaf) + ".pem") +
                                                                  " 2>&1").output;
        EXPECT_NE(std::string::npos, said.find(row.openSslSays)) << said;
    }
}

// Key usage and trust are checked on generated users through the facade (RealTrust).
TEST_F(TrustTest, SettingsTrustedObjectsAndSettingsFilesAreChecked) {
    Trust("root");
    EXPECT_EQ(1612, QLK_CERT_SetVerifyEnv2(context_.get(), "20261301000000", nullptr, nullptr));
    EXPECT_EQ(1002, QLK_CERT_SetVerifyEnv1(context_.get(), 3, 0, 0, ""));
    Bytes damaged = ReadFile(Path("inter.crl"));
    damaged.resize(damaged.size() / 2);
    EXPECT_EQ(1613, Verify("good", 0, "", false, Der("inter"), damaged));

    ContextHandle configured;
    const std::string settings = folder_->Write(
        "verify.conf", "; verification without code\n[Verify]\nRevocation = 1\nTrusted = " + Path("root.der") +
                           "\nIntermediates=" + Path("inter.der") + "\nCRLs=" + Path("inter.crl") + "\n");
    ASSERT_EQ(0, QLK_API_SetConfFile(configured.get(), settings.c_str()));
    Record revoked(Der("revoked")), good(Der("good")), none;
    EXPECT_EQ(1604, QLK_CERT_Verify(configured.get(), revoked.get(), 0, "", 0, none.get(), none.get()));
    EXPECT_EQ(0, QLK_CERT_Verify(configured.get(), good.get(), 0, "", 0, none.get(), none.get()));
    folder_->Write("bad.conf", "[Verify]\nRevocation=7\n");
    for (const char* broken : {"bad.conf", "missing.conf"}) {
        ASSERT_EQ(0, QLK_API_SetConfFile(context_.get(), Path(broken).c_str()));
        EXPECT_EQ(1615, Verify("good")) << broken;
    }
}

TEST_F(TrustTest, ObjectListsRoundTripThroughOpenSsl) {
    Record list, root(Der("root")), inter(Der("inter")), crl(ReadFile(Path("inter.crl")));
    for (Record* object : {&root, &inter, &crl}) {
        ASSERT_EQ(0, QLK_UTIL_AddObject(context_.get(), object->get(), list.get())) << context_.ErrorText();
    }
    WriteFile(Path("list.p7"), list.bytes());
    const std::string printed = Shell("openssl pkcs7 -inform DER -print_certs -print -in " + Path("list.p7"));
    EXPECT_NE(std::string::npos, printed.find("CN = Test Root"));
    EXPECT_NE(std::string::npos, printed.find("crl:"));
    int count = 0;
    ASSERT_EQ(0, QLK_UTIL_GetObjectCount(context_.get(), list.get(), &count));
    EXPECT_EQ(3, count);
    Record last, outside;
    ASSERT_EQ(0, QLK_UTIL_GetObject(context_.get(), list.get(), 2, last.get()));
    EXPECT_EQ(ReadFile(Path("inter.crl")), last.bytes());
    EXPECT_EQ(1617, QLK_UTIL_GetObject(context_.get(), list.get(), 3, outside.get()));
    Record garbage(ToBytes("garbage"));
    EXPECT_EQ(1616, QLK_UTIL_GetObjectCount(context_.get(), garbage.get(), &count));
    EXPECT_EQ(1614, QLK_UTIL_AddObject(context_.get(), garbage.get(), list.get()));
    // Paths, such lists from the leaf to the root, are read by the verify-cert command.
    Trust("root");
    Record good(Der("good")), stranger(Der("stranger")), found;
    unsigned char trusted = 9;
    ASSERT_EQ(0, QLK_UTIL_IsTrustCert(context_.get(), good.get(), inter.get(), &trusted));
    EXPECT_EQ(1, trusted);
    ASSERT_EQ(0, QLK_UTIL_IsTrustCert(context_.get(), stranger.get(), inter.get(), &trusted));
    EXPECT_EQ(0, trusted);
    EXPECT_EQ(1601, QLK_UTIL_GetRootCert(context_.get(), good.get(), found.get()));
    ASSERT_EQ(0, QLK_CERT_SetVerifyEnv2(context_.get(), "", inter.get(), nullptr));
    ASSERT_EQ(0, QLK_UTIL_GetRootCert(context_.get(), good.get(), found.get())) << context_.ErrorText();
    EXPECT_EQ(Der("root"), found.bytes());
}

TEST(TrustNames, CompareIgnoringCaseAndBlanksAroundSeparators) {
    ContextHandle context;
    const std::tuple<const char*, const char*, int> kRows[] = {
        {"cn=홍길동,ou=personal4IB,o=yessign,c=kr", "CN=홍길동, OU=Personal4IB , o = yessign,C=KR", 0},
        {"cn=a+serialNumber=1,c=kr", "cn=a + serialnumber=1,c=kr", 0},
        {"cn=a b,o=x", "cn=ab,o=x", 1618},
    };
    for (const auto& [first, second, code] : kRows) {
        EXPECT_EQ(code, QLK_UTIL_CompareDN(context.get(), first, second)) << first << " / " << second;
    }
}

TEST_F(TrustTest, DirectoryFetchGivesTheBytesOrItsCode) {
    const std::string port = std::to_string(zorvane::testsupport::ClosedPort());
    Shell("mkfifo " + Path("fifo"));
    const std::tuple<std::string, int, int> kRows[] = {
        {server_->Url("http", "/inter.crl"), 0, 0},
        {"file://" + Path("inter.crl"), 0, 0},
        {server_->Url("http", "/missing"), 0, 1704},
        {"file://" + Path("missing"), 0, 1704},
        {"file://" + Path("fifo"), 0, 1706},
        {"http://127.0.0.1:" + port + "/inter.crl", 0, 1702},
        {"ldap://127.0.0.1:" + port + "/cn=x?certificateRevocationList;binary", 2, 1702},
        // The HTTP server takes the LDAP bind for the start of a request line and waits.
        {"ldap://127.0.0.1:" + std::to_string(server_->Port()) + "/cn=x?certificateRevocationList;binary", 1, 1703},
        {server_->Url("http", "/slow"), 1, 1703},
        {server_->Url("http", "/huge"), 0, 1705},
        {"gopher://127.0.0.1/", 0, 1701},
        {"ldap://127.0.0.1/cn=no-attribute", 0, 1701},
    };
    for (const auto& [url, seconds, code] : kRows) {
        Record data;
        EXPECT_EQ(code, QLK_DSAP_GetDataByURL(context_.get(), seconds, url.c_str(), data.get())) << url;
        EXPECT_EQ(code == 0 ? ReadFile(Path("inter.crl")) : Bytes{}, data.bytes()) << url;
    }
}

TEST_F(TrustTest, IdentityServiceConfirmsTheCertificatesHolder) {
    const zorvane::pkigen::UserRecord& user = FirstGeneratedUser().user;
    const std::string identity = user.identityNumber;
    std::string otherNumber = identity;
    otherNumber.back() ^= 1;  // another digit
    WriteFile(Path("vid.der"), FirstGeneratedUser().signCert);
    folder_->Write("ivs-registry", TrimEnd(Shell("base64 -w0 " + Path("vid.der"))) + " " +
                                       TrimEnd(Shell("printf %s " + identity + " | sha256sum | cut -d' ' -f1")));
    Shell("openssl req -x509 -newkey rsa:2048 -nodes -keyout " + Path("ivs.key") + " -out " + Path("ivs.pem") +
                  " -days 30 -subj /CN=ivs 2>/dev/null");
    const std::string url = server_->Url("http", "/ivs");
    Record certificate(FirstGeneratedUser().signCert), randomRecord(FromHex(user.randomHex));
    Record service(ReadFile(Path("ivs.pem"))), noService;
    auto byIdentity = [&](const std::string& number) {
        Record identityRecord(number);
        return QLK_CERT_VerifyByIVS(context_.get(), url.c_str(), certificate.get(), identityRecord.get());
    };
    auto byVid = [&](const std::string& number, Record& serviceCertificate) {
        return QLK_VID_VerifyByIVS(context_.get(), url.c_str(), certificate.get(), randomRecord.get(), number.c_str(),
                                   serviceCertificate.get());
    };
    const std::tuple<const char*, int, int, int> kRows[] = {
        // service mode, by identity, by VID with the service's certificate, by VID unsigned
        {"", 0, 0, 0}, {"garbage", 3508, 3508, 3508}, {"wrong-nonce", 3508, 3508, 3508}, {"bad-signature", 0, 3509, 0}};
    for (const auto& [mode, identityCode, signedCode, unsignedCode] : kRows) {
        folder_->Write("ivs-mode", mode);
        EXPECT_EQ(identityCode, byIdentity(identity)) << mode << " " << context_.ErrorText();
        EXPECT_EQ(signedCode, byVid(identity, service)) << mode << " " << context_.ErrorText();
        EXPECT_EQ(unsignedCode, byVid(identity, noService)) << mode;
    }
    folder_->Write("ivs-mode", "");
    EXPECT_EQ(3507, byIdentity(otherNumber));
}

// CRL distribution points are LDAP URLs: a throwaway slapd holds the CRL, and the fetch
// gives its bytes, or 1704 for an entry or attribute the directory lacks.
TEST_F(TrustTest, LdapFetchGivesTheStoredValueOrItsCode) {
    const std::string crl = TrimEnd(Shell("base64 -w0 " + Path("inter.crl")));
    const std::string ldif = folder_->Write(
        "directory.ldif", "dn: dc=zorvane,dc=test\nobjectClass: dcObject\nobjectClass: organization\no: zorvane\n"
                          "dc: zorvane\n\ndn: cn=TestCA,dc=zorvane,dc=test\nobjectClass: cRLDistributionPoint\n"
                          "cn: TestCA\ncertificateRevocationList;binary:: " + crl + "\n");
    ServiceProcess slapd({std::string(ZORVANE_TEST_SOURCE_DIR) + "/tests/support/services/slapd_fixture.sh",
                          folder_->File("ldap"), ldif});
    ASSERT_NE(0, slapd.Port());
    const std::string base = slapd.Url("ldap", "/cn=TestCA,dc=zorvane,dc=test");
    Record data;
    ASSERT_EQ(0, QLK_DSAP_GetDataByURL(context_.get(), 5, (base + "?certificateRevocationList;binary").c_str(),
                                       data.get()))
        << context_.ErrorText();
    EXPECT_EQ(ReadFile(Path("inter.crl")), data.bytes());
    for (const std::string& missing : {slapd.Url("ldap", "/cn=Nobody,dc=zorvane,dc=test?certificateRevocationList;binary"),
                                      base + "?cACertificate;binary"}) {
        EXPECT_EQ(1704, QLK_DSAP_GetDataByURL(context_.get(), 5, missing.c_str(), data.get())) << missing;
    }
}

}  // namespace
}  // namespace qlk_test
