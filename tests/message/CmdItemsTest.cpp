#include <zorvane/CmdGen.h>

#include <gtest/gtest.h>

#include "message/WireBytes.h"

namespace {

// --- Body: type byte, 4-byte big-endian length, content -------------------------------

TEST(CmdBody, ReadsTypeLengthAndValue) {
    CCmdBody body;
    ByteString input = Bytes({0x01, 0x00, 0x00, 0x00, 0x03, 'a', 'b', 'c'});
    ASSERT_EQ(0, body.Parse(input));
    EXPECT_EQ(1, body.type);
    EXPECT_EQ("616263", Hex(body.value));
    EXPECT_TRUE(body.raw == input);
}

TEST(CmdBody, TypeByteIsSigned) {
    CCmdBody body;
    ASSERT_EQ(0, body.Parse(Bytes({0xFF, 0, 0, 0, 0})));
    EXPECT_EQ(-1, body.type);
    ASSERT_EQ(0, body.Parse(Bytes({0x80, 0, 0, 0, 0})));
    EXPECT_EQ(-128, body.type);
}

TEST(CmdBody, ShorterThanItsHeaderIsRefusedAndChangesNothing) {
    CCmdBody body;
    ASSERT_EQ(0, body.Parse(Bytes({0x05, 0, 0, 0, 1, 'z'})));
    for (const ByteString& input : {ByteString(), Bytes({0x01}), Bytes({0x01, 0, 0, 0})}) {
        EXPECT_EQ(-1, body.Parse(input));
        EXPECT_EQ(5, body.type);
        EXPECT_EQ("7a", Hex(body.value));
    }
}

TEST(CmdBody, LengthBeyondTheBytesPresentIsRefused) {
    CCmdBody body;
    EXPECT_EQ(-1, body.Parse(Bytes({0x01, 0, 0, 0, 4, 'a', 'b', 'c'})));
    EXPECT_EQ(-1, body.Parse(Bytes({0x01, 0x7F, 0xFF, 0xFF, 0xFF, 'a'})));
    EXPECT_EQ(-1, body.Parse(Bytes({0x01, 0x00, 0x01, 0x00, 0x00})));
    EXPECT_EQ(0, body.type);
    EXPECT_TRUE(body.value.IsEmpty());
}

TEST(CmdBody, NegativeLengthMeansAnEmptyValue) {
    CCmdBody body;
    ASSERT_EQ(0, body.Parse(Bytes({0x14, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'})));
    EXPECT_EQ(20, body.type);
    EXPECT_TRUE(body.value.IsEmpty());
    ASSERT_EQ(0, body.Parse(Bytes({0x14, 0x80, 0x00, 0x00, 0x00})));
    EXPECT_TRUE(body.value.IsEmpty());
}

TEST(CmdBody, LengthShorterThanTheBytesPresentTakesOnlyThatMany) {
    CCmdBody body;
    ASSERT_EQ(0, body.Parse(Bytes({0x01, 0, 0, 0, 2, 'a', 'b', 'c'})));
    EXPECT_EQ("6162", Hex(body.value));
}

TEST(CmdBody, EncodesTheWireLayout) {
    CCmdBody body;
    ASSERT_TRUE(body.Encode(1, ByteString("abc")));
    EXPECT_EQ("0100000003616263", Hex(body.encoded));
    ASSERT_TRUE(body.Encode(0xFF, ByteString()));
    EXPECT_EQ("ff00000000", Hex(body.encoded));
}

// --- Envelope: two version bytes, then the body ----------------------------------------

TEST(CmdEnvelope, ReadsVersionsAndBody) {
    CCmdEnvelope envelope;
    EXPECT_EQ(1, envelope.major);
    EXPECT_EQ(0, envelope.minor);
    ByteString record = Bytes({0x02, 0x07, 0x15, 0, 0, 0, 2, 'h', 'i'});
    ASSERT_EQ(0, envelope.Parse(record));
    EXPECT_EQ(2, envelope.major);
    EXPECT_EQ(7, envelope.minor);
    EXPECT_EQ(21, envelope.type);
    EXPECT_EQ("6869", Hex(envelope.value));
    EXPECT_TRUE(envelope.raw == record);
    EXPECT_EQ(21, envelope.body.type);
}

TEST(CmdEnvelope, RecordsShorterThanSevenBytesAreRefused) {
    CCmdEnvelope envelope;
    ByteString full = Bytes({0x01, 0x00, 0x01, 0, 0, 0, 0});
    ASSERT_EQ(0, envelope.Parse(full));
    for (int cut = 0; cut < 7; ++cut) {
        ByteString shorter(full.data, cut);
        EXPECT_EQ(-1, envelope.Parse(shorter)) << cut << " bytes";
    }
    EXPECT_EQ(1, envelope.type);
    EXPECT_TRUE(envelope.raw == full);
}

TEST(CmdEnvelope, ALyingBodyLengthLeavesTheEnvelopeAsItWas) {
    CCmdEnvelope envelope;
    ASSERT_EQ(0, envelope.Parse(Bytes({0x01, 0x00, 0x01, 0, 0, 0, 1, 'q'})));
    EXPECT_EQ(-1, envelope.Parse(Bytes({0x09, 0x09, 0x1E, 0, 0, 0, 9, 'x'})));
    EXPECT_EQ(1, envelope.major);
    EXPECT_EQ(1, envelope.type);
    EXPECT_EQ("71", Hex(envelope.value));
    EXPECT_EQ("71", Hex(envelope.body.value));
}

TEST(CmdEnvelope, EncodesWithItsVersionBytes) {
    CCmdEnvelope envelope;
    ASSERT_TRUE(envelope.Encode(1, ByteString("abc")));
    EXPECT_EQ("01000100000003616263", Hex(envelope.encoded));
    envelope.major = 3;
    envelope.minor = 4;
    ASSERT_TRUE(envelope.Encode(33, ByteString()));
    EXPECT_EQ("03042100000000", Hex(envelope.encoded));
}

// --- Sign item: 20-byte prefix, type byte, value ------------------------------------------

TEST(CmdSignItem, TwentyBytesOrFewerAreRefused) {
    CCmdSignItem item;
    EXPECT_EQ(-1, item.Parse(Repeated(20, 0x11)));
    EXPECT_EQ(-1, item.Parse(ByteString()));
    EXPECT_TRUE(item.prefix.IsEmpty());
}

TEST(CmdSignItem, TwentyOneBytesGiveAnEmptyValue) {
    CCmdSignItem item;
    ByteString input = Repeated(20, 0x11) + Bytes({0xFE});
    ASSERT_EQ(0, item.Parse(input));
    EXPECT_EQ(Hex(Repeated(20, 0x11)), Hex(item.prefix));
    EXPECT_EQ(-2, item.type);
    EXPECT_TRUE(item.value.IsEmpty());
}

TEST(CmdSignItem, RestAfterTheTypeByteIsTheValue) {
    CCmdSignItem item;
    ASSERT_EQ(0, item.Parse(Repeated(20, 0x00) + Bytes({0x05, 'v', 'a', 'l'})));
    EXPECT_EQ(5, item.type);
    EXPECT_EQ("76616c", Hex(item.value));
}

TEST(CmdSignItem, EncodesSecondThenFirstWithTheirLengths) {
    CCmdSignItem item;
    ASSERT_EQ(0, item.Encode(ByteString("first"), ByteString("2nd")));
    EXPECT_EQ("0003" "326e64" "00000005" "6669727374", Hex(item.encoded));
    ASSERT_EQ(0, item.Encode(ByteString("ab"), ByteString()));
    EXPECT_EQ("0000" "00000002" "6162", Hex(item.encoded));
}

TEST(CmdSignItem, SecondArgumentAtTheLimitOfItsTwoByteLength) {
    CCmdSignItem item;
    ASSERT_EQ(0, item.Encode(ByteString("f"), Repeated(0xFFFF, 0x42)));
    EXPECT_EQ(2 + 0xFFFF + 4 + 1, item.encoded.GetLength());
    EXPECT_EQ(0xFF, item.encoded.data[0]);
    EXPECT_EQ(0xFF, item.encoded.data[1]);
    ByteString before = item.encoded;
    EXPECT_EQ(503, item.Encode(ByteString("f"), Repeated(0x10000, 0x42)));
    EXPECT_TRUE(item.encoded == before);
}

// --- Trailer item: value, then a 32-byte trailer -------------------------------------------

TEST(CmdTrailerItem, ThirtyOneBytesAreRefused) {
    CCmdTrailerItem item;
    EXPECT_EQ(-1, item.Parse(Repeated(31, 0x33)));
    EXPECT_TRUE(item.trailer.IsEmpty());
}

TEST(CmdTrailerItem, ThirtyTwoBytesAreAllTrailer) {
    CCmdTrailerItem item;
    ASSERT_EQ(0, item.Parse(Repeated(32, 0x33)));
    EXPECT_TRUE(item.value.IsEmpty());
    EXPECT_EQ(Hex(Repeated(32, 0x33)), Hex(item.trailer));
}

TEST(CmdTrailerItem, TrailerIsTheLastThirtyTwoBytes) {
    CCmdTrailerItem item;
    ASSERT_EQ(0, item.Parse(ByteString("value") + Repeated(32, 0x7E)));
    EXPECT_EQ(std::string("value"), item.value.GetData());
    EXPECT_EQ(Hex(Repeated(32, 0x7E)), Hex(item.trailer));
}

TEST(CmdItem, BaseAcceptsAnythingAndChangesNothing) {
    CCmdItem item;
    EXPECT_EQ(0, item.Parse(ByteString("whatever")));
    EXPECT_EQ(0, item.type);
    EXPECT_TRUE(item.value.IsEmpty());
    EXPECT_TRUE(item.raw.IsEmpty());
}

}  // namespace
