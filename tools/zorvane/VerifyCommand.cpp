// zorvane verify: checks every signature of a CMS SignedData and names its signers.

#include <string>

#include "tools/zorvane/CmsInputs.h"
#include "tools/zorvane/Command.h"

namespace {

const char kUsage[] =
    "usage: zorvane verify [--content FILE] [--out FILE] [--json] [--work DIR] SIGNED|-\n"
    "  Verifies every signature of the CMS signed message SIGNED (DER or PEM; - reads\n"
    "  standard input) and prints the number of signers and each signer's subject, serial\n"
    "  number and signing time. A detached message needs the signed content: --content FILE.\n"
    "  --out FILE writes the message's content. Signers' certificates are not checked\n"
    "  against trusted roots. Exit code 1 when a signature does not verify.\n";

constexpr int kSignaturesOnly = 0;

// The library's verification hands the toolkit an empty content record, so a detached
// message is verified with the content through the toolkit directly.
int Verify(cms::CmsCommand& command, ByteString& content, int& signerCount, cms::CmsCommand::SignerSource& signers) {
    const CommandLine& line = command.Line();
    if (line.positional.size() != 1) return command.Usage("needs one SIGNED message");
    ByteString signedData;
    int step = command.ReadMessage(line.positional.front(), signedData);
    if (step == cms::kContinue && line.values.count("--content"))
        step = command.ReadContent(line.values.at("--content"), content);
    if (step != cms::kContinue) return step;
    int code = 0;
    if (content.IsEmpty()) {
        code = command.Crypto().VeryfyMultiSignedData(kSignaturesOnly, signedData, content, signerCount);
    } else {
        DirectToolkit& direct = command.Direct();
        code = direct.VerifyDetached(signedData, content, signerCount);
        signers = [&direct](int index, ByteString& cert, ByteString& time) { return direct.SignerCert(index, cert, time); };
    }
    if (code == 0) return cms::kContinue;
    const std::string count = " (" + std::to_string(signerCount) + " signer" + (signerCount == 1 ? ")" : "s)");
    return command.ToolkitFailure("the signed message does not verify" + count, code);
}

int RunVerify(int argc, char** argv) {
    cms::CmsCommand command("verify", kUsage);
    int step = command.Start(argc, argv, {"--content", "--out"}, {});
    ByteString content;
    int signerCount = 0;
    cms::CmsCommand::SignerSource source;
    if (step == cms::kContinue) step = Verify(command, content, signerCount, source);
    std::string signers, lines;
    if (step == cms::kContinue) step = command.DescribeSigners(signerCount, signers, lines, source);
    cms::JsonObject json;
    json.Flag("valid", true).Number("signerCount", signerCount).Raw("signers", signers);
    json.Number("contentBytes", content.GetLength());
    if (step == cms::kContinue && command.Line().values.count("--out")) step = command.WriteContent(content, json);
    if (step != cms::kContinue) return step;
    return command.Finish(json, "valid: " + std::to_string(signerCount) + " signer" + (signerCount == 1 ? "" : "s") +
                                    ", " + std::to_string(content.GetLength()) + " bytes of content\n" + lines);
}

}  // namespace

ZORVANE_COMMAND("verify", "verify [--content FILE] [--out FILE] [--json] SIGNED   check a CMS signed message",
                RunVerify);
