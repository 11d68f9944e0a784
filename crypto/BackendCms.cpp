// CMS enveloping, signed-and-enveloped data and simple signatures, shared by both
// backends. The GPKI backend never hands the caller's CMS type to the toolkit (type 0
// instead), and its typed signed-and-enveloped form also keeps its own cipher.
#include "crypto/ToolkitBackend.h"
#include "crypto/ToolkitCall.h"

namespace zorvane {

int CToolkitBackend::MakeEnvelopedData(const ByteString& in1, const ByteString& in2, ByteString& enveloped) {
    return MakeEnvelopedData(0, in1, in2, m_cipherAlg, enveloped);
}

int CToolkitBackend::MakeEnvelopedData(const ByteString& in1, const ByteString& in2, int cipherAlg,
                                       ByteString& enveloped) {
    return MakeEnvelopedData(0, in1, in2, cipherAlg, enveloped);
}

int CToolkitBackend::MakeEnvelopedData(int type, const ByteString& in1, const ByteString& in2, int cipherAlg,
                                       ByteString& enveloped) {
    return Invoke(QLK_FUNCTION(QLK_CMS_EncryptData), CmsType(type), In(in1), In(in2), cipherAlg, Out(enveloped));
}

int CToolkitBackend::MakeEnvelopedDataWithMultiRecipients(const ByteString& in1, const ByteString& in2,
                                                          ByteString& enveloped) {
    return MakeEnvelopedDataWithMultiRecipients(0, in1, in2, m_cipherAlg, enveloped);
}

int CToolkitBackend::MakeEnvelopedDataWithMultiRecipients(const ByteString& in1, const ByteString& in2,
                                                          int cipherAlg, ByteString& enveloped) {
    return MakeEnvelopedDataWithMultiRecipients(0, in1, in2, cipherAlg, enveloped);
}

int CToolkitBackend::MakeEnvelopedDataWithMultiRecipients(int type, const ByteString& in1, const ByteString& in2,
                                                          int cipherAlg, ByteString& enveloped) {
    return Invoke(QLK_FUNCTION(QLK_CMS_EncryptDataWithMultiReps), CmsType(type), In(in1), In(in2), cipherAlg,
                  Out(enveloped));
}

int CToolkitBackend::VerifyEnvelopedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                                         ByteString& content) {
    return Invoke(QLK_FUNCTION(QLK_CMS_DecryptData), In(in1), In(in2), In(in3), Out(content));
}

int CToolkitBackend::MakeSignedAndEnvData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                                          const ByteString& in4, ByteString& message) {
    return MakeSignedAndEnvData(0, in1, in2, in3, in4, m_cipherAlg, message);
}

int CToolkitBackend::MakeSignedAndEnvData(int type, const ByteString& in1, const ByteString& in2,
                                          const ByteString& in3, const ByteString& in4, int cipherAlg,
                                          ByteString& message) {
    const int cipher = m_traits.passesCallerCmsType ? cipherAlg : m_cipherAlg;
    return Invoke(QLK_FUNCTION(QLK_CMS_SignAndEncData), CmsType(type), In(in1), In(in2), In(in3), In(in4), cipher,
                  Out(message));
}

int CToolkitBackend::VerifySignedAndEnvData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                                            ByteString& first, ByteString& second) {
    return VerifySignedAndEnvData(0, in1, in2, in3, first, second);
}

int CToolkitBackend::VerifySignedAndEnvData(int type, const ByteString& in1, const ByteString& in2,
                                            const ByteString& in3, ByteString& first, ByteString& second) {
    return Invoke(QLK_FUNCTION(QLK_CMS_VerifyAndDecData), CmsType(type), In(in1), In(in2), In(in3), Out(first),
                  Out(second));
}

int CToolkitBackend::MakeSimpleSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3,
                                          ByteString& signature) {
    return MakeSimpleSignedData(in1, in2, m_hashAlg, in3, signature);
}

int CToolkitBackend::MakeSimpleSignedData(const ByteString& in1, const ByteString& in2, int hashAlg,
                                          const ByteString& in3, ByteString& signature) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_Sign), In(in1), In(in2), hashAlg, In(in3), Out(signature));
}

int CToolkitBackend::VerifySimpleSignedData(const ByteString& in1, const ByteString& in2, const ByteString& in3) {
    return VerifySimpleSignedData(in1, m_hashAlg, in2, in3);
}

int CToolkitBackend::VerifySimpleSignedData(const ByteString& in1, int hashAlg, const ByteString& in2,
                                            const ByteString& in3) {
    return Invoke(QLK_FUNCTION(QLK_CRYPT_Verify), In(in1), hashAlg, In(in2), In(in3));
}

}  // namespace zorvane
