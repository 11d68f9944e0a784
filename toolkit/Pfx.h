#pragma once
// A certificate folder's pairs to and from PKCS#12 (PFX).

#include <openssl/pkcs12.h>

#include <vector>

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

// A certificate and its private key as a DER PrivateKeyInfo, attributes included: the
// randomNum attribute must travel with the key, which an EVP_PKEY would drop.
struct CertifiedKey {
    X509Ptr certificate;
    SecureBytes privateKeyInfo;
};

constexpr std::size_t kMaxPfxLength = std::size_t{1} << 20;

// The pairs (the signing pair first) as a DER PKCS#12 under the password; each key is
// checked to belong to its certificate before anything is made.
Status WritePfx(const std::vector<CertifiedKey>& pairs, const char* password, Bytes& pfx);

// The pairs of a DER PKCS#12, the signing pair first (key usage tells two pairs apart).
Status ReadPfx(const Input& pfx, const char* password, std::vector<CertifiedKey>& pairs);

inline void FreeBags(STACK_OF(PKCS12_SAFEBAG) * bags) { sk_PKCS12_SAFEBAG_pop_free(bags, PKCS12_SAFEBAG_free); }
inline void FreeSafes(STACK_OF(PKCS7) * safes) { sk_PKCS7_pop_free(safes, PKCS7_free); }
using BagsPtr = OpenSslPtr<STACK_OF(PKCS12_SAFEBAG), FreeBags>;
using SafesPtr = OpenSslPtr<STACK_OF(PKCS7), FreeSafes>;
using Pkcs12Ptr = OpenSslPtr<PKCS12, PKCS12_free>;

}  // namespace qlk
