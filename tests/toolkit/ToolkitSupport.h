#pragma once
// Helpers for the toolkit tests: an open context, owned BINSTR records, a scratch
// folder, and the openssl command line as the independent checker.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "crypto/QlkApi.h"
#include "support/TestSupport.h"
#include "tools/pkigen/Generator.h"

namespace qlk_test {

using Bytes = std::vector<unsigned char>;

class ContextHandle {
public:
    ContextHandle();
    ~ContextHandle();
    ContextHandle(const ContextHandle&) = delete;
    ContextHandle& operator=(const ContextHandle&) = delete;
    void* get() const { return handle_; }
    // The context's error text through QLK_API_GetErrInfo.
    std::string ErrorText() const;

private:
    void* handle_ = nullptr;
};

class Record {
public:
    Record();
    explicit Record(const Bytes& bytes);
    explicit Record(const std::string& text);
    ~Record();
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    BINSTR* get() { return &record_; }
    Bytes bytes() const;
    std::string text() const;

private:
    BINSTR record_{};
};

using ScratchFolder = zorvane::testsupport::TempFolder;
using zorvane::testsupport::FromHex;
using zorvane::testsupport::Hex;
using zorvane::testsupport::TrimEnd;
using zorvane::testsupport::WriteFile;

// The toolkit's hash identifiers and openssl's names for them.
inline const std::pair<int, const char*> kHashes[] = {{1, "sha1"},   {2, "md5"},    {3, "sha224"},
                                                      {4, "sha256"}, {5, "sha384"}, {6, "sha512"}};

// Runs a shell command; fails the test when it exits non-zero. Returns its stdout.
std::string Shell(const std::string& command);

// Fails the test when the file cannot be read.
Bytes ReadFile(const std::string& path);
Bytes ToBytes(const std::string& text);

// A user certificate signed by a test CA, made with the openssl command line.
struct TestCertificate {
    std::string pemPath;
    std::string keyPath;          // PKCS#8 PEM, unencrypted
    std::string keyDerPath;       // PKCS#8 DER, unencrypted
    Bytes der;
};

// Extensions: key usage, Korean policy with CPS and BMPString notice, SAN, CRLDP, AIA,
// SKI/AKI, EKU, basic constraints; the subject has a Korean cn and a serialNumber.
TestCertificate MakeUserCertificate(const ScratchFolder& folder, const std::string& serialHex);

// The first user of a generated yessign PKI (a VID and the randomNum in its signing key),
// made once per program: the records and the four files' bytes.
struct GeneratedUser {
    GeneratedUser();
    ScratchFolder root;
    zorvane::pkigen::UserRecord user;
    Bytes signCert, signKey, kmCert, kmKey;
};
const GeneratedUser& FirstGeneratedUser();

// A self-signed certificate with only basic constraints (no policies).
TestCertificate MakePlainCertificate(const ScratchFolder& folder);

// A suite sharing one user certificate with serial Suite::kSerial, made once, and a
// fresh toolkit context per test.
template <class Suite>
class UserCertificateSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>();
        user_ = MakeUserCertificate(*folder_, Suite::kSerial);
    }
    static void TearDownTestSuite() { folder_.reset(); }

    static inline std::unique_ptr<ScratchFolder> folder_;
    static inline TestCertificate user_;
    ContextHandle context_;
};

}  // namespace qlk_test
