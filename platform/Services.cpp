// The default services: what this POSIX machine looks like through the Win32 stand-ins.
#include "platform/Services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zorvane {
namespace platform {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Registry paths are compared without case and without doubled or outer separators.
std::string CanonicalKeyPath(const std::string& subKey) {
    std::string out;
    for (char c : subKey) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

OSVERSIONINFOA PosixVersion() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    version.dwPlatformId = kPlatformPosix;
    utsname name;
    if (uname(&name) == 0) {
        unsigned major = 0, minor = 0, build = 0;
        std::sscanf(name.release, "%u.%u.%u", &major, &minor, &build);
        version.dwMajorVersion = major;
        version.dwMinorVersion = minor;
        version.dwBuildNumber = build;
        std::snprintf(version.szCSDVersion, sizeof version.szCSDVersion, "%s", name.sysname);
    }
    return version;
}

class StandardErrorSink : public MessageSink {
public:
    int Show(const char* text, const char* caption, UINT) override {
        std::fprintf(stderr, "%s: %s\n", caption ? caption : "Zorvane", text ? text : "");
        return IDOK;
    }
};

class PosixFileAccess : public FileAccess {
public:
    // Only regular files: a FIFO, device or socket in a store would block a walk or feed
    // it without end. O_NONBLOCK keeps the open itself from waiting for a FIFO's writer.
    int Open(const std::string& nativePath) override {
        if (nativePath.empty()) return -1;
        const int descriptor = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (descriptor < 0) {
            NoteFailure("cannot read", nativePath, errno);
            return -1;
        }
        struct stat info {};
        if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
            if (!S_ISDIR(info.st_mode)) Notices().Note("skipped " + nativePath + ": not a regular file");
            ::close(descriptor);
            return -1;
        }
        return descriptor;
    }
    bool Size(int descriptor, std::uint64_t& size) override {
        struct stat info;
        if (fstat(descriptor, &info) != 0) return false;
        size = static_cast<std::uint64_t>(info.st_size);
        return true;
    }
    long Read(int descriptor, void* buffer, std::size_t count) override {
        std::size_t done = 0;
        while (done < count) {
            const ssize_t got = ::read(descriptor, static_cast<char*>(buffer) + done, count - done);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return -1;
            if (got == 0) break;
            done += static_cast<std::size_t>(got);
        }
        return static_cast<long>(done);
    }
    void Close(int descriptor) override { ::close(descriptor); }
};

class QuietNoticeSink : public NoticeSink {
public:
    void Note(const std::string&) override {}
};

template <class Service>
Service* Swap(std::atomic<Service*>& slot, Service* replacement, Service& fallback) {
    Service* previous = slot.exchange(replacement ? replacement : &fallback);
    return previous ? previous : &fallback;
}

template <class Service>
Service& Current(std::atomic<Service*>& slot, Service& fallback) {
    Service* service = slot.load();
    return service ? *service : fallback;
}

std::atomic<RegistryStore*> g_registry{nullptr};
std::atomic<SystemInfo*> g_system{nullptr};
std::atomic<MessageSink*> g_messages{nullptr};
std::atomic<FileAccess*> g_files{nullptr};
std::atomic<NoticeSink*> g_notices{nullptr};

}  // namespace

std::string TableRegistry::KeyOf(HKEY root, const std::string& subKey) {
    return std::to_string(reinterpret_cast<std::uintptr_t>(root)) + ":" + CanonicalKeyPath(subKey);
}

void TableRegistry::Set(HKEY root, const std::string& subKey, const std::string& name, const std::string& value) {
    m_keys[KeyOf(root, subKey)][Lower(name)] = value;
}

bool TableRegistry::HasKey(HKEY root, const std::string& subKey) const {
    return m_keys.count(KeyOf(root, subKey)) > 0;
}

bool TableRegistry::ReadString(HKEY root, const std::string& subKey, const std::string& name,
                               std::string& value) const {
    const auto key = m_keys.find(KeyOf(root, subKey));
    if (key == m_keys.end()) return false;
    const auto found = key->second.find(Lower(name));
    if (found == key->second.end()) return false;
    value = found->second;
    return true;
}

bool FixedSystemInfo::LookUpVariable(const std::string& name, std::string& value) const {
    const auto fixed = variables.find(Lower(name));
    if (fixed != variables.end()) {
        value = fixed->second;
        return true;
    }
    // Windows variable names ignore case; POSIX ones do not, so try the usual spellings.
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    for (const std::string& spelling : {name, upper, Lower(name)}) {
        if (const char* found = std::getenv(spelling.c_str())) {
            value = found;
            return true;
        }
    }
    return false;
}

TableRegistry& DefaultRegistry() {
    static TableRegistry* registry = [] {
        auto* table = new TableRegistry;
        // "C:\" is the home folder, so "%s\NPKI\..." lands in ~/NPKI.
        table->Set(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\");
        table->Set(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir (x86)", "");
        return table;
    }();
    return *registry;
}

FixedSystemInfo& DefaultSystemInfo() {
    static FixedSystemInfo* system = [] {
        auto* info = new FixedSystemInfo;
        info->systemDirectory = "C:\\Windows\\System32";
        info->variables["userprofile"] = "C:";  // the home folder, drive C:
        info->version = PosixVersion();
        return info;
    }();
    return *system;
}

MessageSink& DefaultMessageSink() {
    static StandardErrorSink sink;
    return sink;
}

FileAccess& DefaultFileAccess() {
    static PosixFileAccess files;
    return files;
}

NoticeSink& DefaultNoticeSink() {
    static QuietNoticeSink sink;
    return sink;
}

RegistryStore& Registry() { return Current<RegistryStore>(g_registry, DefaultRegistry()); }
SystemInfo& System() { return Current<SystemInfo>(g_system, DefaultSystemInfo()); }
MessageSink& Messages() { return Current(g_messages, DefaultMessageSink()); }
FileAccess& Files() { return Current(g_files, DefaultFileAccess()); }
NoticeSink& Notices() { return Current(g_notices, DefaultNoticeSink()); }

RegistryStore* ReplaceRegistry(RegistryStore* registry) {
    return Swap<RegistryStore>(g_registry, registry, DefaultRegistry());
}
SystemInfo* ReplaceSystemInfo(SystemInfo* system) { return Swap<SystemInfo>(g_system, system, DefaultSystemInfo()); }
MessageSink* ReplaceMessageSink(MessageSink* sink) { return Swap(g_messages, sink, DefaultMessageSink()); }
FileAccess* ReplaceFileAccess(FileAccess* files) { return Swap(g_files, files, DefaultFileAccess()); }
NoticeSink* ReplaceNoticeSink(NoticeSink* sink) { return Swap(g_notices, sink, DefaultNoticeSink()); }

void NoteFailure(const std::string& what, const std::string& path, int error) {
    if (error == ENOENT || error == ENOTDIR) return;
    Notices().Note(what + " " + path + ": " + std::strerror(error));
}

}  // namespace platform
}  // namespace zorvane
