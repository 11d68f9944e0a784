#pragma once
// A broken-down calendar time, formatted with strftime patterns, and the reader of
// the toolkit's "YYYY-MM-DD HH:MM:SS" texts. Internal to the library.
//
// The zone offset (seconds to add to a local time value to reach UTC) and the daylight
// flag are process-wide: computed once, on the first construction, and copied into
// every object.

#include <zorvane/ByteString.h>

#include <cstdint>
#include <ctime>

class CDateTime {
public:
    CDateTime();
    virtual ~CDateTime();

    void SetNow();
    // Breaks a time value down in local time or in UTC; on failure the fields stay.
    void SetTime(std::time_t value, bool local);
    void SetTimeShifted(std::time_t value, bool local);
    // The fields formatted with a strftime pattern; empty when they cannot be
    // normalised to a time value from 1970 on, or the pattern produces nothing.
    ByteString Format(const char* pattern);
    // Six numbers separated by runs of "-", ":" and " ", read as a UTC time. Returns
    // k (1 to 6) when part k is missing, 6 when they are no representable time.
    std::uint32_t Parse(const char* text) const;

    int m_year;
    int m_month;
    int m_day;
    int m_hour;
    int m_minute;
    int m_second;
    int m_zoneOffset;
    int m_daylight;
    ByteString m_text;

private:
    std::tm FieldsAsTm() const;
};
