// Form_Load and the value setters it shares with the handlers: selecting an option of a
// group, setting a check box, the unit list's index, showing and moving frames, the focus
// moves that are skipped while the dialog cannot take the focus, and the unchanged state.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_form.h"
#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"

namespace cadencer::dialog {

namespace {
const ScheduleSettings& Settings() {
    return control::SharedSchedule::Instance().Settings();
}
}  // namespace

// Each step stands alone: a value a control refuses is skipped and loading goes on.
void ScheduleForm::Form_Load() {
    if (stage_ != Stage::Created) return;
    const win::KeepAlive keep(*this);
    // Called by the host, outside the dialog's window procedure: its sizes are the dialog's
    // own pixels, which only a thread of the dialog's DPI awareness takes as they are.
    win::ScopedPerMonitorDpiAwareness perMonitor;
    const ScheduleSettings& s = Settings();

    for (const auto unit : kEveryUnits) win::ComboAdd(everyCombo_, win::W(unit));

    // The stored unit is in the list before the kind is selected, without its Click: the
    // Every kind's handler would otherwise pick hours and pull the stored interval into
    // the hour limits before the unit's own limits apply (a stored 30 minutes would load
    // as 12, then 15). Step 4 below still selects it with its Click.
    if (s.EveryFrequency >= 0 && s.EveryFrequency < win::ComboCount(everyCombo_))
        win::ComboSelect(everyCombo_, s.EveryFrequency);

    // The kind's layout comes first; the number gets its value before the unit's limits.
    if (s.OccursOption >= 0 && s.OccursOption < 5 && SelectOption(occurs_.data(), 5, s.OccursOption))
        OccursOption_Click(s.OccursOption);
    SetNumberValue(Variant::I16(s.EveryInterval));
    SetListIndex(s.EveryFrequency);

    // The picker's hours run 0 to 23: hour 24 (midnight) is refused and the design time,
    // 00:00, stays, which is midnight too.
    if (auto time = win::PickerTime(timeStart_)) {
        if (s.StartHour >= 0 && s.StartHour <= 23) time->wHour = static_cast<WORD>(s.StartHour);
        if (s.StartMinute >= 0 && s.StartMinute <= 59) time->wMinute = static_cast<WORD>(s.StartMinute);
        time->wSecond = 0;
        time->wMilliseconds = 0;
        win::SetPickerTime(timeStart_, *time);
    }
    if (const auto start = win::ToSystemTime(s.StartDate)) win::SetPickerTime(dateStart_, *start);
    if (const auto end = win::ToSystemTime(s.EndDate)) win::SetPickerTime(dateEnd_, *end);

    const int endIndex = s.UseEndDate ? 0 : 1;
    if (SelectOption(endOption_.data(), 2, endIndex)) EndOption_Click(endIndex);
    dateEndEnabled_ = win::GetCheck(endOption_[0]) == BST_CHECKED;
    UpdateControlState(*FindControl(id::DateEnd));

    // Only "0", "1" and "2" load; a blank or another character leaves its box unchecked.
    for (int i = 1; i <= 7 && static_cast<std::size_t>(i) <= s.SelectionsWeekly.size(); ++i)
        if (const auto v = BoxValueOfMaskChar(s.SelectionsWeekly[static_cast<std::size_t>(i - 1)]))
            SetBoxValue(id::WeeklyDay + i, *v);
    for (int d = 1; d <= 31 && static_cast<std::size_t>(d) <= s.SelectionsMonthly.size(); ++d)
        if (const auto v = BoxValueOfMaskChar(s.SelectionsMonthly[static_cast<std::size_t>(d - 1)]))
            SetBoxValue(id::DateCheck + d, *v);

    ProcessPendingMessages();
    if (!Alive()) return;  // something closed the dialog while messages ran
    EnterUnchangedState();
    stage_ = Stage::Loaded;
}

void ScheduleForm::ProcessPendingMessages() {
    // One pass over what is queued; bounded so that a window that never validates itself
    // cannot keep it going.
    MSG msg;
    for (int i = 0; i < 4096 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that owns it
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool ScheduleForm::SelectOption(const HWND* group, int count, int index) {
    if (index < 0 || index >= count || !group[index]) return false;
    const bool changed = win::GetCheck(group[index]) != BST_CHECKED;
    for (int i = 0; i < count; ++i) {
        if (!group[i]) continue;
        win::SetCheck(group[i], i == index ? BST_CHECKED : BST_UNCHECKED);
        // Tab enters an option group at its selected option.
        LONG_PTR style = GetWindowLongPtrW(group[i], GWL_STYLE);
        style = i == index ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(group[i], GWL_STYLE, style);
    }
    return changed;
}

int ScheduleForm::BoxValue(int controlId) const {
    if (controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7)
        return weeklyValue_[static_cast<std::size_t>(controlId - id::WeeklyDay)];
    if (controlId > id::DateCheck && controlId <= id::DateCheck + 31)
        return monthlyValue_[static_cast<std::size_t>(controlId - id::DateCheck)];
    return 0;
}

void ScheduleForm::SetBoxValue(int controlId, int value) {
    if (value < 0 || value > 2 || BoxValue(controlId) == value) return;
    if (controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7)
        weeklyValue_[static_cast<std::size_t>(controlId - id::WeeklyDay)] = value;
    else if (controlId > id::DateCheck && controlId <= id::DateCheck + 31)
        monthlyValue_[static_cast<std::size_t>(controlId - id::DateCheck)] = value;
    else
        return;
    win::SetCheck(Ctl(controlId), value);
    // A value set by code raises the box's Click, as a click does.
    if (controlId < id::DateCheck)
        WeeklyDay_Click(controlId - id::WeeklyDay);
    else
        DateCheck_Click(controlId - id::DateCheck);
}

void ScheduleForm::SetListIndex(int index) {
    // -1 clears the selection; an index beyond the list is refused.
    if (index < -1 || index >= win::ComboCount(everyCombo_)) return;
    win::ComboSelect(everyCombo_, index);
    EveryCombo_Click();
}

bool ScheduleForm::TrySetFocus(HWND control) {
    // The focus cannot go to a hidden dialog or to a hidden or disabled control: the move
    // is skipped, as the design's handlers ignore that error.
    if (!Alive() || !control || !IsWindowVisible(hwnd_) || !IsWindowVisible(control) || !IsWindowEnabled(control))
        return false;
    if (control == everyNumber_ && number_.EditWindow()) control = number_.EditWindow();
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return GetFocus() == control;
}

void ScheduleForm::SetDefaultButton(int controlId) {
    SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(controlId), 0);
}

void ScheduleForm::EnterUnchangedState() {
    SetDefaultButton(id::ButtonCancel);
    EnableWindow(buttonOK_, FALSE);
    win::SetText(buttonCancel_, win::W(kCaptionUnchanged));
    noEventsWarned_ = false;
}

}  // namespace cadencer::dialog
