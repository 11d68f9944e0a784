#include "toolkit/Certificates.h"

#include <openssl/err.h>
#include <openssl/provider.h>

#include "toolkit/Encoding.h"

namespace qlk {
namespace {

// OpenSSL 3.0 decodes a certificate's public key as it parses the certificate, building
// a decoder context for it each time, which costs more than the rest of the parse. A
// library context holding only the null provider has no decoders: that attempt finds
// none and the key stays as read, its bytes and algorithm in place.
OSSL_LIB_CTX* KeylessLibraryContext() {
    static OSSL_LIB_CTX* const keyless = [] {
        OSSL_LIB_CTX* made = OSSL_LIB_CTX_new();
        if (made != nullptr && OSSL_PROVIDER_load(made, "null") == nullptr) {
            OSSL_LIB_CTX_free(made);
            made = nullptr;
        }
        return made;
    }();
    return keyless;
}

Status ParseDerCertificate(const unsigned char* der, std::size_t length, PublicKey key, X509Ptr& certificate) {
    OSSL_LIB_CTX* library = key == PublicKey::LeftEncoded ? KeylessLibraryContext() : nullptr;
    const unsigned char* cursor = der;
    certificate.reset(reinterpret_cast<X509*>(
        ASN1_item_d2i_ex(nullptr, &cursor, static_cast<long>(length), ASN1_ITEM_rptr(X509), library, nullptr)));
    if (!certificate) return Fail(Code::MalformedCertificate, TakeOpenSslError());
    if (cursor != der + length) {
        certificate.reset();
        return Fail(Code::MalformedCertificate, "bytes after the certificate");
    }
    return Ok();
}

void FreeTypes(ASN1_SEQUENCE_ANY* types) { sk_ASN1_TYPE_pop_free(types, ASN1_TYPE_free); }

// The bit length of a plain RSA key's modulus, read from its DER; false for any other
// key, or a modulus that is not a positive minimal integer, which are decoded instead.
bool RsaModulusBits(const X509_PUBKEY* key, int& bits) {
    ASN1_OBJECT* algorithm = nullptr;
    const unsigned char* der = nullptr;
    int length = 0;
    if (!X509_PUBKEY_get0_param(&algorithm, &der, &length, nullptr, key) || OBJ_obj2nid(algorithm) != NID_rsaEncryption)
        return false;
    const unsigned char* cursor = der;
    OpenSslPtr<ASN1_SEQUENCE_ANY, FreeTypes> fields(d2i_ASN1_SEQUENCE_ANY(nullptr, &cursor, length));
    if (!fields || cursor != der + length || sk_ASN1_TYPE_num(fields.get()) != 2) return false;
    for (int i = 0; i < 2; ++i) {
        if (ASN1_TYPE_get(sk_ASN1_TYPE_value(fields.get(), i)) != V_ASN1_INTEGER) return false;
    }
    const ASN1_INTEGER* modulus = sk_ASN1_TYPE_value(fields.get(), 0)->value.integer;
    if (modulus->length < 1 || modulus->data[0] == 0) return false;
    bits = (modulus->length - 1) * 8 + (32 - __builtin_clz(modulus->data[0]));
    return true;
}

}  // namespace

Status ParseCertificate(const Input& input, X509Ptr& certificate, PublicKey key) {
    if (!LooksLikePem(input)) return ParseDerCertificate(input.data, input.length, key, certificate);
    std::string label;
    SecureBytes der;
    Status decoded = PemDecode(input.data, input.length, label, der);
    if (!decoded.ok()) return Fail(Code::MalformedCertificate, decoded.detail);
    return ParseDerCertificate(der.data(), der.size(), key, certificate);
}

int PublicKeyBits(const X509_PUBKEY* key) {
    int bits = 0;
    if (RsaModulusBits(key, bits)) return bits;
    unsigned char* der = nullptr;
    const int length = i2d_X509_PUBKEY(key, &der);
    const unsigned char* cursor = der;
    PkeyPtr decoded(length > 0 ? d2i_PUBKEY(nullptr, &cursor, length) : nullptr);
    OPENSSL_free(der);
    return decoded ? EVP_PKEY_get_bits(decoded.get()) : 0;
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
