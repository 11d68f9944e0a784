#include <zorvane/CryptoEx.h>
#include <zorvane/GenKey.h>

#include <gtest/gtest.h>

#include <string>

#include "session/ReferenceTools.h"

namespace {

constexpr int kNpki = 1;

ByteString FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return ByteString(bytes.data(), static_cast<int>(bytes.size()));
}

struct Layout {
    int algo;
    int key;
    int iv;
    const char* cipher;  // the openssl command's name of the same cipher
};

const Layout kLayouts[] = {
    {32, 24, 8, "des-ede3-cbc"},
    {48, 16, 16, "seed-cbc"},
    {240, 32, 32, "aria-256-cbc"},
};

class GenKeyWithToolkit : public ::testing::Test {
protected:
    GenKeyWithToolkit() : generator(kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR)) {}
    CGenKey generator;
};

// Secret and seeds with zero bytes inside: nothing may treat them as texts.
const std::string kSecretHex = "73656372657400ff0102";
const std::string kSeed1Hex = "00c1a5";
const std::string kSeed2Hex = "5eed0200";

TEST_F(GenKeyWithToolkit, KeyBlockMatchesAnIndependentComputation) {
    const std::string expected = ReferenceKeyBlock(kSecretHex, kSeed1Hex, kSeed2Hex);
    ASSERT_EQ(256u, expected.size());
    for (const Layout& layout : kLayouts) {
        ByteString block("old");
        ASSERT_EQ(0, generator.MakeKDF(layout.algo, FromHex(kSecretHex), FromHex(kSeed1Hex), FromHex(kSeed2Hex), block));
        EXPECT_EQ(expected, HexOf(block)) << "algorithm " << layout.algo;
    }
}

TEST_F(GenKeyWithToolkit, SessionRecordHoldsThePiecesAtTheirPositions) {
    const std::string block = ReferenceKeyBlock(kSecretHex, kSeed1Hex, kSeed2Hex);
    for (const Layout& layout : kLayouts) {
        tagSESSIONINFO session;
        session.sessionId = "caller's";
        ASSERT_EQ(0, generator.MakeKDF(layout.algo, FromHex(kSecretHex), FromHex(kSeed1Hex), FromHex(kSeed2Hex), session));
        const std::size_t k = 2 * layout.key, v = 2 * layout.iv;
        EXPECT_EQ(block.substr(0, k), HexOf(session.clientKey));
        EXPECT_EQ(block.substr(k, v), HexOf(session.clientIV));
        EXPECT_EQ(block.substr(k + v, k), HexOf(session.serverKey));
        EXPECT_EQ(block.substr(2 * k + v, v), HexOf(session.serverIV));
        EXPECT_EQ(layout.algo, session.algo);
        EXPECT_EQ(std::to_string(layout.algo), session.algoText.GetData());
        EXPECT_EQ(std::string("caller's"), session.sessionId.GetData());
    }
}

TEST_F(GenKeyWithToolkit, RecordAndCutOfTheSameBlockAgree) {
    ByteString block;
    ASSERT_EQ(0, generator.MakeKDF(32, ByteString("s"), ByteString("a"), ByteString("b"), block));
    tagSESSIONINFO session;
    ASSERT_EQ(0, generator.MakeKDF(32, ByteString("s"), ByteString("a"), ByteString("b"), session));
    ByteString clientKey, clientIV, serverKey, serverIV;
    ASSERT_EQ(0, generator.GetKDFKeyIv(32, block, clientKey, clientIV, serverKey, serverIV));
    EXPECT_TRUE(clientKey == session.clientKey);
    EXPECT_TRUE(clientIV == session.clientIV);
    EXPECT_TRUE(serverKey == session.serverKey);
    EXPECT_TRUE(serverIV == session.serverIV);
}

TEST_F(GenKeyWithToolkit, SeedOrderMatters) {
    ByteString forward, swapped;
    ASSERT_EQ(0, generator.MakeKDF(48, ByteString("k"), ByteString("one"), ByteString("two"), forward));
    ASSERT_EQ(0, generator.MakeKDF(48, ByteString("k"), ByteString("two"), ByteString("one"), swapped));
    EXPECT_FALSE(forward == swapped);
}

TEST_F(GenKeyWithToolkit, EmptyInputsAreRefusedAndTouchNothing) {
    const ByteString s("s"), a("a"), empty;
    const ByteString inputs[][3] = {{empty, a, a}, {s, empty, a}, {s, a, empty}};
    for (const auto& in : inputs) {
        ByteString block("untouched");
        EXPECT_EQ(105, generator.MakeKDF(48, in[0], in[1], in[2], block));
        EXPECT_EQ(std::string("untouched"), block.GetData());
        tagSESSIONINFO session;
        session.clientKey = "untouched";
        EXPECT_EQ(105, generator.MakeKDF(48, in[0], in[1], in[2], session));
        EXPECT_EQ(std::string("untouched"), session.clientKey.GetData());
        EXPECT_TRUE(session.algoText.IsEmpty());
    }
}

// --- Cutting a given key block --------------------------------------------------------------

TEST(GenKeyCut, BlockShorterThanTheLayoutIsRefusedAndTouchesNothing) {
    CGenKey generator;
    for (const Layout& layout : kLayouts) {
        const int needed = 2 * (layout.key + layout.iv);
        ByteString shortBlock(std::string(static_cast<std::size_t>(needed - 1), 'x').c_str());
        ByteString clientKey("ck"), clientIV("ci"), serverKey("sk"), serverIV("si");
        EXPECT_EQ(106, generator.GetKDFKeyIv(layout.algo, shortBlock, clientKey, clientIV, serverKey, serverIV));
        EXPECT_EQ(std::string("ck"), clientKey.GetData());
        EXPECT_EQ(std::string("si"), serverIV.GetData());
        tagSESSIONINFO session;
        EXPECT_EQ(106, generator.GetSessionKey(layout.algo, shortBlock, session));
        EXPECT_EQ(106, generator.GetSessionKey(layout.algo, ByteString(), session));
        EXPECT_TRUE(session.clientKey.IsEmpty());
        EXPECT_EQ(0, session.algo);
    }
}

TEST(GenKeyCut, BlockOfExactlyTheLayoutIsCut) {
    CGenKey generator;
    std::string bytes;
    for (int i = 0; i < 128; ++i) bytes.push_back(static_cast<char>(i + 1));
    for (const Layout& layout : kLayouts) {
        const int needed = 2 * (layout.key + layout.iv);
        ByteString block(bytes.data(), needed);
        tagSESSIONINFO session;
        ASSERT_EQ(0, generator.GetSessionKey(layout.algo, block, session));
        EXPECT_EQ(HexOf(bytes.substr(0, layout.key)), HexOf(session.clientKey));
        EXPECT_EQ(HexOf(bytes.substr(layout.key, layout.iv)), HexOf(session.clientIV));
        EXPECT_EQ(HexOf(bytes.substr(layout.key + layout.iv, layout.key)), HexOf(session.serverKey));
        EXPECT_EQ(HexOf(bytes.substr(2 * layout.key + layout.iv, layout.iv)), HexOf(session.serverIV));
    }
}

TEST(GenKeyCut, UnlistedAlgorithmsUseSixteenByteKeysAndIVs) {
    CGenKey generator;
    std::string bytes(64, '\0');
    for (int i = 0; i < 64; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    ByteString clientKey, clientIV, serverKey, serverIV;
    ASSERT_EQ(0, generator.GetKDFKeyIv(-7, ByteString(bytes.data(), 64), clientKey, clientIV, serverKey, serverIV));
    EXPECT_EQ(HexOf(bytes.substr(48, 16)), HexOf(serverIV));
    tagSESSIONINFO session;
    ASSERT_EQ(0, generator.GetSessionKey(-7, ByteString(bytes.data(), 64), session));
    EXPECT_EQ(std::string("-7"), session.algoText.GetData());
}

// --- Without a toolkit ---------------------------------------------------------------------

TEST(GenKeyWithoutToolkit, DigestFailureIsPassedOnAndTouchesNothing) {
    CGenKey generator;
    ByteString probe("x"), digest;
    const int notLoaded = CCryptoEx().Hash(1, probe, digest);
    ASSERT_NE(0, notLoaded);
    ByteString block("untouched");
    EXPECT_EQ(notLoaded, generator.MakeKDF(48, ByteString("s"), ByteString("a"), ByteString("b"), block));
    EXPECT_EQ(std::string("untouched"), block.GetData());
    ByteString out("untouched");
    EXPECT_EQ(notLoaded, generator.EncKeyIV(48, ByteString("s"), ByteString("data"), out));
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

TEST(GenKeyWithoutToolkit, InitReportsNothingAndTheFirstCallShowsTheMissingLibrary) {
    CGenKey generator;
    EXPECT_EQ(0, generator.Init(kNpki, 48, 1, ByteString("/nonexistent/folder")));
    ByteString block;
    EXPECT_EQ(101, generator.MakeKDF(48, ByteString("s"), ByteString("a"), ByteString("b"), block));
}

// --- Wrapping under a secret ---------------------------------------------------------------

TEST_F(GenKeyWithToolkit, EncKeyIVMatchesTheIndependentKeyScheduleAndCipher) {
    const std::string secretHex = "77726170200073656372657421";
    const std::string block = ReferenceWrapBlock(secretHex);
    ASSERT_EQ(256u, block.size());
    const std::string dataHex = "000102030405060708090a0b0c0d0e0f10111213";
    for (const Layout& layout : kLayouts) {
        ByteString out;
        ASSERT_EQ(0, generator.EncKeyIV(layout.algo, FromHex(secretHex), FromHex(dataHex), out)) << layout.algo;
        const std::string key = block.substr(0, 2 * layout.key);
        const std::string iv = block.substr(2 * layout.key, 2 * std::min(layout.iv, 16));
        EXPECT_EQ(OpensslEncrypt(layout.cipher, key, iv, dataHex), DecodeBase64Independently(out.GetData()))
            << "algorithm " << layout.algo;
    }
}

TEST_F(GenKeyWithToolkit, DecKeyIVReversesEncKeyIV) {
    const ByteString secret("shared secret");
    for (const Layout& layout : kLayouts) {
        for (const ByteString& data : {ByteString("k"), ByteString("0123456789abcdef"), FromHex(std::string(66, 'a'))}) {
            ByteString wrapped, unwrapped;
            ASSERT_EQ(0, generator.EncKeyIV(layout.algo, secret, data, wrapped));
            ASSERT_EQ(0, generator.DecKeyIV(layout.algo, secret, wrapped, unwrapped));
            EXPECT_TRUE(unwrapped == data) << "algorithm " << layout.algo;
        }
    }
}

TEST_F(GenKeyWithToolkit, AnotherSecretDoesNotUnwrap) {
    const ByteString data("session key material");
    for (const Layout& layout : kLayouts) {
        ByteString wrapped, unwrapped;
        ASSERT_EQ(0, generator.EncKeyIV(layout.algo, ByteString("right"), data, wrapped));
        const int result = generator.DecKeyIV(layout.algo, ByteString("wrong"), wrapped, unwrapped);
        EXPECT_TRUE(result != 0 || !(unwrapped == data)) << "algorithm " << layout.algo;
    }
}

// An empty secret makes the derivation refuse with 105; getting the Base64 code
// instead shows that decoding came first.
TEST_F(GenKeyWithToolkit, DecKeyIVOfNonBase64FailsInItsFirstStep) {
    ByteString notBase64("*** not base64 ***"), decoded;
    CCryptoEx facade;
    ASSERT_EQ(0, facade.Init(kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR)));
    const int decodeFailure = facade.Base64Dec(notBase64, decoded);
    ASSERT_NE(0, decodeFailure);
    ByteString out("untouched");
    EXPECT_EQ(decodeFailure, generator.DecKeyIV(48, ByteString(), notBase64, out));
    EXPECT_EQ(decodeFailure, generator.DecKeyIV(48, ByteString("s"), notBase64, out));
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

// 105 from the derivation, unless the toolkit's digest refuses the empty secret first.
TEST_F(GenKeyWithToolkit, EncKeyIVWithAnEmptySecretIsRefused) {
    ByteString out("untouched");
    EXPECT_NE(0, generator.EncKeyIV(48, ByteString(), ByteString("data"), out));
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

}  // namespace
