// Drives, system folder, environment, version and the system module.
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/SystemModule.h"
#include "platform/Win32.h"

namespace {

// Copies a text the way the Get...Directory calls do: the length on success, the
// needed size (with the terminator) when the buffer is too small.
UINT CopyWithNeededSize(const std::string& text, LPSTR buffer, UINT size) {
    if (!buffer || size <= text.size()) return static_cast<UINT>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<UINT>(text.size());
}

bool IsRootText(LPCSTR root) {
    if (!std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':') return false;
    return root[2] == 0 || ((root[2] == '\\' || root[2] == '/') && root[3] == 0);
}

std::string ExpandVariables(const std::string& source) {
    std::string out;
    std::string::size_type at = 0;
    while (at < source.size()) {
        const auto open = source.find('%', at);
        const auto close = open == std::string::npos ? std::string::npos : source.find('%', open + 1);
        if (close == std::string::npos) {
            out += source.substr(at);
            break;
        }
        out += source.substr(at, open - at);
        const std::string name = source.substr(open + 1, close - open - 1);
        std::string value;
        if (!name.empty() && zorvane::platform::System().LookUpVariable(name, value)) out += value;
        else out += source.substr(open, close - open + 1);  // unknown names stay as written
        at = close + 1;
    }
    return out;
}

}  // namespace

UINT GetDriveTypeA(LPCSTR root) {
    if (!root) root = "C:\\";
    zorvane::paths::Drive drive;
    struct stat info;
    if (!IsRootText(root) || !zorvane::paths::FindDrive(root[0], drive) || stat(drive.folder.c_str(), &info) != 0 ||
        !S_ISDIR(info.st_mode)) {
        return DRIVE_NO_ROOT_DIR;
    }
    return drive.kind == zorvane::paths::DriveKind::Removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const std::string folder = zorvane::platform::System().SystemDirectory();
    if (folder.empty()) return 0;
    return CopyWithNeededSize(folder, buffer, size);
}

DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
    if (!source) return 0;
    const std::string expanded = ExpandVariables(source);
    const DWORD needed = static_cast<DWORD>(expanded.size() + 1);
    if (destination && size > 0) {
        const std::size_t copied = expanded.size() < size - 1 ? expanded.size() : size - 1;
        std::memcpy(destination, expanded.data(), copied);
        destination[copied] = 0;
    }
    return needed;
}

BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
    *info = zorvane::platform::System().Version();
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR name) {
    if (name && zorvane::platform::IsSystemModuleName(name)) return zorvane::platform::SystemModule();
    return zorvane::platform::LoadedModule(name);
}

HANDLE GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));  // the pseudo handle Windows uses
}
