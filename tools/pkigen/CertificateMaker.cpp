#include "tools/pkigen/CertificateMaker.h"

#include <openssl/bn.h>
#include <openssl/x509v3.h>

#include <cctype>
#include <memory>

#include "tools/pkigen/Extensions.h"

namespace zorvane::pkigen {

namespace {

using X509Ptr = std::unique_ptr<X509, decltype(&X509_free)>;

bool IsPrintable(const std::string& value) {
    for (unsigned char c : value)
        if (!(std::isalnum(c) || std::string(" '()+,-./:=?").find(static_cast<char>(c)) != std::string::npos))
            return false;
    return true;
}

bool BuildName(const NameEntries& entries, X509_NAME* name) {
    for (const NameEntry& entry : entries) {
        const int type = IsPrintable(entry.second) ? V_ASN1_PRINTABLESTRING : V_ASN1_UTF8STRING;
        std::string field = entry.first;  // "cn" -> "CN"
        for (char& c : field) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (X509_NAME_add_entry_by_txt(name, field.c_str(), type, reinterpret_cast<const unsigned char*>(entry.second.data()),
                                       static_cast<int>(entry.second.size()), -1, 0) != 1)
            return false;
    }
    return true;
}

bool SetSerial(X509* cert, const std::vector<unsigned char>& serial) {
    std::unique_ptr<BIGNUM, decltype(&BN_free)> number(BN_bin2bn(serial.data(), static_cast<int>(serial.size()), nullptr),
                                                       BN_free);
    return number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert)) != nullptr;
}

bool AddConfExtension(X509* cert, X509V3_CTX* context, int nid, const char* value) {
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, context, nid, value);
    const bool added = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

bool AddDerExtension(X509* cert, int nid, bool critical, const Der& value) {
    std::unique_ptr<ASN1_OCTET_STRING, decltype(&ASN1_OCTET_STRING_free)> data(ASN1_OCTET_STRING_new(),
                                                                               ASN1_OCTET_STRING_free);
    if (!data || ASN1_OCTET_STRING_set(data.get(), value.data(), static_cast<int>(value.size())) != 1) return false;
    X509_EXTENSION* extension = X509_EXTENSION_create_by_NID(nullptr, nid, critical ? 1 : 0, data.get());
    const bool added = extension != nullptr && X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

const char* KeyUsage(CertificateKind kind) {
    switch (kind) {
    case CertificateKind::Root:
    case CertificateKind::Ca: return "critical,keyCertSign,cRLSign";
    case CertificateKind::UserSigning: return "critical,digitalSignature,nonRepudiation";
    case CertificateKind::UserKeyManagement: return "critical,keyEncipherment,dataEncipherment";
    }
    return "";
}

bool AddAuthorityExtensions(X509* cert, X509V3_CTX* context, CertificateKind kind) {
    const bool isCa = kind == CertificateKind::Root || kind == CertificateKind::Ca;
    return AddConfExtension(cert, context, NID_subject_key_identifier, "hash") &&
           (kind == CertificateKind::Root ||
            AddConfExtension(cert, context, NID_authority_key_identifier, "keyid:always")) &&
           AddConfExtension(cert, context, NID_key_usage, KeyUsage(kind)) &&
           (!isCa || AddConfExtension(cert, context, NID_basic_constraints,
                                      kind == CertificateKind::Root ? "critical,CA:TRUE" : "critical,CA:TRUE,pathlen:0"));
}

// Policies (critical, CPS and Korean notice), CRL distribution point, AIA and the VID.
bool AddSubscriberExtensions(X509* cert, const CertificateRequest& request) {
    const CaProfile& ca = *request.ca;
    const std::string o = NameValue(ca.name, "o"), cn = NameValue(ca.name, "cn");
    const std::string issuerDn = "cn=" + cn + ",ou=" + NameValue(ca.name, "ou") + ",o=" + o + ",c=kr";
    Der policies, altName;
    if (!CertificatePoliciesDer(request.policies, "http://www." + ca.domain + "/cps.htm",
                                "이 인증서는 " + ca.displayName + "에서 발급한 시험용 인증서입니다", policies) ||
        !AddDerExtension(cert, NID_certificate_policies, true, policies))
        return false;
    const std::string crl = "ldap://ldap." + ca.domain + ":389/cn=dp1p1,ou=dp," + issuerDn +
                            "?certificateRevocationList;binary";
    const std::string caIssuers = "ldap://ldap." + ca.domain + ":389/" + issuerDn + "?cACertificate;binary";
    const std::vector<std::string> crlUrls = request.crlUrls.empty() ? std::vector<std::string>{crl} : request.crlUrls;
    if (!AddDerExtension(cert, NID_crl_distribution_points, false, CrlDistributionPointsDer(crlUrls)) ||
        !AddDerExtension(cert, NID_info_access, false,
                         AuthorityInfoAccessDer(caIssuers, "http://ocsp." + ca.domain + ":4612")))
        return false;
    if (!request.withVid) return true;
    return IdentifyDataAltNameDer(request.vid, altName) && AddDerExtension(cert, NID_subject_alt_name, false, altName);
}

bool Fill(X509* cert, const CertificateRequest& request, std::string& error) {
    X509* issuer = request.issuer != nullptr ? request.issuer : cert;
    if (X509_set_version(cert, 2) != 1 || !SetSerial(cert, request.serial) ||
        !BuildName(request.subject, X509_get_subject_name(cert)) ||
        X509_set_issuer_name(cert, X509_get_subject_name(issuer)) != 1 ||
        ASN1_TIME_set(X509_getm_notBefore(cert), request.notBefore) == nullptr ||
        ASN1_TIME_set(X509_getm_notAfter(cert), request.notAfter) == nullptr ||
        X509_set_pubkey(cert, request.subjectKey) != 1) {
        error = "cannot fill the certificate fields";
        return false;
    }
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    if (!AddAuthorityExtensions(cert, &context, request.kind)) {
        error = "cannot add the key identifiers, key usage or basic constraints";
        return false;
    }
    const bool authority = request.kind == CertificateKind::Root || request.kind == CertificateKind::Ca;
    if (authority && !request.crlUrls.empty() &&
        !AddDerExtension(cert, NID_crl_distribution_points, false, CrlDistributionPointsDer(request.crlUrls))) {
        error = "cannot add the CRL distribution point";
        return false;
    }
    const bool subscriber = request.kind == CertificateKind::UserSigning || request.kind == CertificateKind::UserKeyManagement;
    if (subscriber && (request.ca == nullptr || !AddSubscriberExtensions(cert, request))) {
        error = "cannot add the subscriber extensions";
        return false;
    }
    if (X509_sign(cert, request.issuerKey, EVP_sha256()) == 0) {
        error = "signing the certificate failed";
        return false;
    }
    return true;
}

}  // namespace

X509* MakeCertificate(const CertificateRequest& request, std::string& error) {
    X509Ptr cert(X509_new(), X509_free);
    if (!cert) {
        error = "out of memory";
        return nullptr;
    }
    return Fill(cert.get(), request, error) ? cert.release() : nullptr;
}

std::vector<unsigned char> CertificateDer(X509* certificate) {
    unsigned char* out = nullptr;
    const int length = i2d_X509(certificate, &out);
    std::vector<unsigned char> der;
    if (length > 0) der.assign(out, out + length);
    OPENSSL_free(out);
    return der;
}

}  // namespace zorvane::pkigen
