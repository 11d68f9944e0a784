// The record layouts, read from hostile bytes and written out. Every parse starts on an
// item that has read a good record before, so a refused one shows that nothing changed.
#include <zorvane/CmdGen.h>

#include <gtest/gtest.h>

#include <string>

#include "message/WireBytes.h"

namespace {

std::string Fields(const CCmdItem& item) {
    return "type=" + std::to_string(item.type) + " value=" + Hex(item.value) +
           " raw=" + std::to_string(item.raw.GetLength());
}
std::string Fields(const CCmdEnvelope& envelope) {
    return std::to_string(envelope.major) + "." + std::to_string(envelope.minor) + " " +
           Fields(static_cast<const CCmdItem&>(envelope)) + " body " + Fields(envelope.body);
}
std::string Fields(const CCmdTrailerItem& item) {
    return Fields(static_cast<const CCmdItem&>(item)) + " trailer=" + Hex(item.trailer);
}

// "result fields" after parsing prior, then input.
template <typename Item>
std::string ParsedAfter(const ByteString& prior, const ByteString& input) {
    Item item;
    item.Parse(prior);
    const int result = item.Parse(input);
    return std::to_string(result) + " " + Fields(item);
}

TEST(CmdBody, ParsesTypeLengthAndValue) {
    const ByteString prior = Bytes({0x05, 0, 0, 0, 1, 'z'});
    const std::string kept = "-1 type=5 value=7a raw=6";
    const struct Row {
        ByteString input;
        std::string parsed;
    } kRows[] = {
        {Bytes({0x01, 0, 0, 0, 3, 'a', 'b', 'c'}), "0 type=1 value=616263 raw=8"},
        {Bytes({0xFF, 0, 0, 0, 0}), "0 type=-1 value= raw=5"},  // the type byte is signed
        {Bytes({0x01, 0, 0, 0, 2, 'a', 'b', 'c'}), "0 type=1 value=6162 raw=8"},
        {Bytes({0x14, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'}), "0 type=20 value= raw=7"},  // negative: empty
        {ByteString(), kept},
        {Bytes({0x01, 0, 0, 0}), kept},
        {Bytes({0x01, 0, 0, 0, 4, 'a', 'b', 'c'}), kept},
        {Bytes({0x01, 0x7F, 0xFF, 0xFF, 0xFF, 'a'}), kept},
    };
    for (const Row& row : kRows) {
        EXPECT_EQ(row.parsed, ParsedAfter<CCmdBody>(prior, row.input)) << Hex(row.input);
    }
}

TEST(CmdEnvelope, ParsesVersionBytesAndBody) {
    const ByteString prior = Bytes({0x01, 0x00, 0x01, 0, 0, 0, 1, 'q'});
    const std::string kept = "-1 1.0 type=1 value=71 raw=8 body type=1 value=71 raw=6";
    const struct Row {
        ByteString input;
        std::string parsed;
    } kRows[] = {
        {Bytes({0x02, 0x07, 0x15, 0, 0, 0, 2, 'h', 'i'}),
         "0 2.7 type=21 value=6869 raw=9 body type=21 value=6869 raw=7"},
        {Bytes({0x01, 0x00, 0x01, 0, 0, 0, 0}), "0 1.0 type=1 value= raw=7 body type=1 value= raw=5"},
        {Bytes({0x01, 0x00, 0x01, 0, 0, 0}), kept},
        {Bytes({0x09, 0x09, 0x1E, 0, 0, 0, 9, 'x'}), kept},
    };
    for (const Row& row : kRows) {
        EXPECT_EQ(row.parsed, ParsedAfter<CCmdEnvelope>(prior, row.input)) << Hex(row.input);
    }
}

TEST(CmdTrailerItem, ParsesValueAndThirtyTwoByteTrailer) {
    const ByteString prior = ByteString("value") + Repeated(32, 0x7E);
    EXPECT_EQ("0 type=0 value=" + Hex(ByteString("value")) + " raw=37 trailer=" + Hex(Repeated(32, 0x7E)),
              ParsedAfter<CCmdTrailerItem>(ByteString(), prior));
    EXPECT_EQ("0 type=0 value= raw=32 trailer=" + Hex(Repeated(32, 0x33)),
              ParsedAfter<CCmdTrailerItem>(prior, Repeated(32, 0x33)));
    EXPECT_EQ("-1 type=0 value=" + Hex(ByteString("value")) + " raw=37 trailer=" + Hex(Repeated(32, 0x7E)),
              ParsedAfter<CCmdTrailerItem>(prior, Repeated(31, 0x33)));
}

TEST(CmdItem, EncodesTheWireLayouts) {
    CCmdBody body;
    ASSERT_TRUE(body.Encode(0xFF, ByteString()));
    EXPECT_EQ("ff00000000", Hex(body.encoded));
    CCmdEnvelope envelope;
    envelope.major = 3;
    envelope.minor = 4;
    ASSERT_TRUE(envelope.Encode(33, ByteString()));
    EXPECT_EQ("03042100000000", Hex(envelope.encoded));
    // Sign item: second then first, each after its length (two bytes, then four).
    CCmdSignItem item;
    ASSERT_EQ(0, item.Encode(ByteString("first"), ByteString("2nd")));
    EXPECT_EQ("0003" "326e64" "00000005" "6669727374", Hex(item.encoded));
    ASSERT_EQ(0, item.Encode(ByteString("f"), Repeated(0xFFFF, 0x42)));
    EXPECT_EQ(2 + 0xFFFF + 4 + 1, item.encoded.GetLength());
    EXPECT_EQ("ffff", Hex(ByteString(item.encoded.data, 2)));
    const ByteString before = item.encoded;
    EXPECT_EQ(503, item.Encode(ByteString("f"), Repeated(0x10000, 0x42)));
    EXPECT_TRUE(item.encoded == before);
}

}  // namespace
