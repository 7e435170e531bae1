// DigitfieldHost: the platform side of a Digitfield window. Creates the parts, lays them out
// in pixels at the window's DPI, shows text and colours, and provides Timer1, the clipboard
// and the beep to the model.
#include "numberentry/win/digitfield_host.h"  // <windows.h> first: <commctrl.h> needs it
#include "numberentry/win/digitfield_util.h"
#include "win/accessible.h"
#include "win/high_contrast.h"

#include <commctrl.h>

#include <cwchar>
#include <memory>

namespace cadencer::numberentry {

DigitfieldHost::DigitfieldHost(HWND self) : self_(self) {}

DigitfieldHost::~DigitfieldHost() {
    if (backBrush_) DeleteObject(backBrush_);
}

void DigitfieldHost::Release() {
    if (--references_ == 0) delete this;
}

void DigitfieldHost::UserControl_Terminate() {
    destroyed_ = true;
    edit_ = spinner_ = toolTip_ = nullptr;
    Release();  // the window's reference
}

DigitfieldHost* DigitfieldHost::FromControl(HWND control) {
    if (!control || !IsWindow(control)) return nullptr;
    wchar_t name[64];
    if (!GetClassNameW(control, name, 64) || std::wcscmp(name, kDigitfieldClassName) != 0) return nullptr;
    auto* host = win::WindowStateOf<DigitfieldHost>(control);
    return host && host->Alive() ? host : nullptr;
}

bool DigitfieldHost::CreateParts() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(self_, GWLP_HINSTANCE));
    UpdateDpi();
    // Created left-aligned: the right alignment outside the focus is laid out with margins,
    // which the platform's text box honours after creation (its alignment styles it may not).
    edit_ =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT,
                        0, 0, 0, 0, self_, reinterpret_cast<HMENU>(1), instance, nullptr);
    spinner_ = CreateWindowExW(0, kDigitfieldSpinnerClassName, L"", WS_CHILD, 0, 0, 0, 0, self_,
                               reinterpret_cast<HMENU>(2), instance, this);
    if (!edit_ || !spinner_) return false;
    SetWindowSubclass(edit_, EditSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));

    // The tooltip window is created when a tooltip text is first set: most fields never
    // have one, and creating it is the dearest part of making the control.
    ambientFont_ = AmbientFont();
    model_.InitProperties(ambientFont_);
    ServeAccessibility();
    return true;
}

void DigitfieldHost::UpdateDpi() {
    WindowDpi(self_, dpiX_, dpiY_);
}

int DigitfieldHost::MinimumHeight() const {
    return TwipsToPixelsCeil(kMinHeightTwips, dpiY_);
}

void DigitfieldHost::ApplyDpi(int dpi) {
    if (dpi <= 0) return;
    dpiX_ = dpiY_ = dpi;
    // The minimum height and the spinner's width are twips: a lower control grows (and is
    // laid out on that WM_SIZE), any other is laid out again as it is.
    UserControl_Resize();
}

ObjectRef DigitfieldHost::AmbientFont() {
    HWND parent = GetParent(self_);
    auto font = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return std::make_shared<GdiFont>(font, false);
}

void DigitfieldHost::UserControl_Resize() {
    RECT rc;
    GetClientRect(self_, &rc);
    const int minimum = MinimumHeight();
    if (rc.bottom < minimum) {
        // The control is never lower than its minimum: grow, and lay out on that WM_SIZE.
        RECT wr;
        GetWindowRect(self_, &wr);
        SetWindowPos(self_, nullptr, 0, 0, wr.right - wr.left, minimum + (wr.bottom - wr.top - rc.bottom),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    win::KeepAlive keep(*this);
    model_.Resize(static_cast<int>(ToTwipsX(rc.right) + 0.5f), static_cast<int>(ToTwipsY(rc.bottom) + 0.5f));
}

void DigitfieldHost::ApplyLayout(const DigitfieldLayout& layout) {
    if (!Alive() || !edit_) return;
    RECT rc;
    GetClientRect(self_, &rc);
    // Recomputed in pixels so that the parts meet the control's edges exactly.
    const DigitfieldLayout px =
        PositionControls(rc.right, rc.bottom, ToPixelsX(kSpinnerWidthTwips), layout.spinnerVisible);
    // Each change of a window is a trip to the window system: only what differs is changed
    // (loading the control lays it out more than once with the same result).
    PlacePart(edit_, px.textBox);
    PlacePart(spinner_, px.spinner);
    if (!layout.spinnerVisible && GetCapture() == spinner_) ReleaseCapture();
    if ((IsWindowVisible(spinner_) != FALSE) != layout.spinnerVisible)
        ShowWindow(spinner_, layout.spinnerVisible ? SW_SHOWNA : SW_HIDE);
    EnableIfDifferent(spinner_, layout.spinnerVisible && model_.Enabled());
    UpdateAlignment();
}

void DigitfieldHost::PlacePart(HWND part, const PartRect& rect) {
    RECT now{};
    GetWindowRect(part, &now);
    MapWindowPoints(nullptr, self_, reinterpret_cast<POINT*>(&now), 2);
    if (now.left != rect.left || now.top != rect.top || now.right - now.left != rect.width ||
        now.bottom - now.top != rect.height)
        MoveWindow(part, rect.left, rect.top, rect.width, rect.height, TRUE);
}

bool DigitfieldHost::EnableIfDifferent(HWND part, bool enabled) {
    if ((IsWindowEnabled(part) != FALSE) == enabled) return false;
    EnableWindow(part, enabled);
    return true;
}

// ---- Text ----

void DigitfieldHost::GetText(std::u16string& out) const {
    out.clear();
    if (!edit_) return;
    const int length = GetWindowTextLengthW(edit_);
    if (length <= 0) return;
    out.resize(static_cast<std::size_t>(length) + 1);
    const int copied = GetWindowTextW(edit_, reinterpret_cast<wchar_t*>(out.data()), length + 1);
    out.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

int DigitfieldHost::TextLength() const {
    return edit_ ? GetWindowTextLengthW(edit_) : 0;
}

void DigitfieldHost::SetText(std::u16string_view text) {
    if (!edit_) return;
    const std::wstring wide(text.begin(), text.end());
    settingText_ = true;
    SetWindowTextW(edit_, wide.c_str());
    settingText_ = false;
    UpdateAlignment();
    win::NotifyAccessibleValueChange(spinner_);  // the text box announces its own
}

void DigitfieldHost::txtNumber_Change() {
    if (settingText_) return;
    win::KeepAlive keep(*this);
    model_.txtNumber_Change();
    if (Alive()) win::NotifyAccessibleValueChange(spinner_);
    if (Alive() && alignment_ == TextAlignment::Right) UpdateAlignment();
}

int DigitfieldHost::SelStart() const {
    DWORD start = 0, end = 0;
    if (edit_) SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int DigitfieldHost::SelLength() const {
    DWORD start = 0, end = 0;
    if (edit_) SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void DigitfieldHost::Select(int start, int length) {
    if (edit_) SendMessageW(edit_, EM_SETSEL, start, start + length);
}

void DigitfieldHost::SetAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    UpdateAlignment();
}

void DigitfieldHost::UpdateAlignment() {
    if (!edit_) return;
    // Measuring the text takes a device context each time: while the text box cannot be
    // seen (its form still being loaded) the margins wait for its first paint.
    if (!IsWindowVisible(edit_)) {
        alignmentPending_ = true;
        return;
    }
    alignmentPending_ = false;
    int left = baseLeftMargin_;
    if (alignment_ == TextAlignment::Right) {
        RECT rc;
        GetClientRect(edit_, &rc);
        std::u16string text;
        GetText(text);
        SIZE extent{};
        if (HDC dc = GetDC(edit_)) {
            const auto font = reinterpret_cast<HFONT>(SendMessageW(edit_, WM_GETFONT, 0, 0));
            const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
            GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.size()),
                                  &extent);
            if (old) SelectObject(dc, old);
            ReleaseDC(edit_, dc);
        }
        // One pixel for the caret, so that the last character never scrolls.
        const int room = rc.right - baseLeftMargin_ - baseRightMargin_ - extent.cx - 1;
        if (room > 0) left += room;
    }
    SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(left, baseRightMargin_));
    InvalidateRect(edit_, nullptr, TRUE);
}

void DigitfieldHost::SetCaretVisible(bool visible) {
    if (!edit_) return;
    if (visible)
        ShowCaret(edit_);
    else
        HideCaret(edit_);
}

// ---- Appearance ----

void DigitfieldHost::ApplyEnabled(bool enabled) {
    if (!edit_) return;
    EnableIfDifferent(edit_, enabled);
    if (EnableIfDifferent(spinner_, enabled && model_.UpDownFunction())) InvalidateRect(spinner_, nullptr, TRUE);
}

void DigitfieldHost::ApplyLocked(bool locked) {
    if (!edit_) return;
    const bool readOnly = (GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY) != 0;
    if (readOnly != locked) SendMessageW(edit_, EM_SETREADONLY, locked, 0);
}

void DigitfieldHost::ApplyColors(std::uint32_t backColor, std::uint32_t foreColor) {
    backColor_ = backColor;
    foreColor_ = foreColor;
    // In high contrast the box is painted as every text box is, whatever colours it was given.
    const bool contrast = win::HighContrastOn();
    const COLORREF back = contrast ? GetSysColor(COLOR_WINDOW) : OleColorToColorRef(backColor);
    const COLORREF fore = contrast ? GetSysColor(COLOR_WINDOWTEXT) : OleColorToColorRef(foreColor);
    if (backBrush_ && back == back_ && fore == fore_) return;
    back_ = back;
    fore_ = fore;
    if (backBrush_) DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(back_);
    if (edit_) InvalidateRect(edit_, nullptr, TRUE);
}

void DigitfieldHost::SysColorChanged() {
    // A system colour index gives another colour now, or high contrast came or went.
    if (backBrush_) DeleteObject(backBrush_);
    backBrush_ = nullptr;
    ApplyColors(backColor_, foreColor_);
    if (spinner_) InvalidateRect(spinner_, nullptr, TRUE);
}

HBRUSH DigitfieldHost::txtNumber_CtlColor(HDC dc) {
    SetTextColor(dc, IsWindowEnabled(edit_) ? fore_ : GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(dc, back_);
    return backBrush_ ? backBrush_ : GetSysColorBrush(COLOR_WINDOW);
}

void DigitfieldHost::ApplyFont(const ObjectRef& font) {
    if (!edit_) return;
    auto hfont = font ? reinterpret_cast<HFONT>(font->Handle()) : nullptr;
    if (!hfont) hfont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (hfont == appliedFont_) return;  // the ambient font given again changes nothing
    appliedFont_ = hfont;
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(hfont), TRUE);
    // The text box sets its margins from the font; they are the base of the alignment.
    SendMessageW(edit_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(EC_USEFONTINFO, EC_USEFONTINFO));
    const auto margins = static_cast<DWORD>(SendMessageW(edit_, EM_GETMARGINS, 0, 0));
    baseLeftMargin_ = LOWORD(margins);
    baseRightMargin_ = HIWORD(margins);
    UpdateAlignment();
}

void DigitfieldHost::Repaint() {
    if (!edit_) return;
    InvalidateRect(edit_, nullptr, TRUE);
    UpdateWindow(edit_);
}

void DigitfieldHost::SetPartToolTip(DigitfieldPart part, std::u16string_view text) {
    if (part == DigitfieldPart::TextBox)
        UpdateToolTip(edit_, editTip_, text);
    else
        UpdateToolTip(spinner_, spinnerTip_, text);
}

bool DigitfieldHost::EnsureToolTip() {
    if (toolTip_) return true;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(self_, GWLP_HINSTANCE));
    toolTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, self_, nullptr, instance, nullptr);
    if (!toolTip_) return false;
    for (HWND part : {edit_, spinner_}) {
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = self_;
        tool.uId = reinterpret_cast<UINT_PTR>(part);
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return true;
}

void DigitfieldHost::UpdateToolTip(HWND part, std::u16string& current, std::u16string_view text) {
    if (!part || current == text) return;
    if (!toolTip_ && text.empty()) return;
    if (!EnsureToolTip()) return;
    current.assign(text);
    std::wstring wide(text.begin(), text.end());
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = self_;
    tool.uId = reinterpret_cast<UINT_PTR>(part);
    tool.lpszText = wide.data();
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// ---- Timer1 and services ----

void DigitfieldHost::StartTimer(int intervalMs) {
    if (Alive()) SetTimer(self_, kTimer1Id, static_cast<UINT>(intervalMs), nullptr);
}

void DigitfieldHost::StopTimer() {
    if (Alive()) KillTimer(self_, kTimer1Id);
}

void DigitfieldHost::Beep() {
    if (beep_)
        beep_();
    else
        MessageBeep(MB_OK);
}

void DigitfieldHost::SetClipboardText(std::u16string_view text) {
    if (!OpenClipboardBriefly(self_)) return;
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        if (auto* p = static_cast<wchar_t*>(GlobalLock(memory))) {
            std::copy(text.begin(), text.end(), p);
            p[text.size()] = L'\0';
            GlobalUnlock(memory);
            if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

std::optional<std::u16string> DigitfieldHost::ClipboardText() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardBriefly(self_)) return std::nullopt;
    std::optional<std::u16string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Bounded by the block's size: clipboard text need not be terminated.
            const std::size_t limit = GlobalSize(data) / sizeof(wchar_t);
            text.emplace(p, p + wcsnlen(p, limit));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void DigitfieldHost::ProcessPendingMessages() {
    // Only the pending repaint of the text box: a full message pump inside a focus change
    // would run queued clicks, ticks or even the control's destruction in the middle of it.
    if (edit_) UpdateWindow(edit_);
}

}  // namespace cadencer::numberentry
