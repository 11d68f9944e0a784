#include "toolkit/Symmetric.h"

#include <openssl/rand.h>

#include <algorithm>
#include <climits>

#include "toolkit/Algorithms.h"

namespace qlk {
namespace {

// The block that the next call in a chained stream starts from.
void ChainIv(SymmetricState& state, const unsigned char* cipherText, std::size_t length, std::size_t blockSize) {
    if (!state.chainIv || length < blockSize || state.iv.size() < blockSize) return;
    std::copy(cipherText + length - blockSize, cipherText + length, state.iv.begin());
}

}  // namespace

Status SetKeyAndIv(SymmetricState& state, int cipherId, const Input& key, const Input& iv) {
    const CipherSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindCipher(cipherId, entry));
    if (key.length != entry->keyLength) {
        return Fail(Code::BadKeyLength, std::to_string(key.length) + " bytes, " + std::to_string(entry->keyLength) + " expected");
    }
    if (iv.length != entry->ivLength) {
        return Fail(Code::BadIvLength, std::to_string(iv.length) + " bytes, " + std::to_string(entry->ivLength) + " expected");
    }
    state.cipherId = cipherId;
    state.key.assign(key.data, key.data + key.length);
    state.iv.assign(iv.data, iv.data + iv.length);
    return Ok();
}

Status GenerateKeyAndIv(SymmetricState& state, int cipherId) {
    const CipherSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindCipher(cipherId, entry));
    SecureBytes key(entry->keyLength), iv(entry->ivLength);
    if (RAND_priv_bytes(key.data(), static_cast<int>(key.size())) != 1 ||
        RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1) {
        return Fail(Code::RandomFailed, TakeOpenSslError());
    }
    return SetKeyAndIv(state, cipherId, Input{key.data(), key.size()}, Input{iv.data(), iv.size()});
}

Status RunCipher(SymmetricState& state, bool encrypt, const Input& input, SecureBytes& output) {
    if (state.cipherId == 0) return Fail(Code::NoSymmetricKey);
    const CipherSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindCipher(state.cipherId, entry));
    CipherPtr cipher;
    QLK_RETURN_IF_FAILED(FetchCipher(*entry, cipher));
    std::size_t blockSize = static_cast<std::size_t>(EVP_CIPHER_get_block_size(cipher.get()));
    if (input.length > static_cast<std::size_t>(INT_MAX) - 2 * blockSize) return Fail(Code::InputTooLarge);
    CipherCtxPtr context(EVP_CIPHER_CTX_new());
    if (!context || !EVP_CipherInit_ex2(context.get(), cipher.get(), state.key.data(), state.iv.data(), encrypt ? 1 : 0, nullptr)) {
        return Fail(Code::CryptoFailure, TakeOpenSslError());
    }
    output.resize(input.length + blockSize);
    int written = 0, finalWritten = 0;
    if (!EVP_CipherUpdate(context.get(), output.data(), &written, input.data, static_cast<int>(input.length)) ||
        !EVP_CipherFinal_ex(context.get(), output.data() + written, &finalWritten)) {
        output.clear();
        return encrypt ? Fail(Code::CryptoFailure, TakeOpenSslError()) : Fail(Code::DecryptionFailed, TakeOpenSslError());
    }
    output.resize(static_cast<std::size_t>(written + finalWritten));
    if (encrypt) {
        ChainIv(state, output.data(), output.size(), blockSize);
    } else {
        ChainIv(state, input.data, input.length, blockSize);
    }
    return Ok();
}

}  // namespace qlk
