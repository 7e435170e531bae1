// The schedule's input controls, shared by the schedule dialog and the Schedule property
// page: option groups, the day boxes' values, EveryNumber's set-up and limits, filling the
// fields from a schedule, reading them back, and the OK path's checks.
#include "dialog/win/schedule_editor.h"

#include <commctrl.h>

#include "engine/next_run.h"
#include "win/controls.h"

namespace cadencer::dialog {

void SetTabStop(HWND control, bool tabStop) {
    if (!control) return;
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(control, GWL_STYLE, style);
}

bool SelectOption(std::span<const HWND> group, int index) {
    const int count = static_cast<int>(group.size());
    const bool inGroup = index >= 0 && index < count && group[static_cast<std::size_t>(index)];
    const bool changed = inGroup && win::GetCheck(group[static_cast<std::size_t>(index)]) != BST_CHECKED;
    for (int i = 0; i < count; ++i) {
        const HWND option = group[static_cast<std::size_t>(i)];
        if (!option) continue;
        win::SetCheck(option, i == index ? BST_CHECKED : BST_UNCHECKED);
        SetTabStop(option, i == index);
    }
    return changed;
}

int SelectedOption(std::span<const HWND> group) {
    for (std::size_t i = 0; i < group.size(); ++i)
        if (win::GetCheck(group[i]) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

bool IsDayBox(int controlId) {
    return (controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7) ||
           (controlId > id::DateCheck && controlId <= id::DateCheck + 31);
}

// ---- The controls

void ScheduleEditor::Adopt(int controlId, HWND control) {
    if (control) window_ = GetParent(control);
    if (controlId >= id::OccursOption && controlId < id::OccursOption + 5)
        occurs_[static_cast<std::size_t>(controlId - id::OccursOption)] = control;
    else if (controlId >= id::EndOption && controlId < id::EndOption + 2)
        endOption_[static_cast<std::size_t>(controlId - id::EndOption)] = control;
    else if (controlId == id::EveryCombo)
        everyCombo_ = control;
    else if (controlId == id::TimeStart)
        timeStart_ = control;
    else if (controlId == id::DateStart)
        dateStart_ = control;
    else if (controlId == id::DateEnd)
        dateEnd_ = control;
    else if (IsDayBox(controlId))
        win::SetCheck(control, BoxValue(controlId));  // a box created late shows the value held
}

HWND ScheduleEditor::CreateNumber(HWND parent, int controlId, const RECT& rect, numberentry::DigitfieldEvents* events,
                                  HFONT font) {
    if (!number_.Create(parent, controlId, rect, events)) return nullptr;
    const HWND control = number_.ControlWindow();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // The design's EveryNumber: a stored instance of the field, read as a container would.
    MemoryPropertyBag bag;
    bag.Put(u"Format", Variant::String(u"###"));
    bag.Put(u"PositiveOnly", Variant::Bool(true));
    bag.Put(u"UseMaxMinValues", Variant::Bool(true));
    bag.Put(u"UpDownFunction", Variant::Bool(true));
    bag.Put(u"Value", Variant::I16(0));
    number_.ReadProperties(bag);
    return control;
}

void ScheduleEditor::FillUnitList(text::Language language) const {
    for (const auto unit : kEveryUnits) win::ComboAdd(everyCombo_, win::W(text::Text(language, unit)));
}

// ---- Options and boxes

bool ScheduleEditor::EndDateUsed() const {
    return win::GetCheck(endOption_[0]) == BST_CHECKED;
}

int ScheduleEditor::BoxValue(int controlId) const {
    if (controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7)
        return weeklyValue_[static_cast<std::size_t>(controlId - id::WeeklyDay)];
    if (controlId > id::DateCheck && controlId <= id::DateCheck + 31)
        return monthlyValue_[static_cast<std::size_t>(controlId - id::DateCheck)];
    return 0;
}

bool ScheduleEditor::SetBoxValue(int controlId, int value) {
    if (value < 0 || value > 2 || !IsDayBox(controlId) || BoxValue(controlId) == value) return false;
    if (controlId < id::DateCheck)
        weeklyValue_[static_cast<std::size_t>(controlId - id::WeeklyDay)] = value;
    else
        monthlyValue_[static_cast<std::size_t>(controlId - id::DateCheck)] = value;
    if (window_) win::SetCheck(GetDlgItem(window_, controlId), value);
    return true;
}

// ---- The interval and its unit

int ScheduleEditor::Unit() const {
    return win::ComboSelection(everyCombo_);
}

void ScheduleEditor::ApplyUnitLimits(const ScheduleSettings& settings) {
    const IntervalLimits limits = LimitsForUnit(Unit(), settings);
    number_.SetMinValue(Variant::I16(limits.min));
    number_.SetMaxValue(Variant::I16(limits.max));
    number_.SetUpDownIncrement(limits.increment);
    const auto value = number_.Value().ToDouble();
    const double shown = value ? *value : 0.0;
    const double pulled = PullIntoLimits(shown, number_.MinValue(), number_.MaxValue());
    if (pulled != shown) number_.SetValue(Variant::Double(pulled));
}

// ---- Filling and reading

void ScheduleEditor::LoadTimeAndDates(const ScheduleSettings& s) {
    if (auto time = win::PickerTime(timeStart_)) {
        const int minuteOfDay = StartMinuteOfDay(s);
        time->wHour = static_cast<WORD>(minuteOfDay / 60);
        time->wMinute = static_cast<WORD>(minuteOfDay % 60);
        time->wSecond = 0;
        time->wMilliseconds = 0;
        win::SetPickerTime(timeStart_, *time);
    }
    if (const auto start = win::ToSystemTime(s.StartDate)) win::SetPickerTime(dateStart_, *start);
    if (const auto end = win::ToSystemTime(s.EndDate)) win::SetPickerTime(dateEnd_, *end);
}

void ScheduleEditor::Store(ScheduleSettings& s) {
    if (const int kind = SelectedKind(); kind >= 0) s.OccursOption = kind;
    if (const auto interval = number_.Value().ToI16()) s.EveryInterval = *interval;  // halves to even
    s.EveryFrequency = Unit();
    if (const auto time = win::PickerTime(timeStart_)) {
        s.StartHour = static_cast<std::int16_t>(time->wHour);
        s.StartMinute = static_cast<std::int16_t>(time->wMinute);
    }
    if (const auto start = win::PickerTime(dateStart_))
        if (const auto value = win::FromSystemTime(*start)) s.StartDate = *value;
    if (const auto end = win::PickerTime(dateEnd_))
        if (const auto value = win::FromSystemTime(*end)) s.EndDate = *value;
    s.UseEndDate = EndDateUsed();
    s.SelectionsWeekly = FitSelection(BuildMask(std::span<const int>(weeklyValue_).subspan(1)), kWeeklyWidth);
    s.SelectionsMonthly = FitSelection(BuildMask(std::span<const int>(monthlyValue_).subspan(1)), kMonthlyWidth);
}

std::optional<DialogMessage> ScheduleEditor::Check() const {
    ValidationInput input;
    input.selectedKind = SelectedKind();
    input.noEndDate = win::GetCheck(endOption_[1]) == BST_CHECKED;
    const auto start = win::PickerTime(dateStart_);
    const auto end = win::PickerTime(dateEnd_);
    if (start && end) {
        const auto a = win::FromSystemTime(*start);
        const auto b = win::FromSystemTime(*end);
        if (a && b) input.daysStartToEnd = DayDiff(*a, *b);
    }
    input.weekly = weeklyValue_;
    input.monthly = monthlyValue_;
    const Problem problem = ValidateSchedule(input);
    if (problem == Problem::None) return std::nullopt;
    return MessageFor(problem);
}

}  // namespace cadencer::dialog
