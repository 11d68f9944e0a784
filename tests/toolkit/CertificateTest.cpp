// Certificate fields read through the toolkit, checked against `openssl x509`.

#include <algorithm>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <ctime>
#include <map>
#include <memory>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

class CertificateTest : public UserCertificateSuite<CertificateTest> {
public:
    static constexpr const char* kSerial = "8a0b0c0d0e";

protected:

    void SetUp() override {
        Record certificate(user_.der);
        ASSERT_EQ(0, QLK_CERT_Load(context_.get(), certificate.get())) << context_.ErrorText();
    }

    std::string X509Print(const std::string& options) {
        return Trim(Shell(OpenSsl("x509 -noout -in " + user_.pemPath + " " + options)));
    }

    using Getter = int (*)(void*, int, char*);
    std::string Get(Getter getter, int size = 4096) {
        std::vector<char> buffer(static_cast<std::size_t>(size), 'x');
        EXPECT_EQ(0, getter(context_.get(), size, buffer.data())) << context_.ErrorText();
        return buffer.data();
    }
};

// openssl prints RFC 2253 names with upper-case short names; ours are lower case.
std::string OpenSslNameAsToolkit(std::string name) {
    std::string converted;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t comma = start;
        while (comma < name.size() && !(name[comma] == ',' && name[comma - 1] != '\\')) ++comma;
        std::string attribute = name.substr(start, comma - start);
        std::size_t equals = attribute.find('=');
        std::string key = attribute.substr(0, equals);
        if (key != "serialNumber") {
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (!converted.empty()) converted += ',';
        converted += key + attribute.substr(equals);
        start = comma + 1;
    }
    return converted;
}

std::string KstFromOpenSslIso(const std::string& printed) {
    // "notBefore=2026-12-06 03:55:00Z"
    std::tm broken{};
    strptime(printed.substr(printed.find('=') + 1).c_str(), "%Y-%m-%d %H:%M:%S", &broken);
    std::time_t seconds = timegm(&broken) + 9 * 3600;
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", gmtime_r(&seconds, &broken));
    return text;
}

TEST_F(CertificateTest, SerialIsLowerHexOfTheSerialNumber) {
    std::string printed = X509Print("-serial");  // serial=8A0B0C0D0E
    std::string expected = printed.substr(printed.find('=') + 1);
    for (char& c : expected) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(expected, Get(QLK_CERT_GetSerialNum));
    EXPECT_EQ("8a0b0c0d0e", Get(QLK_CERT_GetSerialNum));
}

TEST_F(CertificateTest, NamesAreLeafFirstWithLowerCaseAttributes) {
    std::string subject = X509Print("-subject -nameopt RFC2253,-esc_msb,utf8");
    std::string issuer = X509Print("-issuer -nameopt RFC2253,-esc_msb,utf8");
    EXPECT_EQ(OpenSslNameAsToolkit(subject.substr(subject.find('=') + 1)), Get(QLK_CERT_GetSubjectName));
    EXPECT_EQ(OpenSslNameAsToolkit(issuer.substr(issuer.find('=') + 1)), Get(QLK_CERT_GetIssuerName));
    EXPECT_EQ("cn=yessignCA Class 3,ou=AccreditedCA,o=yessign,c=KR", Get(QLK_CERT_GetIssuerName));
}

TEST_F(CertificateTest, SubjectDerIsTheEncodedSubjectName) {
    Record name;
    ASSERT_EQ(0, QLK_CERT_GetSubjectName_DERFormat(context_.get(), name.get()));
    WriteFile(folder_->File("name.der"), name.bytes());
    std::string parsed = Shell(OpenSsl("asn1parse -inform DER -in " + folder_->File("name.der")));
    EXPECT_NE(std::string::npos, parsed.find("personal4IB"));
    EXPECT_NE(std::string::npos, parsed.find(":yessign"));
}

TEST_F(CertificateTest, ValidityIsKoreaStandardTime) {
    char notBefore[25], notAfter[25];
    ASSERT_EQ(0, QLK_CERT_GetValidity(context_.get(), notBefore, notAfter));
    EXPECT_EQ(KstFromOpenSslIso(X509Print("-startdate -dateopt iso_8601")), notBefore);
    EXPECT_EQ(KstFromOpenSslIso(X509Print("-enddate -dateopt iso_8601")), notAfter);
}

// A P-256 certificate with chosen UTCTime and GeneralizedTime validity.
Bytes MakeDatedCertificate(const char* notBefore, const char* notAfter) {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, X509_VERSION_3);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 0x0abc);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(" a,b+c "), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    ASN1_TIME_set_string(X509_getm_notBefore(certificate), notBefore);
    ASN1_TIME_set_string(X509_getm_notAfter(certificate), notAfter);
    X509_set_pubkey(certificate, key);
    X509_sign(certificate, key, EVP_sha256());
    unsigned char* der = nullptr;
    int length = i2d_X509(certificate, &der);
    Bytes bytes(der, der + length);
    OPENSSL_free(der);
    X509_free(certificate);
    EVP_PKEY_free(key);
    return bytes;
}

TEST_F(CertificateTest, ValidityCrossesMidnightIntoTheKoreanDate) {
    Record dated(MakeDatedCertificate("291231200000Z", "20500101000000Z"));
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), dated.get()));
    char notBefore[25], notAfter[25];
    ASSERT_EQ(0, QLK_CERT_GetValidity(context_.get(), notBefore, notAfter));
    EXPECT_STREQ("2030-01-01 05:00:00", notBefore);
    EXPECT_STREQ("2050-01-01 09:00:00", notAfter);
    // The same certificate: odd-length serial padded, escaping, and an EC key.
    EXPECT_EQ("0abc", Get(QLK_CERT_GetSerialNum));
    EXPECT_EQ("cn=\\ a\\,b\\+c\\ ", Get(QLK_CERT_GetSubjectName));
    char algorithm[1024], bits[1024];
    Record key;
    ASSERT_EQ(0, QLK_CERT_GetPubKey2(context_.get(), algorithm, bits, key.get()));
    EXPECT_STREQ("EC", algorithm);
    EXPECT_STREQ("256", bits);
    EXPECT_EQ("ecdsa-with-SHA256", Get(QLK_CERT_GetSignatureAlgorithm));
}

TEST_F(CertificateTest, VersionAndAlgorithms) {
    int version = 0;
    ASSERT_EQ(0, QLK_CERT_GetVersion(context_.get(), &version));
    EXPECT_EQ(3, version);
    EXPECT_EQ("sha256WithRSAEncryption", Get(QLK_CERT_GetSignatureAlgorithm));
    std::string printed = Shell(OpenSsl("x509 -noout -text -in " + user_.pemPath));
    EXPECT_NE(std::string::npos, printed.find("Signature Algorithm: " + Get(QLK_CERT_GetSignatureAlgorithm)));
}

TEST_F(CertificateTest, SignatureIsTheSignatureValueInHex) {
    // The signature value is the last 256 bytes of the certificate (RSA-2048, BIT STRING last).
    Bytes tail(user_.der.end() - 256, user_.der.end());
    EXPECT_EQ(Hex(tail), Get(QLK_CERT_GetSignature, 2048));
}

TEST_F(CertificateTest, PublicKeyTexts) {
    char algorithm[48] = {};
    std::vector<char> key(2048);
    ASSERT_EQ(0, QLK_CERT_GetPubKey(context_.get(), 2048, algorithm, key.data()));
    EXPECT_STREQ("RSA", algorithm);
    // The RSAPublicKey DER, which openssl writes with -RSAPublicKey_out.
    Shell(OpenSsl("rsa -in " + user_.keyPath + " -RSAPublicKey_out -outform DER -out " + folder_->File("rsapub.der")));
    EXPECT_EQ(Hex(ReadFile(folder_->File("rsapub.der"))), key.data());

    char algorithm2[1024] = {}, bits[1024] = {};
    Record spki;
    ASSERT_EQ(0, QLK_CERT_GetPubKey2(context_.get(), algorithm2, bits, spki.get()));
    EXPECT_STREQ("RSA", algorithm2);
    EXPECT_STREQ("2048", bits);
    Shell(OpenSsl("pkey -in " + user_.keyPath + " -pubout -outform DER -out " + folder_->File("spki.der")));
    EXPECT_EQ(ReadFile(folder_->File("spki.der")), spki.bytes());
}

TEST_F(CertificateTest, ExtensionTexts) {
    EXPECT_EQ("digitalSignature, nonRepudiation", Get(QLK_CERT_GetKeyUsage));
    EXPECT_EQ("CA=FALSE", Get(QLK_CERT_GetBasicConstraints));
    EXPECT_EQ("clientAuth, 1.2.3.4.5", Get(QLK_CERT_GetExtKeyUsage));
    EXPECT_EQ("email=hong@example.kr, uri=http://id.example.kr/a?b=1, otherName=1.2.410.200004.10.1.1",
              Get(QLK_CERT_GetSubjectAltName));
    EXPECT_EQ("uri=ldap://ldap.example.kr:389/cn=dp1p1,ou=dp,o=yessign,c=kr?certificateRevocationList",
              Get(QLK_CERT_GetCRLDP));
    EXPECT_EQ("ocsp=uri=http://ocsp.example.kr:4612, caIssuers=uri=http://ca.example.kr/ca.der", Get(QLK_CERT_GetAIA));

    std::string ski = X509Print("-ext subjectKeyIdentifier");  // header line, then AA:BB:...
    std::string skiHex = Trim(ski.substr(ski.find('\n') + 1));
    skiHex.erase(std::remove(skiHex.begin(), skiHex.end(), ':'), skiHex.end());
    for (char& c : skiHex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(skiHex, Get(QLK_CERT_GetSubKeyID));

    Shell(OpenSsl("x509 -in " + folder_->File("ca.pem") + " -noout -ext subjectKeyIdentifier > " + folder_->File("caski")));
    std::string caSki = Trim(Shell("tail -n 1 " + folder_->File("caski")));
    caSki.erase(std::remove(caSki.begin(), caSki.end(), ':'), caSki.end());
    for (char& c : caSki) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ("keyid=" + caSki, Get(QLK_CERT_GetAuthKeyID));
}

TEST_F(CertificateTest, PoliciesWithQualifiersAndKoreanNotice) {
    EXPECT_EQ("1.2.410.200005.1.1.1", Get(QLK_CERT_GetCertPolicy_PolicyID));
    EXPECT_EQ("1.2.410.200005.1.1.1, cps=http://www.example.kr/cps.htm, notice=이 인증서는 공인인증서입니다",
              Get(QLK_CERT_GetCertPolicy));
    // The notice really is a BMPString (tag 1e) starting with U+C774 in the certificate,
    // and openssl reads the policy too.
    const Bytes bmpStart = {0x1e, 0x1e, 0xc7, 0x74};
    EXPECT_NE(user_.der.end(), std::search(user_.der.begin(), user_.der.end(), bmpStart.begin(), bmpStart.end()));
    EXPECT_NE(std::string::npos, Shell(OpenSsl("x509 -noout -text -in " + user_.pemPath)).find("Explicit Text"));
}

TEST_F(CertificateTest, PemInputLoadsTheSameCertificate) {
    Record pem(ReadFile(user_.pemPath));
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), pem.get()));
    EXPECT_EQ("8a0b0c0d0e", Get(QLK_CERT_GetSerialNum));
}

TEST_F(CertificateTest, CertificateWithoutPolicies) {
    ScratchFolder folder;
    TestCertificate plain = MakePlainCertificate(folder);
    Record certificate(plain.der);
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), certificate.get()));
    char text[64] = "untouched";
    EXPECT_EQ(1502, QLK_CERT_GetCertPolicy_PolicyID(context_.get(), sizeof text, text));
    EXPECT_STREQ("", text);
    EXPECT_NE(std::string::npos, context_.ErrorText().find("1502"));
    EXPECT_EQ(1502, QLK_CERT_GetCertPolicy(context_.get(), sizeof text, text));
    EXPECT_EQ("CA=TRUE, pathLen=2", Get(QLK_CERT_GetBasicConstraints));
    EXPECT_EQ("", Get(QLK_CERT_GetCRLDP));  // absent optional extensions read as empty
    EXPECT_EQ("", Get(QLK_CERT_GetKeyUsage));
}

// Loading reads a certificate without decoding its key; the key texts must still be
// those of OpenSSL's full read of the same bytes, for each kind and an odd RSA size.
TEST_F(CertificateTest, KeyTextsMatchTheFullReadForEachKeyKind) {
    const char* const kKeys[] = {"-newkey rsa:1024", "-newkey rsa:2049", "-newkey ec -pkeyopt ec_paramgen_curve:P-384",
                                 "-newkey ed25519", "-newkey rsa-pss -pkeyopt rsa_keygen_bits:1536"};
    ScratchFolder folder;
    for (const char* key : kKeys) {
        Shell(OpenSsl(std::string("req -x509 ") + key + " -nodes -keyout " + folder.File("k.pem") + " -outform DER -out " +
                      folder.File("c.der") + " -days 2 -subj /CN=k"));
        const Bytes der = ReadFile(folder.File("c.der"));
        const unsigned char* cursor = der.data();
        std::unique_ptr<X509, decltype(&X509_free)> full(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())), X509_free);
        ASSERT_TRUE(full) << key;
        unsigned char* spki = nullptr;
        const int spkiLength = i2d_PUBKEY(X509_get0_pubkey(full.get()), &spki);
        const Bytes expectedSpki(spki, spki + spkiLength);
        OPENSSL_free(spki);

        ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(der).get())) << key;
        char algorithm[1024] = {}, bits[1024] = {};
        Record read;
        ASSERT_EQ(0, QLK_CERT_GetPubKey2(context_.get(), algorithm, bits, read.get())) << key;
        EXPECT_EQ(std::to_string(EVP_PKEY_get_bits(X509_get0_pubkey(full.get()))), bits) << key;
        EXPECT_EQ(expectedSpki, read.bytes()) << key;
    }
}

TEST_F(CertificateTest, FailuresHaveCodesAndTexts) {
    char text[256];
    Record garbage(std::string("this is not a certificate"));
    EXPECT_EQ(1503, QLK_CERT_Load(context_.get(), garbage.get()));
    EXPECT_NE(std::string::npos, context_.ErrorText().find("QLK_CERT_Load: [1503]"));
    // A failed load leaves no certificate behind.
    EXPECT_EQ(1501, QLK_CERT_GetSerialNum(context_.get(), sizeof text, text));
    EXPECT_NE(std::string::npos, context_.ErrorText().find("no certificate is loaded"));

    Bytes truncated(user_.der.begin(), user_.der.begin() + 100);
    Record shortRecord(truncated);
    EXPECT_EQ(1503, QLK_CERT_Load(context_.get(), shortRecord.get()));
    Bytes trailing = user_.der;
    trailing.push_back(0);
    Record trailingRecord(trailing);
    EXPECT_EQ(1503, QLK_CERT_Load(context_.get(), trailingRecord.get()));
    Record empty;
    EXPECT_EQ(1003, QLK_CERT_Load(context_.get(), empty.get()));
    EXPECT_EQ(1002, QLK_CERT_Load(context_.get(), nullptr));
    EXPECT_EQ(1001, QLK_CERT_Load(nullptr, empty.get()));

    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(user_.der).get()));
    ASSERT_EQ(0, QLK_CERT_Unload(context_.get()));
    int version = 0;
    EXPECT_EQ(1501, QLK_CERT_GetVersion(context_.get(), &version));
    // A success clears the previous error.
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(user_.der).get()));
    EXPECT_EQ("", context_.ErrorText());
}

}  // namespace
}  // namespace qlk_test
