// Read-only registry calls over the replaceable RegistryStore.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/HandleTable.h"
#include "platform/Services.h"
#include "platform/Win32.h"

namespace zorvane {
namespace platform {
namespace {

constexpr LONG kInvalidHandle = 6;
constexpr LONG kInvalidParameter = 87;

class RegistryKey : public HandleObject {
public:
    RegistryKey(HKEY root, std::string path) : root(root), path(std::move(path)) {}
    bool ClosesWithCloseHandle() const override { return false; }
    const HKEY root;
    const std::string path;
};

bool IsPredefinedRoot(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    return value >= 0x80000000u && value <= 0x80000006u;
}

// The root and full path that a key handle (predefined or opened) plus a sub-key name.
bool ResolveKey(HKEY key, const char* subKey, HKEY& root, std::string& path) {
    const std::string below = subKey ? subKey : "";
    if (IsPredefinedRoot(key)) {
        root = key;
        path = below;
        return true;
    }
    auto opened = LookUpHandle<RegistryKey>(key);
    if (!opened) return false;
    root = opened->root;
    path = below.empty() ? opened->path : opened->path + "\\" + below;
    return true;
}

}  // namespace
}  // namespace platform
}  // namespace zorvane

using namespace zorvane::platform;

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result) {
    if (!result) return kInvalidParameter;
    *result = nullptr;
    HKEY root = nullptr;
    std::string path;
    if (!ResolveKey(key, subKey, root, path)) return kInvalidHandle;
    if (!Registry().HasKey(root, path)) return ERROR_FILE_NOT_FOUND;
    *result = static_cast<HKEY>(AddHandle(std::make_shared<RegistryKey>(root, path)));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    HKEY root = nullptr;
    std::string path;
    if (!ResolveKey(key, nullptr, root, path)) return kInvalidHandle;
    std::string value;
    if (!Registry().ReadString(root, path, name ? name : "", value)) return ERROR_FILE_NOT_FOUND;
    const DWORD needed = static_cast<DWORD>(value.size() + 1);
    if (type) *type = REG_SZ;
    if (!data) {
        if (size) *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size) return kInvalidParameter;
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, value.c_str(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (IsPredefinedRoot(key)) return ERROR_SUCCESS;
    return RemoveHandle<RegistryKey>(key) ? ERROR_SUCCESS : kInvalidHandle;
}
