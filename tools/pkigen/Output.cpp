#include "tools/pkigen/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace zorvane::pkigen {

namespace {
constexpr long kKoreaOffset = 9 * 60 * 60;
}

std::string KoreaTimeText(std::time_t t) {
    const std::time_t shifted = t + kKoreaOffset;
    std::tm parts{};
    gmtime_r(&shifted, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

std::string Hex(const unsigned char* bytes, std::size_t length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

namespace {

// Makes the missing folders of a path, each 0700: the generator's folders hold keys and
// their password. Folders that exist are left as they are.
bool MakePrivateFolders(const std::filesystem::path& folder) {
    if (folder.empty() || std::filesystem::exists(folder)) return true;
    if (!MakePrivateFolders(folder.parent_path())) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int descriptor, const void* bytes, std::size_t length) {
    const char* next = static_cast<const char*>(bytes);
    while (length > 0) {
        const ssize_t written = write(descriptor, next, length);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        next += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

// Written under a name of this process and renamed over the path, so that a reader never
// sees half a file and the file never exists with wider permissions than `mode`.
bool WriteWithMode(const std::string& path, const void* bytes, std::size_t length, mode_t mode, std::string& error) {
    error = "cannot write " + path;
    if (!MakePrivateFolders(std::filesystem::path(path).parent_path())) return false;
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, mode);
    if (descriptor < 0) return false;
    const bool written = fchmod(descriptor, mode) == 0 && WriteAll(descriptor, bytes, length);
    const bool closed = close(descriptor) == 0;
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    error.clear();
    return true;
}

}  // namespace

bool WriteBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error) {
    return WriteWithMode(path, bytes, length, 0644, error);
}

bool WriteSecretBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error) {
    return WriteWithMode(path, bytes, length, 0600, error);
}

}  // namespace zorvane::pkigen
