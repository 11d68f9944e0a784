// Key derivation over the fault toolkit, whose digests are 12 bytes ("CRYPT_Hash#1"):
// shorter than every layout needs and than the wrapping's two 16-byte halves.
#include <zorvane/GenKey.h>

#include <gtest/gtest.h>

#include <string>

#include "crypto/FaultKit.h"

namespace {

TEST(GenKeyCalls, ShortDigestsAreRefusedNotCut) {
    FaultKit kit("full", "Quellark.dll");
    CGenKey generator(1, 48, 1, ByteString(kit.Folder().c_str()));
    tagSESSIONINFO session;
    EXPECT_EQ(106, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), session));
    EXPECT_TRUE(session.clientKey.IsEmpty());
    ByteString block;
    ASSERT_EQ(0, generator.MakeKDF(48, ByteString("pw"), ByteString("s1"), ByteString("s2"), block));
    EXPECT_EQ(4 * 12, block.GetLength());
    kit.Reset();
    ByteString out("untouched");
    EXPECT_EQ(106, generator.EncKeyIV(48, ByteString("pw"), ByteString("data"), out));
    EXPECT_EQ("CRYPT_Hash(4, [pw], out)", kit.Calls());
    EXPECT_EQ(std::string("untouched"), out.GetData());
}

}  // namespace
