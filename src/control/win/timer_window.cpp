// The hidden timer window behind the control's one-second clock.
#include "control/win/timer_window.h"

#include "win/window_class.h"
#include "win/window_state.h"

namespace cadencer::win {
namespace {

constexpr UINT_PTR kTimerId = 1;

bool EnsureClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = proc;
    cls.cbWndExtra = kWindowStateBytes;
    cls.hInstance = instance;
    cls.lpszClassName = kTimerWindowClass;
    return EnsureWindowClass(cls);
}

}  // namespace

TimerWindow::TimerWindow(HINSTANCE instance, std::function<void()> onTick, UINT intervalMs)
    : instance_(instance), onTick_(std::move(onTick)), intervalMs_(intervalMs) {}

TimerWindow::~TimerWindow() {
    Stop();
}

void TimerWindow::Start() {
    if (window_) return;
    if (!EnsureClass(instance_, &TimerWindow::WindowProc)) return;
    // A message-only window: never visible, not enumerated among top-level windows.
    window_ = CreateWindowExW(0, kTimerWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, this);
    if (window_ && !SetTimer(window_, kTimerId, intervalMs_, nullptr)) {
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void TimerWindow::Stop() {
    if (!window_) return;
    HWND window = window_;
    window_ = nullptr;
    KillTimer(window, kTimerId);
    DestroyWindow(window);
}

void TimerWindow::Timer1_Timer() {
    if (onTick_) onTick_();
}

LRESULT CALLBACK TimerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ReceiveWindowState<TimerWindow>(window, message, lParam);
    // A tick already queued when the timer stopped finds window_ cleared and is dropped.
    if (message == WM_TIMER && wParam == kTimerId && self && self->window_ == window) {
        self->Timer1_Timer();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void UnregisterTimerWindowClass(HINSTANCE instance) {
    UnregisterClassW(kTimerWindowClass, instance);
}

}  // namespace cadencer::win
