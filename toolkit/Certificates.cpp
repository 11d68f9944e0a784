#include "toolkit/Certificates.h"

#include <openssl/err.h>

#include "toolkit/Encoding.h"

namespace qlk {
namespace {

Status ParseDerCertificate(const unsigned char* der, std::size_t length, X509Ptr& certificate) {
    const unsigned char* cursor = der;
    certificate.reset(d2i_X509(nullptr, &cursor, static_cast<long>(length)));
    if (!certificate) return Fail(Code::MalformedCertificate, TakeOpenSslError());
    if (cursor != der + length) {
        certificate.reset();
        return Fail(Code::MalformedCertificate, "bytes after the certificate");
    }
    return Ok();
}

}  // namespace

Status ParseCertificate(const Input& input, X509Ptr& certificate) {
    if (!LooksLikePem(input)) return ParseDerCertificate(input.data, input.length, certificate);
    std::string label;
    SecureBytes der;
    Status decoded = PemDecode(input.data, input.length, label, der);
    if (!decoded.ok()) return Fail(Code::MalformedCertificate, decoded.detail);
    return ParseDerCertificate(der.data(), der.size(), certificate);
}

Status LoadedCertificate(Context& context, X509*& certificate) {
    certificate = context.certificate.get();
    return certificate != nullptr ? Ok() : Fail(Code::NoCertificate);
}

Status ParsePublicKey(const Input& input, PkeyPtr& key) {
    const unsigned char* cursor = input.data;
    key.reset(d2i_PUBKEY(nullptr, &cursor, static_cast<long>(input.length)));
    if (key && cursor == input.data + input.length) return Ok();
    ERR_clear_error();
    X509Ptr certificate;
    if (!ParseCertificate(input, certificate).ok()) return Fail(Code::MalformedPublicKey);
    key.reset(X509_get_pubkey(certificate.get()));
    return key ? Ok() : Fail(Code::MalformedPublicKey, TakeOpenSslError());
}

}  // namespace qlk
