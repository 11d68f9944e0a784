// SoftHSM2 tokens provisioned through the module's own PKCS#11 interface, so that no PIN
// travels on a command line.

#include <dlfcn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <openssl/x509.h>
#include <p11-kit/pkcs11.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/SafeFiles.h"
#include "toolkit/keys/KeyFile.h"
#include "tools/pkigen/MediaImages.h"
#include "tools/pkigen/Output.h"

namespace zorvane::pkigen {
namespace {

using Bytes = std::vector<unsigned char>;
using zorvane::paths::FileResult;

constexpr char kVidApplication[] = "VID random";

bool ReadFile(const std::string& path, Bytes& bytes, std::string& error) {
    if (zorvane::paths::ReadOwnedFile(path, 1024 * 1024, bytes) == FileResult::Ok) return true;
    error = "cannot read " + path;
    return false;
}

bool Checked(CK_RV rv, const char* step, std::string& error) {
    if (rv == CKR_OK) return true;
    char text[96];
    std::snprintf(text, sizeof text, "%s failed: CKR 0x%lx", step, static_cast<unsigned long>(rv));
    error = text;
    return false;
}

// A loaded and initialised module, finalised and unloaded on destruction.
class Module {
public:
    bool Open(const std::string& path, std::string& error) {
        library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        auto getList = library_ ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(library_, "C_GetFunctionList")) : nullptr;
        if (getList == nullptr || getList(&api_) != CKR_OK) {
            error = "cannot load the PKCS#11 module " + path;
            return false;
        }
        initialised_ = Checked(api_->C_Initialize(nullptr), "C_Initialize", error);
        return initialised_;
    }
    ~Module() {
        if (initialised_) api_->C_Finalize(nullptr);
        if (library_ != nullptr) dlclose(library_);
    }
    CK_FUNCTION_LIST* api() const { return api_; }

private:
    void* library_ = nullptr;
    CK_FUNCTION_LIST* api_ = nullptr;
    bool initialised_ = false;
};

// The slot of the first token that is (initialised) or is not yet (blank), by label.
bool FindSlot(CK_FUNCTION_LIST* api, const std::string* label, CK_SLOT_ID& slot, std::string& error) {
    CK_SLOT_ID slots[64];
    CK_ULONG count = 64;
    if (!Checked(api->C_GetSlotList(CK_TRUE, slots, &count), "C_GetSlotList", error)) return false;
    for (CK_ULONG i = 0; i < count; ++i) {
        CK_TOKEN_INFO info{};
        if (api->C_GetTokenInfo(slots[i], &info) != CKR_OK) continue;
        std::string tokenLabel(reinterpret_cast<const char*>(info.label), sizeof info.label);
        tokenLabel.erase(tokenLabel.find_last_not_of(' ') + 1);
        const bool initialised = (info.flags & CKF_TOKEN_INITIALIZED) != 0;
        if (label == nullptr ? !initialised : (initialised && tokenLabel == *label)) {
            slot = slots[i];
            return true;
        }
    }
    error = label == nullptr ? "no blank token slot" : "token " + *label + " not found";
    return false;
}

CK_UTF8CHAR_PTR PinData(const std::string& pin) {
    return reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>(pin.data()));
}

bool InitToken(CK_FUNCTION_LIST* api, CK_SLOT_ID slot, const std::string& label, const std::string& pin,
               std::string& error) {
    CK_UTF8CHAR padded[32];
    std::memset(padded, ' ', sizeof padded);
    std::memcpy(padded, label.data(), std::min(label.size(), sizeof padded));
    if (!Checked(api->C_InitToken(slot, PinData(pin), pin.size(), padded), "C_InitToken", error)) return false;
    CK_SESSION_HANDLE session = 0;
    if (!Checked(api->C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr, &session),
                 "C_OpenSession", error)) {
        return false;
    }
    const bool done = Checked(api->C_Login(session, CKU_SO, PinData(pin), pin.size()), "C_Login (SO)", error) &&
                      Checked(api->C_InitPIN(session, PinData(pin), pin.size()), "C_InitPIN", error);
    api->C_CloseSession(session);
    return done;
}

using PkeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

// The RSA parameter as big-endian bytes, in memory that is cleansed when freed.
qlk::SecureBytes RsaParameter(EVP_PKEY* key, const char* name) {
    BIGNUM* value = nullptr;
    qlk::SecureBytes bytes;
    if (EVP_PKEY_get_bn_param(key, name, &value) == 1) {
        bytes.resize(static_cast<std::size_t>(BN_num_bytes(value)));
        BN_bn2bin(value, bytes.data());
    }
    BN_clear_free(value);
    return bytes;
}

struct PairObjects {
    Bytes certificate, subject, id;
    PkeyPtr key{nullptr, EVP_PKEY_free};
};

bool ReadPair(const CertificateRecord& record, const std::string& password, PairObjects& pair, std::string& error) {
    Bytes file;
    if (!ReadFile(record.certPath, pair.certificate, error) || !ReadFile(record.keyPath, file, error)) return false;
    qlk::SecureBytes info;
    if (qlk::keys::DecryptKeyFile(file.data(), file.size(), password.data(), password.size(), info) !=
        qlk::keys::KeyFileStatus::Ok) {
        error = "cannot decrypt " + record.keyPath;
        return false;
    }
    const unsigned char* cursor = info.data();
    pair.key.reset(d2i_AutoPrivateKey(nullptr, &cursor, static_cast<long>(info.size())));
    cursor = pair.certificate.data();
    std::unique_ptr<X509, decltype(&X509_free)> certificate(
        d2i_X509(nullptr, &cursor, static_cast<long>(pair.certificate.size())), X509_free);
    unsigned char* subject = nullptr;
    const int subjectLength = certificate ? i2d_X509_NAME(X509_get_subject_name(certificate.get()), &subject) : -1;
    if (!pair.key || subjectLength <= 0) {
        error = "cannot read the pair of " + record.certPath;
        return false;
    }
    pair.subject.assign(subject, subject + subjectLength);
    OPENSSL_free(subject);
    pair.id.resize(SHA_DIGEST_LENGTH);
    SHA1(pair.certificate.data(), pair.certificate.size(), pair.id.data());
    return true;
}

template <class Container>
CK_ATTRIBUTE Attribute(CK_ATTRIBUTE_TYPE type, const Container& value) {
    return {type, const_cast<unsigned char*>(value.data()), value.size()};
}

bool Create(CK_FUNCTION_LIST* api, CK_SESSION_HANDLE session, std::vector<CK_ATTRIBUTE> attributes, const char* what,
            std::string& error) {
    CK_OBJECT_HANDLE object = 0;
    return Checked(api->C_CreateObject(session, attributes.data(), attributes.size(), &object), what, error);
}

// Certificate, public and private key of one pair, and for a signing pair its VID random.
bool StorePair(CK_FUNCTION_LIST* api, CK_SESSION_HANDLE session, const PairObjects& pair, const std::string& label,
               bool signing, const Bytes& random, std::string& error) {
    static CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE, publicClass = CKO_PUBLIC_KEY,
                           privateClass = CKO_PRIVATE_KEY, dataClass = CKO_DATA;
    static CK_CERTIFICATE_TYPE x509 = CKC_X_509;
    static CK_KEY_TYPE rsa = CKK_RSA;
    static CK_BBOOL yes = CK_TRUE, no = CK_FALSE;
    CK_BBOOL* signs = signing ? &yes : &no;
    CK_BBOOL* decrypts = signing ? &no : &yes;
    const Bytes labelBytes(label.begin(), label.end());
    const qlk::SecureBytes n = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_N);
    const qlk::SecureBytes e = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_E);
    const qlk::SecureBytes d = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_D);
    const qlk::SecureBytes p = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_FACTOR1);
    const qlk::SecureBytes q = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_FACTOR2);
    const qlk::SecureBytes dp = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1);
    const qlk::SecureBytes dq = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2);
    const qlk::SecureBytes qi = RsaParameter(pair.key.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1);
    auto flag = [](CK_ATTRIBUTE_TYPE type, CK_BBOOL* value) { return CK_ATTRIBUTE{type, value, sizeof *value}; };
    auto fixed = [](CK_ATTRIBUTE_TYPE type, void* value, std::size_t size) { return CK_ATTRIBUTE{type, value, size}; };
    bool stored =
        Create(api, session,
               {fixed(CKA_CLASS, &certificateClass, sizeof certificateClass),
                fixed(CKA_CERTIFICATE_TYPE, &x509, sizeof x509), flag(CKA_TOKEN, &yes),
                Attribute(CKA_VALUE, pair.certificate), Attribute(CKA_SUBJECT, pair.subject),
                Attribute(CKA_ID, pair.id), Attribute(CKA_LABEL, labelBytes)},
               "certificate", error) &&
        Create(api, session,
               {fixed(CKA_CLASS, &publicClass, sizeof publicClass), fixed(CKA_KEY_TYPE, &rsa, sizeof rsa),
                flag(CKA_TOKEN, &yes), flag(CKA_VERIFY, signs), flag(CKA_ENCRYPT, decrypts), Attribute(CKA_MODULUS, n),
                Attribute(CKA_PUBLIC_EXPONENT, e), Attribute(CKA_ID, pair.id), Attribute(CKA_LABEL, labelBytes)},
               "public key", error) &&
        Create(api, session,
               {fixed(CKA_CLASS, &privateClass, sizeof privateClass), fixed(CKA_KEY_TYPE, &rsa, sizeof rsa),
                flag(CKA_TOKEN, &yes), flag(CKA_PRIVATE, &yes), flag(CKA_SENSITIVE, &yes), flag(CKA_EXTRACTABLE, &no),
                flag(CKA_SIGN, signs), flag(CKA_DECRYPT, decrypts), Attribute(CKA_MODULUS, n),
                Attribute(CKA_PUBLIC_EXPONENT, e), Attribute(CKA_PRIVATE_EXPONENT, d), Attribute(CKA_PRIME_1, p),
                Attribute(CKA_PRIME_2, q), Attribute(CKA_EXPONENT_1, dp), Attribute(CKA_EXPONENT_2, dq),
                Attribute(CKA_COEFFICIENT, qi), Attribute(CKA_ID, pair.id), Attribute(CKA_LABEL, labelBytes)},
               "private key", error);
    if (!stored || !signing || random.empty()) return stored;
    const std::string idText = Hex(pair.id);
    const Bytes idLabel(idText.begin(), idText.end());
    const Bytes application(kVidApplication, kVidApplication + sizeof kVidApplication - 1);
    return Create(api, session,
                  {fixed(CKA_CLASS, &dataClass, sizeof dataClass), flag(CKA_TOKEN, &yes), flag(CKA_PRIVATE, &no),
                   Attribute(CKA_APPLICATION, application), Attribute(CKA_LABEL, idLabel), Attribute(CKA_VALUE, random)},
                  "VID random", error);
}

Bytes FromHex(const std::string& text) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

// The user's pairs as the plan asks, each labelled with the user's certificate folder.
bool StoreUser(CK_FUNCTION_LIST* api, CK_SESSION_HANDLE session, const UserRecord& user, bool keyManagement,
               std::string& error) {
    const std::string label = user.folder.substr(user.folder.find_last_of('/') + 1);
    PairObjects signing, km;
    if (!ReadPair(user.signing, user.password, signing, error) ||
        !StorePair(api, session, signing, label, true, FromHex(user.randomHex), error)) {
        return false;
    }
    return !keyManagement || (ReadPair(user.keyManagement, user.password, km, error) &&
                              StorePair(api, session, km, label, false, {}, error));
}

}  // namespace

bool PrepareSoftHsm(const std::string& folder, std::string& confPath, std::string& error) {
    const std::string tokens = folder + "/tokens";
    if ((::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) || (::mkdir(tokens.c_str(), 0700) != 0 && errno != EEXIST)) {
        error = "cannot make " + tokens;
        return false;
    }
    confPath = folder + "/softhsm2.conf";
    const std::string conf = "directories.tokendir = " + tokens + "\nobjectstore.backend = file\nlog.level = ERROR\n";
    if (zorvane::paths::WriteFileAtomically(confPath, reinterpret_cast<const unsigned char*>(conf.data()), conf.size(),
                                            0600, true) != FileResult::Ok) {
        error = "cannot write " + confPath;
        return false;
    }
    return ::setenv("SOFTHSM2_CONF", confPath.c_str(), 1) == 0;
}

bool ProvisionToken(const std::string& modulePath, const std::string& pin, const TokenPlan& plan, std::string& error) {
    CK_SLOT_ID slot = 0;
    {
        Module module;
        if (!module.Open(modulePath, error) || !FindSlot(module.api(), nullptr, slot, error) ||
            !InitToken(module.api(), slot, plan.label, pin, error)) {
            return false;
        }
    }
    // SoftHSM2 gives an initialised token a slot id of its own; a fresh start finds it.
    Module module;
    if (!module.Open(modulePath, error) || !FindSlot(module.api(), &plan.label, slot, error)) return false;
    CK_FUNCTION_LIST* api = module.api();
    CK_SESSION_HANDLE session = 0;
    if (!Checked(api->C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr, &session),
                 "C_OpenSession", error)) {
        return false;
    }
    bool stored = Checked(api->C_Login(session, CKU_USER, PinData(pin), pin.size()), "C_Login", error);
    for (const UserRecord* user : plan.users) stored = stored && StoreUser(api, session, *user, plan.keyManagement, error);
    api->C_CloseSession(session);
    return stored;
}

}  // namespace zorvane::pkigen
