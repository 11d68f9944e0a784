#include <gtest/gtest.h>

#include "message/ByteReader.h"
#include "message/ByteWriter.h"
#include "message/WireBytes.h"

using zorvane::ByteReader;
using zorvane::ByteWriter;

namespace {

TEST(ByteReader, ReadsBigEndianAndStopsAtTheEnd) {
    ByteString bytes = Bytes({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07});
    ByteReader reader(bytes);
    std::uint8_t first = 0;
    std::uint16_t second = 0;
    std::uint32_t third = 0;
    ASSERT_TRUE(reader.ReadU8(first));
    ASSERT_TRUE(reader.ReadU16(second));
    ASSERT_TRUE(reader.ReadU32(third));
    EXPECT_EQ(0x01, first);
    EXPECT_EQ(0x0203, second);
    EXPECT_EQ(0x04050607u, third);
    EXPECT_EQ(0u, reader.Remaining());
    EXPECT_FALSE(reader.ReadU8(first));
    EXPECT_EQ(0x01, first);
}

TEST(ByteReader, AFailedReadTakesNothing) {
    ByteString bytes = Bytes({0xAA, 0xBB, 0xCC});
    ByteReader reader(bytes);
    std::uint32_t value = 7;
    ByteString out("kept");
    EXPECT_FALSE(reader.ReadU32(value));
    EXPECT_FALSE(reader.ReadBytes(4, out));
    EXPECT_EQ(7u, value);
    EXPECT_EQ(std::string("kept"), out.GetData());
    EXPECT_EQ(3u, reader.Remaining());
    ASSERT_TRUE(reader.ReadRest(out));
    EXPECT_EQ("aabbcc", Hex(out));
}

TEST(ByteReader, AnEmptySpanYieldsOnlyEmptyReads) {
    ByteReader reader{ByteString()};
    ByteString out("x");
    std::uint8_t byte = 0;
    EXPECT_FALSE(reader.ReadU8(byte));
    EXPECT_TRUE(reader.ReadBytes(0, out));
    EXPECT_TRUE(out.IsEmpty());
}

TEST(ByteWriter, FinishesOnlyWhenExactlyFull) {
    ByteWriter writer(7);
    ByteString out;
    ASSERT_TRUE(writer.AddU8(0x01));
    ASSERT_TRUE(writer.AddU16(0x0203));
    EXPECT_FALSE(writer.Finish(out));
    ASSERT_TRUE(writer.AddU32(0x04050607));
    ASSERT_TRUE(writer.Finish(out));
    EXPECT_EQ("01020304050607", Hex(out));
}

TEST(ByteWriter, RefusesWhatDoesNotFitAndKeepsWhatIsThere) {
    ByteWriter writer(3);
    ASSERT_TRUE(writer.AddU16(0xBEEF));
    EXPECT_FALSE(writer.AddU16(0x1234));
    EXPECT_FALSE(writer.AddBytes(ByteString("ab")));
    ASSERT_TRUE(writer.AddBytes(ByteString("c")));
    ByteString out;
    ASSERT_TRUE(writer.Finish(out));
    EXPECT_EQ("beef63", Hex(out));
}

}  // namespace
