#include "toolkit/keys/SeedCbc.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

using namespace qlk;
using namespace qlk::keys;
using zorvane::testsupport::FromHex;
using zorvane::testsupport::Hex;

namespace {

TEST(SeedCbc, KnownAnswerSingleBlock) {
    // With a zero IV the first CBC block is the plain block cipher.
    const auto key = FromHex("01020201030505030908080911333311");
    const auto block = FromHex("000122030405060708090acb0c0d0e0f");
    const unsigned char zeroIv[16] = {};
    SecureBytes cipher;
    ASSERT_EQ(SeedCbcEncrypt(key.data(), zeroIv, block.data(), block.size(), cipher), SeedResult::Ok);
    ASSERT_EQ(cipher.size(), 32u);
    EXPECT_EQ(Hex(SecureBytes(cipher.begin(), cipher.begin() + 16)), "00fa15ed2a89cb0ce23826e55c3341cc");
}

TEST(SeedCbc, DecryptRejectsBadLengthsAndPadding) {
    const unsigned char key[16] = {1}, iv[16] = {2}, data[32] = {3};
    SecureBytes out;
    EXPECT_EQ(SeedCbcDecrypt(key, iv, data, 0, out), SeedResult::BadPadding);
    EXPECT_EQ(SeedCbcDecrypt(key, iv, data, 15, out), SeedResult::BadPadding);
    // Tampering with the last block garbles its padding (fixed inputs, fixed outcome).
    SecureBytes cipher;
    ASSERT_EQ(SeedCbcEncrypt(key, iv, data, 16, cipher), SeedResult::Ok);
    cipher.back() ^= 0x5a;
    EXPECT_EQ(SeedCbcDecrypt(key, iv, cipher.data(), cipher.size(), out), SeedResult::BadPadding);
}

}  // namespace
