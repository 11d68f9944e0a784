#pragma once
#include <zorvane/ByteString.h>
#include <zorvane/Export.h>

// Stateless platform utilities: program-files folders, Windows version and bitness,
// ASCII case conversion and substring operations.
class ZORVANE_API CUtil {
public:
    CUtil();
    CUtil(const CUtil& other);
    CUtil& operator=(const CUtil& other);
    virtual ~CUtil();

    ByteString GetProgramFilesPath();
    ByteString GetProgramFiles64Path();
    int GetOSVersion();
    int Check64bitOS();
    void ToUpper(unsigned char* text);
    void ToLower(unsigned char* text);
    ByteString ByteStringLeft(ByteString source, ByteString& out, int count);
    ByteString ByteStringMid(ByteString source, ByteString& out, int start, int count);
    ByteString ByteStringRight(ByteString source, ByteString& out, int count);
    int ByteStringFindCount(ByteString source, char* pattern, int& lastPos);
    int ByteStringFind2(ByteString source, char* pattern, int start);
};
