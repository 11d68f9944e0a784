// Korean private-key files: the three password-based forms of EncryptedPrivateKeyInfo
// that occur in the field, all with SEED-CBC underneath.
#include "toolkit/keys/KeyFile.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>
#include <memory>
#include <mutex>

#include "toolkit/keys/Der.h"
#include "toolkit/keys/Oids.h"
#include "toolkit/keys/PrivateKeyInfo.h"
#include "toolkit/keys/SeedCbc.h"

namespace qlk::keys {

namespace {

// Real files use 1024 or 2048; the bound keeps a hostile file from stalling the caller.
constexpr int kMaxIterations = 1 << 20;
constexpr std::size_t kMaxSaltLength = 64;
constexpr std::size_t kWrittenSaltLength = 8;
constexpr std::size_t kSha1Length = 20;
// The fixed IV of the old files whose outer algorithm is seedCBC itself.
constexpr unsigned char kOldFixedIv[kSeedBlockLength + 1] = "0123456789012345";

enum class Derivation { Pbkdf1WithDerivedIv, Pbkdf1WithFixedIv, Pbkdf2 };

struct PbeParameters {
    Derivation derivation = Derivation::Pbkdf1WithDerivedIv;
    der::Reader salt;
    int iterations = 0;
    const char* prf = "SHA1";  // PBKDF2 only
    der::Reader iv;            // PBES2 only
};

struct KeyAndIv {
    SecureBytes key = SecureBytes(kSeedKeyLength);
    SecureBytes iv = SecureBytes(kSeedBlockLength);
};

struct MdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// Fetched once and kept (see SeedCipher for why it is never freed).
const EVP_MD* Sha1() {
    static EVP_MD* md = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { md = EVP_MD_fetch(nullptr, "SHA1", nullptr); });
    return md;
}

bool Digest(EVP_MD_CTX* context, const EVP_MD* md, const unsigned char* first, std::size_t firstLength,
            const unsigned char* second, std::size_t secondLength, unsigned char* out) {
    return EVP_DigestInit_ex2(context, md, nullptr) == 1 &&
           (firstLength == 0 || EVP_DigestUpdate(context, first, firstLength) == 1) &&
           (secondLength == 0 || EVP_DigestUpdate(context, second, secondLength) == 1) &&
           EVP_DigestFinal_ex(context, out, nullptr) == 1;
}

// Ti = SHA1(Ti-1), in place: the hot loop of every key-file read.
bool IterateSha1(EVP_MD_CTX* context, const EVP_MD* md, unsigned char* block, int rounds) {
    for (int i = 0; i < rounds; ++i)
        if (EVP_DigestInit_ex2(context, md, nullptr) != 1 || EVP_DigestUpdate(context, block, kSha1Length) != 1 ||
            EVP_DigestFinal_ex(context, block, nullptr) != 1)
            return false;
    return true;
}

// PBKDF1-SHA1: T1 = SHA1(password || salt), Ti = SHA1(Ti-1); key = first 16 bytes of the last
// T; the IV is either the first 16 bytes of SHA1 over its last 4 bytes or the old fixed one.
bool DerivePbkdf1(const char* password, std::size_t passwordLength, const PbeParameters& parameters, KeyAndIv& out) {
    const EVP_MD* md = Sha1();
    std::unique_ptr<EVP_MD_CTX, MdContextFree> context(EVP_MD_CTX_new());
    SecureBytes block(kSha1Length);
    if (md == nullptr || !context ||
        !Digest(context.get(), md, reinterpret_cast<const unsigned char*>(password), passwordLength,
                parameters.salt.Data(), parameters.salt.Length(), block.data()) ||
        !IterateSha1(context.get(), md, block.data(), parameters.iterations - 1))
        return false;
    std::copy(block.begin(), block.begin() + kSeedKeyLength, out.key.begin());
    if (parameters.derivation == Derivation::Pbkdf1WithFixedIv) {
        std::copy(kOldFixedIv, kOldFixedIv + kSeedBlockLength, out.iv.begin());
        return true;
    }
    SecureBytes ivHash(kSha1Length);
    if (!Digest(context.get(), md, block.data() + kSeedKeyLength, kSha1Length - kSeedKeyLength, nullptr, 0,
                ivHash.data()))
        return false;
    std::copy(ivHash.begin(), ivHash.begin() + kSeedBlockLength, out.iv.begin());
    return true;
}

bool DerivePbkdf2(const char* password, std::size_t passwordLength, const PbeParameters& parameters, KeyAndIv& out) {
    if (passwordLength > static_cast<std::size_t>(INT_MAX)) return false;
    std::unique_ptr<EVP_MD, decltype(&EVP_MD_free)> md(EVP_MD_fetch(nullptr, parameters.prf, nullptr), EVP_MD_free);
    if (!md || PKCS5_PBKDF2_HMAC(password, static_cast<int>(passwordLength), parameters.salt.Data(),
                                 static_cast<int>(parameters.salt.Length()), parameters.iterations, md.get(),
                                 static_cast<int>(kSeedKeyLength), out.key.data()) != 1)
        return false;
    std::copy(parameters.iv.Data(), parameters.iv.Data() + kSeedBlockLength, out.iv.begin());
    return true;
}

bool Derive(const char* password, std::size_t passwordLength, const PbeParameters& parameters, KeyAndIv& out) {
    return parameters.derivation == Derivation::Pbkdf2 ? DerivePbkdf2(password, passwordLength, parameters, out)
                                                       : DerivePbkdf1(password, passwordLength, parameters, out);
}

bool ReadSaltAndIterations(der::Reader& body, PbeParameters& parameters) {
    return body.ReadElement(der::kOctetString, parameters.salt) && !parameters.salt.Empty() &&
           parameters.salt.Length() <= kMaxSaltLength && body.ReadSmallInteger(parameters.iterations) &&
           parameters.iterations >= 1 && parameters.iterations <= kMaxIterations;
}

// SEQUENCE { OCTET STRING salt, INTEGER iterations }
KeyFileStatus ReadSeedParameters(der::Reader params, PbeParameters& parameters) {
    der::Reader body;
    if (!params.ReadElement(der::kSequence, body) || !params.Empty() || !ReadSaltAndIterations(body, parameters) ||
        !body.Empty())
        return KeyFileStatus::Malformed;
    return KeyFileStatus::Ok;
}

// AlgorithmIdentifier of the PBKDF2 PRF: absent means HMAC-SHA1.
KeyFileStatus ReadPrf(der::Reader& body, PbeParameters& parameters) {
    if (body.Empty()) return KeyFileStatus::Ok;
    der::Reader prf, algorithm;
    if (!body.ReadElement(der::kSequence, prf) || !body.Empty() || !prf.ReadElement(der::kObject, algorithm) ||
        !prf.SkipOptional(der::kNull) || !prf.Empty())
        return KeyFileStatus::Malformed;
    if (algorithm.Equals(oid::kHmacWithSha1)) parameters.prf = "SHA1";
    else if (algorithm.Equals(oid::kHmacWithSha256)) parameters.prf = "SHA256";
    else return KeyFileStatus::UnsupportedAlgorithm;
    return KeyFileStatus::Ok;
}

// PBKDF2-params ::= SEQUENCE { salt OCTET STRING, iterationCount, keyLength OPTIONAL, prf OPTIONAL }
KeyFileStatus ReadPbkdf2(der::Reader keyDerivation, PbeParameters& parameters) {
    der::Reader body;
    if (!keyDerivation.ReadObjectEqualTo(oid::kPbkdf2)) return KeyFileStatus::UnsupportedAlgorithm;
    if (!keyDerivation.ReadElement(der::kSequence, body) || !keyDerivation.Empty() ||
        !ReadSaltAndIterations(body, parameters))
        return KeyFileStatus::Malformed;
    int keyLength = static_cast<int>(kSeedKeyLength);
    if (body.PeekTag(der::kInteger) && !body.ReadSmallInteger(keyLength)) return KeyFileStatus::Malformed;
    if (keyLength != static_cast<int>(kSeedKeyLength)) return KeyFileStatus::Malformed;
    return ReadPrf(body, parameters);
}

// SEQUENCE { OID seedCBC, OCTET STRING iv (16) }
KeyFileStatus ReadSeedScheme(der::Reader scheme, PbeParameters& parameters) {
    if (!scheme.ReadObjectEqualTo(oid::kSeedCbc)) return KeyFileStatus::UnsupportedAlgorithm;
    if (!scheme.ReadElement(der::kOctetString, parameters.iv) || parameters.iv.Length() != kSeedBlockLength ||
        !scheme.Empty())
        return KeyFileStatus::Malformed;
    return KeyFileStatus::Ok;
}

KeyFileStatus ReadPbes2Parameters(der::Reader params, PbeParameters& parameters) {
    der::Reader body, keyDerivation, scheme;
    if (!params.ReadElement(der::kSequence, body) || !params.Empty() ||
        !body.ReadElement(der::kSequence, keyDerivation) || !body.ReadElement(der::kSequence, scheme) || !body.Empty())
        return KeyFileStatus::Malformed;
    parameters.derivation = Derivation::Pbkdf2;
    const KeyFileStatus status = ReadPbkdf2(keyDerivation, parameters);
    return status != KeyFileStatus::Ok ? status : ReadSeedScheme(scheme, parameters);
}

KeyFileStatus ReadAlgorithm(der::Reader algorithm, PbeParameters& parameters) {
    der::Reader oid;
    if (!algorithm.ReadElement(der::kObject, oid)) return KeyFileStatus::Malformed;
    if (oid.Equals(oid::kSeedCbcWithSha1)) return ReadSeedParameters(algorithm, parameters);
    if (oid.Equals(oid::kPbes2)) return ReadPbes2Parameters(algorithm, parameters);
    if (oid.Equals(oid::kSeedCbc)) {
        parameters.derivation = Derivation::Pbkdf1WithFixedIv;
        return ReadSeedParameters(algorithm, parameters);
    }
    return KeyFileStatus::UnsupportedAlgorithm;
}

// EncryptedPrivateKeyInfo ::= SEQUENCE { AlgorithmIdentifier, OCTET STRING }
KeyFileStatus ReadEncryptedPrivateKeyInfo(const unsigned char* file, std::size_t length, PbeParameters& parameters,
                                          der::Reader& encrypted) {
    if (file == nullptr) return KeyFileStatus::Malformed;
    der::Reader input(file, length), body, algorithm;
    if (!input.ReadElement(der::kSequence, body) || !input.Empty() || !body.ReadElement(der::kSequence, algorithm) ||
        !body.ReadElement(der::kOctetString, encrypted) || !body.Empty())
        return KeyFileStatus::Malformed;
    return ReadAlgorithm(algorithm, parameters);
}

void WriteSaltAndIterations(der::Writer& writer, const Bytes& salt, int iterations) {
    writer.AddElement(der::kOctetString, salt.data(), salt.size());
    writer.AddSmallInteger(iterations);
}

void WriteAlgorithm(der::Writer& writer, KeyFileScheme scheme, const Bytes& salt, int iterations, const Bytes& iv) {
    writer.Open(der::kSequence);
    if (scheme == KeyFileScheme::SeedCbcWithSha1) {
        writer.AddObject(oid::kSeedCbcWithSha1);
        writer.Open(der::kSequence);
        WriteSaltAndIterations(writer, salt, iterations);
        writer.Close();
    } else {
        writer.AddObject(oid::kPbes2);
        writer.Open(der::kSequence);
        writer.Open(der::kSequence);
        writer.AddObject(oid::kPbkdf2);
        writer.Open(der::kSequence);
        WriteSaltAndIterations(writer, salt, iterations);  // PRF left out: HMAC-SHA1
        writer.Close();
        writer.Close();
        writer.Open(der::kSequence);
        writer.AddObject(oid::kSeedCbc);
        writer.AddElement(der::kOctetString, iv.data(), iv.size());
        writer.Close();
        writer.Close();
    }
    writer.Close();
}

bool RandomBytes(Bytes& out, std::size_t length) {
    out.resize(length);
    return RAND_bytes(out.data(), static_cast<int>(length)) == 1;
}

}  // namespace

const char* KeyFileStatusText(KeyFileStatus status) {
    switch (status) {
    case KeyFileStatus::Ok: return "success";
    case KeyFileStatus::Malformed: return "the private key file is not a valid encrypted private key";
    case KeyFileStatus::UnsupportedAlgorithm: return "the private key file uses an unsupported algorithm";
    case KeyFileStatus::WrongPassword: return "wrong password for the private key file";
    case KeyFileStatus::NoRandom: return "the private key carries no random value (randomNum)";
    case KeyFileStatus::InternalError: return "internal cryptographic error";
    }
    return "unknown key file status";
}

KeyFileStatus DecryptKeyFile(const unsigned char* file, std::size_t fileLength, const char* password,
                             std::size_t passwordLength, SecureBytes& privateKeyInfo) {
    if (password == nullptr && passwordLength != 0) return KeyFileStatus::Malformed;
    PbeParameters parameters;
    der::Reader encrypted;
    KeyFileStatus status = ReadEncryptedPrivateKeyInfo(file, fileLength, parameters, encrypted);
    if (status != KeyFileStatus::Ok) return status;
    if (encrypted.Empty() || encrypted.Length() % kSeedBlockLength != 0) return KeyFileStatus::Malformed;
    KeyAndIv keyAndIv;
    if (!Derive(password, passwordLength, parameters, keyAndIv)) return KeyFileStatus::InternalError;
    SecureBytes plain;
    switch (SeedCbcDecrypt(keyAndIv.key.data(), keyAndIv.iv.data(), encrypted.Data(), encrypted.Length(), plain)) {
    case SeedResult::Ok: break;
    case SeedResult::BadPadding: return KeyFileStatus::WrongPassword;
    case SeedResult::Failed: return KeyFileStatus::InternalError;
    }
    PrivateKeyInfoParts parts;
    if (!ParsePrivateKeyInfo(plain.data(), plain.size(), parts)) return KeyFileStatus::WrongPassword;
    privateKeyInfo.swap(plain);
    return KeyFileStatus::Ok;
}

KeyFileStatus EncryptKeyFile(const unsigned char* privateKeyInfo, std::size_t length, const char* password,
                             std::size_t passwordLength, KeyFileScheme scheme, int iterations, Bytes& file) {
    PrivateKeyInfoParts parts;
    if (!ParsePrivateKeyInfo(privateKeyInfo, length, parts) || (password == nullptr && passwordLength != 0) ||
        iterations < 1 || iterations > kMaxIterations)
        return KeyFileStatus::Malformed;
    PbeParameters parameters;
    Bytes salt, iv;
    if (!RandomBytes(salt, kWrittenSaltLength)) return KeyFileStatus::InternalError;
    if (scheme == KeyFileScheme::Pbes2Seed) {
        if (!RandomBytes(iv, kSeedBlockLength)) return KeyFileStatus::InternalError;
        parameters.derivation = Derivation::Pbkdf2;
        parameters.iv = der::Reader(iv.data(), iv.size());
    }
    parameters.salt = der::Reader(salt.data(), salt.size());
    parameters.iterations = iterations;
    KeyAndIv keyAndIv;
    SecureBytes encrypted;
    if (!Derive(password, passwordLength, parameters, keyAndIv) ||
        SeedCbcEncrypt(keyAndIv.key.data(), keyAndIv.iv.data(), privateKeyInfo, length, encrypted) != SeedResult::Ok)
        return KeyFileStatus::InternalError;
    der::Writer writer;
    writer.Open(der::kSequence);
    WriteAlgorithm(writer, scheme, salt, iterations, iv);
    writer.AddElement(der::kOctetString, encrypted.data(), encrypted.size());
    writer.Close();
    file.assign(writer.Result().begin(), writer.Result().end());
    return KeyFileStatus::Ok;
}

}  // namespace qlk::keys
