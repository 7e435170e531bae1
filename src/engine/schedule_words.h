// A schedule in words, for people: "Weekly on Monday, Wednesday and Friday at 09:30, from
// 2026-12-07, no end date". It says what the next-run computation does with the settings:
// the time is the effective start time (hour 24 and values out of range read as 00:00),
// only "1" selects a day, and a schedule that can never fall due says so.
#pragma once

#include <string>
#include <vector>

#include "engine/schedule_settings.h"
#include "text/catalog.h"
#include "text/locale_names.h"

namespace cadencer {

// In English with the invariant names and formats: what Cadencer has always written.
std::u16string DescribeSchedule(const ScheduleSettings& settings);
// In a language of the catalog, with the weekday names, dates and times of a locale.
std::u16string DescribeSchedule(const ScheduleSettings& settings, text::Language language,
                                const text::LocaleNames& names);

// "1st", "2nd", "3rd", "4th", ... "11th", "12th", "13th", "21st", ...
std::u16string Ordinal(int number);
// "A", "A and B", "A, B and C".
std::u16string JoinWithAnd(const std::vector<std::u16string>& items);

}  // namespace cadencer
