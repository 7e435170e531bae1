// Option switching on the real dialog: each kind's height, frames, enabled and tab-stop
// states; the unit list and its limits; the end-date options; the changed state.
#include "dialog_harness.h"

#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog::testing {
namespace {

class DialogSwitch : public DialogTest {
protected:
    void ExpectLayout(int kind) {
        SCOPED_TRACE(kind);
        const int outer[5] = {kOuterHeightNever, kOuterHeightDaily, kOuterHeightWeekly, kOuterHeightMonthly,
                              kOuterHeightNever};
        EXPECT_EQ(SelectedOccurs(), kind);
        EXPECT_EQ(ClientHeight(), Px(ClientHeightForOuter(outer[kind])));
        const bool daily = kind >= 1 && kind <= 3;
        EXPECT_EQ(Visible(id::FrameDaily), daily);
        EXPECT_EQ(Enabled(id::FrameDaily), daily);
        EXPECT_EQ(Visible(id::DateStart), daily);
        EXPECT_EQ(Item(id::FrameWeekly) && Visible(id::FrameWeekly), kind == 2);
        EXPECT_EQ(Item(id::FrameMonthly) && Visible(id::FrameMonthly), kind == 3);
        if (kind == 2) {
            EXPECT_EQ(ClientRectOf(Item(id::FrameWeekly)).top, Px(kLowerFrameTop));
            EXPECT_EQ(ClientRectOf(Item(id::WeeklyDay + 2)).top, Px(kLowerFrameTop + 330));
        }
        if (kind == 3) {
            EXPECT_EQ(ClientRectOf(Item(id::DateCheck + 1)).top, Px(kLowerFrameTop + 315 + 225));
        }
        EXPECT_EQ(Enabled(id::EveryCombo), kind == 4);
        EXPECT_EQ(TabStop(NumberEdit()), kind == 4);
        // No shown frame reaches into the status bar.
        const RECT bar = ClientRectOf(Item(id::StatusBar));
        for (int frame : {id::FrameOccurs, id::FrameDaily, id::FrameWeekly, id::FrameMonthly}) {
            if (Item(frame) && Visible(frame)) {
                EXPECT_LE(ClientRectOf(Item(frame)).bottom, bar.top) << frame;
            }
        }
    }
};

TEST_F(DialogSwitch, EveryKindHasItsHeightFramesAndStates) {
    a->core->SetOccursOption(3);
    Open();
    for (int kind : {1, 2, 3, 0, 4, 2, 1, 3})
        if (SelectedOccurs() != kind) {
            Click(id::OccursOption + kind);
            ExpectLayout(kind);
            EXPECT_TRUE(Enabled(id::ButtonOK));
            EXPECT_EQ(DefaultId(), id::ButtonOK);
            EXPECT_EQ(Text(id::ButtonCancel), L"Cancel");
        }
}

// A dialog that opens with a kind without "Execution" has that frame hidden and disabled
// from the start, not only after a switch.
TEST_F(DialogSwitch, OpeningWithNeverOrEveryHidesAndDisablesExecution) {
    for (int kind : {0, 4}) {
        a->core->SetOccursOption(kind);
        Open();
        ExpectLayout(kind);
        a->core->CloseScheduler();
    }
}

TEST_F(DialogSwitch, ClickingTheSelectedKindChangesNothing) {
    a->core->SetOccursOption(1);
    Open();
    Click(id::OccursOption + 1);
    EXPECT_FALSE(Enabled(id::ButtonOK));
    EXPECT_EQ(Text(id::ButtonCancel), L"Close");
}

TEST_F(DialogSwitch, EveryWithoutAUnitPicksHoursAndFocusesTheNumber) {
    a->core->SetOccursOption(1);
    S().EveryFrequency = 7;  // no such unit: the list loads with nothing selected
    S().EveryInterval = 40;
    Open();
    EXPECT_EQ(SendMessageW(Item(id::EveryCombo), CB_GETCURSEL, 0, 0), CB_ERR);
    Click(id::OccursOption + 4);
    EXPECT_EQ(SendMessageW(Item(id::EveryCombo), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(NumberValue(), 12);  // the hour limits pulled it in
    EXPECT_TRUE(FocusIs(Dlg(), id::EveryNumber));
    EXPECT_EQ(numberentry::DigitfieldWindow(Item(id::EveryNumber)).UpDownIncrement(), 1);
}

TEST_F(DialogSwitch, MinutesLowerANumberAboveTheirMaximum) {
    a->core->SetOccursOption(4);
    a->core->SetEveryMinuteMax(60);
    S().EveryFrequency = 0;
    Open();
    numberentry::DigitfieldWindow number(Item(id::EveryNumber));
    SendMessageW(Item(id::EveryCombo), CB_SETCURSEL, 1, 0);
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id::EveryCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id::EveryCombo)));
    number.SetValue(Variant::I16(55));
    EXPECT_EQ(NumberValue(), 55);
    a->core->SetEveryHourMax(10);
    SendMessageW(Item(id::EveryCombo), CB_SETCURSEL, 0, 0);
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id::EveryCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id::EveryCombo)));
    EXPECT_EQ(NumberValue(), 10);
    EXPECT_EQ(number.MaxValue(), 10);
    EXPECT_EQ(number.MinValue(), 1);
    SendMessageW(Item(id::EveryCombo), CB_SETCURSEL, 1, 0);
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id::EveryCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id::EveryCombo)));
    EXPECT_EQ(NumberValue(), 15);  // raised to the minute minimum
    EXPECT_EQ(number.UpDownIncrement(), 5);
}

TEST_F(DialogSwitch, EndOptionsEnableTheEndPickerAndFocusIt) {
    a->core->SetOccursOption(1);
    a->core->SetUseEndDate(false);
    Open();
    EXPECT_FALSE(Enabled(id::DateEnd));
    Click(id::EndOption + 0);
    EXPECT_EQ(Check(id::EndOption + 0), BST_CHECKED);
    EXPECT_EQ(Check(id::EndOption + 1), BST_UNCHECKED);
    EXPECT_TRUE(Enabled(id::DateEnd));
    EXPECT_TRUE(FocusIs(Dlg(), id::DateEnd));
    EXPECT_TRUE(Enabled(id::ButtonOK));
    Click(id::EndOption + 1);
    EXPECT_FALSE(Enabled(id::DateEnd));
    EXPECT_TRUE(TabStop(Item(id::EndOption + 1)));
    EXPECT_FALSE(TabStop(Item(id::EndOption + 0)));
}

TEST_F(DialogSwitch, EveryEditEntersTheChangedStateForGood) {
    a->core->SetOccursOption(2);
    Open();
    Click(id::WeeklyDay + 3);
    Click(id::WeeklyDay + 3);  // back as it was: still changed
    EXPECT_TRUE(Enabled(id::ButtonOK));
    EXPECT_EQ(DefaultId(), id::ButtonOK);
    EXPECT_EQ(Text(id::ButtonCancel), L"Cancel");
    a->core->CloseScheduler();

    // The pickers and the number mark it too.
    Open();
    SetPicker(id::DateStart, *Picker(id::DateStart));
    EXPECT_TRUE(Enabled(id::ButtonOK));
    a->core->CloseScheduler();
    a->core->SetOccursOption(4);
    Open();
    numberentry::DigitfieldWindow(Item(id::EveryNumber)).SetValue(Variant::I16(3));
    EXPECT_TRUE(Enabled(id::ButtonOK));
}

}  // namespace
}  // namespace cadencer::dialog::testing
