// Every CCryptoEx operation, on both backends, against the fault toolkit: the code
// when the library is not loaded (and that nothing is touched then), the code and
// error text when the library lacks every operation's function, and the exact toolkit
// calls (arguments, order, constants) when it has them all.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/FacadeCase.h"
#include "crypto/FaultKit.h"

namespace {

using namespace facadecase;

// What one backend answers for one operation.
struct Side {
    int notLoaded;         // no library loaded
    int missing;           // library without the operation's functions
    const char* failName;  // name in the "Fail to call" text then; null: no text is set
    const char* calls;     // toolkit calls with every function present; "" when none
};

const char kDerived[] = "(first call)";

// An operation that calls the toolkit; the name of the first function called is the
// one in the "Fail to call" text unless another is given.
Side Gpki(const char* calls, const char* failName = kDerived, int notLoaded = 100) {
    return {notLoaded, 102, failName, calls};
}
Side Npki(const char* calls, const char* failName = kDerived, int notLoaded = 101) {
    return {notLoaded, 102, failName, calls};
}
// Offered by the backend but reaching no toolkit function: library check, then 102.
Side GpkiUnavailable(const char* name) { return {100, 102, name, ""}; }
Side NpkiUnavailable(const char* name) { return {101, 102, name, ""}; }
// Answered without any check: 1000000 from the GPKI backend (or from the facade for an
// NPKI-only operation), 102 from the facade for a GPKI-only operation.
const Side kGpkiNotOffered{1000000, 1000000, nullptr, ""};
const Side kFacadeAnswers102{102, 102, nullptr, ""};

struct Row {
    const char* label;
    Operation operation;
    Side gpki;
    Side npki;
};

// Both backends make the same calls.
Row Both(const char* label, Operation operation, const char* calls) {
    return {label, std::move(operation), Gpki(calls), Npki(calls)};
}
// The same calls, and the NPKI backend, too, answers 100 when no library is loaded.
Row BothAnswer100(const char* label, Operation operation, const char* calls, const char* failName = kDerived) {
    return {label, std::move(operation), Gpki(calls, failName), Npki(calls, failName, 100)};
}

#define OP FACADE_OP

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // Frame
        {"SetOption", OP(SetOption(5)), kGpkiNotOffered, kFacadeAnswers102},
        {"GetVersion", OP(GetVersion(a.a)), kGpkiNotOffered, Npki("QLK_API_GetInfo(text, text)")},
        {"GetInfo", OP(GetInfo(a.a)), kGpkiNotOffered, Npki("QLK_API_GetInfo(text, text)")},

        // Certificate inspection
        Both("LoadCert", OP(LoadCert(a.a)), "QLK_CERT_Load([A])"),
        Both("UnloadCert", OP(UnloadCert()), "QLK_CERT_Unload()"),
        Both("GetCertVersion", OP(GetCertVersion(a.counter)), "QLK_CERT_GetVersion(&0)"),
        Both("GetSerialNo", OP(GetSerialNo(a.a)), "QLK_CERT_GetSerialNum(1024, text)"),
        Both("GetSerialNum", OP(GetSerialNum(a.a)), "QLK_CERT_GetSerialNum(1024, text)"),
        Both("GetIssuerName", OP(GetIssuerName(a.a)), "QLK_CERT_GetIssuerName(1024, text)"),
        Both("GetSubjectName", OP(GetSubjectName(a.a)), "QLK_CERT_GetSubjectName(1024, text)"),
        {"GetSubjectNameDerFormat", OP(GetSubjectNameDerFormat(a.a)), GpkiUnavailable("GetSubjectNameDerFormat"),
         Npki("QLK_CERT_GetSubjectName_DERFormat(out)")},
        Both("GetSignAlgo", OP(GetSignAlgo(a.a)), "QLK_CERT_GetSignatureAlgorithm(1024, text)"),
        Both("GetValidity/2", OP(GetValidity(a.a, a.b)), "QLK_CERT_GetValidity(text, text)"),
        Both("GetValidity/4", OP(GetValidity(a.a, a.b, a.c, a.counter)), "QLK_CERT_GetValidity(text, text)"),
        {"GetPubKeyAlgo", OP(GetPubKeyAlgo(a.a)), Gpki("QLK_CERT_GetPubKey(1024, text, text)"),
         Npki("QLK_CERT_GetPubKey(2048, text, text)")},
        {"GetPubKey", OP(GetPubKey(a.a)), Gpki("QLK_CERT_GetPubKey(1024, text, text)"),
         Npki("QLK_CERT_GetPubKey(2048, text, text)")},
        {"GetPubKeyLen", OP(GetPubKeyLen(a.a)), Gpki("QLK_CERT_GetPubKey2(text, text, out)"),
         Npki("QLK_CERT_GetPubKey(2048, text, text)")},
        {"GetSignature", OP(GetSignature(a.a)), GpkiUnavailable("GetSignature"),
         Npki("QLK_CERT_GetSignature(2048, text)")},
        Both("GetKeyUsage", OP(GetKeyUsage(a.a)), "QLK_CERT_GetKeyUsage(1024, text)"),
        {"GetPolicy", OP(GetPolicy(a.a)), Gpki("QLK_CERT_GetCertPolicy(1024, text)"),
         Npki("QLK_CERT_GetCertPolicy(2048, text)")},
        Both("GetPolicyID", OP(GetPolicyID(a.a)), "QLK_CERT_GetCertPolicy_PolicyID(1024, text)"),
        {"GetBasicConstraints", OP(GetBasicConstraints(a.a)), Gpki("QLK_CERT_GetBasicConstraints(1024, text)"),
         Npki("QLK_CERT_GetBasicConstraints(100, text)")},
        {"GetExtKeyUsage", OP(GetExtKeyUsage(a.a)), Gpki("QLK_CERT_GetExtKeyUsage(1024, text)", "GetExtKeyUsage"),
         Npki("QLK_CERT_GetExtKeyUsage(1024, text)")},
        {"GetSubjectAltName", OP(GetSubjectAltName(a.a)),
         Gpki("QLK_CERT_GetSubjectAltName(1024, text)", "GetSubjectAltName"),
         Npki("QLK_CERT_GetSubjectAltName(1024, text)")},
        {"GetSubKeyID", OP(GetSubKeyID(a.a)), Gpki("QLK_CERT_GetSubKeyID(1024, text)", "GetSubKeyID"),
         Npki("QLK_CERT_GetSubKeyID(1024, text)")},
        {"GetAuthKeyID", OP(GetAuthKeyID(a.a)), Gpki("QLK_CERT_GetAuthKeyID(1024, text)", "GetAuthKeyID"),
         Npki("QLK_CERT_GetAuthKeyID(2048, text)")},
        {"GetCRLDP", OP(GetCRLDP(a.a)), Gpki("QLK_CERT_GetCRLDP(1024, text)"), Npki("QLK_CERT_GetCRLDP(2048, text)")},
        {"GetAIA", OP(GetAIA(a.a)), Gpki("QLK_CERT_GetAIA(1024, text)"), Npki("QLK_CERT_GetAIA(2048, text)")},
        Both("GetUID", OP(GetUID(a.a)), "QLK_CERT_GetSubjectName(1024, text)"),
        {"GetRemainDays", OP(GetRemainDays(a.a, a.counter)), kGpkiNotOffered, NpkiUnavailable("GetRemainDays")},
        {"AddCert", OP(AddCert(a.a, a.b)), kGpkiNotOffered, NpkiUnavailable("AddCert")},
        {"GetCertCount", OP(GetCertCount(a.a, a.counter)), kGpkiNotOffered, NpkiUnavailable("GetCertCount")},
        {"GetCertItem", OP(GetCertItem(1, a.a, a.b)), kGpkiNotOffered, NpkiUnavailable("GetCertItem")},

        // CMS messages
        {"MakeSignedData/4", OP(MakeSignedData(a.a, a.b, a.c, a.d)),
         Gpki("QLK_CMS_SignData(2, [A], [B], [C], \"\", out)\nQLK_CRYPT_SetRSAVersion(1)"),
         Npki("QLK_CMS_SignData(0, [A], [B], [C], \"<now>\", out)")},
        {"MakeSignedData/6", OP(MakeSignedData(7, a.a, a.b, a.c, a.d, a.e)),
         Gpki("QLK_CMS_SignData(2, [A], [B], [C], \"\", out)\nQLK_CRYPT_SetRSAVersion(1)"),
         Npki("QLK_CMS_SignData(7, [A], [B], [C], \"D\", out)")},
        {"AddSigner", OP(AddSigner(7, a.a, a.b, a.c, a.d, a.e, a.f)), GpkiUnavailable("AddSigner"),
         Npki("QLK_CMS_AddSigner(7, [A], [B], [C], \"D\", [E])")},
        {"VerifySignedData/3", OP(VerifySignedData(a.a, a.b, a.c)),
         Gpki("QLK_CMS_VerifyData(4, [A], out, &0)\nQLK_CMS_GetSignerCert(0, out, text)", "GPKI_CMS_ProcessSignedData"),
         Npki("QLK_CMS_VerifyData(0, [A], out, &0)\nQLK_CMS_GetSignerCert(0, out, text)")},
        {"VerifySignedData/5", OP(VerifySignedData(7, a.a, a.b, a.c, a.d)), GpkiUnavailable("VerifySignedData"),
         Npki("QLK_CMS_VerifyData(7, [A], out, &0)\nQLK_CMS_GetSignerCert(0, out, text)")},
        {"VeryfyMultiSignedData", OP(VeryfyMultiSignedData(7, a.a, a.b, a.counter)),
         GpkiUnavailable("VerifySignedData"), Npki("QLK_CMS_VerifyData(7, [A], out, &0)")},
        {"GetSignerCert", OP(GetSignerCert(2, a.a, a.b)), GpkiUnavailable("VerifySignedData"),
         Npki("QLK_CMS_GetSignerCert(2, out, text)")},
        Both("MakeEnvelopedData/3", OP(MakeEnvelopedData(a.a, a.b, a.c)), "QLK_CMS_EncryptData(0, [A], [B], 48, out)"),
        Both("MakeEnvelopedData/4", OP(MakeEnvelopedData(a.a, a.b, 50, a.c)),
             "QLK_CMS_EncryptData(0, [A], [B], 50, out)"),
        {"MakeEnvelopedData/5", OP(MakeEnvelopedData(7, a.a, a.b, 50, a.c)),
         Gpki("QLK_CMS_EncryptData(0, [A], [B], 50, out)"), Npki("QLK_CMS_EncryptData(7, [A], [B], 50, out)")},
        Both("MakeEnvelopedDataWithMultiRecipients/3", OP(MakeEnvelopedDataWithMultiRecipients(a.a, a.b, a.c)),
             "QLK_CMS_EncryptDataWithMultiReps(0, [A], [B], 48, out)"),
        Both("MakeEnvelopedDataWithMultiRecipients/4", OP(MakeEnvelopedDataWithMultiRecipients(a.a, a.b, 50, a.c)),
             "QLK_CMS_EncryptDataWithMultiReps(0, [A], [B], 50, out)"),
        {"MakeEnvelopedDataWithMultiRecipients/5", OP(MakeEnvelopedDataWithMultiRecipients(7, a.a, a.b, 50, a.c)),
         Gpki("QLK_CMS_EncryptDataWithMultiReps(0, [A], [B], 50, out)"),
         Npki("QLK_CMS_EncryptDataWithMultiReps(7, [A], [B], 50, out)")},
        Both("VerifyEnvelopedData", OP(VerifyEnvelopedData(a.a, a.b, a.c, a.d)),
             "QLK_CMS_DecryptData([A], [B], [C], out)"),
        Both("MakeSignedAndEnvData/5", OP(MakeSignedAndEnvData(a.a, a.b, a.c, a.d, a.e)),
             "QLK_CMS_SignAndEncData(0, [A], [B], [C], [D], 48, out)"),
        {"MakeSignedAndEnvData/7", OP(MakeSignedAndEnvData(7, a.a, a.b, a.c, a.d, 50, a.e)),
         Gpki("QLK_CMS_SignAndEncData(0, [A], [B], [C], [D], 48, out)"),
         Npki("QLK_CMS_SignAndEncData(7, [A], [B], [C], [D], 50, out)")},
        Both("VerifySignedAndEnvData/5", OP(VerifySignedAndEnvData(a.a, a.b, a.c, a.d, a.e)),
             "QLK_CMS_VerifyAndDecData(0, [A], [B], [C], out, out)"),
        {"VerifySignedAndEnvData/6", OP(VerifySignedAndEnvData(7, a.a, a.b, a.c, a.d, a.e)),
         Gpki("QLK_CMS_VerifyAndDecData(0, [A], [B], [C], out, out)"),
         Npki("QLK_CMS_VerifyAndDecData(7, [A], [B], [C], out, out)")},
        Both("MakeSimpleSignedData/4", OP(MakeSimpleSignedData(a.a, a.b, a.c, a.d)),
             "QLK_CRYPT_Sign([A], [B], 1, [C], out)"),
        Both("MakeSimpleSignedData/5", OP(MakeSimpleSignedData(a.a, a.b, 4, a.c, a.d)),
             "QLK_CRYPT_Sign([A], [B], 4, [C], out)"),
        Both("VerifySimpleSignedData/3", OP(VerifySimpleSignedData(a.a, a.b, a.c)),
             "QLK_CRYPT_Verify([A], 1, [B], [C])"),
        Both("VerifySimpleSignedData/4", OP(VerifySimpleSignedData(a.a, 4, a.b, a.c)),
             "QLK_CRYPT_Verify([A], 4, [B], [C])"),
        {"MakeTBSData", OP(MakeTBSData(a.a, a.b, a.c, a.d)), kGpkiNotOffered, kFacadeAnswers102},
        {"ComposeSignedData", OP(ComposeSignedData(a.a, a.b)), kGpkiNotOffered, kFacadeAnswers102},

        // Trust and verification
        {"SetVerifyEnv/4", OP(SetVerifyEnv(1, 2, true, a.a)),
         Gpki("QLK_CERT_SetVerifyEnv1(1, 2, 1, \"A\")\nQLK_CERT_SetVerifyEnv2(\"<now>\", null, null)"),
         Npki("QLK_CERT_SetVerifyEnv1(1, 2, 1, \"A\")")},
        {"SetVerifyEnv/5", OP(SetVerifyEnv(1, 2, false, a.a, a.b)),
         Gpki("QLK_CERT_SetVerifyEnv1(1, 2, 0, \"B\")\nQLK_CERT_SetVerifyEnv2(\"A\", null, null)"),
         Npki("QLK_CERT_SetVerifyEnv1(1, 2, 0, \"B\")")},
        {"SetVerifyEnv2/2", OP(SetVerifyEnv2(a.a, a.b)), GpkiUnavailable("SetVerifyEnv2"),
         Npki("QLK_CERT_SetVerifyEnv2(\"<now>\", [A], [B])")},
        {"SetVerifyEnv2/3", OP(SetVerifyEnv2(a.a, a.b, a.c)), GpkiUnavailable("SetVerifyEnv2"),
         Npki("QLK_CERT_SetVerifyEnv2(\"A\", [B], [C])")},
        {"VerifyCert/7", OP(VerifyCert(a.a, 2, a.b, a.c, true, a.d, a.e)),
         Gpki("QLK_API_SetConfFile(\"C\")\nQLK_CERT_Verify([A], 2, \"B\", 1, [D], [E])", "QLK_CERT_Verify"),
         Npki("QLK_API_SetConfFile(\"C\")\nQLK_CERT_Verify([A], 2, \"B\", 1, [D], [E])", "QLK_CERT_Verify")},
        {"VerifyCert/6", OP(VerifyCert(a.a, 2, a.b, false, a.c, a.d)),
         GpkiUnavailable("VerifyCert\n[You have to input Configure File Path parameter.]"),
         Npki("QLK_API_SetConfFile(\"\")\nQLK_CERT_Verify([A], 2, \"B\", 0, [C], [D])", "QLK_CERT_Verify")},
        {"VerifyCert2", OP(VerifyCert2(a.a, 2, a.b, a.c)), GpkiUnavailable("VerifyCert2"),
         Npki("QLK_CERT_Verify2([A], 2, \"B\", \"C\")")},
        Both("AddTrustedCert", OP(AddTrustedCert(a.a)), "QLK_CERT_AddTrustedCert([A])"),
        {"SetCaPubs", OP(SetCaPubs(a.a)), Gpki("QLK_CERT_AddTrustedCert([A])", kDerived, 101),
         Npki("QLK_CERT_AddTrustedCert([A])")},
        {"IsTrustCert", OP(IsTrustCert(a.a, a.b, a.flag)), kGpkiNotOffered,
         Npki("QLK_UTIL_IsTrustCert([A], [B], flag)")},
        {"CompareDN", OP(CompareDN(a.a, a.b)), kGpkiNotOffered, Npki("QLK_UTIL_CompareDN(\"A\", \"B\")")},
        {"GetRootCert", OP(GetRootCert(a.a, a.b)), kGpkiNotOffered, Npki("QLK_UTIL_GetRootCert([A], out)")},
        {"GetCertPath", OP(GetCertPath(a.a, a.b)), kGpkiNotOffered, Npki("QLK_UTIL_GetCertPath([A], out)")},
        Both("VerifyByIVS", OP(VerifyByIVS(a.a, a.b, a.c)), "QLK_CERT_VerifyByIVS(\"A\", [B], [C])"),
        {"VerifyByIVS2", OP(VerifyByIVS2(a.a, a.b, a.c, a.d, a.e)),
         Gpki("QLK_VID_VerifyByIVS(\"A\", [B], [C], \"D\", [E])", kDerived, 101),
         Npki("QLK_VID_VerifyByIVS(\"A\", [B], [C], \"D\", [E])")},
        Both("VerifyVID", OP(VerifyVID(a.a, a.b, a.c)), "QLK_VID_Verify([A], [B], \"C\")"),
        Both("GetRandomNo", OP(GetRandomNo(a.a, a.b)), "QLK_VID_GetRandomFromPriKey([A], out)"),
        BothAnswer100("LDAPGetDataByURL", OP(LDAPGetDataByURL(3, a.a, a.b)), "QLK_DSAP_GetDataByURL(3, \"A\", out)"),
        {"AddObject", OP(AddObject(a.a, a.b)), Gpki("QLK_UTIL_AddObject([A], out)", kDerived, 101),
         Npki("QLK_UTIL_AddObject([A], out)")},
        {"GetObjectCount", OP(GetObjectCount(a.a, a.counter)), kGpkiNotOffered,
         Npki("QLK_UTIL_GetObjectCount([A], &0)")},
        {"GetObjectA", OP(GetObjectA(a.a, 2, a.b)), kGpkiNotOffered, Npki("QLK_UTIL_GetObject([A], 2, out)")},

        // Keys, ciphers and encodings
        Both("GenerateRandom", OP(GenerateRandom(16, a.a)), "QLK_CRYPT_GenRandom(16, out)"),
        {"GenerateKeyPair", OP(GenerateKeyPair(2, a.a, a.b)), GpkiUnavailable("GenerateKeyPair"),
         Npki("QLK_CRYPT_GenKeyPair(2, out, out)")},
        Both("GenerateKey/2", OP(GenerateKey(a.a, a.b)),
             "QLK_CRYPT_GenKeyAndIV(48)\nQLK_CRYPT_GetKeyAndIV(&48, out, out)"),
        Both("GenerateKey/3", OP(GenerateKey(50, a.a, a.b)),
             "QLK_CRYPT_GenKeyAndIV(50)\nQLK_CRYPT_GetKeyAndIV(&50, out, out)"),
        Both("SetKeyAndIV/2", OP(SetKeyAndIV(a.a, a.b)), "QLK_CRYPT_SetKeyAndIV(48, [A], [B])"),
        Both("SetKeyAndIV/3", OP(SetKeyAndIV(50, a.a, a.b)), "QLK_CRYPT_SetKeyAndIV(50, [A], [B])"),
        Both("GetKeyAndIV/2", OP(GetKeyAndIV(a.a, a.b)), "QLK_CRYPT_GetKeyAndIV(&48, out, out)"),
        Both("GetKeyAndIV/3", OP(GetKeyAndIV(50, a.a, a.b)), "QLK_CRYPT_GetKeyAndIV(&50, out, out)"),
        {"ClearKeyAndIV", OP(ClearKeyAndIV()), kGpkiNotOffered, NpkiUnavailable("ClearKeyAndIV")},
        {"SetEnvChangeIV", OP(SetEnvChangeIV()), GpkiUnavailable("SetEnvChangeIV"), Npki("QLK_CRYPT_SetEnvChangeIV()")},
        Both("EncryptKey/2", OP(EncryptKey(a.a, a.b)),
             "QLK_CRYPT_SetKeyAndIV(48, [], [])\nQLK_CRYPT_Encrypt([A], out)"),
        Both("EncryptKey/4", OP(EncryptKey(a.a, a.b, a.c, a.d)),
             "QLK_CRYPT_SetKeyAndIV(48, [A], [B])\nQLK_CRYPT_Encrypt([C], out)"),
        Both("EncryptKey/5", OP(EncryptKey(50, a.a, a.b, a.c, a.d)),
             "QLK_CRYPT_SetKeyAndIV(50, [A], [B])\nQLK_CRYPT_Encrypt([C], out)"),
        Both("DecryptKey/2", OP(DecryptKey(a.a, a.b)),
             "QLK_CRYPT_SetKeyAndIV(48, [], [])\nQLK_CRYPT_Decrypt([A], out)"),
        Both("DecryptKey/4", OP(DecryptKey(a.a, a.b, a.c, a.d)),
             "QLK_CRYPT_SetKeyAndIV(48, [A], [B])\nQLK_CRYPT_Decrypt([C], out)"),
        Both("DecryptKey/5", OP(DecryptKey(50, a.a, a.b, a.c, a.d)),
             "QLK_CRYPT_SetKeyAndIV(50, [A], [B])\nQLK_CRYPT_Decrypt([C], out)"),
        Both("AsymEncrypt", OP(AsymEncrypt(3, a.a, a.b, a.c)), "QLK_CRYPT_AsymEncrypt(3, [A], [B], out)"),
        Both("AsymDecrypt", OP(AsymDecrypt(3, a.a, a.b, a.c)), "QLK_CRYPT_AsymDecrypt(3, [A], [B], out)"),
        Both("Hash/2", OP(Hash(a.a, a.b)), "QLK_CRYPT_Hash(1, [A], out)"),
        Both("Hash/3", OP(Hash(4, a.a, a.b)), "QLK_CRYPT_Hash(4, [A], out)"),
        {"GenerateMAC", OP(GenerateMAC(3, a.a, a.b, a.c)), Gpki("GPKI_CRYPT_GenMAC(3, \"A\", [B], out)"),
         Npki("QLK_CRYPT_GenMAC(3, \"A\", [B], out)")},
        Both("VerifyMAC", OP(VerifyMAC(3, a.a, a.b, a.c)), "QLK_CRYPT_VerifyMAC(3, \"A\", [B], [C])"),
        Both("Base64Enc", OP(Base64Enc(a.a, a.b)), "QLK_BASE64_Encode([A], out)"),
        Both("Base64Dec", OP(Base64Dec(a.a, a.b)), "QLK_BASE64_Decode([A], out)"),
        BothAnswer100("EncodePEM", OP(EncodePEM(3, a.a, a.b)), "QLK_PEM_Encode(3, [A], out)"),
        BothAnswer100("DecodePEM", OP(DecodePEM(a.a, a.b)), "QLK_PEM_Decode([A], out)"),
        Both("PriKeyEncrypt", OP(PriKeyEncrypt(3, a.a, a.b, a.c)), "QLK_PRIKEY_Encrypt(3, \"A\", [B], out)"),
        Both("PriKeyDecrypt", OP(PriKeyDecrypt(a.a, a.b, a.c)), "QLK_PRIKEY_Decrypt(\"A\", [B], out)"),
        Both("PriKeyChangePass", OP(PriKeyChangePass(a.a, a.b, a.c, a.d)),
             "QLK_PRIKEY_ChangePasswd(\"A\", \"B\", [C], out)"),
        Both("PriKeyCheckKeyPair", OP(PriKeyCheckKeyPair(a.a, a.b)), "QLK_PRIKEY_CheckKeyPair([A], [B])"),

        // Storage media
        Both("LoadStorage", OP(LoadStorage(a.a)), "QLK_MEDIA_Load(\"A\")"),
        Both("UnloadStorage", OP(UnloadStorage()), "QLK_MEDIA_Unload()"),
        BothAnswer100("ReadCertFromStorage/disk", OP(ReadCertFromStorage(1, a.a, 16, a.b)),
                      "QLK_MEDIA_DISK_ReadCert(\"A\", out)", "GPKI_STORAGE_ReadCert"),
        BothAnswer100("ReadCertFromStorage/card", OP(ReadCertFromStorage(2, a.a, 16, a.b)),
                      "QLK_MEDIA_CARD_ReadCert(16, \"A\", out)", "GPKI_STORAGE_ReadCert"),
        BothAnswer100("ReadPriKeyFromStroage/disk", OP(ReadPriKeyFromStroage(1, a.a, a.b, 32, a.c)),
                      "QLK_MEDIA_DISK_ReadPriKey(\"A\", \"B\", out)", "GPKI_STORAGE_ReadPriKey"),
        BothAnswer100("ReadPriKeyFromStroage/card", OP(ReadPriKeyFromStroage(2, a.a, a.b, 32, a.c)),
                      "QLK_MEDIA_CARD_ReadPriKey(32, \"A\", \"B\", out)", "GPKI_STORAGE_ReadPriKey"),
        BothAnswer100("WriteCertToStorage/disk", OP(WriteCertToStorage(1, a.a, 1, a.b)),
                      "QLK_MEDIA_DISK_WriteCert(\"A\", [B])"),
        BothAnswer100("WriteCertToStorage/card", OP(WriteCertToStorage(2, a.a, 1, a.b)),
                      "QLK_MEDIA_CARD_WriteCert(1, \"A\", [B])", "QLK_MEDIA_DISK_WriteCert"),
        BothAnswer100("WritePriKeyToStorage/disk", OP(WritePriKeyToStorage(1, a.a, a.b, 2, 7, a.c)),
                      "QLK_MEDIA_DISK_WritePriKey(7, \"A\", \"B\", [C])"),
        BothAnswer100("WritePriKeyToStorage/card", OP(WritePriKeyToStorage(2, a.a, a.b, 2, 7, a.c)),
                      "QLK_MEDIA_CARD_WritePriKey(2, 7, \"A\", \"B\", [C])", "QLK_MEDIA_DISK_WritePriKey"),
        Both("WriteFileToStorage", OP(WriteFileToStorage(a.a, a.b)), "QLK_MEDIA_DISK_WriteFile(\"A\", [B])"),
        BothAnswer100("DeleteCertFromStorage/disk", OP(DeleteCertFromStorage(1, a.a, 16)),
                      "QLK_MEDIA_DISK_DeleteCert(\"A\")"),
        BothAnswer100("DeleteCertFromStorage/card", OP(DeleteCertFromStorage(2, a.a, 16)),
                      "QLK_MEDIA_CARD_DeleteCert(16, \"A\")", "QLK_MEDIA_DISK_DeleteCert"),
        BothAnswer100("DeletePriKeyFromStorage/disk", OP(DeletePriKeyFromStorage(1, a.a, a.b, 16)),
                      "QLK_MEDIA_DISK_DeletePriKey(\"A\", \"B\")"),
        BothAnswer100("DeletePriKeyFromStorage/card", OP(DeletePriKeyFromStorage(2, a.a, a.b, 16)),
                      "QLK_MEDIA_CARD_DeletePriKey(16, \"A\", \"B\")", "QLK_MEDIA_DISK_DeletePriKey"),
        {"ImportPFX", OP(ImportPFX(a.a, a.b, a.c, a.d, a.e, a.f)), kGpkiNotOffered, kFacadeAnswers102},
        {"ExportPFX", OP(ExportPFX(a.a, a.b, a.c, a.d, a.e, a.f)), kGpkiNotOffered, kFacadeAnswers102},

        // PKCS#11 tokens
        BothAnswer100("PKCS11_InitToken", OP(PKCS11_InitToken(a.a, a.b)), "QLK_PKCS11_InitToken(\"A\", \"B\")"),
        BothAnswer100("PKCS11_OpenSession", OP(PKCS11_OpenSession(a.a)), "QLK_PKCS11_OpenSession(\"A\")"),
        BothAnswer100("PKCS11_OpenSessionWithSlotID", OP(PKCS11_OpenSessionWithSlotID(7, a.a, 3)),
                      "QLK_PKCS11_OpenSessionWithSlotID(7, \"A\", 3)"),
        BothAnswer100("PKCS11_OpenSessionWithTokenName", OP(PKCS11_OpenSessionWithTokenName(a.a, 3)),
                      "QLK_PKCS11_OpenSessionWithTokenName(\"A\", 3)"),
        BothAnswer100("PKCS11_Login", OP(PKCS11_Login(a.a)), "QLK_PKCS11_Login(\"A\")"),
        BothAnswer100("PKCS11_GetSlotList", OP(PKCS11_GetSlotList(a.slots, a.slotCount)),
                      "QLK_PKCS11_GetSlotList({0,0,0,0,0})"),
        BothAnswer100("PKCS11_GetTokenInfo", OP(PKCS11_GetTokenInfo(4, a.info)), "QLK_PKCS11_GetTokenInfo(4, info)"),
        BothAnswer100("PKCS11_GetCertCnt", OP(PKCS11_GetCertCnt(&a.counter)), "QLK_PKCS11_GetCertCnt(&0)"),
        BothAnswer100("PKCS11_GetCertInfo", OP(PKCS11_GetCertInfo(2, 5, a.a, a.b)),
                      "QLK_PKCS11_GetCertInfo(2, &5, out, out)"),
        BothAnswer100("PKCS11_ReadCert", OP(PKCS11_ReadCert(a.a, a.b)), "QLK_PKCS11_ReadCert([A], out)"),
        BothAnswer100("PKCS11_ReadRandomForVID", OP(PKCS11_ReadRandomForVID(a.a, a.b)),
                      "QLK_PKCS11_ReadRandomForVID([A], out)"),
        BothAnswer100("PKCS11_Sign", OP(PKCS11_Sign(a.a, a.b, a.c)), "QLK_PKCS11_Sign([A], [B], out)"),
        BothAnswer100("PKCS11_SignData", OP(PKCS11_SignData(a.a, a.b, a.c)), "QLK_PKCS11_SignData([A], [B], out)"),
        BothAnswer100("PKCS11_SignData_NoContent", OP(PKCS11_SignData_NoContent(a.a, a.b, a.c)),
                      "QLK_PKCS11_SignData_NoContent([A], [B], out)"),
        BothAnswer100("PKCS11_Encrypt", OP(PKCS11_Encrypt(a.a, a.b, a.c)), "QLK_PKCS11_Encrypt([A], [B], out)"),
        BothAnswer100("PKCS11_Decrypt", OP(PKCS11_Decrypt(a.a, a.b, a.c)), "QLK_PKCS11_Decrypt([A], [B], out)"),
        BothAnswer100("PKCS11_CloseSession", OP(PKCS11_CloseSession()), "QLK_PKCS11_CloseSession()"),
    };
    return rows;
}

#undef OP

const Side& SideOf(const Row& row, const Backend& backend) { return backend.type == 0 ? row.gpki : row.npki; }

std::string ExpectedFailName(const Side& side) {
    if (side.failName != kDerived) return side.failName;
    const std::string calls = side.calls;
    return calls.substr(0, calls.find('('));
}

class OperationTable : public ::testing::TestWithParam<Backend> {};

TEST_P(OperationTable, WithoutLibraryEveryOperationAnswersItsCodeAndTouchesNothing) {
    const Backend backend = GetParam();
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.label);
        CCryptoEx facade;
        ASSERT_EQ(0, facade.Init(backend.type, 48, 1));
        Args args;
        EXPECT_EQ(SideOf(row, backend).notLoaded, row.operation(facade, args));
        EXPECT_EQ("", Changes(args));
        EXPECT_TRUE(ErrorText(facade).IsEmpty());
    }
}

TEST_P(OperationTable, LibraryLackingTheFunctionsAnswers102WithTheFailText) {
    const Backend backend = GetParam();
    FaultKit kit("bare", backend.file);
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.label);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, backend.type, kit));
        kit.Reset();
        Args args;
        const Side& side = SideOf(row, backend);
        EXPECT_EQ(side.missing, row.operation(facade, args));
        EXPECT_EQ(side.failName ? FailText(backend, ExpectedFailName(side)) : "", Text(ErrorText(facade)));
        EXPECT_EQ("", kit.Calls());
        EXPECT_EQ(0, kit.LiveBinstrs());
    }
}

TEST_P(OperationTable, EveryOperationCallsTheToolkitWithItsArgumentsInOrder) {
    const Backend backend = GetParam();
    FaultKit kit("full", backend.file);
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.label);
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, backend.type, kit));
        kit.Reset();
        Args args;
        const Side& side = SideOf(row, backend);
        const int result = row.operation(facade, args);
        EXPECT_EQ(side.calls, kit.Calls());
        EXPECT_EQ(*side.calls ? 0 : side.missing, result);
        EXPECT_EQ(0, kit.LiveBinstrs());
    }
    EXPECT_EQ(0, kit.LiveContexts());
}

INSTANTIATE_TEST_SUITE_P(Backends, OperationTable, ::testing::ValuesIn(kBackends), BackendName);

}  // namespace
