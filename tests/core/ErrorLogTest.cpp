#include <zorvane/ErrorLog.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestSupport.h"

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

// The display text never holds the detail; the log text holds it when there is one, and
// then ends with a line feed. Only writing composes them, nothing is written to a file,
// and clearing empties everything.
TEST(ErrorLog, DisplayAndLogTexts) {
    const struct Row {
        int code;
        const char* text;
        int detailCode;
        const char* detail;
        std::string display, log;
    } kRows[] = {
        {3, "x", 0, "", "오류번호 : 3 \n오류내용 : x \n", "\n오류번호 : 3 \n오류내용 : x"},
        {-7, "인증서 오류", 1502, "policy missing", "오류번호 : -7 \n오류내용 : 인증서 오류 \n",
         "\n오류번호 : -7 \n오류내용 : 인증서 오류 \n상세오류번호 : 1502 \n상세오류내용 : policy missing \n"},
    };
    zorvane::testsupport::TempFolder folder;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.text);
        ErrorLog log;
        log.SetErrInfo(row.code, ByteString(row.text), row.detailCode, ByteString(row.detail));
        EXPECT_TRUE(log.m_displayText.IsEmpty());
        ByteString display;
        EXPECT_EQ(0, log.WriteErrInfo(ByteString("label"), ByteString(folder.Path().c_str()), display));
        EXPECT_EQ(row.display, Text(display));
        EXPECT_EQ(row.log, Text(log.m_logText));
        EXPECT_EQ(0, log.WriteLogInfo(ByteString(folder.Path().c_str()), ByteString("text")));
        log.ClearErrInfo();
        EXPECT_EQ(0, log.m_errorCode + log.m_detailCode);
        for (const ByteString* text : {&log.m_displayText, &log.m_logText, &log.m_errorText, &log.m_detailText}) {
            EXPECT_TRUE(text->IsEmpty());
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
