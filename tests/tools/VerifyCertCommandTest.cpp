// zorvane verify-cert run as a user runs it, over a generated PKI whose CA publishes its
// CRL on a throwaway HTTP server: the exit code of each verdict, the JSON read back by
// python3, and the listed certificate found by its serial.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <ctime>
#include <filesystem>
#include <memory>

#include "support/TestServices.h"
#include "support/TestSupport.h"
#include "tools/pkigen/Generator.h"

using namespace zorvane::testsupport;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exit = -1;
    std::string output;  // standard output and error
};

class VerifyCertCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<TempFolder>();
        const std::string home = folder_->File("home");
        http_ = std::make_unique<ServiceProcess>(HttpFixture(home + "/pkigen-ca"));
        const std::string work = folder_->MakeFolder("work");
        fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / "Quellark.dll", fs::path(work) / "Quellark.dll");
        zorvane::pkigen::Options options;
        options.home = home;
        options.work = work;
        options.keyCache = std::string(ZORVANE_TEST_BINARY_DIR) + "/pkigen-key-cache";
        options.cas = {"yessign"};
        options.expired = options.notYetValid = options.revoked = 1;
        options.crlHttpBase = http_->Url("http", "");
        result_ = std::make_unique<zorvane::pkigen::Result>();
        ASSERT_TRUE(zorvane::pkigen::Generate(options, *result_, error_)) << error_;
        fs::copy_file(result_->roots.front().certificate.certPath, folder_->MakeFolder("trust") + "/root.der");
        RunCommand("openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Elsewhere -days 30 -keyout " +
                   folder_->File("other.key") + " -out " + folder_->MakeFolder("other") + "/other.pem 2>/dev/null");
        folder_->Write("drives", "C: " + home + " fixed\n");
        folder_->Write("trust-garbage/bad.pem", "not a certificate");
    }
    static void TearDownTestSuite() {
        http_.reset();
        result_.reset();
        folder_.reset();
    }

    static const zorvane::pkigen::UserRecord& User(const std::string& validity) {
        for (const auto& user : result_->users)
            if (user.validity == validity) return user;
        throw std::runtime_error("no user " + validity);
    }
    static std::string Cert(const std::string& validity) { return Quoted(User(validity).signing.certPath); }
    static std::string Ca() { return Quoted(result_->cas.front().certificate.certPath); }
    static std::string Path(const std::string& name) { return Quoted(folder_->File(name)); }
    static std::string Trusted() { return " --trust " + Path("trust") + " --intermediates " + Ca(); }

    static Outcome Zorvane(const std::string& arguments) {
        const CommandResult result = RunCommand("ZORVANE_DRIVE_TABLE=" + Path("drives") +
                                                " " ZORVANE_TEST_WORK_DIR "/zorvane verify-cert --work " +
                                                Path("work") + " " + arguments + " 2>&1");
        return Outcome{WIFEXITED(result.status) ? WEXITSTATUS(result.status) : -1, result.output};
    }

    static inline std::unique_ptr<TempFolder> folder_;
    static inline std::unique_ptr<ServiceProcess> http_;
    static inline std::unique_ptr<zorvane::pkigen::Result> result_;
    static inline std::string error_;
};

TEST_F(VerifyCertCommand, ExitCodesNameTheVerdict) {
    const std::string crl = " --crl " + Quoted(result_->cas.front().crlPath);
    const std::string pem = folder_->File("valid.pem");
    RunCommand("openssl x509 -inform DER -in " + Cert("valid") + " -out " + Quoted(pem));
    const std::pair<std::string, int> kRows[] = {
        {Cert("valid") + Trusted(), 0},
        {Quoted(pem) + Trusted(), 0},
        {Cert("valid") + Trusted() + crl + " --revocation chain --fetch-crls --crl-cache " + Path("cache"), 0},
        {Cert("valid") + " --trust " + Path("trust"), 3},
        {Cert("valid") + " --trust " + Path("other") + " --intermediates " + Ca(), 3},
        {Cert("expired") + Trusted(), 4},
        {Cert("not-yet-valid") + Trusted(), 4},
        {Cert("valid") + Trusted() + " --at 20990101000000", 4},
        {Cert("revoked") + Trusted() + crl, 5},
        {Cert("revoked") + Trusted() + " --fetch-crls", 5},
        {Cert("valid") + Trusted() + " --revocation leaf", 6},
        {Cert("valid") + Trusted() + crl + " --at " + LocalTimeText(std::time(nullptr) + 8 * 86400), 6},
        {Cert("valid") + Trusted() + " --policy 1.2.3.4", 7},
        {Cert("valid") + Trusted() + " --key-usage km", 7},
        {Path("missing.der") + Trusted(), 1},
        {Path("drives") + Trusted(), 1},
        {"/dev/null" + Trusted(), 1},
        {Cert("valid") + " --trust " + Path("trust-garbage"), 1},
        {Cert("valid") + Trusted() + " --crl " + Path("missing.crl"), 1},
        {Cert("revoked") + Trusted() + " --crl " + Ca(), 1},
        {"--serial 00 " + Trusted(), 1},
        {Cert("valid"), 2},
        {Cert("valid") + Trusted() + " --revocation sometimes", 2},
        {Cert("valid") + Trusted() + " --at 2026", 2},
        {Cert("valid") + Trusted() + " --at 20261301000000", 2},
        {Cert("valid") + " --serial 01" + Trusted(), 2},
    };
    for (const auto& [arguments, exit] : kRows) {
        const Outcome run = Zorvane(arguments);
        EXPECT_EQ(exit, run.exit) << arguments << "\n" << run.output;
    }
}

TEST_F(VerifyCertCommand, TextNamesTheVerdictFieldsAndPath) {
    const Outcome run = Zorvane(Cert("revoked") + Trusted() + " --fetch-crls");
    ASSERT_EQ(5, run.exit) << run.output;
    const auto& user = User("revoked");
    for (const std::string& part : {std::string("verdict    revoked (1604)"), "subject    " + user.signing.subject,
                                    "serial     " + user.signing.serial, "issuer     " + user.signing.issuer})
        EXPECT_NE(std::string::npos, run.output.find(part)) << part << "\n" << run.output;
}

TEST_F(VerifyCertCommand, JsonParsesAndListsThePathLeafFirst) {
    const Outcome run = Zorvane("--json --serial " + User("valid").signing.serial + Trusted());
    ASSERT_EQ(0, run.exit) << run.output;
    const std::string file = folder_->Write("verdict.json", run.output);
    const std::string read = RunCommand(
                                 "python3 -c \"import json,sys; v=json.load(open(sys.argv[1])); "
                                 "print(v['verdict'], v['code'], v['exit'], v['serial'], len(v['path']), "
                                 "v['path'][0] == v['subject'], v['path'][1] == v['issuer'])\" " +
                                 Quoted(file))
                                 .output;
    EXPECT_EQ("good 0 0 " + User("valid").signing.serial + " 3 True True\n", read) << run.output;
}

TEST_F(VerifyCertCommand, HelpListsTheExitCodes) {
    const CommandResult help = RunCommand(ZORVANE_TEST_WORK_DIR "/zorvane verify-cert --help");
    EXPECT_EQ(0, help.status);
    for (const char* part : {"0 good", "3 not trusted", "5 revoked", "6 revocation unknown", "7 policy"})
        EXPECT_NE(std::string::npos, help.output.find(part)) << part;
}

}  // namespace
