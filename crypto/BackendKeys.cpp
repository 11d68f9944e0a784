// Random numbers, symmetric keys and ciphers, hashes, MACs, encodings and the
// password-protected private-key operations, shared by both backends.
#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

int CToolkitBackend::GenerateRandom(int length, ByteString& random) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_GenRandom), length, Out(random));
}

int CToolkitBackend::GenerateKey(ByteString& key, ByteString& iv) { return GenerateKey(m_cipherAlg, key, iv); }

int CToolkitBackend::GenerateKey(int cipherAlg, ByteString& key, ByteString& iv) {
    const int result = Invoke(QLK_FUNCTION(QLK_CRYPT_GenKeyAndIV), cipherAlg);
    if (result != 0) return result;
    return GetKeyAndIV(cipherAlg, key, iv);
}

// The backend that mirrors key and IV keeps them when the call ended as the rule says.
void CToolkitBackend::KeepKeyAndIV(CopyRule rule, const CallOutcome& outcome, const ByteString& key,
                                   const ByteString& iv) {
    if (!m_traits.keepsKeyAndIV || outcome.reach == Reach::NotLoaded) return;
    if (!CopiesOutput(rule, outcome)) return;
    m_key = key;
    m_iv = iv;
}

int CToolkitBackend::SetKeyAndIV(const ByteString& key, const ByteString& iv) {
    return SetKeyAndIV(m_cipherAlg, key, iv);
}

int CToolkitBackend::SetKeyAndIV(int cipherAlg, const ByteString& key, const ByteString& iv) {
    const CallOutcome outcome = Call(UsualFrame(), QLK_FUNCTION(QLK_CRYPT_SetKeyAndIV), cipherAlg, In(key), In(iv));
    // Kept after success or a missing function, not after a toolkit error.
    KeepKeyAndIV(CopyRule::ByBackend, outcome, key, iv);
    return outcome.result;
}

int CToolkitBackend::GetKeyAndIV(ByteString& key, ByteString& iv) { return GetKeyAndIV(m_cipherAlg, key, iv); }

// The toolkit may rewrite the algorithm it is handed; that value is dropped. The
// backend that mirrors key and IV takes them (and keeps them) only from a successful
// call; the other copies them in every case.
int CToolkitBackend::GetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv) {
    int algorithm = cipherAlg;
    const CopyRule rule = m_traits.keepsKeyAndIV ? CopyRule::OnSuccess : CopyRule::Always;
    const CallOutcome outcome =
        Call(UsualFrame(), QLK_FUNCTION(QLK_CRYPT_GetKeyAndIV), &algorithm, Out(key, rule), Out(iv, rule));
    KeepKeyAndIV(rule, outcome, key, iv);
    return outcome.result;
}

// Key and IV are set in the context first, so every call stands on its own.
int CToolkitBackend::SymmetricCipher(ToolkitFunction<decltype(&QLK_CRYPT_Encrypt)> function, int cipherAlg,
                                     const ByteString& key, const ByteString& iv, const ByteString& input,
                                     ByteString& result) {
    if (!Loaded()) return m_traits.notLoaded;
    const int keyResult = SetKeyAndIV(cipherAlg, key, iv);
    if (keyResult != 0) return keyResult;
    return Invoke(function, In(input), Out(result));
}

int CToolkitBackend::EncryptKey(const ByteString& input, ByteString& result) {
    return EncryptKey(m_cipherAlg, m_key, m_iv, input, result);
}

int CToolkitBackend::EncryptKey(const ByteString& key, const ByteString& iv, const ByteString& input,
                                ByteString& result) {
    return EncryptKey(m_cipherAlg, key, iv, input, result);
}

int CToolkitBackend::EncryptKey(int cipherAlg, const ByteString& key, const ByteString& iv, const ByteString& input,
                                ByteString& result) {
    return SymmetricCipher(QLK_FUNCTION(QLK_CRYPT_Encrypt), cipherAlg, key, iv, input, result);
}

int CToolkitBackend::DecryptKey(const ByteString& input, ByteString& result) {
    return DecryptKey(m_cipherAlg, m_key, m_iv, input, result);
}

int CToolkitBackend::DecryptKey(const ByteString& key, const ByteString& iv, const ByteString& input,
                                ByteString& result) {
    return DecryptKey(m_cipherAlg, key, iv, input, result);
}

int CToolkitBackend::DecryptKey(int cipherAlg, const ByteString& key, const ByteString& iv, const ByteString& input,
                                ByteString& result) {
    return SymmetricCipher(QLK_FUNCTION(QLK_CRYPT_Decrypt), cipherAlg, key, iv, input, result);
}

int CToolkitBackend::AsymEncrypt(int p1, const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_AsymEncrypt), p1, In(in1), In(in2), Out(result));
}

int CToolkitBackend::AsymDecrypt(int p1, const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_AsymDecrypt), p1, In(in1), In(in2), Out(result));
}

int CToolkitBackend::Hash(const ByteString& input, ByteString& digest) { return Hash(m_hashAlg, input, digest); }

int CToolkitBackend::Hash(int hashAlg, const ByteString& input, ByteString& digest) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_Hash), hashAlg, In(input), Out(digest));
}

int CToolkitBackend::VerifyMAC(int p1, const ByteString& in2, const ByteString& in3, const ByteString& in4) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_VerifyMAC), p1, in2.GetData(), In(in3), In(in4));
}

int CToolkitBackend::Base64Enc(const ByteString& input, ByteString& result) {
    return Invoke(QLK_FUNCTION(QLK_BASE64_Encode), In(input), Out(result));
}

// Decoded straight into the result's own block when the toolkit offers it: a large
// message is then neither copied out of a toolkit record nor wiped twice.
int CToolkitBackend::Base64Dec(const ByteString& input, ByteString& result) {
    if (Loaded() && Find(QLK_FUNCTION(QLK_BASE64_DecodeInto))) {
        const int capacity = input.length > 0 ? input.length / 4 * 3 : 0;
        return Invoke(QLK_FUNCTION(QLK_BASE64_DecodeInto), In(input), Filled(result, capacity));
    }
    return Invoke(QLK_FUNCTION(QLK_BASE64_Decode), In(input), Out(result));
}

int CToolkitBackend::EncodePEM(int p1, const ByteString& input, ByteString& pem) {
    return Invoke(CallFrame{kNotLoadedGpki}, QLK_FUNCTION(QLK_PEM_Encode), p1, In(input), Out(pem));
}

int CToolkitBackend::DecodePEM(const ByteString& pem, ByteString& result) {
    return Invoke(CallFrame{kNotLoadedGpki}, QLK_FUNCTION(QLK_PEM_Decode), In(pem), Out(result));
}

int CToolkitBackend::PriKeyEncrypt(int p1, const ByteString& password, const ByteString& privateKey,
                                   ByteString& encrypted) {
    return Invoke(QLK_FUNCTION(QLK_PRIKEY_Encrypt), p1, password.GetData(), In(privateKey), Out(encrypted));
}

int CToolkitBackend::PriKeyDecrypt(const ByteString& password, const ByteString& encrypted,
                                   ByteString& privateKey) {
    return Invoke(QLK_FUNCTION(QLK_PRIKEY_Decrypt), password.GetData(), In(encrypted), Out(privateKey));
}

int CToolkitBackend::PriKeyChangePass(const ByteString& oldPassword, const ByteString& newPassword,
                                      const ByteString& encrypted, ByteString& reencrypted) {
    return Invoke(QLK_FUNCTION(QLK_PRIKEY_ChangePasswd), oldPassword.GetData(), newPassword.GetData(),
                  In(encrypted), Out(reencrypted));
}

int CToolkitBackend::PriKeyCheckKeyPair(const ByteString& in1, const ByteString& in2) {
    return Invoke(QLK_FUNCTION(QLK_PRIKEY_CheckKeyPair), In(in1), In(in2));
}

}  // namespace zorvane
