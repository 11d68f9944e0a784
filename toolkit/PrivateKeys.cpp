#include "toolkit/PrivateKeys.h"

#include <openssl/err.h>
#include <openssl/objects.h>

#include <cstring>

namespace qlk {
namespace {

constexpr int kKeyFileIterations = 2048;

using SigPtr = OpenSslPtr<X509_SIG, X509_SIG_free>;

}  // namespace

Status ParsePkcs8(const Input& der, Pkcs8Ptr& info) {
    const unsigned char* cursor = der.data;
    info.reset(d2i_PKCS8_PRIV_KEY_INFO(nullptr, &cursor, static_cast<long>(der.length)));
    if (!info || cursor != der.data + der.length) return Fail(Code::MalformedPrivateKey, "not a DER PrivateKeyInfo");
    return Ok();
}

bool KeyBelongsTo(X509* certificate, EVP_PKEY* key) {
    if (X509_check_private_key(certificate, key) == 1) return true;
    ERR_clear_error();  // a mismatch is an answer, not an error to report
    return false;
}

Status FromKeyFileStatus(keys::KeyFileStatus status) {
    switch (status) {
        case keys::KeyFileStatus::Ok: return Ok();
        case keys::KeyFileStatus::Malformed: return Fail(Code::MalformedKeyFile, keys::KeyFileStatusText(status));
        case keys::KeyFileStatus::UnsupportedAlgorithm: return Fail(Code::UnsupportedKeyFile, keys::KeyFileStatusText(status));
        case keys::KeyFileStatus::WrongPassword: return Fail(Code::WrongPassword);
        case keys::KeyFileStatus::NoRandom: return Fail(Code::NoRandom);
        case keys::KeyFileStatus::InternalError: break;
    }
    return Fail(Code::KeyFileFailure, keys::KeyFileStatusText(status));
}

Status FromVidStatus(vid::VidStatus status) {
    switch (status) {
        case vid::VidStatus::Ok: return Ok();
        case vid::VidStatus::NoIdentifyData: return Fail(Code::NoIdentifyData);
        case vid::VidStatus::Malformed: return Fail(Code::MalformedIdentifyData);
        case vid::VidStatus::UnsupportedHash: return Fail(Code::UnsupportedVidHash);
        case vid::VidStatus::Mismatch: return Fail(Code::VidMismatch);
        case vid::VidStatus::InternalError: break;
    }
    return Fail(Code::VidFailure, vid::VidStatusText(status));
}

Status CheckPrivateKeyInfo(const Input& der) {
    Pkcs8Ptr info;
    return ParsePkcs8(der, info);
}

Status ParsePrivateKeyInfo(const Input& der, PkeyPtr& key) {
    Pkcs8Ptr info;
    QLK_RETURN_IF_FAILED(ParsePkcs8(der, info));
    key.reset(EVP_PKCS82PKEY(info.get()));
    return key ? Ok() : Fail(Code::MalformedPrivateKey, TakeOpenSslError());
}

Status ParsePrivateKey(const Input& keyOrFile, const Input& password, PkeyPtr& key) {
    if (password.empty()) return ParsePrivateKeyInfo(keyOrFile, key);
    SecureBytes text(password.data, password.data + password.length);
    text.push_back(0);
    SecureBytes info;
    QLK_RETURN_IF_FAILED(DecryptKeyFile(keyOrFile, reinterpret_cast<const char*>(text.data()), info));
    return ParsePrivateKeyInfo(Input{info.data(), info.size()}, key);
}

Status DecryptKeyFile(const Input& file, const char* password, SecureBytes& privateKeyInfo) {
    if (password == nullptr) return Fail(Code::InvalidArgument, "password");
    return FromKeyFileStatus(
        keys::DecryptKeyFile(file.data, file.length, password, std::strlen(password), privateKeyInfo));
}

Status EncryptKeyFile(const Input& privateKeyInfo, const char* password, keys::KeyFileScheme scheme, Bytes& file) {
    if (password == nullptr) return Fail(Code::InvalidArgument, "password");
    QLK_RETURN_IF_FAILED(CheckPrivateKeyInfo(privateKeyInfo));
    return FromKeyFileStatus(keys::EncryptKeyFile(privateKeyInfo.data, privateKeyInfo.length, password,
                                                  std::strlen(password), scheme, kKeyFileIterations, file));
}

Status SchemeOfKeyFile(const Input& file, keys::KeyFileScheme& scheme) {
    const unsigned char* cursor = file.data;
    SigPtr encrypted(d2i_X509_SIG(nullptr, &cursor, static_cast<long>(file.length)));
    if (!encrypted) return Fail(Code::MalformedKeyFile, TakeOpenSslError());
    const X509_ALGOR* algorithm = nullptr;
    X509_SIG_get0(encrypted.get(), &algorithm, nullptr);
    const ASN1_OBJECT* object = nullptr;
    X509_ALGOR_get0(&object, nullptr, nullptr, algorithm);
    scheme = OBJ_obj2nid(object) == NID_pbes2 ? keys::KeyFileScheme::Pbes2Seed : keys::KeyFileScheme::SeedCbcWithSha1;
    return Ok();
}

}  // namespace qlk
