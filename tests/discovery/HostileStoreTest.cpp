// zorvane list against stores laid out by someone hostile: files that are not regular,
// too large, unreachable or unreadable, names with controls or bytes that are not UTF-8,
// a home or a drive table that is gone. The program runs as a user of its own (the stores
// belong to it), so that permissions hold; each case must end with its defined outcome,
// say what was passed over, and still list the good certificate beside it.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "discovery/GeneratedStores.h"

namespace {

namespace fs = std::filesystem;
using namespace zorvane::test;
using zorvane::testsupport::Quoted;
using zorvane::testsupport::RunCommand;

struct HostileStore {
    const char* what;
    const char* prepare;  // shell, run as the store's owner in its home; {U} is the NPKI user
                          // folder of a CA, {T} the drive table
    int exitCode;
    int listed;           // certificates in the list, the good one included
    const char* warning;  // told on standard error and under "warnings"; "": nothing is told
    bool needsOtherUser;  // permissions mean nothing to root
};

const HostileStore kHostileStores[] = {
    {"a FIFO as a certificate", "mkdir {U}/fifo && mkfifo {U}/fifo/signCert.der && touch {U}/fifo/signPri.key", 0, 1,
     "not a regular file", false},
    {"a FIFO as a key-management key", "cp -r {U}/good {U}/km && rm {U}/km/kmPri.key && mkfifo {U}/km/kmPri.key", 0, 2,
     "not a regular file", false},
    {"a certificate above the size cap", "mkdir {U}/big && truncate -s 300K {U}/big/signCert.der && touch {U}/big/signPri.key",
     0, 1, "big/signCert.der: larger than 262144 bytes", false},
    {"a folder name with a backslash", "cp -r {U}/good '{U}/a\\b'", 0, 1, "cannot be reached", false},
    {"a folder name with a line end and an escape", "cp -r {U}/good \"{U}/$(printf 'new\\nline\\033[2J')\"", 0, 2, "",
     false},
    {"a subject with an escape sequence",
     "mkdir {U}/esc && touch {U}/esc/signPri.key && openssl req -x509 -newkey rsa:2048 -nodes -keyout /dev/null "
     "-outform DER -out {U}/esc/signCert.der -days 30 -subj \"/CN=$(printf 'evil\\033[2J')\" 2>/dev/null",
     0, 2, "", false},
    {"an unreadable certificate folder", "cp -r {U}/good {U}/locked && chmod 000 {U}/locked", 0, 1, "Permission denied",
     true},
    {"an unreadable home", "chmod 000 .", 5, 0, "cannot search", true},
    {"a drive table that is gone", "rm {T}", 5, 0, "drive table", false},
};

void PrintTo(const HostileStore& store, std::ostream* out) { *out << store.what; }

class HostileStoreTest : public ::testing::TestWithParam<HostileStore> {
protected:
    void SetUp() override {
        if (GetParam().needsOtherUser && geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
        const auto& stores = GeneratedStores::Get();
        CopyTree(fs::path(stores.FirstUser("npki", "yessign").signing.certPath).parent_path(), m_home + "/" + kUser + "/good");
        fs::create_directories(m_work);
        for (const char* toolkit : {"Quellark.dll", "gpkiapi.dll"})
            fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / toolkit, fs::path(m_work) / toolkit);
        fs::copy_file(stores.work + "/IssuerOid.conf", m_work + "/IssuerOid.conf");
        std::ofstream(m_table) << "C: " << m_home << " fixed\n";
        if (geteuid() == 0) RunCommand("chmod 755 " + Quoted(m_scratch.Path()) + " && chown -R " + Owner() + " " + Quoted(m_scratch.Path()));
    }

    // Root hands the stores to a user of its own; anyone else owns them already.
    std::string Owner() const { return std::to_string(300001 + getpid() % 100000 * 2); }
    std::string AsOwner() const {
        return geteuid() == 0 ? "setpriv --reuid=" + Owner() + " --regid=" + Owner() + " --clear-groups " : "";
    }

    int Prepare(std::string command) const {
        for (const auto& [mark, value] : {std::pair<std::string, std::string>{"{T}", Quoted(m_table)}, {"{U}", kUser}}) {
            for (std::size_t at; (at = command.find(mark)) != std::string::npos;) command.replace(at, mark.size(), value);
        }
        const std::string script = m_scratch.Write("prepare.sh", "cd " + Quoted(m_home) + " && " + command + "\n");
        return RunCommand(AsOwner() + "sh " + Quoted(script)).status;
    }

    Listing List(const std::string& options) const {
        return RunList(m_scratch, AsOwner() + "env HOME=" + Quoted(m_home) + " ZORVANE_DRIVE_TABLE=" + Quoted(m_table),
                       "--work " + Quoted(m_work) + " " + options);
    }

    // The count and the warnings of the JSON, one per line, read as strict UTF-8 JSON by
    // an independent reader; empty when it is not.
    std::string ReadJson() const {
        return RunCommand("python3 -c 'import json,sys; d=json.loads(open(sys.argv[1],\"rb\").read().decode(\"utf-8\"));"
                          "w=d[\"warnings\"]; print(d[\"count\"]); print(\"\\n\".join(w))' " +
                          Quoted(m_scratch / "out"))
            .output;
    }

    static constexpr const char* kUser = "NPKI/yessign/User";
    TempFolder m_scratch;
    const std::string m_home = m_scratch / "home", m_work = m_scratch / "work", m_table = m_scratch / "drives";
};

TEST_P(HostileStoreTest, ListsWhatItCanAndSaysWhatItPassedOver) {
    const HostileStore& store = GetParam();
    ASSERT_EQ(0, Prepare(store.prepare)) << store.what;

    const Listing json = List("--json");
    EXPECT_EQ(store.exitCode, json.exitCode) << json.err;
    const std::string read = ReadJson();
    EXPECT_EQ(0, std::atoi(read.c_str()) - store.listed) << "JSON as read: " << read << json.out;
    EXPECT_NE(std::string::npos, read.find(store.warning)) << read;
    EXPECT_NE(std::string::npos, json.err.find(store.warning)) << json.err;
    if (!*store.warning) {
        EXPECT_EQ("", json.err) << "nothing was passed over";
    }

    const Listing table = List("");
    EXPECT_EQ(store.exitCode, table.exitCode) << table.err;
    const auto lines = std::count(table.out.begin(), table.out.end(), '\n');
    EXPECT_EQ(store.listed == 0 ? 0 : store.listed + 1, lines) << "one line per certificate:\n" << table.out;
    const bool controls = std::any_of(table.out.begin(), table.out.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\n') || c == 0x7f;
    });
    EXPECT_FALSE(controls) << table.out;
}

INSTANTIATE_TEST_SUITE_P(Stores, HostileStoreTest, ::testing::ValuesIn(kHostileStores));

}  // namespace
