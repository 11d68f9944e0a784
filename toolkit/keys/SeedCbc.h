#pragma once
// SEED-128-CBC with PKCS#7 padding through OpenSSL, whose SEED lives in the legacy provider.

#include <cstddef>

#include "toolkit/keys/SecureBytes.h"

namespace qlk::keys {

constexpr std::size_t kSeedKeyLength = 16;
constexpr std::size_t kSeedBlockLength = 16;

enum class SeedResult { Ok, BadPadding, Failed };

// Loads the "legacy" and "default" providers into the default library context, once per
// process; later calls only report the outcome of the first.
bool LoadLegacyProviders();

// key and iv are 16 bytes each.
SeedResult SeedCbcEncrypt(const unsigned char* key, const unsigned char* iv, const unsigned char* input,
                          std::size_t length, SecureBytes& output);
SeedResult SeedCbcDecrypt(const unsigned char* key, const unsigned char* iv, const unsigned char* input,
                          std::size_t length, SecureBytes& output);

}  // namespace qlk::keys
