// Text and number conversions of the numeric entry control. ApplyFormat runs numbered
// steps, one function each; the whole-part walk counts 1-based positions, as a reader of
// the format rules counts them.
#include "numberentry/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace cadencer::numberentry {
namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
bool IsPlaceholder(char16_t c) {
    return c == u'#' || c == u'0';
}

void AppendAscii(std::u16string& out, const char* first, const char* last) {
    for (; first != last; ++first) out.push_back(static_cast<char16_t>(*first));
}

void AppendInteger(std::u16string& out, std::int64_t value) {
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    AppendAscii(out, buf, result.ptr);
}

// Rewrites the exponent form that the general conversion produces ("1.5e+20", "2.5e-07")
// in plain decimal notation.
void AppendPlain(std::u16string& out, const char* first, const char* last) {
    if (first != last && *first == '-') {
        out.push_back(u'-');
        ++first;
    }
    std::string digits;
    const char* p = first;
    for (; p != last && *p != 'e'; ++p)
        if (*p != '.') digits.push_back(*p);
    int exponent = 0;
    if (p != last) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), last, exponent);
    // `exponent` is the power of ten of the first digit.
    if (exponent >= 0) {
        const std::size_t whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            AppendAscii(out, digits.data(), digits.data() + digits.size());
            out.append(whole - digits.size(), u'0');
        } else {
            AppendAscii(out, digits.data(), digits.data() + whole);
            out.push_back(u'.');
            AppendAscii(out, digits.data() + whole, digits.data() + digits.size());
        }
    } else {
        out.append(u"0.");
        out.append(static_cast<std::size_t>(-exponent - 1), u'0');
        AppendAscii(out, digits.data(), digits.data() + digits.size());
    }
}

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

std::size_t TrimStart(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

std::size_t TrimEnd(std::u16string_view s, std::size_t start) {
    std::size_t e = s.size();
    while (e > start && IsBlank(s[e - 1])) --e;
    return e;
}

std::size_t FindChar(std::u16string_view s, char16_t c) {
    return s.find(c);
}

// ---- The steps of ApplyFormat, numbered as it calls them ----

// 1. The section: the part before ";" for a number that is zero or positive, the part
// after it for a negative one.
std::u16string_view SectionFor(std::u16string_view format, bool isNonNegative) {
    const std::size_t semi = FindChar(format, u';');
    if (semi == std::u16string_view::npos) return format;
    return isNonNegative ? format.substr(0, semi) : format.substr(semi + 1);
}

// 2. Sign adjustment: whether a "-" leads the mask. Outside the focus a negative number
// takes one only when the format shows no sign of its own; inside the focus it always
// does, and a parenthesised format gives up its parentheses.
bool AdjustForSign(std::u16string_view format, const FormatOptions& options, std::u16string_view& section) {
    if (options.positiveOnly || options.isNonNegative) return false;
    const bool hasParen = FindChar(format, u'(') != std::u16string_view::npos;
    if (!options.gotFocus) return !hasParen && FindChar(format, u'-') == std::u16string_view::npos;
    if (hasParen) {
        section = format.substr(FindChar(format, u'(') + 1);
        if (!section.empty() && section.back() == u')') section.remove_suffix(1);
    }
    return true;
}

// 4. Points: a trailing point (not the only character) is dropped from either side.
struct PointedText {
    std::size_t length;  // without a dropped trailing point
    std::size_t point;   // 0-based; npos when absent or dropped
};

PointedText PointOf(std::u16string_view s) {
    PointedText result{s.size(), s.find(u'.')};
    if (result.point != std::u16string_view::npos && result.point + 1 == result.length && result.point > 0) {
        --result.length;
        result.point = std::u16string_view::npos;
    }
    return result;
}

// 5. Decimals, truncated. Digits go only into the placeholders that directly follow the
// point: a literal after them (the ")" of a negative section) is never overwritten.
void LayDecimals(PointedText number, std::u16string_view digits, std::size_t point, std::u16string& shown) {
    if (point == std::u16string::npos || number.point == std::u16string_view::npos) return;
    for (std::size_t t = point + 1, s = number.point + 1;
         t < shown.size() && s < number.length && IsPlaceholder(shown[t]); ++t, ++s)
        shown[t] = digits[s];
}

// 6. Whole part, right to left; digits without a placeholder are not shown.
void LayWholePart(PointedText number, std::u16string_view digits, std::size_t point, std::u16string& shown) {
    std::size_t tPos = point != std::u16string::npos ? point : shown.size();  // 1-based position + 1 of the walk start
    std::size_t sPos = number.point != std::u16string_view::npos ? number.point : number.length;
    while (tPos >= 1 && sPos >= 1) {
        if (digits[sPos - 1] == u'-') {
            --sPos;
            if (sPos == 0) break;
        }
        if (IsPlaceholder(shown[tPos - 1])) {
            shown[tPos - 1] = digits[sPos - 1];
            --sPos;
        }
        --tPos;
    }
}

// 7. Leading zeros that stand in optional places become placeholders again.
void RestoreOptionalPlaces(std::u16string_view formatMask, std::u16string& shown) {
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const char16_t c = shown[k];
        if ((c >= u'1' && c <= u'9') || c == u'.') break;
        if (c == u'0' && k < formatMask.size() && formatMask[k] == u'#') shown[k] = u'#';
    }
}

// 8. Blanking: placeholders, and commas that lead the number, become blanks.
void BlankPlaceholdersAndLeadingCommas(std::u16string& shown) {
    for (std::size_t k = 0; k < shown.size(); ++k) {
        if (shown[k] == u'#') {
            shown[k] = u' ';
        } else if (shown[k] == u',') {
            if (k == 0 || shown[k - 1] == u'-' || shown[k - 1] == u'(' || shown[k - 1] == u' ') shown[k] = u' ';
        }
    }
}

// 9. Trim.
void TrimBlanks(std::u16string& shown) {
    const std::size_t start = TrimStart(shown);
    const std::size_t end = TrimEnd(shown, start);
    if (start > 0 || end < shown.size()) shown = shown.substr(start, end - start);
}

// 10. Close the gap after the sign.
void CloseGapAfterSign(std::u16string& shown) {
    std::size_t v = shown.find(u'(');
    if (v == std::u16string::npos) v = shown.find(u'-');
    if (v == std::u16string::npos || v + 1 >= shown.size()) return;
    std::size_t after = v + 1;
    while (after < shown.size() && shown[after] == u' ') ++after;
    if (after > v + 1) {
        shown.erase(v + 1, after - v - 1);
        shown.erase(0, v);
    }
}

// Digits with at most one point, read by the general parser; a magnitude beyond the
// double range saturates (to the largest finite double, or to 0 when too small).
double ParsedDecimal(std::u16string_view number, bool wholeNonZero) {
    std::string ascii;
    ascii.reserve(number.size() + 1);
    for (const char16_t c : number) ascii.push_back(static_cast<char>(c));
    if (!ascii.empty() && ascii.front() == '.') ascii.insert(ascii.begin(), '0');
    if (!ascii.empty() && ascii.back() == '.') ascii.pop_back();
    double parsed = 0;
    const auto r = std::from_chars(ascii.data(), ascii.data() + ascii.size(), parsed);
    if (r.ec == std::errc::result_out_of_range) parsed = wholeNonZero ? DBL_MAX : 0.0;
    return parsed;
}

}  // namespace

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u00A0';
}

void AppendNumberText(double value, std::u16string& out) {
    if (!std::isfinite(value)) return;
    if (value == 0) {
        out.push_back(u'0');  // also for -0: the platform writes no sign for zero
        return;
    }
    if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
        AppendInteger(out, static_cast<std::int64_t>(value));
        return;
    }
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    const std::string_view text(buf, static_cast<std::size_t>(result.ptr - buf));
    if (text.find('e') == std::string_view::npos)
        AppendAscii(out, buf, result.ptr);
    else
        AppendPlain(out, buf, result.ptr);
}

void AssignTextOfValue(const Variant& value, std::u16string& out) {
    out.clear();
    switch (value.Type()) {
        case VariantType::Empty:
            return;
        case VariantType::Bool:
            out.append(value.AsBool() ? u"True" : u"False");
            return;
        case VariantType::I16:
            AppendInteger(out, value.AsI16());
            return;
        case VariantType::I32:
            AppendInteger(out, value.AsI32());
            return;
        case VariantType::Double:
            AppendNumberText(value.AsDouble(), out);
            return;
        case VariantType::Date:
            AppendNumberText(value.AsDate(), out);
            return;
        case VariantType::String:
            out.assign(value.AsString());
            return;
        case VariantType::Object:
            return;
    }
}

std::u16string TextOfValue(const Variant& value) {
    std::u16string out;
    AssignTextOfValue(value, out);
    return out;
}

double NumericValueOfText(std::u16string_view text) {
    std::size_t i = TrimStart(text);
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const std::size_t start = i;
    std::uint64_t mantissa = 0;
    int significant = 0, fraction = 0;
    bool point = false, anyDigit = false, exact = true, wholeNonZero = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsDigit(c)) {
            anyDigit = true;
            const unsigned d = c - u'0';
            if (!point && d != 0) wholeNonZero = true;
            if (mantissa == 0 && d == 0) {
                if (point) ++fraction;  // leading zeros of a fraction still shift it
                continue;
            }
            if (significant < 15) {
                mantissa = mantissa * 10 + d;
                ++significant;
                if (point) ++fraction;
            } else {
                exact = false;
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return 0.0;
    // Up to 15 digits fit a double exactly, and a division by an exact power of ten
    // rounds correctly: the common case needs no general parser.
    const double result = exact && fraction <= 22 ? static_cast<double>(mantissa) / kPowersOfTen[fraction]
                                                  : ParsedDecimal(text.substr(start, i - start), wholeNonZero);
    if (result == 0) return 0.0;  // "-0" reads as plain 0
    return negative ? -result : result;
}

bool CleanNumber(std::u16string& text, bool positiveOnly) {
    const std::size_t start = TrimStart(text);
    const std::size_t end = TrimEnd(text, start);
    std::size_t w = 0;
    bool point = false, nonZero = false;
    for (std::size_t r = start; r < end; ++r) {
        const char16_t c = text[r];
        if (IsDigit(c)) {
            nonZero = nonZero || c != u'0';
            text[w++] = c;
        } else if (c == u'.') {
            if (!point) text[w++] = c;
            point = true;
        } else if ((c == u'-' || c == u'(') && r == start) {
            text[w++] = u'-';
        }
    }
    text.resize(w);
    // A cleaned text is negative exactly when it carries the sign and a digit other than 0.
    const bool negative = w > 0 && text[0] == u'-' && nonZero;
    if (!negative) return true;
    if (positiveOnly) {
        text.erase(0, 1);
        return true;
    }
    return false;
}

double NumericValueOfCleaned(std::u16string_view text) {
    return NumericValueOfText(text);
}

double NumericValueOf(const Variant& value) {
    switch (value.Type()) {
        case VariantType::I16:
            return value.AsI16();
        case VariantType::I32:
            return value.AsI32();
        case VariantType::Empty:
        case VariantType::Object:
            return 0.0;
        default:
            break;
    }
    std::u16string text;
    AssignTextOfValue(value, text);
    CleanNumber(text, false);
    return NumericValueOfText(text);
}

std::int16_t ComputeMaxLength(std::u16string_view format) {
    std::size_t length;
    const std::size_t semi = FindChar(format, u';');
    if (semi == std::u16string_view::npos) {
        length = format.size();
    } else {
        const std::u16string_view left = format.substr(0, semi), right = format.substr(semi + 1);
        if (left.size() >= right.size())
            length = left.size();
        else
            length = right.size() - (right.back() == u')' ? 1 : 0);
    }
    return static_cast<std::int16_t>(std::min<std::size_t>(length, 32767));
}

void ApplyFormat(std::u16string& text, std::u16string_view format, const FormatOptions& options,
                 std::u16string& formatMask) {
    std::u16string_view section = SectionFor(format, options.isNonNegative);  // 1
    const bool prefixMinus = AdjustForSign(format, options, section);         // 2
    // 3. The mask and the output start as the section.
    formatMask.clear();
    if (prefixMinus) formatMask.push_back(u'-');
    formatMask.append(section);
    std::u16string shown = formatMask;
    const PointedText number = PointOf(text);  // 4
    const PointedText layout = PointOf(shown);
    shown.resize(layout.length);
    LayDecimals(number, text, layout.point, shown);   // 5
    LayWholePart(number, text, layout.point, shown);  // 6
    RestoreOptionalPlaces(formatMask, shown);         // 7
    BlankPlaceholdersAndLeadingCommas(shown);         // 8
    TrimBlanks(shown);                                // 9
    CloseGapAfterSign(shown);                         // 10
    text.swap(shown);                                 // 11
}

std::optional<std::int32_t> RoundToLong(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);  // default rounding mode: halves to even
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<std::int16_t> RoundToInteger(double value) {
    const auto r = RoundToLong(value);
    if (!r || *r < -32768 || *r > 32767) return std::nullopt;
    return static_cast<std::int16_t>(*r);
}

}  // namespace cadencer::numberentry
