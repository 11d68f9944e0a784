// PKCS#11 through the toolkit on SoftHSM2 tokens, checked with openssl. What the token
// lists is read through card and token discovery (CardTokenDiscoveryTest).

#include <functional>

#include "toolkit/media/MediaWorld.h"

namespace media_test {
namespace {

using qlk_test::Shell;
using zorvane::testsupport::Quoted;
using zorvane::testsupport::ReadBytes;
using zorvane::testsupport::TempFolder;

// A context with SoftHSM2 loaded, whose token is zorvane-token-1.
class TokenTest : public ::testing::Test {
protected:
    TokenTest() : world_(MediaWorld::Get()), context_(SOFTHSM_MODULE) {}

    const MediaWorld& world_;
    LoadedContext context_;
    TempFolder scratch_;
};

TEST_F(TokenTest, EncryptAndDecryptOnTheToken) {
    ASSERT_EQ(QLK_PKCS11_OpenSession(context_.get(), world_.pin.c_str()), 0) << context_.ErrorText();
    const pkigen_user& user = *world_.npki[0];
    Record id(IdOfCertificate(user.keyManagement.certPath)), plain(std::string("session key")), cipher, opened;
    ASSERT_EQ(QLK_PKCS11_Encrypt(context_.get(), id.get(), plain.get(), cipher.get()), 0) << context_.ErrorText();
    ASSERT_EQ(QLK_PKCS11_Decrypt(context_.get(), id.get(), cipher.get(), opened.get()), 0) << context_.ErrorText();
    EXPECT_EQ(opened.text(), "session key");
    // Encrypted by openssl to the certificate, opened by the token.
    scratch_.Write("plain", "from openssl");
    Shell("openssl x509 -inform DER -in " + Quoted(user.keyManagement.certPath) + " -pubkey -noout > " + scratch_ / "pub");
    Shell("openssl pkeyutl -encrypt -pubin -inkey " + scratch_ / "pub" + " -in " + scratch_ / "plain" + " -out " +
          scratch_ / "enc");
    Record fromOpenSsl(ReadBytes(scratch_ / "enc")), result;
    ASSERT_EQ(QLK_PKCS11_Decrypt(context_.get(), id.get(), fromOpenSsl.get(), result.get()), 0);
    EXPECT_EQ(result.text(), "from openssl");
    fromOpenSsl.get()->data[0] ^= 0x5a;
    EXPECT_EQ(QLK_PKCS11_Decrypt(context_.get(), id.get(), fromOpenSsl.get(), result.get()), 2615) << context_.ErrorText();
}

// Each row on a fresh load of SoftHSM2, in a session opened without logging in if it asks.
TEST_F(TokenTest, RefusalsHaveTheirOwnCodes) {
    Record signingId(IdOfCertificate(world_.npki[0]->signing.certPath));
    Record kmId(IdOfCertificate(world_.npki[0]->keyManagement.certPath)), unknownId(std::string("no such id"));
    Record data(std::string("d")), info, out;
    struct Case {
        const char* name;
        bool inSession;
        std::function<int(void*)> call;
        int expected;
    } cases[] = {
        {"no session", false, [](void* c) { int n; return QLK_PKCS11_GetCertCnt(c, &n); }, 2603},
        {"wrong PIN", false, [](void* c) { return QLK_PKCS11_OpenSession(c, "999999"); }, 2605},
        {"empty PIN", false, [](void* c) { return QLK_PKCS11_Login(c, ""); }, 2611},
        {"unknown token", false, [](void* c) { return QLK_PKCS11_OpenSessionWithTokenName(c, "nobody", 0); }, 2602},
        {"invalid slot id", false, [](void* c) { return QLK_PKCS11_OpenSessionWithSlotID(c, 424242, nullptr, 0); }, 2602},
        {"token info of no slot", false,
         [](void* c) {
             PKCS11_TOKEN_INFO info{};
             return QLK_PKCS11_GetTokenInfo(c, 424242, &info);
         },
         2602},
        {"sign without login", true, [&](void* c) { return QLK_PKCS11_Sign(c, signingId.get(), data.get(), out.get()); }, 2607},
        {"unknown identifier", true, [&](void* c) { return QLK_PKCS11_ReadCert(c, unknownId.get(), out.get()); }, 2608},
        {"VID random of a key-management key", true,
         [&](void* c) { return QLK_PKCS11_ReadRandomForVID(c, kmId.get(), out.get()); }, 2609},
        {"index past the certificates", true,
         [&](void* c) {
             int kind = 0;
             return QLK_PKCS11_GetCertInfo(c, 99, &kind, info.get(), out.get());
         },
         2610},
        {"second session", true, [](void* c) { return QLK_PKCS11_OpenSession(c, nullptr); }, 2604},
    };
    for (const Case& test : cases) {
        LoadedContext context(SOFTHSM_MODULE);
        if (test.inSession) {
            ASSERT_EQ(QLK_PKCS11_OpenSession(context.get(), nullptr), 0) << test.name;
        }
        EXPECT_EQ(test.call(context.get()), test.expected) << test.name << ": " << context.ErrorText();
        QLK_PKCS11_CloseSession(context.get());
    }
    ContextHandle bare;
    EXPECT_EQ(QLK_PKCS11_OpenSession(bare.get(), nullptr), 2601);
}

// A token made in an empty token folder is listed, found by its label and logged into.
TEST(TokenAbsent, EmptyTokenFolderHasNoToken) {
    MediaWorld::Get();
    TempFolder scratch;
    scratch.MakeFolder("tokens");
    ScopedSoftHsmConf conf(scratch.Write("conf", "directories.tokendir = " + scratch / "tokens" + "\n"));
    {
        LoadedContext context(SOFTHSM_MODULE);
        EXPECT_EQ(QLK_PKCS11_OpenSession(context.get(), nullptr), 2602);
        ASSERT_EQ(QLK_PKCS11_InitToken(context.get(), "fresh", "13579"), 0) << context.ErrorText();
        unsigned long slots[4] = {0};
        unsigned long count = 0;
        ASSERT_EQ(QLK_PKCS11_GetSlotList(context.get(), slots, &count), 0);
        PKCS11_TOKEN_INFO info{};
        ASSERT_EQ(QLK_PKCS11_GetTokenInfo(context.get(), slots[0], &info), 0);
        EXPECT_EQ(std::string(info.label), "fresh" + std::string(27, ' '));  // blank-padded
        ASSERT_EQ(QLK_PKCS11_OpenSessionWithTokenName(context.get(), "fresh", 1), 0) << context.ErrorText();
        EXPECT_EQ(QLK_PKCS11_Login(context.get(), "13578"), 2605);
        EXPECT_EQ(QLK_PKCS11_Login(context.get(), "13579"), 0);
    }
}

}  // namespace
}  // namespace media_test
