// How long the schedule dialog takes to open, measured under Wine: from DisplayScheduler
// (modeless) to the dialog loaded (window, controls and Form_Load done), to the dialog
// painted (its pending messages processed; the program checks that nothing is left to
// paint) and to DisplayScheduler's return (the focus given). The floor, in the same run:
// the same windows created bare (the dialog's window tree recorded once, then made again
// with plain CreateWindowEx of the same classes, given the dialog's font, shown and
// painted, without any of the dialog's logic); the program prints the ratio of the painted
// time to it. Prints medians over repeated opens; not a test. Runs in Wine's usual setting
// (each close then waits for a window manager under a bare X server: the opens are what is
// measured).
//   tools/wine-run dialog_bench_open.exe [opens]     (dialog_bench_open_classic: no CC6)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
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

// One window of the dialog's tree as the floor makes it again.
struct BareWindow {
    std::wstring windowClass;
    std::wstring text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};      // in the parent's client area (the screen for the dialog itself)
    int parent = -1;  // index of the parent in the record, -1 for the dialog
};

// The dialog's windows in creation order (parents before their children). The library's
// own classes (the number field's) become STATIC, the platform's plainest window, with the
// parts they hold; the platform's controls make their own parts (a picker's arrows) again.
void Record(HWND window, int parent, std::vector<BareWindow>& tree) {
    BareWindow w;
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    const bool ours = wcsncmp(name, L"Cadencer", 8) == 0;
    w.windowClass = ours ? L"STATIC" : name;
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    w.text = text;
    w.style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    w.exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    GetWindowRect(window, &w.rect);
    if (parent >= 0) MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&w.rect), 2);
    w.parent = parent;
    tree.push_back(w);
    const int self = static_cast<int>(tree.size()) - 1;
    if (parent >= 0 && !ours) return;
    // Children are listed top of the z-order first; made again bottom first, they keep it.
    std::vector<HWND> children;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    for (auto it = children.rbegin(); it != children.rend(); ++it) Record(*it, self, tree);
}

// Milliseconds from the first CreateWindowEx to the bare tree shown and painted.
double OpenBare(const std::vector<BareWindow>& tree, HFONT font) {
    LARGE_INTEGER start, painted;
    QueryPerformanceCounter(&start);
    std::vector<HWND> made;
    made.reserve(tree.size());
    for (const BareWindow& w : tree) {
        const HWND parent = w.parent >= 0 ? made[static_cast<std::size_t>(w.parent)] : nullptr;
        const DWORD style = w.parent >= 0 ? w.style : (w.style & ~WS_VISIBLE);
        const HWND window =
            CreateWindowExW(w.exStyle, w.windowClass.c_str(), w.text.c_str(), style, w.rect.left, w.rect.top,
                            w.rect.right - w.rect.left, w.rect.bottom - w.rect.top, parent,
                            w.parent >= 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(made.size())) : nullptr,
                            GetModuleHandleW(nullptr), nullptr);
        if (window && w.parent >= 0) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        made.push_back(window);
    }
    if (made.empty() || !made[0]) return 0;
    ShowWindow(made[0], SW_SHOWNORMAL);
    harness::Pump(1);
    QueryPerformanceCounter(&painted);
    DestroyWindow(made[0]);
    harness::Pump(1);
    return Ms(start, painted);
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
        std::vector<double> loaded, painted, returned, floor;
        std::vector<BareWindow> tree;
        HFONT font = nullptr;
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
            if (tree.empty()) {
                Record(dialog, -1, tree);
                font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
            }
            control.core->CloseScheduler();
            harness::Pump(1);
            // The floor's opens alternate with the dialog's, so that both meet the same state
            // of the window system.
            const double bare = OpenBare(tree, font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
            if (i > 0) floor.push_back(bare);
        }
        const double floorMs = Median(floor);
        std::printf(
            "kind %d: %d opens, medians: Form_Load done %.1f ms, painted %.1f ms, DisplayScheduler returned %.1f "
            "ms%s; the same %zu windows bare: painted %.1f ms, ratio %.2f\n",
            kind, opens, Median(loaded), Median(painted), Median(returned),
            unpainted ? " (some opens left paint pending)" : "", tree.size(), floorMs,
            floorMs > 0 ? Median(painted) / floorMs : 0.0);
    }

    // German against English: the same layout opened by a container that says 0x407, then
    // one that says 0x409, alternately; the German texts are measured and laid out as the
    // English ones are, so the ratio stays within noise (about 1.05 or less).
    settings.OccursOption = 3;
    std::vector<double> english, german;
    for (int i = 0; i < opens + 1; ++i) {
        for (const std::uint32_t locale : {0x409u, 0x407u}) {
            control.site.localeId = locale;
            control.core->DisplayScheduler();
            if (i > 0) (locale == 0x407u ? german : english).push_back(LastScheduleLoadMilliseconds());
            control.core->CloseScheduler();
            harness::Pump(1);
        }
    }
    const double englishMs = Median(english), germanMs = Median(german);
    std::printf("German against English (monthly, Form_Load done): %.1f ms against %.1f ms, ratio %.2f\n", germanMs,
                englishMs, englishMs > 0 ? germanMs / englishMs : 0.0);
    return 0;
}
