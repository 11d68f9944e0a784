// Profile ("INI") files: the text-level reader on the input, then GetPrivateProfileStringA
// over a temporary file holding the same bytes, with buffers too small and large enough.
// Every section and key the reader lists must be found again, and the file function must
// give the same answers as the text functions.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "platform/ProfileReader.h"
#include "platform/Win32.h"

namespace {

using zorvane::platform::FindProfileValue;
using zorvane::platform::ProfileKeyNames;
using zorvane::platform::ProfileSectionNames;

constexpr std::size_t kMaxNamesChecked = 4;
constexpr DWORD kSmallSizes[] = {1, 2, 7};
constexpr DWORD kLargeSize = 4096;

const std::string& ProfilePath() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-fuzz-profile-XXXXXX").string();
        const int descriptor = mkstemp(pattern.data());
        FUZZ_CHECK(descriptor >= 0);
        close(descriptor);
        return pattern;
    }();
    return path;
}

void WriteProfile(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(ProfilePath().c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
}

// The zero-separated list GetPrivateProfileStringA writes for these names.
std::string JoinedList(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) joined += name + '\0';
    return joined;
}

void CheckList(const char* section, const std::vector<std::string>& names) {
    std::vector<char> buffer(kLargeSize);
    const DWORD written = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), kLargeSize,
                                                   ProfilePath().c_str());
    const std::string expected = JoinedList(names);
    if (expected.size() + 1 > kLargeSize) return;
    FUZZ_CHECK(written == expected.size());
    FUZZ_CHECK(std::memcmp(buffer.data(), expected.data(), expected.size()) == 0);
    for (DWORD size : kSmallSizes) {
        std::vector<char> small(size);
        FUZZ_CHECK(GetPrivateProfileStringA(section, nullptr, "", small.data(), size, ProfilePath().c_str()) < size);
    }
}

void CheckValue(const std::string& section, const std::string& key, const std::string& value) {
    std::vector<char> buffer(kLargeSize);
    const DWORD written = GetPrivateProfileStringA(section.c_str(), key.c_str(), "default", buffer.data(),
                                                   kLargeSize, ProfilePath().c_str());
    const std::size_t expected = std::min<std::size_t>(value.size(), kLargeSize - 1);
    FUZZ_CHECK(written == expected);
    FUZZ_CHECK(std::memcmp(buffer.data(), value.data(), expected) == 0 && buffer[expected] == 0);
    for (DWORD size : kSmallSizes) {
        std::vector<char> small(size);
        const DWORD cut = GetPrivateProfileStringA(section.c_str(), key.c_str(), "default", small.data(), size,
                                                   ProfilePath().c_str());
        FUZZ_CHECK(cut == std::min<std::size_t>(value.size(), size - 1) && small[cut] == 0);
    }
}

void CheckSection(const std::string& text, const std::string& section, bool checkFile) {
    const std::vector<std::string> keys = ProfileKeyNames(text, section);
    if (checkFile) CheckList(section.c_str(), keys);
    for (std::size_t i = 0; i < keys.size() && i < kMaxNamesChecked; ++i) {
        std::string value;
        FUZZ_CHECK(FindProfileValue(text, section, keys[i], value));
        if (checkFile) CheckValue(section, keys[i], value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Names cut at an embedded zero cannot be asked for through the C interface.
    const bool checkFile = text.find('\0') == std::string::npos;
    if (checkFile) WriteProfile(data, size);
    const std::vector<std::string> sections = ProfileSectionNames(text);
    if (checkFile) CheckList(nullptr, sections);
    for (std::size_t i = 0; i < sections.size() && i < kMaxNamesChecked; ++i) CheckSection(text, sections[i], checkFile);
    // Removed after each input: libFuzzer ends its runs without the exit handlers.
    if (checkFile) std::remove(ProfilePath().c_str());
    return 0;
}
