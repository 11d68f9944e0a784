#pragma once
// The identity verification service: one JSON request over HTTP POST and its verdict.

#include <string>

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

// Asks the service whether the certificate's holder is who the request says. With an
// identity hash the service compares it with the identity it holds for the certificate;
// without one it confirms the certificate itself. A service key makes its signature
// over the answer mandatory.
Status AskIdentityService(const std::string& url, X509* certificate, const std::string& identityHash,
                          EVP_PKEY* serviceKey);

// The hex SHA-256 of an identity number: what the service receives instead of it.
std::string IdentityHash(const std::string& identityNumber);

}  // namespace qlk
