// The property page window: an in-memory child dialog template (so that the frame's
// dialog manager tabs into the page's fields), the window procedure routing each message
// to its handler, twips-to-pixels layout at the frame's DPI, filling and reading through
// the page's own fields, and the watch on a property-sheet frame's notifications.
#include "proppage/win/page_window.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "engine/twips.h"
#include "win/controls.h"
#include "win/dialog_template.h"
#include "win/dpi.h"
#include "win/high_contrast.h"
#include "win/window_state.h"

namespace cadencer::proppage {
namespace {

constexpr DWORD kPageStyle = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | DS_SETFONT | DS_3DLOOK;
// A page area has one watch, whichever of our pages set it; its property names the page
// (or marks a watch left in place without one).
constexpr UINT_PTR kFrameSubclassId = 1;
constexpr wchar_t kWatchProperty[] = L"CadencerPropertyPageWatch";
const HANDLE kIdleWatch = reinterpret_cast<HANDLE>(1);

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

PageWindow::~PageWindow() {
    Destroy();
}

SIZE PageWindow::SizeAt(int dpi) const {
    const TwipSize size = DesignSize();
    if (hwnd_ && dpi == dpi_) return {TwipsToPixels(fit_.Map(size.width), dpi), TwipsToPixels(size.height, dpi)};
    // Before the page has a window: its texts in the font its template asks for.
    const HFONT font =
        CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
    const dialog::WidthMap fit = FitTexts(font, dpi);
    if (font) DeleteObject(font);
    return {TwipsToPixels(fit.Map(size.width), dpi), TwipsToPixels(size.height, dpi)};
}

namespace {

int DrawnWidth(HDC dc, HFONT font, std::u16string_view text) {
    std::wstring shown = win::W(text);
    std::erase(shown, L'&');
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

// The font the design was made for (Tahoma, 8 points), or null where the platform lacks it.
HFONT DesignFont(HDC dc, int dpi) {
    HFONT font = CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    wchar_t face[LF_FACESIZE] = L"";
    const HGDIOBJ old = SelectObject(dc, font);
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    if (font && lstrcmpiW(face, L"Tahoma") == 0) return font;
    if (font) DeleteObject(font);
    return nullptr;
}

}  // namespace

// As the schedule dialog fits its own: with the design's font at hand, a text needs as much
// more room than the design gives as it is wider than the design's English text in that
// font (so English keeps the design's places exactly); without it, its own width and what
// its control draws beside it.
dialog::WidthMap PageWindow::FitTexts(HFONT font, int dpi) const {
    std::vector<TextPlace> places = TextPlaces();
    std::stable_sort(places.begin(), places.end(),
                     [](const TextPlace& a, const TextPlace& b) { return a.rect.left < b.rect.left; });
    dialog::WidthMap fit;
    HDC dc = GetDC(nullptr);
    const HFONT reference = DesignFont(dc, dpi);
    for (const TextPlace& place : places) {
        const int left = place.rect.left, right = place.rect.right();
        const int designed = TwipsToPixels(right, dpi) - TwipsToPixels(left, dpi);
        const int now = DrawnWidth(dc, font, place.text);
        // One pixel for rounding. A translation needs its own width in any case: where the
        // design is tight for its English text, it is not for the translation's.
        const int own = now + MulDiv(place.besidePixels, dpi, 96) + 1;
        const int asDesigned = reference ? designed + now - DrawnWidth(dc, reference, place.english) : own;
        const int need = language_ == text::Language::English ? asDesigned : std::max(asDesigned, own);
        // Only a text that needs more room moves anything.
        if (need > TwipsToPixels(fit.Map(right), dpi) - TwipsToPixels(fit.Map(left), dpi))
            fit.Require(left, right, (need * 1440 + dpi - 1) / dpi);
    }
    if (reference) DeleteObject(reference);
    ReleaseDC(nullptr, dc);
    return fit;
}

int PageWindow::Px(int twips) const {
    return TwipsToPixels(twips, dpi_);
}

RECT PageWindow::PixelRect(const dialog::TwipRect& r) const {
    // Edge by edge, so that neighbouring fields stay neighbours at any DPI.
    return {PxX(r.left), Px(r.top), PxX(r.right()), Px(r.bottom())};
}

bool PageWindow::Create(HWND parent, const RECT& rect, PageEvents* events) {
    if (hwnd_) return true;
    events_ = events;
    dpi_ = win::WindowDpi(parent);
    // No caption; the frame's rectangle places it.
    const win::DialogTemplate pageTemplate(kPageStyle, WS_EX_CONTROLPARENT);
    CreateDialogIndirectParamW(ThisModule(), pageTemplate.Get(), parent, &PageWindow::DialogProc,
                               reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return false;
    Move(rect);
    HookFrame(parent);
    return true;
}

void PageWindow::Destroy() {
    UnhookFrame();
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    toldSheet_ = false;
}

void PageWindow::Show(int command) {
    if (hwnd_) ShowWindow(hwnd_, command);
}

void PageWindow::Move(const RECT& rect) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PageWindow::TranslateKey(MSG& msg) {
    if (!hwnd_ || !(msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) return false;
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

void PageWindow::Load(const PropertyValues& values) {
    if (!hwnd_) return;
    loading_ = true;
    Fill(values);
    baseline_ = Baseline();
    loading_ = false;
}

std::optional<PropertyValues> PageWindow::Changes() {
    if (!hwnd_) return PropertyValues{};
    if (!Validate()) return std::nullopt;
    return ChangedValues(baseline_, Read());
}

void PageWindow::Edited() {
    if (loading_ || !hwnd_) return;
    // A property-sheet frame enables its Apply button on its own page's word.
    if (!toldSheet_) {
        if (HWND sheet = SheetOfFrame()) {
            toldSheet_ = true;
            PostMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(GetParent(hwnd_)), 0);
        }
    }
    if (events_) events_->PageEdited();
}

void PageWindow::FocusControl(HWND control) {
    if (!control || !IsWindowEnabled(control) || !IsWindowVisible(control)) return;
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void PageWindow::ShowMessage(std::u16string_view text, std::u16string_view title, HWND focus) {
    MessageBeep(MB_OK);
    FocusControl(focus);
    MessageBoxW(GetAncestor(hwnd_, GA_ROOT), win::W(text).c_str(), win::W(title).c_str(), MB_OK | MB_ICONERROR);
}

HWND PageWindow::AddControl(const wchar_t* windowClass, std::u16string_view text, DWORD style,
                            const dialog::TwipRect& rect, int id, int extraHeightTwips) {
    const RECT r = PixelRect(rect);
    HWND control =
        CreateWindowExW(WS_EX_NOPARENTNOTIFY, windowClass, win::W(text).c_str(), WS_CHILD | WS_VISIBLE | style, r.left,
                        r.top, r.right - r.left, r.bottom - r.top + Px(extraHeightTwips), hwnd_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

// ---- The window procedure

INT_PTR CALLBACK PageWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PageWindow* page = win::ReceiveWindowState<PageWindow>(window, message, lParam, win::kDialogSlot);
    if (!page) return FALSE;
    if (message == WM_INITDIALOG) page->hwnd_ = window;
    if (message == WM_NCDESTROY) {
        page->hwnd_ = nullptr;
        return FALSE;
    }
    return page->HandleMessage(message, wParam, lParam);
}

INT_PTR PageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Page_Initialize();
            return FALSE;
        case WM_COMMAND:
            RouteCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_NOTIFY:
            RouteNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return FALSE;
        case WM_CTLCOLORSTATIC:  // a null brush (FALSE): the default background
            return reinterpret_cast<INT_PTR>(
                Page_CtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_PAINT:
            Page_Paint();
            return TRUE;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            win::SpreadSysColorChange(hwnd_, WM_SYSCOLORCHANGE, 0, 0);
            return FALSE;
        default:
            return FALSE;
    }
}

void PageWindow::Page_Initialize() {
    font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    fit_ = FitTexts(font_, dpi_);
    CreateControls();
}

void PageWindow::Page_Paint() {
    win::PaintWindow(hwnd_, [this](HDC dc) { DrawDesign(dc); });
}

bool PageWindow::Sheet_Apply() {
    return !events_ || events_->ApplyRequested();
}

// ---- The frame's notifications

HWND PageWindow::SheetOfFrame() const {
    if (!hookedParent_) return nullptr;
    HWND sheet = GetParent(hookedParent_);
    // Only a property sheet names the page area it shows as its current page.
    if (!sheet || SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0) != reinterpret_cast<LRESULT>(hookedParent_))
        return nullptr;
    return sheet;
}

void PageWindow::HookFrame(HWND parent) {
    wchar_t name[16] = {};
    // A property sheet's page areas are dialogs; anything else is left alone.
    if (!parent || !GetClassNameW(parent, name, 16) || wcscmp(name, L"#32770") != 0) return;
    HANDLE watcher = GetPropW(parent, kWatchProperty);
    if (watcher && watcher != kIdleWatch) return;  // another page of ours watches it already
    if (!SetWindowSubclass(parent, &PageWindow::FrameSubclassProc, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return;
    SetPropW(parent, kWatchProperty, this);
    hookedParent_ = parent;
    // An idle watch (see UnhookFrame) is taken over, and left in place again.
    procAfterHook_ = watcher ? nullptr : reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC));
}

void PageWindow::UnhookFrame() {
    if (!hookedParent_) return;
    HWND parent = std::exchange(hookedParent_, nullptr);
    if (!IsWindow(parent)) return;
    // With a procedure set by hand above the subclass chain, removing the chain's last entry
    // could take out the stub that procedure calls on to: the watch then stays, idle, until
    // the page area goes.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC)) == procAfterHook_) {
        RemoveWindowSubclass(parent, &PageWindow::FrameSubclassProc, kFrameSubclassId);
        RemovePropW(parent, kWatchProperty);
    } else {
        SetWindowSubclass(parent, &PageWindow::FrameSubclassProc, kFrameSubclassId, 0);
        SetPropW(parent, kWatchProperty, kIdleWatch);
    }
}

LRESULT CALLBACK PageWindow::FrameSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                               DWORD_PTR refData) {
    auto* page = reinterpret_cast<PageWindow*>(refData);
    if (message == WM_NCDESTROY) {
        if (page) page->hookedParent_ = nullptr;
        RemoveWindowSubclass(window, &PageWindow::FrameSubclassProc, id);
        RemovePropW(window, kWatchProperty);
        return DefSubclassProc(window, message, wParam, lParam);
    }
    if (page && message == WM_NOTIFY && lParam) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code == static_cast<UINT>(PSN_APPLY) && !page->Sheet_Apply()) return PSNRET_INVALID_NOCHANGEPAGE;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace cadencer::proppage
