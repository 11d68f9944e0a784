#include "platform/SafeFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace zorvane {
namespace paths {
namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Repeats a read or write until every byte has moved; false at an error or end of file.
template <class Byte, class Step>
bool MoveAll(int fd, Byte* data, std::size_t length, Step step) {
    while (length > 0) {
        const ssize_t moved = step(fd, data, length);
        if (moved < 0 && errno == EINTR) continue;
        if (moved <= 0) return false;
        data += moved;
        length -= static_cast<std::size_t>(moved);
    }
    return true;
}

bool ReadAll(int fd, unsigned char* data, std::size_t length) { return MoveAll(fd, data, length, ::read); }

bool WriteAll(int fd, const unsigned char* data, std::size_t length) { return MoveAll(fd, data, length, ::write); }

FileResult FromErrno() { return errno == ENOENT || errno == ENOTDIR ? FileResult::Missing : FileResult::IoError; }

// Fills a temporary file beside the target; its name is returned in temporary.
FileResult WriteTemporary(const std::string& path, const unsigned char* data, std::size_t length, mode_t mode,
                          std::string& temporary) {
    std::string pattern = path + ".XXXXXX";
    Descriptor fd(::mkstemp(&pattern[0]));
    if (fd.get() < 0) return FromErrno();
    temporary = pattern;
    const bool written = ::fchmod(fd.get(), mode) == 0 && WriteAll(fd.get(), data, length) && ::fsync(fd.get()) == 0;
    if (::close(fd.release()) != 0 || !written) {
        ::unlink(temporary.c_str());
        return FileResult::IoError;
    }
    return FileResult::Ok;
}

}  // namespace

FileResult ReadOwnedFile(const std::string& path, std::size_t maxSize, std::vector<unsigned char>& bytes) {
    if (path.empty()) return FileResult::Missing;
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return errno == ELOOP ? FileResult::Unsafe : FromErrno();
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) return FileResult::IoError;
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid() ||
        static_cast<unsigned long long>(status.st_size) > maxSize) {
        return FileResult::Unsafe;
    }
    std::vector<unsigned char> contents(static_cast<std::size_t>(status.st_size));
    if (!ReadAll(fd.get(), contents.data(), contents.size())) return FileResult::IoError;
    bytes.swap(contents);
    return FileResult::Ok;
}

FileResult WriteFileAtomically(const std::string& path, const unsigned char* data, std::size_t length,
                               mode_t mode, bool replace) {
    if (path.empty()) return FileResult::Missing;
    std::string temporary;
    const FileResult written = WriteTemporary(path, data, length, mode, temporary);
    if (written != FileResult::Ok) return written;
    const int placed = replace ? ::rename(temporary.c_str(), path.c_str()) : ::link(temporary.c_str(), path.c_str());
    const int placeError = errno;
    if (placed != 0 || !replace) ::unlink(temporary.c_str());
    if (placed == 0) return FileResult::Ok;
    return placeError == EEXIST ? FileResult::Exists : FileResult::IoError;
}

FileResult RemoveFile(const std::string& path) {
    struct stat status {};
    if (path.empty() || ::lstat(path.c_str(), &status) != 0) return FileResult::Missing;
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) return FileResult::Unsafe;
    return ::unlink(path.c_str()) == 0 ? FileResult::Ok : FromErrno();
}

}  // namespace paths
}  // namespace zorvane
