#include "core/UtilOperations.h"

#include <algorithm>
#include <cstring>

#include "platform/Win32.h"

namespace zorvane {
namespace util {
namespace {

constexpr unsigned kNineX = VER_PLATFORM_WIN32_WINDOWS;
constexpr unsigned kNT = VER_PLATFORM_WIN32_NT;

// Versions missing from a table (NT 5.2 and 6.1 for CUtil) answer 0.
const VersionCode kUtilRows[] = {
    {kNineX, 4, 4, 0, 1}, {kNineX, 4, 4, 10, 2}, {kNineX, 4, 4, 90, 3}, {kNT, 0, 4, -1, 4},
    {kNT, 5, 5, 0, 5},    {kNT, 5, 5, 1, 6},     {kNT, 6, 6, 0, 7},
};

const VersionCode kLoadCertRows[] = {
    {kNineX, 4, 4, 0, 1}, {kNineX, 4, 4, 10, 2}, {kNineX, 4, 4, 90, 3}, {kNT, 0, 4, -1, 4}, {kNT, 5, 5, 0, 5},
    {kNT, 5, 5, 1, 7},    {kNT, 5, 5, 2, 6},     {kNT, 6, 6, 0, 8},     {kNT, 6, 6, 1, 9},
};

bool Matches(const VersionCode& row, const OSVERSIONINFOA& version) {
    return row.platform == version.dwPlatformId && version.dwMajorVersion >= row.majorFrom &&
           version.dwMajorVersion <= row.majorTo &&
           (row.minor < 0 || static_cast<DWORD>(row.minor) == version.dwMinorVersion);
}

int Clip(int value, int low, int high) { return std::max(low, std::min(value, high)); }

// Index of the first occurrence of pattern in source at or after `from`, or -1.
int FindFrom(const ByteString& source, const char* pattern, int patternLength, int from) {
    const unsigned char* begin = source.data;
    if (!begin || from < 0 || patternLength < 1 || from > source.length - patternLength) return -1;
    const unsigned char* end = begin + source.length;
    const auto* found = std::search(begin + from, end, pattern, pattern + patternLength,
                                    [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    return found == end ? -1 : static_cast<int>(found - begin);
}

// The cut is made before it is assigned, so out may be the source itself.
ByteString CutInto(const ByteString& source, ByteString& out, int start, int count) {
    out = ByteString(source.GetData() + start, count);
    return out;
}

}  // namespace

const VersionTable kUtilVersionCodes = {kUtilRows, static_cast<int>(sizeof kUtilRows / sizeof kUtilRows[0])};
const VersionTable kLoadCertVersionCodes = {kLoadCertRows,
                                            static_cast<int>(sizeof kLoadCertRows / sizeof kLoadCertRows[0])};

int GetOSVersionCode(const VersionTable& table) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return 0;
    for (int i = 0; i < table.count; ++i) {
        if (Matches(table.rows[i], version)) return table.rows[i].code;
    }
    return 0;
}

int Check64bitOS() {
    typedef BOOL (*IsWow64ProcessFunction)(HANDLE, PBOOL);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process");
    if (!found) return 0;
    auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    BOOL wow64 = FALSE;
    isWow64Process(GetCurrentProcess(), &wow64);
    return wow64;
}

bool GetSystemDrive(ByteString& drive) {
    char folder[MAX_PATH] = {0};
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length < 2 || length >= sizeof folder || folder[1] != ':') return false;
    drive = ByteString(folder, 2);
    return true;
}

ByteString GetProgramFilesFolder(const char* valueName, const char* fallbackFolder) {
    char value[MAX_PATH] = {0};
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        DWORD size = sizeof value;
        DWORD type = 0;
        if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) != ERROR_SUCCESS) {
            value[0] = 0;
        }
        RegCloseKey(key);
    }
    value[sizeof value - 1] = 0;
    ByteString folder(value);
    if (folder.IsEmpty()) {
        ByteString drive("C:");
        GetSystemDrive(drive);
        folder.Format("%s\\%s", drive.GetData(), fallbackFolder);
    }
    folder += "\\";
    return folder;
}

ByteString GetProgramFilesPath() { return GetProgramFilesFolder("ProgramFilesDir", "Program Files"); }

ByteString GetProgramFiles64Path() {
    return GetProgramFilesFolder("ProgramFilesDir (x86)", "Program Files (x86)");
}

void ToUpper(unsigned char* text) {
    for (; text && *text; ++text) {
        if (*text >= 'a' && *text <= 'z') *text = static_cast<unsigned char>(*text - 'a' + 'A');
    }
}

void ToLower(unsigned char* text) {
    for (; text && *text; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<unsigned char>(*text - 'A' + 'a');
    }
}

ByteString ByteStringLeft(const ByteString& source, ByteString& out, int count) {
    return CutInto(source, out, 0, Clip(count, 0, source.GetLength()));
}

ByteString ByteStringMid(const ByteString& source, ByteString& out, int start, int count) {
    const int from = Clip(start, 0, source.GetLength());
    return CutInto(source, out, from, Clip(count, 0, source.GetLength() - from));
}

ByteString ByteStringRight(const ByteString& source, ByteString& out, int count) {
    const int taken = Clip(count, 0, source.GetLength());
    return CutInto(source, out, source.GetLength() - taken, taken);
}

int ByteStringFindCount(const ByteString& source, const char* pattern, int& lastPos) {
    lastPos = -1;
    if (!pattern) return 0;
    const int patternLength = static_cast<int>(std::strlen(pattern));
    int count = 0;
    int last = -1;
    // Each search starts one byte after the previous find, so overlapping finds count.
    for (int at = FindFrom(source, pattern, patternLength, 0); at >= 0;
         at = FindFrom(source, pattern, patternLength, at + 1)) {
        ++count;
        last = at;
    }
    // The established answer: the last index, except one past it for a single find.
    if (count == 1) lastPos = last + 1;
    else if (count > 1) lastPos = last;
    return count;
}

int ByteStringFind2(const ByteString& source, const char* pattern, int start) {
    if (!pattern || !*pattern) return -1;
    if (start == 0) return source.Find(pattern);
    if (start < 0 || start >= source.GetLength()) return -1;
    // From a later start the rest is read as a text: it ends at its first zero byte.
    const char* rest = source.GetData() + start;
    const char* found = std::strstr(rest, pattern);
    return found ? static_cast<int>(found - rest) + start : -1;
}

}  // namespace util
}  // namespace zorvane
