// Runs once per time zone: CTest starts this program with TZ set to Asia/Seoul, UTC and
// America/New_York, since the zone offset is computed once per process.
#include "core/DateTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace {

std::string Text(const ByteString& s) { return std::string(s.GetData(), s.GetLength()); }

std::time_t Utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return timegm(&fields);
}

int LocalDaylight(std::time_t value) {
    std::tm local{};
    localtime_r(&value, &local);
    return local.tm_isdst > 0 ? 1 : 0;
}

// The text Parse reads as `utc`: its numbers are taken as UTC, under the daylight state
// of the moment the object was made, so a moment in the other state is an hour off.
std::string TextFor(const CDateTime& reader, long long utc) {
    const std::time_t shifted = static_cast<std::time_t>(utc + (reader.m_daylight - LocalDaylight(utc)) * 3600);
    std::tm fields{};
    gmtime_r(&shifted, &fields);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
    return text;
}

TEST(DateTimeZone, OffsetAndDaylightAreTheProcessValues) {
    CDateTime first;
    CDateTime second;
    EXPECT_EQ(LocalDaylight(std::time(nullptr)), first.m_daylight);
    EXPECT_EQ(first.m_zoneOffset, second.m_zoneOffset);
}

// Results below 7 tell what is missing: the number of the part not found, or 6 for a
// time that is before 1970 or does not fit 32 bits.
TEST(DateTimeParse, NumbersAsUtcWithinThirtyTwoBits) {
    CDateTime reader;
    const std::string moment = TextFor(reader, Utc(2030, 1, 15, 9, 0, 5));
    const std::string lastSecond = TextFor(reader, 0xffffffffLL);
    // The copy holds 31 characters: the 31st is read, the 32nd is cut.
    const std::string upTo31 = moment.substr(0, 11) + std::string(12, ' ') + moment.substr(11);
    const std::string upTo32 = " " + upTo31;
    ASSERT_EQ(31u, upTo31.size());
    const struct Row {
        std::string text;
        long long result;
    } kRows[] = {
        {moment, Utc(2030, 1, 15, 9, 0, 5)},
        {moment.substr(0, 4) + "--" + moment.substr(5, 3) + "::" + moment.substr(8, 2) + "   " + moment.substr(11),
         Utc(2030, 1, 15, 9, 0, 5)},
        {upTo31, Utc(2030, 1, 15, 9, 0, 5)},
        {upTo32, Utc(2030, 1, 15, 9, 0, 0)},
        {upTo31 + std::string(200, ' ') + "7", Utc(2030, 1, 15, 9, 0, 5)},
        {lastSecond, 0xffffffffLL},
        {TextFor(reader, 0x100000000LL), 6},
        {TextFor(reader, 0), reader.m_zoneOffset < 0 ? 6 : 0},  // before 1970 where clocks run ahead
        {"1969-06-01 00:00:00", 6},
        {"2200-01-01 00:00:00", 6},
        {"", 1},
        {" - : ", 1},
        {"2030", 2},
        {"2030-01-01", 4},
        {"2030-01-01 09:00", 6},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE("\"" + row.text + "\"");
        EXPECT_EQ(static_cast<std::uint32_t>(row.result), reader.Parse(row.text.c_str()));
    }
    EXPECT_EQ(1u, reader.Parse(nullptr));
    EXPECT_EQ(0, reader.m_year) << "the object's fields stay";
}

TEST(DateTimeFormat, BreakdownsAndPatterns) {
    const std::time_t moment = Utc(2031, 2, 3, 4, 5, 6);
    std::tm local{};
    localtime_r(&moment, &local);
    char localText[64];
    std::strftime(localText, sizeof localText, "%Y%m%d%H%M%S", &local);
    const struct Row {
        std::time_t value;
        bool local;
        bool shifted;
        const char* pattern;
        std::string text;
    } kRows[] = {
        {86400, false, false, "%Y-%m-%d %H:%M:%S", "1970-01-02 00:00:00"},
        {moment, true, false, "%Y%m%d%H%M%S", localText},
        {Utc(2030, 1, 15, 12, 34, 56), true, true, "%Y-%m-%d %H:%M:%S", "2030-01-15 12:34:56"},
        {moment, false, false, nullptr, ""},
    };
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.text);
        CDateTime value;
        if (row.shifted) {
            value.SetTimeShifted(row.value, row.local);
        } else {
            value.SetTime(row.value, row.local);
        }
        EXPECT_EQ(row.text, Text(value.Format(row.pattern)));
        EXPECT_EQ(row.text, Text(value.m_text));
    }
}

TEST(DateTimeFormat, FieldsAreNormalisedAndOutOfRangeGivesEmpty) {
    CDateTime value;
    value.SetTime(Utc(2030, 1, 15, 0, 0, 0), false);
    value.m_month = 13;
    value.m_day = 1;
    EXPECT_EQ("2031-01-01", Text(value.Format("%Y-%m-%d")));
    EXPECT_TRUE(value.Format(std::string(1100, 'x').c_str()).IsEmpty()) << "more than the 1024-byte buffer";
    EXPECT_EQ(std::string(1023, 'x'), Text(value.Format(std::string(1023, 'x').c_str())));
    value.m_year = 1969;
    value.m_month = 6;
    EXPECT_TRUE(value.Format("%Y").IsEmpty());
    EXPECT_TRUE(value.m_text.IsEmpty()) << "the last text is cleared";
    value.SetNow();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(std::to_string(local.tm_year + 1900), Text(value.Format("%Y")));
}

}  // namespace
