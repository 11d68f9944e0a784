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

// Writes a whole file atomically, making its missing folders with mode 0700; false with
// error set on failure. WriteBytes makes the file 0644 (certificates, configuration),
// WriteSecretBytes 0600 (keys, and whatever holds the password).
bool WriteBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error);
bool WriteSecretBytes(const std::string& path, const void* bytes, std::size_t length, std::string& error);

template <class Container>
bool WriteBytes(const std::string& path, const Container& bytes, std::string& error) {
    return WriteBytes(path, bytes.data(), bytes.size(), error);
}

template <class Container>
bool WriteSecretBytes(const std::string& path, const Container& bytes, std::string& error) {
    return WriteSecretBytes(path, bytes.data(), bytes.size(), error);
}

}  // namespace zorvane::pkigen
