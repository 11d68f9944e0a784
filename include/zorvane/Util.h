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

    // The program-files folder and its x86 twin, each ending in a backslash; on POSIX the
    // first is on drive C:, the home folder.
    ByteString GetProgramFilesPath();
    ByteString GetProgramFiles64Path();
    int GetOSVersion();  // the Windows family code; 0 on POSIX
    int Check64bitOS();  // non-zero for a 32-bit process on 64-bit Windows; 0 on POSIX
    void ToUpper(unsigned char* text);  // ASCII letters of a zero-terminated text, in place
    void ToLower(unsigned char* text);
    // out = the first count bytes, count bytes from start, or the last count bytes of
    // source; each returns a copy of out.
    ByteString ByteStringLeft(ByteString source, ByteString& out, int count);
    ByteString ByteStringMid(ByteString source, ByteString& out, int start, int count);
    ByteString ByteStringRight(ByteString source, ByteString& out, int count);
    // Occurrences of pattern (overlapping ones count); lastPos: index of the last, or -1.
    int ByteStringFindCount(ByteString source, char* pattern, int& lastPos);
    int ByteStringFind2(ByteString source, char* pattern, int start);  // index at or after start, or -1
};
