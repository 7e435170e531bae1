// Variant conversions with the platform's rules, invariant number and date text, and the
// default-aware property-bag helpers.
#include "engine/variant.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace cadencer {
namespace {

std::u16string Ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
    return s;
}

template <class Int>
Expected<Int> RoundToInt(double v) {
    if (std::isnan(v)) return ValueError::Overflow;
    const double r = std::nearbyint(v);  // the default rounding mode: halves to the even neighbour
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return ValueError::Overflow;
    return static_cast<Int>(r);
}

}  // namespace

bool KeysEqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        std::uint32_t c;
        int extra;
        if (b < 0x80) { c = b; extra = 0; }
        else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; extra = 1; }
        else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; extra = 2; }
        else if ((b & 0xF8) == 0xF0) { c = b & 0x07; extra = 3; }
        else { out += u'\uFFFD'; ++i; continue; }
        bool bad = false;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) { bad = true; break; }
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        if (bad) { out += u'\uFFFD'; ++i; continue; }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::u16string FormatGeneralNumber(double value) {
    if (value == 0) return u"0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    std::string s = buf;
    // The C library writes at least two exponent digits, as the platform does ("1E+15", "1E-05").
    return Ascii(s);
}

std::optional<double> ParseInvariantNumber(std::u16string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 400) return std::nullopt;
    std::string ascii;
    for (char16_t c : text) {
        const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E';
        if (!allowed) return std::nullopt;
        ascii += static_cast<char>(c);
    }
    char* end = nullptr;
    const double v = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::u16string FormatIsoDate(OleDate value) {
    const auto f = Decompose(value);
    if (!f) return FormatGeneralNumber(value);
    char buf[32];
    if (f->hour == 0 && f->minute == 0 && f->second == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", f->year, f->month, f->day);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", f->year, f->month, f->day, f->hour, f->minute,
                      f->second);
    return Ascii(buf);
}

std::optional<OleDate> ParseIsoDate(std::u16string_view text) {
    text = Trim(text);
    auto digits = [&](std::size_t pos, std::size_t n) -> std::optional<int> {
        if (pos + n > text.size()) return std::nullopt;
        int v = 0;
        for (std::size_t i = pos; i < pos + n; ++i) {
            if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
            v = v * 10 + (text[i] - u'0');
        }
        return v;
    };
    DateTimeFields f;
    const auto y = digits(0, 4), mo = digits(5, 2), d = digits(8, 2);
    if (!y || !mo || !d || text.size() < 10 || text[4] != u'-' || text[7] != u'-') return std::nullopt;
    f.year = *y;
    f.month = *mo;
    f.day = *d;
    f.hour = f.minute = f.second = 0;
    if (text.size() != 10) {
        if (text.size() != 19 || (text[10] != u'T' && text[10] != u' ') || text[13] != u':' || text[16] != u':')
            return std::nullopt;
        const auto h = digits(11, 2), mi = digits(14, 2), s = digits(17, 2);
        if (!h || !mi || !s) return std::nullopt;
        f.hour = *h;
        f.minute = *mi;
        f.second = *s;
    }
    return Compose(f);
}

Expected<double> Variant::ToDouble() const {
    switch (type()) {
        case VariantType::Empty: return 0.0;
        case VariantType::Bool: return bool_value() ? -1.0 : 0.0;
        case VariantType::I16: return static_cast<double>(i16());
        case VariantType::I32: return static_cast<double>(i32());
        case VariantType::Double: return dbl();
        case VariantType::Date: return date();
        case VariantType::String: {
            if (const auto v = ParseInvariantNumber(str())) return *v;
            return ValueError::TypeMismatch;
        }
        case VariantType::Object: return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

Expected<bool> Variant::ToBool() const {
    if (type() == VariantType::Bool) return bool_value();
    if (type() == VariantType::String) {
        const auto t = Trim(str());
        if (KeysEqualIgnoringCase(t, u"True")) return true;
        if (KeysEqualIgnoringCase(t, u"False")) return false;
    }
    const auto d = ToDouble();
    if (!d) return d.error();
    return *d != 0.0;
}

Expected<std::int16_t> Variant::ToI16() const {
    const auto d = ToDouble();
    if (!d) return d.error();
    return RoundToInt<std::int16_t>(*d);
}

Expected<std::int32_t> Variant::ToI32() const {
    const auto d = ToDouble();
    if (!d) return d.error();
    return RoundToInt<std::int32_t>(*d);
}

Expected<OleDate> Variant::ToDate() const {
    if (type() == VariantType::String) {
        if (const auto iso = ParseIsoDate(str())) return *iso;
    }
    if (type() == VariantType::Bool) return ValueError::TypeMismatch;
    const auto d = ToDouble();
    if (!d) return d.error();
    if (!IsValidOleDate(*d)) return ValueError::Overflow;
    return *d;
}

Expected<std::u16string> Variant::ToString() const {
    switch (type()) {
        case VariantType::Empty: return std::u16string();
        case VariantType::Bool: return std::u16string(bool_value() ? u"True" : u"False");
        case VariantType::I16: return FormatGeneralNumber(i16());
        case VariantType::I32: return FormatGeneralNumber(i32());
        case VariantType::Double: return FormatGeneralNumber(dbl());
        case VariantType::Date: return FormatIsoDate(date());
        case VariantType::String: return str();
        case VariantType::Object: return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

Expected<Variant> Variant::ChangeType(VariantType to) const {
    auto wrap = [](auto result, auto make) -> Expected<Variant> {
        if (!result) return result.error();
        return make(*result);
    };
    switch (to) {
        case VariantType::Empty: return Variant();
        case VariantType::Bool: return wrap(ToBool(), Variant::Bool);
        case VariantType::I16: return wrap(ToI16(), Variant::I16);
        case VariantType::I32: return wrap(ToI32(), Variant::I32);
        case VariantType::Double: return wrap(ToDouble(), Variant::Double);
        case VariantType::Date: return wrap(ToDate(), Variant::Date);
        case VariantType::String: return wrap(ToString(), Variant::String);
        case VariantType::Object:
            if (type() == VariantType::Object || type() == VariantType::Empty) return *this;
            return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

Expected<Variant> ReadProperty(PropertyBag& bag, std::u16string_view key, const Variant& defaultValue) {
    auto stored = bag.Get(key);
    if (!stored) return stored.error();
    if (!stored.value().has_value()) return defaultValue;
    return *stored.value();
}

Expected<bool> WriteProperty(PropertyBag& bag, std::u16string_view key, const Variant& value,
                             const Variant& defaultValue) {
    if (value == defaultValue) return false;
    return bag.Put(key, value);
}

Expected<std::optional<Variant>> MemoryPropertyBag::Get(std::u16string_view key) {
    for (const auto& [k, v] : entries_)
        if (KeysEqualIgnoringCase(k, key)) return std::optional<Variant>(v);
    return std::optional<Variant>();
}

Expected<bool> MemoryPropertyBag::Put(std::u16string_view key, const Variant& value) {
    for (auto& [k, v] : entries_)
        if (KeysEqualIgnoringCase(k, key)) {
            v = value;
            return true;
        }
    entries_.emplace_back(std::u16string(key), value);
    return true;
}

bool MemoryPropertyBag::Contains(std::u16string_view key) const {
    for (const auto& entry : entries_)
        if (KeysEqualIgnoringCase(entry.first, key)) return true;
    return false;
}

}  // namespace cadencer
