// Base64, PEM, digests and HMACs, checked against the openssl command line.

#include <cstring>

#include "toolkit/ToolkitSupport.h"

namespace qlk_test {
namespace {

class EncodingDigestTest : public ::testing::Test {
protected:
    Bytes SampleBytes(std::size_t length) {
        Bytes bytes(length);
        for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<unsigned char>(i * 37 + 11);
        return bytes;
    }

    ScratchFolder folder_;
    ContextHandle context_;
};

TEST_F(EncodingDigestTest, Base64MatchesOpenSslForEveryTailLength) {
    for (std::size_t length : {0u, 1u, 2u, 3u, 4u, 47u, 48u, 100u}) {
        Bytes data = SampleBytes(length);
        WriteFile(folder_.File("data"), data);
        std::string expected = Shell("openssl base64 -A -in " + folder_.File("data"));
        Record input(data), encoded, decoded;
        ASSERT_EQ(0, QLK_BASE64_Encode(context_.get(), input.get(), encoded.get()));
        EXPECT_EQ(TrimEnd(expected), encoded.text()) << length;
        ASSERT_EQ(0, QLK_BASE64_Decode(context_.get(), encoded.get(), decoded.get()));
        EXPECT_EQ(data, decoded.bytes());
    }
}

// Whole blocks of plain symbols are decoded many at a time and the rest one by one: a
// line break or a bad byte at any place around those blocks must read as it does alone.
TEST_F(EncodingDigestTest, Base64DecodeAgreesWhereverALineBreakOrBadByteStands) {
    for (const char* garbage : {"QUJ", "QU=D", "Q===", "QUJD=", "QQ==QUJD", "\xff\xfe\xfd\xfc"}) {
        Record input{std::string(garbage)}, output;
        EXPECT_EQ(2015, QLK_BASE64_Decode(context_.get(), input.get(), output.get())) << garbage;
    }
    const Bytes data = SampleBytes(75);
    Record plain(data), encoded;
    ASSERT_EQ(0, QLK_BASE64_Encode(context_.get(), plain.get(), encoded.get()));
    const std::string text = encoded.text();
    for (std::size_t at = 0; at <= text.size(); ++at) {
        Record spaced{text.substr(0, at) + "\r\n" + text.substr(at)}, decoded;
        ASSERT_EQ(0, QLK_BASE64_Decode(context_.get(), spaced.get(), decoded.get())) << at;
        EXPECT_EQ(data, decoded.bytes()) << at;
        if (at == text.size()) break;
        Record broken{text.substr(0, at) + "!" + text.substr(at + 1)}, refused;
        EXPECT_EQ(2015, QLK_BASE64_Decode(context_.get(), broken.get(), refused.get())) << at;
    }
}

// Decoding into the caller's buffer: the bytes and codes of QLK_BASE64_Decode, a buffer
// that may be too small refused, and a failure leaving nothing decoded behind.
TEST_F(EncodingDigestTest, Base64DecodeIntoTheCallersBuffer) {
    struct Case {
        const char* text;
        int room;
        int code;
        const char* after;  // the buffer's first bytes afterwards
        int length;         // the record's length afterwards
    };
    const Case kCases[] = {
        {"QUJDRA==", 6, 0, "ABCD", 4},    {"QUJD\r\nRA==", 6, 0, "ABCD", 4}, {"QUJDRA==", 5, 1002, "\xAA\xAA", 5},
        {"", 0, 0, "", 0},                {"QUJDRA=!", 6, 2015, "\0\0", 6},
    };
    for (const Case& test : kCases) {
        Record input{std::string(test.text)};
        Bytes buffer(static_cast<std::size_t>(test.room) + 1, 0xAA);
        BINSTR output{buffer.data(), test.room};
        EXPECT_EQ(test.code, QLK_BASE64_DecodeInto(context_.get(), input.get(), &output)) << test.text;
        EXPECT_EQ(test.length, output.length) << test.text;
        const std::size_t checked = test.code == 2015 ? 2 : std::strlen(test.after);
        EXPECT_EQ(Bytes(test.after, test.after + checked), Bytes(buffer.begin(), buffer.begin() + checked)) << test.text;
    }
}

// Our PEM is read by openssl, and read back, in the sign and verify commands' tests.
TEST_F(EncodingDigestTest, PemReadsOpenSslsAndRefusesWhatIsNotPem) {
    ScratchFolder folder;
    TestCertificate plain = MakePlainCertificate(folder);
    Record theirs(ReadFile(plain.pemPath)), back;
    ASSERT_EQ(0, QLK_PEM_Decode(context_.get(), theirs.get(), back.get()));
    EXPECT_EQ(plain.der, back.bytes());

    Record output, input(Bytes{1, 2, 3});
    EXPECT_EQ(2017, QLK_PEM_Encode(context_.get(), 99, input.get(), output.get()));
    for (const char* text : {"no armour at all", "-----BEGIN X-----\nQUJD\n", "-----BEGIN X-----\nQUJD\n-----END Y-----\n",
                             "-----BEGIN X-----\nQU!D\n-----END X-----\n"}) {
        Record bad{std::string(text)};
        EXPECT_EQ(2016, QLK_PEM_Decode(context_.get(), bad.get(), output.get())) << text;
    }
}

// Each hash alone and as an HMAC, beside openssl dgst; a MAC verifies only with its key,
// and whole.
TEST_F(EncodingDigestTest, DigestsAndHmacsMatchOpenSslDgst) {
    const Bytes data = SampleBytes(1000);
    WriteFile(folder_.File("data"), data);
    const char* key = "secret key text";
    for (const auto& [id, name] : kHashes) {
        SCOPED_TRACE(name);
        const std::string dgst = std::string("openssl dgst -") + name + " -r ";
        const std::string printed = Shell(dgst + folder_.File("data"));
        const std::string printedMac = Shell(dgst + "-hmac '" + key + "' " + folder_.File("data"));
        Record input(data), digest, mac;
        ASSERT_EQ(0, QLK_CRYPT_Hash(context_.get(), id, input.get(), digest.get()));
        EXPECT_EQ(printed.substr(0, printed.find(' ')), Hex(digest.bytes()));
        ASSERT_EQ(0, QLK_CRYPT_GenMAC(context_.get(), id, key, input.get(), mac.get()));
        EXPECT_EQ(printedMac.substr(0, printedMac.find(' ')), Hex(mac.bytes()));
        EXPECT_EQ(0, QLK_CRYPT_VerifyMAC(context_.get(), id, key, input.get(), mac.get()));
        EXPECT_EQ(2011, QLK_CRYPT_VerifyMAC(context_.get(), id, "other key", input.get(), mac.get()));
        Bytes shortened = mac.bytes();
        shortened.pop_back();
        EXPECT_EQ(2011, QLK_CRYPT_VerifyMAC(context_.get(), id, key, input.get(), Record(shortened).get()));
    }
    Record empty, digest;
    ASSERT_EQ(0, QLK_CRYPT_Hash(context_.get(), 1, empty.get(), digest.get()));
    EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", Hex(digest.bytes()));
    Record input(data), mac;
    EXPECT_EQ(1002, QLK_CRYPT_GenMAC(context_.get(), 1, nullptr, input.get(), mac.get()));
}

}  // namespace
}  // namespace qlk_test
