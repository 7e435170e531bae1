// frmAbout's window: a dialog built from real Win32 controls placed in twips at the
// window's DPI (and placed again when its DPI changes while it is open), with its handlers
// named after the parts they serve. One object per showing: loading creates the window,
// destroying the object unloads it.
#pragma once

#include <windows.h>

#include <string>

#include "about/about_box.h"
#include "about/about_mail.h"
#include "dialog/schedule_fit.h"
#include "engine/twips.h"
#include "text/catalog.h"

namespace cadencer::about {

class AboutForm {
public:
    AboutForm(const AboutBoxOptions& options, text::Language language);
    // Form_Unload: closes the window if it is still open and signs off from mail.
    ~AboutForm();
    AboutForm(const AboutForm&) = delete;
    AboutForm& operator=(const AboutForm&) = delete;

    // Loads the form (hidden), placed over owner or centred on the screen.
    bool Create(HWND owner);
    HWND Window() const { return window_; }
    bool IsOpen() const { return window_ != nullptr; }
    void Close();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    // Fonts, the picture and every control's place at the DPI; the window keeps its position.
    void Form_DpiChanged(int dpi, const RECT* suggested);
    void ApplyDpi();
    void Form_Paint();
    INT_PTR Form_CtlColorStatic(HDC dc, HWND control);
    bool Form_SetCursor(HWND control);
    void RouteCommand(int id, int code);
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void EmailLink_Click();
    void WebLink_Click();
    void StartSysInfo();

    int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
    // The design's x coordinates fitted to the texts as the fonts draw them at the DPI: a
    // label or button whose text needs more room widens, and what stands right of it moves.
    void FitTexts();
    int FitX(int twips) const { return Px(fit_.Map(twips)); }
    void AddTooltip(HWND control, const wchar_t* text);
    void PlaceWindow();
    bool OpenWithShell(const std::wstring& target);
    void ShowMessage(const std::wstring& text);
    std::wstring ControlText(int id) const;
    bool IsLink(HWND control) const;

    const AboutBoxOptions& options_;
    const text::Language language_;
    MailSession mail_;
    HWND window_ = nullptr;
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
    int dpi_ = 96;
    dialog::WidthMap fit_;
    HFONT formFont_ = nullptr;
    HFONT titleFont_ = nullptr;
    HFONT linkFont_ = nullptr;
    HICON windowIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HICON pictureIcon_ = nullptr;
};

}  // namespace cadencer::about
