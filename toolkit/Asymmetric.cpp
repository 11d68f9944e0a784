#include "toolkit/Asymmetric.h"

#include <openssl/rsa.h>

#include "toolkit/Algorithms.h"

namespace qlk {
namespace {

constexpr int kDefaultRsaBits = 2048;
constexpr int kMinRsaBits = 1024;
constexpr int kMaxRsaBits = 8192;

bool IsRsa(EVP_PKEY* key) { return EVP_PKEY_is_a(key, "RSA") == 1; }

bool SetSignaturePadding(EVP_PKEY_CTX* context, EVP_PKEY* key, RsaPadding padding) {
    if (!IsRsa(key)) return true;
    if (padding == RsaPadding::Pkcs1) return EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) > 0;
    return EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PSS_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_pss_saltlen(context, RSA_PSS_SALTLEN_DIGEST) > 0;
}

bool SetEncryptionPadding(EVP_PKEY_CTX* context, RsaPadding padding) {
    if (padding == RsaPadding::Pkcs1) return EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_PADDING) > 0;
    return EVP_PKEY_CTX_set_rsa_padding(context, RSA_PKCS1_OAEP_PADDING) > 0 &&
           EVP_PKEY_CTX_set_rsa_oaep_md_name(context, "SHA1", nullptr) > 0;
}

Status RequireRsa(EVP_PKEY* key) {
    return IsRsa(key) ? Ok() : Fail(Code::AsymmetricFailed, "the key is not an RSA key");
}

}  // namespace

Status PaddingOfVersion(int version, RsaPadding& padding) {
    switch (version) {
        case 1: padding = RsaPadding::Pkcs1; return Ok();
        case 2: padding = RsaPadding::PssOrOaep; return Ok();
        default: return Fail(Code::UnknownRsaVersion, std::to_string(version));
    }
}

Status PaddingOfSelector(int selector, RsaPadding contextPadding, RsaPadding& padding) {
    switch (selector) {
        case 0: padding = contextPadding; return Ok();
        case 1: padding = RsaPadding::Pkcs1; return Ok();
        case 2: padding = RsaPadding::PssOrOaep; return Ok();
        default: return Fail(Code::UnknownPadding, std::to_string(selector));
    }
}

Status SignData(EVP_PKEY* key, int hashId, RsaPadding padding, const Input& data, Bytes& signature) {
    MdPtr md;
    QLK_RETURN_IF_FAILED(FetchHash(hashId, md));
    MdCtxPtr context(EVP_MD_CTX_new());
    EVP_PKEY_CTX* keyContext = nullptr;
    if (!context || EVP_DigestSignInit(context.get(), &keyContext, md.get(), nullptr, key) != 1 ||
        !SetSignaturePadding(keyContext, key, padding)) {
        return Fail(Code::SigningFailed, TakeOpenSslError());
    }
    std::size_t length = 0;
    if (EVP_DigestSign(context.get(), nullptr, &length, data.data, data.length) != 1) {
        return Fail(Code::SigningFailed, TakeOpenSslError());
    }
    signature.resize(length);
    if (EVP_DigestSign(context.get(), signature.data(), &length, data.data, data.length) != 1) {
        return Fail(Code::SigningFailed, TakeOpenSslError());
    }
    signature.resize(length);
    return Ok();
}

Status VerifyData(EVP_PKEY* key, int hashId, RsaPadding padding, const Input& data, const Input& signature) {
    MdPtr md;
    QLK_RETURN_IF_FAILED(FetchHash(hashId, md));
    MdCtxPtr context(EVP_MD_CTX_new());
    EVP_PKEY_CTX* keyContext = nullptr;
    if (!context || EVP_DigestVerifyInit(context.get(), &keyContext, md.get(), nullptr, key) != 1 ||
        !SetSignaturePadding(keyContext, key, padding)) {
        return Fail(Code::CryptoFailure, TakeOpenSslError());
    }
    int verdict = EVP_DigestVerify(context.get(), signature.data, signature.length, data.data, data.length);
    return verdict == 1 ? Ok() : Fail(Code::SignatureMismatch);
}

Status EncryptTo(EVP_PKEY* key, RsaPadding padding, const Input& data, Bytes& output) {
    QLK_RETURN_IF_FAILED(RequireRsa(key));
    PkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    std::size_t length = 0;
    if (!context || EVP_PKEY_encrypt_init(context.get()) != 1 || !SetEncryptionPadding(context.get(), padding) ||
        EVP_PKEY_encrypt(context.get(), nullptr, &length, data.data, data.length) != 1) {
        return Fail(Code::AsymmetricFailed, TakeOpenSslError());
    }
    output.resize(length);
    if (EVP_PKEY_encrypt(context.get(), output.data(), &length, data.data, data.length) != 1) {
        return Fail(Code::AsymmetricFailed, TakeOpenSslError());
    }
    output.resize(length);
    return Ok();
}

Status DecryptWith(EVP_PKEY* key, RsaPadding padding, const Input& data, SecureBytes& output) {
    QLK_RETURN_IF_FAILED(RequireRsa(key));
    PkeyCtxPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    std::size_t length = 0;
    if (!context || EVP_PKEY_decrypt_init(context.get()) != 1 || !SetEncryptionPadding(context.get(), padding) ||
        EVP_PKEY_decrypt(context.get(), nullptr, &length, data.data, data.length) != 1) {
        return Fail(Code::AsymmetricFailed, TakeOpenSslError());
    }
    output.resize(length);
    if (EVP_PKEY_decrypt(context.get(), output.data(), &length, data.data, data.length) != 1) {
        return Fail(Code::AsymmetricFailed, TakeOpenSslError());
    }
    output.resize(length);
    return Ok();
}

Status GenerateRsaKeyPair(int bits, SecureBytes& privateKeyInfo, Bytes& publicKeyInfo) {
    if (bits == 0) bits = kDefaultRsaBits;
    if (bits < kMinRsaBits || bits > kMaxRsaBits || bits % 8 != 0) {
        return Fail(Code::UnsupportedKeySize, std::to_string(bits));
    }
    PkeyPtr key(EVP_RSA_gen(static_cast<unsigned int>(bits)));
    if (!key) return Fail(Code::CryptoFailure, TakeOpenSslError());
    OpenSslPtr<PKCS8_PRIV_KEY_INFO, PKCS8_PRIV_KEY_INFO_free> info(EVP_PKEY2PKCS8(key.get()));
    unsigned char* privateDer = nullptr;
    int privateLength = info ? i2d_PKCS8_PRIV_KEY_INFO(info.get(), &privateDer) : -1;
    unsigned char* publicDer = nullptr;
    int publicLength = i2d_PUBKEY(key.get(), &publicDer);
    if (privateLength > 0) {
        privateKeyInfo.assign(privateDer, privateDer + privateLength);
        OPENSSL_clear_free(privateDer, static_cast<std::size_t>(privateLength));
    }
    if (publicLength > 0) {
        publicKeyInfo.assign(publicDer, publicDer + publicLength);
        OPENSSL_free(publicDer);
    }
    if (privateLength <= 0 || publicLength <= 0) return Fail(Code::CryptoFailure, TakeOpenSslError());
    return Ok();
}

}  // namespace qlk
