#pragma once
// A test-side DER builder, written separately from the module's writer so that records
// built here check the module rather than repeat it.

#include <string>
#include <vector>

namespace testing_support {

using Der = std::vector<unsigned char>;

inline Der Tlv(unsigned char tag, const Der& content) {
    Der out{tag};
    const std::size_t n = content.size();
    if (n < 0x80) {
        out.push_back(static_cast<unsigned char>(n));
    } else if (n < 0x100) {
        out.insert(out.end(), {0x81, static_cast<unsigned char>(n)});
    } else {
        out.insert(out.end(), {0x82, static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n & 0xff)});
    }
    out.insert(out.end(), content.begin(), content.end());
    return out;
}

inline Der Cat(std::initializer_list<Der> parts) {
    Der out;
    for (const Der& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

inline Der Ascii(const std::string& text) { return Der(text.begin(), text.end()); }

}  // namespace testing_support
