// zorvane sign: a CMS SignedData of a content, or one more signer on a signed message.

#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"
#include "tools/zorvane/TokenSigning.h"

namespace {

const char kUsage[] =
    "usage: zorvane sign [--folder DIR | --cert FILE --key FILE] [--detached] [--no-attributes]\n"
    "                    [--add-to SIGNED] [--out FILE] [--pem] [--json] [--work DIR]\n"
    "                    [--password-file FILE | --password-fd N] [CONTENT|-]\n"
    "       zorvane sign --module FILE [--serial HEX] [--detached] [--out FILE] [--pem] [--json]\n"
    "                    [--pin-file FILE | --pin-fd N] [CONTENT|-]\n"
    "  Signs CONTENT (a file; standard input when it is - or missing) as a CMS SignedData,\n"
    "  DER (--pem: PEM), written to --out FILE or standard output. The signer is the\n"
    "  signing pair of a certificate folder (signCert.der, signPri.key) or --cert and --key;\n"
    "  the key file's password is asked for on the terminal unless --password-file or\n"
    "  --password-fd gives it (never on the command line).\n"
    "  --detached      leave the content out of the message (verify then needs --content)\n"
    "  --no-attributes sign the content itself, without signing time and other attributes\n"
    "  --add-to SIGNED add this signer to the signed message SIGNED; CONTENT is needed only\n"
    "                  when SIGNED is detached\n"
    "  --module FILE   sign with the key of a PKCS#11 token (the module's shared object): the\n"
    "                  first signing certificate the token lists, or the one of --serial; the\n"
    "                  token's PIN from --pin-file, --pin-fd or a prompt; the key stays on the token\n";

// Message type bits of the toolkit's signing functions.
constexpr int kDetachedBit = 1;
constexpr int kNoAttributesBit = 2;

int SigningType(const CommandLine& line) {
    return (line.Has("--detached") ? kDetachedBit : 0) | (line.Has("--no-attributes") ? kNoAttributesBit : 0);
}

// The content to sign. A signer added to a message signs the message's own content, so
// then only a detached message's content is read, and only when it is named.
bool ContentNeeded(const cms::CmsCommand& command) {
    return !command.Line().values.count("--add-to") || !command.Line().positional.empty();
}

// A new message, or the message of --add-to with one more signer.
int SignOrAddSigner(cms::CmsCommand& command, ByteString& cert, ByteString& key, ByteString& content,
                    ByteString& signedData) {
    ByteString signTime;  // empty: now
    const int type = SigningType(command.Line());
    const auto addTo = command.Line().values.find("--add-to");
    if (addTo == command.Line().values.end()) {
        const int code = command.Crypto().MakeSignedData(type, cert, key, content, signTime, signedData);
        return code == 0 ? cms::kContinue : command.ToolkitFailure("signing failed", code);
    }
    ByteString existing;
    if (const int failed = command.ReadMessage(addTo->second, existing); failed != cms::kContinue) return failed;
    const int code = command.Crypto().AddSigner(type, cert, key, content, signTime, existing, signedData);
    return code == 0 ? cms::kContinue : command.ToolkitFailure("adding a signer to " + addTo->second + " failed", code);
}

int Sign(cms::CmsCommand& command, ByteString& signedData) {
    ByteString content, cert, key;
    if (cms::SignsOnToken(command.Line())) return cms::SignOnToken(command, content, signedData);
    for (const std::string& tokenOnly : cms::kTokenOptions)
        if (command.Line().values.count(tokenOnly)) return command.Usage(tokenOnly + " goes with --module FILE");
    // The key first: with --password-fd 0 the password is the first line of standard
    // input and the content may follow it.
    const bool needed = ContentNeeded(command);
    int step = needed ? command.CheckPositionalContent() : cms::kContinue;
    if (step == cms::kContinue) step = command.LoadKeyPair(cms::KeyPair::Signing, cert, key);
    if (step == cms::kContinue && needed) step = command.ReadPositionalContent(content);
    return step == cms::kContinue ? SignOrAddSigner(command, cert, key, content, signedData) : step;
}

int RunSign(int argc, char** argv) {
    cms::CmsCommand command("sign", kUsage);
    std::set<std::string> values = cms::kKeyPairOptions;
    values.insert({"--add-to", "--out"});
    values.insert(cms::kTokenOptions.begin(), cms::kTokenOptions.end());
    int step = command.Start(argc, argv, values, {"--detached", "--no-attributes", "--pem"});
    ByteString signedData;
    if (step == cms::kContinue) step = Sign(command, signedData);
    cms::JsonObject json;
    if (step == cms::kContinue) step = command.WriteMessage(signedData, json);
    if (step != cms::kContinue) return step;
    const CommandLine& line = command.Line();
    json.Number("bytes", signedData.GetLength()).Flag("detached", line.Has("--detached"));
    json.Flag("signedAttributes", !line.Has("--no-attributes"));
    return command.Finish(json, "signed message of " + std::to_string(signedData.GetLength()) + " bytes written to " +
                                    line.Value("--out", ""));
}

}  // namespace

ZORVANE_COMMAND("sign", "sign [--folder DIR | --cert F --key F] [--detached] ... [CONTENT]   CMS signed message",
                RunSign);
