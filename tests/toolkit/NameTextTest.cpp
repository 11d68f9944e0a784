// Name texts by the string type of each attribute: what is not plain ASCII in a
// single-byte type is Latin-1, and every type reads as UTF-8.

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

struct Attribute {
    const char* field;
    int type;  // a V_ASN1_ string type, set as it is
    std::string bytes;
};

// A self-signed P-256 certificate whose subject holds the attributes in order.
Bytes CertificateNamed(const std::vector<Attribute>& attributes) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> certificate(X509_new(), X509_free);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    for (const Attribute& attribute : attributes) {
        X509_NAME_add_entry_by_txt(name, attribute.field, attribute.type,
                                   reinterpret_cast<const unsigned char*>(attribute.bytes.data()),
                                   static_cast<int>(attribute.bytes.size()), -1, 0);
    }
    X509_set_issuer_name(certificate.get(), name);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 3600);
    X509_set_pubkey(certificate.get(), key.get());
    X509_sign(certificate.get(), key.get(), EVP_sha256());
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate.get(), &der);
    Bytes bytes(der, der + length);
    OPENSSL_free(der);
    return bytes;
}

TEST(NameText, EachStringTypeReadsAsUtf8) {
    const Bytes der = CertificateNamed({
        {"C", V_ASN1_PRINTABLESTRING, "KR"},
        {"O", V_ASN1_T61STRING, "caf\xE9"},
        {"OU", V_ASN1_IA5STRING, "plain"},
        {"L", V_ASN1_BMPSTRING, std::string("\0A\0B", 4)},
        {"ST", V_ASN1_UTF8STRING, "\xEC\x84\x9C\xEC\x9A\xB8"},
        {"CN", V_ASN1_UTF8STRING, "name"},
    });
    ContextHandle context;
    ASSERT_EQ(0, QLK_CERT_Load(context.get(), Record(der).get())) << context.ErrorText();
    char subject[512] = {};
    ASSERT_EQ(0, QLK_CERT_GetSubjectName(context.get(), sizeof subject, subject)) << context.ErrorText();
    EXPECT_STREQ("cn=name,st=\xEC\x84\x9C\xEC\x9A\xB8,l=AB,ou=plain,o=caf\xC3\xA9,c=KR", subject);
}

}  // namespace
}  // namespace qlk_test
