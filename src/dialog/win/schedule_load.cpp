// Form_Load and the value setters it shares with the handlers: selecting an option of a
// group, setting a check box, the unit list's index, showing and moving frames, the focus
// moves that are skipped while the dialog cannot take the focus, and the unchanged state.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_form.h"
#include "win/controls.h"

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

    editor_.FillUnitList(language_);
    const HWND unitList = editor_.UnitList();

    // The stored unit is in the list before the kind is selected, without its Click: the
    // Every kind's handler would otherwise pick hours and pull the stored interval into
    // the hour limits before the unit's own limits apply (a stored 30 minutes would load
    // as 12, then 15). Step 4 below still selects it with its Click.
    if (s.EveryFrequency >= 0 && s.EveryFrequency < win::ComboCount(unitList))
        win::ComboSelect(unitList, s.EveryFrequency);

    // The kind's layout comes first; the number gets its value before the unit's limits.
    if (s.OccursOption >= 0 && s.OccursOption < 5 && SelectOption(editor_.Occurs(), s.OccursOption))
        OccursOption_Click(s.OccursOption);
    editor_.Number().SetValue(Variant::I16(s.EveryInterval));
    SetListIndex(s.EveryFrequency);

    // The design time, 00:00, is also what hour 24 and a value out of range load as.
    editor_.LoadTimeAndDates(s);

    const int endIndex = s.UseEndDate ? 0 : 1;
    if (SelectOption(editor_.EndOptions(), endIndex)) EndOption_Click(endIndex);
    dateEndEnabled_ = editor_.EndDateUsed();
    UpdateControlState(*FindControl(id::DateEnd));

    // Only "0", "1" and "2" load; a blank or another character leaves its box unchecked.
    ScheduleEditor::ForEachLoadedBox(s, [this](int controlId, int value) { SetBoxValue(controlId, value); });

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

void ScheduleForm::SetBoxValue(int controlId, int value) {
    if (!editor_.SetBoxValue(controlId, value)) return;
    // A value set by code raises the box's Click, as a click does.
    if (controlId < id::DateCheck)
        WeeklyDay_Click(controlId - id::WeeklyDay);
    else
        DateCheck_Click(controlId - id::DateCheck);
}

void ScheduleForm::SetListIndex(int index) {
    // -1 clears the selection; an index beyond the list is refused.
    if (index < -1 || index >= win::ComboCount(editor_.UnitList())) return;
    win::ComboSelect(editor_.UnitList(), index);
    EveryCombo_Click();
}

bool ScheduleForm::TrySetFocus(HWND control) {
    // The focus cannot go to a hidden dialog or to a hidden or disabled control: the move
    // is skipped, as the design's handlers ignore that error.
    if (!Alive() || !control || !IsWindowVisible(hwnd_) || !IsWindowVisible(control) || !IsWindowEnabled(control))
        return false;
    if (control == everyNumber_ && editor_.Number().EditWindow()) control = editor_.Number().EditWindow();
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    return GetFocus() == control;
}

void ScheduleForm::SetDefaultButton(int controlId) {
    SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(controlId), 0);
}

void ScheduleForm::EnterUnchangedState() {
    SetDefaultButton(id::ButtonCancel);
    EnableWindow(buttonOK_, FALSE);
    win::SetText(buttonCancel_, win::W(T(text::Id::ButtonClose)));
    win::SetText(buttonOK_, win::W(okBefore_));
    noEventsWarned_ = false;
}

}  // namespace cadencer::dialog
