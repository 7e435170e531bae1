// Drawing of the design-time face and the in-place window that shows it.
#include "control/win/face_window.h"

#include "engine/twips.h"

namespace cadencer::win {

int FacePixels(int dpi) {
    return TwipsToPixels(kFaceTwips, dpi);
}

namespace {

int ScreenDpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

int ScreenDpiX() {
    return ScreenDpi(LOGPIXELSX);
}
int ScreenDpiY() {
    return ScreenDpi(LOGPIXELSY);
}

bool DrawFace(HINSTANCE instance, HDC dc, const RECT& bounds) {
    HRSRC resource =
        FindResourceW(instance, MAKEINTRESOURCEW(kFaceBitmapResource), MAKEINTRESOURCEW(2) /* RT_BITMAP */);
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
    if (!GetClassInfoExW(instance_, kFaceWindowClass, &cls)) {
        cls.cbSize = sizeof(cls);
        cls.lpfnWndProc = &FaceWindow::WindowProc;
        cls.hInstance = instance_;
        cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
        cls.lpszClassName = kFaceWindowClass;
        if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
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
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    } else if (message == WM_NCDESTROY) {
        // The container may destroy its window (and so ours) before deactivating us.
        auto* owner = reinterpret_cast<FaceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner && owner->window_ == window) owner->window_ = nullptr;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    }
    auto* self = reinterpret_cast<FaceWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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
