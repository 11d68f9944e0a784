#include "exchange/MappingRegistry.h"

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "platform/Win32.h"

namespace zorvane {

namespace {

// Objects belong to one thread each, but different objects on different threads
// meet in these process-wide tables.
std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::map<void*, int>& SharedCounts() {
    static auto* counts = new std::map<void*, int>;
    return *counts;
}

std::map<std::string, HANDLE>& KeptHandles() {
    static auto* handles = new std::map<std::string, HANDLE>;
    return *handles;
}

// A normal exit lets go of every hold of the process, so that the last holder anywhere
// removes the block and its text does not stay behind in shared memory. Static objects
// destroyed after this let go of handles no longer in the tables, which does nothing.
void ReleaseEverythingAtExit() {
    std::map<void*, int> shared;
    std::map<std::string, HANDLE> kept;
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        shared.swap(SharedCounts());
        kept.swap(KeptHandles());
    }
    for (const auto& entry : shared) CloseHandle(entry.first);
    for (const auto& entry : kept) CloseHandle(entry.second);
}

// Registered on first use, so it runs before the static objects made earlier go.
void ReleaseAtExitOnce() {
    static const bool registered = std::atexit(ReleaseEverythingAtExit) == 0;
    (void)registered;
}

}  // namespace

void RetainMapping(void* mapping) {
    if (!mapping) return;
    ReleaseAtExitOnce();
    std::lock_guard<std::mutex> guard(RegistryLock());
    ++SharedCounts()[mapping];
}

void ReleaseMapping(void* mapping) {
    if (!mapping) return;
    {
        std::lock_guard<std::mutex> guard(RegistryLock());
        auto found = SharedCounts().find(mapping);
        if (found == SharedCounts().end()) return;
        if (--found->second > 0) return;
        SharedCounts().erase(found);
    }
    CloseHandle(mapping);
}

void* KeptBlock(const char* name) {
    ReleaseAtExitOnce();
    std::lock_guard<std::mutex> guard(RegistryLock());
    auto found = KeptHandles().find(name);
    if (found != KeptHandles().end()) return found->second;
    HANDLE block = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (block) KeptHandles().emplace(name, block);
    return block;
}

}  // namespace zorvane
