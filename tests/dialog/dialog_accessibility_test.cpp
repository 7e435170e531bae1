// The schedule dialog for a screen reader and for the keyboard alone: every input, read
// through AccessibleObjectFromWindow as a screen reader reads it, has its name, its role
// and (where it shows one) its value; walks with keys alone, in a host loop that knows
// nothing of the dialog, edit and save a schedule.
#include "accessibility_reader.h"
#include "dialog_harness.h"

namespace cadencer::dialog::testing {
namespace {

using accessibility_test::Accessible;
using accessibility_test::ComScope;

class DialogAccessibility : public DialogTest {
protected:
    // The design identifier of the focused control (its number field for the text box).
    int FocusedId() const {
        for (HWND w = Focus(); w && w != Dlg(); w = GetParent(w))
            if (GetParent(w) == Dlg()) return GetDlgCtrlID(w);
        return 0;
    }
    std::wstring FocusedName() const { return Accessible(Focus()).Name(); }

    struct Named {
        int id;
        std::wstring name;
        LONG role;
    };
    void ExpectNamed(const std::vector<Named>& inputs) {
        for (const auto& [id, name, role] : inputs) {
            SCOPED_TRACE(id);
            ASSERT_NE(Item(id), nullptr);
            Accessible object(Item(id));
            ASSERT_TRUE(object.Valid());
            EXPECT_EQ(object.Name(), name);
            EXPECT_EQ(object.Role(), role);
        }
    }

    ComScope com;
};

TEST_F(DialogAccessibility, EveryInputReadsItsNameRoleAndValue) {
    a->core->SetOccursOption(2);
    a->core->SetShowHelpButton(true);
    a->core->SetStartHour(9);
    a->core->SetStartMinute(30);
    a->core->SetStartDate(At(2026, 3, 10));
    a->core->SetEndDate(At(2026, 12, 31));
    a->core->SetUseEndDate(true);
    a->core->SetSelectionsWeekly(u"0100010");
    a->core->SetEveryInterval(7);
    Open();
    std::vector<Named> inputs = {
        {id::OccursOption + 0, L"Never", ROLE_SYSTEM_RADIOBUTTON},
        {id::OccursOption + 1, L"Daily", ROLE_SYSTEM_RADIOBUTTON},
        {id::OccursOption + 2, L"Weekly", ROLE_SYSTEM_RADIOBUTTON},
        {id::OccursOption + 3, L"Monthly", ROLE_SYSTEM_RADIOBUTTON},
        {id::OccursOption + 4, L"Every", ROLE_SYSTEM_RADIOBUTTON},
        {id::EveryCombo, L"Every, unit: hour(s)", ROLE_SYSTEM_COMBOBOX},
        {id::TimeStart, L"Time:", ROLE_SYSTEM_SPINBUTTON},
        {id::DateStart, L"Start:", ROLE_SYSTEM_DROPLIST},
        {id::EndOption + 0, L"End:", ROLE_SYSTEM_RADIOBUTTON},
        {id::DateEnd, L"End:", ROLE_SYSTEM_DROPLIST},
        {id::EndOption + 1, L"No end date", ROLE_SYSTEM_RADIOBUTTON},
        {id::ButtonOK, L"OK", ROLE_SYSTEM_PUSHBUTTON},
        {id::ButtonCancel, L"Close", ROLE_SYSTEM_PUSHBUTTON},
        {id::ButtonHelp, L"Help", ROLE_SYSTEM_PUSHBUTTON},
    };
    const wchar_t* weekdays[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday", L"Thursday", L"Friday", L"Saturday"};
    for (int i = 1; i <= 7; ++i) inputs.push_back({id::WeeklyDay + i, weekdays[i - 1], ROLE_SYSTEM_CHECKBUTTON});
    ExpectNamed(inputs);

    // The values a reader announces with the names, and the states of the boxes and options.
    EXPECT_EQ(Accessible(Item(id::TimeStart)).Value(), L"09:30 AM");
    EXPECT_EQ(Accessible(Item(id::DateStart)).Value(), L"03/10/2026");
    EXPECT_EQ(Accessible(Item(id::DateEnd)).Value(), L"12/31/2026");
    EXPECT_EQ(Accessible(Item(id::EveryCombo)).Value(), L"hour(s)");
    EXPECT_NE(Accessible(Item(id::OccursOption + 2)).State() & STATE_SYSTEM_CHECKED, 0);
    EXPECT_EQ(Accessible(Item(id::OccursOption + 1)).State() & STATE_SYSTEM_CHECKED, 0);
    EXPECT_NE(Accessible(Item(id::WeeklyDay + 2)).State() & STATE_SYSTEM_CHECKED, 0);
    EXPECT_EQ(Accessible(Item(id::WeeklyDay + 3)).State() & STATE_SYSTEM_CHECKED, 0);
    EXPECT_NE(Accessible(Item(id::ButtonCancel)).State() & STATE_SYSTEM_DEFAULT, 0);
    EXPECT_NE(Accessible(Item(id::ButtonOK)).State() & STATE_SYSTEM_UNAVAILABLE, 0);

    // The number field's text box, where the focus goes: "Every" with its unit, and the number.
    Accessible number(NumberEdit());
    EXPECT_EQ(number.Name(), L"Every hour(s)");
    EXPECT_EQ(number.Value(), L"7");
    EXPECT_EQ(number.Role(), ROLE_SYSTEM_TEXT);
    SendMessageW(Item(id::EveryCombo), CB_SETCURSEL, 1, 0);
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(id::EveryCombo, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id::EveryCombo)));
    EXPECT_EQ(number.Name(), L"Every minute(s)");
    EXPECT_EQ(number.Value(), L"15");  // raised to the minute minimum

    // The calendar's boxes exist and are named once their frame shows.
    Click(id::OccursOption + 3);
    std::vector<Named> days;
    for (int d = 1; d <= 31; ++d)
        days.push_back({id::DateCheck + d, L"Day " + std::to_wstring(d), ROLE_SYSTEM_CHECKBUTTON});
    ExpectNamed(days);
}

// Tab reaches every input of the monthly layout, each with its name; then the kind, the
// time, the dates and the days change by keys alone, and Enter saves.
TEST_F(DialogAccessibility, AKeyboardAloneWalksEveryInputAndSavesAMonthlySchedule) {
    a->core->SetOccursOption(0);
    a->core->SetStartHour(9);
    a->core->SetStartMinute(30);
    a->core->SetStartDate(At(2026, 3, 10));
    a->core->SetEndDate(At(2026, 12, 15));
    a->core->SetUseEndDate(true);
    Open();
    ASSERT_EQ(FocusedId(), id::OccursOption + 0);  // the dialog opens with the focus on its kind
    for (int i = 0; i < 3; ++i) PressKey(VK_DOWN);
    EXPECT_EQ(SelectedOccurs(), 3);

    // Every input in the tab order, each announced by its name.
    std::vector<int> order = {id::TimeStart, id::DateStart, id::EndOption + 0, id::DateEnd};
    for (int d = 1; d <= 31; ++d) order.push_back(id::DateCheck + d);
    order.insert(order.end(), {id::ButtonOK, id::ButtonCancel, id::OccursOption + 3});
    for (int expected : order) {
        PressKey(VK_TAB);
        EXPECT_EQ(FocusedId(), expected);
        EXPECT_FALSE(FocusedName().empty()) << expected;
    }

    // The time: into its first field, one hour up.
    PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::TimeStart);
    PressKey(VK_RIGHT);
    PressKey(VK_UP);
    EXPECT_EQ(Picker(id::TimeStart)->wHour, 10);
    // The start date: its first field (the month) one up.
    PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::DateStart);
    PressKey(VK_RIGHT);
    PressKey(VK_UP);
    EXPECT_EQ(Picker(id::DateStart)->wMonth, 4);
    // The end date: past "End:", one month down.
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::DateEnd);
    PressKey(VK_RIGHT);
    PressKey(VK_DOWN);
    EXPECT_EQ(Picker(id::DateEnd)->wMonth, 11);
    // Days 1 and 15.
    PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::DateCheck + 1);
    PressKey(VK_SPACE);
    for (int i = 0; i < 14; ++i) PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::DateCheck + 15);
    PressKey(VK_SPACE);

    PressKey(VK_RETURN);  // OK, the default button since the first change
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().OccursOption, 3);
    EXPECT_EQ(S().StartHour, 10);
    EXPECT_EQ(S().StartMinute, 30);
    EXPECT_EQ(S().StartDate, At(2026, 4, 10));
    EXPECT_EQ(S().EndDate, At(2026, 11, 15));
    EXPECT_TRUE(S().UseEndDate);
    std::u16string days(31, u'0');
    days[0] = days[14] = u'1';
    EXPECT_EQ(S().SelectionsMonthly, days);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
}

// The kind by arrows puts the focus into the number; the unit by the arrow keys in the list;
// the number typed; Enter saves.
TEST_F(DialogAccessibility, AKeyboardAloneSavesAnEverySchedule) {
    a->core->SetOccursOption(1);
    Open();
    ASSERT_EQ(FocusedId(), id::OccursOption + 1);
    for (int i = 0; i < 3; ++i) PressKey(VK_DOWN);
    EXPECT_EQ(SelectedOccurs(), 4);
    EXPECT_EQ(FocusedId(), id::EveryNumber);
    EXPECT_EQ(FocusedName(), L"Every hour(s)");
    PressKey(VK_TAB);
    ASSERT_EQ(FocusedId(), id::EveryCombo);
    PressKey(VK_DOWN);
    EXPECT_EQ(SendMessageW(Item(id::EveryCombo), CB_GETCURSEL, 0, 0), 1);
    PressKey(VK_TAB, true);
    ASSERT_EQ(FocusedId(), id::EveryNumber);
    EXPECT_EQ(FocusedName(), L"Every minute(s)");
    PressKey('4');
    PressKey('5');
    PressKey(VK_UP);  // one step of the minute increment, 5
    EXPECT_EQ(NumberValue(), 50);
    PressKey(VK_RETURN);
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().OccursOption, 4);
    EXPECT_EQ(S().EveryFrequency, 1);
    EXPECT_EQ(S().EveryInterval, 50);
}

}  // namespace
}  // namespace cadencer::dialog::testing
