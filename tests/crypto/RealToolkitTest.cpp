// The facade over the real toolkit files of the work folder, on both backends, where it
// does work of its own or where only the whole chain shows a fault: the validity of a
// generated certificate converted to the moment it names, verification at a given
// moment, and verification of users whose CRLs are fetched from their distribution
// points, over HTTP from the test server and over LDAP from a throwaway slapd loaded with
// the generator's LDIF. The toolkit's functions are checked against openssl in
// tests/toolkit, the calls the facade makes in OperationTableTest.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>

#include "support/TestPki.h"
#include "support/TestServices.h"
#include "support/TestSupport.h"

namespace {

using namespace zorvane::testsupport;
namespace fs = std::filesystem;

std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

struct Backend {
    int type;
    const char* name;
};

void PrintTo(const Backend& backend, std::ostream* out) { *out << backend.name; }

class RealToolkit : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override { ASSERT_EQ(0, facade.Init(GetParam().type, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR))); }
    bool Gpki() const { return GetParam().type == 0; }
    // The user of this backend's store with the given validity.
    const zorvane::pkigen::UserRecord& User(const zorvane::pkigen::Result& pki, const std::string& validity) const {
        for (const auto& user : pki.users) {
            if (user.store == (Gpki() ? "gpki" : "npki") && user.validity == validity) return user;
        }
        throw std::runtime_error("no generated " + validity + " user");
    }
    static ByteString FileBytes(const std::string& path) {
        ByteString bytes;
        EXPECT_EQ(0, bytes.LoadFile(path.c_str()));
        return bytes;
    }
    std::string ErrorText() {
        ByteString text;
        facade.GetErrInfo(text);
        return Text(text);
    }

    CCryptoEx facade;
};

const auto kBothBackends = ::testing::Values(Backend{0, "Gpki"}, Backend{1, "Npki"});
std::string BackendName(const ::testing::TestParamInfo<Backend>& info) { return info.param.name; }

// One valid and one expired user per store.
const zorvane::pkigen::Result& Pki() {
    static TempFolder home;
    static const zorvane::pkigen::Result pki = [] {
        zorvane::pkigen::Options options = YessignPkiOptions(home.Path());
        options.cas = {"yessign", "gpki"};
        options.expired = 1;
        return GeneratedPki(options);
    }();
    return pki;
}

TEST_P(RealToolkit, ValidityConvertsToTheMomentItNames) {
    const auto& user = User(Pki(), "valid").signing;
    ByteString cert = FileBytes(user.certPath);
    ASSERT_EQ(0, facade.LoadCert(cert));
    ByteString notBefore, notAfter, notAfterDate;
    int expired = -1;
    ASSERT_EQ(0, facade.GetValidity(notBefore, notAfter, notAfterDate, expired));
    EXPECT_EQ(0, expired);
    // The generator's text is Korea Standard Time; the moment is nine hours earlier,
    // shown in UTC by the GPKI backend and in local time by the NPKI one.
    std::tm kst{};
    ASSERT_TRUE(strptime(user.notAfter.c_str(), "%Y-%m-%d %H:%M:%S", &kst));
    const std::time_t moment = timegm(&kst) - 9 * 3600;
    std::tm shown{};
    if (Gpki()) {
        gmtime_r(&moment, &shown);
    } else {
        localtime_r(&moment, &shown);
    }
    char date[16], full[64];
    std::strftime(date, sizeof(date), "%Y-%m-%d", &shown);
    std::strftime(full, sizeof(full), "%Y년 %m월 %d일 %H:%M:%S", &shown);
    EXPECT_EQ(date, Text(notAfterDate));
    EXPECT_EQ(full, Text(notAfter));

    ByteString expiredCert = FileBytes(User(Pki(), "expired").signing.certPath);
    ASSERT_EQ(0, facade.LoadCert(expiredCert));
    ASSERT_EQ(0, facade.GetValidity(notBefore, notAfter, notAfterDate, expired));
    EXPECT_EQ(1, expired);
}

// Verification at a moment the caller names, which only the NPKI backend offers; the
// toolkit tests verify at the current time only.
TEST_P(RealToolkit, VerificationAtAGivenMoment) {
    for (const auto* authorities : {&Pki().roots, &Pki().cas}) {
        for (const auto& authority : *authorities) {
            ByteString trusted = FileBytes(authority.certificate.certPath);
            ASSERT_EQ(0, facade.AddTrustedCert(trusted));
        }
    }
    ByteString certificate = FileBytes(User(Pki(), "valid").signing.certPath), policies;
    ByteString before("19990101000000"), now(LocalTimeText(std::time(nullptr)).c_str());
    EXPECT_EQ(Gpki() ? 102 : 1603, facade.VerifyCert2(certificate, 0, policies, before));
    EXPECT_EQ(Gpki() ? 102 : 0, facade.VerifyCert2(certificate, 0, policies, now)) << ErrorText();
}

INSTANTIATE_TEST_SUITE_P(Backends, RealToolkit, kBothBackends, BackendName);

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
