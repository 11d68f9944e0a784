#pragma once
// RSA (and other OpenSSL key types where they fit) signatures and encryption.

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

enum class RsaPadding { Pkcs1, PssOrOaep };

Status PaddingOfVersion(int version, RsaPadding& padding);
// p1 of the asymmetric encryption functions: 0 the context's RSA version, 1 PKCS#1 v1.5, 2 OAEP.
Status PaddingOfSelector(int selector, RsaPadding contextPadding, RsaPadding& padding);

Status SignData(EVP_PKEY* key, int hashId, RsaPadding padding, const Input& data, Bytes& signature);
Status VerifyData(EVP_PKEY* key, int hashId, RsaPadding padding, const Input& data, const Input& signature);
Status EncryptTo(EVP_PKEY* key, RsaPadding padding, const Input& data, Bytes& output);
Status DecryptWith(EVP_PKEY* key, RsaPadding padding, const Input& data, SecureBytes& output);

// An RSA key pair as DER PrivateKeyInfo and DER SubjectPublicKeyInfo.
Status GenerateRsaKeyPair(int bits, SecureBytes& privateKeyInfo, Bytes& publicKeyInfo);

}  // namespace qlk
