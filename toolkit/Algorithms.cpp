#include "toolkit/Algorithms.h"

#include <string>

namespace qlk {
namespace {

constexpr CipherSpec kCiphers[] = {
    {32, "DES-EDE3-CBC", 24, 8, 8},
    {48, "SEED-CBC", 16, 16, 16},
    {49, "ARIA-128-CBC", 16, 16, 16},
    {50, "AES-128-CBC", 16, 16, 16},
    {240, "ARIA-256-CBC", 32, 32, 16},
};

constexpr HashSpec kHashes[] = {
    {1, "SHA1"}, {2, "MD5"}, {3, "SHA224"}, {4, "SHA256"}, {5, "SHA384"}, {6, "SHA512"},
};

}  // namespace

Status FindCipher(int id, const CipherSpec*& spec) {
    for (const CipherSpec& candidate : kCiphers) {
        if (candidate.id == id) {
            spec = &candidate;
            return Ok();
        }
    }
    return Fail(Code::UnknownCipher, std::to_string(id));
}

Status FindHash(int id, const HashSpec*& spec) {
    for (const HashSpec& candidate : kHashes) {
        if (candidate.id == id) {
            spec = &candidate;
            return Ok();
        }
    }
    return Fail(Code::UnknownHash, std::to_string(id));
}

Status FetchCipher(const CipherSpec& spec, CipherPtr& cipher) {
    cipher.reset(EVP_CIPHER_fetch(nullptr, spec.openSslName, nullptr));
    return cipher ? Ok() : Fail(Code::ProviderUnavailable, spec.openSslName);
}

Status FetchHash(int id, MdPtr& digest) {
    const HashSpec* spec = nullptr;
    QLK_RETURN_IF_FAILED(FindHash(id, spec));
    digest.reset(EVP_MD_fetch(nullptr, spec->openSslName, nullptr));
    return digest ? Ok() : Fail(Code::ProviderUnavailable, spec->openSslName);
}

}  // namespace qlk
