// The schedule dialog's controls and geometry: the design's controls created with their
// styles at the window's DPI, in tab order; the contents of the weekly and monthly frames
// created when a frame is first shown (inserted at their place in the tab order); frames
// shown, hidden and moved with their contents; and the windowless parts of the design
// (labels and the calendar grid lines), drawn by the dialog itself.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_form.h"
#include "win/controls.h"
#include "win/high_contrast.h"

namespace cadencer::dialog {
namespace {

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Frame:
        case Kind::Option:
        case Kind::Check:
        case Kind::Button:
            return L"BUTTON";
        case Kind::ComboList:
            return WC_COMBOBOXW;
        case Kind::TimePicker:
        case Kind::DatePicker:
            return DATETIMEPICK_CLASSW;
        case Kind::StatusBar:
            return STATUSCLASSNAMEW;
        case Kind::Label:
        case Kind::NumberField:
            break;
    }
    return L"STATIC";
}

DWORD StyleOf(const ControlDesign& design) {
    DWORD style = WS_CHILD;
    if (design.tabStop) style |= WS_TABSTOP;
    if (design.startsGroup) style |= WS_GROUP;
    switch (design.kind) {
        case Kind::Frame:
            return style | BS_GROUPBOX;
        // The dialog keeps the options' and boxes' values itself (see the handlers).
        case Kind::Option:
            return style | BS_RADIOBUTTON;
        case Kind::Check:
            return style | BS_3STATE;
        case Kind::Button:
            return style | BS_PUSHBUTTON;
        case Kind::ComboList:
            return style | CBS_DROPDOWNLIST | WS_VSCROLL;
        case Kind::TimePicker:
            return style | DTS_UPDOWN;
        case Kind::DatePicker:
            return style | DTS_SHORTDATEFORMAT;
        case Kind::StatusBar:
            return style | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | SBARS_TOOLTIPS;
        case Kind::Label:
        case Kind::NumberField:
            break;
    }
    return style;
}

int FrameIndexOfFrameControl(int controlId) {
    return controlId - id::FrameOccurs + static_cast<int>(Frame::Occurs);
}

bool CreatedLazily(Frame frame) {
    return frame == Frame::Weekly || frame == Frame::Monthly;
}

// The frame a control belongs to, its own frame for a frame control.
Frame HomeFrame(const ControlDesign& design) {
    return design.kind == Kind::Frame ? static_cast<Frame>(FrameIndexOfFrameControl(design.id)) : design.frame;
}

}  // namespace

HWND ScheduleForm::Ctl(int controlId) const {
    return controlId >= 0 && static_cast<std::size_t>(controlId) < byId_.size()
               ? byId_[static_cast<std::size_t>(controlId)]
               : nullptr;
}

int ScheduleForm::Px(int twips) const {
    return TwipsToPixels(twips, dpi_);
}

TwipRect ScheduleForm::AbsoluteRect(const ControlDesign& design) const {
    TwipRect r = layout_.Rect(design);
    if (design.kind == Kind::Frame) {
        r.top = frameTop_[static_cast<std::size_t>(FrameIndexOfFrameControl(design.id))];
        return r;
    }
    if (design.frame == Frame::None) return r;
    const TwipRect frame = layout_.FrameRectOf(design.frame);
    return {frame.left + r.left, frameTop_[static_cast<int>(design.frame)] + r.top, r.width, r.height};
}

RECT ScheduleForm::ClientRectOfTwips(const TwipRect& rect) const {
    const PixelRect p = ToPixels(rect, dpi_);
    return {p.left, p.top, p.right, p.bottom};
}

bool ScheduleForm::ShownNow(const ControlDesign& design) const {
    if (design.kind == Kind::Frame) return frameShown_[static_cast<std::size_t>(FrameIndexOfFrameControl(design.id))];
    if (design.id == id::ButtonHelp) return helpVisible_;
    return design.frame == Frame::None || frameShown_[static_cast<int>(design.frame)];
}

void ScheduleForm::CreateControls() {
    font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    cyanBrush_ = CreateSolidBrush(kDateLabelBackColor);
    FitLayout();
    byId_.assign(static_cast<std::size_t>(id::StatusBar) + 1, nullptr);
    for (const auto& design : Design())
        if (!CreatedLazily(HomeFrame(design))) CreateControl(design, nullptr);
    SetClientHeight(kDesignOuterHeight);
    SetStatusParts();
    for (int i = 0; i < 3; ++i) win::StatusSetTip(statusBar_, i, win::W(T(kPanelToolTips[i])));
    UpdateClockPanels();
    SetTimer(hwnd_, kClockTimerId, 1000, nullptr);
}

RECT ScheduleForm::WindowRectOf(const ControlDesign& design) const {
    RECT r = ClientRectOfTwips(AbsoluteRect(design));
    if (design.kind == Kind::ComboList) r.bottom += Px(1200);  // room for the dropped list
    return r;
}

// `insertAfter` places a control created late at its place in the tab order (null: last).
HWND ScheduleForm::CreateControl(const ControlDesign& design, HWND insertAfter) {
    if (design.kind == Kind::Label) return nullptr;  // drawn by the dialog (PaintDesign)
    const RECT r = WindowRectOf(design);
    HWND control = nullptr;
    if (design.kind == Kind::NumberField) {
        control = editor_.CreateNumber(hwnd_, design.id, r, &numberEvents_, font_);
        if (control && !ShownNow(design)) ShowWindow(control, SW_HIDE);
    } else {
        DWORD style = StyleOf(design);
        if (ShownNow(design)) style |= WS_VISIBLE;
        // A frame is enabled while it is shown, and a control inside a frame is usable while
        // its frame is; the end picker also by its own Enabled value.
        const bool usable = ShownNow(design) && (design.id != id::DateEnd || dateEndEnabled_) &&
                            ((design.id != id::EveryCombo) || numberUsable_);
        if (!usable && (design.frame != Frame::None || design.kind == Kind::Frame)) style |= WS_DISABLED;
        control = CreateWindowExW(WS_EX_NOPARENTNOTIFY, ClassOf(design.kind), win::W(CaptionOf(design)).c_str(), style,
                                  r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)),
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    if (!control) return nullptr;
    byId_[static_cast<std::size_t>(design.id)] = control;
    if (insertAfter) SetWindowPos(control, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const int id = design.id;
    editor_.Adopt(id, control);
    if (id == id::EveryNumber)
        everyNumber_ = control;
    else if (id == id::ButtonOK)
        buttonOK_ = control;
    else if (id == id::ButtonCancel)
        buttonCancel_ = control;
    else if (id == id::ButtonHelp)
        buttonHelp_ = control;
    else if (id == id::StatusBar)
        statusBar_ = control;

    if (design.kind == Kind::TimePicker) {
        win::SetPickerFormat(control, PickerFormat(design.kind).c_str());
        // The design time: midnight (of today; the date part plays no role).
        SYSTEMTIME st{};
        GetLocalTime(&st);
        st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
        win::SetPickerTime(control, st);
    } else if (design.kind == Kind::DatePicker) {
        win::SetPickerFormat(control, PickerFormat(design.kind).c_str());
    }
    ServeAccessibility(design, control);
    return control;
}

// The weekly and monthly frames' controls exist from their frame's first showing on; until
// then the boxes' values are kept by the editor.
void ScheduleForm::EnsureFrameContents(Frame frame) {
    const auto f = static_cast<std::size_t>(frame);
    if (!CreatedLazily(frame) || contentsCreated_[f]) return;
    contentsCreated_[f] = true;
    // With the awareness the dialog was created with, as every window inside it has.
    win::ScopedPerMonitorDpiAwareness perMonitor;
    HWND previous = nullptr;
    for (const auto& design : Design()) {
        if (design.kind == Kind::Frame && HomeFrame(design) == frame) {
            CreateControl(design, HWND_BOTTOM);  // frames stay under everything they hold
        } else if (design.frame == frame && design.kind != Kind::Label) {
            if (HWND control = CreateControl(design, previous ? previous : HWND_TOP)) previous = control;
        } else if (Ctl(design.id) && design.kind != Kind::Frame) {
            previous = Ctl(design.id);  // the last control before the frame's, in tab order
        }
    }
}

// Visibility and enabled state of a frame, or of a control inside one: a control is shown
// and usable only while its frame is, and then by its own Enabled value.
void ScheduleForm::UpdateControlState(const ControlDesign& design) {
    const HWND control = Ctl(design.id);
    if (!control) return;
    const bool on = ShownNow(design);
    if (design.kind == Kind::Frame || design.frame != Frame::None) {
        if ((IsWindowVisible(control) != FALSE) != on) ShowWindow(control, on ? SW_SHOWNA : SW_HIDE);
    }
    if (design.frame == Frame::None && design.kind != Kind::Frame) return;  // buttons: their own handlers
    bool enabled = on;
    if (design.id == id::DateEnd) enabled = enabled && dateEndEnabled_;
    if (design.id == id::EveryNumber || design.id == id::EveryCombo) enabled = enabled && numberUsable_;
    if (design.id == id::EveryNumber)
        editor_.Number().SetEnabled(enabled);
    else if ((IsWindowEnabled(control) != FALSE) != enabled)
        EnableWindow(control, enabled);
}

void ScheduleForm::SetFrameShown(Frame frame, bool visibleAndEnabled) {
    const auto f = static_cast<std::size_t>(frame);
    if (frameShown_[f] == visibleAndEnabled) return;
    frameShown_[f] = visibleAndEnabled;
    if (visibleAndEnabled) EnsureFrameContents(frame);
    for (const auto& design : Design())
        if (design.frame == frame ||
            (design.kind == Kind::Frame && FrameIndexOfFrameControl(design.id) == static_cast<int>(f)))
            UpdateControlState(design);
    InvalidateRect(hwnd_, nullptr, TRUE);  // labels and grid lines are the dialog's own drawing
}

void ScheduleForm::MoveFrame(Frame frame, int topTwips) {
    const auto f = static_cast<std::size_t>(frame);
    if (frameTop_[f] == topTwips) return;
    frameTop_[f] = topTwips;
    for (const auto& design : Design()) {
        const bool member = design.frame == frame ||
                            (design.kind == Kind::Frame && FrameIndexOfFrameControl(design.id) == static_cast<int>(f));
        const HWND control = Ctl(design.id);
        if (!member || !control) continue;
        const RECT r = WindowRectOf(design);
        SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// ---- The windowless parts: labels, then the calendar grid over them.

void ScheduleForm::PaintDesign(HDC dc) {
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (const auto& design : Design()) {
        if (design.kind != Kind::Label || !frameShown_[static_cast<int>(design.frame)]) continue;
        RECT r = ClientRectOfTwips(AbsoluteRect(design));
        if (design.cyanLabel)
            FillRect(dc, &r, win::DesignOrSystemBrush(cyanBrush_, COLOR_WINDOW));
        else if (design.id == id::DateLabel)
            FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        if (design.cyanLabel || design.id == id::DateLabel)
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        else
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        const std::wstring caption = win::W(CaptionOf(design));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);

    if (!frameShown_[static_cast<int>(Frame::Monthly)]) return;
    const TwipRect frame = layout_.FrameRectOf(Frame::Monthly);
    const int top = frameTop_[static_cast<int>(Frame::Monthly)];
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const auto& designLine : DateLines()) {
        const GridLine line = layout_.Line(designLine);
        const int x1 = Px(frame.left + line.x1), y1 = Px(top + line.y1);
        const int x2 = Px(frame.left + line.x2), y2 = Px(top + line.y2);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2 + (x1 == x2 ? 0 : 1), y2 + (y1 == y2 ? 0 : 1));  // the last pixel too
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

// The label under a point of the client area (a shown one), or 0.
int ScheduleForm::LabelAt(POINT client) const {
    for (const auto& design : Design()) {
        if (design.kind != Kind::Label || !frameShown_[static_cast<int>(design.frame)]) continue;
        const RECT r = ClientRectOfTwips(AbsoluteRect(design));
        if (PtInRect(&r, client)) return design.id;
    }
    return 0;
}

}  // namespace cadencer::dialog

namespace cadencer::dialog {

// Only top-level windows hear of a colour change; the common controls inside need it too.
void ScheduleForm::Form_SysColorChange() {
    win::SpreadSysColorChange(hwnd_, WM_SYSCOLORCHANGE, 0, 0);
}

}  // namespace cadencer::dialog
