// OLE dates (days since 1899-12-30, the fraction being the time of day) and the
// calendar arithmetic the schedule engine needs. Values are decomposed the way
// oleaut32 does it: whole days toward zero, the time of day as the absolute
// fraction rounded to the nearest second. Only years 100 to 9999 are valid;
// anything outside that range is refused (an empty optional), never mapped to
// a wrong date.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace cadencer {

using OleDate = double;

inline constexpr OleDate kZeroDate = 0.0;
// Calendar day serials (days since 1899-12-30) of 0100-01-01 and 9999-12-31.
inline constexpr std::int64_t kFirstDaySerial = -657434;
inline constexpr std::int64_t kLastDaySerial = 2958465;
// The same days as date values (the last instant of 9999-12-31 is below kMaxOleDateExclusive).
inline constexpr double kMinOleDate = static_cast<double>(kFirstDaySerial);
inline constexpr double kMaxOleDateExclusive = static_cast<double>(kLastDaySerial + 1);

constexpr bool IsValidDaySerial(std::int64_t day) {
    return day >= kFirstDaySerial && day <= kLastDaySerial;
}

// A date as its calendar day serial and the second of that day (0..86399). For code that
// does many calendar operations on one value without decomposing it again each time.
struct DaySecond {
    std::int64_t day = 0;
    std::int64_t second = 0;
    // The minute serial: minute boundaries from 1899-12-30 00:00 to this time.
    constexpr std::int64_t Minute() const { return day * 1440 + second / 60; }
    friend bool operator==(const DaySecond&, const DaySecond&) = default;
};

struct DateTimeFields {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const DateTimeFields&, const DateTimeFields&) = default;
};

bool IsValidOleDate(double value);

// Calendar fields of a date, the time rounded to the nearest second (a rounding
// that reaches midnight moves to the next calendar day). Empty when out of range.
std::optional<DateTimeFields> Decompose(OleDate value);

// The date value of the given fields. Fields must form a real date and time
// (month 1-12, day within the month, hour 0-23, minute and second 0-59) in years 100-9999.
std::optional<OleDate> Compose(const DateTimeFields& fields);

// Serial counts measured in boundaries crossed: the calendar day number (days since
// 1899-12-30 of the calendar date) and the minute number (day * 1440 + minute of day).
// Both use the seconds-rounded decomposition. Empty when out of range.
std::optional<std::int64_t> DaySerial(OleDate value);
std::optional<std::int64_t> MinuteSerial(OleDate value);

// Differences by boundaries: minute boundaries from a to b (seconds play no part),
// midnights from a to b, calendar year of b minus that of a.
std::optional<std::int64_t> MinuteDiff(OleDate a, OleDate b);
std::optional<std::int64_t> DayDiff(OleDate a, OleDate b);
std::optional<int> YearDiff(OleDate a, OleDate b);

// Exact additions on the time line (negative dates, before 1899-12-30, store the time
// of day as a positive fraction subtracted from the day: the additions account for it).
std::optional<OleDate> AddSeconds(OleDate value, std::int64_t seconds);
std::optional<OleDate> AddMinutes(OleDate value, std::int64_t minutes);
std::optional<OleDate> AddHours(OleDate value, std::int64_t hours);
std::optional<OleDate> AddDays(OleDate value, std::int64_t days);
// Calendar additions: same day of the target month, moved back to its last day when the
// month is shorter (2024-02-29 plus one year is 2025-02-28); the time of day is kept.
std::optional<OleDate> AddMonths(OleDate value, std::int64_t months);
std::optional<OleDate> AddYears(OleDate value, std::int64_t years);
std::optional<DaySecond> AddMonths(DaySecond date, std::int64_t months);

// The date with its time of day dropped (00:00 of the same calendar day).
std::optional<OleDate> CalendarDate(OleDate value);
// A calendar day (given by its day serial) at a time of day given in minutes.
std::optional<OleDate> DateAtMinute(std::int64_t daySerial, int minuteOfDay);

// Sunday = 1 ... Saturday = 7.
std::optional<int> Weekday(OleDate value);
int WeekdayOfDaySerial(std::int64_t daySerial);

// The calendar date of a day serial (days since 1899-12-30), and back.
std::chrono::year_month_day CivilFromDaySerial(std::int64_t daySerial);
std::int64_t DaySerialFromCivil(const std::chrono::year_month_day& date);

// The value with its seconds dropped (10:14:59 gives 10:14:00). A value outside the
// valid range is returned unchanged.
OleDate TruncateToMinute(OleDate value);

// A date split into day serial and second of the day, the time rounded to the nearest
// second as in Decompose; empty when out of range.
std::optional<DaySecond> SplitDate(OleDate value);
// A day serial and a count of seconds from its midnight (any sign, any size) brought to a
// second within its day. No range check.
DaySecond NormalisedDaySecond(std::int64_t day, std::int64_t second);
// The date value of a day and second, normalised as above; empty outside years 100-9999.
std::optional<OleDate> JoinDate(std::int64_t day, std::int64_t second);
// The date value of a day and a second within it (0..86399); empty outside years 100-9999.
std::optional<OleDate> JoinDate(DaySecond date);

}  // namespace cadencer
