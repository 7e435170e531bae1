// A small portable automation value (empty, Boolean, 16/32-bit integers, double, date,
// string, platform object) and its conversions: the invariant subset of the platform's.
//
// The platform converts text with the user's locale; the portable side has no locale and
// keeps only the part of those conversions whose meaning no locale changes. The rule is a
// strict subset: whenever Variant converts a value, the result is the one the platform
// gives in its invariant locale; otherwise Variant refuses. Values arriving at the COM
// boundary are converted by the platform itself (component/variant_bridge.h); this subset
// serves the native side (cadencer-next, the portable tests, bags kept in memory).
//
//   from \ to  Bool        I16 / I32              Double      Date             String
//   Empty      false       0                      0           0 (1899-12-30)   ""
//   Bool       itself      -1 / 0                 -1 / 0      -1 / 0           "True" / "False"
//   I16, I32   not 0       range-checked          exact       range-checked    decimal digits
//   Double     not 0       halves to even,        itself      range-checked    15 significant
//                          range-checked                                       digits, "." and
//                                                                              "1E+15" exponents
//   Date       not 0       its value rounded,     its value   itself           refused
//                          range-checked
//   String     see below   the number text below  the number  the date text    itself
//                          rounded, range-checked text below  below
//   Object     refused     refused                refused     refused          refused
//
// Number text: blanks (space, tab) around it; a leading "+" or "-", or parentheses for a
// negative number ("(5)" is -5); digits with an optional "." fraction and an optional
// exponent ("1E3", "2.5e-1"); or "&H" / "&O" and hexadecimal or octal digits for a whole
// number from 0 to 32767 (larger ones mean different numbers for different target types).
// The number is read correctly rounded (the platform's reading of a long fraction may
// differ in the last binary digit); one too small for a double is 0.
// Refused: thousands separators ("1,000" is one thousand in some locales and one in
// others), currency signs, trailing signs, other white space, and anything else.
// Boolean text: "True" or "False" in any case, "#TRUE#" or "#FALSE#", each without
// blanks, or number text (not 0 is true).
// Date text: a four-digit year, the month and the day joined by "-" ("2026-03-10",
// "2026-3-1"), optionally a blank and "H:MM" or "H:MM:SS"; years 100 to 9999, real days
// and times only. "03/10/2026" means different days in different locales, and a bare
// number ("46091") is no date to the platform.
// A date outside the years 100 to 9999, an integer outside its type and a non-finite
// double are overflows; a value that cannot be read as the type is a type mismatch.
// Conversions to Object accept objects and Empty only; Empty accepts anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "engine/ole_date.h"

namespace cadencer {

// An object owned by the platform side (a picture or a font on Windows). Handle() is the
// platform handle it wraps; 0 means an empty object.
class PlatformObject {
public:
    virtual ~PlatformObject() = default;
    virtual std::uint64_t Handle() const = 0;
};
using ObjectRef = std::shared_ptr<PlatformObject>;

struct DateValue {
    OleDate value = 0;
    friend bool operator==(const DateValue&, const DateValue&) = default;
};

enum class VariantType { Empty, Bool, I16, I32, Double, Date, String, Object };

enum class ValueError {
    TypeMismatch,  // the value cannot be read as the wanted type
    Overflow,      // it can, but lies outside the type's range
    Storage,       // the container's store failed
};

template <class T>
class Expected {
public:
    Expected(T value) : state_(std::move(value)) {}
    Expected(ValueError error) : state_(error) {}
    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(state_); }
    T& value() { return std::get<0>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    ValueError error() const { return std::get<1>(state_); }

private:
    std::variant<T, ValueError> state_;
};

class Variant {
public:
    Variant() = default;
    static Variant Bool(bool v) { return Variant(Storage{std::in_place_index<1>, v}); }
    static Variant I16(std::int16_t v) { return Variant(Storage{std::in_place_index<2>, v}); }
    static Variant I32(std::int32_t v) { return Variant(Storage{std::in_place_index<3>, v}); }
    static Variant Double(double v) { return Variant(Storage{std::in_place_index<4>, v}); }
    static Variant Date(OleDate v) { return Variant(Storage{std::in_place_index<5>, DateValue{v}}); }
    static Variant String(std::u16string v) { return Variant(Storage{std::in_place_index<6>, std::move(v)}); }
    static Variant Object(ObjectRef v) { return Variant(Storage{std::in_place_index<7>, std::move(v)}); }

    VariantType Type() const { return static_cast<VariantType>(value_.index()); }
    bool IsEmpty() const { return Type() == VariantType::Empty; }

    // The stored value as it is; only valid for the matching type.
    bool AsBool() const { return std::get<1>(value_); }
    std::int16_t AsI16() const { return std::get<2>(value_); }
    std::int32_t AsI32() const { return std::get<3>(value_); }
    double AsDouble() const { return std::get<4>(value_); }
    OleDate AsDate() const { return std::get<5>(value_).value; }
    const std::u16string& AsString() const { return std::get<6>(value_); }
    const ObjectRef& AsObject() const { return std::get<7>(value_); }

    // The invariant conversions of the table above.
    Expected<bool> ToBool() const;
    Expected<std::int16_t> ToI16() const;
    Expected<std::int32_t> ToI32() const;
    Expected<double> ToDouble() const;
    Expected<OleDate> ToDate() const;
    Expected<std::u16string> ToString() const;
    Expected<Variant> ChangeType(VariantType to) const;

    // Same type and same value (objects by identity); what a property bag compares
    // against a default to decide that nothing needs storing.
    friend bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

private:
    using Storage =
        std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, DateValue, std::u16string, ObjectRef>;
    explicit Variant(Storage s) : value_(std::move(s)) {}
    Storage value_;
};

}  // namespace cadencer
