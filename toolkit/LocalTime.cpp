#include "toolkit/LocalTime.h"

namespace qlk {

bool ParseLocalTime(const std::string& text, std::time_t& when) {
    if (text.size() != 14 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    auto field = [&](std::size_t at, std::size_t length) { return std::stoi(text.substr(at, length)); };
    std::tm parts{};
    parts.tm_year = field(0, 4) - 1900;
    parts.tm_mon = field(4, 2) - 1;
    parts.tm_mday = field(6, 2);
    parts.tm_hour = field(8, 2);
    parts.tm_min = field(10, 2);
    parts.tm_sec = field(12, 2);
    parts.tm_isdst = -1;
    std::tm normalised = parts;
    when = std::mktime(&normalised);
    return when != static_cast<std::time_t>(-1) && normalised.tm_year == parts.tm_year &&
           normalised.tm_mon == parts.tm_mon && normalised.tm_mday == parts.tm_mday &&
           normalised.tm_hour == parts.tm_hour && normalised.tm_min == parts.tm_min &&
           normalised.tm_sec == parts.tm_sec;
}

std::string LocalTimeText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[20] = {0};
    return std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local) == 14 ? text : std::string();
}

}  // namespace qlk
