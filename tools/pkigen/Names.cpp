#include "tools/pkigen/Names.h"

#include <cstdio>

namespace zorvane::pkigen {

namespace {

const char* const kSurnames[] = {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임", "한", "오"};
const char* const kSyllables[] = {"민", "서", "지", "현", "수", "영", "준", "우", "하", "은",
                                  "도", "윤", "재", "희", "진", "성", "경", "태", "연", "동"};

template <class T, std::size_t N>
const T& Pick(SeededRandom& random, const T (&items)[N]) {
    return items[random.Below(N)];
}

// Weights of the resident registration number check digit.
constexpr int kCheckWeights[12] = {2, 3, 4, 5, 6, 7, 8, 9, 2, 3, 4, 5};

std::string Escape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool special = c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' || c == ';' ||
                             (i == 0 && (c == '#' || c == ' ')) || (i + 1 == value.size() && c == ' ');
        if (special) out += '\\';
        out += c;
    }
    return out;
}

}  // namespace

std::uint64_t SeededRandom::Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::vector<unsigned char> SeededRandom::Bytes(std::size_t count) {
    std::vector<unsigned char> out(count);
    for (unsigned char& b : out) b = static_cast<unsigned char>(Next() >> 56);
    return out;
}

std::string KoreanName(SeededRandom& random) {
    return std::string(Pick(random, kSurnames)) + Pick(random, kSyllables) + Pick(random, kSyllables);
}

std::string IdentityNumber(SeededRandom& random) {
    char digits[14];
    std::snprintf(digits, sizeof digits, "%02u%02u%02u%u%05u", 60 + random.Below(40), 1 + random.Below(12),
                  1 + random.Below(28), 1 + random.Below(2), random.Below(100000));
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += (digits[i] - '0') * kCheckWeights[i];
    digits[12] = static_cast<char>('0' + (11 - sum % 11) % 10);
    digits[13] = 0;
    return digits;
}

std::string NameText(const NameEntries& name) {
    std::string text;
    for (auto entry = name.rbegin(); entry != name.rend(); ++entry) {
        if (!text.empty()) text += ',';
        text += entry->first + "=" + Escape(entry->second);
    }
    return text;
}

}  // namespace zorvane::pkigen
