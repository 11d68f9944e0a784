// Every CCryptoEx operation beyond the frame: forwarded to the backend of the selected
// type with the same arguments, its result returned unchanged.
#include <zorvane/CryptoEx.h>

#include "crypto/FacadeDispatch.h"

// Certificate inspection
int CCryptoEx::LoadCert(ByteString& cert) { return ZV_FORWARD(LoadCert, cert); }
int CCryptoEx::UnloadCert() { return ZV_FORWARD(UnloadCert); }
int CCryptoEx::GetCertVersion(int& version) { return ZV_FORWARD(GetCertVersion, version); }
int CCryptoEx::GetSerialNo(ByteString& serial) { return ZV_FORWARD(GetSerialNum, serial); }
int CCryptoEx::GetSerialNum(ByteString& serial) { return ZV_FORWARD(GetSerialNum, serial); }
int CCryptoEx::GetIssuerName(ByteString& name) { return ZV_FORWARD(GetIssuerName, name); }
int CCryptoEx::GetSubjectName(ByteString& name) { return ZV_FORWARD(GetSubjectName, name); }
int CCryptoEx::GetSubjectNameDerFormat(ByteString& name) { return ZV_FORWARD(GetSubjectNameDerFormat, name); }
int CCryptoEx::GetSignAlgo(ByteString& algorithm) { return ZV_FORWARD(GetSignAlgo, algorithm); }
int CCryptoEx::GetValidity(ByteString& notBefore, ByteString& notAfter) {
    return ZV_FORWARD(GetValidity, notBefore, notAfter);
}
int CCryptoEx::GetValidity(ByteString& notBefore, ByteString& notAfter, ByteString& notAfterDate, int& expired) {
    return ZV_FORWARD(GetValidity, notBefore, notAfter, notAfterDate, expired);
}
int CCryptoEx::GetPubKeyAlgo(ByteString& algorithm) { return ZV_FORWARD(GetPubKeyAlgo, algorithm); }
int CCryptoEx::GetPubKey(ByteString& key) { return ZV_FORWARD(GetPubKey, key); }
int CCryptoEx::GetPubKeyLen(ByteString& length) { return ZV_FORWARD(GetPubKeyLen, length); }
int CCryptoEx::GetSignature(ByteString& signature) { return ZV_FORWARD(GetSignature, signature); }
int CCryptoEx::GetKeyUsage(ByteString& usage) { return ZV_FORWARD(GetKeyUsage, usage); }
int CCryptoEx::GetPolicy(ByteString& policy) { return ZV_FORWARD(GetPolicy, policy); }
int CCryptoEx::GetPolicyID(ByteString& policyId) { return ZV_FORWARD(GetPolicyID, policyId); }
int CCryptoEx::GetBasicConstraints(ByteString& constraints) { return ZV_FORWARD(GetBasicConstraints, constraints); }
int CCryptoEx::GetExtKeyUsage(ByteString& usage) { return ZV_FORWARD(GetExtKeyUsage, usage); }
int CCryptoEx::GetSubjectAltName(ByteString& name) { return ZV_FORWARD(GetSubjectAltName, name); }
int CCryptoEx::GetSubKeyID(ByteString& id) { return ZV_FORWARD(GetSubKeyID, id); }
int CCryptoEx::GetAuthKeyID(ByteString& id) { return ZV_FORWARD(GetAuthKeyID, id); }
int CCryptoEx::GetCRLDP(ByteString& crlDp) { return ZV_FORWARD(GetCRLDP, crlDp); }
int CCryptoEx::GetAIA(ByteString& aia) { return ZV_FORWARD(GetAIA, aia); }
int CCryptoEx::GetUID(ByteString& uid) { return ZV_FORWARD(GetUID, uid); }
int CCryptoEx::GetRemainDays(ByteString& cert, int& days) { return ZV_FORWARD(GetRemainDays, cert, days); }
int CCryptoEx::AddCert(ByteString& cert, ByteString& list) { return ZV_FORWARD(AddCert, cert, list); }
int CCryptoEx::GetCertCount(ByteString& list, int& count) { return ZV_FORWARD(GetCertCount, list, count); }
int CCryptoEx::GetCertItem(int index, ByteString& list, ByteString& cert) {
    return ZV_FORWARD(GetCertItem, index, list, cert);
}

// CMS messages
int CCryptoEx::MakeSignedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signedData) {
    return ZV_FORWARD(MakeSignedData, in1, in2, in3, signedData);
}
int CCryptoEx::MakeSignedData(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signTime,
                              ByteString& signedData) {
    return ZV_FORWARD(MakeSignedData, type, in1, in2, in3, signTime, signedData);
}
int CCryptoEx::AddSigner(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signTime,
                         ByteString& signedData, ByteString& result) {
    return ZV_FORWARD(AddSigner, type, in1, in2, in3, signTime, signedData, result);
}
int CCryptoEx::VerifySignedData(ByteString& signedData, ByteString& content, ByteString& signerCert) {
    return ZV_FORWARD(VerifySignedData, signedData, content, signerCert);
}
int CCryptoEx::VerifySignedData(int type, ByteString& signedData, ByteString& content, ByteString& signTime,
                                ByteString& signerCert) {
    return ZV_FORWARD(VerifySignedData, type, signedData, content, signTime, signerCert);
}
int CCryptoEx::VeryfyMultiSignedData(int type, ByteString& signedData, ByteString& content, int& signerCount) {
    return ZV_FORWARD(VeryfyMultiSignedData, type, signedData, content, signerCount);
}
int CCryptoEx::GetSignerCert(int index, ByteString& signerCert, ByteString& signTime) {
    return ZV_FORWARD(GetSignerCert, index, signerCert, signTime);
}
int CCryptoEx::MakeEnvelopedData(ByteString& in1, ByteString& in2, ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedData, in1, in2, enveloped);
}
int CCryptoEx::MakeEnvelopedData(ByteString& in1, ByteString& in2, int cipherAlg, ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedData, in1, in2, cipherAlg, enveloped);
}
int CCryptoEx::MakeEnvelopedData(int type, ByteString& in1, ByteString& in2, int cipherAlg, ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedData, type, in1, in2, cipherAlg, enveloped);
}
int CCryptoEx::MakeEnvelopedDataWithMultiRecipients(ByteString& in1, ByteString& in2, ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedDataWithMultiRecipients, in1, in2, enveloped);
}
int CCryptoEx::MakeEnvelopedDataWithMultiRecipients(ByteString& in1, ByteString& in2, int cipherAlg,
                                                    ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedDataWithMultiRecipients, in1, in2, cipherAlg, enveloped);
}
int CCryptoEx::MakeEnvelopedDataWithMultiRecipients(int type, ByteString& in1, ByteString& in2, int cipherAlg,
                                                    ByteString& enveloped) {
    return ZV_FORWARD(MakeEnvelopedDataWithMultiRecipients, type, in1, in2, cipherAlg, enveloped);
}
int CCryptoEx::VerifyEnvelopedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& content) {
    return ZV_FORWARD(VerifyEnvelopedData, in1, in2, in3, content);
}
int CCryptoEx::MakeSignedAndEnvData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4,
                                    ByteString& message) {
    return ZV_FORWARD(MakeSignedAndEnvData, in1, in2, in3, in4, message);
}
int CCryptoEx::MakeSignedAndEnvData(int type, ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4,
                                    int cipherAlg, ByteString& message) {
    return ZV_FORWARD(MakeSignedAndEnvData, type, in1, in2, in3, in4, cipherAlg, message);
}
int CCryptoEx::VerifySignedAndEnvData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& first,
                                      ByteString& second) {
    return ZV_FORWARD(VerifySignedAndEnvData, in1, in2, in3, first, second);
}
int CCryptoEx::VerifySignedAndEnvData(int type, ByteString& in1, ByteString& in2, ByteString& in3,
                                      ByteString& first, ByteString& second) {
    return ZV_FORWARD(VerifySignedAndEnvData, type, in1, in2, in3, first, second);
}
int CCryptoEx::MakeSimpleSignedData(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& signature) {
    return ZV_FORWARD(MakeSimpleSignedData, in1, in2, in3, signature);
}
int CCryptoEx::MakeSimpleSignedData(ByteString& in1, ByteString& in2, int hashAlg, ByteString& in3,
                                    ByteString& signature) {
    return ZV_FORWARD(MakeSimpleSignedData, in1, in2, hashAlg, in3, signature);
}
int CCryptoEx::VerifySimpleSignedData(ByteString& in1, ByteString& in2, ByteString& in3) {
    return ZV_FORWARD(VerifySimpleSignedData, in1, in2, in3);
}
int CCryptoEx::VerifySimpleSignedData(ByteString& in1, int hashAlg, ByteString& in2, ByteString& in3) {
    return ZV_FORWARD(VerifySimpleSignedData, in1, hashAlg, in2, in3);
}
int CCryptoEx::MakeTBSData(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4) {
    return ZV_FORWARD_GPKI(MakeTBSData, a1, a2, a3, a4);
}
int CCryptoEx::ComposeSignedData(ByteString& a1, ByteString& a2) { return ZV_FORWARD_GPKI(ComposeSignedData, a1, a2); }

// Trust and verification
int CCryptoEx::SetVerifyEnv(int p1, int p2, bool p3, ByteString& in4) {
    return ZV_FORWARD(SetVerifyEnv, p1, p2, p3, in4);
}
int CCryptoEx::SetVerifyEnv(int p1, int p2, bool p3, ByteString& in4, ByteString& in5) {
    return ZV_FORWARD(SetVerifyEnv, p1, p2, p3, in4, in5);
}
int CCryptoEx::SetVerifyEnv2(ByteString& in1, ByteString& in2) { return ZV_FORWARD(SetVerifyEnv2, in1, in2); }
int CCryptoEx::SetVerifyEnv2(ByteString& in1, ByteString& in2, ByteString& in3) {
    return ZV_FORWARD(SetVerifyEnv2, in1, in2, in3);
}
int CCryptoEx::VerifyCert(ByteString& cert, int p2, ByteString& in3, ByteString& confFile, bool p5, ByteString& in6,
                          ByteString& in7) {
    return ZV_FORWARD(VerifyCert, cert, p2, in3, confFile, p5, in6, in7);
}
int CCryptoEx::VerifyCert(ByteString& cert, int p2, ByteString& in3, bool p4, ByteString& in5, ByteString& in6) {
    return ZV_FORWARD(VerifyCert, cert, p2, in3, p4, in5, in6);
}
int CCryptoEx::VerifyCert2(ByteString& cert, int p2, ByteString& in3, ByteString& in4) {
    return ZV_FORWARD(VerifyCert2, cert, p2, in3, in4);
}
int CCryptoEx::AddTrustedCert(ByteString& cert) { return ZV_FORWARD(AddTrustedCert, cert); }
int CCryptoEx::SetCaPubs(ByteString& caPubs) { return ZV_FORWARD(SetCaPubs, caPubs); }
int CCryptoEx::IsTrustCert(ByteString& in1, ByteString& in2, bool& trusted) {
    return ZV_FORWARD_NPKI(IsTrustCert, in1, in2, trusted);
}
int CCryptoEx::CompareDN(ByteString& first, ByteString& second) { return ZV_FORWARD_NPKI(CompareDN, first, second); }
int CCryptoEx::GetRootCert(ByteString& cert, ByteString& root) { return ZV_FORWARD_NPKI(GetRootCert, cert, root); }
int CCryptoEx::GetCertPath(ByteString& cert, ByteString& path) { return ZV_FORWARD_NPKI(GetCertPath, cert, path); }
int CCryptoEx::VerifyByIVS(ByteString& in1, ByteString& in2, ByteString& in3) {
    return ZV_FORWARD(VerifyByIVS, in1, in2, in3);
}
int CCryptoEx::VerifyByIVS2(ByteString& in1, ByteString& in2, ByteString& in3, ByteString& in4, ByteString& in5) {
    return ZV_FORWARD(VerifyByIVS2, in1, in2, in3, in4, in5);
}
int CCryptoEx::VerifyVID(ByteString& in1, ByteString& random, ByteString& identityNumber) {
    return ZV_FORWARD(VerifyVID, in1, random, identityNumber);
}
int CCryptoEx::GetRandomNo(ByteString& privateKey, ByteString& random) {
    return ZV_FORWARD(GetRandomNo, privateKey, random);
}
int CCryptoEx::LDAPGetDataByURL(int p1, ByteString& url, ByteString& data) {
    return ZV_FORWARD(LDAPGetDataByURL, p1, url, data);
}
int CCryptoEx::AddObject(ByteString& object, ByteString& result) { return ZV_FORWARD(AddObject, object, result); }
int CCryptoEx::GetObjectCount(ByteString& list, int& count) { return ZV_FORWARD_NPKI(GetObjectCount, list, count); }
int CCryptoEx::GetObjectA(ByteString& list, int index, ByteString& object) {
    return ZV_FORWARD_NPKI(GetObjectA, list, index, object);
}

// Keys, ciphers and encodings
int CCryptoEx::GenerateRandom(int length, ByteString& random) { return ZV_FORWARD(GenerateRandom, length, random); }
int CCryptoEx::GenerateKeyPair(int p1, ByteString& first, ByteString& second) {
    return ZV_FORWARD(GenerateKeyPair, p1, first, second);
}
int CCryptoEx::GenerateKey(ByteString& key, ByteString& iv) { return ZV_FORWARD(GenerateKey, key, iv); }
int CCryptoEx::GenerateKey(int cipherAlg, ByteString& key, ByteString& iv) {
    return ZV_FORWARD(GenerateKey, cipherAlg, key, iv);
}
int CCryptoEx::SetKeyAndIV(ByteString& key, ByteString& iv) { return ZV_FORWARD(SetKeyAndIV, key, iv); }
int CCryptoEx::SetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv) {
    return ZV_FORWARD(SetKeyAndIV, cipherAlg, key, iv);
}
int CCryptoEx::GetKeyAndIV(ByteString& key, ByteString& iv) { return ZV_FORWARD(GetKeyAndIV, key, iv); }
int CCryptoEx::GetKeyAndIV(int cipherAlg, ByteString& key, ByteString& iv) {
    return ZV_FORWARD(GetKeyAndIV, cipherAlg, key, iv);
}
int CCryptoEx::ClearKeyAndIV() { return ZV_FORWARD(ClearKeyAndIV); }
int CCryptoEx::SetEnvChangeIV() { return ZV_FORWARD(SetEnvChangeIV); }
int CCryptoEx::EncryptKey(ByteString& input, ByteString& result) { return ZV_FORWARD(EncryptKey, input, result); }
int CCryptoEx::EncryptKey(ByteString& key, ByteString& iv, ByteString& input, ByteString& result) {
    return ZV_FORWARD(EncryptKey, key, iv, input, result);
}
int CCryptoEx::EncryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& input, ByteString& result) {
    return ZV_FORWARD(EncryptKey, cipherAlg, key, iv, input, result);
}
int CCryptoEx::DecryptKey(ByteString& input, ByteString& result) { return ZV_FORWARD(DecryptKey, input, result); }
int CCryptoEx::DecryptKey(ByteString& key, ByteString& iv, ByteString& input, ByteString& result) {
    return ZV_FORWARD(DecryptKey, key, iv, input, result);
}
int CCryptoEx::DecryptKey(int cipherAlg, ByteString& key, ByteString& iv, ByteString& input, ByteString& result) {
    return ZV_FORWARD(DecryptKey, cipherAlg, key, iv, input, result);
}
int CCryptoEx::AsymEncrypt(int p1, ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(AsymEncrypt, p1, in1, in2, result);
}
int CCryptoEx::AsymDecrypt(int p1, ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(AsymDecrypt, p1, in1, in2, result);
}
int CCryptoEx::Hash(ByteString& input, ByteString& digest) { return ZV_FORWARD(Hash, input, digest); }
int CCryptoEx::Hash(int hashAlg, ByteString& input, ByteString& digest) {
    return ZV_FORWARD(Hash, hashAlg, input, digest);
}
int CCryptoEx::GenerateMAC(int p1, ByteString& in2, ByteString& in3, ByteString& mac) {
    return ZV_FORWARD(GenerateMAC, p1, in2, in3, mac);
}
int CCryptoEx::VerifyMAC(int p1, ByteString& in2, ByteString& in3, ByteString& in4) {
    return ZV_FORWARD(VerifyMAC, p1, in2, in3, in4);
}
int CCryptoEx::Base64Enc(ByteString& input, ByteString& result) { return ZV_FORWARD(Base64Enc, input, result); }
int CCryptoEx::Base64Dec(ByteString& input, ByteString& result) { return ZV_FORWARD(Base64Dec, input, result); }
int CCryptoEx::EncodePEM(int p1, ByteString& input, ByteString& pem) { return ZV_FORWARD(EncodePEM, p1, input, pem); }
int CCryptoEx::DecodePEM(ByteString& pem, ByteString& result) { return ZV_FORWARD(DecodePEM, pem, result); }
int CCryptoEx::PriKeyEncrypt(int p1, ByteString& password, ByteString& privateKey, ByteString& encrypted) {
    return ZV_FORWARD(PriKeyEncrypt, p1, password, privateKey, encrypted);
}
int CCryptoEx::PriKeyDecrypt(ByteString& password, ByteString& encrypted, ByteString& privateKey) {
    return ZV_FORWARD(PriKeyDecrypt, password, encrypted, privateKey);
}
int CCryptoEx::PriKeyChangePass(ByteString& oldPassword, ByteString& newPassword, ByteString& encrypted,
                                ByteString& reencrypted) {
    return ZV_FORWARD(PriKeyChangePass, oldPassword, newPassword, encrypted, reencrypted);
}
int CCryptoEx::PriKeyCheckKeyPair(ByteString& in1, ByteString& in2) { return ZV_FORWARD(PriKeyCheckKeyPair, in1, in2); }

// Storage media
int CCryptoEx::LoadStorage(ByteString& driverPath) { return ZV_FORWARD(LoadStorage, driverPath); }
int CCryptoEx::UnloadStorage() { return ZV_FORWARD(UnloadStorage); }
int CCryptoEx::ReadCertFromStorage(int media, ByteString& location, int selector, ByteString& cert) {
    return ZV_FORWARD(ReadCertFromStorage, media, location, selector, cert);
}
int CCryptoEx::ReadPriKeyFromStroage(int media, ByteString& t2, ByteString& t3, int selector, ByteString& key) {
    return ZV_FORWARD(ReadPriKeyFromStroage, media, t2, t3, selector, key);
}
int CCryptoEx::WriteCertToStorage(int media, ByteString& location, int selector, ByteString& cert) {
    return ZV_FORWARD(WriteCertToStorage, media, location, selector, cert);
}
int CCryptoEx::WritePriKeyToStorage(int media, ByteString& t2, ByteString& t3, int selector, int p5,
                                    ByteString& key) {
    return ZV_FORWARD(WritePriKeyToStorage, media, t2, t3, selector, p5, key);
}
int CCryptoEx::WriteFileToStorage(ByteString& location, ByteString& data) {
    return ZV_FORWARD(WriteFileToStorage, location, data);
}
int CCryptoEx::DeleteCertFromStorage(int media, ByteString& location, int selector) {
    return ZV_FORWARD(DeleteCertFromStorage, media, location, selector);
}
int CCryptoEx::DeletePriKeyFromStorage(int media, ByteString& t2, ByteString& t3, int selector) {
    return ZV_FORWARD(DeletePriKeyFromStorage, media, t2, t3, selector);
}
int CCryptoEx::ImportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5,
                         ByteString& a6) {
    return ZV_FORWARD_GPKI(ImportPFX, a1, a2, a3, a4, a5, a6);
}
int CCryptoEx::ExportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5,
                         ByteString& a6) {
    return ZV_FORWARD_GPKI(ExportPFX, a1, a2, a3, a4, a5, a6);
}

// PKCS#11 tokens
int CCryptoEx::PKCS11_InitToken(ByteString& t1, ByteString& t2) { return ZV_FORWARD(PKCS11_InitToken, t1, t2); }
int CCryptoEx::PKCS11_OpenSession(ByteString& t1) { return ZV_FORWARD(PKCS11_OpenSession, t1); }
int CCryptoEx::PKCS11_OpenSessionWithSlotID(unsigned long slot, ByteString& t2, int p3) {
    return ZV_FORWARD(PKCS11_OpenSessionWithSlotID, slot, t2, p3);
}
int CCryptoEx::PKCS11_OpenSessionWithTokenName(ByteString& name, int p2) {
    return ZV_FORWARD(PKCS11_OpenSessionWithTokenName, name, p2);
}
int CCryptoEx::PKCS11_Login(ByteString& pin) { return ZV_FORWARD(PKCS11_Login, pin); }
int CCryptoEx::PKCS11_GetSlotList(unsigned long* slots, unsigned long& count) {
    return ZV_FORWARD(PKCS11_GetSlotList, slots, count);
}
int CCryptoEx::PKCS11_GetTokenInfo(unsigned long slot, PKCS11_TOKEN_INFO& info) {
    return ZV_FORWARD(PKCS11_GetTokenInfo, slot, info);
}
int CCryptoEx::PKCS11_GetCertCnt(int* count) { return ZV_FORWARD(PKCS11_GetCertCnt, count); }
int CCryptoEx::PKCS11_GetCertInfo(int p1, int p2, ByteString& first, ByteString& second) {
    return ZV_FORWARD(PKCS11_GetCertInfo, p1, p2, first, second);
}
int CCryptoEx::PKCS11_ReadCert(ByteString& in1, ByteString& cert) { return ZV_FORWARD(PKCS11_ReadCert, in1, cert); }
int CCryptoEx::PKCS11_ReadRandomForVID(ByteString& in1, ByteString& random) {
    return ZV_FORWARD(PKCS11_ReadRandomForVID, in1, random);
}
int CCryptoEx::PKCS11_Sign(ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(PKCS11_Sign, in1, in2, result);
}
int CCryptoEx::PKCS11_SignData(ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(PKCS11_SignData, in1, in2, result);
}
int CCryptoEx::PKCS11_SignData_NoContent(ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(PKCS11_SignData_NoContent, in1, in2, result);
}
int CCryptoEx::PKCS11_Encrypt(ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(PKCS11_Encrypt, in1, in2, result);
}
int CCryptoEx::PKCS11_Decrypt(ByteString& in1, ByteString& in2, ByteString& result) {
    return ZV_FORWARD(PKCS11_Decrypt, in1, in2, result);
}
int CCryptoEx::PKCS11_CloseSession() { return ZV_FORWARD(PKCS11_CloseSession); }
