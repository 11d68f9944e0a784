// zorvane inspect, list --json, passwd, msg, export-pfx and import-pfx run as a user runs
// them on a generated PKI: fields against openssl x509, JSON read back by python3, a key
// file changed only whole, a PFX that openssl pkcs12 reads and that imports into a folder
// that signs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "support/TestSupport.h"
#include "support/ZorvaneProcess.h"
#include "support/TestPki.h"

namespace {

using namespace zorvane::testsupport;
namespace fs = std::filesystem;

const std::string kPassword = "qwer1234!";
const std::string kNewPassword = "n3w-Secret#77";

// The work folder holds the generated IssuerOid.conf beside a link to the build's toolkit.
zorvane::pkigen::Options StoreOptions(TempFolder& root) {
    zorvane::pkigen::Options options = YessignPkiOptions(root / "home");
    options.work = root.MakeFolder("work");
    fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / "Quellark.dll", fs::path(options.work) / "Quellark.dll");
    return options;
}

struct Stores {
    TempFolder root;
    zorvane::pkigen::Result pki = GeneratedPki(StoreOptions(root));

    Stores() {
        root.Write("drives", "C: " + pki.home + " fixed\n");
        RunCommand("openssl x509 -inform DER -in " + Quoted(Cert()) + " -out " + Quoted(root / "cert.pem"));
    }
    const zorvane::pkigen::UserRecord& User() const { return pki.users.front(); }
    std::string Cert() const { return User().signing.certPath; }
    static const Stores& Get() {
        static const Stores made;
        return made;
    }
};

const Stores& Pki() { return Stores::Get(); }

Finished Zorvane(const std::string& arguments) {
    const CommandResult run = RunCommand("ZORVANE_DRIVE_TABLE=" + Quoted(Pki().root / "drives") +
                                         " timeout 60 " ZORVANE_TEST_WORK_DIR "/zorvane " + arguments);
    return {WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1, run.output};
}

std::string Work() { return " --work " + Quoted(Pki().root / "work"); }

// Serial, validity in UTC and key size as openssl reads them: "hex start end bits".
std::string OpenSslView(const std::string& cert) {
    return RunCommand("openssl x509 -inform DER -noout -serial -startdate -enddate -dateopt iso_8601 -in " +
                      Quoted(cert) + " | sed -e 's/^[a-zA-Z]*=//' -e 's/ /T/' | tr 'A-F\\n' 'a-f '; " +
                      "openssl x509 -inform DER -noout -text -in " + Quoted(cert) +
                      " | sed -n 's/.*Public-Key: (\\([0-9]*\\) bit).*/\\1/p'")
        .output;
}

// The same fields out of a JSON object that python3's json module accepts; arguments follow
// the script as sys.argv[1:].
std::string JsonView(const std::string& command, const std::string& select, const std::string& arguments = "") {
    return Zorvane(command + " | python3 -c 'import json,os,sys; a=sys.argv; d=json.load(sys.stdin); " + select +
                   "'" + arguments)
        .output;
}

const char kInspectFields[] = "print(d[\"serial\"], d[\"notBeforeUtc\"], d[\"notAfterUtc\"], d[\"publicKeyBits\"])";

TEST(InspectCommand, FieldsEqualOpenSslWhicheverWayTheCertificateIsNamed) {
    const std::string expected = OpenSslView(Pki().Cert());
    ASSERT_EQ(4u, std::count(expected.begin(), expected.end(), ' ') + 1u) << expected;
    for (const std::string& named :
         {Quoted(Pki().Cert()), Quoted(Pki().root / "cert.pem"), "--serial " + Pki().User().signing.serial}) {
        EXPECT_EQ(expected, JsonView("inspect --json" + Work() + " " + named, kInspectFields)) << named;
        const Finished text = Zorvane("inspect" + Work() + " " + named);
        EXPECT_EQ(0, text.exitCode) << named;
        EXPECT_NE(std::string::npos, text.output.find(Pki().User().signing.subject)) << text.output;
        EXPECT_NE(std::string::npos, text.output.find(expected.substr(expected.find(' ') + 1, 20))) << text.output;
    }
    const std::string out = Pki().root / "inspect.json";
    EXPECT_EQ(expected, JsonView("inspect --json --out " + Quoted(out) + Work() + " " + Quoted(Pki().Cert()) +
                                     " && cat " + Quoted(out), kInspectFields));
}

TEST(InspectCommand, FailuresSayWhatAndExitWithTheirCode) {
    const std::tuple<std::string, int, std::string> kRows[] = {
        {Quoted(Pki().root / "missing.der"), 3, "cannot be opened"},
        {Quoted(Pki().root / "drives"), 1, "not a certificate"},
        {"/dev/null", 3, "not a regular file"},
        {"--serial 00", 3, "no listed certificate has the serial 00"},
        {"", 2, "give either one FILE or --serial HEX"},
        {Quoted(Pki().Cert()) + " --serial 01", 2, "give either"},
        {"--help", 0, "usage: zorvane inspect"},
    };
    for (const auto& [arguments, exit, words] : kRows) {
        const Finished run = Zorvane("inspect" + Work() + " " + arguments + " 2>&1");
        EXPECT_EQ(exit, run.exitCode) << arguments << "\n" << run.output;
        EXPECT_NE(std::string::npos, run.output.find(words)) << arguments << "\n" << run.output;
    }
}

const char kListFields[] =
    "c=[r for r in d[\"certificates\"] if r[\"serialNo\"]==a[1]][0]; print(c[\"serialNo\"], c[\"notBeforeUtc\"], "
    "c[\"notAfterUtc\"], *[os.path.samefile(c[k], p) for k, p in zip((\"signCertFile\", \"signKeyFile\", "
    "\"kmKeyFile\"), a[2:])])";

TEST(ListCommand, JsonCarriesUtcTimesAndNativePaths) {
    const auto& user = Pki().User();
    const std::string view = JsonView("list --json" + Work(), kListFields,
                                      " " + user.signing.serial + " " + Quoted(Pki().Cert()) + " " +
                                          Quoted(user.signing.keyPath) + " " + Quoted(user.keyManagement.keyPath));
    const std::string expected = OpenSslView(Pki().Cert());
    EXPECT_EQ(expected.substr(0, expected.rfind(' ') + 1) + "True True True\n", view);
}

TEST(MsgCommand, FailuresNameTheirMeaningAndCode) {
    const std::tuple<std::string, std::string, std::string> kRows[] = {
        {"msg parse --tag DATA", "abc", "the opening tag named by --tag is not in the input; check --tag (code 501)"},
        {"msg parse --tag DATA", "<DATA>abc", "the closing tag named by --tag is not in the input; the message is cut"},
        {"msg parse --tag DATA", "<DATA>!!!</DATA>", "the text between the tags is not Base64 (code 2015)"},
    };
    for (const auto& [arguments, input, words] : kRows) {
        const Finished run = Zorvane(arguments + " 2>&1 <<'EOF'\n" + input + "\nEOF\n");
        EXPECT_EQ(1, run.exitCode) << arguments;
        EXPECT_NE(std::string::npos, run.output.find(words)) << arguments << "\n" << run.output;
    }
}

// One key file's password change in a folder of its own; as root the command runs as
// another user, so that a read-only folder holds for it.
struct PasswdCase {
    const char* name;
    std::string oldPassword;
    bool readOnlyFolder;
    int exit;
    const char* words;
};

class PasswdTable : public ::testing::TestWithParam<PasswdCase> {
protected:
    std::string Owner() const { return std::to_string(300001 + getpid() % 100000 * 2); }
    std::string AsOwner() const {
        return geteuid() == 0 ? "setpriv --reuid=" + Owner() + " --regid=" + Owner() + " --clear-groups " : "";
    }
    std::string Key() const { return scratch_ / "keys/signPri.key"; }

    Finished Change(const PasswdCase& row) {
        scratch_.MakeFolder("keys");
        fs::copy_file(Pki().User().signing.keyPath, Key());
        const std::string oldFile = scratch_.Write("old", row.oldPassword + "\n");
        const std::string newFile = scratch_.Write("new", kNewPassword + "\n");
        const std::string folder = Quoted(scratch_.Path());
        if (geteuid() == 0) RunCommand("chmod 755 " + folder + " && chown -R " + Owner() + " " + folder);
        if (row.readOnlyFolder) fs::permissions(scratch_ / "keys", fs::perms::owner_read | fs::perms::owner_exec);
        const CommandResult run =
            RunCommand(AsOwner() + ZORVANE_TEST_WORK_DIR "/zorvane passwd --key " + Quoted(Key()) +
                       " --old-password-file " + Quoted(oldFile) + " --new-password-file " + Quoted(newFile) + " 2>&1");
        fs::permissions(scratch_ / "keys", fs::perms::owner_all);
        return {WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1, run.output};
    }

    int SignWith(const std::string& password) {
        return RunZorvane({"sign", "--cert", Pki().Cert(), "--key", Key(), "--out", scratch_ / "signed.p7s",
                           "--password-fd", "0", Pki().Cert()},
                          password + "\n")
            .exitCode;
    }

    TempFolder scratch_;
};

TEST_P(PasswdTable, ChangesWholeOrNotAtAll) {
    const PasswdCase& row = GetParam();
    const std::vector<unsigned char> before = ReadBytes(Pki().User().signing.keyPath);
    const Finished run = Change(row);
    EXPECT_EQ(row.exit, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find(row.words)) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find(kPassword)) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find(kNewPassword)) << run.output;
    EXPECT_EQ(row.exit == 0, ReadBytes(Key()) != before);
    EXPECT_EQ(1u, std::distance(fs::directory_iterator(scratch_ / "keys"), fs::directory_iterator{}));
    struct stat info {};
    ASSERT_EQ(0, stat(Key().c_str(), &info));
    EXPECT_TRUE(row.exit != 0 || (info.st_mode & 0777u) == 0600u) << std::oct << info.st_mode;
    EXPECT_EQ(row.exit == 0 ? 0 : 5, SignWith(kNewPassword));
    EXPECT_EQ(row.exit == 0 ? 5 : 0, SignWith(kPassword));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswdTable,
    ::testing::Values(PasswdCase{"changed", kPassword, false, 0, "is changed"},
                      PasswdCase{"wrongOldPassword", "not-the-password", false, 5, "the password is wrong"},
                      PasswdCase{"readOnlyFolder", kPassword, true, 3, "cannot be replaced"}),
    [](const auto& info) { return std::string(info.param.name); });

// While passwd waits for its passwords, its arguments (what ps shows) hold none of them.
TEST(PasswdCommand, PasswordsNeverInTheArguments) {
    TempFolder scratch;
    fs::copy_file(Pki().User().signing.keyPath, scratch / "signPri.key");
    const CommandResult run = RunCommand(
        "(sleep 1; printf '%s\\n%s\\n' '" + kPassword + "' '" + kNewPassword + "') | " ZORVANE_TEST_WORK_DIR
        "/zorvane passwd --key " + Quoted(scratch / "signPri.key") + " --old-password-fd 0 --new-password-fd 0 & "
        "sleep 0.5; tr '\\0' ' ' </proc/$!/cmdline; wait $!");
    EXPECT_NE(std::string::npos, run.output.find("passwd --key")) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("is changed")) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find(kPassword)) << run.output;
    EXPECT_EQ(std::string::npos, run.output.find(kNewPassword)) << run.output;
}

// The demo runs from a copy of the program beside links to the build's toolkit and
// generator, so that its sandbox and the IssuerOid.conf it writes stay out of the work
// folder other tests read.
TEST(DemoCommand, RunsEveryStepAndRemovesItsSandbox) {
    TempFolder work;
    for (const char* file : {"Quellark.dll", "gpkiapi.dll", "NpkiCard.dll", "zorvane-pkigen"})
        fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / file, work / file);
    fs::copy_file(fs::path(ZORVANE_TEST_WORK_DIR) / "zorvane", work / "zorvane");
    const CommandResult run = RunCommand("timeout 300 " + Quoted(work / "zorvane") + " demo 2>&1");
    EXPECT_EQ(0, run.status) << run.output;
    for (const char* step : {"== platform view", "== zorvane list --drive E:", "== zorvane inspect", "VerifySimpleSignedData",
                             "a changed text is refused (code 2010)", "CMS Verification successful",
                             "message-opened.txt equals message.txt", "verdict    good", "exit code 5: refused as revoked",
                             "through NpkiCard.dll", "(a PKCS#11 token)", "client key", "<DATA>",
                             "the child read the message whole; its content: site=demo"})
        EXPECT_NE(std::string::npos, run.output.find(step)) << step << "\n" << run.output;
    EXPECT_FALSE(fs::exists(work / "demo"));
}

// export-pfx and import-pfx: the generated user's folder to a PFX and back into a new folder.
class PfxCommand : public ::testing::Test {
protected:
    static std::string Folder() { return fs::path(Pki().Cert()).parent_path().string(); }
    std::string File(const std::string& name, const std::string& text) { return Quoted(scratch_.Write(name, text + "\n")); }
    std::string Passwords() {
        return " --password-file " + File("key", kPassword) + " --pfx-password-file " + File("pfx", kPfxPassword);
    }
    std::string Exported() {
        const std::string out = scratch_ / "user.p12";
        const Finished run = Zorvane("export-pfx --folder " + Quoted(Folder()) + " --out " + Quoted(out) + Passwords() + Work());
        EXPECT_EQ(0, run.exitCode) << run.output;
        return Quoted(out);
    }
    static mode_t Mode(const std::string& path) {
        struct stat info {};
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 0777u : 0;
    }

    static inline const std::string kPfxPassword = "pfx-Pass#42";
    TempFolder scratch_;
};

TEST_F(PfxCommand, ExportThenImportMakesPrivateFilesThatSign) {
    const std::string pfx = Exported();
    EXPECT_EQ(0600u, Mode(scratch_ / "user.p12"));
    EXPECT_EQ(0, RunCommand("openssl pkcs12 -noout -in " + pfx + " -passin file:" + scratch_ / "pfx").status);
    const std::string folder = scratch_ / "imported/user";
    const Finished run = Zorvane("import-pfx " + pfx + " --folder " + Quoted(folder) + " --json --pfx-password-file " +
                                 Quoted(scratch_ / "pfx") + " --password-file " + File("new", kNewPassword) + Work());
    ASSERT_EQ(0, run.exitCode) << run.output;
    EXPECT_NE(std::string::npos, run.output.find("\"pairs\": 2")) << run.output;
    EXPECT_EQ(0700u, Mode(folder));
    EXPECT_EQ(0600u, Mode(folder + "/signPri.key"));
    EXPECT_EQ(0600u, Mode(folder + "/kmPri.key"));
    EXPECT_EQ(ReadBytes(Pki().Cert()), ReadBytes(folder + "/signCert.der"));
    EXPECT_EQ(0, RunZorvane({"sign", "--folder", folder, "--password-fd", "0", "--out", scratch_ / "s.p7s", Pki().Cert()},
                            kNewPassword + "\n").exitCode);
}

TEST_F(PfxCommand, FailuresExitWithTheirCodeAndNeverShowAPassword) {
    const std::string pfx = Exported(), folder = Quoted(Folder()), other = Quoted(scratch_ / "other");
    const std::string wrong = " --password-file " + File("wrong", "not-it") + " --pfx-password-file " + File("wrong", "not-it");
    const std::tuple<std::string, int, std::string> kRows[] = {
        {"export-pfx --folder " + folder + " --out " + other + wrong, 5, "the password is wrong"},
        {"import-pfx " + pfx + " --folder " + other + wrong, 5, "the PFX password is wrong"},
        {"import-pfx " + pfx + " --folder " + folder + Passwords(), 3, "already exists; give --force"},
        {"export-pfx --folder " + folder + " --out " + pfx + Passwords(), 3, "already exists; give --force"},
        {"import-pfx " + Quoted(Pki().Cert()) + " --folder " + other + Passwords(), 1, "not a PKCS#12"},
        {"export-pfx --folder " + Quoted(scratch_.Path()) + Passwords(), 3, "holds no signCert.der"},
        {"import-pfx --folder " + other + Passwords(), 2, "give one FILE.p12"},
        {"import-pfx --help", 0, "5 wrong password"},
    };
    for (const auto& [arguments, exit, words] : kRows) {
        const Finished run = Zorvane(arguments + Work() + " 2>&1");
        EXPECT_EQ(exit, run.exitCode) << arguments << "\n" << run.output;
        EXPECT_NE(std::string::npos, run.output.find(words)) << arguments << "\n" << run.output;
        for (const std::string& secret : {kPassword, kPfxPassword, std::string("not-it")})
            EXPECT_EQ(std::string::npos, run.output.find(secret)) << arguments << "\n" << run.output;
    }
    EXPECT_FALSE(fs::exists(scratch_ / "other"));
}

}  // namespace
