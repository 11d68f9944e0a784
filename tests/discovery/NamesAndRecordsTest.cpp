// Store files, DN functions, the validity test and NPKI folder names.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zorvane/LoadCert.h>

#include <cstddef>
#include <ctime>
#include <string>

#include "support/TestSupport.h"

namespace {

using zorvane::testsupport::TempFolder;

std::string Text(const ByteString& text) { return std::string(text.GetData(), text.GetLength()); }

// What a store holds under a certificate or key name, and the result InsertParsingCert
// gives for it before any parsing: only regular files of at most 256 KiB are read.
enum class StoreFile { Fifo, AtCap, AboveCap };

struct StoreFileCase {
    const char* what;
    StoreFile cert, key;
    int result;
};

const StoreFileCase kStoreFileCases[] = {
    {"a FIFO as the certificate", StoreFile::Fifo, StoreFile::AtCap, 300},
    {"a certificate above the cap", StoreFile::AboveCap, StoreFile::AtCap, 302},
    {"a FIFO as the key", StoreFile::AtCap, StoreFile::Fifo, 301},
    {"a key above the cap", StoreFile::AtCap, StoreFile::AboveCap, 303},
};

void PrintTo(const StoreFileCase& store, std::ostream* out) { *out << store.what; }

bool Lay(const std::string& path, StoreFile kind) {
    constexpr std::size_t kCap = 256 * 1024;
    switch (kind) {
    case StoreFile::Fifo: return mkfifo(path.c_str(), 0600) == 0;
    case StoreFile::AtCap:
    case StoreFile::AboveCap:
        zorvane::testsupport::WriteFile(path, std::string(kind == StoreFile::AtCap ? kCap : kCap + 1, 'x'));
        return true;
    }
    return false;
}

class StoreFiles : public ::testing::TestWithParam<StoreFileCase> {};

TEST_P(StoreFiles, OnlyRegularFilesOfSaneSizeAreRead) {
    TempFolder folder;
    ASSERT_TRUE(Lay(folder / "signCert.der", GetParam().cert) && Lay(folder / "signPri.key", GetParam().key));
    CLoadCert loader;
    tagCERTLIST record;
    record.signCertPath = (folder / "signCert.der").c_str();
    record.signPriKeyPath = (folder / "signPri.key").c_str();
    const int result = GetParam().result;
    EXPECT_EQ(result, loader.InsertParsingCert(record));
    EXPECT_EQ(result == 300 || result == 302, record.signCert.IsEmpty()) << "the certificate is read only when usable";
    EXPECT_TRUE(record.signPriKey.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Walks, StoreFiles, ::testing::ValuesIn(kStoreFileCases));

struct DnCase {
    const char* dn;
    int cnResult;
    const char* cn;
    int oResult;
    const char* o;
    int ouResult;
    const char* ou;
};

TEST(DistinguishedName, CutsValuesKeepingTheirCase) {
    const DnCase cases[] = {
        {"cn=홍길동()0012345,ou=personal4IB,o=yessign,c=kr", 0, "홍길동()0012345", 0, "yessign", 0, "personal4IB"},
        {"CN=Kim,OU=X,O=Bank,C=KR", 0, "Kim", 0, "Bank", 0, "X"},
        {"ou=Only Unit,o=Org,c=kr", 0, "Only Unit", 0, "Org", 0, "Only Unit"},  // no CN: the OU
        {"o=Org,cn=Last", 1, "", 0, "Org", 1, ""},                             // CN is the last attribute
        {"c=kr", 1, "", 1, "", 1, ""},
        // "o=" also matches the end of a longer attribute name: a plain substring search.
        {"cn=a,zo=b,c=kr", 0, "a", 0, "b", 1, ""},
    };
    CLoadCert loader;
    for (const DnCase& c : cases) {
        SCOPED_TRACE(c.dn);
        ByteString dn(c.dn), cn("unchanged"), o("unchanged"), ou("unchanged");
        EXPECT_EQ(loader.GetCNString(dn, cn), c.cnResult);
        EXPECT_EQ(loader.GetOString(dn, o), c.oResult);
        EXPECT_EQ(loader.GetOUString(dn, ou), c.ouResult);
        EXPECT_EQ(Text(cn), c.cnResult ? "unchanged" : c.cn);
        EXPECT_EQ(Text(o), c.oResult ? "unchanged" : c.o);
        EXPECT_EQ(Text(ou), c.ouResult ? "unchanged" : c.ou);
    }
}

std::string LocalTime(std::time_t when) {
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", std::localtime(&when));
    return text;
}

// Valid after notBefore and up to notAfter inclusive, comparing local time texts.
TEST(CertValidity, ComparesLocalTimeTexts) {
    CLoadCert loader;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::time_t now = std::time(nullptr);
        const struct Row {
            std::time_t from, to;
            int valid;
        } kRows[] = {
            {now - 86400, now + 86400, 1}, {now + 86400, now + 86400, 0}, {now - 7 * 86400, now - 86400, 0},
            {now - 60, now, 1},            {now, now + 60, 0},
        };
        std::string failed;
        for (const Row& row : kRows) {
            ByteString from(LocalTime(row.from).c_str());
            ByteString to(LocalTime(row.to).c_str());
            if (loader.CheckCertValidity(from, to) != row.valid) failed += Text(from) + " to " + Text(to) + "; ";
        }
        if (std::time(nullptr) != now) continue;  // a second boundary was crossed: the texts moved
        EXPECT_EQ("", failed);
        return;
    }
    GTEST_SKIP() << "the clock kept crossing second boundaries";
}

// Only exported: the folders of a CA on a drive, its name lowered; an unknown CA's is "etc".
TEST(CertPath, NamesTheCaFolderAndLowersTheCallersText) {
    CLoadCert loader;
    const std::pair<const char*, const char*> cas[] = {{"YesSign", "yessign"}, {"unknownCA", "etc"}};
    for (const auto& [name, folder] : cas) {
        ByteString ca(name), cert("cn=Kim,o=x,c=kr"), user, certFolder;
        char drive[] = "E:\\";
        loader.MakeCertPath(ca, cert, &user, &certFolder, 1, drive);
        EXPECT_EQ(Text(user), std::string("E:\\NPKI\\") + folder + "\\User\\");
        EXPECT_EQ(Text(certFolder), std::string("E:\\NPKI\\") + folder + "\\User\\cn=Kim,o=x,c=kr\\");
        for (char c : Text(ca)) EXPECT_FALSE(c >= 'A' && c <= 'Z');
    }
    ByteString ca("yessign"), cert("c1");
    loader.MakeCertPath(ca, cert, nullptr, nullptr, 0, nullptr);  // no outputs wanted: no crash
}

}  // namespace
