// GetPrivateProfileStringA over a profile file named by a Windows path.
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/PathTranslation.h"
#include "platform/ProfileReader.h"
#include "platform/Win32.h"

namespace {

bool ReadWholeFile(const std::string& nativePath, std::string& text) {
    if (nativePath.empty()) return false;
    std::ifstream file(nativePath, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    return true;
}

// One value: cut to size - 1 characters; the result is the number copied.
DWORD CopyValue(const std::string& value, LPSTR buffer, DWORD size) {
    const std::size_t copied = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), copied);
    buffer[copied] = 0;
    return static_cast<DWORD>(copied);
}

// A list of names, each ended by a zero, the list by a second zero. When it does not
// fit, the last name is cut, two zeros end the buffer and the result is size - 2.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    if (size < 2) {
        buffer[0] = 0;
        return 0;
    }
    std::size_t used = 0;
    for (const std::string& name : names) {
        if (used + name.size() + 1 > size - 1) {
            // A list that already fills size - 1 leaves no room for any part of this name.
            const std::size_t room = used < size - 2 ? size - 2 - used : 0;
            std::memcpy(buffer + used, name.data(), room);
            buffer[size - 2] = 0;
            buffer[size - 1] = 0;
            return size - 2;
        }
        std::memcpy(buffer + used, name.c_str(), name.size() + 1);
        used += name.size() + 1;
    }
    buffer[used] = 0;
    if (used == 0 && size > 1) buffer[1] = 0;
    return static_cast<DWORD>(used);
}

std::string DefaultWithoutTrailingBlanks(LPCSTR defaultValue) {
    std::string value = defaultValue ? defaultValue : "";
    const auto last = value.find_last_not_of(' ');
    return last == std::string::npos ? "" : value.substr(0, last + 1);
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR file) {
    if (!buffer || size == 0) return 0;
    std::string text;
    const bool readable = ReadWholeFile(zorvane::paths::Win32PathToNative(file), text);
    if (!section) return CopyList(readable ? zorvane::platform::ProfileSectionNames(text) : std::vector<std::string>(),
                                  buffer, size);
    if (!key) return CopyList(readable ? zorvane::platform::ProfileKeyNames(text, section) : std::vector<std::string>(),
                              buffer, size);
    std::string value;
    if (!readable || !zorvane::platform::FindProfileValue(text, section, key, value)) {
        value = DefaultWithoutTrailingBlanks(defaultValue);
    }
    return CopyValue(value, buffer, size);
}
