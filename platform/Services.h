#pragma once
// The replaceable services behind the Win32 stand-ins of platform/Win32.h. Each has a
// default that describes this POSIX machine; tests install their own to stand in for a
// 64-bit Windows 7, a registry holding other folders, failing file reads, and so on.
// Drives are replaced through zorvane::paths::SetDrivesForTesting (PathTranslation.h).

#include <cstdint>
#include <map>
#include <string>

#include "platform/Win32.h"

namespace zorvane {
namespace platform {

// Platform id reported by GetVersionExA on POSIX: none of the Windows families, so
// the version tables map it to 0.
constexpr DWORD kPlatformPosix = 0x504f;

// Read-only registry values. Key paths and value names compare ignoring ASCII case.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    virtual bool HasKey(HKEY root, const std::string& subKey) const = 0;
    virtual bool ReadString(HKEY root, const std::string& subKey, const std::string& name,
                            std::string& value) const = 0;
};

// A registry held in a table; the default one answers the two program-files values.
class TableRegistry : public RegistryStore {
public:
    void Set(HKEY root, const std::string& subKey, const std::string& name, const std::string& value);
    bool HasKey(HKEY root, const std::string& subKey) const override;
    bool ReadString(HKEY root, const std::string& subKey, const std::string& name,
                    std::string& value) const override;

private:
    static std::string KeyOf(HKEY root, const std::string& subKey);
    std::map<std::string, std::map<std::string, std::string>> m_keys;  // lower-cased names
};

// What the system says about itself. A plain record, so tests copy the default and
// change one fact.
typedef BOOL (*IsWow64ProcessFunction)(HANDLE process, PBOOL wow64);

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual std::string SystemDirectory() const = 0;  // Windows form; empty when unknown
    // An environment variable by name (ignoring ASCII case); false when not set.
    virtual bool LookUpVariable(const std::string& name, std::string& value) const = 0;
    virtual OSVERSIONINFOA Version() const = 0;
    // "IsWow64Process" of the system module, or nullptr when the system has none.
    virtual IsWow64ProcessFunction IsWow64Process() const = 0;
};

class FixedSystemInfo : public SystemInfo {
public:
    std::string systemDirectory;
    std::map<std::string, std::string> variables;  // lower-cased names; others from the environment
    OSVERSIONINFOA version{};
    IsWow64ProcessFunction isWow64Process = nullptr;

    std::string SystemDirectory() const override { return systemDirectory; }
    bool LookUpVariable(const std::string& name, std::string& value) const override;
    OSVERSIONINFOA Version() const override { return version; }
    IsWow64ProcessFunction IsWow64Process() const override { return isWow64Process; }
};

// Where MessageBoxA goes. The default writes "caption: text" to standard error.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual int Show(const char* text, const char* caption, UINT type) = 0;
};

// What a search of stores had to pass over that a person should hear of: a folder that
// cannot be searched, a file that is refused or cannot be read. Missing files and
// folders are normal and not told. The default keeps quiet; a program that reports to a
// person installs its own.
class NoticeSink {
public:
    virtual ~NoticeSink() = default;
    virtual void Note(const std::string& text) = 0;
};

// Read-only file access under CreateFileA, GetFileSize and ReadFile.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    virtual int Open(const std::string& nativePath) = 0;  // descriptor, or -1 (only regular files open)
    virtual bool Size(int descriptor, std::uint64_t& size) = 0;
    virtual long Read(int descriptor, void* buffer, std::size_t count) = 0;  // bytes, or -1
    virtual void Close(int descriptor) = 0;
};

// The defaults describing this machine.
TableRegistry& DefaultRegistry();
FixedSystemInfo& DefaultSystemInfo();
MessageSink& DefaultMessageSink();
FileAccess& DefaultFileAccess();
NoticeSink& DefaultNoticeSink();

// The services in force.
RegistryStore& Registry();
SystemInfo& System();
MessageSink& Messages();
FileAccess& Files();
NoticeSink& Notices();

// Each replaces one service (nullptr restores the default) and returns the one it replaced.
RegistryStore* ReplaceRegistry(RegistryStore* registry);
SystemInfo* ReplaceSystemInfo(SystemInfo* system);
MessageSink* ReplaceMessageSink(MessageSink* sink);
FileAccess* ReplaceFileAccess(FileAccess* files);
NoticeSink* ReplaceNoticeSink(NoticeSink* sink);

// Tells the notice sink that a path failed with errno `error`, unless the error only
// says the path does not exist.
void NoteFailure(const std::string& what, const std::string& path, int error);

// Installs a service for the lifetime of a scope.
template <class Service>
class ScopedService {
public:
    ScopedService(Service* (*replace)(Service*), Service& service)
        : m_replace(replace), m_previous(replace(&service)) {}
    ~ScopedService() { m_replace(m_previous); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

private:
    Service* (*m_replace)(Service*);
    Service* m_previous;
};

}  // namespace platform
}  // namespace zorvane
