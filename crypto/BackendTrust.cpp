// Trust, verification and identity checks shared by both backends.
#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

// The configuration file is set first; its failure only leaves its error text, and the
// certificate verification's verdict is the result.
int CToolkitBackend::VerifyCert(const ByteString& cert, int p2, const ByteString& in3, const ByteString& confFile,
                                bool p5, const ByteString& in6, const ByteString& in7) {
    if (!Loaded()) return m_traits.notLoaded;
    const auto verify = QLK_FUNCTION(QLK_CERT_Verify);
    if (!Present(verify.name, verify, QLK_FUNCTION(QLK_API_SetConfFile))) return kFunctionMissing;
    Invoke(QLK_FUNCTION(QLK_API_SetConfFile), confFile.GetData());
    return Invoke(verify, In(cert), p2, in3.GetData(), p5 ? 1 : 0, In(in6), In(in7));
}

int CToolkitBackend::AddTrustedCert(const ByteString& cert) {
    return Invoke(QLK_FUNCTION(QLK_CERT_AddTrustedCert), In(cert));
}

int CToolkitBackend::SetCaPubs(const ByteString& caPubs) {
    return Invoke(CallFrame{kNotLoadedNpki}, QLK_FUNCTION(QLK_CERT_AddTrustedCert), In(caPubs));
}

int CToolkitBackend::VerifyByIVS(const ByteString& in1, const ByteString& in2, const ByteString& in3) {
    return Invoke(QLK_FUNCTION(QLK_CERT_VerifyByIVS), in1.GetData(), In(in2), In(in3));
}

int CToolkitBackend::VerifyByIVS2(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                                  const ByteString& in4, const ByteString& in5) {
    return Invoke(CallFrame{kNotLoadedNpki}, QLK_FUNCTION(QLK_VID_VerifyByIVS), in1.GetData(), In(in2), In(in3),
                  in4.GetData(), In(in5));
}

int CToolkitBackend::VerifyVID(const ByteString& in1, const ByteString& random, const ByteString& identityNumber) {
    return Invoke(QLK_FUNCTION(QLK_VID_Verify), In(in1), In(random), identityNumber.GetData());
}

int CToolkitBackend::GetRandomNo(const ByteString& privateKey, ByteString& random) {
    return Invoke(QLK_FUNCTION(QLK_VID_GetRandomFromPriKey), In(privateKey), Out(random));
}

int CToolkitBackend::LDAPGetDataByURL(int p1, const ByteString& url, ByteString& data) {
    return Invoke(CallFrame{kNotLoadedGpki}, QLK_FUNCTION(QLK_DSAP_GetDataByURL), p1, url.GetData(), Out(data));
}

int CToolkitBackend::AddObject(const ByteString& object, ByteString& result) {
    return Invoke(CallFrame{kNotLoadedNpki}, QLK_FUNCTION(QLK_UTIL_AddObject), In(object), Out(result));
}

}  // namespace zorvane
