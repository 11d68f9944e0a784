#include <zorvane/ErrorLog.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

TEST(ErrorLog, DisplayTextWithoutDetail) {
    ErrorLog log;
    log.SetErrInfo(3, ByteString("x"), 0, ByteString());
    ByteString display;
    EXPECT_EQ(0, log.WriteErrInfo(ByteString("label"), ByteString("C:\\log"), display));
    EXPECT_EQ("오류번호 : 3 \n오류내용 : x \n", Text(display));
    EXPECT_EQ("\n오류번호 : 3 \n오류내용 : x", Text(log.m_logText)) << "no line feed after the text";
}

TEST(ErrorLog, LogTextWithDetail) {
    ErrorLog log;
    log.SetErrInfo(-7, ByteString("인증서 오류"), 1502, ByteString("policy missing"));
    ByteString display;
    log.WriteErrInfo(ByteString(), ByteString(), display);
    EXPECT_EQ("오류번호 : -7 \n오류내용 : 인증서 오류 \n", Text(display));
    EXPECT_EQ("\n오류번호 : -7 \n오류내용 : 인증서 오류 \n상세오류번호 : 1502 \n상세오류내용 : policy missing \n",
              Text(log.m_logText));
}

TEST(ErrorLog, DescriptionsFollowOnlyWriteErrInfo) {
    ErrorLog log;
    ByteString display;
    log.WriteErrInfo(ByteString(), ByteString(), display);
    EXPECT_EQ("오류번호 : 0 \n오류내용 :  \n", Text(display));
    log.SetErrInfo(5, ByteString("later"), 0, ByteString());
    EXPECT_EQ("오류번호 : 0 \n오류내용 :  \n", Text(log.m_displayText)) << "SetErrInfo composes nothing";
    EXPECT_EQ(5, log.m_errorCode);
    EXPECT_EQ("later", Text(log.m_errorText));
}

TEST(ErrorLog, CopyAssignAndClear) {
    ErrorLog log;
    log.SetErrInfo(1, ByteString("a"), 2, ByteString("b"));
    ByteString display;
    log.WriteErrInfo(ByteString(), ByteString(), display);
    ErrorLog copy(log);
    ErrorLog assigned;
    assigned = log;
    for (const ErrorLog* other : {&copy, &assigned}) {
        EXPECT_EQ(1, other->m_errorCode);
        EXPECT_EQ(2, other->m_detailCode);
        EXPECT_EQ("b", Text(other->m_detailText));
        EXPECT_TRUE(other->m_logText == log.m_logText);
        EXPECT_TRUE(other->m_displayText == log.m_displayText);
    }
    log.ClearErrInfo();
    EXPECT_EQ(0, log.m_errorCode);
    EXPECT_EQ(0, log.m_detailCode);
    EXPECT_TRUE(log.m_displayText.IsEmpty() && log.m_logText.IsEmpty() && log.m_errorText.IsEmpty() &&
                log.m_detailText.IsEmpty());
    EXPECT_EQ(1, copy.m_errorCode) << "copies are independent";
}

TEST(ErrorLog, WritesNoFileWhateverTheFolder) {
    zorvane::testsupport::TempFolder folder;
    ErrorLog log;
    log.SetErrInfo(9, ByteString("e"), 0, ByteString());
    ByteString display;
    EXPECT_EQ(0, log.WriteLogInfo(ByteString(folder.Path().c_str()), ByteString("text")));
    EXPECT_EQ(0, log.WriteErrInfo(ByteString("label"), ByteString(folder.Path().c_str()), display));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
