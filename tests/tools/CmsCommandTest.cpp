// zorvane sign, verify, envelope and open, run as a user runs them on a generated PKI,
// with openssl cms as the independent judge of what they write.

#include <gtest/gtest.h>
#include <zorvane/CryptoEx.h>

#include <algorithm>
#include <stdexcept>

#include "support/TestSupport.h"
#include "support/ZorvaneProcess.h"
#include "support/TestPki.h"

namespace {

using namespace zorvane::testsupport;
namespace pkigen = zorvane::pkigen;

const std::string kPassword = "qwer1234!";
const std::string kContent = "Zorvane CMS test content\n\x01\x02\xff binary too";

// Two yessign users; beside them the content, a password file, and each user's
// decrypted key-management key as DER for openssl. Made once per test program.
pkigen::Options TwoUsers(const std::string& home) {
    pkigen::Options options = YessignPkiOptions(home);
    options.count = 2;
    options.seed = 99;
    options.seedGiven = true;
    return options;
}

struct CmsPki {
    TempFolder root;
    pkigen::Result pki = GeneratedPki(TwoUsers(root / "home"));

    CmsPki() {
        root.Write("content.bin", kContent);
        root.Write("password", kPassword + "\n");
        for (int user = 0; user < 2; ++user) WriteDecryptedKmKey(user);
    }
    void WriteDecryptedKmKey(int user) {
        CCryptoEx crypto;
        ByteString password(kPassword.c_str()), encrypted, key;
        crypto.Init(1, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR));
        encrypted.LoadFile(pki.users[static_cast<std::size_t>(user)].keyManagement.keyPath.c_str());
        if (crypto.PriKeyDecrypt(password, encrypted, key) != 0) throw std::runtime_error("km key not decrypted");
        WriteBytes(File("km" + std::to_string(user) + ".der"), key.GetData(), static_cast<std::size_t>(key.length));
    }
    std::string Folder(int user) const { return pki.users[static_cast<std::size_t>(user)].folder; }
    std::string File(const std::string& name) const { return root / name; }
    static const CmsPki& Get() {
        static const CmsPki made;
        return made;
    }
};

const CmsPki& Pki() { return CmsPki::Get(); }
std::string Scratch(const std::string& name) { return Pki().File(name); }

// The key file's password always comes on standard input through --password-fd 0.
Finished WithPassword(std::vector<std::string> args, const std::string& password = kPassword) {
    args.insert(args.end(), {"--password-fd", "0"});
    return RunZorvane(args, password + "\n");
}

Finished Sign(int user, std::vector<std::string> extra, const std::string& out) {
    std::vector<std::string> args = {"sign", "--folder", Pki().Folder(user), "--out", Scratch(out)};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(Scratch("content.bin"));
    return WithPassword(args);
}

Finished Envelope(int user, const std::string& cipher, const std::string& out) {
    return RunZorvane({"envelope", "--to", Pki().Folder(user) + "/kmCert.der", "--cipher", cipher, "--out",
                       Scratch(out), Scratch("content.bin")});
}

// What openssl writes with -out, or "(openssl failed)".
std::string OpenSslOutput(const std::string& arguments, const std::string& out) {
    const CommandResult run = RunCommand("openssl cms " + arguments + " -out " + Quoted(Scratch(out)) + " 2>&1");
    return run.status == 0 ? ReadText(Scratch(out)) : "(openssl failed) " + run.output;
}

struct SignCase {
    const char* name;
    std::vector<std::string> flags;
    bool detached;
    const char* form;
};

void PrintTo(const SignCase& row, std::ostream* out) { *out << row.name; }

class SignTable : public ::testing::TestWithParam<SignCase> {};

TEST_P(SignTable, OpenSslVerifiesAndSoDoesZorvane) {
    const SignCase& row = GetParam();
    const std::string message = std::string(row.name) + ".p7s";
    const Finished signing = Sign(0, row.flags, message);
    ASSERT_EQ(0, signing.exitCode) << signing.output;
    const std::string content = row.detached ? " -content " + Quoted(Scratch("content.bin")) : "";
    EXPECT_EQ(kContent, OpenSslOutput("-verify -noverify -binary -inform " + std::string(row.form) + " -in " +
                                          Quoted(Scratch(message)) + content,
                                      message + ".out"));
    std::vector<std::string> verify = {"verify", Scratch(message)};
    if (row.detached) verify.insert(verify.begin() + 1, {"--content", Scratch("content.bin")});
    const Finished verified = RunZorvane(verify);
    EXPECT_EQ(0, verified.exitCode) << verified.output;
    EXPECT_NE(std::string::npos, verified.output.find("valid: 1 signer")) << verified.output;
    EXPECT_NE(std::string::npos, verified.output.find(Pki().pki.users[0].signing.subject)) << verified.output;
    const bool dated = std::find(row.flags.begin(), row.flags.end(), "--no-attributes") == row.flags.end();
    EXPECT_EQ(dated, verified.output.find("no signing time") == std::string::npos) << verified.output;
}

INSTANTIATE_TEST_SUITE_P(Forms, SignTable,
                         ::testing::Values(SignCase{"attached", {}, false, "DER"},
                                           SignCase{"plain", {"--no-attributes"}, false, "DER"},
                                           SignCase{"detached", {"--detached"}, true, "DER"},
                                           SignCase{"detachedPlain", {"--detached", "--no-attributes"}, true, "DER"},
                                           SignCase{"pem", {"--pem"}, false, "PEM"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CmsCommand, AddedSignerMakesTwoThatOpenSslAndZorvaneAccept) {
    ASSERT_EQ(0, Sign(0, {}, "one.p7s").exitCode);
    const Finished added = Sign(1, {"--add-to", Scratch("one.p7s")}, "two.p7s");
    ASSERT_EQ(0, added.exitCode) << added.output;
    EXPECT_EQ(kContent, OpenSslOutput("-verify -noverify -binary -inform DER -in " + Quoted(Scratch("two.p7s")),
                                      "two.out"));
    const Finished verified = RunZorvane({"verify", Scratch("two.p7s")});
    EXPECT_NE(std::string::npos, verified.output.find("valid: 2 signers")) << verified.output;
    EXPECT_NE(std::string::npos, verified.output.find(Pki().pki.users[1].signing.subject)) << verified.output;
}

struct CipherCase {
    const char* option;
    const char* openSslName;  // as openssl cms -cmsout -print names the content cipher
};

void PrintTo(const CipherCase& row, std::ostream* out) { *out << row.option; }

class CipherTable : public ::testing::TestWithParam<CipherCase> {};

TEST_P(CipherTable, OpenSslDecryptsAndZorvaneOpens) {
    const std::string message = std::string("envelope-") + GetParam().option + ".p7e";
    const Finished made = Envelope(1, GetParam().option, message);
    ASSERT_EQ(0, made.exitCode) << made.output;
    const std::string in = " -inform DER -in " + Quoted(Scratch(message)) + kOpenSslProviders;
    EXPECT_NE(std::string::npos, OpenSslOutput("-cmsout -print" + in, message + ".txt").find(GetParam().openSslName));
    EXPECT_EQ(kContent, OpenSslOutput("-decrypt" + in + " -recip " + Quoted(Pki().Folder(1) + "/kmCert.der") +
                                          " -inkey " + Quoted(Scratch("km1.der")) + " -keyform DER",
                                      message + ".out"));
    const Finished opened = WithPassword({"open", "--folder", Pki().Folder(1), "--km", Scratch(message)});
    EXPECT_EQ(0, opened.exitCode);
    EXPECT_EQ(kContent, opened.output);
}

INSTANTIATE_TEST_SUITE_P(Ciphers, CipherTable,
                         ::testing::Values(CipherCase{"seed", "seed-cbc"}, CipherCase{"aria128", "aria-128-cbc"},
                                           CipherCase{"aria256", "aria-256-cbc"}, CipherCase{"aes128", "aes-128-cbc"},
                                           CipherCase{"3des", "des-ede3-cbc"}, CipherCase{"48", "seed-cbc"}),
                         [](const auto& info) { return std::string(info.param.option); });

TEST(CmsCommand, RecipientListOpensForEachRecipient) {
    std::string certificates;
    for (int user = 0; user < 2; ++user) {
        const std::string pem = Scratch("km" + std::to_string(user) + ".pem");
        RunCommand("openssl x509 -inform DER -in " + Quoted(Pki().Folder(user) + "/kmCert.der") + " -out " + Quoted(pem));
        certificates += " -certfile " + Quoted(pem);
    }
    ASSERT_EQ(0, RunCommand("openssl crl2pkcs7 -nocrl -outform DER" + certificates + " -out " +
                            Quoted(Scratch("list.p7b"))).status);
    // A list made beforehand, or one --to for each recipient.
    const std::vector<std::string> kRecipients[] = {
        {"--to-list", Scratch("list.p7b")},
        {"--to", Pki().Folder(0) + "/kmCert.der", "--to", Pki().Folder(1) + "/kmCert.der"}};
    for (std::vector<std::string> arguments : kRecipients) {
        arguments.insert(arguments.begin(), "envelope");
        arguments.insert(arguments.end(), {"--out", Scratch("both.p7e"), Scratch("content.bin")});
        const Finished made = RunZorvane(arguments);
        ASSERT_EQ(0, made.exitCode) << made.output;
        for (int user = 0; user < 2; ++user)
            EXPECT_EQ(kContent,
                      WithPassword({"open", "--folder", Pki().Folder(user), "--km", Scratch("both.p7e")}).output);
    }
}

// With --password-fd 0 the password is the first line of standard input and the content follows.
TEST(CmsCommand, PasswordAndContentShareStandardInput) {
    const Finished signing = RunZorvane({"sign", "--folder", Pki().Folder(0), "--password-fd", "0", "--out",
                                         Scratch("stdin.p7s"), "-"},
                                        kPassword + "\n" + kContent);
    ASSERT_EQ(0, signing.exitCode) << signing.output;
    EXPECT_EQ(kContent, RunZorvane({"verify", "--out", "-", Scratch("stdin.p7s")}).output);
}

// Damaged messages made once: the signed one with its last byte (inside the signature)
// flipped, and cut short.
void MakeBrokenMessages() {
    static const bool made = [] {
        Sign(0, {}, "good.p7s");
        Sign(0, {"--detached"}, "loose.p7s");
        Envelope(0, "seed", "sealed.p7e");
        std::string bytes = ReadText(Scratch("good.p7s"));
        if (bytes.empty()) return false;  // signing failed: the table rows then fail on their own
        Pki().root.Write("truncated.p7s", bytes.substr(0, bytes.size() / 2));
        bytes.back() = static_cast<char>(bytes.back() ^ 0x01);
        Pki().root.Write("flipped.p7s", bytes);
        return true;
    }();
    (void)made;
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;  // expanded by Expand
    const char* password;           // given on --password-fd 0 when not null
    int exitCode;
    const char* words;              // what the user is told, with the toolkit's code
};

void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.name; }

// "@NAME" becomes a file of the scratch folder, "#N" user N's folder (then the rest).
std::vector<std::string> Expand(const std::vector<std::string>& args) {
    std::vector<std::string> expanded;
    for (const std::string& arg : args) {
        if (arg[0] == '@') expanded.push_back(Scratch(arg.substr(1)));
        else if (arg[0] == '#') expanded.push_back(Pki().Folder(arg[1] - '0') + arg.substr(2));
        else expanded.push_back(arg);
    }
    return expanded;
}

class FailureTable : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTable, ExitsWithTheDocumentedCodeAndSaysWhy) {
    MakeBrokenMessages();
    const std::vector<std::string> args = Expand(GetParam().args);
    const Finished run = GetParam().password ? WithPassword(args, GetParam().password) : RunZorvane(args);
    EXPECT_EQ(GetParam().exitCode, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find(GetParam().words)) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find(GetParam().password ? GetParam().password : kPassword)) << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureTable,
    ::testing::Values(
        FailureCase{"flipped", {"verify", "@flipped.p7s"}, nullptr, 1, "changed after signing, or --content is not "
                                                                         "the content that was signed.\n  toolkit code 4002"},
        FailureCase{"truncated", {"verify", "@truncated.p7s"}, nullptr, 1, "code 4001"},
        FailureCase{"noContent", {"verify", "@loose.p7s"}, nullptr, 1, "--content FILE.\n  toolkit code 4010"},
        FailureCase{"notSigned", {"verify", "@sealed.p7e"}, nullptr, 1, "verify reads signed messages"},
        FailureCase{"notRecipient", {"open", "--folder", "#1", "--km", "@sealed.p7e"}, kPassword.c_str(), 1,
                    "not addressed to this certificate"},
        FailureCase{"signingPair", {"open", "--folder", "#0", "@sealed.p7e"}, kPassword.c_str(), 1, "code 4003"},
        FailureCase{"wrongPassword", {"open", "--folder", "#0", "--km", "@sealed.p7e"}, "qwer1234?", 5,
                    "the password is wrong; try again"},
        FailureCase{"missingFile", {"verify", "@absent.p7s"}, nullptr, 3, "absent.p7s cannot be opened"},
        FailureCase{"folderNotFile", {"envelope", "--to", "@home", "@content.bin"}, nullptr, 3, "not a regular file"},
        FailureCase{"toAndList", {"envelope", "--to", "a", "--to-list", "b"}, nullptr, 2, "--to-list"},
        FailureCase{"keyWithoutCert", {"sign", "--key", "k", "@content.bin"}, nullptr, 2, "both --cert"},
        FailureCase{"noPasswordFile", {"sign", "--folder", "#0", "--password-file", "@absent", "@content.bin"},
                    nullptr, 3, "the password cannot be read"},
        FailureCase{"passwdOut", {"passwd", "--out", "@x", "--key", "#0/signPri.key"}, nullptr, 2, "unknown option --out"},
        FailureCase{"kmWithoutFolder", {"open", "--cert", "c", "--key", "k", "--km", "@sealed.p7e"}, nullptr, 2,
                    "--km goes with --folder"},
        FailureCase{"pinWithoutModule", {"sign", "--folder", "#0", "--pin-fd", "0", "@content.bin"}, nullptr, 2,
                    "--pin-fd goes with --module"}),
    [](const auto& info) { return std::string(info.param.name); });

// The password travels through a pipe: the running program's command line and
// environment, which ps shows to every user, never hold it.
TEST(CmsCommand, PasswordNeverReachesTheProcessList) {
    int in[2], out[2];
    ASSERT_EQ(0, pipe2(in, O_CLOEXEC));
    ASSERT_EQ(0, pipe2(out, O_CLOEXEC));
    const pid_t pid = SpawnZorvane({"sign", "--folder", Pki().Folder(0), "--password-fd", "0", "--out",
                                    Scratch("ps.p7s"), Scratch("content.bin")},
                                   in[0], out[1]);
    close(in[0]);
    close(out[1]);
    const std::string proc = "/proc/" + std::to_string(pid);
    std::string commandLine;
    for (int wait = 0; wait < 200 && commandLine.find("--password-fd") == std::string::npos; ++wait) {
        usleep(10000);  // until the child has run exec; it then waits for the password
        commandLine = ReadText(proc + "/cmdline");
    }
    const std::string environment = ReadText(proc + "/environ");
    ASSERT_NE(std::string::npos, commandLine.find("--password-fd"));
    EXPECT_EQ(std::string::npos, commandLine.find(kPassword));
    EXPECT_EQ(std::string::npos, environment.find(kPassword));
    ASSERT_EQ(static_cast<ssize_t>(kPassword.size() + 1), write(in[1], (kPassword + "\n").data(), kPassword.size() + 1));
    close(in[1]);
    const std::string output = ReadAll(out[0]);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(0, WEXITSTATUS(status)) << output;
}

struct JsonCase {
    const char* name;
    std::vector<std::string> args;  // as in FailureCase
    const char* field;              // printed by python3 from the parsed object
    std::string value;
};

void PrintTo(const JsonCase& row, std::ostream* out) { *out << row.name; }

class JsonTable : public ::testing::TestWithParam<JsonCase> {};

TEST_P(JsonTable, ParsesAsJson) {
    MakeBrokenMessages();
    std::string command = Quoted(ZorvaneProgram());
    for (const std::string& word : Expand(GetParam().args)) command += " " + Quoted(word);
    const std::string python = "import json,sys; print(json.load(sys.stdin)[\"" + std::string(GetParam().field) + "\"])";
    const CommandResult run = RunCommand(command + " --json 2>/dev/null | python3 -c " + Quoted(python));
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(GetParam().value, TrimEnd(run.output));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, JsonTable,
    ::testing::Values(
        JsonCase{"sign", {"sign", "--folder", "#0", "--password-file", "@password", "@content.bin"},
                 "signedAttributes", "True"},
        JsonCase{"verify", {"verify", "@good.p7s"}, "signerCount", "1"},
        JsonCase{"verifyFailure", {"verify", "@flipped.p7s"}, "ok", "False"},
        JsonCase{"envelope", {"envelope", "--to", "#1/kmCert.der", "@content.bin"}, "cipher", "48"},
        JsonCase{"open", {"open", "--folder", "#0", "--km", "--password-file", "@password", "@sealed.p7e"},
                 "contentBytes", std::to_string(kContent.size())}),
    [](const auto& info) { return std::string(info.param.name); });

class HelpTable : public ::testing::TestWithParam<const char*> {};

TEST_P(HelpTable, UsageOnStandardOutputAndExitZero) {
    const Finished help = RunZorvane({GetParam(), "--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_EQ(0u, help.output.find("usage: zorvane " + std::string(GetParam()) + " ")) << help.output;
}

// demo's usage explains the tour instead of running it.
INSTANTIATE_TEST_SUITE_P(Commands, HelpTable,
                         ::testing::Values("sign", "verify", "envelope", "open", "demo", "kdf", "msg", "mmf", "passwd"));

}  // namespace
