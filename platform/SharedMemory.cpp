// Named shared memory: CreateFileMappingA, OpenFileMappingA, MapViewOfFile,
// UnmapViewOfFile, and CloseHandle of a mapping.
//
// Where: every block of a user lives in that user's own folder /dev/shm/zorvane-<uid>,
// made 0700 and used only when it is a real folder (not a link) owned by the caller with
// exactly that mode; files are opened relative to it with O_NOFOLLOW. /dev/shm is
// writable by everyone, so any name there may have been made by someone else; one checked
// folder settles ownership for every file in it, where checking each file would leave
// the gap between its creation and its check.
//
// Lifetime rule, as on Windows: a named block exists exactly while some process holds
// a handle to it. Shared memory files outlive their users, so every block has a companion
// "holders" file beside it. Each open handle keeps a shared OFD lock on
// byte 0 of that file; the kernel drops the lock when the handle's descriptor closes or
// its process dies, even by SIGKILL. Whoever finds byte 0 unlocked (no holder left)
// removes the block and its companion. Byte 1 is a guard lock that makes
// create/open/close of one name atomic across processes.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "platform/HandleTable.h"
#include "platform/Win32.h"

namespace zorvane {
namespace platform {
namespace {

constexpr off_t kHolderByte = 0;
constexpr off_t kGuardByte = 1;

bool LockByte(int descriptor, off_t byte, short type, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    while (fcntl(descriptor, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

void UnlockByte(int descriptor, off_t byte) { LockByte(descriptor, byte, F_UNLCK, false); }

// True when some descriptor other than `descriptor` holds byte 0.
bool HasOtherHolders(int descriptor) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kHolderByte;
    probe.l_len = 1;
    if (fcntl(descriptor, F_OFD_GETLK, &probe) != 0) return true;  // unsure: keep the block
    return probe.l_type != F_UNLCK;
}

// Any byte of a Windows name may appear; keep the safe ones and escape the rest.
std::string EncodeName(const char* name) {
    std::string encoded;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(name); *c; ++c) {
        if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '-' ||
            *c == '_' || *c == '.') {
            encoded.push_back(static_cast<char>(*c));
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", *c);
            encoded += escaped;
        }
    }
    if (encoded.size() > 180) {  // stay under NAME_MAX: keep a prefix and a hash of the whole
        std::uint64_t hash = 1469598103934665603ull;
        for (unsigned char c : encoded) hash = (hash ^ c) * 1099511628211ull;
        char tail[20];
        std::snprintf(tail, sizeof tail, "#%016llx", static_cast<unsigned long long>(hash));
        encoded = encoded.substr(0, 160) + tail;
    }
    return encoded;
}

constexpr mode_t kPrivateFolderMode = 0700;

bool IsPrivateFolder(int folder) {
    struct stat info;
    return fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid() &&
           (info.st_mode & 07777) == kPrivateFolderMode;
}

// The caller's block folder, opened; -1 when it cannot be made or is not the caller's alone.
int OpenPrivateFolder() {
    const std::string path = "/dev/shm/zorvane-" + std::to_string(geteuid());
    if (mkdir(path.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) return -1;
    const int folder = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder >= 0 && !IsPrivateFolder(folder)) {
        close(folder);
        return -1;
    }
    return folder;
}

// Names of a block's two files inside the private folder.
struct BlockNames {
    std::string memory;
    std::string holders;
};

BlockNames NamesFor(const char* name) {
    const std::string base = "map-" + EncodeName(name);
    return {base, base + ".holders"};
}

int OpenInFolder(int folder, const std::string& name, int flags) {
    return openat(folder, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// Opens the companion file and takes the guard, making sure the file is still the one
// at the path (a closer may have removed it between our open and our lock).
int OpenGuarded(int folder, const std::string& holders, bool create) {
    for (;;) {
        const int descriptor = OpenInFolder(folder, holders, O_RDWR | (create ? O_CREAT : 0));
        if (descriptor < 0) return -1;
        if (!LockByte(descriptor, kGuardByte, F_WRLCK, true)) {
            close(descriptor);
            return -1;
        }
        struct stat opened, current;
        if (fstat(descriptor, &opened) == 0 && fstatat(folder, holders.c_str(), &current, AT_SYMLINK_NOFOLLOW) == 0 &&
            opened.st_ino == current.st_ino && opened.st_dev == current.st_dev) {
            return descriptor;
        }
        close(descriptor);  // replaced meanwhile: take the current file
    }
}

void RemoveBlock(int folder, const BlockNames& names) {
    unlinkat(folder, names.memory.c_str(), 0);
    unlinkat(folder, names.holders.c_str(), 0);
}

class Mapping : public HandleObject {
public:
    Mapping(int folder, BlockNames names, int holders, int memory, std::size_t size, bool writable)
        : m_folder(folder), m_names(std::move(names)), m_holders(holders), m_memory(memory), m_size(size),
          m_writable(writable) {}

    // Locks belong to the open file, which a forked child shares with its parent: only the
    // process that opened the handle lets go of its hold; a child just closes its copies.
    ~Mapping() override {
        if (m_holders >= 0 && getpid() == m_opener) {
            LockByte(m_holders, kGuardByte, F_WRLCK, true);
            UnlockByte(m_holders, kHolderByte);
            if (!HasOtherHolders(m_holders)) RemoveBlock(m_folder, m_names);
        }
        if (m_holders >= 0) {
            close(m_holders);  // drops the guard too
            close(m_folder);
        }
        close(m_memory);
    }

    int Memory() const { return m_memory; }
    std::size_t Size() const { return m_size; }
    bool Writable() const { return m_writable; }

private:
    pid_t m_opener = getpid();
    int m_folder;  // the private folder; -1 for an unnamed block
    BlockNames m_names;
    int m_holders;  // -1 for an unnamed block
    int m_memory;
    std::size_t m_size;
    bool m_writable;
};

std::size_t SizeOf(int memory) {
    struct stat info;
    return fstat(memory, &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

// Under the guard: attach to the live block of this name, or make a fresh one.
int AttachOrCreate(int folder, const BlockNames& names, int holders, std::size_t size) {
    if (HasOtherHolders(holders)) {
        const int memory = OpenInFolder(folder, names.memory, O_RDWR);
        if (memory >= 0) return memory;
    }
    unlinkat(folder, names.memory.c_str(), 0);  // whatever is there was left by holders that are gone
    const int memory = OpenInFolder(folder, names.memory, O_RDWR | O_CREAT | O_EXCL);
    if (memory < 0) return -1;
    if (ftruncate(memory, static_cast<off_t>(size)) != 0) {
        close(memory);
        unlinkat(folder, names.memory.c_str(), 0);
        return -1;
    }
    return memory;
}

HANDLE CreateNamed(const char* name, std::size_t size) {
    BlockNames names = NamesFor(name);
    const int folder = OpenPrivateFolder();
    if (folder < 0) return nullptr;
    const int holders = OpenGuarded(folder, names.holders, true);
    if (holders < 0) {
        close(folder);
        return nullptr;
    }
    const int memory = AttachOrCreate(folder, names, holders, size);
    if (memory < 0 || !LockByte(holders, kHolderByte, F_RDLCK, false)) {
        if (memory >= 0) close(memory);
        if (!HasOtherHolders(holders)) RemoveBlock(folder, names);
        close(holders);
        close(folder);
        return nullptr;
    }
    UnlockByte(holders, kGuardByte);
    const std::size_t actual = SizeOf(memory);
    return AddHandle(std::make_shared<Mapping>(folder, std::move(names), holders, memory, actual, true));
}

HANDLE CreateUnnamed(std::size_t size) {
    const int memory = memfd_create("zorvane-map", MFD_CLOEXEC);
    if (memory < 0) return nullptr;
    if (ftruncate(memory, static_cast<off_t>(size)) != 0) {
        close(memory);
        return nullptr;
    }
    return AddHandle(std::make_shared<Mapping>(-1, BlockNames{}, -1, memory, size, true));
}

HANDLE OpenNamed(const char* name, bool writable) {
    BlockNames names = NamesFor(name);
    const int folder = OpenPrivateFolder();
    if (folder < 0) return nullptr;
    const int holders = OpenGuarded(folder, names.holders, false);
    const bool live = holders >= 0 && HasOtherHolders(holders);
    if (holders >= 0 && !live) RemoveBlock(folder, names);  // every holder closed or died: the block is gone
    const int memory = live ? OpenInFolder(folder, names.memory, O_RDWR) : -1;
    if (memory < 0 || !LockByte(holders, kHolderByte, F_RDLCK, false)) {
        if (memory >= 0) close(memory);
        if (holders >= 0) close(holders);
        close(folder);
        return nullptr;
    }
    UnlockByte(holders, kGuardByte);
    const std::size_t size = SizeOf(memory);
    return AddHandle(std::make_shared<Mapping>(folder, std::move(names), holders, memory, size, writable));
}

// Views stay valid after their mapping handle closes, as on Windows; the name does not.
std::mutex g_viewsMutex;
std::map<const void*, std::size_t>& Views() {
    static auto* views = new std::map<const void*, std::size_t>;
    return *views;
}

}  // namespace
}  // namespace platform
}  // namespace zorvane

using namespace zorvane::platform;

HANDLE CreateFileMappingA(HANDLE file, LPVOID, DWORD protect, DWORD sizeHigh, DWORD sizeLow, LPCSTR name) {
    // Only blocks backed by the paging file, read-write, as the library uses them.
    if (file != INVALID_HANDLE_VALUE || protect != PAGE_READWRITE) return nullptr;
    const std::uint64_t size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
    if (size == 0 || size > static_cast<std::uint64_t>(SIZE_MAX >> 1)) return nullptr;
    if (!name || !*name) return CreateUnnamed(static_cast<std::size_t>(size));
    return CreateNamed(name, static_cast<std::size_t>(size));
}

HANDLE OpenFileMappingA(DWORD access, BOOL, LPCSTR name) {
    if (!name || !*name) return nullptr;
    const bool writable = (access & FILE_MAP_WRITE) != 0 || access == FILE_MAP_ALL_ACCESS;
    return OpenNamed(name, writable);
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
    auto block = LookUpHandle<Mapping>(mapping);
    if (!block) return nullptr;
    const bool wantsWrite = (access & FILE_MAP_WRITE) != 0 || access == FILE_MAP_ALL_ACCESS;
    if (wantsWrite && !block->Writable()) return nullptr;
    const std::uint64_t offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
    if (offset % static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) != 0 || offset >= block->Size()) return nullptr;
    const std::size_t length = bytes ? bytes : block->Size() - static_cast<std::size_t>(offset);
    if (length > block->Size() - offset) return nullptr;
    void* view = mmap(nullptr, length, PROT_READ | (wantsWrite ? PROT_WRITE : 0), MAP_SHARED, block->Memory(),
                      static_cast<off_t>(offset));
    if (view == MAP_FAILED) return nullptr;
    std::lock_guard<std::mutex> lock(g_viewsMutex);
    Views()[view] = length;
    return view;
}

BOOL UnmapViewOfFile(LPCVOID view) {
    std::size_t length = 0;
    {
        std::lock_guard<std::mutex> lock(g_viewsMutex);
        const auto found = Views().find(view);
        if (found == Views().end()) return FALSE;
        length = found->second;
        Views().erase(found);
    }
    munmap(const_cast<void*>(view), length);
    return TRUE;
}
