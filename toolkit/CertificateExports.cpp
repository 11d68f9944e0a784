// QLK_CERT_: loading one certificate per context and reading its fields.

#include <openssl/err.h>

#include "toolkit/Binstr.h"
#include "toolkit/CertificateText.h"
#include "toolkit/Certificates.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"

using namespace qlk;

namespace {

constexpr int kValidityBufferSize = 25;  // 24 characters and a zero
constexpr int kAlgorithmBufferSize = 48;  // the algorithm text never exceeds 47 characters
constexpr int kPubKey2BufferSize = 1024;

int TextGetter(void* context, const char* function, int size, char* text, CertificateRenderer render) {
    return Call(context, function, [&](Context& open) -> Status {
        if (text == nullptr || size < 1) return Fail(Code::InvalidArgument, "text buffer");
        text[0] = '\0';
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        std::string rendered;
        QLK_RETURN_IF_FAILED(render(certificate, rendered));
        return WriteText(rendered, size, text);
    });
}

}  // namespace

extern "C" {

int QLK_CERT_Load(void* context, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        open.certificate.reset();
        Input input;
        QLK_RETURN_IF_FAILED(ReadInput(certificate, input));
        return ParseCertificate(input, open.certificate, PublicKey::LeftEncoded);
    });
}

int QLK_CERT_Unload(void* context) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        open.certificate.reset();
        return Ok();
    });
}

int QLK_CERT_GetVersion(void* context, int* version) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (version == nullptr) return Fail(Code::InvalidArgument);
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        *version = static_cast<int>(X509_get_version(certificate)) + 1;
        return Ok();
    });
}

int QLK_CERT_GetSerialNum(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSerial);
}
int QLK_CERT_GetIssuerName(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderIssuer);
}
int QLK_CERT_GetSubjectName(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSubject);
}
int QLK_CERT_GetSignatureAlgorithm(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSignatureAlgorithm);
}
int QLK_CERT_GetSignature(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSignature);
}
int QLK_CERT_GetKeyUsage(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderKeyUsage);
}
int QLK_CERT_GetCertPolicy(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderPolicies);
}
int QLK_CERT_GetCertPolicy_PolicyID(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderPolicyIds);
}
int QLK_CERT_GetBasicConstraints(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderBasicConstraints);
}
int QLK_CERT_GetExtKeyUsage(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderExtKeyUsage);
}
int QLK_CERT_GetSubjectAltName(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSubjectAltName);
}
int QLK_CERT_GetSubKeyID(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderSubjectKeyId);
}
int QLK_CERT_GetAuthKeyID(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderAuthorityKeyId);
}
int QLK_CERT_GetCRLDP(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderCrlDistributionPoints);
}
int QLK_CERT_GetAIA(void* context, int size, char* text) {
    return TextGetter(context, __func__, size, text, RenderAuthorityInfoAccess);
}

int QLK_CERT_GetSubjectName_DERFormat(void* context, BINSTR* name) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        const unsigned char* der = nullptr;
        std::size_t length = 0;
        if (!X509_NAME_get0_der(X509_get_subject_name(certificate), &der, &length)) {
            return Fail(Code::MalformedCertificate, TakeOpenSslError());
        }
        return WriteOutput(name, der, length);
    });
}

int QLK_CERT_GetValidity(void* context, char* notBefore, char* notAfter) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (notBefore == nullptr || notAfter == nullptr) return Fail(Code::InvalidArgument);
        notBefore[0] = notAfter[0] = '\0';
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        std::string from, to;
        QLK_RETURN_IF_FAILED(RenderKstTime(X509_get0_notBefore(certificate), from));
        QLK_RETURN_IF_FAILED(RenderKstTime(X509_get0_notAfter(certificate), to));
        QLK_RETURN_IF_FAILED(WriteText(from, kValidityBufferSize, notBefore));
        return WriteText(to, kValidityBufferSize, notAfter);
    });
}

int QLK_CERT_GetPubKey(void* context, int size, char* algorithm, char* key) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (algorithm == nullptr || key == nullptr || size < 1) return Fail(Code::InvalidArgument);
        algorithm[0] = key[0] = '\0';
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        QLK_RETURN_IF_FAILED(WriteText(PublicKeyAlgorithmText(certificate), kAlgorithmBufferSize, algorithm));
        return WriteText(PublicKeyText(certificate), size, key);
    });
}

int QLK_CERT_GetPubKey2(void* context, char* algorithm, char* bits, BINSTR* key) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (algorithm == nullptr || bits == nullptr) return Fail(Code::InvalidArgument);
        algorithm[0] = bits[0] = '\0';
        X509* certificate = nullptr;
        QLK_RETURN_IF_FAILED(LoadedCertificate(open, certificate));
        unsigned char* der = nullptr;
        int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
        if (length <= 0) return Fail(Code::MalformedPublicKey, TakeOpenSslError());
        Status written = WriteOutput(key, der, static_cast<std::size_t>(length));
        OPENSSL_free(der);
        QLK_RETURN_IF_FAILED(written);
        QLK_RETURN_IF_FAILED(WriteText(PublicKeyAlgorithmText(certificate), kPubKey2BufferSize, algorithm));
        return WriteText(PublicKeyBitsText(certificate), kPubKey2BufferSize, bits);
    });
}

}  // extern "C"
