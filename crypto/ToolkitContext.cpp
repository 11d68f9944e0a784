#include "crypto/ToolkitContext.h"

#include "crypto/QlkApi.h"

namespace {

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

int CToolkitContext::MediaLoad(const char* text) { return m_lastResult = QLK_MEDIA_Load(m_context, text); }

void CToolkitContext::MediaUnload() { m_lastResult = QLK_MEDIA_Unload(m_context); }

int CToolkitContext::OpenSession(const char* sessionText) {
    return m_lastResult = QLK_PKCS11_OpenSession(m_context, sessionText);
}

int CToolkitContext::GetCertCnt(int* count) { return m_lastResult = QLK_PKCS11_GetCertCnt(m_context, count); }

int CToolkitContext::GetCertInfo(int index, int* kind, ByteString& info, ByteString& identifier) {
    LinkedBinstr infoRecord, identifierRecord;
    m_lastResult = QLK_PKCS11_GetCertInfo(m_context, index, kind, infoRecord.Record(), identifierRecord.Record());
    infoRecord.CopyTo(info);
    identifierRecord.CopyTo(identifier);
    return m_lastResult;
}

int CToolkitContext::ReadCert(const ByteString& identifier, ByteString& cert) {
    LinkedBinstr identifierRecord(identifier), certRecord;
    m_lastResult = QLK_PKCS11_ReadCert(m_context, identifierRecord.Record(), certRecord.Record());
    certRecord.CopyTo(cert);
    return m_lastResult;
}

int CToolkitContext::ReadRandomForVID(const ByteString& identifier, ByteString& random) {
    LinkedBinstr identifierRecord(identifier), randomRecord;
    m_lastResult = QLK_PKCS11_ReadRandomForVID(m_context, identifierRecord.Record(), randomRecord.Record());
    randomRecord.CopyTo(random);
    return m_lastResult;
}

int CToolkitContext::Sign(const ByteString& identifier, const ByteString& data, ByteString& signature) {
    LinkedBinstr identifierRecord(identifier), dataRecord(data), signatureRecord;
    m_lastResult =
        QLK_PKCS11_Sign(m_context, identifierRecord.Record(), dataRecord.Record(), signatureRecord.Record());
    signatureRecord.CopyTo(signature);
    return m_lastResult;
}

int CToolkitContext::CloseSession() { return m_lastResult = QLK_PKCS11_CloseSession(m_context); }
