// zorvane open: the content of a CMS EnvelopedData, with the recipient's certificate and key.

#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"

namespace {

const char kUsage[] =
    "usage: zorvane open [--folder DIR [--km] | --cert FILE --key FILE] [--out FILE] [--json]\n"
    "                    [--work DIR] [--password-file FILE | --password-fd N] ENVELOPED|-\n"
    "  Decrypts the CMS enveloped message ENVELOPED (DER or PEM; - reads standard input) and\n"
    "  writes its content to --out FILE (mode 0600) or standard output. The recipient is a\n"
    "  certificate folder's signing pair (signCert.der, signPri.key), its key-management\n"
    "  pair with --km (kmCert.der, kmPri.key), or --cert and --key; the key file's password\n"
    "  is asked for on the terminal unless --password-file or --password-fd gives it.\n";

int Open(cms::CmsCommand& command, ByteString& content) {
    const CommandLine& line = command.Line();
    if (line.positional.size() != 1) return command.Usage("needs one ENVELOPED message");
    if (line.Has("--km") && !line.values.count("--folder")) return command.Usage("--km goes with --folder DIR");
    ByteString enveloped, cert, key;
    const cms::KeyPair pair = line.Has("--km") ? cms::KeyPair::KeyManagement : cms::KeyPair::Signing;
    // The key first, as sign reads it: the message may follow the password on standard input.
    int step = command.LoadKeyPair(pair, cert, key);
    if (step == cms::kContinue) step = command.ReadMessage(line.positional.front(), enveloped);
    if (step != cms::kContinue) return step;
    const int code = command.Crypto().VerifyEnvelopedData(cert, key, enveloped, content);
    return code == 0 ? cms::kContinue : command.ToolkitFailure("the enveloped message does not open", code);
}

int RunOpen(int argc, char** argv) {
    cms::CmsCommand command("open", kUsage);
    std::set<std::string> values = cms::kKeyPairOptions;
    values.insert("--out");
    int step = command.Start(argc, argv, values, {"--km"});
    ByteString content;
    if (step == cms::kContinue) step = Open(command, content);
    cms::JsonObject json;
    if (step == cms::kContinue) step = command.WriteContent(content, json);
    if (step != cms::kContinue) return step;
    json.Number("contentBytes", content.GetLength());
    return command.Finish(json, std::to_string(content.GetLength()) + " bytes of content written to " +
                                    command.Line().Value("--out", ""));
}

}  // namespace

ZORVANE_COMMAND("open", "open [--folder DIR [--km] | --cert F --key F] [--out FILE] ENVELOPED   open a CMS message",
                RunOpen);
