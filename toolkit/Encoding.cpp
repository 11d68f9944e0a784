#include "toolkit/Encoding.h"

#include <algorithm>
#include <cstring>

namespace qlk {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kBegin[] = "-----BEGIN ";
const char kEnd[] = "-----END ";
const char kDashes[] = "-----";

constexpr signed char kSpace = -2;
constexpr signed char kInvalid = -1;

// Symbol values by byte: 0..63 for the alphabet, kSpace for blanks that are skipped,
// kInvalid for everything else ('=' included; padding is handled by position).
struct SymbolTable {
    signed char value[256];
    constexpr SymbolTable() : value() {
        for (int i = 0; i < 256; ++i) value[i] = kInvalid;
        for (int i = 0; i < 64; ++i) value[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        value[static_cast<unsigned char>(' ')] = value[static_cast<unsigned char>('\t')] = kSpace;
        value[static_cast<unsigned char>('\r')] = value[static_cast<unsigned char>('\n')] = kSpace;
    }
};
constexpr SymbolTable kSymbols;

bool IsSpace(unsigned char c) { return kSymbols.value[c] == kSpace; }

// A bounded reader over the PEM text: one line at a time.
class LineReader {
public:
    LineReader(const unsigned char* text, std::size_t length)
        : text_(reinterpret_cast<const char*>(text)), length_(length) {}

    bool Next(std::string& line) {
        if (offset_ >= length_) return false;
        const char* start = text_ + offset_;
        const char* stop = static_cast<const char*>(std::memchr(start, '\n', length_ - offset_));
        std::size_t size = stop != nullptr ? static_cast<std::size_t>(stop - start) : length_ - offset_;
        offset_ += size + (stop != nullptr ? 1 : 0);
        line.assign(start, size);
        while (!line.empty() && IsSpace(static_cast<unsigned char>(line.back()))) line.pop_back();
        return true;
    }

private:
    const char* text_;
    std::size_t length_;
    std::size_t offset_ = 0;
};

bool ReadArmourLabel(const std::string& line, const char* prefix, std::string& label) {
    std::size_t prefixLength = std::strlen(prefix);
    std::size_t dashes = std::strlen(kDashes);
    if (line.size() < prefixLength + dashes || line.compare(0, prefixLength, prefix) != 0 ||
        line.compare(line.size() - dashes, dashes, kDashes) != 0) {
        return false;
    }
    label = line.substr(prefixLength, line.size() - prefixLength - dashes);
    return true;
}

}  // namespace

std::string Base64Encode(const unsigned char* data, std::size_t length) {
    std::string text;
    text.reserve((length + 2) / 3 * 4);
    for (std::size_t i = 0; i < length; i += 3) {
        std::size_t take = std::min<std::size_t>(3, length - i);
        unsigned value = static_cast<unsigned>(data[i]) << 16;
        if (take > 1) value |= static_cast<unsigned>(data[i + 1]) << 8;
        if (take > 2) value |= data[i + 2];
        for (std::size_t symbol = 0; symbol < 4; ++symbol) {
            text += symbol <= take ? kAlphabet[(value >> (18 - 6 * symbol)) & 0x3f] : '=';
        }
    }
    return text;
}

Status Base64Decode(const unsigned char* text, std::size_t length, SecureBytes& bytes) {
    // One pass: blanks are skipped, every four symbols give three bytes, and '=' may
    // only close the last group.
    bytes.assign(length / 4 * 3 + 3, 0);
    std::size_t written = 0;
    std::size_t symbols = 0;
    std::size_t padding = 0;
    unsigned group = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const signed char value = kSymbols.value[text[i]];
        if (value == kSpace) continue;
        if (text[i] == '=' && symbols % 4 >= 2 && padding < 2) {
            ++padding;
        } else if (value < 0 || padding > 0) {
            return Fail(Code::MalformedBase64, "bad symbol at group " + std::to_string(symbols / 4));
        }
        group = (group << 6) | static_cast<unsigned>(value < 0 ? 0 : value);
        if (++symbols % 4 == 0) {
            bytes[written++] = static_cast<unsigned char>(group >> 16);
            bytes[written++] = static_cast<unsigned char>(group >> 8);
            bytes[written++] = static_cast<unsigned char>(group);
            group = 0;
        }
    }
    if (symbols % 4 != 0) return Fail(Code::MalformedBase64, "length is not a multiple of four");
    bytes.resize(written - padding);
    return Ok();
}

std::string PemEncode(const std::string& label, const unsigned char* data, std::size_t length) {
    constexpr std::size_t kLineLength = 64;
    std::string body = Base64Encode(data, length);
    std::string pem = std::string(kBegin) + label + kDashes + "\n";
    for (std::size_t i = 0; i < body.size(); i += kLineLength) pem += body.substr(i, kLineLength) + "\n";
    return pem + kEnd + label + kDashes + "\n";
}

Status PemDecode(const unsigned char* text, std::size_t length, std::string& label, SecureBytes& bytes) {
    LineReader reader(text, length);
    std::string line;
    bool begun = false;
    while (!begun && reader.Next(line)) begun = ReadArmourLabel(line, kBegin, label);
    if (!begun) return Fail(Code::MalformedPem, "no BEGIN line");
    std::string body;
    while (reader.Next(line)) {
        std::string endLabel;
        if (ReadArmourLabel(line, kEnd, endLabel)) {
            if (endLabel != label) return Fail(Code::MalformedPem, "END label differs from BEGIN label");
            Status decoded = Base64Decode(reinterpret_cast<const unsigned char*>(body.data()), body.size(), bytes);
            if (!decoded.ok()) return Fail(Code::MalformedPem, decoded.detail);
            return Ok();
        }
        if (line.find(':') != std::string::npos) return Fail(Code::MalformedPem, "encrypted PEM headers are not read");
        body += line;
    }
    return Fail(Code::MalformedPem, "no END line");
}

bool LooksLikePem(const Input& input) {
    std::size_t i = 0;
    while (i < input.length && IsSpace(input.data[i])) ++i;
    std::size_t beginLength = std::strlen(kBegin);
    return input.length - i >= beginLength && std::memcmp(input.data + i, kBegin, beginLength) == 0;
}

}  // namespace qlk
