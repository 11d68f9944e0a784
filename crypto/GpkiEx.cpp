#include "crypto/GpkiEx.h"

#include "crypto/LocalTimeText.h"
#include "crypto/ToolkitCall.h"

using namespace zorvane;

namespace {

const BackendTraits kGpkiTraits = {
    "CGpkiEx",      // className
    "gpkiapi.dll",  // libraryFile
    kNotLoadedGpki,
    false,  // copiesOutputsAfterError
    true,   // keepsKeyAndIV
    false,  // passesCallerCmsType
    false,  // validityAsLocalTime
    false,  // uidFirstField
};

const int kTextSize = 1024;
const int kSignerTimeSize = 20;
const int kSignedDataType = 2;
const int kVerifiedDataType = 4;
const int kRsaVersion = 1;
const char kVerifySignedData[] = "VerifySignedData";

}  // namespace

CGpkiEx::CGpkiEx(int cipherAlg, int hashAlg) : CToolkitBackend(kGpkiTraits, cipherAlg, hashAlg) {}

CGpkiEx::~CGpkiEx() = default;

int CGpkiEx::GetVersion(ByteString&) { return kNotOffered; }
int CGpkiEx::GetInfo(ByteString&) { return kNotOffered; }

int CGpkiEx::GetSubjectNameDerFormat(ByteString&) { return Unavailable("GetSubjectNameDerFormat"); }

int CGpkiEx::GetPubKeyAlgo(ByteString& algorithm) {
    ByteString key;
    return GetPubKeyTexts(kTextSize, kTextSize, algorithm, key);
}

int CGpkiEx::GetPubKey(ByteString& key) {
    ByteString algorithm;
    return GetPubKeyTexts(kTextSize, kTextSize, algorithm, key);
}

// The second text of the GPKI public-key function; its key record is made and dropped.
int CGpkiEx::GetPubKeyLen(ByteString& length) {
    ByteString algorithm, keyInfo;
    return Invoke(QLK_FUNCTION(QLK_CERT_GetPubKey2), TextOut(algorithm, kTextSize), TextOut(length, kTextSize),
                  Out(keyInfo, CopyRule::Always));
}

int CGpkiEx::GetSignature(ByteString&) { return Unavailable("GetSignature"); }

int CGpkiEx::GetPolicy(ByteString& policy) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetCertPolicy), kTextSize, policy);
}

int CGpkiEx::GetBasicConstraints(ByteString& constraints) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetBasicConstraints), kTextSize, constraints);
}

int CGpkiEx::GetExtKeyUsage(ByteString& usage) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetExtKeyUsage), kTextSize, usage, "GetExtKeyUsage");
}

int CGpkiEx::GetSubjectAltName(ByteString& name) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSubjectAltName), kTextSize, name, "GetSubjectAltName");
}

int CGpkiEx::GetSubKeyID(ByteString& id) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSubKeyID), kTextSize, id, "GetSubKeyID");
}

int CGpkiEx::GetAuthKeyID(ByteString& id) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetAuthKeyID), kTextSize, id, "GetAuthKeyID");
}

int CGpkiEx::GetCRLDP(ByteString& crlDp) { return GetCertText(QLK_FUNCTION(QLK_CERT_GetCRLDP), kTextSize, crlDp); }

int CGpkiEx::GetAIA(ByteString& aia) { return GetCertText(QLK_FUNCTION(QLK_CERT_GetAIA), kTextSize, aia); }

int CGpkiEx::GetRemainDays(const ByteString&, int&) { return kNotOffered; }
int CGpkiEx::AddCert(const ByteString&, ByteString&) { return kNotOffered; }
int CGpkiEx::GetCertCount(const ByteString&, int&) { return kNotOffered; }
int CGpkiEx::GetCertItem(int, const ByteString&, ByteString&) { return kNotOffered; }

// Signs with type 2 and no signing time, then always sets RSA version 1; the signing
// call's failure takes precedence, and the output is written only when both succeed.
int CGpkiEx::MakeSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                            ByteString& signedData) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto sign = QLK_FUNCTION(QLK_CMS_SignData);
    const auto setVersion = QLK_FUNCTION(QLK_CRYPT_SetRSAVersion);
    if (!Present(sign.name, sign, setVersion)) return kFunctionMissing;
    ByteString staged;
    const int signing =
        Invoke(sign, kSignedDataType, In(in1), In(in2), In(in3), "", Out(staged, CopyRule::OnSuccess));
    const int version = Invoke(setVersion, kRsaVersion);
    const int result = signing != 0 ? signing : version;
    if (result == 0) signedData = staged;
    return result;
}

int CGpkiEx::MakeSignedData(int, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                            const ByteString&, ByteString& signedData) {
    return MakeSignedData(in1, in2, in3, signedData);
}

int CGpkiEx::AddSigner(int, const ByteString&, const ByteString&, const ByteString&, const ByteString&,
                       const ByteString&, ByteString&) {
    return Unavailable("AddSigner");
}

// Verifies with type 4, then extracts the first signer; content and signer are written
// only when both steps succeed, and set empty when a function is missing.
int CGpkiEx::VerifySignedData(const ByteString& signedData, ByteString& content, ByteString& signerCert) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto verify = QLK_FUNCTION(QLK_CMS_VerifyData);
    const auto signer = QLK_FUNCTION(QLK_CMS_GetSignerCert);
    if (!Present("GPKI_CMS_ProcessSignedData", verify, signer)) {
        content.Clear();
        signerCert.Clear();
        return kFunctionMissing;
    }
    ByteString stagedContent, stagedSigner, signTime;
    int signerCount = 0;
    int result = Invoke(verify, kVerifiedDataType, In(signedData), Out(stagedContent, CopyRule::OnSuccess),
                        &signerCount);
    if (result == 0) {
        result = Invoke(signer, 0, Out(stagedSigner, CopyRule::OnSuccess), TextOut(signTime, kSignerTimeSize));
    }
    if (result != 0) return result;
    content = stagedContent;
    signerCert = stagedSigner;
    return 0;
}

int CGpkiEx::VerifySignedData(int, const ByteString&, ByteString&, ByteString&, ByteString&) {
    return Unavailable(kVerifySignedData);
}

int CGpkiEx::VeryfyMultiSignedData(int, const ByteString&, ByteString&, int&) {
    return Unavailable(kVerifySignedData);
}

int CGpkiEx::GetSignerCert(int, ByteString&, ByteString&) { return Unavailable(kVerifySignedData); }

int CGpkiEx::MakeTBSData(ByteString&, ByteString&, ByteString&, ByteString&) { return kNotOffered; }
int CGpkiEx::ComposeSignedData(ByteString&, ByteString&) { return kNotOffered; }

int CGpkiEx::SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4) {
    return SetVerifyEnv(p1, p2, p3, CurrentLocalTimeText(), in4);
}

// Sets the first environment with in5, then the verification time in4 through the
// second environment; only the second call's result is returned.
int CGpkiEx::SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4, const ByteString& in5) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto first = QLK_FUNCTION(QLK_CERT_SetVerifyEnv1);
    const auto second = QLK_FUNCTION(QLK_CERT_SetVerifyEnv2);
    if (!Present(first.name, first, second)) return kFunctionMissing;
    Invoke(first, p1, p2, p3 ? 1 : 0, in5.GetData());
    BINSTR* const none = nullptr;
    return Invoke(second, in4.GetData(), none, none);
}

int CGpkiEx::SetVerifyEnv2(const ByteString&, const ByteString&) { return Unavailable("SetVerifyEnv2"); }

int CGpkiEx::SetVerifyEnv2(const ByteString&, const ByteString&, const ByteString&) {
    return Unavailable("SetVerifyEnv2");
}

int CGpkiEx::VerifyCert(const ByteString&, int, const ByteString&, bool, const ByteString&, const ByteString&) {
    return Unavailable("VerifyCert\n[You have to input Configure File Path parameter.]");
}

int CGpkiEx::VerifyCert2(const ByteString&, int, const ByteString&, const ByteString&) {
    return Unavailable("VerifyCert2");
}

int CGpkiEx::GenerateKeyPair(int, ByteString&, ByteString&) { return Unavailable("GenerateKeyPair"); }

int CGpkiEx::ClearKeyAndIV() { return kNotOffered; }

int CGpkiEx::SetEnvChangeIV() { return Unavailable("SetEnvChangeIV"); }

int CGpkiEx::GenerateMAC(int p1, const ByteString& in2, const ByteString& in3, ByteString& mac) {
    return Invoke(QLK_FUNCTION(GPKI_CRYPT_GenMAC), p1, in2.GetData(), In(in3), Out(mac));
}

int CGpkiEx::ImportPFX(ByteString&, ByteString&, ByteString&, ByteString&, ByteString&, ByteString&) {
    return kNotOffered;
}

int CGpkiEx::ExportPFX(ByteString&, ByteString&, ByteString&, ByteString&, ByteString&, ByteString&) {
    return kNotOffered;
}
