// Key files written and read through QLK_PRIKEY_, checked with `openssl pkcs8` and an
// independent seedCBCWithSHA1 derivation; VID random and VID checks.

#include <openssl/evp.h>

#include <memory>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

const char kPassword[] = "qwer1234!";
const char kIdentityNumber[] = "8001011234567";

class PrivateKeyVidTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = std::make_unique<ScratchFolder>();
        random_ = FromHex("00112233445566778899aabbccddeeff01020304");
        vid_ = MakeVidCertificate(*folder_, kIdentityNumber, random_);
    }
    static void TearDownTestSuite() { folder_.reset(); }

    Bytes EncryptKey(int scheme, const Bytes& key, const char* password) {
        Record plain(key), encrypted;
        EXPECT_EQ(0, QLK_PRIKEY_Encrypt(context_.get(), scheme, password, plain.get(), encrypted.get()))
            << context_.ErrorText();
        return encrypted.bytes();
    }
    int DecryptKey(const Bytes& file, const char* password, Bytes& key) {
        Record encrypted(file), plain;
        int result = QLK_PRIKEY_Decrypt(context_.get(), password, encrypted.get(), plain.get());
        key = plain.bytes();
        return result;
    }

    static std::unique_ptr<ScratchFolder> folder_;
    static Bytes random_;
    static VidCertificate vid_;
    ContextHandle context_;
};

std::unique_ptr<ScratchFolder> PrivateKeyVidTest::folder_;
Bytes PrivateKeyVidTest::random_;
VidCertificate PrivateKeyVidTest::vid_;

// The key file written as written.key, decrypted as seedCBCWithSHA1 by hand: PBKDF1-SHA1 with OpenSSL's digest, then `openssl enc -seed-cbc`.
Bytes DecryptSeedCbcWithSha1(const ScratchFolder& folder, const std::string& password) {
    std::string parsed = Shell(OpenSsl("asn1parse -inform DER -in " + folder.File("written.key")));
    // Lines: OBJECT :1.2.410.200004.1.15, OCTET STRING [HEX DUMP]:salt, INTEGER :800, OCTET STRING (data).
    auto field = [&](std::size_t from, const char* marker) {
        std::size_t at = parsed.find(marker, from);
        std::size_t colon = parsed.find(':', at + std::string(marker).size() - 1);
        return std::make_pair(at, parsed.substr(colon + 1, parsed.find('\n', colon) - colon - 1));
    };
    auto [oidAt, oid] = field(0, "OBJECT            :");
    EXPECT_EQ("1.2.410.200004.1.15", oid);
    auto [saltAt, saltHex] = field(oidAt, "[HEX DUMP]:");
    auto [countAt, countHex] = field(saltAt, "INTEGER           :");
    int iterations = std::stoi(countHex, nullptr, 16);
    EXPECT_EQ(2048, iterations);
    Bytes salt = FromHex(saltHex);
    Bytes block(password.begin(), password.end());
    block.insert(block.end(), salt.begin(), salt.end());
    unsigned char digest[20];
    for (int i = 0; i < iterations; ++i) {
        EVP_Digest(block.data(), block.size(), digest, nullptr, EVP_sha1(), nullptr);
        block.assign(digest, digest + 20);
    }
    Bytes key(block.begin(), block.begin() + 16);
    EVP_Digest(block.data() + 16, 4, digest, nullptr, EVP_sha1(), nullptr);
    Bytes iv(digest, digest + 16);
    // The encrypted data is the last OCTET STRING of the file.
    std::size_t dataAt = parsed.rfind("OCTET STRING");
    std::size_t offset = std::stoul(parsed.substr(parsed.rfind('\n', dataAt) + 1));
    std::string strparse = OpenSsl("asn1parse -inform DER -in " + folder.File("written.key") + " -strparse " +
                                   std::to_string(offset) + " -noout -out " + folder.File("data.bin"));
    Shell(strparse);
    Shell(OpenSsl("enc -d -seed-cbc -provider legacy -provider default -K " + Hex(key) + " -iv " + Hex(iv) + " -in " +
                  folder.File("data.bin") + " -out " + folder.File("decrypted.der")));
    return ReadFile(folder.File("decrypted.der"));
}

TEST_F(PrivateKeyVidTest, DefaultSchemeIsSeedCbcWithSha1AndDecryptsIndependently) {
    Bytes file = EncryptKey(0, vid_.keyWithRandom, kPassword);
    WriteFile(folder_->File("written.key"), file);
    EXPECT_EQ(vid_.keyWithRandom, DecryptSeedCbcWithSha1(*folder_, kPassword));
    Bytes key;
    ASSERT_EQ(0, DecryptKey(file, kPassword, key));
    EXPECT_EQ(vid_.keyWithRandom, key);
    EXPECT_NE(file, EncryptKey(0, vid_.keyWithRandom, kPassword));  // fresh salt each time
}

TEST_F(PrivateKeyVidTest, Pbes2KeyFilesInteroperateWithOpenSsl) {
    Bytes file = EncryptKey(2, vid_.plainKey, kPassword);
    WriteFile(folder_->File("pbes2.key"), file);
    Shell(OpenSsl("pkcs8 -inform DER -in " + folder_->File("pbes2.key") + " -passin pass:" + kPassword +
                  " -provider legacy -provider default | openssl pkcs8 -topk8 -nocrypt -outform DER -out " +
                  folder_->File("pbes2.plain")));
    EXPECT_EQ(vid_.plainKey, ReadFile(folder_->File("pbes2.plain")));
    std::string parsed = Shell(OpenSsl("asn1parse -inform DER -in " + folder_->File("pbes2.key")));
    EXPECT_NE(std::string::npos, parsed.find("PBES2"));
    EXPECT_NE(std::string::npos, parsed.find("INTEGER           :0800"));

    WriteFile(folder_->File("plain.der"), vid_.plainKey);
    Shell(OpenSsl("pkcs8 -topk8 -inform DER -in " + folder_->File("plain.der") + " -v2 seed-cbc -v2prf hmacWithSHA1 "
                  "-passout pass:other -outform DER -out " + folder_->File("theirs.key") + " -provider legacy -provider default"));
    Bytes key;
    ASSERT_EQ(0, DecryptKey(ReadFile(folder_->File("theirs.key")), "other", key));
    EXPECT_EQ(vid_.plainKey, key);
}

TEST_F(PrivateKeyVidTest, ChangingThePasswordKeepsTheKeyAndTheScheme) {
    for (int scheme : {1, 2}) {
        Record file(EncryptKey(scheme, vid_.keyWithRandom, kPassword)), changed;
        ASSERT_EQ(0, QLK_PRIKEY_ChangePasswd(context_.get(), kPassword, "새암호", file.get(), changed.get()));
        Bytes key;
        EXPECT_EQ(3003, DecryptKey(changed.bytes(), kPassword, key));
        ASSERT_EQ(0, DecryptKey(changed.bytes(), "새암호", key));
        EXPECT_EQ(vid_.keyWithRandom, key);
        WriteFile(folder_->File("changed.key"), changed.bytes());
        bool pbes2 = Shell(OpenSsl("asn1parse -inform DER -in " + folder_->File("changed.key"))).find("PBES2") != std::string::npos;
        EXPECT_EQ(scheme == 2, pbes2);
        EXPECT_EQ(3003, QLK_PRIKEY_ChangePasswd(context_.get(), "wrong", "x", file.get(), changed.get()));
    }
}

TEST_F(PrivateKeyVidTest, KeyFileFailures) {
    Bytes file = EncryptKey(0, vid_.plainKey, kPassword), key;
    EXPECT_EQ(3003, DecryptKey(file, "qwer1235!", key));
    EXPECT_NE(std::string::npos, context_.ErrorText().find("QLK_PRIKEY_Decrypt: [3003] wrong password"));
    EXPECT_EQ(3001, DecryptKey(ToBytes("garbage, not DER"), kPassword, key));
    EXPECT_EQ(1003, DecryptKey(Bytes(), kPassword, key));
    EXPECT_EQ(1002, DecryptKey(file, nullptr, key));
    Record plain(ToBytes("not a key")), encrypted;
    EXPECT_EQ(2007, QLK_PRIKEY_Encrypt(context_.get(), 0, kPassword, plain.get(), encrypted.get()));
    Record realKey(vid_.plainKey);
    EXPECT_EQ(3005, QLK_PRIKEY_Encrypt(context_.get(), 9, kPassword, realKey.get(), encrypted.get()));
}

TEST_F(PrivateKeyVidTest, RandomComesFromTheDecryptedKey) {
    Bytes file = EncryptKey(0, vid_.keyWithRandom, kPassword), key;
    ASSERT_EQ(0, DecryptKey(file, kPassword, key));
    Record keyRecord(key), random;
    ASSERT_EQ(0, QLK_VID_GetRandomFromPriKey(context_.get(), keyRecord.get(), random.get()));
    EXPECT_EQ(random_, random.bytes());
    // openssl reads the key with its attribute as a normal key.
    WriteFile(folder_->File("withrandom.der"), key);
    EXPECT_EQ(0, ShellStatus(OpenSsl("pkey -inform DER -in " + folder_->File("withrandom.der") + " -noout")));

    Record plain(vid_.plainKey);
    EXPECT_EQ(3501, QLK_VID_GetRandomFromPriKey(context_.get(), plain.get(), random.get()));
    Record garbage(ToBytes("garbage"));
    EXPECT_EQ(2007, QLK_VID_GetRandomFromPriKey(context_.get(), garbage.get(), random.get()));
}

TEST_F(PrivateKeyVidTest, SubjectAltNameShowsTheRealName) {
    Record certificate(vid_.certificate);
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), certificate.get()));
    char text[256];
    ASSERT_EQ(0, QLK_CERT_GetSubjectAltName(context_.get(), sizeof text, text));
    EXPECT_STREQ("identifyData=홍길동", text);
}

TEST_F(PrivateKeyVidTest, VidIsTrueOnlyForTheRightNumberAndRandom) {
    Record certificate(vid_.certificate), random(random_);
    EXPECT_EQ(0, QLK_VID_Verify(context_.get(), certificate.get(), random.get(), kIdentityNumber));
    EXPECT_EQ(3505, QLK_VID_Verify(context_.get(), certificate.get(), random.get(), "8001011234568"));
    EXPECT_NE(std::string::npos, context_.ErrorText().find("do not match"));
    Bytes otherRandom = random_;
    otherRandom[19] ^= 1;
    EXPECT_EQ(3505, QLK_VID_Verify(context_.get(), certificate.get(), Record(otherRandom).get(), kIdentityNumber));
    EXPECT_EQ(3505, QLK_VID_Verify(context_.get(), certificate.get(), random.get(), ""));

    ScratchFolder folder;
    TestCertificate plain = MakePlainCertificate(folder);
    EXPECT_EQ(3502, QLK_VID_Verify(context_.get(), Record(plain.der).get(), random.get(), kIdentityNumber));
    EXPECT_EQ(1503, QLK_VID_Verify(context_.get(), Record(ToBytes("junk")).get(), random.get(), kIdentityNumber));
    EXPECT_EQ(1002, QLK_VID_Verify(context_.get(), certificate.get(), random.get(), nullptr));
}

}  // namespace
}  // namespace qlk_test
