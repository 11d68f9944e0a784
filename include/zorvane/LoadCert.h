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
    CLoadCert();  // no work folder: LoadCerts then searches no NPKI CA folder
    // workPath: the work folder (toolkit files, IssuerOid.conf). A configuration that
    // cannot be read leaves its message in m_errorText.
    explicit CLoadCert(ByteString& workPath);
    // pkcs11Module: the PKCS#11 module for media 4; text2 is kept for the caller.
    CLoadCert(ByteString& workPath, ByteString& text2, ByteString& pkcs11Module);
    CLoadCert(const CLoadCert&) = delete;
    CLoadCert& operator=(const CLoadCert&) = delete;
    virtual ~CLoadCert();

    // Records
    void ClearCertList(tagCERTLIST& record);  // empties every field

    // Driver. Appends the certificates of one medium to list (a list of more than one
    // record is emptied first) and sets count to the number added.
    //   media: 0 hard disk (C:), 1 or 2 the drive whose root is in drive ("E:\"),
    //          3 smart card, 4 PKCS#11 token (3 and 4 answer kMediaNotAvailable here)
    //   subject, serial: keep only the certificate with this subject DN or serial (empty: all)
    //   storeMask: 0 every store, else 1 GPKI | 2 NPKI | 4 MPKI | 8 private CA
    //   policies: policy OIDs each followed by "|" (empty: all)
    //   keySelector: 0 signing and key-management pair, 1 signing only, 2 key management only
    //   mediaText, mediaInt: the card reader or token for media 3 and 4; spare: not read
    // Result: 0; the toolkit's code when it cannot be opened (list untouched); otherwise the
    // last store reader's result. A store that does not exist is not an error.
    int LoadCerts(int media, ByteString& subject, ByteString& serial, int storeMask, ByteString& policies,
                  int keySelector, ByteString& drive, ByteString& mediaText, int mediaInt, int spare,
                  CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);

    // Record parsing
    // Reads record.signCert (and the key files named by the record's paths) into the
    // record's fields, applying the LoadCerts filters: 0 accepted; 300 certificate file or
    // 301 key file unreadable; -1 subject or serial filtered out; 1 a toolkit call failed
    // or the policy filter excluded it; other values are the toolkit's policy-read codes.
    int InsertParsingCert(tagCERTLIST& record);
    // The cn, o or first ou value of dn into out: 0 found, 1 not found (out unchanged).
    int GetCNString(ByteString& dn, ByteString& out);
    int GetOString(ByteString& dn, ByteString& out);
    int GetOUString(ByteString& dn, ByteString& out);
    // *type: 16 a government (GPKI) certificate, 1 any other; the result is the toolkit's.
    int GetCertType(BINSTR cert, int* type);
    int CheckCertValidity(ByteString& notBefore, ByteString& notAfter);  // 1 valid now, else 0
    // Opens the key file with password and reads the certificate's serial and the key's VID
    // random. toolkitKind as CCryptoEx::Init's type. 0, or 1 when a step fails.
    int GetCertInfo(int toolkitKind, ByteString& cert, ByteString& encryptedKey, ByteString& password,
                    ByteString& privateKey, ByteString& serial, ByteString& random);

    // Issuer and policy map
    // Reads workPath's IssuerOid.conf into the maps: -1 the file cannot be read, 0 a value
    // is empty (message in m_errorText), otherwise positive.
    int MakeMap(ByteString& workPath);
    int ParsingPolicyInfo(ByteString& text);  // the policy filter from "OID|OID|"; always 0
    int CheckPolicyID(tagCERTLIST& record);   // 0 when record.policyID is in the filter, else -1
    // A TradeSignCA record keeps the second of its two policy OIDs: 0, or -1 without ",".
    int MakeCommonPolicyID(tagCERTLIST& record);
    int GetPolicyName(ByteString& oid, ByteString& name);  // 0 found (or no map), -1 not found

    // Disk and private folders. Each reader appends the accepted certificates of one store
    // to list, sets count to their number and returns the last InsertParsingCert result.
    // className: "class1" or "class2"; caFolder: an NPKI CA folder ("yessign").
    int AddCertList_GPKICert(ByteString& className, int media, int keySelector, ByteString& drive,
                             CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_NPKICert(ByteString& caFolder, int media, int keySelector, ByteString& drive,
                             CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_GPKIMPKICert(int media, int keySelector, ByteString& drive,
                                 CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int AddCertList_PrivateCert(int media, int keySelector, ByteString& drive,
                                CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    // The NPKI user folder of caName and its certFolder sub-folder, on the program-files
    // folder (media 0) or on drive (a root such as "E:\"). caName is lower-cased in place.
    void MakeCertPath(ByteString& caName, ByteString& certFolder, ByteString* userFolderOut,
                      ByteString* certFolderOut, int media, char* drive);
    // Appends the roots of the removable drives (and, with 0, the fixed ones) to
    // m_driveList; returns its number of entries.
    int GetRemDriveList(int removableOnly);

    // Smart card and PKCS#11 token. storeMask and keySelector as in LoadCerts; mediaText
    // names the card reader or the token; module is the PKCS#11 module file; count
    // receives the number of records added. The session text and identifier name the
    // token key whose VID random value or signature over data is asked for.
    int AddCertList_CARD(int storeMask, int keySelector, ByteString& mediaText, int mediaInt,
                         CArray<tagCERTLIST, tagCERTLIST&>& list, int& count);
    int InsertPriKeyFromCARD(ByteString& text1, ByteString& text2, tagCERTLIST& record);
    int AddCertList_PKCS11(int storeMask, int keySelector, ByteString& mediaText,
                           CArray<tagCERTLIST, tagCERTLIST&>& list, ByteString& module, int& count);
    int LoadPKCS11PriKeyRandom(ByteString& module, char* sessionText, ByteString& identifier, ByteString& random);
    int GetPKCS11Signature(ByteString& data, ByteString& module, char* sessionText, ByteString& identifier,
                           ByteString& signature);

    // Phone certificates: cert is the certificate's bytes, key its key file's bytes.
    // mode: 0 accept any, 1 refuse accredited (NPKI) ones, 2 refuse GPKI ones, with a
    // message box; other values refuse all. Filters and keySelector as in LoadCerts.
    int LoadCertsPhone(ByteString& cert, ByteString& key, int mode, int keySelector, ByteString& policies,
                       ByteString& serial, CArray<tagCERTLIST, tagCERTLIST&>& list);
    int AddCertList_NPKIPhoneCert(int kind, ByteString& cert, ByteString& key,
                                  CArray<tagCERTLIST, tagCERTLIST&>& list);

    // Lookup of one known certificate by subject DN and serial in the disk stores; opens
    // its keys with password. found: 1 when found and the key opened, else 0. Returns 0.
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
