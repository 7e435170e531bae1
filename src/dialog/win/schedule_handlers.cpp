// Option switching: MarkChanged, the kind options with their layouts, the unit list with
// its interval limits, the end-date options, the change handlers of the pickers, boxes
// and number, the arrow keys of the option groups, and the command/notify routing.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_form.h"
#include "win/controls.h"

namespace cadencer::dialog {

void ScheduleForm::MarkChanged() {
    EnableWindow(buttonOK_, TRUE);
    SetDefaultButton(id::ButtonOK);
    win::SetText(buttonCancel_, win::W(closeAfter_));
    if (okAfter_ != okBefore_) win::SetText(buttonOK_, win::W(okAfter_));
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
        if (editor_.Unit() == CB_ERR) SetListIndex(0);
        TrySetFocus(everyNumber_);  // skipped while the dialog is not shown yet
    }
}

void ScheduleForm::EveryCombo_Click() {
    MarkChanged();
    UpdateNumberName();
    editor_.ApplyUnitLimits(control::SharedSchedule::Instance().Settings());
}

void ScheduleForm::EndOption_Click(int /*index*/) {
    MarkChanged();
    dateEndEnabled_ = editor_.EndDateUsed();
    UpdateControlState(*FindControl(id::DateEnd));
    if (dateEndEnabled_) TrySetFocus(editor_.DateEnd());
}

// ---- EveryNumber

void ScheduleForm::SetNumberUsable(bool enabledAndTabStop) {
    numberUsable_ = enabledAndTabStop;
    UpdateControlState(*FindControl(id::EveryNumber));
    UpdateControlState(*FindControl(id::EveryCombo));
    // The number's tab stop is its text box (the control lets the dialog into it).
    for (HWND control : {editor_.Number().EditWindow(), editor_.UnitList()}) SetTabStop(control, enabledAndTabStop);
}

// ---- Routing

void ScheduleForm::RouteCommand(int controlId, int code, HWND /*control*/) {
    if (controlId >= id::OccursOption && controlId < id::OccursOption + 5) {
        if (code == BN_CLICKED) RouteOptionClick(editor_.Occurs(), controlId - id::OccursOption);
    } else if (controlId >= id::EndOption && controlId < id::EndOption + 2) {
        if (code == BN_CLICKED) RouteOptionClick(editor_.EndOptions(), controlId - id::EndOption);
    } else if (IsDayBox(controlId)) {
        if (code == BN_CLICKED) ToggleDayBox(controlId);
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

void ScheduleForm::RouteNotify(const NMHDR& header) {
    if (header.code != DTN_DATETIMECHANGE) return;
    if (header.hwndFrom == editor_.TimeStart())
        TimeStart_Change();
    else if (header.hwndFrom == editor_.DateStart())
        DateStart_Change();
    else if (header.hwndFrom == editor_.DateEnd())
        DateEnd_Change();
}

// A click on an option selects it; a click on the option already selected changes nothing.
void ScheduleForm::RouteOptionClick(std::span<const HWND> group, int index) {
    if (!SelectOption(group, index)) return;
    if (group.data() == editor_.Occurs().data())
        OccursOption_Click(index);
    else
        EndOption_Click(index);
}

// A click turns a checked box off and an unchecked or grayed one on.
void ScheduleForm::ToggleDayBox(int controlId) {
    SetBoxValue(controlId, editor_.BoxValue(controlId) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
}

// Arrow keys inside an option group move to the next option (round the group) and select it.
bool ScheduleForm::OptionArrow(HWND focus, bool forward) {
    for (const std::span<const HWND> group : {editor_.Occurs(), editor_.EndOptions()}) {
        const int count = static_cast<int>(group.size());
        for (int i = 0; i < count; ++i) {
            if (group[static_cast<std::size_t>(i)] != focus) continue;
            for (int step = 1; step < count; ++step) {
                const int next = (i + (forward ? step : count - step)) % count;
                if (!TrySetFocus(group[static_cast<std::size_t>(next)])) continue;
                RouteOptionClick(group, next);
                return true;
            }
            return true;
        }
    }
    return false;
}

}  // namespace cadencer::dialog
