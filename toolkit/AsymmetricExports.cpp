// QLK_CRYPT_ functions of public-key cryptography: RSA version, key pairs, signatures
// and RSA encryption.

#include "toolkit/Asymmetric.h"
#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/PrivateKeys.h"

using namespace qlk;

namespace {

Status ContextPadding(const Context& context, RsaPadding& padding) {
    return PaddingOfVersion(context.rsaVersion, padding);
}

}  // namespace

extern "C" {

int QLK_CRYPT_SetRSAVersion(void* context, int version) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        RsaPadding padding;
        QLK_RETURN_IF_FAILED(PaddingOfVersion(version, padding));
        open.rsaVersion = version;
        return Ok();
    });
}

int QLK_CRYPT_GenKeyPair(void* context, int p1, BINSTR* first, BINSTR* second) {
    return QLK_CALL(context, [&](Context&) -> Status {
        if (first == nullptr || second == nullptr) return Fail(Code::InvalidArgument);
        SecureBytes privateKeyInfo;
        Bytes publicKeyInfo;
        QLK_RETURN_IF_FAILED(GenerateRsaKeyPair(p1, privateKeyInfo, publicKeyInfo));
        QLK_RETURN_IF_FAILED(WriteOutput(first, privateKeyInfo));
        return WriteOutput(second, publicKeyInfo);
    });
}

int QLK_CRYPT_Sign(void* context, BINSTR* in1, BINSTR* in2, int hash, BINSTR* in3, BINSTR* signature) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input keyIn, password, data;
        QLK_RETURN_IF_FAILED(ReadInput(in1, keyIn));
        QLK_RETURN_IF_FAILED(ReadInput(in2, password, false));
        QLK_RETURN_IF_FAILED(ReadInput(in3, data, false));
        RsaPadding padding;
        QLK_RETURN_IF_FAILED(ContextPadding(open, padding));
        PkeyPtr key;
        QLK_RETURN_IF_FAILED(ParsePrivateKey(keyIn, password, key));
        Bytes value;
        QLK_RETURN_IF_FAILED(SignData(key.get(), hash, padding, data, value));
        return WriteOutput(signature, value);
    });
}

int QLK_CRYPT_Verify(void* context, BINSTR* in1, int hash, BINSTR* in2, BINSTR* in3) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input keyIn, data, signature;
        QLK_RETURN_IF_FAILED(ReadInput(in1, keyIn));
        QLK_RETURN_IF_FAILED(ReadInput(in2, data, false));
        QLK_RETURN_IF_FAILED(ReadInput(in3, signature));
        RsaPadding padding;
        QLK_RETURN_IF_FAILED(ContextPadding(open, padding));
        PkeyPtr key;
        QLK_RETURN_IF_FAILED(ParsePublicKey(keyIn, key));
        return VerifyData(key.get(), hash, padding, data, signature);
    });
}

int QLK_CRYPT_AsymEncrypt(void* context, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input keyIn, data;
        QLK_RETURN_IF_FAILED(ReadInput(in1, keyIn));
        QLK_RETURN_IF_FAILED(ReadInput(in2, data, false));
        RsaPadding contextPadding, padding;
        QLK_RETURN_IF_FAILED(ContextPadding(open, contextPadding));
        QLK_RETURN_IF_FAILED(PaddingOfSelector(p1, contextPadding, padding));
        PkeyPtr key;
        QLK_RETURN_IF_FAILED(ParsePublicKey(keyIn, key));
        Bytes encrypted;
        QLK_RETURN_IF_FAILED(EncryptTo(key.get(), padding, data, encrypted));
        return WriteOutput(output, encrypted);
    });
}

int QLK_CRYPT_AsymDecrypt(void* context, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        Input keyIn, data;
        QLK_RETURN_IF_FAILED(ReadInput(in1, keyIn));
        QLK_RETURN_IF_FAILED(ReadInput(in2, data));
        RsaPadding contextPadding, padding;
        QLK_RETURN_IF_FAILED(ContextPadding(open, contextPadding));
        QLK_RETURN_IF_FAILED(PaddingOfSelector(p1, contextPadding, padding));
        PkeyPtr key;
        QLK_RETURN_IF_FAILED(ParsePrivateKeyInfo(keyIn, key));
        SecureBytes decrypted;
        QLK_RETURN_IF_FAILED(DecryptWith(key.get(), padding, data, decrypted));
        return WriteOutput(output, decrypted);
    });
}

}  // extern "C"
