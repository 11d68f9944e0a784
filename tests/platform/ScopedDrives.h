#pragma once
// Gives this process a drive mapping for the lifetime of a scope.

#include <vector>

#include "platform/PathTranslation.h"

namespace zorvane {
namespace testing {

class ScopedDrives {
public:
    explicit ScopedDrives(const std::vector<paths::Drive>& drives) { paths::SetDrivesForTesting(&drives); }
    ~ScopedDrives() { paths::SetDrivesForTesting(nullptr); }
    ScopedDrives(const ScopedDrives&) = delete;
    ScopedDrives& operator=(const ScopedDrives&) = delete;
};

}  // namespace testing
}  // namespace zorvane
