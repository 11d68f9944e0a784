// Which outputs each backend writes back, after success and after a toolkit error.
// The fault toolkit writes every output also when it fails, so an output that is
// copied after a failure shows the toolkit's content, and one that is not keeps the
// caller's value.
#include <gtest/gtest.h>
#include <zorvane/CryptoEx.h>

#include <string>
#include <vector>

#include "crypto/FacadeCase.h"
#include "crypto/FaultKit.h"

namespace {

const int kToolkitError = 77;
const char kToolkitText[] = "the toolkit refused";

using namespace facadecase;

struct Expectation {
    int result;
    const char* changes;
};

struct Row {
    const char* label;
    Operation operation;
    const char* failing;  // the function made to fail; null: the successful call
    Expectation gpki;
    Expectation npki;
};

#define OP FACADE_OP

const int E = kToolkitError;

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // Text outputs are copied in every case, on both backends.
        {OP(GetIssuerName(a.a)), "QLK_CERT_GetIssuerName",
         {E, "a=CERT_GetIssuerName#1"}, {E, "a=CERT_GetIssuerName#1"}},
        {OP(GetValidity(a.a, a.b, a.c, a.counter)), "QLK_CERT_GetValidity", {E, ""}, {E, ""}},
        {OP(GetPubKeyAlgo(a.a)), "QLK_CERT_GetPubKey", {E, "a=CERT_GetPubKey#1"}, {E, "a=CERT_GetPubKey#1"}},
        {OP(GetPubKey(a.a)), nullptr, {0, "a=CERT_GetPubKey#2"}, {0, "a=CERT_GetPubKey#2"}},
        {OP(GetPubKeyLen(a.a)), nullptr, {0, "a=CERT_GetPubKey2#2"}, {0, "a=CERT_GetPubKey#2"}},
        {OP(GetUID(a.a)), "QLK_CERT_GetSubjectName", {E, ""}, {E, ""}},
        {OP(GetVersion(a.a)), "QLK_API_GetInfo", {1000000, ""}, {E, "a=API_GetInfo#1"}},
        {OP(GetInfo(a.a)), "QLK_API_GetInfo", {1000000, ""}, {E, "a=API_GetInfo#2"}},
        // What the toolkit writes through the caller's pointer stays there.
        {OP(GetCertVersion(a.counter)), "QLK_CERT_GetVersion", {E, "counter=3"}, {E, "counter=3"}},
        {OP(PKCS11_GetCertCnt(&a.counter)), "QLK_PKCS11_GetCertCnt", {E, "counter=3"}, {E, "counter=3"}},
        {OP(PKCS11_GetTokenInfo(1, a.info)), "QLK_PKCS11_GetTokenInfo",
         {E, "info=PKCS11_GetTokenInfo#1"}, {E, "info=PKCS11_GetTokenInfo#1"}},
        {OP(PKCS11_GetSlotList(a.slots, a.slotCount)), "QLK_PKCS11_GetSlotList",
         {E, "slots={11,12,0,0,0,9} slotCount=2"}, {E, "slots={11,12,0,0,0,9} slotCount=2"}},
        // Binary outputs: the NPKI backend copies them also after a toolkit error.
        {OP(MakeEnvelopedData(a.a, a.b, a.c)), "QLK_CMS_EncryptData", {E, ""}, {E, "c=CMS_EncryptData#1"}},
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
    for (const Row& row : Rows()) {
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
