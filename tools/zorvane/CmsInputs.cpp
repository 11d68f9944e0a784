#include "tools/zorvane/CmsInputs.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tools/zorvane/SecretInput.h"

namespace cms {

const std::set<std::string> kKeyPairOptions = {"--folder", "--cert", "--key", SecretFileOption("password"),
                                               SecretFdOption("password")};

namespace {

constexpr std::size_t kSmallFileLimit = std::size_t{1} << 20;    // certificates, key files, lists
constexpr std::size_t kMessageLimit = std::size_t{256} << 20;    // contents and messages
constexpr int kCmsPemLabel = 5;

std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && c != '"' && c != '\\') {
            quoted += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
        quoted += escaped;
    }
    return quoted + "\"";
}

// What a toolkit result means for the user: what to do next, and the exit code.
struct Advice {
    int code;
    Exit exit;
    const char* hint;
};

const char kNoToolkit[] = "the toolkit is not loaded; the work folder (--work DIR) must hold Quellark.dll";
const char kNotCertificate[] = "give a DER or PEM X.509 certificate (signCert.der or kmCert.der)";

const Advice kAdvice[] = {
    {100, kToolkitMissing, kNoToolkit},
    {101, kToolkitMissing, kNoToolkit},
    {102, kNotOffered, "the toolkit in the work folder does not offer this operation; use a newer build"},
    {1503, kOperationFailed, kNotCertificate},
    {2001, kOperationFailed, "the cipher is unknown; --cipher takes seed, aria128, aria256, aes128 or 3des"},
    {2008, kOperationFailed, kNotCertificate},
    {3001, kOperationFailed, "give the encrypted key file beside the certificate (signPri.key or kmPri.key)"},
    {3002, kOperationFailed, "the key file is encrypted with an algorithm this toolkit does not read"},
    {3003, kWrongPassword, "the password is wrong; try again with the password of this key file"},
    {4001, kOperationFailed,
     "the input is not a CMS message of this kind; verify reads signed messages, open reads enveloped ones"},
    {4002, kOperationFailed,
     "the message or its content was changed after signing, or --content is not the content that was signed"},
    {4003, kOperationFailed,
     "the message is not addressed to this certificate; open it with the pair it was made for (often --km)"},
    {4004, kOperationFailed, "the message's content cipher is not one this toolkit supports"},
    {4005, kOperationFailed, "the key does not belong to the certificate; give both from the same folder"},
    {4010, kOperationFailed, "the message is detached; give the signed content with --content FILE"},
    {4011, kOperationFailed, "the message does not carry its signer's certificate"},
    {4012, kOperationFailed, "the signing time is not a valid local time"},
    {4014, kOperationFailed, "the recipient certificate or list cannot be read; give DER or PEM"},
    {4501, kOperationFailed, "the file is not a PKCS#12 (PFX) file, or it is damaged"},
    {4502, kWrongPassword, "the PFX password is wrong, or the file was changed; try again with its password"},
    {4503, kOperationFailed, "the PFX holds a private key without its certificate; export it again with the certificate"},
    {4504, kOperationFailed, "a private key does not belong to its certificate; the folder or the PFX mixes two identities"},
    {4505, kInputProblem, "the PFX is larger than 1 MiB; a certificate folder's PFX is a few KiB"},
    {4506, kOperationFailed, "the PFX must hold one signing pair and at most one key-management pair"},
    {4507, kOperationFailed, "a part of the PFX cannot be decrypted or read; it is damaged"},
    {2503, kInputProblem, "the PKCS#11 module cannot be loaded; give the module's file with --module"},
    {2602, kOperationFailed, "no token is present; insert it, or name another with --token"},
    {2605, kWrongPassword, "the PIN is wrong; try again with the token's PIN"},
    {2606, kOperationFailed, "the token's PIN is locked; unlock it with the token's own tools"},
};
const Advice kUnknownAdvice = {0, kOperationFailed, "see the toolkit's text below"};

const Advice& AdviceFor(int code) {
    for (const Advice& advice : kAdvice)
        if (advice.code == code) return advice;
    return kUnknownAdvice;
}

bool WriteAll(int fd, const ByteString& bytes) {
    std::size_t done = 0;
    const auto size = static_cast<std::size_t>(bytes.GetLength());
    while (done < size) {
        const ssize_t now = write(fd, bytes.GetData() + done, size - done);
        if (now < 0 && errno == EINTR) continue;
        if (now <= 0) return false;
        done += static_cast<std::size_t>(now);
    }
    return true;
}

// The rename lasts through a power loss only once the folder's entry is on disk too; the
// file is already replaced, so a folder that cannot be synced is no failure.
void SyncFolderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

bool FindInFolder(const std::string& folder, const char* name, std::string& path) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (strcasecmp(entry.path().filename().c_str(), name) != 0) continue;
        path = entry.path().string();
        return true;
    }
    return false;
}

// Written beside the target with mode 0600 and renamed over it, so that a reader never
// sees half a file and an opened content is never readable by others.
bool WriteWhole(const std::string& path, const ByteString& bytes, std::string& error) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool written = WriteAll(fd, bytes) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    written = written && rename(temporary.c_str(), path.c_str()) == 0;
    if (!written) {
        error = std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

namespace {

// Every byte of fd up to limit; the buffer is wiped, since a content may be confidential.
bool ReadBounded(int fd, std::size_t limit, std::size_t expected, ByteString& bytes, std::string& error) {
    std::vector<char> buffer;
    buffer.reserve(expected + 1);
    char chunk[65536];
    ssize_t got = 0;
    while (error.empty() && (got = read(fd, chunk, sizeof chunk)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) error = std::strerror(errno);
        else if (buffer.size() + static_cast<std::size_t>(got) > limit) error = "is larger than the limit";
        else buffer.insert(buffer.end(), chunk, chunk + got);
    }
    if (error.empty() && bytes.SetData(buffer.data(), static_cast<int>(buffer.size())) != 0)
        error = "does not fit in memory";
    explicit_bzero(chunk, sizeof chunk);
    explicit_bzero(buffer.data(), buffer.size());
    return error.empty();
}

std::string LimitText(std::size_t limit) { return std::to_string(limit >> 20) + " MiB"; }

// "YYYYMMDDHHMMSS" as "YYYY-MM-DD HH:MM:SS"; other texts (empty: no signing time) as they are.
std::string SigningTimeText(const std::string& digits) {
    if (digits.size() != 14) return digits;
    return digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2) + " " + digits.substr(8, 2) +
           ":" + digits.substr(10, 2) + ":" + digits.substr(12, 2);
}

}  // namespace

JsonObject& JsonObject::Text(const std::string& name, const std::string& value) { return Raw(name, Quote(value)); }
JsonObject& JsonObject::Number(const std::string& name, long long value) { return Raw(name, std::to_string(value)); }
JsonObject& JsonObject::Flag(const std::string& name, bool value) { return Raw(name, value ? "true" : "false"); }

JsonObject& JsonObject::Raw(const std::string& name, const std::string& json) {
    fields_.push_back(Quote(name) + ": " + json);
    return *this;
}

std::string JsonObject::Done(const std::string& indent) const {
    std::string body;
    for (const std::string& field : fields_) body += (body.empty() ? "\n" : ",\n") + indent + "  " + field;
    return "{" + body + "\n" + indent + "}";
}

int CmsCommand::Start(int argc, char** argv, std::set<std::string> values, std::set<std::string> flags,
                      const std::set<std::string>& repeated) {
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(usage_, stdout);
            return kSuccess;
        }
        if (!repeated.count(argv[i]) || i + 1 >= argc) {
            rest.push_back(argv[i]);
            continue;
        }
        lists_[argv[i]].push_back(argv[i + 1]);
        ++i;
    }
    values.insert("--work");
    values.insert(repeated.begin(), repeated.end());
    flags.insert("--json");
    line_ = ParseCommandLine(static_cast<int>(rest.size()), rest.data(), values, flags);
    return line_.error.empty() ? OpenToolkit() : Usage(line_.error);
}

int CmsCommand::Usage(const std::string& error) const { return UsageError(name_, usage_, error); }

int CmsCommand::InputProblem(const std::string& what) const {
    std::fprintf(stderr, "zorvane %s: %s.\n", name_, what.c_str());
    if (Json()) std::printf("%s\n", JsonObject().Flag("ok", false).Text("error", what).Done().c_str());
    return kInputProblem;
}

int CmsCommand::ToolkitFailure(const std::string& what, int code) {
    const Advice& advice = AdviceFor(code);
    return ToolkitFailure(what, code, advice.hint, advice.exit);
}

int CmsCommand::ToolkitFailure(const std::string& what, int code, const std::string& hint, Exit exit) {
    ByteString text(direct_ ? direct_->ErrorText().c_str() : "");
    if (text.IsEmpty()) crypto_.GetErrInfo(text);
    std::fprintf(stderr, "zorvane %s: %s: %s.\n  toolkit code %d%s%s\n", name_, what.c_str(), hint.c_str(), code,
                 text.IsEmpty() ? "" : ": ", text.GetData());
    if (Json()) {
        JsonObject failure;
        failure.Flag("ok", false).Text("error", what + ": " + hint).Number("code", code);
        std::printf("%s\n", failure.Text("toolkitText", Text(text)).Done().c_str());
    }
    return exit;
}

DirectToolkit& CmsCommand::Direct() {
    if (!direct_) direct_ = std::make_unique<DirectToolkit>(line_.Value("--work", ProgramFolder()));
    return *direct_;
}

int CmsCommand::OpenToolkit() {
    const std::string work = line_.Value("--work", ProgramFolder());
    const int code = crypto_.Init(kNpkiToolkit, kDefaultCipher, kDefaultHash, ByteString(work.c_str()));
    return code == 0 ? kContinue : ToolkitFailure("the toolkit in " + work + " does not open", code);
}

int CmsCommand::ReadFile(const std::string& path, std::size_t limit, ByteString& bytes) const {
    if (path == "-") {
        std::string error;
        ReadBounded(STDIN_FILENO, limit, 0, bytes, error);
        return error.empty() ? kContinue : InputProblem("standard input " + error + " of " + LimitText(limit));
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return InputProblem(path + " cannot be opened (" + std::strerror(errno) + ")");
    struct stat info {};
    std::string error;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) error = "is not a regular file";
    else if (static_cast<std::size_t>(info.st_size) > limit) error = "is larger than the limit";
    else ReadBounded(fd, limit, static_cast<std::size_t>(info.st_size), bytes, error);
    close(fd);
    return error.empty() ? kContinue : InputProblem(path + " " + error + " of " + LimitText(limit) + " for it");
}

int CmsCommand::ReadSmallFile(const std::string& path, ByteString& bytes) const {
    return ReadFile(path, kSmallFileLimit, bytes);
}

int CmsCommand::ReadContent(const std::string& argument, ByteString& bytes) const {
    return ReadFile(argument, kMessageLimit, bytes);
}

int CmsCommand::CheckPositionalContent() const {
    const std::vector<std::string>& args = line_.positional;
    if (args.size() > 1) return Usage("takes at most one CONTENT");
    if (args.empty() && isatty(STDIN_FILENO)) return Usage("give CONTENT, pipe it in, or give - to type it");
    return kContinue;
}

int CmsCommand::ReadPositionalContent(ByteString& bytes) const {
    const int checked = CheckPositionalContent();
    if (checked != kContinue) return checked;
    return ReadContent(line_.positional.empty() ? "-" : line_.positional.front(), bytes);
}

int CmsCommand::ReadMessage(const std::string& path, ByteString& der) {
    ByteString raw;
    if (const int failed = ReadContent(path, raw); failed != kContinue) return failed;
    if (raw.Find("-----BEGIN") != 0) {
        der = raw;
        return kContinue;
    }
    const int code = crypto_.DecodePEM(raw, der);
    return code == 0 ? kContinue : ToolkitFailure(path + " is not a readable PEM message", code);
}

int CmsCommand::FindKeyFiles(KeyPair pair, std::string& certPath, std::string& keyPath) const {
    const bool folder = line_.values.count("--folder") != 0;
    const bool cert = line_.values.count("--cert") != 0, key = line_.values.count("--key") != 0;
    if (folder == (cert || key) || (!folder && cert != key))
        return Usage("give either --folder DIR or both --cert FILE and --key FILE");
    if (!folder) {
        certPath = line_.values.at("--cert");
        keyPath = line_.values.at("--key");
        return kContinue;
    }
    const std::string dir = line_.values.at("--folder");
    const bool km = pair == KeyPair::KeyManagement;
    const char* certName = km ? "kmCert.der" : "signCert.der";
    const char* keyName = km ? "kmPri.key" : "signPri.key";
    if (FindInFolder(dir, certName, certPath) && FindInFolder(dir, keyName, keyPath)) return kContinue;
    return InputProblem(dir + " holds no " + certName + " and " + keyName +
                        "; give a certificate folder (.../NPKI/<CA>/USER/<name>) or --cert and --key");
}

int CmsCommand::DecryptKey(const std::string& keyPath, ByteString& encrypted, ByteString& key) {
    Secret password;
    std::string error;
    const std::string prompt = "Password of " + keyPath + ": ";
    if (!ReadSecret(line_, "password", prompt.c_str(), password, error))
        return InputProblem("the password cannot be read: " + error);
    ByteString secret(password.text().data(), static_cast<int>(password.text().size()));
    const int code = crypto_.PriKeyDecrypt(secret, encrypted, key);
    return code == 0 ? kContinue : ToolkitFailure("the private key " + keyPath + " cannot be decrypted", code);
}

int CmsCommand::LoadKeyPair(KeyPair pair, ByteString& cert, ByteString& key) {
    std::string certPath, keyPath;
    ByteString encrypted;
    int step = FindKeyFiles(pair, certPath, keyPath);
    if (step == kContinue) step = ReadSmallFile(certPath, cert);
    if (step == kContinue) step = ReadSmallFile(keyPath, encrypted);
    if (step == kContinue) step = DecryptKey(keyPath, encrypted, key);
    return step;
}

int CmsCommand::DescribeCertificate(ByteString& cert, const std::string& time, JsonObject& json, std::string& text) {
    ByteString subject, serial;
    int code = crypto_.LoadCert(cert);
    if (code == 0) code = crypto_.GetSubjectName(subject);
    if (code == 0) code = crypto_.GetSerialNo(serial);
    crypto_.UnloadCert();
    if (code != 0) return ToolkitFailure("a signer's certificate cannot be read", code);
    const std::string when = SigningTimeText(time);
    json.Text("subject", Text(subject)).Text("serial", Text(serial)).Text("signingTime", when);
    text = Text(subject) + "\n  serial  " + Text(serial) + "\n  signed  " + (when.empty() ? "(no signing time)" : when);
    return kContinue;
}

int CmsCommand::DescribeSigners(int count, std::string& json, std::string& text, const SignerSource& source) {
    const SignerSource fromFacade = [this](int index, ByteString& cert, ByteString& time) {
        return crypto_.GetSignerCert(index, cert, time);
    };
    std::string objects;
    for (int index = 0; index < count; ++index) {
        ByteString cert, time;
        if (const int code = (source ? source : fromFacade)(index, cert, time))
            return ToolkitFailure("the certificate of signer " + std::to_string(index + 1) + " cannot be read", code);
        JsonObject signer;
        std::string lines;
        if (const int failed = DescribeCertificate(cert, Text(time), signer, lines); failed != kContinue)
            return failed;
        objects += (objects.empty() ? "\n    " : ",\n    ") + signer.Done("    ");
        text += (text.empty() ? "" : "\n") + ("signer " + std::to_string(index + 1) + ": ") + lines;
    }
    json = "[" + objects + (objects.empty() ? "]" : "\n  ]");
    return kContinue;
}

int CmsCommand::WriteResult(ByteString& bytes, const char* field, JsonObject& json) {
    const auto out = line_.values.find("--out");
    std::string error;
    if (out != line_.values.end() && out->second != "-") {
        if (!WriteWhole(out->second, bytes, error)) return InputProblem(out->second + " cannot be written: " + error);
        json.Text("out", out->second);
        return kContinue;
    }
    if (!Json()) {
        wroteToStandardOutput_ = true;
        return WriteAll(STDOUT_FILENO, bytes) ? kContinue : InputProblem("standard output cannot be written");
    }
    ByteString base64;
    const int code = bytes.IsEmpty() ? 0 : crypto_.Base64Enc(bytes, base64);
    if (code != 0) return ToolkitFailure("the result cannot be Base64 encoded", code);
    json.Text(field, Text(base64));
    return kContinue;
}

int CmsCommand::WriteMessage(ByteString& der, JsonObject& json) {
    const bool pem = line_.Has("--pem") && !(Json() && line_.Value("--out", "-") == "-");
    if (!pem) return WriteResult(der, "messageBase64", json);
    ByteString text;
    const int code = crypto_.EncodePEM(kCmsPemLabel, der, text);
    return code == 0 ? WriteResult(text, "", json) : ToolkitFailure("the message cannot be PEM encoded", code);
}

int CmsCommand::WriteContent(ByteString& content, JsonObject& json) {
    return WriteResult(content, "contentBase64", json);
}

int CmsCommand::Finish(JsonObject& json, const std::string& summary) const {
    if (Json()) std::printf("%s\n", json.Flag("ok", true).Done().c_str());
    else if (!wroteToStandardOutput_) std::printf("%s\n", summary.c_str());
    return kSuccess;
}

}  // namespace cms
