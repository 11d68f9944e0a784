// Card and token discovery through CLoadCert, over the generator's card images and
// SoftHSM2 tokens.

#include <zorvane/LoadCert.h>

#include "toolkit/media/MediaWorld.h"

namespace media_test {
namespace {

using zorvane::testsupport::ReadBytes;
using zorvane::testsupport::TempFolder;
using CertList = CArray<tagCERTLIST, tagCERTLIST&>;

const char kTokenUnreadable[] = "보안토큰에 있는 인증서를 읽을 수 없습니다.";

Bytes BytesOf(const ByteString& text) {
    return Bytes(text.GetData(), text.GetData() + text.GetLength());
}

struct Listing {
    int result = -1;
    int count = -1;
    CertList list;
};

// LoadCerts for a card (media 3) or a token (media 4, module given to the constructor).
class DiscoveryTest : public ::testing::Test {
protected:
    DiscoveryTest() : world_(MediaWorld::Get()) {}

    void Load(CLoadCert& loader, int media, int storeMask, int keySelector, const std::string& reader, Listing& listing) {
        ByteString subject, serial, policies, drive, mediaText(reader.c_str());
        listing.result = loader.LoadCerts(media, subject, serial, storeMask, policies, keySelector, drive, mediaText, 0,
                                          0, listing.list, listing.count);
    }
    CLoadCert& TokenLoader(const std::string& module) {
        ByteString work(world_.work.c_str()), text2, modulePath(module.c_str());
        loader_ = std::make_unique<CLoadCert>(work, text2, modulePath);
        return *loader_;
    }

    const MediaWorld& world_;
    std::unique_ptr<CLoadCert> loader_;
};

struct CardCase {
    const char* reader;
    int storeMask;
    int keySelector;
    std::vector<int> certTypes;  // of the records, in order
    bool withKm;
    int result = 0;
};

TEST_F(DiscoveryTest, CardSlotsByStoreMaskAndKeySelector) {
    const CardCase cases[] = {
        {"reader1", 0, 0, {0, 1}, true},
        {"reader1", 2, 1, {1}, false},
        {"reader1", 1, 2, {}, false, 1},  // a key-management slot fills kmCert, which is not parsed
        {"reader1", 7, 0, {}, false},
        {"reader2", 0, 1, {1}, false},  // only the NPKI signing slot is filled
        {"reader2", 0, 2, {}, false},
        {"reader3", 0, 0, {}, false},
    };
    for (const CardCase& test : cases) {
        ByteString work(world_.work.c_str());
        CLoadCert loader(work);
        Listing listing;
        Load(loader, 3, test.storeMask, test.keySelector, world_.cards + "/" + test.reader, listing);
        const std::string name = std::string(test.reader) + " mask " + std::to_string(test.storeMask) + " selector " +
                                 std::to_string(test.keySelector);
        EXPECT_EQ(listing.result, test.result) << name << ": " << loader.m_errorText.GetData();
        ASSERT_EQ(listing.count, static_cast<int>(test.certTypes.size())) << name;
        for (int i = 0; i < listing.count; ++i) {
            tagCERTLIST& record = listing.list[i];
            EXPECT_EQ(record.certType, test.certTypes[static_cast<std::size_t>(i)]) << name;
            EXPECT_EQ(record.kmCert.IsEmpty(), !test.withKm) << name;
            EXPECT_FALSE(record.subjectName.IsEmpty()) << name;
        }
    }
}

TEST_F(DiscoveryTest, CardRecordsGetTheirKeysFromTheSameSlots) {
    ByteString work(world_.work.c_str());
    CLoadCert loader(work);
    Listing listing;
    const std::string reader = world_.cards + "/reader1";
    Load(loader, 3, 2, 0, reader, listing);
    ASSERT_EQ(listing.count, 1);
    tagCERTLIST& record = listing.list[0];
    EXPECT_EQ(BytesOf(record.signCert), ReadBytes(world_.npki[0]->signing.certPath));
    ByteString text1(reader.c_str()), text2;
    ASSERT_EQ(loader.InsertPriKeyFromCARD(text1, text2, record), 0);
    EXPECT_EQ(BytesOf(record.signPriKey), ReadBytes(world_.npki[0]->signing.keyPath));
    EXPECT_EQ(BytesOf(record.kmPriKey), ReadBytes(world_.npki[0]->keyManagement.keyPath));
    tagCERTLIST privateRecord;
    privateRecord.certType = 3;
    EXPECT_EQ(loader.InsertPriKeyFromCARD(text1, text2, privateRecord), 0);
    EXPECT_TRUE(privateRecord.signPriKey.IsEmpty());
}

// Pairs by info text: one record per user with both certificates and identifiers. The
// wrapping module answers the first load as initialised elsewhere.
TEST_F(DiscoveryTest, TokenPairsSigningAndKeyManagementByInfo) {
    struct Case {
        const char* module;
        int keySelector;
        bool signingFirst;
        bool withKm;
    } cases[] = {{ONCE_MODULE, 0, true, true}, {SOFTHSM_MODULE, 0, true, true}, {SOFTHSM_MODULE, 1, true, false},
                 {SOFTHSM_MODULE, 2, false, false}};
    for (const Case& test : cases) {
        CLoadCert& loader = TokenLoader(test.module);
        Listing listing;
        Load(loader, 4, 0, test.keySelector, "", listing);
        ASSERT_EQ(listing.result, 0) << loader.m_spareText.GetData();
        ASSERT_EQ(listing.count, static_cast<int>(world_.npki.size()));
        for (int i = 0; i < listing.count; ++i) {
            tagCERTLIST& record = listing.list[i];
            const Bytes id = BytesOf(record.signPriKey);
            const pkigen_user* owner = nullptr;
            for (const pkigen_user* user : world_.npki) {
                const auto& pair = test.signingFirst ? user->signing : user->keyManagement;
                if (IdOfCertificate(pair.certPath) == id) owner = user;
            }
            ASSERT_NE(owner, nullptr) << "selector " << test.keySelector;
            const auto& first = test.signingFirst ? owner->signing : owner->keyManagement;
            EXPECT_EQ(BytesOf(record.signCert), ReadBytes(first.certPath));
            EXPECT_EQ(qlk_test::Hex(BytesOf(record.reserved1)), test.signingFirst ? owner->randomHex : "");
            EXPECT_EQ(record.kmCert.IsEmpty(), !test.withKm);
            if (test.withKm) {
                EXPECT_EQ(BytesOf(record.kmCert), ReadBytes(owner->keyManagement.certPath));
                EXPECT_EQ(BytesOf(record.kmPriKey), IdOfCertificate(owner->keyManagement.certPath));
            }
        }
    }
}

TEST_F(DiscoveryTest, TokenSignatureAndRandomForTheSigningStep) {
    CLoadCert& loader = TokenLoader(SOFTHSM_MODULE);
    ByteString module(SOFTHSM_MODULE), data("data to sign"), signature, random;
    const Bytes idBytes = IdOfCertificate(world_.npki[0]->signing.certPath);
    ByteString id;
    id.SetData(idBytes.data(), static_cast<int>(idBytes.size()));
    std::string pin = world_.pin;
    ASSERT_EQ(loader.LoadPKCS11PriKeyRandom(module, nullptr, id, random), 0);
    EXPECT_EQ(qlk_test::Hex(BytesOf(random)), world_.npki[0]->randomHex);
    ASSERT_EQ(loader.GetPKCS11Signature(data, module, &pin[0], id, signature), 0) << loader.m_spareText.GetData();
    TempFolder scratch;
    qlk_test::WriteFile(scratch / "sig", BytesOf(signature));
    scratch.Write("data", "data to sign");
    qlk_test::Shell("openssl x509 -inform DER -pubkey -noout -in '" + world_.npki[0]->signing.certPath + "' > " +
                    scratch / "pub");
    EXPECT_NE(qlk_test::Shell("openssl dgst -sha256 -verify " + scratch / "pub" + " -signature " + scratch / "sig" +
                              " " + scratch / "data")
                  .find("Verified OK"),
              std::string::npos);
    std::string wrong = "000000";
    EXPECT_EQ(loader.GetPKCS11Signature(data, module, &wrong[0], id, signature), 2605);
    EXPECT_STREQ(loader.m_errorText.GetData(), kTokenUnreadable);
}

}  // namespace
}  // namespace media_test
