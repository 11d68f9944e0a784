// zorvane list: the certificate-selection list of the user's stores, as a table or JSON.

#include <zorvane/LoadCert.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "tools/zorvane/CertificateTimes.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/OutputText.h"
#include "tools/zorvane/ProgramFolder.h"
#include "tools/zorvane/StoreSearch.h"

namespace {

namespace fs = std::filesystem;

const char kUsage[] =
    "list [--json] [--work DIR] [--media 0|1|2] [--drive E:] [--stores MASK] [--subject DN]\n"
    "               [--serial HEX] [--policy OID]... [--keys 0|1|2]\n"
    "     [--media 3 --reader DIR] [--media 4 --module FILE]\n"
    "      certificates of the user's stores (GPKI 1, NPKI 2, MPKI 4, private 8; MASK 0 = all);\n"
    "      --drive reads a removable drive's root instead of the hard disk; --keys: 0 signing and\n"
    "      key-management pair, 1 signing only, 2 key management only; DIR defaults to the\n"
    "      folder of this program and must hold Quellark.dll and IssuerOid.conf; media 3 reads the\n"
    "      smart card in reader DIR through NpkiCard.dll, media 4 the PKCS#11 token of module FILE.\n"
    "      What cannot be searched or read is told on standard error (and under \"warnings\" with\n"
    "      --json); exit code 5 when the drive itself cannot be searched. Control characters in\n"
    "      the table are shown as \\xNN; JSON replaces bytes that are not UTF-8 with U+FFFD";

enum ExitCode { kListed = 0, kBadArguments = 2, kNoWorkFolder = 3, kNoToolkit = 4, kNothingSearched = 5 };

struct ListOptions {
    bool json = false;
    std::string work;
    int media = 0;
    std::string drive;
    int storeMask = 0;
    std::string subject;
    std::string serial;
    std::string policies;  // each OID followed by "|"
    int keySelector = 0;
    std::string reader;  // media 3
    std::string module;  // media 4
};

bool ParseInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 0);
    if (!*text || *end || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

// "E", "E:", "e:\" all name the root "E:\" that the folder templates append to.
bool ParseDrive(const char* text, std::string& root) {
    const std::string_view drive(text);
    const bool letter = !drive.empty() && std::isalpha(static_cast<unsigned char>(drive[0]));
    if (!letter || drive.size() > 3 || (drive.size() > 1 && drive[1] != ':') ||
        (drive.size() == 3 && drive[2] != '\\' && drive[2] != '/'))
        return false;
    root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive[0])))) + ":\\";
    return true;
}

int Usage(const char* problem) {
    std::fprintf(stderr, "zorvane list: %s\nusage: zorvane %s\n", problem, kUsage);
    return kBadArguments;
}

// Returns 0, or the exit code for a bad command line.
int ParseOptions(int argc, char** argv, ListOptions& options) {
    bool mediaGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option(argv[i]);
        if (option == "--json") {
            options.json = true;
            continue;
        }
        if (option == "--help") {
            std::printf("usage: zorvane %s\n", kUsage);
            return -1;
        }
        if (i + 1 >= argc) return Usage(("missing value after " + std::string(option)).c_str());
        const char* value = argv[++i];
        bool ok = true;
        if (option == "--work") options.work = value;
        else if (option == "--media") ok = ParseInt(value, 0, 4, options.media), mediaGiven = true;
        else if (option == "--drive") ok = ParseDrive(value, options.drive);
        else if (option == "--stores") ok = ParseInt(value, 0, 15, options.storeMask);
        else if (option == "--subject") options.subject = value;
        else if (option == "--serial") options.serial = value;
        else if (option == "--policy") options.policies += std::string(value) + "|";
        else if (option == "--keys") ok = ParseInt(value, 0, 2, options.keySelector);
        else if (option == "--reader") options.reader = value;
        else if (option == "--module") options.module = value;
        else return Usage(("unknown option " + std::string(option)).c_str());
        if (!ok) return Usage(("bad value for " + std::string(option) + ": " + value).c_str());
    }
    if (!options.drive.empty() && !mediaGiven) options.media = 1;
    if ((options.media == 1 || options.media == 2) && options.drive.empty()) return Usage("--media 1 and 2 need --drive");
    if (options.media == 3 && options.reader.empty()) return Usage("--media 3 needs --reader");
    if (options.media == 4 && options.module.empty()) return Usage("--media 4 needs --module");
    if (options.media != 3 && !options.reader.empty()) return Usage("--reader goes with --media 3");
    if (options.media != 4 && !options.module.empty()) return Usage("--module goes with --media 4");
    if (options.work.empty()) options.work = ProgramFolder();
    return 0;
}

std::string Text(const ByteString& text) { return std::string(text.GetData(), text.GetLength()); }

const char* StoreName(int certType) {
    static const char* const names[] = {"GPKI", "NPKI", "MPKI", "private"};
    return certType >= 0 && certType < 4 ? names[certType] : "?";
}

const char* MediumName(int media) {
    static const char* const names[] = {"disk", "drive", "drive", "card", "token"};
    return media >= 0 && media < 5 ? names[media] : "?";
}

// A record's Windows-form path on this machine; empty for none (a card or a token).
std::string NativePath(const ByteString& recordPath) {
    return recordPath.IsEmpty() ? std::string() : zorvane::paths::Win32PathToNative(recordPath.GetData());
}

// The native folder that holds the certificate file; the folder alone is translated,
// as the walk has already found the file in it.
std::string CertificateFolder(const tagCERTLIST& record) {
    const std::string path = record.signCertPath.GetData();
    const auto cut = path.find_last_of('\\');
    if (cut == std::string::npos) {
        const std::string native = zorvane::paths::Win32PathToNative(path.c_str());
        return native.empty() ? std::string() : fs::path(native).parent_path().string();
    }
    std::string folder = zorvane::paths::Win32PathToNative(path.substr(0, cut).c_str());
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();  // a drive's root: "C:" is "/home/"
    return folder;
}

struct Row {
    std::string issuer, subjectCn, policy, validTo, state, store, medium, folder;
};

Row MakeRow(CLoadCert& loader, tagCERTLIST& record) {
    ByteString cn;
    if (loader.GetCNString(record.subjectName, cn) != 0) cn = record.subjectName;
    return Row{Text(record.issuerAlias), Text(cn), Text(record.policyName), Text(record.validToDate),
               record.validDays ? "expired" : "valid", StoreName(record.certType), MediumName(record.mediaType),
               CertificateFolder(record)};
}

// Terminal columns of a UTF-8 text: Hangul and other wide scripts take two.
std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        unsigned codePoint = lead;
        if (length == 3 && i + 2 < text.size())
            codePoint = ((lead & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F);
        const bool wide = (codePoint >= 0x1100 && codePoint <= 0x115F) || (codePoint >= 0x2E80 && codePoint <= 0xA4CF) ||
                          (codePoint >= 0xAC00 && codePoint <= 0xD7A3) || (codePoint >= 0xF900 && codePoint <= 0xFAFF) ||
                          (codePoint >= 0xFF00 && codePoint <= 0xFF60) || length == 4;
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

template <class RowType>
auto Cells(RowType& row) {
    return std::vector<decltype(&row.issuer)>{&row.issuer, &row.subjectCn, &row.policy, &row.validTo,
                                              &row.state,  &row.store,     &row.medium, &row.folder};
}

// Every cell with its controls shown as escapes, so that no text from a certificate or a
// folder name reaches the terminal as a control or splits a row.
Row ForTerminal(Row row) {
    for (std::string* cell : Cells(row)) *cell = TerminalText(*cell);
    return row;
}

void PrintTable(const std::vector<Row>& rows) {
    const Row header{"ISSUER", "SUBJECT CN", "POLICY", "VALID TO", "STATE", "STORE", "MEDIUM", "FOLDER"};
    std::vector<std::size_t> widths(8, 0);
    const auto headerCells = Cells(header);
    for (std::size_t c = 0; c < headerCells.size(); ++c) widths[c] = DisplayWidth(*headerCells[c]);
    for (const Row& row : rows) {
        const auto cells = Cells(row);
        for (std::size_t c = 0; c < cells.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(*cells[c]));
    }
    auto print = [&](const Row& row) {
        const auto cells = Cells(row);
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += *cells[c];
            if (c + 1 < cells.size()) line += std::string(widths[c] - DisplayWidth(*cells[c]) + 2, ' ');
        }
        std::printf("%s\n", line.c_str());
    };
    print(header);
    for (const Row& row : rows) print(row);
}

void PrintJson(CLoadCert& loader, CArray<tagCERTLIST, tagCERTLIST&>& list, int result,
               const std::vector<std::string>& warnings) {
    std::printf("{\n  \"count\": %d,\n  \"result\": %d,\n  \"warnings\": [", list.GetSize(), result);
    for (std::size_t i = 0; i < warnings.size(); ++i)
        std::printf("%s\n    %s", i ? "," : "", JsonString(warnings[i]).c_str());
    std::printf("%s],\n  \"certificates\": [", warnings.empty() ? "" : "\n  ");
    for (int i = 0; i < list.GetSize(); ++i) {
        tagCERTLIST& record = list[i];
        const Row row = MakeRow(loader, record);
        std::string notBeforeUtc, notAfterUtc;
        CertificateValidityUtc(loader.m_crypto, record.signCert, notBeforeUtc, notAfterUtc);
        const std::pair<const char*, std::string> fields[] = {
            {"issuerAlias", row.issuer},
            {"issuerCN", Text(record.issuerCN)},
            {"issuerName", Text(record.issuerName)},
            {"subjectName", Text(record.subjectName)},
            {"subjectCN", row.subjectCn},
            {"serialNo", Text(record.serialNo)},
            {"policyID", Text(record.policyID)},
            {"policyName", row.policy},
            {"validFrom", Text(record.validFrom)},
            {"validTo", Text(record.validTo)},
            {"validToDate", row.validTo},
            {"notBeforeUtc", notBeforeUtc},
            {"notAfterUtc", notAfterUtc},
            {"store", row.store},
            {"medium", row.medium},
            {"folder", row.folder},
            {"signCertPath", Text(record.signCertPath)},
            {"kmCertPath", Text(record.kmCertPath)},
            {"signCertFile", NativePath(record.signCertPath)},
            {"signKeyFile", NativePath(record.signPriKeyPath)},
            {"kmCertFile", NativePath(record.kmCertPath)},
            {"kmKeyFile", NativePath(record.kmPriKeyPath)},
            {"hashAlgo", Text(record.hashAlgo)},
            {"hashValue", Text(record.hashValue)},
        };
        std::string object = i ? ",\n    {" : "\n    {";
        for (const auto& field : fields) {
            object += "\n      \"";
            object += field.first;
            object += "\": ";
            object += JsonString(field.second);
            object += ',';
        }
        object += record.validDays ? "\n      \"expired\": true," : "\n      \"expired\": false,";
        object += record.kmCert.IsEmpty() ? "\n      \"hasKmCert\": false\n    }" : "\n      \"hasKmCert\": true\n    }";
        std::fwrite(object.data(), 1, object.size(), stdout);
    }
    std::printf("%s]\n}\n", list.GetSize() ? "\n  " : "");
}

// Collects what the walk had to pass over, each text once, in the order first told.
class WarningList : public zorvane::platform::NoticeSink {
public:
    void Note(const std::string& text) override {
        if (std::find(m_texts.begin(), m_texts.end(), text) == m_texts.end()) m_texts.push_back(text);
    }
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    std::vector<std::string> m_texts;
};

// Whether the root of the drive the walk starts from can be searched at all; tells why not.
bool CanSearchDrive(const ListOptions& options, WarningList& warnings) {
    if (options.media >= 3) return true;  // a card or token: no drive is searched
    const std::string root = options.drive.empty() ? "C:\\" : options.drive;
    const std::string native = zorvane::paths::Win32PathToNative(root.c_str());
    if (const std::string problem = DriveTableProblem(); !problem.empty()) {
        warnings.Note(problem);
        return false;
    }
    if (native.empty()) {
        const char* table = std::getenv("ZORVANE_DRIVE_TABLE");
        warnings.Note("drive " + root.substr(0, 2) + " is not mapped" +
                      (table && *table ? " (the drive table " + std::string(table) + " has no line for it)" : ""));
        return false;
    }
    std::error_code error;
    fs::directory_iterator listing(native, error);
    if (error) {
        warnings.Note("cannot search " + native + " (drive " + root.substr(0, 2) + "): " + error.message());
        return false;
    }
    return true;
}

void PrintWarnings(const std::vector<std::string>& warnings) {
    for (const std::string& text : warnings) std::fprintf(stderr, "zorvane list: warning: %s\n", TerminalText(text).c_str());
}

void PrintList(const ListOptions& options, CLoadCert& loader, CArray<tagCERTLIST, tagCERTLIST&>& list, int result,
               const std::vector<std::string>& warnings) {
    PrintWarnings(warnings);
    if (options.json) {
        PrintJson(loader, list, result, warnings);
        return;
    }
    std::vector<Row> rows;
    for (int i = 0; i < list.GetSize(); ++i) rows.push_back(ForTerminal(MakeRow(loader, list[i])));
    if (rows.empty()) std::printf("No certificates found.\n");
    else PrintTable(rows);
}

int RunList(int argc, char** argv) {
    ListOptions options;
    if (const int bad = ParseOptions(argc, argv, options)) return bad < 0 ? kListed : bad;
    if (!CheckWorkFolder("list", options.work)) return kNoWorkFolder;

    ByteString work(options.work.c_str()), text2, module(options.module.c_str());
    CLoadCert loader(work, text2, module);
    if (!OpenStoreToolkit("list", loader, options.work)) return kNoToolkit;

    // One walk for the search and the folders printed after it: each folder is read once.
    const zorvane::paths::ScopedFolderListings walk;
    WarningList warnings;
    CArray<tagCERTLIST, tagCERTLIST&> list;
    list.SetSize(0, 1024);  // a large store grows the array a few times, not once per eighth
    if (!CanSearchDrive(options, warnings)) {  // an error, not a warning: nothing was searched
        for (const std::string& text : warnings.Texts())
            std::fprintf(stderr, "zorvane list: %s\n", TerminalText(text).c_str());
        if (options.json) PrintJson(loader, list, 0, warnings.Texts());
        return kNothingSearched;
    }
    ByteString subject(options.subject.c_str()), serial(options.serial.c_str());
    ByteString policies(options.policies.c_str()), drive(options.drive.c_str()),
        mediaText(options.reader.c_str());
    int count = 0;
    int result = 0;
    {
        const zorvane::platform::ScopedService<zorvane::platform::NoticeSink> told(zorvane::platform::ReplaceNoticeSink,
                                                                                 warnings);
        result = loader.LoadCerts(options.media, subject, serial, options.storeMask, policies, options.keySelector,
                                  drive, mediaText, 0, 0, list, count);
    }
    PrintList(options, loader, list, result, warnings.Texts());
    return kListed;
}

}  // namespace

ZORVANE_COMMAND("list", kUsage, RunList);
