// OLE date decomposition and calendar arithmetic over C++20 <chrono> calendar types.
#include "engine/ole_date.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace cadencer {
namespace {

namespace chr = std::chrono;

// sys_days count of 1899-12-30, the OLE epoch.
constexpr std::int64_t kOleEpochSysDays = -25569;
constexpr std::int64_t kSecondsPerDay = 86400;

// The date value of a day whose second is already within it. Dates before 1899-12-30
// store the time of day as a fraction subtracted from the (negative) day.
OleDate ValueOf(DaySecond date) {
    const double time = static_cast<double>(date.second) / kSecondsPerDay;
    const double day = static_cast<double>(date.day);
    return date.day >= 0 ? day + time : day - time;
}

int CalendarYear(std::int64_t daySerial) {
    return static_cast<int>(CivilFromDaySerial(daySerial).year());
}

}  // namespace

bool IsValidOleDate(double value) {
    // oleaut32 accepts everything strictly between these: the first and last days whole.
    return value > kMinOleDate - 1.0 && value < kMaxOleDateExclusive;
}

std::optional<DaySecond> SplitDate(OleDate value) {
    if (!IsValidOleDate(value)) return std::nullopt;
    // Whole days toward zero (every valid value fits the integer), the time of day as the
    // absolute fraction.
    const auto wholeDays = static_cast<std::int64_t>(value);
    const double seconds = std::fabs(value - static_cast<double>(wholeDays)) * kSecondsPerDay;
    // To the nearest second, halves up: what std::llround gives for this small positive
    // value, without a library call (both subtractions are exact).
    auto second = static_cast<std::int64_t>(seconds);
    if (seconds - static_cast<double>(second) >= 0.5) ++second;
    DaySecond split{wholeDays, second};
    if (split.second == kSecondsPerDay) split = {split.day + 1, 0};
    if (!IsValidDaySerial(split.day)) return std::nullopt;
    return split;
}

DaySecond NormalisedDaySecond(std::int64_t day, std::int64_t second) {
    const chr::seconds sinceMidnight{second};
    const auto wholeDays = chr::floor<chr::days>(sinceMidnight);
    return {day + wholeDays.count(), (sinceMidnight - wholeDays).count()};
}

std::optional<OleDate> JoinDate(DaySecond date) {
    if (!IsValidDaySerial(date.day)) return std::nullopt;
    return ValueOf(date);
}

std::optional<OleDate> JoinDate(std::int64_t day, std::int64_t second) {
    return JoinDate(NormalisedDaySecond(day, second));
}

std::optional<DateTimeFields> Decompose(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    const auto ymd = CivilFromDaySerial(split->day);
    const chr::hh_mm_ss time{chr::seconds{split->second}};
    DateTimeFields f;
    f.year = static_cast<int>(ymd.year());
    f.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    f.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    f.hour = static_cast<int>(time.hours().count());
    f.minute = static_cast<int>(time.minutes().count());
    f.second = static_cast<int>(time.seconds().count());
    return f;
}

std::optional<OleDate> Compose(const DateTimeFields& f) {
    if (f.year < 100 || f.year > 9999) return std::nullopt;
    if (f.hour < 0 || f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 59)
        return std::nullopt;
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > 31) return std::nullopt;
    const chr::year_month_day ymd{chr::year{f.year}, chr::month{static_cast<unsigned>(f.month)},
                                  chr::day{static_cast<unsigned>(f.day)}};
    if (!ymd.ok()) return std::nullopt;
    return JoinDate(DaySecond{DaySerialFromCivil(ymd), f.hour * 3600 + f.minute * 60 + f.second});
}

std::optional<std::int64_t> DaySerial(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    return split->day;
}

std::optional<std::int64_t> MinuteSerial(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    return split->Minute();
}

std::optional<std::int64_t> MinuteDiff(OleDate a, OleDate b) {
    const auto ma = MinuteSerial(a);
    const auto mb = MinuteSerial(b);
    if (!ma || !mb) return std::nullopt;
    return *mb - *ma;
}

std::optional<std::int64_t> DayDiff(OleDate a, OleDate b) {
    const auto da = DaySerial(a);
    const auto db = DaySerial(b);
    if (!da || !db) return std::nullopt;
    return *db - *da;
}

std::optional<int> YearDiff(OleDate a, OleDate b) {
    const auto da = DaySerial(a);
    const auto db = DaySerial(b);
    if (!da || !db) return std::nullopt;
    return CalendarYear(*db) - CalendarYear(*da);
}

std::optional<OleDate> AddSeconds(OleDate value, std::int64_t seconds) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    // Anything beyond the whole valid range by this much is refused before the arithmetic.
    constexpr std::int64_t kSpan = (kLastDaySerial - kFirstDaySerial + 2) * kSecondsPerDay;
    if (seconds > kSpan || seconds < -kSpan) return std::nullopt;
    return JoinDate(split->day, split->second + seconds);
}

std::optional<OleDate> AddMinutes(OleDate value, std::int64_t minutes) {
    if (minutes > INT64_MAX / 60 || minutes < INT64_MIN / 60) return std::nullopt;
    return AddSeconds(value, minutes * 60);
}

std::optional<OleDate> AddHours(OleDate value, std::int64_t hours) {
    if (hours > INT64_MAX / 3600 || hours < INT64_MIN / 3600) return std::nullopt;
    return AddSeconds(value, hours * 3600);
}

std::optional<OleDate> AddDays(OleDate value, std::int64_t days) {
    if (days > INT64_MAX / kSecondsPerDay || days < INT64_MIN / kSecondsPerDay) return std::nullopt;
    return AddSeconds(value, days * kSecondsPerDay);
}

std::optional<DaySecond> AddMonths(DaySecond date, std::int64_t months) {
    if (months > 120000 || months < -120000) return std::nullopt;
    const auto ymd = CivilFromDaySerial(date.day);
    const chr::year_month target = chr::year_month{ymd.year(), ymd.month()} + chr::months{months};
    if (static_cast<int>(target.year()) < 100 || static_cast<int>(target.year()) > 9999) return std::nullopt;
    const chr::year_month_day_last last{target.year(), chr::month_day_last{target.month()}};
    const chr::year_month_day clamped{target.year(), target.month(), std::min(ymd.day(), last.day())};
    return DaySecond{DaySerialFromCivil(clamped), date.second};
}

std::optional<OleDate> AddMonths(OleDate value, std::int64_t months) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    const auto moved = AddMonths(*split, months);
    if (!moved) return std::nullopt;
    return ValueOf(*moved);
}

std::optional<OleDate> AddYears(OleDate value, std::int64_t years) {
    if (years > 10000 || years < -10000) return std::nullopt;
    return AddMonths(value, years * 12);
}

std::optional<OleDate> CalendarDate(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    return ValueOf({split->day, 0});
}

std::optional<OleDate> DateAtMinute(std::int64_t daySerial, int minuteOfDay) {
    if (minuteOfDay < 0 || minuteOfDay >= 1440) return std::nullopt;
    return JoinDate(DaySecond{daySerial, minuteOfDay * 60LL});
}

std::optional<int> Weekday(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return std::nullopt;
    return WeekdayOfDaySerial(split->day);
}

int WeekdayOfDaySerial(std::int64_t daySerial) {
    const chr::weekday weekday{chr::sys_days{chr::days{daySerial + kOleEpochSysDays}}};
    return static_cast<int>(weekday.c_encoding()) + 1;  // c_encoding counts Sunday as 0
}

chr::year_month_day CivilFromDaySerial(std::int64_t daySerial) {
    return chr::year_month_day{chr::sys_days{chr::days{daySerial + kOleEpochSysDays}}};
}

std::int64_t DaySerialFromCivil(const chr::year_month_day& date) {
    return chr::sys_days{date}.time_since_epoch().count() - kOleEpochSysDays;
}

OleDate TruncateToMinute(OleDate value) {
    const auto split = SplitDate(value);
    if (!split) return value;
    return ValueOf({split->day, split->second / 60 * 60});
}

}  // namespace cadencer
