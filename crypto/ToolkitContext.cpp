#include "crypto/ToolkitContext.h"

#include "crypto/QlkApi.h"

// The media and PKCS#11 functions come with toolkits that serve cards and tokens. They
// are weak references so that the library also loads beside a toolkit that lacks them;
// such a function then stays null and the context answers kFunctionNotLinked.
#pragma weak QLK_MEDIA_Load
#pragma weak QLK_MEDIA_Unload
#pragma weak QLK_PKCS11_OpenSession
#pragma weak QLK_PKCS11_GetCertCnt
#pragma weak QLK_PKCS11_GetCertInfo
#pragma weak QLK_PKCS11_ReadCert
#pragma weak QLK_PKCS11_ReadRandomForVID
#pragma weak QLK_PKCS11_Sign
#pragma weak QLK_PKCS11_CloseSession

namespace {

// Calls a linked toolkit function, or answers kFunctionNotLinked when the loaded
// toolkit does not export it.
template <typename... Parameters, typename... Arguments>
int CallLinked(int (*function)(Parameters...), Arguments... arguments) {
    return function != nullptr ? function(arguments...) : CToolkitContext::kFunctionNotLinked;
}

// A BINSTR made with the toolkit for one call and deleted with it.
class LinkedBinstr {
public:
    LinkedBinstr() { QLK_BINSTR_Create(&record_); }
    explicit LinkedBinstr(const ByteString& bytes) : LinkedBinstr() {
        QLK_BINSTR_SetData(bytes.data, bytes.length, &record_);
    }
    LinkedBinstr(const LinkedBinstr&) = delete;
    LinkedBinstr& operator=(const LinkedBinstr&) = delete;
    ~LinkedBinstr() { QLK_BINSTR_Delete(&record_); }
    BINSTR* Record() { return &record_; }
    void CopyTo(ByteString& target) const { target.SetData(record_.data, record_.length); }

private:
    BINSTR record_{nullptr, 0};
};

}  // namespace

CToolkitContext::CToolkitContext() : m_context(nullptr), m_lastResult(0) {}

CToolkitContext::~CToolkitContext() = default;

int CToolkitContext::Init(const char* path) { return m_lastResult = QLK_API_Init(&m_context, path); }

void CToolkitContext::Finish() {
    m_lastResult = QLK_API_Finish(&m_context);
    m_context = nullptr;
}

void CToolkitContext::GetErrInfo(char* text, int size) { m_lastResult = QLK_API_GetErrInfo(m_context, size, text); }

int CToolkitContext::MediaLoad(const char* text) { return m_lastResult = CallLinked(QLK_MEDIA_Load, m_context, text); }

void CToolkitContext::MediaUnload() { m_lastResult = CallLinked(QLK_MEDIA_Unload, m_context); }

int CToolkitContext::OpenSession(const char* sessionText) {
    return m_lastResult = CallLinked(QLK_PKCS11_OpenSession, m_context, sessionText);
}

int CToolkitContext::GetCertCnt(int* count) { return m_lastResult = CallLinked(QLK_PKCS11_GetCertCnt, m_context, count); }

int CToolkitContext::GetCertInfo(int index, int* kind, ByteString& info, ByteString& identifier) {
    LinkedBinstr infoRecord, identifierRecord;
    m_lastResult = CallLinked(QLK_PKCS11_GetCertInfo, m_context, index, kind, infoRecord.Record(), identifierRecord.Record());
    infoRecord.CopyTo(info);
    identifierRecord.CopyTo(identifier);
    return m_lastResult;
}

int CToolkitContext::ReadCert(const ByteString& identifier, ByteString& cert) {
    LinkedBinstr identifierRecord(identifier), certRecord;
    m_lastResult = CallLinked(QLK_PKCS11_ReadCert, m_context, identifierRecord.Record(), certRecord.Record());
    certRecord.CopyTo(cert);
    return m_lastResult;
}

int CToolkitContext::ReadRandomForVID(const ByteString& identifier, ByteString& random) {
    LinkedBinstr identifierRecord(identifier), randomRecord;
    m_lastResult = CallLinked(QLK_PKCS11_ReadRandomForVID, m_context, identifierRecord.Record(), randomRecord.Record());
    randomRecord.CopyTo(random);
    return m_lastResult;
}

int CToolkitContext::Sign(const ByteString& identifier, const ByteString& data, ByteString& signature) {
    LinkedBinstr identifierRecord(identifier), dataRecord(data), signatureRecord;
    m_lastResult =
        CallLinked(QLK_PKCS11_Sign, m_context, identifierRecord.Record(), dataRecord.Record(), signatureRecord.Record());
    signatureRecord.CopyTo(signature);
    return m_lastResult;
}

int CToolkitContext::CloseSession() { return m_lastResult = CallLinked(QLK_PKCS11_CloseSession, m_context); }
