#pragma once
// RSA keys of the test PKI by role ("root-kisa", "ca-yessign", "user-0"), made once per run
// and, when a cache folder is given, kept there as unencrypted PEM so later runs skip key
// generation (the slow part of building a PKI). Test keys only.

#include <openssl/evp.h>

#include <map>
#include <string>

#include "toolkit/keys/SecureBytes.h"

namespace zorvane::pkigen {

class KeyStore {
public:
    KeyStore(std::string cacheFolder, int bits) : cacheFolder_(std::move(cacheFolder)), bits_(bits) {}
    ~KeyStore();
    KeyStore(const KeyStore&) = delete;
    KeyStore& operator=(const KeyStore&) = delete;

    // The key of a role, or nullptr with error set.
    EVP_PKEY* Get(const std::string& role, std::string& error);
    // DER PrivateKeyInfo of a key that Get returned.
    const qlk::SecureBytes& PrivateKeyInfo(const std::string& role) const { return keys_.at(role).privateKeyInfo; }

private:
    struct Entry {
        EVP_PKEY* key = nullptr;
        qlk::SecureBytes privateKeyInfo;
    };

    std::string CachePath(const std::string& role) const;
    EVP_PKEY* LoadCached(const std::string& role) const;
    void StoreCached(const std::string& role, EVP_PKEY* key) const;

    std::string cacheFolder_;
    int bits_;
    std::map<std::string, Entry> keys_;
};

}  // namespace zorvane::pkigen
