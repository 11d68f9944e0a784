#pragma once
#include <zorvane/ByteString.h>

namespace zorvane {

// The current local time as 14 digits, "%Y%m%d%H%M%S": the signing and verification
// time the backends hand to the toolkit where the caller gives none.
ByteString CurrentLocalTimeText();

}  // namespace zorvane
