// The schedule dialog's window: an in-memory dialog template (so that the dialog manager
// provides default buttons, WM_NEXTDLGCTL and focus memory), the window procedure that
// routes each message to its named handler, the client area sized for each layout at the
// window's DPI, and the whole layout done again when the DPI changes while it is open.
#include "dialog/win/schedule_form.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/schedule_rules.h"
#include "win/controls.h"
#include "win/dialog_template.h"
#include "win/window_state.h"

namespace cadencer::dialog {
namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_SETFONT | DS_3DLOOK;
constexpr DWORD kDialogExStyle = WS_EX_WINDOWEDGE;
constexpr WORD kDialogFontPoints = 8;

}  // namespace

// ---- Creation

ScheduleForm::ScheduleForm(FormHost& host, const DialogLocale& locale)
    : host_(host), locale_(locale), language_(text::LanguageFromLangId(locale.language)) {
    okBefore_ = okAfter_ = T(text::Id::ButtonOK);
    closeBefore_ = T(text::Id::ButtonClose);
    closeAfter_ = T(text::Id::ButtonCancel);
    numberEvents_.form = this;
    for (Frame f : {Frame::Occurs, Frame::Daily, Frame::Weekly, Frame::Monthly})
        frameTop_[static_cast<int>(f)] = FrameRect(f).top;
}

ScheduleForm::~ScheduleForm() {
    if (cyanBrush_) DeleteObject(cyanBrush_);
    if (ownFont_) DeleteObject(ownFont_);
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
}

std::shared_ptr<ScheduleForm> ScheduleForm::Create(HINSTANCE instance, HWND owner, FormHost& host,
                                                   const DialogLocale& locale) {
    std::shared_ptr<ScheduleForm> form(new ScheduleForm(host, locale));
    // The designed caption, " Schedule", in the dialog's language (Title replaces it).
    const std::wstring caption =
        L" " + win::W(text::Text(text::LanguageFromLangId(locale.language), text::Id::DialogTitle));
    const win::DialogTemplate dialogTemplate(kDialogStyle, kDialogExStyle, caption, kDialogFontPoints,
                                             locale.fontFace.empty() ? L"MS Shell Dlg" : locale.fontFace);
    // Per-monitor aware, so that the dialog hears of a DPI change and lays itself out again.
    win::ScopedPerMonitorDpiAwareness perMonitor;
    // The window holds the object from WM_INITDIALOG on (self_); until then this local does.
    CreateDialogIndirectParamW(instance, dialogTemplate.Get(), owner, &ScheduleForm::DialogProc,
                               reinterpret_cast<LPARAM>(form.get()));
    if (!form->hwnd_) return nullptr;
    return form;
}

INT_PTR CALLBACK ScheduleForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ScheduleForm* form = win::ReceiveWindowState<ScheduleForm>(window, message, lParam, win::kDialogSlot);
    if (!form) return FALSE;
    if (message == WM_INITDIALOG) {
        form->hwnd_ = window;
        form->self_ = form->shared_from_this();
    }
    // Held for the length of the message: a handler may end the dialog under itself.
    const win::KeepAlive keep(*form);
    const INT_PTR result = form->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) form->Form_NcDestroy();
    return result;
}

INT_PTR ScheduleForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Form_Initialize();
            return FALSE;  // the focus is given when shown
        case WM_DPICHANGED:
            Form_DpiChanged(win::DpiOfMessage(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            RouteCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY:
            RouteNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_CLOSE:
            Form_QueryUnload();
            return TRUE;
        case WM_MOUSEMOVE:
            RouteMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return TRUE;
        case WM_SETCURSOR:
            RouteSetCursor(reinterpret_cast<HWND>(wParam), HIWORD(lParam));
            return FALSE;
        case WM_TIMER:
            if (wParam == kClockTimerId) ClockTimer_Timer();
            return TRUE;
        case WM_SETTINGCHANGE:
            Form_SettingChange(reinterpret_cast<const wchar_t*>(lParam));
            return FALSE;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            Form_SysColorChange();
            return FALSE;
        case WM_SIZE:
            Form_Resize();
            return TRUE;
        case WM_PAINT:
            Form_Paint();
            return TRUE;
        case kMsgDeferredKey:
            RouteDeferredKey(wParam);
            return TRUE;
        default:
            return FALSE;
    }
}

// WM_INITDIALOG: the controls of the design, at the window's DPI.
void ScheduleForm::Form_Initialize() {
    win::KeepDialogScalingToSelf(hwnd_);
    dpi_ = win::WindowDpi(hwnd_);
    CreateControls();
}

// The close box discards the edits, as Close/Cancel does.
void ScheduleForm::Form_QueryUnload() {
    ButtonCancel_Click();
}

void ScheduleForm::Form_Resize() {
    PlaceStatusBar();
}

void ScheduleForm::Form_Paint() {
    win::PaintWindow(hwnd_, [this](HDC dc) { PaintDesign(dc); });
}

void ScheduleForm::SetClientHeight(int outerHeightTwips) {
    outerHeightTwips_ = outerHeightTwips;
    win::SetClientSize(hwnd_, Px(layout_.ClientWidth()), Px(ClientHeightForOuter(outerHeightTwips)), dpi_);
    PlaceStatusBar();
}

void ScheduleForm::PlaceStatusBar() {
    if (!statusBar_) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int height = Px(kStatusBarHeightTwips);
    SetWindowPos(statusBar_, nullptr, 0, client.bottom - height, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScheduleForm::SetStatusParts() {
    // Each panel as wide as its texts need, the design's width at least (the window is
    // widened for them; FitLayout).
    int edges[3];
    int right = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        right += std::max(kPanelWidthsTwips[i], panelNeeds_[i]);
        edges[i] = Px(right);
    }
    edges[2] = -1;  // the last panel runs to the right edge
    win::StatusSetParts(statusBar_, edges, 3);
}

// ---- A DPI change while the dialog is open

void ScheduleForm::Form_DpiChanged(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    // The suggested rectangle keeps the window where the system wants it (under the pointer
    // while it is dragged across monitors); ApplyDpi then fits the size to the design.
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
}

void ScheduleForm::ApplyDpi() {
    // The dialog font at this DPI: the template's face and weight, its point size.
    LOGFONTW face{};
    GetObjectW(font_, sizeof(face), &face);
    face.lfHeight = win::FontHeightForPoints(kDialogFontPoints * 100, dpi_);
    face.lfWidth = 0;
    const HFONT previousOwn = ownFont_;
    if (const HFONT font = CreateFontIndirectW(&face)) font_ = ownFont_ = font;
    // The number field learns the DPI before it is moved: its minimum height is in twips.
    editor_.Number().ApplyDpi(dpi_);
    for (const auto& design : Design())
        if (const HWND control = Ctl(design.id))
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    Relayout();
    // The controls hold the new font now; the one made for the DPI before can go.
    if (previousOwn && previousOwn != ownFont_) DeleteObject(previousOwn);
}

void ScheduleForm::Relayout() {
    FitLayout();
    for (const auto& design : Design()) {
        const HWND control = Ctl(design.id);
        if (!control || design.kind == Kind::StatusBar) continue;
        const RECT r = WindowRectOf(design);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetStatusParts();
    SetClientHeight(outerHeightTwips_);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace cadencer::dialog
