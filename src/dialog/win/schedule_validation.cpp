// The OK path: ValidateSchedule (the editor's checks in order; a failure with its beep,
// focus move and message), ButtonOK_Click (store every control into the shared settings,
// warn once when nothing is scheduled any more, tell the owning control, unload).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_form.h"
#include "engine/next_run.h"
#include "win/controls.h"
#include "win/thread_state.h"

namespace cadencer::dialog {

namespace {
ScheduleSettings& Settings() {
    return control::SharedSchedule::Instance().Settings();
}
}  // namespace

bool ScheduleForm::ShowMessage(std::u16string_view text, bool warning, int focusControl) {
    MessageBeep(MB_OK);
    // A control that cannot take the focus (its frame hidden) leaves it where it is.
    TrySetFocus(Ctl(focusControl));
    const std::wstring title = win::W(MessageTitle(Shown(Settings().Title, text::Id::DialogTitle)));
    MessageBoxW(hwnd_, win::W(text).c_str(), title.c_str(), MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONERROR));
    return Alive();
}

void ScheduleForm::ValidateSchedule() {
    validationFailed_ = false;
    const auto message = editor_.Check();
    if (!message) return;
    validationFailed_ = true;
    ShowMessage(T(message->textId), false, message->focusControl);
}

void ScheduleForm::ButtonOK_Click() {
    const win::KeepAlive keep(*this);
    ValidateSchedule();
    if (!Alive() || validationFailed_) return;
    // Each field is written from its control; a control whose value cannot be read leaves
    // its field as it was.
    editor_.Store(Settings());

    const ScheduleSettings& s = Settings();
    if (NoEventsCheckApplies(editor_.EndDateUsed(), noEventsWarned_, s.OccursOption)) {
        const OleDate now = host_.Now();
        if (NothingScheduled(ComputeNextRun(s, now, 0), now)) {
            // The values stay stored; the owner is not told. A second OK goes through.
            noEventsWarned_ = true;
            const DialogMessage warning = NoEventsWarning();
            ShowMessage(T(warning.textId), true, warning.focusControl);
            return;
        }
    }

    const win::ThreadStateUse callback;  // the host's handler may release the last control
    control::SharedSchedule::Instance().FlagScheduleChanged();
    if (!Alive()) return;  // the owner's handler closed the dialog already
    Unload();
}

}  // namespace cadencer::dialog
