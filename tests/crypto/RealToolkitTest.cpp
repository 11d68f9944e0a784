// The facade over the real toolkit files of the work folder, on both backends:
// verification at a given moment, which no command asks for. The toolkit's functions are
// checked against openssl in tests/toolkit, the calls the facade makes in
// OperationTableTest, the validity texts through the loader's records.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <ctime>
#include <stdexcept>
#include <string>

#include "crypto/FacadeCase.h"
#include "support/TestPki.h"
#include "support/TestSupport.h"

namespace {

using namespace zorvane::testsupport;
using namespace facadecase;

// One valid user per store.
const zorvane::pkigen::Result& Pki() {
    static TempFolder home;
    static const zorvane::pkigen::Result pki = [] {
        zorvane::pkigen::Options options = YessignPkiOptions(home.Path());
        options.cas = {"yessign", "gpki"};
        return GeneratedPki(options);
    }();
    return pki;
}

class RealToolkit : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override { ASSERT_EQ(0, facade.Init(GetParam().type, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR))); }
    bool Gpki() const { return GetParam().type == 0; }
    // The user of this backend's store with the given validity.
    const zorvane::pkigen::UserRecord& User(const std::string& validity) const {
        for (const auto& user : Pki().users) {
            if (user.store == (Gpki() ? "gpki" : "npki") && user.validity == validity) return user;
        }
        throw std::runtime_error("no generated " + validity + " user");
    }
    static ByteString FileBytes(const std::string& path) {
        ByteString bytes;
        EXPECT_EQ(0, bytes.LoadFile(path.c_str()));
        return bytes;
    }

    CCryptoEx facade;
};

// Verification at a moment the caller names, which only the NPKI backend offers; the
// toolkit tests verify at the current time only.
TEST_P(RealToolkit, VerificationAtAGivenMoment) {
    for (const auto* authorities : {&Pki().roots, &Pki().cas}) {
        for (const auto& authority : *authorities) {
            ByteString trusted = FileBytes(authority.certificate.certPath);
            ASSERT_EQ(0, facade.AddTrustedCert(trusted));
        }
    }
    ByteString certificate = FileBytes(User("valid").signing.certPath), policies;
    ByteString before("19990101000000"), now(LocalTimeText(std::time(nullptr)).c_str());
    EXPECT_EQ(Gpki() ? 102 : 1603, facade.VerifyCert2(certificate, 0, policies, before));
    EXPECT_EQ(Gpki() ? 102 : 0, facade.VerifyCert2(certificate, 0, policies, now)) << Text(ErrorText(facade));
}

INSTANTIATE_TEST_SUITE_P(Backends, RealToolkit, ::testing::ValuesIn(kBackends), BackendName);

}  // namespace
