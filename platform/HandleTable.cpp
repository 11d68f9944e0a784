#include "platform/HandleTable.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace zorvane {
namespace platform {
namespace {

// Numbers start high and step by 16, so they never meet null, INVALID_HANDLE_VALUE or
// the predefined registry roots (0x80000000 and up are odd multiples of 2).
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 0x10;

struct Table {
    std::mutex mutex;
    std::uintptr_t next = kFirstHandle;
    std::unordered_map<std::uintptr_t, std::shared_ptr<HandleObject>> objects;
};

Table& TheTable() {
    static Table* table = new Table;  // outlives every static object that may close a handle
    return *table;
}

std::uintptr_t Key(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

HANDLE AddHandle(std::shared_ptr<HandleObject> object) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const std::uintptr_t key = table.next;
    table.next += kHandleStep;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<HandleObject> LookUpAnyHandle(HANDLE handle) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto found = table.objects.find(Key(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

bool RemoveHandleIf(HANDLE handle, bool (*isKind)(const HandleObject&), std::shared_ptr<HandleObject>& removed) {
    Table& table = TheTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    const auto found = table.objects.find(Key(handle));
    if (found == table.objects.end() || !isKind(*found->second)) return false;
    removed = std::move(found->second);
    table.objects.erase(found);
    return true;
}

}  // namespace platform
}  // namespace zorvane
