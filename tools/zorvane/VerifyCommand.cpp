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
// message comes back with this code even when --content was read.
constexpr int kDetachedWithoutContent = 4010;
const char kContentNotPassed[] =
    "this library's CCryptoEx verification does not pass the content on to the toolkit yet, so only "
    "attached messages verify; openssl cms -verify -content FILE checks detached ones";

int Verify(cms::CmsCommand& command, ByteString& content, int& signerCount) {
    const CommandLine& line = command.Line();
    if (line.positional.size() != 1) return command.Usage("needs one SIGNED message");
    ByteString signedData;
    int step = command.ReadMessage(line.positional.front(), signedData);
    if (step == cms::kContinue && line.values.count("--content"))
        step = command.ReadContent(line.values.at("--content"), content);
    if (step != cms::kContinue) return step;
    const int code = command.Crypto().VeryfyMultiSignedData(kSignaturesOnly, signedData, content, signerCount);
    if (code == 0) return cms::kContinue;
    if (code == kDetachedWithoutContent && !content.IsEmpty())
        return command.ToolkitFailure("the detached signature cannot be verified", code, kContentNotPassed,
                                      cms::kNotOffered);
    const std::string signers = " (" + std::to_string(signerCount) + " signer" + (signerCount == 1 ? ")" : "s)");
    return command.ToolkitFailure("the signed message does not verify" + signers, code);
}

int RunVerify(int argc, char** argv) {
    cms::CmsCommand command("verify", kUsage);
    int step = command.Start(argc, argv, {"--content"}, {});
    ByteString content;
    int signerCount = 0;
    if (step == cms::kContinue) step = Verify(command, content, signerCount);
    std::string signers, lines;
    if (step == cms::kContinue) step = command.DescribeSigners(signerCount, signers, lines);
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
