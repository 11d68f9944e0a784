#include "toolkit/Pkcs11.h"

#include <dlfcn.h>
#include <openssl/crypto.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "toolkit/OpenSsl.h"

namespace qlk {
namespace {

struct CkrCode {
    CK_RV rv;
    Code code;
};
constexpr CkrCode kCkrCodes[] = {
    {CKR_PIN_INCORRECT, Code::WrongPin},
    {CKR_PIN_LOCKED, Code::PinLocked},
    {CKR_USER_NOT_LOGGED_IN, Code::NotLoggedIn},
    {CKR_PIN_LEN_RANGE, Code::BadPin},
    {CKR_PIN_INVALID, Code::BadPin},
    {CKR_TOKEN_NOT_PRESENT, Code::NoToken},
    {CKR_TOKEN_NOT_RECOGNIZED, Code::NoToken},
    {CKR_DEVICE_REMOVED, Code::NoToken},
    {CKR_SLOT_ID_INVALID, Code::NoToken},
    {CKR_SESSION_HANDLE_INVALID, Code::NoTokenSession},
    {CKR_SESSION_CLOSED, Code::NoTokenSession},
    {CKR_ENCRYPTED_DATA_INVALID, Code::TokenDecryptFailed},
    {CKR_ENCRYPTED_DATA_LEN_RANGE, Code::TokenDecryptFailed},
};

constexpr char kVidApplication[] = "VID random";

// Initialisations this process made, by dlopen handle (one per module file).
std::mutex registryMutex;
std::map<void*, int>& Registry() {
    static std::map<void*, int> users;
    return users;
}

CK_ULONG Length(std::size_t size) { return static_cast<CK_ULONG>(size); }
// PKCS#11 takes input bytes through non-const pointers.
CK_BYTE_PTR Writable(const Input& input) { return const_cast<CK_BYTE_PTR>(input.data); }

Status RequireSession(TokenModule& module) { return module.session.open ? Ok() : Fail(Code::NoTokenSession); }

// Every object that matches the template, in the module's order.
Status FindObjects(TokenModule& module, CK_ATTRIBUTE* pattern, CK_ULONG count, std::vector<CK_OBJECT_HANDLE>& found) {
    CK_FUNCTION_LIST* api = module.api();
    const CK_SESSION_HANDLE session = module.session.handle;
    QLK_RETURN_IF_FAILED(FromCkr(api->C_FindObjectsInit(session, pattern, count)));
    CK_OBJECT_HANDLE batch[32];
    CK_ULONG got = 0;
    CK_RV rv = CKR_OK;
    while ((rv = api->C_FindObjects(session, batch, 32, &got)) == CKR_OK && got > 0) found.insert(found.end(), batch, batch + got);
    const CK_RV finished = api->C_FindObjectsFinal(session);
    return FromCkr(rv != CKR_OK ? rv : finished);
}

Status ReadAttribute(TokenModule& module, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_TYPE type, Bytes& value) {
    CK_ATTRIBUTE attribute = {type, nullptr, 0};
    CK_FUNCTION_LIST* api = module.api();
    QLK_RETURN_IF_FAILED(FromCkr(api->C_GetAttributeValue(module.session.handle, object, &attribute, 1)));
    if (attribute.ulValueLen == CK_UNAVAILABLE_INFORMATION) return Fail(Code::TokenFailure, "attribute unavailable");
    value.resize(attribute.ulValueLen);
    attribute.pValue = value.data();
    return FromCkr(api->C_GetAttributeValue(module.session.handle, object, &attribute, 1));
}

// The one object of the class that carries the identifier.
Status FindById(TokenModule& module, CK_OBJECT_CLASS objectClass, const Input& id, CK_OBJECT_HANDLE& object) {
    QLK_RETURN_IF_FAILED(RequireSession(module));
    CK_ATTRIBUTE pattern[] = {{CKA_CLASS, &objectClass, sizeof objectClass},
                              {CKA_ID, Writable(id), Length(id.length)}};
    std::vector<CK_OBJECT_HANDLE> found;
    QLK_RETURN_IF_FAILED(FindObjects(module, pattern, 2, found));
    if (found.empty()) {
        // A token hides its private objects from a session that has not logged in.
        CK_SESSION_INFO info{};
        const bool loggedIn = module.api()->C_GetSessionInfo(module.session.handle, &info) == CKR_OK &&
                              (info.state == CKS_RO_USER_FUNCTIONS || info.state == CKS_RW_USER_FUNCTIONS);
        if (objectClass == CKO_PRIVATE_KEY && !loggedIn) return Fail(Code::NotLoggedIn);
        return Fail(Code::NoTokenObject, IdentifierLabel(id.data, id.length));
    }
    object = found.front();
    return Ok();
}

int KindOfCertificate(const Bytes& der) {
    const unsigned char* cursor = der.data();
    X509Ptr certificate(d2i_X509(nullptr, &cursor, static_cast<long>(der.size())));
    if (!certificate || (X509_get_extension_flags(certificate.get()) & EXFLAG_KUSAGE) == 0) return kKindOther;
    const uint32_t usage = X509_get_key_usage(certificate.get());
    if (usage & (KU_KEY_ENCIPHERMENT | KU_DATA_ENCIPHERMENT)) return kKindKeyManagement;
    if (usage & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) return kKindSigning;
    return kKindOther;
}

using CryptInit = CK_RV (*)(CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE);
using CryptStep = CK_RV (*)(CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR);

// One single-part token operation (sign, encrypt or decrypt) with the identifier's key.
template <class Output>
Status RunKeyOperation(TokenModule& module, CK_OBJECT_CLASS keyClass, CK_MECHANISM_TYPE mechanismType, CryptInit init,
                       CryptStep step, const Input& id, const Input& data, Output& output) {
    CK_OBJECT_HANDLE key = 0;
    QLK_RETURN_IF_FAILED(FindById(module, keyClass, id, key));
    CK_MECHANISM mechanism = {mechanismType, nullptr, 0};
    const CK_SESSION_HANDLE session = module.session.handle;
    QLK_RETURN_IF_FAILED(FromCkr(init(session, &mechanism, key)));
    CK_ULONG length = 0;
    // The size query keeps the operation active; a failure ends it.
    QLK_RETURN_IF_FAILED(FromCkr(step(session, Writable(data), Length(data.length), nullptr, &length)));
    Output result(length);
    QLK_RETURN_IF_FAILED(FromCkr(step(session, Writable(data), Length(data.length), result.data(), &length)));
    result.resize(length);
    output.swap(result);
    return Ok();
}

}  // namespace

Status FromCkr(CK_RV rv) {
    if (rv == CKR_OK) return Ok();
    for (const CkrCode& entry : kCkrCodes) {
        if (entry.rv == rv) return Fail(entry.code);
    }
    char detail[32];
    std::snprintf(detail, sizeof detail, "CKR 0x%lx", static_cast<unsigned long>(rv));
    return Fail(Code::TokenFailure, detail);
}

Status TokenModule::Open(void* library, std::unique_ptr<TokenModule>& module) {
    auto getList = reinterpret_cast<CK_C_GetFunctionList>(dlsym(library, "C_GetFunctionList"));
    CK_FUNCTION_LIST* api = nullptr;
    if (getList == nullptr || getList(&api) != CKR_OK || api == nullptr) {
        dlclose(library);
        return Fail(Code::NotAMedium, "C_GetFunctionList failed");
    }
    std::lock_guard<std::mutex> lock(registryMutex);
    int& users = Registry()[library];
    if (users == 0) {
        CK_C_INITIALIZE_ARGS arguments{};
        arguments.flags = CKF_OS_LOCKING_OK;
        const CK_RV rv = api->C_Initialize(&arguments);
        if (rv != CKR_OK) {
            Registry().erase(library);
            dlclose(library);
            return rv == CKR_CRYPTOKI_ALREADY_INITIALIZED ? Fail(Code::MediaAlreadyLoaded) : FromCkr(rv);
        }
    }
    ++users;
    module.reset(new TokenModule(library, api));
    return Ok();
}

TokenModule::~TokenModule() {
    CloseTokenSession(*this);
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        if (--Registry()[library_] == 0) {
            Registry().erase(library_);
            api_->C_Finalize(nullptr);
        }
    }
    dlclose(library_);
}

SecureBytes PinBytes(const char* pin) {
    if (pin == nullptr) return {};
    return SecureBytes(pin, pin + std::strlen(pin));
}

Status SlotsWithToken(TokenModule& module, std::vector<CK_SLOT_ID>& slots) {
    CK_ULONG count = 0;
    QLK_RETURN_IF_FAILED(FromCkr(module.api()->C_GetSlotList(CK_TRUE, nullptr, &count)));
    slots.resize(count);
    QLK_RETURN_IF_FAILED(FromCkr(module.api()->C_GetSlotList(CK_TRUE, slots.data(), &count)));
    slots.resize(count);
    return Ok();
}

Status TokenInfoOf(TokenModule& module, CK_SLOT_ID slot, CK_TOKEN_INFO& info) {
    return FromCkr(module.api()->C_GetTokenInfo(slot, &info));
}

Status InitFirstBlankToken(TokenModule& module, const std::string& label, const SecureBytes& pin) {
    if (label.size() > 32) return Fail(Code::InvalidArgument, "label longer than 32 bytes");
    std::vector<CK_SLOT_ID> slots;
    QLK_RETURN_IF_FAILED(SlotsWithToken(module, slots));
    for (CK_SLOT_ID slot : slots) {
        CK_TOKEN_INFO info{};
        if (!TokenInfoOf(module, slot, info).ok() || (info.flags & CKF_TOKEN_INITIALIZED)) continue;
        CK_UTF8CHAR padded[32];
        std::memset(padded, ' ', sizeof padded);
        std::memcpy(padded, label.data(), label.size());
        CK_FUNCTION_LIST* api = module.api();
        auto pinData = const_cast<CK_UTF8CHAR_PTR>(pin.data());
        QLK_RETURN_IF_FAILED(FromCkr(api->C_InitToken(slot, pinData, Length(pin.size()), padded)));
        CK_SESSION_HANDLE session = 0;
        QLK_RETURN_IF_FAILED(FromCkr(api->C_OpenSession(slot, CKF_SERIAL_SESSION | CKF_RW_SESSION, nullptr, nullptr, &session)));
        CK_RV rv = api->C_Login(session, CKU_SO, pinData, Length(pin.size()));
        if (rv == CKR_OK) rv = api->C_InitPIN(session, pinData, Length(pin.size()));
        api->C_CloseSession(session);
        return FromCkr(rv);
    }
    return Fail(Code::NoToken, "no slot with a token that is not initialised");
}

Status FindTokenSlot(TokenModule& module, const char* label, CK_SLOT_ID& slot) {
    std::vector<CK_SLOT_ID> slots;
    QLK_RETURN_IF_FAILED(SlotsWithToken(module, slots));
    for (CK_SLOT_ID candidate : slots) {
        CK_TOKEN_INFO info{};
        if (!TokenInfoOf(module, candidate, info).ok() || !(info.flags & CKF_TOKEN_INITIALIZED)) continue;
        std::string tokenLabel(reinterpret_cast<const char*>(info.label), sizeof info.label);
        tokenLabel.erase(tokenLabel.find_last_not_of(' ') + 1);
        if (label == nullptr || tokenLabel == label) {
            slot = candidate;
            return Ok();
        }
    }
    return Fail(Code::NoToken, label != nullptr ? label : "");
}

Status OpenTokenSession(TokenModule& module, CK_SLOT_ID slot, bool readWrite, const SecureBytes& pin) {
    if (module.session.open) return Fail(Code::TokenSessionOpen);
    const CK_FLAGS flags = CKF_SERIAL_SESSION | (readWrite ? CKF_RW_SESSION : 0);
    CK_SESSION_HANDLE handle = 0;
    QLK_RETURN_IF_FAILED(FromCkr(module.api()->C_OpenSession(slot, flags, nullptr, nullptr, &handle)));
    module.session = TokenSession{};
    module.session.open = true;
    module.session.handle = handle;
    if (pin.empty()) return Ok();
    Status login = LoginUser(module, pin);
    if (!login.ok()) CloseTokenSession(module);
    return login;
}

Status LoginUser(TokenModule& module, const SecureBytes& pin) {
    QLK_RETURN_IF_FAILED(RequireSession(module));
    const CK_RV rv = module.api()->C_Login(module.session.handle, CKU_USER, const_cast<CK_UTF8CHAR_PTR>(pin.data()),
                                           Length(pin.size()));
    return FromCkr(rv == CKR_USER_ALREADY_LOGGED_IN ? CKR_OK : rv);
}

Status CloseTokenSession(TokenModule& module) {
    QLK_RETURN_IF_FAILED(RequireSession(module));
    module.api()->C_Logout(module.session.handle);
    const CK_RV rv = module.api()->C_CloseSession(module.session.handle);
    module.session = TokenSession{};
    return FromCkr(rv);
}

Status CountCertificates(TokenModule& module, int& count) {
    QLK_RETURN_IF_FAILED(RequireSession(module));
    CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
    CK_ATTRIBUTE pattern[] = {{CKA_CLASS, &certificateClass, sizeof certificateClass}};
    std::vector<CK_OBJECT_HANDLE> found;
    QLK_RETURN_IF_FAILED(FindObjects(module, pattern, 1, found));
    module.session.certificates.swap(found);
    module.session.counted = true;
    count = static_cast<int>(module.session.certificates.size());
    return Ok();
}

Status CertificateInfo(TokenModule& module, int index, int& kind, Bytes& label, Bytes& id) {
    int count = 0;
    if (module.session.open && !module.session.counted) QLK_RETURN_IF_FAILED(CountCertificates(module, count));
    QLK_RETURN_IF_FAILED(RequireSession(module));
    const auto& certificates = module.session.certificates;
    if (index < 0 || static_cast<std::size_t>(index) >= certificates.size()) {
        return Fail(Code::NoTokenCertificateIndex, std::to_string(index));
    }
    const CK_OBJECT_HANDLE object = certificates[static_cast<std::size_t>(index)];
    Bytes value;
    QLK_RETURN_IF_FAILED(ReadAttribute(module, object, CKA_VALUE, value));
    QLK_RETURN_IF_FAILED(ReadAttribute(module, object, CKA_LABEL, label));
    QLK_RETURN_IF_FAILED(ReadAttribute(module, object, CKA_ID, id));
    kind = KindOfCertificate(value);
    module.session.certificateById[id] = object;
    return Ok();
}

Status ReadCertificate(TokenModule& module, const Input& id, Bytes& certificate) {
    const auto& known = module.session.certificateById;
    const auto seen = known.find(Bytes(id.data, id.data + id.length));
    if (seen != known.end() && ReadAttribute(module, seen->second, CKA_VALUE, certificate).ok()) return Ok();
    CK_OBJECT_HANDLE object = 0;
    QLK_RETURN_IF_FAILED(FindById(module, CKO_CERTIFICATE, id, object));
    return ReadAttribute(module, object, CKA_VALUE, certificate);
}

Status ReadVidRandom(TokenModule& module, const Input& id, Bytes& random) {
    QLK_RETURN_IF_FAILED(RequireSession(module));
    CK_OBJECT_CLASS dataClass = CKO_DATA;
    const std::string label = IdentifierLabel(id.data, id.length);
    CK_ATTRIBUTE pattern[] = {
        {CKA_CLASS, &dataClass, sizeof dataClass},
        {CKA_APPLICATION, const_cast<char*>(kVidApplication), Length(sizeof kVidApplication - 1)},
        {CKA_LABEL, const_cast<char*>(label.data()), Length(label.size())}};
    std::vector<CK_OBJECT_HANDLE> found;
    QLK_RETURN_IF_FAILED(FindObjects(module, pattern, 3, found));
    if (found.empty()) return Fail(Code::NoTokenRandom, label);
    return ReadAttribute(module, found.front(), CKA_VALUE, random);
}

Status TokenSign(TokenModule& module, const Input& id, const Input& data, Bytes& signature) {
    CK_FUNCTION_LIST* api = module.api();
    return RunKeyOperation(module, CKO_PRIVATE_KEY, CKM_SHA256_RSA_PKCS, api->C_SignInit, api->C_Sign, id, data,
                           signature);
}

Status TokenEncrypt(TokenModule& module, const Input& id, const Input& data, Bytes& output) {
    CK_FUNCTION_LIST* api = module.api();
    return RunKeyOperation(module, CKO_PUBLIC_KEY, CKM_RSA_PKCS, api->C_EncryptInit, api->C_Encrypt, id, data, output);
}

Status TokenDecrypt(TokenModule& module, const Input& id, const Input& data, SecureBytes& output) {
    CK_FUNCTION_LIST* api = module.api();
    Status status =
        RunKeyOperation(module, CKO_PRIVATE_KEY, CKM_RSA_PKCS, api->C_DecryptInit, api->C_Decrypt, id, data, output);
    // Modules report bad padding in their own ways (SoftHSM2: CKR_GENERAL_ERROR).
    if (status.code == Code::TokenFailure) status.code = Code::TokenDecryptFailed;
    return status;
}

std::string IdentifierLabel(const unsigned char* id, std::size_t length) { return ToHex(id, length); }

}  // namespace qlk
