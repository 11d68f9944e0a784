// The facade's own work on what the real toolkit reads from a generated certificate, on
// both backends: the fields as the generator wrote them, the validity converted to the
// moment it names, and the user identifier. The toolkit's functions themselves are
// checked against openssl in tests/toolkit, the calls that reach them in
// OperationTableTest.
#include <ctime>

#include "crypto/RealToolkitFixture.h"

using namespace realtoolkit;

namespace {

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

std::string Joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
    return text;
}

TEST_P(RealToolkit, GeneratedCertificateReadsAsTheGeneratorMadeIt) {
    const auto& user = User(Pki(), "valid").signing;
    ByteString cert = FileBytes(user.certPath);
    ASSERT_EQ(0, facade.LoadCert(cert));
    ByteString text;
    int version = 0;
    EXPECT_EQ(0, facade.GetCertVersion(version));
    EXPECT_EQ(3, version);
    const std::pair<int (CCryptoEx::*)(ByteString&), std::string> kFields[] = {
        {&CCryptoEx::GetSubjectName, user.subject},
        {&CCryptoEx::GetIssuerName, user.issuer},
        {&CCryptoEx::GetSerialNo, user.serial},
        {&CCryptoEx::GetPolicyID, Joined(user.policies)},
        {&CCryptoEx::GetSignAlgo, "sha256WithRSAEncryption"},
        {&CCryptoEx::GetKeyUsage, "digitalSignature, nonRepudiation"},
        {&CCryptoEx::GetPubKeyAlgo, "RSA"},
    };
    for (const auto& [getter, expected] : kFields) {
        EXPECT_EQ(0, (facade.*getter)(text));
        EXPECT_EQ(expected, Text(text));
    }
    ByteString notBefore, notAfter, key, length;
    EXPECT_EQ(0, facade.GetValidity(notBefore, notAfter));
    EXPECT_EQ(user.notBefore, Text(notBefore));
    EXPECT_EQ(user.notAfter, Text(notAfter));
    // The GPKI backend gives the key's size, the NPKI one the key again.
    EXPECT_EQ(0, facade.GetPubKey(key));
    EXPECT_EQ(0, facade.GetPubKeyLen(length));
    EXPECT_EQ(Gpki() ? "2048" : Text(key), Text(length));
    // The GPKI backend keeps the whole text after "cn=", the NPKI one up to the next comma.
    ASSERT_EQ(0, facade.GetUID(text));
    const std::string afterCn = user.subject.substr(user.subject.find("cn=") + 3);
    EXPECT_EQ(Gpki() ? afterCn : afterCn.substr(0, afterCn.find(',')), Text(text));
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

INSTANTIATE_TEST_SUITE_P(Backends, RealToolkit, kBothBackends, BackendName);

}  // namespace
