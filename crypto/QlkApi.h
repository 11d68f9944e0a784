#pragma once
// The toolkit's C interface: the one header shared by the library (which loads the
// toolkit and looks these functions up by name) and by the toolkit that implements
// them. Every function returns 0 on success or a toolkit error code. The context is an
// opaque handle made by QLK_API_Init. Binary data travels in BINSTR records, texts as
// zero-terminated strings; a text output is a caller-owned buffer that the toolkit
// never fills beyond its stated size (size - 1 characters and a zero).

#include <zorvane/Binstr.h>
#include <zorvane/Pkcs11TokenInfo.h>

#ifndef QLK_EXPORT
#define QLK_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Context and library */
QLK_EXPORT int QLK_API_Init(void** context, const char* workFolder);
QLK_EXPORT int QLK_API_Finish(void** context);
QLK_EXPORT int QLK_API_GetErrInfo(void* context, int size, char* text);
/* version: 32-byte buffer, info: 512-byte buffer */
QLK_EXPORT int QLK_API_GetInfo(void* context, char* version, char* info);
QLK_EXPORT int QLK_API_SetConfFile(void* context, const char* path);

QLK_EXPORT int QLK_BINSTR_Create(BINSTR* binstr);
QLK_EXPORT int QLK_BINSTR_SetData(const unsigned char* data, int length, BINSTR* binstr);
QLK_EXPORT int QLK_BINSTR_Delete(BINSTR* binstr);

/* Certificate inspection: one loaded certificate per context */
QLK_EXPORT int QLK_CERT_Load(void* context, BINSTR* certificate);
QLK_EXPORT int QLK_CERT_Unload(void* context);
QLK_EXPORT int QLK_CERT_GetVersion(void* context, int* version);
QLK_EXPORT int QLK_CERT_GetSerialNum(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetIssuerName(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetSubjectName(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetSubjectName_DERFormat(void* context, BINSTR* name);
QLK_EXPORT int QLK_CERT_GetSignatureAlgorithm(void* context, int size, char* text);
/* Each buffer holds 24 characters and a zero. */
QLK_EXPORT int QLK_CERT_GetValidity(void* context, char* notBefore, char* notAfter);
/* size applies to the key buffer; the algorithm text never exceeds 47 characters. */
QLK_EXPORT int QLK_CERT_GetPubKey(void* context, int size, char* algorithm, char* key);
/* algorithm and bits: 1024-byte buffers; key: the SubjectPublicKeyInfo DER. */
QLK_EXPORT int QLK_CERT_GetPubKey2(void* context, char* algorithm, char* bits, BINSTR* key);
QLK_EXPORT int QLK_CERT_GetSignature(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetKeyUsage(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetCertPolicy(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetCertPolicy_PolicyID(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetBasicConstraints(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetExtKeyUsage(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetSubjectAltName(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetSubKeyID(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetAuthKeyID(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetCRLDP(void* context, int size, char* text);
QLK_EXPORT int QLK_CERT_GetAIA(void* context, int size, char* text);

/* Trust and verification */
QLK_EXPORT int QLK_CERT_AddTrustedCert(void* context, BINSTR* certificates);
QLK_EXPORT int QLK_CERT_SetVerifyEnv1(void* context, int p1, int p2, int p3, const char* text);
QLK_EXPORT int QLK_CERT_SetVerifyEnv2(void* context, const char* time, BINSTR* in2, BINSTR* in3);
QLK_EXPORT int QLK_CERT_Verify(void* context, BINSTR* certificate, int p2, const char* in3, int p5,
                               BINSTR* in6, BINSTR* in7);
QLK_EXPORT int QLK_CERT_Verify2(void* context, BINSTR* certificate, int p2, const char* in3,
                                const char* in4);
QLK_EXPORT int QLK_CERT_VerifyByIVS(void* context, const char* in1, BINSTR* in2, BINSTR* in3);

QLK_EXPORT int QLK_UTIL_AddObject(void* context, BINSTR* object, BINSTR* list);
QLK_EXPORT int QLK_UTIL_GetObjectCount(void* context, BINSTR* list, int* count);
QLK_EXPORT int QLK_UTIL_GetObject(void* context, BINSTR* list, int index, BINSTR* object);
/* 0 when the two names are equal */
QLK_EXPORT int QLK_UTIL_CompareDN(void* context, const char* first, const char* second);
QLK_EXPORT int QLK_UTIL_GetRootCert(void* context, BINSTR* certificate, BINSTR* root);
QLK_EXPORT int QLK_UTIL_GetCertPath(void* context, BINSTR* certificate, BINSTR* path);
QLK_EXPORT int QLK_UTIL_IsTrustCert(void* context, BINSTR* in1, BINSTR* in2, unsigned char* trusted);

QLK_EXPORT int QLK_VID_VerifyByIVS(void* context, const char* in1, BINSTR* in2, BINSTR* in3,
                                   const char* in4, BINSTR* in5);
QLK_EXPORT int QLK_VID_GetRandomFromPriKey(void* context, BINSTR* privateKey, BINSTR* random);
/* 0 when the identity number and random give the certificate's virtual identifier */
QLK_EXPORT int QLK_VID_Verify(void* context, BINSTR* certificate, BINSTR* random,
                              const char* identityNumber);

/* Password-protected private keys */
QLK_EXPORT int QLK_PRIKEY_Encrypt(void* context, int algorithm, const char* password,
                                  BINSTR* privateKey, BINSTR* encrypted);
QLK_EXPORT int QLK_PRIKEY_Decrypt(void* context, const char* password, BINSTR* encrypted,
                                  BINSTR* privateKey);
QLK_EXPORT int QLK_PRIKEY_ChangePasswd(void* context, const char* oldPassword,
                                       const char* newPassword, BINSTR* encrypted,
                                       BINSTR* reencrypted);
QLK_EXPORT int QLK_PRIKEY_CheckKeyPair(void* context, BINSTR* in1, BINSTR* in2);

/* PKCS#12: a certificate folder's signing pair (and key-management pair, when given) to
   and from one PFX; the key-management inputs may be null or empty. */
QLK_EXPORT int QLK_PFX_Export(void* context, BINSTR* signCert, BINSTR* signKeyFile, const char* keyPassword,
                              BINSTR* kmCert, BINSTR* kmKeyFile, const char* pfxPassword, BINSTR* pfx);
QLK_EXPORT int QLK_PFX_Import(void* context, BINSTR* pfx, const char* pfxPassword, const char* keyPassword,
                              BINSTR* signCert, BINSTR* signKeyFile, BINSTR* kmCert, BINSTR* kmKeyFile);

/* Storage media: disk and a card driver loaded with QLK_MEDIA_Load */
QLK_EXPORT int QLK_MEDIA_Load(void* context, const char* driverPath);
QLK_EXPORT int QLK_MEDIA_Unload(void* context);
QLK_EXPORT int QLK_MEDIA_DISK_ReadCert(void* context, const char* location, BINSTR* certificate);
QLK_EXPORT int QLK_MEDIA_CARD_ReadCert(void* context, int selector, const char* location,
                                       BINSTR* certificate);
QLK_EXPORT int QLK_MEDIA_DISK_ReadPriKey(void* context, const char* t2, const char* t3, BINSTR* key);
QLK_EXPORT int QLK_MEDIA_CARD_ReadPriKey(void* context, int selector, const char* t2, const char* t3,
                                         BINSTR* key);
QLK_EXPORT int QLK_MEDIA_DISK_WriteCert(void* context, const char* location, BINSTR* certificate);
QLK_EXPORT int QLK_MEDIA_CARD_WriteCert(void* context, int selector, const char* location,
                                        BINSTR* certificate);
QLK_EXPORT int QLK_MEDIA_DISK_WritePriKey(void* context, int p5, const char* t2, const char* t3,
                                          BINSTR* key);
QLK_EXPORT int QLK_MEDIA_CARD_WritePriKey(void* context, int selector, int p5, const char* t2,
                                          const char* t3, BINSTR* key);
QLK_EXPORT int QLK_MEDIA_DISK_DeleteCert(void* context, const char* location);
QLK_EXPORT int QLK_MEDIA_CARD_DeleteCert(void* context, int selector, const char* location);
QLK_EXPORT int QLK_MEDIA_DISK_DeletePriKey(void* context, const char* t2, const char* t3);
QLK_EXPORT int QLK_MEDIA_CARD_DeletePriKey(void* context, int selector, const char* t2,
                                           const char* t3);
QLK_EXPORT int QLK_MEDIA_DISK_WriteFile(void* context, const char* location, BINSTR* data);

/* CMS messages */
QLK_EXPORT int QLK_CMS_SignData(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3,
                                const char* signTime, BINSTR* signedData);
QLK_EXPORT int QLK_CMS_AddSigner(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3,
                                 const char* signTime, BINSTR* signedData);
/* time: 20-byte buffer, at most 19 characters */
QLK_EXPORT int QLK_CMS_GetSignerCert(void* context, int index, BINSTR* certificate, char* time);
QLK_EXPORT int QLK_CMS_VerifyData(void* context, int type, BINSTR* signedData, BINSTR* content,
                                  int* signerCount);
QLK_EXPORT int QLK_CMS_EncryptData(void* context, int type, BINSTR* in1, BINSTR* in2, int cipher,
                                   BINSTR* enveloped);
QLK_EXPORT int QLK_CMS_EncryptDataWithMultiReps(void* context, int type, BINSTR* in1, BINSTR* in2,
                                                int cipher, BINSTR* enveloped);
QLK_EXPORT int QLK_CMS_DecryptData(void* context, BINSTR* in1, BINSTR* in2, BINSTR* in3,
                                   BINSTR* content);
QLK_EXPORT int QLK_CMS_SignAndEncData(void* context, int type, BINSTR* in1, BINSTR* in2,
                                      BINSTR* in3, BINSTR* in4, int cipher, BINSTR* message);
QLK_EXPORT int QLK_CMS_VerifyAndDecData(void* context, int type, BINSTR* in1, BINSTR* in2,
                                        BINSTR* in3, BINSTR* first, BINSTR* second);

/* Keys, ciphers, hashes, MACs */
QLK_EXPORT int QLK_CRYPT_SetRSAVersion(void* context, int version);
QLK_EXPORT int QLK_CRYPT_GenRandom(void* context, int length, BINSTR* random);
QLK_EXPORT int QLK_CRYPT_GenKeyPair(void* context, int p1, BINSTR* first, BINSTR* second);
QLK_EXPORT int QLK_CRYPT_GenKeyAndIV(void* context, int cipher);
QLK_EXPORT int QLK_CRYPT_SetKeyAndIV(void* context, int cipher, BINSTR* key, BINSTR* iv);
QLK_EXPORT int QLK_CRYPT_GetKeyAndIV(void* context, int* cipher, BINSTR* key, BINSTR* iv);
QLK_EXPORT int QLK_CRYPT_SetEnvChangeIV(void* context);
QLK_EXPORT int QLK_CRYPT_Encrypt(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_CRYPT_Decrypt(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_CRYPT_Sign(void* context, BINSTR* in1, BINSTR* in2, int hash, BINSTR* in3,
                              BINSTR* signature);
QLK_EXPORT int QLK_CRYPT_Verify(void* context, BINSTR* in1, int hash, BINSTR* in2, BINSTR* in3);
QLK_EXPORT int QLK_CRYPT_AsymEncrypt(void* context, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_CRYPT_AsymDecrypt(void* context, int p1, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_CRYPT_Hash(void* context, int hash, BINSTR* input, BINSTR* digest);
QLK_EXPORT int QLK_CRYPT_GenMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* mac);
QLK_EXPORT int GPKI_CRYPT_GenMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* mac);
QLK_EXPORT int QLK_CRYPT_VerifyMAC(void* context, int p1, const char* in2, BINSTR* in3, BINSTR* in4);

/* Encodings and directory fetch */
QLK_EXPORT int QLK_BASE64_Encode(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_BASE64_Decode(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_BASE64_DecodeInto(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_PEM_Encode(void* context, int p1, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_PEM_Decode(void* context, BINSTR* input, BINSTR* output);
QLK_EXPORT int QLK_DSAP_GetDataByURL(void* context, int p1, const char* url, BINSTR* data);

/* PKCS#11 tokens: one session per context, through a module loaded by QLK_MEDIA_Load */
QLK_EXPORT int QLK_PKCS11_InitToken(void* context, const char* t1, const char* t2);
QLK_EXPORT int QLK_PKCS11_OpenSession(void* context, const char* t1);
QLK_EXPORT int QLK_PKCS11_OpenSessionWithSlotID(void* context, unsigned long slot, const char* t2,
                                                int p3);
QLK_EXPORT int QLK_PKCS11_OpenSessionWithTokenName(void* context, const char* name, int p2);
QLK_EXPORT int QLK_PKCS11_Login(void* context, const char* pin);
QLK_EXPORT int QLK_PKCS11_GetSlotList(void* context, unsigned long* slots, unsigned long* count);
QLK_EXPORT int QLK_PKCS11_GetTokenInfo(void* context, unsigned long slot, PKCS11_TOKEN_INFO* info);
QLK_EXPORT int QLK_PKCS11_GetCertCnt(void* context, int* count);
QLK_EXPORT int QLK_PKCS11_GetCertInfo(void* context, int index, int* kind, BINSTR* info, BINSTR* id);
QLK_EXPORT int QLK_PKCS11_ReadCert(void* context, BINSTR* id, BINSTR* certificate);
QLK_EXPORT int QLK_PKCS11_ReadRandomForVID(void* context, BINSTR* id, BINSTR* random);
QLK_EXPORT int QLK_PKCS11_Sign(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_PKCS11_SignData(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_PKCS11_SignData_NoContent(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_PKCS11_Encrypt(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_PKCS11_Decrypt(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output);
QLK_EXPORT int QLK_PKCS11_CloseSession(void* context);

#ifdef __cplusplus
}
#endif
