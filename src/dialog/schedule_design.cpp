// The schedule dialog's design table: controls, geometry and the calendar grid.
#include "dialog/schedule_design.h"

#include <string>

namespace cadencer::dialog {
namespace {

constexpr std::u16string_view kDayNumbers[32] = {
    u"",   u"1",  u"2",  u"3",  u"4",  u"5",  u"6",  u"7",  u"8",  u"9",  u"10", u"11", u"12", u"13", u"14", u"15",
    u"16", u"17", u"18", u"19", u"20", u"21", u"22", u"23", u"24", u"25", u"26", u"27", u"28", u"29", u"30", u"31"};

struct WeekdayBox {
    int index;
    std::u16string_view caption;
    TwipRect rect;
};
// Monday first, Sunday last: the tab order follows the three rows.
constexpr WeekdayBox kWeekdays[7] = {
    {2, u"Monday", {840, 330, 900, 255}},      {3, u"Tuesday", {1860, 330, 930, 255}},
    {4, u"Wednesday", {2880, 330, 1170, 255}}, {5, u"Thursday", {840, 660, 975, 255}},
    {6, u"Friday", {1860, 660, 735, 255}},     {7, u"Saturday", {2880, 660, 930, 255}},
    {1, u"Sunday", {840, 990, 855, 255}},
};

constexpr text::Id kOccursCaptions[5] = {text::Id::OccursNever, text::Id::OccursDaily, text::Id::OccursWeekly,
                                         text::Id::OccursMonthly, text::Id::OccursEvery};
using text::Id;
constexpr TwipRect kOccursRects[5] = {
    {240, 330, 855, 195}, {240, 660, 660, 195}, {1050, 660, 855, 195}, {2055, 660, 855, 195}, {240, 990, 720, 195}};

std::vector<ControlDesign> BuildDesign() {
    std::vector<ControlDesign> d;
    // The captions come from the catalog; the design keeps their English form beside.
    auto add = [&d](int id, Kind kind, Frame frame, TwipRect rect, std::optional<Id> caption, bool tabStop,
                    bool group) {
        const std::u16string_view english = caption ? text::Text(text::Language::English, *caption) : u"";
        d.push_back({id, kind, frame, rect, caption, english, tabStop, group, false});
    };

    // "Occurs": one option group, then the number and its unit.
    for (int i = 0; i < 5; ++i)
        add(id::OccursOption + i, Kind::Option, Frame::Occurs, kOccursRects[i], kOccursCaptions[i], i == 0, i == 0);
    add(id::EveryNumber, Kind::NumberField, Frame::Occurs, {1095, 960, 600, 255}, std::nullopt, true, true);
    add(id::EveryCombo, Kind::ComboList, Frame::Occurs, {1890, 930, 1020, 315}, std::nullopt, true, true);

    // "Execution". DateEnd sits between the two end options in the tab order; it does not
    // start a group, so the two options stay one group around it.
    add(id::Label1, Kind::Label, Frame::Daily, {240, 345, 420, 210}, Id::LabelTime, false, false);
    add(id::TimeStart, Kind::TimePicker, Frame::Daily, {690, 330, 1065, 285}, std::nullopt, true, true);
    add(id::Label3, Kind::Label, Frame::Daily, {240, 705, 420, 255}, Id::LabelStart, false, false);
    add(id::DateStart, Kind::DatePicker, Frame::Daily, {690, 690, 1260, 285}, std::nullopt, true, true);
    add(id::EndOption + 0, Kind::Option, Frame::Daily, {2100, 730, 630, 255}, Id::OptionEnd, true, true);
    add(id::DateEnd, Kind::DatePicker, Frame::Daily, {2760, 690, 1260, 285}, std::nullopt, true, false);
    add(id::EndOption + 1, Kind::Option, Frame::Daily, {2100, 990, 1200, 255}, Id::OptionNoEndDate, false, false);

    // "Weekly Schedule".
    add(id::Label4, Kind::Label, Frame::Weekly, {240, 345, 420, 255}, Id::LabelWeeklyEvery, false, false);
    for (const auto& w : kWeekdays)
        d.push_back(
            {id::WeeklyDay + w.index, Kind::Check, Frame::Weekly, w.rect, std::nullopt, w.caption, true, true, false});

    // "Monthly Schedule": the heading label, then each day's label and check box.
    add(id::DateLabel, Kind::Label, Frame::Monthly, DateLabelRect(0), Id::LabelByCalendarDate, false, false);
    for (int day = 1; day <= 31; ++day) {
        d.push_back({id::DateLabel + day, Kind::Label, Frame::Monthly, DateLabelRect(day), std::nullopt,
                     kDayNumbers[day], false, false, true});
        add(id::DateCheck + day, Kind::Check, Frame::Monthly, DateCheckRect(day), std::nullopt, true, true);
    }

    add(id::ButtonOK, Kind::Button, Frame::None, {3600, 240, 915, 360}, Id::ButtonOK, true, true);
    add(id::ButtonCancel, Kind::Button, Frame::None, {3600, 675, 915, 360}, Id::ButtonClose, true, true);
    add(id::ButtonHelp, Kind::Button, Frame::None, {3600, 1110, 915, 360}, Id::ButtonHelp, true, true);

    // Frames last: at the bottom of the sibling order they never paint over their contents.
    add(id::FrameOccurs, Kind::Frame, Frame::None, FrameRect(Frame::Occurs), Id::FrameOccurs, false, false);
    add(id::FrameDaily, Kind::Frame, Frame::None, FrameRect(Frame::Daily), Id::FrameExecution, false, false);
    add(id::FrameWeekly, Kind::Frame, Frame::None, FrameRect(Frame::Weekly), Id::FrameWeekly, false, false);
    add(id::FrameMonthly, Kind::Frame, Frame::None, FrameRect(Frame::Monthly), Id::FrameMonthly, false, false);

    // Aligned to the bottom edge at run time; the rectangle gives width and height.
    add(id::StatusBar, Kind::StatusBar, Frame::None, {0, 0, kClientWidthTwips, kStatusBarHeightTwips}, std::nullopt,
        false, false);
    return d;
}

}  // namespace

std::optional<int> OuterHeightForKind(int occursIndex) {
    switch (occursIndex) {
        case 0:
            return kOuterHeightNever;
        case 1:
            return kOuterHeightDaily;
        case 2:
            return kOuterHeightWeekly;
        case 3:
            return kOuterHeightMonthly;
        case 4:
            return kOuterHeightNever;
        default:
            return std::nullopt;
    }
}

TwipRect FrameRect(Frame frame) {
    switch (frame) {
        case Frame::Occurs:
            return {240, 150, 3135, 1500};
        case Frame::Daily:
            return {240, 1680, 4275, 1440};
        case Frame::Weekly:
            return {240, 5985, 4275, 1470};
        case Frame::Monthly:
            return {240, 3150, 4275, 2760};
        case Frame::None:
            break;
    }
    return {0, 0, 0, 0};
}

TwipRect DateLabelRect(int day) {
    if (day <= 0) return {240, 315, 1935, 450};
    // Days 1 to 3 fill the end of the first row, after the heading.
    const int cell = day + 3;
    const int row = cell / 7;
    const int column = cell % 7;
    return {240 + 480 * column, 315 + 435 * row, 495, 225};
}

TwipRect DateCheckRect(int day) {
    const TwipRect label = DateLabelRect(day);
    return {label.left + 150, label.top + 225, 195, 195};
}

const std::array<GridLine, 9>& DateLines() {
    static constexpr std::array<GridLine, 9> lines = {{
        {240, 315, 240, 2490},    // 1: left edge
        {240, 2490, 3615, 2490},  // 2: bottom edge
        {3600, 315, 3600, 2490},  // 3: right edge
        {720, 750, 720, 2490},    // 4-6: below the heading
        {1200, 750, 1200, 2490},
        {1680, 750, 1680, 2490},
        {2160, 315, 2160, 2490},  // 7-9: full height
        {2640, 315, 2640, 2490},
        {3120, 315, 3120, 2490},
    }};
    return lines;
}

std::u16string WithoutMnemonic(std::u16string_view caption) {
    std::u16string name;
    for (char16_t c : caption)
        if (c != u'&') name.push_back(c);
    return name;
}

std::u16string AccessibleName(int controlId, text::Language language, std::u16string_view weekdayName) {
    const ControlDesign* design = FindControl(controlId);
    if (!design) return {};
    switch (design->kind) {
        case Kind::Frame:
        case Kind::Label:
        case Kind::StatusBar:
            return {};
        default:
            break;
    }
    auto caption = [language](int id) {
        const ControlDesign* d = FindControl(id);
        return WithoutMnemonic(d->text ? text::Text(language, *d->text) : d->caption);
    };
    // The pickers stand after their labels ("Time:", "Start:") or their option ("End:").
    if (controlId == id::TimeStart) return caption(id::Label1);
    if (controlId == id::DateStart) return caption(id::Label3);
    if (controlId == id::DateEnd) return caption(id::EndOption + 0);
    if (controlId == id::EveryNumber) return EveryNumberAccessibleName(u"", language);
    if (controlId == id::EveryCombo) return UnitListAccessibleName(u"", language);
    if (controlId > id::DateCheck && controlId <= id::DateCheck + 31)
        return text::Say(language, Id::NameDay, {kDayNumbers[controlId - id::DateCheck]});
    if (design->kind == Kind::Check && !weekdayName.empty()) return std::u16string(weekdayName);
    return caption(controlId);
}

std::u16string EveryNumberAccessibleName(std::u16string_view unit, text::Language language) {
    const std::u16string every = WithoutMnemonic(text::Text(language, Id::OccursEvery));
    if (unit.empty()) return every;
    return text::Say(language, Id::NameEveryNumber, {every, unit});
}

std::u16string UnitListAccessibleName(std::u16string_view unit, text::Language language) {
    if (unit.empty()) return std::u16string(text::Text(language, Id::NameUnit));
    return text::Say(language, Id::NameUnitOf, {WithoutMnemonic(text::Text(language, Id::OccursEvery)), unit});
}

const std::vector<ControlDesign>& Design() {
    static const std::vector<ControlDesign> design = BuildDesign();
    return design;
}

const ControlDesign* FindControl(int controlId) {
    for (const auto& design : Design())
        if (design.id == controlId) return &design;
    return nullptr;
}

}  // namespace cadencer::dialog
