// DigitfieldModel: the whole behaviour of the numeric entry control without a window. It
// holds the stored Value, the limits and the display format, cleans and formats the number
// shown in the text box, filters typing, steps the value with the arrow keys and the
// spinner, detects changes of the numeric value, commits at focus exit and persists its 13
// properties. The text box is the truth: the model keeps no numeric copy of what is shown,
// it reads the text through DigitfieldPlatform whenever it needs the number.
//
// Handler names follow the part and the event they serve (txtNumber_KeyDown, UpDown1_MouseDown,
// Timer1_Timer); the platform calls them when its parts report those events.
#pragma once

#include <cstdint>
#include <string>

#include "engine/property_bag.h"
#include "numberentry/digitfield_layout.h"
#include "numberentry/digitfield_ports.h"

namespace cadencer::numberentry {

inline constexpr char16_t kDefaultFormat[] = u"###,##0.00;(##,###.00)";
inline constexpr double kDefaultMaxValue = 999999.99;
inline constexpr std::uint32_t kDefaultBackColor = 0x80000005;  // system colour: window background
inline constexpr std::uint32_t kDefaultForeColor = 0x80000008;  // system colour: window text
inline constexpr int kFirstRepeatMs = 700;
inline constexpr int kRepeatMs = 50;

class DigitfieldModel {
public:
    // The platform must outlive the model. A new model holds the defaults of a control newly
    // placed in a container (InitProperties without a font).
    explicit DigitfieldModel(DigitfieldPlatform& platform);
    DigitfieldModel(const DigitfieldModel&) = delete;
    DigitfieldModel& operator=(const DigitfieldModel&) = delete;

    // Events go to `sink` (nullptr: nowhere). The sink must outlive the model or be reset.
    void SetEventSink(DigitfieldEvents* sink) { events_ = sink ? sink : &noEvents_; }

    // ---- Lifecycle ----
    // First-time defaults; the text box stays empty until a value is set.
    void InitProperties(const ObjectRef& ambientFont);
    // Reads the 13 keys (matched without regard to case, types kept), applies them directly
    // (no clamping, no notifications), lays the parts out and shows the stored Value
    // formatted, which raises Change when its numeric value is not 0. A key that is missing,
    // unreadable or of an unusable type gives its default.
    void ReadProperties(PropertyBag& bag, const ObjectRef& ambientFont);
    // Writes the 13 keys, skipping values equal to their defaults. Stops at the first
    // storage error and returns it.
    Expected<bool> WriteProperties(PropertyBag& bag, const ObjectRef& ambientFont) const;
    // The container sizes the control (twips). Returns the height the control takes: never
    // below 255 twips. Lays the parts out.
    int Resize(int widthTwips, int heightTwips);
    const DigitfieldLayout& Layout() const { return layout_; }

    // ---- Properties (sets end with the property-changed notification) ----
    // The number now shown, cleaned and parsed: a double, or the 16-bit integer 0 when the
    // text box holds no number.
    Variant Value();
    void SetValue(const Variant& iValue);
    // The stored Value: as last assigned, or the text committed at focus exit.
    const Variant& StoredValue() const { return value_; }

    double MaxValue() const;
    void SetMaxValue(const Variant& value);
    const Variant& StoredMaxValue() const { return maxValue_; }
    double MinValue() const;
    void SetMinValue(const Variant& value);
    const Variant& StoredMinValue() const { return minValue_; }

    bool UseMaxMinValues() const { return useMaxMinValues_; }
    void SetUseMaxMinValues(bool iUseMaxMinValues);
    const std::u16string& Format() const { return format_; }
    void SetFormat(std::u16string_view iFormat);
    bool PositiveOnly() const { return positiveOnly_; }
    void SetPositiveOnly(bool iPositiveOnly);
    std::int16_t MaxLength() const { return maxLength_; }

    bool UpDownFunction() const { return upDownFunction_; }
    void SetUpDownFunction(bool iUpDownFunction);
    std::int16_t UpDownIncrement() const { return upDownIncrement_; }
    void SetUpDownIncrement(std::int16_t iUpDownIncrement);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Locked() const { return locked_; }
    void SetLocked(bool iLocked);
    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t New_BackColor);
    std::uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(std::uint32_t New_ForeColor);
    const ObjectRef& Font() const { return font_; }
    void SetFont(const ObjectRef& New_Font);
    // The tooltip the container assigned to the control; copied to a part when the mouse
    // moves over it.
    const std::u16string& ToolTipText() const { return toolTipText_; }
    void SetToolTipText(std::u16string_view text) { toolTipText_.assign(text); }
    bool GotFocus() const { return gotFocus_; }

    // ---- Methods ----
    void Refresh();    // repaint the text box when enabled
    void Highlight();  // the focus-entry procedure, when enabled (does not move the focus)

    // ---- The control's clipboard actions (Ctrl+C, Ctrl+V, Ctrl+X), on the whole text ----
    // The platform routes its text box's own clipboard paths (Shift+Insert and the like)
    // here too, so that no text reaches the box uncleaned.
    void CopyToClipboard();
    void PasteFromClipboard();  // cleaned, then shown formatted and all selected
    void CutToClipboard();

    // ---- Handlers of the parts' events ----
    void txtNumber_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift);
    void txtNumber_KeyPress(std::int16_t& KeyAscii);
    void txtNumber_KeyUp(std::int16_t& KeyCode, std::int16_t& Shift);
    void txtNumber_Change();  // the user changed the text (typing, the text box's own editing)
    void txtNumber_GotFocus();
    void txtNumber_LostFocus();
    void txtNumber_Click() { events_->Click(); }
    void txtNumber_DblClick() { events_->DblClick(); }
    void txtNumber_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void txtNumber_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void txtNumber_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    // X and Y in twips relative to the spinner.
    void UpDown1_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void UpDown1_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    void UpDown1_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
    // The spinner lost the mouse without a release (capture taken away, control disabled):
    // the hold ends without MouseUp or Click.
    void UpDown1_CancelPress();
    void Timer1_Timer();
    // The focus left the control: the auto-repeat stops.
    void UserControl_LostFocus();

    // ---- State visible for the window and for tests ----
    bool SpinnerHeld() const { return spinnerHeld_; }
    bool SpinUp() const { return spinUp_; }
    bool TimerEnabled() const { return timerEnabled_; }
    int TimerInterval() const { return timerInterval_; }

private:
    // CleanNumber / ApplyFormat / CleanAndFormat on workText_, as the format rules describe.
    void CleanNumber();
    void ApplyFormat();
    void CleanAndFormat();
    void ClampValue();
    // Puts text into txtNumber and runs the change detection, as any assignment does.
    void ShowText(std::u16string_view text);
    void DetectChange();
    double ShownNumber();  // the Value property as a double
    void ArrowKeyStep(std::int16_t KeyCode);
    void StartTimer(int intervalMs);
    void StopTimer();
    void ApplyAllToPlatform();

    DigitfieldPlatform& platform_;
    DigitfieldEvents noEvents_;
    DigitfieldEvents* events_ = &noEvents_;

    Variant value_ = Variant::String(u"");
    Variant maxValue_ = Variant::Double(kDefaultMaxValue);
    Variant minValue_ = Variant::I16(0);
    bool useMaxMinValues_ = false;
    bool positiveOnly_ = false;
    std::u16string format_ = kDefaultFormat;
    std::int16_t maxLength_ = 10;
    bool gotFocus_ = false;
    std::u16string workText_;
    std::u16string formatMask_;
    bool isNonNegative_ = false;
    std::u16string lastText_;  // an empty LastText compares as the empty string

    bool enabled_ = true;
    bool locked_ = false;
    bool upDownFunction_ = false;
    std::int16_t upDownIncrement_ = 1;
    std::uint32_t backColor_ = kDefaultBackColor;
    std::uint32_t foreColor_ = kDefaultForeColor;
    ObjectRef font_;
    std::u16string toolTipText_;
    bool spinUp_ = false;
    bool spinnerHeld_ = false;
    bool timerEnabled_ = false;
    int timerInterval_ = 0;
    int clampDepth_ = 0;

    int widthTwips_ = kDefaultWidthTwips;
    int heightTwips_ = kDefaultHeightTwips;
    DigitfieldLayout layout_ = PositionControls(kDefaultWidthTwips, kDefaultHeightTwips, kSpinnerWidthTwips, false);

    std::u16string scratch_;  // reused buffer for texts read from the platform
};

}  // namespace cadencer::numberentry
