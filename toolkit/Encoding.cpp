#include "toolkit/Encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

void PutGroup(std::uint32_t group, unsigned char* out) {
    out[0] = static_cast<unsigned char>(group >> 16);
    out[1] = static_cast<unsigned char>(group >> 8);
    out[2] = static_cast<unsigned char>(group);
}

// Each symbol's six bits already shifted to their place in a group of four, one table
// per place; anything that is not a plain alphabet symbol sets bits above the group's
// 24, so one comparison checks all four symbols.
constexpr std::uint32_t kNotPlain = 0xFF000000u;
struct PlacedSymbolTables {
    std::uint32_t place[4][256];
    constexpr PlacedSymbolTables() : place() {
        for (int shift = 0; shift < 4; ++shift) {
            for (int c = 0; c < 256; ++c) {
                const signed char value = kSymbols.value[c];
                place[shift][c] = value < 0 ? kNotPlain : static_cast<std::uint32_t>(value) << (18 - 6 * shift);
            }
        }
    }
};
constexpr PlacedSymbolTables kPlaced;

#if defined(__x86_64__)
// 32 symbols at a time with AVX2, by the vector-lookup method of Muła and Lemire: the
// nibble tables flag every byte outside the alphabet ('=' and blanks included), so a
// block holding one is left to the scalar loop. Returns the text bytes consumed.
__attribute__((target("avx2"))) std::size_t DecodeWideBlocks(const unsigned char* text, std::size_t length,
                                                              unsigned char* out) {
    const __m256i lowNibbleFlags = _mm256_setr_epi8(
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A,
        0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
    const __m256i highNibbleFlags = _mm256_setr_epi8(
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
        0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i offsets = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0,
                                             0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i slash = _mm256_set1_epi8(0x2F);
    const __m256i packBytes = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1,
                                               2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i packLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, -1, -1);
    std::size_t done = 0;
    for (; length - done >= 32; done += 32, out += 24) {
        const __m256i symbols = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + done));
        const __m256i highNibbles = _mm256_and_si256(_mm256_srli_epi32(symbols, 4), slash);
        const __m256i lowNibbles = _mm256_and_si256(symbols, slash);
        if (!_mm256_testz_si256(_mm256_shuffle_epi8(lowNibbleFlags, lowNibbles),
                                _mm256_shuffle_epi8(highNibbleFlags, highNibbles)))
            break;
        const __m256i isSlash = _mm256_cmpeq_epi8(symbols, slash);
        const __m256i values =
            _mm256_add_epi8(symbols, _mm256_shuffle_epi8(offsets, _mm256_add_epi8(isSlash, highNibbles)));
        const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
        const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, packBytes), packLanes);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 16), _mm256_extracti128_si256(packed, 1));
    }
    return done;
}

std::size_t DecodeWidePrefix(const unsigned char* text, std::size_t length, unsigned char* out) {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide ? DecodeWideBlocks(text, length, out) : 0;
}
#else
std::size_t DecodeWidePrefix(const unsigned char*, std::size_t, unsigned char*) { return 0; }
#endif

// Decodes whole groups of plain symbols from the start of the text, three bytes per
// four symbols, and stops before the first group that holds anything else. Returns
// the number of text bytes consumed (a multiple of four).
std::size_t DecodePlainGroups(const unsigned char* text, std::size_t length, unsigned char* out) {
    std::size_t done = DecodeWidePrefix(text, length, out);
    for (out += done / 4 * 3; length - done >= 4; done += 4, out += 3) {
        const unsigned char* group = text + done;
        const std::uint32_t bits = kPlaced.place[0][group[0]] | kPlaced.place[1][group[1]] |
                                   kPlaced.place[2][group[2]] | kPlaced.place[3][group[3]];
        if (bits > 0xFFFFFFu) break;
        PutGroup(bits, out);
    }
    return done;
}

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

Status Base64DecodeInto(const unsigned char* text, std::size_t length, unsigned char* out, std::size_t& written) {
    // One pass: blanks are skipped, every four symbols give three bytes, and '=' may
    // only close the last group. Whole groups of plain symbols, the bulk of any text,
    // are decoded four at a time; the rest goes symbol by symbol.
    written = 0;
    std::size_t symbols = 0;
    std::size_t padding = 0;
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < length;) {
        if (symbols % 4 == 0 && padding == 0) {
            const std::size_t plain = DecodePlainGroups(text + i, length - i, out + written);
            i += plain;
            symbols += plain;
            written += plain / 4 * 3;
            if (i == length) break;
        }
        const signed char value = kSymbols.value[text[i]];
        const bool pad = text[i] == '=';
        ++i;
        if (value == kSpace) continue;
        if (pad && symbols % 4 >= 2 && padding < 2) {
            ++padding;
        } else if (value < 0 || padding > 0) {
            return Fail(Code::MalformedBase64, "bad symbol at group " + std::to_string(symbols / 4));
        }
        group = (group << 6) | static_cast<std::uint32_t>(value < 0 ? 0 : value);
        if (++symbols % 4 == 0) {
            PutGroup(group, out + written);
            written += 3;
            group = 0;
        }
    }
    if (symbols % 4 != 0) return Fail(Code::MalformedBase64, "length is not a multiple of four");
    written -= padding;
    return Ok();
}

Status Base64Decode(const unsigned char* text, std::size_t length, SecureBytes& bytes) {
    bytes.resize(Base64DecodedCapacity(length));
    std::size_t written = 0;
    QLK_RETURN_IF_FAILED(Base64DecodeInto(text, length, bytes.data(), written));
    bytes.resize(written);
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
