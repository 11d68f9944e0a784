// QLK_CRYPT_Hash, QLK_CRYPT_GenMAC and QLK_CRYPT_VerifyMAC: digests and HMACs.

#include <openssl/crypto.h>

#include "toolkit/Binstr.h"
#include "toolkit/Digests.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

using namespace qlk;

extern "C" {

int QLK_CRYPT_Hash(void* context, int hash, BINSTR* input, BINSTR* digest) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input in;
        QLK_RETURN_IF_FAILED(ReadInput(input, in, false));
        unsigned char value[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        QLK_RETURN_IF_FAILED(ComputeDigest(hash, in, value, length));
        Status written = WriteOutput(digest, value, length);
        OPENSSL_cleanse(value, sizeof value);  // digests of key material are key material
        return written;
    });
}

int QLK_CRYPT_GenMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* mac) {
    return QLK_CALL(context, [&](Context&) -> Status { return GenerateMac(p1, in2, in3, mac); });
}

int QLK_CRYPT_VerifyMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* in4) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input data, expected;
        QLK_RETURN_IF_FAILED(ReadInput(in3, data, false));
        QLK_RETURN_IF_FAILED(ReadInput(in4, expected));
        if (in2 == nullptr) return Fail(Code::InvalidArgument, "MAC key");
        Bytes value;
        QLK_RETURN_IF_FAILED(ComputeHmac(p1, in2, data, value));
        if (value.size() != expected.length || CRYPTO_memcmp(value.data(), expected.data, value.size()) != 0) {
            return Fail(Code::MacMismatch);
        }
        return Ok();
    });
}

}  // extern "C"
