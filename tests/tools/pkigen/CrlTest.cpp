// The generator's CRLs checked with the openssl command line: each verifies under its
// issuer, lists exactly the revoked users, and `openssl verify -crl_check` judges the
// users by it; distribution points name the given bases.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "tools/pkigen/Generator.h"

using namespace zorvane::pkigen;
using namespace zorvane::testsupport;

namespace {

const char kLdapBase[] = "ldap://127.0.0.1:3899";
const char kHttpBase[] = "http://127.0.0.1:8099";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A DER certificate or CRL as PEM beside it, for the options that read PEM only.
std::string Pem(const std::string& der, const char* kind) {
    const std::string pem = der + ".pem";
    RunCommand(std::string("openssl ") + kind + " -inform DER -in " + Quoted(der) + " -out " + Quoted(pem));
    return pem;
}

std::string OpenSsl(const std::string& arguments) { return RunCommand("openssl " + arguments + " 2>&1").output; }

class GeneratedCrls : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TempFolder>();
        Options options;
        options.home = folder_->File("home");
        options.keyCache = std::string(ZORVANE_TEST_BINARY_DIR) + "/pkigen-key-cache";
        options.cas = {"yessign", "gpki"};
        options.revoked = 1;
        options.crlLdapBase = kLdapBase;
        options.crlHttpBase = kHttpBase;
        options.seed = 77;
        options.seedGiven = true;
        result_ = std::make_unique<Result>();
        ASSERT_TRUE(Generate(options, *result_, error_)) << error_;
    }
    static void TearDownTestSuite() {
        result_.reset();
        folder_.reset();
    }
    static const AuthorityRecord& Authority(const std::vector<AuthorityRecord>& records, const std::string& subject) {
        for (const AuthorityRecord& record : records)
            if (record.certificate.subject == subject) return record;
        throw std::runtime_error("no authority " + subject);
    }

    static inline std::unique_ptr<TempFolder> folder_;
    static inline std::unique_ptr<Result> result_;
    static inline std::string error_;
};

TEST_F(GeneratedCrls, EachCrlVerifiesUnderItsIssuer) {
    for (const auto* records : {&result_->roots, &result_->cas}) {
        for (const AuthorityRecord& authority : *records) {
            SCOPED_TRACE(authority.id);
            ASSERT_TRUE(std::filesystem::is_regular_file(authority.crlPath));
            const std::string issuer = Pem(authority.certificate.certPath, "x509");
            const std::string said =
                OpenSsl("crl -inform DER -noout -in " + Quoted(authority.crlPath) + " -CAfile " + Quoted(issuer));
            EXPECT_TRUE(Contains(said, "verify OK")) << said;
            // Under another authority's certificate the signature must fail.
            const AuthorityRecord& other = &authority == &records->front() ? records->back() : records->front();
            const std::string stranger = Pem(other.certificate.certPath, "x509");
            EXPECT_FALSE(Contains(
                OpenSsl("crl -inform DER -noout -in " + Quoted(authority.crlPath) + " -CAfile " + Quoted(stranger)),
                "verify OK"));
        }
    }
}

TEST_F(GeneratedCrls, OpenSslVerifyJudgesUsersByTheCrls) {
    int revoked = 0;
    for (const UserRecord& user : result_->users) {
        SCOPED_TRACE(user.signing.subject + " " + user.validity);
        const AuthorityRecord& ca = Authority(result_->cas, user.signing.issuer);
        const AuthorityRecord& root = Authority(result_->roots, ca.certificate.issuer);
        const std::string listed = OpenSsl("crl -inform DER -noout -text -in " + Quoted(ca.crlPath) + " | tr A-F a-f");
        const bool isRevoked = user.validity == "revoked";
        revoked += isRevoked;
        for (const CertificateRecord* certificate : {&user.signing, &user.keyManagement})
            EXPECT_EQ(isRevoked, Contains(listed, "Serial Number: " + certificate->serial));
        const std::string said =
            OpenSsl("verify -crl_check_all -CAfile " + Quoted(Pem(root.certificate.certPath, "x509")) + " -untrusted " +
                    Quoted(Pem(ca.certificate.certPath, "x509")) + " -CRLfile " + Quoted(Pem(ca.crlPath, "crl")) +
                    " -CRLfile " + Quoted(Pem(root.crlPath, "crl")) + " " + Quoted(Pem(user.signing.certPath, "x509")));
        EXPECT_TRUE(Contains(said, isRevoked ? "certificate revoked" : ": OK")) << said;
    }
    EXPECT_EQ(2, revoked);  // one per CA
}

TEST_F(GeneratedCrls, DistributionPointsNameTheBases) {
    const struct {
        std::string certificate;
        std::string role;
    } kRows[] = {
        {result_->users.front().signing.certPath, "ca-" + result_->users.front().ca},
        {result_->cas.front().certificate.certPath, "root-kisa"},
        {result_->roots.front().certificate.certPath, "root-kisa"},
    };
    for (const auto& row : kRows) {
        const std::string text =
            OpenSsl("x509 -inform DER -noout -ext crlDistributionPoints -in " + Quoted(row.certificate));
        EXPECT_TRUE(Contains(
            text, std::string(kLdapBase) + "/cn=" + row.role + ",dc=zorvane,dc=test?certificateRevocationList;binary"))
            << text;
        EXPECT_TRUE(Contains(text, std::string(kHttpBase) + "/" + row.role + ".crl")) << text;
    }
    const std::string manifest = RunCommand(
                                     "python3 -c \"import json,sys; m=json.load(open(sys.argv[1])); "
                                     "print(sorted(u['validity'] for u in m['users']), m['crlLdif'], "
                                     "all('crl' in a for a in m['roots'] + m['cas']))\" " +
                                     Quoted(result_->manifest))
                                     .output;
    EXPECT_TRUE(Contains(manifest, "'revoked', 'revoked'")) << manifest;
    EXPECT_TRUE(Contains(manifest, result_->crlLdif + " True")) << manifest;
}

TEST(GeneratorWithoutCrls, MakesNoCrlAndNoAuthorityDistributionPoint) {
    TempFolder folder;
    Options options;
    options.home = folder.File("home");
    options.keyCache = std::string(ZORVANE_TEST_BINARY_DIR) + "/pkigen-key-cache";
    options.cas = {"yessign"};
    Result result;
    std::string error;
    ASSERT_TRUE(Generate(options, result, error)) << error;
    EXPECT_TRUE(result.crlLdif.empty() && result.cas.front().crlPath.empty());
    EXPECT_FALSE(Contains(OpenSsl("x509 -inform DER -noout -ext crlDistributionPoints -in " +
                                  Quoted(result.cas.front().certificate.certPath)),
                          "URI:"));
}

}  // namespace
