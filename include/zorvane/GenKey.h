#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/CryptoEx.h>
#include <zorvane/Export.h>

// The keys and IVs of both ends of a secure channel. The leading three fields belong to
// the caller (the library neither reads nor writes them); the derivation fills the six
// fields from algoText on.
struct tagSESSIONINFO {
    ByteString sessionId;
    ByteString clientSeed;
    ByteString serverSeed;

    ByteString algoText;
    int algo = 0;
    ByteString serverKey;
    ByteString serverIV;
    ByteString clientKey;
    ByteString clientIV;
};

// Derives channel keys from a shared secret and two seeds, and wraps key material under
// a secret. Every digest, cipher and Base64 step goes through the owned facade.
//
// Results: 0 success; 105 an empty secret or seed; 106 a key block (or a digest) shorter
// than the algorithm needs, nothing cut from it; anything else is the facade's code.
class ZORVANE_API CGenKey {
public:
    CGenKey();
    CGenKey(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    CGenKey(const CGenKey& other);
    CGenKey& operator=(const CGenKey& other);
    virtual ~CGenKey();

    int Init(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    void GetErrInfo(ByteString& text);

    int MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, tagSESSIONINFO& session);
    int MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, ByteString& keyBlock);
    int GetSessionKey(int algo, ByteString keyBlock, tagSESSIONINFO& session);
    int GetKDFKeyIv(int algo, ByteString keyBlock, ByteString& clientKey, ByteString& clientIV,
                    ByteString& serverKey, ByteString& serverIV);

    int EncKeyIV(int algo, ByteString secret, ByteString data, ByteString& out);
    int DecKeyIV(int algo, ByteString secret, ByteString data, ByteString& out);

    CCryptoEx m_crypto;

protected:
    int MakeKeyBlock(int algo, ByteString master, ByteString seed, ByteString& keyBlock);

private:
    int DeriveClientKeyIV(int algo, ByteString& secret, ByteString& clientKey, ByteString& clientIV);
};
