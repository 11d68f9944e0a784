// The trust part of zorvane demo: zorvane verify-cert checks a valid user's certificate up to
// its root with the CA's CRL, and refuses a revoked user's through the same CRL.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"

namespace {

namespace fs = std::filesystem;

constexpr int kGood = 0;
constexpr int kRevoked = 5;  // zorvane verify-cert's exit code for a revoked certificate

// The generator's roots, alone in the folder verify-cert trusts.
bool MakeTrustFolder() {
    std::error_code error;
    fs::create_directories(DemoSandbox() / "trust", error);
    for (const auto& entry : fs::directory_iterator(DemoSandbox() / "home" / "pkigen-ca", error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("root-", 0) == 0 && entry.path().extension() == ".der")
            fs::copy_file(entry.path(), DemoSandbox() / "trust" / name, fs::copy_options::overwrite_existing, error);
    }
    if (error) std::fprintf(stderr, "zorvane demo: the trust folder cannot be made: %s\n", error.message().c_str());
    return !error;
}

int VerifyUser(const DemoUser& user) {
    const std::string ca = "home/pkigen-ca/ca-" + user.ca;
    return RunInSandbox({"verify-cert", user.folder + "/signCert.der", "--trust", "trust", "--intermediates",
                         ca + ".der", "--crl", ca + ".crl", "--revocation", "leaf"});
}

}  // namespace

int CheckDemoChainAndCrl() {
    std::printf("== zorvane verify-cert (the path to a trusted root, and the CA's CRL)\n");
    std::printf("A valid user's certificate is good; a user the CA revoked is refused through its CRL.\n");
    DemoUser good, revoked;
    if (!FindDemoUser("valid", good) || !FindDemoUser("revoked", revoked) || !MakeTrustFolder()) return 1;
    if (const int verdict = VerifyUser(good); verdict != kGood) return verdict;
    std::printf("\n");
    const int verdict = VerifyUser(revoked);
    std::printf("exit code %d: %s\n", verdict, verdict == kRevoked ? "refused as revoked" : "NOT REFUSED AS REVOKED");
    return verdict == kRevoked ? 0 : 1;
}
