// DPI look-up, per-thread DPI awareness and window sizing for a client area.
#include "win/dpi.h"

namespace cadencer::win {
namespace {

FARPROC User32Function(const char* name) {
    static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

template <typename Fn>
Fn Lookup(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(User32Function(name)));
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE, as the headers define them.
const auto kPerMonitorV2 = reinterpret_cast<void*>(static_cast<INT_PTR>(-4));
const auto kPerMonitor = reinterpret_cast<void*>(static_cast<INT_PTR>(-3));

using SetThreadContextFn = void*(WINAPI*)(void*);

}  // namespace

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = Lookup<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    int dpi = 0;
    if (HDC dc = GetDC(window)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(window, dc);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

AxisDpi ScreenDpi() {
    AxisDpi dpi;
    if (HDC screen = GetDC(nullptr)) {
        dpi.x = GetDeviceCaps(screen, LOGPIXELSX);
        dpi.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    if (dpi.x <= 0) dpi.x = kDefaultDpi;
    if (dpi.y <= 0) dpi.y = kDefaultDpi;
    return dpi;
}

int DpiOfMessage(WPARAM wParam) {
    const int dpi = HIWORD(wParam);
    return dpi > 0 ? dpi : kDefaultDpi;
}

ScopedPerMonitorDpiAwareness::ScopedPerMonitorDpiAwareness() {
    static const auto setContext = Lookup<SetThreadContextFn>("SetThreadDpiAwarenessContext");
    if (!setContext) return;
    // Version 2 also scales the caption and borders; systems without it refuse it.
    previous_ = setContext(kPerMonitorV2);
    if (!previous_) previous_ = setContext(kPerMonitor);
}

ScopedPerMonitorDpiAwareness::~ScopedPerMonitorDpiAwareness() {
    static const auto setContext = Lookup<SetThreadContextFn>("SetThreadDpiAwarenessContext");
    if (previous_ && setContext) setContext(previous_);
}

void KeepDialogScalingToSelf(HWND dialog) {
    // DDC_DISABLE_ALL (1): neither fonts nor controls are rescaled by the dialog manager.
    using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehaviour = Lookup<SetBehaviourFn>("SetDialogDpiChangeBehavior");
    if (setBehaviour && dialog) setBehaviour(dialog, 1, 1);
}

void SetClientSize(HWND window, int width, int height, int dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = Lookup<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT rect{0, 0, width, height};
    if (!(adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    constexpr UINT kFlags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, kFlags);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    if (client.right == width && client.bottom == height) return;
    GetWindowRect(window, &outer);
    SetWindowPos(window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                 height + (outer.bottom - outer.top) - client.bottom, kFlags);
}

int FontHeightForPoints(int hundredthsOfPoint, int dpi) {
    return -MulDiv(hundredthsOfPoint, dpi, 7200);
}

}  // namespace cadencer::win
