#pragma once
// The backend bound to gpkiapi.dll. Besides the shared operations it signs with its own
// fixed arguments, verifies through a two-step call, keeps the last key and IV, and
// answers the operations it does not offer with 1000000 or 102.
#include "crypto/ToolkitBackend.h"

class CGpkiEx : public zorvane::CToolkitBackend {
public:
    CGpkiEx(int cipherAlg, int hashAlg);
    ~CGpkiEx() override;

    int GetVersion(ByteString& version);
    int GetInfo(ByteString& info);

    // Certificate inspection
    int GetSubjectNameDerFormat(ByteString& name);
    int GetPubKeyAlgo(ByteString& algorithm);
    int GetPubKey(ByteString& key);
    int GetPubKeyLen(ByteString& length);
    int GetSignature(ByteString& signature);
    int GetPolicy(ByteString& policy);
    int GetBasicConstraints(ByteString& constraints);
    int GetExtKeyUsage(ByteString& usage);
    int GetSubjectAltName(ByteString& name);
    int GetSubKeyID(ByteString& id);
    int GetAuthKeyID(ByteString& id);
    int GetCRLDP(ByteString& crlDp);
    int GetAIA(ByteString& aia);
    int GetRemainDays(const ByteString& cert, int& days);
    int AddCert(const ByteString& cert, ByteString& list);
    int GetCertCount(const ByteString& list, int& count);
    int GetCertItem(int index, const ByteString& list, ByteString& cert);

    // CMS messages
    int MakeSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3, ByteString& signedData);
    int MakeSignedData(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                       const ByteString& signTime, ByteString& signedData);
    int AddSigner(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                  const ByteString& signTime, const ByteString& signedData, ByteString& result);
    int VerifySignedData(const ByteString& signedData, ByteString& content, ByteString& signerCert);
    int VerifySignedData(int type, const ByteString& signedData, ByteString& content, ByteString& signTime,
                         ByteString& signerCert);
    int VeryfyMultiSignedData(int type, const ByteString& signedData, ByteString& content, int& signerCount);
    int GetSignerCert(int index, ByteString& signerCert, ByteString& signTime);
    int MakeTBSData(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4);
    int ComposeSignedData(ByteString& a1, ByteString& a2);

    // Trust and verification
    int SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4);
    int SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4, const ByteString& in5);
    int SetVerifyEnv2(const ByteString& in1, const ByteString& in2);
    int SetVerifyEnv2(const ByteString& in1, const ByteString& in2, const ByteString& in3);
    using CToolkitBackend::VerifyCert;
    int VerifyCert(const ByteString& cert, int p2, const ByteString& in3, bool p4, const ByteString& in5,
                   const ByteString& in6);
    int VerifyCert2(const ByteString& cert, int p2, const ByteString& in3, const ByteString& in4);

    // Keys
    int GenerateKeyPair(int p1, ByteString& first, ByteString& second);
    int ClearKeyAndIV();
    int SetEnvChangeIV();
    int GenerateMAC(int p1, const ByteString& in2, const ByteString& in3, ByteString& mac);

    // Storage media
    int ImportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);
    int ExportPFX(ByteString& a1, ByteString& a2, ByteString& a3, ByteString& a4, ByteString& a5, ByteString& a6);
};
