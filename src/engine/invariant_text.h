// The invariant text of numbers, Booleans and dates (the forms documented in variant.h):
// what the portable Variant reads from and writes to strings. Numbers are read and
// written with std::from_chars and std::to_chars, which no C library locale changes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/ole_date.h"
#include "engine/variant.h"

namespace cadencer {

// Text of a number as the platform's general conversion writes it: up to 15 significant
// digits, "." as the decimal point, an exponent ("1E+15", "1E-05") outside 1E-4..1E15.
// Empty for a value that is not finite.
std::u16string FormatGeneralNumber(double value);

// A whole text as an invariant number: a type mismatch when it is not one, an overflow
// when it is one beyond the range of a double.
Expected<double> ParseInvariantNumber(std::u16string_view text);

// "True" or "False" in any case, or "#TRUE#" or "#FALSE#", without blanks.
std::optional<bool> ParseBooleanName(std::u16string_view text);

// ISO text of a date: "YYYY-MM-DD", with "THH:MM:SS" when it has a time of day. Empty
// outside the years 100 to 9999.
std::u16string FormatIsoDate(OleDate value);

// A four-digit year, the month and the day (one or two digits each) joined by "-",
// optionally followed by a blank and a time "H:MM" or "H:MM:SS" (the hour with one or two
// digits); blanks around allowed; years 100 to 9999. With allowIsoSeparator, "T" may take
// the place of the blank, as in the tools' own arguments (the platform does not read it).
std::optional<OleDate> ParseIsoDate(std::u16string_view text, bool allowIsoSeparator = false);

}  // namespace cadencer
