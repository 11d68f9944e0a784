#include "tools/zorvane/OutputText.h"

#include <cstdio>

namespace {

unsigned char Byte(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The first continuation byte's allowed range excludes overlong forms, surrogates and
// code points above U+10FFFF.
bool FirstContinuationFits(unsigned char lead, unsigned char next) {
    if (lead == 0xE0) return next >= 0xA0;
    if (lead == 0xED) return next <= 0x9F;
    if (lead == 0xF0) return next >= 0x90;
    if (lead == 0xF4) return next <= 0x8F;
    return true;
}

std::string HexEscape(unsigned char byte, const char* format) {
    char escaped[16];
    std::snprintf(escaped, sizeof escaped, format, byte);
    return escaped;
}

// C1 controls (U+0080 to U+009F) are two bytes in UTF-8: C2 80 to C2 9F.
bool IsC1Control(std::string_view text, std::size_t at, std::size_t length) {
    return length == 2 && Byte(text, at) == 0xC2 && Byte(text, at + 1) <= 0x9F;
}

// Printable ASCII that JSON takes as it is: runs of it are copied in one piece.
bool IsPlainJson(char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
    const unsigned char lead = Byte(text, at);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(Byte(text, at + i))) return 0;
    }
    return length == 1 || FirstContinuationFits(lead, Byte(text, at + 1)) ? length : 0;
}

std::string TerminalText(std::string_view text) {
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        const unsigned char byte = Byte(text, at);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            shown += HexEscape(byte, "\\x%02x");
            ++at;
        } else if (IsC1Control(text, at, length)) {
            shown += HexEscape(Byte(text, at + 1), "\\xc2\\x%02x");
            at += length;
        } else {
            if (byte == '\\') shown += '\\';
            shown.append(text, at, length);
            at += length;
        }
    }
    return shown;
}

std::string JsonString(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (std::size_t at = 0; at < text.size();) {
        std::size_t plain = at;
        while (plain < text.size() && IsPlainJson(text[plain])) ++plain;
        if (plain > at) {
            quoted.append(text, at, plain - at);
            at = plain;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, at);
        const unsigned char byte = Byte(text, at);
        if (length == 0) {
            quoted += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        if (byte == '"' || byte == '\\') quoted += '\\';
        if (byte < 0x20 || byte == 0x7F) quoted += HexEscape(byte, "\\u%04x");
        else if (IsC1Control(text, at, length)) quoted += HexEscape(Byte(text, at + 1), "\\u%04x");
        else quoted.append(text, at, length);
        at += length;
    }
    quoted += '"';
    return quoted;
}
