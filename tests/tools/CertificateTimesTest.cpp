// The validity a listing reads straight from a certificate's DER, against OpenSSL's own
// reading of the same certificate.

#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/x509.h>

#include <ctime>
#include <string>

#include "tools/zorvane/CertificateTimes.h"

namespace {

struct TimeRow {
    const char* what;
    int timeType;  // V_ASN1_UTCTIME or V_ASN1_GENERALIZEDTIME
    const char* notBefore;
    const char* notAfter;
    long version;  // 0 leaves the version field out
};

const TimeRow kReadable[] = {
    {"UTCTime at both ends of its range", V_ASN1_UTCTIME, "500101000000Z", "491231235959Z", 2},
    {"29 February of leap years", V_ASN1_GENERALIZEDTIME, "20000229000000Z", "20240229235959Z", 2},
    {"GeneralizedTime past 2049 and before 1950", V_ASN1_GENERALIZEDTIME, "19491231235959Z", "20500101000000Z", 2},
    {"a version 1 certificate without the version field", V_ASN1_UTCTIME, "261206120000Z", "271206120000Z", 0},
};

using Asn1TimePtr = std::unique_ptr<ASN1_TIME, decltype(&ASN1_TIME_free)>;
using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;

Asn1TimePtr TimeOf(int type, const char* text) {
    Asn1TimePtr time(ASN1_TIME_new(), ASN1_TIME_free);
    ASN1_STRING_set(time.get(), text, -1);
    time->type = type;
    return time;
}

// A certificate with the given times, self-signed with a fresh EC key.
X509Ptr Certificate(const TimeRow& row) {
    X509Ptr certificate(X509_new(), X509_free);
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509_set_version(certificate.get(), row.version);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 7);
    X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("times"), -1, -1, 0);
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(certificate.get()));
    X509_set1_notBefore(certificate.get(), TimeOf(row.timeType, row.notBefore).get());
    X509_set1_notAfter(certificate.get(), TimeOf(row.timeType, row.notAfter).get());
    X509_set_pubkey(certificate.get(), key);
    X509_sign(certificate.get(), key, EVP_sha256());
    EVP_PKEY_free(key);
    return certificate;
}

ByteString Der(X509* certificate) {
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    ByteString bytes;
    bytes.SetData(reinterpret_cast<char*>(der), length);
    OPENSSL_free(der);
    return bytes;
}

std::string OpenSslUtc(const ASN1_TIME* time) {
    std::tm parts{};
    char text[32] = {};
    if (!ASN1_TIME_to_tm(time, &parts)) return "?";
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

TEST(CertificateTimes, DerTimesReadAsOpenSslReadsThem) {
    for (const TimeRow& row : kReadable) {
        SCOPED_TRACE(row.what);
        const X509Ptr certificate = Certificate(row);
        std::string notBefore, notAfter;
        ASSERT_TRUE(ReadDerValidity(Der(certificate.get()), notBefore, notAfter));
        EXPECT_EQ(OpenSslUtc(X509_get0_notBefore(certificate.get())), notBefore);
        EXPECT_EQ(OpenSslUtc(X509_get0_notAfter(certificate.get())), notAfter);
    }
}

// What the DER reading leaves to the toolkit: other encodings, damage, and times that
// are not plain seconds in UTC.
TEST(CertificateTimes, AnythingElseIsLeftToTheToolkit) {
    const ByteString der = Der(Certificate(kReadable[0]).get());
    std::vector<std::pair<const char*, ByteString>> refused = {{"PEM", ByteString("-----BEGIN CERTIFICATE-----\n")}};
    for (const int cut : {0, 1, 4, 40, der.GetLength() - 1}) {
        ByteString truncated;
        truncated.SetData(der.GetData(), cut);
        refused.emplace_back("truncated", truncated);
    }
    const TimeRow odd[] = {
        {"offset", V_ASN1_UTCTIME, "9912312359+0900", "000101000000Z", 2},
        {"fraction", V_ASN1_GENERALIZEDTIME, "19991231235959.5Z", "20500101000000Z", 2},
        {"month 13", V_ASN1_UTCTIME, "991301000000Z", "000101000000Z", 2},
        {"second 60", V_ASN1_UTCTIME, "991231235960Z", "000101000000Z", 2},
        {"29 February outside a leap year", V_ASN1_GENERALIZEDTIME, "21000229000000Z", "21000301000000Z", 2},
    };
    for (const TimeRow& row : odd) refused.emplace_back(row.what, Der(Certificate(row).get()));
    for (const auto& [what, bytes] : refused) {
        SCOPED_TRACE(what);
        std::string notBefore, notAfter;
        EXPECT_FALSE(ReadDerValidity(bytes, notBefore, notAfter));
    }
}

}  // namespace
