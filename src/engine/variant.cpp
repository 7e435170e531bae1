// Variant's invariant conversions (the table in variant.h).
#include "engine/variant.h"

#include <cmath>
#include <limits>

#include "engine/invariant_text.h"

namespace cadencer {
namespace {

template <class Int>
Expected<Int> RoundToInt(double v) {
    if (!std::isfinite(v)) return ValueError::Overflow;
    const double r = std::nearbyint(v);  // the default rounding mode: halves to the even neighbour
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return ValueError::Overflow;
    return static_cast<Int>(r);
}

}  // namespace

Expected<double> Variant::ToDouble() const {
    switch (Type()) {
        case VariantType::Empty:
            return 0.0;
        case VariantType::Bool:
            return AsBool() ? -1.0 : 0.0;
        case VariantType::I16:
            return static_cast<double>(AsI16());
        case VariantType::I32:
            return static_cast<double>(AsI32());
        case VariantType::Double:
            return AsDouble();
        case VariantType::Date:
            return AsDate();
        case VariantType::String:
            return ParseInvariantNumber(AsString());
        case VariantType::Object:
            return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

Expected<bool> Variant::ToBool() const {
    if (Type() == VariantType::Bool) return AsBool();
    if (Type() == VariantType::String) {
        if (const auto named = ParseBooleanName(AsString())) return *named;
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
    if (Type() == VariantType::String) {
        if (const auto date = ParseIsoDate(AsString())) return *date;
        return ValueError::TypeMismatch;
    }
    const auto d = ToDouble();
    if (!d) return d.error();
    if (!IsValidOleDate(*d)) return ValueError::Overflow;
    return *d;
}

Expected<std::u16string> Variant::ToString() const {
    switch (Type()) {
        case VariantType::Empty:
            return std::u16string();
        case VariantType::Bool:
            return std::u16string(AsBool() ? u"True" : u"False");
        case VariantType::I16:
            return FormatGeneralNumber(AsI16());
        case VariantType::I32:
            return FormatGeneralNumber(AsI32());
        case VariantType::Double:
            if (!std::isfinite(AsDouble())) return ValueError::TypeMismatch;
            return FormatGeneralNumber(AsDouble());
        case VariantType::String:
            return AsString();
        // A date's text is its locale's; the invariant side writes none (FormatIsoDate
        // gives the ISO form where a program wants one).
        case VariantType::Date:
        case VariantType::Object:
            return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

Expected<Variant> Variant::ChangeType(VariantType to) const {
    auto wrap = [](auto result, auto make) -> Expected<Variant> {
        if (!result) return result.error();
        return make(*result);
    };
    switch (to) {
        case VariantType::Empty:
            return Variant();
        case VariantType::Bool:
            return wrap(ToBool(), Variant::Bool);
        case VariantType::I16:
            return wrap(ToI16(), Variant::I16);
        case VariantType::I32:
            return wrap(ToI32(), Variant::I32);
        case VariantType::Double:
            return wrap(ToDouble(), Variant::Double);
        case VariantType::Date:
            return wrap(ToDate(), Variant::Date);
        case VariantType::String:
            return wrap(ToString(), Variant::String);
        case VariantType::Object:
            if (Type() == VariantType::Object || Type() == VariantType::Empty) return *this;
            return ValueError::TypeMismatch;
    }
    return ValueError::TypeMismatch;
}

}  // namespace cadencer
