#include <zorvane/GenKey.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/FaultKit.h"

namespace {

constexpr int kNpki = 1;

// The fault toolkit records each call; every digest it makes is the same known text, so
// the inputs of the later steps can be written out.
class GenKeyCalls : public ::testing::Test {
protected:
    GenKeyCalls() : kit("full", "Quellark.dll"), generator(kNpki, 48, 1, ByteString(kit.Folder().c_str())) {
        kit.Reset();
    }

    FaultKit kit;
    CGenKey generator;
};

// 40 printable bytes: every digest of the fault toolkit in these tests.
const std::string kDigest = "0123456789abcdefghijklmnopqrstuvwxyzABCD";

std::string Hash(int algorithm, const std::string& input) {
    return "QLK_CRYPT_Hash(" + std::to_string(algorithm) + ", [" + input + "], out)";
}

// The digests of the derivation over a secret and a seed, when every digest is kDigest.
std::vector<std::string> DerivationCalls(const std::string& secret, const std::string& seed) {
    std::vector<std::string> calls = {Hash(1, secret)};
    for (const char* label : {"A", "BB", "CCC", "DDDD"}) {
        calls.push_back(Hash(1, label + kDigest + seed));
        calls.push_back(Hash(1, kDigest + kDigest));
        calls.push_back(Hash(4, kDigest));
    }
    return calls;
}

std::string Lines(const std::vector<std::string>& calls) {
    std::string text;
    for (const std::string& call : calls) text += (text.empty() ? "" : "\n") + call;
    return text;
}

TEST_F(GenKeyCalls, KeyBlockIsFourRoundsOfTheLabelledDigests) {
    kit.SetOutput("QLK_CRYPT_Hash", 1, kDigest.c_str());
    ByteString block;
    ASSERT_EQ(0, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), block));
    EXPECT_EQ(Lines(DerivationCalls("pw", "s1s2")), kit.Calls());
    EXPECT_EQ(kDigest + kDigest + kDigest + kDigest, std::string(block.GetData(), 160));
}

// The fault toolkit's own digests are 12 bytes ("CRYPT_Hash#1"): a 48-byte key block
// is too short for every algorithm and is refused, not cut.
TEST_F(GenKeyCalls, ShortDigestsGiveAKeyBlockThatIsRefused) {
    tagSESSIONINFO session;
    EXPECT_EQ(106, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), session));
    EXPECT_TRUE(session.clientKey.IsEmpty());
    EXPECT_TRUE(session.algoText.IsEmpty());
    ByteString block;
    ASSERT_EQ(0, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), block));
    EXPECT_EQ(48, block.GetLength());
    kit.Reset();
    ByteString out("untouched");
    EXPECT_EQ(106, generator.EncKeyIV(48, ByteString("pw"), ByteString("data"), out));
    EXPECT_EQ(Hash(4, "pw"), kit.Calls());
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

TEST_F(GenKeyCalls, DigestFailureOfTheSecretIsPassedOn) {
    kit.Fail("QLK_CRYPT_Hash", 1234, "no digest");
    ByteString block("untouched");
    EXPECT_EQ(1234, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), block));
    EXPECT_EQ(Hash(1, "pw"), kit.Calls());
    EXPECT_EQ(std::string("untouched"), block.GetData());
}

// The seeds come from the swapped halves of H4(secret); the client key and IV are cut
// from the block by the algorithm's layout, and only they reach the cipher.
TEST_F(GenKeyCalls, EncKeyIVFollowsTheKeyScheduleToTheCipher) {
    struct Case {
        int algo;
        std::string key, iv;
    } cases[] = {
        {32, kDigest.substr(0, 24), kDigest.substr(24, 8)},
        {48, kDigest.substr(0, 16), kDigest.substr(16, 16)},
        {240, kDigest.substr(0, 32), kDigest.substr(32, 8) + kDigest.substr(0, 24)},
    };
    for (const Case& c : cases) {
        kit.Reset();
        kit.SetOutput("QLK_CRYPT_Hash", 1, kDigest.c_str());
        ByteString out;
        ASSERT_EQ(0, generator.EncKeyIV(c.algo, ByteString("pw"), ByteString("payload"), out));
        std::vector<std::string> calls = {Hash(4, "pw"), Hash(1, kDigest.substr(16, 16) + kDigest.substr(0, 16)),
                                          Hash(1, kDigest)};
        for (const std::string& call : DerivationCalls("pw", kDigest + kDigest)) calls.push_back(call);
        calls.push_back("QLK_CRYPT_SetKeyAndIV(" + std::to_string(c.algo) + ", [" + c.key + "], [" + c.iv + "])");
        calls.push_back("QLK_CRYPT_Encrypt([payload], out)");
        calls.push_back("QLK_BASE64_Encode([CRYPT_Encrypt#1], out)");
        EXPECT_EQ(Lines(calls), kit.Calls()) << "algorithm " << c.algo;
        EXPECT_EQ(std::string("BASE64_Encode#1"), out.GetData());
    }
}

TEST_F(GenKeyCalls, DecKeyIVDecodesFirstAndDecryptsIntoTheOutput) {
    kit.SetOutput("QLK_CRYPT_Hash", 1, kDigest.c_str());
    kit.SetOutput("QLK_BASE64_Decode", 1, "cipher text");
    ByteString out;
    ASSERT_EQ(0, generator.DecKeyIV(48, ByteString("pw"), ByteString("Y2lwaGVy"), out));
    const std::vector<std::string> calls = kit.AllCalls();
    ASSERT_LE(3u, calls.size());
    EXPECT_EQ("QLK_BASE64_Decode([Y2lwaGVy], out)", calls.front());
    EXPECT_EQ("QLK_CRYPT_Decrypt([cipher text], out)", calls.back());
    EXPECT_EQ(std::string("CRYPT_Decrypt#1"), out.GetData());
}

TEST_F(GenKeyCalls, DecKeyIVOfNonBase64StopsBeforeAnyDigest) {
    kit.Fail("QLK_BASE64_Decode", 2015, "not Base64");
    ByteString out("untouched");
    EXPECT_EQ(2015, generator.DecKeyIV(48, ByteString("secret"), ByteString("*not base64*"), out));
    EXPECT_EQ("QLK_BASE64_Decode([*not base64*], out)", kit.Calls());
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

}  // namespace
