// Runs once per time zone: CTest starts this program with TZ set to Asia/Seoul, UTC and
// America/New_York, since the zone offset is computed once per process.
#include "core/DateTime.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>
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

bool LocalDaylight(std::time_t value) {
    std::tm local{};
    localtime_r(&value, &local);
    return local.tm_isdst > 0;
}

std::string Zone() {
    const char* zone = std::getenv("TZ");
    return zone ? zone : "";
}

TEST(DateTimeZone, OffsetAndDaylightAreTheProcessValues) {
    CDateTime first, second;
    EXPECT_EQ(LocalDaylight(std::time(nullptr)) ? 1 : 0, first.m_daylight);
    EXPECT_EQ(first.m_zoneOffset, second.m_zoneOffset);
    const std::map<std::string, int> standardOffsets{
        {"Asia/Seoul", -32400}, {"UTC", 0}, {"America/New_York", 18000}};
    const auto known = standardOffsets.find(Zone());
    if (known != standardOffsets.end()) {
        EXPECT_EQ(known->second, first.m_zoneOffset) << Zone();
    }
}

TEST(DateTimeParse, ReadsTheNumbersAsUtc) {
    CDateTime reader;
    // A moment in the same daylight-saving state as now, as the stored flag assumes.
    const bool january = LocalDaylight(Utc(2030, 1, 15, 9, 0, 0)) == (reader.m_daylight == 1);
    const char* text = january ? "2030-01-15 09:00:00" : "2030-07-15 09:00:00";
    EXPECT_EQ(static_cast<std::uint32_t>(Utc(2030, january ? 1 : 7, 15, 9, 0, 0)), reader.Parse(text)) << text;
    EXPECT_EQ(reader.Parse(text), reader.Parse(january ? "2030--01::15   09:00:00" : "2030--07::15   09:00:00"))
        << "runs of separators count as one";
    EXPECT_EQ(0, reader.m_year) << "the object's fields stay";
}

TEST(DateTimeParse, MissingPartsAndImpossibleTimesGiveSmallNumbers) {
    CDateTime reader;
    EXPECT_EQ(1u, reader.Parse(""));
    EXPECT_EQ(1u, reader.Parse(nullptr));
    EXPECT_EQ(1u, reader.Parse(" - : "));
    EXPECT_EQ(2u, reader.Parse("2030"));
    EXPECT_EQ(4u, reader.Parse("2030-01-01"));
    EXPECT_EQ(6u, reader.Parse("2030-01-01 09:00"));
    EXPECT_EQ(6u, reader.Parse("1969-06-01 00:00:00")) << "before 1970";
    EXPECT_EQ(6u, reader.Parse("2200-01-01 00:00:00")) << "beyond 32 bits";
}

TEST(DateTimeParse, LongInputIsCutNotOverrun) {
    CDateTime reader;
    const std::string longText = "2030-01-15 09:00:00" + std::string(200, ' ') + "trailing";
    EXPECT_EQ(reader.Parse("2030-01-15 09:00:00"), reader.Parse(longText.c_str()));
}

TEST(DateTimeFormat, UtcBreakdownOfOneDay) {
    CDateTime value;
    value.SetTime(86400, false);
    EXPECT_EQ("1970-01-02 00:00:00", Text(value.Format("%Y-%m-%d %H:%M:%S")));
    EXPECT_EQ("1970-01-02 00:00:00", Text(value.m_text));
}

TEST(DateTimeFormat, LocalBreakdownMatchesStrftime) {
    const std::time_t moment = Utc(2031, 2, 3, 4, 5, 6);
    CDateTime value;
    value.SetTime(moment, true);
    std::tm local{};
    localtime_r(&moment, &local);
    char expected[64];
    std::strftime(expected, sizeof expected, "%Y%m%d%H%M%S", &local);
    EXPECT_EQ(expected, Text(value.Format("%Y%m%d%H%M%S")));
}

TEST(DateTimeFormat, ShiftedLocalBreakdownIsTheUtcOne) {
    const std::time_t moment = Utc(2030, 1, 15, 12, 34, 56);  // January: no zone here shifts its clock
    CDateTime value;
    value.SetTimeShifted(moment, true);
    EXPECT_EQ(2030, value.m_year);
    EXPECT_EQ(1, value.m_month);
    EXPECT_EQ(15, value.m_day);
    EXPECT_EQ(12, value.m_hour);
    EXPECT_EQ(34, value.m_minute);
    EXPECT_EQ(56, value.m_second);
}

TEST(DateTimeFormat, FieldsAreNormalised) {
    CDateTime value;
    value.SetTime(Utc(2030, 1, 15, 0, 0, 0), false);
    value.m_month = 13;
    value.m_day = 1;
    EXPECT_EQ("2031-01-01", Text(value.Format("%Y-%m-%d")));
}

TEST(DateTimeFormat, BeforeNineteenSeventyOrNothingProducedGivesEmpty) {
    CDateTime value;
    value.SetTime(Utc(2030, 1, 15, 0, 0, 0), false);
    value.Format("%Y");
    value.m_year = 1969;
    value.m_month = 6;
    EXPECT_TRUE(value.Format("%Y").IsEmpty());
    EXPECT_TRUE(value.m_text.IsEmpty()) << "the last text is cleared";
    value.m_year = 2030;
    EXPECT_TRUE(value.Format("").IsEmpty());
    EXPECT_TRUE(value.Format(std::string(1100, 'x').c_str()).IsEmpty()) << "more than the 1024-byte buffer";
    EXPECT_TRUE(value.Format(nullptr).IsEmpty());
    CDateTime zero;
    EXPECT_TRUE(zero.Format("%Y").IsEmpty()) << "year 0 lies before 1970";
}

TEST(DateTimeFormat, NowIsThisYear) {
    CDateTime value;
    value.SetNow();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(local.tm_year + 1900, value.m_year);
    EXPECT_EQ(std::to_string(local.tm_year + 1900), Text(value.Format("%Y")));
}

}  // namespace
