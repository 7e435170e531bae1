// Option switching: MarkChanged, the kind options with their layouts, the unit list with
// its interval limits, the end-date options, the change handlers of the pickers, boxes
// and number, the arrow keys of the option groups, and the command/notify routing.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_form.h"
#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"

namespace cadencer::dialog {

void ScheduleForm::MarkChanged() {
    EnableWindow(buttonOK_, TRUE);
    SetDefaultButton(id::ButtonOK);
    win::SetText(buttonCancel_, win::W(kCaptionChanged));
    noEventsWarned_ = false;
}

void ScheduleForm::OccursOption_Click(int index) {
    MarkChanged();
    SetFrameShown(Frame::Daily, index >= 1 && index <= 3);
    SetNumberUsable(index >= 4);
    // Height first, then the frame that goes, then the frame that is moved and shown.
    switch (index) {
        case 0:
        case 1:
        case 4:
            SetClientHeight(*OuterHeightForKind(index));
            SetFrameShown(Frame::Weekly, false);
            SetFrameShown(Frame::Monthly, false);
            break;
        case 2:
            SetClientHeight(kOuterHeightWeekly);
            SetFrameShown(Frame::Monthly, false);
            MoveFrame(Frame::Weekly, kLowerFrameTop);
            SetFrameShown(Frame::Weekly, true);
            break;
        case 3:
            SetClientHeight(kOuterHeightMonthly);
            SetFrameShown(Frame::Weekly, false);
            MoveFrame(Frame::Monthly, kLowerFrameTop);
            SetFrameShown(Frame::Monthly, true);
            break;
        default:
            return;
    }
    if (index == 4) {
        if (win::ComboSelection(everyCombo_) == CB_ERR) SetListIndex(0);
        TrySetFocus(everyNumber_);  // skipped while the dialog is not shown yet
    }
}

void ScheduleForm::EveryCombo_Click() {
    MarkChanged();
    UpdateNumberName();
    const IntervalLimits limits =
        LimitsForUnit(win::ComboSelection(everyCombo_), control::SharedSchedule::Instance().Settings());
    SetNumberLimits(limits.min, limits.max, limits.increment);
    // Down to the maximum first, then up to the minimum: the lower limit wins (and the
    // number field's own guard against crossed limits agrees).
    const double shown = NumberAsDouble();
    const double pulled = PullIntoLimits(shown, number_.MinValue(), number_.MaxValue());
    if (pulled != shown) SetNumberValue(Variant::Double(pulled));
}

void ScheduleForm::EndOption_Click(int /*index*/) {
    MarkChanged();
    dateEndEnabled_ = win::GetCheck(endOption_[0]) == BST_CHECKED;
    UpdateControlState(*FindControl(id::DateEnd));
    if (dateEndEnabled_) TrySetFocus(dateEnd_);
}

// ---- EveryNumber

Variant ScheduleForm::NumberValue() {
    return number_.Value();
}

double ScheduleForm::NumberAsDouble() {
    const auto value = NumberValue().ToDouble();
    return value ? *value : 0.0;
}

void ScheduleForm::SetNumberValue(const Variant& value) {
    number_.SetValue(value);
}

void ScheduleForm::SetNumberLimits(std::int16_t min, std::int16_t max, std::int16_t increment) {
    number_.SetMinValue(Variant::I16(min));
    number_.SetMaxValue(Variant::I16(max));
    number_.SetUpDownIncrement(increment);
}

void ScheduleForm::SetNumberUsable(bool enabledAndTabStop) {
    numberUsable_ = enabledAndTabStop;
    UpdateControlState(*FindControl(id::EveryNumber));
    UpdateControlState(*FindControl(id::EveryCombo));
    // The number's tab stop is its text box (the control lets the dialog into it).
    for (HWND control : {number_.EditWindow(), everyCombo_}) {
        if (!control) continue;
        LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
        style = enabledAndTabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(control, GWL_STYLE, style);
    }
}

// ---- Routing

void ScheduleForm::OnCommand(int controlId, int code, HWND /*control*/) {
    if (controlId >= id::OccursOption && controlId < id::OccursOption + 5) {
        if (code == BN_CLICKED) OnOptionClicked(occurs_.data(), 5, controlId - id::OccursOption);
    } else if (controlId >= id::EndOption && controlId < id::EndOption + 2) {
        if (code == BN_CLICKED) OnOptionClicked(endOption_.data(), 2, controlId - id::EndOption);
    } else if ((controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7) ||
               (controlId > id::DateCheck && controlId <= id::DateCheck + 31)) {
        if (code == BN_CLICKED) OnBoxClicked(controlId);
    } else if (controlId == id::EveryCombo) {
        if (code == CBN_SELCHANGE) EveryCombo_Click();
    } else if (code == BN_CLICKED) {
        // The dialog manager's own IDOK and IDCANCEL (Enter without a default, Esc pressed)
        // match no control: Esc acts on its release only.
        if (controlId == id::ButtonOK)
            ButtonOK_Click();
        else if (controlId == id::ButtonCancel)
            ButtonCancel_Click();
        else if (controlId == id::ButtonHelp)
            ButtonHelp_Click();
    }
}

void ScheduleForm::OnNotify(const NMHDR& header) {
    if (header.code != DTN_DATETIMECHANGE) return;
    if (header.hwndFrom == timeStart_)
        TimeStart_Change();
    else if (header.hwndFrom == dateStart_)
        DateStart_Change();
    else if (header.hwndFrom == dateEnd_)
        DateEnd_Change();
}

// A click on an option selects it; a click on the option already selected changes nothing.
void ScheduleForm::OnOptionClicked(const HWND* group, int count, int index) {
    if (!SelectOption(group, count, index)) return;
    if (group == occurs_.data())
        OccursOption_Click(index);
    else
        EndOption_Click(index);
}

// A click turns a checked box off and an unchecked or grayed one on.
void ScheduleForm::OnBoxClicked(int controlId) {
    SetBoxValue(controlId, BoxValue(controlId) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
}

// Arrow keys inside an option group move to the next option (round the group) and select it.
bool ScheduleForm::OptionArrow(HWND focus, bool forward) {
    for (auto [group, count] : {std::pair{occurs_.data(), 5}, std::pair{endOption_.data(), 2}}) {
        for (int i = 0; i < count; ++i) {
            if (group[i] != focus) continue;
            for (int step = 1; step < count; ++step) {
                const int next = (i + (forward ? step : count - step)) % count;
                if (!TrySetFocus(group[next])) continue;
                OnOptionClicked(group, count, next);
                return true;
            }
            return true;
        }
    }
    return false;
}

}  // namespace cadencer::dialog
