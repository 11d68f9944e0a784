#include "toolkit/Verification.h"

#include <openssl/err.h>
#include <openssl/sha.h>

#include "platform/ProfileReader.h"
#include "platform/SafeFiles.h"
#include "toolkit/Directory.h"
#include "toolkit/LocalTime.h"
#include "toolkit/Names.h"

namespace qlk {
namespace {

using StoreContextPtr = OpenSslPtr<X509_STORE_CTX, X509_STORE_CTX_free>;
using DistributionPointsPtr = OpenSslPtr<CRL_DIST_POINTS, CRL_DIST_POINTS_free>;

void FreeStackOnly(STACK_OF(X509) * stack) { sk_X509_free(stack); }
using BorrowedCertsPtr = OpenSslPtr<STACK_OF(X509), FreeStackOnly>;

constexpr std::size_t kMaxSettingsFile = 1u << 20;

// The settings of one verification: the context's, then the settings file's, then
// the call's.
struct Effective {
    int revocation = 0;
    bool fetch = false;
    int keyUsage = 0;
    std::string crlCache;
    std::time_t when = 0;
    ObjectSet trusted;
    ObjectSet extras;
};

bool ReadRegularFile(const std::string& path, std::size_t limit, Bytes& bytes) {
    return qlk::ReadRegularFile(path, limit, bytes) == FileRead::Ok;
}

bool ParseChoice(const std::string& text, int highest, int& value) {
    if (text.size() != 1 || text[0] < '0' || text[0] - '0' > highest) return false;
    value = text[0] - '0';
    return true;
}

std::vector<std::string> Split(const std::string& text, const char* separators) {
    std::vector<std::string> parts;
    std::size_t start = text.find_first_not_of(separators);
    while (start != std::string::npos) {
        const std::size_t end = text.find_first_of(separators, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        start = end == std::string::npos ? end : text.find_first_not_of(separators, end);
    }
    return parts;
}

Status ReadObjectFiles(const std::string& list, ObjectSet& objects) {
    for (const std::string& path : Split(list, "; \t")) {
        Bytes bytes;
        if (!ReadRegularFile(path, kMaxSettingsFile * 16, bytes)) return Fail(Code::BadSettingsFile, path);
        if (!ReadObjects(Input{bytes.data(), bytes.size()}, objects).ok()) return Fail(Code::BadSettingsFile, path);
    }
    return Ok();
}

Status ApplySettingsFile(const std::string& path, Effective& effective) {
    Bytes bytes;
    if (!ReadRegularFile(path, kMaxSettingsFile, bytes)) return Fail(Code::BadSettingsFile, path);
    const std::string text(bytes.begin(), bytes.end());
    auto value = [&](const char* key, std::string& found) {
        return zorvane::platform::FindProfileValue(text, "Verify", key, found);
    };
    std::string found;
    int choice = 0;
    if (value("Revocation", found) && !ParseChoice(found, 2, effective.revocation)) {
        return Fail(Code::BadSettingsFile, "Revocation=" + found);
    }
    if (value("FetchCRL", found)) {
        if (!ParseChoice(found, 1, choice)) return Fail(Code::BadSettingsFile, "FetchCRL=" + found);
        effective.fetch = choice == 1;
    }
    if (value("KeyUsage", found) && !ParseChoice(found, 2, effective.keyUsage)) {
        return Fail(Code::BadSettingsFile, "KeyUsage=" + found);
    }
    if (value("CRLCache", found)) effective.crlCache = found;
    if (value("Time", found) && !ParseLocalTime(found, effective.when)) {
        return Fail(Code::BadSettingsFile, "Time=" + found);
    }
    if (value("Trusted", found)) QLK_RETURN_IF_FAILED(ReadObjectFiles(found, effective.trusted));
    if (value("Intermediates", found)) QLK_RETURN_IF_FAILED(ReadObjectFiles(found, effective.extras));
    if (value("CRLs", found)) QLK_RETURN_IF_FAILED(ReadObjectFiles(found, effective.extras));
    return Ok();
}

Status Resolve(const Context& context, const VerifyRequest& request, Effective& effective) {
    const VerificationSettings& settings = context.verification;
    effective.revocation = settings.revocation;
    effective.fetch = settings.fetchCrls;
    effective.keyUsage = settings.keyUsage;
    effective.crlCache = settings.crlCache;
    effective.when = std::time(nullptr);
    if (!settings.time.empty() && !ParseLocalTime(settings.time, effective.when)) {
        return Fail(Code::BadTimeText, settings.time);
    }
    for (const X509Ptr& certificate : context.trustedCertificates) {
        X509_up_ref(certificate.get());
        effective.trusted.certificates.emplace_back(certificate.get());
    }
    AppendCopies(settings.extras, effective.extras);
    if (!settings.confFile.empty()) QLK_RETURN_IF_FAILED(ApplySettingsFile(settings.confFile, effective));
    if (request.keyUsage != 0) effective.keyUsage = request.keyUsage;
    effective.fetch = effective.fetch || request.fetch;
    if (!request.time.empty() && !ParseLocalTime(request.time, effective.when)) {
        return Fail(Code::BadTimeText, request.time);
    }
    AppendCopies(request.extras, effective.extras);
    return Ok();
}

// CRLs found through the distribution points of the certificate being checked, from
// the cache folder while still current, otherwise fetched (and cached).
struct CrlSource {
    bool fetch = false;
    std::string cache;
    std::time_t when = 0;
};

std::vector<std::string> DistributionPointUrls(X509* certificate) {
    std::vector<std::string> urls;
    DistributionPointsPtr points(static_cast<CRL_DIST_POINTS*>(
        X509_get_ext_d2i(certificate, NID_crl_distribution_points, nullptr, nullptr)));
    for (int i = 0; points && i < sk_DIST_POINT_num(points.get()); ++i) {
        const DIST_POINT* point = sk_DIST_POINT_value(points.get(), i);
        if (point->distpoint == nullptr || point->distpoint->type != 0) continue;
        const GENERAL_NAMES* names = point->distpoint->name.fullname;
        for (int j = 0; j < sk_GENERAL_NAME_num(names); ++j) {
            const GENERAL_NAME* name = sk_GENERAL_NAME_value(names, j);
            if (name->type != GEN_URI) continue;
            const ASN1_STRING* uri = name->d.uniformResourceIdentifier;
            urls.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(uri)),
                              static_cast<std::size_t>(ASN1_STRING_length(uri)));
        }
    }
    return urls;
}

CrlPtr ParseCrl(const Bytes& bytes) {
    ObjectSet objects;
    if (!ReadObjects(Input{bytes.data(), bytes.size()}, objects).ok() || objects.crls.empty()) return nullptr;
    return std::move(objects.crls.front());
}

std::string CacheFile(const CrlSource& source, const std::string& url) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    SHA1(reinterpret_cast<const unsigned char*>(url.data()), url.size(), digest);
    return source.cache + "/" + ToHex(digest, sizeof digest) + ".crl";
}

CrlPtr CachedOrFetchedCrl(const CrlSource& source, const std::string& url) {
    const std::string cached = source.cache.empty() ? std::string() : CacheFile(source, url);
    Bytes bytes;
    // The cache is this process's own: only files it wrote there are believed.
    using zorvane::paths::FileResult;
    if (!cached.empty() && zorvane::paths::ReadOwnedFile(cached, kMaxFetchBytes, bytes) == FileResult::Ok) {
        CrlPtr crl = ParseCrl(bytes);
        std::time_t when = source.when;
        const ASN1_TIME* next = crl ? X509_CRL_get0_nextUpdate(crl.get()) : nullptr;
        if (next != nullptr && X509_cmp_time(next, &when) > 0) return crl;
    }
    if (!source.fetch || !FetchUrl(url, 0, bytes).ok()) return nullptr;
    CrlPtr crl = ParseCrl(bytes);
    // Replaced atomically, so a reader never sees half a file; a cache that cannot be
    // written only costs the next fetch.
    if (crl && !cached.empty()) zorvane::paths::WriteFileAtomically(cached, bytes.data(), bytes.size(), 0644, true);
    return crl;
}

STACK_OF(X509_CRL) * LookupCrls(const X509_STORE_CTX* storeContext, const X509_NAME* issuer) {
    STACK_OF(X509_CRL)* found = X509_STORE_CTX_get1_crls(storeContext, issuer);
    if (found != nullptr && sk_X509_CRL_num(found) > 0) return found;
    const auto* source = static_cast<const CrlSource*>(X509_STORE_CTX_get_app_data(storeContext));
    X509* current = X509_STORE_CTX_get_current_cert(storeContext);
    if (source == nullptr || current == nullptr) return found;
    for (const std::string& url : DistributionPointUrls(current)) {
        CrlPtr crl = CachedOrFetchedCrl(*source, url);
        if (!crl || X509_NAME_cmp(X509_CRL_get_issuer(crl.get()), issuer) != 0) continue;
        if (found == nullptr) found = sk_X509_CRL_new_null();
        if (found != nullptr && sk_X509_CRL_push(found, crl.get())) crl.release();
        break;
    }
    ERR_clear_error();
    return found;
}

unsigned long RevocationFlags(const Effective& effective) {
    const int revocation = effective.revocation == 0 && !effective.extras.crls.empty() ? 1 : effective.revocation;
    if (revocation == 0) return 0;
    return revocation == 2 ? X509_V_FLAG_CRL_CHECK | X509_V_FLAG_CRL_CHECK_ALL : X509_V_FLAG_CRL_CHECK;
}

Status MakeStore(const Effective& effective, unsigned long flags, StorePtr& store) {
    store.reset(X509_STORE_new());
    if (!store) return Fail(Code::OutOfMemory);
    for (const X509Ptr& certificate : effective.trusted.certificates) {
        if (!X509_STORE_add_cert(store.get(), certificate.get())) return Fail(Code::OutOfMemory, TakeOpenSslError());
    }
    for (const CrlPtr& crl : effective.extras.crls) {
        if (!X509_STORE_add_crl(store.get(), crl.get())) return Fail(Code::OutOfMemory, TakeOpenSslError());
    }
    X509_VERIFY_PARAM* parameters = X509_STORE_get0_param(store.get());
    X509_VERIFY_PARAM_set_flags(parameters, flags);
    X509_VERIFY_PARAM_set_time(parameters, effective.when);
    // A certificate is judged by its path, validity, policies and key usage; the S/MIME
    // purpose that CMS verification would add otherwise refuses certificates whose
    // extended key usage names other purposes.
    X509_VERIFY_PARAM_set_purpose(parameters, X509_PURPOSE_ANY);
    if (effective.fetch || !effective.crlCache.empty()) X509_STORE_set_lookup_crls(store.get(), LookupCrls);
    return Ok();
}

// The certificate's own policies must name one of the acceptable ones. CA certificates
// need not assert them: generated and many deployed CA certificates carry none, which
// would fail the path-wide policy processing of RFC 5280 for every user.
Status CheckPolicies(X509* certificate, const std::string& policies) {
    const std::vector<std::string> acceptable = Split(policies, ",; \t");
    if (acceptable.empty()) return Ok();
    using PoliciesPtr = OpenSslPtr<CERTIFICATEPOLICIES, CERTIFICATEPOLICIES_free>;
    PoliciesPtr held(static_cast<CERTIFICATEPOLICIES*>(
        X509_get_ext_d2i(certificate, NID_certificate_policies, nullptr, nullptr)));
    for (int i = 0; held && i < sk_POLICYINFO_num(held.get()); ++i) {
        const std::string oid = ObjectText(sk_POLICYINFO_value(held.get(), i)->policyid, false);
        for (const std::string& wanted : acceptable) {
            if (oid == wanted) return Ok();
        }
    }
    ERR_clear_error();
    return Fail(Code::PolicyNotAcceptable, policies);
}

struct ErrorCode {
    int error;
    Code code;
};
constexpr ErrorCode kErrorCodes[] = {
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT, Code::NoTrustedPath},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY, Code::NoTrustedPath},
    {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, Code::NoTrustedPath},
    {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN, Code::NoTrustedPath},
    {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE, Code::NoTrustedPath},
    {X509_V_ERR_CERT_UNTRUSTED, Code::NoTrustedPath},
    {X509_V_ERR_CERT_HAS_EXPIRED, Code::CertificateExpired},
    {X509_V_ERR_CERT_NOT_YET_VALID, Code::CertificateNotYetValid},
    {X509_V_ERR_CERT_REVOKED, Code::CertificateRevoked},
    {X509_V_ERR_UNABLE_TO_GET_CRL, Code::CrlUnavailable},
    {X509_V_ERR_UNABLE_TO_GET_CRL_ISSUER, Code::CrlUnavailable},
    {X509_V_ERR_CRL_HAS_EXPIRED, Code::CrlExpired},
    {X509_V_ERR_INVALID_POLICY_EXTENSION, Code::PolicyNotAcceptable},
    {X509_V_ERR_CERT_SIGNATURE_FAILURE, Code::PathSignatureInvalid},
    {X509_V_ERR_CRL_SIGNATURE_FAILURE, Code::PathSignatureInvalid},
    {X509_V_ERR_UNABLE_TO_DECRYPT_CERT_SIGNATURE, Code::PathSignatureInvalid},
    {X509_V_ERR_UNABLE_TO_DECRYPT_CRL_SIGNATURE, Code::PathSignatureInvalid},
    {X509_V_ERR_UNABLE_TO_DECODE_ISSUER_PUBLIC_KEY, Code::PathSignatureInvalid},
};

Status FailFromStoreContext(X509_STORE_CTX* storeContext) {
    const int error = X509_STORE_CTX_get_error(storeContext);
    Code code = Code::PathInvalid;
    for (const ErrorCode& entry : kErrorCodes) {
        if (entry.error == error) code = entry.code;
    }
    std::string detail = X509_verify_cert_error_string(error);
    if (X509* current = X509_STORE_CTX_get_current_cert(storeContext)) {
        detail += "; " + NameText(X509_get_subject_name(current));
    }
    ERR_clear_error();
    return Fail(code, detail);
}

Status CheckKeyUsage(X509* certificate, int keyUsage) {
    if (keyUsage == 0) return Ok();
    const std::uint32_t allowed = X509_get_key_usage(certificate);
    const std::uint32_t needed = keyUsage == 1 ? KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION : KU_KEY_ENCIPHERMENT;
    return (allowed & needed) != 0 ? Ok() : Fail(Code::KeyUsageNotAllowed);
}

// Verifies with the effective settings and the given flags; fills path on success.
Status RunVerification(const Effective& effective, X509* certificate, unsigned long flags, ObjectSet* path) {
    if (effective.trusted.certificates.empty()) return Fail(Code::NoTrustedCertificate);
    StorePtr store;
    QLK_RETURN_IF_FAILED(MakeStore(effective, flags, store));
    BorrowedCertsPtr untrusted(sk_X509_new_null());
    for (const X509Ptr& intermediate : effective.extras.certificates) {
        if (!untrusted || !sk_X509_push(untrusted.get(), intermediate.get())) return Fail(Code::OutOfMemory);
    }
    StoreContextPtr storeContext(X509_STORE_CTX_new());
    if (!storeContext || !X509_STORE_CTX_init(storeContext.get(), store.get(), certificate, untrusted.get())) {
        return Fail(Code::OutOfMemory);
    }
    CrlSource source{effective.fetch, effective.crlCache, effective.when};
    X509_STORE_CTX_set_app_data(storeContext.get(), &source);
    if (X509_verify_cert(storeContext.get()) != 1) return FailFromStoreContext(storeContext.get());
    if (path != nullptr) {
        STACK_OF(X509)* chain = X509_STORE_CTX_get0_chain(storeContext.get());
        for (int i = 0; i < sk_X509_num(chain); ++i) {
            X509* member = sk_X509_value(chain, i);
            X509_up_ref(member);
            path->certificates.emplace_back(member);
        }
    }
    return Ok();
}

}  // namespace

Status VerifyCertificate(const Context& context, X509* certificate, const VerifyRequest& request) {
    Effective effective;
    QLK_RETURN_IF_FAILED(Resolve(context, request, effective));
    QLK_RETURN_IF_FAILED(RunVerification(effective, certificate, RevocationFlags(effective), nullptr));
    QLK_RETURN_IF_FAILED(CheckPolicies(certificate, request.policies));
    return CheckKeyUsage(certificate, effective.keyUsage);
}

Status BuildPath(const Context& context, X509* certificate, const ObjectSet& extras, ObjectSet& path) {
    Effective effective;
    VerifyRequest request;
    AppendCopies(extras, request.extras);
    QLK_RETURN_IF_FAILED(Resolve(context, request, effective));
    effective.extras.crls.clear();
    effective.fetch = false;
    effective.crlCache.clear();
    return RunVerification(effective, certificate, X509_V_FLAG_NO_CHECK_TIME, &path);
}

Status SignerTrust(const Context& context, StorePtr& store, ObjectSet& intermediates) {
    Effective effective;
    QLK_RETURN_IF_FAILED(Resolve(context, VerifyRequest{}, effective));
    if (effective.trusted.certificates.empty()) return Fail(Code::NoTrustedCertificates);
    QLK_RETURN_IF_FAILED(MakeStore(effective, RevocationFlags(effective), store));
    AppendCopies(effective.extras, intermediates);
    intermediates.crls.clear();
    return Ok();
}

}  // namespace qlk
