#include <gtest/gtest.h>

#include "toolkit/keys/KeyFile.h"
#include "toolkit/keys/KeyFixtures.h"
#include "support/TestSupport.h"
#include "toolkit/keys/TestDer.h"

using namespace qlk;
using namespace qlk::keys;
using namespace testing_support;
using namespace zorvane::testsupport;

namespace {

// The attribute block exactly as the Korean key files carry it, R following.
const Der kDocumentedPrefix = {0xA0, 0x27, 0x30, 0x25, 0x06, 0x0A, 0x2A, 0x83, 0x1A, 0x8C, 0x9A,
                               0x44, 0x0A, 0x01, 0x01, 0x03, 0x31, 0x17, 0x03, 0x15, 0x00};

Bytes TestRandom(unsigned char first = 0x11) {
    Bytes r(20);
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = static_cast<unsigned char>(first + i * 7);
    return r;
}

// The contents of the shared key's PrivateKeyInfo SEQUENCE (version, algorithm, key).
Der SharedKeyBody() {
    const auto& info = SharedPrivateKeyInfo();
    const std::size_t header = info[1] < 0x80 ? 2 : 2 + (info[1] & 0x7f);
    return Der(info.begin() + static_cast<std::ptrdiff_t>(header), info.end());
}

TEST(RandomNum, AttachWritesTheDocumentedAttributeBlock) {
    const auto& info = SharedPrivateKeyInfo();
    const Bytes r = TestRandom();
    SecureBytes withRandom;
    ASSERT_EQ(AttachRandomNum(info.data(), info.size(), r, withRandom), KeyFileStatus::Ok);
    const Der expected = Tlv(0x30, Cat({SharedKeyBody(), kDocumentedPrefix, r}));
    EXPECT_EQ(Hex(withRandom), Hex(expected));

    TempFolder dir;  // openssl still reads the key with the attribute
    WriteFile(dir.File("key.der"), withRandom);
    EXPECT_EQ(RunCommand("openssl pkey -inform DER -noout -in " + dir.File("key.der")).status, 0);
}

TEST(RandomNum, KeysWithoutTheAttributeHaveNoRandom) {
    const auto& info = SharedPrivateKeyInfo();
    Bytes extracted;
    EXPECT_EQ(ExtractRandomNum(info.data(), info.size(), extracted), KeyFileStatus::NoRandom);
    // Another attribute only (PKCS#9 friendlyName).
    const Der friendly = Tlv(0x30, Cat({Tlv(0x06, {0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x01, 0x09, 0x14}),
                                        Tlv(0x31, Tlv(0x1e, {0x00, 0x41}))}));
    const Der other = Tlv(0x30, Cat({SharedKeyBody(), Tlv(0xa0, friendly)}));
    EXPECT_EQ(ExtractRandomNum(other.data(), other.size(), extracted), KeyFileStatus::NoRandom);

    // Attaching keeps the other attribute and replaces an earlier random value.
    SecureBytes once, twice;
    ASSERT_EQ(AttachRandomNum(other.data(), other.size(), TestRandom(1), once), KeyFileStatus::Ok);
    ASSERT_EQ(AttachRandomNum(once.data(), once.size(), TestRandom(2), twice), KeyFileStatus::Ok);
    EXPECT_EQ(Hex(twice), Hex(Tlv(0x30, Cat({SharedKeyBody(),
                                              Tlv(0xa0, Cat({friendly, Der(kDocumentedPrefix.begin() + 2, kDocumentedPrefix.end()),
                                                             TestRandom(2)}))}))));
    ASSERT_EQ(ExtractRandomNum(twice.data(), twice.size(), extracted), KeyFileStatus::Ok);
    EXPECT_EQ(extracted, TestRandom(2));
}

TEST(RandomNum, MalformedAttributesAreRejected) {
    const Der body = SharedKeyBody();
    const Der randomOid = Der(kDocumentedPrefix.begin() + 4, kDocumentedPrefix.begin() + 16);
    const Der cases[] = {
        Tlv(0x30, Cat({body, Tlv(0xa0, Tlv(0x30, Cat({randomOid, Tlv(0x31, Tlv(0x03, {0x03, 0x11}))})))})),  // unused bits
        Tlv(0x30, Cat({body, Tlv(0xa0, Tlv(0x30, Cat({randomOid, Tlv(0x31, Tlv(0x03, {0x00}))})))})),        // empty value
        Tlv(0x30, Cat({body, Tlv(0xa0, Tlv(0x30, Cat({randomOid, Tlv(0x31, Tlv(0x04, {0x00, 0x01}))})))})),  // not bits
        Tlv(0x30, Cat({body, Tlv(0xa0, Tlv(0x30, randomOid))})),                                             // no values
        Tlv(0x30, Cat({body, Tlv(0xa0, {0x30, 0x05, 0x06})})),                                               // cut short
        Tlv(0x30, Cat({body, Tlv(0x04, {0x00})})),                                                           // stray field
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bytes extracted;
        EXPECT_EQ(ExtractRandomNum(cases[i].data(), cases[i].size(), extracted), KeyFileStatus::Malformed) << i;
    }
    const Der good = Tlv(0x30, Cat({body, kDocumentedPrefix, TestRandom()}));
    for (std::size_t length = 0; length < good.size(); ++length) {
        Der prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        Bytes extracted;
        ASSERT_EQ(ExtractRandomNum(prefix.data(), prefix.size(), extracted), KeyFileStatus::Malformed) << length;
    }
    SecureBytes out;
    EXPECT_EQ(AttachRandomNum(good.data(), good.size(), Bytes{}, out), KeyFileStatus::Malformed);
    EXPECT_EQ(AttachRandomNum(nullptr, 0, TestRandom(), out), KeyFileStatus::Malformed);
}

}  // namespace
