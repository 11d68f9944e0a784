#pragma once
// A PKCS#11 module loaded into a context, its one token session, and the token
// operations behind the QLK_PKCS11_ exports.

#include <p11-kit/pkcs11.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Binstr.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

// Certificate kinds on a token.
enum TokenKind { kKindSigning = 1, kKindKeyManagement = 2, kKindOther = 3 };

struct TokenSession {
    bool open = false;
    CK_SESSION_HANDLE handle = 0;
    bool counted = false;
    std::vector<CK_OBJECT_HANDLE> certificates;  // in the order of the last count
    // Certificates already seen by identifier, so that reading one after listing it
    // needs no search of the token.
    std::map<Bytes, CK_OBJECT_HANDLE> certificateById;
};

// A module whose C_Initialize this process owns; contexts that load the same file share
// the initialisation, and the last one to go finalises it.
class TokenModule {
public:
    // Initialises the module behind a dlopen handle; the module takes the handle over.
    static Status Open(void* library, std::unique_ptr<TokenModule>& module);
    ~TokenModule();
    TokenModule(const TokenModule&) = delete;
    TokenModule& operator=(const TokenModule&) = delete;

    CK_FUNCTION_LIST* api() const { return api_; }
    TokenSession session;

private:
    TokenModule(void* library, CK_FUNCTION_LIST* api) : library_(library), api_(api) {}
    void* library_;
    CK_FUNCTION_LIST* api_;
};

// Maps a module's answer to a toolkit code (README: PKCS#11 tokens).
Status FromCkr(CK_RV rv);

// A PIN copied into cleansed memory; null reads as empty.
SecureBytes PinBytes(const char* pin);

Status SlotsWithToken(TokenModule& module, std::vector<CK_SLOT_ID>& slots);
Status TokenInfoOf(TokenModule& module, CK_SLOT_ID slot, CK_TOKEN_INFO& info);
Status InitFirstBlankToken(TokenModule& module, const std::string& label, const SecureBytes& pin);

// The first slot with an initialised token, or the token with the label.
Status FindTokenSlot(TokenModule& module, const char* label, CK_SLOT_ID& slot);
Status OpenTokenSession(TokenModule& module, CK_SLOT_ID slot, bool readWrite, const SecureBytes& pin);
Status LoginUser(TokenModule& module, const SecureBytes& pin);
Status CloseTokenSession(TokenModule& module);

Status CountCertificates(TokenModule& module, int& count);
Status CertificateInfo(TokenModule& module, int index, int& kind, Bytes& label, Bytes& id);
Status ReadCertificate(TokenModule& module, const Input& id, Bytes& certificate);
Status ReadVidRandom(TokenModule& module, const Input& id, Bytes& random);

// CKM_SHA256_RSA_PKCS with the private key of the identifier.
Status TokenSign(TokenModule& module, const Input& id, const Input& data, Bytes& signature);
// RSA PKCS#1 v1.5 with the public key (encrypt) or private key (decrypt) of the identifier.
Status TokenEncrypt(TokenModule& module, const Input& id, const Input& data, Bytes& output);
Status TokenDecrypt(TokenModule& module, const Input& id, const Input& data, SecureBytes& output);

// The identifier's token text form used to tie a VID random data object to its key.
std::string IdentifierLabel(const unsigned char* id, std::size_t length);

}  // namespace qlk
