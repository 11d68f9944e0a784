#pragma once
// OpenSSL ownership helpers and the one-time provider set-up.

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>

#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

template <auto Free>
struct OpenSslDeleter {
    template <class T>
    void operator()(T* p) const { Free(p); }
};
template <class T, auto Free>
using OpenSslPtr = std::unique_ptr<T, OpenSslDeleter<Free>>;

using X509Ptr = OpenSslPtr<X509, X509_free>;
using PkeyPtr = OpenSslPtr<EVP_PKEY, EVP_PKEY_free>;
using PkeyCtxPtr = OpenSslPtr<EVP_PKEY_CTX, EVP_PKEY_CTX_free>;
using CipherCtxPtr = OpenSslPtr<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>;
using MdCtxPtr = OpenSslPtr<EVP_MD_CTX, EVP_MD_CTX_free>;
using CipherPtr = OpenSslPtr<EVP_CIPHER, EVP_CIPHER_free>;
using MdPtr = OpenSslPtr<EVP_MD, EVP_MD_free>;

// Loads the default and legacy providers (SEED lives in the latter) into the default
// library context, once per process; later calls only report the outcome.
bool EnsureProviders();

// The oldest queued OpenSSL error as text, for error details; empties the queue.
std::string TakeOpenSslError();

// Dotted or long-name text of an object identifier.
std::string ObjectText(const ASN1_OBJECT* object, bool preferName);

std::string ToHex(const unsigned char* data, std::size_t length);

// The DER of an OpenSSL object through its i2d function (EncodeDer<X509, i2d_X509>).
template <class T, int (*Encode)(const T*, unsigned char**)>
Status EncodeDer(const T* object, Bytes& der) {
    unsigned char* encoded = nullptr;
    const int length = Encode(object, &encoded);
    if (length <= 0) return Fail(Code::CryptoFailure, TakeOpenSslError());
    der.assign(encoded, encoded + length);
    OPENSSL_free(encoded);
    return Ok();
}

}  // namespace qlk
