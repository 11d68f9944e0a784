#pragma once
// Helpers shared by every test program: a temporary folder removed with its contents,
// whole-file reads and writes, hex, and running a shell command for its output.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvane::testsupport {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zorvane-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    // Tests may leave the folder unwritable; give it back before removing it.
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }
    std::string File(const std::string& relative) const { return *this / relative; }

    // Writes a file (creating its folders) and returns its full path.
    std::string Write(const std::string& relative, const std::string& content) const {
        const std::string full = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary) << content;
        return full;
    }
    std::string MakeFolder(const std::string& relative) const {
        const std::string full = *this / relative;
        std::filesystem::create_directories(full);
        return full;
    }

private:
    std::string m_path;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<unsigned char> ReadBytes(const std::string& path) {
    const std::string text = ReadText(path);
    return std::vector<unsigned char>(text.begin(), text.end());
}

template <class Container>
void WriteFile(const std::string& path, const Container& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct CommandResult {
    int status = -1;     // as pclose gives it; -1 when the command could not start
    std::string output;  // standard output only
};

// A path as one shell word (paths in tests hold no single quote).
inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// Runs a shell command; standard error goes wherever the command sends it.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    result.status = pclose(pipe);
    return result;
}

template <class Container>
std::string Hex(const Container& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string hex;
    for (std::size_t i = 0; i < static_cast<std::size_t>(bytes.size()); ++i) {
        hex += kDigits[data[i] >> 4];
        hex += kDigits[data[i] & 15];
    }
    return hex;
}

inline std::vector<unsigned char> FromHex(const std::string& hex) {
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// 14 digits YYYYMMDDHHMMSS of local time, as the verification functions take a time.
inline std::string LocalTimeText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[20];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return text;
}

inline unsigned ModeOf(const std::string& path) {
    return static_cast<unsigned>(std::filesystem::status(path).permissions() & std::filesystem::perms::all);
}

inline std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// Makes SEED and ARIA reachable from the openssl command line.
inline const char* kOpenSslProviders = " -provider legacy -provider default";

}  // namespace zorvane::testsupport
