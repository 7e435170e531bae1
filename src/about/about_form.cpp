// frmAbout: layout, texts, links and System Information. Positions and sizes are the
// form's design in twips, converted with the DPI of the box's own window.
#include "about/about_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "about/about_resources.h"
#include "about/about_sysinfo.h"
#include "about/about_texts.h"
#include "win/dialog_template.h"
#include "win/dpi.h"
#include "win/high_contrast.h"
#include "win/window_state.h"

namespace cadencer::about {

namespace {

constexpr int kClientWidthTwips = 6045;
constexpr int kClientHeightTwips = 4515;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME;
// The picture is drawn for 48 x 48 pixels at 96 DPI, the same size in twips at any DPI.
constexpr int kPictureTwips = kPictureSizeAt96Dpi * 15;

// One-line labels do not wrap: with a wider font than designed, a clipped end reads
// better than a text that has lost its second half below the label's edge.
constexpr DWORD kText = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kLink = kLabel | SS_NOTIFY;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

enum class FontKind { None, Form, Title, Link };

// The form's design: each control with its place in twips and its font, and its text: a
// fixed one (the title, the addresses) or the catalog's in the box's language. The version
// is set by Form_Load.
struct AboutPart {
    int id;
    const wchar_t* windowClass;
    DWORD style;
    const wchar_t* text;
    std::optional<text::Id> said;
    int left, top, width, height;
    FontKind font;
};
// OK is both the default and the cancel button: the dialog manager sends IDOK for Enter
// and IDCANCEL for Esc and the close box, and both arrive at cmdOK_Click.
constexpr AboutPart kParts[] = {
    {kPicIcon, L"STATIC", WS_CHILD | WS_VISIBLE | SS_ICON | SS_CENTERIMAGE, nullptr, std::nullopt, 240, 240,
     kPictureTwips, kPictureTwips, FontKind::None},
    {kLblTitle, L"STATIC", kLabel, kLibraryTitle, std::nullopt, 1050, 240, 4473, 480, FontKind::Title},
    {kLblVersion, L"STATIC", kLabel, L"", std::nullopt, 1050, 780, 4473, 225, FontKind::Form},
    {kLblDescription, L"STATIC", kText, nullptr, text::Id::AboutDescription, 1050, 1125, 4536, 1779, FontKind::Form},
    {kLblDisclaimer, L"STATIC", kText, nullptr, text::Id::AboutDisclaimer, 255, 3216, 3870, 391, FontKind::Form},
    {kEmailLink, L"STATIC", kLink, kEmailAddress, std::nullopt, 607, 3651, 3195, 255, FontKind::Link},
    {kLabel1, L"STATIC", kLabel, nullptr, text::Id::AboutWebSite, 527, 4042, 703, 217, FontKind::Form},
    {kWebLink, L"STATIC", kLink, kWebAddress, std::nullopt, 1278, 4042, 2556, 217, FontKind::Link},
    {kCmdOK, L"BUTTON", kButton | BS_DEFPUSHBUTTON, nullptr, text::Id::AboutOK, 4579, 3260, 1260, 345, FontKind::Form},
    {kCmdSysInfo, L"BUTTON", kButton | BS_PUSHBUTTON, nullptr, text::Id::AboutSysInfo, 4579, 3694, 1245, 345,
     FontKind::Form},
};

// Point sizes in hundredths (8.25 pt = 825), as the form's fonts are given.
HFONT MakeFont(int dpi, int hundredthsOfPoint, int weight, bool underline, const std::wstring& face) {
    return CreateFontW(win::FontHeightForPoints(hundredthsOfPoint, dpi), 0, 0, 0, weight, FALSE, underline, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face.empty() ? L"MS Sans Serif" : face.c_str());
}

struct Fonts {
    HFONT form, title, link;
    HFONT Of(const AboutPart& part) const {
        switch (part.font) {
            case FontKind::Title:
                return title;
            case FontKind::Link:
                return link;
            case FontKind::Form:
                return form;
            case FontKind::None:
                break;
        }
        return nullptr;
    }
};

}  // namespace

AboutForm::AboutForm(const AboutBoxOptions& options, text::Language language)
    : options_(options), language_(language), mail_(options.mapi) {}

AboutForm::~AboutForm() {
    Close();
    for (HFONT font : {formFont_, titleFont_, linkFont_})
        if (font) DeleteObject(font);
    for (HICON icon : {windowIcon_, smallIcon_, pictureIcon_})
        if (icon) DestroyIcon(icon);
}

bool AboutForm::Create(HWND owner) {
    owner_ = owner;
    // Without controls: every control is created at its twip position once the window's DPI
    // is known.
    const win::DialogTemplate form(kFormStyle, kFormExStyle);
    // Per-monitor aware, so that the box lays itself out again when its DPI changes.
    win::ScopedPerMonitorDpiAwareness perMonitor;
    CreateDialogIndirectParamW(options_.module, form.Get(), owner, DialogProc, reinterpret_cast<LPARAM>(this));
    return window_ != nullptr;
}

void AboutForm::Close() {
    if (window_) DestroyWindow(window_);
}

INT_PTR CALLBACK AboutForm::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = win::ReceiveWindowState<AboutForm>(window, message, lParam, win::kDialogSlot);
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) self->window_ = window;
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        self->tooltip_ = nullptr;
        return FALSE;
    }
    return self->Handle(message, wParam, lParam);
}

INT_PTR AboutForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            Form_Load();
            return TRUE;
        case WM_DPICHANGED:
            Form_DpiChanged(win::DpiOfMessage(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_PAINT:
            Form_Paint();
            return TRUE;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            win::SpreadSysColorChange(window_, WM_SYSCOLORCHANGE, 0, 0);
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return Form_CtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_SETCURSOR:
            return Form_SetCursor(reinterpret_cast<HWND>(wParam));
        case WM_COMMAND:
            RouteCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void AboutForm::Form_Load() {
    win::KeepDialogScalingToSelf(window_);
    dpi_ = win::WindowDpi(window_);
    const auto version = ReadModuleVersion(options_.module);
    const std::wstring versionText = version ? VersionText(language_, version->major, version->minor)
                                             : AboutText(language_, text::Id::AboutVersionUnknown);
    SetWindowTextW(window_, AboutCaption(language_).c_str());

    // The window icon is the control's default dialog icon; the picture is the library's
    // clock drawn larger, its size following the DPI (ApplyDpi).
    windowIcon_ = LoadModuleIcon(options_.module, GetSystemMetrics(SM_CXICON));
    smallIcon_ = LoadModuleIcon(options_.module, GetSystemMetrics(SM_CXSMICON));
    if (windowIcon_) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon_));
    if (smallIcon_) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    for (const AboutPart& part : kParts) {
        const std::wstring text = part.id == kLblVersion ? versionText
                                  : part.said            ? AboutText(language_, *part.said)
                                  : part.text            ? part.text
                                                         : L"";
        CreateWindowExW(0, part.windowClass, text.c_str(), part.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(part.id)), options_.module, nullptr);
    }
    ApplyDpi();
    PlaceWindow();

    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, options_.module, nullptr);
    AddTooltip(GetDlgItem(window_, kEmailLink), AboutText(language_, text::Id::AboutEmailTip).c_str());
    AddTooltip(GetDlgItem(window_, kWebLink), AboutText(language_, text::Id::AboutWebTip).c_str());
}

// The design in twips at the DPI the window has now: new fonts, a picture drawn for its
// size, every control's edges converted (so that neighbours meet as they do in twips) and
// the client area.
void AboutForm::ApplyDpi() {
    HFONT oldFonts[] = {formFont_, titleFont_, linkFont_};
    formFont_ = MakeFont(dpi_, 825, FW_NORMAL, false, options_.fontFace);
    titleFont_ = MakeFont(dpi_, 1350, FW_BOLD, false, options_.fontFace);
    linkFont_ = MakeFont(dpi_, 825, FW_NORMAL, true, options_.fontFace);
    HICON oldPicture = pictureIcon_;
    pictureIcon_ = LoadPictureIcon(options_.module, MulDiv(kPictureSizeAt96Dpi, dpi_, win::kDefaultDpi));

    for (const AboutPart& part : kParts) {
        const HFONT font = Fonts{formFont_, titleFont_, linkFont_}.Of(part);
        if (const HWND control = GetDlgItem(window_, part.id); control && font)
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    FitTexts();
    for (const AboutPart& part : kParts) {
        const HWND control = GetDlgItem(window_, part.id);
        if (!control) continue;
        const int x = FitX(part.left), y = Px(part.top);
        SetWindowPos(control, nullptr, x, y, FitX(part.left + part.width) - x, Px(part.top + part.height) - y,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (pictureIcon_) SendDlgItemMessageW(window_, kPicIcon, STM_SETICON, reinterpret_cast<WPARAM>(pictureIcon_), 0);
    // The controls let go of the old fonts and picture above; only then are they freed.
    for (HFONT font : oldFonts)
        if (font) DeleteObject(font);
    if (oldPicture && oldPicture != pictureIcon_) DestroyIcon(oldPicture);
    win::SetClientSize(window_, FitX(kClientWidthTwips), Px(kClientHeightTwips), dpi_);
    InvalidateRect(window_, nullptr, TRUE);
}

namespace {

// The width in pixels at which a wrapping text's lines fit in height pixels: the width it
// has, or as much more as another language's longer words and sentences need.
int WrappedWidth(HDC dc, const std::wstring& text, int width, int height) {
    const int step = std::max(1, width / 16);
    for (int tried = width; tried < 3 * width; tried += step) {
        RECT r{0, 0, tried, 0};
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        if (r.bottom <= height && r.right <= tried) return tried;
    }
    return 3 * width;
}

}  // namespace

// The one-line labels and the buttons, left to right: each as wide as its text; the texts
// that wrap (the description, the disclaimer) as wide as their lines need in their height.
void AboutForm::FitTexts() {
    fit_ = {};
    std::vector<const AboutPart*> parts;
    for (const AboutPart& part : kParts) parts.push_back(&part);
    std::stable_sort(parts.begin(), parts.end(),
                     [](const AboutPart* a, const AboutPart* b) { return a->left < b->left; });
    HDC dc = GetDC(window_);
    for (const AboutPart* part : parts) {
        const HWND control = GetDlgItem(window_, part->id);
        if (!control || part->font == FontKind::None) continue;
        const HGDIOBJ old = SelectObject(dc, Fonts{formFont_, titleFont_, linkFont_}.Of(*part));
        std::wstring text = ControlText(part->id);
        if (part->style == kText) {
            const int width = FitX(part->left + part->width) - FitX(part->left);
            const int wrapped = WrappedWidth(dc, text, width, Px(part->top + part->height) - Px(part->top));
            SelectObject(dc, old);
            // Only a text that needs more room moves anything: the design's place stays exact.
            if (wrapped > width)
                fit_.Require(part->left, part->left + part->width, ((wrapped + 1) * 1440 + dpi_ - 1) / dpi_);
            continue;
        }
        std::erase(text, L'&');
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        // A button's edges and margins beside its text; one pixel for rounding.
        const int pixels = size.cx + 1 + (lstrcmpW(part->windowClass, L"BUTTON") == 0 ? MulDiv(12, dpi_, 96) : 0);
        fit_.Require(part->left, part->left + part->width, (pixels * 1440 + dpi_ - 1) / dpi_);
    }
    ReleaseDC(window_, dc);
}

void AboutForm::Form_DpiChanged(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    if (suggested)
        SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyDpi();
}

void AboutForm::PlaceWindow() {
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred over the owner, or on the screen that holds it (the primary one without),
    // and kept inside that screen's work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT around = monitor.rcWork;
    if (owner_ && IsWindowVisible(owner_) && !IsIconic(owner_)) GetWindowRect(owner_, &around);
    int left = around.left + (around.right - around.left - width) / 2;
    int top = around.top + (around.bottom - around.top - height) / 2;
    left = std::max<int>(monitor.rcWork.left, std::min<int>(left, monitor.rcWork.right - width));
    top = std::max<int>(monitor.rcWork.top, std::min<int>(top, monitor.rcWork.bottom - height));
    SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AboutForm::AddTooltip(HWND control, const wchar_t* text) {
    if (!tooltip_ || !control) return;
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every comctl32 version
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// Line1: a grey line with a white one below it, an etched separator across the form.
void AboutForm::Form_Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    const int thin = std::max(1, MulDiv(1, dpi_, win::kDefaultDpi));
    const RECT grey{FitX(90), Px(3054), FitX(5941), Px(3054) + thin};
    const RECT white{FitX(105), grey.bottom, FitX(5941), grey.bottom + 2 * thin};
    // In high contrast the etching takes the system's 3-D edge colours.
    if (win::HighContrastOn()) {
        FillRect(dc, &grey, GetSysColorBrush(COLOR_BTNSHADOW));
        FillRect(dc, &white, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    } else {
        HBRUSH greyBrush = CreateSolidBrush(RGB(128, 128, 128));
        FillRect(dc, &grey, greyBrush);
        DeleteObject(greyBrush);
        FillRect(dc, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    EndPaint(window_, &paint);
}

bool AboutForm::IsLink(HWND control) const {
    return control && (control == GetDlgItem(window_, kEmailLink) || control == GetDlgItem(window_, kWebLink));
}

INT_PTR AboutForm::Form_CtlColorStatic(HDC dc, HWND control) {
    if (!IsLink(control)) return FALSE;
    // A high-contrast scheme gives links a colour of their own, chosen to stand on its face.
    SetTextColor(dc, GetSysColor(win::HighContrastOn() ? COLOR_HOTLIGHT : COLOR_HIGHLIGHT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

bool AboutForm::Form_SetCursor(HWND control) {
    if (!IsLink(control)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
    return true;
}

void AboutForm::RouteCommand(int id, int code) {
    switch (id) {
        case IDOK:
        case IDCANCEL:
            cmdOK_Click();
            break;
        case kCmdSysInfo:
            if (code == BN_CLICKED) cmdSysInfo_Click();
            break;
        case kEmailLink:
            if (code == STN_CLICKED) EmailLink_Click();
            break;
        case kWebLink:
            if (code == STN_CLICKED) WebLink_Click();
            break;
        default:
            break;
    }
}

void AboutForm::cmdOK_Click() {
    Close();
}

void AboutForm::cmdSysInfo_Click() {
    StartSysInfo();
}

void AboutForm::StartSysInfo() {
    const auto program = FindSysInfoProgram(options_.sysInfoRoot);
    if (program && OpenWithShell(*program)) return;
    ShowMessage(AboutText(language_, text::Id::AboutSysInfoUnavailable));
}

void AboutForm::EmailLink_Click() {
    const std::wstring subject = std::wstring(kLibraryTitle) + L", " + ControlText(kLblVersion);
    const MailResult result = mail_.Compose(window_, ControlText(kEmailLink), subject);
    if (result == MailResult::Failed) ShowMessage(AboutText(language_, text::Id::AboutMailFailure));
}

void AboutForm::WebLink_Click() {
    OpenWithShell(ControlText(kWebLink));
}

bool AboutForm::OpenWithShell(const std::wstring& target) {
    return options_.shellOpen ? options_.shellOpen(window_, target) : ShellOpenDefault(window_, target);
}

void AboutForm::ShowMessage(const std::wstring& text) {
    // The box may have been unloaded meanwhile (the mail program's window pumps messages,
    // and a host may destroy its control then): a message about a box that is gone helps
    // no one.
    if (!window_) return;
    MessageBoxW(window_, text.c_str(), kLibraryTitle, MB_OK);
}

std::wstring AboutForm::ControlText(int id) const {
    HWND control = window_ ? GetDlgItem(window_, id) : nullptr;
    if (!control) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool ShellOpenDefault(HWND owner, const std::wstring& target) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

}  // namespace cadencer::about
