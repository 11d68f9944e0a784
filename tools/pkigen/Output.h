#pragma once
// Text and file output shared by the generator's parts.

#include <ctime>
#include <string>

namespace zorvane::pkigen {

// "YYYY-MM-DD HH:MM:SS" in Korea Standard Time (UTC+9), as the toolkit prints validity.
std::string KoreaTimeText(std::time_t t);

std::string Hex(const unsigned char* bytes, std::size_t length);

template <class Container>
std::string Hex(const Container& bytes) {
    return Hex(bytes.data(), bytes.size());
}

// Writes a whole file, making its folders; false with error set on failure.
bool WriteBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error);

template <class Container>
bool WriteBytes(const std::string& path, const Container& bytes, std::string& error) {
    return WriteBytes(path, bytes.data(), bytes.size(), error);
}

}  // namespace zorvane::pkigen
