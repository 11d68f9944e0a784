#pragma once
// The toolkit's time texts: 14 digits of local time, "YYYYMMDDHHMMSS".

#include <ctime>
#include <string>

namespace qlk {

// False unless the text is 14 digits naming a real local time ("20261332..." is not
// read as next January).
bool ParseLocalTime(const std::string& text, std::time_t& when);
// Empty when the time cannot be expressed.
std::string LocalTimeText(std::time_t when);

}  // namespace qlk
