// zorvane list, run as a program on the generated stores.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery/GeneratedStores.h"

namespace {

namespace fs = std::filesystem;
using namespace zorvane::test;

class ListCommandTest : public ::testing::Test {
protected:
    // Runs the program with a drive table: C: the generated home, E: a stick folder.
    Listing List(const std::string& arguments) {
        const std::string table = m_scratch / "drives";
        std::ofstream(table) << "C: " << GeneratedStores::Get().home << " fixed\nE: " << m_scratch.Path()
                             << "/stick removable\n";
        return RunList(m_scratch, "env ZORVANE_DRIVE_TABLE=" + zorvane::testsupport::Quoted(table), arguments);
    }

    TempFolder m_scratch;
};

int JsonCount(const std::string& json) {
    const std::size_t at = json.find("\"count\": ");
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + 9);
}

// Exit status, count of the JSON (-1: not JSON) and a text that must appear on the
// output or on standard error, per command line.
TEST_F(ListCommandTest, OptionsFiltersAndRefusals) {
    const auto& stores = GeneratedStores::Get();
    const UserRecord& user = stores.FirstUser("npki", "yessign");
    CopyTree(fs::path(user.signing.certPath).parent_path(), m_scratch / "stick/NPKI/yessign/User/x");
    fs::create_directories(m_scratch / "bare");
    fs::create_directories(m_scratch / "toolkit-only");
    fs::create_symlink(fs::path(stores.work) / "Quellark.dll", fs::path(m_scratch / "toolkit-only") / "Quellark.dll");
    const std::string work = " --work '" + stores.work + "'";
    const struct Row {
        std::string arguments;
        int status, count;
        std::vector<std::string> out;
        std::string err;
    } kRows[] = {
        {"--json" + work, 0, static_cast<int>(stores.pki.users.size()),
         {"\"hashValue\": \"" + Sha1Sum(user.signing.certPath) + "\"", "\"expired\": true"}, ""},
        {"--json --stores 2 --policy 1.2.410.200005.1.1.1" + work, 0,
         static_cast<int>(stores.Users("npki", "yessign").size()), {}, ""},
        {"--json --serial " + user.signing.serial + work, 0, 1, {}, ""},
        {"--json --drive E:" + work, 0, 1, {"\"medium\": \"drive\""}, ""},
        {work, 0, -1, {"ISSUER            SUBJECT CN         POLICY  ", "금융결제원", "expired", "private"}, ""},
        {"--media 1" + work, 2, -1, {}, "--media 1 and 2 need --drive"},
        {"--json --drive Z:" + work, 5, 0, {"is not mapped"}, ""},
        {"--work '" + (m_scratch / "bare") + "'", 3, -1, {}, "Quellark.dll"},
        {"--work '" + (m_scratch / "toolkit-only") + "'", 3, -1, {}, "IssuerOid.conf"},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.arguments);
        const Listing run = List(row.arguments);
        EXPECT_EQ(row.status, run.exitCode) << run.err;
        EXPECT_EQ(row.count, JsonCount(run.out));
        for (const std::string& text : row.out) EXPECT_NE(std::string::npos, run.out.find(text)) << text;
        EXPECT_NE(std::string::npos, run.err.find(row.err));
    }
}

}  // namespace
