// DigitfieldModel: the value, its limits and format, change detection and the property
// procedures. Keyboard, mouse, spinner and focus handling live in digitfield_input.cpp,
// persistence in digitfield_persistence.cpp.
#include "numberentry/digitfield_model.h"

#include "numberentry/number_text.h"

namespace cadencer::numberentry {

DigitfieldModel::DigitfieldModel(DigitfieldPlatform& platform) : platform_(platform) {
    workText_.reserve(32);
    formatMask_.reserve(32);
    lastText_.reserve(32);
    scratch_.reserve(32);
}

// ---- The format rules on workText_ ----

void DigitfieldModel::CleanNumber() {
    isNonNegative_ = numberentry::CleanNumber(workText_, positiveOnly_);
}

void DigitfieldModel::ApplyFormat() {
    numberentry::ApplyFormat(workText_, format_, FormatOptions{isNonNegative_, positiveOnly_, gotFocus_}, formatMask_);
}

void DigitfieldModel::CleanAndFormat() {
    CleanNumber();
    ApplyFormat();
}

void DigitfieldModel::ShowText(std::u16string_view text) {
    platform_.SetText(text);
    DetectChange();
}

void DigitfieldModel::DetectChange() {
    if (!enabled_) return;
    platform_.GetText(workText_);
    CleanNumber();
    if (lastText_ == workText_) return;
    const bool numberChanged = NumericValueOfText(lastText_) != NumericValueOfText(workText_);
    lastText_ = workText_;
    if (!numberChanged) return;  // only the formatting changed
    events_->PropertyChanged(u"Value");
    events_->Change();
}

void DigitfieldModel::txtNumber_Change() {
    DetectChange();
}

double DigitfieldModel::ShownNumber() {
    platform_.GetText(workText_);
    CleanNumber();
    return workText_.empty() ? 0.0 : NumericValueOfText(workText_);
}

// ---- Value and limits ----

Variant DigitfieldModel::Value() {
    platform_.GetText(workText_);
    CleanNumber();
    if (workText_.empty()) return Variant::I16(0);
    return Variant::Double(NumericValueOfText(workText_));
}

void DigitfieldModel::SetValue(const Variant& iValue) {
    // A copy first: the argument may be one of our own fields, which the display step's
    // Change handlers could reassign. An object has no number: it stores as "".
    Variant value = iValue.Type() == VariantType::Object ? Variant::String(u"") : iValue;
    AssignTextOfValue(value, workText_);
    CleanAndFormat();
    ShowText(workText_);
    value_ = std::move(value);
    if (useMaxMinValues_) ClampValue();
    events_->PropertyChanged(u"Value");
}

void DigitfieldModel::ClampValue() {
    // Each nested Value set clamps again; with the limits in order the nesting ends after
    // one level. The depth cap only matters when event handlers keep moving the limits.
    if (clampDepth_ >= 8) return;
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
    } guard(clampDepth_);

    if (value_.IsEmpty() || (value_.Type() == VariantType::String && value_.AsString().empty()))
        value_ = Variant::I16(0);
    const double low = NumericValueOf(minValue_);
    const double high = NumericValueOf(maxValue_);
    if (low > high) {
        // Crossed limits admit no value: the minimum wins, so the value settles at once
        // instead of bouncing between the two bounds, and a caller that pulls a value down
        // to the maximum and then up to the minimum ends where this guard does.
        if (NumericValueOf(value_) != low) SetValue(minValue_);
        return;
    }
    if (low > NumericValueOf(value_)) SetValue(minValue_);
    if (high < NumericValueOf(value_)) SetValue(maxValue_);
}

double DigitfieldModel::MaxValue() const {
    return NumericValueOf(maxValue_);
}
double DigitfieldModel::MinValue() const {
    return NumericValueOf(minValue_);
}

void DigitfieldModel::SetMaxValue(const Variant& value) {
    AssignTextOfValue(value, workText_);
    CleanNumber();
    maxValue_ = Variant::String(workText_);
    events_->PropertyChanged(u"MaxValue");
}

void DigitfieldModel::SetMinValue(const Variant& value) {
    AssignTextOfValue(value, workText_);
    CleanNumber();
    minValue_ = Variant::String(workText_);
    events_->PropertyChanged(u"MinValue");
}

void DigitfieldModel::SetUseMaxMinValues(bool iUseMaxMinValues) {
    useMaxMinValues_ = iUseMaxMinValues;
    if (iUseMaxMinValues) ClampValue();
    events_->PropertyChanged(u"UseMaxMinValues");
}

void DigitfieldModel::SetFormat(std::u16string_view iFormat) {
    format_.assign(iFormat);
    maxLength_ = ComputeMaxLength(format_);
    platform_.GetText(workText_);
    CleanAndFormat();
    ShowText(workText_);
    events_->PropertyChanged(u"Format");
}

void DigitfieldModel::SetPositiveOnly(bool iPositiveOnly) {
    positiveOnly_ = iPositiveOnly;
    if (iPositiveOnly) {
        if (NumericValueOf(maxValue_) < 0) SetMaxValue(Variant::Double(kDefaultMaxValue));
        if (NumericValueOf(minValue_) < 0) SetMinValue(Variant::I16(0));
        if (NumericValueOf(value_) < 0) SetValue(Variant::I16(0));
    }
    events_->PropertyChanged(u"PositiveOnly");
}

// ---- Remaining properties ----

void DigitfieldModel::SetUpDownFunction(bool iUpDownFunction) {
    upDownFunction_ = iUpDownFunction;
    // A hidden spinner cannot be released: a hold in progress ends here.
    if (!iUpDownFunction && spinnerHeld_) UpDown1_CancelPress();
    layout_ = PositionControls(widthTwips_, heightTwips_, kSpinnerWidthTwips, upDownFunction_);
    platform_.ApplyLayout(layout_);
    events_->PropertyChanged(u"UpDownFunction");
}

void DigitfieldModel::SetUpDownIncrement(std::int16_t iUpDownIncrement) {
    upDownIncrement_ = iUpDownIncrement;
    events_->PropertyChanged(u"UpDownIncrement");
}

void DigitfieldModel::SetEnabled(bool enabled) {
    enabled_ = enabled;
    // A disabled control does not go on stepping its value from a hold begun before.
    if (!enabled && (spinnerHeld_ || timerEnabled_)) UpDown1_CancelPress();
    platform_.ApplyEnabled(enabled);
    events_->PropertyChanged(u"Enabled");
}

void DigitfieldModel::SetLocked(bool iLocked) {
    locked_ = iLocked;
    platform_.ApplyLocked(iLocked);
    events_->PropertyChanged(u"Locked");
}

void DigitfieldModel::SetBackColor(std::uint32_t New_BackColor) {
    backColor_ = New_BackColor;
    platform_.ApplyColors(backColor_, foreColor_);
    events_->PropertyChanged(u"BackColor");
}

void DigitfieldModel::SetForeColor(std::uint32_t New_ForeColor) {
    foreColor_ = New_ForeColor;
    platform_.ApplyColors(backColor_, foreColor_);
    events_->PropertyChanged(u"ForeColor");
}

void DigitfieldModel::SetFont(const ObjectRef& New_Font) {
    font_ = New_Font;
    platform_.ApplyFont(font_);
    Refresh();
    events_->PropertyChanged(u"Font");
}

void DigitfieldModel::Refresh() {
    if (enabled_) platform_.Repaint();
}

int DigitfieldModel::Resize(int widthTwips, int heightTwips) {
    widthTwips_ = widthTwips < 0 ? 0 : widthTwips;
    heightTwips_ = ResizedHeight(heightTwips);
    layout_ = PositionControls(widthTwips_, heightTwips_, kSpinnerWidthTwips, upDownFunction_);
    platform_.ApplyLayout(layout_);
    return heightTwips_;
}

void DigitfieldModel::ApplyAllToPlatform() {
    platform_.ApplyFont(font_);
    platform_.ApplyEnabled(enabled_);
    platform_.ApplyColors(backColor_, foreColor_);
    platform_.ApplyLocked(locked_);
    layout_ = PositionControls(widthTwips_, heightTwips_, kSpinnerWidthTwips, upDownFunction_);
    platform_.ApplyLayout(layout_);
}

void DigitfieldModel::InitProperties(const ObjectRef& ambientFont) {
    value_ = Variant::String(u"");
    maxValue_ = Variant::Double(kDefaultMaxValue);
    minValue_ = Variant::I16(0);
    useMaxMinValues_ = false;
    format_ = kDefaultFormat;
    maxLength_ = 10;
    enabled_ = true;
    positiveOnly_ = false;
    backColor_ = kDefaultBackColor;
    foreColor_ = kDefaultForeColor;
    locked_ = false;
    upDownFunction_ = false;
    upDownIncrement_ = 1;
    font_ = ambientFont;
    ApplyAllToPlatform();
}

}  // namespace cadencer::numberentry
