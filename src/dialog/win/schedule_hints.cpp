// Status hints and the small behaviours around the dialog's main work: the hint panel on
// mouse moves, the date and time panels, Esc, Close/Cancel, Help, and the ways the dialog
// ends (each reports to the owning control once).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/win/schedule_form.h"
#include "win/controls.h"
#include "win/thread_state.h"

namespace cadencer::dialog {

// ---- Hints

// The dialog sees mouse moves over its background and over what is transparent to the
// mouse: the frames (group boxes), the labels and disabled controls, which pass their moves
// to their container. A frame's hint shows over the frame itself and its disabled controls,
// not over the enabled controls and labels inside it; the background (and a disabled
// button on it) clears the hint.
void ScheduleForm::RouteMouseMove(POINT client) {
    // Frames are created last, so a control or label inside a frame is found before it.
    const HWND under = ChildWindowFromPointEx(hwnd_, client, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    // Labels are drawn by the dialog; over one, no handler runs and the hint stays.
    if (LabelAt(client)) return;
    if (!under || under == hwnd_) return Form_MouseMove();
    switch (GetDlgCtrlID(under)) {
        case id::FrameOccurs:
            return FrameOccurs_MouseMove();
        case id::FrameDaily:
            return FrameDaily_MouseMove();
        case id::FrameWeekly:
            return FrameWeekly_MouseMove();
        case id::FrameMonthly:
            return FrameMonthly_MouseMove();
        default:
            return;  // a label or a control inside a frame: no handler, the hint stays
    }
}

// The buttons get their own mouse moves; the dialog hears of them through WM_SETCURSOR.
void ScheduleForm::RouteSetCursor(HWND under, UINT mouseMessage) {
    if (mouseMessage != WM_MOUSEMOVE) return;
    if (under == buttonOK_ && IsWindowEnabled(buttonOK_))
        ButtonOK_MouseMove();
    else if (under == buttonCancel_)
        ButtonCancel_MouseMove();
}

void ScheduleForm::FrameOccurs_MouseMove() {
    SetHint(HintText(0));
}
void ScheduleForm::FrameDaily_MouseMove() {
    SetHint(HintText(1));
}
void ScheduleForm::FrameWeekly_MouseMove() {
    SetHint(HintText(2));
}
void ScheduleForm::FrameMonthly_MouseMove() {
    SetHint(HintText(3));
}
void ScheduleForm::ButtonOK_MouseMove() {
    SetHint(HintText(4));
}
void ScheduleForm::ButtonCancel_MouseMove() {
    SetHint(HintText(5));
}
void ScheduleForm::Form_MouseMove() {
    SetHint(u"");
}

void ScheduleForm::SetHint(std::u16string_view text) {
    // Rewriting the same text would only make the panel flicker.
    if (text == hint_) return;
    hint_.assign(text);
    win::StatusSetText(statusBar_, 0, win::W(text));
}

// The date and time panels, kept current by the dialog's one-second timer.
void ScheduleForm::UpdateClockPanels() {
    wchar_t date[80] = L"", time[80] = L"";
    GetDateFormatEx(locale_.formats.c_str(), DATE_SHORTDATE, nullptr, nullptr, date, 80, nullptr);
    GetTimeFormatEx(locale_.formats.c_str(), TIME_NOSECONDS, nullptr, nullptr, time, 80);
    if (win::StatusText(statusBar_, 1) != date) win::StatusSetText(statusBar_, 1, date);
    if (win::StatusText(statusBar_, 2) != time) win::StatusSetText(statusBar_, 2, time);
}

// ---- Keys, Cancel, Help

void ScheduleForm::Form_KeyUp(int keyCode, int /*shift*/) {
    if (keyCode == VK_ESCAPE) ButtonCancel_Click();
}

void ScheduleForm::ButtonCancel_Click() {
    Unload();
}

void ScheduleForm::ButtonHelp_Click() {
    const win::KeepAlive keep(*this);
    const win::ThreadStateUse callback;  // the host's handler may release the last control
    control::SharedSchedule::Instance().FlagHelpButton();
}

// ---- The end of the dialog

void ScheduleForm::Unload() {
    if (stage_ == Stage::Unloading || stage_ == Stage::Unloaded) return;
    const win::KeepAlive keep(*this);
    // The loaded form's use of the thread's state ends here, before the host hears of the
    // closing; this code runs on until the callback returns.
    const win::ThreadStateUse callback;
    stage_ = Stage::Unloading;
    // The host's windows come back before the dialog goes, so that they get the activation.
    EndModal();
    DetachKeyboard(this);
    if (hwnd_) DestroyWindow(hwnd_);
    stage_ = Stage::Unloaded;
    host_.FormUnloaded(this);
    Form_Unload();
}

void ScheduleForm::Form_Unload() {
    control::SharedSchedule::Instance().FlagSchedulerClosed();
}

// WM_NCDESTROY. A window destroyed from outside (its owner window went away) still ends
// the dialog the one way: the host hears of it once.
void ScheduleForm::Form_NcDestroy() {
    hwnd_ = nullptr;
    const auto hold = std::move(self_);
    if (stage_ == Stage::Created || stage_ == Stage::Loaded) {
        stage_ = Stage::Unloaded;
        EndModal();
        DetachKeyboard(this);
        host_.FormUnloaded(this);
        Form_Unload();
    }
}

}  // namespace cadencer::dialog
