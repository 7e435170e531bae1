// The control's persisted state: the new-instance defaults, and reading and writing the
// property bag. Which keys, in which orders, with which types and defaults comes from the
// property table (property_table.h); the steps that are not a plain "read a key into its
// field" or "write a field under its key" are spelt out in Load() and Save() around it.
#include <type_traits>

#include "control/cadencer_core.h"
#include "engine/next_run.h"

namespace cadencer::control {

namespace {

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
        const auto value = ReadProperty(bag_, row.name, VariantTypeFor<T>(), defaultValue);
        if (!value) return Fail(row, value.error());
        auto converted = ValueFromVariant<T>(*value);
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
    ApplyInstanceDefaults(own_, defaultIcon_);
}

// A bag's default is a new control's value, except when writing a key whose default is not
// a fixed value: the icon ("no object", so the icon is always written) and both dates. The
// dates default from the creation day, so a date left out because it equalled the day's
// default would come back as a later load's day: a schedule saved on its creation day would
// start later and end a month later at every load. Bags without the dates still read them
// from the creation day, as before.
Variant CadencerCore::BagDefault(const PropertyRow& row, bool forWriting) const {
    if (!IsPersisted(row) || (forWriting && row.def.kind != PropertyDefault::Kind::Value)) return Variant();
    const NewControl control{creationDay_, kZeroDate, defaultIcon_};
    Variant value;
    std::visit(
        [&](auto member) {
            if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                using T = typename access_detail::MemberOf<decltype(member)>::Value;
                value = VariantOf(DefaultValue<T>(row, control));
            }
        },
        row.field);
    return value;
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
    const auto readIntoField = [&](const PropertyRow& row) {
        VisitField(row, &shared, &own, [&](auto& field) {
            using T = std::remove_reference_t<decltype(field)>;
            T value{};
            if (!in.Read(row, BagDefault(row, false), value)) return;
            if constexpr (std::is_same_v<T, std::u16string>) {
                if (row.width != 0) value = FitSelection(value, row.width);  // step 2
            } else if constexpr (std::is_same_v<T, ObjectRef>) {
                if (!value || value->Handle() == 0) value = defaultIcon_;  // step 3
            }
            field = std::move(value);
        });
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
// values equal to their defaults are left out. The icon and both dates have no default for
// writing, so they are always written (the icon the default one when none was set). The first
// failure of the bag ends the writing at its key.
PersistStatus CadencerCore::Save(PropertyBag& bag) {
    for (const std::size_t index : kWriteSequence) {
        const PropertyRow& row = RowAt(index);
        Variant value;
        VisitField(row, &SharedSettings(), &own_, [&](const auto& field) {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(field)>, ObjectRef>)
                value = VariantOf(field ? field : defaultIcon_);  // the icon shown
            else
                value = VariantOf(field);
        });
        const auto written = WriteProperty(bag, row.name, value, BagDefault(row, true));
        if (!written) return PersistStatus::Failure(row.name, written.error());
    }
    return PersistStatus::Success();
}

}  // namespace cadencer::control
