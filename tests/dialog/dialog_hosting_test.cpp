// Hosting the real dialog: placement in both positions, presentation, modal and modeless
// showing with a host window, two controls, SetFocus, disabling, the owner window going
// away, and hosts that re-enter from a ScheduledTime handler while the modal loop runs.
#include "dialog_harness.h"

namespace cadencer::dialog::testing {
namespace {

std::function<void()> g_tick;
void CALLBACK TickProc(HWND, UINT, UINT_PTR, DWORD) {
    if (g_tick) g_tick();
}

class DialogHosting : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"DialogTestHost";
        RegisterClassW(&cls);
        host = CreateWindowExW(0, L"DialogTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300, 300, 200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(host);
        SetActiveWindow(host);
        Pump();
    }
    void TearDown() override {
        if (timer) KillTimer(nullptr, timer);
        g_tick = nullptr;
        DialogTest::TearDown();
        if (IsWindow(host)) DestroyWindow(host);
    }
    // Runs `step` on a timer while a modal loop runs, `ticks` times at most.
    void EveryTick(std::function<void()> step) {
        g_tick = std::move(step);
        timer = SetTimer(nullptr, 0, 40, TickProc);
    }
    int ScreenDpi(int axis) {
        HDC dc = GetDC(nullptr);
        const int dpi = GetDeviceCaps(dc, axis);
        ReleaseDC(nullptr, dc);
        return dpi;
    }
    HWND host = nullptr;
    UINT_PTR timer = 0;
};

TEST_F(DialogHosting, ManualPlacesTheCornerAndCenterCentresTheTallestLayout) {
    a->core->SetStartUpPosition(0);
    a->core->SetStartUpLeft(1440);
    a->core->SetStartUpTop(720);
    Open();
    RECT r{};
    GetWindowRect(Dlg(), &r);
    EXPECT_EQ(r.left, ScreenDpi(LOGPIXELSX));
    EXPECT_EQ(r.top, ScreenDpi(LOGPIXELSY) / 2);
    a->core->CloseScheduler();

    a->core->SetStartUpPosition(1);
    a->core->SetOccursOption(1);
    Open();
    GetWindowRect(Dlg(), &r);
    const int screenW = PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), ScreenDpi(LOGPIXELSX));
    const int screenH = PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), ScreenDpi(LOGPIXELSY));
    const int width = PixelsToTwips(r.right - r.left, ScreenDpi(LOGPIXELSX));
    EXPECT_NEAR(r.left, TwipsToPixels((screenW - width) / 2, ScreenDpi(LOGPIXELSX)), 1);
    EXPECT_NEAR(r.top, TwipsToPixels((screenH - 6780) / 2, ScreenDpi(LOGPIXELSY)), 1);
}

TEST_F(DialogHosting, PresentationAppliesTitleIconCaptionsAndHelp) {
    S().Title.clear();  // (the Title let itself never stores an empty title)
    a->core->SetCaptionCloseButtonBefore(u"Done");
    Open();
    EXPECT_EQ(Text(0), L" Schedule");  // the designed caption stays
    EXPECT_EQ(Text(id::ButtonCancel), L"Done");
    EXPECT_NE(SendMessageW(Dlg(), WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(Dlg(), WM_GETICON, ICON_SMALL, 0), 0);
    // No help button: invisible, disabled and out of the tab order.
    EXPECT_FALSE(Visible(id::ButtonHelp));
    EXPECT_FALSE(Enabled(id::ButtonHelp));
    EXPECT_FALSE(TabStop(Item(id::ButtonHelp)));
    EXPECT_FALSE(Enabled(id::ButtonOK));
    EXPECT_EQ(DefaultId(), id::ButtonCancel);
    a->core->CloseScheduler();
    a->core->SetShowHelpButton(true);
    Open();
    EXPECT_TRUE(Visible(id::ButtonHelp));
    EXPECT_TRUE(Enabled(id::ButtonHelp));
    EXPECT_TRUE(TabStop(Item(id::ButtonHelp)));
}

TEST_F(DialogHosting, ModalDisablesTheHostUntilTheDialogCloses) {
    a->core->SetModal(true);
    a->core->SetOccursOption(2);
    bool sawModal = false;
    EveryTick([&] {
        if (!Dlg() || !IsWindowVisible(Dlg())) return;
        sawModal = !IsWindowEnabled(host) && IsWindowEnabled(Dlg());
        KillTimer(nullptr, timer);
        timer = 0;
        Click(id::WeeklyDay + 3);
        Click(id::ButtonOK);
    });
    a->core->DisplayScheduler();  // returns when the dialog has closed
    EXPECT_TRUE(sawModal);
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(host));
    EXPECT_EQ(S().SelectionsWeekly, u"0010000");
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
    EXPECT_FALSE(S().SchedulerFocusFlag);
}

TEST_F(DialogHosting, ModelessReturnsAtOnceWithTheDialogFocused) {
    Open();
    EXPECT_TRUE(IsWindowVisible(Dlg()));
    EXPECT_TRUE(IsWindowEnabled(host));
    EXPECT_TRUE(IsChild(Dlg(), Focus()));
    EXPECT_EQ(GetWindow(Dlg(), GW_OWNER), host);  // owned by the host's active window
    EXPECT_TRUE(S().SchedulerFocusFlag);
    // A modal request for a dialog already shown changes nothing and returns.
    a->core->SetModal(true);
    a->core->DisplayScheduler();
    EXPECT_TRUE(IsWindowVisible(Dlg()));
    EXPECT_TRUE(IsWindowEnabled(host));
}

TEST_F(DialogHosting, TheSecondControlTakesOverTheCallbacks) {
    b = MakeControl();
    Open();  // opened by a
    b->core->DisplayScheduler();
    Click(id::OccursOption + 1);
    Click(id::ButtonOK);
    EXPECT_TRUE(a->site.events.empty());
    EXPECT_EQ(b->site.events, (std::vector<Ev>{Ev::ScheduleChanged, Ev::SchedulerClosed}));
    EXPECT_EQ(a->core->OccursOption(), 1);  // one shared schedule
}

TEST_F(DialogHosting, SetFocusBringsTheOpenDialogBack) {
    Open();
    SetForegroundWindow(host);
    SetActiveWindow(host);
    SetFocus(host);
    Pump();
    EXPECT_FALSE(IsChild(Dlg(), Focus()));
    a->core->SetFocus();
    Pump();
    EXPECT_TRUE(IsChild(Dlg(), Focus()));
    EXPECT_EQ(GetForegroundWindow(), Dlg());
    a->core->CloseScheduler();
    EXPECT_FALSE(S().SchedulerFocusFlag);
    SetFocus(host);
    a->core->SetFocus();  // nothing open: nothing happens
    EXPECT_EQ(Focus(), host);
}

TEST_F(DialogHosting, DisablingTheOwnerClosesTheDialogWithoutAnEvent) {
    Open();
    a->core->SetEnabled(false);
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_TRUE(a->site.events.empty());
}

TEST_F(DialogHosting, TheOwnerWindowGoingAwayEndsTheDialogOnce) {
    Open();
    ASSERT_EQ(GetWindow(Dlg(), GW_OWNER), host);
    DestroyWindow(host);
    Pump();
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::SchedulerClosed}));
    Open();  // a fresh dialog opens afterwards
    EXPECT_NE(Dlg(), nullptr);
}

// A ScheduledTime handler runs inside the modal loop; whatever it does, the loop ends,
// DisplayScheduler returns and nothing freed is touched.
TEST_F(DialogHosting, HostsMayReenterFromScheduledTimeDuringTheModalLoop) {
    enum class Act { Disable, Close, Reopen, Release };
    for (Act act : {Act::Disable, Act::Close, Act::Reopen, Act::Release}) {
        SCOPED_TRACE(static_cast<int>(act));
        if (!a) a = MakeControl();
        a->core->SetModal(true);
        a->site.events.clear();
        int executed = 0, spare = 0;
        a->site.onEvent = [&, act](Ev e) {
            if (e != Ev::ScheduledTime) return;
            switch (act) {
                case Act::Disable:
                    a->core->SetEnabled(false);
                    break;
                case Act::Close:
                    a->core->CloseScheduler();
                    break;
                case Act::Reopen:
                    a->core->DisplayScheduler();  // open already: returns at once
                    a->core->CloseScheduler();
                    a->core->SetModal(false);
                    a->core->DisplayScheduler();  // a fresh modeless one
                    a->core->CloseScheduler();
                    break;
                case Act::Release:
                    a->core->Terminate();
                    break;
            }
        };
        EveryTick([&] {
            if (!Dlg() || !IsWindowVisible(Dlg())) return;
            if (executed++ == 0)
                a->core->Execute();  // the clock reaches the next time
            else if (++spare > 3)
                PostMessageW(Dlg(), WM_CLOSE, 0, 0);  // a safety net
        });
        a->core->DisplayScheduler();
        KillTimer(nullptr, timer);
        timer = 0;
        EXPECT_EQ(Dlg(), nullptr);
        EXPECT_LE(spare, 3);  // the handler ended the dialog, not the safety net
        ASSERT_FALSE(a->site.events.empty());
        EXPECT_EQ(a->site.events.front(), Ev::ScheduledTime);
        EXPECT_TRUE(IsWindowEnabled(host));
        if (act == Act::Close) {
            EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::ScheduledTime, Ev::SchedulerClosed}));
        }
        if (act == Act::Release || act == Act::Disable) a.reset();
    }
}

TEST_F(DialogHosting, QuittingEndsTheModalDialogAndThePostsTheQuitOnward) {
    a->core->SetModal(true);
    EveryTick([&] {
        if (Dlg() && IsWindowVisible(Dlg())) PostQuitMessage(7);
    });
    a->core->DisplayScheduler();
    KillTimer(nullptr, timer);
    timer = 0;
    EXPECT_EQ(Dlg(), nullptr);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_EQ(a->site.events, (std::vector<Ev>{Ev::SchedulerClosed}));
}

// The window is sized for its client area: a taller title bar leaves the designed client
// height, and the frames still fit above the status bar.
TEST_F(DialogHosting, ATallerTitleBarKeepsTheDesignedClientArea) {
    NONCLIENTMETRICSW saved{};
    saved.cbSize = sizeof(saved);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(saved), &saved, 0));
    NONCLIENTMETRICSW tall = saved;
    tall.iCaptionHeight = saved.iCaptionHeight + 24;
    tall.iBorderWidth = saved.iBorderWidth + 3;
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(tall), &tall, 0);
    a->core->SetOccursOption(3);
    Open();
    RECT window{}, client{};
    GetWindowRect(Dlg(), &window);
    GetClientRect(Dlg(), &client);
    const int nonClient = (window.bottom - window.top) - client.bottom;
    SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(saved), &saved, 0);
    EXPECT_EQ(client.bottom, Px(ClientHeightForOuter(kOuterHeightMonthly)));
    EXPECT_GT(nonClient, Px(kDesignNonClientHeightTwips) - 2);
    EXPECT_LE(ClientRectOf(Item(id::FrameMonthly)).bottom, ClientRectOf(Item(id::StatusBar)).top);
}

}  // namespace
}  // namespace cadencer::dialog::testing
