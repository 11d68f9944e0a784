// QLK_CRYPT_ functions of the context's symmetric key: random bytes, key and IV
// handling, encryption and decryption.

#include <openssl/rand.h>

#include "toolkit/Binstr.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/Symmetric.h"

using namespace qlk;

namespace {

constexpr int kMaxRandomLength = 1 << 20;

int CipherCall(void* context, const char* function, bool encrypt, BINSTR* input, BINSTR* output) {
    return Call(context, function, [&](Context& open) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in, false));
        SecureBytes result;
        QLK_RETURN_IF_FAILED(RunCipher(open.symmetric, encrypt, in, result));
        return WriteOutput(output, result);
    });
}

}  // namespace

extern "C" {

int QLK_CRYPT_GenRandom(void* context, int length, BINSTR* random) {
    return QLK_CALL(context, [&](Context&) -> Status {
        if (length < 1 || length > kMaxRandomLength) return Fail(Code::InvalidArgument, "length");
        SecureBytes bytes(static_cast<std::size_t>(length));
        if (RAND_bytes(bytes.data(), length) != 1) return Fail(Code::RandomFailed, TakeOpenSslError());
        return WriteOutput(random, bytes);
    });
}

int QLK_CRYPT_GenKeyAndIV(void* context, int cipher) {
    return QLK_CALL(context, [&](Context& open) -> Status { return GenerateKeyAndIv(open.symmetric, cipher); });
}

int QLK_CRYPT_SetKeyAndIV(void* context, int cipher, BINSTR* key, BINSTR* iv) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input keyIn, ivIn;
        QLK_RETURN_IF_FAILED(ReadInput(key, keyIn, false));
        QLK_RETURN_IF_FAILED(ReadInput(iv, ivIn, false));
        return SetKeyAndIv(open.symmetric, cipher, keyIn, ivIn);
    });
}

int QLK_CRYPT_GetKeyAndIV(void* context, int* cipher, BINSTR* key, BINSTR* iv) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (cipher == nullptr || key == nullptr || iv == nullptr) return Fail(Code::InvalidArgument);
        if (open.symmetric.cipherId == 0) return Fail(Code::NoSymmetricKey);
        QLK_RETURN_IF_FAILED(WriteOutput(key, open.symmetric.key));
        QLK_RETURN_IF_FAILED(WriteOutput(iv, open.symmetric.iv));
        *cipher = open.symmetric.cipherId;
        return Ok();
    });
}

int QLK_CRYPT_SetEnvChangeIV(void* context) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        open.symmetric.chainIv = true;
        return Ok();
    });
}

int QLK_CRYPT_Encrypt(void* context, BINSTR* input, BINSTR* output) {
    return CipherCall(context, __func__, true, input, output);
}

int QLK_CRYPT_Decrypt(void* context, BINSTR* input, BINSTR* output) {
    return CipherCall(context, __func__, false, input, output);
}

}  // extern "C"
