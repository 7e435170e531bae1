// What every converted form is built from: the schedule reduced to its recurrence as the
// engine runs it from a present (its first due time, its time of day, its days, its end
// day or interval), or the reason why it has none that a recurrence can hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/ole_date.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_settings.h"

namespace cadencer::forms {

struct Plan {
    Occurs kind = Occurs::Never;
    DaySecond present;                   // seconds kept
    DaySecond first;                     // the engine's first due time at or after the present minute
    int startMinute = 0;                 // Daily, Weekly, Monthly: the time of day in minutes
    std::uint32_t days = 0;              // Weekly: bit 0 Sunday ... bit 6 Saturday; Monthly: bit k-1 for day k
    std::optional<std::int64_t> endDay;  // the last day on which it may fall due (not for Every)
    std::int64_t intervalMinutes = 0;    // Every
    bool hours = false;                  // Every: the interval counts hours
    std::int16_t interval = 0;           // Every: the interval in its unit
};

struct PlanResult {
    std::optional<Plan> plan;
    std::string reason;
};

PlanResult MakePlan(const ScheduleSettings& settings, OleDate present);

// The weekdays as iCalendar writes them, from Sunday (the position in SelectionsWeekly).
inline constexpr const char* kWeekdayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
// The weekday of a code (0 Sunday ... 6 Saturday), or nothing.
std::optional<int> WeekdayOfCode(std::string_view code);

// A selection string from a set of days (bit i for position i + 1).
std::u16string SelectionText(std::uint32_t days, std::size_t width);

// A step of reading that may refuse: the reason, or nothing when it went well.
using Why = std::optional<std::string>;
// A text refused for the reason given.
inline KeysResult Refused(std::string reason) {
    return {false, {}, std::move(reason)};
}

// "2026-12-08 10:00"
std::string Readable(DaySecond time);
std::string ReadableDay(std::int64_t day);
std::string ClockText(int minuteOfDay);

}  // namespace cadencer::forms
