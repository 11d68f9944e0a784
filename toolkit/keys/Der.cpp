#include "toolkit/keys/Der.h"

#include <cstring>

namespace qlk::der {

namespace {
// Longer length fields than this cannot describe anything held in memory here.
constexpr std::size_t kMaxLengthBytes = 4;
}  // namespace

bool Reader::ReadHeader(unsigned char& tag, std::size_t& headerLength, std::size_t& contentLength) const {
    if (length_ < 2) return false;
    tag = data_[0];
    if ((tag & 0x1f) == 0x1f) return false;  // high tag numbers never occur in our records
    const unsigned char first = data_[1];
    if (first < 0x80) {
        headerLength = 2;
        contentLength = first;
    } else {
        const std::size_t count = first & 0x7f;
        if (count == 0 || count > kMaxLengthBytes) return false;  // indefinite or absurd
        if (length_ < 2 + count) return false;
        std::size_t value = 0;
        for (std::size_t i = 0; i < count; ++i) value = (value << 8) | data_[2 + i];
        headerLength = 2 + count;
        contentLength = value;
    }
    return contentLength <= length_ - headerLength;
}

bool Reader::PeekTag(unsigned char tag) const { return length_ > 0 && data_[0] == tag; }

bool Reader::ReadAnyElement(unsigned char& tag, Reader& contents) {
    std::size_t header = 0, body = 0;
    if (!ReadHeader(tag, header, body)) return false;
    contents = Reader(data_ + header, body);
    data_ += header + body;
    length_ -= header + body;
    return true;
}

bool Reader::ReadElement(unsigned char tag, Reader& contents) {
    Reader whole;
    return ReadElementWithHeader(tag, whole, contents);
}

bool Reader::ReadElementWithHeader(unsigned char tag, Reader& whole, Reader& contents) {
    if (!PeekTag(tag)) return false;
    const unsigned char* start = data_;
    unsigned char seen = 0;
    if (!ReadAnyElement(seen, contents)) return false;
    whole = Reader(start, static_cast<std::size_t>(data_ - start));
    return true;
}

bool Reader::SkipOptional(unsigned char tag) {
    if (!PeekTag(tag)) return true;
    Reader ignored;
    return ReadElement(tag, ignored);
}

bool Reader::ReadSmallInteger(int& value) {
    Reader contents;
    if (!ReadElement(kInteger, contents) || contents.Empty()) return false;
    const unsigned char* bytes = contents.Data();
    std::size_t length = contents.Length();
    if (bytes[0] & 0x80) return false;  // negative
    while (length > 1 && bytes[0] == 0) {
        ++bytes;
        --length;
    }
    if (length > sizeof(int) || (length == sizeof(int) && (bytes[0] & 0x80))) return false;
    unsigned result = 0;
    for (std::size_t i = 0; i < length; ++i) result = (result << 8) | bytes[i];
    value = static_cast<int>(result);
    return true;
}

bool Reader::ReadObjectEqualTo(const std::vector<unsigned char>& oid) {
    Reader copy = *this;
    Reader contents;
    if (!copy.ReadElement(kObject, contents) || !contents.Equals(oid)) return false;
    *this = copy;
    return true;
}

bool Reader::Equals(const std::vector<unsigned char>& bytes) const {
    return length_ == bytes.size() && (length_ == 0 || std::memcmp(data_, bytes.data(), length_) == 0);
}

void Writer::AppendLength(SecureBytes& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<unsigned char>(length));
        return;
    }
    unsigned char bytes[sizeof(std::size_t)];
    std::size_t count = 0;
    for (std::size_t rest = length; rest != 0; rest >>= 8) bytes[count++] = static_cast<unsigned char>(rest & 0xff);
    out.push_back(static_cast<unsigned char>(0x80 | count));
    while (count > 0) out.push_back(bytes[--count]);
}

void Writer::AddElement(unsigned char tag, const unsigned char* contents, std::size_t length) {
    out_.push_back(tag);
    AppendLength(out_, length);
    AddRaw(contents, length);
}

void Writer::AddRaw(const unsigned char* bytes, std::size_t length) {
    if (length != 0) out_.insert(out_.end(), bytes, bytes + length);
}

void Writer::AddSmallInteger(int value) {
    unsigned char bytes[sizeof(int) + 1];
    std::size_t count = 0;
    unsigned rest = static_cast<unsigned>(value < 0 ? 0 : value);
    do {
        bytes[count++] = static_cast<unsigned char>(rest & 0xff);
        rest >>= 8;
    } while (rest != 0);
    if (bytes[count - 1] & 0x80) bytes[count++] = 0;  // keep it positive
    unsigned char bigEndian[sizeof(bytes)];
    for (std::size_t i = 0; i < count; ++i) bigEndian[i] = bytes[count - 1 - i];
    AddElement(kInteger, bigEndian, count);
}

void Writer::Open(unsigned char tag) {
    out_.push_back(tag);
    open_.push_back(out_.size());
}

void Writer::Close() {
    if (open_.empty()) return;
    const std::size_t start = open_.back();
    open_.pop_back();
    SecureBytes length;
    AppendLength(length, out_.size() - start);
    out_.insert(out_.begin() + static_cast<std::ptrdiff_t>(start), length.begin(), length.end());
}

}  // namespace qlk::der
