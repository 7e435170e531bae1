// ScheduleEditor: the schedule's input controls, read and written one way for both windows
// that edit the schedule, the schedule dialog and the Schedule property page. It holds the
// controls each window created (the kind and end-date options, the unit list, the pickers,
// the number field EveryNumber and the value of every weekday and calendar-day box), and
// does what both do with them: selecting an option (and making it its group's tab stop),
// setting up EveryNumber as the design has it, holding the interval to its unit's limits,
// filling the fields from a schedule, reading them back into one, and the OK checks.
//
// What the two windows do differently stays with them: the dialog shows and hides frames
// and raises its handlers; the page disables the fields a kind does not use.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <span>

#include "dialog/schedule_rules.h"
#include "engine/schedule_settings.h"
#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog {

// Adds or removes a control's tab stop (Tab enters an option group at its selected option).
void SetTabStop(HWND control, bool tabStop);
// Checks option `index` of a group (none when `index` is outside it) and makes it the
// group's tab stop; true when that option was not checked before.
bool SelectOption(std::span<const HWND> group, int index);
// The first checked option of a group, or -1.
int SelectedOption(std::span<const HWND> group);
// Whether a control identifier is a weekday's or a calendar day's box.
bool IsDayBox(int controlId);

class ScheduleEditor {
public:
    // ---- The controls, as their window creates them
    // Remembers a control of the schedule's inputs by its design identifier (others are
    // ignored); a day box is given the value held for it.
    void Adopt(int controlId, HWND control);
    // Creates EveryNumber with the font and set-up of the design; its control window, or null.
    HWND CreateNumber(HWND parent, int controlId, const RECT& rect, numberentry::DigitfieldEvents* events, HFONT font);
    // The unit list's entries ("hour(s)", "minute(s)").
    void FillUnitList(text::Language language = text::Language::English) const;

    std::span<const HWND> Occurs() const { return occurs_; }
    std::span<const HWND> EndOptions() const { return endOption_; }
    HWND Occurs(int index) const { return occurs_[static_cast<std::size_t>(index)]; }
    HWND EndOption(int index) const { return endOption_[static_cast<std::size_t>(index)]; }
    HWND UnitList() const { return everyCombo_; }
    HWND TimeStart() const { return timeStart_; }
    HWND DateStart() const { return dateStart_; }
    HWND DateEnd() const { return dateEnd_; }
    numberentry::DigitfieldWindow& Number() { return number_; }

    // ---- Options and boxes
    int SelectedKind() const { return SelectedOption(occurs_); }
    bool EndDateUsed() const;
    // A day box's value (0, 1 or 2 grayed), held here so that a box not created yet keeps it.
    int BoxValue(int controlId) const;
    // Sets a box's value and check; true when the value changed.
    bool SetBoxValue(int controlId, int value);
    // The box values a schedule's masks load (a character other than "0", "1" or "2" loads
    // an unchecked box), each passed to `set(controlId, value)`.
    template <typename Set>
    static void ForEachLoadedBox(const ScheduleSettings& s, Set set);

    // ---- The interval and its unit
    int Unit() const;
    // The selected unit's limits and increment for the number field, then the number pulled
    // into the field's limits: down to the maximum first, then up to the minimum (the
    // lower limit wins, as the field's own guard against crossed limits has it).
    void ApplyUnitLimits(const ScheduleSettings& limits);

    // ---- Filling and reading
    // The start time (hour 24 and values out of range are midnight, the time the schedule
    // uses for them; the picker's hours run 0 to 23) and the start and end dates.
    void LoadTimeAndDates(const ScheduleSettings& s);
    // Writes each field from its control in the design's order; a control whose value
    // cannot be read leaves its field as it was. EveryFrequency is the list's index (-1 when
    // nothing is selected).
    void Store(ScheduleSettings& s);
    // The OK path's checks; the message of the first that fails.
    std::optional<DialogMessage> Check() const;

private:
    HWND window_ = nullptr;  // the window holding the controls
    std::array<HWND, 5> occurs_{};
    std::array<HWND, 2> endOption_{};
    HWND everyCombo_ = nullptr, timeStart_ = nullptr, dateStart_ = nullptr, dateEnd_ = nullptr;
    numberentry::DigitfieldWindow number_;
    std::array<int, 8> weeklyValue_{};    // [1..7]
    std::array<int, 32> monthlyValue_{};  // [1..31]
};

template <typename Set>
void ScheduleEditor::ForEachLoadedBox(const ScheduleSettings& s, Set set) {
    for (int i = 1; i <= 7; ++i) {
        const auto at = static_cast<std::size_t>(i - 1);
        set(id::WeeklyDay + i,
            at < s.SelectionsWeekly.size() ? BoxValueOfMaskChar(s.SelectionsWeekly[at]).value_or(0) : 0);
    }
    for (int d = 1; d <= 31; ++d) {
        const auto at = static_cast<std::size_t>(d - 1);
        set(id::DateCheck + d,
            at < s.SelectionsMonthly.size() ? BoxValueOfMaskChar(s.SelectionsMonthly[at]).value_or(0) : 0);
    }
}

}  // namespace cadencer::dialog
