#include "platform/PathTranslation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

using zorvane::paths::Drive;
using zorvane::paths::DriveKind;
using zorvane::paths::Win32PathToNative;
using zorvane::testing::ScopedDrives;
using zorvane::testsupport::TempFolder;

namespace {

// Sets an environment variable for a scope (none: unsets it), restoring the old value.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { m_old ? setenv(m_name.c_str(), m_old->c_str(), 1) : unsetenv(m_name.c_str()); }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class MixedCaseTree : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("NPKI/yessign/USER/cn=Hong()0012345/signCert.der", "sign");
        home.Write("NPKI/yessign/USER/cn=Hong()0012345/signPri.key", "key");
        home.MakeFolder("NPKI/KICA/User");
        home.MakeFolder("NPKI/KICA/USER");
        usb.MakeFolder("GPKI/Certificate/class1");
        std::filesystem::remove(stick);
        std::filesystem::create_directory_symlink(usb.Path(), stick);
    }
    void TearDown() override { std::filesystem::remove(stick); }
    TempFolder home, usb;
    // The stick lies below another top folder than the home, as /media does beside /home.
    const std::string stick = "/dev/shm/zorvane-stick-" + std::to_string(getpid());
    ScopedDrives drives{{{'C', home.Path(), DriveKind::Fixed}, {'E', stick, DriveKind::Removable}}};
};

enum Base { kHome, kUsb, kNone };

// Windows paths and what they translate to, below the home or stick folder. A component
// matches ignoring case when its exact spelling is missing (the first in byte order when
// several do); from a missing component on, the spelling stays as written.
const struct Translation {
    const char* windows;
    Base base;
    const char* native;
} kTranslations[] = {
    {"C:\\npki\\YESSIGN\\User\\CN=hong()0012345\\SIGNCERT.DER", kHome, "NPKI/yessign/USER/cn=Hong()0012345/signCert.der"},
    {"e:\\gpki\\certificate\\CLASS1\\", kUsb, "GPKI/Certificate/class1/"},
    {"E:\\GPKI\\certificate\\CLASS1\\x_sig.cer", kUsb, "GPKI/Certificate/class1/x_sig.cer"},
    {"C:\\NPKI\\KICA\\User", kHome, "NPKI/KICA/User"},
    {"C:\\NPKI\\KICA\\user", kHome, "NPKI/KICA/USER"},
    {"C:\\\\\\NPKI\\yessign\\\\User\\", kHome, "NPKI/yessign/USER/"},
    {"C:/NPKI", kHome, "NPKI"},
    {"C:NPKI", kHome, "NPKI"},
    {"C:\\npki\\yessign\\Missing\\signCert.der", kHome, "NPKI/yessign/Missing/signCert.der"},
    {"C:\\NPKI\\KICA\\user\\.\\..\\User", kHome, "NPKI/KICA/USER/./../User"},
    {"C:", kHome, ""},
    {"Q:\\NPKI", kNone, ""},
    {"", kNone, ""},
    {"relative\\\\part", kNone, "relative/part"},
};

// Outside a walk, and again inside one, where the folders a path shares with the one
// before it are reused and listings answer look-ups: none of that may change a result.
TEST_F(MixedCaseTree, PathsTranslateAloneAndInAWalk) {
    for (const bool walking : {false, true}) {
        std::unique_ptr<zorvane::paths::ScopedFolderListings> walk;
        if (walking) walk = std::make_unique<zorvane::paths::ScopedFolderListings>();
        for (const Translation& row : kTranslations) {
            SCOPED_TRACE(std::string(row.windows) + (walking ? " in a walk" : ""));
            const std::string base = row.base == kHome ? home.Path() + "/" : row.base == kUsb ? stick + "/" : "";
            EXPECT_EQ(base + row.native, Win32PathToNative(row.windows));
        }
    }
    EXPECT_EQ("", Win32PathToNative(nullptr));
    EXPECT_EQ(home / "NPKI/yessign/USER", Win32PathToNative((home.Path() + "\\npki\\yessign\\user").c_str()));
}

// "letter: folder kind" per drive.
std::vector<std::string> Described(const std::vector<Drive>& drives) {
    std::vector<std::string> lines;
    for (const Drive& drive : drives) {
        lines.push_back(std::string(1, drive.letter) + ": " + drive.folder +
                        (drive.kind == DriveKind::Fixed ? " fixed" : " removable"));
    }
    return lines;
}

TEST(DriveTable, LinesNameLetterFolderAndKind) {
    const auto drives = zorvane::paths::ParseDriveTable(
        "# sandbox\n"
        "c: /home/hong fixed\n"
        "\n"
        "E: /media/hong/USB STICK removable\r\n"
        "F: /x floppy\n"
        "G:/nokind\n"
        "7: /digit fixed\n"
        "H: fixed\n");
    EXPECT_EQ((std::vector<std::string>{"C: /home/hong fixed", "E: /media/hong/USB STICK removable"}), Described(drives));
}

TEST(DefaultDrives, HomeIsCAndMountedMediaFollowInNameOrder) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to lay out media folders under /media and /run/media";
    const std::string user = "zorvane-test-" + std::to_string(getpid());
    const std::string media = "/media/" + user, runMedia = "/run/media/" + user;
    std::filesystem::create_directories(media + "/Stick2");
    std::filesystem::create_directories(runMedia + "/Stick1");
    std::ofstream(media + "/not-a-folder") << "x";
    TempFolder home;
    {
        ScopedEnvironment variables[] = {{"ZORVANE_DRIVE_TABLE", nullptr}, {"HOME", home.Path().c_str()},
                                         {"USER", user.c_str()}};
        EXPECT_EQ((std::vector<std::string>{"C: " + home.Path() + " fixed", "D: " + runMedia + "/Stick1 removable",
                                            "E: " + media + "/Stick2 removable"}),
                  Described(zorvane::paths::CurrentDrives()));
        EXPECT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), GetDriveTypeA("D:\\"));
    }
    std::filesystem::remove_all(media);
    std::filesystem::remove_all(runMedia);
}

}  // namespace
