#include <zorvane/CmdGen.h>

#include <utility>

#include "message/ByteReader.h"
#include "message/MessageCodes.h"

using zorvane::ByteReader;

namespace {

constexpr std::size_t kTrailerSize = 32;

}  // namespace

int CCmdTrailerItem::Parse(ByteString input) {
    ByteReader reader(input);
    if (reader.Remaining() < kTrailerSize) return zorvane::kRecordTooShort;
    ByteString readValue;
    ByteString readTrailer;
    if (!reader.ReadBytes(reader.Remaining() - kTrailerSize, readValue) || !reader.ReadRest(readTrailer))
        return zorvane::kNoMemory;
    raw = std::move(input);
    value = std::move(readValue);
    trailer = std::move(readTrailer);
    return 0;
}
