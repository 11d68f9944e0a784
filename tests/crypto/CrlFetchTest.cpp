// Verification through the facade over the real toolkit, on both backends, of users of a
// generated PKI whose CRLs are fetched from their distribution points: over HTTP from the
// test server, and over LDAP from a throwaway slapd loaded with the generator's LDIF.
#include <filesystem>
#include <memory>

#include "crypto/RealToolkitFixture.h"
#include "support/TestServices.h"

using namespace realtoolkit;

namespace {

namespace fs = std::filesystem;

class CrlFetch : public RealToolkit {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TempFolder>();
        http_ = std::make_unique<ServiceProcess>(HttpFixture(folder_->MakeFolder("served")));
        ldapPort_ = ClosedPort();
        zorvane::pkigen::Options options = YessignPkiOptions(folder_->File("home"));
        options.cas = {"yessign", "gpki"};
        options.revoked = 1;
        options.crlHttpBase = http_->Url("http", "");
        options.crlLdapBase = "ldap://127.0.0.1:" + std::to_string(ldapPort_);
        pki_ = std::make_unique<zorvane::pkigen::Result>(GeneratedPki(options));
    }
    static void TearDownTestSuite() {
        http_.reset();
        pki_.reset();
        folder_.reset();
    }
    void SetUp() override {
        RealToolkit::SetUp();
        ASSERT_NE(0, http_->Port());
        for (const auto& root : pki_->roots) {
            ByteString trusted = FileBytes(root.certificate.certPath);
            ASSERT_EQ(0, facade.AddTrustedCert(trusted)) << ErrorText();
        }
    }

    // The HTTP server answers for the CRLs only while they lie in its folder.
    static void ServeOverHttp(bool serve) {
        for (const auto* authorities : {&pki_->roots, &pki_->cas}) {
            for (const auto& authority : *authorities) {
                const fs::path served = fs::path(folder_->File("served")) / fs::path(authority.crlPath).filename();
                if (serve) {
                    fs::copy_file(authority.crlPath, served, fs::copy_options::overwrite_existing);
                } else {
                    fs::remove(served);
                }
            }
        }
    }
    int VerifyFetching(const std::string& validity, int revocation) {
        ByteString cache;
        EXPECT_EQ(0, facade.SetVerifyEnv(revocation, 1, false, cache));
        const auto& user = User(*pki_, validity);
        ByteString certificate = FileBytes(user.signing.certPath), policies, confFile, crls;
        for (const auto& ca : pki_->cas) {
            if (ca.certificate.subject != user.signing.issuer) continue;
            ByteString intermediate = FileBytes(ca.certificate.certPath);
            return facade.VerifyCert(certificate, 0, policies, confFile, true, intermediate, crls);
        }
        throw std::runtime_error("no CA of " + user.signing.subject);
    }

    static inline std::unique_ptr<TempFolder> folder_;
    static inline std::unique_ptr<ServiceProcess> http_;
    static inline int ldapPort_ = 0;
    static inline std::unique_ptr<zorvane::pkigen::Result> pki_;
};

// The LDAP point comes first and nothing listens there, so these CRLs come over HTTP.
TEST_P(CrlFetch, CrlsFetchedOverHttpTellRevokedFromGood) {
    const struct {
        bool served;
        const char* validity;
        int revocation;
        int code;
    } kRows[] = {
        {true, "valid", 1, 0},      {true, "revoked", 1, 1604}, {true, "valid", 2, 0},
        {true, "revoked", 2, 1604}, {false, "valid", 1, 1605},  {false, "revoked", 2, 1605},
    };
    for (const auto& row : kRows) {
        ServeOverHttp(row.served);
        EXPECT_EQ(row.code, VerifyFetching(row.validity, row.revocation))
            << row.validity << " revocation " << row.revocation << " served " << row.served << ": " << ErrorText();
    }
}

TEST_P(CrlFetch, CrlsFetchedFromTheDirectoryThroughTheLdapPoint) {
    ServeOverHttp(false);
    {
        TempFolder data;
        ServiceProcess slapd(SlapdFixture(data.Path(), pki_->crlLdif, ldapPort_));
        ASSERT_EQ(ldapPort_, slapd.Port());
        EXPECT_EQ(0, VerifyFetching("valid", 2)) << ErrorText();
        EXPECT_EQ(1604, VerifyFetching("revoked", 2)) << ErrorText();
    }
    EXPECT_EQ(1605, VerifyFetching("revoked", 1)) << "with the directory gone";
}

INSTANTIATE_TEST_SUITE_P(Backends, CrlFetch, kBothBackends, BackendName);

}  // namespace
