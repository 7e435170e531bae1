// Small Win32 helpers of the Digitfield window: the DPI of a window, twips conversions,
// OLE colours and a clipboard open that tolerates a moment of contention.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

#include "win/dpi.h"

namespace cadencer::numberentry {

// The window's DPI (the same for both axes): GetDpiForWindow where the system has it,
// otherwise the logical pixels of the window's DC.
inline void WindowDpi(HWND window, int& dpiX, int& dpiY) {
    dpiX = dpiY = win::WindowDpi(window);
}

inline int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}
// Rounded up: a minimum size in twips must not shrink below itself in pixels.
inline int TwipsToPixelsCeil(int twips, int dpi) {
    return (twips * dpi + 1439) / 1440;
}

// An OLE colour: RGB, or a system colour index with the high bit set.
inline COLORREF OleColorToColorRef(std::uint32_t color) {
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFFu));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

// Another program may hold the clipboard for a moment: a few retries, a few milliseconds apart.
inline bool OpenClipboardBriefly(HWND owner) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(2);
    }
    return false;
}

}  // namespace cadencer::numberentry
