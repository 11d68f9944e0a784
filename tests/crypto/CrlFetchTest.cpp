// Verification through the facade over the real toolkit, on both backends, of users of a
// generated PKI whose CRLs are fetched from their distribution points: over HTTP from the
// test server, and over LDAP from a throwaway slapd loaded with the generator's LDIF.
#include <filesystem>
#include <memory>

#include "crypto/RealToolkitFixture.h"
#include "support/TestServices.h"

using namespace realtoolkit;
using zorvane::testsupport::ServiceProcess;

namespace {

namespace fs = std::filesystem;

class CrlFetch : public RealToolkit {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TempFolder>();
        http_ = std::make_unique<ServiceProcess>(zorvane::testsupport::HttpFixture(folder_->MakeFolder("served")));
        ldapPort_ = zorvane::testsupport::ClosedPort();
        zorvane::pkigen::Options options;
        options.home = folder_->File("home");
        options.keyCache = std::string(ZORVANE_TEST_BINARY_DIR) + "/pkigen-key-cache";
        options.cas = {"yessign", "gpki"};
        options.revoked = 1;
        options.crlHttpBase = http_->Url("http", "");
        options.crlLdapBase = "ldap://127.0.0.1:" + std::to_string(ldapPort_);
        options.seed = 1604;
        options.seedGiven = true;
        result_ = std::make_unique<zorvane::pkigen::Result>();
        if (!zorvane::pkigen::Generate(options, *result_, error_) && error_.empty()) error_ = "generation failed";
    }
    static void TearDownTestSuite() {
        http_.reset();
        result_.reset();
        folder_.reset();
    }
    void SetUp() override {
        RealToolkit::SetUp();
        ASSERT_EQ("", error_);
        ASSERT_NE(0, http_->Port());
        ByteString root =
            FileBytes(Authority(result_->roots, CaOf(User("valid")).certificate.issuer).certificate.certPath);
        ASSERT_EQ(0, facade.AddTrustedCert(root)) << ErrorText();
    }

    // The HTTP server answers for the CRLs only while they lie in its folder.
    static void ServeOverHttp(bool serve) {
        for (const auto* records : {&result_->roots, &result_->cas}) {
            for (const auto& authority : *records) {
                const fs::path served = fs::path(folder_->File("served")) / fs::path(authority.crlPath).filename();
                if (serve)
                    fs::copy_file(authority.crlPath, served, fs::copy_options::overwrite_existing);
                else
                    fs::remove(served);
            }
        }
    }
    static const zorvane::pkigen::AuthorityRecord& Authority(
        const std::vector<zorvane::pkigen::AuthorityRecord>& records, const std::string& subject) {
        for (const auto& record : records)
            if (record.certificate.subject == subject) return record;
        throw std::runtime_error("no authority " + subject);
    }
    const zorvane::pkigen::AuthorityRecord& CaOf(const zorvane::pkigen::UserRecord& user) const {
        return Authority(result_->cas, user.signing.issuer);
    }
    const zorvane::pkigen::UserRecord& User(const std::string& validity) const {
        for (const auto& user : result_->users)
            if (user.store == (Gpki() ? "gpki" : "npki") && user.validity == validity) return user;
        throw std::runtime_error("no user " + validity);
    }
    int VerifyFetching(const std::string& validity, int revocation) {
        ByteString cache;
        EXPECT_EQ(0, facade.SetVerifyEnv(revocation, 1, false, cache));
        const auto& user = User(validity);
        ByteString certificate = FileBytes(user.signing.certPath), ca = FileBytes(CaOf(user).certificate.certPath);
        ByteString policies, confFile, crls;
        return facade.VerifyCert(certificate, 0, policies, confFile, true, ca, crls);
    }

    static inline std::unique_ptr<TempFolder> folder_;
    static inline std::unique_ptr<ServiceProcess> http_;
    static inline int ldapPort_ = 0;
    static inline std::unique_ptr<zorvane::pkigen::Result> result_;
    static inline std::string error_;
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
        ServiceProcess slapd(zorvane::testsupport::SlapdFixture(data.Path(), result_->crlLdif, ldapPort_));
        ASSERT_EQ(ldapPort_, slapd.Port());
        EXPECT_EQ(0, VerifyFetching("valid", 2)) << ErrorText();
        EXPECT_EQ(1604, VerifyFetching("revoked", 2)) << ErrorText();
    }
    EXPECT_EQ(1605, VerifyFetching("revoked", 1)) << "with the directory gone";
}

INSTANTIATE_TEST_SUITE_P(Backends, CrlFetch, kBothBackends, BackendName);

}  // namespace
