// Tagged messages through CCmdGen over the real toolkit's Base64: the tags found, the
// records made and read, and the layouts of each content type.
#include <zorvane/CmdGen.h>

#include <gtest/gtest.h>

#include <string>

#include "message/WireBytes.h"

namespace {

constexpr int kNpki = 1;

// "AQABAAAAA2FiYw==" is the Base64 text of 01 00 01 00 00 00 03 61 62 63.
const std::string kAbc = "AQABAAAAA2FiYw==";

class CmdGenWithToolkit : public ::testing::Test {
protected:
    // A record as Base64 text between <tag> and </tag>.
    std::string Tagged(const char* tag, ByteString record) {
        ByteString text;
        EXPECT_EQ(0, messages.m_crypto.Base64Enc(record, text));
        return std::string("<") + tag + ">" + text.GetData() + "</" + tag + ">";
    }

    CCmdGen messages{kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR)};
};

// Every row parses on an object that has read "abc" of type 1 before.
TEST_F(CmdGenWithToolkit, ParseFindsTheTagsAndReadsTheRecord) {
    const std::string kept = "abc 1";
    const struct Row {
        const char* tag;
        std::string message;
        int result;
        std::string parsed;  // result text and content type afterwards
    } kRows[] = {
        {"DATA", "HTTP/1.0 200\r\n\r\n<DATA>" + kAbc + "</DATA>\r\ntrailing", 0, "abc 1"},
        {"DATA", kAbc + "</DATA>", 501, kept},
        {"DATA", "<DATA>" + kAbc, 502, kept},
        {"DATA", "", 501, kept},
        {"DATA", "<DATA>" + kAbc + std::string(1, '\0') + "</DATA>", 502, kept},  // read as a text
        {"", "<>" + kAbc + "</>", 0, "abc 1"},
        {"M", Tagged("M", Bytes({0x02, 0x05, 0xFF, 0, 0, 0, 1, 'z'})), 0, "z -1"},
        {"M", Tagged("M", Bytes({0x01, 0x00, 0x01, 0, 0, 0, 4, 'a', 'b', 'c'})), -1, kept},
        {"M", "<M>*** not base64 ***</M>", 2015, kept},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.message);
        messages.SetTag(ByteString("P"));
        ASSERT_EQ(0, messages.Parse(ByteString(("<P>" + kAbc + "</P>").c_str())));
        messages.SetTag(ByteString(row.tag));
        EXPECT_EQ(row.result, messages.Parse(ByteString(row.message.data(), static_cast<int>(row.message.size()))));
        EXPECT_EQ(row.parsed, std::string(messages.GetResult().GetData()) + " " +
                                  std::to_string(messages.GetContentType()));
    }
}

TEST_F(CmdGenWithToolkit, ParseReadsWhatMakeContentMade) {
    const ByteString content = Bytes({0x00, 0x01, 0xFE, 0xFF}) + Repeated(300, 0x5A);
    ASSERT_EQ(0, messages.MakeContent(22, content, ByteString()));
    CCmdGen reader(kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR));
    reader.SetTag(ByteString("DATA"));
    ASSERT_EQ(0, reader.Parse(ByteString("<DATA>") + messages.GetResult() + "</DATA>"));
    EXPECT_EQ(22, reader.GetContentType());
    EXPECT_TRUE(reader.GetResult() == content);
    // The version bytes of a parsed record carry into the next record made.
    reader.SetTag(ByteString("M"));
    ASSERT_EQ(0, reader.Parse(ByteString(Tagged("M", Bytes({0x02, 0x05, 0x14, 0, 0, 0, 0})).c_str())));
    ASSERT_EQ(0, reader.MakeContent(20, ByteString("r"), ByteString()));
    EXPECT_EQ("02051400000001" "72", Hex(reader.m_madeRecord));
}

// Each known type is made and has its inner layout: plain (nothing to read), sign (more
// than a 20-byte prefix) or trailer (at least the 32-byte trailer); others are refused.
TEST_F(CmdGenWithToolkit, ContentTypesAndTheirLayouts) {
    ASSERT_EQ(0, messages.MakeContent(1, ByteString("abc"), ByteString("ignored")));
    EXPECT_EQ(kAbc, messages.GetResult().GetData());
    EXPECT_EQ("01000100000003616263", Hex(messages.m_madeRecord));
    const struct Row {
        int type;
        int needs;  // bytes the inner layout needs at least; 0: plain; -1: unknown type
    } kRows[] = {
        {0, 32}, {21, 32}, {31, 32}, {1, 21}, {22, 21}, {32, 21}, {20, 0}, {23, 0}, {30, 0}, {33, 0},
        {2, -1}, {-1, -1}, {19, -1}, {34, -1}, {255, -1},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.type);
        const int made = messages.MakeContent(row.type, ByteString("x"), ByteString());
        if (row.needs < 0) {
            EXPECT_EQ(500, made);
            EXPECT_EQ(kAbc, messages.GetResult().GetData());
            continue;
        }
        ASSERT_EQ(0, made);
        EXPECT_EQ(row.type, messages.GetContentType());
        EXPECT_EQ(row.needs ? -1 : 0, messages.ProcessContent(Repeated(row.needs - 1 + !row.needs, 0x01)));
        EXPECT_EQ(0, messages.ProcessContent(Repeated(row.needs, 0x02)));
        ASSERT_EQ(0, messages.MakeContent(1, ByteString("abc"), ByteString()));
    }
    messages.SetTag(ByteString("M"));
    ASSERT_EQ(0, messages.Parse(ByteString(Tagged("M", Bytes({0x01, 0x00, 0xFF, 0, 0, 0, 0})).c_str())));
    EXPECT_EQ(500, messages.ProcessContent(Repeated(64, 0)));
}

TEST(CmdGenWithoutToolkit, NothingIsMadeAndNoTypeIsKnown) {
    CCmdGen messages;
    EXPECT_EQ(-1, messages.GetContentType());
    EXPECT_EQ(500, messages.ProcessContent(Repeated(64, 0)));
    EXPECT_EQ(101, messages.Init(kNpki, 48, 1, ByteString("/nonexistent/folder")));
    EXPECT_EQ(101, messages.MakeContent(1, ByteString("abc"), ByteString()));
    EXPECT_TRUE(messages.GetResult().IsEmpty());
    EXPECT_TRUE(messages.m_madeRecord.IsEmpty());
    // The sign record needs no toolkit; a refused one keeps the record before.
    ASSERT_EQ(0, messages.MakeSignContent(ByteString(), ByteString("z")));
    EXPECT_EQ(503, messages.MakeSignContent(ByteString("a"), Repeated(70000, 1)));
    EXPECT_EQ("0001" "7a" "00000000", Hex(messages.m_signRecord));
}

}  // namespace
