#pragma once
// Handles of files, searches, mappings and registry keys. A handle is a number in a
// process-wide table, never a pointer to the object, so that closing a handle twice
// (two copies of an object sharing one) or using a stale one fails cleanly instead of
// touching freed memory.

#include <memory>

#include "platform/Win32.h"

namespace zorvane {
namespace platform {

class HandleObject {
public:
    virtual ~HandleObject() = default;
    // Searches end with FindClose and registry keys with RegCloseKey, not CloseHandle.
    virtual bool ClosesWithCloseHandle() const { return true; }
};

HANDLE AddHandle(std::shared_ptr<HandleObject> object);

// The object behind a handle when it is of the wanted kind, else nullptr.
template <class Kind>
std::shared_ptr<Kind> LookUpHandle(HANDLE handle);

// Removes a handle of the wanted kind from the table; the object dies with its last user.
template <class Kind>
std::shared_ptr<Kind> RemoveHandle(HANDLE handle);

// Untyped forms behind the templates.
std::shared_ptr<HandleObject> LookUpAnyHandle(HANDLE handle);
bool RemoveHandleIf(HANDLE handle, bool (*isKind)(const HandleObject&), std::shared_ptr<HandleObject>& removed);

template <class Kind>
std::shared_ptr<Kind> LookUpHandle(HANDLE handle) {
    return std::dynamic_pointer_cast<Kind>(LookUpAnyHandle(handle));
}

template <class Kind>
std::shared_ptr<Kind> RemoveHandle(HANDLE handle) {
    std::shared_ptr<HandleObject> removed;
    const bool ok = RemoveHandleIf(
        handle, [](const HandleObject& object) { return dynamic_cast<const Kind*>(&object) != nullptr; }, removed);
    return ok ? std::static_pointer_cast<Kind>(removed) : nullptr;
}

}  // namespace platform
}  // namespace zorvane
