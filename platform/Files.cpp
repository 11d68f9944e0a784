// Whole-file reading: CreateFileA, GetFileSize, ReadFile, and CloseHandle for every
// handle kind that it ends.

#include "platform/HandleTable.h"
#include "platform/PathTranslation.h"
#include "platform/Services.h"
#include "platform/Win32.h"

namespace zorvane {
namespace platform {
namespace {

class OpenFile : public HandleObject {
public:
    OpenFile(FileAccess& access, int descriptor) : m_access(access), m_descriptor(descriptor) {}
    ~OpenFile() override { m_access.Close(m_descriptor); }
    FileAccess& Access() { return m_access; }
    int Descriptor() const { return m_descriptor; }

private:
    FileAccess& m_access;
    int m_descriptor;
};

}  // namespace
}  // namespace platform
}  // namespace zorvane

using zorvane::platform::OpenFile;

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, LPVOID, DWORD disposition, DWORD, HANDLE) {
    // Only what the library needs: reading files that exist.
    if ((access & GENERIC_WRITE) || !(access & GENERIC_READ) || disposition != OPEN_EXISTING) {
        return INVALID_HANDLE_VALUE;
    }
    zorvane::platform::FileAccess& files = zorvane::platform::Files();
    // Most files are spelled as they are on disk: opening first spares a look-up per file,
    // and only a miss pays for matching the name ignoring case.
    const std::string tried = zorvane::paths::Win32PathToNativeForOpening(path);
    int descriptor = files.Open(tried);
    if (descriptor < 0) {
        const std::string matched = zorvane::paths::Win32PathToNative(path);
        if (matched != tried) descriptor = files.Open(matched);
    }
    if (descriptor < 0) return INVALID_HANDLE_VALUE;
    return zorvane::platform::AddHandle(std::make_shared<OpenFile>(files, descriptor));
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    auto open = zorvane::platform::LookUpHandle<OpenFile>(file);
    std::uint64_t size = 0;
    if (!open || !open->Access().Size(open->Descriptor(), size)) return INVALID_FILE_SIZE;
    const std::uint64_t high = size >> 32;
    // Without a place for the high part, a size that needs one cannot be told truthfully.
    if (!sizeHigh && high != 0) return INVALID_FILE_SIZE;
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(high);
    return static_cast<DWORD>(size & 0xffffffffu);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID) {
    if (read) *read = 0;
    auto open = zorvane::platform::LookUpHandle<OpenFile>(file);
    if (!open || (!buffer && toRead > 0)) return FALSE;
    const long got = open->Access().Read(open->Descriptor(), buffer, toRead);
    if (got < 0) return FALSE;
    if (read) *read = static_cast<DWORD>(got);
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    std::shared_ptr<zorvane::platform::HandleObject> removed;
    return zorvane::platform::RemoveHandleIf(
               handle, [](const zorvane::platform::HandleObject& object) { return object.ClosesWithCloseHandle(); },
               removed)
               ? TRUE
               : FALSE;
}
