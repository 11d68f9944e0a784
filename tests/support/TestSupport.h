#pragma once
// Helpers shared by every test program: a temporary folder removed with its contents,
// whole-file reads and writes, hex, and running a shell command (openssl, python3, nm)
// for its output.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace zorvane::testsupport {


class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }
    std::string File(const std::string& relative) const { return *this / relative; }

    // Writes a file (creating its folders) and returns its full path.
    std::string Write(const std::string& relative, const std::string& content) const;
    std::string MakeFolder(const std::string& relative) const;

private:
    std::string m_path;
};

std::string ReadText(const std::string& path);
std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const void* data, std::size_t size);
template <class Container>
void WriteFile(const std::string& path, const Container& bytes) {
    WriteBytes(path, bytes.data(), bytes.size());
}

struct CommandResult {
    int status = -1;     // as pclose gives it; -1 when the command could not start
    std::string output;  // standard output only
};
// A path as one shell word (paths in tests hold no single quote).
inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }
// Runs a shell command; standard error goes wherever the command sends it.
CommandResult RunCommand(const std::string& command);

std::string HexOf(const unsigned char* data, std::size_t size);
template <class Container>
std::string Hex(const Container& bytes) {
    return HexOf(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
std::vector<unsigned char> FromHex(const std::string& hex);
// 14 digits YYYYMMDDHHMMSS of local time, as the verification functions take a time.
std::string LocalTimeText(std::time_t when);
// Drops trailing line ends and blanks.
std::string TrimEnd(std::string text);

// Makes SEED and ARIA reachable from the openssl command line.
inline const char* kOpenSslProviders = " -provider legacy -provider default";

}  // namespace zorvane::testsupport
