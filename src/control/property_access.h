// A property's value reached through its row of the property table: the C++ type of each
// automation type, the field a row names, a new control's value (the default column),
// the correction a let makes (the fix column) and a value as a portable Variant and back.
// Everything that handles properties one by one (the core's lets and persistence, the
// property pages' model) goes through these instead of naming the properties.
//
// Portable and header-only: the property pages' model uses it without the control core.
#pragma once

#include <type_traits>
#include <utility>
#include <variant>

#include "control/property_table.h"
#include "engine/schedule_settings.h"
#include "engine/variant.h"

namespace cadencer::control {

// The C++ type that holds a value of each automation type in the records.
template <PropertyType type>
struct ValueTypeOf {
    using Type = std::int32_t;  // Long and the enumerations (kept as their raw values)
};
template <>
struct ValueTypeOf<PropertyType::Boolean> {
    using Type = bool;
};
template <>
struct ValueTypeOf<PropertyType::Integer> {
    using Type = std::int16_t;
};
template <>
struct ValueTypeOf<PropertyType::Date> {
    using Type = OleDate;
};
template <>
struct ValueTypeOf<PropertyType::String> {
    using Type = std::u16string;
};
template <>
struct ValueTypeOf<PropertyType::Picture> {
    using Type = ObjectRef;
};
template <PropertyType type>
using ValueOf = typename ValueTypeOf<type>::Type;
// What a let takes: a text as a view, every other value as it is held.
template <PropertyType type>
using LetArgument = std::conditional_t<type == PropertyType::String, std::u16string_view, ValueOf<type>>;

namespace access_detail {
template <class Member, class... Alternatives>
constexpr bool IsOneOf(const std::variant<Alternatives...>*) {
    return (std::is_same_v<Member, Alternatives> || ...);
}
template <class Member>
inline constexpr bool kIsFieldKind = IsOneOf<Member>(static_cast<const PropertyField*>(nullptr));
template <class Member>
struct MemberOf;
template <class T, class R>
struct MemberOf<T R::*> {
    using Record = R;
    using Value = T;
};
}  // namespace access_detail

// The field of type T that a row names in these records (const records give a const
// field); null when the row's field is not a T.
template <class T, class Shared, class Own>
auto* FieldIn(const PropertyField& field, Shared& shared, Own& own) {
    static_assert(std::is_same_v<std::remove_const_t<Shared>, ScheduleSettings> &&
                  std::is_same_v<std::remove_const_t<Own>, InstanceSettings>);
    using Out = std::conditional_t<std::is_const_v<Own>, const T, T>;
    Out* out = nullptr;
    if constexpr (access_detail::kIsFieldKind<T ScheduleSettings::*>)
        if (const auto* member = std::get_if<T ScheduleSettings::*>(&field)) out = &(shared.**member);
    if constexpr (access_detail::kIsFieldKind<T InstanceSettings::*>)
        if (const auto* member = std::get_if<T InstanceSettings::*>(&field)) out = &(own.**member);
    return out;
}

// No record of that kind, for VisitField.
inline constexpr ScheduleSettings* kNoSharedRecord = nullptr;
inline constexpr InstanceSettings* kNoOwnRecord = nullptr;

// Calls fn(field) with the typed field a row names, when its record is given (not null);
// a row of the other record, or without a field, is skipped. Const records give const fields.
template <class Shared, class Own, class Fn>
void VisitField(const PropertyRow& row, Shared* shared, Own* own, Fn&& fn) {
    static_assert(std::is_same_v<std::remove_const_t<Shared>, ScheduleSettings> &&
                  std::is_same_v<std::remove_const_t<Own>, InstanceSettings>);
    std::visit(
        [&](auto member) {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, std::monostate>) {
                return;
            } else if constexpr (std::is_same_v<typename access_detail::MemberOf<Member>::Record, ScheduleSettings>) {
                if (shared) fn(shared->*member);
            } else {
                if (own) fn(own->*member);
            }
        },
        row.field);
}

// What a new control's defaults depend on.
struct NewControl {
    OleDate creationDay = kZeroDate;
    OleDate now = kZeroDate;
    ObjectRef icon;  // the control's default icon
};

// A new control's value for a row: its default column.
template <class T>
T DefaultValue(const PropertyRow& row, const NewControl& control) {
    using Kind = PropertyDefault::Kind;
    switch (row.def.kind) {
        case Kind::Value:
            if constexpr (std::is_same_v<T, std::u16string>)
                return T(row.def.text);
            else if constexpr (std::is_same_v<T, bool>)
                return row.def.number != 0;
            else if constexpr (std::is_integral_v<T>)
                return static_cast<T>(row.def.number);
            break;
        // Both dates default from the control's creation day.
        case Kind::CreationDay:
            if constexpr (std::is_same_v<T, OleDate>) return control.creationDay;
            break;
        case Kind::MonthAfterCreation:
            if constexpr (std::is_same_v<T, OleDate>) return DefaultEndDate(control.creationDay);
            break;
        case Kind::NeverRun:
            if constexpr (std::is_same_v<T, OleDate>) return NeverMarker(control.now);
            break;
        case Kind::ControlIcon:
            if constexpr (std::is_same_v<T, ObjectRef>) return control.icon;
            break;
        case Kind::None:
            break;
    }
    return T{};
}

// Sets the fields of the given records (null: left out) to a new control's values.
inline void ApplyDefaults(ScheduleSettings* shared, InstanceSettings* own, const NewControl& control) {
    for (const auto& row : kProperties)
        VisitField(row, shared, own,
                   [&](auto& field) { field = DefaultValue<std::remove_reference_t<decltype(field)>>(row, control); });
}

// The shared record of a control created on creationDay (its calendar date); now gives the
// never-run marker.
inline void ApplyNewControlDefaults(ScheduleSettings& settings, OleDate creationDay, OleDate now) {
    ApplyDefaults(&settings, kNoOwnRecord, NewControl{creationDay, now, {}});
}

// A new control's own fields; icon is its default icon.
inline void ApplyInstanceDefaults(InstanceSettings& own, const ObjectRef& icon) {
    ApplyDefaults(kNoSharedRecord, &own, NewControl{kZeroDate, kZeroDate, icon});
}

// The value a let stores for `value`: the row's correction applied (its fix column).
template <class T>
T Corrected(const PropertyRow& row, T value, const ObjectRef& controlIcon) {
    using Kind = LetCorrection::Kind;
    switch (row.fix.kind) {
        case Kind::OutOfRange:
            if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
                if (value < row.fix.low || value > row.fix.high) return static_cast<T>(row.fix.replacement);
            break;
        case Kind::EmptyText:
            if constexpr (std::is_same_v<T, std::u16string>)
                if (value.empty()) return T(row.def.text);
            break;
        case Kind::Selection:
            if constexpr (std::is_same_v<T, std::u16string>) return NormaliseSelection(value, row.width);
            break;
        case Kind::ControlIcon:
            if constexpr (std::is_same_v<T, ObjectRef>) return (value && value->Handle() != 0) ? value : controlIcon;
            break;
        case Kind::None:
            break;
    }
    return value;
}

// A value as a Variant of the bag type of its automation type: Booleans, Integers, Longs
// (the enumerations too), dates, strings and pictures.
template <class T>
Variant VariantOf(const T& value) {
    if constexpr (std::is_same_v<T, bool>)
        return Variant::Bool(value);
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return Variant::I16(value);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return Variant::I32(value);
    else if constexpr (std::is_same_v<T, OleDate>)
        return Variant::Date(value);
    else if constexpr (std::is_same_v<T, std::u16string>)
        return Variant::String(value);
    else
        return Variant::Object(value);
}

// The value type a Variant is asked to have for a field of type T.
template <class T>
constexpr VariantType VariantTypeFor() {
    if constexpr (std::is_same_v<T, bool>)
        return VariantType::Bool;
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return VariantType::I16;
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return VariantType::I32;
    else if constexpr (std::is_same_v<T, OleDate>)
        return VariantType::Date;
    else if constexpr (std::is_same_v<T, std::u16string>)
        return VariantType::String;
    else
        return VariantType::Object;
}

// A Variant converted to the C++ type of a field, as the Variant's own rules convert.
template <class T>
Expected<T> ValueFromVariant(const Variant& value) {
    if constexpr (std::is_same_v<T, bool>)
        return value.ToBool();
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return value.ToI16();
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return value.ToI32();
    else if constexpr (std::is_same_v<T, OleDate>)
        return value.ToDate();
    else if constexpr (std::is_same_v<T, std::u16string>)
        return value.ToString();
    else {
        static_assert(std::is_same_v<T, ObjectRef>);
        auto object = value.ChangeType(VariantType::Object);
        if (!object) return object.error();
        return object->IsEmpty() ? ObjectRef() : object->AsObject();
    }
}

}  // namespace cadencer::control
