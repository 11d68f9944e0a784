// Certificate fields read through the toolkit: every text getter with its text and cut to
// every buffer size (exact-size buffers, so the asan preset sees any overrun), for the
// user certificate and for one with the rarer forms of each extension.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <tuple>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

using Getter = int (*)(void*, int, char*);

class CertificateTest : public UserCertificateSuite<CertificateTest> {
public:
    static constexpr const char* kSerial = "8a0b0c0d0e";

protected:
    static void SetUpTestSuite() {
        UserCertificateSuite::SetUpTestSuite();
        rare_ = MakeRareCertificate();
    }
    void SetUp() override { Load(user_.der); }
    void Load(const Bytes& der) { ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(der).get())) << context_.ErrorText(); }
    std::string Get(Getter getter) {
        std::vector<char> buffer(8192, 'x');
        EXPECT_EQ(0, getter(context_.get(), static_cast<int>(buffer.size()), buffer.data())) << context_.ErrorText();
        return buffer.data();
    }
    // The key identifier openssl prints for an extension, as lower-case hex.
    static std::string OpenSslKeyId(const std::string& pemPath, const char* extension) {
        const std::string printed = Shell("openssl x509 -noout -ext " + std::string(extension) + " -in " + pemPath);
        std::string hex = TrimEnd(printed.substr(printed.find('\n') + 1));
        hex.erase(std::remove_if(hex.begin(), hex.end(), [](char c) { return c == ':' || c == ' '; }), hex.end());
        std::transform(hex.begin(), hex.end(), hex.begin(), [](unsigned char c) { return std::tolower(c); });
        return hex;
    }
    static Bytes MakeRareCertificate();

    static inline Bytes rare_;
};

// Self-signed, with the forms the user certificate lacks: DNS, IP, directory (with
// characters that need escaping) and registered-ID names, two policies (one with a notice reference and an unknown
// qualifier-free policy), an issuer and serial in the authority key identifier, a CRL
// issuer (once beside a point's name, once alone), a path length, later key-usage bits
// and an access method without a name.
Bytes CertificateTest::MakeRareCertificate() {
    const std::string rare = folder_->File("rare");
    WriteFile(folder_->File("rare.cnf"), std::string(R"(
[req]
distinguished_name = dn
prompt = no
[dn]
CN = rare
[ext]
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = keyCertSign, cRLSign, decipherOnly, keyAgreement
extendedKeyUsage = serverAuth
subjectAltName = DNS:a.example.kr, IP:10.1.2.3, IP:::1, dirName:dirsect, RID:1.2.840.113549.1.9.1
certificatePolicies = ia5org, @policy, 1.2.3.7
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid:always, issuer:always
crlDistributionPoints = crldp, issueronly
authorityInfoAccess = 1.2.3.8;URI:http://x.example.kr
[dirsect]
O = Dir Org
CN = " a,b+c "
[policy]
policyIdentifier = 1.2.3.6
userNotice.1 = @notice
[notice]
organization = Notice Org
noticeNumbers = 1
explicitText = hello
[crldp]
fullname = URI:http://crl.example.kr/a.crl
CRLissuer = dirName:dirsect
[issueronly]
CRLissuer = dirName:dirsect
)"));
    Shell("openssl req -x509 -newkey rsa:1024 -nodes -keyout " + rare + ".key -set_serial 0x0abc -config " +
                  folder_->File("rare.cnf") + " -extensions ext -days 30 -out " + rare + ".pem");
    Shell("openssl x509 -in " + rare + ".pem -outform DER -out " + rare + ".der");
    return ReadFile(rare + ".der");
}

// The public key as RSAPublicKey hex, its algorithm name aside.
int PublicKeyHex(void* context, int size, char* key) {
    char algorithm[48];
    const int result = QLK_CERT_GetPubKey(context, size, algorithm, key);
    return result != 0 || std::strcmp(algorithm, "RSA") == 0 ? result : -1;
}

struct TextRow {
    const char* name;
    Getter getter;
    bool rare;
    std::string expected;
};

// A cut text is a prefix of the full text, ends on a UTF-8 boundary and loses at most
// the bytes of one character beyond what the buffer forced.
void ExpectCut(const std::string& full, const char* cut, int size) {
    const std::size_t length = std::strlen(cut);
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    ASSERT_LE(length, room) << "size " << size;
    EXPECT_EQ(full.substr(0, length), std::string(cut, length)) << "size " << size;
    EXPECT_GE(length + 3, std::min(room, full.size())) << "size " << size;
    if (length < full.size()) {
        EXPECT_NE(0x80, static_cast<unsigned char>(full[length]) & 0xc0) << "split a character at " << size;
    }
}

TEST_F(CertificateTest, TextGettersGiveTheirTextCutToEverySize) {
    const std::string escapedName = "cn=\\ a\\,b\\+c\\ ,o=Dir Org";  // blanks at the ends, commas and pluses escaped
    const std::string caSki = OpenSslKeyId(folder_->File("ca.pem"), "subjectKeyIdentifier");
    Shell("openssl rsa -in " + user_.keyPath + " -RSAPublicKey_out -outform DER -out " + folder_->File("rsapub.der"));
    const TextRow kRows[] = {
        {"serial", QLK_CERT_GetSerialNum, false, "8a0b0c0d0e"},
        {"serial padded", QLK_CERT_GetSerialNum, true, "0abc"},
        {"issuer", QLK_CERT_GetIssuerName, false, "cn=yessignCA Class 3,ou=AccreditedCA,o=yessign,c=KR"},
        {"subject", QLK_CERT_GetSubjectName, false,
         "cn=홍길동()0012345+serialNumber=1234,ou=KMB,ou=personal4IB,o=yessign,c=KR"},
        {"signature algorithm", QLK_CERT_GetSignatureAlgorithm, false, "sha256WithRSAEncryption"},
        {"public key", PublicKeyHex, false, Hex(ReadFile(folder_->File("rsapub.der")))},
        // RSA-2048 and the BIT STRING last: the signature value is the certificate's last 256 bytes.
        {"signature", QLK_CERT_GetSignature, false, Hex(Bytes(user_.der.end() - 256, user_.der.end()))},
        {"key usage", QLK_CERT_GetKeyUsage, false, "digitalSignature, nonRepudiation"},
        {"key usage later bits", QLK_CERT_GetKeyUsage, true, "keyAgreement, keyCertSign, cRLSign, decipherOnly"},
        {"policy", QLK_CERT_GetCertPolicy, false,
         "1.2.410.200005.1.1.1, cps=http://www.example.kr/cps.htm, notice=이 인증서는 공인인증서입니다"},
        {"policies", QLK_CERT_GetCertPolicy, true,
         "1.2.3.6, noticeOrganization=Notice Org, notice=hello\n1.2.3.7"},
        {"policy id", QLK_CERT_GetCertPolicy_PolicyID, false, "1.2.410.200005.1.1.1"},
        {"policy ids", QLK_CERT_GetCertPolicy_PolicyID, true, "1.2.3.6, 1.2.3.7"},
        {"basic constraints", QLK_CERT_GetBasicConstraints, false, "CA=FALSE"},
        {"basic constraints path", QLK_CERT_GetBasicConstraints, true, "CA=TRUE, pathLen=0"},
        {"extended key usage", QLK_CERT_GetExtKeyUsage, false, "clientAuth, 1.2.3.4.5"},
        {"alt names", QLK_CERT_GetSubjectAltName, false,
         "email=hong@example.kr, uri=http://id.example.kr/a?b=1, otherName=1.2.410.200004.10.1.1"},
        {"rare alt names", QLK_CERT_GetSubjectAltName, true,
         "dns=a.example.kr, ip=10.1.2.3, ip=00000000000000000000000000000001, dirName=" + escapedName +
             ", rid=1.2.840.113549.1.9.1"},
        {"subject key id", QLK_CERT_GetSubKeyID, false, OpenSslKeyId(user_.pemPath, "subjectKeyIdentifier")},
        {"authority key id", QLK_CERT_GetAuthKeyID, false, "keyid=" + caSki},
        {"authority key id and issuer", QLK_CERT_GetAuthKeyID, true,
         "keyid=" + OpenSslKeyId(folder_->File("rare.pem"), "subjectKeyIdentifier") + ", issuer=dirName=cn=rare, serial=0abc"},
        {"crl points", QLK_CERT_GetCRLDP, false,
         "uri=ldap://ldap.example.kr:389/cn=dp1p1,ou=dp,o=yessign,c=kr?certificateRevocationList"},
        {"crl points and issuer", QLK_CERT_GetCRLDP, true,
         "uri=http://crl.example.kr/a.crl, crlIssuer=dirName=" + escapedName + ", crlIssuer=dirName=" + escapedName},
        {"access", QLK_CERT_GetAIA, false,
         "ocsp=uri=http://ocsp.example.kr:4612, caIssuers=uri=http://ca.example.kr/ca.der"},
        {"access other method", QLK_CERT_GetAIA, true, "1.2.3.8=uri=http://x.example.kr"},
    };
    for (const TextRow& row : kRows) {
        SCOPED_TRACE(row.name);
        Load(row.rare ? rare_ : user_.der);
        ASSERT_EQ(row.expected, Get(row.getter));
        for (int size = 1; size <= static_cast<int>(row.expected.size()) + 2; ++size) {
            auto exact = std::make_unique<char[]>(static_cast<std::size_t>(size));
            ASSERT_EQ(0, row.getter(context_.get(), size, exact.get())) << "size " << size;
            ExpectCut(row.expected, exact.get(), size);
        }
        char buffer[8];
        EXPECT_EQ(1002, row.getter(context_.get(), 0, buffer));
        EXPECT_EQ(1002, row.getter(context_.get(), -5, buffer));
        EXPECT_EQ(1002, row.getter(context_.get(), 10, nullptr));
    }
}

// A self-signed P-256 certificate with the given validity and, in order, subject
// attributes of every string type (field, V_ASN1_ type, bytes as they are).
Bytes MakeDatedCertificate(const char* notBefore, const char* notAfter) {
    const std::tuple<const char*, int, std::string> kSubject[] = {
        {"C", V_ASN1_PRINTABLESTRING, "KR"},
        {"O", V_ASN1_T61STRING, "caf\xE9"},
        {"OU", V_ASN1_IA5STRING, "plain"},
        {"L", V_ASN1_BMPSTRING, std::string("\0A\0B", 4)},
        {"ST", V_ASN1_UTF8STRING, "\xEC\x84\x9C\xEC\x9A\xB8"},
    };
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), X509_free);
    X509_set_version(certificate.get(), X509_VERSION_3);
    for (const auto& [field, type, bytes] : kSubject) {
        X509_NAME_add_entry_by_txt(X509_get_subject_name(certificate.get()), field, type,
                                   reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()),
                                   -1, 0);
    }
    X509_set_issuer_name(certificate.get(), X509_get_subject_name(certificate.get()));
    ASN1_TIME_set_string(X509_getm_notBefore(certificate.get()), notBefore);
    ASN1_TIME_set_string(X509_getm_notAfter(certificate.get()), notAfter);
    X509_set_pubkey(certificate.get(), key.get());
    X509_sign(certificate.get(), key.get(), EVP_sha256());
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate.get(), &der);
    Bytes bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

// Validity in Korea Standard Time (UTC+9) across the UTCTime window, a leap day and a
// year end; names of every string type as UTF-8 (a single-byte type's non-ASCII is Latin-1).
TEST_F(CertificateTest, ValidityIsKoreaStandardTimeAndNamesAreUtf8) {
    const std::tuple<const char*, const char*, const char*, const char*> kRows[] = {
        {"291231200000Z", "20500101000000Z", "2030-01-01 05:00:00", "2050-01-01 09:00:00"},
        {"491231145959Z", "500101000000Z", "2049-12-31 23:59:59", "1950-01-01 09:00:00"},
        {"20240228150000Z", "20991231150000Z", "2024-02-29 00:00:00", "2100-01-01 00:00:00"},
    };
    for (const auto& [notBefore, notAfter, kstBefore, kstAfter] : kRows) {
        SCOPED_TRACE(notBefore);
        Load(MakeDatedCertificate(notBefore, notAfter));
        auto before = std::make_unique<char[]>(25);
        auto after = std::make_unique<char[]>(25);
        ASSERT_EQ(0, QLK_CERT_GetValidity(context_.get(), before.get(), after.get()));
        EXPECT_STREQ(kstBefore, before.get());
        EXPECT_STREQ(kstAfter, after.get());
    }
    EXPECT_EQ("st=\xEC\x84\x9C\xEC\x9A\xB8,l=AB,ou=plain,o=caf\xC3\xA9,c=KR", Get(QLK_CERT_GetSubjectName));
}

// A certificate with basic constraints only: no policies, and the optional extensions empty.
TEST_F(CertificateTest, AbsentExtensions) {
    Load(MakePlainCertificate(*folder_).der);
    char text[64] = "untouched";
    EXPECT_EQ(1502, QLK_CERT_GetCertPolicy_PolicyID(context_.get(), sizeof text, text));
    EXPECT_STREQ("", text);
    EXPECT_EQ(1502, QLK_CERT_GetCertPolicy(context_.get(), sizeof text, text));
    int version = 0;
    ASSERT_EQ(0, QLK_CERT_GetVersion(context_.get(), &version));
    EXPECT_EQ(3, version);
    // Absent optional extensions read as empty.
    for (Getter getter : {QLK_CERT_GetCRLDP, QLK_CERT_GetKeyUsage, QLK_CERT_GetExtKeyUsage, QLK_CERT_GetAIA,
                          QLK_CERT_GetSubjectAltName}) {
        EXPECT_EQ("", Get(getter));
    }
}

TEST_F(CertificateTest, FailuresHaveCodes) {
    char text[256];
    Bytes trailing = user_.der;
    trailing.push_back(0);
    const std::pair<Bytes, int> kRows[] = {{ToBytes("this is not a certificate"), 1503}, {trailing, 1503}, {Bytes{}, 1003}};
    for (const auto& [input, code] : kRows) {
        EXPECT_EQ(code, QLK_CERT_Load(context_.get(), Record(input).get()));
        // A failed load leaves no certificate behind.
        EXPECT_EQ(1501, QLK_CERT_GetSerialNum(context_.get(), sizeof text, text));
        Load(user_.der);
    }
    EXPECT_EQ(1002, QLK_CERT_Load(context_.get(), nullptr));
    ASSERT_EQ(0, QLK_CERT_Unload(context_.get()));
    int version = 0;
    EXPECT_EQ(1501, QLK_CERT_GetVersion(context_.get(), &version));
}

}  // namespace
}  // namespace qlk_test
