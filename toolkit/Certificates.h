#pragma once
// Certificate input shared by the certificate, signature and key-pair functions.

#include "toolkit/Binstr.h"
#include "toolkit/Context.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

// Whether parsing a certificate also decodes its public key. A certificate read only for
// its fields leaves it encoded (much faster); such a certificate must not be used for
// signatures or encryption.
enum class PublicKey { Decoded, LeftEncoded };

// Reads a DER certificate, or the first PEM block of a PEM text.
Status ParseCertificate(const Input& input, X509Ptr& certificate, PublicKey key = PublicKey::Decoded);

// The key's size in bits as OpenSSL gives it for the decoded key; 0 when it cannot be decoded.
int PublicKeyBits(const X509_PUBKEY* key);

// The context's loaded certificate, or NoCertificate.
Status LoadedCertificate(Context& context, X509*& certificate);

// A public key from a certificate (DER or PEM) or a DER SubjectPublicKeyInfo.
Status ParsePublicKey(const Input& input, PkeyPtr& key);

}  // namespace qlk
