// What Windows knows of a locale, for the texts and dates Cadencer shows: the catalog's
// language for an LCID, and the platform's weekday names and short date and time formats
// (GetLocaleInfoEx LOCALE_SDAYNAME1..7, LOCALE_SSHORTDATE, LOCALE_SSHORTTIME).
// English (United States) keeps the forms Cadencer has always written (2026-12-07, 09:30).
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <optional>
#include <string>

#include "text/catalog.h"
#include "text/locale_names.h"

namespace cadencer::win {

// The language of the texts for an LCID or LANGID; 0 and LOCALE_USER_DEFAULT mean the
// user's UI language (GetUserDefaultUILanguage), LOCALE_SYSTEM_DEFAULT the system's.
text::Language TextLanguage(LCID lcid);

// The platform's names and formats for an LCID; 0 and LOCALE_USER_DEFAULT mean the user's
// locale (GetUserDefaultLCID), LOCALE_SYSTEM_DEFAULT the system's. A locale the platform
// does not know, or a look-up that fails, gives the invariant forms.
std::unique_ptr<text::LocaleNames> PlatformLocaleNames(LCID lcid);

// The LCID of a locale name ("de-DE"), or 0 when the platform does not know it.
LCID LcidOfTag(const std::wstring& tag);

// A language for the texts, the weekday names of that language, and the locale's formats
// for dates and times.
struct ShownLocale {
    text::Language language = text::Language::English;
    std::unique_ptr<text::LocaleNames> names;
};
// For an LCID (0: the user's UI language and locale, as above).
ShownLocale ShownLocaleFor(LCID lcid);
// For an optional automation argument: missing or empty, the user's; a number, an LCID; a
// string, a language tag ("de-DE", "pt-BR", "ja"), whose formats are the invariant ones when
// the platform does not know the tag. Anything else: empty.
std::optional<ShownLocale> ShownLocaleOf(const VARIANT& locale);

}  // namespace cadencer::win
