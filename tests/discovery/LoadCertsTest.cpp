// LoadCerts and the disk and private readers over stores made by the test-PKI generator.

#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "discovery/GeneratedStores.h"

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

// Users of the stores a mask selects (every store without one).
std::vector<const UserRecord*> Selected(int storeMask) {
    const std::map<std::string, int> bits = {
        {"gpki", kMaskGpki}, {"npki", kMaskNpki}, {"mpki", kMaskMpki}, {"private", kMaskPrivate}};
    std::vector<const UserRecord*> users;
    for (const UserRecord& user : GeneratedStores::Get().pki.users) {
        if (storeMask == 0 || (storeMask & bits.at(user.store))) users.push_back(&user);
    }
    return users;
}

// The user of each record from `first` on, found by the SHA-1 of the certificate the key
// selector chooses; every one of `users` must be listed once, and nothing else.
std::vector<const UserRecord*> Matched(const CertList& list, int first, const std::vector<const UserRecord*>& users,
                                       int keySelector) {
    std::map<std::string, const UserRecord*> byHash;
    for (const UserRecord* user : users) byHash[Sha1Sum(CertFile(*user, keySelector))] = user;
    std::vector<const UserRecord*> matched;
    for (int i = first; i < list.GetSize(); ++i) {
        const auto found = byHash.find(Text(list[i].hashValue));
        EXPECT_NE(found, byHash.end()) << "listed but not expected: " << Text(list[i].subjectName);
        matched.push_back(found == byHash.end() ? nullptr : found->second);
        if (found != byHash.end()) byHash.erase(found);
    }
    EXPECT_TRUE(byHash.empty()) << byHash.size() << " certificates not listed";
    return matched;
}

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

    ByteString m_work;
    std::unique_ptr<CLoadCert> m_loader;
    CertList m_list;
    int m_count = 0;
};

// The toolkit's reading is judged against openssl in its own tests; here, what lands in
// which field, against what the generator made.
TEST_F(LoadCertsTest, RecordFieldsAreTheGeneratedCertificates) {
    LoadWith(Request{});
    const auto users = Matched(m_list, 0, Selected(0), 1);
    const std::map<std::string, int> storeKinds = {{"gpki", 0}, {"npki", 1}, {"mpki", 2}, {"private", 3}};
    const int readerRank[] = {0, 2, 1, 3};  // by certType: GPKI, then MPKI, NPKI and private
    for (int i = 0; i < m_list.GetSize(); ++i) {
        ASSERT_TRUE(users[i]);
        const UserRecord& user = *users[i];
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
        EXPECT_EQ(Text(record.hashAlgo), "sha1");
        EXPECT_EQ(Text(record.signCert), ReadText(user.signing.certPath));
        EXPECT_EQ(Text(record.signPriKey), ReadText(user.signing.keyPath));
        EXPECT_TRUE(record.kmCert.IsEmpty());
        EXPECT_EQ(Text(record.version), "V3");
        EXPECT_EQ(record.mediaType, 0);
        EXPECT_EQ(record.certType, storeKinds.at(user.store));
        if (i > 0) {
            EXPECT_LE(readerRank[m_list[i - 1].certType], readerRank[record.certType]) << "stores in reader order";
        }
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
        const auto selected = Selected(row.mask);
        ASSERT_GE(selected.size(), row.mask == 0 ? 20u : 1u);
        EXPECT_EQ(m_count, (row.mask == 0 ? 0 : 1000) + static_cast<int>(selected.size()));
        const int kept = row.before == 1 ? 1 : 0;
        EXPECT_EQ(kept == 1, Text(m_list[0].subjectName) == "the caller's choice");
        const auto users = Matched(m_list, kept, selected, row.selector);
        ASSERT_FALSE(users.empty() || !users.front());
        const UserRecord& user = *users.front();
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

TEST_F(LoadCertsTest, RemovableDriveMediaReadsTheDriveRoot) {
    const UserRecord& mpki = Stores().FirstUser("mpki");
    const std::string stick = m_scratch / "stick";
    CopyTree(fs::path(mpki.signing.certPath).parent_path(), stick + "/MPKI/User/y");
    UseDrives(m_scratch / "empty-home", stick);

    Request request;
    request.media = 1;
    request.drive = "E:\\";
    LoadWith(request);
    Matched(m_list, 0, {&mpki}, 1);
    ASSERT_EQ(m_count, 1);
    EXPECT_EQ(m_list[0].mediaType, 1);
    EXPECT_EQ(m_list[0].certType, 2);
    request.media = 5;  // no folder is built for other media, not even the current folder
    EXPECT_EQ(LoadWith(request), 0);
    EXPECT_EQ(m_count, 0);
}

TEST_F(LoadCertsTest, AReaderSkipsMissingCertificateOrKeyFilesWith300And301) {
    const UserRecord& user = Stores().FirstUser("npki", "yessign");
    const std::string home = m_scratch / "home";
    const std::string userFolder = home + "/NPKI/yessign/USER/";
    const fs::path source = fs::path(user.signing.certPath).parent_path();
    CopyTree(source, userFolder + "a");
    CopyTree(source, userFolder + "c");
    UseDrives(home, Stores().stick);

    ByteString work = WorkPath(), ca("yessign"), drive;
    CLoadCert loader(work);
    ASSERT_EQ(loader.m_crypto.Init(2, 0, 0, loader.m_workPath), 0);  // LoadCerts opens it for its readers
    loader.m_errorText = "before";
    CertList list;
    int count = -1;
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 0);
    EXPECT_EQ(count, 2);

    fs::remove(userFolder + "c/signPri.key");
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 301);
    EXPECT_EQ(count, 1);
    fs::remove(userFolder + "c/signCert.der");
    EXPECT_EQ(loader.AddCertList_NPKICert(ca, 0, 1, drive, list, count), 300);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Text(loader.m_errorText), "before");
}

TEST_F(LoadCertsTest, DefaultObjectOpensNoToolkitAndLeavesTheListAlone) {
    CLoadCert loader;
    tagCERTLIST record;
    m_list.Add(record);
    m_list.Add(record);
    m_count = 42;
    EXPECT_NE(Load(loader, Request{}, m_list, m_count), 0);
    EXPECT_EQ(m_count, 42);
    EXPECT_EQ(m_list.GetSize(), 2);
}

}  // namespace
