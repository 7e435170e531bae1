// A gallery of Digitfield states on one form: idle and formatted, negative, editing, with
// and without the spinner, a held spinner, Locked and disabled. The test checks what each
// shows; with CADENCER_SCREENSHOT_DIR set it also saves the form as digitfield-states.bmp
// there (the form's client area taken from the screen, as a user sees it) for the documentation's pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "numberentry_wine_support.h"

namespace cadencer::numberentry::wine {
namespace {

bool SaveScreenArea(HWND window, const std::string& path) {
    RECT rc;
    GetClientRect(window, &rc);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * height;
    bool ok = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        ok = std::fwrite(&file, sizeof(file), 1, f) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, f) == 1 &&
             std::fwrite(bits, stride * height, 1, f) == 1;
        std::fclose(f);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

struct Gallery {
    HWND panel = nullptr;
    std::vector<std::unique_ptr<DigitfieldWindow>> fields;
    int row = 0;

    Gallery() {
        HWND top = SharedTopLevel();
        SetWindowPos(top, nullptr, 40, 40, 460, 400, SWP_NOZORDER);
        RECT rc;
        GetClientRect(top, &rc);
        panel = CreateWindowExW(WS_EX_CONTROLPARENT, L"DigitfieldTestForm", L"", WS_CHILD | WS_VISIBLE, 0, 0, rc.right,
                                rc.bottom, top, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(panel, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    }
    ~Gallery() {
        DestroyWindow(panel);
        Pump();
    }
    DigitfieldWindow& Add(const wchar_t* caption) {
        const int top = 12 + row * 38;
        HWND label = CreateWindowExW(0, L"STATIC", caption, WS_CHILD | WS_VISIBLE, 12, top + 3, 230, 20, panel, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        fields.push_back(std::make_unique<DigitfieldWindow>());
        HDC dc = GetDC(panel);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
        ReleaseDC(panel, dc);
        fields.back()->Create(panel, 100 + row, RECT{250, top, 250 + MulDiv(1740, dpi, 1440), top + 20});
        ++row;
        return *fields.back();
    }
    static std::string Text(DigitfieldWindow& f) {
        wchar_t buf[64];
        GetWindowTextW(f.EditWindow(), buf, 64);
        return U8(std::u16string(buf, buf + wcslen(buf)));
    }
};

TEST(DigitfieldGallery, StatesAsTheUserSeesThem) {
    Gallery g;
    auto& idle = g.Add(L"Idle, formatted");
    idle.SetValue(Variant::Double(1234.5));
    auto& negative = g.Add(L"Negative, outside the focus");
    negative.SetValue(Variant::Double(-5.25));
    auto& spinner = g.Add(L"With the spinner (###)");
    spinner.SetFormat(u"###");
    spinner.SetUpDownFunction(true);
    spinner.SetValue(Variant::I16(15));
    auto& held = g.Add(L"Spinner held on its upper half");
    held.SetFormat(u"###");
    held.SetUpDownFunction(true);
    held.SetValue(Variant::I16(41));
    auto& locked = g.Add(L"Locked");
    locked.SetValue(Variant::Double(7));
    locked.SetLocked(true);
    auto& disabled = g.Add(L"Disabled, with the spinner");
    disabled.SetUpDownFunction(true);
    disabled.SetValue(Variant::Double(99.5));
    disabled.SetEnabled(false);
    auto& coloured = g.Add(L"BackColor and ForeColor");
    coloured.SetBackColor(0x00E0F0FF);
    coloured.SetForeColor(0x00800000);
    coloured.SetValue(Variant::Double(3.25));
    auto& editing = g.Add(L"Editing: bare number, all selected");
    editing.SetValue(Variant::Double(-1234.5));
    SetFocus(editing.EditWindow());
    Pump();
    HWND heldSpinner = FindWindowExW(held.ControlWindow(), nullptr, kDigitfieldSpinnerClassName, nullptr);
    SendMessageW(heldSpinner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 2));  // steps to 42, stays pressed
    SetFocus(editing.EditWindow());
    Pump(150);

    EXPECT_EQ(Gallery::Text(idle), "1,234.50");
    EXPECT_EQ(Gallery::Text(negative), "(5.25)");
    EXPECT_EQ(Gallery::Text(spinner), "15");
    EXPECT_EQ(Gallery::Text(held), "42");
    EXPECT_EQ(Gallery::Text(disabled), "99.50");
    EXPECT_EQ(Gallery::Text(editing), "-1234.50");
    EXPECT_TRUE(editing.GotFocus());
    EXPECT_FALSE(IsWindowEnabled(disabled.EditWindow()));

    if (const char* dir = std::getenv("CADENCER_SCREENSHOT_DIR")) {
        RedrawWindow(SharedTopLevel(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump(300);
        EXPECT_TRUE(SaveScreenArea(SharedTopLevel(), std::string(dir) + "/digitfield-states.bmp"));
    }
    SendMessageW(heldSpinner, WM_LBUTTONUP, 0, MAKELPARAM(4, 2));
}

}  // namespace
}  // namespace cadencer::numberentry::wine
