#include "toolkit/Digests.h"

#include <openssl/core_names.h>
#include <openssl/params.h>

#include <cstring>

#include "toolkit/Algorithms.h"

namespace qlk {

Status ComputeDigest(int hashId, const Input& data, unsigned char (&digest)[EVP_MAX_MD_SIZE], unsigned int& length) {
    MdPtr md;
    QLK_RETURN_IF_FAILED(FetchHash(hashId, md));
    if (!EVP_Digest(data.data, data.length, digest, &length, md.get(), nullptr)) {
        return Fail(Code::CryptoFailure, TakeOpenSslError());
    }
    return Ok();
}

Status ComputeHmac(int hashId, const char* key, const Input& data, Bytes& mac) {
    const HashSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindHash(hashId, entry));
    OpenSslPtr<EVP_MAC, EVP_MAC_free> hmac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    OpenSslPtr<EVP_MAC_CTX, EVP_MAC_CTX_free> state(hmac ? EVP_MAC_CTX_new(hmac.get()) : nullptr);
    if (!state) return Fail(Code::ProviderUnavailable, "HMAC");
    OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(entry->openSslName), 0),
        OSSL_PARAM_construct_end(),
    };
    mac.resize(EVP_MAX_MD_SIZE);
    std::size_t length = 0;
    if (!EVP_MAC_init(state.get(), reinterpret_cast<const unsigned char*>(key), std::strlen(key), parameters) ||
        !EVP_MAC_update(state.get(), data.data, data.length) ||
        !EVP_MAC_final(state.get(), mac.data(), &length, mac.size())) {
        return Fail(Code::CryptoFailure, TakeOpenSslError());
    }
    mac.resize(length);
    return Ok();
}

Status GenerateMac(int hashId, const char* key, BINSTR* data, BINSTR* mac) {
    if (key == nullptr) return Fail(Code::InvalidArgument, "MAC key");
    Input in;
    QLK_RETURN_IF_FAILED(ReadInput(data, in, false));
    Bytes value;
    QLK_RETURN_IF_FAILED(ComputeHmac(hashId, key, in, value));
    return WriteOutput(mac, value);
}

}  // namespace qlk
