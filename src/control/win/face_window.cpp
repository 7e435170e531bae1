// Drawing of the design-time face and the in-place window that shows it.
#include "control/win/face_window.h"

#include "engine/twips.h"
#include "win/window_class.h"
#include "win/window_state.h"

namespace cadencer::win {

int FacePixels(int dpi) {
    return TwipsToPixels(kFaceTwips, dpi);
}

bool DrawFace(HINSTANCE instance, HDC dc, const RECT& bounds) {
    HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(IDB_FACE), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (!resource) return false;
    HGLOBAL loaded = LoadResource(instance, resource);
    const auto* info = static_cast<const BITMAPINFO*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(instance, resource);
    if (!info || size < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biBitCount != 24) return false;
    const auto* bits = reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize;
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    const int lines =
        StretchDIBits(dc, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, 0, 0,
                      info->bmiHeader.biWidth, info->bmiHeader.biHeight, bits, info, DIB_RGB_COLORS, SRCCOPY);
    if (oldMode) SetStretchBltMode(dc, oldMode);
    return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

bool FaceWindow::Create(HWND parent, const RECT& rect) {
    if (window_) return true;
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = &FaceWindow::WindowProc;
    cls.cbWndExtra = kWindowStateBytes;
    cls.hInstance = instance_;
    cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    cls.lpszClassName = kFaceWindowClass;
    if (!EnsureWindowClass(cls)) return false;
    window_ = CreateWindowExW(0, kFaceWindowClass, L"", WS_CHILD | WS_CLIPSIBLINGS, rect.left, rect.top,
                              rect.right - rect.left, rect.bottom - rect.top, parent, nullptr, instance_, this);
    return window_ != nullptr;
}

void FaceWindow::Destroy() {
    if (!window_) return;
    HWND window = window_;
    window_ = nullptr;
    DestroyWindow(window);
}

void FaceWindow::Move(const RECT& rect) {
    if (window_)
        SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void FaceWindow::Show(bool visible) {
    if (window_) ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

void FaceWindow::Form_Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    DrawFace(instance_, dc, client);
    EndPaint(window_, &paint);
}

LRESULT CALLBACK FaceWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ReceiveWindowState<FaceWindow>(window, message, lParam);
    // The container may destroy its window (and so ours) before deactivating us.
    if (message == WM_NCDESTROY && self && self->window_ == window) self->window_ = nullptr;
    switch (message) {
        case WM_PAINT:
            if (self && self->window_ == window) {
                self->Form_Paint();
                return 0;
            }
            break;
        case WM_ERASEBKGND:
            return 1;  // the face covers the whole client area
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void UnregisterFaceWindowClass(HINSTANCE instance) {
    UnregisterClassW(kFaceWindowClass, instance);
}

}  // namespace cadencer::win
