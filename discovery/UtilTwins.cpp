// CLoadCert's exported platform utilities: the same operations as CUtil's (written once
// in core/UtilOperations.h); only GetOSVersion answers from a table of its own.

#include <zorvane/LoadCert.h>

#include "core/UtilOperations.h"

namespace util = zorvane::util;

ByteString CLoadCert::GetProgramFilesPath() { return util::GetProgramFilesPath(); }

ByteString CLoadCert::GetProgramFiles64Path() { return util::GetProgramFiles64Path(); }

int CLoadCert::GetOSVersion() { return util::GetOSVersionCode(util::kLoadCertVersionCodes); }

int CLoadCert::Check64bitOS() { return util::Check64bitOS(); }

void CLoadCert::ToUpper(unsigned char* text) { util::ToUpper(text); }

void CLoadCert::ToLower(unsigned char* text) { util::ToLower(text); }

ByteString CLoadCert::ByteStringLeft(ByteString& source, ByteString& out, int count) {
    return util::ByteStringLeft(source, out, count);
}

ByteString CLoadCert::ByteStringMid(ByteString& source, ByteString& out, int start, int count) {
    return util::ByteStringMid(source, out, start, count);
}

ByteString CLoadCert::ByteStringRight(ByteString& source, ByteString& out, int count) {
    return util::ByteStringRight(source, out, count);
}

int CLoadCert::ByteStringFindCount(ByteString& source, char* pattern, int& lastPos) {
    return util::ByteStringFindCount(source, pattern, lastPos);
}

int CLoadCert::ByteStringFind2(ByteString& source, char* pattern, int start) {
    return util::ByteStringFind2(source, pattern, start);
}
