// The CMS part of zorvane demo: a user of the sandbox's generated PKI signs a message and
// verifies it (attached and detached), then envelopes one to its key-management
// certificate with SEED and opens it again. Each command runs as the zorvane program
// would for a user, in the sandbox folder, and is shown as typed.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/DemoSandbox.h"
#include "tools/zorvane/DemoSteps.h"

namespace {

// The demo message and the user's password file (0600) in the sandbox.
bool PrepareDemoFiles(DemoUser& user) {
    if (!FindDemoUser("valid", user)) return false;
    const std::string message = "Zorvane demo: a message for a Korean NPKI certificate.\n";
    const ByteString secret(user.password.data(), static_cast<int>(user.password.size()));
    std::string error;
    const bool written = cms::WriteWhole((DemoSandbox() / "message.txt").string(), ByteString(message.c_str()), error) &&
                         cms::WriteWhole((DemoSandbox() / "password").string(), secret, error);
    if (!written) std::fprintf(stderr, "zorvane demo: the sandbox files cannot be written: %s\n", error.c_str());
    return written;
}

// Runs the commands in order; stops at the first that fails and returns its exit code.
int RunAll(const std::vector<std::vector<std::string>>& commands) {
    for (const auto& command : commands)
        if (const int failed = RunInSandbox(command)) return failed;
    return 0;
}

// A second opinion on the signed message from openssl cms, when that program is installed
// (make demo installs only what the library needs). Signers are not checked against roots.
int ConfirmWithOpenSsl(const std::string& message, const std::vector<std::string>& detachedContent) {
    if (!Installed("openssl")) {
        std::printf("openssl cms: skipped (the openssl program is not installed)\n");
        return 0;
    }
    std::vector<std::string> arguments{"cms", "-verify", "-noverify", "-binary", "-inform", "DER", "-in", message,
                                       "-out", "/dev/null"};
    arguments.insert(arguments.end(), detachedContent.begin(), detachedContent.end());
    return RunProgramInSandbox("openssl", arguments);
}

}  // namespace

int SignAndVerifyDemoMessage() {
    std::printf("== zorvane sign and verify (a CMS signed message, attached and detached; openssl cms confirms)\n");
    DemoUser user;
    if (!PrepareDemoFiles(user)) return 1;
    std::printf("The user's signing key (signPri.key) signs message.txt; verify names the signer.\n");
    const int attached = RunAll({{"sign", "--folder", user.folder, "--password-file", "password", "--out",
                                  "message.p7s", "message.txt"},
                                 {"verify", "message.p7s"}});
    if (const int failed = attached ? attached : ConfirmWithOpenSsl("message.p7s", {})) return failed;
    std::printf("\nA detached signature leaves the content out; verify is given it with --content.\n");
    const int detached = RunAll({{"sign", "--detached", "--folder", user.folder, "--password-file", "password",
                                  "--out", "message-detached.p7s", "message.txt"},
                                 {"verify", "--content", "message.txt", "message-detached.p7s"}});
    return detached ? detached : ConfirmWithOpenSsl("message-detached.p7s", {"-content", "message.txt"});
}

int EnvelopeAndOpenDemoMessage() {
    std::printf("== zorvane envelope and open (a CMS enveloped message, SEED)\n");
    DemoUser user;
    if (!PrepareDemoFiles(user)) return 1;
    std::printf("Anyone with the user's key-management certificate envelopes; only its key (--km) opens.\n");
    const int failed = RunAll({{"envelope", "--to", user.folder + "/kmCert.der", "--cipher", "seed", "--out",
                                "message.p7e", "message.txt"},
                               {"open", "--folder", user.folder, "--km", "--password-file", "password", "--out",
                                "message-opened.txt", "message.p7e"}});
    if (failed) return failed;
    const bool same = SandboxText("message-opened.txt") == SandboxText("message.txt");
    std::printf("message-opened.txt %s message.txt\n", same ? "equals" : "DIFFERS FROM");
    return same ? 0 : 1;
}
