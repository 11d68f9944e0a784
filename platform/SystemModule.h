#pragma once
// The system module ("kernel32"): a pseudo module whose functions come from the
// SystemInfo service, so that a test can give this machine an IsWow64Process.

#include "platform/Win32.h"

namespace zorvane {
namespace platform {

bool IsSystemModuleName(const char* name);  // "kernel32" or "kernel32.dll", any case
HMODULE SystemModule();
FARPROC SystemFunction(const char* name);
// A module already loaded in this process (the main program for nullptr), or nullptr.
HMODULE LoadedModule(const char* name);

}  // namespace platform
}  // namespace zorvane
