// LoadLibraryA / GetProcAddress / FreeLibrary on dlopen / dlsym / dlclose, plus the
// system pseudo module.
#include <dlfcn.h>
#include <strings.h>

#include <cstdint>
#include <string>

#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/SystemModule.h"
#include "platform/Win32.h"

namespace zorvane {
namespace platform {
namespace {

char g_systemModule;  // its address is the system module's handle

// A Windows path names a file; a bare name ("libfoo.so") is left to the loader's search.
std::string NativeLibraryPath(const char* path) {
    const std::string text = path;
    if (text.find_first_of("\\/:") == std::string::npos) return text;
    return zorvane::paths::Win32PathToNative(path);
}

}  // namespace

bool IsSystemModuleName(const char* name) {
    return strcasecmp(name, "kernel32") == 0 || strcasecmp(name, "kernel32.dll") == 0;
}

HMODULE SystemModule() { return &g_systemModule; }

FARPROC SystemFunction(const char* name) {
    // Through void (*)(), the type that converts to any function type without a warning.
    if (std::string(name) == "IsWow64Process") {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(System().IsWow64Process()));
    }
    return nullptr;
}

HMODULE LoadedModule(const char* name) {
    const std::string path = name ? NativeLibraryPath(name) : std::string();
    if (name && path.empty()) return nullptr;
    void* handle = dlopen(name ? path.c_str() : nullptr, RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // only asked, not loaded: keep the reference count as it was
    return handle;
}

}  // namespace platform
}  // namespace zorvane

HMODULE LoadLibraryA(LPCSTR path) {
    if (!path || !*path) return nullptr;
    const std::string native = zorvane::platform::NativeLibraryPath(path);
    if (native.empty()) return nullptr;
    return dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    // Small values are ordinals on Windows; nothing here is exported by ordinal.
    if (!module || reinterpret_cast<std::uintptr_t>(name) < 0x10000) return nullptr;
    if (module == zorvane::platform::SystemModule()) return zorvane::platform::SystemFunction(name);
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module) {
    if (!module) return FALSE;
    if (module == zorvane::platform::SystemModule()) return TRUE;
    return dlclose(module) == 0 ? TRUE : FALSE;
}
