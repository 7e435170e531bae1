// The schedule dialog's window: an in-memory dialog template (so that the dialog manager
// provides default buttons, WM_NEXTDLGCTL and focus memory), the controls of the design
// created in tab order with their styles and geometry at the window's DPI, the client
// area sized for each layout, the calendar grid and the label colours, and the window
// procedure that routes each message to its named handler.
#include "dialog/schedule_form.h"

#include <commctrl.h>

#include <algorithm>

#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"
#include "numberentry/digitfield_window.h"

namespace cadencer::dialog {
namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | DS_SETFONT | DS_3DLOOK;
constexpr DWORD kDialogExStyle = WS_EX_WINDOWEDGE;
constexpr UINT_PTR kClockTimerId = 1;

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
    words.push_back(8);                          // 8 points
    string(L"MS Shell Dlg");
    std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
    std::copy(words.begin(), words.end(), reinterpret_cast<WORD*>(aligned.data()));
    return aligned;
}

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Frame:
        case Kind::Option:
        case Kind::Check:
        case Kind::Button: return L"BUTTON";
        case Kind::Label: return L"STATIC";
        case Kind::ComboList: return WC_COMBOBOXW;
        case Kind::TimePicker:
        case Kind::DatePicker: return DATETIMEPICK_CLASSW;
        case Kind::StatusBar: return STATUSCLASSNAMEW;
        case Kind::NumberField: break;
    }
    return L"STATIC";
}

DWORD StyleOf(const ControlSpec& spec) {
    DWORD style = WS_CHILD;
    if (spec.tabStop) style |= WS_TABSTOP;
    if (spec.startsGroup) style |= WS_GROUP;
    switch (spec.kind) {
        case Kind::Frame: return style | BS_GROUPBOX;
        // The dialog keeps the options' and boxes' values itself (see the handlers).
        case Kind::Option: return style | BS_RADIOBUTTON;
        case Kind::Check: return style | BS_3STATE;
        case Kind::Button: return style | BS_PUSHBUTTON;
        case Kind::Label: return style | SS_LEFT;
        case Kind::ComboList: return style | CBS_DROPDOWNLIST | WS_VSCROLL;
        case Kind::TimePicker: return style | DTS_UPDOWN;
        case Kind::DatePicker: return style | DTS_SHORTDATEFORMAT;
        case Kind::StatusBar: return style | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | SBARS_TOOLTIPS;
        case Kind::NumberField: break;
    }
    return style;
}

// The Digitfield of the design: a stored instance whose keys happen to be lower case.
void LoadEveryNumberDesign(numberentry::DigitfieldWindow& number) {
    MemoryPropertyBag bag;
    bag.Put(u"format", Variant::String(u"###"));
    bag.Put(u"positiveonly", Variant::Bool(true));
    bag.Put(u"usemaxminvalues", Variant::Bool(true));
    bag.Put(u"updownfunction", Variant::Bool(true));
    bag.Put(u"value", Variant::I16(0));
    number.ReadProperties(bag);
}

}  // namespace

// ---- Creation

ScheduleForm::ScheduleForm(HWND owner, FormHost& host) : host_(host), owner_(owner) {
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
    std::shared_ptr<ScheduleForm> form(new ScheduleForm(owner, host));
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
        case WM_INITDIALOG: CreateControls(); return FALSE;  // the focus is given when shown
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)); return TRUE;
        case WM_NOTIFY: OnNotify(*reinterpret_cast<const NMHDR*>(lParam)); return FALSE;
        case WM_CLOSE: ButtonCancel_Click(); return TRUE;  // the close box discards the edits
        case WM_MOUSEMOVE: OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}); return TRUE;
        case WM_SETCURSOR: OnSetCursor(reinterpret_cast<HWND>(wParam), HIWORD(lParam)); return FALSE;
        case WM_TIMER: if (wParam == kClockTimerId) UpdateClockPanels(); return TRUE;
        case WM_SIZE: PlaceStatusBar(); return TRUE;
        case WM_CTLCOLORSTATIC: return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (HDC dc = BeginPaint(hwnd_, &ps)) {
                PaintGrid(dc);
                EndPaint(hwnd_, &ps);
            }
            return TRUE;
        }
        case kMsgDeferredKey: OnDeferredKey(wParam); return TRUE;
        case WM_DESTROY: KillTimer(hwnd_, kClockTimerId); return FALSE;
        default: return FALSE;
    }
}

int ScheduleForm::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

TwipRect ScheduleForm::AbsoluteRect(const ControlSpec& spec) const {
    if (spec.frame == Frame::None) return spec.rect;
    const TwipRect frame = FrameRect(spec.frame);
    return {frame.left + spec.rect.left, frameTop_[static_cast<int>(spec.frame)] + spec.rect.top, spec.rect.width,
            spec.rect.height};
}

RECT ScheduleForm::ClientRectOfTwips(const TwipRect& rect) const {
    const PixelRect p = ToPixels(rect, dpi_);
    return {p.left, p.top, p.right, p.bottom};
}

void ScheduleForm::CreateControls() {
    dpi_ = WindowDpi(hwnd_);
    font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    cyanBrush_ = CreateSolidBrush(RGB(192, 255, 255));
    for (const auto& spec : Design()) CreateControl(spec);

    // Every control's starting state, then the form's designed size.
    for (const auto& spec : Design()) {
        if (spec.frame == Frame::None && spec.kind != Kind::Frame) ShowWindow(GetDlgItem(hwnd_, spec.id), SW_SHOWNA);
        else UpdateControlState(spec);
    }
    SetClientHeight(kDesignOuterHeight);

    int edges[3];
    int right = 0;
    for (int i = 0; i < 3; ++i) {
        right += kPanelWidthsTwips[static_cast<std::size_t>(i)];
        edges[i] = Px(right);
    }
    edges[2] = -1;  // the last panel runs to the right edge
    win::StatusSetParts(statusBar_, edges, 3);
    for (int i = 0; i < 3; ++i) win::StatusSetTip(statusBar_, i, win::W(kPanelToolTips[static_cast<std::size_t>(i)]));
    UpdateClockPanels();
    SetTimer(hwnd_, kClockTimerId, 1000, nullptr);
}

HWND ScheduleForm::CreateControl(const ControlSpec& spec) {
    const RECT r = ClientRectOfTwips(AbsoluteRect(spec));
    const auto menuId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id));
    HWND control = nullptr;
    if (spec.kind == Kind::NumberField) {
        if (number_.Create(hwnd_, spec.id, r, &numberEvents_)) {
            control = number_.Handle();
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
            LoadEveryNumberDesign(number_);
        }
    } else {
        int height = r.bottom - r.top;
        if (spec.kind == Kind::ComboList) height += Px(1200);  // room for the dropped list
        control = CreateWindowExW(0, ClassOf(spec.kind), win::W(spec.caption).c_str(), StyleOf(spec), r.left, r.top,
                                  r.right - r.left, height, hwnd_, menuId,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    if (!control) return nullptr;

    const int id = spec.id;
    if (id >= id::OccursOption && id < id::OccursOption + 5) occurs_[static_cast<std::size_t>(id - id::OccursOption)] = control;
    else if (id >= id::EndOption && id < id::EndOption + 2) endOption_[static_cast<std::size_t>(id - id::EndOption)] = control;
    else if (id > id::WeeklyDay && id <= id::WeeklyDay + 7) weeklyDay_[static_cast<std::size_t>(id - id::WeeklyDay)] = control;
    else if (id > id::DateCheck && id <= id::DateCheck + 31) dateCheck_[static_cast<std::size_t>(id - id::DateCheck)] = control;
    else if (id == id::FrameOccurs) frames_[static_cast<int>(Frame::Occurs)] = control;
    else if (id == id::FrameDaily) frames_[static_cast<int>(Frame::Daily)] = control;
    else if (id == id::FrameWeekly) frames_[static_cast<int>(Frame::Weekly)] = control;
    else if (id == id::FrameMonthly) frames_[static_cast<int>(Frame::Monthly)] = control;
    else if (id == id::EveryNumber) everyNumber_ = control;
    else if (id == id::EveryCombo) everyCombo_ = control;
    else if (id == id::TimeStart) timeStart_ = control;
    else if (id == id::DateStart) dateStart_ = control;
    else if (id == id::DateEnd) dateEnd_ = control;
    else if (id == id::ButtonOK) buttonOK_ = control;
    else if (id == id::ButtonCancel) buttonCancel_ = control;
    else if (id == id::ButtonHelp) buttonHelp_ = control;
    else if (id == id::StatusBar) statusBar_ = control;

    if (spec.kind == Kind::TimePicker) {
        win::SetPickerFormat(control, L"hh:mm tt");
        // The design time: midnight (of today; the date part plays no role).
        SYSTEMTIME st{};
        GetLocalTime(&st);
        st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
        win::SetPickerTime(control, st);
    } else if (spec.kind == Kind::DatePicker) {
        win::SetPickerFormat(control, L"MM/dd/yyy");
    }
    return control;
}

// Visibility and enabled state of a frame, or of a control inside one: a control is shown
// and usable only while its frame is, and then by its own Enabled value.
void ScheduleForm::UpdateControlState(const ControlSpec& spec) {
    HWND control = GetDlgItem(hwnd_, spec.id);
    if (!control) return;
    if (spec.kind == Kind::Frame) {
        const bool on = frameShown_[static_cast<std::size_t>(spec.id - id::FrameOccurs + 1)];
        ShowWindow(control, on ? SW_SHOWNA : SW_HIDE);
        EnableWindow(control, on);
        return;
    }
    if (spec.frame == Frame::None) return;  // buttons and status bar: their own handlers decide
    const bool on = frameShown_[static_cast<int>(spec.frame)];
    ShowWindow(control, on ? SW_SHOWNA : SW_HIDE);
    if (spec.kind == Kind::Label) return;
    bool enabled = on;
    if (spec.id == id::DateEnd) enabled = enabled && dateEndEnabled_;
    if (spec.id == id::EveryNumber || spec.id == id::EveryCombo) enabled = enabled && numberUsable_;
    if (spec.id == id::EveryNumber) number_.SetEnabled(enabled);
    else EnableWindow(control, enabled);
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
    SetWindowPos(statusBar_, nullptr, 0, client.bottom - height, client.right, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScheduleForm::PaintGrid(HDC dc) {
    if (!frameShown_[static_cast<int>(Frame::Monthly)]) return;
    const TwipRect frame = FrameRect(Frame::Monthly);
    const int top = frameTop_[static_cast<int>(Frame::Monthly)];
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(dc, pen);
    for (const auto& line : DateLines()) {
        const int x1 = Px(frame.left + line.x1), y1 = Px(top + line.y1);
        const int x2 = Px(frame.left + line.x2), y2 = Px(top + line.y2);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2 + (x1 == x2 ? 0 : 1), y2 + (y1 == y2 ? 0 : 1));  // the last pixel too
    }
    SelectObject(dc, old);
    DeleteObject(pen);
}

INT_PTR ScheduleForm::ControlColor(HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    if (id > id::DateLabel && id <= id::DateLabel + 31) {
        SetBkColor(dc, RGB(192, 255, 255));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(cyanBrush_);
    }
    if (id == id::DateLabel) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    return FALSE;  // the dialog's defaults
}

}  // namespace cadencer::dialog
