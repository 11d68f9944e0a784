#include <zorvane/ErrorLog.h>

namespace {

// The descriptions read: error number, error content, detailed error number, detailed
// error content.
const char kDisplayFormat[] = "오류번호 : %d \n오류내용 : %s \n";
const char kLogFormatWithDetail[] = "\n오류번호 : %d \n오류내용 : %s \n상세오류번호 : %d \n상세오류내용 : %s \n";
const char kLogFormat[] = "\n오류번호 : %d \n오류내용 : %s";

}  // namespace

ErrorLog::ErrorLog() : m_errorCode(0), m_detailCode(0) {}

ErrorLog::ErrorLog(const ErrorLog& other) = default;
ErrorLog& ErrorLog::operator=(const ErrorLog& other) = default;

ErrorLog::~ErrorLog() { ClearErrInfo(); }

void ErrorLog::ClearErrInfo() {
    m_displayText.Clear();
    m_logText.Clear();
    m_errorCode = 0;
    m_detailCode = 0;
    m_errorText.Clear();
    m_detailText.Clear();
}

void ErrorLog::SetErrInfo(int code, ByteString text, int detailCode, ByteString detailText) {
    m_errorCode = code;
    m_errorText = text;
    m_detailCode = detailCode;
    m_detailText = detailText;
}

void ErrorLog::MakeErrInfo() {
    m_displayText.Format(kDisplayFormat, m_errorCode, m_errorText.GetData());
    if (m_detailCode != 0) {
        m_logText.Format(kLogFormatWithDetail, m_errorCode, m_errorText.GetData(), m_detailCode,
                         m_detailText.GetData());
    } else {
        m_logText.Format(kLogFormat, m_errorCode, m_errorText.GetData());
    }
}

int ErrorLog::WriteErrInfo(ByteString, ByteString, ByteString& display) {
    MakeErrInfo();
    display = m_displayText;
    return 0;
}

// The library keeps no log: nothing is written, whatever folder is given.
int ErrorLog::WriteLogInfo(ByteString, ByteString) { return 0; }
