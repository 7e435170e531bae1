// How long the schedule dialog takes to open, measured under Wine: from DisplayScheduler
// (modeless) to the dialog loaded (window, controls and Form_Load done), to the dialog
// painted (its pending messages processed; the program checks that nothing is left to
// paint) and to DisplayScheduler's return (the focus given). Prints medians over repeated
// opens; not a test. Runs in Wine's usual setting (each close then waits for a window
// manager under a bare X server: the opens are what is measured).
//   tools/wine-run dialog_bench_open.exe [opens]     (dialog_bench_open_classic: no CC6)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialog_harness.h"

namespace {

using namespace cadencer::dialog;
namespace harness = cadencer::dialog::testing;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

bool NothingLeftToPaint(HWND dialog) {
    if (GetUpdateRect(dialog, nullptr, FALSE)) return false;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && GetUpdateRect(c, nullptr, FALSE)) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int opens = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    harness::FakeClock fakeClock;
    fakeClock.now = harness::At(2026, 3, 10, 10, 0, 0);
    InstallScheduleDialog(GetModuleHandleW(nullptr), &fakeClock);
    harness::TestControl control(fakeClock, nullptr);
    auto& settings = cadencer::control::SharedSchedule::Instance().Settings();

    for (int kind : {3, 1}) {  // the tallest layout, then a small one
        settings.OccursOption = kind;
        std::vector<double> loaded, painted, returned;
        int unpainted = 0;
        for (int i = 0; i < opens + 1; ++i) {
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            control.core->DisplayScheduler();
            QueryPerformanceCounter(&end);
            const HWND dialog = ScheduleDialogWindow();
            if (!dialog) {
                std::fprintf(stderr, "the dialog did not open\n");
                return 1;
            }
            unpainted += !NothingLeftToPaint(dialog);
            if (i > 0) {  // the first open also loads the libraries and registers classes
                LARGE_INTEGER paintedAt;
                paintedAt.QuadPart = LastSchedulePaintedCounter();
                loaded.push_back(LastScheduleLoadMilliseconds());
                painted.push_back(Ms(start, paintedAt));
                returned.push_back(Ms(start, end));
            }
            control.core->CloseScheduler();
            harness::Pump(1);
        }
        std::printf(
            "kind %d: %d opens, medians: Form_Load done %.1f ms, painted %.1f ms, DisplayScheduler returned %.1f "
            "ms%s\n",
            kind, opens, Median(loaded), Median(painted), Median(returned),
            unpainted ? " (some opens left paint pending)" : "");
    }
    return 0;
}
