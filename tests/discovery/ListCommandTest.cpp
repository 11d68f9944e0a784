// zorvane list, run as a program on the generated stores.

#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "discovery/GeneratedStores.h"

namespace {

namespace fs = std::filesystem;
using namespace zorvane::test;

struct ProgramRun {
    int status;
    std::string out, err;
};

class ListCommandTest : public ::testing::Test {
protected:
    // Runs the program with a drive table: C: the generated home, E: a stick folder.
    ProgramRun List(const std::string& arguments) {
        const auto& stores = GeneratedStores::Get();
        const std::string table = m_scratch / "drives";
        std::ofstream(table) << "C: " << stores.home << " fixed\nE: " << m_scratch.Path() << "/stick removable\n";
        const std::string out = m_scratch / "out", err = m_scratch / "err";
        const std::string command = "ZORVANE_DRIVE_TABLE='" + table + "' '" ZORVANE_TEST_WORK_DIR "/zorvane' list " +
                                    arguments + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        return ProgramRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
    }
    std::string Work() const { return GeneratedStores::Get().work; }

    TempFolder m_scratch;
};

int JsonCount(const std::string& json) {
    const std::size_t at = json.find("\"count\": ");
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + 9);
}

TEST_F(ListCommandTest, JsonListsEveryStoreAndFiltersNarrowIt) {
    const auto& stores = GeneratedStores::Get();
    ProgramRun all = List("--json --work '" + Work() + "'");
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(JsonCount(all.out), static_cast<int>(stores.pki.users.size()));
    const UserRecord& user = stores.FirstUser("npki", "yessign");
    EXPECT_NE(all.out.find("\"hashValue\": \"" + Sha1Sum(user.signing.certPath) + "\""), std::string::npos);
    EXPECT_NE(all.out.find("\"expired\": true"), std::string::npos);

    ProgramRun npki = List("--json --stores 2 --policy 1.2.410.200005.1.1.1 --work '" + Work() + "'");
    EXPECT_EQ(JsonCount(npki.out), static_cast<int>(stores.Users("npki", "yessign").size()));
    ProgramRun serial = List("--json --serial " + user.signing.serial + " --work '" + Work() + "'");
    EXPECT_EQ(JsonCount(serial.out), 1);
}

TEST_F(ListCommandTest, TableShowsDisplayNamesAndExpiredMarks) {
    ProgramRun table = List("--work '" + Work() + "'");
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_NE(table.out.find("ISSUER"), std::string::npos);
    EXPECT_NE(table.out.find("금융결제원"), std::string::npos);
    EXPECT_NE(table.out.find("expired"), std::string::npos);
    EXPECT_NE(table.out.find("private"), std::string::npos);
}

TEST_F(ListCommandTest, RemovableDriveOption) {
    const UserRecord& user = GeneratedStores::Get().FirstUser("npki", "yessign");
    CopyTree(fs::path(user.signing.certPath).parent_path(), m_scratch / "stick/NPKI/yessign/User/x");
    ProgramRun drive = List("--json --drive E: --work '" + Work() + "'");
    ASSERT_EQ(drive.status, 0) << drive.err;
    EXPECT_EQ(JsonCount(drive.out), 1);
    EXPECT_NE(drive.out.find("\"medium\": \"drive\""), std::string::npos);
}

TEST_F(ListCommandTest, WorkFolderWithoutToolkitOrConfigurationIsRefused) {
    fs::create_directories(m_scratch / "bare");
    ProgramRun bare = List("--work '" + (m_scratch / "bare") + "'");
    EXPECT_EQ(bare.status, 3);
    EXPECT_NE(bare.err.find("Quellark.dll"), std::string::npos);

    fs::create_directories(m_scratch / "toolkit-only");
    fs::create_symlink(fs::path(Work()) / "Quellark.dll", fs::path(m_scratch / "toolkit-only") / "Quellark.dll");
    ProgramRun noConf = List("--work '" + (m_scratch / "toolkit-only") + "'");
    EXPECT_EQ(noConf.status, 3);
    EXPECT_NE(noConf.err.find("IssuerOid.conf"), std::string::npos);

    EXPECT_EQ(List("--keys 9").status, 2);
    EXPECT_EQ(List("--bogus").status, 2);
}

}  // namespace
