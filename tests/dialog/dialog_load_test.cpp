// Loading the schedule dialog from settings of every kind: the selected kind with its
// layout, the interval and its unit's limits, the start time (hour 24 too), the dates, the
// end-date options, masks with grayed boxes and blanks, and the unchanged state after it.
#include "dialog_harness.h"

#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog::testing {
namespace {

struct LayoutCase {
    int kind;
    int outerHeight;
    bool daily, weekly, monthly;
};

class DialogLoad : public DialogTest {
protected:
    // Every shown frame lies above the status bar, and every shown control inside the
    // client area: nothing is cut off, whatever the title bar and borders.
    void ExpectEverythingFits() {
        RECT client{};
        GetClientRect(Dlg(), &client);
        const RECT bar = ClientRectOf(Item(id::StatusBar));
        EXPECT_EQ(bar.bottom, client.bottom);
        EXPECT_EQ(bar.bottom - bar.top, Px(kStatusBarHeightTwips));
        for (HWND child = GetWindow(Dlg(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child) || child == Item(id::StatusBar)) continue;
            const RECT r = ClientRectOf(child);
            EXPECT_LE(r.right, client.right) << GetDlgCtrlID(child);
            EXPECT_LE(r.bottom, bar.top) << GetDlgCtrlID(child);
        }
    }
};

TEST_F(DialogLoad, EachKindLoadsWithItsLayoutAndTheDialogUnchanged) {
    const LayoutCase cases[] = {{0, kOuterHeightNever, false, false, false},
                                {1, kOuterHeightDaily, true, false, false},
                                {2, kOuterHeightWeekly, true, true, false},
                                {3, kOuterHeightMonthly, true, false, true},
                                {4, kOuterHeightNever, false, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        S().OccursOption = c.kind;
        Open();
        EXPECT_EQ(SelectedOccurs(), c.kind);
        EXPECT_EQ(ClientHeight(), Px(ClientHeightForOuter(c.outerHeight)));
        EXPECT_EQ(Visible(id::FrameDaily), c.daily);
        EXPECT_EQ(Visible(id::TimeStart), c.daily);
        EXPECT_EQ(Visible(id::FrameWeekly), c.weekly);
        EXPECT_EQ(Visible(id::WeeklyDay + 2), c.weekly);
        EXPECT_EQ(Visible(id::FrameMonthly), c.monthly);
        EXPECT_EQ(Visible(id::DateCheck + 31), c.monthly);
        if (c.weekly) {
            EXPECT_EQ(ClientRectOf(Item(id::FrameWeekly)).top, Px(kLowerFrameTop));
        }
        if (c.monthly) {
            EXPECT_EQ(ClientRectOf(Item(id::FrameMonthly)).top, Px(kLowerFrameTop));
        }
        // The number and its unit are usable and reachable by Tab for Every only.
        EXPECT_EQ(Enabled(id::EveryCombo), c.kind == 4);
        EXPECT_EQ(TabStop(Item(id::EveryCombo)), c.kind == 4);
        EXPECT_EQ(IsWindowEnabled(NumberEdit()) != FALSE, c.kind == 4);
        EXPECT_EQ(TabStop(NumberEdit()), c.kind == 4);
        EXPECT_TRUE(Visible(id::EveryNumber));
        // Unchanged: OK off, Close the default button.
        EXPECT_FALSE(Enabled(id::ButtonOK));
        EXPECT_EQ(DefaultId(), id::ButtonCancel);
        EXPECT_EQ(Text(id::ButtonCancel), L"Close");
        ExpectEverythingFits();
        a->core->CloseScheduler();
    }
}

TEST_F(DialogLoad, OnlyTheSelectedOptionOfAGroupIsATabStop) {
    S().OccursOption = 2;
    S().UseEndDate = false;
    Open();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(TabStop(Item(id::OccursOption + i)), i == 2) << i;
    EXPECT_FALSE(TabStop(Item(id::EndOption + 0)));
    EXPECT_TRUE(TabStop(Item(id::EndOption + 1)));
}

TEST_F(DialogLoad, AKindOutsideTheListSelectsNoOptionAndKeepsTheSmallestLayout) {
    S().OccursOption = 7;
    Open();
    EXPECT_EQ(SelectedOccurs(), -1);
    EXPECT_EQ(ClientHeight(), Px(ClientHeightForOuter(kDesignOuterHeight)));
    EXPECT_FALSE(Visible(id::FrameDaily));
    EXPECT_FALSE(Enabled(id::ButtonOK));
}

TEST_F(DialogLoad, IntervalIsPulledIntoItsUnitsLimits) {
    S().OccursOption = 4;
    S().EveryFrequency = 1;
    S().EveryInterval = 900;  // above EveryMinuteMax 600
    Open();
    EXPECT_EQ(SendMessageW(Item(id::EveryCombo), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Text(id::EveryCombo), L"minute(s)");
    EXPECT_EQ(NumberValue(), 600);
    a->core->CloseScheduler();

    S().EveryFrequency = 1;
    S().EveryInterval = 5;  // below EveryMinuteMin 15
    Open();
    EXPECT_EQ(NumberValue(), 15);
    a->core->CloseScheduler();

    S().EveryFrequency = 0;
    S().EveryInterval = 13;  // above EveryHourMax 12, for a kind other than Every as well
    S().OccursOption = 1;
    Open();
    EXPECT_EQ(Text(id::EveryCombo), L"hour(s)");
    EXPECT_EQ(NumberValue(), 12);
    EXPECT_FALSE(Enabled(id::EveryCombo));
}

// The dialog pulls the number down to the maximum, then up to the minimum: with crossed
// limits it ends at the minimum, and the number field's own clamping agrees.
TEST_F(DialogLoad, CrossedLimitsEndAtTheMinimum) {
    S().OccursOption = 4;
    S().EveryFrequency = 0;
    S().EveryHourMin = 20;
    S().EveryHourMax = 10;
    for (std::int16_t interval : {5, 15, 25}) {
        S().EveryInterval = interval;
        Open();
        EXPECT_EQ(NumberValue(), 20) << interval;
        a->core->CloseScheduler();
    }
}

TEST_F(DialogLoad, AStoredIntervalInMinutesKeepsItsValue) {
    S().OccursOption = 4;
    S().EveryFrequency = 1;
    S().EveryInterval = 30;  // above the hour maximum, within the minute limits
    Open();
    EXPECT_EQ(NumberValue(), 30);
}

// The number field is made from a stored design whose keys are lower case: the control
// reads them all the same.
TEST_F(DialogLoad, TheNumberFieldCarriesItsDesign) {
    S().OccursOption = 4;
    S().EveryInterval = 7;
    Open();
    numberentry::DigitfieldWindow number(Item(id::EveryNumber));
    EXPECT_EQ(number.Format(), u"###");
    EXPECT_TRUE(number.PositiveOnly());
    EXPECT_TRUE(number.UseMaxMinValues());
    EXPECT_TRUE(number.UpDownFunction());
    EXPECT_EQ(NumberValue(), 7);
    a->core->CloseScheduler();
    S().OccursOption = 3;
    Open();
    EXPECT_EQ(Text(id::FrameMonthly), L"Monthly Schedule");
}

TEST_F(DialogLoad, StartTimeAndDates) {
    S().OccursOption = 1;
    S().StartHour = 14;
    S().StartMinute = 35;
    S().StartDate = At(2026, 4, 1);
    S().EndDate = At(2027, 2, 28, 13, 20);
    S().UseEndDate = true;
    Open();
    const auto time = Picker(id::TimeStart), start = Picker(id::DateStart), end = Picker(id::DateEnd);
    ASSERT_TRUE(time && start && end);
    EXPECT_EQ(time->wHour, 14);
    EXPECT_EQ(time->wMinute, 35);
    EXPECT_EQ(time->wSecond, 0);
    EXPECT_EQ(start->wYear, 2026);
    EXPECT_EQ(start->wMonth, 4);
    EXPECT_EQ(start->wDay, 1);
    EXPECT_EQ(end->wYear, 2027);
    EXPECT_EQ(end->wMonth, 2);
    EXPECT_EQ(end->wDay, 28);
    EXPECT_EQ(Check(id::EndOption + 0), BST_CHECKED);
    EXPECT_EQ(Check(id::EndOption + 1), BST_UNCHECKED);
    EXPECT_TRUE(Enabled(id::DateEnd));
    EXPECT_FALSE(Enabled(id::ButtonOK));
}

TEST_F(DialogLoad, Hour24ShowsMidnightAndTheMinuteStillLoads) {
    S().OccursOption = 1;
    S().StartHour = 24;
    S().StartMinute = 15;
    Open();
    const auto time = Picker(id::TimeStart);
    ASSERT_TRUE(time);
    EXPECT_EQ(time->wHour, 0);
    EXPECT_EQ(time->wMinute, 15);
}

TEST_F(DialogLoad, NoEndDateDisablesTheEndPicker) {
    S().OccursOption = 1;
    S().UseEndDate = false;
    Open();
    EXPECT_EQ(Check(id::EndOption + 0), BST_UNCHECKED);
    EXPECT_EQ(Check(id::EndOption + 1), BST_CHECKED);
    EXPECT_FALSE(Enabled(id::DateEnd));
    EXPECT_TRUE(Visible(id::DateEnd));
}

TEST_F(DialogLoad, MasksLoadDigitsGrayedBoxesAndSkipTheRest) {
    S().OccursOption = 2;
    S().SelectionsWeekly = u"01 2x0 ";  // as a property bag may hold it
    S().SelectionsMonthly = std::u16string(30, u'0') + u"1";
    S().SelectionsMonthly[1] = u'2';
    S().SelectionsMonthly[2] = u'9';
    Open();
    const int weekly[8] = {0, 0, 1, 0, 2, 0, 0, 0};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(Check(id::WeeklyDay + i), weekly[i]) << i;
    EXPECT_FALSE(Enabled(id::ButtonOK));
    // The calendar's boxes, shown later, hold what was loaded.
    Click(id::OccursOption + 3);
    EXPECT_EQ(Check(id::DateCheck + 31), BST_CHECKED);
    EXPECT_EQ(Check(id::DateCheck + 2), BST_INDETERMINATE);
    EXPECT_EQ(Check(id::DateCheck + 3), BST_UNCHECKED);
    EXPECT_EQ(Check(id::DateCheck + 1), BST_UNCHECKED);
}

TEST_F(DialogLoad, ControlsCarryTheDesignsCaptionsAndTheStatusBarItsPanels) {
    S().OccursOption = 2;
    Open();
    EXPECT_EQ(Text(id::WeeklyDay + 4), L"Wednesday");
    EXPECT_EQ(Text(0), L"Schedule");  // the Title replaced the designed " Schedule"
    EXPECT_EQ(Text(id::FrameOccurs), L"Occurs");
    EXPECT_EQ(Text(id::FrameDaily), L"Execution");
    EXPECT_EQ(Text(id::FrameWeekly), L"Weekly Schedule");
    EXPECT_EQ(Text(id::OccursOption + 4), L"Every");
    EXPECT_EQ(Text(id::EndOption + 1), L"No end date");
    EXPECT_EQ(Text(id::ButtonOK), L"&OK");
    EXPECT_EQ(SendMessageW(Item(id::EveryCombo), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(Item(id::StatusBar), SB_GETPARTS, 0, 0), 3);
    EXPECT_EQ(StatusText(0), L"");
    // The date and time panels show the present date and time.
    wchar_t date[80];
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 80);
    EXPECT_EQ(StatusText(1), date);
    EXPECT_FALSE(StatusText(2).empty());
    // The client area is the designed width.
    RECT client{};
    GetClientRect(Dlg(), &client);
    EXPECT_EQ(client.right, Px(kClientWidthTwips));
}

}  // namespace
}  // namespace cadencer::dialog::testing
