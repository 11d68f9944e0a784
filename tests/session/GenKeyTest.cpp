// Key derivation and key wrapping over the real toolkit, checked against an independent
// computation (python's hashlib) and the openssl command.
#include <zorvane/GenKey.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "session/ReferenceTools.h"

namespace {

constexpr int kNpki = 1;

ByteString FromHex(const std::string& hex) {
    const auto bytes = zorvane::testsupport::FromHex(hex);
    return ByteString(bytes.data(), static_cast<int>(bytes.size()));
}

struct Layout {
    int algo;
    int key;
    int iv;
    const char* cipher;  // the openssl command's name of the same cipher
};

// -7 stands for every algorithm without a layout of its own.
const Layout kLayouts[] = {
    {32, 24, 8, "des-ede3-cbc"},
    {48, 16, 16, "seed-cbc"},
    {240, 32, 32, "aria-256-cbc"},
    {-7, 16, 16, nullptr},
};

std::string Pieces(const ByteString& clientKey, const ByteString& clientIV, const ByteString& serverKey,
                   const ByteString& serverIV) {
    return HexOf(clientKey) + "/" + HexOf(clientIV) + "/" + HexOf(serverKey) + "/" + HexOf(serverIV);
}

// The four pieces of a hex key block by the layout: client key, client IV, server key, server IV.
std::string Pieces(const std::string& block, const Layout& layout) {
    const std::size_t k = 2 * layout.key;
    const std::size_t v = 2 * layout.iv;
    return block.substr(0, k) + "/" + block.substr(k, v) + "/" + block.substr(k + v, k) + "/" +
           block.substr(2 * k + v, v);
}

class GenKeyWithToolkit : public ::testing::Test {
protected:
    CGenKey generator{kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR)};
};

// Secret and seeds with zero bytes inside: nothing may treat them as texts.
TEST_F(GenKeyWithToolkit, KeyBlockAndItsPiecesMatchTheIndependentComputation) {
    const ByteString secret = FromHex("73656372657400ff0102");
    const ByteString seed1 = FromHex("00c1a5");
    const ByteString seed2 = FromHex("5eed0200");
    const std::string block = ReferenceBlock("block 73656372657400ff0102 00c1a5 5eed0200");
    ASSERT_EQ(256u, block.size());
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.algo);
        ByteString made("old");
        ASSERT_EQ(0, generator.MakeKDF(layout.algo, secret, seed1, seed2, made));
        EXPECT_EQ(block, HexOf(made));
        tagSESSIONINFO session;
        ASSERT_EQ(0, generator.MakeKDF(layout.algo, secret, seed1, seed2, session));
        EXPECT_EQ(Pieces(block, layout),
                  Pieces(session.clientKey, session.clientIV, session.serverKey, session.serverIV));
        EXPECT_EQ(layout.algo, session.algo);
        EXPECT_EQ(std::to_string(layout.algo), session.algoText.GetData());

        // A block one byte short of the layout is refused whole; one of exactly its length is cut.
        const int needed = 2 * (layout.key + layout.iv);
        ByteString clientKey("ck"), clientIV("ci"), serverKey("sk"), serverIV("si");
        EXPECT_EQ(106, generator.GetKDFKeyIv(layout.algo, ByteString(made.data, needed - 1), clientKey, clientIV,
                                             serverKey, serverIV));
        EXPECT_EQ("636b/6369/736b/7369", Pieces(clientKey, clientIV, serverKey, serverIV));
        ASSERT_EQ(0, generator.GetKDFKeyIv(layout.algo, ByteString(made.data, needed), clientKey, clientIV,
                                           serverKey, serverIV));
        EXPECT_EQ(Pieces(block, layout), Pieces(clientKey, clientIV, serverKey, serverIV));
    }
}

// An empty seed is the kdf command's row.
TEST_F(GenKeyWithToolkit, AnEmptySecretIsRefusedAndTouchesNothing) {
    ByteString block("untouched"), out("untouched");
    EXPECT_EQ(105, generator.MakeKDF(48, ByteString(), ByteString("a"), ByteString("a"), block));
    EXPECT_NE(0, generator.EncKeyIV(48, ByteString(), ByteString("data"), out));
    EXPECT_EQ(std::string("untouched"), block.GetData());
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

// The wrapping key and IV are the client pieces of the block derived from the secret
// alone; the IV is cut to the cipher's block size.
TEST_F(GenKeyWithToolkit, WrappingMatchesOpensslAndUnwraps) {
    const std::string secretHex = "77726170200073656372657421";
    const std::string block = ReferenceBlock("wrap " + secretHex);
    ASSERT_EQ(256u, block.size());
    const std::string dataHex = "000102030405060708090a0b0c0d0e0f10111213";
    for (const Layout& layout : kLayouts) {
        if (!layout.cipher) continue;
        SCOPED_TRACE(layout.algo);
        ByteString wrapped, unwrapped;
        ASSERT_EQ(0, generator.EncKeyIV(layout.algo, FromHex(secretHex), FromHex(dataHex), wrapped));
        const std::string key = block.substr(0, 2 * layout.key);
        const std::string iv = block.substr(2 * layout.key, 2 * std::min(layout.iv, 16));
        EXPECT_EQ(OpensslEncryptBase64(layout.cipher, key, iv, dataHex), wrapped.GetData());
        ASSERT_EQ(0, generator.DecKeyIV(layout.algo, FromHex(secretHex), wrapped, unwrapped));
        EXPECT_EQ(dataHex, HexOf(unwrapped));
        const int other = generator.DecKeyIV(layout.algo, ByteString("another secret"), wrapped, unwrapped);
        EXPECT_TRUE(other != 0 || HexOf(unwrapped) != dataHex);
    }
    // Decoding comes first: its code is the answer even when the secret would be refused.
    ByteString notDecoded;
    EXPECT_EQ(2015, generator.DecKeyIV(48, ByteString(), ByteString("*** not base64 ***"), notDecoded));
}

}  // namespace
