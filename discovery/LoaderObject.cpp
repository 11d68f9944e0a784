// CLoadCert's construction and destruction.

#include <zorvane/LoadCert.h>

CLoadCert::CLoadCert()
    : m_keySelector(0), m_media(0), m_toolkitKind(0), m_policyMap(10), m_issuerMap(10), m_folderMap(10),
      m_counter(0) {
    m_issuerMap.RemoveAll();
    m_folderMap.RemoveAll();
    m_policyFilter.RemoveAll();
    m_text = "";
}

CLoadCert::CLoadCert(ByteString& workPath) : CLoadCert() {
    m_workPath = workPath;
    // A damaged or missing IssuerOid.conf leaves its message in m_errorText; the object
    // stays usable with whatever the maps received.
    MakeMap(workPath);
}

CLoadCert::CLoadCert(ByteString& workPath, ByteString& text2, ByteString& pkcs11Module) : CLoadCert(workPath) {
    m_text2 = text2;
    m_pkcs11Module = pkcs11Module;
}

CLoadCert::~CLoadCert() {
    m_workPath.Clear();
    m_policyText.Clear();
    m_keySelector = 0;
    m_media = 0;
    m_toolkitKind = 0;
    m_crypto.Close();
    m_policyMap.RemoveAll();
    m_issuerMap.RemoveAll();
    m_folderMap.RemoveAll();
    m_policyFilter.RemoveAll();
    m_driveList.RemoveAll();
    m_counter = 0;
    m_text = "";
}
