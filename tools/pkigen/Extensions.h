#pragma once
// DER values of the subscriber extensions that OpenSSL's text configuration cannot express
// cleanly (URIs with commas, BMPString notices, the identifyData otherName).

#include <string>
#include <vector>

#include "toolkit/keys/Vid.h"

namespace zorvane::pkigen {

using Der = std::vector<unsigned char>;

// certificatePolicies: each OID with a CPS URI and a user notice (explicitText BMPString).
bool CertificatePoliciesDer(const std::vector<std::string>& oids, const std::string& cpsUri,
                            const std::string& noticeUtf8, Der& der);
// cRLDistributionPoints: one point whose full name lists the URIs (alternatives, in order).
Der CrlDistributionPointsDer(const std::vector<std::string>& uris);
// authorityInfoAccess: caIssuers and OCSP URIs.
Der AuthorityInfoAccessDer(const std::string& caIssuersUri, const std::string& ocspUri);
// subjectAltName holding the kisa-identifyData otherName.
bool IdentifyDataAltNameDer(const qlk::vid::IdentifyData& data, Der& der);

// UTF-8 (Basic Multilingual Plane only) to big-endian UTF-16, as a BMPString holds it.
bool Utf8ToBmp(const std::string& utf8, Der& bmp);

}  // namespace zorvane::pkigen
