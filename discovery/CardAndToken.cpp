// Smart cards (read through the storage driver NpkiCard.dll) and PKCS#11 tokens (read
// through the toolkit functions the library links directly).

#include <cstring>
#include <vector>

#include "crypto/ToolkitContext.h"
#include "discovery/DiscoveryInternal.h"

namespace {

using namespace zorvane::discovery;

enum { kMediaCard = 2, kEmptySlot = 2502, kModuleAlreadyLoaded = 2509 };
enum { kKindSigning = 1, kKindKeyManagement = 2 };
enum { kMaskBoth = 0, kMaskGpki = 1, kMaskNpki = 2 };

const char kTokenUnreadable[] = "보안토큰에 있는 인증서를 읽을 수 없습니다.";
const char kCardDriver[] = "NpkiCard.dll";

struct CardPair {
    int signingSlot;
    int kmSlot;
    int certType;
};
constexpr CardPair kGpkiPair{16, 32, kStoreGpki};
constexpr CardPair kNpkiPair{1, 2, kStoreNpki};

std::vector<CardPair> PairsForMask(int storeMask) {
    switch (storeMask) {
    case kMaskBoth: return {kGpkiPair, kNpkiPair};
    case kMaskGpki: return {kGpkiPair};
    case kMaskNpki: return {kNpkiPair};
    default: return {};
    }
}

struct TokenEntry {
    ByteString info, cert, identifier, random;
};

// One token conversation: its own toolkit context, module and session, all closed on
// destruction once opening has begun.
class TokenConversation {
public:
    TokenConversation() { std::memset(m_errorText, 0, sizeof m_errorText); }
    ~TokenConversation() {
        m_toolkit.CloseSession();
        m_toolkit.MediaUnload();
        m_toolkit.Finish();
    }
    TokenConversation(const TokenConversation&) = delete;
    TokenConversation& operator=(const TokenConversation&) = delete;

    // Opens the toolkit, loads the module (once more after 2509) and opens a session.
    int Open(ByteString& module, const char* sessionText) {
        if (const int opened = m_toolkit.Init(".")) return Failed(opened);
        int loaded = m_toolkit.MediaLoad(module.GetData());
        if (loaded == kModuleAlreadyLoaded) {
            m_toolkit.CloseSession();
            m_toolkit.MediaUnload();
            loaded = m_toolkit.MediaLoad(module.GetData());
        }
        if (loaded != 0) return Failed(loaded);
        return Check(m_toolkit.OpenSession(sessionText));
    }

    // A toolkit result; a failure also fetches the toolkit's text.
    int Check(int result) { return result == 0 ? 0 : Failed(result); }

    CToolkitContext& Toolkit() { return m_toolkit; }
    const char* ErrorText() const { return m_errorText; }

private:
    int Failed(int result) {
        m_toolkit.GetErrInfo(m_errorText, sizeof m_errorText);
        m_errorText[sizeof m_errorText - 1] = '\0';
        return result;
    }

    CToolkitContext m_toolkit;
    char m_errorText[1024];
};

// Reads the token's objects into the signing and key-management lists.
int ReadTokenEntries(TokenConversation& token, int keySelector, std::vector<TokenEntry>& signing,
                     std::vector<TokenEntry>& keyManagement) {
    CToolkitContext& toolkit = token.Toolkit();
    int count = 0;
    if (const int failed = token.Check(toolkit.GetCertCnt(&count))) return failed;
    for (int index = 0; index < count; ++index) {
        TokenEntry entry;
        int kind = 0;
        if (const int failed = token.Check(toolkit.GetCertInfo(index, &kind, entry.info, entry.identifier))) return failed;
        if (const int failed = token.Check(toolkit.ReadCert(entry.identifier, entry.cert))) return failed;
        if (kind == kKindSigning && (keySelector == kSignAndKm || keySelector == kSignOnly)) {
            toolkit.ReadRandomForVID(entry.identifier, entry.random);
            signing.push_back(entry);
        } else if (kind == kKindKeyManagement && (keySelector == kSignAndKm || keySelector == kKmOnly)) {
            keyManagement.push_back(entry);
        }
    }
    return 0;
}

// The first key-management entry whose info text equals the signing entry's.
const TokenEntry* MatchingKeyManagement(const TokenEntry& signing, const std::vector<TokenEntry>& keyManagement) {
    for (const TokenEntry& km : keyManagement) {
        if (std::strcmp(km.info.GetData(), signing.info.GetData()) == 0) return &km;
    }
    return nullptr;
}

}  // namespace

int CLoadCert::AddCertList_CARD(int storeMask, int keySelector, ByteString& mediaText, int mediaInt,
                                CArray<tagCERTLIST, tagCERTLIST&>& list, int& count) {
    ByteString driver = m_workPath + "\\" + (mediaInt == 0 ? kCardDriver : "");
    if (const int loaded = m_crypto.LoadStorage(driver)) {
        m_crypto.GetErrInfo(m_errorText);
        return loaded;
    }
    tagCERTLIST record;
    int appended = 0;
    int result = 0;
    for (const CardPair& pair : PairsForMask(storeMask)) {
        ClearCertList(record);
        const bool signing = keySelector == kSignAndKm || keySelector == kSignOnly;
        if (!signing && keySelector != kKmOnly) continue;
        ByteString& target = signing ? record.signCert : record.kmCert;
        result = m_crypto.ReadCertFromStorage(kMediaCard, mediaText, signing ? pair.signingSlot : pair.kmSlot, target);
        if (result == kEmptySlot) {
            result = 0;
            continue;
        }
        if (result != 0) {
            m_crypto.GetErrInfo(m_errorText);
            continue;
        }
        if (keySelector == kSignAndKm) m_crypto.ReadCertFromStorage(kMediaCard, mediaText, pair.kmSlot, record.kmCert);
        result = InsertParsingCert(record);
        if (result == 0) {
            record.certType = pair.certType;
            AppendRecord(list, record);
            ++appended;
        }
    }
    count = appended;
    return result;
}

int CLoadCert::InsertPriKeyFromCARD(ByteString& text1, ByteString& text2, tagCERTLIST& record) {
    const CardPair* pair = record.certType == kStoreGpki ? &kGpkiPair : record.certType == kStoreNpki ? &kNpkiPair : nullptr;
    if (pair == nullptr) return 0;
    int result = 0;
    if (m_keySelector == kKmOnly) {
        result = m_crypto.ReadPriKeyFromStroage(kMediaCard, text1, text2, pair->kmSlot, record.kmPriKey);
    } else {
        result = m_crypto.ReadPriKeyFromStroage(kMediaCard, text1, text2, pair->signingSlot, record.signPriKey);
        if (m_keySelector != kSignOnly) m_crypto.ReadPriKeyFromStroage(kMediaCard, text1, text2, pair->kmSlot, record.kmPriKey);
    }
    if (result != 0) m_crypto.GetErrInfo(m_errorText);
    return result;
}

int CLoadCert::AddCertList_PKCS11(int, int keySelector, ByteString&, CArray<tagCERTLIST, tagCERTLIST&>& list,
                                  ByteString& module, int& count) {
    std::vector<TokenEntry> signing, keyManagement;
    int result = 0;
    int appended = 0;
    TokenConversation token;
    result = token.Open(module, nullptr);
    if (result == 0) result = ReadTokenEntries(token, keySelector, signing, keyManagement);
    if (result == 0) {
        const bool kmOnly = keySelector == kKmOnly;
        tagCERTLIST record;
        for (const TokenEntry& entry : kmOnly ? keyManagement : signing) {
            ClearCertList(record);
            record.signCert = entry.cert;
            record.signPriKey = entry.identifier;
            if (!kmOnly) record.reserved1 = entry.random;
            const TokenEntry* km = keySelector == kSignAndKm ? MatchingKeyManagement(entry, keyManagement) : nullptr;
            if (km != nullptr) {
                record.kmCert = km->cert;
                record.kmPriKey = km->identifier;
            }
            result = InsertParsingCert(record);
            if (result == 0) {
                AppendRecord(list, record);
                ++appended;
            }
        }
        count = appended;
    }
    if (result != 0) {
        m_errorText = kTokenUnreadable;
        m_spareText = token.ErrorText();
    }
    return result;
}

int CLoadCert::LoadPKCS11PriKeyRandom(ByteString& module, char* sessionText, ByteString& identifier,
                                      ByteString& random) {
    TokenConversation token;
    int result = token.Open(module, sessionText);
    if (result == 0) result = token.Check(token.Toolkit().ReadRandomForVID(identifier, random));
    if (result != 0) {
        m_errorText = kTokenUnreadable;
        m_spareText = token.ErrorText();
    }
    return result;
}

int CLoadCert::GetPKCS11Signature(ByteString& data, ByteString& module, char* sessionText, ByteString& identifier,
                                  ByteString& signature) {
    TokenConversation token;
    int result = token.Open(module, sessionText);
    if (result == 0) {
        ByteString random;
        token.Toolkit().ReadRandomForVID(identifier, random);
        result = token.Check(token.Toolkit().Sign(identifier, data, signature));
    }
    if (result != 0) {
        m_errorText = kTokenUnreadable;
        m_spareText = token.ErrorText();
    }
    return result;
}
