// The locale names port from the C library's locale data (newlocale, nl_langinfo_l,
// strftime_l), for cadencer-next --describe --lang: the tag's locale with UTF-8, its region
// taken as the language's own country when the tag has none ("de" reads de_DE.UTF-8). A
// locale the system does not have, and English (United States), give the invariant forms.
#pragma once

#include <memory>
#include <string>

#include "text/locale_names.h"

namespace cadencer::next_tool {

std::unique_ptr<text::LocaleNames> PosixLocaleNames(const std::string& tag);

// The POSIX locale name for a BCP-47 tag: "de-AT" -> "de_AT.UTF-8", "zh-Hans" ->
// "zh_CN.UTF-8", "ja" -> "ja_JP.UTF-8".
std::string PosixLocaleName(const std::string& tag);

// A time format without its seconds: "%T" -> "%H:%M", "%H時%M分%S秒" -> "%H時%M分".
std::string WithoutSeconds(std::string format);

}  // namespace cadencer::next_tool
