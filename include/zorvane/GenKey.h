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
    CGenKey();  // no toolkit loaded
    // Arguments as CCryptoEx::Init: toolkit type, default cipher and hash, work folder.
    CGenKey(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    CGenKey(const CGenKey& other);
    CGenKey& operator=(const CGenKey& other);
    virtual ~CGenKey();

    // Always 0: a toolkit that did not load shows at the first call (100/101).
    int Init(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    void GetErrInfo(ByteString& text);  // the toolkit's text of its last failure

    // algo: the channel's cipher (32 3DES: key 24, IV 8 bytes; 240 ARIA-256: 32 and 32;
    // any other: 16 and 16). secret: the shared secret; seed1, seed2: the two ends' seeds.
    // Fills session's algo, keys and IVs from the derived key block.
    int MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, tagSESSIONINFO& session);
    int MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, ByteString& keyBlock);
    // Cuts a key block made by MakeKDF into the keys and IVs; always 0.
    int GetSessionKey(int algo, ByteString keyBlock, tagSESSIONINFO& session);
    int GetKDFKeyIv(int algo, ByteString keyBlock, ByteString& clientKey, ByteString& clientIV,
                    ByteString& serverKey, ByteString& serverIV);

    // Encrypts data under a key and IV derived from secret; out is Base64 text.
    int EncKeyIV(int algo, ByteString secret, ByteString data, ByteString& out);
    // The reverse: data is EncKeyIV's Base64 text, out the plain bytes.
    int DecKeyIV(int algo, ByteString secret, ByteString data, ByteString& out);

    CCryptoEx m_crypto;

protected:
    int MakeKeyBlock(int algo, ByteString master, ByteString seed, ByteString& keyBlock);

private:
    int DeriveClientKeyIV(int algo, ByteString& secret, ByteString& clientKey, ByteString& clientIV);
};
