// Which outputs each backend writes back, after success and after a toolkit error.
// The fault toolkit writes every output also when it fails, so an output that is
// copied after a failure shows the toolkit's content, and one that is not keeps the
// caller's value.
#include <zorvane/CryptoEx.h>

#include <gtest/gtest.h>

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
    std::vector<const char*> failing;  // functions made to fail; none: the successful call
    Operation operation;
    Expectation gpki;
    Expectation npki;
};

#define OP FACADE_OP

const int E = kToolkitError;

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // Text outputs are copied in every case, on both backends.
        {"GetIssuerName", {}, OP(GetIssuerName(a.a)), {0, "a=CERT_GetIssuerName#1"}, {0, "a=CERT_GetIssuerName#1"}},
        {"GetIssuerName", {"QLK_CERT_GetIssuerName"}, OP(GetIssuerName(a.a)), {E, "a=CERT_GetIssuerName#1"},
         {E, "a=CERT_GetIssuerName#1"}},
        {"GetValidity/2", {"QLK_CERT_GetValidity"}, OP(GetValidity(a.a, a.b)),
         {E, "a=CERT_GetValidity#1 b=CERT_GetValidity#2"}, {E, "a=CERT_GetValidity#1 b=CERT_GetValidity#2"}},
        {"GetValidity/4", {"QLK_CERT_GetValidity"}, OP(GetValidity(a.a, a.b, a.c, a.counter)), {E, ""}, {E, ""}},
        {"GetPubKeyAlgo", {"QLK_CERT_GetPubKey"}, OP(GetPubKeyAlgo(a.a)), {E, "a=CERT_GetPubKey#1"},
         {E, "a=CERT_GetPubKey#1"}},
        {"GetPubKey", {}, OP(GetPubKey(a.a)), {0, "a=CERT_GetPubKey#2"}, {0, "a=CERT_GetPubKey#2"}},
        {"GetPubKeyLen", {}, OP(GetPubKeyLen(a.a)), {0, "a=CERT_GetPubKey2#2"}, {0, "a=CERT_GetPubKey#2"}},
        {"GetUID", {"QLK_CERT_GetSubjectName"}, OP(GetUID(a.a)), {E, ""}, {E, ""}},
        {"GetVersion", {"QLK_API_GetInfo"}, OP(GetVersion(a.a)), {1000000, ""}, {E, "a=API_GetInfo#1"}},
        {"GetInfo", {"QLK_API_GetInfo"}, OP(GetInfo(a.a)), {1000000, ""}, {E, "a=API_GetInfo#2"}},
        // What the toolkit writes through the caller's pointer stays there.
        {"GetCertVersion", {"QLK_CERT_GetVersion"}, OP(GetCertVersion(a.counter)), {E, "counter=3"},
         {E, "counter=3"}},
        {"PKCS11_GetCertCnt", {"QLK_PKCS11_GetCertCnt"}, OP(PKCS11_GetCertCnt(&a.counter)), {E, "counter=3"},
         {E, "counter=3"}},
        {"PKCS11_GetTokenInfo", {"QLK_PKCS11_GetTokenInfo"}, OP(PKCS11_GetTokenInfo(1, a.info)),
         {E, "info=PKCS11_GetTokenInfo#1"}, {E, "info=PKCS11_GetTokenInfo#1"}},
        {"PKCS11_GetSlotList", {"QLK_PKCS11_GetSlotList"}, OP(PKCS11_GetSlotList(a.slots, a.slotCount)),
         {E, "slots={11,12,0,0,0} slotCount=2"}, {E, "slots={11,12,0,0,0} slotCount=2"}},
        // Binary outputs: the NPKI backend copies them also after a toolkit error.
        {"GetSubjectNameDerFormat", {"QLK_CERT_GetSubjectName_DERFormat"}, OP(GetSubjectNameDerFormat(a.a)),
         {102, ""}, {E, "a=CERT_GetSubjectName_DERFormat#1"}},
        {"MakeEnvelopedData", {}, OP(MakeEnvelopedData(a.a, a.b, a.c)), {0, "c=CMS_EncryptData#1"},
         {0, "c=CMS_EncryptData#1"}},
        {"MakeEnvelopedData", {"QLK_CMS_EncryptData"}, OP(MakeEnvelopedData(a.a, a.b, a.c)), {E, ""},
         {E, "c=CMS_EncryptData#1"}},
        {"VerifySignedAndEnvData", {"QLK_CMS_VerifyAndDecData"}, OP(VerifySignedAndEnvData(a.a, a.b, a.c, a.d, a.e)),
         {E, ""}, {E, "d=CMS_VerifyAndDecData#1 e=CMS_VerifyAndDecData#2"}},
        {"AddSigner", {}, OP(AddSigner(1, a.a, a.b, a.c, a.d, a.e, a.f)), {102, ""}, {0, "f=CMS_AddSigner#1"}},
        {"AddSigner", {"QLK_CMS_AddSigner"}, OP(AddSigner(1, a.a, a.b, a.c, a.d, a.e, a.f)), {102, ""},
         {E, "f=CMS_AddSigner#1"}},
        {"GetRandomNo", {"QLK_VID_GetRandomFromPriKey"}, OP(GetRandomNo(a.a, a.b)), {E, ""},
         {E, "b=VID_GetRandomFromPriKey#1"}},
        {"LDAPGetDataByURL", {"QLK_DSAP_GetDataByURL"}, OP(LDAPGetDataByURL(1, a.a, a.b)), {E, ""},
         {E, "b=DSAP_GetDataByURL#1"}},
        {"Hash", {"QLK_CRYPT_Hash"}, OP(Hash(a.a, a.b)), {E, ""}, {E, "b=CRYPT_Hash#1"}},
        {"GenerateMAC", {"GPKI_CRYPT_GenMAC", "QLK_CRYPT_GenMAC"}, OP(GenerateMAC(1, a.a, a.b, a.c)), {E, ""},
         {E, "c=CRYPT_GenMAC#1"}},
        {"PKCS11_Sign", {"QLK_PKCS11_Sign"}, OP(PKCS11_Sign(a.a, a.b, a.c)), {E, ""}, {E, "c=PKCS11_Sign#1"}},
        // Both PKCS#11 object outputs are copied in every case, on both backends.
        {"PKCS11_GetCertInfo", {"QLK_PKCS11_GetCertInfo"}, OP(PKCS11_GetCertInfo(1, 2, a.a, a.b)),
         {E, "a=PKCS11_GetCertInfo#2 b=PKCS11_GetCertInfo#3"}, {E, "a=PKCS11_GetCertInfo#2 b=PKCS11_GetCertInfo#3"}},
        // Storage reads copy only on success, on both backends.
        {"ReadCertFromStorage", {}, OP(ReadCertFromStorage(2, a.a, 16, a.b)), {0, "b=MEDIA_CARD_ReadCert#1"},
         {0, "b=MEDIA_CARD_ReadCert#1"}},
        {"ReadCertFromStorage", {"QLK_MEDIA_CARD_ReadCert"}, OP(ReadCertFromStorage(2, a.a, 16, a.b)), {E, ""},
         {E, ""}},
        {"ReadPriKeyFromStroage", {"QLK_MEDIA_DISK_ReadPriKey"}, OP(ReadPriKeyFromStroage(1, a.a, a.b, 1, a.c)),
         {E, ""}, {E, ""}},
        {"ReadCertFromStorage, unknown media", {}, OP(ReadCertFromStorage(3, a.a, 16, a.b)), {102, ""}, {102, ""}},
        // CMS signing and verification.
        {"MakeSignedData", {}, OP(MakeSignedData(a.a, a.b, a.c, a.d)), {0, "d=CMS_SignData#1"},
         {0, "d=CMS_SignData#1"}},
        {"MakeSignedData", {"QLK_CMS_SignData"}, OP(MakeSignedData(a.a, a.b, a.c, a.d)), {E, ""},
         {E, "d=CMS_SignData#1"}},
        {"MakeSignedData, RSA version refused", {"QLK_CRYPT_SetRSAVersion"}, OP(MakeSignedData(a.a, a.b, a.c, a.d)),
         {E, ""}, {0, "d=CMS_SignData#1"}},
        {"VerifySignedData/3", {}, OP(VerifySignedData(a.a, a.b, a.c)),
         {0, "b=CMS_VerifyData#1 c=CMS_GetSignerCert#1"}, {0, "b=CMS_VerifyData#1 c=CMS_GetSignerCert#1"}},
        {"VerifySignedData/3", {"QLK_CMS_VerifyData"}, OP(VerifySignedData(a.a, a.b, a.c)), {E, ""}, {E, ""}},
        {"VerifySignedData/3, signer refused", {"QLK_CMS_GetSignerCert"}, OP(VerifySignedData(a.a, a.b, a.c)),
         {E, ""}, {E, "c=CMS_GetSignerCert#1"}},
        {"VerifySignedData/5", {}, OP(VerifySignedData(1, a.a, a.b, a.c, a.d)), {102, ""},
         {0, "b=CMS_VerifyData#1 c=CMS_GetSignerCert#2 d=CMS_GetSignerCert#1"}},
        {"VerifySignedData/5, signer refused", {"QLK_CMS_GetSignerCert"}, OP(VerifySignedData(1, a.a, a.b, a.c, a.d)),
         {102, ""}, {E, "c=CMS_GetSignerCert#2 d=CMS_GetSignerCert#1"}},
        {"VeryfyMultiSignedData", {}, OP(VeryfyMultiSignedData(1, a.a, a.b, a.counter)), {102, ""},
         {0, "b=CMS_VerifyData#1 counter=3"}},
        {"VeryfyMultiSignedData", {"QLK_CMS_VerifyData"}, OP(VeryfyMultiSignedData(1, a.a, a.b, a.counter)),
         {102, ""}, {E, "counter=3"}},
        {"GetSignerCert", {"QLK_CMS_GetSignerCert"}, OP(GetSignerCert(1, a.a, a.b)), {102, ""},
         {E, "a=CMS_GetSignerCert#1 b=CMS_GetSignerCert#2"}},
        // Trust utilities.
        {"IsTrustCert", {}, OP(IsTrustCert(a.a, a.b, a.flag)), {1000000, ""}, {0, "flag=1"}},
        {"IsTrustCert", {"QLK_UTIL_IsTrustCert"}, OP(IsTrustCert(a.a, a.b, a.flag)), {1000000, ""}, {1, "flag=1"}},
        {"GetObjectCount", {"QLK_UTIL_GetObjectCount"}, OP(GetObjectCount(a.a, a.counter)), {1000000, ""},
         {E, "counter=3"}},
        {"GetRootCert", {"QLK_UTIL_GetRootCert"}, OP(GetRootCert(a.a, a.b)), {1000000, ""},
         {E, "b=UTIL_GetRootCert#1"}},
        {"VerifyCert, configuration refused", {"QLK_API_SetConfFile"},
         OP(VerifyCert(a.a, 1, a.b, a.c, true, a.d, a.e)), {0, ""}, {0, ""}},
        {"VerifyCert, verification refused", {"QLK_CERT_Verify"}, OP(VerifyCert(a.a, 1, a.b, a.c, true, a.d, a.e)),
         {E, ""}, {E, ""}},
        {"SetVerifyEnv, first environment refused", {"QLK_CERT_SetVerifyEnv1"}, OP(SetVerifyEnv(1, 2, true, a.a)),
         {0, ""}, {E, ""}},
        // Keys: a failed key setting ends the cipher operation.
        {"GenerateKey", {}, OP(GenerateKey(a.a, a.b)), {0, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"},
         {0, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"}},
        {"GenerateKey", {"QLK_CRYPT_GenKeyAndIV"}, OP(GenerateKey(a.a, a.b)), {E, ""}, {E, ""}},
        {"GenerateKey, fetch refused", {"QLK_CRYPT_GetKeyAndIV"}, OP(GenerateKey(a.a, a.b)), {E, ""},
         {E, "a=CRYPT_GetKeyAndIV#2 b=CRYPT_GetKeyAndIV#3"}},
        {"EncryptKey", {"QLK_CRYPT_SetKeyAndIV"}, OP(EncryptKey(a.a, a.b, a.c, a.d)), {E, ""}, {E, ""}},
        {"EncryptKey", {"QLK_CRYPT_Encrypt"}, OP(EncryptKey(a.a, a.b, a.c, a.d)), {E, ""}, {E, "d=CRYPT_Encrypt#1"}},
        {"DecryptKey", {}, OP(DecryptKey(a.a, a.b, a.c, a.d)), {0, "d=CRYPT_Decrypt#1"}, {0, "d=CRYPT_Decrypt#1"}},
    };
    return rows;
}

#undef OP

class OutputCopy : public ::testing::TestWithParam<Backend> {};

TEST_P(OutputCopy, OutputsAreWrittenBackByTheBackendsRules) {
    const Backend backend = GetParam();
    FaultKit kit("full", backend.file);
    for (const Row& row : Rows()) {
        SCOPED_TRACE(std::string(row.label) + (row.failing.empty() ? " (success)" : " (failing)"));
        CCryptoEx facade;
        ASSERT_EQ(0, OpenOn(facade, backend.type, kit));
        kit.Reset();
        for (const char* function : row.failing) kit.Fail(function, kToolkitError, kToolkitText);
        Args args;
        const Expectation& expected = backend.type == 0 ? row.gpki : row.npki;
        const int result = row.operation(facade, args);
        EXPECT_EQ(expected.result, result);
        EXPECT_EQ(expected.changes, Changes(args));
        if (result == kToolkitError) {
            EXPECT_EQ(kToolkitText, Text(ErrorText(facade)));
        }
        EXPECT_EQ(0, kit.LiveBinstrs());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, OutputCopy, ::testing::ValuesIn(kBackends), BackendName);

}  // namespace
