// The control's persisted state: the new-instance defaults, and reading and writing the
// property bag. Which keys, in which orders, with which types and defaults comes from the
// property table (property_table.h); the steps that are not a plain "read a key into its
// field" or "write a field under its key" are spelt out in Load() and Save() around it.
#include <type_traits>

#include "control/cadencer_core.h"
#include "engine/next_run.h"

namespace cadencer::control {

namespace {

// The fields a row can point at, in this control and in the shared record.
struct Fields {
    ScheduleSettings& shared;
    InstanceSettings& own;

    template <class T>
    T& operator[](T ScheduleSettings::*member) const {
        return shared.*member;
    }
    template <class T>
    T& operator[](T InstanceSettings::*member) const {
        return own.*member;
    }
};

// A bag value converted to the C++ type of a field, as the bag's value types convert.
template <class T>
Expected<T> Converted(const Variant& value) {
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

// The value type a bag is asked for when it fills a field of type T.
template <class T>
constexpr VariantType WantedType() {
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

// A field's value as the bag receives it: Booleans, Integers, Longs (the enumerations
// too), dates, strings and pictures.
template <class T>
Variant AsBagValue(const T& field) {
    if constexpr (std::is_same_v<T, bool>)
        return Variant::Bool(field);
    else if constexpr (std::is_same_v<T, std::int16_t>)
        return Variant::I16(field);
    else if constexpr (std::is_same_v<T, std::int32_t>)
        return Variant::I32(field);
    else if constexpr (std::is_same_v<T, OleDate>)
        return Variant::Date(field);
    else if constexpr (std::is_same_v<T, std::u16string>)
        return Variant::String(field);
    else
        return Variant::Object(field);
}

// Reads keys with their defaults until the first failure (the bag's or a conversion's);
// from then on every read is skipped and the status names the failing key.
class BagReader {
public:
    explicit BagReader(PropertyBag& bag) : bag_(bag) {}
    bool failed() const { return !status_.ok; }
    const PersistStatus& status() const { return status_; }

    template <class T>
    bool Read(const PropertyRow& row, const Variant& defaultValue, T& out) {
        if (failed()) return false;
        // The bag converts a stored value to the field's type by its own rules (the
        // platform's, behind COM); the default is converted here.
        const auto value = ReadProperty(bag_, row.name, WantedType<T>(), defaultValue);
        if (!value) return Fail(row, value.error());
        auto converted = Converted<T>(*value);
        if (!converted) return Fail(row, converted.error());
        // A title or caption longer than a let takes is refused as an overflow.
        if constexpr (std::is_same_v<T, std::u16string>)
            if (row.width == 0 && converted->size() > kMaxTextLength) return Fail(row, ValueError::Overflow);
        out = std::move(converted.value());
        return true;
    }

private:
    bool Fail(const PropertyRow& row, ValueError error) {
        status_ = PersistStatus::Failure(row.name, error);
        return false;
    }
    PropertyBag& bag_;
    PersistStatus status_;
};

const PropertyRow& RowAt(std::size_t index) {
    return kProperties[index];
}

}  // namespace

void CadencerCore::InitNew() {
    // Straight into the fields: no change notices, no recomputation, timer left off.
    ApplyNewControlDefaults(SharedSettings(), creationDay_, Now());
    InitNewInstance();
}

void CadencerCore::InitNewInstance() {
    own_.CaptionHelpButton = defaults::kCaptionHelp;
    own_.Icon = defaultIcon_;
    own_.Modal = false;
    own_.ShowHelpButton = false;
    own_.StartUpLeft = 0;
    own_.StartUpPosition = static_cast<std::int32_t>(FormPosition::CenterOfScreen);
    own_.StartUpTop = 0;
    own_.Enabled = true;
}

Variant CadencerCore::BagDefault(const PropertyRow& row, bool forWriting) const {
    using Kind = PropertyDefault::Kind;
    switch (row.def.kind) {
        case Kind::Value:
            switch (row.type) {
                case PropertyType::Boolean:
                    return Variant::Bool(row.def.number != 0);
                case PropertyType::Integer:
                    return Variant::I16(static_cast<std::int16_t>(row.def.number));
                case PropertyType::String:
                    return Variant::String(std::u16string(row.def.text));
                default:  // Long and the enumerations
                    return Variant::I32(row.def.number);
            }
        // Both dates default from this instance's creation day, so a control saved on its
        // creation day and loaded later starts on the later day.
        case Kind::CreationDay:
            return Variant::Date(creationDay_);
        case Kind::MonthAfterCreation:
            return Variant::Date(DefaultEndDate(creationDay_));
        case Kind::ControlIcon:
            return forWriting ? Variant() : Variant::Object(defaultIcon_);
        case Kind::None:
            break;
    }
    return Variant();
}

// Reading, in the table's read order, stores each value straight into its field, without
// the lets' corrections. Around the plain reads:
//   1. after the first kReadsBeforeNeverMarker keys the reading stops if one of them
//      failed; otherwise LastScheduledTime becomes the never-run marker (not persisted:
//      a loaded control has never run);
//   2. a selection string is fitted to its width (cut, or filled with blanks), its
//      content untested;
//   3. a stored icon without an image gives the default icon;
//   4. Enabled, read last, goes through its let (next time with offset 1, timer
//      switched) but without a change notice: loading does not modify the host's form.
// The first failure stops the reading at its key: earlier fields keep their new values,
// later ones (Enabled included) are not touched.
PersistStatus CadencerCore::Load(PropertyBag& bag) {
    if (terminated_) return PersistStatus::Success();
    bool enabled = true;
    const PersistStatus status = ReadInto(bag, SharedSettings(), own_, enabled);
    if (!status.ok) return status;
    ApplyEnabled(enabled, false);  // step 4
    return status;
}

PersistStatus CadencerCore::CheckLoad(PropertyBag& bag) {
    if (terminated_) return PersistStatus::Success();
    ScheduleSettings shared = SharedSettings();
    InstanceSettings own = own_;
    bool enabled = true;
    return ReadInto(bag, shared, own, enabled);
}

PersistStatus CadencerCore::ReadInto(PropertyBag& bag, ScheduleSettings& shared, InstanceSettings& own, bool& enabled) {
    BagReader in(bag);
    const Fields fields{shared, own};
    const auto readIntoField = [&](const PropertyRow& row) {
        std::visit(
            [&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                    auto& field = fields[member];
                    using T = std::remove_reference_t<decltype(field)>;
                    T value{};
                    if (!in.Read(row, BagDefault(row, false), value)) return;
                    if constexpr (std::is_same_v<T, std::u16string>) {
                        if (row.width != 0) value = FitSelection(value, row.width);  // step 2
                    } else if constexpr (std::is_same_v<T, ObjectRef>) {
                        if (!value || value->Handle() == 0) value = defaultIcon_;  // step 3
                    }
                    field = std::move(value);
                }
            },
            row.field);
    };

    for (std::size_t i = 0; i < kReadsBeforeNeverMarker; ++i) readIntoField(RowAt(kReadSequence[i]));
    if (in.failed()) return in.status();
    shared.LastScheduledTime = NeverMarker(Now());  // step 1

    for (std::size_t i = kReadsBeforeNeverMarker; i + 1 < kReadSequence.size(); ++i)
        readIntoField(RowAt(kReadSequence[i]));

    const PropertyRow& enabledRow = RowAt(kReadSequence.back());
    in.Read(enabledRow, BagDefault(enabledRow, false), enabled);
    return in.status();
}

// Writing, in the table's write order: each field under its key with its default, so that
// values equal to their defaults are left out. The icon's default for writing is "no
// object", so the icon (the default one when none was set) is always written. The first
// failure of the bag ends the writing at its key.
PersistStatus CadencerCore::Save(PropertyBag& bag) {
    const Fields fields{SharedSettings(), own_};
    for (const std::size_t index : kWriteSequence) {
        const PropertyRow& row = RowAt(index);
        const Variant value = std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::monostate>)
                    return Variant();
                else if constexpr (std::is_same_v<decltype(member), ObjectRef InstanceSettings::*>)
                    return AsBagValue(Icon());
                else
                    return AsBagValue(fields[member]);
            },
            row.field);
        const auto written = WriteProperty(bag, row.name, value, BagDefault(row, true));
        if (!written) return PersistStatus::Failure(row.name, written.error());
    }
    return PersistStatus::Success();
}

}  // namespace cadencer::control
