#pragma once
#include "toolkit/Binstr.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

Status ComputeDigest(int hashId, const Input& data, Bytes& digest);

// HMAC under the hash with the given identifier; the key is the text's bytes.
Status ComputeHmac(int hashId, const char* key, const Input& data, Bytes& mac);

// The body of QLK_CRYPT_GenMAC and GPKI_CRYPT_GenMAC.
Status GenerateMac(int hashId, const char* key, BINSTR* data, BINSTR* mac);

}  // namespace qlk
