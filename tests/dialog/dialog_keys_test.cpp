// Keys in a host whose message loop knows nothing of the dialog (Tab and Shift+Tab in the
// design's tab order, Enter on the default button, arrows in option groups, Esc on its
// release), the ways to leave without storing, Help, and the status hints as the mouse
// moves over frames, controls, labels, buttons and the background.
#include "dialog_harness.h"

namespace cadencer::dialog::testing {
namespace {

class DialogKeys : public DialogTest {
protected:
    // The design identifier of the focused control (its number field for the text box).
    int FocusedId() const {
        for (HWND w = Focus(); w && w != Dlg(); w = GetParent(w))
            if (GetParent(w) == Dlg()) return GetDlgCtrlID(w);
        return 0;
    }
    // A mouse move at a point of the client area, delivered as the system does: to the
    // window the real hit test finds there (group boxes and the dialog's own drawing are
    // transparent to it), which passes WM_SETCURSOR to the dialog first.
    void MoveMouseTo(int clientX, int clientY) {
        POINT screen{clientX, clientY};
        ClientToScreen(Dlg(), &screen);
        HWND under = WindowFromPoint(screen);
        ASSERT_TRUE(under == Dlg() || IsChild(Dlg(), under));
        SendMessageW(Dlg(), WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        POINT local = screen;
        ScreenToClient(under, &local);
        SendMessageW(under, WM_MOUSEMOVE, 0, MAKELPARAM(local.x, local.y));
    }
    POINT Inside(int controlId, int dx = 0, int dy = 0) {
        const RECT r = ClientRectOf(Item(controlId));
        return {(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2 + dy};
    }
};

TEST_F(DialogKeys, TabAndShiftTabFollowTheDesignsOrder) {
    a->core->SetOccursOption(3);
    a->core->SetUseEndDate(true);
    a->core->SetShowHelpButton(true);
    Open();
    SetFocus(Item(id::OccursOption + 3));
    std::vector<int> expected = {id::TimeStart, id::DateStart, id::EndOption + 0, id::DateEnd};
    for (int d = 1; d <= 31; ++d) expected.push_back(id::DateCheck + d);
    expected.insert(expected.end(), {id::ButtonCancel, id::ButtonHelp, id::OccursOption + 3});  // OK is off
    std::vector<int> forward;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        PressKey(VK_TAB);
        forward.push_back(FocusedId());
    }
    EXPECT_EQ(forward, expected);

    std::vector<int> backward;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        PressKey(VK_TAB, true);
        backward.push_back(FocusedId());
    }
    std::vector<int> reversed(expected.rbegin() + 1, expected.rend());
    reversed.push_back(id::OccursOption + 3);
    EXPECT_EQ(backward, reversed);
}

TEST_F(DialogKeys, TabReachesTheNumberAndTheWeekdaysInTheirPlaces) {
    a->core->SetOccursOption(4);
    Open();
    Click(id::OccursOption + 2);  // weekly, created after the rest: still in its place
    Click(id::OccursOption + 4);
    SetFocus(Item(id::OccursOption + 4));
    PressKey(VK_TAB);
    EXPECT_EQ(FocusedId(), id::EveryNumber);
    PressKey(VK_TAB);
    EXPECT_EQ(FocusedId(), id::EveryCombo);
    PressKey(VK_TAB);
    EXPECT_EQ(FocusedId(), id::ButtonOK);  // changed: OK is on
    Click(id::OccursOption + 2);
    SetFocus(Item(id::EndOption + 1));
    PressKey(VK_TAB);
    EXPECT_EQ(FocusedId(), id::WeeklyDay + 2);
    for (int i = 0; i < 6; ++i) PressKey(VK_TAB);
    EXPECT_EQ(FocusedId(), id::WeeklyDay + 1);  // Sunday comes last
}

TEST_F(DialogKeys, ArrowsMoveThroughTheKindsAndSelectThem) {
    a->core->SetOccursOption(1);
    Open();
    SetFocus(Item(id::OccursOption + 1));
    PressKey(VK_DOWN);
    EXPECT_EQ(SelectedOccurs(), 2);
    EXPECT_EQ(FocusedId(), id::OccursOption + 2);
    EXPECT_EQ(ClientHeight(), Px(ClientHeightForOuter(kOuterHeightWeekly)));
    PressKey(VK_UP);
    PressKey(VK_UP);
    EXPECT_EQ(SelectedOccurs(), 0);
    PressKey(VK_LEFT);  // round the group
    EXPECT_EQ(SelectedOccurs(), 4);
    EXPECT_TRUE(Enabled(id::ButtonOK));
}

TEST_F(DialogKeys, EnterActivatesTheDefaultButton) {
    a->core->SetOccursOption(2);
    Open();
    SetFocus(Item(id::WeeklyDay + 2));
    PressKey(VK_RETURN);  // unchanged: Close
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::SchedulerClosed}));

    a->site.events.clear();
    a->core->SetUseEndDate(false);
    Open();
    SetFocus(Item(id::WeeklyDay + 2));
    PressKey(VK_SPACE);  // checks Monday: changed, OK the default
    EXPECT_EQ(Check(id::WeeklyDay + 2), BST_CHECKED);
    PressKey(VK_RETURN);
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().SelectionsWeekly, u"0100000");
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
}

TEST_F(DialogKeys, EscClosesOnItsReleaseFromAnyControl) {
    a->core->SetOccursOption(4);
    Open();
    Click(id::OccursOption + 1);  // changed
    SetFocus(Item(id::DateStart));
    PostMessageW(Focus(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_NE(Dlg(), nullptr);  // not on the press
    PostMessageW(Focus(), WM_KEYUP, VK_ESCAPE, 1 | (1u << 30) | (1u << 31));
    Pump();
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(S().OccursOption, 4);  // nothing stored, nothing asked
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::SchedulerClosed}));
}

TEST_F(DialogKeys, EveryWayOutWithoutOKStoresNothingAndReportsOnce) {
    const std::vector<std::function<void()>> ways = {
        [this] { Click(id::ButtonCancel); },
        [this] {
            SendMessageW(Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
            Pump();
        },  // the close box
        [this] { a->core->CloseScheduler(); },
        [this] {
            SetFocus(NumberEdit());
            PressKey(VK_ESCAPE);
        },
    };
    a->core->SetOccursOption(4);
    for (const auto& leave : ways) {
        a->site.events.clear();
        Open();
        Click(id::OccursOption + 3);
        Click(id::DateCheck + 9);
        leave();
        EXPECT_EQ(Dlg(), nullptr);
        EXPECT_EQ(S().OccursOption, 4);
        EXPECT_EQ(S().SelectionsMonthly, std::u16string(31, u'0'));
        EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::SchedulerClosed}));
    }
}

TEST_F(DialogKeys, HelpRaisesItsEventAndKeepsTheDialogAndItsEdits) {
    a->core->SetShowHelpButton(true);
    a->core->SetCaptionHelpButton(u"&Hints");
    a->core->SetOccursOption(2);
    Open();
    EXPECT_EQ(Text(id::ButtonHelp), L"&Hints");
    Click(id::WeeklyDay + 4);
    Click(id::ButtonHelp);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::HelpButtonClicked}));
    ASSERT_NE(Dlg(), nullptr);
    EXPECT_EQ(Check(id::WeeklyDay + 4), BST_CHECKED);
    EXPECT_TRUE(Enabled(id::ButtonOK));
}

TEST_F(DialogKeys, HintsFollowTheMouseOverFramesAndButtons) {
    a->core->SetOccursOption(2);
    a->core->SetShowHelpButton(true);
    Open();
    Click(id::WeeklyDay + 2);  // changed: OK enabled
    const RECT occurs = ClientRectOf(Item(id::FrameOccurs));
    MoveMouseTo(occurs.left + 3, (occurs.top + occurs.bottom) / 2);  // on the frame itself
    EXPECT_EQ(StatusText(0), L"Select the schedule frequency");
    MoveMouseTo(3, 3);  // the dialog's background
    EXPECT_EQ(StatusText(0), L"");
    const RECT weekly = ClientRectOf(Item(id::FrameWeekly));
    MoveMouseTo(weekly.right - 4, weekly.bottom - 4);
    EXPECT_EQ(StatusText(0), L"Select on which days to execute");
    const POINT monday = Inside(id::WeeklyDay + 2);
    MoveMouseTo(monday.x, monday.y);  // a control inside the frame: no change
    EXPECT_EQ(StatusText(0), L"Select on which days to execute");
    const POINT ok = Inside(id::ButtonOK);
    MoveMouseTo(ok.x, ok.y);
    EXPECT_EQ(StatusText(0), L"Click to save your changes");
    const POINT help = Inside(id::ButtonHelp);
    MoveMouseTo(help.x, help.y);  // Help has no hint
    EXPECT_EQ(StatusText(0), L"Click to save your changes");
    const POINT cancel = Inside(id::ButtonCancel);
    MoveMouseTo(cancel.x, cancel.y);
    EXPECT_EQ(StatusText(0), L"Click to exit without saving");
    const RECT daily = ClientRectOf(Item(id::FrameDaily));
    MoveMouseTo(daily.right - 4, daily.top + 10);
    EXPECT_EQ(StatusText(0), L"Enter the time and date range");
    // The "Time:" label, drawn inside the frame, has no hint of its own.
    const RECT time = ClientRectOf(Item(id::TimeStart));
    MoveMouseTo(time.left - 12, (time.top + time.bottom) / 2);
    EXPECT_EQ(StatusText(0), L"Enter the time and date range");
    MoveMouseTo(daily.left + 2, daily.bottom - 3);
    Click(id::OccursOption + 3);
    const RECT monthly = ClientRectOf(Item(id::FrameMonthly));
    MoveMouseTo(monthly.right - 4, monthly.bottom - 4);
    EXPECT_EQ(StatusText(0), L"Select on which dates to execute");
}

// A disabled control passes its mouse moves to its container: over the disabled OK the
// dialog's background clears the hint; over the disabled end picker "Execution" gives its own.
TEST_F(DialogKeys, DisabledControlsPassTheMouseToTheirContainer) {
    a->core->SetOccursOption(1);
    a->core->SetUseEndDate(false);
    Open();
    ASSERT_FALSE(Enabled(id::ButtonOK));
    const RECT occurs = ClientRectOf(Item(id::FrameOccurs));
    MoveMouseTo(occurs.left + 3, (occurs.top + occurs.bottom) / 2);
    ASSERT_EQ(StatusText(0), L"Select the schedule frequency");
    const POINT ok = Inside(id::ButtonOK);
    MoveMouseTo(ok.x, ok.y);
    EXPECT_EQ(StatusText(0), L"");
    ASSERT_FALSE(Enabled(id::DateEnd));
    const POINT end = Inside(id::DateEnd);
    MoveMouseTo(end.x, end.y);
    EXPECT_EQ(StatusText(0), L"Enter the time and date range");
}

}  // namespace
}  // namespace cadencer::dialog::testing
