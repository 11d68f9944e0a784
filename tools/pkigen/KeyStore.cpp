#include "tools/pkigen/KeyStore.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tools/pkigen/Output.h"

namespace zorvane::pkigen {

namespace {

bool ToPrivateKeyInfo(EVP_PKEY* key, qlk::SecureBytes& der) {
    PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key);
    unsigned char* out = nullptr;
    const int length = info != nullptr ? i2d_PKCS8_PRIV_KEY_INFO(info, &out) : -1;
    if (length > 0) der.assign(out, out + length);
    OPENSSL_clear_free(out, length > 0 ? static_cast<std::size_t>(length) : 0);
    PKCS8_PRIV_KEY_INFO_free(info);
    return length > 0;
}

}  // namespace

KeyStore::~KeyStore() {
    for (auto& [role, entry] : keys_) EVP_PKEY_free(entry.key);
}

std::string KeyStore::CachePath(const std::string& role) const {
    return cacheFolder_ + "/" + role + "-" + std::to_string(bits_) + ".pem";
}

EVP_PKEY* KeyStore::LoadCached(const std::string& role) const {
    if (cacheFolder_.empty()) return nullptr;
    FILE* file = std::fopen(CachePath(role).c_str(), "r");
    if (file == nullptr) return nullptr;
    EVP_PKEY* key = PEM_read_PrivateKey(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    return key;
}

// Written 0600 in a 0700 folder (the keys are unencrypted, CA keys included), under a
// temporary name and renamed, so concurrent runs sharing the cache never read a
// half-written key. The PEM text passes through memory that is wiped when freed.
void KeyStore::StoreCached(const std::string& role, EVP_PKEY* key) const {
    if (cacheFolder_.empty()) return;
    std::error_code ignored;  // a cache that stays unwritable only costs new keys
    std::filesystem::create_directories(cacheFolder_, ignored);
    std::filesystem::permissions(cacheFolder_, std::filesystem::perms::owner_all, ignored);
    BIO* pem = BIO_new(BIO_s_secmem());
    if (pem == nullptr) return;
    char* text = nullptr;
    std::string error;
    if (PEM_write_bio_PrivateKey(pem, key, nullptr, nullptr, 0, nullptr, nullptr) == 1) {
        const long length = BIO_get_mem_data(pem, &text);
        WriteSecretBytes(CachePath(role), text, static_cast<std::size_t>(length), error);
    }
    BIO_free(pem);
}

EVP_PKEY* KeyStore::Get(const std::string& role, std::string& error) {
    auto found = keys_.find(role);
    if (found != keys_.end()) return found->second.key;
    EVP_PKEY* key = LoadCached(role);
    if (key == nullptr || EVP_PKEY_get_bits(key) != bits_) {
        EVP_PKEY_free(key);
        key = EVP_RSA_gen(static_cast<unsigned>(bits_));
        if (key == nullptr) {
            error = "RSA key generation failed for " + role;
            return nullptr;
        }
        StoreCached(role, key);
    }
    Entry entry;
    entry.key = key;
    if (!ToPrivateKeyInfo(key, entry.privateKeyInfo)) {
        EVP_PKEY_free(key);
        error = "cannot encode the key of " + role;
        return nullptr;
    }
    keys_.emplace(role, std::move(entry));
    return key;
}

}  // namespace zorvane::pkigen
