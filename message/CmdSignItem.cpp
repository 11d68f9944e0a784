#include <zorvane/CmdGen.h>

#include <cstdint>
#include <utility>

#include "message/ByteReader.h"
#include "message/ByteWriter.h"
#include "message/MessageCodes.h"

using zorvane::ByteReader;
using zorvane::ByteWriter;

namespace {

constexpr std::size_t kPrefixSize = 20;
constexpr std::size_t kLargestSecond = 0xFFFF;

std::size_t SizeOf(const ByteString& bytes) {
    return bytes.length > 0 ? static_cast<std::size_t>(bytes.length) : 0;
}

}  // namespace

int CCmdSignItem::Parse(ByteString input) {
    ByteReader reader(input);
    ByteString readPrefix;
    std::uint8_t typeByte = 0;
    ByteString rest;
    if (!reader.ReadBytes(kPrefixSize, readPrefix) || !reader.ReadU8(typeByte)) return zorvane::kRecordTooShort;
    if (!reader.ReadRest(rest)) return zorvane::kNoMemory;
    raw = std::move(input);
    prefix = std::move(readPrefix);
    type = static_cast<std::int8_t>(typeByte);
    value = std::move(rest);
    return 0;
}

int CCmdSignItem::Encode(const ByteString& first, const ByteString& second) {
    if (SizeOf(second) > kLargestSecond) return zorvane::kSignArgumentTooLong;
    ByteWriter writer(2 + SizeOf(second) + 4 + SizeOf(first));
    writer.AddU16(static_cast<std::uint16_t>(SizeOf(second)));
    writer.AddBytes(second);
    writer.AddU32(static_cast<std::uint32_t>(SizeOf(first)));
    writer.AddBytes(first);
    return writer.Finish(encoded) ? 0 : zorvane::kNoMemory;
}
