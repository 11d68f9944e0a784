#pragma once
// The context's trusted certificates as an OpenSSL store, set to the context's
// verification time.

#include "toolkit/Context.h"

namespace qlk {

using StorePtr = OpenSslPtr<X509_STORE, X509_STORE_free>;

// Fails with NoTrustedCertificates while the context trusts nothing.
Status BuildTrustStore(const Context& context, StorePtr& store);

}  // namespace qlk
