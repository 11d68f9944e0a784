#include "core/DateTime.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kNotComputed = 9999;
std::atomic<int> g_zoneOffset{kNotComputed};
std::atomic<int> g_daylight{kNotComputed};

// The UTC breakdown of "now" read as a local time, minus "now" itself: -32400 at UTC+9.
void ComputeZoneOnce() {
    if (g_zoneOffset.load(std::memory_order_relaxed) != kNotComputed &&
        g_daylight.load(std::memory_order_relaxed) != kNotComputed) {
        return;
    }
    tzset();
    const std::time_t now = std::time(nullptr);
    std::tm utc{}, local{};
    gmtime_r(&now, &utc);
    localtime_r(&now, &local);
    g_daylight.store(local.tm_isdst > 0 ? 1 : 0, std::memory_order_relaxed);
    g_zoneOffset.store(static_cast<int>(std::mktime(&utc) - std::mktime(&local)), std::memory_order_relaxed);
}

std::tm BrokenDown(long year, long month, long day, long hour, long minute, long second, int daylight) {
    std::tm fields{};
    fields.tm_year = static_cast<int>(year - 1900);
    fields.tm_mon = static_cast<int>(month - 1);
    fields.tm_mday = static_cast<int>(day);
    fields.tm_hour = static_cast<int>(hour);
    fields.tm_min = static_cast<int>(minute);
    fields.tm_sec = static_cast<int>(second);
    fields.tm_isdst = daylight;
    return fields;
}

// mktime that also refuses times before 1970, as the platforms this format came from do.
bool MakeTime(std::tm& fields, std::time_t& value) {
    value = std::mktime(&fields);
    return value != static_cast<std::time_t>(-1) && value >= 0;
}

}  // namespace

CDateTime::CDateTime() : m_year(0), m_month(0), m_day(0), m_hour(0), m_minute(0), m_second(0) {
    ComputeZoneOnce();
    m_zoneOffset = g_zoneOffset.load(std::memory_order_relaxed);
    m_daylight = g_daylight.load(std::memory_order_relaxed);
}

CDateTime::~CDateTime() = default;

void CDateTime::SetNow() { SetTime(std::time(nullptr), true); }

void CDateTime::SetTime(std::time_t value, bool local) {
    std::tm broken{};
    if (!(local ? localtime_r(&value, &broken) : gmtime_r(&value, &broken))) return;
    m_year = broken.tm_year + 1900;
    m_month = broken.tm_mon + 1;
    m_day = broken.tm_mday;
    m_hour = broken.tm_hour;
    m_minute = broken.tm_min;
    m_second = broken.tm_sec;
}

void CDateTime::SetTimeShifted(std::time_t value, bool local) { SetTime(value + m_zoneOffset, local); }

std::tm CDateTime::FieldsAsTm() const {
    return BrokenDown(m_year, m_month, m_day, m_hour, m_minute, m_second, m_daylight);
}

ByteString CDateTime::Format(const char* pattern) {
    m_text.Clear();
    std::tm fields = FieldsAsTm();
    std::time_t value;
    if (!pattern || !MakeTime(fields, value)) return m_text;
    char buffer[1024] = {0};
    const std::size_t written = std::strftime(buffer, sizeof buffer, pattern, &fields);
    if (written > 0) m_text = ByteString(buffer, static_cast<int>(written));
    return m_text;
}

std::uint32_t CDateTime::Parse(const char* text) const {
    char copy[32] = {0};  // the validity texts are 24 characters; longer input is cut
    if (text) std::strncpy(copy, text, sizeof copy - 1);
    long parts[6];
    char* cursor = copy;
    for (int k = 0; k < 6; ++k) {
        cursor += std::strspn(cursor, "-: ");
        if (!*cursor) return static_cast<std::uint32_t>(k + 1);
        const std::size_t length = std::strcspn(cursor, "-: ");
        const char kept = cursor[length];
        cursor[length] = 0;
        parts[k] = std::strtol(cursor, nullptr, 10);
        cursor[length] = kept;
        cursor += length;
    }
    std::tm fields = BrokenDown(parts[0], parts[1], parts[2], parts[3], parts[4], parts[5], m_daylight);
    std::time_t value;
    if (!MakeTime(fields, value)) return 6;
    const long long utc = static_cast<long long>(value) - m_zoneOffset;
    if (utc < 0 || utc > 0xffffffffLL) return 6;
    return static_cast<std::uint32_t>(utc);
}
