// zorvane export-pfx and import-pfx: a certificate folder to and from one PKCS#12 file,
// through the toolkit's QLK_PFX_ functions (the facade does not offer them).

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/SafeFiles.h"
#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/SecretInput.h"

namespace {

namespace fs = std::filesystem;
using zorvane::paths::FileResult;

#define PFX_EXIT_CODES                                                                                   \
    "      Exit codes: 0 done, 1 the toolkit refused (damaged PFX, key without its certificate or not\n" \
    "      belonging to it), 2 usage, 3 a file or password cannot be read, an output cannot be written\n" \
    "      or exists, 4 the toolkit is missing, 5 wrong password"

const char kExportUsage[] =
    "export-pfx --folder DIR [--out FILE.p12] [--force] [--json] [--work DIR]\n"
    "                  [--password-file F | --password-fd N] [--pfx-password-file F | --pfx-password-fd N]\n"
    "      writes the certificate folder's pairs (signCert.der, signPri.key; kmCert.der, kmPri.key\n"
    "      when present) with the keys' attributes (VID random) as one PKCS#12 file, mode 0600,\n"
    "      default <folder name>.p12 here; --force replaces an existing file. Key files' password\n"
    "      from --password-file/-fd or a prompt; without --pfx-password-file/-fd it protects the\n"
    "      PFX too (one descriptor may carry both, a line each, key password first).\n" PFX_EXIT_CODES;

const char kImportUsage[] =
    "import-pfx FILE.p12 --folder DIR [--force] [--json] [--work DIR]\n"
    "                  [--pfx-password-file F | --pfx-password-fd N] [--password-file F | --password-fd N]\n"
    "      writes the PFX's pairs into DIR (made 0700, with its parents, when missing) as signCert.der and signPri.key,\n"
    "      and kmCert.der and kmPri.key for a key-management pair (told by key usage); key files\n"
    "      0600 under the key password, VID random kept. --force replaces existing files and drops a\n"
    "      key-management pair the PFX lacks. Key password from --password-file/-fd or a prompt\n"
    "      (twice when --pfx-password-file/-fd is given); without those it opens the PFX too (one\n"
    "      descriptor may carry both, a line each, PFX password first).\n" PFX_EXIT_CODES;

const std::string kExportHelp = std::string("usage: zorvane ") + kExportUsage + "\n";
const std::string kImportHelp = std::string("usage: zorvane ") + kImportUsage + "\n";

const std::set<std::string> kPfxOptions = {"--folder",
                                           SecretFileOption("password"),
                                           SecretFdOption("password"),
                                           SecretFileOption("pfx-password"),
                                           SecretFdOption("pfx-password")};

constexpr mode_t kSecretMode = 0600;
constexpr mode_t kCertificateMode = 0644;

// One file of a certificate folder: its name and where FolderFiles keeps it.
struct FolderFile {
    const char* name;
    ByteString FolderFiles::*bytes;
    mode_t mode;
};

const FolderFile kFolderFiles[] = {
    {"signCert.der", &FolderFiles::signCert, kCertificateMode},
    {"signPri.key", &FolderFiles::signKey, kSecretMode},
    {"kmCert.der", &FolderFiles::kmCert, kCertificateMode},
    {"kmPri.key", &FolderFiles::kmKey, kSecretMode},
};

int ReadPassword(cms::CmsCommand& command, const std::string& name, const std::string& prompt, Secret& secret) {
    std::string error;
    if (ReadSecret(command.Line(), name, prompt.c_str(), secret, error)) return cms::kContinue;
    return command.InputProblem("the " + name + " cannot be read: " + error);
}

const char* WriteProblem(FileResult result) {
    switch (result) {
        case FileResult::Exists: return "already exists; give --force to replace it";
        case FileResult::Missing: return "cannot be written: its folder does not exist";
        default: return "cannot be written";
    }
}

// The folder without a trailing separator, so that its name and its parent are what they seem.
fs::path FolderPath(const std::string& folder) {
    const fs::path path = fs::path(folder).lexically_normal();
    return path.filename().empty() ? path.parent_path() : path;
}

// ---- export-pfx

int ReadFolder(cms::CmsCommand& command, FolderFiles& files, std::string& keyPath) {
    const CommandLine& line = command.Line();
    if (!line.values.count("--folder") || !line.positional.empty()) return command.Usage("give --folder DIR only");
    const std::string dir = line.values.at("--folder");
    std::string paths[4];
    bool found[4];
    for (int i = 0; i < 4; ++i) found[i] = cms::FindInFolder(dir, kFolderFiles[i].name, paths[i]);
    if (!found[0] || !found[1])
        return command.InputProblem(dir + " holds no signCert.der and signPri.key; give a certificate folder");
    if (found[2] != found[3]) return command.InputProblem(dir + " holds only half of the key-management pair");
    for (int i = 0; i < 4 && found[i]; ++i)
        if (const int failed = command.ReadSmallFile(paths[i], files.*kFolderFiles[i].bytes); failed != cms::kContinue)
            return failed;
    keyPath = paths[1];
    return cms::kContinue;
}

std::string DefaultOut(const std::string& folder) {
    const std::string name = FolderPath(folder).filename().string();
    return (name.empty() || name == "." || name == ".." ? "certificate" : name) + ".p12";
}

int Export(cms::CmsCommand& command, const FolderFiles& files, const std::string& keyPath, ByteString& pfx) {
    Secret keyPassword, pfxPassword;
    int step = ReadPassword(command, "password", "Password of " + keyPath + ": ", keyPassword);
    const bool ownPfxPassword = !SecretPrompts(command.Line(), "pfx-password");
    if (step == cms::kContinue && ownPfxPassword) step = ReadPassword(command, "pfx-password", "", pfxPassword);
    if (step != cms::kContinue) return step;
    const std::string& protecting = ownPfxPassword ? pfxPassword.text() : keyPassword.text();
    const int code = command.Direct().ExportPfx(files, keyPassword.text(), protecting, pfx);
    return code == 0 ? cms::kContinue : command.ToolkitFailure("the folder cannot be exported", code);
}

int RunExportPfx(int argc, char** argv) {
    cms::CmsCommand command("export-pfx", kExportHelp.c_str());
    std::set<std::string> values = kPfxOptions;
    values.insert("--out");
    int step = command.Start(argc, argv, values, {"--force"});
    FolderFiles files;
    std::string keyPath;
    ByteString pfx;
    if (step == cms::kContinue) step = ReadFolder(command, files, keyPath);
    if (step == cms::kContinue) step = Export(command, files, keyPath, pfx);
    if (step != cms::kContinue) return step;
    const std::string out = command.Line().Value("--out", DefaultOut(command.Line().values.at("--folder")));
    const FileResult written =
        zorvane::paths::WriteFileAtomically(out, reinterpret_cast<const unsigned char*>(pfx.GetData()),
                                            static_cast<std::size_t>(pfx.GetLength()), kSecretMode,
                                            command.Line().Has("--force"));
    if (written != FileResult::Ok) return command.InputProblem(out + " " + WriteProblem(written));
    const int pairs = files.kmCert.IsEmpty() ? 1 : 2;
    cms::JsonObject json;
    json.Text("out", out).Number("pairs", pairs).Number("bytes", pfx.GetLength());
    return command.Finish(json, std::to_string(pairs) + (pairs == 1 ? " pair" : " pairs") + " written to " + out);
}

// ---- import-pfx

int ReadPasswords(cms::CmsCommand& command, const std::string& pfxPath, Secret& pfxPassword, Secret& keyPassword) {
    if (SecretPrompts(command.Line(), "pfx-password"))
        return ReadPassword(command, "password", "Password of " + pfxPath + " (also for the key files): ", keyPassword);
    int step = ReadPassword(command, "pfx-password", "Password of " + pfxPath + ": ", pfxPassword);
    std::string error;
    if (step == cms::kContinue && !ReadNewSecret(command.Line(), "password", "Password for the key files: ",
                                                 "Password for the key files again: ", keyPassword, error))
        step = command.InputProblem("the password cannot be read: " + error);
    return step;
}

int Import(cms::CmsCommand& command, const std::string& pfxPath, FolderFiles& files) {
    ByteString pfx;
    Secret pfxPassword, keyPassword;
    int step = command.ReadSmallFile(pfxPath, pfx);
    if (step == cms::kContinue) step = ReadPasswords(command, pfxPath, pfxPassword, keyPassword);
    if (step != cms::kContinue) return step;
    const Secret& opening = SecretPrompts(command.Line(), "pfx-password") ? keyPassword : pfxPassword;
    const int code = command.Direct().ImportPfx(pfx, opening.text(), keyPassword.text(), files);
    return code == 0 ? cms::kContinue : command.ToolkitFailure(pfxPath + " cannot be imported", code);
}

// The folders above it (~/NPKI/<CA>/USER on a fresh machine) as the user's umask makes them.
int MakeFolder(const cms::CmsCommand& command, const std::string& dir) {
    std::error_code ignored;
    const fs::path parent = FolderPath(dir).parent_path();
    if (!parent.empty()) fs::create_directories(parent, ignored);
    if (mkdir(dir.c_str(), 0700) == 0 || (errno == EEXIST && fs::is_directory(dir))) return cms::kContinue;
    return command.InputProblem(dir + " cannot be made (" + std::strerror(errno) + ")");
}

// Where each file goes: an existing one of any letter case (SignCert.der) is the one replaced.
std::string TargetPath(const std::string& dir, const char* name) {
    std::string path;
    return cms::FindInFolder(dir, name, path) ? path : (fs::path(dir) / name).string();
}

// Every file is checked before the first is written, so a refused import writes nothing.
int CheckTargets(const cms::CmsCommand& command, const std::string& dir, const FolderFiles& files) {
    if (command.Line().Has("--force")) return cms::kContinue;
    for (const FolderFile& file : kFolderFiles) {
        std::string existing;
        if (!(files.*file.bytes).IsEmpty() && cms::FindInFolder(dir, file.name, existing))
            return command.InputProblem(existing + " already exists; give --force to replace it, or another --folder");
    }
    return cms::kContinue;
}

// A failed write takes back the files this import made; replaced ones cannot be restored.
int WriteFolder(const cms::CmsCommand& command, const std::string& dir, const FolderFiles& files) {
    const bool force = command.Line().Has("--force");
    std::vector<std::string> made;
    for (const FolderFile& file : kFolderFiles) {
        const ByteString& bytes = files.*file.bytes;
        const std::string path = TargetPath(dir, file.name);
        if (bytes.IsEmpty()) {
            if (force) zorvane::paths::RemoveFile(path);  // a key-management pair of another identity
            continue;
        }
        const bool existed = fs::exists(path);
        const FileResult written = zorvane::paths::WriteFileAtomically(
            path, reinterpret_cast<const unsigned char*>(bytes.GetData()), static_cast<std::size_t>(bytes.GetLength()),
            file.mode, force);
        if (written == FileResult::Ok) {
            if (!existed) made.push_back(path);
            continue;
        }
        for (const std::string& undone : made) zorvane::paths::RemoveFile(undone);
        return command.InputProblem(path + " " + WriteProblem(written));
    }
    return cms::kContinue;
}

int RunImportPfx(int argc, char** argv) {
    cms::CmsCommand command("import-pfx", kImportHelp.c_str());
    int step = command.Start(argc, argv, kPfxOptions, {"--force"});
    const CommandLine& line = command.Line();
    if (step == cms::kContinue && (line.positional.size() != 1 || !line.values.count("--folder") ||
                                   line.values.count("--out")))
        step = command.Usage("give one FILE.p12 and --folder DIR");
    FolderFiles files;
    if (step == cms::kContinue) step = Import(command, line.positional.front(), files);
    const std::string dir = line.Value("--folder", "");
    if (step == cms::kContinue) step = MakeFolder(command, dir);
    if (step == cms::kContinue) step = CheckTargets(command, dir, files);
    if (step == cms::kContinue) step = WriteFolder(command, dir, files);
    if (step != cms::kContinue) return step;
    const int pairs = files.kmCert.IsEmpty() ? 1 : 2;
    cms::JsonObject json;
    json.Text("folder", dir).Number("pairs", pairs);
    return command.Finish(json, std::to_string(pairs) + (pairs == 1 ? " pair" : " pairs") + " written to " + dir);
}

}  // namespace

ZORVANE_COMMAND("export-pfx", kExportUsage, RunExportPfx);
ZORVANE_COMMAND("import-pfx", kImportUsage, RunImportPfx);
