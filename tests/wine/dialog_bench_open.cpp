// How long the schedule dialog takes to open, measured under Wine: from DisplayScheduler
// (modeless) to the dialog loaded (window, controls and Form_Load done) and to the dialog
// painted (DisplayScheduler returns after the pending paint messages ran; the program
// checks that nothing is left to paint). Prints medians over repeated opens; not a test.
//   tools/wine-run dialog_bench_open.exe [opens]
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
    const int opens = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    harness::FakeClock fakeClock;
    fakeClock.now = harness::At(2026, 3, 10, 10, 0, 0);
    InstallScheduleDialog(GetModuleHandleW(nullptr), &fakeClock);
    harness::TestControl control(fakeClock, nullptr);
    auto& settings = cadencer::control::SharedSchedule::Instance().Settings();

    for (int kind : {3, 1}) {  // the tallest layout, then a small one
        settings.OccursOption = kind;
        std::vector<double> loaded, painted, closed, pumped;
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
                loaded.push_back(LastScheduleLoadMilliseconds());
                painted.push_back(Ms(start, end));
            }
            LARGE_INTEGER c0, c1;
            QueryPerformanceCounter(&c0);
            control.core->CloseScheduler();
            QueryPerformanceCounter(&c1);
            harness::Pump(1);
            LARGE_INTEGER c2;
            QueryPerformanceCounter(&c2);
            closed.push_back(Ms(c0, c1));
            pumped.push_back(Ms(c1, c2));
        }
        std::printf("close %.2f ms, pump after close %.2f ms\n", Median(closed), Median(pumped));
        std::printf("kind %d: %d opens, median to Form_Load done %.2f ms, median to painted %.2f ms%s\n", kind,
                    opens, Median(loaded), Median(painted), unpainted ? " (some opens left paint pending)" : "");
    }
    return 0;
}
