#pragma once
#include <zorvane/ByteString.h>

#include <climits>
#include <cstddef>
#include <cstdint>

namespace zorvane {

// Reads a span of bytes front to back and never past its end: each read either takes
// all the bytes it asks for or fails and leaves the reader where it was.
class ByteReader {
public:
    ByteReader(const unsigned char* data, std::size_t size) : m_data(data), m_size(data ? size : 0) {}
    explicit ByteReader(const ByteString& bytes)
        : ByteReader(bytes.data, bytes.length > 0 ? static_cast<std::size_t>(bytes.length) : 0) {}

    std::size_t Remaining() const { return m_size; }

    bool ReadU8(std::uint8_t& out) { return ReadBigEndian(1, out); }
    bool ReadU16(std::uint16_t& out) { return ReadBigEndian(2, out); }
    bool ReadU32(std::uint32_t& out) { return ReadBigEndian(4, out); }

    bool ReadBytes(std::size_t count, ByteString& out) {
        if (count > m_size || count > static_cast<std::size_t>(INT_MAX)) return false;
        if (out.SetData(m_data, static_cast<int>(count)) != 0) return false;
        Advance(count);
        return true;
    }

    bool ReadRest(ByteString& out) { return ReadBytes(m_size, out); }

private:
    template <typename Unsigned>
    bool ReadBigEndian(std::size_t count, Unsigned& out) {
        if (count > m_size) return false;
        Unsigned value = 0;
        for (std::size_t i = 0; i < count; ++i) value = static_cast<Unsigned>((value << 8) | m_data[i]);
        out = value;
        Advance(count);
        return true;
    }

    void Advance(std::size_t count) {
        m_data += count;
        m_size -= count;
    }

    const unsigned char* m_data;
    std::size_t m_size;
};

}  // namespace zorvane
