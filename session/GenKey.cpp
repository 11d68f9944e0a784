#include <zorvane/GenKey.h>

CGenKey::CGenKey() = default;

CGenKey::CGenKey(int type, int cipherAlg, int hashAlg, ByteString workFolder) {
    m_crypto.Init(type, cipherAlg, hashAlg, workFolder);
}

CGenKey::CGenKey(const CGenKey& other) = default;

CGenKey& CGenKey::operator=(const CGenKey& other) = default;

CGenKey::~CGenKey() { m_crypto.Close(); }

// A failed load shows at the first toolkit call (not-loaded codes), so it is not
// reported here.
int CGenKey::Init(int type, int cipherAlg, int hashAlg, ByteString workFolder) {
    m_crypto.Init(type, cipherAlg, hashAlg, workFolder);
    return 0;
}

void CGenKey::GetErrInfo(ByteString& text) { m_crypto.GetErrInfo(text); }
