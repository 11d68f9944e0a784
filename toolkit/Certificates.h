#pragma once
// Certificate input shared by the certificate, signature and key-pair functions.

#include "toolkit/Binstr.h"
#include "toolkit/Context.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

// Reads a DER certificate, or the first PEM block of a PEM text.
Status ParseCertificate(const Input& input, X509Ptr& certificate);

// The context's loaded certificate, or NoCertificate.
Status LoadedCertificate(Context& context, X509*& certificate);

// A public key from a certificate (DER or PEM) or a DER SubjectPublicKeyInfo.
Status ParsePublicKey(const Input& input, PkeyPtr& key);

}  // namespace qlk
