// Next-run computation. All calendar work is done on (day serial, second of day) pairs,
// each input date split once. Weekly and Monthly schedules jump straight to the first
// candidate day instead of walking day by day, so their cost does not grow with the
// distance to StartDate; the results equal those of the day-by-day search (a test runs
// both against each other).
#include "engine/next_run.h"

#include <algorithm>
#include <bit>
#include <chrono>

namespace cadencer {
namespace {

namespace chr = std::chrono;

constexpr std::int64_t kSecondsPerDay = 86400;

std::uint32_t SelectionMask(const std::u16string& text, std::size_t width) {
    std::uint32_t mask = 0;
    const std::size_t n = std::min(text.size(), width);
    for (std::size_t i = 0; i < n; ++i)
        if (text[i] == u'1') mask |= std::uint32_t{1} << i;
    return mask;  // bit k-1 stands for day k
}

// First day serial >= from whose weekday is selected.
std::int64_t NextWeeklyDay(std::int64_t from, std::uint32_t mask) {
    const int weekday = WeekdayOfDaySerial(from);
    for (int i = 0; i < 7; ++i)
        if (mask & (1u << ((weekday - 1 + i) % 7))) return from + i;
    return kLastDaySerial + 1;
}

// First day serial >= from whose day of the month is selected.
std::int64_t NextMonthlyDay(std::int64_t from, std::uint32_t mask) {
    const auto ymd = CivilFromDaySerial(from);
    unsigned firstDay = static_cast<unsigned>(ymd.day());
    chr::year_month ym{ymd.year(), ymd.month()};
    // Any day 1..31 occurs within three consecutive months.
    for (int step = 0; step < 4 && static_cast<int>(ym.year()) <= 9999; ++step) {
        const unsigned last =
            static_cast<unsigned>(chr::year_month_day_last{ym.year(), chr::month_day_last{ym.month()}}.day());
        const std::uint32_t inMonth = last >= 32 ? ~0u : ((1u << last) - 1);
        const std::uint32_t hit = mask & inMonth & ~((1u << (firstDay - 1)) - 1);
        if (hit) return DaySerialFromCivil({ym.year(), ym.month(), chr::day{static_cast<unsigned>(std::countr_zero(hit)) + 1}});
        ym += chr::months{1};
        firstDay = 1;
    }
    return kLastDaySerial + 1;
}

// Returns the candidate as (day, second) or nothing when the never marker applies.
using Candidate = std::optional<DaySecond>;

Candidate Daily(const ScheduleSettings& s, DaySecond ref, int startMinute) {
    DaySecond candidate{ref.day, startMinute * 60LL};
    if (startMinute < ref.second / 60) candidate.day += 1;
    const auto start = SplitDate(s.StartDate);
    if (!start) return std::nullopt;
    if (candidate.day < start->day) {
        // StartDate plus the start time, added as they are (a time stored with the date counts).
        const std::int64_t total = start->second + startMinute * 60LL;
        candidate = {start->day + total / kSecondsPerDay, total % kSecondsPerDay};
    }
    if (s.UseEndDate) {
        const auto end = SplitDate(s.EndDate);
        if (!end || candidate.day > end->day) return std::nullopt;
    }
    return candidate;
}

Candidate DayOfPeriod(const ScheduleSettings& s, OleDate now, DaySecond ref, int startMinute, bool monthly) {
    const std::uint32_t mask = monthly ? SelectionMask(s.SelectionsMonthly, kMonthlyWidth)
                                       : SelectionMask(s.SelectionsWeekly, kWeeklyWidth);
    if (mask == 0) return std::nullopt;
    std::optional<DaySecond> end;
    if (s.UseEndDate) {
        end = SplitDate(s.EndDate);
        if (!end) return std::nullopt;
        // The end day's start time must not have passed (minute boundaries).
        const std::int64_t endStart = end->day * kSecondsPerDay + end->second + startMinute * 60LL;
        if (endStart >= (kLastDaySerial + 1) * kSecondsPerDay) return std::nullopt;
        const std::int64_t endStartMinute =
            (endStart >= 0 ? endStart / 60 : (endStart - 59) / 60);
        if (endStartMinute < ref.day * 1440 + ref.second / 60) return std::nullopt;
    }
    const auto present = SplitDate(now);
    const auto start = SplitDate(s.StartDate);
    if (!present || !start) return std::nullopt;

    auto selected = [&](std::int64_t day) {
        const unsigned position = monthly ? static_cast<unsigned>(CivilFromDaySerial(day).day())
                                          : static_cast<unsigned>(WeekdayOfDaySerial(day));
        return (mask >> (position - 1)) & 1u;
    };

    std::int64_t day;
    // The reference's own day counts only while its start time has not passed.
    if (ref.day >= start->day && startMinute >= ref.second / 60 && selected(ref.day)) {
        day = ref.day;
    } else {
        const std::int64_t from = std::max(present->day + 1, start->day);
        if (from > kLastDaySerial) return std::nullopt;
        day = monthly ? NextMonthlyDay(from, mask) : NextWeeklyDay(from, mask);
        if (day > kLastDaySerial) return std::nullopt;
    }
    if (end && day > end->day) return std::nullopt;
    return DaySecond{day, startMinute * 60LL};
}

std::optional<OleDate> Every(const ScheduleSettings& s, OleDate now, OleDate reference, DaySecond ref) {
    std::int64_t unitMinutes;
    if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours))
        unitMinutes = 60;
    else if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Minutes))
        unitMinutes = 1;
    else
        return std::nullopt;
    if (s.EveryInterval <= 0) return std::nullopt;
    const std::int64_t interval = s.EveryInterval * unitMinutes;
    const auto last = SplitDate(s.LastScheduledTime);
    const auto years = last ? YearDiff(reference, s.LastScheduledTime) : std::nullopt;
    if (!years || *years <= -50) {
        const auto present = SplitDate(now);
        return JoinDate(present->day, present->second / 60 * 60 + interval * 60);
    }
    const std::int64_t candidateMinute = last->day * 1440 + last->second / 60 + interval;
    if (candidateMinute < ref.day * 1440 + ref.second / 60) {
        const auto present = SplitDate(now);
        return JoinDate(present->day, present->second / 60 * 60);
    }
    return JoinDate(last->day, last->second / 60 * 60 + interval * 60);
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
    const auto present = SplitDate(now);
    if (!present) return kZeroDate;
    const auto reference = JoinDate(present->day, present->second + offsetMinutes * 60LL);
    if (!reference) return kZeroDate;
    const std::int64_t refTotal = present->day * kSecondsPerDay + present->second + offsetMinutes * 60LL;
    const std::int64_t refDay = refTotal >= 0 ? refTotal / kSecondsPerDay : (refTotal - kSecondsPerDay + 1) / kSecondsPerDay;
    const DaySecond ref{refDay, refTotal - refDay * kSecondsPerDay};
    const int startMinute = StartMinuteOfDay(s);

    std::optional<OleDate> result;
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            break;
        case static_cast<std::int32_t>(Occurs::Daily):
        case static_cast<std::int32_t>(Occurs::Weekly):
        case static_cast<std::int32_t>(Occurs::Monthly): {
            const Candidate c = s.OccursOption == static_cast<std::int32_t>(Occurs::Daily)
                                    ? Daily(s, ref, startMinute)
                                    : DayOfPeriod(s, now, ref, startMinute,
                                                  s.OccursOption == static_cast<std::int32_t>(Occurs::Monthly));
            if (c) result = JoinDate(c->day, c->second / 60 * 60);
            break;
        }
        case static_cast<std::int32_t>(Occurs::Every):
            result = Every(s, now, *reference, ref);
            break;
        default:
            return kZeroDate;
    }
    return result ? *result : TruncateToMinute(NeverMarker(now));
}

}  // namespace cadencer
