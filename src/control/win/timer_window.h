// The control's one-second clock: a hidden message-only window with a window timer, so
// the tick arrives as a window message in whatever single-threaded apartment created the
// control, as long as that thread pumps messages. No window exists while the clock is
// stopped, and none is ever shown.
#pragma once

#include <windows.h>

#include <functional>

#include "control/ports.h"

namespace cadencer::win {

class TimerWindow final : public control::Timer {
public:
    // onTick runs on the creating thread once per interval while started.
    TimerWindow(HINSTANCE instance, std::function<void()> onTick, UINT intervalMs = 1000);
    ~TimerWindow() override;
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    void Start() override;
    void Stop() override;
    bool Running() const { return window_ != nullptr; }
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Timer1_Timer();

    HINSTANCE instance_;
    std::function<void()> onTick_;
    UINT intervalMs_;
    HWND window_ = nullptr;
};

// The class name of the timer windows (tests count them to find leaks).
inline constexpr wchar_t kTimerWindowClass[] = L"CadencerTimerWindow";
void UnregisterTimerWindowClass(HINSTANCE instance);

}  // namespace cadencer::win
