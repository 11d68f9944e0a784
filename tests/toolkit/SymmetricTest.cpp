// Symmetric key handling, encryption and decryption, checked against `openssl enc`
// and the published SEED known answers.

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

struct CipherCase {
    int id;
    const char* encName;
    std::size_t keyLength;
    std::size_t ivLength;
};

const CipherCase kCiphers[] = {
    {32, "des-ede3-cbc", 24, 8},
    {48, "seed-cbc", 16, 16},
    {49, "aria-128-cbc", 16, 16},
    {50, "aes-128-cbc", 16, 16},
    {240, "aria-256-cbc", 32, 32},
};

Bytes Pattern(std::size_t length, unsigned char seed) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 7);
    return bytes;
}

class SymmetricTest : public ::testing::Test {
protected:
    Bytes Encrypt(const Bytes& plain) {
        Record input(plain), output;
        EXPECT_EQ(0, QLK_CRYPT_Encrypt(context_.get(), input.get(), output.get())) << context_.ErrorText();
        return output.bytes();
    }
    int SetKey(int cipher, const Bytes& key, const Bytes& iv) {
        Record keyRecord(key), ivRecord(iv);
        return QLK_CRYPT_SetKeyAndIV(context_.get(), cipher, keyRecord.get(), ivRecord.get());
    }
    // openssl enc with the key and the IV bytes that the cipher uses.
    Bytes OpenSslEncrypt(const CipherCase& c, const Bytes& key, const Bytes& iv, const Bytes& plain) {
        WriteFile(folder_.File("plain"), plain);
        Bytes usedIv(iv.begin(), iv.begin() + std::min<std::size_t>(iv.size(), 16));
        Shell(std::string("openssl enc -") + c.encName + " -provider legacy -provider default -K " + Hex(key) +
                      " -iv " + Hex(usedIv) + " -in " + folder_.File("plain") + " -out " + folder_.File("cipher"));
        return ReadFile(folder_.File("cipher"));
    }

    ScratchFolder folder_;
    ContextHandle context_;
};

TEST_F(SymmetricTest, EveryCipherMatchesOpenSslEnc) {
    for (const CipherCase& c : kCiphers) {
        Bytes key = Pattern(c.keyLength, 3), iv = Pattern(c.ivLength, 99);
        ASSERT_EQ(0, SetKey(c.id, key, iv)) << c.encName << context_.ErrorText();
        for (std::size_t length : {0u, 1u, 15u, 16u, 17u, 100u}) {
            Bytes plain = Pattern(length, 42);
            Bytes ours = Encrypt(plain);
            EXPECT_EQ(OpenSslEncrypt(c, key, iv, plain), ours) << c.encName << " length " << length;
            Record input(ours), output;
            ASSERT_EQ(0, QLK_CRYPT_Decrypt(context_.get(), input.get(), output.get())) << c.encName;
            EXPECT_EQ(plain, output.bytes()) << c.encName;
        }
    }
}

// A generated key has its cipher's lengths and is the one used from then on.
TEST_F(SymmetricTest, GeneratedKeyIsTheOneUsed) {
    const CipherCase& aria256 = kCiphers[4];
    ASSERT_EQ(0, QLK_CRYPT_GenKeyAndIV(context_.get(), aria256.id));
    int cipher = 0;
    Record key, iv;
    ASSERT_EQ(0, QLK_CRYPT_GetKeyAndIV(context_.get(), &cipher, key.get(), iv.get()));
    EXPECT_EQ(aria256.id, cipher);
    EXPECT_EQ(aria256.keyLength, key.bytes().size());
    EXPECT_EQ(aria256.ivLength, iv.bytes().size());
    const Bytes plain = Pattern(33, 1);
    EXPECT_EQ(OpenSslEncrypt(aria256, key.bytes(), iv.bytes(), plain), Encrypt(plain));
}

TEST_F(SymmetricTest, RefusalsHaveCodes) {
    Record input(Pattern(16, 1)), output;
    EXPECT_EQ(2003, QLK_CRYPT_Encrypt(context_.get(), input.get(), output.get()));
    int cipher = 0;
    Record key, iv;
    EXPECT_EQ(2003, QLK_CRYPT_GetKeyAndIV(context_.get(), &cipher, key.get(), iv.get()));
    EXPECT_EQ(2004, SetKey(48, Bytes(), Pattern(16, 1)));  // the empty key of a two-argument caller
    EXPECT_EQ(2005, SetKey(48, Pattern(16, 1), Bytes()));
    EXPECT_EQ(2001, SetKey(7, Pattern(16, 1), Pattern(16, 1)));
    EXPECT_EQ(2001, QLK_CRYPT_GenKeyAndIV(context_.get(), 0));

    ASSERT_EQ(0, SetKey(48, Pattern(16, 1), Pattern(16, 2)));
    Bytes cipherText = Encrypt(Pattern(40, 3));
    ASSERT_EQ(0, SetKey(48, Pattern(16, 9), Pattern(16, 2)));  // wrong key: the padding check fails
    Record wrong(cipherText), plain;
    EXPECT_EQ(2006, QLK_CRYPT_Decrypt(context_.get(), wrong.get(), plain.get()));
    Record ragged(Bytes(cipherText.begin(), cipherText.end() - 1));
    EXPECT_EQ(2006, QLK_CRYPT_Decrypt(context_.get(), ragged.get(), plain.get()));
    EXPECT_EQ(nullptr, plain.get()->data);  // a failure leaves the output alone
}

TEST_F(SymmetricTest, RandomBytes) {
    Record a, b;
    ASSERT_EQ(0, QLK_CRYPT_GenRandom(context_.get(), 32, a.get()));
    ASSERT_EQ(0, QLK_CRYPT_GenRandom(context_.get(), 32, b.get()));
    EXPECT_EQ(32u, a.bytes().size());
    EXPECT_NE(a.bytes(), b.bytes());
    EXPECT_EQ(1002, QLK_CRYPT_GenRandom(context_.get(), 0, a.get()));
}

}  // namespace
}  // namespace qlk_test
