#include "tools/pkigen/Crls.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/x509v3.h>

#include <memory>

namespace zorvane::pkigen {

namespace {

using CrlPtr = std::unique_ptr<X509_CRL, decltype(&X509_CRL_free)>;
using TimePtr = std::unique_ptr<ASN1_TIME, decltype(&ASN1_TIME_free)>;

const char kDirectorySuffix[] = "dc=zorvane,dc=test";

bool AddRevoked(X509_CRL* crl, const std::string& serialHex, std::time_t when) {
    BIGNUM* number = nullptr;
    if (BN_hex2bn(&number, serialHex.c_str()) == 0) return false;
    std::unique_ptr<BIGNUM, decltype(&BN_free)> owned(number, BN_free);
    std::unique_ptr<ASN1_INTEGER, decltype(&ASN1_INTEGER_free)> serial(BN_to_ASN1_INTEGER(number, nullptr),
                                                                       ASN1_INTEGER_free);
    std::unique_ptr<X509_REVOKED, decltype(&X509_REVOKED_free)> entry(X509_REVOKED_new(), X509_REVOKED_free);
    TimePtr date(ASN1_TIME_set(nullptr, when), ASN1_TIME_free);
    if (!serial || !entry || !date || X509_REVOKED_set_serialNumber(entry.get(), serial.get()) != 1 ||
        X509_REVOKED_set_revocationDate(entry.get(), date.get()) != 1 || X509_CRL_add0_revoked(crl, entry.get()) != 1)
        return false;
    entry.release();
    return true;
}

bool AddCrlExtensions(X509_CRL* crl, X509* issuer) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, nullptr, nullptr, crl, 0);
    X509_EXTENSION* keyId = X509V3_EXT_conf_nid(nullptr, &context, NID_authority_key_identifier, "keyid:always");
    const bool keyIdAdded = keyId != nullptr && X509_CRL_add_ext(crl, keyId, -1) == 1;
    X509_EXTENSION_free(keyId);
    std::unique_ptr<ASN1_INTEGER, decltype(&ASN1_INTEGER_free)> number(ASN1_INTEGER_new(), ASN1_INTEGER_free);
    return keyIdAdded && number && ASN1_INTEGER_set(number.get(), 1) == 1 &&
           X509_CRL_add1_ext_i2d(crl, NID_crl_number, number.get(), 0, 0) == 1;
}

bool FillCrl(X509_CRL* crl, const CrlRequest& request) {
    TimePtr thisUpdate(ASN1_TIME_set(nullptr, request.thisUpdate), ASN1_TIME_free);
    TimePtr nextUpdate(ASN1_TIME_set(nullptr, request.nextUpdate), ASN1_TIME_free);
    if (!thisUpdate || !nextUpdate || X509_CRL_set_version(crl, 1) != 1 ||
        X509_CRL_set_issuer_name(crl, X509_get_subject_name(request.issuer)) != 1 ||
        X509_CRL_set1_lastUpdate(crl, thisUpdate.get()) != 1 || X509_CRL_set1_nextUpdate(crl, nextUpdate.get()) != 1)
        return false;
    for (const std::string& serial : request.revokedSerials)
        if (!AddRevoked(crl, serial, request.thisUpdate)) return false;
    return X509_CRL_sort(crl) == 1 && AddCrlExtensions(crl, request.issuer);
}

std::string Base64(const std::vector<unsigned char>& bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(), static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

bool MakeCrlDer(const CrlRequest& request, std::vector<unsigned char>& der, std::string& error) {
    CrlPtr crl(X509_CRL_new(), X509_CRL_free);
    if (!crl || !FillCrl(crl.get(), request) || X509_CRL_sign(crl.get(), request.issuerKey, EVP_sha256()) == 0) {
        error = "cannot make or sign a CRL";
        return false;
    }
    unsigned char* out = nullptr;
    const int length = i2d_X509_CRL(crl.get(), &out);
    if (length > 0) der.assign(out, out + length);
    OPENSSL_free(out);
    if (length <= 0) error = "cannot encode a CRL";
    return length > 0;
}

std::string CrlEntryDn(const std::string& role) { return "cn=" + role + "," + kDirectorySuffix; }

std::vector<std::string> CrlUrls(const std::string& ldapBase, const std::string& httpBase, const std::string& role) {
    std::vector<std::string> urls;
    if (!ldapBase.empty()) urls.push_back(ldapBase + "/" + CrlEntryDn(role) + "?certificateRevocationList;binary");
    if (!httpBase.empty()) urls.push_back(httpBase + "/" + role + ".crl");
    return urls;
}

std::string CrlLdif(const std::vector<std::pair<std::string, std::vector<unsigned char>>>& crlsByRole) {
    std::string ldif = std::string("dn: ") + kDirectorySuffix +
                       "\nobjectClass: dcObject\nobjectClass: organization\no: zorvane\ndc: zorvane\n";
    for (const auto& [role, crl] : crlsByRole) {
        ldif += "\ndn: " + CrlEntryDn(role) + "\nobjectClass: cRLDistributionPoint\ncn: " + role +
                "\ncertificateRevocationList;binary:: " + Base64(crl) + "\n";
    }
    return ldif;
}

}  // namespace zorvane::pkigen
