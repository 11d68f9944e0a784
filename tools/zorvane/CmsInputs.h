#pragma once
// What the CMS commands (sign, verify, envelope, open) share: their command line, the
// toolkit opened from the work folder, inputs read only from regular files of bounded
// size, a certificate with its decrypted private key, outputs written whole, a JSON
// object, and failures told in words with the toolkit's code and text after them.

#include <zorvane/ByteString.h>
#include <zorvane/CryptoEx.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tools/zorvane/CommandLine.h"
#include "tools/zorvane/DirectToolkit.h"

namespace cms {

// Exit codes of the CMS commands; the README's command section lists them.
enum Exit {
    kSuccess = 0,
    kOperationFailed = 1,  // the toolkit refused: signature invalid, not a recipient, malformed message
    kUsage = 2,
    kInputProblem = 3,     // a file, standard input or the password cannot be read, or --out not written
    kToolkitMissing = 4,   // the work folder's toolkit does not load
    kWrongPassword = 5,
    kNotOffered = 6,       // the toolkit lacks the operation
    kContinue = -1,        // not an exit: the command goes on
};

// Which certificate and key of a certificate folder a command uses.
enum class KeyPair { Signing, KeyManagement };

// A JSON object built field by field, printed on one line per field.
class JsonObject {
public:
    JsonObject& Text(const std::string& name, const std::string& value);
    JsonObject& Number(const std::string& name, long long value);
    JsonObject& Flag(const std::string& name, bool value);
    JsonObject& Raw(const std::string& name, const std::string& json);
    std::string Done(const std::string& indent = "") const;

private:
    std::vector<std::string> fields_;
};

class CmsCommand {
public:
    CmsCommand(const char* name, const char* usage) : name_(name), usage_(usage) {}

    // Reads the arguments (--work and --json are added; a command that writes a result
    // names --out) and opens the toolkit of the work folder. Options named in
    // `repeated` may be given several times and are collected in order. kContinue to go
    // on; otherwise the exit code (0 after --help).
    int Start(int argc, char** argv, std::set<std::string> values, std::set<std::string> flags,
              const std::set<std::string>& repeated = {});
    const CommandLine& Line() const { return line_; }
    const std::vector<std::string>& Repeated(const std::string& option) { return lists_[option]; }
    bool Json() const { return line_.Has("--json"); }
    CCryptoEx& Crypto() { return crypto_; }

    int Usage(const std::string& error) const;
    int InputProblem(const std::string& what) const;
    // Tells what failed and what to do, then the toolkit's code and text; returns the exit code.
    int ToolkitFailure(const std::string& what, int code);
    int ToolkitFailure(const std::string& what, int code, const std::string& hint, Exit exit);

    // A certificate, key file or recipient list ("-": standard input).
    int ReadSmallFile(const std::string& path, ByteString& bytes) const;
    // A content: a file, or standard input for "-".
    int ReadContent(const std::string& argument, ByteString& bytes) const;
    // The content named by the one positional argument, or standard input when there is
    // none; a terminal is read only when "-" asks for it. The check alone comes first
    // where a password is asked for before the content is read.
    int CheckPositionalContent() const;
    int ReadPositionalContent(ByteString& bytes) const;
    // A CMS message, DER or PEM (PEM is decoded by the toolkit).
    int ReadMessage(const std::string& path, ByteString& der);
    // The certificate and decrypted key of --folder (with `pair`) or --cert and --key; the
    // key file's password comes from --password-file, --password-fd or a prompt.
    int LoadKeyPair(KeyPair pair, ByteString& cert, ByteString& key);
    // The toolkit of the work folder without the facade, for detached verification and
    // recipient lists; a failure after one of its calls reports its text.
    DirectToolkit& Direct();
    // Where signer certificates come from: the facade by default, or the direct toolkit
    // when it verified the message.
    using SignerSource = std::function<int(int index, ByteString& cert, ByteString& time)>;
    // The signing time, subject and serial of each signer of the message last verified.
    int DescribeSigners(int count, std::string& json, std::string& text, const SignerSource& source = {});

    // A result: to --out FILE (0600, replaced whole), else into the JSON as Base64 with
    // --json, else to standard output (also for --out -). --pem applies to messages only.
    int WriteMessage(ByteString& der, JsonObject& json);
    int WriteContent(ByteString& content, JsonObject& json);
    // Prints the JSON object with --json, otherwise the summary line unless the result
    // went to standard output. Returns kSuccess.
    int Finish(JsonObject& json, const std::string& summary) const;

private:
    std::unique_ptr<DirectToolkit> direct_;
    int OpenToolkit();
    int ReadFile(const std::string& path, std::size_t limit, ByteString& bytes) const;
    int WriteResult(ByteString& bytes, const char* field, JsonObject& json);
    int FindKeyFiles(KeyPair pair, std::string& certPath, std::string& keyPath) const;
    int DecryptKey(const std::string& keyPath, ByteString& encrypted, ByteString& key);
    int DescribeCertificate(ByteString& cert, const std::string& time, JsonObject& json, std::string& text);

    const char* name_;
    const char* usage_;
    CommandLine line_;
    std::map<std::string, std::vector<std::string>> lists_;
    CCryptoEx crypto_;
    bool wroteToStandardOutput_ = false;
};

// Writes a file whole with mode 0600: beside it first, then renamed over it.
bool WriteWhole(const std::string& path, const ByteString& bytes, std::string& error);

// A file of a certificate folder, whatever the case of its name (SignCert.der, signCert.der).
bool FindInFolder(const std::string& folder, const char* name, std::string& path);

// Options of the commands that use a certificate and its private key.
extern const std::set<std::string> kKeyPairOptions;

}  // namespace cms
