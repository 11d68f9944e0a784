// zorvane-pkigen: builds a complete test PKI of the Korean stores into a home folder.
#include <cstdio>

#include "tools/pkigen/Arguments.h"
#include "tools/pkigen/Generator.h"
#include "tools/pkigen/MediaImages.h"
#include "tools/zorvane/SecretInput.h"

namespace {

// The password from --password-file or --password-fd, when one is given; the default
// stays otherwise (a test PKI is made without asking).
bool ReadPassword(zorvane::pkigen::Options& options, std::string& error) {
    CommandLine line;
    if (!options.passwordFile.empty()) line.values[SecretFileOption("password")] = options.passwordFile;
    if (!options.passwordFd.empty()) line.values[SecretFdOption("password")] = options.passwordFd;
    if (line.values.empty()) return true;
    Secret password;
    if (!ReadSecret(line, "password", "Key-file password: ", password, error)) return false;
    options.password = password.text();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zorvane::pkigen;
    Options options;
    std::string error;
    switch (ParseArguments(argc, argv, options, error)) {
    case ParseOutcome::Help: std::fputs(kUsage, stdout); return 0;
    case ParseOutcome::Error: std::fprintf(stderr, "zorvane-pkigen: %s\n%s", error.c_str(), kUsage); return 2;
    case ParseOutcome::Run: break;
    }
    if (!ReadPassword(options, error)) {
        std::fprintf(stderr, "zorvane-pkigen: no password: %s\n", error.c_str());
        return 2;
    }
    Result result;
    if (!Generate(options, result, error) || !WriteMediaImages(options, result, error)) {
        std::fprintf(stderr, "zorvane-pkigen: %s\n", error.c_str());
        return 1;
    }
    std::printf("%zu roots, %zu CAs, %zu users; manifest %s\n", result.roots.size(), result.cas.size(),
                result.users.size(), result.manifest.c_str());
    return 0;
}
