// Text and number conversions of the numeric entry control: the text of a value, the
// numeric value of a text, the reduction of any text to a bare number (CleanNumber), the
// typing limit a display format implies (ComputeMaxLength) and the laying of a bare number
// into a display format (ApplyFormat). Pure functions over UTF-16 text; no platform calls,
// no locale: the decimal point is always ".".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/variant.h"

namespace cadencer::numberentry {

// Blanks as the control trims them: space, tab, line breaks and the no-break space, so
// that text pasted from elsewhere (often ending in a line break) cleans as expected.
bool IsBlank(char16_t c);

// Appends the text of a number as the platform's general conversion writes it (up to 15
// significant digits, "." as the point), but always in plain decimal notation: magnitudes
// that would need an exponent (1E+15 and beyond, 1E-05 and below) are written out in full
// ("1000000000000000", "0.00001"), so that cleaning them keeps their value. A value that is
// not finite has no text.
void AppendNumberText(double value, std::u16string& out);

// The text of a value: numbers as above, strings unchanged, an empty value as "", a date
// as its serial number, a Boolean as "True"/"False", an object as "".
std::u16string TextOfValue(const Variant& value);
void AssignTextOfValue(const Variant& value, std::u16string& out);

// The leading numeric part of a text, read from the left: blanks skipped, an optional sign,
// digits and at most one "."; reading stops at the first other character; 0 when there is
// no such part. Magnitudes beyond the double range saturate to the largest finite double.
double NumericValueOfText(std::u16string_view text);

// Reduces text in place to a bare number: digits, the first "." and a leading "-" (a "-"
// or "(" as the first character after trimming blanks). Returns whether the number is zero
// or positive; with positiveOnly a negative sign is dropped and the result counts as
// non-negative.
bool CleanNumber(std::u16string& text, bool positiveOnly);

// The numeric value a stored value stands for: the numeric value of its cleaned text, the
// sign kept. "(5.25)" and "1,234.50" (the control's own display forms) read as -5.25 and
// 1234.5, not as their leading digits.
double NumericValueOf(const Variant& value);
double NumericValueOfCleaned(std::u16string_view text);

// Typing limit implied by a display format; 0 means no limit. Capped at 32767.
std::int16_t ComputeMaxLength(std::u16string_view format);

struct FormatOptions {
    bool isNonNegative = true;  // sign of the cleaned number (as CleanNumber returned it)
    bool positiveOnly = false;
    bool gotFocus = false;  // inside the focus negatives show with "-" instead of parentheses
};

// Lays the cleaned number in `text` into `format`; the result replaces `text`. `formatMask`
// receives the format section chosen before digits were laid into it.
void ApplyFormat(std::u16string& text, std::u16string_view format, const FormatOptions& options,
                 std::u16string& formatMask);

// A number rounded to a whole number with halves going to the even neighbour, when the
// result fits the given range.
std::optional<std::int32_t> RoundToLong(double value);
std::optional<std::int16_t> RoundToInteger(double value);

}  // namespace cadencer::numberentry
