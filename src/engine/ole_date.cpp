// OLE date decomposition and calendar arithmetic over C++20 <chrono> calendar types.
#include "engine/ole_date.h"

#include <chrono>
#include <cmath>

namespace cadencer {
namespace {

namespace chr = std::chrono;

// sys_days count of 1899-12-30, the OLE epoch.
constexpr std::int64_t kOleEpochSysDays = -25569;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kMinDaySerial = -657434;  // 0100-01-01
constexpr std::int64_t kMaxDaySerial = 2958465;  // 9999-12-31

struct SerialTime {
    std::int64_t day;     // calendar day serial (days since 1899-12-30)
    std::int64_t second;  // second of the day, 0..86399
};

std::optional<SerialTime> Split(OleDate value) {
    if (!IsValidOleDate(value)) return std::nullopt;
    const double datePart = std::trunc(value);
    const double fraction = std::fabs(value - datePart);
    SerialTime st{static_cast<std::int64_t>(datePart), std::llround(fraction * kSecondsPerDay)};
    if (st.second >= kSecondsPerDay) {
        st.second -= kSecondsPerDay;
        st.day += 1;
    }
    if (st.day < kMinDaySerial || st.day > kMaxDaySerial) return std::nullopt;
    return st;
}

std::optional<OleDate> Join(std::int64_t day, std::int64_t second) {
    if (day < kMinDaySerial || day > kMaxDaySerial) return std::nullopt;
    const double time = static_cast<double>(second) / kSecondsPerDay;
    const double d = static_cast<double>(day);
    return day >= 0 ? d + time : d - time;
}

}  // namespace

bool IsValidOleDate(double value) {
    // oleaut32 accepts everything strictly between these: the first and last days whole.
    return value > kMinOleDate - 1.0 && value < kMaxOleDateExclusive;
}

std::optional<DateTimeFields> Decompose(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    const auto ymd = CivilFromDaySerial(st->day);
    DateTimeFields f;
    f.year = static_cast<int>(ymd.year());
    f.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    f.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    f.hour = static_cast<int>(st->second / 3600);
    f.minute = static_cast<int>(st->second / 60 % 60);
    f.second = static_cast<int>(st->second % 60);
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
    return Join(DaySerialFromCivil(ymd), f.hour * 3600 + f.minute * 60 + f.second);
}

std::optional<std::int64_t> DaySerial(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    return st->day;
}

std::optional<std::int64_t> MinuteSerial(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    return st->day * 1440 + st->second / 60;
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
    const auto fa = Decompose(a);
    const auto fb = Decompose(b);
    if (!fa || !fb) return std::nullopt;
    return fb->year - fa->year;
}

std::optional<OleDate> AddSeconds(OleDate value, std::int64_t seconds) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    // Anything beyond the whole valid range by this much is refused before the arithmetic.
    constexpr std::int64_t kSpan = (kMaxDaySerial - kMinDaySerial + 2) * kSecondsPerDay;
    if (seconds > kSpan || seconds < -kSpan) return std::nullopt;
    return JoinDate(st->day, st->second + seconds);
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

std::optional<OleDate> AddMonths(OleDate value, std::int64_t months) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    if (months > 120000 || months < -120000) return std::nullopt;
    const auto ymd = CivilFromDaySerial(st->day);
    const std::int64_t monthIndex =
        static_cast<int>(ymd.year()) * 12LL + (static_cast<unsigned>(ymd.month()) - 1) + months;
    const std::int64_t year = monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    const unsigned month = static_cast<unsigned>(monthIndex - year * 12) + 1;
    if (year < 100 || year > 9999) return std::nullopt;
    const chr::year_month_day_last last{chr::year{static_cast<int>(year)},
                                        chr::month_day_last{chr::month{month}}};
    const chr::day day = std::min(ymd.day(), last.day());
    const chr::year_month_day target{last.year(), last.month(), day};
    return Join(DaySerialFromCivil(target), st->second);
}

std::optional<OleDate> AddYears(OleDate value, std::int64_t years) {
    if (years > 10000 || years < -10000) return std::nullopt;
    return AddMonths(value, years * 12);
}

std::optional<OleDate> CalendarDate(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    return Join(st->day, 0);
}

std::optional<OleDate> DateAtMinute(std::int64_t daySerial, int minuteOfDay) {
    if (minuteOfDay < 0 || minuteOfDay >= 1440) return std::nullopt;
    return Join(daySerial, minuteOfDay * 60LL);
}

std::optional<int> Weekday(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    return WeekdayOfDaySerial(st->day);
}

int WeekdayOfDaySerial(std::int64_t daySerial) {
    // 1899-12-30 was a Saturday.
    return static_cast<int>(((daySerial + 6) % 7 + 7) % 7) + 1;
}

chr::year_month_day CivilFromDaySerial(std::int64_t daySerial) {
    return chr::year_month_day{chr::sys_days{chr::days{daySerial + kOleEpochSysDays}}};
}

std::int64_t DaySerialFromCivil(const chr::year_month_day& date) {
    return chr::sys_days{date}.time_since_epoch().count() - kOleEpochSysDays;
}

OleDate TruncateToMinute(OleDate value) {
    const auto st = Split(value);
    if (!st) return value;
    return *Join(st->day, st->second / 60 * 60);
}

std::optional<DaySecond> SplitDate(OleDate value) {
    const auto st = Split(value);
    if (!st) return std::nullopt;
    return DaySecond{st->day, st->second};
}

std::optional<OleDate> JoinDate(std::int64_t day, std::int64_t second) {
    if (second < 0 || second >= kSecondsPerDay) {
        day += second / kSecondsPerDay;
        second %= kSecondsPerDay;
        if (second < 0) {
            second += kSecondsPerDay;
            day -= 1;
        }
    }
    return Join(day, second);
}

double ToLinearDays(OleDate value) {
    if (value >= 0) return value;
    const double datePart = std::trunc(value);
    return datePart + std::fabs(value - datePart);
}

OleDate FromLinearDays(double linear) {
    if (linear >= 0) return linear;
    const double day = std::floor(linear);
    return day - (linear - day);
}

}  // namespace cadencer
