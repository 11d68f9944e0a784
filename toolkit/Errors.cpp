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
    {Code::NoCardDriver, "no card driver is loaded"},
    {Code::MediaEmptySlot, "the storage slot is empty"},
    {Code::MediaUnloadable, "the driver or module cannot be loaded"},
    {Code::NotAMedium, "the library is neither a card driver nor a PKCS#11 module"},
    {Code::FileMissing, "the file does not exist"},
    {Code::FileUnsafe, "the file is not a regular file of at most 1 MiB owned by this user"},
    {Code::FileIoFailed, "the file could not be read, written or removed"},
    {Code::ItemExists, "the item exists and replacing it was not asked for"},
    {Code::MediaAlreadyLoaded, "the module is already loaded"},
    {Code::NoCardReader, "the card reader does not exist"},
    {Code::CardDriverFailed, "the card driver failed"},
    {Code::NoTokenModule, "no PKCS#11 module is loaded"},
    {Code::NoToken, "no token is present"},
    {Code::NoTokenSession, "no token session is open"},
    {Code::TokenSessionOpen, "a token session is already open"},
    {Code::WrongPin, "wrong PIN"},
    {Code::PinLocked, "the PIN is locked"},
    {Code::NotLoggedIn, "the user is not logged in to the token"},
    {Code::NoTokenObject, "no object with that identifier on the token"},
    {Code::NoTokenRandom, "no VID random for that identifier on the token"},
    {Code::NoTokenCertificateIndex, "no certificate with that index on the token"},
    {Code::BadPin, "the PIN has an invalid length or characters"},
    {Code::TokenDecryptFailed, "the token could not decrypt the data"},
    {Code::TokenFailure, "the PKCS#11 module failed"},
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
