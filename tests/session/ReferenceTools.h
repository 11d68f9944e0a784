#pragma once
#include <zorvane/ByteString.h>

#include <string>

#include "support/TestSupport.h"

// Independent checkers run as child processes: python3 hashlib for the key
// construction, the openssl command for the ciphers. Arguments are hex texts or fixed
// words, so they need no quoting.

// Standard output of the command without its line end.
inline std::string CheckerOutput(const std::string& command) {
    return zorvane::testsupport::TrimEnd(zorvane::testsupport::RunCommand(command).output);
}

inline std::string HexOf(ByteString bytes) { return std::string(bytes.ToHex().GetData()); }

inline std::string HexOf(const std::string& bytes) {
    return HexOf(ByteString(bytes.data(), static_cast<int>(bytes.size())));
}

inline std::string ReferenceScript() { return std::string(ZORVANE_TEST_SOURCE_DIR) + "/tests/session/kdf_reference.py"; }

// Key block of the construction over hex inputs.
inline std::string ReferenceKeyBlock(const std::string& secretHex, const std::string& seed1Hex,
                                     const std::string& seed2Hex) {
    return CheckerOutput("python3 " + ReferenceScript() + " block " + secretHex + " " + seed1Hex + " " + seed2Hex);
}

// Key block of the wrapping key schedule for a hex secret.
inline std::string ReferenceWrapBlock(const std::string& secretHex) {
    return CheckerOutput("python3 " + ReferenceScript() + " wrap " + secretHex);
}

// Hex of the Base64 text decoded by python.
inline std::string DecodeBase64Independently(const std::string& text) {
    return CheckerOutput("printf '%s' '" + text +
                         "' | python3 -c 'import base64,sys; print(base64.b64decode(sys.stdin.read()).hex())'");
}

// Hex of the openssl command's CBC encryption of the hex plain text.
inline std::string OpensslEncrypt(const std::string& cipher, const std::string& keyHex, const std::string& ivHex,
                                  const std::string& plainHex) {
    return CheckerOutput("python3 -c 'import sys; sys.stdout.buffer.write(bytes.fromhex(sys.argv[1]))' '" + plainHex +
                         "' | openssl enc -e -" + cipher + zorvane::testsupport::kOpenSslProviders + " -K " + keyHex +
                         " -iv " + ivHex + " | python3 -c 'import sys; print(sys.stdin.buffer.read().hex())'");
}
