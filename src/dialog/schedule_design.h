// The design of the schedule dialog as data: every control with its name, kind, frame,
// caption and geometry in twips, in creation order (which is also the tab order of the
// controls that take the focus), the heights of the five layouts, the status bar panels,
// and the texts the dialog shows. Portable: the Windows form builds itself from this
// table, and native tests check the geometry without a window.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/catalog.h"

namespace cadencer::dialog {

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    friend constexpr bool operator==(const TwipRect&, const TwipRect&) = default;
};

// ---- The form
inline constexpr std::u16string_view kDesignCaption = u" Schedule";
inline constexpr int kClientWidthTwips = 4740;
// The layout heights are outer heights (title bar and borders included), designed for one
// classic title bar. That non-client part is taken as 405 twips (27 pixels at 96 DPI: a
// caption plus fixed borders), which leaves a gap of 210 to 225 twips between the lowest
// frame of each layout and the status bar. The window is sized so that its client area
// is the designed client area, whatever its real title bar, borders and DPI.
inline constexpr int kDesignNonClientHeightTwips = 405;
inline constexpr int kOuterHeightNever = 2520;
inline constexpr int kOuterHeightDaily = 3990;
inline constexpr int kOuterHeightWeekly = 5505;
inline constexpr int kOuterHeightMonthly = 6780;
inline constexpr int kStatusBarHeightTwips = 255;
// Before a kind is selected the dialog has the smallest layout.
inline constexpr int kDesignOuterHeight = kOuterHeightNever;

// The designed outer height of a kind's layout (OccursOption index), or empty for an
// index that changes nothing.
std::optional<int> OuterHeightForKind(int occursIndex);
constexpr int ClientHeightForOuter(int outerHeightTwips) {
    return outerHeightTwips - kDesignNonClientHeightTwips;
}

// ---- Controls
enum class Kind { Frame, Option, Check, Label, Button, ComboList, TimePicker, DatePicker, NumberField, StatusBar };
enum class Frame { None, Occurs, Daily, Weekly, Monthly };

// Control identifiers. Arrays take their base plus the index. None is 1 or 2, so that the
// dialog manager's own IDOK/IDCANCEL commands never reach a button by mistake.
namespace id {
inline constexpr int FrameOccurs = 100, FrameDaily = 101, FrameWeekly = 102, FrameMonthly = 103;
inline constexpr int OccursOption = 110;  // + 0..4
inline constexpr int EveryNumber = 120, EveryCombo = 121;
inline constexpr int Label1 = 130, TimeStart = 131, Label3 = 132, DateStart = 133, DateEnd = 134;
inline constexpr int EndOption = 140;  // + 0..1
inline constexpr int Label4 = 150;
inline constexpr int WeeklyDay = 160;  // + 1..7
inline constexpr int DateLabel = 200;  // + 0..31
inline constexpr int DateCheck = 300;  // + 1..31
inline constexpr int ButtonOK = 1001, ButtonCancel = 1002, ButtonHelp = 1003;
inline constexpr int StatusBar = 1010;
}  // namespace id

struct ControlDesign {
    int id = 0;
    Kind kind = Kind::Label;
    Frame frame = Frame::None;
    TwipRect rect;                 // relative to the frame (its design position), or to the client area
    std::optional<text::Id> text;  // the caption in the catalog; none: a number, a weekday or no caption
    std::u16string_view caption;   // as the design shows it, in English
    bool tabStop = false;          // takes the focus by Tab (option buttons: the group's start)
    bool startsGroup = false;      // first control of a dialog-manager group
    bool cyanLabel = false;        // a calendar day label: light cyan background
};

// Every control in creation order. Controls that take the focus appear in tab order:
// OccursOption(0..4), EveryNumber, EveryCombo, TimeStart, DateStart, EndOption(0), DateEnd,
// EndOption(1), WeeklyDay(2..7, 1), DateCheck(1..31), ButtonOK, ButtonCancel, ButtonHelp.
const std::vector<ControlDesign>& Design();
const ControlDesign* FindControl(int controlId);
// The design rectangle of a frame (relative to the client area).
TwipRect FrameRect(Frame frame);
// Top of FrameWeekly and FrameMonthly while shown.
inline constexpr int kLowerFrameTop = 3150;

// ---- The calendar grid of FrameMonthly (day 1..31; DateLabel(0) is the heading)
TwipRect DateLabelRect(int day);
TwipRect DateCheckRect(int day);
struct GridLine {
    int x1, y1, x2, y2;  // twips, relative to FrameMonthly
};
const std::array<GridLine, 9>& DateLines();                // DateLine(1..9) at [0..8]
inline constexpr unsigned kDateLabelBackColor = 0xFFFFC0;  // COLORREF (0x00BBGGRR): red 192, green 255, blue 255

// ---- Accessible names
// The name accessibility clients read for an input: its caption without the mnemonic
// ampersand, or, for an input without a caption of its own, what its label or its place
// says: "Time:", "Start:" and "End:" for the pickers, "Unit" for the unit list, "Every"
// for the number, "Day 1" to "Day 31" for the calendar's boxes. Empty for a control that
// takes no input (frames, labels, the status bar).
std::u16string AccessibleName(int controlId, text::Language language = text::Language::English,
                              std::u16string_view weekdayName = {});
// The number field's name with the unit the list shows: "Every hour(s)"; "Every" alone
// while no unit is selected.
std::u16string EveryNumberAccessibleName(std::u16string_view unit, text::Language language = text::Language::English);
// The unit list's name: what it sets, with the unit it shows ("Every, unit: hour(s)"), or
// "Unit" while it shows none.
std::u16string UnitListAccessibleName(std::u16string_view unit, text::Language language);
// A caption without its mnemonic's ampersand.
std::u16string WithoutMnemonic(std::u16string_view caption);

// ---- Status bar panels: widths in twips, tool tips
inline constexpr std::array<int, 3> kPanelWidthsTwips = {2880, 990, 825};
// ---- Texts
inline constexpr text::Id kEveryUnits[2] = {text::Id::UnitHours, text::Id::UnitMinutes};

// The status bar's hints, in the order of the design's hint handlers (the frames "Occurs",
// "Execution", "Weekly Schedule", "Monthly Schedule", then OK and Close/Cancel).
inline constexpr int kHintCount = 6;
inline constexpr text::Id kHints[kHintCount] = {text::Id::HintOccurs,  text::Id::HintExecution, text::Id::HintWeekly,
                                                text::Id::HintMonthly, text::Id::HintOK,        text::Id::HintCancel};
inline constexpr text::Id kPanelToolTips[3] = {text::Id::PanelDescription, text::Id::PanelDate, text::Id::PanelTime};

}  // namespace cadencer::dialog
