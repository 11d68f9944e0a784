#pragma once

namespace zorvane {

// Results of the content-record operations (0 is success).
enum MessageCode {
    kRecordTooShort = -1,
    kNoMemory = 2,  // as for byte strings  // shorter than its layout, or a length field beyond the bytes present
    kUnknownContentType = 500,
    kOpeningTagMissing = 501,
    kClosingTagMissing = 502,
    kSignArgumentTooLong = 503,  // does not fit the 2-byte length of the sign record
};

}  // namespace zorvane
