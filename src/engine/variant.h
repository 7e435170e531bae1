// A small portable automation value (empty, Boolean, 16/32-bit integers, double, date,
// string, platform object) with the platform's conversion rules, and the property-bag
// port through which controls persist their properties. Conversions never go through
// locale text: numbers use "." and dates an ISO form.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

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

    VariantType type() const { return static_cast<VariantType>(value_.index()); }
    bool is_empty() const { return type() == VariantType::Empty; }

    // Direct access; only valid for the matching type.
    bool bool_value() const { return std::get<1>(value_); }
    std::int16_t i16() const { return std::get<2>(value_); }
    std::int32_t i32() const { return std::get<3>(value_); }
    double dbl() const { return std::get<4>(value_); }
    OleDate date() const { return std::get<5>(value_).value; }
    const std::u16string& str() const { return std::get<6>(value_); }
    const ObjectRef& object() const { return std::get<7>(value_); }

    // The platform's coercions: numbers round half to even into integers, Booleans are
    // -1/0, strings parse as invariant numbers ("True"/"False" for Booleans, ISO or a
    // number for dates), empty converts to zero, false or "".
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
    using Storage = std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, DateValue,
                                 std::u16string, ObjectRef>;
    explicit Variant(Storage s) : value_(std::move(s)) {}
    Storage value_;
};

// Text of a number as the platform's general conversion writes it: up to 15 significant
// digits, "." as the decimal point, an exponent ("1E+15", "1E-05") outside 1E-4..1E15.
std::u16string FormatGeneralNumber(double value);
// A whole text as an invariant number (blanks around it allowed); empty on failure.
std::optional<double> ParseInvariantNumber(std::u16string_view text);
// ISO text of a date: "YYYY-MM-DD", with "THH:MM:SS" when it has a time of day.
std::u16string FormatIsoDate(OleDate value);
std::optional<OleDate> ParseIsoDate(std::u16string_view text);

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// The property-bag port. Keys match without regard to case, as the platform's bags do.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // The stored value, an empty optional when the key is absent, or a storage error.
    virtual Expected<std::optional<Variant>> Get(std::u16string_view key) = 0;
    virtual Expected<bool> Put(std::u16string_view key, const Variant& value) = 0;
};

// Reads a key, giving the default when it is absent.
Expected<Variant> ReadProperty(PropertyBag& bag, std::u16string_view key, const Variant& defaultValue);
// Writes a key unless the value equals the default; returns false on a storage error.
Expected<bool> WriteProperty(PropertyBag& bag, std::u16string_view key, const Variant& value,
                             const Variant& defaultValue);

bool KeysEqualIgnoringCase(std::u16string_view a, std::u16string_view b);

// An in-memory bag that keeps keys in the order they were first written.
class MemoryPropertyBag : public PropertyBag {
public:
    Expected<std::optional<Variant>> Get(std::u16string_view key) override;
    Expected<bool> Put(std::u16string_view key, const Variant& value) override;

    const std::vector<std::pair<std::u16string, Variant>>& entries() const { return entries_; }
    bool Contains(std::u16string_view key) const;
    void Clear() { entries_.clear(); }

private:
    std::vector<std::pair<std::u16string, Variant>> entries_;
};

}  // namespace cadencer
