#pragma once
#include <zorvane/ByteString.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/SecureMemory.h"

namespace zorvane {

// Fills a record of a size fixed up front. A write that does not fit fails and changes
// nothing; Finish hands the bytes over only when the record is exactly full. The
// buffer is wiped on destruction, since records may carry key material.
class ByteWriter {
public:
    explicit ByteWriter(std::size_t size) : m_buffer(size), m_used(0) {}
    ~ByteWriter() { WipeMemory(m_buffer.data(), m_buffer.size()); }
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    bool AddU8(std::uint8_t value) { return AddBigEndian(1, value); }
    bool AddU16(std::uint16_t value) { return AddBigEndian(2, value); }
    bool AddU32(std::uint32_t value) { return AddBigEndian(4, value); }

    bool AddBytes(const ByteString& bytes) {
        const std::size_t count = bytes.length > 0 ? static_cast<std::size_t>(bytes.length) : 0;
        if (count > Free()) return false;
        if (count > 0) std::memcpy(m_buffer.data() + m_used, bytes.data, count);
        m_used += count;
        return true;
    }

    bool Finish(ByteString& out) const {
        if (m_used != m_buffer.size()) return false;
        return out.SetData(m_buffer.data(), static_cast<int>(m_used)) == 0;
    }

private:
    std::size_t Free() const { return m_buffer.size() - m_used; }

    bool AddBigEndian(std::size_t count, std::uint32_t value) {
        if (count > Free()) return false;
        for (std::size_t i = 0; i < count; ++i)
            m_buffer[m_used + i] = static_cast<unsigned char>(value >> (8 * (count - 1 - i)));
        m_used += count;
        return true;
    }

    std::vector<unsigned char> m_buffer;
    std::size_t m_used;
};

}  // namespace zorvane
