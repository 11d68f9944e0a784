// The exported key-file and VID functions over the key-file library, whose formats the
// tests in keys/ check against openssl and python3: here the scheme selectors, the
// iteration count, and the code each failure maps to.

#include <memory>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

const char kPassword[] = "qwer1234!";

// The generated user's signing key (with its randomNum) and key-management key (without).
class PrivateKeyVidTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ContextHandle context;
        const GeneratedUser& generated = FirstGeneratedUser();
        keyWithRandom_ = Decrypted(context, generated.signKey);
        plainKey_ = Decrypted(context, generated.kmKey);
    }
    static Bytes Decrypted(ContextHandle& context, const Bytes& file) {
        Record encrypted(file), key;
        EXPECT_EQ(0, QLK_PRIKEY_Decrypt(context.get(), User().password.c_str(), encrypted.get(), key.get()));
        return key.bytes();
    }
    static const zorvane::pkigen::UserRecord& User() { return FirstGeneratedUser().user; }

    Bytes EncryptKey(int scheme, const Bytes& key) {
        Record plain(key), encrypted;
        EXPECT_EQ(0, QLK_PRIKEY_Encrypt(context_.get(), scheme, kPassword, plain.get(), encrypted.get()))
            << context_.ErrorText();
        return encrypted.bytes();
    }
    int DecryptKey(const Bytes& file, const char* password, Bytes& key) {
        Record encrypted(file), plain;
        const int result = QLK_PRIKEY_Decrypt(context_.get(), password, encrypted.get(), plain.get());
        key = plain.bytes();
        return result;
    }
    std::string Asn1Parse(const Bytes& der) {
        WriteFile(scratch_.File("parsed.der"), der);
        return Shell("openssl asn1parse -inform DER -in " + scratch_.File("parsed.der"));
    }

    static inline Bytes keyWithRandom_, plainKey_;
    ScratchFolder scratch_;
    ContextHandle context_;
};

TEST_F(PrivateKeyVidTest, SchemesRoundTripAndKeepTheirFormWhenThePasswordChanges) {
    // Each selector and the outer algorithm asn1parse names for it.
    const std::pair<int, const char*> kRows[] = {
        {0, ":1.2.410.200004.1.15"}, {1, ":1.2.410.200004.1.15"}, {48, ":1.2.410.200004.1.15"}, {2, ":PBES2"}};
    for (const auto& [selector, algorithm] : kRows) {
        SCOPED_TRACE(selector);
        Record file(EncryptKey(selector, keyWithRandom_)), changed;
        const std::string parsed = Asn1Parse(file.bytes());
        EXPECT_NE(std::string::npos, parsed.find(algorithm)) << parsed;
        EXPECT_NE(std::string::npos, parsed.find("INTEGER           :0800")) << parsed;
        ASSERT_EQ(0, QLK_PRIKEY_ChangePasswd(context_.get(), kPassword, "새암호", file.get(), changed.get()));
        Bytes key;
        EXPECT_EQ(3003, DecryptKey(changed.bytes(), kPassword, key));
        ASSERT_EQ(0, DecryptKey(changed.bytes(), "새암호", key));
        EXPECT_EQ(keyWithRandom_, key);
        EXPECT_NE(std::string::npos, Asn1Parse(changed.bytes()).find(algorithm));
        EXPECT_EQ(3003, QLK_PRIKEY_ChangePasswd(context_.get(), "wrong", "x", file.get(), changed.get()));
    }
}

TEST_F(PrivateKeyVidTest, KeyFileFailuresHaveTheirCodes) {
    Bytes key;
    EXPECT_EQ(3001, DecryptKey(ToBytes("garbage, not DER"), kPassword, key));
    EXPECT_EQ(1003, DecryptKey({}, kPassword, key));
    EXPECT_EQ(1002, DecryptKey(EncryptKey(0, plainKey_), nullptr, key));
    Record notKey(ToBytes("not a key")), plain(plainKey_), encrypted;
    EXPECT_EQ(2007, QLK_PRIKEY_Encrypt(context_.get(), 0, kPassword, notKey.get(), encrypted.get()));
    EXPECT_EQ(3005, QLK_PRIKEY_Encrypt(context_.get(), 3, kPassword, plain.get(), encrypted.get()));
    EXPECT_EQ(nullptr, encrypted.get()->data);
}

TEST_F(PrivateKeyVidTest, RandomComesFromTheKeysAttribute) {
    const std::pair<Bytes, int> kRows[] = {{keyWithRandom_, 0}, {plainKey_, 3501}, {ToBytes("garbage"), 2007}};
    for (const auto& [key, code] : kRows) {
        Record keyRecord(key), random;
        EXPECT_EQ(code, QLK_VID_GetRandomFromPriKey(context_.get(), keyRecord.get(), random.get()));
        EXPECT_EQ(code == 0 ? User().randomHex : "", Hex(random.bytes()));
    }
}

struct VidRow {
    const char* name;
    Bytes certificate;
    const char* identityNumber;
    int code;
};

TEST_F(PrivateKeyVidTest, VidHoldsOnlyForTheRightNumber) {
    const GeneratedUser& generated = FirstGeneratedUser();
    std::string otherNumber = User().identityNumber;
    otherNumber.back() = otherNumber.back() == '0' ? '1' : '0';
    ScratchFolder plainFolder;
    const VidRow kRows[] = {
        {"right", generated.signCert, User().identityNumber.c_str(), 0},
        {"other number", generated.signCert, otherNumber.c_str(), 3505},
        {"no number", generated.signCert, nullptr, 1002},
        {"no identify data", MakePlainCertificate(plainFolder).der, User().identityNumber.c_str(), 3502},
        {"not a certificate", ToBytes("junk"), User().identityNumber.c_str(), 1503},
    };
    Record random(FromHex(User().randomHex));
    for (const VidRow& row : kRows) {
        Record certificate(row.certificate);
        EXPECT_EQ(row.code, QLK_VID_Verify(context_.get(), certificate.get(), random.get(), row.identityNumber))
            << row.name;
    }
    ASSERT_EQ(0, QLK_CERT_Load(context_.get(), Record(generated.signCert).get()));
    char text[256];
    ASSERT_EQ(0, QLK_CERT_GetSubjectAltName(context_.get(), sizeof text, text));
    EXPECT_EQ("identifyData=" + User().realName, text);
}

}  // namespace
}  // namespace qlk_test
