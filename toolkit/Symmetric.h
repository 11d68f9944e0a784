#pragma once
// The context's symmetric key and IV and the CBC operations that use them.

#include "toolkit/Binstr.h"
#include "toolkit/Context.h"

namespace qlk {

// Checks the lengths against the cipher's table entry and keeps copies.
Status SetKeyAndIv(SymmetricState& state, int cipherId, const Input& key, const Input& iv);

// Fresh random key and IV of the cipher's lengths.
Status GenerateKeyAndIv(SymmetricState& state, int cipherId);

// CBC with PKCS#7 padding under the state's cipher, key and IV. With chaining on, the
// last cipher-text block becomes the next call's IV.
Status RunCipher(SymmetricState& state, bool encrypt, const Input& input, SecureBytes& output);

}  // namespace qlk
