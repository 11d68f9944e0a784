#pragma once
#include <zorvane/ByteString.h>

#include <string>

#include "support/TestSupport.h"

// Independent checkers run as child processes: python3 hashlib for the key
// construction (kdf_reference.py), the openssl command for Base64 and the ciphers.
// Arguments are hex texts or fixed words, so they need no quoting.

inline std::string CheckerOutput(const std::string& command) {
    return zorvane::testsupport::TrimEnd(zorvane::testsupport::RunCommand(command).output);
}

inline std::string HexOf(ByteString bytes) { return std::string(bytes.ToHex().GetData()); }

// mode "block SECRET SEED1 SEED2" or "wrap SECRET": the key block, in hex.
inline std::string ReferenceBlock(const std::string& arguments) {
    return CheckerOutput("python3 " + std::string(ZORVANE_TEST_SOURCE_DIR) + "/tests/session/kdf_reference.py " +
                         arguments);
}

// Base64 of the openssl command's CBC encryption of the hex plain text.
inline std::string OpensslEncryptBase64(const std::string& cipher, const std::string& keyHex,
                                        const std::string& ivHex, const std::string& plainHex) {
    return CheckerOutput("printf '" + plainHex + "' | xxd -r -p | openssl enc -e -a -A -" + cipher +
                         zorvane::testsupport::kOpenSslProviders + " -K " + keyHex + " -iv " + ivHex);
}
