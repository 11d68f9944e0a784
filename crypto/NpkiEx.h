#pragma once
// The backend bound to Quellark.dll. Besides the shared operations it offers the
// toolkit's information, the DER subject name, the signature, the typed CMS forms, the
// second verification environment and the trust utilities (object lists, DN
// comparison, root certificate and path, trust test).
#include "crypto/ToolkitBackend.h"

class CNpkiEx : public zorvane::CToolkitBackend {
public:
    CNpkiEx(int cipherAlg, int hashAlg);
    ~CNpkiEx() override;

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

    // Trust and verification
    int SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4);
    int SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4, const ByteString& in5);
    int SetVerifyEnv2(const ByteString& in1, const ByteString& in2);
    int SetVerifyEnv2(const ByteString& in1, const ByteString& in2, const ByteString& in3);
    using CToolkitBackend::VerifyCert;
    int VerifyCert(const ByteString& cert, int p2, const ByteString& in3, bool p4, const ByteString& in5,
                   const ByteString& in6);
    int VerifyCert2(const ByteString& cert, int p2, const ByteString& in3, const ByteString& in4);
    int IsTrustCert(const ByteString& in1, const ByteString& in2, bool& trusted);
    int CompareDN(const ByteString& first, const ByteString& second);
    int GetRootCert(const ByteString& cert, ByteString& root);
    int GetCertPath(const ByteString& cert, ByteString& path);
    int GetObjectCount(const ByteString& list, int& count);
    int GetObjectA(const ByteString& list, int index, ByteString& object);

    // Keys
    int GenerateKeyPair(int p1, ByteString& first, ByteString& second);
    int ClearKeyAndIV();
    int SetEnvChangeIV();
    int GenerateMAC(int p1, const ByteString& in2, const ByteString& in3, ByteString& mac);
};
