// QLK_PKCS11_ functions: slots, tokens, the context's session, and the token's objects
// and key operations on the module that QLK_MEDIA_Load loaded.

#include <cstring>

#include "toolkit/Binstr.h"
#include "toolkit/Certificates.h"
#include "toolkit/Cms.h"
#include "toolkit/Export.h"
#include "toolkit/Frame.h"
#include "toolkit/Media.h"

using namespace qlk;

namespace {

constexpr unsigned long kSlotListCapacity = 5;

// Runs a body on the context's module; a context without one answers NoTokenModule.
template <class Body>
Status OnToken(Context& context, Body&& body) {
    TokenModule* module = nullptr;
    QLK_RETURN_IF_FAILED(TokenOf(context, module));
    return body(*module);
}

template <class Text, std::size_t N>
void CopyPadded(char (&target)[N], const Text& source) {
    static_assert(sizeof source <= N - 1, "field does not fit");
    std::memcpy(target, source, sizeof source);
    target[sizeof source] = '\0';
}

void FillTokenInfo(const CK_TOKEN_INFO& token, PKCS11_TOKEN_INFO& info) {
    CopyPadded(info.label, token.label);
    CopyPadded(info.manufacturerID, token.manufacturerID);
    CopyPadded(info.model, token.model);
    CopyPadded(info.serialNumber, token.serialNumber);
    info.flags = token.flags;
    info.maxSessionCount = token.ulMaxSessionCount;
    info.sessionCount = token.ulSessionCount;
    info.minPinLen = token.ulMinPinLen;
    info.maxPinLen = token.ulMaxPinLen;
}

// Opens the session on the slot that pick chooses and logs in with a non-empty PIN.
template <class Pick>
Status OpenOn(Context& context, const char* pin, bool readWrite, Pick&& pick) {
    const SecureBytes pinBytes = PinBytes(pin);
    return OnToken(context, [&](TokenModule& module) -> Status {
        CK_SLOT_ID slot = 0;
        QLK_RETURN_IF_FAILED(pick(module, slot));
        return OpenTokenSession(module, slot, readWrite, pinBytes);
    });
}

using IdOperation = Status (*)(TokenModule&, const Input&, const Input&, Bytes&);

// The shape of Sign, Encrypt and the CMS functions: identifier and data in, bytes out.
Status RunWithId(Context& context, BINSTR* id, BINSTR* data, BINSTR* output, IdOperation operation) {
    return OnToken(context, [&](TokenModule& module) -> Status {
        Input idIn, dataIn;
        QLK_RETURN_IF_FAILED(ReadInput(id, idIn));
        QLK_RETURN_IF_FAILED(ReadInput(data, dataIn, false));
        Bytes result;
        QLK_RETURN_IF_FAILED(operation(module, idIn, dataIn, result));
        return WriteOutput(output, result);
    });
}

using IdRead = Status (*)(TokenModule&, const Input&, Bytes&);

// The shape of ReadCert and ReadRandomForVID: identifier in, bytes out.
Status ReadWithId(Context& context, BINSTR* id, BINSTR* output, IdRead read) {
    return OnToken(context, [&](TokenModule& module) -> Status {
        Input idIn;
        QLK_RETURN_IF_FAILED(ReadInput(id, idIn));
        Bytes result;
        QLK_RETURN_IF_FAILED(read(module, idIn, result));
        return WriteOutput(output, result);
    });
}

// A CMS SignedData whose one signature the token makes with the identifier's key.
Status SignOnToken(TokenModule& module, const Input& id, const Input& content, bool detached, Bytes& message) {
    Bytes der;
    QLK_RETURN_IF_FAILED(ReadCertificate(module, id, der));
    KeyHolder signer;
    QLK_RETURN_IF_FAILED(ParseCertificate(Input{der.data(), der.size()}, signer.certificate));
    signer.key.reset(X509_get_pubkey(signer.certificate.get()));
    if (!signer.key) return Fail(Code::MalformedPublicKey);
    signer.sign = [&](const Input& data, Bytes& signature) { return TokenSign(module, id, data, signature); };
    SigningOptions options;
    options.type.detached = detached;
    return SignContent(signer, content, options, message);
}

Status SignAttached(TokenModule& module, const Input& id, const Input& content, Bytes& message) {
    return SignOnToken(module, id, content, false, message);
}

Status SignDetached(TokenModule& module, const Input& id, const Input& content, Bytes& message) {
    return SignOnToken(module, id, content, true, message);
}

}  // namespace

extern "C" {

int QLK_PKCS11_GetSlotList(void* context, unsigned long* slots, unsigned long* count) {
    return QLK_CALL(context, [&](Context& open) {
        return OnToken(open, [&](TokenModule& module) -> Status {
            if (slots == nullptr || count == nullptr) return Fail(Code::InvalidArgument);
            std::vector<CK_SLOT_ID> found;
            QLK_RETURN_IF_FAILED(SlotsWithToken(module, found));
            for (std::size_t i = 0; i < found.size() && i < kSlotListCapacity; ++i) slots[i] = found[i];
            *count = found.size();
            return Ok();
        });
    });
}

int QLK_PKCS11_GetTokenInfo(void* context, unsigned long slot, PKCS11_TOKEN_INFO* info) {
    return QLK_CALL(context, [&](Context& open) {
        return OnToken(open, [&](TokenModule& module) -> Status {
            if (info == nullptr) return Fail(Code::InvalidArgument);
            CK_TOKEN_INFO token{};
            QLK_RETURN_IF_FAILED(TokenInfoOf(module, slot, token));
            FillTokenInfo(token, *info);
            return Ok();
        });
    });
}

int QLK_PKCS11_InitToken(void* context, const char* t1, const char* t2) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        std::string label;
        QLK_RETURN_IF_FAILED(ReadText(t1, label));
        const SecureBytes pin = PinBytes(t2);
        if (pin.empty()) return Fail(Code::BadPin);
        return OnToken(open, [&](TokenModule& module) { return InitFirstBlankToken(module, label, pin); });
    });
}

int QLK_PKCS11_OpenSession(void* context, const char* t1) {
    return QLK_CALL(context, [&](Context& open) {
        return OpenOn(open, t1, true, [](TokenModule& module, CK_SLOT_ID& slot) {
            return FindTokenSlot(module, nullptr, slot);
        });
    });
}

int QLK_PKCS11_OpenSessionWithSlotID(void* context, unsigned long slot, const char* t2, int p3) {
    return QLK_CALL(context, [&](Context& open) {
        return OpenOn(open, t2, p3 != 0, [&](TokenModule&, CK_SLOT_ID& chosen) {
            chosen = slot;
            return Ok();
        });
    });
}

int QLK_PKCS11_OpenSessionWithTokenName(void* context, const char* name, int p2) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        if (name == nullptr) return Fail(Code::InvalidArgument);
        return OpenOn(open, nullptr, p2 != 0, [&](TokenModule& module, CK_SLOT_ID& slot) {
            return FindTokenSlot(module, name, slot);
        });
    });
}

int QLK_PKCS11_Login(void* context, const char* pin) {
    return QLK_CALL(context, [&](Context& open) -> Status {
        const SecureBytes pinBytes = PinBytes(pin);
        if (pinBytes.empty()) return Fail(Code::BadPin);
        return OnToken(open, [&](TokenModule& module) { return LoginUser(module, pinBytes); });
    });
}

int QLK_PKCS11_GetCertCnt(void* context, int* count) {
    return QLK_CALL(context, [&](Context& open) {
        return OnToken(open, [&](TokenModule& module) -> Status {
            if (count == nullptr) return Fail(Code::InvalidArgument);
            return CountCertificates(module, *count);
        });
    });
}

int QLK_PKCS11_GetCertInfo(void* context, int index, int* kind, BINSTR* info, BINSTR* id) {
    return QLK_CALL(context, [&](Context& open) {
        return OnToken(open, [&](TokenModule& module) -> Status {
            if (kind == nullptr || info == nullptr || id == nullptr) return Fail(Code::InvalidArgument);
            Bytes label, identifier;
            int found = 0;
            QLK_RETURN_IF_FAILED(CertificateInfo(module, index, found, label, identifier));
            QLK_RETURN_IF_FAILED(WriteOutput(info, label));
            QLK_RETURN_IF_FAILED(WriteOutput(id, identifier));
            *kind = found;
            return Ok();
        });
    });
}

int QLK_PKCS11_ReadCert(void* context, BINSTR* id, BINSTR* certificate) {
    return QLK_CALL(context, [&](Context& open) {
        return ReadWithId(open, id, certificate, ReadCertificate);
    });
}

int QLK_PKCS11_ReadRandomForVID(void* context, BINSTR* id, BINSTR* random) {
    return QLK_CALL(context, [&](Context& open) {
        return ReadWithId(open, id, random, ReadVidRandom);
    });
}

int QLK_PKCS11_Sign(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) { return RunWithId(open, in1, in2, output, TokenSign); });
}

int QLK_PKCS11_SignData(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) { return RunWithId(open, in1, in2, output, SignAttached); });
}

int QLK_PKCS11_SignData_NoContent(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) { return RunWithId(open, in1, in2, output, SignDetached); });
}

int QLK_PKCS11_Encrypt(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) { return RunWithId(open, in1, in2, output, TokenEncrypt); });
}

int QLK_PKCS11_Decrypt(void* context, BINSTR* in1, BINSTR* in2, BINSTR* output) {
    return QLK_CALL(context, [&](Context& open) {
        return OnToken(open, [&](TokenModule& module) -> Status {
            Input idIn, dataIn;
            QLK_RETURN_IF_FAILED(ReadInput(in1, idIn));
            QLK_RETURN_IF_FAILED(ReadInput(in2, dataIn));
            SecureBytes plain;
            QLK_RETURN_IF_FAILED(TokenDecrypt(module, idIn, dataIn, plain));
            return WriteOutput(output, plain);
        });
    });
}

int QLK_PKCS11_CloseSession(void* context) {
    return QLK_CALL(context, [&](Context& open) { return OnToken(open, CloseTokenSession); });
}

}  // extern "C"
