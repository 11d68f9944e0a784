#pragma once
// The platform utilities, written once. CUtil exports them; CLoadCert exports twins of
// most of them and calls these same functions.

#include <zorvane/ByteString.h>

namespace zorvane {
namespace util {

// One row of a Windows-version table: a platform family, a range of major versions,
// a minor version (-1 for any) and the code for it. Rows are tried in order; no match
// gives 0.
struct VersionCode {
    unsigned platform;
    unsigned majorFrom;
    unsigned majorTo;
    int minor;
    int code;
};

struct VersionTable {
    const VersionCode* rows;
    int count;
};

extern const VersionTable kUtilVersionCodes;      // CUtil::GetOSVersion
extern const VersionTable kLoadCertVersionCodes;  // CLoadCert::GetOSVersion

int GetOSVersionCode(const VersionTable& table);
int Check64bitOS();

// "ProgramFilesDir" or "ProgramFilesDir (x86)" from the registry, or the fallback
// folder on the system drive, followed by "\".
ByteString GetProgramFilesFolder(const char* valueName, const char* fallbackFolder);
ByteString GetProgramFilesPath();    // "ProgramFilesDir", "Program Files"
ByteString GetProgramFiles64Path();  // "ProgramFilesDir (x86)", "Program Files (x86)"

// The drive part ("C:") of the system folder; false when the folder cannot be read or
// has no drive part.
bool GetSystemDrive(ByteString& drive);

void ToUpper(unsigned char* text);
void ToLower(unsigned char* text);

// The substring operations copy the source first, so `out` may be the source itself.
// Indexes and counts outside the source are clipped to it.
ByteString ByteStringLeft(const ByteString& source, ByteString& out, int count);
ByteString ByteStringMid(const ByteString& source, ByteString& out, int start, int count);
ByteString ByteStringRight(const ByteString& source, ByteString& out, int count);
int ByteStringFindCount(const ByteString& source, const char* pattern, int& lastPos);
int ByteStringFind2(const ByteString& source, const char* pattern, int start);

}  // namespace util
}  // namespace zorvane
