#include "tools/pkigen/Output.h"

#include <filesystem>
#include <fstream>

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

bool WriteBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(length));
    out.close();
    if (!out) error = "cannot write " + path;
    return static_cast<bool>(out);
}

}  // namespace zorvane::pkigen
