#pragma once
// The pieces of a DER PrivateKeyInfo that the key-file code checks and rebuilds.

#include <cstddef>

#include "toolkit/keys/Der.h"

namespace qlk::keys {

struct PrivateKeyInfoParts {
    der::Reader head;        // version, algorithm and privateKey, as encoded
    der::Reader attributes;  // contents of [0] IMPLICIT SET OF Attribute; empty when absent
    der::Reader tail;        // [1] publicKey when present, as encoded
};

// True when the bytes are exactly one well-formed PrivateKeyInfo.
bool ParsePrivateKeyInfo(const unsigned char* data, std::size_t length, PrivateKeyInfoParts& parts);

}  // namespace qlk::keys
