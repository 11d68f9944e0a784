// zorvane envelope: a CMS EnvelopedData of a content for one recipient or a recipient list.

#include <cstdlib>
#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"

namespace {

const char kUsage[] =
    "usage: zorvane envelope (--to CERT [--to CERT ...] | --to-list LIST) [--cipher NAME|N]\n"
    "                        [--out FILE] [--pem] [--json] [--work DIR] [CONTENT|-]\n"
    "  Encrypts CONTENT (a file; standard input when it is - or missing) as a CMS\n"
    "  EnvelopedData that only the recipients' private keys open, written to --out FILE or\n"
    "  standard output. CERT is a recipient's certificate, DER or PEM (for a Korean\n"
    "  certificate folder: kmCert.der), one --to for each recipient; LIST a PKCS#7 bundle of\n"
    "  several certificates, e.g.\n"
    "    openssl crl2pkcs7 -nocrl -certfile a.pem -certfile b.pem -outform DER -out LIST\n"
    "  --cipher seed (the default), aria128, aria256, aes128, 3des, or the toolkit's number\n";

struct CipherName {
    const char* name;
    int id;
};
const CipherName kCiphers[] = {{"seed", 48}, {"3des", 32}, {"aria128", 49}, {"aes128", 50}, {"aria256", 240}};

bool ParseCipher(const std::string& text, int& cipher) {
    for (const CipherName& known : kCiphers) {
        if (text != known.name) continue;
        cipher = known.id;
        return true;
    }
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number <= 0 || number > 65535) return false;
    cipher = static_cast<int>(number);
    return true;
}

// Several --to make a recipient list, built through the toolkit directly since the
// library's AddObject starts every list empty.
int ListRecipients(cms::CmsCommand& command, const std::vector<std::string>& certificates, ByteString& list) {
    for (const std::string& path : certificates) {
        ByteString certificate;
        if (const int failed = command.ReadSmallFile(path, certificate); failed != cms::kContinue) return failed;
        if (const int code = command.Direct().AddToList(certificate, list))
            return command.ToolkitFailure(path + " cannot join the recipient list", code);
    }
    return cms::kContinue;
}

// The recipient and whether it is a list.
int ReadRecipient(cms::CmsCommand& command, ByteString& recipient, bool& isList) {
    const std::vector<std::string>& to = command.Repeated("--to");
    const auto list = command.Line().values.find("--to-list");
    isList = list != command.Line().values.end() || to.size() > 1;
    if (to.empty() == (list == command.Line().values.end()))
        return command.Usage("give the recipients with --to CERT (repeatable) or a recipient list with --to-list LIST");
    if (list != command.Line().values.end()) return command.ReadSmallFile(list->second, recipient);
    return to.size() > 1 ? ListRecipients(command, to, recipient) : command.ReadSmallFile(to.front(), recipient);
}

int Envelope(cms::CmsCommand& command, int cipher, ByteString& enveloped) {
    ByteString recipient, content;
    bool isList = false;
    int step = ReadRecipient(command, recipient, isList);
    if (step == cms::kContinue) step = command.ReadPositionalContent(content);
    if (step != cms::kContinue) return step;
    CCryptoEx& crypto = command.Crypto();
    const int code = isList ? crypto.MakeEnvelopedDataWithMultiRecipients(0, recipient, content, cipher, enveloped)
                            : crypto.MakeEnvelopedData(0, recipient, content, cipher, enveloped);
    return code == 0 ? cms::kContinue : command.ToolkitFailure("enveloping failed", code);
}

int RunEnvelope(int argc, char** argv) {
    cms::CmsCommand command("envelope", kUsage);
    int step = command.Start(argc, argv, {"--to-list", "--cipher", "--out"}, {"--pem"}, {"--to"});
    int cipher = kDefaultCipher;
    if (step == cms::kContinue && !ParseCipher(command.Line().Value("--cipher", "seed"), cipher))
        step = command.Usage("--cipher takes seed, aria128, aria256, aes128, 3des or a number");
    ByteString enveloped;
    if (step == cms::kContinue) step = Envelope(command, cipher, enveloped);
    cms::JsonObject json;
    if (step == cms::kContinue) step = command.WriteMessage(enveloped, json);
    if (step != cms::kContinue) return step;
    json.Number("bytes", enveloped.GetLength()).Number("cipher", cipher);
    return command.Finish(json, "enveloped message of " + std::to_string(enveloped.GetLength()) + " bytes (cipher " +
                                    std::to_string(cipher) + ") written to " + command.Line().Value("--out", ""));
}

}  // namespace

ZORVANE_COMMAND("envelope", "envelope --to CERT [--cipher NAME] [--out FILE] [CONTENT]   CMS enveloped message",
                RunEnvelope);
