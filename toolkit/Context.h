#pragma once
// One toolkit context: what QLK_API_Init hands out as the opaque handle.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/Cms.h"
#include "toolkit/ObjectList.h"
#include "toolkit/OpenSsl.h"
#include "toolkit/Status.h"
#include "toolkit/keys/SecureBytes.h"

namespace qlk {

struct Medium;

struct SymmetricState {
    int cipherId = 0;  // 0: nothing set
    SecureBytes key;
    SecureBytes iv;
    bool chainIv = false;  // QLK_CRYPT_SetEnvChangeIV: each call continues from the last block
};

// What verifications check, as SetVerifyEnv1 and SetVerifyEnv2 set it; a settings
// file named by confFile may replace parts of it at each verification.
struct VerificationSettings {
    std::string confFile;
    std::string time;     // "YYYYMMDDHHMMSS" local time; empty: now
    int revocation = 0;   // 0 none, 1 the certificate itself, 2 the whole path
    bool fetchCrls = false;
    int keyUsage = 0;     // 0 any, 1 signing, 2 key management
    std::string crlCache;
    ObjectSet extras;     // intermediates and CRLs
};

class Context {
public:
    explicit Context(std::string workFolder);
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The context behind a handle, or null when the handle is not an open context.
    static Context* From(void* handle);

    void ClearError();
    void SetError(const Status& status, const char* function);
    Code lastCode() const { return lastCode_; }
    const std::string& lastText() const { return lastText_; }

    const std::string& workFolder() const { return workFolder_; }

    X509Ptr certificate;
    std::vector<X509Ptr> trustedCertificates;
    VerificationSettings verification;
    SymmetricState symmetric;
    int rsaVersion = 1;  // 1: PKCS#1 v1.5, 2: PSS and OAEP
    std::vector<Bytes> objects;
    // The signers of the message that the last successful verification read.
    std::vector<SignerRecord> verifiedSigners;
    bool hasVerifiedMessage = false;
    // The card driver or PKCS#11 module of QLK_MEDIA_Load; null when none.
    std::unique_ptr<Medium> medium;

private:
    static constexpr std::uint64_t kMagic = 0x514c4b2d43545831ull;  // "QLK-CTX1"
    std::uint64_t magic_ = kMagic;
    std::string workFolder_;
    Code lastCode_ = Code::Ok;
    std::string lastText_;
};

}  // namespace qlk
