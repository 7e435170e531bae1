// A literal day-by-day next-run search, written step by step as the schedule rules read,
// used only to check the fast search of the engine against it.
#pragma once

#include "engine/next_run.h"

namespace cadencer::reference {

inline OleDate ComputeNextRunDayByDay(const ScheduleSettings& s, OleDate now, std::int16_t offsetMinutes) {
    const auto reference = AddMinutes(now, offsetMinutes);
    if (!reference) return kZeroDate;
    const int startMinute = StartMinuteOfDay(s);
    const OleDate never = NeverMarker(now);
    auto plusStart = [&](OleDate d) { return AddMinutes(d, startMinute); };
    auto finish = [](OleDate candidate) { return TruncateToMinute(candidate); };

    switch (s.OccursOption) {
        case 0:
            return finish(never);
        case 1: {
            auto candidate = plusStart(*CalendarDate(*reference));
            if (*MinuteDiff(*reference, *candidate) < 0) candidate = AddDays(*candidate, 1);
            if (!candidate) return finish(never);
            const auto fromStart = DayDiff(s.StartDate, *candidate);
            if (!fromStart) return finish(never);
            if (*fromStart < 0) candidate = plusStart(s.StartDate);
            if (!candidate) return finish(never);
            if (s.UseEndDate) {
                const auto pastEnd = DayDiff(s.EndDate, *candidate);
                if (!pastEnd || *pastEnd > 0) return finish(never);
            }
            return finish(*candidate);
        }
        case 2:
        case 3: {
            const bool monthly = s.OccursOption == 3;
            const std::u16string& selection = monthly ? s.SelectionsMonthly : s.SelectionsWeekly;
            if (selection.find(u'1') == std::u16string::npos) return finish(never);
            if (s.UseEndDate) {
                const auto endStart = plusStart(s.EndDate);
                if (!endStart || *MinuteDiff(*reference, *endStart) < 0) return finish(never);
            }
            if (!DaySerial(s.StartDate)) return finish(never);
            OleDate day = *reference;
            bool first = true;
            OleDate candidate;
            for (;;) {
                const int position = monthly ? Decompose(day)->day : *Weekday(day);
                if (position <= static_cast<int>(selection.size()) && selection[position - 1] == u'1') {
                    candidate = *plusStart(*CalendarDate(day));
                    if (*MinuteDiff(day, candidate) >= 0 && *DayDiff(s.StartDate, candidate) >= 0) break;
                }
                if (first) {
                    day = *plusStart(*CalendarDate(now));
                    first = false;
                }
                const auto next = AddDays(day, 1);
                if (!next) return finish(never);  // the search would pass 9999-12-31
                day = *next;
            }
            if (s.UseEndDate && *DayDiff(s.EndDate, candidate) > 0) return finish(never);
            return finish(candidate);
        }
        case 4: {
            const std::int64_t unit = s.EveryFrequency == 0 ? 60 : s.EveryFrequency == 1 ? 1 : 0;
            if (unit == 0 || s.EveryInterval <= 0) return finish(never);
            const auto years = YearDiff(*reference, s.LastScheduledTime);
            std::optional<OleDate> candidate;
            if (!years || *years <= -50) {
                candidate = AddMinutes(now, s.EveryInterval * unit);
            } else {
                candidate = AddMinutes(s.LastScheduledTime, s.EveryInterval * unit);
                if (candidate && *MinuteDiff(*reference, *candidate) < 0) candidate = now;
            }
            return candidate ? finish(*candidate) : finish(never);
        }
        default:
            return kZeroDate;
    }
}

}  // namespace cadencer::reference
