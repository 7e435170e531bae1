// Next-run computation. Weekly and Monthly schedules jump straight to the first
// candidate day instead of walking day by day, so their cost does not grow with the
// distance to StartDate; the results equal those of the day-by-day search (a test
// runs both against each other).
#include "engine/next_run.h"

#include <algorithm>
#include <bit>
#include <chrono>

namespace cadencer {
namespace {

namespace chr = std::chrono;

constexpr std::int64_t kLastDaySerial = 2958465;  // 9999-12-31
constexpr std::int64_t kOleEpochSysDays = -25569;

std::uint64_t SelectionMask(const std::u16string& text) {
    std::uint64_t mask = 0;
    const std::size_t n = std::min<std::size_t>(text.size(), 63);
    for (std::size_t i = 0; i < n; ++i)
        if (text[i] == u'1') mask |= std::uint64_t{1} << (i + 1);
    return mask;
}

int WeekdayOfSerial(std::int64_t day) { return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1; }

// First day serial >= from whose weekday is selected; mask bits 1..7.
std::int64_t NextWeeklyDay(std::int64_t from, std::uint64_t mask) {
    const int weekday = WeekdayOfSerial(from);
    for (int i = 0; i < 7; ++i) {
        const int wd = (weekday - 1 + i) % 7 + 1;
        if (mask & (std::uint64_t{1} << wd)) return from + i;
    }
    return kLastDaySerial + 1;
}

// First day serial >= from whose day of the month is selected; mask bits 1..31.
std::int64_t NextMonthlyDay(std::int64_t from, std::uint64_t mask) {
    chr::year_month_day ymd{chr::sys_days{chr::days{from + kOleEpochSysDays}}};
    unsigned firstDay = static_cast<unsigned>(ymd.day());
    chr::year_month ym{ymd.year(), ymd.month()};
    // Any selected day 1..31 occurs within three consecutive months.
    for (int step = 0; step < 4; ++step) {
        const unsigned last = static_cast<unsigned>(chr::year_month_day_last{ym.year(), chr::month_day_last{ym.month()}}.day());
        const std::uint64_t window = (((std::uint64_t{2} << last) - 1) >> firstDay) << firstDay;
        if (const std::uint64_t hit = mask & window) {
            const unsigned day = static_cast<unsigned>(std::countr_zero(hit));
            const chr::year_month_day found{ym.year(), ym.month(), chr::day{day}};
            return chr::sys_days{found}.time_since_epoch().count() - kOleEpochSysDays;
        }
        ym += chr::months{1};
        firstDay = 1;
        if (static_cast<int>(ym.year()) > 9999) break;
    }
    return kLastDaySerial + 1;
}

std::optional<OleDate> DailyCandidate(const ScheduleSettings& s, OleDate reference, int startMinute) {
    const auto refDay = DaySerial(reference);
    if (!refDay) return std::nullopt;
    auto candidate = DateAtMinute(*refDay, startMinute);
    const auto late = MinuteDiff(reference, *candidate);
    if (*late < 0) candidate = AddDays(*candidate, 1);
    if (!candidate) return std::nullopt;
    const auto beforeStart = DayDiff(s.StartDate, *candidate);
    if (!beforeStart) return std::nullopt;
    if (*beforeStart < 0) candidate = AddMinutes(s.StartDate, startMinute);
    if (!candidate) return std::nullopt;
    if (s.UseEndDate) {
        const auto afterEnd = DayDiff(s.EndDate, *candidate);
        if (!afterEnd || *afterEnd > 0) return std::nullopt;
    }
    return candidate;
}

std::optional<OleDate> DayOfPeriodCandidate(const ScheduleSettings& s, OleDate now, OleDate reference,
                                            int startMinute, bool monthly) {
    const std::uint64_t mask = SelectionMask(monthly ? s.SelectionsMonthly : s.SelectionsWeekly) &
                               (monthly ? 0xFFFFFFFEull : 0xFEull);
    if (mask == 0) return std::nullopt;
    if (s.UseEndDate) {
        const auto endStart = AddMinutes(s.EndDate, startMinute);
        if (!endStart) return std::nullopt;
        const auto untilEnd = MinuteDiff(reference, *endStart);
        if (!untilEnd || *untilEnd < 0) return std::nullopt;
    }
    const auto refDay = DaySerial(reference);
    const auto presentDay = DaySerial(now);
    const auto startDay = DaySerial(s.StartDate);
    if (!refDay || !presentDay || !startDay) return std::nullopt;

    auto selected = [&](std::int64_t day) {
        const int position = monthly ? static_cast<int>(static_cast<unsigned>(
                                           chr::year_month_day{chr::sys_days{chr::days{day + kOleEpochSysDays}}}.day()))
                                     : WeekdayOfSerial(day);
        return (mask >> position) & 1;
    };

    std::int64_t day;
    // The reference's own day counts only while its start time has not passed.
    const OleDate todayAtStart = *DateAtMinute(*refDay, startMinute);
    if (selected(*refDay) && *MinuteDiff(reference, todayAtStart) >= 0 && *refDay >= *startDay) {
        day = *refDay;
    } else {
        const std::int64_t from = std::max(*presentDay + 1, *startDay);
        if (from > kLastDaySerial) return std::nullopt;
        day = monthly ? NextMonthlyDay(from, mask) : NextWeeklyDay(from, mask);
        if (day > kLastDaySerial) return std::nullopt;
    }
    const OleDate candidate = *DateAtMinute(day, startMinute);
    if (s.UseEndDate) {
        const auto afterEnd = DayDiff(s.EndDate, candidate);
        if (!afterEnd || *afterEnd > 0) return std::nullopt;
    }
    return candidate;
}

std::optional<OleDate> EveryCandidate(const ScheduleSettings& s, OleDate now, OleDate reference) {
    std::int64_t unitMinutes;
    if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours))
        unitMinutes = 60;
    else if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Minutes))
        unitMinutes = 1;
    else
        return std::nullopt;
    if (s.EveryInterval <= 0) return std::nullopt;
    const std::int64_t interval = s.EveryInterval * unitMinutes;
    const auto years = YearDiff(reference, s.LastScheduledTime);
    if (!years || *years <= -50) return AddMinutes(now, interval);
    const auto candidate = AddMinutes(s.LastScheduledTime, interval);
    if (!candidate) return std::nullopt;
    const auto ahead = MinuteDiff(reference, *candidate);
    if (*ahead < 0) return now;
    return candidate;
}

}  // namespace

int StartMinuteOfDay(const ScheduleSettings& s) {
    const int hour = (s.StartHour < 0 || s.StartHour > 23) ? 0 : s.StartHour;
    const int minute = (s.StartMinute < 0 || s.StartMinute > 59) ? 0 : s.StartMinute;
    return hour * 60 + minute;
}

bool IsNeverMarker(OleDate value, OleDate now) {
    const auto years = YearDiff(now, value);
    return !years || *years <= -50;
}

OleDate ComputeNextRun(const ScheduleSettings& s, OleDate now, std::int16_t offsetMinutes) {
    const auto reference = AddMinutes(now, offsetMinutes);
    if (!reference) return kZeroDate;
    const OleDate never = TruncateToMinute(NeverMarker(now));
    const int startMinute = StartMinuteOfDay(s);

    std::optional<OleDate> candidate;
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            return never;
        case static_cast<std::int32_t>(Occurs::Daily):
            candidate = DailyCandidate(s, *reference, startMinute);
            break;
        case static_cast<std::int32_t>(Occurs::Weekly):
            candidate = DayOfPeriodCandidate(s, now, *reference, startMinute, false);
            break;
        case static_cast<std::int32_t>(Occurs::Monthly):
            candidate = DayOfPeriodCandidate(s, now, *reference, startMinute, true);
            break;
        case static_cast<std::int32_t>(Occurs::Every):
            candidate = EveryCandidate(s, now, *reference);
            break;
        default:
            return kZeroDate;
    }
    return candidate ? TruncateToMinute(*candidate) : never;
}

}  // namespace cadencer
