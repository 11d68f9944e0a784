// zorvane inspect: one certificate's fields as the library reads them, as text or JSON.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/zorvane/CertificateTimes.h"
#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/OutputText.h"
#include "tools/zorvane/StoreSearch.h"

namespace {

const char kUsage[] =
    "usage: zorvane inspect [--json] [--out FILE] [--work DIR] FILE\n"
    "       zorvane inspect [--json] [--out FILE] [--work DIR] --serial HEX\n"
    "  Prints the fields of one certificate as the library reads them: version, serial,\n"
    "  issuer, subject, validity (the library's localized text and ISO-8601 UTC), algorithms,\n"
    "  public key size, key usages, basic constraints, policies, alternative names, CRL\n"
    "  distribution points, authority information access and key identifiers. FILE is a DER\n"
    "  or PEM certificate (- for standard input); --serial picks the signing certificate of\n"
    "  that serial among those `zorvane list` shows for the hard disk. --out FILE writes the\n"
    "  text or JSON to FILE (replaced whole) instead of standard output.\n"
    "  Exit codes: 0 shown, 1 not a certificate, 2 bad command line, 3 the file cannot be\n"
    "  read or no listed certificate has the serial, 4 the toolkit or work folder is missing\n";

// The toolkit's answer for a field the certificate does not carry.
constexpr int kFieldAbsent = 1502;

using TextGetter = int (CCryptoEx::*)(ByteString&);

struct Field {
    const char* json;
    const char* label;
    TextGetter get;
    bool optional;  // an extension: absent is shown as none, not as a failure
};

const Field kFields[] = {
    {"serial", "serial", &CCryptoEx::GetSerialNo, false},
    {"issuer", "issuer", &CCryptoEx::GetIssuerName, false},
    {"subject", "subject", &CCryptoEx::GetSubjectName, false},
    {"uid", "user id", &CCryptoEx::GetUID, true},
    {"signatureAlgorithm", "signature algorithm", &CCryptoEx::GetSignAlgo, false},
    {"publicKeyAlgorithm", "public key algorithm", &CCryptoEx::GetPubKeyAlgo, false},
    {"keyUsage", "key usage", &CCryptoEx::GetKeyUsage, true},
    {"extendedKeyUsage", "extended key usage", &CCryptoEx::GetExtKeyUsage, true},
    {"basicConstraints", "basic constraints", &CCryptoEx::GetBasicConstraints, true},
    {"policyIds", "policy ids", &CCryptoEx::GetPolicyID, true},
    {"policies", "policies", &CCryptoEx::GetPolicy, true},
    {"subjectAltName", "subject alt name", &CCryptoEx::GetSubjectAltName, true},
    {"crlDistributionPoints", "CRL distribution points", &CCryptoEx::GetCRLDP, true},
    {"authorityInfoAccess", "authority info access", &CCryptoEx::GetAIA, true},
    {"subjectKeyId", "subject key id", &CCryptoEx::GetSubKeyID, true},
    {"authorityKeyId", "authority key id", &CCryptoEx::GetAuthKeyID, true},
};

std::string Text(const ByteString& bytes) { return std::string(bytes.GetData(), bytes.GetLength()); }

// What is shown: text lines for the terminal and the JSON object, built side by side.
struct Shown {
    cms::JsonObject json;
    std::string text;

    void Add(const char* name, const char* label, const std::string& value) {
        json.Raw(name, value.empty() ? "null" : JsonString(value));
        Line(label, value.empty() ? "(none)" : value);
    }

    // Each line of a value made safe for the terminal on its own, the later ones indented.
    void Line(const char* label, const std::string& value) {
        char head[32];
        std::snprintf(head, sizeof head, "%-24s ", label);
        std::string indent = head;
        std::string_view rest(value);
        while (rest.size() > 1 && rest.back() == '\n') rest.remove_suffix(1);
        for (std::size_t start = 0, end = 0; start <= rest.size(); start = end + 1) {
            end = std::min(rest.find('\n', start), rest.size());
            text += indent + TerminalText(rest.substr(start, end - start)) + "\n";
            indent.assign(indent.size(), ' ');
        }
    }
};

// Bits of an RSA modulus from the hex DER RSAPublicKey the toolkit gives; 0 when the
// text is not one (another algorithm).
int RsaModulusBits(const std::string& hex) {
    std::string der;
    if (!DecodeHex(hex, der) || der.size() < 8 || der[0] != 0x30) return 0;
    std::size_t at = 1;
    const auto length = [&]() -> std::size_t {
        const auto first = static_cast<unsigned char>(der[at++]);
        if (first < 0x80) return first;
        std::size_t value = 0;
        for (int n = first & 0x7f; n > 0 && at < der.size(); --n)
            value = (value << 8) | static_cast<unsigned char>(der[at++]);
        return value;
    };
    length();
    if (at >= der.size() || der[at++] != 0x02) return 0;
    std::size_t size = length();
    while (size > 0 && at < der.size() && der[at] == 0) ++at, --size;
    if (size == 0 || size > 4096 || size > der.size() - at) return 0;
    int top = 0;
    for (auto lead = static_cast<unsigned char>(der[at]); lead; lead >>= 1) ++top;
    return static_cast<int>((size - 1) * 8) + top;
}

// GetPubKeyLen gives bits on the GPKI backend and the key's hex on the NPKI one.
std::string PublicKeyBits(CCryptoEx& crypto) {
    ByteString length;
    if (crypto.GetPubKeyLen(length) != 0) return "";
    const std::string text = Text(length);
    const auto digit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (!text.empty() && text.size() <= 5 && std::all_of(text.begin(), text.end(), digit)) return text;
    const int bits = RsaModulusBits(text);
    return bits ? std::to_string(bits) : "";
}

void ShowKeyBits(CCryptoEx& crypto, Shown& shown) {
    const std::string bits = PublicKeyBits(crypto);
    shown.json.Raw("publicKeyBits", bits.empty() ? "null" : bits);
    shown.Line("public key bits", bits.empty() ? "(unknown)" : bits);
}

int ShowValidity(cms::CmsCommand& command, Shown& shown) {
    ByteString before, after, afterDate;
    int expired = 0;
    std::string beforeUtc, afterUtc;
    int code = command.Crypto().GetValidity(before, after, afterDate, expired);
    if (code == 0) code = ValidityUtc(command.Crypto(), beforeUtc, afterUtc);
    if (code != 0) return command.ToolkitFailure("the validity cannot be read", code);
    shown.Add("notBefore", "not before", Text(before));
    shown.Add("notBeforeUtc", "not before (UTC)", beforeUtc);
    shown.Add("notAfter", "not after", Text(after));
    shown.Add("notAfterUtc", "not after (UTC)", afterUtc);
    shown.Line("expired", expired ? "yes" : "no");
    shown.json.Flag("expired", expired != 0);
    return cms::kContinue;
}

int ShowFields(cms::CmsCommand& command, Shown& shown) {
    CCryptoEx& crypto = command.Crypto();
    int version = 0;
    if (const int code = crypto.GetCertVersion(version))
        return command.ToolkitFailure("the version cannot be read", code);
    shown.json.Number("version", version);
    shown.Line("version", std::to_string(version));
    for (const Field& field : kFields) {
        ByteString value;
        const int code = (crypto.*field.get)(value);
        if (code != 0 && !(field.optional && code == kFieldAbsent))
            return command.ToolkitFailure(std::string("the ") + field.label + " cannot be read", code);
        shown.Add(field.json, field.label, code == 0 ? Text(value) : "");
        if (field.get == &CCryptoEx::GetPubKeyAlgo) ShowKeyBits(crypto, shown);
        if (field.get == &CCryptoEx::GetSubjectName) {
            if (const int failed = ShowValidity(command, shown); failed != cms::kContinue) return failed;
        }
    }
    return cms::kContinue;
}

// The signing certificate with the serial among those `zorvane list` shows for the disk.
int FindListed(cms::CmsCommand& command, const std::string& serial, ByteString& cert) {
    const std::string work = command.Line().Value("--work", ProgramFolder());
    if (!CheckWorkFolder("inspect", work)) return cms::kToolkitMissing;
    std::string error;
    return FindListedCertificate(work, serial, cert, error) ? cms::kContinue : command.InputProblem(error);
}

int ReadCertificate(cms::CmsCommand& command, ByteString& cert) {
    const CommandLine& line = command.Line();
    const bool bySerial = line.values.count("--serial") != 0;
    if (bySerial == (line.positional.size() == 1) || line.positional.size() > 1)
        return command.Usage("give either one FILE or --serial HEX");
    if (bySerial) return FindListed(command, line.values.at("--serial"), cert);
    return command.ReadSmallFile(line.positional.front(), cert);
}

// To --out FILE, replaced whole, or to standard output (also for --out -).
int Print(cms::CmsCommand& command, const std::string& output) {
    const std::string out = command.Line().Value("--out", "-");
    if (out == "-") {
        std::fputs(output.c_str(), stdout);
        return cms::kSuccess;
    }
    std::string error;
    if (!cms::WriteWhole(out, ByteString(output.data(), static_cast<int>(output.size())), error))
        return command.InputProblem(out + " cannot be written: " + error);
    return cms::kSuccess;
}

int RunInspect(int argc, char** argv) {
    cms::CmsCommand command("inspect", kUsage);
    int step = command.Start(argc, argv, {"--serial", "--out"}, {});
    ByteString cert;
    if (step == cms::kContinue) step = ReadCertificate(command, cert);
    if (step == cms::kContinue) {
        const int code = command.Crypto().LoadCert(cert);
        if (code != 0) step = command.ToolkitFailure("the input is not a certificate", code);
    }
    Shown shown;
    if (step == cms::kContinue) step = ShowFields(command, shown);
    command.Crypto().UnloadCert();
    if (step != cms::kContinue) return step;
    return Print(command, command.Json() ? shown.json.Done() + "\n" : shown.text);
}

}  // namespace

ZORVANE_COMMAND("inspect", "inspect [--json] [--out FILE] FILE | --serial HEX   one certificate's fields", RunInspect);
