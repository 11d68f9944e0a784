#include <zorvane/GenKey.h>
#include <zorvane/Util.h>

#include "session/SessionCodes.h"

namespace {

constexpr int kHalfDigest = 16;

}  // namespace

// Seeds come from the secret itself: d = H4(secret), its two 16-byte halves swapped,
// seedA = H1(swapped), seedB = H1(seedA); the derivation then runs on the secret and
// the two seeds, and only the client key and IV of the block are used.
int CGenKey::DeriveClientKeyIV(int algo, ByteString& secret, ByteString& clientKey, ByteString& clientIV) {
    ByteString digest;
    int result = m_crypto.Hash(zorvane::kHashH4, secret, digest);
    if (result != 0) return result;
    if (digest.GetLength() < 2 * kHalfDigest) return zorvane::kKeyMaterialTooShort;
    CUtil util;
    ByteString front;
    ByteString back;
    util.ByteStringMid(digest, front, 0, kHalfDigest);
    util.ByteStringMid(digest, back, kHalfDigest, kHalfDigest);
    ByteString swapped = back + front;
    ByteString seedA;
    result = m_crypto.Hash(zorvane::kHashH1, swapped, seedA);
    if (result != 0) return result;
    ByteString seedB;
    result = m_crypto.Hash(zorvane::kHashH1, seedA, seedB);
    if (result != 0) return result;
    ByteString keyBlock;
    result = MakeKDF(algo, secret, seedA, seedB, keyBlock);
    if (result != 0) return result;
    ByteString serverKey;
    ByteString serverIV;
    return GetKDFKeyIv(algo, keyBlock, clientKey, clientIV, serverKey, serverIV);
}

int CGenKey::EncKeyIV(int algo, ByteString secret, ByteString data, ByteString& out) {
    ByteString key;
    ByteString iv;
    int result = DeriveClientKeyIV(algo, secret, key, iv);
    if (result != 0) return result;
    ByteString cipherText;
    result = m_crypto.EncryptKey(algo, key, iv, data, cipherText);
    if (result != 0) return result;
    return m_crypto.Base64Enc(cipherText, out);
}

// The Base64 text is decoded before anything is derived, so malformed input costs no
// digest.
int CGenKey::DecKeyIV(int algo, ByteString secret, ByteString data, ByteString& out) {
    ByteString cipherText;
    int result = m_crypto.Base64Dec(data, cipherText);
    if (result != 0) return result;
    ByteString key;
    ByteString iv;
    result = DeriveClientKeyIV(algo, secret, key, iv);
    if (result != 0) return result;
    return m_crypto.DecryptKey(algo, key, iv, cipherText, out);
}
