#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/Export.h>
#include <zorvane/Pkcs11TokenInfo.h>

class CGpkiEx;
class CNpkiEx;

// The one facade over the crypto toolkit. Init chooses the backend by type (0: the
// GPKI toolkit gpkiapi.dll, any other: the NPKI toolkit Quellark.dll) and loads it
// from the work folder; every other operation is forwarded to that backend and
// returns its result: 0, 100/101 (toolkit not loaded), 102 (function missing or not
// offered), 1000000 (not offered by the GPKI backend) or the toolkit's own code.
class ZORVANE_API CCryptoEx {
public:
    // Frame
    CCryptoEx();
    CCryptoEx(const CCryptoEx& other);
    CCryptoEx(int type, int cipherAlg, int hashAlg);
    virtual ~CCryptoEx();
    CCryptoEx& operator=(const CCryptoEx& other);
    int Init(int type, int cipherAlg, int hashAlg);
    int Init(int type, int cipherAlg, int hashAlg, ByteString workFolder);
    void Close();
    bool IsGpki();
    int GetErrInfo(ByteString& text);
    int SetWorkPath(ByteString& path);
    int SetOption(int option);
    int GetVersion(ByteString& version);
    int GetInfo(ByteString& info);

    // Certificate inspection
    int LoadCert(ByteString& cert);
    int UnloadCert();
    int GetCertVersion(int& version);
    int GetSerialNo(ByteString& serial);
    int GetSerialNum(ByteString& serial);
    int GetIssuerName(ByteString& name);
    int GetSubjectName(ByteString& name);
    int GetSubjectNameDerFormat(ByteString& name);
    int GetSignAlgo(ByteString& algorithm);
    int GetValidity(ByteString& notBefore, ByteString& notAfter);
    int GetValidity(ByteString& notBefore, ByteString& notAfter, ByteString& notAfterDate, int& expired);
    int GetPubKeyAlgo(ByteString& algorithm);
    int GetPubKey(ByteString& key);
    int GetPubKeyLen(ByteString& length);
    int GetSignature(ByteString& signature);
    int GetKeyUsage(ByteString& usage);
    int GetPolicy(ByteString& policy);
    int GetPolicyID(ByteString& policyId);
    int GetBasicConstraints(ByteString& constraints);
    int GetExtKeyUsage(ByteString& usage);
    int GetSubjectAltName(ByteString& name);
    int GetSubKeyID(ByteString& id);
    int GetAuthKeyID(ByteString& id);
    int GetCRLDP(ByteString& crlDp);
    int GetAIA(ByteString& aia);
    int GetUID(ByteString& uid);
    int GetRemainDays(ByteString& cert, int& days);
    int AddCert(ByteString& cert, ByteString& list);
    int GetCertCount(ByteString& list, int& count);
    int GetCertItem(int index, ByteString& list, ByteString& cert);

    // CMS messages
    int MakeSignedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signedData);
    int MakeSignedData(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signTime,
                       ByteString& signedData);
    int AddSigner(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signTime,
                  ByteString& signedData, ByteString& result);
    int VerifySignedData(ByteString& signedData, ByteString& content, ByteString& signerCert);
    int VerifySignedData(int type, ByteString& signedData, ByteString& content, ByteString& signTime,
                         ByteString& signerCert);
    int VeryfyMultiSignedData(int type, ByteString& signedData, ByteString& content, int& signerCount);
    int GetSignerCert(int index, ByteString& signerCert, ByteString& signTime);
    int MakeEnvelopedData(ByteString& in1, ByteString& in2, ByteString& enveloped);
    int MakeEnvelopedData(ByteString& in1, ByteString& in2, int cipherAlg, ByteString& enveloped);
    int MakeEnvelopedData(int type, ByteString& in1, ByteString& in2, int cipherAlg, ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(ByteString& in1, ByteString& in2, ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(ByteString& in1, ByteString& in2, int cipherAlg,
                                             ByteString& enveloped);
    int MakeEnvelopedDataWithMultiRecipients(int type, ByteString& in1, ByteString& in2, int cipherAlg,
                                             ByteString& enveloped);
    int VerifyEnvelopedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& content);
    int MakeSignedAndEnvData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4,
                             ByteString& message);
    int MakeSignedAndEnvData(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4,
                             int cipherAlg, ByteString& message);
    int VerifySignedAndEnvData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& first,
                               ByteString& second);
    int VerifySignedAndEnvData(int type, ByteString& in1, ByteString& in2, ByteString& in3,
                               ByteString& first, ByteString& second);
    int MakeSimpleSignedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signature);
    int MakeSimpleSignedData(ByteString& in1, ByteString& in2, int hashAlg, ByteString& in3,
                             ByteString& signature);
    int VerifySimpleSignedData(ByteString& in1, ByteString& in2, ByteString& in3);
    int VerifySimpleSignedData(ByteString& in1, int hashAlg, ByteString& in2, ByteString& in3);
    int MakeTBSData(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4);
    int ComposeSignedData(ByteString& a1, ByteString& a2);

    // Trust and verification
    int SetVerifyEnv(int p1, int p2, bool p3, ByteString& in4);
    int SetVerifyEnv(int p1, int p2, bool p3, ByteString& in4, ByteString& in5);
    int SetVerifyEnv2(ByteString& in1, ByteString& in2);
    int SetVerifyEnv2(ByteString& in1, ByteString& in2, ByteString& in3);
    int VerifyCert(ByteString& cert, int p2, ByteString& in3, ByteString& confFile, bool p5, ByteString& in6,
                   ByteString& in7);
    int VerifyCert(ByteString& cert, int p2, ByteString& in3, bool p4, ByteString& in5, ByteString& in6);
    int VerifyCert2(ByteString& cert, int p2, ByteString& in3, ByteString& in4);
    int AddTrustedCert(ByteString& cert);
    int SetCaPubs(ByteString& caPubs);
    int IsTrustCert(ByteString& in1, ByteString& in2, bool& trusted);
    int CompareDN(ByteString& first, ByteString& second);
    int GetRootCert(ByteString& cert, ByteString& root);
    int GetCertPath(ByteString& cert, ByteString& path);
    int VerifyByIVS(ByteString& in1, ByteString& in2, ByteString& in3);
    int VerifyByIVS2(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4, ByteString& in5);
    int VerifyVID(ByteString& in1, ByteString& random, ByteString& identityNumber);
    int GetRandomNo(ByteString& privateKey, ByteString& random);
    int LDAPGetDataByURL(int p1, ByteString& url, ByteString& data);
    int AddObject(ByteString& object, ByteString& result);
    int GetObjectCount(ByteString& list, int& count);
    int GetObjectA(ByteString& list, int index, ByteString& object);

    // Keys, ciphers and encodings
    int GenerateRandom(int length, ByteString& random);
    int GenerateKeyPair(int p1, ByteString& first, ByteString& second);
    int GenerateKey(ByteString& key, ByteString& iv);
    int GenerateKey(int cipherAlg, ByteString& key, ByteString& iv);
    int SetKeyAndIV(ByteString& key, ByteString& iv);
    int SetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv);
    int GetKeyAndIV(ByteString& key, ByteString& iv);
    int GetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv);
    int ClearKeyAndIV();
    int SetEnvChangeIV();
    int EncryptKey(ByteString& input, ByteString& result);
    int EncryptKey(ByteString& key, ByteString& iv, ByteString& input, ByteString& result);
    int EncryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& input, ByteString& result);
    int DecryptKey(ByteString& input, ByteString& result);
    int DecryptKey(ByteString& key, ByteString& iv, ByteString& input, ByteString& result);
    int DecryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& input, ByteString& result);
    int AsymEncrypt(int p1, ByteString& in1, ByteString& in2, ByteString& result);
    int AsymDecrypt(int p1, ByteString& in1, ByteString& in2, ByteString& result);
    int Hash(ByteString& input, ByteString& digest);
    int Hash(int hashAlg, ByteString& input, ByteString& digest);
    int GenerateMAC(int p1, ByteString& in2, ByteString& in3, ByteString& mac);
    int VerifyMAC(int p1, ByteString& in2, ByteString& in3, ByteString& in4);
    int Base64Enc(ByteString& input, ByteString& result);
    int Base64Dec(ByteString& input, ByteString& result);
    int EncodePEM(int p1, ByteString& input, ByteString& pem);
    int DecodePEM(ByteString& pem, ByteString& result);
    int PriKeyEncrypt(int p1, ByteString& password, ByteString& privateKey, ByteString& encrypted);
    int PriKeyDecrypt(ByteString& password, ByteString& encrypted, ByteString& privateKey);
    int PriKeyChangePass(ByteString& oldPassword, ByteString& newPassword, ByteString& encrypted,
                         ByteString& reencrypted);
    int PriKeyCheckKeyPair(ByteString& in1, ByteString& in2);

    // Storage media
    int LoadStorage(ByteString& driverPath);
    int UnloadStorage();
    int ReadCertFromStorage(int media, ByteString& location, int selector, ByteString& cert);
    int ReadPriKeyFromStroage(int media, ByteString& t2, ByteString& t3, int selector, ByteString& key);
    int WriteCertToStorage(int media, ByteString& location, int selector, ByteString& cert);
    int WritePriKeyToStorage(int media, ByteString& t2, ByteString& t3, int selector, int p5, ByteString& key);
    int WriteFileToStorage(ByteString& location, ByteString& data);
    int DeleteCertFromStorage(int media, ByteString& location, int selector);
    int DeletePriKeyFromStorage(int media, ByteString& t2, ByteString& t3, int selector);
    int ImportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);
    int ExportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);

    // PKCS#11 tokens
    int PKCS11_InitToken(ByteString& t1, ByteString& t2);
    int PKCS11_OpenSession(ByteString& t1);
    int PKCS11_OpenSessionWithSlotID(unsigned long slot, ByteString& t2, int p3);
    int PKCS11_OpenSessionWithTokenName(ByteString& name, int p2);
    int PKCS11_Login(ByteString& pin);
    int PKCS11_GetSlotList(unsigned long* slots, unsigned long& count);
    int PKCS11_GetTokenInfo(unsigned long slot, PKCS11_TOKEN_INFO& info);
    int PKCS11_GetCertCnt(int* count);
    int PKCS11_GetCertInfo(int p1, int p2, ByteString& first, ByteString& second);
    int PKCS11_ReadCert(ByteString& in1, ByteString& cert);
    int PKCS11_ReadRandomForVID(ByteString& in1, ByteString& random);
    int PKCS11_Sign(ByteString& in1, ByteString& in2, ByteString& result);
    int PKCS11_SignData(ByteString& in1, ByteString& in2, ByteString& result);
    int PKCS11_SignData_NoContent(ByteString& in1, ByteString& in2, ByteString& result);
    int PKCS11_Encrypt(ByteString& in1, ByteString& in2, ByteString& result);
    int PKCS11_Decrypt(ByteString& in1, ByteString& in2, ByteString& result);
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
