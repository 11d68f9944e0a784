// zorvane's commands run as a user runs them, on a generated yessign PKI whose CA publishes
// its CRL over HTTP. The toolkit's outputs are judged in tests/toolkit; here what the
// commands add: options, words, exit codes, files, JSON.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <tuple>

#include "support/TestPki.h"
#include "support/TestServices.h"
#include "support/TestSupport.h"
#include "support/ZorvaneProcess.h"

namespace {

using namespace zorvane::testsupport;
namespace fs = std::filesystem;

// The password files beside the PKI, by name; no output may ever show one of them.
const std::map<std::string, std::string> kSecrets = {
    {"password", "qwer1234!"}, {"new-password", "n3w-Secret#77"}, {"pfx-password", "pfx-Pass#42"},
    {"wrong-password", "not-it"}};
const std::string kContent = "Zorvane CMS test content\n\x01\x02\xff binary too";

// Two valid users and an expired, a not-yet-valid and a revoked one, their keys in PBES2
// files that openssl reads; the work folder holds IssuerOid.conf and links the toolkit.
zorvane::pkigen::Options StoreOptions(TempFolder& root, const ServiceProcess& http) {
    zorvane::pkigen::Options options = YessignPkiOptions(root / "home");
    options.work = root.MakeFolder("work");
    fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / "Quellark.dll", fs::path(options.work) / "Quellark.dll");
    options.count = 2;
    options.expired = options.notYetValid = options.revoked = 1;
    options.crlHttpBase = http.Url("http", "");
    options.scheme = qlk::keys::KeyFileScheme::Pbes2Seed;
    options.seed = 99;
    options.seedGiven = true;
    return options;
}

// Beside the PKI: the content, the password files, the first user's certificate as PEM,
// and trust folders (the root, garbage).
struct Stores {
    TempFolder root;
    ServiceProcess http{HttpFixture(root / "home/pkigen-ca")};
    zorvane::pkigen::Result pki = GeneratedPki(StoreOptions(root, http));

    Stores() {
        root.Write("drives", "C: " + pki.home + " fixed\n");
        root.Write("content.bin", kContent);
        for (const auto& [name, secret] : kSecrets) root.Write(name, secret + "\n");
        RunCommand("openssl x509 -inform DER -in " + Quoted(pki.users[0].signing.certPath) + " -out " +
                   Quoted(root / "cert.pem"));
        fs::copy_file(pki.roots.front().certificate.certPath, root.MakeFolder("trust") + "/root.der");
        root.Write("trust-garbage/bad.pem", "not a certificate");
    }
    const zorvane::pkigen::UserRecord& User(const std::string& validity = "valid") const {
        for (const auto& user : pki.users)
            if (user.validity == validity) return user;
        throw std::runtime_error("no user " + validity);
    }
    static const Stores& Get() {
        static const Stores made;
        return made;
    }
};

const Stores& Pki() { return Stores::Get(); }

// Shell words for the files beside the PKI, the users' folders and certificates.
std::string At(const std::string& name) { return Quoted(Pki().root / name); }
std::string Folder(std::size_t user) { return Quoted(Pki().pki.users[user].folder); }
std::string KmCert(std::size_t user) { return Quoted(Pki().pki.users[user].folder + "/kmCert.der"); }
std::string Cert(const std::string& validity = "valid") { return Quoted(Pki().User(validity).signing.certPath); }
std::string Work() { return " --work " + At("work"); }
std::string PasswordFile(const std::string& name = "password") { return " --password-file " + At(name); }

// Runs a command line with both output streams, in the PKI's home as drive C:.
Finished Zorvane(const std::string& arguments) {
    const CommandResult run = RunCommand("ZORVANE_DRIVE_TABLE=" + At("drives") + " timeout 60 " ZORVANE_TEST_WORK_DIR
                                         "/zorvane " + arguments + " 2>&1");
    return {WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1, run.output};
}

struct Row {
    std::string arguments;
    int exit;
    std::vector<std::string> words;  // what the output holds
};

// No output ever shows a password.
void ExpectRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        const Finished run = Zorvane(row.arguments);
        EXPECT_EQ(row.exit, run.exitCode) << row.arguments << "\n" << run.output;
        for (const std::string& words : row.words)
            EXPECT_NE(std::string::npos, run.output.find(words)) << row.arguments << "\n" << run.output;
        for (const auto& [name, secret] : kSecrets)
            EXPECT_EQ(std::string::npos, run.output.find(secret)) << row.arguments << "\n" << run.output;
    }
}

// What python3 prints of the JSON a command writes; arguments follow the script as sys.argv[1:].
std::string JsonView(const std::string& command, const std::string& print, const std::string& arguments = "") {
    return Zorvane(command + " | python3 -c 'import json,os,sys; a=sys.argv; d=json.load(sys.stdin); print(" + print +
                   ")'" + arguments)
        .output;
}

// inspect in JSON gives the serial, the validity in UTC and the key size as openssl reads
// them, whichever way the certificate is named; list gives the native paths.
TEST(InspectAndListCommands, JsonFieldsEqualOpenSslsAndRefusalsSayWhy) {
    const auto& user = Pki().User();
    // Serial, validity in UTC and key size as openssl reads them: "hex start end bits".
    const std::string expected =
        RunCommand("openssl x509 -inform DER -noout -serial -startdate -enddate -dateopt iso_8601 -in " + Cert() +
                   " | sed -e 's/^[a-zA-Z]*=//' -e 's/ /T/' | tr 'A-F\\n' 'a-f '; openssl x509 -inform DER " +
                   "-noout -text -in " + Cert() + " | sed -n 's/.*Public-Key: (\\([0-9]*\\) bit).*/\\1/p'")
            .output;
    ASSERT_EQ(4u, std::count(expected.begin(), expected.end(), ' ') + 1u) << expected;
    for (const std::string& named : {Cert(), "--serial " + user.signing.serial,
                                     "--out " + At("inspect.json") + " " + Cert() + " && cat " + At("inspect.json")})
        EXPECT_EQ(expected, JsonView("inspect --json" + Work() + " " + named,
                                     "d[\"serial\"], d[\"notBeforeUtc\"], d[\"notAfterUtc\"], d[\"publicKeyBits\"]"))
            << named;
    EXPECT_EQ("[True, True, True]\n",
              JsonView("list --json" + Work(),
                       "[os.path.samefile(c[k], p) for c in d[\"certificates\"] if c[\"serialNo\"] == a[1] for k, p in "
                       "zip((\"signCertFile\", \"signKeyFile\", \"kmKeyFile\"), a[2:])]",
                       " " + user.signing.serial + " " + Cert() + " " + Quoted(user.signing.keyPath) + " " +
                           Quoted(user.keyManagement.keyPath)));
    const std::string inspect = "inspect" + Work() + " ";
    ExpectRows({
        {inspect + At("cert.pem"), 0, {user.signing.subject, expected.substr(expected.find(' ') + 1, 20)}},
        {inspect + At("missing.der"), 3, {"cannot be opened"}},
        {inspect + At("drives"), 1, {"not a certificate"}},
        {inspect + "/dev/null", 3, {"not a regular file"}},
        {inspect + "--serial 00", 3, {"no listed certificate has the serial 00"}},
        {inspect, 2, {"give either one FILE or --serial HEX"}},
        {"list --drive E1", 2, {"bad value for --drive: E1"}},
    });
}

std::string CaCert() { return Quoted(Pki().pki.cas[0].certificate.certPath); }
std::string Trusted() { return " --trust " + At("trust") + " --intermediates " + CaCert(); }

TEST(VerifyCertCommand, ExitCodesNameTheVerdict) {
    const std::string verify = "verify-cert" + Work() + " ";
    const std::string valid = verify + Cert() + " ";
    const std::string crl = Trusted() + " --crl " + Quoted(Pki().pki.cas[0].crlPath);
    const auto& revoked = Pki().User("revoked").signing;
    ExpectRows({
        {valid + Trusted(), 0, {"verdict    good (0)"}},
        {valid + " --trust " + At("trust"), 3, {"verdict    not trusted: no path to a trusted certificate (1601)"}},
        {verify + Cert("expired") + Trusted(), 4, {"verdict    expired (1602)"}},
        {verify + Cert("revoked") + Trusted() + " --fetch-crls", 5,
         {"verdict    revoked (1604)", "subject    " + revoked.subject, "serial     " + revoked.serial,
          "issuer     " + revoked.issuer}},
        {valid + Trusted() + " --revocation leaf", 6, {"revocation unknown: no CRL (1605)"}},
        {valid + crl + " --at " + LocalTimeText(std::time(nullptr) + 8 * 86400), 6,
         {"revocation unknown: the CRL has expired (1606)"}},
        {valid + Trusted() + " --policy 1.2.3.4", 7, {"no acceptable policy (1607)"}},
        {valid + Trusted() + " --key-usage km", 7, {"the key usage does not allow this use (1609)"}},
        {verify + KmCert(0) + Trusted() + " --key-usage km", 0, {"verdict    good"}},
        {verify + At("drives") + Trusted(), 1, {"neither a DER nor a PEM X.509 certificate"}},
        {verify + "/dev/null" + Trusted(), 1, {"cannot read /dev/null"}},
        {valid + " --trust " + At("trust-garbage"), 1, {"bad.pem is not a certificate to trust (1614"}},
        {verify + Cert("revoked") + Trusted() + " --crl " + CaCert(), 1, {"is a certificate, not a CRL"}},
        {verify + "--serial 00 " + Trusted(), 1, {"no listed certificate has the serial 00"}},
        {valid, 2, {"--trust DIR is required\nusage: zorvane verify-cert"}},
        {valid + Trusted() + " --revocation sometimes", 2, {"--revocation is none, leaf or chain"}},
        {valid + Trusted() + " --at 2026", 2, {"--at needs 14 digits"}},
        {valid + Trusted() + " --at 20261301000000", 2, {"is not a valid local time"}},
        {valid + " --serial 01" + Trusted(), 2, {"give either FILE or --serial HEX"}},
    });
}

Finished Sign(std::size_t user, const std::string& flags, const std::string& out) {
    return Zorvane("sign --folder " + Folder(user) + PasswordFile() + " --out " + At(out) + flags + " " +
                   At("content.bin"));
}

// What openssl cms writes with -out, or "(openssl failed)".
std::string OpenSslCms(const std::string& arguments, const std::string& out) {
    const CommandResult run = RunCommand("openssl cms " + arguments + " -out " + At(out) + " 2>&1");
    return run.status == 0 ? ReadText(Pki().root / out) : "(openssl failed) " + run.output;
}

// The flags make the forms: only a message signed with its attributes tells its signing
// time, and --pem writes PEM. A detached one needs its content (see the failures).
TEST(CmsCommand, EachFormIsVerifiedByZorvane) {
    int made = 0;
    for (const std::string flags : {"", " --no-attributes", " --detached", " --pem"}) {
        SCOPED_TRACE(flags);
        const std::string message = "form" + std::to_string(++made) + ".p7s";
        ASSERT_EQ(0, Sign(0, flags, message).exitCode);
        EXPECT_EQ(flags == " --pem", ReadText(Pki().root / message).rfind("-----BEGIN", 0) == 0);
        const std::string content = flags == " --detached" ? "--content " + At("content.bin") : "";
        const Finished verified = Zorvane("verify " + content + " " + At(message));
        EXPECT_EQ(0, verified.exitCode) << verified.output;
        EXPECT_NE(std::string::npos, verified.output.find("valid: 1 signer")) << verified.output;
        EXPECT_NE(std::string::npos, verified.output.find(Pki().pki.users[0].signing.subject)) << verified.output;
        const bool dated = flags != " --no-attributes";
        EXPECT_EQ(dated, verified.output.find("no signing time") == std::string::npos) << verified.output;
    }
}

// Enveloped to both users in each cipher: openssl names the cipher and decrypts for the
// second user with the PBES2 key file, zorvane opens it for the first.
TEST(CmsCommand, EachCipherOpensForEachRecipient) {
    const std::pair<const char*, const char*> kCiphers[] = {{"seed", "seed-cbc"},    {"aria128", "aria-128-cbc"},
                                                            {"aria256", "aria-256-cbc"}, {"aes128", "aes-128-cbc"},
                                                            {"3des", "des-ede3-cbc"},  {"48", "seed-cbc"}};
    for (const auto& [option, openSslName] : kCiphers) {
        SCOPED_TRACE(option);
        const std::string message = std::string("envelope-") + option + ".p7e";
        ASSERT_EQ(0, Zorvane("envelope --to " + KmCert(0) + " --to " + KmCert(1) + " --cipher " + option + " --out " +
                             At(message) + " " + At("content.bin"))
                         .exitCode);
        const std::string in = " -inform DER -in " + At(message) + kOpenSslProviders;
        EXPECT_NE(std::string::npos, OpenSslCms("-cmsout -print" + in, message + ".txt").find(openSslName));
        EXPECT_EQ(kContent, OpenSslCms("-decrypt" + in + " -recip " + KmCert(1) + " -inkey " +
                                           Quoted(Pki().pki.users[1].keyManagement.keyPath) +
                                           " -keyform DER -passin file:" + At("password"),
                                       message + ".out"));
        EXPECT_EQ(kContent, Zorvane("open --km --folder " + Folder(0) + PasswordFile() + " " + At(message)).output);
    }
}

// Beside a good message, one with a second signer, one signed with the password and the
// content sharing standard input, and a sealed one, the signed one with its last byte
// (inside the signature) flipped, and one signed detached. Failures exit with their code
// and say why; --json gives each command's fields.
TEST(Commands, FailuresSayWhyAndJsonGivesTheFields) {
    ASSERT_EQ(0, Sign(0, "", "good.p7s").exitCode);
    ASSERT_EQ(0, Sign(0, " --detached", "loose.p7s").exitCode);
    ASSERT_EQ(0, Sign(1, " --add-to " + At("good.p7s"), "two.p7s").exitCode);
    const std::string input = Pki().root.Write("stdin", kSecrets.at("password") + "\n" + kContent);
    ASSERT_EQ(0, Zorvane("sign --folder " + Folder(0) + " --password-fd 0 --out " + At("stdin.p7s") + " - <" +
                         Quoted(input))
                     .exitCode);
    const std::string sealed = " " + At("sealed.p7e");
    ASSERT_EQ(0, Zorvane("envelope --to " + KmCert(0) + " --out" + sealed + " " + At("content.bin")).exitCode);
    std::string bytes = ReadText(Pki().root / "good.p7s");
    bytes.back() = static_cast<char>(bytes.back() ^ 0x01);
    Pki().root.Write("flipped.p7s", bytes);
    ExpectRows({
        {"verify --out - " + At("stdin.p7s"), 0, {kContent}},
        {"msg parse --tag DATA <" + Quoted(Pki().root.Write("bad", "<DATA>!!!</DATA>")), 1,
         {"the text between the tags is not Base64 (code 2015)"}},
        {"verify " + At("flipped.p7s"), 1,
         {"changed after signing, or --content is not the content that was signed.\n  toolkit code 4002"}},
        {"verify " + At("loose.p7s"), 1, {"--content FILE.\n  toolkit code 4010"}},
        {"verify" + sealed, 1, {"verify reads signed messages"}},
        {"open --folder " + Folder(1) + " --km" + PasswordFile() + sealed, 1, {"not addressed to this certificate"}},
        {"open --folder " + Folder(0) + " --km" + PasswordFile("wrong-password") + sealed, 5,
         {"the password is wrong; try again"}},
        {"envelope --to a --to-list b", 2, {"--to-list"}},
        {"sign --key k " + At("content.bin"), 2, {"both --cert"}},
        {"sign --folder " + Folder(0) + PasswordFile("absent") + " " + At("content.bin"), 3,
         {"the password cannot be read"}},
        {"open --cert c --key k --km" + sealed, 2, {"--km goes with --folder"}},
        {"sign --folder " + Folder(0) + " --pin-fd 0 " + At("content.bin"), 2, {"--pin-fd goes with --module"}},
    });
    const std::tuple<std::string, std::string, std::string> kRows[] = {
        {"sign --folder " + Folder(0) + PasswordFile() + " " + At("content.bin"), "d[\"signedAttributes\"]", "True"},
        {"verify " + At("two.p7s"), "d[\"signerCount\"]", "2"},
        {"verify " + At("flipped.p7s"), "d[\"ok\"]", "False"},
        {"envelope --to " + KmCert(1) + " " + At("content.bin"), "d[\"cipher\"]", "48"},
        {"open --folder " + Folder(0) + " --km" + PasswordFile() + " " + At("sealed.p7e"), "d[\"contentBytes\"]",
         std::to_string(kContent.size())},
        {"verify-cert --serial " + Pki().User().signing.serial + Trusted() + Work(),
         "d[\"verdict\"], d[\"code\"], d[\"exit\"], d[\"serial\"], len(d[\"path\"]), d[\"path\"][0] == d[\"subject\"], "
         "d[\"path\"][1] == d[\"issuer\"]",
         "good 0 0 " + Pki().User().signing.serial + " 3 True True"},
    };
    for (const auto& [command, fields, expected] : kRows)
        EXPECT_EQ(expected + "\n", JsonView(command + " --json", fields)) << command;
}

// The exit code of signing with the first user's certificate and KEY.
int SignWith(const std::string& key, const std::string& passwordFile) {
    return Zorvane("sign --cert " + Cert() + " --key " + Quoted(key) + PasswordFile(passwordFile) + " --out " +
                   At("passwd.p7s") + " " + Cert())
        .exitCode;
}

// A copy of the first user's key file changed from password files. A file name that leaves
// no room for the temporary file's suffix makes the replacement fail, even for root.
TEST(PasswdCommand, ChangesWholeOrNotAtAll) {
    const std::tuple<std::string, std::string, int, std::string> kRows[] = {
        {"signPri.key", "password", 0, "is changed"},
        {std::string(250, 'k'), "password", 3, "cannot be replaced"},
    };
    const std::vector<unsigned char> before = ReadBytes(Pki().User().signing.keyPath);
    for (const auto& [name, oldPasswordFile, exit, words] : kRows) {
        SCOPED_TRACE(words);
        TempFolder scratch;
        const std::string key = scratch / name;
        fs::copy_file(Pki().User().signing.keyPath, key);
        ExpectRows({{"passwd --key " + Quoted(key) + " --old-password-file " + At(oldPasswordFile) +
                         " --new-password-file " + At("new-password"),
                     exit, {words}}});
        EXPECT_EQ(exit == 0, ReadBytes(key) != before);
        EXPECT_EQ(1u, std::distance(fs::directory_iterator(scratch.Path()), fs::directory_iterator{}));
        EXPECT_TRUE(exit != 0 || ModeOf(key) == 0600u) << std::oct << ModeOf(key);
        EXPECT_EQ(exit == 0 ? 0 : 5, SignWith(key, "new-password"));
    }
}

// The demo runs from a copy of the program beside links to the build's libraries and
// generator, so that its sandbox and IssuerOid.conf stay out of the shared work folder.
TEST(DemoCommand, RunsEveryStepAndRemovesItsSandbox) {
    TempFolder work;
    for (const char* file : {"Quellark.dll", "gpkiapi.dll", "NpkiCard.dll", "zorvane-pkigen"})
        fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / file, work / file);
    fs::copy_file(fs::path(ZORVANE_TEST_WORK_DIR) / "zorvane", work / "zorvane");
    const CommandResult run = RunCommand("timeout 300 " + Quoted(work / "zorvane") + " demo 2>&1");
    EXPECT_EQ(0, run.status) << run.output;
    // A failed step stops the demo with its code; the last step's words show that all ran.
    EXPECT_NE(std::string::npos, run.output.find("the child read the message whole; its content: site=demo"))
        << run.output;
    EXPECT_FALSE(fs::exists(work / "demo"));
}

// export-pfx and import-pfx: the first user's folder to a private PFX, back into a new
// folder whose key signs, and the refusals.
TEST(PfxCommand, ExportThenImportMakesPrivateFilesThatSign) {
    TempFolder scratch;
    const std::string passwords = PasswordFile() + " --pfx-password-file " + At("pfx-password") + Work();
    const std::string pfx = Quoted(scratch / "user.p12");
    const std::string folder = scratch / "imported/user";
    ASSERT_EQ(0, Zorvane("export-pfx --folder " + Folder(0) + " --out " + pfx + passwords).exitCode);
    EXPECT_EQ(0600u, ModeOf(scratch / "user.p12"));
    ExpectRows({{"import-pfx " + pfx + " --folder " + Quoted(folder) + " --json --pfx-password-file " +
                     At("pfx-password") + PasswordFile("new-password") + Work(),
                 0, {"\"pairs\": 2"}}});
    EXPECT_EQ(0700u, ModeOf(folder));
    EXPECT_EQ(0600u, ModeOf(folder + "/signPri.key"));
    EXPECT_EQ(0600u, ModeOf(folder + "/kmPri.key"));
    EXPECT_EQ(ReadBytes(Pki().User().signing.certPath), ReadBytes(folder + "/signCert.der"));
    EXPECT_EQ(0, SignWith(folder + "/signPri.key", "new-password"));
    // Exported from within the folder, the PFX is named for no folder.
    const std::string copy = scratch.MakeFolder("copy");
    fs::copy(Pki().pki.users[0].folder, copy);
    const CommandResult inside =
        RunCommand("cd " + Quoted(copy) + " && " ZORVANE_TEST_WORK_DIR "/zorvane export-pfx --folder ." + passwords);
    EXPECT_EQ(0, inside.status) << inside.output;
    EXPECT_TRUE(fs::exists(copy + "/certificate.p12"));
    const std::string other = Quoted(scratch / "other");
    const std::string wrong = PasswordFile("wrong-password") + " --pfx-password-file " + At("wrong-password") + Work();
    ExpectRows({
        {"import-pfx " + pfx + " --folder " + other + wrong, 5, {"the PFX password is wrong"}},
        {"import-pfx " + pfx + " --folder " + Folder(0) + passwords, 3, {"already exists; give --force"}},
        {"export-pfx --folder " + Folder(0) + " --out " + pfx + passwords, 3, {"already exists; give --force"}},
        {"import-pfx " + Cert() + " --folder " + other + passwords, 1, {"not a PKCS#12"}},
        {"export-pfx --folder " + Quoted(scratch.Path()) + passwords, 3, {"holds no signCert.der"}},
        {"import-pfx --folder " + other + passwords, 2, {"give one FILE.p12"}},
        {"export-pfx " + Folder(0) + passwords, 2, {"give --folder"}},
    });
    EXPECT_FALSE(fs::exists(scratch / "other"));
}

}  // namespace
