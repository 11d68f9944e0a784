// QLK_CMS_ functions: SignedData, EnvelopedData and signed-and-enveloped messages.

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Cms.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/Verification.h"

using namespace qlk;

namespace {

Status ReadHolder(BINSTR* certificate, BINSTR* privateKey, KeyHolder& holder) {
    Input certificateIn, keyIn;
    QLK_RETURN_IF_FAILED(ReadInput(certificate, certificateIn));
    QLK_RETURN_IF_FAILED(ReadInput(privateKey, keyIn));
    return ReadKeyHolder(certificateIn, keyIn, holder);
}

Status ReadSigningOptions(const Context& context, int type, const char* signTime, SigningOptions& options) {
    QLK_RETURN_IF_FAILED(ParseMessageType(type, options.type));
    QLK_RETURN_IF_FAILED(ReadText(signTime, options.signTime, true));
    options.rsaVersion = context.rsaVersion;
    return Ok();
}

// What every signing function reads first: its options, the signer and the content.
struct SigningInputs {
    SigningOptions options;
    KeyHolder signer;
    Input content;
};
Status ReadSigningInputs(const Context& context, int type, const char* signTime, BINSTR* certificate,
                         BINSTR* privateKey, BINSTR* content, SigningInputs& inputs) {
    QLK_RETURN_IF_FAILED(ReadSigningOptions(context, type, signTime, inputs.options));
    QLK_RETURN_IF_FAILED(ReadHolder(certificate, privateKey, inputs.signer));
    return ReadInput(content, inputs.content, false);
}

// Verifies a SignedData as the type asks and keeps its signers for GetSignerCert.
Status VerifyInContext(Context& context, int type, const Input& message, const Input& detachedContent,
                       VerifiedMessage& verified, int& signerCount) {
    context.verifiedSigners.clear();
    context.hasVerifiedMessage = false;
    MessageType messageType;
    QLK_RETURN_IF_FAILED(ParseMessageType(type, messageType));
    StorePtr trust;
    ObjectSet intermediates;
    if (messageType.verifySigners) QLK_RETURN_IF_FAILED(SignerTrust(context, trust, intermediates));
    QLK_RETURN_IF_FAILED(VerifySignedData(message, detachedContent, trust.get(), intermediates.certificates, verified,
                                          signerCount));
    context.verifiedSigners = std::move(verified.signers);
    context.hasVerifiedMessage = true;
    return Ok();
}

// The content of an enveloped message, for the recipient's certificate and key.
Status OpenAsRecipient(BINSTR* certificate, BINSTR* privateKey, BINSTR* enveloped, SecureBytes& content) {
    KeyHolder recipient;
    QLK_RETURN_IF_FAILED(ReadHolder(certificate, privateKey, recipient));
    Input message;
    QLK_RETURN_IF_FAILED(ReadInput(enveloped, message));
    return OpenEnvelope(recipient, message, content);
}

Status WriteCertificate(BINSTR* record, X509* certificate) {
    if (certificate == nullptr) return Fail(Code::SignerCertificateMissing);
    unsigned char* der = nullptr;
    const int length = i2d_X509(certificate, &der);
    if (length <= 0) return Fail(Code::CryptoFailure, TakeOpenSslError());
    Status written = WriteOutput(record, der, static_cast<std::size_t>(length));
    OPENSSL_free(der);
    return written;
}

// EncryptData takes one certificate, EncryptDataWithMultiReps a list of them.
Status EnvelopeTo(int type, BINSTR* recipients, bool list, BINSTR* content, int cipher, BINSTR* enveloped) {
    MessageType messageType;
    QLK_RETURN_IF_FAILED(ParseMessageType(type, messageType));
    Input recipientsIn, contentIn;
    QLK_RETURN_IF_FAILED(ReadInput(recipients, recipientsIn));
    QLK_RETURN_IF_FAILED(ReadInput(content, contentIn, false));
    std::vector<X509Ptr> certificates;
    if (list) {
        QLK_RETURN_IF_FAILED(ReadCertificateList(recipientsIn, certificates));
    } else {
        X509Ptr certificate;
        QLK_RETURN_IF_FAILED(ParseCertificate(recipientsIn, certificate));
        certificates.push_back(std::move(certificate));
    }
    Bytes message;
    QLK_RETURN_IF_FAILED(Envelope(certificates, contentIn, cipher, NID_pkcs7_data, message));
    return WriteOutput(enveloped, message);
}

}  // namespace

extern "C" {

int QLK_CMS_SignData(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, const char* signTime,
                     BINSTR* signedData) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        SigningInputs inputs;
        QLK_RETURN_IF_FAILED(ReadSigningInputs(open, type, signTime, in1, in2, in3, inputs));
        Bytes message;
        QLK_RETURN_IF_FAILED(SignContent(inputs.signer, inputs.content, inputs.options, message));
        return WriteOutput(signedData, message);
    });
}

int QLK_CMS_AddSigner(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, const char* signTime,
                      BINSTR* signedData) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        SigningInputs inputs;
        QLK_RETURN_IF_FAILED(ReadSigningInputs(open, type, signTime, in1, in2, in3, inputs));
        Input message;
        QLK_RETURN_IF_FAILED(ReadInput(signedData, message));
        Bytes result;
        QLK_RETURN_IF_FAILED(AddSigner(inputs.signer, message, inputs.content, inputs.options, result));
        return WriteOutput(signedData, result);
    });
}

int QLK_CMS_VerifyData(void* context, int type, BINSTR* signedData, BINSTR* content, int* signerCount) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (signerCount == nullptr) return Fail(Code::InvalidArgument);
        Input message, detachedContent;
        QLK_RETURN_IF_FAILED(ReadInput(signedData, message));
        QLK_RETURN_IF_FAILED(ReadInput(content, detachedContent, false));
        VerifiedMessage verified;
        QLK_RETURN_IF_FAILED(VerifyInContext(open, type, message, detachedContent, verified, *signerCount));
        return WriteOutput(content, verified.content);
    });
}

int QLK_CMS_GetSignerCert(void* context, int index, BINSTR* certificate, char* time) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (certificate == nullptr || time == nullptr) return Fail(Code::InvalidArgument);
        if (!open.hasVerifiedMessage) return Fail(Code::NoVerifiedMessage);
        if (index < 0 || static_cast<std::size_t>(index) >= open.verifiedSigners.size()) {
            return Fail(Code::NoSuchSigner, std::to_string(index));
        }
        const SignerRecord& signer = open.verifiedSigners[static_cast<std::size_t>(index)];
        QLK_RETURN_IF_FAILED(WriteCertificate(certificate, signer.certificate.get()));
        return WriteText(signer.signingTime, 20, time);
    });
}

int QLK_CMS_EncryptData(void* context, int type, BINSTR* in1, BINSTR* in2, int cipher, BINSTR* enveloped) {
    return QLK_CALL(context, [&](Context&) { return EnvelopeTo(type, in1, false, in2, cipher, enveloped); });
}

int QLK_CMS_EncryptDataWithMultiReps(void* context, int type, BINSTR* in1, BINSTR* in2, int cipher,
                                     BINSTR* enveloped) {
    return QLK_CALL(context, [&](Context&) { return EnvelopeTo(type, in1, true, in2, cipher, enveloped); });
}

int QLK_CMS_DecryptData(void* context, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* content) {
    return QLK_CALL(context, [&](Context&) -> Status {
        SecureBytes opened;
        QLK_RETURN_IF_FAILED(OpenAsRecipient(in1, in2, in3, opened));
        return WriteOutput(content, opened);
    });
}

int QLK_CMS_SignAndEncData(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* in4,
                           int cipher, BINSTR* message) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        SigningInputs inputs;
        QLK_RETURN_IF_FAILED(ReadSigningInputs(open, type, nullptr, in1, in2, in4, inputs));
        inputs.options.type.detached = false;
        Input recipientsIn;
        QLK_RETURN_IF_FAILED(ReadInput(in3, recipientsIn));
        std::vector<X509Ptr> recipients;
        QLK_RETURN_IF_FAILED(ReadCertificateList(recipientsIn, recipients));
        Bytes signedData, enveloped;
        QLK_RETURN_IF_FAILED(SignContent(inputs.signer, inputs.content, inputs.options, signedData));
        QLK_RETURN_IF_FAILED(Envelope(recipients, Input{signedData.data(), signedData.size()}, cipher,
                                      NID_pkcs7_signed, enveloped));
        return WriteOutput(message, enveloped);
    });
}

int QLK_CMS_VerifyAndDecData(void* context, int type, BINSTR* in1, BINSTR* in2, BINSTR* in3, BINSTR* first,
                             BINSTR* second) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (first == nullptr || second == nullptr) return Fail(Code::InvalidArgument);
        SecureBytes inner;
        QLK_RETURN_IF_FAILED(OpenAsRecipient(in1, in2, in3, inner));
        VerifiedMessage verified;
        int signerCount = 0;
        QLK_RETURN_IF_FAILED(VerifyInContext(open, type, Input{inner.data(), inner.size()}, Input{}, verified,
                                             signerCount));
        QLK_RETURN_IF_FAILED(WriteCertificate(second, open.verifiedSigners.front().certificate.get()));
        return WriteOutput(first, verified.content);
    });
}

}  // extern "C"
