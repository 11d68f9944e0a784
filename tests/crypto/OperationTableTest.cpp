// CCryptoEx operations, on both backends, against the fault toolkit: the code without a
// library, the code and error text when it lacks the operation's functions, the exact
// toolkit calls when it has them (operations the commands run over the shared backend
// code are left to their tests); then which outputs each backend writes back after
// success and after a toolkit error (the fault toolkit writes every output even then).
#include <gtest/gtest.h>
#include <zorvane/CryptoEx.h>

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
        {OP(SetOption(5)), kGpkiNotOffered, kFacadeAnswers102},

        // Certificate inspection
        Both(OP(GetSerialNum(a.a)), "CERT_GetSerialNum(1024, text)"),
        {OP(GetSubjectNameDerFormat(a.a)), GpkiUnavailable("GetSubjectNameDerFormat"),
         Npki("CERT_GetSubjectName_DERFormat(out)")},
        {OP(GetPubKeyAlgo(a.a)), Gpki("CERT_GetPubKey(1024, text, text)"), Npki("CERT_GetPubKey(2048, text, text)")},
        {OP(GetPubKeyLen(a.a)), Gpki("CERT_GetPubKey2(text, text, out)"), Npki("CERT_GetPubKey(2048, text, text)")},
        {OP(GetSignature(a.a)), GpkiUnavailable("GetSignature"), Npki("CERT_GetSignature(2048, text)")},
        {OP(GetBasicConstraints(a.a)), Gpki("CERT_GetBasicConstraints(1024, text)"),
         Npki("CERT_GetBasicConstraints(100, text)")},
        {OP(GetExtKeyUsage(a.a)), Gpki("CERT_GetExtKeyUsage(1024, text)", "GetExtKeyUsage"),
         Npki("CERT_GetExtKeyUsage(1024, text)")},
        {OP(GetSubjectAltName(a.a)), Gpki("CERT_GetSubjectAltName(1024, text)", "GetSubjectAltName"),
         Npki("CERT_GetSubjectAltName(1024, text)")},
        {OP(GetRemainDays(a.a, a.counter)), kGpkiNotOffered, NpkiUnavailable("GetRemainDays")},
        {OP(AddCert(a.a, a.b)), kGpkiNotOffered, NpkiUnavailable("AddCert")},
        {OP(GetCertCount(a.a, a.counter)), kGpkiNotOffered, NpkiUnavailable("GetCertCount")},
        {OP(GetCertItem(1, a.a, a.b)), kGpkiNotOffered, NpkiUnavailable("GetCertItem")},
        // CMS messages
        {OP(MakeSignedData(a.a, a.b, a.c, a.d)),
         Gpki("CMS_SignData(2, [A], [B], [C], \"\", out)\nCRYPT_SetRSAVersion(1)"),
         Npki("CMS_SignData(0, [A], [B], [C], \"<now>\", out)")},
        {OP(MakeSignedData(7, a.a, a.b, a.c, a.d, a.e)),
         Gpki("CMS_SignData(2, [A], [B], [C], \"\", out)\nCRYPT_SetRSAVersion(1)"),
         Npki("CMS_SignData(7, [A], [B], [C], \"D\", out)")},
        {OP(AddSigner(7, a.a, a.b, a.c, a.d, a.e, a.f)), GpkiUnavailable("AddSigner"),
         Npki("CMS_AddSigner(7, [A], [B], [C], \"D\", [E])")},
        {OP(VerifySignedData(a.a, a.b, a.c)),
         Gpki("CMS_VerifyData(4, [A], out, &0)\nCMS_GetSignerCert(0, out, text)", "GPKI_CMS_ProcessSignedData"),
         Npki("CMS_VerifyData(0, [A], out, &0)\nCMS_GetSignerCert(0, out, text)")},
        {OP(VerifySignedData(7, a.a, a.b, a.c, a.d)), GpkiUnavailable("VerifySignedData"),
         Npki("CMS_VerifyData(7, [A], out, &0)\nCMS_GetSignerCert(0, out, text)")},
        {OP(GetSignerCert(2, a.a, a.b)), GpkiUnavailable("VerifySignedData"), Npki("CMS_GetSignerCert(2, out, text)")},
        {OP(MakeEnvelopedData(7, a.a, a.b, 50, a.c)), Gpki("CMS_EncryptData(0, [A], [B], 50, out)"),
         Npki("CMS_EncryptData(7, [A], [B], 50, out)")},
        {OP(MakeEnvelopedDataWithMultiRecipients(7, a.a, a.b, 50, a.c)),
         Gpki("CMS_EncryptDataWithMultiReps(0, [A], [B], 50, out)"),
         Npki("CMS_EncryptDataWithMultiReps(7, [A], [B], 50, out)")},
        Both(OP(MakeSignedAndEnvData(a.a, a.b, a.c, a.d, a.e)), "CMS_SignAndEncData(0, [A], [B], [C], [D], 48, out)"),
        {OP(MakeSignedAndEnvData(7, a.a, a.b, a.c, a.d, 50, a.e)),
         Gpki("CMS_SignAndEncData(0, [A], [B], [C], [D], 48, out)"),
         Npki("CMS_SignAndEncData(7, [A], [B], [C], [D], 50, out)")},
        {OP(VerifySignedAndEnvData(7, a.a, a.b, a.c, a.d, a.e)),
         Gpki("CMS_VerifyAndDecData(0, [A], [B], [C], out, out)"),
         Npki("CMS_VerifyAndDecData(7, [A], [B], [C], out, out)")},
        {OP(MakeTBSData(a.a, a.b, a.c, a.d)), kGpkiNotOffered, kFacadeAnswers102},
        {OP(ComposeSignedData(a.a, a.b)), kGpkiNotOffered, kFacadeAnswers102},
        {OP(ImportPFX(a.a, a.b, a.c, a.d, a.e, a.f)), kGpkiNotOffered, kFacadeAnswers102},
        {OP(ExportPFX(a.a, a.b, a.c, a.d, a.e, a.f)), kGpkiNotOffered, kFacadeAnswers102},
        // Trust and verification
        {OP(SetVerifyEnv(1, 2, true, a.a)),
         Gpki("CERT_SetVerifyEnv1(1, 2, 1, \"A\")\nCERT_SetVerifyEnv2(\"<now>\", null, null)"),
         Npki("CERT_SetVerifyEnv1(1, 2, 1, \"A\")")},
        {OP(SetVerifyEnv(1, 2, false, a.a, a.b)),
         Gpki("CERT_SetVerifyEnv1(1, 2, 0, \"B\")\nCERT_SetVerifyEnv2(\"A\", null, null)"),
         Npki("CERT_SetVerifyEnv1(1, 2, 0, \"B\")")},
        {OP(SetVerifyEnv2(a.a, a.b)), GpkiUnavailable("SetVerifyEnv2"),
         Npki("CERT_SetVerifyEnv2(\"<now>\", [A], [B])")},
        {OP(SetVerifyEnv2(a.a, a.b, a.c)), GpkiUnavailable("SetVerifyEnv2"),
         Npki("CERT_SetVerifyEnv2(\"A\", [B], [C])")},
        {OP(VerifyCert(a.a, 2, a.b, a.c, true, a.d, a.e)),
         Gpki("API_SetConfFile(\"C\")\nCERT_Verify([A], 2, \"B\", 1, [D], [E])", "QLK_CERT_Verify"),
         Npki("API_SetConfFile(\"C\")\nCERT_Verify([A], 2, \"B\", 1, [D], [E])", "QLK_CERT_Verify")},
        {OP(VerifyCert(a.a, 2, a.b, false, a.c, a.d)),
         GpkiUnavailable("VerifyCert\n[You have to input Configure File Path parameter.]"),
         Npki("API_SetConfFile(\"\")\nCERT_Verify([A], 2, \"B\", 0, [C], [D])", "QLK_CERT_Verify")},
        {OP(VerifyCert2(a.a, 2, a.b, a.c)), GpkiUnavailable("VerifyCert2"), Npki("CERT_Verify2([A], 2, \"B\", \"C\")")},
        {OP(SetCaPubs(a.a)), Gpki("CERT_AddTrustedCert([A])", kDerived, 101), Npki("CERT_AddTrustedCert([A])")},
        {OP(IsTrustCert(a.a, a.b, a.flag)), kGpkiNotOffered, Npki("UTIL_IsTrustCert([A], [B], flag)")},
        {OP(CompareDN(a.a, a.b)), kGpkiNotOffered, Npki("UTIL_CompareDN(\"A\", \"B\")")},
        {OP(GetRootCert(a.a, a.b)), kGpkiNotOffered, Npki("UTIL_GetRootCert([A], out)")},
        Both(OP(VerifyByIVS(a.a, a.b, a.c)), "CERT_VerifyByIVS(\"A\", [B], [C])"),
        {OP(VerifyByIVS2(a.a, a.b, a.c, a.d, a.e)), Gpki("VID_VerifyByIVS(\"A\", [B], [C], \"D\", [E])", kDerived, 101),
         Npki("VID_VerifyByIVS(\"A\", [B], [C], \"D\", [E])")},
        Both(OP(VerifyVID(a.a, a.b, a.c)), "VID_Verify([A], [B], \"C\")"),
        BothAnswer100(OP(LDAPGetDataByURL(3, a.a, a.b)), "DSAP_GetDataByURL(3, \"A\", out)"),
        {OP(AddObject(a.a, a.b)), Gpki("UTIL_AddObject([A], out)", kDerived, 101), Npki("UTIL_AddObject([A], out)")},
        // Keys, ciphers and encodings
        Both(OP(GenerateRandom(16, a.a)), "CRYPT_GenRandom(16, out)"),
        {OP(GenerateKeyPair(2, a.a, a.b)), GpkiUnavailable("GenerateKeyPair"), Npki("CRYPT_GenKeyPair(2, out, out)")},
        Both(OP(GenerateKey(50, a.a, a.b)), "CRYPT_GenKeyAndIV(50)\nCRYPT_GetKeyAndIV(&50, out, out)"),
        Both(OP(SetKeyAndIV(50, a.a, a.b)), "CRYPT_SetKeyAndIV(50, [A], [B])"),
        {OP(ClearKeyAndIV()), kGpkiNotOffered, NpkiUnavailable("ClearKeyAndIV")},
        {OP(SetEnvChangeIV()), GpkiUnavailable("SetEnvChangeIV"), Npki("CRYPT_SetEnvChangeIV()")},
        Both(OP(AsymEncrypt(3, a.a, a.b, a.c)), "CRYPT_AsymEncrypt(3, [A], [B], out)"),
        Both(OP(AsymDecrypt(3, a.a, a.b, a.c)), "CRYPT_AsymDecrypt(3, [A], [B], out)"),
        {OP(GenerateMAC(3, a.a, a.b, a.c)), Gpki("GPKI_CRYPT_GenMAC(3, \"A\", [B], out)"),
         Npki("CRYPT_GenMAC(3, \"A\", [B], out)")},
        Both(OP(VerifyMAC(3, a.a, a.b, a.c)), "CRYPT_VerifyMAC(3, \"A\", [B], [C])"),
        BothAnswer100(OP(EncodePEM(3, a.a, a.b)), "PEM_Encode(3, [A], out)"),
        Both(OP(PriKeyEncrypt(3, a.a, a.b, a.c)), "PRIKEY_Encrypt(3, \"A\", [B], out)"),
        Both(OP(PriKeyCheckKeyPair(a.a, a.b)), "PRIKEY_CheckKeyPair([A], [B])"),

        // Storage media
        BothAnswer100(OP(ReadCertFromStorage(1, a.a, 16, a.b)), "MEDIA_DISK_ReadCert(\"A\", out)",
                      "GPKI_STORAGE_ReadCert"),
        BothAnswer100(OP(ReadPriKeyFromStroage(1, a.a, a.b, 32, a.c)), "MEDIA_DISK_ReadPriKey(\"A\", \"B\", out)",
                      "GPKI_STORAGE_ReadPriKey"),
        BothAnswer100(OP(WriteCertToStorage(1, a.a, 1, a.b)), "MEDIA_DISK_WriteCert(\"A\", [B])"),
        BothAnswer100(OP(WriteCertToStorage(2, a.a, 1, a.b)), "MEDIA_CARD_WriteCert(1, \"A\", [B])",
                      "QLK_MEDIA_DISK_WriteCert"),
        BothAnswer100(OP(WritePriKeyToStorage(1, a.a, a.b, 2, 7, a.c)), "MEDIA_DISK_WritePriKey(7, \"A\", \"B\", [C])"),
        BothAnswer100(OP(WritePriKeyToStorage(2, a.a, a.b, 2, 7, a.c)),
                      "MEDIA_CARD_WritePriKey(2, 7, \"A\", \"B\", [C])", "QLK_MEDIA_DISK_WritePriKey"),
        Both(OP(WriteFileToStorage(a.a, a.b)), "MEDIA_DISK_WriteFile(\"A\", [B])"),
        BothAnswer100(OP(DeleteCertFromStorage(1, a.a, 16)), "MEDIA_DISK_DeleteCert(\"A\")"),
        BothAnswer100(OP(DeleteCertFromStorage(2, a.a, 16)), "MEDIA_CARD_DeleteCert(16, \"A\")",
                      "QLK_MEDIA_DISK_DeleteCert"),
        BothAnswer100(OP(DeletePriKeyFromStorage(1, a.a, a.b, 16)), "MEDIA_DISK_DeletePriKey(\"A\", \"B\")"),
        BothAnswer100(OP(DeletePriKeyFromStorage(2, a.a, a.b, 16)), "MEDIA_CARD_DeletePriKey(16, \"A\", \"B\")",
                      "QLK_MEDIA_DISK_DeletePriKey"),
        // PKCS#11 tokens
        BothAnswer100(OP(PKCS11_OpenSessionWithSlotID(7, a.a, 3)), "PKCS11_OpenSessionWithSlotID(7, \"A\", 3)"),
        BothAnswer100(OP(PKCS11_OpenSessionWithTokenName(a.a, 3)), "PKCS11_OpenSessionWithTokenName(\"A\", 3)"),
        BothAnswer100(OP(PKCS11_GetSlotList(a.slots, a.slotCount)), "PKCS11_GetSlotList({0,0,0,0,0})"),
        BothAnswer100(OP(PKCS11_GetTokenInfo(4, a.info)), "PKCS11_GetTokenInfo(4, info)"),
        BothAnswer100(OP(PKCS11_GetCertInfo(2, 5, a.a, a.b)), "PKCS11_GetCertInfo(2, &5, out, out)"),
        BothAnswer100(OP(PKCS11_Sign(a.a, a.b, a.c)), "PKCS11_Sign([A], [B], out)"),
        // No command reaches these.
        BothAnswer100(OP(PKCS11_InitToken(a.a, a.b)), "PKCS11_InitToken(\"A\", \"B\")"),
        BothAnswer100(OP(PKCS11_Login(a.a)), "PKCS11_Login(\"A\")"),
        BothAnswer100(OP(PKCS11_ReadCert(a.a, a.b)), "PKCS11_ReadCert([A], out)"),
        BothAnswer100(OP(PKCS11_ReadRandomForVID(a.a, a.b)), "PKCS11_ReadRandomForVID([A], out)"),
        BothAnswer100(OP(PKCS11_Encrypt(a.a, a.b, a.c)), "PKCS11_Encrypt([A], [B], out)"),
        BothAnswer100(OP(PKCS11_Decrypt(a.a, a.b, a.c)), "PKCS11_Decrypt([A], [B], out)"),
    };
    return rows;
}

#undef OP

std::string ExpectedFailName(const Side& side) {
    if (side.failName != kDerived) return side.failName;
    const std::string calls = side.calls;
    const std::string name = calls.substr(0, calls.find('('));
    return name.rfind("GPKI_", 0) == 0 ? name : "QLK_" + name;
}

class OperationTable : public ::testing::TestWithParam<Backend> {};

// Each operation three times: with no library loaded, over a library lacking every
// operation's function, and over one that has them all.
TEST_P(OperationTable, EachOperationWithoutLibraryWithoutItsFunctionsAndWithThem) {
    const Backend backend = GetParam();
    FaultKit bare("bare", backend.file);
    FaultKit full("full", backend.file);
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.label);
        const Side& side = backend.type == 0 ? row.gpki : row.npki;
        CCryptoEx unloaded, lacking, complete;
        ASSERT_EQ(0, unloaded.Init(backend.type, 48, 1));
        ASSERT_EQ(0, OpenOn(lacking, backend.type, bare));
        ASSERT_EQ(0, OpenOn(complete, backend.type, full));
        bare.Reset();
        full.Reset();
        Args untouched, missing, called;
        EXPECT_EQ(side.notLoaded, row.operation(unloaded, untouched));
        EXPECT_EQ("", Changes(untouched));
        EXPECT_TRUE(ErrorText(unloaded).IsEmpty());
        EXPECT_EQ(side.missing, row.operation(lacking, missing));
        EXPECT_EQ(side.failName ? FailText(backend, ExpectedFailName(side)) : "", Text(ErrorText(lacking)));
        EXPECT_EQ("", bare.Calls());
        const int result = row.operation(complete, called);
        EXPECT_EQ(side.calls, full.Calls());
        EXPECT_EQ(*side.calls ? 0 : side.missing, result);
        EXPECT_EQ(0, bare.LiveBinstrs());
        EXPECT_EQ(0, full.LiveBinstrs());
    }
    EXPECT_EQ(0, full.LiveContexts());
}

INSTANTIATE_TEST_SUITE_P(Backends, OperationTable, ::testing::ValuesIn(kBackends), BackendName);

const int kToolkitError = 77;
const char kToolkitText[] = "the toolkit refused";

struct Expectation {
    int result;
    const char* changes;
};

struct CopyRow {
    const char* label;
    Operation operation;
    const char* failing;  // the function made to fail; null: the successful call
    Expectation gpki;
    Expectation npki;
};

#define OP FACADE_OP

const int E = kToolkitError;

const std::vector<CopyRow>& CopyRows() {
    static const std::vector<CopyRow> rows = {
        // Text outputs are copied in every case, on both backends.
        {OP(GetValidity(a.a, a.b, a.c, a.counter)), "QLK_CERT_GetValidity", {E, ""}, {E, ""}},
        {OP(GetPubKeyAlgo(a.a)), "QLK_CERT_GetPubKey", {E, "a=CERT_GetPubKey#1"}, {E, "a=CERT_GetPubKey#1"}},
        {OP(GetVersion(a.a)), "QLK_API_GetInfo", {1000000, ""}, {E, "a=API_GetInfo#1"}},
        {OP(GetInfo(a.a)), "QLK_API_GetInfo", {1000000, ""}, {E, "a=API_GetInfo#2"}},
        // What the toolkit writes through the caller's pointer stays there.
        {OP(PKCS11_GetCertCnt(&a.counter)), "QLK_PKCS11_GetCertCnt", {E, "counter=3"}, {E, "counter=3"}},
        {OP(PKCS11_GetTokenInfo(1, a.info)), "QLK_PKCS11_GetTokenInfo",
         {E, "info=PKCS11_GetTokenInfo#1"}, {E, "info=PKCS11_GetTokenInfo#1"}},
        {OP(PKCS11_GetSlotList(a.slots, a.slotCount)), "QLK_PKCS11_GetSlotList",
         {E, "slots={11,12,0,0,0,9} slotCount=2"}, {E, "slots={11,12,0,0,0,9} slotCount=2"}},
        // Binary outputs: the NPKI backend copies them also after a toolkit error.
        {OP(AddSigner(1, a.a, a.b, a.c, a.d, a.e, a.f)), "QLK_CMS_AddSigner", {102, ""}, {E, "f=CMS_AddSigner#1"}},
        // Both PKCS#11 object outputs are copied in every case, on both backends.
        {OP(PKCS11_GetCertInfo(1, 2, a.a, a.b)), "QLK_PKCS11_GetCertInfo",
         {E, "a=PKCS11_GetCertInfo#2 b=PKCS11_GetCertInfo#3"}, {E, "a=PKCS11_GetCertInfo#2 b=PKCS11_GetCertInfo#3"}},
        // Storage reads copy only on success, on both backends.
        {OP(ReadCertFromStorage(2, a.a, 16, a.b)), "QLK_MEDIA_CARD_ReadCert", {E, ""}, {E, ""}},
        {OP(ReadCertFromStorage(3, a.a, 16, a.b)), nullptr, {102, ""}, {102, ""}},
        // CMS signing and verification.
        {OP(MakeSignedData(a.a, a.b, a.c, a.d)), nullptr, {0, "d=CMS_SignData#1"}, {0, "d=CMS_SignData#1"}},
        {OP(MakeSignedData(a.a, a.b, a.c, a.d)), "QLK_CMS_SignData", {E, ""}, {E, "d=CMS_SignData#1"}},
        {OP(MakeSignedData(a.a, a.b, a.c, a.d)), "QLK_CRYPT_SetRSAVersion", {E, ""}, {0, "d=CMS_SignData#1"}},
        {OP(VerifySignedData(a.a, a.b, a.c)), nullptr,
         {0, "b=CMS_VerifyData#1 c=CMS_GetSignerCert#1"}, {0, "b=CMS_VerifyData#1 c=CMS_GetSignerCert#1"}},
        {OP(VerifySignedData(a.a, a.b, a.c)), "QLK_CMS_VerifyData", {E, ""}, {E, ""}},
        {OP(VerifySignedData(a.a, a.b, a.c)), "QLK_CMS_GetSignerCert", {E, ""}, {E, "c=CMS_GetSignerCert#1"}},
        {OP(VerifySignedData(1, a.a, a.b, a.c, a.d)), "QLK_CMS_GetSignerCert",
         {102, ""}, {E, "c=CMS_GetSignerCert#2 d=CMS_GetSignerCert#1"}},
        {OP(VeryfyMultiSignedData(1, a.a, a.b, a.counter)), "QLK_CMS_VerifyData", {102, ""}, {E, "counter=3"}},
        {OP(GetSignerCert(1, a.a, a.b)), "QLK_CMS_GetSignerCert",
         {102, ""}, {E, "a=CMS_GetSignerCert#1 b=CMS_GetSignerCert#2"}},
        // Trust utilities.
        {OP(IsTrustCert(a.a, a.b, a.flag)), nullptr, {1000000, ""}, {0, "flag=1"}},
        {OP(IsTrustCert(a.a, a.b, a.flag)), "QLK_UTIL_IsTrustCert", {1000000, ""}, {1, "flag=1"}},
        {OP(VerifyCert(a.a, 1, a.b, a.c, true, a.d, a.e)), "QLK_API_SetConfFile", {0, ""}, {0, ""}},
        {OP(SetVerifyEnv(1, 2, true, a.a)), "QLK_CERT_SetVerifyEnv1", {0, ""}, {E, ""}},
        {OP(SetVerifyEnv(1, 2, true, a.a, a.b)), "QLK_CERT_SetVerifyEnv2", {E, ""}, {0, ""}},
        // Keys: a failed key setting ends the cipher operation.
        {OP(GenerateKey(a.a, a.b)), nullptr,
         {0, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"}, {0, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"}},
        {OP(GenerateKey(a.a, a.b)), "QLK_CRYPT_GenKeyAndIV", {E, ""}, {E, ""}},
        {OP(GenerateKey(a.a, a.b)), "QLK_CRYPT_GetKeyAndIV",
         {E, ""}, {E, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"}},
        {OP(EncryptKey(a.a, a.b, a.c, a.d)), "QLK_CRYPT_SetKeyAndIV", {E, ""}, {E, ""}},
        {OP(DecryptKey(a.a, a.b, a.c, a.d)), nullptr, {0, "d=CRYPT_Decrypt#1"}, {0, "d=CRYPT_Decrypt#1"}},
    };
    return rows;
}

#undef OP

class OutputCopy : public ::testing::TestWithParam<Backend> {};

TEST_P(OutputCopy, OutputsAreWrittenBackByTheBackendsRules) {
    const Backend backend = GetParam();
    FaultKit kit("full", backend.file);
    for (const CopyRow& row : CopyRows()) {
        SCOPED_TRACE(std::string(row.label) + (row.failing ? " (failing)" : " (success)"));
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, backend.type, kit));
        kit.Reset();
        if (row.failing) kit.Fail(row.failing, kToolkitError, kToolkitText);
        Args args;
        const Expectation& expected = backend.type == 0 ? row.gpki : row.npki;
        const int result = row.operation(facade, args);
        EXPECT_EQ(expected.result, result);
        EXPECT_EQ(expected.changes, Changes(args));
        // A refusal the backend reached leaves the toolkit's text, passed on or stepped over.
        if (row.failing && kit.RawCalls().find(row.failing) != std::string::npos) {
            EXPECT_EQ(kToolkitText, Text(ErrorText(facade)));
        }
        EXPECT_EQ(0, kit.LiveBinstrs());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, OutputCopy, ::testing::ValuesIn(kBackends), BackendName);

}  // namespace
