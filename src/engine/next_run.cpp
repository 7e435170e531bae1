// Next-run computation. All calendar work is done on day-and-second pairs (DaySecond): the
// present is split once per computation, and each stored date once for as long as it keeps
// its value (NextRunSearch). Weekly and Monthly schedules jump straight to the first
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

// First day serial >= from whose weekday is selected (bit 0 Sunday ... bit 6 Saturday).
std::int64_t NextWeeklyDay(std::int64_t from, std::uint32_t days) {
    // The week turned so that bit i stands for the day from + i.
    const int shift = WeekdayOfDaySerial(from) - 1;
    const std::uint32_t fromOn = ((days >> shift) | (days << (7 - shift))) & 0x7Fu;
    if (fromOn == 0) return kLastDaySerial + 1;
    return from + std::countr_zero(fromOn);
}

// First day serial >= from whose day of the month is selected (bit k-1 for day k).
std::int64_t NextMonthlyDay(std::int64_t from, std::uint32_t days) {
    const chr::year_month_day date = CivilFromDaySerial(from);
    chr::year_month month{date.year(), date.month()};
    unsigned firstDay = static_cast<unsigned>(date.day());
    std::int64_t monthStart = from - (firstDay - 1);  // the day serial of the month's day 1
    // Any day 1..31 occurs within three consecutive months.
    for (int step = 0; step < 4 && static_cast<int>(month.year()) <= 9999; ++step) {
        const unsigned length = static_cast<unsigned>((month / chr::last).day());
        const std::uint32_t inMonth = static_cast<std::uint32_t>((std::uint64_t{1} << length) - 1);
        const std::uint32_t hit = days & inMonth & ~((1u << (firstDay - 1)) - 1);
        if (hit) return monthStart + std::countr_zero(hit);
        monthStart += length;
        month += chr::months{1};
        firstDay = 1;
    }
    return kLastDaySerial + 1;
}

// Before the year 150 the never marker, 50 years back, is clamped to the first valid day:
// a value at or before it is the marker too, whatever its year.
bool AtOrBeforeClampedMarker(std::int64_t minute, DaySecond present) {
    return minute <= NeverMarker(present).Minute();
}

// LastScheduledTime split, with the calendar year that the never-run test compares.
struct LastRun {
    std::optional<DaySecond> split;
    int year = 0;
};

LastRun SplitLastRun(OleDate value) {
    LastRun last{SplitDate(value)};
    if (last.split) last.year = static_cast<int>(CivilFromDaySerial(last.split->day).year());
    return last;
}

// StartDate and, when UseEndDate is set, EndDate, each split (empty when out of range).
struct DayBounds {
    std::optional<DaySecond> start;
    bool useEnd = false;
    std::optional<DaySecond> end;
};

// The due time before its seconds are dropped, or nothing when the never marker applies.
using Candidate = std::optional<DaySecond>;

Candidate Daily(const DayBounds& bounds, DaySecond reference, int startMinute) {
    DaySecond candidate{reference.day, startMinute * 60LL};
    if (startMinute < reference.second / 60) candidate.day += 1;
    if (!bounds.start) return std::nullopt;
    // StartDate plus the start time, added as they are (a time stored with the date counts).
    if (candidate.day < bounds.start->day)
        candidate = NormalisedDaySecond(bounds.start->day, bounds.start->second + startMinute * 60LL);
    if (bounds.useEnd && (!bounds.end || candidate.day > bounds.end->day)) return std::nullopt;
    return candidate;
}

Candidate DayOfPeriod(const DayBounds& bounds, std::uint32_t days, bool monthly, DaySecond present, DaySecond reference,
                      int startMinute) {
    if (days == 0) return std::nullopt;
    if (bounds.useEnd) {
        if (!bounds.end) return std::nullopt;
        // The end day's start time must not have passed (minute boundaries).
        const DaySecond endStart = NormalisedDaySecond(bounds.end->day, bounds.end->second + startMinute * 60LL);
        if (!IsValidDaySerial(endStart.day) || endStart.Minute() < reference.Minute()) return std::nullopt;
    }
    if (!bounds.start) return std::nullopt;

    auto selected = [&](std::int64_t day) {
        const unsigned position = monthly ? static_cast<unsigned>(CivilFromDaySerial(day).day())
                                          : static_cast<unsigned>(WeekdayOfDaySerial(day));
        return (days >> (position - 1)) & 1u;
    };

    std::int64_t day;
    // The reference's own day counts only while its start time has not passed.
    if (reference.day >= bounds.start->day && startMinute >= reference.second / 60 && selected(reference.day)) {
        day = reference.day;
    } else {
        const std::int64_t from = std::max(present.day + 1, bounds.start->day);
        if (from > kLastDaySerial) return std::nullopt;
        day = monthly ? NextMonthlyDay(from, days) : NextWeeklyDay(from, days);
        if (day > kLastDaySerial) return std::nullopt;
    }
    if (bounds.useEnd && day > bounds.end->day) return std::nullopt;
    return DaySecond{day, startMinute * 60LL};
}

Candidate Every(const ScheduleSettings& s, const LastRun& lastRun, DaySecond present, DaySecond reference) {
    std::int64_t unitMinutes;
    if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours))
        unitMinutes = 60;
    else if (s.EveryFrequency == static_cast<std::int32_t>(EveryType::Minutes))
        unitMinutes = 1;
    else
        return std::nullopt;
    if (s.EveryInterval <= 0) return std::nullopt;
    const std::int64_t intervalSeconds = s.EveryInterval * unitMinutes * 60;
    const std::int64_t presentMinuteStart = present.second / 60 * 60;
    // Never run: the last time lies 50 or more calendar years before the reference's year.
    const int referenceYear = static_cast<int>(CivilFromDaySerial(reference.day).year());
    const std::optional<DaySecond>& last = lastRun.split;
    if (!last || lastRun.year - referenceYear <= -50 || AtOrBeforeClampedMarker(last->Minute(), present))
        return NormalisedDaySecond(present.day, presentMinuteStart + intervalSeconds);
    const DaySecond candidate = NormalisedDaySecond(last->day, last->second / 60 * 60 + intervalSeconds);
    // The interval elapsed while nothing ran: due at once.
    if (candidate.Minute() < reference.Minute()) return DaySecond{present.day, presentMinuteStart};
    return candidate;
}

// Reads each input a computation needs straight from the settings.
class FreshInputs {
public:
    explicit FreshInputs(const ScheduleSettings& s) : s_(s) {}
    std::optional<DaySecond> StartDate() const { return SplitDate(s_.StartDate); }
    std::optional<DaySecond> EndDate() const { return SplitDate(s_.EndDate); }
    std::uint32_t WeeklyDays() const { return SelectedDays(s_.SelectionsWeekly, kWeeklyWidth); }
    std::uint32_t MonthlyDays() const { return SelectedDays(s_.SelectionsMonthly, kMonthlyWidth); }
    LastRun LastScheduledTime() const { return SplitLastRun(s_.LastScheduledTime); }

private:
    const ScheduleSettings& s_;
};

// The computation, over inputs read fresh or kept from an earlier call (NextRunSearch).
template <class Inputs>
OleDate Compute(const ScheduleSettings& s, Inputs& inputs, OleDate now, std::int16_t offsetMinutes) {
    const auto present = SplitDate(now);
    if (!present) return kZeroDate;
    const DaySecond reference = NormalisedDaySecond(present->day, present->second + offsetMinutes * 60LL);
    if (!IsValidDaySerial(reference.day)) return kZeroDate;
    const int startMinute = StartMinuteOfDay(s);
    auto bounds = [&] {
        return DayBounds{inputs.StartDate(), s.UseEndDate, s.UseEndDate ? inputs.EndDate() : std::nullopt};
    };

    Candidate candidate;
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            break;
        case static_cast<std::int32_t>(Occurs::Daily):
            candidate = Daily(bounds(), reference, startMinute);
            break;
        case static_cast<std::int32_t>(Occurs::Weekly):
            candidate = DayOfPeriod(bounds(), inputs.WeeklyDays(), false, *present, reference, startMinute);
            break;
        case static_cast<std::int32_t>(Occurs::Monthly):
            candidate = DayOfPeriod(bounds(), inputs.MonthlyDays(), true, *present, reference, startMinute);
            break;
        case static_cast<std::int32_t>(Occurs::Every):
            candidate = Every(s, inputs.LastScheduledTime(), *present, reference);
            break;
        default:
            return kZeroDate;
    }
    // Every result is a whole minute; a candidate past 9999-12-31 means nothing is due.
    if (candidate)
        if (const auto due = JoinDate(DaySecond{candidate->day, candidate->second / 60 * 60})) return *due;
    const DaySecond never = NeverMarker(*present);
    return *JoinDate(DaySecond{never.day, never.second / 60 * 60});
}

}  // namespace

std::uint32_t SelectedDays(std::u16string_view selection, std::size_t width) {
    std::uint32_t days = 0;
    const std::size_t n = std::min(selection.size(), width);
    // Branch-free: measurably faster than a test per character.
    for (std::size_t i = 0; i < n; ++i) days |= std::uint32_t{selection[i] == u'1'} << i;
    return days;
}

int StartMinuteOfDay(const ScheduleSettings& s) {
    const int hour = (s.StartHour < 0 || s.StartHour > 23) ? 0 : s.StartHour;
    const int minute = (s.StartMinute < 0 || s.StartMinute > 59) ? 0 : s.StartMinute;
    return hour * 60 + minute;
}

bool IsNeverMarker(OleDate value, OleDate now) {
    const auto years = YearDiff(now, value);
    if (!years || *years <= -50) return true;
    const auto present = SplitDate(now), split = SplitDate(value);
    return present && split && AtOrBeforeClampedMarker(split->Minute(), *present);
}

OleDate ComputeNextRun(const ScheduleSettings& settings, OleDate now, std::int16_t offsetMinutes) {
    FreshInputs inputs(settings);
    return Compute(settings, inputs, now, offsetMinutes);
}

const NextRunSearch::DateMemo& NextRunSearch::DateMemo::For(OleDate value) {
    const auto valueBits = std::bit_cast<std::uint64_t>(value);
    if (bits != valueBits) {
        bits = valueBits;
        const LastRun fresh = SplitLastRun(value);
        split = fresh.split;
        year = fresh.year;
    }
    return *this;
}

template <std::size_t Width>
std::uint32_t NextRunSearch::SelectionMemo<Width>::For(const std::u16string& selection) {
    const std::size_t n = std::min(selection.size(), Width);
    if (n != length || !std::equal(selection.data(), selection.data() + n, text.data())) {
        length = n;
        std::copy_n(selection.data(), n, text.data());
        days = SelectedDays(std::u16string_view(text.data(), n), Width);
    }
    return days;
}

OleDate NextRunSearch::ComputeNextRun(const ScheduleSettings& settings, OleDate now, std::int16_t offsetMinutes) {
    // The same inputs as FreshInputs gives, from the memos.
    struct KeptInputs {
        NextRunSearch& search;
        const ScheduleSettings& s;
        std::optional<DaySecond> StartDate() { return search.startDate_.For(s.StartDate).split; }
        std::optional<DaySecond> EndDate() { return search.endDate_.For(s.EndDate).split; }
        std::uint32_t WeeklyDays() { return search.weekly_.For(s.SelectionsWeekly); }
        std::uint32_t MonthlyDays() { return search.monthly_.For(s.SelectionsMonthly); }
        LastRun LastScheduledTime() {
            const DateMemo& last = search.lastScheduledTime_.For(s.LastScheduledTime);
            return {last.split, last.year};
        }
    } inputs{*this, settings};
    return Compute(settings, inputs, now, offsetMinutes);
}

}  // namespace cadencer
