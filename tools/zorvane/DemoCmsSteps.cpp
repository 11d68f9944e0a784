// The CMS part of zorvane demo: a user of the sandbox's generated PKI signs a message and
// verifies it (attached and detached), then envelopes one to its key-management
// certificate with SEED and opens it again. Each command runs as the zorvane program
// would for a user, in the sandbox folder, and is shown as typed.

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/DemoSteps.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path Sandbox() { return fs::path(ProgramFolder()) / "demo"; }

std::string FileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The value of a "name": "value" line of the generator's manifest (its values hold no quotes).
std::string ManifestValue(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return "";
    const std::size_t start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

// The first valid NPKI user of the manifest: its certificate folder and key password.
struct DemoUser {
    std::string folder;
    std::string password;
};

bool FindDemoUser(DemoUser& user) {
    std::ifstream manifest(Sandbox() / "home" / "pkigen-manifest.json");
    std::string line, store, folder, validity;
    while (std::getline(manifest, line)) {
        if (const std::string value = ManifestValue(line, "store"); !value.empty()) store = value;
        if (const std::string value = ManifestValue(line, "folder"); !value.empty()) folder = value;
        if (const std::string value = ManifestValue(line, "validity"); !value.empty()) validity = value;
        const std::string password = ManifestValue(line, "password");
        if (password.empty() || store != "npki" || validity != "valid") continue;
        user = {fs::relative(folder, Sandbox()).string(), password};
        return true;
    }
    return false;
}

// Shows the command as a user would type it, then runs this zorvane program in the sandbox.
int RunInSandbox(const std::vector<std::string>& arguments) {
    std::string shown = "$ zorvane";
    for (const std::string& argument : arguments)
        shown += " " + (argument.find_first_of(" ()',") == std::string::npos ? argument : "'" + argument + "'");
    std::printf("%s\n", shown.c_str());
    std::fflush(stdout);

    std::string program = (fs::path(ProgramFolder()) / "zorvane").string();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv{program.data()};
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, Sandbox().c_str());
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(child, &status, 0) == child && WIFEXITED(status);
    posix_spawn_file_actions_destroy(&actions);
    return ran ? WEXITSTATUS(status) : 1;
}

// The demo message and the user's password file (0600) in the sandbox.
bool PrepareDemoFiles(DemoUser& user) {
    if (!FindDemoUser(user)) {
        std::fprintf(stderr, "zorvane demo: the sandbox manifest names no valid NPKI user\n");
        return false;
    }
    const std::string message = "Zorvane demo: a message for a Korean NPKI certificate.\n";
    const ByteString secret(user.password.data(), static_cast<int>(user.password.size()));
    std::string error;
    const bool written = cms::WriteWhole((Sandbox() / "message.txt").string(), ByteString(message.c_str()), error) &&
                         cms::WriteWhole((Sandbox() / "password").string(), secret, error);
    if (!written) std::fprintf(stderr, "zorvane demo: the sandbox files cannot be written: %s\n", error.c_str());
    return written;
}

// Runs the commands in order; stops at the first that fails and returns its exit code.
int RunAll(const std::vector<std::vector<std::string>>& commands) {
    for (const auto& command : commands)
        if (const int failed = RunInSandbox(command)) return failed;
    return 0;
}

}  // namespace

int SignAndVerifyDemoMessage() {
    std::printf("== zorvane sign and verify (a CMS signed message, attached and detached)\n");
    DemoUser user;
    if (!PrepareDemoFiles(user)) return 1;
    std::printf("The user's signing key (signPri.key) signs message.txt; verify names the signer.\n");
    const int attached = RunAll({{"sign", "--folder", user.folder, "--password-file", "password", "--out",
                                  "message.p7s", "message.txt"},
                                 {"verify", "message.p7s"}});
    if (attached) return attached;
    std::printf("\nA detached signature leaves the content out; verify is given it with --content.\n");
    return RunAll({{"sign", "--detached", "--folder", user.folder, "--password-file", "password", "--out",
                    "message-detached.p7s", "message.txt"},
                   {"verify", "--content", "message.txt", "message-detached.p7s"}});
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
    const bool same = FileText(Sandbox() / "message-opened.txt") == FileText(Sandbox() / "message.txt");
    std::printf("message-opened.txt %s message.txt\n", same ? "equals" : "DIFFERS FROM");
    return same ? 0 : 1;
}
