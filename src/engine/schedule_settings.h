// The schedule record that every Cadencer control of a process and the schedule dialog
// share. A new control's values for it are the property table's defaults
// (control::ApplyNewControlDefaults, control/property_access.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/ole_date.h"

namespace cadencer {

enum class Occurs : std::int32_t { Never = 0, Daily = 1, Weekly = 2, Monthly = 3, Every = 4 };
enum class EveryType : std::int32_t { Hours = 0, Minutes = 1 };

inline constexpr std::size_t kWeeklyWidth = 7;
inline constexpr std::size_t kMonthlyWidth = 31;

struct ScheduleSettings {
    std::int16_t EveryInterval = 0;
    std::int16_t StartHour = 0;
    std::int16_t StartMinute = 0;
    std::int16_t EveryHourMin = 0;
    std::int16_t EveryHourMax = 0;
    std::int16_t EveryHourIncrement = 0;
    std::int16_t EveryMinuteMin = 0;
    std::int16_t EveryMinuteMax = 0;
    std::int16_t EveryMinuteIncrement = 0;
    OleDate LastScheduledTime = kZeroDate;
    OleDate StartDate = kZeroDate;
    OleDate EndDate = kZeroDate;
    bool UseEndDate = false;
    std::u16string Title;
    std::u16string CaptionOKButtonBefore;
    std::u16string CaptionOKButtonAfter;
    std::u16string CaptionCloseButtonBefore;
    std::u16string CaptionCloseButtonAfter;
    // Always exactly kWeeklyWidth / kMonthlyWidth characters; only u'1' selects a day.
    std::u16string SelectionsWeekly = std::u16string(kWeeklyWidth, u' ');
    std::u16string SelectionsMonthly = std::u16string(kMonthlyWidth, u' ');
    // Kept as the raw 32-bit values a host may have stored, known enumerators or not.
    std::int32_t OccursOption = 0;
    std::int32_t EveryFrequency = 0;
    // OwnerControl lives with the control core (it refers to a control); the focus gate is plain state.
    bool SchedulerFocusFlag = false;
};

// The never-run marker: the present moment minus 50 calendar years (seconds kept).
// Falls back to the first valid day when the present lies before year 150.
OleDate NeverMarker(OleDate now);
DaySecond NeverMarker(DaySecond present);

// The default EndDate of a control created on creationDay: one calendar month later.
OleDate DefaultEndDate(OleDate creationDay);

// A selection string placed into its fixed width, as a property bag load does it:
// cut when longer, filled up with blanks when shorter, the content untouched.
std::u16string FitSelection(std::u16string_view text, std::size_t width);

// A selection string normalised as the property lets do it: cut or extended with "0"
// to the width, then every character other than "0" and "1" replaced by "0".
std::u16string NormaliseSelection(std::u16string_view text, std::size_t width);

}  // namespace cadencer
