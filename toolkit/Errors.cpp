#include "toolkit/Errors.h"

#include <iterator>

namespace qlk {
namespace {

struct CodeEntry {
    Code code;
    const char* text;
};

constexpr CodeEntry kTexts[] = {
    {Code::Ok, "success"},
    {Code::InvalidContext, "the context is null or not open"},
    {Code::InvalidArgument, "a required argument is null or out of range"},
    {Code::EmptyInput, "the input is empty"},
    {Code::OutOfMemory, "out of memory"},
    {Code::ProviderUnavailable, "the OpenSSL providers could not be loaded"},
    {Code::InputTooLarge, "the result would exceed the size a BINSTR can hold"},
    {Code::NoCertificate, "no certificate is loaded"},
    {Code::NoPolicyExtension, "the certificate has no certificate policies extension"},
    {Code::MalformedCertificate, "the certificate is neither a DER nor a PEM X.509 certificate"},
    {Code::MalformedExtension, "a certificate extension cannot be decoded"},
    {Code::NoTrustedPath, "no path to a trusted certificate"},
    {Code::CertificateExpired, "a certificate of the path has expired"},
    {Code::CertificateNotYetValid, "a certificate of the path is not yet valid"},
    {Code::CertificateRevoked, "the certificate has been revoked"},
    {Code::CrlUnavailable, "no CRL is available for a certificate that must be checked"},
    {Code::CrlExpired, "a CRL has expired"},
    {Code::PolicyNotAcceptable, "no acceptable certificate policy"},
    {Code::PathSignatureInvalid, "a signature in the certificate path does not verify"},
    {Code::KeyUsageNotAllowed, "the key usage does not allow this use"},
    {Code::NoTrustedCertificate, "no trusted certificates are set"},
    {Code::PathInvalid, "the certificate path is invalid"},
    {Code::BadTimeText, "the time is not 14 digits of a valid local time"},
    {Code::MalformedCrl, "a CRL cannot be read"},
    {Code::NotAnObject, "the input is not a certificate, a CRL or an object list"},
    {Code::BadSettingsFile, "the verification settings file cannot be read or holds a bad value"},
    {Code::MalformedObjectList, "the object list cannot be read"},
    {Code::NoSuchObject, "no object with that index"},
    {Code::NamesDiffer, "the names differ"},
    {Code::BadUrl, "the URL is malformed or its scheme is not supported"},
    {Code::FetchRefused, "the server refused the connection or cannot be reached"},
    {Code::FetchTimedOut, "the server did not answer in time"},
    {Code::FetchNotFound, "nothing was found at the URL"},
    {Code::FetchTooLarge, "the answer exceeds 16 MiB"},
    {Code::FetchFailed, "the fetch failed"},
    {Code::UnknownCipher, "unknown symmetric algorithm identifier"},
    {Code::UnknownHash, "unknown hash algorithm identifier"},
    {Code::NoSymmetricKey, "no symmetric key and IV are set"},
    {Code::BadKeyLength, "the key length does not fit the algorithm"},
    {Code::BadIvLength, "the IV length does not fit the algorithm"},
    {Code::DecryptionFailed, "decryption failed: wrong key or IV, or damaged cipher text"},
    {Code::MalformedPrivateKey, "the private key cannot be read"},
    {Code::MalformedPublicKey, "the public key or certificate cannot be read"},
    {Code::SigningFailed, "the signature could not be made"},
    {Code::SignatureMismatch, "the signature does not verify"},
    {Code::MacMismatch, "the MAC does not match"},
    {Code::UnknownRsaVersion, "unknown RSA version"},
    {Code::UnsupportedKeySize, "unsupported key size"},
    {Code::AsymmetricFailed, "RSA encryption or decryption failed"},
    {Code::MalformedBase64, "the input is not valid Base64"},
    {Code::MalformedPem, "the input is not a PEM block"},
    {Code::UnknownPemLabel, "unknown PEM label selector"},
    {Code::RandomFailed, "the random generator failed"},
    {Code::CryptoFailure, "an OpenSSL operation failed"},
    {Code::UnknownPadding, "unknown RSA padding selector"},
    {Code::MediaEmptySlot, "the storage slot is empty"},
    {Code::MediaAlreadyLoaded, "the module is already loaded"},
    {Code::MalformedKeyFile, "the key file is not an encrypted private key"},
    {Code::UnsupportedKeyFile, "the key file uses an algorithm that is not supported"},
    {Code::WrongPassword, "wrong password"},
    {Code::KeyPairMismatch, "the private key does not belong to the public key"},
    {Code::UnknownKeyFileScheme, "unknown key file encryption scheme"},
    {Code::KeyFileFailure, "the key file could not be processed"},
    {Code::NoRandom, "the private key carries no VID random value"},
    {Code::NoIdentifyData, "the certificate carries no VID"},
    {Code::MalformedIdentifyData, "the certificate's VID cannot be decoded"},
    {Code::UnsupportedVidHash, "the certificate's VID uses an unsupported hash"},
    {Code::VidMismatch, "the identity number and random value do not match the certificate's VID"},
    {Code::VidFailure, "the VID could not be checked"},
    {Code::IvsMismatch, "the identity verification service says the identity does not match"},
    {Code::IvsAnswerUnreadable, "the identity verification service's answer cannot be read or is not for this request"},
    {Code::IvsSignatureInvalid, "the identity verification service's signature does not verify"},
    {Code::MalformedMessage, "the message is not a DER CMS message of the expected type"},
    {Code::MessageSignatureInvalid, "a signature in the message does not verify"},
    {Code::NoMatchingRecipient, "no recipient of the message matches the certificate, or the key cannot open it"},
    {Code::UnsupportedContentCipher, "the message's content cipher is not supported"},
    {Code::KeyCertificateMismatch, "the private key does not belong to the certificate"},
    {Code::SignerNotTrusted, "a signer's certificate does not verify against the trusted certificates"},
    {Code::NoTrustedCertificates, "no trusted certificates are set for verifying signers' certificates"},
    {Code::NoVerifiedMessage, "no message has been verified in this context"},
    {Code::NoSuchSigner, "no signer with that index"},
    {Code::DetachedContentMissing, "the message is detached and no content was given"},
    {Code::SignerCertificateMissing, "a signer's certificate is not in the message"},
    {Code::BadSigningTime, "the signing time is not 14 digits of a valid local time"},
    {Code::UnknownMessageType, "unknown message type bits"},
    {Code::BadCertificateList, "the recipient list holds no certificate or cannot be read"},
};

}  // namespace

const char* CodeText(Code code) {
    for (const CodeEntry& entry : kTexts) {
        if (entry.code == code) return entry.text;
    }
    return "unknown error";
}

}  // namespace qlk
