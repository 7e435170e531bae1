// DigitfieldModel: loading and saving the 13 properties through the property-bag port.
// Values keep their types: a Value or limit stored as a string reads back as a string.
#include "numberentry/digitfield_model.h"

#include "numberentry/number_text.h"

namespace cadencer::numberentry {
namespace {

Variant DefaultColor(std::uint32_t color) {
    return Variant::I32(static_cast<std::int32_t>(color));
}

// Reads a key; a missing key, a storage error or a value the check refuses gives the default.
template <class Check>
Variant ReadOr(PropertyBag& bag, std::u16string_view key, const Variant& defaultValue, Check usable) {
    auto read = ReadProperty(bag, key, defaultValue);
    if (!read || !usable(*read)) return defaultValue;
    return *read;
}

bool ReadBool(PropertyBag& bag, std::u16string_view key, bool defaultValue) {
    const auto v = ReadOr(bag, key, Variant::Bool(defaultValue), [](const Variant& x) { return x.ToBool().ok(); });
    return *v.ToBool();
}

// OLE colours are stored as 32-bit integers; system colours have the high bit set and so
// read back negative, which is the same bit pattern. A colour written by another tool as
// an unsigned number is accepted too.
std::uint32_t ReadColor(PropertyBag& bag, std::u16string_view key, std::uint32_t defaultValue) {
    auto read = ReadProperty(bag, key, DefaultColor(defaultValue));
    if (!read) return defaultValue;
    if (const auto i = read->ToI32()) return static_cast<std::uint32_t>(*i);
    if (const auto d = read->ToDouble(); d && *d >= 0 && *d <= 4294967295.0 && *d == static_cast<std::uint32_t>(*d))
        return static_cast<std::uint32_t>(*d);
    return defaultValue;
}

bool NotAnObject(const Variant& v) {
    return v.Type() != VariantType::Object;
}

}  // namespace

void DigitfieldModel::ReadProperties(PropertyBag& bag, const ObjectRef& ambientFont) {
    const Variant font = ReadOr(bag, u"Font", Variant::Object(ambientFont),
                                [](const Variant& v) { return v.Type() == VariantType::Object; });
    font_ = font.AsObject();

    const Variant format =
        ReadOr(bag, u"Format", Variant::String(kDefaultFormat), [](const Variant& v) { return v.ToString().ok(); });
    format_ = *format.ToString();
    maxLength_ = ComputeMaxLength(format_);

    enabled_ = ReadBool(bag, u"Enabled", true);
    positiveOnly_ = ReadBool(bag, u"PositiveOnly", false);
    backColor_ = ReadColor(bag, u"BackColor", kDefaultBackColor);
    foreColor_ = ReadColor(bag, u"ForeColor", kDefaultForeColor);
    value_ = ReadOr(bag, u"Value", Variant::String(u""), NotAnObject);
    maxValue_ = ReadOr(bag, u"MaxValue", Variant::Double(kDefaultMaxValue), NotAnObject);
    minValue_ = ReadOr(bag, u"MinValue", Variant::I16(0), NotAnObject);
    useMaxMinValues_ = ReadBool(bag, u"UseMaxMinValues", false);
    locked_ = ReadBool(bag, u"Locked", false);
    upDownFunction_ = ReadBool(bag, u"UpDownFunction", false);
    const Variant increment =
        ReadOr(bag, u"UpDownIncrement", Variant::I16(1), [](const Variant& v) { return v.ToI16().ok(); });
    upDownIncrement_ = *increment.ToI16();

    ApplyAllToPlatform();
    AssignTextOfValue(value_, workText_);
    CleanAndFormat();
    ShowText(workText_);
}

Expected<bool> DigitfieldModel::WriteProperties(PropertyBag& bag, const ObjectRef& ambientFont) const {
    const struct {
        const char16_t* key;
        Variant value;
        Variant defaultValue;
    } entries[] = {
        {u"Font", Variant::Object(font_), Variant::Object(ambientFont)},
        {u"Value", value_, Variant::String(u"")},
        {u"MaxValue", maxValue_, Variant::Double(kDefaultMaxValue)},
        {u"MinValue", minValue_, Variant::I16(0)},
        {u"UseMaxMinValues", Variant::Bool(useMaxMinValues_), Variant::Bool(false)},
        {u"Format", Variant::String(format_), Variant::String(kDefaultFormat)},
        {u"Enabled", Variant::Bool(enabled_), Variant::Bool(true)},
        {u"PositiveOnly", Variant::Bool(positiveOnly_), Variant::Bool(false)},
        {u"BackColor", DefaultColor(backColor_), DefaultColor(kDefaultBackColor)},
        {u"ForeColor", DefaultColor(foreColor_), DefaultColor(kDefaultForeColor)},
        {u"Locked", Variant::Bool(locked_), Variant::Bool(false)},
        {u"UpDownFunction", Variant::Bool(upDownFunction_), Variant::Bool(false)},
        {u"UpDownIncrement", Variant::I16(upDownIncrement_), Variant::I16(1)},
    };
    for (const auto& e : entries) {
        // A control without a font object (none assigned, no ambient font) stores none.
        if (e.value.Type() == VariantType::Object && !e.value.AsObject()) continue;
        const auto written = WriteProperty(bag, e.key, e.value, e.defaultValue);
        if (!written) return written.error();
    }
    return true;
}

}  // namespace cadencer::numberentry
