#pragma once

namespace zorvane {

// Results of the session-key operations (0 is success).
enum SessionCode {
    kEmptyDerivationInput = 105,  // the secret or a seed is empty
    kKeyMaterialTooShort = 106,   // a key block or digest shorter than the algorithm needs
};

// The toolkit's hash identifiers used by the derivation.
enum SessionHash {
    kHashH1 = 1,  // SHA-1
    kHashH4 = 4,  // SHA-256; at least 32 bytes
};

}  // namespace zorvane
