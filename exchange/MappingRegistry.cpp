#include "exchange/MappingRegistry.h"

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

}  // namespace

void RetainMapping(void* mapping) {
    if (!mapping) return;
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
    std::lock_guard<std::mutex> guard(RegistryLock());
    auto found = KeptHandles().find(name);
    if (found != KeptHandles().end()) return found->second;
    HANDLE block = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (block) KeptHandles().emplace(name, block);
    return block;
}

}  // namespace zorvane
