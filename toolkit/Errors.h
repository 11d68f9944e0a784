#pragma once
// The toolkit's result codes. Ranges: 1000s context and arguments, 1500s certificates,
// 2000s ciphers, signatures, digests and encodings, 2500s storage media, 2600s PKCS#11 tokens, 3000s key
// files, 3500s virtual identifiers, 4000s CMS messages. toolkit/README.md lists every code.

namespace qlk {

enum class Code : int {
    Ok = 0,

    InvalidContext = 1001,
    InvalidArgument = 1002,
    EmptyInput = 1003,
    OutOfMemory = 1004,
    ProviderUnavailable = 1005,
    InputTooLarge = 1006,

    NoCertificate = 1501,
    NoPolicyExtension = 1502,
    MalformedCertificate = 1503,
    MalformedExtension = 1504,

    UnknownCipher = 2001,
    UnknownHash = 2002,
    NoSymmetricKey = 2003,
    BadKeyLength = 2004,
    BadIvLength = 2005,
    DecryptionFailed = 2006,
    MalformedPrivateKey = 2007,
    MalformedPublicKey = 2008,
    SigningFailed = 2009,
    SignatureMismatch = 2010,
    MacMismatch = 2011,
    UnknownRsaVersion = 2012,
    UnsupportedKeySize = 2013,
    AsymmetricFailed = 2014,
    MalformedBase64 = 2015,
    MalformedPem = 2016,
    UnknownPemLabel = 2017,
    RandomFailed = 2018,
    CryptoFailure = 2019,
    UnknownPadding = 2020,

    NoCardDriver = 2501,
    MediaEmptySlot = 2502,
    MediaUnloadable = 2503,
    NotAMedium = 2504,
    FileMissing = 2505,
    FileUnsafe = 2506,
    FileIoFailed = 2507,
    ItemExists = 2508,
    MediaAlreadyLoaded = 2509,
    NoCardReader = 2510,
    CardDriverFailed = 2511,

    NoTokenModule = 2601,
    NoToken = 2602,
    NoTokenSession = 2603,
    TokenSessionOpen = 2604,
    WrongPin = 2605,
    PinLocked = 2606,
    NotLoggedIn = 2607,
    NoTokenObject = 2608,
    NoTokenRandom = 2609,
    NoTokenCertificateIndex = 2610,
    BadPin = 2611,
    TokenDecryptFailed = 2615,
    TokenFailure = 2620,

    MalformedKeyFile = 3001,
    UnsupportedKeyFile = 3002,
    WrongPassword = 3003,
    KeyPairMismatch = 3004,
    UnknownKeyFileScheme = 3005,
    KeyFileFailure = 3006,

    NoRandom = 3501,
    NoIdentifyData = 3502,
    MalformedIdentifyData = 3503,
    UnsupportedVidHash = 3504,
    VidMismatch = 3505,
    VidFailure = 3506,

    MalformedMessage = 4001,
    MessageSignatureInvalid = 4002,
    NoMatchingRecipient = 4003,
    UnsupportedContentCipher = 4004,
    KeyCertificateMismatch = 4005,
    SignerNotTrusted = 4006,
    NoTrustedCertificates = 4007,
    NoVerifiedMessage = 4008,
    NoSuchSigner = 4009,
    DetachedContentMissing = 4010,
    SignerCertificateMissing = 4011,
    BadSigningTime = 4012,
    UnknownMessageType = 4013,
    BadCertificateList = 4014,
};

// The readable text of a code; never null.
const char* CodeText(Code code);

}  // namespace qlk
