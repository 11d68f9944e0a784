// zorvane verify-cert: path validation of one certificate against a trust folder, through
// the facade: its verdict in words and as an exit code, the certificate's fields and its path.

#include <zorvane/CryptoEx.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/zorvane/CertificateTimes.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/OutputText.h"
#include "tools/zorvane/StoreSearch.h"

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "verify-cert (FILE | --serial HEX) --trust DIR [--intermediates FILE]... [--crl FILE]...\n"
    "                   [--at YYYYMMDDHHMMSS] [--revocation none|leaf|chain] [--fetch-crls]\n"
    "                   [--crl-cache DIR] [--policy OID]... [--key-usage any|sign|km] [--json] [--work DIR]\n"
    "      checks a certificate (DER or PEM file, or the listed certificate with that serial) against\n"
    "      the .der/.pem/.cer/.crt certificates of DIR, at a local time (default now); intermediates\n"
    "      and CRLs are DER or PEM objects or object lists; a CRL given checks the certificate itself;\n"
    "      --fetch-crls reads missing CRLs from the distribution points (revocation then leaf unless\n"
    "      set), keeping them in --crl-cache. Exit codes: 0 good, 1 operation failed (bad input),\n"
    "      2 usage, 3 not trusted or path error, 4 expired or not yet valid, 5 revoked,\n"
    "      6 revocation unknown (no CRL, CRL expired), 7 policy or key usage not acceptable";

enum Exit { kGood = 0, kFailed = 1, kBadUsage = 2, kUntrusted = 3, kTime = 4, kRevoked = 5, kUnknown = 6, kPolicy = 7 };

struct Verdict {
    int code;
    int exit;
    const char* words;
};

// The toolkit's verification codes (toolkit/README.md) and what they mean here.
constexpr Verdict kVerdicts[] = {
    {0, kGood, "good"},
    {1601, kUntrusted, "not trusted: no path to a trusted certificate"},
    {1602, kTime, "expired"},
    {1603, kTime, "not yet valid"},
    {1604, kRevoked, "revoked"},
    {1605, kUnknown, "revocation unknown: no CRL"},
    {1606, kUnknown, "revocation unknown: the CRL has expired"},
    {1607, kPolicy, "no acceptable policy"},
    {1608, kUntrusted, "not trusted: a signature in the path does not verify"},
    {1609, kPolicy, "the key usage does not allow this use"},
    {1610, kUntrusted, "not trusted: no trusted certificates"},
    {1611, kUntrusted, "not trusted: the path is invalid"},
    {1612, kBadUsage, "bad time"},
};

Verdict VerdictOf(int code) {
    for (const Verdict& verdict : kVerdicts)
        if (verdict.code == code) return verdict;
    return {code, kFailed, "the verification could not be done"};
}

struct Request {
    std::string certificateFile, serial, trustFolder, work, time, cacheFolder, policies;
    std::vector<std::string> intermediates, crls;
    int revocation = 0;
    int keyUsage = 0;
    bool fetch = false;
    bool json = false;
};

int Usage(const std::string& error) {
    return UsageError("verify-cert", (std::string("usage: zorvane ") + kUsage + "\n").c_str(), error);
}

int Failed(const std::string& problem) {
    std::fprintf(stderr, "zorvane verify-cert: %s\n", problem.c_str());
    return kFailed;
}

bool IsTime(const std::string& text) {
    return text.size() == 14 && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool Choice(const std::string& value, const std::vector<std::string>& names, int& index) {
    const auto found = std::find(names.begin(), names.end(), value);
    index = static_cast<int>(found - names.begin());
    return found != names.end();
}

// Returns an empty text, or what does not fit.
std::string ReadRequest(const CommandLine& line, Request& request) {
    if (line.positional.size() > 1) return "one certificate FILE at most";
    request.certificateFile = line.positional.empty() ? "" : line.positional[0];
    request.serial = line.Value("--serial", "");
    if (request.certificateFile.empty() == request.serial.empty()) return "give either FILE or --serial HEX";
    request.trustFolder = line.Value("--trust", "");
    if (request.trustFolder.empty()) return "--trust DIR is required";
    request.work = line.Value("--work", ProgramFolder());
    request.time = line.Value("--at", "");
    if (!request.time.empty() && !IsTime(request.time)) return "--at needs 14 digits YYYYMMDDHHMMSS";
    request.fetch = line.Has("--fetch-crls");
    const std::string revocation = line.Value("--revocation", request.fetch ? "leaf" : "none");
    if (!Choice(revocation, {"none", "leaf", "chain"}, request.revocation))
        return "--revocation is none, leaf or chain";
    if (!Choice(line.Value("--key-usage", "any"), {"any", "sign", "km"}, request.keyUsage))
        return "--key-usage is any, sign or km";
    request.cacheFolder = line.Value("--crl-cache", "");
    for (const std::string& oid : line.Values("--policy"))
        request.policies += (request.policies.empty() ? "" : ",") + oid;
    request.intermediates = line.Values("--intermediates");
    request.crls = line.Values("--crl");
    request.json = line.Has("--json");
    return "";
}

std::string Text(const ByteString& bytes) {
    return std::string(bytes.GetData(), static_cast<std::size_t>(bytes.GetLength()));
}

std::string ErrorText(CCryptoEx& facade) {
    ByteString text;
    facade.GetErrInfo(text);
    return Text(text);
}

// Certificates and CRLs are small: a larger file, or one without a size, is not read.
int ReadObjectFile(const std::string& path, ByteString& bytes) {
    constexpr std::uintmax_t kMaxObjectFile = 16u << 20;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kMaxObjectFile) return Failed(path + " is larger than 16 MiB");
    if (error || bytes.LoadFile(path.c_str()) != 0 || bytes.GetLength() == 0) return Failed("cannot read " + path);
    return kGood;
}

bool IsCertificateFileName(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".der" || extension == ".pem" || extension == ".cer" || extension == ".crt";
}

int LoadTrustFolder(CCryptoEx& facade, const std::string& folder) {
    std::error_code error;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (std::error_code ignored; entry.is_regular_file(ignored) && IsCertificateFileName(entry.path()))
            files.push_back(entry.path());
    if (error) return Failed("cannot read the trust folder " + folder + ": " + error.message());
    if (files.empty()) return Failed("the trust folder " + folder + " holds no .der, .pem, .cer or .crt file");
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        ByteString certificate;
        if (const int bad = ReadObjectFile(file.string(), certificate)) return bad;
        if (const int code = facade.AddTrustedCert(certificate))
            return Failed(file.string() + " is not a certificate to trust (" + std::to_string(code) + ": " +
                          ErrorText(facade) + ")");
    }
    return kGood;
}

int ReadListedCertificate(const Request& request, ByteString& certificate) {
    std::string error;
    return FindListedCertificate(request.work, request.serial, certificate, error) ? kGood : Failed(error);
}

int ReadCertificate(const Request& request, ByteString& certificate) {
    if (!request.serial.empty()) return ReadListedCertificate(request, certificate);
    return ReadObjectFile(request.certificateFile, certificate);
}

// Intermediates and CRLs reach the toolkit as file names in a settings file, so that any
// number of them (each an object or an object list) add up.
class SettingsFile {
public:
    ~SettingsFile() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(fs::path(path_).parent_path(), ignored);
    }
    int Write(const Request& request) {
        if (request.intermediates.empty() && request.crls.empty()) return kGood;
        std::string text = "[Verify]\n";
        for (const auto& [key, files] :
             {std::pair{"Intermediates", &request.intermediates}, std::pair{"CRLs", &request.crls}}) {
            std::string joined;
            for (const std::string& file : *files) {
                std::error_code error;
                if (!fs::is_regular_file(file, error) || access(file.c_str(), R_OK) != 0)
                    return Failed("cannot read " + file);
                if (file.find_first_of(";\n") != std::string::npos)
                    return Failed("a file name holds ';' or a line end: " + file);
                joined += (joined.empty() ? "" : ";") + fs::absolute(file, error).string();
            }
            if (!joined.empty()) text += std::string(key) + "=" + joined + "\n";
        }
        return Save(text);
    }
    ByteString Path() const { return ByteString(path_.c_str()); }

private:
    int Save(const std::string& text) {
        std::error_code error;
        const fs::path temporary = fs::temp_directory_path(error);
        std::string folder = ((error ? fs::path("/tmp") : temporary) / "zorvane-verify-XXXXXX").string();
        if (mkdtemp(folder.data()) == nullptr) return Failed("cannot make a temporary folder");
        path_ = folder + "/verify.conf";
        std::ofstream(path_) << text;
        return kGood;
    }
    std::string path_;
};

int Configure(CCryptoEx& facade, const Request& request) {
    ByteString cache(request.cacheFolder.c_str()), time(request.time.c_str()), none;
    std::error_code error;
    if (!request.cacheFolder.empty() && !fs::is_directory(request.cacheFolder, error) &&
        !fs::create_directories(request.cacheFolder, error))
        return Failed("cannot make the CRL cache folder " + request.cacheFolder);
    if (const int code = facade.SetVerifyEnv(request.revocation, request.fetch ? 1 : 0, false, cache))
        return Failed("the verification settings are refused (" + std::to_string(code) + ": " + ErrorText(facade) +
                      ")");
    if (const int code = facade.SetVerifyEnv2(time, none, none))
        return code == 1612 ? Usage("--at " + request.time + " is not a valid local time")
                            : Failed("the verification time is refused (" + std::to_string(code) + ")");
    return kGood;
}

struct Report {
    Verdict verdict{};
    std::string detail, subject, issuer, serial, notBefore, notAfter, notBeforeUtc, notAfterUtc;
    std::vector<std::string> path;
};

void DescribeCertificate(CCryptoEx& facade, ByteString& certificate, Report& report) {
    ByteString subject, issuer, serial, notBefore, notAfter;
    if (facade.LoadCert(certificate) != 0) return;
    facade.GetSubjectName(subject);
    facade.GetIssuerName(issuer);
    facade.GetSerialNo(serial);
    facade.GetValidity(notBefore, notAfter);
    report.subject = Text(subject);
    report.issuer = Text(issuer);
    report.serial = Text(serial);
    report.notBefore = Text(notBefore);
    report.notAfter = Text(notAfter);
    report.notBeforeUtc = KoreaTimeToUtc(report.notBefore);
    report.notAfterUtc = KoreaTimeToUtc(report.notAfter);
}

std::vector<std::string> PathSubjects(CCryptoEx& facade, ByteString& certificate) {
    std::vector<std::string> subjects;
    ByteString path;
    int count = 0;
    if (facade.GetCertPath(certificate, path) != 0 || facade.GetObjectCount(path, count) != 0) return subjects;
    for (int i = 0; i < count; ++i) {
        ByteString object, subject;
        if (facade.GetObjectA(path, i, object) == 0 && facade.LoadCert(object) == 0 &&
            facade.GetSubjectName(subject) == 0)
            subjects.push_back(Text(subject));
    }
    return subjects;
}

void PrintJson(const Report& report) {
    std::printf("{\n  \"verdict\": %s,\n  \"code\": %d,\n  \"exit\": %d,\n  \"detail\": %s,\n",
                JsonString(report.verdict.words).c_str(), report.verdict.code, report.verdict.exit,
                JsonString(report.detail).c_str());
    for (const auto& [name, value] : {std::pair{"subject", &report.subject}, std::pair{"issuer", &report.issuer},
                                      std::pair{"serial", &report.serial}, std::pair{"notBefore", &report.notBefore},
                                      std::pair{"notAfter", &report.notAfter},
                                      std::pair{"notBeforeUtc", &report.notBeforeUtc},
                                      std::pair{"notAfterUtc", &report.notAfterUtc}})
        std::printf("  \"%s\": %s,\n", name, JsonString(*value).c_str());
    std::printf("  \"path\": [");
    for (std::size_t i = 0; i < report.path.size(); ++i)
        std::printf("%s%s", i ? ", " : "", JsonString(report.path[i]).c_str());
    std::printf("]\n}\n");
}

void PrintText(const Report& report) {
    std::printf("verdict    %s (%d)\n", report.verdict.words, report.verdict.code);
    if (!report.detail.empty()) std::printf("detail     %s\n", report.detail.c_str());
    std::printf("subject    %s\nissuer     %s\nserial     %s\nvalidity   %s to %s\n", report.subject.c_str(),
                report.issuer.c_str(), report.serial.c_str(), report.notBefore.c_str(), report.notAfter.c_str());
    if (report.path.empty()) std::printf("path       (none to a trusted certificate)\n");
    for (std::size_t i = 0; i < report.path.size(); ++i)
        std::printf("%s %s\n", i ? "          " : "path      ", report.path[i].c_str());
}

// The toolkit takes whatever objects the CRL files hold; a certificate among them would
// pass for a CRL check that never happens.
int RefuseCertificatesAsCrls(CCryptoEx& facade, const std::vector<std::string>& crlFiles) {
    for (const std::string& file : crlFiles) {
        ByteString bytes;
        if (const int bad = ReadObjectFile(file, bytes)) return bad;
        if (facade.LoadCert(bytes) == 0) return Failed(file + " is a certificate, not a CRL");
    }
    return kGood;
}

int Verify(CCryptoEx& facade, const Request& request, ByteString& certificate) {
    SettingsFile settings;
    if (const int bad = RefuseCertificatesAsCrls(facade, request.crls)) return bad;
    if (const int bad = Configure(facade, request)) return bad;
    if (const int bad = settings.Write(request)) return bad;
    ByteString policies(request.policies.c_str()), settingsPath = settings.Path(), none;
    Report report;
    report.verdict =
        VerdictOf(facade.VerifyCert(certificate, request.keyUsage, policies, settingsPath, request.fetch, none, none));
    if (report.verdict.code != 0) report.detail = ErrorText(facade);
    if (report.verdict.exit == kBadUsage) return Usage("--at " + request.time + " is not a valid local time");
    if (report.verdict.exit == kFailed) return Failed(report.detail);
    report.path = PathSubjects(facade, certificate);
    DescribeCertificate(facade, certificate, report);
    if (request.json)
        PrintJson(report);
    else
        PrintText(report);
    return report.verdict.exit;
}

int RunVerifyCert(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(argc, argv,
                                              {"--serial", "--trust", "--intermediates", "--crl", "--at",
                                               "--revocation", "--crl-cache", "--policy", "--key-usage", "--work"},
                                              {"--fetch-crls", "--json"});
    if (!line.error.empty()) return Usage(line.error);
    Request request;
    if (const std::string problem = ReadRequest(line, request); !problem.empty()) return Usage(problem);
    ByteString certificate;
    if (const int bad = ReadCertificate(request, certificate)) return bad;
    CCryptoEx facade;
    ByteString work(request.work.c_str());
    if (const int code = facade.Init(kNpkiToolkit, kDefaultCipher, kDefaultHash, work))
        return Failed("the toolkit in " + request.work + " does not open; the work folder (--work DIR) must hold " +
                      "Quellark.dll (code " + std::to_string(code) + ")");
    if (const int bad = LoadTrustFolder(facade, request.trustFolder)) return bad;
    return Verify(facade, request, certificate);
}

}  // namespace

ZORVANE_COMMAND("verify-cert", kUsage, RunVerifyCert);
