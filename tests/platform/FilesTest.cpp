#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PathTranslation.h"
#include "platform/Win32.h"
#include "tests/platform/ScopedDrives.h"
#include "support/TestSupport.h"

namespace {

class Files : public ::testing::Test {
protected:
    zorvane::testsupport::TempFolder home;
    zorvane::testing::ScopedDrives drives{{{'C', home.Path(), zorvane::paths::DriveKind::Fixed}}};
};

std::string ReadAll(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(not opened)";
    std::string text(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
    CloseHandle(file);
    return text.substr(0, got);
}

// A walk opens the name as written first and matches it ignoring case only after a miss.
TEST_F(Files, InAWalkANameInAnotherCaseStillOpens) {
    home.Write("NPKI/USER/cn=x/SignCert.der", "mixed");
    home.Write("NPKI/USER/cn=y/signCert.der", "exact");
    home.Write("NPKI/USER/cn=y/SIGNCERT.DER", "upper");
    const zorvane::paths::ScopedFolderListings walk;
    EXPECT_EQ("mixed", ReadAll("C:\\NPKI\\User\\cn=x\\signCert.der"));
    EXPECT_EQ("exact", ReadAll("C:\\NPKI\\User\\cn=y\\signCert.der"));
    EXPECT_EQ("upper", ReadAll("C:\\NPKI\\User\\cn=y\\SIGNCERT.DER"));
}

// Every entry of a search, in the order the platform returns them; folders end in a slash.
std::vector<std::string> ListAll(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        names.push_back(found.cFileName + std::string(folder ? "/" : ""));
    } while (FindNextFileA(search, &found));
    EXPECT_TRUE(FindClose(search));
    return names;
}

// The walks search only "*.*": dots first, then byte order, the folder matched ignoring
// case; a missing folder or drive, or no pattern, gives no search at all.
TEST_F(Files, SearchesListInByteOrderAndMatchIgnoringCase) {
    home.Write("NPKI/yessign/User/stray.txt", "12345");
    home.MakeFolder("NPKI/yessign/User/cn=b");
    home.MakeFolder("NPKI/yessign/User/cn=A");
    home.MakeFolder("NPKI/yessign/User/Z");
    home.Write("NPKI/yessign/User/\xED\x99\x8D.der", "k");  // a Korean name sorts by its bytes
    const std::vector<std::string> all{"./", "../", "Z/", "cn=A/", "cn=b/", "stray.txt", "\xED\x99\x8D.der"};
    EXPECT_EQ(all, ListAll("C:\\NPKI\\yessign\\USER\\*.*"));
    for (const char* pattern : {"C:\\NPKI\\signkorea\\User\\*.*", "Q:\\*.*", ""}) {
        EXPECT_EQ(std::vector<std::string>(), ListAll(pattern)) << pattern;
    }
}

}  // namespace
