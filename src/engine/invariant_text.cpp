// Invariant number, Boolean and date text.
#include "engine/invariant_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace cadencer {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}
char16_t Upper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view upper) {
    if (a.size() != upper.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != upper[i]) return false;
    return true;
}

// Whole numbers after "&H" or "&O"; larger values are read differently for each target
// type by the platform (16 bits as a negative Integer, 32 as a Long), so they are refused.
std::optional<double> ParseRadixNumber(std::u16string_view digits, int radix) {
    if (digits.empty()) return std::nullopt;
    long value = 0;
    for (char16_t c : digits) {
        int d;
        if (IsDigit(c))
            d = c - u'0';
        else if (radix == 16 && Upper(c) >= u'A' && Upper(c) <= u'F')
            d = Upper(c) - u'A' + 10;
        else
            return std::nullopt;
        if (d >= radix) return std::nullopt;
        value = value * radix + d;
        if (value > 0x7FFF) return std::nullopt;
    }
    return static_cast<double>(value);
}

// Digits, an optional "." fraction, an optional exponent; at least one mantissa digit.
bool IsDecimalForm(std::u16string_view s) {
    std::size_t i = 0, mantissaDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    if (i < s.size() && s[i] == u'.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) ++i;
        const std::size_t exponentStart = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i == exponentStart) return false;
    }
    return i == s.size();
}

// The power of ten of a decimal form's first significant digit ("123" 2, "0.05e-3" -5);
// below zero for a number smaller than one.
long DecimalOrder(const std::string& s) {
    const std::size_t e = s.find_first_of("eE");
    const std::string mantissa = s.substr(0, e);
    long exponent = 0;
    if (e != std::string::npos) {
        const char* first = s.data() + e + 1;
        if (*first == '+') ++first;
        if (std::from_chars(first, s.data() + s.size(), exponent).ec != std::errc())
            exponent = (s[e + 1] == '-') ? -100000 : 100000;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t firstDigit = mantissa.find_first_of("123456789");
    if (firstDigit == std::string::npos) return -1;  // zero never overflows
    const long order =
        firstDigit < point ? static_cast<long>(point - firstDigit) - 1 : -static_cast<long>(firstDigit - point);
    return order + exponent;
}

}  // namespace

std::u16string FormatGeneralNumber(double value) {
    if (!std::isfinite(value)) return {};
    if (value == 0) return u"0";  // also for -0, as the platform writes it
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::u16string text;
    for (const char* p = buffer; p != result.ptr; ++p) text += *p == 'e' ? u'E' : static_cast<char16_t>(*p);
    return text;
}

Expected<double> ParseInvariantNumber(std::u16string_view text) {
    text = Trim(text);
    bool negative = false;
    if (text.size() >= 2 && text.front() == u'(' && text.back() == u')') {
        negative = true;
        text = text.substr(1, text.size() - 2);
    } else if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.size() >= 2 && text[0] == u'&') {
        const char16_t radix = Upper(text[1]);
        if (radix != u'H' && radix != u'O') return ValueError::TypeMismatch;
        const auto value = ParseRadixNumber(text.substr(2), radix == u'H' ? 16 : 8);
        if (!value) return ValueError::TypeMismatch;
        return negative ? -*value : *value;
    }
    if (!IsDecimalForm(text)) return ValueError::TypeMismatch;
    const std::string ascii(text.begin(), text.end());
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero, as the platform reads it; too large overflows.
        if (DecimalOrder(ascii) >= 0) return ValueError::Overflow;
        return negative ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size() || !std::isfinite(value))
        return ValueError::TypeMismatch;
    return negative ? -value : value;
}

std::optional<bool> ParseBooleanName(std::u16string_view text) {
    // The platform takes the names in any case, the literals in capitals, neither with blanks.
    if (EqualsIgnoringCase(text, u"TRUE") || text == u"#TRUE#") return true;
    if (EqualsIgnoringCase(text, u"FALSE") || text == u"#FALSE#") return false;
    return std::nullopt;
}

std::u16string FormatIsoDate(OleDate value) {
    const auto f = Decompose(value);
    if (!f) return {};
    auto append = [](std::u16string& out, int number, int width) {
        char digits[8];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        for (auto n = end - digits; n < width; ++n) out += u'0';
        out.append(digits, end);
    };
    std::u16string text;
    append(text, f->year, 4);
    text += u'-';
    append(text, f->month, 2);
    text += u'-';
    append(text, f->day, 2);
    if (f->hour != 0 || f->minute != 0 || f->second != 0) {
        text += u'T';
        append(text, f->hour, 2);
        text += u':';
        append(text, f->minute, 2);
        text += u':';
        append(text, f->second, 2);
    }
    return text;
}

std::optional<OleDate> ParseIsoDate(std::u16string_view text, bool allowIsoSeparator) {
    text = Trim(text);
    std::size_t pos = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) -> std::optional<int> {
        int value = 0;
        std::size_t digits = 0;
        for (; pos < text.size() && IsDigit(text[pos]) && digits < maxDigits; ++pos, ++digits)
            value = value * 10 + (text[pos] - u'0');
        if (digits < minDigits) return std::nullopt;
        return value;
    };
    auto skip = [&](char16_t c) {
        if (pos >= text.size() || text[pos] != c) return false;
        ++pos;
        return true;
    };
    const auto year = number(4, 4);
    const auto month = year && skip(u'-') ? number(1, 2) : std::nullopt;
    const auto day = month && skip(u'-') ? number(1, 2) : std::nullopt;
    if (!day) return std::nullopt;
    DateTimeFields f{*year, *month, *day, 0, 0, 0};
    if (pos < text.size()) {
        if (!skip(u' ') && !(allowIsoSeparator && skip(u'T'))) return std::nullopt;
        const auto hour = number(1, 2);
        const auto minute = hour && skip(u':') ? number(2, 2) : std::nullopt;
        if (!minute) return std::nullopt;
        f.hour = *hour;
        f.minute = *minute;
        if (skip(u':')) {
            const auto second = number(2, 2);
            if (!second) return std::nullopt;
            f.second = *second;
        }
        if (pos != text.size()) return std::nullopt;
    }
    return Compose(f);
}

}  // namespace cadencer
