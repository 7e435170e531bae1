// DPI of windows and of the messages that announce a change, and the per-monitor DPI
// awareness a window declares for itself while it is created. The functions that only
// newer systems have are looked up at run time; older ones get the screen's DPI.
#pragma once

#include <windows.h>

namespace cadencer::win {

inline constexpr int kDefaultDpi = 96;

// The DPI a window is laid out for: GetDpiForWindow where the system has it (it knows
// per-monitor scaling), else the logical pixels of the window's DC (or the screen's).
int WindowDpi(HWND window);

// The screen's (the system's) logical pixels per inch across and down, for what is
// measured in screen units rather than in one window's (the defaults where unknown).
struct AxisDpi {
    int x = kDefaultDpi;
    int y = kDefaultDpi;
};
AxisDpi ScreenDpi();

// The new DPI carried by WM_DPICHANGED (its vertical value, as the platform recommends);
// a value the message cannot mean gives the default.
int DpiOfMessage(WPARAM wParam);

// WM_DPICHANGED_BEFOREPARENT / AFTERPARENT (the headers of older SDKs lack them).
inline constexpr UINT kMsgDpiChangedBeforeParent = 0x02E2;
inline constexpr UINT kMsgDpiChangedAfterParent = 0x02E3;

// Windows created in this scope on this thread are per-monitor DPI aware (version 2 where
// the system knows it, else version 1), so that they receive WM_DPICHANGED and lay
// themselves out instead of being stretched. Does nothing where the system has no per-
// thread awareness. The thread's previous awareness comes back at the end of the scope.
class ScopedPerMonitorDpiAwareness {
public:
    ScopedPerMonitorDpiAwareness();
    ~ScopedPerMonitorDpiAwareness();
    ScopedPerMonitorDpiAwareness(const ScopedPerMonitorDpiAwareness&) = delete;
    ScopedPerMonitorDpiAwareness& operator=(const ScopedPerMonitorDpiAwareness&) = delete;
    bool Active() const { return previous_ != nullptr; }

private:
    void* previous_ = nullptr;  // the thread's DPI_AWARENESS_CONTEXT before the scope
};

// A per-monitor (v2) dialog would be rescaled by the dialog manager itself on a DPI change;
// a dialog that lays itself out from its own design turns that off where it exists.
void KeepDialogScalingToSelf(HWND dialog);

// Sizes a window, keeping its position, so that its client area is width x height pixels:
// first by the frame its styles have at dpi, then, if the client area came out otherwise,
// by the frame it really has (a frame still drawn for another DPI than the one the window
// lays itself out for, a caption of another height than the styles suggest).
void SetClientSize(HWND window, int width, int height, int dpi);

// A font's height in logical units for a size in hundredths of a point at dpi
// (8.25 pt = 825), negative as CreateFont takes a character height.
int FontHeightForPoints(int hundredthsOfPoint, int dpi);

}  // namespace cadencer::win
