// The schedule dialog's window: an in-memory dialog template (so that the dialog manager
// provides default buttons, WM_NEXTDLGCTL and focus memory), the window procedure that
// routes each message to its named handler, and the client area sized for each layout
// at the window's DPI.
#include "dialog/schedule_form.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"

namespace cadencer::dialog {
namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_SETFONT | DS_3DLOOK;
constexpr DWORD kDialogExStyle = WS_EX_WINDOWEDGE;
// Per-window DPI functions exist from Windows 10 on; older systems use the screen's DPI.
int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpi && window) {
        const UINT dpi = getDpi(window);
        if (dpi) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

RECT OuterForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    RECT rect{0, 0, clientWidth, clientHeight};
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    if (!(adjustForDpi && adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return rect;
}

// DLGTEMPLATE, no controls, the design caption and the dialog font; DWORD aligned.
std::vector<DWORD> BuildTemplate() {
    std::vector<WORD> words;
    auto dword = [&words](DWORD v) {
        words.push_back(LOWORD(v));
        words.push_back(HIWORD(v));
    };
    auto string = [&words](const wchar_t* s) {
        for (; *s; ++s) words.push_back(static_cast<WORD>(*s));
        words.push_back(0);
    };
    dword(kDialogStyle);
    dword(kDialogExStyle);
    words.insert(words.end(), {0, 0, 0, 0, 0});  // no items; position and size set later
    words.push_back(0);                          // no menu
    words.push_back(0);                          // the dialog class
    string(win::W(kDesignCaption).c_str());
    words.push_back(8);  // 8 points
    string(L"MS Shell Dlg");
    std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
    std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(aligned.data()));
    return aligned;
}

}  // namespace

// ---- Creation

ScheduleForm::ScheduleForm(FormHost& host) : host_(host) {
    numberEvents_.form = this;
    for (Frame f : {Frame::Occurs, Frame::Daily, Frame::Weekly, Frame::Monthly})
        frameTop_[static_cast<int>(f)] = FrameRect(f).top;
}

ScheduleForm::~ScheduleForm() {
    if (cyanBrush_) DeleteObject(cyanBrush_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

std::shared_ptr<ScheduleForm> ScheduleForm::Create(HINSTANCE instance, HWND owner, FormHost& host) {
    std::shared_ptr<ScheduleForm> form(new ScheduleForm(host));
    const auto dialogTemplate = BuildTemplate();
    // The window holds the object from WM_INITDIALOG on (self_); until then this local does.
    CreateDialogIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
                               &ScheduleForm::DialogProc, reinterpret_cast<LPARAM>(form.get()));
    if (!form->hwnd_) return nullptr;
    return form;
}

INT_PTR CALLBACK ScheduleForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ScheduleForm* form = nullptr;
    if (message == WM_INITDIALOG) {
        form = reinterpret_cast<ScheduleForm*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        form->hwnd_ = window;
        form->self_ = form->shared_from_this();
    } else {
        form = reinterpret_cast<ScheduleForm*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!form) return FALSE;
    // Held for the length of the message: a handler may end the dialog under itself.
    const auto keep = form->shared_from_this();
    const INT_PTR result = form->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        form->OnWindowGone();
    }
    return result;
}

INT_PTR ScheduleForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            dpi_ = WindowDpi(hwnd_);
            CreateControls();
            return FALSE;  // the focus is given when shown
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_CLOSE:
            ButtonCancel_Click();
            return TRUE;  // the close box discards the edits
        case WM_MOUSEMOVE:
            OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return TRUE;
        case WM_SETCURSOR:
            OnSetCursor(reinterpret_cast<HWND>(wParam), HIWORD(lParam));
            return FALSE;
        case WM_TIMER:
            if (wParam == kClockTimerId) UpdateClockPanels();
            return TRUE;
        case WM_SIZE:
            PlaceStatusBar();
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(hwnd_, &ps)) {
                PaintDesign(dc);
                EndPaint(hwnd_, &ps);
            }
            return TRUE;
        }
        case kMsgDeferredKey:
            OnDeferredKey(wParam);
            return TRUE;
        default:
            return FALSE;
    }
}

void ScheduleForm::SetClientHeight(int outerHeightTwips) {
    outerHeightTwips_ = outerHeightTwips;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    const RECT outer =
        OuterForClient(Px(kClientWidthTwips), Px(ClientHeightForOuter(outerHeightTwips)), style, exStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlaceStatusBar();
}

void ScheduleForm::PlaceStatusBar() {
    if (!statusBar_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int height = Px(kStatusBarHeightTwips);
    SetWindowPos(statusBar_, nullptr, 0, client.bottom - height, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace cadencer::dialog
