#pragma once
// Private keys as the toolkit receives them: DER PrivateKeyInfo, or a Korean key file
// and its password (decrypted by the key-file module).

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"
#include "toolkit/keys/KeyFile.h"
#include "toolkit/keys/Vid.h"

namespace qlk {

Status FromKeyFileStatus(keys::KeyFileStatus status);
Status FromVidStatus(vid::VidStatus status);

// A DER PrivateKeyInfo (exactly the input's bytes) as a key.
Status ParsePrivateKeyInfo(const Input& der, PkeyPtr& key);

// Fails with MalformedPrivateKey when the bytes are not one DER PrivateKeyInfo.
Status CheckPrivateKeyInfo(const Input& der);

using Pkcs8Ptr = OpenSslPtr<PKCS8_PRIV_KEY_INFO, PKCS8_PRIV_KEY_INFO_free>;
// The structure of a DER PrivateKeyInfo, attributes included (exactly the input's bytes).
Status ParsePkcs8(const Input& der, Pkcs8Ptr& info);

// True when the key is the private half of the certificate's public key.
bool KeyBelongsTo(X509* certificate, EVP_PKEY* key);

// With an empty password the input is a PrivateKeyInfo; otherwise a key file.
Status ParsePrivateKey(const Input& keyOrFile, const Input& password, PkeyPtr& key);

Status DecryptKeyFile(const Input& file, const char* password, SecureBytes& privateKeyInfo);
Status EncryptKeyFile(const Input& privateKeyInfo, const char* password, keys::KeyFileScheme scheme, Bytes& file);

// The scheme that re-encrypting a key file keeps: PBES2 stays PBES2, the rest become
// seedCBCWithSHA1.
Status SchemeOfKeyFile(const Input& file, keys::KeyFileScheme& scheme);

}  // namespace qlk
