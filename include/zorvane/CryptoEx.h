#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/Export.h>
#include <zorvane/Pkcs11TokenInfo.h>

class CGpkiEx;
class CNpkiEx;

// The one facade over the crypto toolkit. Init chooses the backend by type (0: the GPKI
// toolkit gpkiapi.dll, any other: the NPKI toolkit Quellark.dll) and loads it from the
// work folder; every other operation is forwarded to that backend.
//
// Results: 0 success; 100 (GPKI) or 101 (NPKI) the toolkit is not loaded; 102 the toolkit
// lacks the function or the backend does not offer the operation; 1000000 the GPKI
// backend does not offer it; any other value is the toolkit's own code (toolkit/README.md
// lists them, e.g. 3003 wrong password, 2010 signature does not verify). GetErrInfo gives
// the text of the last failure.
//
// Arguments: certificates are DER (or PEM) bytes; a "key file" is an encrypted private-key
// file as stored on disk (signPri.key); a "private key" is the DER PrivateKeyInfo that
// PriKeyDecrypt gives. Outputs are written into the ByteString references named out...
// Cipher identifiers: 32 3DES, 48 SEED (default), 49 ARIA-128, 50 AES-128, 240 ARIA-256.
// Hash identifiers: 1 SHA-1 (default), 2 MD5, 3 SHA-224, 4 SHA-256, 5 SHA-384, 6 SHA-512.
// CMS message type bits: 1 detached content, 2 no signed attributes, 4 also verify the
// signer's certificate against the trusted certificates.
class ZORVANE_API CCryptoEx {
public:
    // ---- Frame
    CCryptoEx();  // type 0, cipher 48, hash 1, no backend yet
    CCryptoEx(const CCryptoEx& other);
    CCryptoEx(int type, int cipherAlg, int hashAlg);  // stores the values; Init loads the toolkit
    virtual ~CCryptoEx();
    CCryptoEx& operator=(const CCryptoEx& other);
    // Makes the backend without loading the toolkit (operations then answer 100/101); returns 0.
    int Init(int type, int cipherAlg, int hashAlg);
    // Makes the backend and loads its toolkit file from workFolder (a POSIX path or a
    // Windows path with a drive letter). cipherAlg and hashAlg are the defaults of the
    // operations that take none. 0, or 100/101 when the toolkit cannot be loaded.
    int Init(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    void Close();  // finishes the toolkit context and unloads the toolkit
    bool IsGpki();  // true for type 0
    int GetErrInfo(ByteString& outText);  // the toolkit's text of its last failure
    int SetWorkPath(ByteString& path);     // kept for the caller; always 0
    int SetOption(int option);             // not offered: 1000000 (GPKI) or 102 (NPKI)
    int GetVersion(ByteString& outVersion);  // the toolkit's version text (NPKI only)
    int GetInfo(ByteString& outInfo);        // the toolkit's description (NPKI only)

    // ---- Certificate inspection: LoadCert one certificate, then read its fields as text.
    // Every getter answers the toolkit's 1501 when no certificate is loaded.
    int LoadCert(ByteString& certificate);  // 1503: neither DER nor PEM X.509
    int UnloadCert();
    int GetCertVersion(int& outVersion);       // 1, 2 or 3
    int GetSerialNo(ByteString& outSerial);    // lower-case hex, even length
    int GetSerialNum(ByteString& outSerial);   // the same as GetSerialNo
    int GetIssuerName(ByteString& outName);    // "cn=...,ou=...,o=...,c=kr", leaf first
    int GetSubjectName(ByteString& outName);   // as GetIssuerName
    int GetSubjectNameDerFormat(ByteString& outNameDer);  // DER of the subject Name
    int GetSignAlgo(ByteString& outAlgorithm);  // e.g. "sha256WithRSAEncryption"
    // "YYYY-MM-DD HH:MM:SS" in Korea Standard Time.
    int GetValidity(ByteString& outNotBefore, ByteString& outNotAfter);
    // The same dates as localized texts, the end date as "YYYY-MM-DD", and outExpired 1
    // when the certificate's end lies in the past.
    int GetValidity(ByteString& outNotBefore, ByteString& outNotAfter, ByteString& outNotAfterDate,
                    int& outExpired);
    int GetPubKeyAlgo(ByteString& outAlgorithm);  // "RSA", "EC", ...
    int GetPubKey(ByteString& outKeyHex);         // the public key bits in hex
    int GetPubKeyLen(ByteString& outKeyLength);  // GPKI: bits ("2048"); NPKI: as GetPubKey
    int GetSignature(ByteString& outSignatureHex);
    int GetKeyUsage(ByteString& outUsage);  // "digitalSignature, nonRepudiation", ...
    int GetPolicy(ByteString& outPolicies);  // one line per policy with its qualifiers
    int GetPolicyID(ByteString& outPolicyIds);  // dotted OIDs joined by ", "; 1502 when none
    int GetBasicConstraints(ByteString& outConstraints);  // "CA=TRUE" or "CA=FALSE"
    int GetExtKeyUsage(ByteString& outUsage);
    int GetSubjectAltName(ByteString& outNames);
    int GetSubKeyID(ByteString& outKeyIdHex);
    int GetAuthKeyID(ByteString& outKeyId);
    int GetCRLDP(ByteString& outCrlDistributionPoints);
    int GetAIA(ByteString& outAuthorityInfoAccess);
    int GetUID(ByteString& outUserId);  // the subject's CN value (or serialNumber)
    // Not offered by either backend: 1000000 (GPKI) or 102 (NPKI).
    int GetRemainDays(ByteString& certificate, int& outDays);
    int AddCert(ByteString& certificate, ByteString& list);
    int GetCertCount(ByteString& list, int& outCount);
    int GetCertItem(int index, ByteString& list, ByteString& outCertificate);

    // ---- CMS messages. signerKey and recipientKey are private keys as PriKeyDecrypt gives.
    // SignedData of content by the signer, signed now; type 0 (NPKI) or 2 (GPKI).
    int MakeSignedData(ByteString& signerCert, ByteString& signerKey, ByteString& content,
                       ByteString& outSignedData);
    // signTime: local time as 14 digits "YYYYMMDDhhmmss".
    int MakeSignedData(int type, ByteString& signerCert, ByteString& signerKey, ByteString& content,
                       ByteString& signTime, ByteString& outSignedData);
    // Adds a signer to signedData; outSignedData receives the message with both signatures.
    int AddSigner(int type, ByteString& signerCert, ByteString& signerKey, ByteString& content,
                  ByteString& signTime, ByteString& signedData, ByteString& outSignedData);
    // Verifies signedData (type 0; the GPKI backend uses 4) and gives the content and the
    // first signer's certificate.
    int VerifySignedData(ByteString& signedData, ByteString& outContent, ByteString& outSignerCert);
    int VerifySignedData(int type, ByteString& signedData, ByteString& outContent, ByteString& outSignTime,
                         ByteString& outSignerCert);
    // Verifies every signer; outSignerCount receives their number. GetSignerCert reads each.
    int VeryfyMultiSignedData(int type, ByteString& signedData, ByteString& outContent, int& outSignerCount);
    // Signer signerIndex (0 first) of the last verified message, and its signing time text.
    int GetSignerCert(int signerIndex, ByteString& outSignerCert, ByteString& outSignTime);
    // EnvelopedData of content for one recipient certificate, with the default cipher or cipherAlg.
    int MakeEnvelopedData(ByteString& recipientCert, ByteString& content, ByteString& outEnveloped);
    int MakeEnvelopedData(ByteString& recipientCert, ByteString& content, int cipherAlg,
                          ByteString& outEnveloped);
    int MakeEnvelopedData(int type, ByteString& recipientCert, ByteString& content, int cipherAlg,
                          ByteString& outEnveloped);
    // recipients: an object list of certificates (AddObject) or one DER certificate.
    int MakeEnvelopedDataWithMultiRecipients(ByteString& recipients, ByteString& content,
                                             ByteString& outEnveloped);
    int MakeEnvelopedDataWithMultiRecipients(ByteString& recipients, ByteString& content, int cipherAlg,
                                             ByteString& outEnveloped);
    int MakeEnvelopedDataWithMultiRecipients(int type, ByteString& recipients, ByteString& content,
                                             int cipherAlg, ByteString& outEnveloped);
    // Opens enveloped with the recipient's certificate and private key.
    int VerifyEnvelopedData(ByteString& recipientCert, ByteString& recipientKey, ByteString& enveloped,
                            ByteString& outContent);
    // Signs content and envelopes it for recipients (a certificate or an object list).
    int MakeSignedAndEnvData(ByteString& signerCert, ByteString& signerKey, ByteString& recipients,
                             ByteString& content, ByteString& outMessage);
    int MakeSignedAndEnvData(int type, ByteString& signerCert, ByteString& signerKey, ByteString& recipients,
                             ByteString& content, int cipherAlg, ByteString& outMessage);
    // Opens and verifies a signed-and-enveloped message with the recipient's certificate
    // and private key: the content and the signer's certificate.
    int VerifySignedAndEnvData(ByteString& recipientCert, ByteString& recipientKey, ByteString& message,
                               ByteString& outContent, ByteString& outSignerCert);
    int VerifySignedAndEnvData(int type, ByteString& recipientCert, ByteString& recipientKey,
                               ByteString& message, ByteString& outContent, ByteString& outSignerCert);
    // A bare RSA signature over data. key: a private key (password empty) or a key file
    // with its password. 2007 unreadable key, 3003 wrong password.
    int MakeSimpleSignedData(ByteString& key, ByteString& password, ByteString& data, ByteString& outSignature);
    int MakeSimpleSignedData(ByteString& key, ByteString& password, int hashAlg, ByteString& data,
                             ByteString& outSignature);
    // publicKey: the signer's certificate or a DER SubjectPublicKeyInfo. 0 valid, 2010 not.
    int VerifySimpleSignedData(ByteString& publicKey, ByteString& data, ByteString& signature);
    int VerifySimpleSignedData(ByteString& publicKey, int hashAlg, ByteString& data, ByteString& signature);
    // Not offered by either backend.
    int MakeTBSData(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4);
    int ComposeSignedData(ByteString& a1, ByteString& a2);

    // ---- Trust and verification. The settings live in the toolkit context and apply to
    // the later verifications (toolkit/README.md, "Trust and verification").
    // revocation: 0 none, 1 the certificate, 2 the whole path; fetchCrls: fetch missing
    // CRLs from the certificates' distribution points; signingKeyUsage: require
    // digitalSignature or nonRepudiation; crlCacheFolder: where fetched CRLs are kept ("" none).
    int SetVerifyEnv(int revocation, int fetchCrls, bool signingKeyUsage, ByteString& crlCacheFolder);
    // verifyTime: 14 digits "YYYYMMDDhhmmss" of local time (used by the GPKI backend only).
    int SetVerifyEnv(int revocation, int fetchCrls, bool signingKeyUsage, ByteString& verifyTime,
                     ByteString& crlCacheFolder);
    // Intermediate certificates and CRLs (each one DER object or an object list; empty:
    // none), replacing earlier ones. NPKI only (GPKI: 102); the first form verifies now.
    int SetVerifyEnv2(ByteString& intermediates, ByteString& crls);
    int SetVerifyEnv2(ByteString& verifyTime, ByteString& intermediates, ByteString& crls);
    // Path validation of certificate: keyUsage 0 (the settings'), 1 signing, 2 key
    // management; policies: acceptable policy OIDs ("" any); confFile: a settings file
    // ("" none); fetchCrls; extra intermediates and CRLs for this call. The result is the
    // verdict: 0 good, 1601 untrusted, 1602 expired, 1603 not yet valid, 1604 revoked,
    // 1605 no CRL, 1606 CRL expired, 1607 policy, 1608 bad signature, 1609 key usage.
    int VerifyCert(ByteString& certificate, int keyUsage, ByteString& policies, ByteString& confFile, bool fetchCrls,
                   ByteString& intermediates, ByteString& crls);
    // Without a configuration file: NPKI only (GPKI: 102).
    int VerifyCert(ByteString& certificate, int keyUsage, ByteString& policies, bool fetchCrls,
                   ByteString& intermediates, ByteString& crls);
    // At verifyTime (14 digits of local time; "" the settings'). NPKI only.
    int VerifyCert2(ByteString& certificate, int keyUsage, ByteString& policies, ByteString& verifyTime);
    int AddTrustedCert(ByteString& certificate);  // trust anchor (or object list) for later verifications
    int SetCaPubs(ByteString& caCertificates);    // CA certificates, added as trusted
    // outTrusted: whether certificate chains to a trusted certificate (through the
    // intermediates given and set); the result is 0, or 1 on any toolkit failure.
    int IsTrustCert(ByteString& certificate, ByteString& intermediates, bool& outTrusted);
    int CompareDN(ByteString& firstDn, ByteString& secondDn);  // 0 when the names are equal
    int GetRootCert(ByteString& certificate, ByteString& outRootCert);
    // outPath: an object list, certificate first and the trusted certificate last.
    int GetCertPath(ByteString& certificate, ByteString& outPath);
    // Asks the identity verification service at url whether identityNumber is that of
    // certificate's holder (only a hash of the number is sent). 0 match, 3507 mismatch.
    int VerifyByIVS(ByteString& url, ByteString& certificate, ByteString& identityNumber);
    // Checks identityNumber and random against certificate's VID locally, then asks the
    // service to confirm the certificate; serviceCertificate ("" none) must have signed
    // the answer.
    int VerifyByIVS2(ByteString& url, ByteString& certificate, ByteString& random, ByteString& identityNumber,
                     ByteString& serviceCertificate);
    // Checks identityNumber (resident registration number without hyphen) and the key's
    // random value against the VID in certificate. 0 match, 3505 no match, 3502 no VID.
    int VerifyVID(ByteString& certificate, ByteString& random, ByteString& identityNumber);
    // The 20-byte VID random value kept in a private key; 3501 when it has none.
    int GetRandomNo(ByteString& privateKey, ByteString& outRandom);
    int LDAPGetDataByURL(int timeoutSeconds, ByteString& url, ByteString& outData);  // ldap://, http(s)://, file://
    // Object lists (degenerate PKCS#7 of certificates): outList holds object.
    int AddObject(ByteString& object, ByteString& outList);
    int GetObjectCount(ByteString& list, int& outCount);
    int GetObjectA(ByteString& list, int index, ByteString& outObject);

    // ---- Keys, ciphers and encodings
    int GenerateRandom(int length, ByteString& outRandom);  // length 1 to 1048576 bytes
    // An RSA key pair of bits (0: 2048): DER PrivateKeyInfo and DER SubjectPublicKeyInfo.
    int GenerateKeyPair(int bits, ByteString& outPrivateKey, ByteString& outPublicKey);
    // A random key and IV for the default cipher or cipherAlg, kept in the context and returned.
    int GenerateKey(ByteString& outKey, ByteString& outIv);
    int GenerateKey(int cipherAlg, ByteString& outKey, ByteString& outIv);
    // Key and IV for EncryptKey/DecryptKey (lengths by cipher: 3DES 24/8, SEED, ARIA-128,
    // AES 16/16, ARIA-256 32/32); 2004 and 2005 for lengths that do not fit.
    int SetKeyAndIV(ByteString& key, ByteString& iv);
    int SetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv);
    int GetKeyAndIV(ByteString& outKey, ByteString& outIv);  // 2003 when none is set
    int GetKeyAndIV(int cipherAlg, ByteString& outKey, ByteString& outIv);
    int ClearKeyAndIV();   // not offered: 1000000 (GPKI) or 102 (NPKI)
    int SetEnvChangeIV();  // consecutive EncryptKey calls then chain as one CBC stream
    // CBC encryption with PKCS#7 padding. Without key and IV: the key and IV the GPKI backend
    // last set (the NPKI backend has none); with them: set first, so each call stands alone.
    int EncryptKey(ByteString& plain, ByteString& outCipherText);
    int EncryptKey(ByteString& key, ByteString& iv, ByteString& plain, ByteString& outCipherText);
    int EncryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& plain, ByteString& outCipherText);
    // The reverse; 2006 for a wrong key or damaged cipher text.
    int DecryptKey(ByteString& cipherText, ByteString& outPlain);
    int DecryptKey(ByteString& key, ByteString& iv, ByteString& cipherText, ByteString& outPlain);
    int DecryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& cipherText, ByteString& outPlain);
    // RSA to a certificate (or SubjectPublicKeyInfo) and back with a private key.
    // padding: 0 by the RSA version, 1 PKCS#1 v1.5, 2 OAEP (SHA-1).
    int AsymEncrypt(int padding, ByteString& publicKey, ByteString& data, ByteString& outCipherText);
    int AsymDecrypt(int padding, ByteString& privateKey, ByteString& cipherText, ByteString& outData);
    int Hash(ByteString& data, ByteString& outDigest);  // with the default hash
    int Hash(int hashAlg, ByteString& data, ByteString& outDigest);
    // HMAC with hash hashAlg under key (a text). VerifyMAC: 0 equal, 2011 not.
    int GenerateMAC(int hashAlg, ByteString& key, ByteString& data, ByteString& outMac);
    int VerifyMAC(int hashAlg, ByteString& key, ByteString& data, ByteString& mac);
    int Base64Enc(ByteString& data, ByteString& outText);  // one line, padded
    int Base64Dec(ByteString& text, ByteString& outData);  // 2015 for text that is not Base64
    // label: 0/1 CERTIFICATE, 2 PRIVATE KEY, 3 ENCRYPTED PRIVATE KEY, 4 PUBLIC KEY, 5 CMS,
    // 6 X509 CRL, 7 CERTIFICATE REQUEST, 8 PKCS7.
    int EncodePEM(int label, ByteString& der, ByteString& outPem);
    int DecodePEM(ByteString& pem, ByteString& outDer);  // the first PEM block's body
    // Encrypts a private key into a key file; scheme 0/1/48 seedCBCWithSHA1, 2 PBES2 with SEED.
    int PriKeyEncrypt(int scheme, ByteString& password, ByteString& privateKey, ByteString& outKeyFile);
    // Opens a key file with its password: 3003 wrong password, 3001 not a key file.
    int PriKeyDecrypt(ByteString& password, ByteString& keyFile, ByteString& outPrivateKey);
    int PriKeyChangePass(ByteString& oldPassword, ByteString& newPassword, ByteString& keyFile,
                         ByteString& outKeyFile);
    // 0 when privateKey belongs to publicKey (a certificate or SubjectPublicKeyInfo), 3004 when not.
    int PriKeyCheckKeyPair(ByteString& publicKey, ByteString& privateKey);

    // ---- Storage media. media: 1 disk, 2 smart card through the driver LoadStorage loaded;
    // slot: the card's slot (certificate discovery reads 1/2 NPKI and 16/32 GPKI keys).
    // The key functions' texts and option go to the toolkit's storage functions unchanged.
    int LoadStorage(ByteString& driverPath);  // e.g. the work folder's NpkiCard.dll
    int UnloadStorage();
    int ReadCertFromStorage(int media, ByteString& location, int slot, ByteString& outCertificate);
    int ReadPriKeyFromStroage(int media, ByteString& location, ByteString& text, int slot, ByteString& outKey);
    int WriteCertToStorage(int media, ByteString& location, int slot, ByteString& certificate);
    int WritePriKeyToStorage(int media, ByteString& location, ByteString& text, int slot, int option,
                             ByteString& key);
    int WriteFileToStorage(ByteString& path, ByteString& data);  // disk only
    int DeleteCertFromStorage(int media, ByteString& location, int slot);
    int DeletePriKeyFromStorage(int media, ByteString& location, ByteString& text, int slot);
    // Not offered by either backend.
    int ImportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);
    int ExportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);

    // ---- PKCS#11 tokens: one session per context. Every call answers 100 when the toolkit
    // is not loaded; a missing session or login is answered by the toolkit.
    int PKCS11_InitToken(ByteString& text1, ByteString& text2);
    int PKCS11_OpenSession(ByteString& sessionText);
    int PKCS11_OpenSessionWithSlotID(unsigned long slot, ByteString& text, int option);
    int PKCS11_OpenSessionWithTokenName(ByteString& tokenName, int option);
    int PKCS11_Login(ByteString& pin);
    // slots: the caller's array of at least 5 entries; outCount receives how many are filled.
    int PKCS11_GetSlotList(unsigned long* slots, unsigned long& outCount);
    int PKCS11_GetTokenInfo(unsigned long slot, PKCS11_TOKEN_INFO& outInfo);
    int PKCS11_GetCertCnt(int* outCount);
    // Object index (0 first): its information and the identifier that ReadCert takes.
    int PKCS11_GetCertInfo(int index, int kind, ByteString& outInfo, ByteString& outId);
    int PKCS11_ReadCert(ByteString& id, ByteString& outCertificate);
    int PKCS11_ReadRandomForVID(ByteString& id, ByteString& outRandom);
    // Operations with the token's key named by id on data.
    int PKCS11_Sign(ByteString& id, ByteString& data, ByteString& outResult);
    int PKCS11_SignData(ByteString& id, ByteString& data, ByteString& outResult);
    int PKCS11_SignData_NoContent(ByteString& id, ByteString& data, ByteString& outResult);
    int PKCS11_Encrypt(ByteString& id, ByteString& data, ByteString& outResult);
    int PKCS11_Decrypt(ByteString& id, ByteString& data, ByteString& outResult);
    int PKCS11_CloseSession();

    // Fields, in the documented order.
    CGpkiEx* m_gpki;
    CNpkiEx* m_npki;
    int m_cipherAlg;
    int m_hashAlg;
    int m_type;
    ByteString m_text1;
    ByteString m_text2;
    ByteString m_workPath;
};
