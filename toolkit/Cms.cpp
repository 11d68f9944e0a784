#include "toolkit/Cms.h"

#include <openssl/err.h>
#include <openssl/core_names.h>
#include <openssl/rsa.h>

#include <algorithm>

#include "toolkit/Algorithms.h"
#include "toolkit/Asymmetric.h"
#include "toolkit/Certificates.h"
#include "toolkit/LocalTime.h"
#include "toolkit/ObjectList.h"
#include "toolkit/PrivateKeys.h"
#include "toolkit/keys/Der.h"

namespace qlk {
namespace {

void FreeStackOnly(STACK_OF(X509) * stack) { sk_X509_free(stack); }

using BioPtr = OpenSslPtr<BIO, BIO_free>;
using BorrowedCertsPtr = OpenSslPtr<STACK_OF(X509), FreeStackOnly>;
using TimePtr = OpenSslPtr<ASN1_TIME, ASN1_TIME_free>;

constexpr int kSha256 = 4;
constexpr int kKnownTypeBits = 1 | 2 | 4;

// OpenSSL reasons that have a code of their own; anything else takes the operation's
// fallback code.
struct ReasonCode {
    int library;
    int reason;
    Code code;
};
constexpr ReasonCode kReasonCodes[] = {
    {ERR_LIB_CMS, CMS_R_NO_MATCHING_RECIPIENT, Code::NoMatchingRecipient},
    {ERR_LIB_CMS, CMS_R_DECRYPT_ERROR, Code::NoMatchingRecipient},
    {ERR_LIB_CMS, CMS_R_UNSUPPORTED_CONTENT_ENCRYPTION_ALGORITHM, Code::UnsupportedContentCipher},
    {ERR_LIB_CMS, CMS_R_CIPHER_INITIALISATION_ERROR, Code::UnsupportedContentCipher},
    {ERR_LIB_CMS, CMS_R_CIPHER_PARAMETER_INITIALISATION_ERROR, Code::UnsupportedContentCipher},
    {ERR_LIB_CMS, CMS_R_SIGNER_CERTIFICATE_NOT_FOUND, Code::SignerCertificateMissing},
    {ERR_LIB_CMS, CMS_R_CERTIFICATE_VERIFY_ERROR, Code::SignerNotTrusted},
    {ERR_LIB_CMS, CMS_R_NO_CONTENT, Code::DetachedContentMissing},
    {ERR_LIB_CMS, CMS_R_CONTENT_VERIFY_ERROR, Code::MessageSignatureInvalid},
    {ERR_LIB_CMS, CMS_R_VERIFICATION_FAILURE, Code::MessageSignatureInvalid},
    {ERR_LIB_EVP, EVP_R_BAD_DECRYPT, Code::DecryptionFailed},
};

// Empties OpenSSL's error queue into a failure: the first queued reason that has a
// code of its own decides, and the oldest error's text becomes the detail.
Status FailFromQueue(Code fallback) {
    Code code = fallback;
    bool decided = false;
    std::string detail;
    while (unsigned long error = ERR_get_error()) {
        if (detail.empty()) {
            char text[256];
            ERR_error_string_n(error, text, sizeof text);
            detail = text;
        }
        for (const ReasonCode& entry : kReasonCodes) {
            if (!decided && entry.library == ERR_GET_LIB(error) && entry.reason == ERR_GET_REASON(error)) {
                code = entry.code;
                decided = true;
            }
        }
    }
    return Fail(code, detail);
}

BioPtr ReadOnlyBio(const Input& input) {
    static const unsigned char kEmpty = 0;
    return BioPtr(BIO_new_mem_buf(input.length ? input.data : &kEmpty, static_cast<int>(input.length)));
}

// A memory sink whose buffer is cleansed when freed: decrypted content passes through it.
BioPtr SecureSink() { return BioPtr(BIO_new(BIO_s_secmem())); }

template <class Container>
Status DrainBio(BIO* bio, Container& bytes) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    if (length < 0) return Fail(Code::CryptoFailure);
    bytes.assign(reinterpret_cast<unsigned char*>(data), reinterpret_cast<unsigned char*>(data) + length);
    return Ok();
}

Status ParseMessage(const Input& der, int expectedType, CmsPtr& message) {
    const unsigned char* cursor = der.data;
    message.reset(d2i_CMS_ContentInfo(nullptr, &cursor, static_cast<long>(der.length)));
    if (!message) return Fail(Code::MalformedMessage, TakeOpenSslError());
    if (cursor != der.data + der.length) return Fail(Code::MalformedMessage, "bytes after the message");
    if (OBJ_obj2nid(CMS_get0_type(message.get())) != expectedType) {
        return Fail(Code::MalformedMessage, std::string("not ") + OBJ_nid2ln(expectedType));
    }
    return Ok();
}

Status EncodeMessage(CMS_ContentInfo* message, Bytes& der) {
    unsigned char* encoded = nullptr;
    const int length = i2d_CMS_ContentInfo(message, &encoded);
    if (length <= 0) return FailFromQueue(Code::CryptoFailure);
    der.assign(encoded, encoded + length);
    OPENSSL_free(encoded);
    return Ok();
}

Status AddSigningTime(CMS_SignerInfo* signer, const std::string& signTime) {
    std::time_t when = std::time(nullptr);
    if (!signTime.empty() && !ParseLocalTime(signTime, when)) return Fail(Code::BadSigningTime, signTime);
    TimePtr time(ASN1_TIME_set(nullptr, when));
    if (!time) return Fail(Code::BadSigningTime, signTime);
    if (!CMS_signed_add1_attr_by_NID(signer, NID_pkcs9_signingTime, ASN1_STRING_type(time.get()), time.get(), -1)) {
        return FailFromQueue(Code::SigningFailed);
    }
    return Ok();
}

std::string SigningTimeOf(CMS_SignerInfo* signer) {
    const int index = CMS_signed_get_attr_by_NID(signer, NID_pkcs9_signingTime, -1);
    if (index < 0) return {};
    const ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(CMS_signed_get_attr(signer, index), 0);
    if (value == nullptr || (value->type != V_ASN1_UTCTIME && value->type != V_ASN1_GENERALIZEDTIME)) return {};
    std::tm utc{};
    if (!ASN1_TIME_to_tm(value->value.utctime, &utc)) return {};
    return LocalTimeText(timegm(&utc));
}

Status SetSignature(CMS_SignerInfo* signer, const Bytes& signature) {
    if (!ASN1_STRING_set(CMS_SignerInfo_get0_signature(signer), signature.data(), static_cast<int>(signature.size()))) {
        return Fail(Code::OutOfMemory);
    }
    return Ok();
}

// The DER SET OF the signed attributes, as a signature covers them: each attribute
// encoded, the encodings sorted, as OpenSSL sorts them when it writes the signer.
Status EncodeSignedAttributes(CMS_SignerInfo* signer, der::Writer& set) {
    std::vector<Bytes> encoded;
    for (int i = 0; i < CMS_signed_get_attr_count(signer); ++i) {
        unsigned char* bytes = nullptr;
        const int length = i2d_X509_ATTRIBUTE(CMS_signed_get_attr(signer, i), &bytes);
        if (length <= 0) return FailFromQueue(Code::SigningFailed);
        encoded.emplace_back(bytes, bytes + length);
        OPENSSL_free(bytes);
    }
    std::sort(encoded.begin(), encoded.end());
    set.Open(der::kSet);
    for (const Bytes& attribute : encoded) set.AddRaw(attribute.data(), attribute.size());
    set.Close();
    return Ok();
}

// OpenSSL signs with a key it holds; an external signer gets the encoded attributes.
Status SignSignedAttributes(CMS_SignerInfo* signer, const KeyHolder& holder) {
    if (!holder.sign) return CMS_SignerInfo_sign(signer) ? Ok() : FailFromQueue(Code::SigningFailed);
    der::Writer set;
    QLK_RETURN_IF_FAILED(EncodeSignedAttributes(signer, set));
    Bytes signature;
    QLK_RETURN_IF_FAILED(holder.sign(Input{set.Result().data(), set.Result().size()}, signature));
    return SetSignature(signer, signature);
}

// Signed attributes: contentType, messageDigest of the content and signingTime, then
// the signature over them.
Status SignAttributes(CMS_ContentInfo* message, CMS_SignerInfo* signer, const KeyHolder& holder,
                      const Input& content, const std::string& signTime) {
    MdPtr sha256;
    QLK_RETURN_IF_FAILED(FetchHash(kSha256, sha256));
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLength = 0;
    if (!EVP_Digest(content.data, content.length, digest, &digestLength, sha256.get(), nullptr)) {
        return FailFromQueue(Code::SigningFailed);
    }
    const ASN1_OBJECT* contentType = CMS_get0_eContentType(message);
    if (!CMS_signed_add1_attr_by_NID(signer, NID_pkcs9_contentType, V_ASN1_OBJECT,
                                     const_cast<ASN1_OBJECT*>(contentType), -1) ||
        !CMS_signed_add1_attr_by_NID(signer, NID_pkcs9_messageDigest, V_ASN1_OCTET_STRING, digest,
                                     static_cast<int>(digestLength))) {
        return FailFromQueue(Code::SigningFailed);
    }
    QLK_RETURN_IF_FAILED(AddSigningTime(signer, signTime));
    return SignSignedAttributes(signer, holder);
}

// OpenSSL's CMS names the signature algorithm of a signer it signs itself; a PSS
// signature made through the signer's key context takes the AlgorithmIdentifier, with
// its parameters, from that context.
Status NamePssAlgorithm(CMS_SignerInfo* signer) {
    unsigned char der[256];
    OSSL_PARAM query[] = {OSSL_PARAM_construct_octet_string(OSSL_SIGNATURE_PARAM_ALGORITHM_ID, der, sizeof der),
                          OSSL_PARAM_construct_end()};
    if (EVP_PKEY_CTX_get_params(CMS_SignerInfo_get0_pkey_ctx(signer), query) <= 0) {
        return FailFromQueue(Code::SigningFailed);
    }
    const unsigned char* cursor = der;
    OpenSslPtr<X509_ALGOR, X509_ALGOR_free> named(
        d2i_X509_ALGOR(nullptr, &cursor, static_cast<long>(query[0].return_size)));
    X509_ALGOR* algorithm = nullptr;
    CMS_SignerInfo_get0_algs(signer, nullptr, nullptr, nullptr, &algorithm);
    if (!named || !X509_ALGOR_copy(algorithm, named.get())) return FailFromQueue(Code::SigningFailed);
    return Ok();
}

// Without signed attributes the signature covers the content itself; OpenSSL's CMS
// makes these only with PKCS#1 v1.5, and so do we.
Status SignContentDirectly(CMS_SignerInfo* signer, const KeyHolder& holder, const Input& content) {
    Bytes signature;
    if (holder.sign) {
        QLK_RETURN_IF_FAILED(holder.sign(content, signature));
    } else {
        QLK_RETURN_IF_FAILED(SignData(holder.key.get(), kSha256, RsaPadding::Pkcs1, content, signature));
    }
    return SetSignature(signer, signature);
}

// Adds one signer to a SignedData and signs with it alone: the signers already present
// keep their signatures, which CMS_final would try to make again.
Status AppendSigner(CMS_ContentInfo* message, const KeyHolder& signer, const Input& content,
                    const SigningOptions& options) {
    const bool attributes = !options.type.noAttributes;
    const bool pss = attributes && options.rsaVersion == 2 && !signer.sign;
    unsigned int flags = CMS_PARTIAL | CMS_BINARY | CMS_NOSMIMECAP;
    if (!attributes) flags |= CMS_NOATTR;
    if (pss) flags |= CMS_KEY_PARAM;
    MdPtr sha256;
    QLK_RETURN_IF_FAILED(FetchHash(kSha256, sha256));
    CMS_SignerInfo* info = CMS_add1_signer(message, signer.certificate.get(), signer.key.get(), sha256.get(), flags);
    if (info == nullptr) return FailFromQueue(Code::SigningFailed);
    if (pss) {
        EVP_PKEY_CTX* keyContext = CMS_SignerInfo_get0_pkey_ctx(info);
        if (EVP_PKEY_CTX_set_rsa_padding(keyContext, RSA_PKCS1_PSS_PADDING) <= 0 ||
            EVP_PKEY_CTX_set_rsa_pss_saltlen(keyContext, RSA_PSS_SALTLEN_DIGEST) <= 0) {
            return FailFromQueue(Code::SigningFailed);
        }
    }
    if (!attributes) return SignContentDirectly(info, signer, content);
    QLK_RETURN_IF_FAILED(SignAttributes(message, info, signer, content, options.signTime));
    return pss ? NamePssAlgorithm(info) : Ok();
}

Status EmbedContent(CMS_ContentInfo* message, const Input& content) {
    ASN1_OCTET_STRING** slot = CMS_get0_content(message);
    if (slot == nullptr) return Fail(Code::CryptoFailure);
    if (*slot == nullptr) *slot = ASN1_OCTET_STRING_new();
    if (*slot == nullptr || !ASN1_OCTET_STRING_set(*slot, content.data, static_cast<int>(content.length))) {
        return Fail(Code::OutOfMemory);
    }
    return Ok();
}

// The content a signature covers: the message's own, or for a detached message the
// caller's.
Status SignedContent(CMS_ContentInfo* message, const Input& detachedContent, Input& content) {
    ASN1_OCTET_STRING** slot = CMS_get0_content(message);
    if (slot != nullptr && *slot != nullptr) {
        content = {ASN1_STRING_get0_data(*slot), static_cast<std::size_t>(ASN1_STRING_length(*slot))};
        return Ok();
    }
    if (detachedContent.empty()) return Fail(Code::DetachedContentMissing);
    content = detachedContent;
    return Ok();
}

void RecordSigners(CMS_ContentInfo* message, std::vector<SignerRecord>& records) {
    STACK_OF(CMS_SignerInfo)* infos = CMS_get0_SignerInfos(message);
    for (int i = 0; i < sk_CMS_SignerInfo_num(infos); ++i) {
        CMS_SignerInfo* info = sk_CMS_SignerInfo_value(infos, i);
        X509* certificate = nullptr;
        CMS_SignerInfo_get0_algs(info, nullptr, &certificate, nullptr, nullptr);
        if (certificate != nullptr) X509_up_ref(certificate);
        records.push_back({X509Ptr(certificate), SigningTimeOf(info)});
    }
}

// A key transport recipient named by the certificate's issuer and serial number or key
// identifier; OpenSSL itself fails without a reason when there is none.
Status FindRecipient(CMS_ContentInfo* enveloped, X509* certificate) {
    STACK_OF(CMS_RecipientInfo)* recipients = CMS_get0_RecipientInfos(enveloped);
    for (int i = 0; i < sk_CMS_RecipientInfo_num(recipients); ++i) {
        CMS_RecipientInfo* recipient = sk_CMS_RecipientInfo_value(recipients, i);
        if (CMS_RecipientInfo_type(recipient) == CMS_RECIPINFO_TRANS &&
            CMS_RecipientInfo_ktri_cert_cmp(recipient, certificate) == 0) {
            return Ok();
        }
    }
    return Fail(Code::NoMatchingRecipient);
}

}  // namespace

Status ParseMessageType(int type, MessageType& messageType) {
    if ((type & ~kKnownTypeBits) != 0) return Fail(Code::UnknownMessageType, std::to_string(type));
    messageType.detached = (type & 1) != 0;
    messageType.noAttributes = (type & 2) != 0;
    messageType.verifySigners = (type & 4) != 0;
    return Ok();
}

Status ReadKeyHolder(const Input& certificate, const Input& privateKeyInfo, KeyHolder& holder) {
    QLK_RETURN_IF_FAILED(ParseCertificate(certificate, holder.certificate));
    QLK_RETURN_IF_FAILED(ParsePrivateKeyInfo(privateKeyInfo, holder.key));
    return KeyBelongsTo(holder.certificate.get(), holder.key.get()) ? Ok() : Fail(Code::KeyCertificateMismatch);
}

Status SignContent(const KeyHolder& signer, const Input& content, const SigningOptions& options, Bytes& message) {
    CmsPtr signedData(CMS_sign(nullptr, nullptr, nullptr, nullptr, CMS_PARTIAL | CMS_BINARY));
    if (!signedData || !CMS_set_detached(signedData.get(), options.type.detached ? 1 : 0)) {
        return FailFromQueue(Code::SigningFailed);
    }
    if (!options.type.detached) QLK_RETURN_IF_FAILED(EmbedContent(signedData.get(), content));
    QLK_RETURN_IF_FAILED(AppendSigner(signedData.get(), signer, content, options));
    return EncodeMessage(signedData.get(), message);
}

Status AddSigner(const KeyHolder& signer, const Input& message, const Input& detachedContent,
                 const SigningOptions& options, Bytes& result) {
    CmsPtr signedData;
    QLK_RETURN_IF_FAILED(ParseMessage(message, NID_pkcs7_signed, signedData));
    Input content;
    QLK_RETURN_IF_FAILED(SignedContent(signedData.get(), detachedContent, content));
    QLK_RETURN_IF_FAILED(AppendSigner(signedData.get(), signer, content, options));
    return EncodeMessage(signedData.get(), result);
}

Status VerifySignedData(const Input& message, const Input& detachedContent, X509_STORE* trust,
                        const std::vector<X509Ptr>& intermediates, VerifiedMessage& verified, int& signerCount) {
    CmsPtr signedData;
    QLK_RETURN_IF_FAILED(ParseMessage(message, NID_pkcs7_signed, signedData));
    signerCount = sk_CMS_SignerInfo_num(CMS_get0_SignerInfos(signedData.get()));
    if (signerCount <= 0) return Fail(Code::MessageSignatureInvalid, "the message has no signer");
    Input content;
    QLK_RETURN_IF_FAILED(SignedContent(signedData.get(), detachedContent, content));
    BioPtr detached;
    if (CMS_is_detached(signedData.get())) detached = ReadOnlyBio(content);
    BioPtr sink = SecureSink();
    if (!sink || (CMS_is_detached(signedData.get()) && !detached)) return Fail(Code::OutOfMemory);
    BorrowedCertsPtr offered(sk_X509_new_null());
    for (const X509Ptr& intermediate : intermediates) {
        if (!offered || !sk_X509_push(offered.get(), intermediate.get())) return Fail(Code::OutOfMemory);
    }
    const unsigned int flags = CMS_BINARY | (trust == nullptr ? CMS_NO_SIGNER_CERT_VERIFY : 0);
    if (CMS_verify(signedData.get(), offered.get(), trust, detached.get(), sink.get(), flags) != 1) {
        return FailFromQueue(Code::MessageSignatureInvalid);
    }
    QLK_RETURN_IF_FAILED(DrainBio(sink.get(), verified.content));
    RecordSigners(signedData.get(), verified.signers);
    return Ok();
}

Status ReadCertificateList(const Input& list, std::vector<X509Ptr>& certificates) {
    ObjectSet objects;
    if (!ReadObjects(list, objects).ok() || objects.certificates.empty()) return Fail(Code::BadCertificateList);
    for (X509Ptr& certificate : objects.certificates) certificates.push_back(std::move(certificate));
    return Ok();
}

Status Envelope(const std::vector<X509Ptr>& recipients, const Input& content, int cipherId, int innerType,
                Bytes& message) {
    const CipherSpec* entry = nullptr;
    QLK_RETURN_IF_FAILED(FindCipher(cipherId, entry));
    CipherPtr cipher;
    QLK_RETURN_IF_FAILED(FetchCipher(*entry, cipher));
    BorrowedCertsPtr stack(sk_X509_new_null());
    for (const X509Ptr& recipient : recipients) {
        if (!stack || !sk_X509_push(stack.get(), recipient.get())) return Fail(Code::OutOfMemory);
    }
    CmsPtr enveloped(CMS_encrypt(stack.get(), nullptr, cipher.get(), CMS_BINARY | CMS_PARTIAL));
    if (!enveloped) return FailFromQueue(Code::MalformedPublicKey);
    if (innerType != NID_pkcs7_data && !CMS_set1_eContentType(enveloped.get(), OBJ_nid2obj(innerType))) {
        return FailFromQueue(Code::CryptoFailure);
    }
    BioPtr source = ReadOnlyBio(content);
    if (!source || !CMS_final(enveloped.get(), source.get(), nullptr, CMS_BINARY)) {
        return FailFromQueue(Code::CryptoFailure);
    }
    return EncodeMessage(enveloped.get(), message);
}

Status OpenEnvelope(const KeyHolder& recipient, const Input& message, SecureBytes& content) {
    CmsPtr enveloped;
    QLK_RETURN_IF_FAILED(ParseMessage(message, NID_pkcs7_enveloped, enveloped));
    QLK_RETURN_IF_FAILED(FindRecipient(enveloped.get(), recipient.certificate.get()));
    BioPtr sink = SecureSink();
    if (!sink) return Fail(Code::OutOfMemory);
    // Past the recipient check OpenSSL hides why decryption failed (a wrong transported
    // key is replaced by a random one), so what fails here is the decryption itself.
    if (!CMS_decrypt(enveloped.get(), recipient.key.get(), recipient.certificate.get(), nullptr, sink.get(),
                     CMS_BINARY)) {
        return FailFromQueue(Code::DecryptionFailed);
    }
    return DrainBio(sink.get(), content);
}

}  // namespace qlk
