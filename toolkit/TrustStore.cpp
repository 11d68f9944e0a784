#include "toolkit/TrustStore.h"

#include <ctime>

namespace qlk {
namespace {

// The verification time is 14 digits of local time, like every time text the
// toolkit takes.
Status ApplyVerificationTime(const std::string& text, X509_STORE* store) {
    if (text.empty()) return Ok();
    std::tm parts{};
    if (text.size() != 14 || text.find_first_not_of("0123456789") != std::string::npos ||
        strptime(text.c_str(), "%Y%m%d%H%M%S", &parts) == nullptr) {
        return Fail(Code::InvalidArgument, "verification time " + text);
    }
    parts.tm_isdst = -1;
    X509_VERIFY_PARAM_set_time(X509_STORE_get0_param(store), std::mktime(&parts));
    return Ok();
}

}  // namespace

Status BuildTrustStore(const Context& context, StorePtr& store) {
    if (context.trustedCertificates.empty()) return Fail(Code::NoTrustedCertificates);
    store.reset(X509_STORE_new());
    if (!store) return Fail(Code::OutOfMemory);
    // A signing certificate is judged by its chain, validity and key usage; the S/MIME
    // purpose that CMS verification would add otherwise refuses certificates whose
    // extended key usage names other purposes.
    X509_VERIFY_PARAM_set_purpose(X509_STORE_get0_param(store.get()), X509_PURPOSE_ANY);
    for (const X509Ptr& certificate : context.trustedCertificates) {
        if (!X509_STORE_add_cert(store.get(), certificate.get())) return Fail(Code::OutOfMemory, TakeOpenSslError());
    }
    return ApplyVerificationTime(context.verification.time, store.get());
}

}  // namespace qlk
