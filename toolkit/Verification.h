#pragma once
// Certificate path validation on OpenSSL's X509 store: the context's trusted
// certificates and settings, a settings file, and CRLs given, cached or fetched.

#include <string>

#include "toolkit/Context.h"

namespace qlk {

using StorePtr = OpenSslPtr<X509_STORE, X509_STORE_free>;

// What one verification asks beyond the context's settings.
struct VerifyRequest {
    int keyUsage = 0;      // 0: the settings'
    std::string policies;  // acceptable policy OIDs separated by ",", ";" or blanks; empty: any
    bool fetch = false;    // fetch missing CRLs even when the settings do not
    std::string time;      // empty: the settings'
    ObjectSet extras;      // intermediates and CRLs for this verification only
};

// 0 only for a good certificate; otherwise the code of the first failure.
Status VerifyCertificate(const Context& context, X509* certificate, const VerifyRequest& request);

// The path from the certificate to a trusted certificate, leaf first. Only the chain
// is checked: no validity, CRLs or policies.
Status BuildPath(const Context& context, X509* certificate, const ObjectSet& extras, ObjectSet& path);

// What verifying a CMS signer's certificate needs: a store holding the trusted
// certificates, CRLs, revocation flags and time, and the intermediates to offer.
// NoTrustedCertificates while the context trusts nothing.
Status SignerTrust(const Context& context, StorePtr& store, ObjectSet& intermediates);

}  // namespace qlk
