#include "discovery/GeneratedStores.h"

#include <sys/wait.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "support/TestPki.h"

namespace zorvane::test {

namespace fs = std::filesystem;

GeneratedStores::GeneratedStores() {
    home = m_root / "home";
    stick = m_root / "stick";
    work = m_root / "work";
    fs::create_directories(stick);
    fs::create_directories(work);
    for (const char* toolkit : {"Quellark.dll", "gpkiapi.dll"})
        fs::create_symlink(fs::path(ZORVANE_TEST_WORK_DIR) / toolkit, fs::path(work) / toolkit);

    pkigen::Options options = testsupport::YessignPkiOptions(home);
    options.cas.clear();  // every CA of the catalogue
    options.work = work;
    options.count = 2;
    options.expired = 1;
    options.seed = 20261206;
    options.seedGiven = true;
    pki = testsupport::GeneratedPki(options);
}

const GeneratedStores& GeneratedStores::Get() {
    static const GeneratedStores stores;
    return stores;
}

std::vector<const UserRecord*> GeneratedStores::Users(const std::string& store, const std::string& ca) const {
    std::vector<const UserRecord*> users;
    for (const UserRecord& user : pki.users) {
        if (user.store == store && (ca.empty() || user.ca == ca)) users.push_back(&user);
    }
    return users;
}

const UserRecord& GeneratedStores::FirstUser(const std::string& store, const std::string& ca) const {
    const auto users = Users(store, ca);
    if (users.empty()) throw std::runtime_error("no generated user in store " + store + " " + ca);
    return *users.front();
}

void StoreTest::SetUp() { UseDrives(Stores().home, Stores().stick); }

void StoreTest::TearDown() { paths::SetDrivesForTesting(nullptr); }

void StoreTest::UseDrives(const std::string& home, const std::string& stick) {
    m_drives = {{'C', home, paths::DriveKind::Fixed}, {'E', stick, paths::DriveKind::Removable}};
    paths::SetDrivesForTesting(&m_drives);
}

void CopyTree(const std::string& from, const std::string& to) {
    fs::create_directories(to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

ByteString FileByteString(const std::string& path) {
    const std::string bytes = ReadText(path);
    return ByteString(bytes.data(), static_cast<int>(bytes.size()));
}

std::string Sha1Sum(const std::string& path) {
    return testsupport::RunCommand("sha1sum " + testsupport::Quoted(path)).output.substr(0, 40);
}

Listing RunList(const TempFolder& scratch, const std::string& prefix, const std::string& arguments) {
    const std::string out = scratch / "out", err = scratch / "err";
    const int status = testsupport::RunCommand(prefix + " timeout 60 " ZORVANE_TEST_WORK_DIR "/zorvane list " + arguments +
                                               " >" + testsupport::Quoted(out) + " 2>" + testsupport::Quoted(err))
                           .status;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(out), ReadText(err)};
}

std::string LocalText(const std::string& koreaTime, const char* format) {
    std::tm parts = {};
    strptime(koreaTime.c_str(), "%Y-%m-%d %H:%M:%S", &parts);
    const std::time_t when = timegm(&parts) - 9 * 3600;
    localtime_r(&when, &parts);
    char text[64] = {};
    std::strftime(text, sizeof(text), format, &parts);
    return text;
}

std::string Text(const ByteString& text) { return std::string(text.GetData(), text.GetLength()); }

}  // namespace zorvane::test
