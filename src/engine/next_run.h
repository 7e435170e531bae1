// The next time a schedule falls due, computed from the shared settings and a present
// time that the caller passes in (the engine never reads a clock).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "engine/ole_date.h"
#include "engine/schedule_settings.h"

namespace cadencer {

// Minutes of the day at which Daily, Weekly and Monthly schedules fall due. Hour 24
// stands for midnight. Values a property bag loaded unchecked are read the way the
// property lets would have stored them (hour outside 0..24 as midnight, minute outside
// 0..59 as 0), so the start time is always a time of day.
int StartMinuteOfDay(const ScheduleSettings& settings);

// The days a selection string selects: bit k-1 for position k. Only the first width
// characters count, and of them only "1" selects a day.
std::uint32_t SelectedDays(std::u16string_view selection, std::size_t width);

// The next due time, a whole minute, or:
//  - the never marker (now minus 50 years, truncated to the minute) when nothing is due,
//    including an Every schedule whose interval is 0 or below or whose unit is unknown,
//    a search that would pass 9999-12-31, and a schedule date outside years 100-9999;
//  - the zero date for an OccursOption outside 0..4, or a present time outside the valid range.
// offsetMinutes moves the reference time against which a start time counts as past:
// 0 after a setting changed, 1 after a firing (so the minute just fired counts as past).
OleDate ComputeNextRun(const ScheduleSettings& settings, OleDate now, std::int16_t offsetMinutes);

// The same computation for a caller that computes again and again from one settings record
// (the control, after every firing): what depends on the settings alone, each stored date
// split into day and second and each selection string read into a set of days, is kept
// from one call to the next and redone only for a field whose value has changed.
class NextRunSearch {
public:
    OleDate ComputeNextRun(const ScheduleSettings& settings, OleDate now, std::int16_t offsetMinutes);

private:
    // A stored date split, with the value it came from (compared bit for bit).
    struct DateMemo {
        std::optional<std::uint64_t> bits;  // empty before the first split
        std::optional<DaySecond> split;     // empty for a date outside years 100-9999
        int year = 0;                       // the calendar year of split
        const DateMemo& For(OleDate value);
    };
    // The days a selection string selects (bit k-1 for position k), with the characters
    // they were read from.
    template <std::size_t Width>
    struct SelectionMemo {
        std::array<char16_t, Width> text{};
        std::size_t length = Width + 1;  // no string read yet
        std::uint32_t days = 0;
        std::uint32_t For(const std::u16string& selection);
    };

    DateMemo startDate_;
    DateMemo endDate_;
    DateMemo lastScheduledTime_;
    SelectionMemo<kWeeklyWidth> weekly_;
    SelectionMemo<kMonthlyWidth> monthly_;
};

// True when the control's clock check takes the value for the never marker: its calendar
// year lies 50 or more years before the present's, or, for a present before the year 150
// (whose marker is clamped to 0100-01-01), it lies in that first minute (out-of-range
// values count as never). So a schedule due at 0100-01-01 00:00 itself never fires.
bool IsNeverMarker(OleDate value, OleDate now);

}  // namespace cadencer
