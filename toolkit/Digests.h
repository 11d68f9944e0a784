#pragma once
#include <openssl/evp.h>

#include "toolkit/Binstr.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

// The digest goes into a caller's buffer of EVP_MAX_MD_SIZE bytes: digests are small
// and made often, so no heap block is needed for them.
Status ComputeDigest(int hashId, const Input& data, unsigned char (&digest)[EVP_MAX_MD_SIZE], unsigned int& length);

// HMAC under the hash with the given identifier; the key is the text's bytes.
Status ComputeHmac(int hashId, const char* key, const Input& data, Bytes& mac);

// The body of QLK_CRYPT_GenMAC and GPKI_CRYPT_GenMAC.
Status GenerateMac(int hashId, const char* key, BINSTR* data, BINSTR* mac);

}  // namespace qlk
