// The OK path: ValidateSchedule (its checks in order, each failure with its beep, focus
// move and message), ButtonOK_Click (store every control into the shared settings, warn
// once when nothing is scheduled any more, tell the owning control, unload).
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "control/shared_schedule.h"
#include "dialog/schedule_form.h"
#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"
#include "engine/next_run.h"
#include "win/thread_state.h"

namespace cadencer::dialog {

namespace {
ScheduleSettings& Settings() {
    return control::SharedSchedule::Instance().Settings();
}
}  // namespace

int ScheduleForm::FirstSelected(const HWND* group, int count) const {
    for (int i = 0; i < count; ++i)
        if (win::GetCheck(group[i]) == BST_CHECKED) return i;
    return -1;
}

bool ScheduleForm::ShowMessage(std::u16string_view text, bool warning, int focusControl) {
    MessageBeep(MB_OK);
    // A control that cannot take the focus (its frame hidden) leaves it where it is.
    TrySetFocus(Ctl(focusControl));
    const std::wstring title = win::W(MessageTitle(Settings().Title));
    MessageBoxW(hwnd_, win::W(text).c_str(), title.c_str(), MB_OK | (warning ? MB_ICONEXCLAMATION : MB_ICONERROR));
    return Alive();
}

void ScheduleForm::ValidateSchedule() {
    validationFailed_ = false;
    ValidationInput input;
    input.selectedKind = FirstSelected(occurs_.data(), 5);
    input.noEndDate = win::GetCheck(endOption_[1]) == BST_CHECKED;
    const auto start = win::PickerTime(dateStart_);
    const auto end = win::PickerTime(dateEnd_);
    if (start && end) {
        const auto a = win::FromSystemTime(*start);
        const auto b = win::FromSystemTime(*end);
        if (a && b) input.daysStartToEnd = DayDiff(*a, *b);
    }
    for (int i = 1; i <= 7; ++i) input.weekly[static_cast<std::size_t>(i)] = BoxValue(id::WeeklyDay + i);
    for (int d = 1; d <= 31; ++d) input.monthly[static_cast<std::size_t>(d)] = BoxValue(id::DateCheck + d);

    const Problem problem = ::cadencer::dialog::ValidateSchedule(input);
    if (problem == Problem::None) return;
    validationFailed_ = true;
    const DialogMessage message = MessageFor(problem);
    ShowMessage(message.text, false, message.focusControl);
}

// Each field is written from its control in the design's order; a control whose value
// cannot be read leaves its field as it was.
void ScheduleForm::StoreSettings() {
    ScheduleSettings& s = Settings();
    if (const int kind = FirstSelected(occurs_.data(), 5); kind >= 0) s.OccursOption = kind;
    if (const auto interval = NumberValue().ToI16()) s.EveryInterval = *interval;  // halves to even
    s.EveryFrequency = win::ComboSelection(everyCombo_);                           // -1 when nothing is selected
    if (const auto time = win::PickerTime(timeStart_)) {
        s.StartHour = static_cast<std::int16_t>(time->wHour);
        s.StartMinute = static_cast<std::int16_t>(time->wMinute);
    }
    if (const auto start = win::PickerTime(dateStart_))
        if (const auto value = win::FromSystemTime(*start)) s.StartDate = *value;
    if (const auto end = win::PickerTime(dateEnd_))
        if (const auto value = win::FromSystemTime(*end)) s.EndDate = *value;
    s.UseEndDate = win::GetCheck(endOption_[0]) == BST_CHECKED;

    int weekly[7];
    for (int i = 1; i <= 7; ++i) weekly[i - 1] = BoxValue(id::WeeklyDay + i);
    s.SelectionsWeekly = FitSelection(BuildMask(weekly), kWeeklyWidth);
    int monthly[31];
    for (int d = 1; d <= 31; ++d) monthly[d - 1] = BoxValue(id::DateCheck + d);
    s.SelectionsMonthly = FitSelection(BuildMask(monthly), kMonthlyWidth);
}

void ScheduleForm::ButtonOK_Click() {
    const win::KeepAlive keep(*this);
    ValidateSchedule();
    if (!Alive() || validationFailed_) return;
    StoreSettings();

    const ScheduleSettings& s = Settings();
    if (NoEventsCheckApplies(win::GetCheck(endOption_[0]) == BST_CHECKED, noEventsWarned_, s.OccursOption)) {
        const OleDate now = host_.Now();
        if (NothingScheduled(ComputeNextRun(s, now, 0), now)) {
            // The values stay stored; the owner is not told. A second OK goes through.
            noEventsWarned_ = true;
            const DialogMessage warning = NoEventsWarning();
            ShowMessage(warning.text, true, warning.focusControl);
            return;
        }
    }

    const win::ThreadStateUse callback;  // the host's handler may release the last control
    control::SharedSchedule::Instance().FlagScheduleChanged();
    if (!Alive()) return;  // the owner's handler closed the dialog already
    Unload();
}

}  // namespace cadencer::dialog
