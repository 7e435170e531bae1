// Support for the Digitfield window tests under Wine: a host form with a Digitfield and a
// button to take the focus, an event sink that records (and may change) what the control
// raises, and helpers that deliver real keyboard and mouse messages and pump them.
#pragma once

#include "numberentry/win/digitfield_window.h"  // <windows.h> first: <commctrl.h> needs it

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "utf8.h"

namespace cadencer::numberentry::wine {

inline std::string U8(std::u16string_view s) {
    return ToUtf8(s);
}

// Runs the thread's messages for `ms` milliseconds (0: until the queue is empty).
inline void Pump(DWORD ms = 0) {
    const DWORD start = GetTickCount();
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (ms) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

class Recorder : public DigitfieldEvents {
public:
    std::vector<std::string> log;
    std::function<void()> onChange;
    std::function<void(std::int16_t&)> onKeyPress;
    std::function<void(std::int16_t&, std::int16_t&)> onKeyDown;
    float lastX = -1, lastY = -1;

    void Change() override {
        log.push_back("Change");
        if (onChange) onChange();
    }
    void Click() override { log.push_back("Click"); }
    void DblClick() override { log.push_back("DblClick"); }
    void KeyDown(std::int16_t& k, std::int16_t& s) override {
        log.push_back("KeyDown " + std::to_string(k) + "," + std::to_string(s));
        if (onKeyDown) onKeyDown(k, s);
    }
    void KeyPress(std::int16_t& k) override {
        log.push_back("KeyPress " + std::to_string(k));
        if (onKeyPress) onKeyPress(k);
    }
    void KeyUp(std::int16_t& k, std::int16_t& s) override {
        log.push_back("KeyUp " + std::to_string(k) + "," + std::to_string(s));
    }
    void MouseMove(std::int16_t&, std::int16_t&, float&, float&) override { ++moves; }
    void MouseUp(std::int16_t& b, std::int16_t&, float& x, float& y) override {
        log.push_back("MouseUp " + std::to_string(b));
        lastX = x;
        lastY = y;
    }
    void MouseDown(std::int16_t& b, std::int16_t&, float& x, float& y) override {
        log.push_back("MouseDown " + std::to_string(b));
        lastX = x;
        lastY = y;
    }
    int moves = 0;
    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : log) n += e == entry;
        return n;
    }
    int CountPrefix(const std::string& prefix) const {
        int n = 0;
        for (const auto& e : log) n += e.rfind(prefix, 0) == 0;
        return n;
    }
};

// The one top-level window of the test program: under Wine without a window manager,
// hiding or destroying a shown top-level window waits two seconds for the X server, so the
// tests share one and create their controls inside it.
inline HWND SharedTopLevel() {
    static HWND window = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = L"DigitfieldTestForm";
        RegisterClassW(&wc);
        HWND w = CreateWindowExW(0, L"DigitfieldTestForm", L"Digitfield", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 480,
                                 260, nullptr, nullptr, wc.hInstance, nullptr);
        SetForegroundWindow(w);
        return w;
    }();
    return window;
}

// A form: a panel in the shared window holding one Digitfield (1740 x 300 twips) and a
// button to take the focus.
class Form {
public:
    explicit Form(int widthTwips = 1740, int heightTwips = 300) {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        HWND top = SharedTopLevel();
        RECT rc;
        GetClientRect(top, &rc);
        window = CreateWindowExW(WS_EX_CONTROLPARENT, L"DigitfieldTestForm", L"", WS_CHILD | WS_VISIBLE, 0, 0, rc.right,
                                 rc.bottom, top, nullptr, instance, nullptr);
        button = CreateWindowExW(0, L"BUTTON", L"Other", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 100, 80, 24, window,
                                 reinterpret_cast<HMENU>(2), instance, nullptr);
        control.CreateTwips(window, 1, 150, 150, widthTwips, heightTwips, &events);
        control.SetBeepHandler([this] { ++beeps; });
        Pump();
    }
    ~Form() {
        DestroyWindow(window);
        Pump();
    }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Edit() const { return control.EditWindow(); }
    HWND Spinner() const {
        return FindWindowExW(control.ControlWindow(), nullptr, kDigitfieldSpinnerClassName, nullptr);
    }
    std::string Text() const {
        wchar_t buf[512];
        GetWindowTextW(Edit(), buf, 512);
        return U8(std::u16string(buf, buf + wcslen(buf)));
    }
    RECT ChildRect(HWND child) const {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, control.ControlWindow(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void FocusControl() {
        SetFocus(Edit());
        Pump();
    }
    void FocusAway() {
        SetFocus(button);
        Pump();
    }

    // A key as the keyboard delivers it: WM_KEYDOWN (translated into WM_CHAR by the message
    // loop) and WM_KEYUP to the focused window, with the modifier state set for the thread.
    void Key(UINT vk, bool ctrl = false, bool shift = false) {
        SetModifiers(ctrl, shift);
        HWND target = GetFocus();
        const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
        Pump();
        PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000u);
        Pump();
        SetModifiers(false, false);
        Pump();
    }
    void Type(std::string_view chars) {
        for (char c : chars) {
            const SHORT scan = VkKeyScanW(static_cast<wchar_t>(c));
            Key(LOBYTE(scan), false, (HIBYTE(scan) & 1) != 0);
        }
    }

    void Mouse(HWND part, UINT message, int x, int y, WPARAM keys = 0) {
        SendMessageW(part, message, keys, MAKELPARAM(x, y));
        Pump();
    }

    HWND window = nullptr;
    HWND button = nullptr;
    Recorder events;
    DigitfieldWindow control;
    int beeps = 0;

private:
    static void SetModifiers(bool ctrl, bool shift) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
    }
};

inline bool SetClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* p = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(text.begin(), text.end(), p);
    p[text.size()] = 0;
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    return true;
}

inline std::wstring GetClipboard(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

}  // namespace cadencer::numberentry::wine
