// QLK_PRIKEY_: password-protected private keys.

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/PrivateKeys.h"

using namespace qlk;

namespace {

Status SchemeOfSelector(int selector, keys::KeyFileScheme& scheme) {
    switch (selector) {
        case 0:
        case 1:
        case 48: scheme = keys::KeyFileScheme::SeedCbcWithSha1; return Ok();
        case 2: scheme = keys::KeyFileScheme::Pbes2Seed; return Ok();
        default: return Fail(Code::UnknownKeyFileScheme, std::to_string(selector));
    }
}

}  // namespace

extern "C" {

int QLK_PRIKEY_Encrypt(void* context, int algorithm, const char* password, BINSTR* privateKey, BINSTR* encrypted) {
    return QLK_CALL(context, [&](Context&) -> Status {
        keys::KeyFileScheme scheme;
        QLK_RETURN_IF_FAILED(SchemeOfSelector(algorithm, scheme));
        Input key;
        QLK_RETURN_IF_FAILED(ReadInput(privateKey, key));
        Bytes file;
        QLK_RETURN_IF_FAILED(EncryptKeyFile(key, password, scheme, file));
        return WriteOutput(encrypted, file);
    });
}

int QLK_PRIKEY_Decrypt(void* context, const char* password, BINSTR* encrypted, BINSTR* privateKey) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input file;
        QLK_RETURN_IF_FAILED(ReadInput(encrypted, file));
        SecureBytes key;
        QLK_RETURN_IF_FAILED(DecryptKeyFile(file, password, key));
        return WriteOutput(privateKey, key);
    });
}

int QLK_PRIKEY_ChangePasswd(void* context, const char* oldPassword, const char* newPassword, BINSTR* encrypted,
                            BINSTR* reencrypted) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input file;
        QLK_RETURN_IF_FAILED(ReadInput(encrypted, file));
        SecureBytes key;
        QLK_RETURN_IF_FAILED(DecryptKeyFile(file, oldPassword, key));
        keys::KeyFileScheme scheme;
        QLK_RETURN_IF_FAILED(SchemeOfKeyFile(file, scheme));
        Bytes changed;
        QLK_RETURN_IF_FAILED(EncryptKeyFile(Input{key.data(), key.size()}, newPassword, scheme, changed));
        return WriteOutput(reencrypted, changed);
    });
}

int QLK_PRIKEY_CheckKeyPair(void* context, BINSTR* in1, BINSTR* in2) {
    return QLK_CALL(context, [&](Context&) -> Status {
        Input publicIn, privateIn;
        QLK_RETURN_IF_FAILED(ReadInput(in1, publicIn));
        QLK_RETURN_IF_FAILED(ReadInput(in2, privateIn));
        PkeyPtr publicKey, privateKey;
        QLK_RETURN_IF_FAILED(ParsePublicKey(publicIn, publicKey));
        QLK_RETURN_IF_FAILED(ParsePrivateKeyInfo(privateIn, privateKey));
        return EVP_PKEY_eq(publicKey.get(), privateKey.get()) == 1 ? Ok() : Fail(Code::KeyPairMismatch);
    });
}

}  // extern "C"
