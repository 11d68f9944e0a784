#pragma once

namespace zorvane {

// How ProcessContent reads the content of each known content type.
enum class ContentLayout {
    kUnknown,  // not a content type of the protocol
    kTrailer,  // value followed by a 32-byte trailer
    kSign,     // 20-byte prefix, type byte, value
    kPlain,    // no inner layout
};

ContentLayout ContentLayoutOf(int contentType);

}  // namespace zorvane
