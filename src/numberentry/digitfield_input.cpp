// DigitfieldModel: keyboard, clipboard, focus, mouse, spinner and auto-repeat handlers.
#include "numberentry/digitfield_model.h"

#include "numberentry/number_text.h"

namespace cadencer::numberentry {

// ---- Arrow-key stepping ----

void DigitfieldModel::txtNumber_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (upDownFunction_) ArrowKeyStep(KeyCode);
    if (!spinnerHeld_) events_->KeyDown(KeyCode, Shift);
}

void DigitfieldModel::ArrowKeyStep(std::int16_t KeyCode) {
    // A step needs a non-zero increment and a shown number whose whole part fits 32 bits;
    // anything else (huge or exponent-sized numbers, increment 0) is left as it is.
    const std::int32_t increment = upDownIncrement_;
    auto remainder = [&](double v) -> std::optional<std::int32_t> {
        if (increment == 0) return std::nullopt;
        const auto whole = RoundToLong(v);
        if (!whole) return std::nullopt;
        return *whole % increment;  // the remainder takes the sign of the dividend
    };

    if (KeyCode == kKeyUp) {
        const double v = ShownNumber();
        if (!useMaxMinValues_ || v < NumericValueOf(maxValue_)) {
            const auto r = remainder(v);
            if (!r) return;
            if (*r > 0) SetValue(Variant::Double(v - *r));  // snap down to a multiple first
            SetValue(Variant::Double(ShownNumber() + increment));
        } else {
            StopTimer();
        }
    } else if (KeyCode == kKeyDown) {
        double lower = 0;
        if (!positiveOnly_ && useMaxMinValues_) {
            // The lower bound is MinValue as a 16-bit whole number; one outside that range
            // cannot serve as a bound, so nothing is stepped.
            const auto bound = RoundToInteger(NumericValueOf(minValue_));
            if (!bound) return;
            lower = *bound;
        }
        const double v = ShownNumber();
        if (positiveOnly_ && v == 0) {
            StopTimer();  // zero is the bound of a positive-only control
        } else if (!useMaxMinValues_ || v > lower) {
            const auto r = remainder(v);
            if (!r) return;
            double target = *r < 1 ? v - increment : v - *r;
            if (positiveOnly_ && target < 0) target = 0;
            SetValue(Variant::Double(target));
        } else {
            StopTimer();
        }
    }
}

// ---- Character filter ----

void DigitfieldModel::txtNumber_KeyPress(std::int16_t& KeyAscii) {
    if (locked_) {
        KeyAscii = 0;
        return;
    }
    const int length = platform_.TextLength();
    const int selected = platform_.SelLength();
    const bool notAllSelected = selected < length;
    const bool tooLong = notAllSelected && length >= maxLength_ && maxLength_ != 0;
    auto refuse = [&](bool beep) {
        if (beep) platform_.Beep();
        KeyAscii = 0;
    };

    if (KeyAscii >= u'0' && KeyAscii <= u'9') {
        if (tooLong) refuse(true);
    } else if (KeyAscii == 8) {
        // Backspace is always accepted.
    } else if (KeyAscii == u'.') {
        if (tooLong) {
            refuse(true);
        } else if (format_.find(u'.') == std::u16string::npos) {
            refuse(false);
        } else {
            platform_.GetText(scratch_);
            if (scratch_.find(u'.') != std::u16string::npos && notAllSelected) refuse(false);
        }
    } else if (KeyAscii == u'-') {
        if (tooLong)
            refuse(true);
        else if (positiveOnly_ || platform_.SelStart() > 0)
            refuse(false);
    } else {
        // Everything else, including the control characters of Ctrl+C, Ctrl+V and Ctrl+X:
        // the control provides its own clipboard keys on the key release.
        refuse(false);
    }
    if (KeyAscii > 0) events_->KeyPress(KeyAscii);
}

// ---- Clipboard keys ----

void DigitfieldModel::txtNumber_KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) {
    if (Shift == kCtrlMask) {
        if (KeyCode == 'C')
            CopyToClipboard();
        else if (KeyCode == 'V')
            PasteFromClipboard();
        else if (KeyCode == 'X')
            CutToClipboard();
    }
    events_->KeyUp(KeyCode, Shift);
}

void DigitfieldModel::CopyToClipboard() {
    platform_.GetText(scratch_);
    platform_.SetClipboardText(scratch_);
}

void DigitfieldModel::CutToClipboard() {
    CopyToClipboard();
    ShowText(u"");
}

void DigitfieldModel::PasteFromClipboard() {
    auto pasted = platform_.ClipboardText();
    if (!pasted) return;
    // The pasted text is cleaned before it reaches the box, so text of any length or
    // content never sits there raw; the change detection sees the same number either way.
    workText_ = std::move(*pasted);
    CleanNumber();
    ShowText(workText_);
    // Read back: a Change handler may have put another value there meanwhile.
    platform_.GetText(workText_);
    CleanNumber();
    ApplyFormat();
    ShowText(workText_);
    platform_.Select(0, platform_.TextLength());
}

// ---- Focus ----

void DigitfieldModel::txtNumber_GotFocus() {
    gotFocus_ = true;
    if (locked_) {
        platform_.SetCaretVisible(false);
        return;
    }
    platform_.SetCaretVisible(true);
    platform_.SetAlignment(TextAlignment::Left);
    platform_.GetText(workText_);
    CleanNumber();
    lastText_ = workText_;
    ShowText(workText_);
    platform_.Select(0, platform_.TextLength());
    platform_.ProcessPendingMessages();
}

void DigitfieldModel::txtNumber_LostFocus() {
    gotFocus_ = false;
    if (locked_) return;
    platform_.GetText(workText_);
    if (useMaxMinValues_) {
        if (workText_.empty()) workText_.assign(1, u'0');
        // Compared by the number the text stands for, so that a pasted "1,234.50" is not
        // taken for 1.
        scratch_ = workText_;
        numberentry::CleanNumber(scratch_, false);
        double typed = NumericValueOfText(scratch_);
        if (NumericValueOf(minValue_) > typed) {
            AssignTextOfValue(minValue_, workText_);
            typed = NumericValueOf(minValue_);
        }
        if (NumericValueOf(maxValue_) < typed) AssignTextOfValue(maxValue_, workText_);
    }
    value_ = Variant::String(workText_);
    CleanAndFormat();
    ShowText(workText_);
    platform_.ProcessPendingMessages();
    platform_.SetAlignment(TextAlignment::Right);
}

void DigitfieldModel::Highlight() {
    if (enabled_) txtNumber_GotFocus();
}

void DigitfieldModel::UserControl_LostFocus() {
    StopTimer();
}

// ---- Mouse on the text box ----

void DigitfieldModel::txtNumber_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    events_->MouseDown(Button, Shift, X, Y);
}

void DigitfieldModel::txtNumber_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    events_->MouseUp(Button, Shift, X, Y);
}

void DigitfieldModel::txtNumber_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    platform_.SetPartToolTip(DigitfieldPart::TextBox, toolTipText_);
    events_->MouseMove(Button, Shift, X, Y);
}

// ---- Spinner and auto-repeat ----

void DigitfieldModel::StartTimer(int intervalMs) {
    timerEnabled_ = true;
    timerInterval_ = intervalMs;
    platform_.StartTimer(intervalMs);
}

void DigitfieldModel::StopTimer() {
    if (!timerEnabled_) return;
    timerEnabled_ = false;
    platform_.StopTimer();
}

void DigitfieldModel::UpDown1_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    if (!enabled_ || !upDownFunction_) return;
    spinnerHeld_ = true;
    spinUp_ = layout_.spinner.height / 2.0 > Y;  // the upper half steps up
    StartTimer(kFirstRepeatMs);
    std::int16_t keyCode = spinUp_ ? kKeyUp : kKeyDown, noShift = 0;
    txtNumber_KeyDown(keyCode, noShift);
    events_->MouseDown(Button, Shift, X, Y);
}

void DigitfieldModel::UpDown1_MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    StopTimer();
    spinnerHeld_ = false;
    events_->MouseUp(Button, Shift, X, Y);
    events_->Click();
}

void DigitfieldModel::UpDown1_CancelPress() {
    StopTimer();
    spinnerHeld_ = false;
}

void DigitfieldModel::UpDown1_MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
    platform_.SetPartToolTip(DigitfieldPart::Spinner, toolTipText_);
    events_->MouseMove(Button, Shift, X, Y);
}

void DigitfieldModel::Timer1_Timer() {
    if (!timerEnabled_) return;                              // a tick already queued when the timer was stopped
    if (timerInterval_ != kRepeatMs) StartTimer(kRepeatMs);  // restarting each tick would drift
    std::int16_t keyCode = spinUp_ ? kKeyUp : kKeyDown, noShift = 0;
    txtNumber_KeyDown(keyCode, noShift);
}

}  // namespace cadencer::numberentry
