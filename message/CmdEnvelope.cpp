#include <zorvane/CmdGen.h>

#include <cstdint>
#include <utility>

#include "message/ByteReader.h"
#include "message/ByteWriter.h"
#include "message/MessageCodes.h"

using zorvane::ByteReader;
using zorvane::ByteWriter;

namespace {

constexpr int kMajorVersion = 1;
constexpr int kMinorVersion = 0;
constexpr std::size_t kVersionSize = 2;

}  // namespace

CCmdEnvelope::CCmdEnvelope() : major(kMajorVersion), minor(kMinorVersion) {}

// The version bytes are not checked; they are kept as read, so that a reply made on
// the same object carries the version of the message it answers.
int CCmdEnvelope::Parse(ByteString input) {
    ByteReader reader(input);
    std::uint8_t majorByte = 0;
    std::uint8_t minorByte = 0;
    ByteString rest;
    if (!reader.ReadU8(majorByte) || !reader.ReadU8(minorByte)) return zorvane::kRecordTooShort;
    if (!reader.ReadRest(rest)) return zorvane::kNoMemory;
    const int result = body.Parse(std::move(rest));
    if (result != 0) return result;
    raw = std::move(input);
    major = majorByte;
    minor = minorByte;
    type = body.type;
    value = body.value;
    return 0;
}

bool CCmdEnvelope::Encode(int contentType, const ByteString& content) {
    CCmdBody made;
    if (!made.Encode(contentType, content)) return false;
    ByteWriter writer(kVersionSize + static_cast<std::size_t>(made.encoded.GetLength()));
    writer.AddU8(static_cast<std::uint8_t>(major));
    writer.AddU8(static_cast<std::uint8_t>(minor));
    writer.AddBytes(made.encoded);
    if (!writer.Finish(encoded)) return false;
    body = made;
    type = contentType;
    value = content;
    return true;
}
