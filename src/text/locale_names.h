// The port through which the schedule in words gets what the platform knows of a locale:
// weekday names and its short date and time. The catalog holds no such names: Windows
// gives them with GetLocaleInfoEx/GetDateFormatEx (src/win/locale_names.h), the
// command-line tool with the C library's locale data, tests with a fake.
#pragma once

#include <memory>
#include <string>

namespace cadencer::text {

class LocaleNames {
public:
    virtual ~LocaleNames() = default;
    // The day's full name as the platform lists it (nominative, as it stands alone:
    // "Montag", "lundi", "poniedziałek"); dayOfWeek 0 is Sunday, 6 Saturday.
    virtual std::u16string WeekdayName(int dayOfWeek) const = 0;
    // A valid date (month 1..12) and time of day in the locale's short formats.
    virtual std::u16string ShortDate(int year, int month, int day) const = 0;
    virtual std::u16string ShortTime(int hour, int minute) const = 0;
};

// What the schedule in words has always said in English: English day names (as the C
// locale has them), dates as 2026-12-07 and times as 09:30. English (United States) and
// any locale the platform does not have use these.
const LocaleNames& InvariantNames();
// The same, owned by the caller, for code that holds a platform locale's names otherwise.
std::unique_ptr<LocaleNames> MakeInvariantNames();
// Weekday names from one locale, dates and times from another: the names belong to the
// sentence, so they take its language; dates and times take the user's formats. English
// text with a Turkish locale reads "Weekly on Monday ... from 07.12.2026".
std::unique_ptr<LocaleNames> CombineNames(std::unique_ptr<LocaleNames> words, std::unique_ptr<LocaleNames> formats);

}  // namespace cadencer::text
