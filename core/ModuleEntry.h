#pragma once
// The library's module entry: MFC extension-module registration at load and unload.

#include "platform/Afx.h"
#include "platform/Win32.h"

namespace zorvane {

// The library's extension-module record.
AFX_EXTENSION_MODULE& LibraryExtensionModule();

// The entry routine for load (DLL_PROCESS_ATTACH), unload (DLL_PROCESS_DETACH) and
// thread notifications; 1 for success, 0 when registration fails.
BOOL ModuleEntry(HINSTANCE instance, DWORD reason);

}  // namespace zorvane
