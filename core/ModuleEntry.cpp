// The module entry routine and InitCertProcessDll. On POSIX a constructor/destructor
// pair stands in for the loader's process attach and detach notifications.
#include "core/ModuleEntry.h"

#include <dlfcn.h>

#include <cstdio>

#include <zorvane/ErrorLog.h>

namespace zorvane {
namespace {

AFX_EXTENSION_MODULE g_extensionModule = {FALSE, nullptr, nullptr};

// The instance of this module, as Windows would hand it: its load address.
HINSTANCE ThisModuleInstance() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ThisModuleInstance), &info)) return nullptr;
    return info.dli_fbase;
}

__attribute__((constructor)) void AttachProcess() {
    // A constructor cannot refuse the load; a failed registration is at least told.
    if (!ModuleEntry(ThisModuleInstance(), DLL_PROCESS_ATTACH)) {
        std::fprintf(stderr, "zorvane: extension module registration failed\n");
    }
}

__attribute__((destructor)) void DetachProcess() { ModuleEntry(ThisModuleInstance(), DLL_PROCESS_DETACH); }

}  // namespace

AFX_EXTENSION_MODULE& LibraryExtensionModule() { return g_extensionModule; }

BOOL ModuleEntry(HINSTANCE instance, DWORD reason) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            if (!AfxInitExtensionModule(g_extensionModule, instance)) return 0;
            new CDynLinkLibrary(g_extensionModule, FALSE);  // owned by the registry
            return 1;
        case DLL_PROCESS_DETACH:
            AfxTermExtensionModule(g_extensionModule, FALSE);
            return 1;
        default:
            return 1;
    }
}

}  // namespace zorvane

extern "C" void InitCertProcessDll() {
    new CDynLinkLibrary(zorvane::LibraryExtensionModule(), FALSE);  // owned by the registry
}
