#include <zorvane/Util.h>

#include "core/UtilOperations.h"

CUtil::CUtil() = default;
CUtil::CUtil(const CUtil&) = default;
CUtil& CUtil::operator=(const CUtil&) = default;
CUtil::~CUtil() = default;

ByteString CUtil::GetProgramFilesPath() { return zorvane::util::GetProgramFilesPath(); }
ByteString CUtil::GetProgramFiles64Path() { return zorvane::util::GetProgramFiles64Path(); }
int CUtil::GetOSVersion() { return zorvane::util::GetOSVersionCode(zorvane::util::kUtilVersionCodes); }
int CUtil::Check64bitOS() { return zorvane::util::Check64bitOS(); }
void CUtil::ToUpper(unsigned char* text) { zorvane::util::ToUpper(text); }
void CUtil::ToLower(unsigned char* text) { zorvane::util::ToLower(text); }

ByteString CUtil::ByteStringLeft(ByteString source, ByteString& out, int count) {
    return zorvane::util::ByteStringLeft(source, out, count);
}

ByteString CUtil::ByteStringMid(ByteString source, ByteString& out, int start, int count) {
    return zorvane::util::ByteStringMid(source, out, start, count);
}

ByteString CUtil::ByteStringRight(ByteString source, ByteString& out, int count) {
    return zorvane::util::ByteStringRight(source, out, count);
}

int CUtil::ByteStringFindCount(ByteString source, char* pattern, int& lastPos) {
    return zorvane::util::ByteStringFindCount(source, pattern, lastPos);
}

int CUtil::ByteStringFind2(ByteString source, char* pattern, int start) {
    return zorvane::util::ByteStringFind2(source, pattern, start);
}
