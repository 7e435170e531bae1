// High contrast: while the user has a high-contrast scheme on, whatever the library paints
// itself takes the system's colour pairs instead of the design's own colours.
#pragma once

#include <windows.h>

#include <cwchar>

namespace cadencer::win {

// The system's answer; where the system cannot say (Wine answers "off" whatever the user
// chose), the user's accessibility settings in the registry, where Windows keeps the same
// flags as decimal text.
inline bool HighContrastOn() {
    HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0)
        return true;
    wchar_t flags[16] = L"";
    DWORD size = sizeof(flags);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Accessibility\\HighContrast", L"Flags", RRF_RT_REG_SZ, nullptr,
                     flags, &size) != ERROR_SUCCESS)
        return false;
    return (wcstoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

// A brush of the design's colour, or the system colour `systemColor` in high contrast. The
// design's brush stays the caller's; a system colour brush needs no freeing.
inline HBRUSH DesignOrSystemBrush(HBRUSH design, int systemColor) {
    return HighContrastOn() ? GetSysColorBrush(systemColor) : design;
}

// The system's colours changed (a scheme switched on or off): every child window hears of
// it, as the top-level window did, and everything is painted again.
inline void SpreadSysColorChange(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } m{message, wParam, lParam};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM p) WINAPI -> BOOL {
            const auto* m = reinterpret_cast<const Message*>(p);
            SendMessageW(child, m->message, m->wParam, m->lParam);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&m));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

}  // namespace cadencer::win
