#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/Export.h>

// Holds one error (code and text, detail code and text) and composes Korean
// descriptions of it. It never writes a file.
class ZORVANE_API ErrorLog {
public:
    ErrorLog();
    ErrorLog(const ErrorLog& other);
    ErrorLog& operator=(const ErrorLog& other);
    virtual ~ErrorLog();

    void ClearErrInfo();
    void SetErrInfo(int code, ByteString text, int detailCode, ByteString detailText);
    // display receives the description of the stored error; label and folder are not
    // used. Always 0.
    int WriteErrInfo(ByteString label, ByteString folder, ByteString& display);
    int WriteLogInfo(ByteString folder, ByteString text);  // writes nothing; always 0

    ByteString m_displayText;
    ByteString m_logText;
    int m_errorCode;
    int m_detailCode;
    ByteString m_errorText;
    ByteString m_detailText;

private:
    void MakeErrInfo();
};

extern "C" ZORVANE_API void InitCertProcessDll();
