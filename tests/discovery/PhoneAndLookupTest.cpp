// Phone certificates (bytes from the caller, refusals told through the message sink)
// and LoadFindCert; no command reaches either, so each has its successes and a refusal.

#include <stdexcept>
#include <string>
#include <vector>

#include "discovery/GeneratedStores.h"
#include "platform/Services.h"

namespace {

using namespace zorvane::test;
using CertList = CArray<tagCERTLIST, tagCERTLIST&>;

const char kAccreditedRefused[] = "휴대폰으로 부터 가져온 인증서가 공인인증서 이므로 사용할 수 없습니다.";
const char kGovernmentRefused[] = "휴대폰으로 부터 가져온 인증서가 행정전자서명 인증서 이므로 사용할 수 없습니다.";

class CapturedMessages : public zorvane::platform::MessageSink {
public:
    CapturedMessages() : m_previous(zorvane::platform::ReplaceMessageSink(this)) {}
    ~CapturedMessages() override { zorvane::platform::ReplaceMessageSink(m_previous); }
    int Show(const char* text, const char*, UINT type) override {
        texts.push_back(text ? text : "");
        EXPECT_EQ(type, static_cast<UINT>(MB_OK));
        return IDOK;
    }
    std::vector<std::string> texts;

private:
    zorvane::platform::MessageSink* m_previous;
};

struct PhoneCase {
    const char* store;
    int mode;
    int keySelector;
    const char* message;  // nullptr: none shown
    int records;
};

class PhoneTest : public StoreTest {};

TEST_F(PhoneTest, ModesRefuseByIssuerAndSelectorsAddOneOrTwoRecords) {
    const PhoneCase cases[] = {
        {"npki", 0, 0, nullptr, 2}, {"npki", 0, 1, nullptr, 1},           {"npki", 1, 1, kAccreditedRefused, 0},
        {"npki", 2, 1, nullptr, 1}, {"gpki", 2, 1, kGovernmentRefused, 0}, {"gpki", 1, 1, nullptr, 1},
        {"npki", 7, 1, nullptr, 0},
    };
    ByteString work = WorkPath();
    for (const PhoneCase& c : cases) {
        SCOPED_TRACE(std::string(c.store) + " mode " + std::to_string(c.mode) + " selector " +
                     std::to_string(c.keySelector));
        const UserRecord& user = Stores().FirstUser(c.store);
        ByteString cert = FileByteString(user.signing.certPath), key = FileByteString(user.signing.keyPath);
        ByteString policies, serial;
        CLoadCert loader(work);
        CertList list;
        CapturedMessages messages;
        EXPECT_EQ(loader.LoadCertsPhone(cert, key, c.mode, c.keySelector, policies, serial, list), 0);
        ASSERT_EQ(list.GetSize(), c.records);
        ASSERT_EQ(messages.texts.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(messages.texts[0], c.message);
        }
        for (int i = 0; i < list.GetSize(); ++i) {
            EXPECT_EQ(list[i].mediaType, 0);
            EXPECT_EQ(list[i].certType, 0);
            EXPECT_TRUE(list[i].signCertPath.IsEmpty());
            EXPECT_EQ(Text(list[i].signPriKey), ReadText(user.signing.keyPath));
            EXPECT_EQ(Text(list[i].hashValue), Sha1Sum(user.signing.certPath));
            EXPECT_EQ(Text(list[i].serialNo), user.signing.serial);
        }
    }
    ByteString garbage("not a certificate"), key, policies, serial;
    CertList list;
    EXPECT_NE(CLoadCert(work).LoadCertsPhone(garbage, key, 0, 1, policies, serial, list), 0);
    EXPECT_EQ(list.GetSize(), 0);
}

struct Found {
    ByteString signCert, signKey, kmCert, kmKey, random{"untouched"};
    int found = -1;
};

Found Find(CLoadCert& loader, const std::string& subject, const std::string& serial, const std::string& password) {
    Found out;
    ByteString dn(subject.c_str()), number(serial.c_str()), secret(password.c_str());
    EXPECT_EQ(loader.LoadFindCert(dn, number, secret, out.signCert, out.signKey, out.kmCert, out.kmKey, out.random,
                                  &out.found),
              0);
    return out;
}

class LookupTest : public StoreTest {
protected:
    // A user whose certificate is valid; for GPKI, one of class 2.
    static const UserRecord& ValidUser(const std::string& store) {
        const UserRecord* user = nullptr;
        for (const UserRecord* candidate : Stores().Users(store)) {
            if (candidate->validity == "valid" && (store != "gpki" || candidate->gpkiClass == "class2")) user = candidate;
        }
        if (!user) throw std::runtime_error("no valid user in " + store);
        return *user;
    }
};

// Each layout on the hard disk, GPKI's taken for a government name in any case and
// searched on every drive; a wrong password finds nothing and leaves the outputs.
TEST_F(LookupTest, FindsEachLayoutOnTheHardDiskWithTheRightPasswordAndSerial) {
    ByteString work = WorkPath();
    for (const std::string store : {"npki", "mpki", "gpki"}) {
        SCOPED_TRACE(store);
        const UserRecord& user = ValidUser(store);
        std::string subject = user.signing.subject;
        const std::string government = "o=Government of Korea";
        if (store == "gpki") subject.replace(subject.find(government), government.size(), "o=GOVERNMENT of korea");
        CLoadCert loader(work);
        Found wrong = Find(loader, subject, user.signing.serial, "wrong password");
        EXPECT_EQ(wrong.found, 0);
        EXPECT_TRUE(wrong.signKey.IsEmpty());
        EXPECT_EQ(Text(wrong.random), "untouched");
        Found found = Find(loader, subject, user.signing.serial, user.password);
        EXPECT_EQ(found.found, 1);
        EXPECT_EQ(Text(found.signCert), ReadText(user.signing.certPath));
        EXPECT_EQ(Text(found.kmCert), ReadText(user.keyManagement.certPath));
        EXPECT_FALSE(found.signKey.IsEmpty());
        EXPECT_FALSE(found.kmKey.IsEmpty());
        EXPECT_NE(Text(found.signKey), ReadText(user.signing.keyPath));  // decrypted, not the file
        EXPECT_EQ(Text(found.random.ToHex()), user.randomHex);
        // A wrong password on the hard disk is no reason to search the drives; each GPKI
        // search lists the drives again.
        EXPECT_EQ(loader.m_driveList.GetCount(), store == "gpki" ? 4 : 0);
    }
}

}  // namespace
