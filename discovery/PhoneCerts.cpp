// Certificates brought over from a phone: they arrive as bytes. The caller may refuse
// accredited (NPKI) or government (GPKI) certificates; a refusal is told to the user.

#include <cstring>

#include "crypto/QlkApi.h"
#include "discovery/DiscoveryInternal.h"
#include "platform/Win32.h"

namespace {

using namespace zorvane::discovery;

enum { kToolkitNpki = 2, kAlreadyOpen = 100 };
enum { kTypeAccredited = 1, kTypeGovernment = 16 };
enum { kModeAcceptAll = 0, kModeRefuseAccredited = 1, kModeRefuseGovernment = 2 };

const char kGovernmentOrganisation[] = "Government of Korea";
const char kAccreditedRefused[] = "휴대폰으로 부터 가져온 인증서가 공인인증서 이므로 사용할 수 없습니다.";
const char kGovernmentRefused[] = "휴대폰으로 부터 가져온 인증서가 행정전자서명 인증서 이므로 사용할 수 없습니다.";

// True when the mode refuses a certificate of this type; the user is told why, except
// for unknown modes, which refuse everything silently.
bool RefusedByMode(int mode, int type) {
    const char* message = nullptr;
    if (mode == kModeRefuseAccredited && type == kTypeAccredited) message = kAccreditedRefused;
    else if (mode == kModeRefuseGovernment && type == kTypeGovernment) message = kGovernmentRefused;
    else if (mode == kModeAcceptAll || mode == kModeRefuseAccredited || mode == kModeRefuseGovernment) return false;
    if (message) MessageBoxA(nullptr, message, nullptr, MB_OK);
    return true;
}

// The certificate in a toolkit byte buffer of its own, freed on scope exit.
class CertBuffer {
public:
    explicit CertBuffer(const ByteString& cert) {
        QLK_BINSTR_Create(&m_binstr);
        QLK_BINSTR_SetData(reinterpret_cast<const unsigned char*>(cert.GetData()), cert.GetLength(), &m_binstr);
    }
    ~CertBuffer() { QLK_BINSTR_Delete(&m_binstr); }
    CertBuffer(const CertBuffer&) = delete;
    CertBuffer& operator=(const CertBuffer&) = delete;
    BINSTR& Get() { return m_binstr; }

private:
    BINSTR m_binstr = {nullptr, 0};
};

// A toolkit context of its own, finished on scope exit.
class PrivateContext {
public:
    int Open(const ByteString& workPath) { return QLK_API_Init(&m_context, workPath.GetData()); }
    ~PrivateContext() {
        if (m_context) QLK_API_Finish(&m_context);
    }
    void* Get() const { return m_context; }

private:
    void* m_context = nullptr;
};

}  // namespace

int CLoadCert::GetCertType(BINSTR cert, int* type) {
    PrivateContext context;
    int result = context.Open(m_workPath);
    if (result) return result;
    if ((result = QLK_CERT_Load(context.Get(), &cert))) return result;
    char issuer[512] = {};
    if ((result = QLK_CERT_GetIssuerName(context.Get(), sizeof(issuer), issuer))) return result;
    ByteString issuerName(issuer), organisation;
    GetOString(issuerName, organisation);
    const bool government =
        std::strncmp(organisation.GetData(), kGovernmentOrganisation, std::strlen(kGovernmentOrganisation)) == 0;
    if (type) *type = government ? kTypeGovernment : kTypeAccredited;
    return 0;
}

int CLoadCert::LoadCertsPhone(ByteString& cert, ByteString& key, int mode, int keySelector, ByteString& policies,
                              ByteString& serial, CArray<tagCERTLIST, tagCERTLIST&>& list) {
    m_keySelector = keySelector;
    m_policyText = policies;
    m_serialFilter = serial;
    if (!policies.IsEmpty()) ParsingPolicyInfo(policies);

    PrivateContext context;
    int result = context.Open(m_workPath);
    if (result) return result;

    m_toolkitKind = kToolkitNpki;
    const int opened = m_crypto.Init(kToolkitNpki, 0, 0, m_workPath);
    if (opened != 0 && opened != kAlreadyOpen) {
        m_crypto.GetErrInfo(m_errorText);
        return opened;
    }

    CertBuffer buffer(cert);
    if ((result = QLK_CERT_Load(context.Get(), &buffer.Get()))) return result;

    int type = 0;
    if ((result = GetCertType(buffer.Get(), &type))) return result;
    if (RefusedByMode(mode, type)) return result;

    if (keySelector == kSignOnly || keySelector == kKmOnly) {
        AddCertList_NPKIPhoneCert(keySelector, cert, key, list);
    } else {
        // Both slots are asked for: the same certificate is added once per slot.
        AddCertList_NPKIPhoneCert(kSignOnly, cert, key, list);
        AddCertList_NPKIPhoneCert(kKmOnly, cert, key, list);
    }
    return result;
}

int CLoadCert::AddCertList_NPKIPhoneCert(int kind, ByteString& cert, ByteString& key,
                                         CArray<tagCERTLIST, tagCERTLIST&>& list) {
    (void)kind;
    tagCERTLIST record;
    ClearCertList(record);
    record.signCert = cert;
    record.signPriKey = key;
    const int result = ParseCertificateFields(*this, record);
    if (result != 0) return result;
    AppendRecord(list, record);
    return 0;
}
