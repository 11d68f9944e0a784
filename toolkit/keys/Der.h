#pragma once
// Bounded DER reading and writing for the few records the key module handles. The reader
// never looks past the bytes it was given; the writer patches lengths when a constructed
// element is closed, so callers write children in order without precomputing sizes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/keys/SecureBytes.h"

namespace qlk::der {

enum Tag : unsigned char {
    kInteger = 0x02,
    kBitString = 0x03,
    kOctetString = 0x04,
    kNull = 0x05,
    kObject = 0x06,
    kUtf8String = 0x0c,
    kPrintableString = 0x13,
    kIa5String = 0x16,
    kBmpString = 0x1e,
    kSequence = 0x30,
    kSet = 0x31,
    kContext0 = 0xa0,  // [0] constructed
    kContext1 = 0xa1,
};

// A view of DER bytes, consumed from the front.
class Reader {
public:
    Reader() = default;
    Reader(const unsigned char* data, std::size_t length) : data_(data), length_(length) {}

    bool Empty() const { return length_ == 0; }
    const unsigned char* Data() const { return data_; }
    std::size_t Length() const { return length_; }

    // True when the next element has the tag (the reader is left as it was).
    bool PeekTag(unsigned char tag) const;
    // Reads one element of the given tag; contents receives its value bytes.
    bool ReadElement(unsigned char tag, Reader& contents);
    // Reads one element of any tag.
    bool ReadAnyElement(unsigned char& tag, Reader& contents);
    // As ReadElement, and whole receives the element with its header.
    bool ReadElementWithHeader(unsigned char tag, Reader& whole, Reader& contents);
    // Skips one element of the given tag when it is next; false only on a broken element.
    bool SkipOptional(unsigned char tag);
    // A non-negative INTEGER that fits in an int.
    bool ReadSmallInteger(int& value);
    // An OBJECT IDENTIFIER equal to the given content bytes.
    bool ReadObjectEqualTo(const std::vector<unsigned char>& oid);

    bool Equals(const std::vector<unsigned char>& bytes) const;

private:
    bool ReadHeader(unsigned char& tag, std::size_t& headerLength, std::size_t& contentLength) const;

    const unsigned char* data_ = nullptr;
    std::size_t length_ = 0;
};

// Appends DER to a cleansing buffer (it often carries key material).
class Writer {
public:
    void AddElement(unsigned char tag, const unsigned char* contents, std::size_t length);
    void AddRaw(const unsigned char* bytes, std::size_t length);
    void AddObject(const std::vector<unsigned char>& oid) { AddElement(kObject, oid.data(), oid.size()); }
    void AddSmallInteger(int value);
    // Starts a constructed element; Close() ends the innermost open one.
    void Open(unsigned char tag);
    void Close();

    // The finished encoding; every opened element must have been closed.
    const SecureBytes& Result() const { return out_; }
    SecureBytes& Result() { return out_; }

private:
    static void AppendLength(SecureBytes& out, std::size_t length);

    SecureBytes out_;
    std::vector<std::size_t> open_;
};

}  // namespace qlk::der
