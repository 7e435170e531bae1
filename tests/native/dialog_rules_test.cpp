// The schedule dialog's design table and window-free rules: tab order, geometry that fits
// every layout at any DPI, the calendar grid, the order of the OK checks, masks, titles,
// interval limits and the no-events test.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "dialog/schedule_design.h"
#include "dialog/schedule_rules.h"
#include "engine/next_run.h"

namespace cadencer::dialog {
namespace {

OleDate At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Compose({y, mo, d, h, mi, s}).value();
}

TEST(DialogDesign, FocusableControlsAreCreatedInTheDesignedTabOrder) {
    std::vector<int> expected;
    for (int i = 0; i < 5; ++i) expected.push_back(id::OccursOption + i);
    expected.insert(expected.end(), {id::EveryNumber, id::EveryCombo, id::TimeStart, id::DateStart, id::EndOption + 0,
                                     id::DateEnd, id::EndOption + 1});
    for (int i : {2, 3, 4, 5, 6, 7, 1}) expected.push_back(id::WeeklyDay + i);
    for (int d = 1; d <= 31; ++d) expected.push_back(id::DateCheck + d);
    expected.insert(expected.end(), {id::ButtonOK, id::ButtonCancel, id::ButtonHelp});

    std::vector<int> actual;
    for (const auto& c : Design())
        if (c.kind != Kind::Frame && c.kind != Kind::Label && c.kind != Kind::StatusBar) actual.push_back(c.id);
    EXPECT_EQ(actual, expected);
}

TEST(DialogDesign, IdentifiersAreUniqueAndNeverTheDialogManagersOwn) {
    std::vector<int> ids;
    for (const auto& c : Design()) ids.push_back(c.id);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 1), 0);  // IDOK
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 2), 0);  // IDCANCEL
}

TEST(DialogDesign, EveryControlLiesInsideItsFrame) {
    for (const auto& c : Design()) {
        if (c.frame == Frame::None) continue;
        const TwipRect frame = FrameRect(c.frame);
        EXPECT_GE(c.rect.left, 0) << c.id;
        EXPECT_GE(c.rect.top, 0) << c.id;
        EXPECT_LE(c.rect.right(), frame.width) << c.id;
        EXPECT_LE(c.rect.bottom(), frame.height) << c.id;
    }
    for (const auto& line : DateLines()) {
        EXPECT_LE(std::max(line.x1, line.x2), FrameRect(Frame::Monthly).width);
        EXPECT_LE(std::max(line.y1, line.y2), FrameRect(Frame::Monthly).height);
    }
}

TEST(DialogDesign, CalendarGridStartsAfterTheHeadingAndEndsOnTheLastCell) {
    EXPECT_EQ(DateLabelRect(1), (TwipRect{240 + 480 * 4, 315, 495, 225}));
    EXPECT_EQ(DateLabelRect(3), (TwipRect{240 + 480 * 6, 315, 495, 225}));
    EXPECT_EQ(DateLabelRect(4), (TwipRect{240, 315 + 435, 495, 225}));
    EXPECT_EQ(DateLabelRect(31), (TwipRect{240 + 480 * 6, 315 + 435 * 4, 495, 225}));
    EXPECT_EQ(DateCheckRect(31), (TwipRect{240 + 480 * 6 + 150, 315 + 435 * 4 + 225, 195, 195}));
    // The heading covers the four empty cells of the first row and nothing below it.
    EXPECT_LE(DateLabelRect(0).bottom(), DateLabelRect(4).top + 15);
    ASSERT_NE(FindControl(id::DateLabel + 7), nullptr);
    EXPECT_TRUE(FindControl(id::DateLabel + 7)->cyanLabel);
    EXPECT_FALSE(FindControl(id::DateLabel)->cyanLabel);
}

// Each kind shows these frames; all must fit above the status bar of its designed client
// area, and within its width, at any DPI.
TEST(DialogDesign, EachLayoutFitsItsClientAreaAtAnyDpi) {
    struct Layout {
        int kind;
        std::vector<Frame> frames;
    };
    const std::vector<Layout> layouts = {{0, {Frame::Occurs}},
                                         {1, {Frame::Occurs, Frame::Daily}},
                                         {2, {Frame::Occurs, Frame::Daily, Frame::Weekly}},
                                         {3, {Frame::Occurs, Frame::Daily, Frame::Monthly}},
                                         {4, {Frame::Occurs}}};
    for (int dpi : {96, 120, 144, 168, 192, 288}) {
        for (const auto& layout : layouts) {
            const int clientTwips = ClientHeightForOuter(*OuterHeightForKind(layout.kind));
            const int statusTop = TwipsToPixels(clientTwips, dpi) - TwipsToPixels(kStatusBarHeightTwips, dpi);
            const int clientWidth = TwipsToPixels(kClientWidthTwips, dpi);
            for (Frame f : layout.frames) {
                TwipRect r = FrameRect(f);
                if (f == Frame::Weekly || f == Frame::Monthly) r.top = kLowerFrameTop;
                const PixelRect p = ToPixels(r, dpi);
                EXPECT_LT(p.bottom, statusTop) << "kind " << layout.kind << " dpi " << dpi;
                EXPECT_LE(p.right, clientWidth);
            }
            for (int button : {id::ButtonOK, id::ButtonCancel, id::ButtonHelp})
                EXPECT_LT(ToPixels(FindControl(button)->rect, dpi).bottom, statusTop);
        }
    }
    EXPECT_EQ(OuterHeightForKind(5), std::nullopt);
    EXPECT_EQ(OuterHeightForKind(-1), std::nullopt);
}

TEST(DialogDesign, TwipsConvertEdgeByEdgeWithRounding) {
    EXPECT_EQ(TwipsToPixels(1440, 96), 96);
    EXPECT_EQ(TwipsToPixels(4740, 96), 316);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);
    EXPECT_EQ(TwipsToPixels(8, 96), 1);  // 0.53 rounds up
    EXPECT_EQ(TwipsToPixels(-8, 96), -1);
    EXPECT_EQ(PixelsToTwips(96, 96), 1440);
    EXPECT_EQ(PixelsToTwips(1, 120), 12);
    // Two rectangles that touch in twips touch in pixels.
    const PixelRect a = ToPixels({0, 0, 487, 10}, 144), b = ToPixels({487, 0, 487, 10}, 144);
    EXPECT_EQ(a.right, b.left);
}

ValidationInput Input(int kind, bool noEnd, std::optional<std::int64_t> days) {
    ValidationInput in;
    in.selectedKind = kind;
    in.noEndDate = noEnd;
    in.daysStartToEnd = days;
    return in;
}

// Every control that takes input has a name for screen readers, and the inputs without a
// caption of their own are named as their label or their place reads.
TEST(DialogDesign, EveryInputHasAnAccessibleName) {
    for (const auto& d : Design()) {
        const bool input = d.kind != Kind::Frame && d.kind != Kind::Label && d.kind != Kind::StatusBar;
        EXPECT_EQ(AccessibleName(d.id).empty(), !input) << d.id;
    }
    EXPECT_EQ(AccessibleName(id::TimeStart), u"Time:");
    EXPECT_EQ(AccessibleName(id::DateStart), u"Start:");
    EXPECT_EQ(AccessibleName(id::DateEnd), u"End:");
    EXPECT_EQ(AccessibleName(id::EveryCombo), u"Unit");
    EXPECT_EQ(AccessibleName(id::EveryNumber), u"Every");
    EXPECT_EQ(AccessibleName(id::DateCheck + 1), u"Day 1");
    EXPECT_EQ(AccessibleName(id::DateCheck + 31), u"Day 31");
    EXPECT_EQ(AccessibleName(id::WeeklyDay + 1), u"Sunday");
    EXPECT_EQ(AccessibleName(id::EndOption + 1), u"No end date");
    EXPECT_EQ(AccessibleName(id::ButtonOK), u"OK");  // without the mnemonic's ampersand
    EXPECT_EQ(AccessibleName(id::Label1), u"");
    EXPECT_EQ(AccessibleName(4242), u"");
    EXPECT_EQ(EveryNumberAccessibleName(u"minute(s)"), u"Every minute(s)");
}

TEST(DialogValidation, ChecksRunInOrderAndTheFirstFailureWins) {
    // Never passes whatever else is wrong.
    EXPECT_EQ(ValidateSchedule(Input(0, false, -5)), Problem::None);
    // Without an end date nothing else is checked, not even empty masks.
    EXPECT_EQ(ValidateSchedule(Input(2, true, -5)), Problem::None);
    EXPECT_EQ(ValidateSchedule(Input(3, true, 0)), Problem::None);
    // The date order comes before the masks.
    EXPECT_EQ(ValidateSchedule(Input(2, false, -1)), Problem::StartAfterEnd);
    EXPECT_EQ(ValidateSchedule(Input(4, false, -1)), Problem::StartAfterEnd);
    EXPECT_EQ(ValidateSchedule(Input(1, false, 0)), Problem::None);  // the same day passes
    EXPECT_EQ(ValidateSchedule(Input(2, false, 0)), Problem::NoWeekday);
    EXPECT_EQ(ValidateSchedule(Input(3, false, 3)), Problem::NoCalendarDate);
    // A date that cannot be read skips the date check only.
    EXPECT_EQ(ValidateSchedule(Input(2, false, std::nullopt)), Problem::NoWeekday);
    // No kind selected (a kind the dialog could not load) is checked like Daily.
    EXPECT_EQ(ValidateSchedule(Input(-1, false, 1)), Problem::None);
}

TEST(DialogValidation, OnlyACheckedBoxSelectsAGrayedOneDoesNot) {
    auto weekly = Input(2, false, 1);
    weekly.weekly = {0, 2, 2, 2, 2, 2, 2, 2};
    EXPECT_EQ(ValidateSchedule(weekly), Problem::NoWeekday);
    weekly.weekly[1] = 1;  // Sunday
    EXPECT_EQ(ValidateSchedule(weekly), Problem::None);
    auto monthly = Input(3, false, 1);
    monthly.monthly.fill(2);
    monthly.monthly[0] = 1;  // index 0 is no day
    EXPECT_EQ(ValidateSchedule(monthly), Problem::NoCalendarDate);
    monthly.monthly[31] = 1;
    EXPECT_EQ(ValidateSchedule(monthly), Problem::None);
}

TEST(DialogValidation, MessagesNameTheirTextIconAndFocus) {
    const auto order = MessageFor(Problem::StartAfterEnd);
    EXPECT_EQ(order.text, u"The start date cannot be after the end date.");
    EXPECT_EQ(order.icon, MessageIcon::Error);
    EXPECT_EQ(order.focusControl, id::DateStart);
    EXPECT_EQ(MessageFor(Problem::NoWeekday).text, u"At least one weekday must be selected.");
    EXPECT_EQ(MessageFor(Problem::NoWeekday).focusControl, id::WeeklyDay + 2);
    EXPECT_EQ(MessageFor(Problem::NoCalendarDate).text, u"At least one calendar date must be selected.");
    EXPECT_EQ(MessageFor(Problem::NoCalendarDate).focusControl, id::DateCheck + 1);
    EXPECT_EQ(NoEventsWarning().text, u"Warning: No events are currently scheduled.");
    EXPECT_EQ(NoEventsWarning().icon, MessageIcon::Warning);
    EXPECT_EQ(NoEventsWarning().focusControl, id::DateStart);
}

TEST(DialogValidation, MessageTitleIsABlankAndTheTrimmedTitle) {
    EXPECT_EQ(MessageTitle(u"Schedule"), u" Schedule");
    EXPECT_EQ(MessageTitle(u"   My  jobs  "), u" My  jobs");
    EXPECT_EQ(MessageTitle(u""), u" ");
    EXPECT_EQ(MessageTitle(u"    "), u" ");
}

TEST(DialogMasks, BoxValuesBecomeDigitsAndDigitsLoadBoxes) {
    const int weekly[] = {0, 1, 0, 0, 0, 1, 2};
    EXPECT_EQ(BuildMask(weekly), u"0100012");
    EXPECT_EQ(BuildMask(std::span<const int>{}), u"");
    EXPECT_EQ(BoxValueOfMaskChar(u'0'), 0);
    EXPECT_EQ(BoxValueOfMaskChar(u'1'), 1);
    EXPECT_EQ(BoxValueOfMaskChar(u'2'), 2);
    EXPECT_EQ(BoxValueOfMaskChar(u'3'), std::nullopt);  // a box holds at most 2
    EXPECT_EQ(BoxValueOfMaskChar(u' '), std::nullopt);  // the blanks of a short saved mask
    EXPECT_EQ(BoxValueOfMaskChar(u'x'), std::nullopt);
}

TEST(DialogInterval, UnitLimitsAndTheLowerLimitLast) {
    ScheduleSettings s;
    s.EveryHourMin = 1, s.EveryHourMax = 12, s.EveryHourIncrement = 2;
    s.EveryMinuteMin = 15, s.EveryMinuteMax = 600, s.EveryMinuteIncrement = 5;
    EXPECT_EQ(LimitsForUnit(1, s).max, 600);
    EXPECT_EQ(LimitsForUnit(1, s).increment, 5);
    EXPECT_EQ(LimitsForUnit(0, s).max, 12);
    EXPECT_EQ(LimitsForUnit(-1, s).increment, 2);  // nothing selected: hours
    EXPECT_EQ(PullIntoLimits(700, LimitsForUnit(1, s)), 600);
    EXPECT_EQ(PullIntoLimits(0, LimitsForUnit(1, s)), 15);
    EXPECT_EQ(PullIntoLimits(7.5, LimitsForUnit(0, s)), 7.5);
    EXPECT_EQ(PullIntoLimits(50, {30, 20, 1}), 30);  // minimum above maximum: the minimum wins
    EXPECT_EQ(PullIntoLimits(10, {30, 20, 1}), 30);
    // The form pulls the number field's value into the field's own limits, as doubles.
    EXPECT_EQ(PullIntoLimits(12.5, 1.0, 12.0), 12.0);
    EXPECT_EQ(PullIntoLimits(0.5, 1.0, 12.0), 1.0);
    EXPECT_EQ(PullIntoLimits(25.0, 30.0, 20.0), 30.0);
}

TEST(DialogNoEvents, WarnOnlyWhenTheNextRunLiesBeforeThePresentMinute) {
    const OleDate now = At(2026, 3, 10, 12, 30, 40);
    EXPECT_TRUE(NothingScheduled(TruncateToMinute(NeverMarker(now)), now));
    EXPECT_TRUE(NothingScheduled(At(2026, 3, 10, 12, 29), now));
    EXPECT_FALSE(NothingScheduled(At(2026, 3, 10, 12, 30), now));  // the present minute is not past
    EXPECT_FALSE(NothingScheduled(At(2026, 3, 11), now));
    EXPECT_FALSE(NothingScheduled(1e9, now));  // not comparable: no warning

    EXPECT_TRUE(NoEventsCheckApplies(true, false, 1));
    EXPECT_FALSE(NoEventsCheckApplies(false, false, 1));  // "No end date"
    EXPECT_FALSE(NoEventsCheckApplies(true, true, 1));    // warned once already
    EXPECT_FALSE(NoEventsCheckApplies(true, false, 0));   // Never
}

}  // namespace
}  // namespace cadencer::dialog
