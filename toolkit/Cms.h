#pragma once
// CMS SignedData and EnvelopedData on OpenSSL's CMS functions: the work behind the
// QLK_CMS_ exports, free of BINSTR and context handling.

#include <openssl/cms.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Binstr.h"
#include "toolkit/OpenSsl.h"

namespace qlk {

using CmsPtr = OpenSslPtr<CMS_ContentInfo, CMS_ContentInfo_free>;

// The type bits of the CMS functions.
struct MessageType {
    bool detached = false;       // 1
    bool noAttributes = false;   // 2
    bool verifySigners = false;  // 4
};
Status ParseMessageType(int type, MessageType& messageType);

// Makes the PKCS#1 v1.5 SHA-256 signature over the bytes with a key held elsewhere (a
// token), so that the key never enters this process.
using ExternalSigner = std::function<Status(const Input& data, Bytes& signature)>;

// A certificate and the private key that belongs to it; with an external signer, key is
// the certificate's public key and the signer makes every signature.
struct KeyHolder {
    X509Ptr certificate;
    PkeyPtr key;
    ExternalSigner sign;
};
Status ReadKeyHolder(const Input& certificate, const Input& privateKeyInfo, KeyHolder& holder);

struct SigningOptions {
    MessageType type;
    int rsaVersion = 1;
    std::string signTime;  // "YYYYMMDDHHMMSS" local time; empty: now
};

// A new SignedData over the content with one signer.
Status SignContent(const KeyHolder& signer, const Input& content, const SigningOptions& options, Bytes& message);
// The SignedData with one more signer; the content is read only for a detached message.
Status AddSigner(const KeyHolder& signer, const Input& message, const Input& detachedContent,
                 const SigningOptions& options, Bytes& result);

struct SignerRecord {
    X509Ptr certificate;
    std::string signingTime;  // "YYYYMMDDHHMMSS" local time; empty when absent
};

// What a successful verification found.
struct VerifiedMessage {
    SecureBytes content;
    std::vector<SignerRecord> signers;
};

// Verifies every signer of a DER SignedData. A null store skips the signers'
// certificates; intermediates help build their paths. signerCount is written as soon as
// the message is read.
Status VerifySignedData(const Input& message, const Input& detachedContent, X509_STORE* trust,
                        const std::vector<X509Ptr>& intermediates, VerifiedMessage& verified, int& signerCount);

// One DER or PEM certificate, or an object list of them.
Status ReadCertificateList(const Input& list, std::vector<X509Ptr>& certificates);

// An EnvelopedData for the recipients; innerType is the NID of the encrypted content.
Status Envelope(const std::vector<X509Ptr>& recipients, const Input& content, int cipherId, int innerType,
                Bytes& message);
// The content of an EnvelopedData, for the recipient.
Status OpenEnvelope(const KeyHolder& recipient, const Input& message, SecureBytes& content);

}  // namespace qlk
