#include <zorvane/CmdGen.h>

#include <gtest/gtest.h>

#include <string>

#include "message/WireBytes.h"

namespace {

constexpr int kNpki = 1;

// "AQABAAAAA2FiYw==" is the Base64 text of 01 00 01 00 00 00 03 61 62 63.
const char kAbcOfTypeOne[] = "AQABAAAAA2FiYw==";

class CmdGenWithToolkit : public ::testing::Test {
protected:
    CmdGenWithToolkit() : messages(kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR)) {}

    // A record as Base64 text between <tag> and </tag>, encoded by the same object.
    ByteString Tagged(const char* tag, ByteString record) {
        ByteString text;
        EXPECT_EQ(0, messages.m_crypto.Base64Enc(record, text));
        return ByteString("<") + tag + ">" + text + "</" + tag + ">";
    }

    CCmdGen messages;
};

TEST_F(CmdGenWithToolkit, MakeContentGivesTheBase64OfTheWireRecord) {
    ASSERT_EQ(0, messages.MakeContent(1, ByteString("abc"), ByteString("ignored")));
    EXPECT_EQ(std::string(kAbcOfTypeOne), messages.GetResult().GetData());
    EXPECT_EQ("01000100000003616263", Hex(messages.m_madeRecord));
    EXPECT_EQ(1, messages.GetContentType());
}

TEST_F(CmdGenWithToolkit, UnknownTypesAreRefusedAndLeaveTheResult) {
    ASSERT_EQ(0, messages.MakeContent(1, ByteString("abc"), ByteString()));
    for (int type : {2, -1, 34, 255, 19}) {
        EXPECT_EQ(500, messages.MakeContent(type, ByteString("x"), ByteString())) << type;
    }
    EXPECT_EQ(std::string(kAbcOfTypeOne), messages.GetResult().GetData());
    for (int type : {0, 1, 20, 21, 22, 23, 30, 31, 32, 33}) {
        EXPECT_EQ(0, messages.MakeContent(type, ByteString("x"), ByteString())) << type;
    }
}

TEST_F(CmdGenWithToolkit, ParseReadsWhatMakeContentMade) {
    ByteString content = Bytes({0x00, 0x01, 0xFE, 0xFF}) + Repeated(300, 0x5A);
    ASSERT_EQ(0, messages.MakeContent(22, content, ByteString()));
    CCmdGen reader(kNpki, 48, 1, ByteString(ZORVANE_TEST_WORK_DIR));
    reader.SetTag(ByteString("DATA"));
    ASSERT_EQ(0, reader.Parse(ByteString("<DATA>") + messages.GetResult() + "</DATA>"));
    EXPECT_EQ(22, reader.GetContentType());
    EXPECT_TRUE(reader.GetResult() == content);
}

// --- Tags --------------------------------------------------------------------------------

TEST_F(CmdGenWithToolkit, TextAroundTheTagsIsIgnored) {
    messages.SetTag(ByteString("DATA"));
    ASSERT_EQ(0, messages.Parse(ByteString("HTTP/1.0 200\r\n\r\n<DATA>") + kAbcOfTypeOne + "</DATA>\r\ntrailing"));
    EXPECT_EQ(std::string("abc"), messages.GetResult().GetData());
    EXPECT_EQ(1, messages.GetContentType());
}

TEST_F(CmdGenWithToolkit, MissingTagsAreReportedAndChangeNothing) {
    messages.SetTag(ByteString("DATA"));
    ASSERT_EQ(0, messages.Parse(ByteString("<DATA>") + kAbcOfTypeOne + "</DATA>"));
    EXPECT_EQ(501, messages.Parse(ByteString(kAbcOfTypeOne) + "</DATA>"));
    EXPECT_EQ(502, messages.Parse(ByteString("<DATA>") + kAbcOfTypeOne));
    EXPECT_EQ(501, messages.Parse(ByteString("<data>") + kAbcOfTypeOne + "</data>"));
    EXPECT_EQ(501, messages.Parse(ByteString()));
    EXPECT_EQ(std::string("abc"), messages.GetResult().GetData());
    EXPECT_EQ(1, messages.GetContentType());
}

// Tags are found as texts: a zero byte ends the message before a tag behind it.
TEST_F(CmdGenWithToolkit, TagsBehindAZeroByteAreNotSeen) {
    messages.SetTag(ByteString("DATA"));
    ByteString message = ByteString("<DATA>") + kAbcOfTypeOne + Bytes({0}) + "</DATA>";
    EXPECT_EQ(502, messages.Parse(message));
}

// The order of the tags is not checked: the text after the first ">" up to the last
// "<" is what gets decoded.
TEST_F(CmdGenWithToolkit, ReversedTagsPassTheCheck) {
    messages.SetTag(ByteString("T"));
    ASSERT_EQ(0, messages.Parse(ByteString("</T>") + kAbcOfTypeOne + "<T>"));
    EXPECT_EQ(std::string("abc"), messages.GetResult().GetData());
}

TEST_F(CmdGenWithToolkit, EmptyTagLooksForBareBrackets) {
    ASSERT_EQ(0, messages.Parse(ByteString("<>") + kAbcOfTypeOne + "</>"));
    EXPECT_EQ(std::string("abc"), messages.GetResult().GetData());
    EXPECT_EQ(501, messages.Parse(ByteString("<X>") + kAbcOfTypeOne + "</X>"));
    EXPECT_EQ(502, messages.Parse(ByteString("<>") + kAbcOfTypeOne + "</X>"));
}

// --- Records inside the Base64 text ------------------------------------------------------------

TEST_F(CmdGenWithToolkit, TypeByteFFReadsBackAsMinusOne) {
    messages.SetTag(ByteString("M"));
    ASSERT_EQ(0, messages.Parse(Tagged("M", Bytes({0x01, 0x00, 0xFF, 0, 0, 0, 1, 'z'}))));
    EXPECT_EQ(-1, messages.GetContentType());
    EXPECT_EQ(500, messages.ProcessContent(messages.GetResult()));
}

TEST_F(CmdGenWithToolkit, LyingAndShortRecordsAreRefusedWithMinusOne) {
    messages.SetTag(ByteString("M"));
    ASSERT_EQ(0, messages.Parse(ByteString("<M>") + kAbcOfTypeOne + "</M>"));
    const ByteString refused[] = {
        Bytes({0x01, 0x00, 0x01, 0, 0, 0, 4, 'a', 'b', 'c'}),  // one byte more than present
        Bytes({0x01, 0x00, 0x01, 0x7F, 0xFF, 0xFF, 0xFF}),      // far more
        Bytes({0x01, 0x00, 0x01, 0, 0, 0}),                      // shorter than the header
        Bytes({0x01}),
    };
    for (const ByteString& record : refused) {
        EXPECT_EQ(-1, messages.Parse(Tagged("M", record))) << Hex(record);
    }
    EXPECT_EQ(std::string("abc"), messages.GetResult().GetData());
    EXPECT_EQ(1, messages.GetContentType());
}

TEST_F(CmdGenWithToolkit, BadBase64GivesTheFacadeCode) {
    messages.SetTag(ByteString("M"));
    ByteString notBase64("*** not base64 ***"), decoded;
    const int decodeFailure = messages.m_crypto.Base64Dec(notBase64, decoded);
    ASSERT_NE(0, decodeFailure);
    EXPECT_EQ(decodeFailure, messages.Parse(ByteString("<M>") + notBase64 + "</M>"));
}

TEST_F(CmdGenWithToolkit, VersionBytesOfAParsedRecordCarryIntoTheNextMake) {
    messages.SetTag(ByteString("M"));
    ASSERT_EQ(0, messages.Parse(Tagged("M", Bytes({0x02, 0x05, 0x14, 0, 0, 0, 0}))));
    ASSERT_EQ(0, messages.MakeContent(20, ByteString("r"), ByteString()));
    EXPECT_EQ("02051400000001" "72", Hex(messages.m_madeRecord));
}

// --- Content layouts --------------------------------------------------------------------------

TEST_F(CmdGenWithToolkit, TrailerLayoutAtItsBoundary) {
    for (int type : {0, 21, 31}) {
        ASSERT_EQ(0, messages.MakeContent(type, ByteString("x"), ByteString()));
        EXPECT_EQ(-1, messages.ProcessContent(Repeated(31, 0x01))) << type;
        ASSERT_EQ(0, messages.ProcessContent(Repeated(32, 0x02))) << type;
        EXPECT_TRUE(messages.m_trailerItem.value.IsEmpty());
        EXPECT_EQ(Hex(Repeated(32, 0x02)), Hex(messages.m_trailerItem.trailer));
    }
}

TEST_F(CmdGenWithToolkit, SignLayoutAtItsBoundary) {
    for (int type : {1, 22, 32}) {
        ASSERT_EQ(0, messages.MakeContent(type, ByteString("x"), ByteString()));
        EXPECT_EQ(-1, messages.ProcessContent(Repeated(20, 0x01))) << type;
        ASSERT_EQ(0, messages.ProcessContent(Repeated(21, 0x03))) << type;
        EXPECT_TRUE(messages.m_signItem.value.IsEmpty());
        EXPECT_EQ(3, messages.m_signItem.type);
    }
}

TEST_F(CmdGenWithToolkit, PlainLayoutsReadNothing) {
    for (int type : {20, 23, 30, 33}) {
        ASSERT_EQ(0, messages.MakeContent(type, ByteString("x"), ByteString()));
        EXPECT_EQ(0, messages.ProcessContent(ByteString())) << type;
    }
}

// --- Without a toolkit ----------------------------------------------------------------------

TEST(CmdGenWithoutToolkit, ProcessContentBeforeAnyParseKnowsNoType) {
    CCmdGen messages;
    EXPECT_EQ(-1, messages.GetContentType());
    EXPECT_EQ(500, messages.ProcessContent(Repeated(64, 0)));
}

TEST(CmdGenWithoutToolkit, Base64FailureIsPassedOnAndLeavesTheResult) {
    CCmdGen messages;
    const int result = messages.MakeContent(1, ByteString("abc"), ByteString());
    EXPECT_NE(0, result);
    EXPECT_NE(500, result);
    EXPECT_TRUE(messages.GetResult().IsEmpty());
    EXPECT_TRUE(messages.m_madeRecord.IsEmpty());
}

TEST(CmdGenWithoutToolkit, SignRecordLayout) {
    CCmdGen messages;
    ASSERT_EQ(0, messages.MakeSignContent(ByteString("abc"), ByteString()));
    EXPECT_EQ("0000" "00000003" "616263", Hex(messages.m_signRecord));
    ASSERT_EQ(0, messages.MakeSignContent(ByteString(), ByteString("z")));
    EXPECT_EQ("0001" "7a" "00000000", Hex(messages.m_signRecord));
    EXPECT_EQ(503, messages.MakeSignContent(ByteString("a"), Repeated(70000, 1)));
    EXPECT_EQ("0001" "7a" "00000000", Hex(messages.m_signRecord));
}

TEST(CmdGenWithoutToolkit, InitReportsTheFacadeResult) {
    CCmdGen messages;
    EXPECT_NE(0, messages.Init(kNpki, 48, 1, ByteString("/nonexistent/folder")));
    EXPECT_EQ(kNpki, messages.m_type);
    EXPECT_EQ(std::string("/nonexistent/folder"), messages.m_workFolder.GetData());
}

}  // namespace
