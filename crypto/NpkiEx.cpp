#include "crypto/NpkiEx.h"

#include "crypto/LocalTimeText.h"
#include "crypto/ToolkitCall.h"

using namespace zorvane;

namespace {

const BackendTraits kNpkiTraits = {
    "CNpkiEx",       // className
    "Quellark.dll",  // libraryFile
    kNotLoadedNpki,
    true,   // copiesOutputsAfterError
    false,  // keepsKeyAndIV
    true,   // passesCallerCmsType
    true,   // validityAsLocalTime
    true,   // uidFirstField
};

const int kVersionSize = 32;
const int kInfoSize = 512;
const int kShortTextSize = 1024;
const int kLongTextSize = 2048;
const int kConstraintsSize = 100;
const int kPubKeyAlgorithmSize = 48;
const int kSignerTimeSize = 20;
// Any result of the toolkit's trust test other than 0 reads as "not trusted".
const int kNotTrusted = 1;

}  // namespace

CNpkiEx::CNpkiEx(int cipherAlg, int hashAlg) : CToolkitBackend(kNpkiTraits, cipherAlg, hashAlg) {}

CNpkiEx::~CNpkiEx() = default;

int CNpkiEx::GetVersion(ByteString& version) {
    ByteString info;
    return Invoke(QLK_FUNCTION(QLK_API_GetInfo), TextOut(version, kVersionSize), TextOut(info, kInfoSize));
}

int CNpkiEx::GetInfo(ByteString& info) {
    ByteString version;
    return Invoke(QLK_FUNCTION(QLK_API_GetInfo), TextOut(version, kVersionSize), TextOut(info, kInfoSize));
}

int CNpkiEx::GetSubjectNameDerFormat(ByteString& name) {
    return Invoke(QLK_FUNCTION(QLK_CERT_GetSubjectName_DERFormat), Out(name));
}

int CNpkiEx::GetPubKeyAlgo(ByteString& algorithm) {
    ByteString key;
    return GetPubKeyTexts(kLongTextSize, kPubKeyAlgorithmSize, algorithm, key);
}

int CNpkiEx::GetPubKey(ByteString& key) {
    ByteString algorithm;
    return GetPubKeyTexts(kLongTextSize, kPubKeyAlgorithmSize, algorithm, key);
}

int CNpkiEx::GetPubKeyLen(ByteString& length) { return GetPubKey(length); }

int CNpkiEx::GetSignature(ByteString& signature) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSignature), kLongTextSize, signature);
}

int CNpkiEx::GetPolicy(ByteString& policy) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetCertPolicy), kLongTextSize, policy);
}

int CNpkiEx::GetBasicConstraints(ByteString& constraints) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetBasicConstraints), kConstraintsSize, constraints);
}

int CNpkiEx::GetExtKeyUsage(ByteString& usage) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetExtKeyUsage), kShortTextSize, usage);
}

int CNpkiEx::GetSubjectAltName(ByteString& name) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSubjectAltName), kShortTextSize, name);
}

int CNpkiEx::GetSubKeyID(ByteString& id) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetSubKeyID), kShortTextSize, id);
}

int CNpkiEx::GetAuthKeyID(ByteString& id) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetAuthKeyID), kLongTextSize, id);
}

int CNpkiEx::GetCRLDP(ByteString& crlDp) {
    return GetCertText(QLK_FUNCTION(QLK_CERT_GetCRLDP), kLongTextSize, crlDp);
}

int CNpkiEx::GetAIA(ByteString& aia) { return GetCertText(QLK_FUNCTION(QLK_CERT_GetAIA), kLongTextSize, aia); }

int CNpkiEx::GetRemainDays(const ByteString&, int&) { return Unavailable("GetRemainDays"); }
int CNpkiEx::AddCert(const ByteString&, ByteString&) { return Unavailable("AddCert"); }
int CNpkiEx::GetCertCount(const ByteString&, int&) { return Unavailable("GetCertCount"); }
int CNpkiEx::GetCertItem(int, const ByteString&, ByteString&) { return Unavailable("GetCertItem"); }

int CNpkiEx::MakeSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                            ByteString& signedData) {
    return MakeSignedData(0, in1, in2, in3, CurrentLocalTimeText(), signedData);
}

int CNpkiEx::MakeSignedData(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                            const ByteString& signTime, ByteString& signedData) {
    return Invoke(QLK_FUNCTION(QLK_CMS_SignData), type, In(in1), In(in2), In(in3), signTime.GetData(),
                  Out(signedData));
}

// The toolkit rewrites the signed data in place; the rewritten record is the result.
int CNpkiEx::AddSigner(int type, const ByteString& in1, const ByteString& in2, const ByteString& in3,
                       const ByteString& signTime, const ByteString& signedData, ByteString& result) {
    return Invoke(QLK_FUNCTION(QLK_CMS_AddSigner), type, In(in1), In(in2), In(in3), signTime.GetData(),
                  InOut(signedData, result));
}

int CNpkiEx::VerifySignedData(const ByteString& signedData, ByteString& content, ByteString& signerCert) {
    ByteString signTime;
    return VerifySignedData(0, signedData, content, signTime, signerCert);
}

// Verifies, then extracts the first signer; content is written only when both succeed.
int CNpkiEx::VerifySignedData(int type, const ByteString& signedData, ByteString& content, ByteString& signTime,
                              ByteString& signerCert) {
    ByteString staged;
    int signerCount = 0;
    const int result = Invoke(QLK_FUNCTION(QLK_CMS_VerifyData), type, In(signedData),
                              Out(staged, CopyRule::OnSuccess), &signerCount);
    if (result != 0) return result;
    const int signerResult = GetSignerCert(0, signerCert, signTime);
    if (signerResult == 0) content = staged;
    return signerResult;
}

// The toolkit writes the number of signers straight into the caller's count.
int CNpkiEx::VeryfyMultiSignedData(int type, const ByteString& signedData, ByteString& content,
                                   int& signerCount) {
    return Invoke(QLK_FUNCTION(QLK_CMS_VerifyData), type, In(signedData), Out(content, CopyRule::OnSuccess),
                  &signerCount);
}

int CNpkiEx::GetSignerCert(int index, ByteString& signerCert, ByteString& signTime) {
    return Invoke(QLK_FUNCTION(QLK_CMS_GetSignerCert), index, Out(signerCert, CopyRule::Always),
                  TextOut(signTime, kSignerTimeSize, CopyRule::WhenCalled));
}

int CNpkiEx::SetVerifyEnv(int p1, int p2, bool p3, const ByteString& in4) {
    return Invoke(QLK_FUNCTION(QLK_CERT_SetVerifyEnv1), p1, p2, p3 ? 1 : 0, in4.GetData());
}

int CNpkiEx::SetVerifyEnv(int p1, int p2, bool p3, const ByteString&, const ByteString& in5) {
    return SetVerifyEnv(p1, p2, p3, in5);
}

int CNpkiEx::SetVerifyEnv2(const ByteString& in1, const ByteString& in2) {
    return SetVerifyEnv2(CurrentLocalTimeText(), in1, in2);
}

int CNpkiEx::SetVerifyEnv2(const ByteString& in1, const ByteString& in2, const ByteString& in3) {
    return Invoke(QLK_FUNCTION(QLK_CERT_SetVerifyEnv2), in1.GetData(), In(in2), In(in3));
}

int CNpkiEx::VerifyCert(const ByteString& cert, int p2, const ByteString& in3, bool p4, const ByteString& in5,
                        const ByteString& in6) {
    return VerifyCert(cert, p2, in3, ByteString(), p4, in5, in6);
}

int CNpkiEx::VerifyCert2(const ByteString& cert, int p2, const ByteString& in3, const ByteString& in4) {
    return Invoke(QLK_FUNCTION(QLK_CERT_Verify2), In(cert), p2, in3.GetData(), in4.GetData());
}

// The caller's flag receives the toolkit's after every call; any toolkit failure folds into 1.
int CNpkiEx::IsTrustCert(const ByteString& in1, const ByteString& in2, bool& trusted) {
    const CallOutcome outcome = Call(UsualFrame(), QLK_FUNCTION(QLK_UTIL_IsTrustCert), In(in1), In(in2),
                                     Into<unsigned char>(trusted, CopyRule::WhenCalled));
    if (outcome.reach != Reach::Called || outcome.result == 0) return outcome.result;
    return kNotTrusted;
}

int CNpkiEx::CompareDN(const ByteString& first, const ByteString& second) {
    return Invoke(QLK_FUNCTION(QLK_UTIL_CompareDN), first.GetData(), second.GetData());
}

int CNpkiEx::GetRootCert(const ByteString& cert, ByteString& root) {
    return Invoke(QLK_FUNCTION(QLK_UTIL_GetRootCert), In(cert), Out(root));
}

int CNpkiEx::GetCertPath(const ByteString& cert, ByteString& path) {
    return Invoke(QLK_FUNCTION(QLK_UTIL_GetCertPath), In(cert), Out(path));
}

int CNpkiEx::GetObjectCount(const ByteString& list, int& count) {
    return Invoke(QLK_FUNCTION(QLK_UTIL_GetObjectCount), In(list), Into<int>(count, CopyRule::WhenCalled));
}

int CNpkiEx::GetObjectA(const ByteString& list, int index, ByteString& object) {
    return Invoke(QLK_FUNCTION(QLK_UTIL_GetObject), In(list), index, Out(object));
}

int CNpkiEx::GenerateKeyPair(int p1, ByteString& first, ByteString& second) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_GenKeyPair), p1, Out(first), Out(second));
}

int CNpkiEx::ClearKeyAndIV() { return Unavailable("ClearKeyAndIV"); }

int CNpkiEx::SetEnvChangeIV() { return Invoke(QLK_FUNCTION(QLK_CRYPT_SetEnvChangeIV)); }

int CNpkiEx::GenerateMAC(int p1, const ByteString& in2, const ByteString& in3, ByteString& mac) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_GenMAC), p1, in2.GetData(), In(in3), Out(mac));
}
