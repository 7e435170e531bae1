// The OK path on the real dialog: each failed check with its message box (text, title,
// icon), the focus it leaves and nothing stored; the no-events warning given once with
// the values kept; every field and mask saved; the events after OK in their order.
#include "dialog_harness.h"

#include "numberentry/win/digitfield_window.h"

namespace cadencer::dialog::testing {
namespace {

class DialogValidation : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        a->core->SetStartDate(At(2026, 3, 20));
        a->core->SetEndDate(At(2026, 6, 30));
        a->core->SetUseEndDate(true);
        a->core->SetStartHour(9);
        a->core->SetStartMinute(30);
        a->site.events.clear();
    }
    // An edit that changes nothing: the dialog enters its changed state (OK enabled).
    void MarkChanged() {
        SetPicker(id::TimeStart, *Picker(id::TimeStart));
        ASSERT_TRUE(Enabled(id::ButtonOK));
    }
    void SetDate(int pickerId, int y, int m, int d) {
        SYSTEMTIME st = *Picker(pickerId);
        st.wYear = static_cast<WORD>(y), st.wMonth = static_cast<WORD>(m), st.wDay = static_cast<WORD>(d);
        SetPicker(pickerId, st);
    }
    void ExpectOneBox(const std::vector<SeenBox>& boxes, const wchar_t* text, bool warning) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].title, L" Schedule");
        EXPECT_EQ(boxes[0].errorIcon, !warning);
        EXPECT_EQ(boxes[0].warningIcon, warning);
    }
};

TEST_F(DialogValidation, StartAfterEndIsRefusedWithNothingStored) {
    a->core->SetOccursOption(1);
    Open();
    SetDate(id::DateEnd, 2026, 3, 19);
    SetPicker(id::TimeStart, [&] {
        auto t = *Picker(id::TimeStart);
        t.wHour = 17;
        return t;
    }());
    ExpectOneBox(Click(id::ButtonOK), L"The start date cannot be after the end date.", false);
    EXPECT_TRUE(FocusIs(Dlg(), id::DateStart));
    EXPECT_NE(Dlg(), nullptr);
    EXPECT_EQ(S().StartHour, 9);  // nothing stored
    EXPECT_EQ(S().EndDate, At(2026, 6, 30));
    EXPECT_TRUE(a->site.events.empty());
}

TEST_F(DialogValidation, TheSameDayPassesWhateverTheTimes) {
    a->core->SetOccursOption(1);
    a->core->SetEndDate(At(2026, 3, 20, 0, 0));
    a->core->SetStartDate(At(2026, 3, 20, 23, 59));
    Open();
    MarkChanged();
    // Whether anything is still due that day is the no-events check's matter; the date
    // check lets the entries through.
    for (const auto& box : Click(id::ButtonOK)) EXPECT_EQ(box.text, L"Warning: No events are currently scheduled.");
    EXPECT_EQ(S().EndDate, At(2026, 3, 20, 0, 0));
    EXPECT_EQ(S().StartDate, At(2026, 3, 20, 23, 59));
}

TEST_F(DialogValidation, WeeklyWithoutAWeekdayNeedsOneOnlyWithAnEndDate) {
    a->core->SetOccursOption(2);
    S().SelectionsWeekly = u"2000000";  // a grayed Sunday does not count
    Open();
    MarkChanged();
    ExpectOneBox(Click(id::ButtonOK), L"At least one weekday must be selected.", false);
    EXPECT_TRUE(FocusIs(Dlg(), id::WeeklyDay + 2));
    EXPECT_EQ(S().SelectionsWeekly, u"2000000");

    // "No end date": saved as it is, no message.
    Click(id::EndOption + 1);
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().SelectionsWeekly, u"2000000");
    EXPECT_FALSE(S().UseEndDate);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
}

TEST_F(DialogValidation, MonthlyWithoutADayIsRefused) {
    a->core->SetOccursOption(3);
    Open();
    MarkChanged();
    ExpectOneBox(Click(id::ButtonOK), L"At least one calendar date must be selected.", false);
    EXPECT_TRUE(FocusIs(Dlg(), id::DateCheck + 1));
    EXPECT_EQ(S().OccursOption, 3);
    EXPECT_TRUE(a->site.events.empty());
}

TEST_F(DialogValidation, TheDateCheckComesFirstEvenWhenTheDatesAreHidden) {
    a->core->SetOccursOption(4);
    a->core->SetEndDate(At(2026, 3, 1));
    Open();
    MarkChanged();
    SetFocus(NumberEdit());
    ExpectOneBox(Click(id::ButtonOK), L"The start date cannot be after the end date.", false);
    EXPECT_FALSE(FocusIs(Dlg(), id::DateStart));  // hidden: the focus stays where it was
    EXPECT_NE(Dlg(), nullptr);
}

TEST_F(DialogValidation, NoEventsWarningComesOnceAndKeepsTheStoredValues) {
    a->core->SetOccursOption(1);
    a->core->SetStartDate(At(2026, 1, 1));
    a->core->SetEndDate(At(2026, 2, 1));  // before the present (10 March 2026)
    Open();
    SetPicker(id::TimeStart, [&] {
        auto t = *Picker(id::TimeStart);
        t.wHour = 18;
        return t;
    }());
    ExpectOneBox(Click(id::ButtonOK), L"Warning: No events are currently scheduled.", true);
    EXPECT_NE(Dlg(), nullptr);
    EXPECT_EQ(S().StartHour, 18);         // stored before the warning, and kept
    EXPECT_TRUE(a->site.events.empty());  // the control is not told

    // An edit re-arms the warning.
    MarkChanged();
    EXPECT_EQ(Click(id::ButtonOK).size(), 1u);
    // OK again without an edit: saved and closed.
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
}

TEST_F(DialogValidation, NoWarningWithoutAnEndDateOrForNever) {
    a->core->SetOccursOption(1);
    a->core->SetStartDate(At(2026, 1, 1));
    a->core->SetEndDate(At(2026, 2, 1));
    a->core->SetUseEndDate(false);
    Open();
    MarkChanged();
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(Dlg(), nullptr);

    a->core->SetUseEndDate(true);
    a->core->SetOccursOption(0);
    Open();
    MarkChanged();
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().OccursOption, 0);
}

TEST_F(DialogValidation, MessageTitleIsTheTrimmedTitleAfterABlank) {
    a->core->SetOccursOption(3);
    a->core->SetTitle(u"  Nightly backup  ");
    Open();
    MarkChanged();
    const auto boxes = Click(id::ButtonOK);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L" Nightly backup");
    EXPECT_EQ(Text(0), L"  Nightly backup  ");  // the caption is the title as it is
}

TEST_F(DialogValidation, MasksAreWrittenDigitByDigit) {
    a->core->SetOccursOption(2);
    S().SelectionsMonthly = u"2" + std::u16string(30, u'0');
    Open();
    Click(id::WeeklyDay + 2);  // Monday
    Click(id::WeeklyDay + 6);  // Friday
    Click(id::OccursOption + 3);
    Click(id::DateCheck + 1);  // grayed: a click checks it
    Click(id::DateCheck + 31);
    Click(id::DateCheck + 15);
    Click(id::DateCheck + 15);  // on and off again
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(S().SelectionsWeekly, u"0100010");
    EXPECT_EQ(S().SelectionsMonthly, u"1" + std::u16string(29, u'0') + u"1");
    EXPECT_EQ(S().OccursOption, 3);

    // A grayed box that nobody touched is written as "2".
    S().OccursOption = 2;
    S().SelectionsWeekly = u"0120000";
    Open();
    Click(id::WeeklyDay + 5);
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(S().SelectionsWeekly, u"0120100");
}

TEST_F(DialogValidation, EveryFieldIsStoredFromItsControl) {
    a->core->SetOccursOption(1);
    a->core->SetStartHour(24);  // shown as midnight, stored as hour 0
    a->core->SetStartMinute(5);
    a->core->SetUseEndDate(false);
    Open();
    Click(id::OccursOption + 4);
    SendMessageW(Item(id::EveryCombo), CB_SETCURSEL, 1, 0);
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id::EveryCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id::EveryCombo)));
    numberentry::DigitfieldWindow(Item(id::EveryNumber)).SetValue(Variant::I16(45));
    SetDate(id::DateStart, 2026, 4, 2);
    SetDate(id::DateEnd, 2027, 1, 31);
    Click(id::EndOption + 0);
    EXPECT_TRUE(Click(id::ButtonOK).empty());
    EXPECT_EQ(S().OccursOption, 4);
    EXPECT_EQ(S().EveryInterval, 45);
    EXPECT_EQ(S().EveryFrequency, 1);
    EXPECT_EQ(S().StartHour, 0);
    EXPECT_EQ(S().StartMinute, 5);
    EXPECT_EQ(TruncateToMinute(S().StartDate), At(2026, 4, 2));
    EXPECT_EQ(CalendarDate(S().EndDate), At(2027, 1, 31));
    EXPECT_TRUE(S().UseEndDate);
}

}  // namespace
}  // namespace cadencer::dialog::testing
