// zorvane passwd: a key file's password changed, the file replaced only by a checked result.

#include <cstring>
#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/SecretInput.h"

namespace {

const char kUsage[] =
    "usage: zorvane passwd (--key FILE | --folder DIR [--km]) [--json] [--work DIR]\n"
    "                      [--old-password-file FILE | --old-password-fd N]\n"
    "                      [--new-password-file FILE | --new-password-fd N]\n"
    "  Changes the password of an encrypted private-key file: FILE, or signPri.key of the\n"
    "  certificate folder DIR (kmPri.key with --km). The old and the new password come from\n"
    "  a file, a descriptor (up to its first line end; both may share one, old first) or a\n"
    "  prompt on the terminal, where the new one is asked twice; never from the command line.\n"
    "  The new file is checked to open with the new password, then written beside the old one\n"
    "  with mode 0600, synced and renamed over it; on any failure the old file stays as it was.\n"
    "  Exit codes: 0 changed, 1 the toolkit refused the key file, 2 bad command line, 3 a file\n"
    "  or password cannot be read or the new file cannot be written, 4 the toolkit is missing,\n"
    "  5 the old password is wrong\n";

ByteString Bytes(const Secret& secret) {
    return ByteString(secret.text().data(), static_cast<int>(secret.text().size()));
}

int KeyFilePath(cms::CmsCommand& command, std::string& path) {
    const CommandLine& line = command.Line();
    const bool key = line.values.count("--key") != 0, folder = line.values.count("--folder") != 0;
    if (key == folder || !line.positional.empty() || (key && line.Has("--km")))
        return command.Usage("give either --key FILE or --folder DIR [--km]");
    if (key) {
        path = line.values.at("--key");
        return cms::kContinue;
    }
    const std::string dir = line.values.at("--folder");
    const char* name = line.Has("--km") ? "kmPri.key" : "signPri.key";
    if (cms::FindInFolder(dir, name, path)) return cms::kContinue;
    return command.InputProblem(dir + " holds no " + name + "; give a certificate folder or --key FILE");
}

int ReadNewPassword(cms::CmsCommand& command, Secret& password) {
    std::string error;
    if (ReadNewSecret(command.Line(), "new-password", "New password: ", "New password again: ", password, error))
        return cms::kContinue;
    return command.InputProblem("the new password cannot be read: " + error + "; nothing changed");
}

int ReadPasswords(cms::CmsCommand& command, const std::string& path, Secret& oldPassword, Secret& newPassword) {
    std::string error;
    const std::string prompt = "Old password of " + path + ": ";
    if (!ReadSecret(command.Line(), "old-password", prompt.c_str(), oldPassword, error))
        return command.InputProblem("the old password cannot be read: " + error);
    return ReadNewPassword(command, newPassword);
}

// The key file under the new password, checked to open with it before anything is written.
int ChangePassword(cms::CmsCommand& command, const std::string& path, ByteString& keyFile, ByteString& changed) {
    Secret oldPassword, newPassword;
    if (const int failed = ReadPasswords(command, path, oldPassword, newPassword); failed != cms::kContinue)
        return failed;
    ByteString oldBytes = Bytes(oldPassword), newBytes = Bytes(newPassword), key;
    int code = command.Crypto().PriKeyChangePass(oldBytes, newBytes, keyFile, changed);
    if (code != 0) return command.ToolkitFailure("the password of " + path + " was not changed", code);
    code = command.Crypto().PriKeyDecrypt(newBytes, changed, key);
    if (code != 0)
        return command.ToolkitFailure("the changed key does not open with the new password; " + path + " is kept",
                                      code, "report this; the old file is unchanged", cms::kOperationFailed);
    return cms::kContinue;
}

int RunPasswd(int argc, char** argv) {
    cms::CmsCommand command("passwd", kUsage);
    int step = command.Start(argc, argv,
                             {"--key", "--folder", SecretFileOption("old-password"), SecretFdOption("old-password"),
                              SecretFileOption("new-password"), SecretFdOption("new-password")},
                             {"--km"});
    std::string path, error;
    ByteString keyFile, changed;
    if (step == cms::kContinue) step = KeyFilePath(command, path);
    if (step == cms::kContinue) step = command.ReadSmallFile(path, keyFile);
    if (step == cms::kContinue) step = ChangePassword(command, path, keyFile, changed);
    if (step == cms::kContinue && !cms::WriteWhole(path, changed, error))
        step = command.InputProblem(path + " cannot be replaced (" + error + "); it is unchanged");
    if (step != cms::kContinue) return step;
    cms::JsonObject json;
    json.Text("keyFile", path);
    return command.Finish(json, "the password of " + path + " is changed");
}

}  // namespace

ZORVANE_COMMAND("passwd", "passwd (--key FILE | --folder DIR [--km])   change a key file's password", RunPasswd);
