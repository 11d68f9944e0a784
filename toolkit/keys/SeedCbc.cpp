#include "toolkit/keys/SeedCbc.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <climits>
#include <memory>
#include <mutex>

namespace qlk::keys {

namespace {

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
// Fetched once and kept for the life of the process, like the providers; freeing it from
// a static destructor could run after OpenSSL's own exit cleanup.
const EVP_CIPHER* SeedCipher() {
    static EVP_CIPHER* cipher = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        if (LoadLegacyProviders()) cipher = EVP_CIPHER_fetch(nullptr, "SEED-CBC", nullptr);
    });
    return cipher;
}

SeedResult Run(bool encrypt, const unsigned char* key, const unsigned char* iv, const unsigned char* input,
               std::size_t length, SecureBytes& output) {
    const EVP_CIPHER* cipher = SeedCipher();
    if (cipher == nullptr || length > static_cast<std::size_t>(INT_MAX - 2 * kSeedBlockLength)) return SeedResult::Failed;
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    if (!context || EVP_CipherInit_ex2(context.get(), cipher, key, iv, encrypt ? 1 : 0, nullptr) != 1)
        return SeedResult::Failed;
    SecureBytes buffer(length + kSeedBlockLength);
    int written = 0;
    if (EVP_CipherUpdate(context.get(), buffer.data(), &written, input, static_cast<int>(length)) != 1)
        return SeedResult::Failed;
    int last = 0;
    if (EVP_CipherFinal_ex(context.get(), buffer.data() + written, &last) != 1)
        return encrypt ? SeedResult::Failed : SeedResult::BadPadding;
    buffer.resize(static_cast<std::size_t>(written + last));
    output.swap(buffer);
    return SeedResult::Ok;
}

}  // namespace

bool LoadLegacyProviders() {
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [] {
        // Loading any provider explicitly stops the implicit default one, so both are named.
        OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        OSSL_PROVIDER* standard = OSSL_PROVIDER_load(nullptr, "default");
        loaded = legacy != nullptr && standard != nullptr;
    });
    return loaded;
}

SeedResult SeedCbcEncrypt(const unsigned char* key, const unsigned char* iv, const unsigned char* input,
                          std::size_t length, SecureBytes& output) {
    return Run(true, key, iv, input, length, output);
}

SeedResult SeedCbcDecrypt(const unsigned char* key, const unsigned char* iv, const unsigned char* input,
                          std::size_t length, SecureBytes& output) {
    if (length == 0 || length % kSeedBlockLength != 0) return SeedResult::BadPadding;
    return Run(false, key, iv, input, length, output);
}

}  // namespace qlk::keys
