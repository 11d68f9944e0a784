// The texts of zorvane list: any bytes (a folder name, a certificate subject) through the
// JSON string writer and the terminal escaper. The JSON must be a well-formed string
// literal in valid UTF-8 that reads back to the input when the input was valid UTF-8; the
// terminal text must be valid UTF-8 without a control character.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "tools/zorvane/OutputText.h"

namespace {

// Well-formed UTF-8 by decoding each code point and checking its value: no overlong
// form, no surrogate, nothing above U+10FFFF. Written apart from the code under test.
bool IsValidUtf8(std::string_view text) {
    static const std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        std::size_t ones = 0;
        while (ones < 8 && (lead & (0x80u >> ones))) ++ones;
        const std::size_t length = ones == 0 ? 1 : ones;
        if (ones == 1 || length > 4 || at + length > text.size()) return false;
        std::uint32_t value = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < kSmallest[length] || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return false;
        at += length;
    }
    return true;
}

bool HasControl(std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == 0x7F) return true;
        if (byte == 0xC2 && at + 1 < text.size() && static_cast<unsigned char>(text[at + 1]) <= 0x9F) return true;
    }
    return false;
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') return digit - '0';
    if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
    return -1;
}

// Reads a JSON string literal back; false when it is not one (only the escapes the writer
// uses are accepted: \" \\ and \u00XX for controls, which stand for U+0000 to U+009F).
bool ReadJsonString(std::string_view literal, std::string& text) {
    if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return false;
    for (std::size_t at = 1; at + 1 < literal.size(); ++at) {
        const char c = literal[at];
        if (c == '"') return false;
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        const char escape = at + 2 < literal.size() ? literal[++at] : '\0';
        if (escape == '"' || escape == '\\') {
            text.push_back(escape);
        } else if (escape == 'u' && at + 5 < literal.size() && literal.substr(at + 1, 2) == "00") {
            const int high = HexValue(literal[at + 3]), low = HexValue(literal[at + 4]);
            if (high < 0 || low < 0 || high > 9) return false;
            if (high >= 8) text.push_back('\xC2');  // U+0080 to U+009F take two bytes
            text.push_back(static_cast<char>(high * 16 + low));
            at += 4;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string json = JsonString(input);
    FUZZ_CHECK(IsValidUtf8(json));
    FUZZ_CHECK(!HasControl(json));
    std::string readBack;
    FUZZ_CHECK(ReadJsonString(json, readBack));
    if (IsValidUtf8(input)) FUZZ_CHECK(readBack == input);

    const std::string shown = TerminalText(input);
    FUZZ_CHECK(IsValidUtf8(shown));
    FUZZ_CHECK(!HasControl(shown));
    FUZZ_CHECK(shown.size() >= size);
    return 0;
}
