// Thin typed wrappers over SendMessage for the controls the library's windows use (buttons,
// combo box, date-time pickers, status bar), painting a window, string conversions between the portable
// UTF-16 strings and wide strings (with the SYSTEMTIME conversions of system_time.h, which
// the pickers take). Every wrapper refuses a handle that is not a window.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>

#include "engine/ole_date.h"
#include "win/accessible.h"
#include "win/dpi.h"
#include "win/system_time.h"

namespace cadencer::win {

inline std::wstring W(std::u16string_view s) {
    return std::wstring(s.begin(), s.end());
}
inline std::u16string U(std::wstring_view s) {
    return std::u16string(s.begin(), s.end());
}

inline std::wstring WindowText(HWND window) {
    if (!IsWindow(window)) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline void SetText(HWND window, std::wstring_view text) {
    if (IsWindow(window)) SetWindowTextW(window, std::wstring(text).c_str());
}

// ---- Check boxes and option buttons: 0 unchecked, 1 checked, 2 grayed.
inline int GetCheck(HWND button) {
    return IsWindow(button) ? static_cast<int>(SendMessageW(button, BM_GETCHECK, 0, 0)) : 0;
}
inline void SetCheck(HWND button, int value) {
    if (IsWindow(button)) SendMessageW(button, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

// ---- Combo box (drop-down list).
inline int ComboAdd(HWND combo, std::wstring_view text) {
    if (!IsWindow(combo)) return CB_ERR;
    return static_cast<int>(SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::wstring(text).c_str())));
}
inline int ComboCount(HWND combo) {
    return IsWindow(combo) ? static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)) : 0;
}
inline int ComboSelection(HWND combo) {
    return IsWindow(combo) ? static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : CB_ERR;
}
inline void ComboSelect(HWND combo, int index) {
    if (IsWindow(combo)) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// ---- Date-time pickers.
inline std::optional<SYSTEMTIME> PickerTime(HWND picker) {
    SYSTEMTIME st{};
    if (!IsWindow(picker)) return std::nullopt;
    if (SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return std::nullopt;
    return st;
}
inline bool SetPickerTime(HWND picker, const SYSTEMTIME& st) {
    if (!IsWindow(picker)) return false;
    return SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)) != 0;
}
inline void SetPickerFormat(HWND picker, const wchar_t* format) {
    if (IsWindow(picker)) SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

// ---- Status bar.
inline void StatusSetParts(HWND bar, const int* rightEdges, int count) {
    if (IsWindow(bar)) SendMessageW(bar, SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(rightEdges));
}
inline void StatusSetText(HWND bar, int part, std::wstring_view text) {
    if (IsWindow(bar))
        SendMessageW(bar, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
}
inline std::wstring StatusText(HWND bar, int part) {
    if (!IsWindow(bar)) return {};
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}
inline void StatusSetTip(HWND bar, int part, std::wstring_view text) {
    if (IsWindow(bar))
        SendMessageW(bar, SB_SETTIPTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(std::wstring(text).c_str()));
}

// ---- Painting: `draw(dc)` between BeginPaint and EndPaint (WM_PAINT).
template <typename Draw>
void PaintWindow(HWND window, Draw draw) {
    PAINTSTRUCT ps;
    if (HDC dc = BeginPaint(window, &ps)) {
        draw(dc);
        EndPaint(window, &ps);
    }
}

}  // namespace cadencer::win
