// The next time a schedule falls due, computed from the shared settings and a present
// time that the caller passes in (the engine never reads a clock).
#pragma once

#include <cstdint>

#include "engine/ole_date.h"
#include "engine/schedule_settings.h"

namespace cadencer {

// Minutes of the day at which Daily, Weekly and Monthly schedules fall due. Hour 24
// stands for midnight. Values a property bag loaded unchecked are read the way the
// property lets would have stored them (hour outside 0..24 as midnight, minute outside
// 0..59 as 0), so the start time is always a time of day.
int StartMinuteOfDay(const ScheduleSettings& settings);

// The next due time, a whole minute, or:
//  - the never marker (now minus 50 years, truncated to the minute) when nothing is due,
//    including an Every schedule whose interval is 0 or below or whose unit is unknown,
//    a search that would pass 9999-12-31, and a schedule date outside years 100-9999;
//  - the zero date for an OccursOption outside 0..4, or a present time outside the valid range.
// offsetMinutes moves the reference time against which a start time counts as past:
// 0 after a setting changed, 1 after a firing (so the minute just fired counts as past).
OleDate ComputeNextRun(const ScheduleSettings& settings, OleDate now, std::int16_t offsetMinutes);

// True when the control's clock check takes the value for the never marker: its calendar
// year lies 50 or more years before the present's (out-of-range values count as never).
bool IsNeverMarker(OleDate value, OleDate now);

}  // namespace cadencer
