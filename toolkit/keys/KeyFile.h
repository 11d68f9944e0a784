#pragma once
// Korean private-key files: PKCS#8 EncryptedPrivateKeyInfo under seedCBCWithSHA1
// (PBKDF1-SHA1), PBES2 with PBKDF2-HMAC-SHA1 and SEED-CBC, and the old seedCBC outer
// form; and the randomNum attribute that carries the VID random value.

#include <cstddef>
#include <string>

#include "toolkit/keys/SecureBytes.h"

namespace qlk::keys {

enum class KeyFileStatus {
    Ok = 0,
    Malformed,             // not an EncryptedPrivateKeyInfo, or bad parameters
    UnsupportedAlgorithm,  // an outer algorithm or PRF we do not read
    WrongPassword,         // padding or inner structure wrong after decryption
    NoRandom,              // the PrivateKeyInfo carries no randomNum attribute
    InternalError,         // OpenSSL failed for another reason
};

enum class KeyFileScheme { SeedCbcWithSha1, Pbes2Seed };

const char* KeyFileStatusText(KeyFileStatus status);

// Decrypts a key file into the DER PrivateKeyInfo it protects (attributes included).
KeyFileStatus DecryptKeyFile(const unsigned char* file, std::size_t fileLength, const char* password,
                             std::size_t passwordLength, SecureBytes& privateKeyInfo);

// Encrypts a DER PrivateKeyInfo into a key file with a fresh 8-byte salt.
KeyFileStatus EncryptKeyFile(const unsigned char* privateKeyInfo, std::size_t length, const char* password,
                             std::size_t passwordLength, KeyFileScheme scheme, int iterations,
                             Bytes& file);

// The 20-byte randomNum value (without the unused-bits byte) of a DER PrivateKeyInfo.
KeyFileStatus ExtractRandomNum(const unsigned char* privateKeyInfo, std::size_t length, Bytes& random);

// A DER PrivateKeyInfo of the given key with a randomNum attribute holding random.
KeyFileStatus AttachRandomNum(const unsigned char* privateKeyInfo, std::size_t length, const Bytes& random,
                              SecureBytes& withRandom);

}  // namespace qlk::keys
