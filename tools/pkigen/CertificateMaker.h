#pragma once
// Builds and signs the certificates of the test PKI with OpenSSL.

#include <openssl/x509.h>

#include <ctime>
#include <string>
#include <vector>

#include "tools/pkigen/Catalog.h"
#include "toolkit/keys/Vid.h"

namespace zorvane::pkigen {

enum class CertificateKind { Root, Ca, UserSigning, UserKeyManagement };

struct CertificateRequest {
    CertificateKind kind = CertificateKind::UserSigning;
    NameEntries subject;
    EVP_PKEY* subjectKey = nullptr;
    X509* issuer = nullptr;  // null for a self-signed root
    EVP_PKEY* issuerKey = nullptr;
    std::vector<unsigned char> serial;  // big-endian, first byte below 0x80
    std::time_t notBefore = 0;
    std::time_t notAfter = 0;
    const CaProfile* ca = nullptr;  // user certificates: URIs and policies
    std::vector<std::string> policies;
    std::vector<std::string> crlUrls;  // distribution point; authorities: none when empty, users: the CA's .test URI
    bool withVid = false;
    qlk::vid::IdentifyData vid;
};

// A signed certificate, or nullptr with error set.
X509* MakeCertificate(const CertificateRequest& request, std::string& error);

// The DER encoding of a certificate.
std::vector<unsigned char> CertificateDer(X509* certificate);

}  // namespace zorvane::pkigen
