#pragma once
// One RSA key per test program, as a DER PrivateKeyInfo (key generation is the slow part),
// and a DER builder written apart from the module's writer, so that records built here
// check the module rather than repeat it.

#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <string>
#include <vector>

namespace testing_support {

inline std::vector<unsigned char> PrivateKeyInfoDer(EVP_PKEY* key) {
    std::vector<unsigned char> der;
    PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key);
    unsigned char* out = nullptr;
    const int length = info != nullptr ? i2d_PKCS8_PRIV_KEY_INFO(info, &out) : -1;
    if (length > 0) der.assign(out, out + length);
    OPENSSL_free(out);
    PKCS8_PRIV_KEY_INFO_free(info);
    return der;
}

inline EVP_PKEY* SharedTestKey() {
    static EVP_PKEY* key = EVP_RSA_gen(2048);
    return key;
}

inline const std::vector<unsigned char>& SharedPrivateKeyInfo() {
    static const std::vector<unsigned char> der = PrivateKeyInfoDer(SharedTestKey());
    return der;
}

// True when the DER private key (PrivateKeyInfo or the traditional form) is SharedTestKey().
template <class Container>
inline bool IsSharedTestKey(const Container& der) {
    const unsigned char* p = der.data();
    EVP_PKEY* key = d2i_AutoPrivateKey(nullptr, &p, static_cast<long>(der.size()));
    const bool same = key != nullptr && EVP_PKEY_eq(key, SharedTestKey()) == 1;
    EVP_PKEY_free(key);
    return same;
}

using Der = std::vector<unsigned char>;

inline Der Tlv(unsigned char tag, const Der& content) {
    Der out{tag};
    const std::size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<unsigned char>(n));
    } else if (n < 0x100) {
        out.insert(out.end(), {0x81, static_cast<unsigned char>(n)});
    } else {
        out.insert(out.end(), {0x82, static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n & 0xff)});
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Der Cat(std::initializer_list<Der> parts) {
    Der out;
    for (const Der& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Der Ascii(const std::string& text) { return Der(text.begin(), text.end()); }

}  // namespace testing_support
