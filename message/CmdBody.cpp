#include <zorvane/CmdGen.h>

#include <cstdint>
#include <utility>

#include "message/ByteReader.h"
#include "message/ByteWriter.h"
#include "message/MessageCodes.h"

using zorvane::ByteReader;
using zorvane::ByteWriter;

namespace {

constexpr std::size_t kBodyHeaderSize = 5;  // type byte, 4-byte length
constexpr std::uint32_t kLargestLength = 0x7FFFFFFFu;

}  // namespace

// A length field with the top bit set reads as negative and stands for an empty value;
// any other length must be covered by the bytes present.
int CCmdBody::Parse(ByteString input) {
    ByteReader reader(input);
    std::uint8_t typeByte = 0;
    std::uint32_t length = 0;
    if (!reader.ReadU8(typeByte) || !reader.ReadU32(length)) return zorvane::kRecordTooShort;
    ByteString content;
    if (length <= kLargestLength && !reader.ReadBytes(length, content)) return zorvane::kRecordTooShort;
    raw = std::move(input);  // the reader is done with it
    type = static_cast<std::int8_t>(typeByte);
    value = std::move(content);
    return 0;
}

bool CCmdBody::Encode(int contentType, const ByteString& content) {
    const std::size_t contentSize = content.length > 0 ? static_cast<std::size_t>(content.length) : 0;
    ByteWriter writer(kBodyHeaderSize + contentSize);
    writer.AddU8(static_cast<std::uint8_t>(contentType));
    writer.AddU32(static_cast<std::uint32_t>(contentSize));
    writer.AddBytes(content);
    if (!writer.Finish(encoded)) return false;
    type = contentType;
    value = content;
    return true;
}
