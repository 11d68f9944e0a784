// PKCS#11 token operations, shared by both backends: one toolkit call each. Every one
// answers 100 when the library is not loaded, on both backends.
#include <cstring>

#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

namespace {
const CallFrame kTokenFrame{kNotLoadedGpki};
const std::size_t kClearedSlots = 5;
}  // namespace

int CToolkitBackend::PKCS11_InitToken(const ByteString& t1, const ByteString& t2) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_InitToken), t1.GetData(), t2.GetData());
}

int CToolkitBackend::PKCS11_OpenSession(const ByteString& t1) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_OpenSession), t1.GetData());
}

int CToolkitBackend::PKCS11_OpenSessionWithSlotID(unsigned long slot, const ByteString& t2, int p3) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_OpenSessionWithSlotID), slot, t2.GetData(), p3);
}

int CToolkitBackend::PKCS11_OpenSessionWithTokenName(const ByteString& name, int p2) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_OpenSessionWithTokenName), name.GetData(), p2);
}

int CToolkitBackend::PKCS11_Login(const ByteString& pin) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_Login), pin.GetData());
}

// The caller's array holds at least five entries; they are cleared before the toolkit
// fills it. The array stays the caller's.
int CToolkitBackend::PKCS11_GetSlotList(unsigned long* slots, unsigned long& count) {
    if (!Loaded()) return kTokenFrame.notLoaded;
    if (slots) std::memset(slots, 0, kClearedSlots * sizeof(*slots));
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_GetSlotList), slots, &count);
}

int CToolkitBackend::PKCS11_GetTokenInfo(unsigned long slot, PKCS11_TOKEN_INFO& info) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_GetTokenInfo), slot, &info);
}

int CToolkitBackend::PKCS11_GetCertCnt(int* count) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_GetCertCnt), count);
}

// The toolkit may rewrite the second integer; that copy is dropped. Both outputs are
// copied in every case.
int CToolkitBackend::PKCS11_GetCertInfo(int p1, int p2, ByteString& first, ByteString& second) {
    int kind = p2;
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_GetCertInfo), p1, &kind, Out(first, CopyRule::Always),
                  Out(second, CopyRule::Always));
}

int CToolkitBackend::PKCS11_ReadCert(const ByteString& in1, ByteString& cert) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_ReadCert), In(in1), Out(cert));
}

int CToolkitBackend::PKCS11_ReadRandomForVID(const ByteString& in1, ByteString& random) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_ReadRandomForVID), In(in1), Out(random));
}

int CToolkitBackend::PKCS11_Sign(const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_Sign), In(in1), In(in2), Out(result));
}

int CToolkitBackend::PKCS11_SignData(const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_SignData), In(in1), In(in2), Out(result));
}

int CToolkitBackend::PKCS11_SignData_NoContent(const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_SignData_NoContent), In(in1), In(in2), Out(result));
}

int CToolkitBackend::PKCS11_Encrypt(const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_Encrypt), In(in1), In(in2), Out(result));
}

int CToolkitBackend::PKCS11_Decrypt(const ByteString& in1, const ByteString& in2, ByteString& result) {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_Decrypt), In(in1), In(in2), Out(result));
}

int CToolkitBackend::PKCS11_CloseSession() {
    return Invoke(kTokenFrame, QLK_FUNCTION(QLK_PKCS11_CloseSession));
}

}  // namespace zorvane
