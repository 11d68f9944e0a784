#pragma once
#include <zorvane/ByteString.h>

#include <initializer_list>
#include <string>
#include <vector>

// Byte strings written out byte by byte, so that expected records read as their layout.
inline ByteString Bytes(std::initializer_list<int> bytes) {
    std::vector<unsigned char> raw;
    for (int b : bytes) raw.push_back(static_cast<unsigned char>(b));
    return ByteString(raw.data(), static_cast<int>(raw.size()));
}

inline ByteString Repeated(int count, int byte) {
    std::vector<unsigned char> raw(static_cast<std::size_t>(count), static_cast<unsigned char>(byte));
    return ByteString(raw.data(), count);
}

inline std::string Hex(ByteString bytes) { return std::string(bytes.ToHex().GetData()); }
