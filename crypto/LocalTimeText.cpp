#include "crypto/LocalTimeText.h"

#include "core/DateTime.h"

namespace zorvane {

ByteString CurrentLocalTimeText() {
    CDateTime now;
    now.SetNow();
    return now.Format("%Y%m%d%H%M%S");
}

}  // namespace zorvane
