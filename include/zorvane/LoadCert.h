#pragma once
#include <zorvane/Binstr.h>
#include <zorvane/ByteString.h>
#include <zorvane/Collections.h>
#include <zorvane/CryptoEx.h>
#include <zorvane/Export.h>

// One discovered certificate, ready for a certificate-selection dialog. The field order
// is part of the exported layout: callers hold these records in their own arrays.
// Copies are deep (every ByteString owns its block); no field points into another.
struct tagCERTLIST {
    ByteString signCert;        // DER of the certificate (or of the key-management one, selector 2)
    ByteString signPriKey;      // the encrypted private-key file's bytes
    ByteString kmCert;          // DER of the key-management certificate (selector 0)
    ByteString kmPriKey;        // its encrypted private-key file's bytes (selector 0)
    ByteString version;         // "V%d"
    ByteString serialNo;
    ByteString signAlgo;
    ByteString subjectName;
    ByteString uid;
    ByteString pubKey;
    ByteString pubKeyAlgo;      // algorithm, " " and the key length unless "UNKNOWN"
    ByteString keyUsage;
    ByteString crlDP;
    ByteString policy;
    ByteString policyID;
    ByteString issuerName;
    ByteString issuerAlias;     // display name of the issuer
    ByteString issuerCN;
    ByteString policyName;      // display name of the policy, else its OID
    ByteString signCertPath;
    ByteString signPriKeyPath;
    ByteString kmCertPath;
    ByteString kmPriKeyPath;
    ByteString validFrom;
    ByteString validTo;
    ByteString validToDate;     // "YYYY-MM-DD"
    ByteString reserved1;
    int reserved2;
    int validDays;              // 1 when the certificate has expired, else 0
    int mediaType;              // 0 hard disk, 1/2 a drive by its root, 3 smart card, 4 PKCS#11
    int certType;               // 0 GPKI, 1 NPKI, 2 MPKI, 3 private CA
    ByteString subjectAltName;
    ByteString authKeyID;
    ByteString subKeyID;
    ByteString aia;
    ByteString hashAlgo;        // "sha1"
    ByteString hashValue;       // SHA-1 of signCert, 40 lowercase hex digits

    tagCERTLIST() : reserved2(0), validDays(0), mediaType(0), certType(0) {}
};

// Builds the certificate list of the user's stores: GPKI, NPKI, MPKI and private-CA
// folders on the hard disk or a removable drive, and certificates brought from a phone.
// Configuration (CA folders, issuer and policy display names) comes from IssuerOid.conf
// in the work folder.
//
// Smart cards (media 3) are read through the card driver NpkiCard.dll in the work
// folder; PKCS#11 tokens (media 4) through the module given to the three-argument
// constructor.
class ZORVANE_API CLoadCert {
public:
    CLoadCert();
    explicit CLoadCert(ByteString& workPath);
    CLoadCert(ByteString& workPath, ByteString& text2, ByteString& pkcs11Module);
    CLoadCert(const CLoadCert&) = delete;
    CLoadCert& operator=(const CLoadCert&) = delete;
    virtual ~CLoadCert();

    // Records
    void ClearCertList(tagCERTLIST& record);

    // Driver
    int LoadCerts(int media, ByteString& subject, ByteString& serial, int storeMask, ByteString& policies,
                  int keySelector, ByteString& drive, ByteString& mediaText, int mediaInt, int spare,
                  CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);

    // Record parsing
    int InsertParsingCert(tagCERTLIST& record);
    int GetCNString(ByteString& dn, ByteString& out);
    int GetOString(ByteString& dn, ByteString& out);
    int GetOUString(ByteString& dn, ByteString& out);
    int GetCertType(BINSTR cert, int* type);
    int CheckCertValidity(ByteString& notBefore, ByteString& notAfter);
    int GetCertInfo(int toolkitKind, ByteString& cert, ByteString& encryptedKey, ByteString& password,
                    ByteString& privateKey, ByteString& serial, ByteString& random);

    // Issuer and policy map
    int MakeMap(ByteString& workPath);
    int ParsingPolicyInfo(ByteString& text);
    int CheckPolicyID(tagCERTLIST& record);
    int MakeCommonPolicyID(tagCERTLIST& record);
    int GetPolicyName(ByteString& oid, ByteString& name);

    // Disk and private folders
    int AddCertList_GPKICert(ByteString& className, int media, int keySelector, ByteString& drive,
                             CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_NPKICert(ByteString& caFolder, int media, int keySelector, ByteString& drive,
                             CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_GPKIMPKICert(int media, int keySelector, ByteString& drive,
                                 CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_PrivateCert(int media, int keySelector, ByteString& drive,
                                CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    void MakeCertPath(ByteString& caName, ByteString& certFolder, ByteString* userFolderOut,
                      ByteString* certFolderOut, int media, char* drive);
    int GetRemDriveList(int removableOnly);

    // Smart card and PKCS#11 token
    int AddCertList_CARD(int storeMask, int keySelector, ByteString& mediaText, int mediaInt,
                         CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int InsertPriKeyFromCARD(ByteString& text1, ByteString& text2, tagCERTLIST& record);
    int AddCertList_PKCS11(int storeMask, int keySelector, ByteString& mediaText,
                           CArray<tagCERTLIST, tagCERTLIST&>& list, ByteString& module, int& count);
    int LoadPKCS11PriKeyRandom(ByteString& module, char* sessionText, ByteString& identifier, ByteString& random);
    int GetPKCS11Signature(ByteString& data, ByteString& module, char* sessionText, ByteString& identifier,
                           ByteString& signature);

    // Phone certificates
    int LoadCertsPhone(ByteString& cert, ByteString& key, int mode, int keySelector, ByteString& policies,
                       ByteString& serial, CArray<tagCERTLIST, tagCERTLIST&>& list);
    int AddCertList_NPKIPhoneCert(int kind, ByteString& cert, ByteString& key,
                                  CArray<tagCERTLIST, tagCERTLIST&>& list);

    // Lookup of one known certificate
    int LoadFindCert(ByteString& subjectDN, ByteString& serial, ByteString& password, ByteString& signCert,
                     ByteString& signKey, ByteString& kmCert, ByteString& kmKey, ByteString& random,
                     int* found);

    // Platform utilities (the same operations as CUtil's; GetOSVersion has its own codes)
    ByteString GetProgramFilesPath();
    ByteString GetProgramFiles64Path();
    int GetOSVersion();
    int Check64bitOS();
    void ToUpper(unsigned char* text);
    void ToLower(unsigned char* text);
    ByteString ByteStringLeft(ByteString& source, ByteString& out, int count);
    ByteString ByteStringMid(ByteString& source, ByteString& out, int start, int count);
    ByteString ByteStringRight(ByteString& source, ByteString& out, int count);
    int ByteStringFindCount(ByteString& source, char* pattern, int& lastPos);
    int ByteStringFind2(ByteString& source, char* pattern, int start);

    // Fields, in the documented order.
    ByteString m_errorText;        // last failure: the toolkit's text or a configuration message
    ByteString m_spareText;
    CCryptoEx m_crypto;
    ByteString m_workPath;         // toolkit work folder, also the folder of IssuerOid.conf
    ByteString m_policyText;       // the LoadCerts policy argument
    ByteString m_subjectFilter;
    ByteString m_text2;            // second argument of the three-argument constructor
    ByteString m_pkcs11Module;
    int m_keySelector;
    int m_media;
    int m_toolkitKind;
    CMapStringToString m_policyMap;    // policy OID -> display name
    CMapStringToString m_issuerMap;    // issuer CN -> display name
    CMapStringToString m_folderMap;    // "1" ... "N" -> NPKI CA folder name
    CStringArray m_policyFilter;
    int m_counter;
    ByteString m_text;
    ByteString m_serialFilter;
    CStringList m_driveList;       // drive roots found by GetRemDriveList
};
