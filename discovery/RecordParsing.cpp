// One certificate into one tagCERTLIST record: file reads, toolkit field reads, the
// caller's subject/serial/policy filters, display names. Also the one-shot GetCertInfo
// and the date test CheckCertValidity.

#include <ctime>
#include <string>

#include "core/FileLoading.h"
#include "discovery/DiscoveryInternal.h"
#include "platform/Win32.h"

namespace {

using namespace zorvane::discovery;

enum {
    kAccepted = 0,
    kToolkitFailed = 1,
    kFilteredOut = -1,
    kCertFileUnreadable = 300,
    kKeyFileUnreadable = 301,
    kCertFileTooLarge = 302,
    kKeyFileTooLarge = 303,
    kNoPolicyExtension = 1502,
    kAlreadyOpen = 100,
};

enum { kMediaCard = 3, kMediaToken = 4 };
enum { kHashSha1 = 1 };

// A failed step leaves the toolkit's own explanation with the object.
int Fail(CLoadCert& loader, int code) {
    loader.m_crypto.GetErrInfo(loader.m_errorText);
    return code;
}

// Filters compare lowercased, space-free texts. The stored filter itself is lowercased
// in place, so it stays lowercased for the rest of the object's life.
bool MatchesFilter(CLoadCert& loader, ByteString& filter, const ByteString& value) {
    loader.ToLower(reinterpret_cast<unsigned char*>(filter.GetData()));
    return WithoutSpaces(View(filter)) == WithoutSpaces(LowerAscii(View(value)));
}

bool IsPolicyReadOk(int result) { return result == 0 || result == kNoPolicyExtension; }

void SetIssuerAlias(CLoadCert& loader, tagCERTLIST& record) {
    if (loader.m_issuerMap.Lookup(record.issuerCN, record.issuerAlias)) return;
    if (record.certType == kStorePrivate) {
        // Private CAs are not in IssuerOid.conf; their organisation names them.
        record.issuerAlias.Clear();
        loader.GetOString(record.issuerName, record.issuerAlias);
        return;
    }
    record.issuerAlias = record.issuerCN;
}

// The key-management pair is optional: a pair that cannot be read leaves its fields empty.
void LoadOptionalFile(ByteString& field, const ByteString& path) {
    if (LoadStoreFile(field, path) != 0) field.Clear();
}

}  // namespace

namespace zorvane::discovery {

int ParseCertificateFields(CLoadCert& loader, tagCERTLIST& record) {
    CCryptoEx& crypto = loader.m_crypto;
    if (crypto.LoadCert(record.signCert)) return Fail(loader, kToolkitFailed);

    int version = 0;
    const int versionResult = crypto.GetCertVersion(version);
    record.version.Format("V%d", version);
    if (versionResult) return Fail(loader, kToolkitFailed);

    if (crypto.GetSerialNo(record.serialNo)) return Fail(loader, kToolkitFailed);
    if (crypto.GetSignAlgo(record.signAlgo)) return Fail(loader, kToolkitFailed);
    if (crypto.GetSubjectName(record.subjectName)) return Fail(loader, kToolkitFailed);

    if (!loader.m_subjectFilter.IsEmpty() && !MatchesFilter(loader, loader.m_subjectFilter, record.subjectName))
        return Fail(loader, kFilteredOut);
    if (!loader.m_serialFilter.IsEmpty() && !MatchesFilter(loader, loader.m_serialFilter, record.serialNo))
        return Fail(loader, kFilteredOut);

    ByteString keyLength;
    if (crypto.GetUID(record.uid)) return Fail(loader, kToolkitFailed);
    if (crypto.GetPubKey(record.pubKey)) return Fail(loader, kToolkitFailed);
    if (crypto.GetPubKeyAlgo(record.pubKeyAlgo)) return Fail(loader, kToolkitFailed);
    if (crypto.GetPubKeyLen(keyLength)) return Fail(loader, kToolkitFailed);
    if (record.pubKeyAlgo != "UNKNOWN") record.pubKeyAlgo += ByteString(" ") + keyLength;

    if (crypto.GetKeyUsage(record.keyUsage)) return Fail(loader, kToolkitFailed);
    if (crypto.GetCRLDP(record.crlDP)) return Fail(loader, kToolkitFailed);

    int result = crypto.GetPolicy(record.policy);
    if (!IsPolicyReadOk(result)) return Fail(loader, result);
    result = crypto.GetPolicyID(record.policyID);
    if (!IsPolicyReadOk(result)) return Fail(loader, result);

    if (!loader.m_policyFilter.IsEmpty() && loader.CheckPolicyID(record) != 0) return Fail(loader, kToolkitFailed);

    // The issuer is read after the policy names, so the TradeSign rule sees the issuer CN
    // that the working record already holds.
    loader.MakeCommonPolicyID(record);
    if (loader.GetPolicyName(record.policyID, record.policyName) != 0) record.policyName = record.policyID;

    if (crypto.GetIssuerName(record.issuerName)) return Fail(loader, kToolkitFailed);
    loader.GetCNString(record.issuerName, record.issuerCN);
    SetIssuerAlias(loader, record);

    if (crypto.GetValidity(record.validFrom, record.validTo, record.validToDate, record.validDays))
        return Fail(loader, kToolkitFailed);

    crypto.GetSubjectAltName(record.subjectAltName);
    if (crypto.GetAuthKeyID(record.authKeyID)) return Fail(loader, kToolkitFailed);
    if (crypto.GetSubKeyID(record.subKeyID)) return Fail(loader, kToolkitFailed);
    if (crypto.GetAIA(record.aia)) return Fail(loader, kToolkitFailed);

    ByteString digest;
    if (crypto.Hash(kHashSha1, record.signCert, digest)) return Fail(loader, kToolkitFailed);
    record.hashValue = digest.ToHex();
    record.hashAlgo = "sha1";
    return kAccepted;
}

}  // namespace zorvane::discovery

int CLoadCert::InsertParsingCert(tagCERTLIST& record) {
    record.mediaType = m_media;
    if (m_media != kMediaCard && m_media != kMediaToken) {
        int loaded = LoadStoreFile(record.signCert, record.signCertPath);
        if (loaded != 0) return loaded == zorvane::kFileTooLarge ? kCertFileTooLarge : kCertFileUnreadable;
        loaded = LoadStoreFile(record.signPriKey, record.signPriKeyPath);
        if (loaded != 0) return loaded == zorvane::kFileTooLarge ? kKeyFileTooLarge : kKeyFileUnreadable;
        if (m_keySelector == kSignAndKm) {
            LoadOptionalFile(record.kmCert, record.kmCertPath);
            LoadOptionalFile(record.kmPriKey, record.kmPriKeyPath);
        }
    }
    return ParseCertificateFields(*this, record);
}

int CLoadCert::GetCertInfo(int toolkitKind, ByteString& cert, ByteString& encryptedKey, ByteString& password,
                           ByteString& privateKey, ByteString& serial, ByteString& random) {
    const int opened = m_crypto.Init(toolkitKind, 0, 0, m_workPath);
    if (opened != 0 && opened != kAlreadyOpen) return Fail(*this, opened);
    if (m_crypto.LoadCert(cert)) return Fail(*this, kToolkitFailed);
    if (m_crypto.PriKeyDecrypt(password, encryptedKey, privateKey)) return Fail(*this, kToolkitFailed);
    if (m_crypto.GetSerialNo(serial)) return Fail(*this, kToolkitFailed);
    m_crypto.GetRandomNo(privateKey, random);  // keys without a random value are fine
    return 0;
}

int CLoadCert::CheckCertValidity(ByteString& notBefore, ByteString& notAfter) {
    char now[32] = {};
    const std::time_t seconds = std::time(nullptr);
    // localtime_r reads the zone once per process; localtime reads the zone file again
    // on every call, once per certificate of a walk.
    std::tm local{};
    if (!localtime_r(&seconds, &local) || !std::strftime(now, sizeof(now), "%Y-%m-%d %H:%M:%S", &local)) return 0;
    return lstrcmpA(now, notBefore.GetData()) > 0 && lstrcmpA(now, notAfter.GetData()) <= 0 ? 1 : 0;
}
