// Shows one layout of the schedule dialog (or one of its validation messages) for a few
// seconds, so that a screenshot can be taken of the program's desktop. Not a test.
//   tools/wine-run dialog_shots.exe never|daily|weekly|monthly|every|message [seconds] [LocaleID]
// (a LocaleID such as 0x407 is the container's ambient one: the dialog in that language)
// then, while it shows: xwd -root -display $DISPLAY -silent | convert xwd:- -crop ... shot.png
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "dialog_harness.h"
#include "win/dpi.h"

namespace {

using namespace cadencer::dialog;
namespace harness = cadencer::dialog::testing;

UINT_PTR g_quitTimer = 0;

void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, g_quitTimer);
    // A message box of the dialog is dismissed first; then the dialog and the program end.
    if (HWND dialog = ScheduleDialogWindow()) {
        for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
            if (GetWindow(w, GW_OWNER) == dialog) PostMessageW(w, WM_COMMAND, IDOK, 0);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
    PostQuitMessage(0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string layout = argc > 1 ? argv[1] : "monthly";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 4;
    // The real pointer stays clear of the dialog: a move over it would write another hint.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    harness::FakeClock clock;
    clock.now = harness::At(2026, 3, 10, 10, 0, 0);
    InstallScheduleDialog(GetModuleHandleW(nullptr), &clock);
    harness::TestControl control(clock,
                                 std::make_shared<harness::IconPicture>(LoadIconW(nullptr, MAKEINTRESOURCEW(32516))));
    if (argc > 3) control.site.localeId = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 0));
    auto& core = *control.core;
    core.SetStartUpPosition(0);
    core.SetStartUpLeft(600);
    core.SetStartUpTop(600);
    core.SetShowHelpButton(true);
    core.SetStartHour(9);
    core.SetStartMinute(30);
    core.SetStartDate(harness::At(2026, 3, 10));
    core.SetEndDate(harness::At(2026, 12, 31));
    core.SetUseEndDate(true);
    core.SetSelectionsWeekly(u"0100010");
    core.SetSelectionsMonthly(u"1000000000000010000000000000001");
    const std::pair<const char*, int> kinds[] = {
        {"never", 0}, {"daily", 1}, {"weekly", 2}, {"monthly", 3}, {"every", 4}};
    int kind = 2;
    for (const auto& [name, value] : kinds)
        if (layout == name) kind = value;
    core.SetOccursOption(kind);
    if (kind == 4) {
        core.SetEveryFrequency(1);
        core.SetEveryInterval(30);
    }
    if (layout == "message") core.SetSelectionsWeekly(u"0000000");

    core.DisplayScheduler();
    const HWND dialog = ScheduleDialogWindow();
    if (!dialog) return 1;
    // A hint in the status bar, as the pointer over the "Occurs" frame gives it (a point of
    // the frame's left edge, 300 twips in and 600 down, at the dialog's DPI).
    const int dpi = cadencer::win::WindowDpi(dialog);
    POINT inOccurs{MulDiv(300, dpi, 1440), MulDiv(600, dpi, 1440)};
    SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(inOccurs.x, inOccurs.y));
    g_quitTimer = SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndShow);
    if (layout == "message") {
        // Changed, then OK: the weekly check fails and its message box shows.
        PostMessageW(GetDlgItem(dialog, id::WeeklyDay + 2), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dialog, id::WeeklyDay + 2), BM_CLICK, 0, 0);
        PostMessageW(GetDlgItem(dialog, id::ButtonOK), BM_CLICK, 0, 0);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
