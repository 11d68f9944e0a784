// LoadCerts and the disk and private readers over stores made by the test-PKI generator.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "discovery/GeneratedStores.h"
#include "platform/Services.h"

namespace {

namespace fs = std::filesystem;
using namespace zorvane::test;
using CertList = CArray<tagCERTLIST, tagCERTLIST&>;

enum { kMaskGpki = 1, kMaskNpki = 2, kMaskMpki = 4, kMaskPrivate = 8 };

struct Request {
    int media = 0;
    int storeMask = 0;
    int keySelector = 1;
    std::string subject, serial, policies, drive;
};

int Load(CLoadCert& loader, const Request& request, CertList& list, int& count) {
    ByteString subject(request.subject.c_str()), serial(request.serial.c_str());
    ByteString policies(request.policies.c_str()), drive(request.drive.c_str()), mediaText;
    return loader.LoadCerts(request.media, subject, serial, request.storeMask, policies, request.keySelector, drive,
                            mediaText, 0, 0, list, count);
}

std::string CertFile(const UserRecord& user, int keySelector) {
    return keySelector == 2 ? user.keyManagement.certPath : user.signing.certPath;
}

// Users in the order LoadCerts visits them: GPKI class1 and class2, MPKI, NPKI by the
// folder map of IssuerOid.conf, private; inside a folder, names in byte order.
std::vector<const UserRecord*> VisitOrder(const CLoadCert& loader, int storeMask) {
    const auto& stores = GeneratedStores::Get();
    auto sorted = [](std::vector<const UserRecord*> users) {
        std::sort(users.begin(), users.end(), [](const UserRecord* a, const UserRecord* b) {
            return fs::path(a->signing.certPath).parent_path().filename().string() + a->baseName <
                   fs::path(b->signing.certPath).parent_path().filename().string() + b->baseName;
        });
        return users;
    };
    auto gpkiClass = [&](const char* name) {
        std::vector<const UserRecord*> users;
        for (const UserRecord* user : stores.Users("gpki"))
            if (user->gpkiClass == name) users.push_back(user);
        return sorted(users);
    };
    std::vector<std::vector<const UserRecord*>> groups;
    const bool all = storeMask == 0;
    std::vector<const UserRecord*> npki;
    for (int i = 1; i <= loader.m_folderMap.GetCount(); ++i) {
        ByteString folder;
        loader.m_folderMap.Lookup(std::to_string(i).c_str(), folder);
        for (const auto& ca : stores.pki.cas) {
            if (ca.store != "npki" || !(Text(folder) == ca.folder)) continue;
            const auto users = sorted(stores.Users("npki", ca.id));
            npki.insert(npki.end(), users.begin(), users.end());
        }
    }
    if (all || (storeMask & kMaskGpki)) {
        groups.push_back(gpkiClass("class1"));
        groups.push_back(gpkiClass("class2"));
    }
    if (all) groups.push_back(sorted(stores.Users("mpki")));
    if (all || (storeMask & kMaskNpki)) groups.push_back(npki);
    if (!all && (storeMask & kMaskMpki)) groups.push_back(sorted(stores.Users("mpki")));
    if (all || (storeMask & kMaskPrivate)) groups.push_back(sorted(stores.Users("private")));
    std::vector<const UserRecord*> order;
    for (const auto& group : groups) order.insert(order.end(), group.begin(), group.end());
    return order;
}

// The records name the expected certificate files, in order (by their SHA-1).
void ExpectFiles(const CertList& list, int first, const std::vector<std::string>& files) {
    ASSERT_EQ(list.GetSize() - first, static_cast<int>(files.size()));
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_EQ(Text(list[first + static_cast<int>(i)].hashValue), Sha1Sum(files[i]));
    }
}

std::vector<std::string> Files(const std::vector<const UserRecord*>& users, int keySelector) {
    std::vector<std::string> files;
    for (const UserRecord* user : users) files.push_back(CertFile(*user, keySelector));
    return files;
}

// Each test loads through a fresh loader on the generated work folder.
class LoadCertsTest : public StoreTest {
protected:
    // A fresh loader; the list starts with `before` records of the caller's, the count
    // with the given value.
    int LoadWith(const Request& request, int count = 0, int before = 0) {
        m_work = WorkPath();
        m_loader = std::make_unique<CLoadCert>(m_work);
        m_list.RemoveAll();
        tagCERTLIST callers;
        callers.subjectName = "the caller's choice";
        for (int i = 0; i < before; ++i) m_list.Add(callers);
        m_count = count;
        return Load(*m_loader, request, m_list, m_count);
    }
    std::vector<const UserRecord*> Order(int storeMask = 0) const { return VisitOrder(*m_loader, storeMask); }

    ByteString m_work;
    std::unique_ptr<CLoadCert> m_loader;
    CertList m_list;
    int m_count = 0;
};

// The toolkit's reading is judged against openssl in its own tests; here, what lands in
// which field, against what the generator made.
TEST_F(LoadCertsTest, RecordFieldsAreTheGeneratedCertificates) {
    LoadWith(Request{});
    const auto order = Order();
    ASSERT_EQ(m_list.GetSize(), static_cast<int>(order.size()));
    const std::map<std::string, int> storeKinds = {{"gpki", 0}, {"npki", 1}, {"mpki", 2}, {"private", 3}};
    for (int i = 0; i < m_list.GetSize(); ++i) {
        const UserRecord& user = *order[i];
        const zorvane::pkigen::CertificateRecord& made = user.signing;
        tagCERTLIST& record = m_list[i];
        SCOPED_TRACE(made.certPath);
        EXPECT_EQ(Text(record.subjectName), made.subject);
        EXPECT_EQ(Text(record.issuerName), made.issuer);
        EXPECT_EQ(Text(record.serialNo), made.serial);
        EXPECT_EQ(Text(record.validFrom), LocalText(made.notBefore, "%Y년 %m월 %d일 %H:%M:%S"));
        EXPECT_EQ(Text(record.validTo), LocalText(made.notAfter, "%Y년 %m월 %d일 %H:%M:%S"));
        EXPECT_EQ(Text(record.validToDate), LocalText(made.notAfter, "%Y-%m-%d"));
        EXPECT_EQ(record.validDays, user.validity == "expired" ? 1 : 0);
        EXPECT_EQ(Text(record.hashValue), Sha1Sum(made.certPath));
        EXPECT_EQ(Text(record.hashAlgo), "sha1");
        EXPECT_EQ(Text(record.signCert), ReadText(user.signing.certPath));
        EXPECT_EQ(Text(record.signPriKey), ReadText(user.signing.keyPath));
        EXPECT_TRUE(record.kmCert.IsEmpty());
        EXPECT_EQ(Text(record.version), "V3");
        EXPECT_EQ(record.mediaType, 0);
        EXPECT_EQ(record.certType, storeKinds.at(user.store));
        EXPECT_TRUE(fs::equivalent(zorvane::paths::Win32PathToNative(record.signCertPath.GetData()),
                                   user.signing.certPath));
        // The alias: the display name IssuerOid.conf gives an NPKI CA, the private
        // issuer's O (not in IssuerOid.conf), else the issuer's CN.
        std::string alias = Text(record.issuerCN);
        for (const auto& ca : Stores().pki.cas) {
            if (ca.id == user.ca && ca.store == "npki") alias = ca.displayName;
        }
        if (user.store == "private") alias = "Veltrane";
        EXPECT_EQ(Text(record.issuerAlias), alias);
    }
}

// Without a mask every store is read in reader order and the count starts again; with
// one, each selected reader adds its records to the caller's count. The key selector
// chooses the certificate: 1 signing, 2 key management, 0 the pair. A caller's list of
// one record is kept, a longer one emptied.
TEST_F(LoadCertsTest, StoreMaskBitsKeySelectorsAndTheCallersList) {
    const struct Row {
        int mask, selector, before;
    } kRows[] = {{0, 0, 0}, {0, 1, 5}, {0, 2, 0}, {1, 1, 0}, {2, 1, 1}, {4, 1, 0}, {8, 1, 0}, {3, 1, 5}, {15, 1, 1}};
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::to_string(row.mask) + " selector " + std::to_string(row.selector) + " after " +
                     std::to_string(row.before));
        Request request;
        request.storeMask = row.mask;
        request.keySelector = row.selector;
        EXPECT_EQ(LoadWith(request, 1000, row.before), 0);
        const auto order = Order(row.mask);
        ASSERT_GE(order.size(), row.mask == 0 ? 20u : 1u);
        EXPECT_EQ(m_count, (row.mask == 0 ? 0 : 1000) + static_cast<int>(order.size()));
        const int kept = row.before == 1 ? 1 : 0;
        EXPECT_EQ(kept == 1, Text(m_list[0].subjectName) == "the caller's choice");
        ExpectFiles(m_list, kept, Files(order, row.selector));
        const UserRecord& user = *order.front();
        const tagCERTLIST& record = m_list[kept];
        EXPECT_EQ(Text(record.signCert), ReadText(CertFile(user, row.selector)));
        EXPECT_EQ(Text(record.kmCert), row.selector == 0 ? ReadText(user.keyManagement.certPath) : "");
        EXPECT_EQ(Text(record.kmPriKey), row.selector == 0 ? ReadText(user.keyManagement.keyPath) : "");
        EXPECT_EQ(record.kmCertPath.IsEmpty(), row.selector != 0);
    }
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// One loader through a sequence of filtered calls: subject and serial ignore case and
// spaces; the policy filter compares the policy text as the toolkit gave it (TradeSign
// joins its two OIDs), and an empty policy text keeps the previous call's filter.
TEST_F(LoadCertsTest, FiltersIgnoreCaseAndSpacesAndCompareTheJoinedPolicyText) {
    const UserRecord& user = Stores().FirstUser("npki", "yessign");
    const int yessign = static_cast<int>(Stores().Users("npki", "yessign").size());
    const int tradesign = static_cast<int>(Stores().Users("npki", "tradesign").size());
    const std::string joined = "1.2.410.200012.1.1.101, 1.2.410.200012.1.1.1";
    struct FilterRow {
        std::string subject, serial, policies;
        int count;
        std::string firstHash;  // "" when not checked
        std::string policyID;   // of every record; "" when not checked
    };
    const FilterRow rows[] = {
        {Upper(user.signing.subject).insert(3, "  "), "", "", 1, Sha1Sum(user.signing.certPath), ""},
        {"", Upper(user.signing.serial), "", 1, Sha1Sum(user.signing.certPath), ""},
        {"cn=nobody,o=yessign,c=KR", "", "", 0, "", ""},
        {"", "", "1.2.410.200005.1.1.1|", yessign, "", "1.2.410.200005.1.1.1"},
        {"", "", "1.2.410.200012.1.1.1|", 0, "", ""},
        {"", "", joined + "|", tradesign, "", ""},
        {"", "", "", tradesign, "", ""},
    };
    LoadWith(Request{});
    for (const FilterRow& row : rows) {
        SCOPED_TRACE(row.subject + row.serial + row.policies);
        Request request;
        request.subject = row.subject;
        request.serial = row.serial;
        request.policies = row.policies;
        Load(*m_loader, request, m_list, m_count);
        ASSERT_EQ(m_count, row.count);
        if (!row.firstHash.empty()) {
            EXPECT_EQ(Text(m_list[0].hashValue), row.firstHash);
        }
        for (int i = 0; !row.policyID.empty() && i < m_list.GetSize(); ++i) {
            EXPECT_EQ(Text(m_list[i].policyID), row.policyID);
        }
        for (char c : Text(m_loader->m_subjectFilter)) EXPECT_FALSE(c >= 'A' && c <= 'Z');
    }
}

TEST_F(LoadCertsTest, TradeSignRuleUsesTheIssuerCnAlreadyInTheWorkingRecord) {
    // Two TradeSign certificates in one User folder: the issuer CN is read after the
    // policy names, so the rule applies from the second certificate of the walk on.
    const UserRecord& user = Stores().FirstUser("npki", "tradesign");
    const std::string home = m_scratch / "home";
    const std::string userFolder = home + "/NPKI/TradeSign/USER/";
    CopyTree(fs::path(user.signing.certPath).parent_path(), userFolder + "a");
    CopyTree(fs::path(user.signing.certPath).parent_path(), userFolder + "b");
    UseDrives(home, Stores().stick);

    Request request;
    request.storeMask = kMaskNpki;
    LoadWith(request);
    ASSERT_EQ(m_count, 2);
    EXPECT_EQ(Text(m_list[0].policyID), "1.2.410.200012.1.1.101, 1.2.410.200012.1.1.1");
    EXPECT_EQ(Text(m_list[0].policyName), Text(m_list[0].policyID));
    EXPECT_EQ(Text(m_list[1].policyID), "1.2.410.200012.1.1.1");
    EXPECT_EQ(Text(m_list[1].policyName), "범용(개인)");
    EXPECT_EQ(Text(m_list[1].issuerCN), "TradeSignCA");
}

TEST_F(LoadCertsTest, RemovableDriveMediaReadsTheDriveRoot) {
    const UserRecord& npki = Stores().FirstUser("npki", "yessign");
    const UserRecord& mpki = Stores().FirstUser("mpki");
    const std::string stick = m_scratch / "stick";
    CopyTree(fs::path(npki.signing.certPath).parent_path(), stick + "/NPKI/yessign/User/x");
    CopyTree(fs::path(mpki.signing.certPath).parent_path(), stick + "/MPKI/User/y");
    UseDrives(m_scratch / "empty-home", stick);

    Request request;
    request.media = 1;
    request.drive = "E:\\";
    LoadWith(request);
    ExpectFiles(m_list, 0, {mpki.signing.certPath, npki.signing.certPath});
    EXPECT_EQ(m_list[0].mediaType, 1);
    EXPECT_EQ(m_list[1].certType, 1);

    request.media = 0;  // the same stick is not the hard disk
    LoadWith(request);
    EXPECT_EQ(m_count, 0);
    request.media = 5;  // no folder is built for other media, not even the current folder
    EXPECT_EQ(LoadWith(request), 0);
    EXPECT_EQ(m_count, 0);
}

// The readers use the toolkit that LoadCerts opens; called on their own, they need it open.
class ReaderTest : public StoreTest {
protected:
    static void OpenToolkit(CLoadCert& loader) { ASSERT_EQ(loader.m_crypto.Init(2, 0, 0, loader.m_workPath), 0); }
};

TEST_F(ReaderTest, MissingCertificateOrKeyFilesAreSkippedWith300And301) {
    const UserRecord& user = Stores().FirstUser("npki", "yessign");
    const std::string home = m_scratch / "home";
    const std::string userFolder = home + "/NPKI/yessign/USER/";
    const fs::path source = fs::path(user.signing.certPath).parent_path();
    CopyTree(source, userFolder + "a");
    CopyTree(source, userFolder + "b");
    CopyTree(source, userFolder + "c");
    std::ofstream(userFolder + "stray.txt") << "not a certificate folder";
    UseDrives(home, Stores().stick);

    ByteString work = WorkPath(), ca("yessign"), drive;
    CLoadCert loader(work);
    OpenToolkit(loader);
    loader.m_errorText = "before";
    CertList list;
    int count = -1;
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 0);
    EXPECT_EQ(count, 3);

    fs::remove(userFolder + "c/signPri.key");
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 301);
    EXPECT_EQ(count, 2);
    fs::remove(userFolder + "c/signCert.der");
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 300);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Text(loader.m_errorText), "before");

    // Missing key-management files do not stop a pair request.
    fs::remove(userFolder + "a/kmCert.der");
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 0, drive, list, count), 300);
    EXPECT_EQ(count, 2);
    ASSERT_GE(list.GetSize(), 2);
    EXPECT_TRUE(list[list.GetSize() - 2].kmCert.IsEmpty());
    EXPECT_FALSE(list[list.GetSize() - 1].kmCert.IsEmpty());
}

TEST_F(ReaderTest, SixtyFourBitWindowsSearchesEveryFolderOfTheTemplates) {
    const UserRecord& npki = Stores().FirstUser("npki", "yessign");
    const UserRecord& priv = Stores().FirstUser("private");
    const std::string home = m_scratch / "home";
    const fs::path npkiSource = fs::path(npki.signing.certPath).parent_path();
    const fs::path privateSource = fs::path(priv.signing.certPath).parent_path();
    for (const char* folder : {"NPKI/yessign/USER/x", "Program Files/NPKI/yessign/User/x",
                               "Users/kim/AppData/LocalLow/NPKI/yessign/User/x"})
        CopyTree(npkiSource, home + "/" + folder);
    for (const char* folder : {"Veltrane/TarnelCERT/Tarnel/x", "NPKI/Tarnel/User/x",
                               "Program Files/Veltrane/TarnelCERT/Tarnel/x", "Program Files/NPKI/Tarnel/User/x",
                               "Users/kim/AppData/LocalLow/Brimlock/Tarnel/User/x",
                               "Users/kim/AppData/LocalLow/Brimlock/veltrane/User/x"})
        CopyTree(privateSource, home + "/" + folder);
    UseDrives(home, Stores().stick);
    // The NPKI and the private records a fresh loader finds.
    const auto counts = [this] {
        ByteString work = WorkPath(), ca("yessign"), drive;
        CLoadCert loader(work);
        OpenToolkit(loader);
        CertList list;
        std::pair<int, int> found;
        loader.AddCertList_NPKICert(ca, 0, 1, drive, list, found.first);
        loader.AddCertList_PrivateCert(0, 1, drive, list, found.second);
        return found;
    };
    EXPECT_EQ(std::make_pair(1, 2), counts()) << "this machine: neither 64-bit Windows nor a newer version";
    // 64-bit Windows 7 with a profile on C: adds Program Files and the user's LocalLow.
    zorvane::platform::FixedSystemInfo windows = zorvane::platform::DefaultSystemInfo();
    windows.systemDirectory = "C:\\Windows\\System32";
    windows.variables["userprofile"] = "C:\\Users\\kim";
    windows.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    windows.version.dwMajorVersion = 6;
    windows.version.dwMinorVersion = 1;
    windows.isWow64Process = [](HANDLE, PBOOL wow64) -> BOOL { return *wow64 = TRUE; };
    zorvane::platform::ScopedService<zorvane::platform::SystemInfo> installed(zorvane::platform::ReplaceSystemInfo,
                                                                              windows);
    EXPECT_EQ(std::make_pair(3, 6), counts());
}

TEST_F(LoadCertsTest, DefaultObjectOpensNoToolkitAndLeavesTheListAlone) {
    CLoadCert loader;
    CertList list;
    tagCERTLIST record;
    list.Add(record);
    list.Add(record);
    int count = 42;
    EXPECT_NE(Load(loader, Request{}, list, count), 0);
    EXPECT_EQ(count, 42);
    EXPECT_EQ(list.GetSize(), 2);
}

}  // namespace
