#include <zorvane/ErrorLog.h>
#include <zorvane/GenKey.h>
#include <zorvane/Util.h>

#include <utility>

#include "session/KeyLayout.h"
#include "session/SessionCodes.h"

using zorvane::KeyLayout;
using zorvane::KeyLayoutFor;

namespace {

const char* const kRoundLabels[] = {"A", "BB", "CCC", "DDDD"};
const char kReportFolder[] = "C:\\Program Files\\Halvreth\\";

struct KeyPieces {
    ByteString clientKey;
    ByteString clientIV;
    ByteString serverKey;
    ByteString serverIV;
};

// Cuts the four pieces out of a key block; false, with nothing cut, when the block is
// shorter than the algorithm's layout.
bool CutKeyBlock(int algo, const ByteString& keyBlock, KeyPieces& pieces) {
    const KeyLayout layout = KeyLayoutFor(algo);
    if (keyBlock.GetLength() < layout.BlockLength()) return false;
    CUtil util;
    util.ByteStringMid(keyBlock, pieces.clientKey, layout.ClientKeyStart(), layout.keyLength);
    util.ByteStringMid(keyBlock, pieces.clientIV, layout.ClientIVStart(), layout.ivLength);
    util.ByteStringMid(keyBlock, pieces.serverKey, layout.ServerKeyStart(), layout.keyLength);
    util.ByteStringMid(keyBlock, pieces.serverIV, layout.ServerIVStart(), layout.ivLength);
    return true;
}

void FillSession(int algo, KeyPieces&& pieces, tagSESSIONINFO& session) {
    session.clientKey = std::move(pieces.clientKey);
    session.clientIV = std::move(pieces.clientIV);
    session.serverKey = std::move(pieces.serverKey);
    session.serverIV = std::move(pieces.serverIV);
    session.algo = algo;
    session.algoText.Format("%d", algo);
}

// master = H1(secret), once every input of the derivation is known to be there.
int MasterSecret(CCryptoEx& crypto, ByteString& secret, const ByteString& seed1, const ByteString& seed2,
                 ByteString& master) {
    if (secret.IsEmpty() || seed1.IsEmpty() || seed2.IsEmpty()) return zorvane::kEmptyDerivationInput;
    return crypto.Hash(zorvane::kHashH1, secret, master);
}

// The report goes to the error log's key-report hook, which writes nothing; the text
// holds key bytes and is wiped with its byte string.
void WriteKeyReport(int algo, const ByteString& keyBlock, const KeyPieces& pieces) {
    ByteString report;
    report.Format(
        "\n[ALGO : %d ]\n [KEYBLOCK : %s]\n [CLIENTKEY : %s]\n [CLIENTIV  : %s]\n [SERVERKEY : %s]\n"
        " [SERVERIV  : %s]\n ",
        algo, keyBlock.GetData(), pieces.clientKey.GetData(), pieces.clientIV.GetData(),
        pieces.serverKey.GetData(), pieces.serverIV.GetData());
    ErrorLog log;
    log.WriteLogInfo(ByteString(kReportFolder), std::move(report));
}

}  // namespace

// Four rounds, one per label: out = H4(H1(master || H1(label || master || seed))).
// Only a failed H4 ends the loop; the rounds already made stay in keyBlock.
int CGenKey::MakeKeyBlock(int, ByteString master, ByteString seed, ByteString& keyBlock) {
    for (const char* label : kRoundLabels) {
        // Appended in place: each join of operator+ would copy the key material again.
        ByteString innerInput(label);
        innerInput += master;
        innerInput += seed;
        ByteString inner;
        m_crypto.Hash(zorvane::kHashH1, innerInput, inner);
        ByteString middleInput(master);
        middleInput += inner;
        ByteString middle;
        m_crypto.Hash(zorvane::kHashH1, middleInput, middle);
        ByteString round;
        const int result = m_crypto.Hash(zorvane::kHashH4, middle, round);
        if (result != 0) return result;
        keyBlock += round;
    }
    return 0;
}

int CGenKey::MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, ByteString& keyBlock) {
    ByteString master;
    int result = MasterSecret(m_crypto, secret, seed1, seed2, master);
    if (result != 0) return result;
    keyBlock.Clear();
    ByteString made;
    result = MakeKeyBlock(algo, std::move(master), seed1 + seed2, made);
    if (result != 0) return result;
    keyBlock = std::move(made);
    return 0;
}

int CGenKey::MakeKDF(int algo, ByteString secret, ByteString seed1, ByteString seed2, tagSESSIONINFO& session) {
    ByteString master;
    int result = MasterSecret(m_crypto, secret, seed1, seed2, master);
    if (result != 0) return result;
    ByteString keyBlock;
    result = MakeKeyBlock(algo, std::move(master), seed1 + seed2, keyBlock);
    if (result != 0) return result;
    return GetSessionKey(algo, std::move(keyBlock), session);
}

int CGenKey::GetSessionKey(int algo, ByteString keyBlock, tagSESSIONINFO& session) {
    KeyPieces pieces;
    if (!CutKeyBlock(algo, keyBlock, pieces)) return zorvane::kKeyMaterialTooShort;
    WriteKeyReport(algo, keyBlock, pieces);
    FillSession(algo, std::move(pieces), session);
    return 0;
}

int CGenKey::GetKDFKeyIv(int algo, ByteString keyBlock, ByteString& clientKey, ByteString& clientIV,
                         ByteString& serverKey, ByteString& serverIV) {
    KeyPieces pieces;
    if (!CutKeyBlock(algo, keyBlock, pieces)) return zorvane::kKeyMaterialTooShort;
    clientKey = std::move(pieces.clientKey);
    clientIV = std::move(pieces.clientIV);
    serverKey = std::move(pieces.serverKey);
    serverIV = std::move(pieces.serverIV);
    return 0;
}

