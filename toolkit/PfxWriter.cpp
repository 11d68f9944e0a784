// Writing a PKCS#12 that `openssl pkcs12` on OpenSSL 3 reads without -legacy: PBES2 with
// AES-256-CBC and PBKDF2-HMAC-SHA256 for the bags, a SHA-256 MAC over the whole.
#include <openssl/err.h>

#include "toolkit/Pfx.h"
#include "toolkit/PrivateKeys.h"

namespace qlk {
namespace {

constexpr int kIterations = PKCS12_DEFAULT_ITER;
constexpr int kBagCipher = NID_aes_256_cbc;
constexpr int kUnencrypted = -1;

Status OpenSslFailure() { return Fail(Code::CryptoFailure, TakeOpenSslError()); }

std::string CommonName(X509* certificate) {
    const X509_NAME* subject = X509_get_subject_name(certificate);
    const int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    unsigned char* text = nullptr;
    const int length = at < 0 ? -1 : ASN1_STRING_to_UTF8(&text, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at)));
    std::string name = length > 0 ? std::string(reinterpret_cast<char*>(text), static_cast<std::size_t>(length)) : "";
    OPENSSL_free(text);
    return name;
}

// The attributes that link a key bag to its certificate bag, and name both for the user.
Status Label(PKCS12_SAFEBAG* bag, X509* certificate) {
    unsigned char id[EVP_MAX_MD_SIZE];
    unsigned int idLength = 0;
    if (X509_digest(certificate, EVP_sha1(), id, &idLength) != 1 ||
        PKCS12_add_localkeyid(bag, id, static_cast<int>(idLength)) != 1)
        return OpenSslFailure();
    const std::string name = CommonName(certificate);
    if (!name.empty() && PKCS12_add_friendlyname_utf8(bag, name.c_str(), static_cast<int>(name.size())) != 1)
        return OpenSslFailure();
    return Ok();
}

// The key bag is made from the PrivateKeyInfo itself, so its attributes stay in it.
Status AddPair(const CertifiedKey& pair, const char* password, BagsPtr& certificateBags, BagsPtr& keyBags) {
    Pkcs8Ptr info;
    PkeyPtr key;
    const Input der{pair.privateKeyInfo.data(), pair.privateKeyInfo.size()};
    QLK_RETURN_IF_FAILED(ParsePkcs8(der, info));
    QLK_RETURN_IF_FAILED(ParsePrivateKeyInfo(der, key));
    if (!KeyBelongsTo(pair.certificate.get(), key.get())) return Fail(Code::PfxKeyMismatch, CommonName(pair.certificate.get()));
    STACK_OF(PKCS12_SAFEBAG)* certificates = certificateBags.release();
    PKCS12_SAFEBAG* certificateBag = PKCS12_add_cert(&certificates, pair.certificate.get());
    certificateBags.reset(certificates);
    if (certificateBag == nullptr) return OpenSslFailure();
    PKCS12_SAFEBAG* keyBag = PKCS12_SAFEBAG_create_pkcs8_encrypt_ex(kBagCipher, password, -1, nullptr, 0, kIterations,
                                                                   info.get(), nullptr, nullptr);
    if (keyBag == nullptr || sk_PKCS12_SAFEBAG_push(keyBags.get(), keyBag) <= 0) {
        PKCS12_SAFEBAG_free(keyBag);
        return OpenSslFailure();
    }
    QLK_RETURN_IF_FAILED(Label(certificateBag, pair.certificate.get()));
    return Label(keyBag, pair.certificate.get());
}

// The certificates in one encrypted safe, the already shrouded keys in a plain one.
Status Assemble(BagsPtr& certificateBags, BagsPtr& keyBags, const char* password, Pkcs12Ptr& pfx) {
    STACK_OF(PKCS7)* made = nullptr;
    const bool packed =
        PKCS12_add_safe_ex(&made, certificateBags.get(), kBagCipher, kIterations, password, nullptr, nullptr) == 1 &&
        PKCS12_add_safe_ex(&made, keyBags.get(), kUnencrypted, 0, nullptr, nullptr, nullptr) == 1;
    SafesPtr safes(made);
    if (!packed) return OpenSslFailure();
    pfx.reset(PKCS12_add_safes_ex(safes.get(), 0, nullptr, nullptr));
    if (!pfx || PKCS12_set_mac(pfx.get(), password, -1, nullptr, 0, kIterations, EVP_sha256()) != 1)
        return OpenSslFailure();
    return Ok();
}

}  // namespace

Status WritePfx(const std::vector<CertifiedKey>& pairs, const char* password, Bytes& pfx) {
    BagsPtr certificateBags(sk_PKCS12_SAFEBAG_new_null()), keyBags(sk_PKCS12_SAFEBAG_new_null());
    if (!certificateBags || !keyBags) return Fail(Code::OutOfMemory);
    for (const CertifiedKey& pair : pairs) QLK_RETURN_IF_FAILED(AddPair(pair, password, certificateBags, keyBags));
    Pkcs12Ptr made;
    QLK_RETURN_IF_FAILED(Assemble(certificateBags, keyBags, password, made));
    return EncodeDer<PKCS12, i2d_PKCS12>(made.get(), pfx);
}

}  // namespace qlk
