// The control's persisted state: the new-instance defaults, and reading and writing the
// 29 property-bag keys in their fixed order with their defaults.
#include "control/cadencer_core.h"

#include "engine/next_run.h"

namespace cadencer::control {

namespace {

Variant Str(std::u16string_view text) { return Variant::String(std::u16string(text)); }

// Reads one key with its default and converts it to the field's type; the first failure
// (the bag's or the conversion's) ends the reading at that key.
class BagReader {
public:
    explicit BagReader(PropertyBag& bag) : bag_(bag) {}
    bool failed() const { return failed_; }
    const PersistStatus& status() const { return status_; }

    // The bag converts a stored value to the field's type by its own rules (the
    // platform's, behind COM); the default is converted here.
    template <class T, class Convert>
    bool Read(std::u16string_view key, VariantType wanted, const Variant& defaultValue, T& field, Convert convert) {
        if (failed_) return false;
        const auto value = ReadProperty(bag_, key, wanted, defaultValue);
        if (!value) return Fail(key, value.error());
        auto converted = convert(*value);
        if (!converted) return Fail(key, converted.error());
        field = std::move(converted.value());
        return true;
    }

    bool Bool(std::u16string_view key, bool def, bool& field) {
        return Read(key, VariantType::Bool, Variant::Bool(def), field, [](const Variant& v) { return v.ToBool(); });
    }
    bool I16(std::u16string_view key, std::int16_t def, std::int16_t& field) {
        return Read(key, VariantType::I16, Variant::I16(def), field, [](const Variant& v) { return v.ToI16(); });
    }
    bool I32(std::u16string_view key, const Variant& def, std::int32_t& field) {
        return Read(key, VariantType::I32, def, field, [](const Variant& v) { return v.ToI32(); });
    }
    bool Date(std::u16string_view key, OleDate def, OleDate& field) {
        return Read(key, VariantType::Date, Variant::Date(def), field, [](const Variant& v) { return v.ToDate(); });
    }
    bool String(std::u16string_view key, std::u16string_view def, std::u16string& field) {
        return Read(key, VariantType::String, Str(def), field, [](const Variant& v) { return v.ToString(); });
    }

private:
    bool Fail(std::u16string_view key, ValueError error) {
        failed_ = true;
        status_ = PersistStatus::Failure(key, error);
        return false;
    }
    PropertyBag& bag_;
    bool failed_ = false;
    PersistStatus status_;
};

// Writes keys until the bag fails.
class BagWriter {
public:
    explicit BagWriter(PropertyBag& bag) : bag_(bag) {}
    const PersistStatus& status() const { return status_; }

    void Write(std::u16string_view key, const Variant& value, const Variant& defaultValue) {
        if (!status_.ok) return;
        const auto written = WriteProperty(bag_, key, value, defaultValue);
        if (!written) status_ = PersistStatus::Failure(key, written.error());
    }

private:
    PropertyBag& bag_;
    PersistStatus status_;
};

}  // namespace

void CadencerCore::InitNew() {
    // Straight into the fields: no change notices, no recomputation, timer left off.
    ApplyNewControlDefaults(S(), creationDay_, Now());
    captionHelpButton_ = defaults::kCaptionHelp;
    icon_ = defaultIcon_;
    modal_ = false;
    showHelpButton_ = false;
    startUpLeft_ = 0;
    startUpPosition_ = static_cast<std::int32_t>(FormPosition::CenterOfScreen);
    startUpTop_ = 0;
    enabled_ = true;
}

PersistStatus CadencerCore::Load(PropertyBag& bag) {
    if (terminated_) return PersistStatus::Success();
    BagReader in(bag);
    auto& s = S();
    // The values are stored as read, without the lets' corrections.
    in.String(u"Title", defaults::kTitle, s.Title);
    Variant picture;
    if (in.Read(u"Icon", VariantType::Object, Variant::Object(defaultIcon_), picture,
                [](const Variant& v) { return v.ChangeType(VariantType::Object); })) {
        const ObjectRef stored = picture.IsEmpty() ? ObjectRef() : picture.AsObject();
        icon_ = (stored && stored->Handle() != 0) ? stored : defaultIcon_;
    }
    in.Bool(u"Modal", false, modal_);
    in.Bool(u"ShowHelpButton", false, showHelpButton_);
    in.String(u"CaptionOKButtonBefore", defaults::kCaptionOK, s.CaptionOKButtonBefore);
    in.String(u"CaptionOKButtonAfter", defaults::kCaptionOK, s.CaptionOKButtonAfter);
    in.String(u"CaptionCloseButtonBefore", defaults::kCaptionCloseBefore, s.CaptionCloseButtonBefore);
    in.String(u"CaptionCloseButtonAfter", defaults::kCaptionCloseAfter, s.CaptionCloseButtonAfter);
    in.String(u"CaptionHelpButton", defaults::kCaptionHelp, captionHelpButton_);
    if (in.failed()) return in.status();

    // Never persisted: a loaded control has never run.
    s.LastScheduledTime = NeverMarker(Now());

    in.I32(u"StartUpPosition", Variant::I32(static_cast<std::int32_t>(FormPosition::CenterOfScreen)),
           startUpPosition_);
    in.I32(u"StartUpLeft", Variant::I16(0), startUpLeft_);
    in.I32(u"StartUpTop", Variant::I16(0), startUpTop_);
    in.I32(u"OccursOption", Variant::I32(static_cast<std::int32_t>(Occurs::Never)), s.OccursOption);
    in.I16(u"EveryInterval", defaults::kEveryInterval, s.EveryInterval);
    in.I32(u"EveryFrequency", Variant::I32(static_cast<std::int32_t>(EveryType::Hours)), s.EveryFrequency);
    in.I16(u"EveryHourMin", defaults::kEveryHourMin, s.EveryHourMin);
    in.I16(u"EveryHourMax", defaults::kEveryHourMax, s.EveryHourMax);
    in.I16(u"EveryHourIncrement", defaults::kEveryHourIncrement, s.EveryHourIncrement);
    in.I16(u"EveryMinuteMin", defaults::kEveryMinuteMin, s.EveryMinuteMin);
    in.I16(u"EveryMinuteMax", defaults::kEveryMinuteMax, s.EveryMinuteMax);
    in.I16(u"EveryMinuteIncrement", defaults::kEveryMinuteIncrement, s.EveryMinuteIncrement);
    in.I16(u"StartHour", defaults::kStartHour, s.StartHour);
    in.I16(u"StartMinute", defaults::kStartMinute, s.StartMinute);
    // Both defaults come from this instance's creation day, so a control saved on its
    // creation day and loaded later starts on the later day.
    in.Date(u"StartDate", creationDay_, s.StartDate);
    in.Date(u"EndDate", DefaultEndDate(creationDay_), s.EndDate);
    in.Bool(u"UseEndDate", false, s.UseEndDate);

    std::u16string text;
    if (in.String(u"SelectionsWeekly", defaults::kSelectionsWeekly, text))
        s.SelectionsWeekly = FitSelection(text, kWeeklyWidth);
    if (in.String(u"SelectionsMonthly", defaults::kSelectionsMonthly, text))
        s.SelectionsMonthly = FitSelection(text, kMonthlyWidth);

    bool enabled = true;
    if (!in.Bool(u"Enabled", true, enabled)) return in.status();
    // Through the Enabled let (next time with offset 1, timer switched), but without a
    // change notice: loading does not modify the host's form.
    ApplyEnabled(enabled, false);
    return PersistStatus::Success();
}

PersistStatus CadencerCore::Save(PropertyBag& bag) {
    BagWriter out(bag);
    const auto& s = S();
    out.Write(u"Enabled", Variant::Bool(enabled_), Variant::Bool(true));
    out.Write(u"Title", Str(s.Title), Str(defaults::kTitle));
    out.Write(u"Modal", Variant::Bool(modal_), Variant::Bool(false));
    out.Write(u"ShowHelpButton", Variant::Bool(showHelpButton_), Variant::Bool(false));
    out.Write(u"CaptionOKButtonBefore", Str(s.CaptionOKButtonBefore), Str(defaults::kCaptionOK));
    out.Write(u"CaptionOKButtonAfter", Str(s.CaptionOKButtonAfter), Str(defaults::kCaptionOK));
    out.Write(u"CaptionCloseButtonBefore", Str(s.CaptionCloseButtonBefore), Str(defaults::kCaptionCloseBefore));
    out.Write(u"CaptionCloseButtonAfter", Str(s.CaptionCloseButtonAfter), Str(defaults::kCaptionCloseAfter));
    out.Write(u"CaptionHelpButton", Str(captionHelpButton_), Str(defaults::kCaptionHelp));
    // The default is "no object", so the icon is always written.
    out.Write(u"Icon", Variant::Object(Icon()), Variant());
    out.Write(u"StartUpPosition", Variant::I32(startUpPosition_),
              Variant::I32(static_cast<std::int32_t>(FormPosition::CenterOfScreen)));
    out.Write(u"StartUpLeft", Variant::I32(startUpLeft_), Variant::I32(0));
    out.Write(u"StartUpTop", Variant::I32(startUpTop_), Variant::I32(0));
    out.Write(u"OccursOption", Variant::I32(s.OccursOption), Variant::I32(static_cast<std::int32_t>(Occurs::Never)));
    out.Write(u"EveryInterval", Variant::I16(s.EveryInterval), Variant::I16(defaults::kEveryInterval));
    out.Write(u"EveryFrequency", Variant::I32(s.EveryFrequency),
              Variant::I32(static_cast<std::int32_t>(EveryType::Hours)));
    out.Write(u"EveryHourMin", Variant::I16(s.EveryHourMin), Variant::I16(defaults::kEveryHourMin));
    out.Write(u"EveryHourMax", Variant::I16(s.EveryHourMax), Variant::I16(defaults::kEveryHourMax));
    out.Write(u"EveryHourIncrement", Variant::I16(s.EveryHourIncrement), Variant::I16(defaults::kEveryHourIncrement));
    out.Write(u"EveryMinuteMin", Variant::I16(s.EveryMinuteMin), Variant::I16(defaults::kEveryMinuteMin));
    out.Write(u"EveryMinuteMax", Variant::I16(s.EveryMinuteMax), Variant::I16(defaults::kEveryMinuteMax));
    out.Write(u"EveryMinuteIncrement", Variant::I16(s.EveryMinuteIncrement),
              Variant::I16(defaults::kEveryMinuteIncrement));
    out.Write(u"StartHour", Variant::I16(s.StartHour), Variant::I16(defaults::kStartHour));
    out.Write(u"StartMinute", Variant::I16(s.StartMinute), Variant::I16(defaults::kStartMinute));
    out.Write(u"StartDate", Variant::Date(s.StartDate), Variant::Date(creationDay_));
    out.Write(u"EndDate", Variant::Date(s.EndDate), Variant::Date(DefaultEndDate(creationDay_)));
    out.Write(u"UseEndDate", Variant::Bool(s.UseEndDate), Variant::Bool(false));
    out.Write(u"SelectionsWeekly", Str(s.SelectionsWeekly), Str(defaults::kSelectionsWeekly));
    out.Write(u"SelectionsMonthly", Str(s.SelectionsMonthly), Str(defaults::kSelectionsMonthly));
    return out.status();
}

}  // namespace cadencer::control
