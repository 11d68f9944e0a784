#pragma once
// The text forms of certificate fields that the QLK_CERT_ getters return. Each
// renderer fills text from the certificate or fails with a toolkit code; an absent
// optional extension gives an empty text (the policy renderers answer
// NoPolicyExtension instead). toolkit/README.md documents every form.

#include <openssl/x509.h>

#include <string>

#include "toolkit/Status.h"

namespace qlk {

using CertificateRenderer = Status (*)(X509* certificate, std::string& text);

Status RenderSerial(X509* certificate, std::string& text);
Status RenderIssuer(X509* certificate, std::string& text);
Status RenderSubject(X509* certificate, std::string& text);
Status RenderSignatureAlgorithm(X509* certificate, std::string& text);
Status RenderSignature(X509* certificate, std::string& text);
Status RenderKeyUsage(X509* certificate, std::string& text);
Status RenderPolicies(X509* certificate, std::string& text);
Status RenderPolicyIds(X509* certificate, std::string& text);
Status RenderBasicConstraints(X509* certificate, std::string& text);
Status RenderExtKeyUsage(X509* certificate, std::string& text);
Status RenderSubjectAltName(X509* certificate, std::string& text);
Status RenderSubjectKeyId(X509* certificate, std::string& text);
Status RenderAuthorityKeyId(X509* certificate, std::string& text);
Status RenderCrlDistributionPoints(X509* certificate, std::string& text);
Status RenderAuthorityInfoAccess(X509* certificate, std::string& text);

// "RSA", "EC", "DSA", "KCDSA", "ED25519", "ED448" or "UNKNOWN".
std::string PublicKeyAlgorithmText(X509* certificate);
// The subjectPublicKey bits (for RSA the RSAPublicKey DER) in lower-case hex.
std::string PublicKeyText(X509* certificate);
// Key size in bits as decimal text ("0" when unknown).
std::string PublicKeyBitsText(X509* certificate);

// "YYYY-MM-DD HH:MM:SS" in Korea Standard Time (UTC+9).
Status RenderKstTime(const ASN1_TIME* time, std::string& text);

}  // namespace qlk
