// The schedule dialog's controls and geometry: the design's controls created with their
// styles at the window's DPI, in tab order; the contents of the weekly and monthly frames
// created when a frame is first shown (inserted at their place in the tab order); frames
// shown, hidden and moved with their contents; and the windowless parts of the design
// (labels and the calendar grid lines), drawn by the dialog itself.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "dialog/schedule_form.h"
#include "dialog/schedule_rules.h"
#include "dialog/win_controls.h"

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

DWORD StyleOf(const ControlSpec& spec) {
    DWORD style = WS_CHILD;
    if (spec.tabStop) style |= WS_TABSTOP;
    if (spec.startsGroup) style |= WS_GROUP;
    switch (spec.kind) {
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

int FrameIndexOfFrameControl(int controlId) {
    return controlId - id::FrameOccurs + static_cast<int>(Frame::Occurs);
}

bool CreatedLazily(Frame frame) {
    return frame == Frame::Weekly || frame == Frame::Monthly;
}

// The frame a control belongs to, its own frame for a frame control.
Frame HomeFrame(const ControlSpec& spec) {
    return spec.kind == Kind::Frame ? static_cast<Frame>(FrameIndexOfFrameControl(spec.id)) : spec.frame;
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

TwipRect ScheduleForm::AbsoluteRect(const ControlSpec& spec) const {
    if (spec.kind == Kind::Frame) {
        TwipRect r = spec.rect;
        r.top = frameTop_[static_cast<std::size_t>(FrameIndexOfFrameControl(spec.id))];
        return r;
    }
    if (spec.frame == Frame::None) return spec.rect;
    const TwipRect frame = FrameRect(spec.frame);
    return {frame.left + spec.rect.left, frameTop_[static_cast<int>(spec.frame)] + spec.rect.top, spec.rect.width,
            spec.rect.height};
}

RECT ScheduleForm::ClientRectOfTwips(const TwipRect& rect) const {
    const PixelRect p = ToPixels(rect, dpi_);
    return {p.left, p.top, p.right, p.bottom};
}

bool ScheduleForm::ShownNow(const ControlSpec& spec) const {
    if (spec.kind == Kind::Frame) return frameShown_[static_cast<std::size_t>(FrameIndexOfFrameControl(spec.id))];
    if (spec.id == id::ButtonHelp) return helpVisible_;
    return spec.frame == Frame::None || frameShown_[static_cast<int>(spec.frame)];
}

void ScheduleForm::CreateControls() {
    font_ = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    cyanBrush_ = CreateSolidBrush(kDateLabelBackColor);
    byId_.assign(static_cast<std::size_t>(id::StatusBar) + 1, nullptr);
    for (const auto& spec : Design())
        if (!CreatedLazily(HomeFrame(spec))) CreateControl(spec, nullptr);
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

// `insertAfter` places a control created late at its place in the tab order (null: last).
HWND ScheduleForm::CreateControl(const ControlSpec& spec, HWND insertAfter) {
    if (spec.kind == Kind::Label) return nullptr;  // drawn by the dialog (PaintDesign)
    const RECT r = ClientRectOfTwips(AbsoluteRect(spec));
    HWND control = nullptr;
    if (spec.kind == Kind::NumberField) {
        if (number_.Create(hwnd_, spec.id, r, &numberEvents_)) {
            control = number_.Handle();
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
            LoadEveryNumberDesign(number_);
            if (!ShownNow(spec)) ShowWindow(control, SW_HIDE);
        }
    } else {
        DWORD style = StyleOf(spec);
        if (ShownNow(spec)) style |= WS_VISIBLE;
        // A control inside a frame is usable while its frame is; the end picker also by
        // its own Enabled value.
        const bool usable = ShownNow(spec) && (spec.id != id::DateEnd || dateEndEnabled_) &&
                            ((spec.id != id::EveryCombo) || numberUsable_);
        if (!usable && spec.frame != Frame::None) style |= WS_DISABLED;
        int height = r.bottom - r.top;
        if (spec.kind == Kind::ComboList) height += Px(1200);  // room for the dropped list
        control = CreateWindowExW(WS_EX_NOPARENTNOTIFY, ClassOf(spec.kind), win::W(spec.caption).c_str(), style, r.left,
                                  r.top, r.right - r.left, height, hwnd_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)),
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
        if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    if (!control) return nullptr;
    byId_[static_cast<std::size_t>(spec.id)] = control;
    if (insertAfter) SetWindowPos(control, insertAfter, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const int id = spec.id;
    if (id >= id::OccursOption && id < id::OccursOption + 5)
        occurs_[static_cast<std::size_t>(id - id::OccursOption)] = control;
    else if (id >= id::EndOption && id < id::EndOption + 2)
        endOption_[static_cast<std::size_t>(id - id::EndOption)] = control;
    else if (spec.kind == Kind::Check)
        win::SetCheck(control, BoxValue(id));
    else if (id == id::EveryNumber)
        everyNumber_ = control;
    else if (id == id::EveryCombo)
        everyCombo_ = control;
    else if (id == id::TimeStart)
        timeStart_ = control;
    else if (id == id::DateStart)
        dateStart_ = control;
    else if (id == id::DateEnd)
        dateEnd_ = control;
    else if (id == id::ButtonOK)
        buttonOK_ = control;
    else if (id == id::ButtonCancel)
        buttonCancel_ = control;
    else if (id == id::ButtonHelp)
        buttonHelp_ = control;
    else if (id == id::StatusBar)
        statusBar_ = control;

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

// The weekly and monthly frames' controls exist from their frame's first showing on; until
// then the boxes' values are kept by the dialog (weeklyValue_, monthlyValue_).
void ScheduleForm::EnsureFrameContents(Frame frame) {
    const auto f = static_cast<std::size_t>(frame);
    if (!CreatedLazily(frame) || contentsCreated_[f]) return;
    contentsCreated_[f] = true;
    HWND previous = nullptr;
    for (const auto& spec : Design()) {
        if (spec.kind == Kind::Frame && HomeFrame(spec) == frame) {
            CreateControl(spec, HWND_BOTTOM);  // frames stay under everything they hold
        } else if (spec.frame == frame && spec.kind != Kind::Label) {
            if (HWND control = CreateControl(spec, previous ? previous : HWND_TOP)) previous = control;
        } else if (Ctl(spec.id) && spec.kind != Kind::Frame) {
            previous = Ctl(spec.id);  // the last control before the frame's, in tab order
        }
    }
}

// Visibility and enabled state of a frame, or of a control inside one: a control is shown
// and usable only while its frame is, and then by its own Enabled value.
void ScheduleForm::UpdateControlState(const ControlSpec& spec) {
    const HWND control = Ctl(spec.id);
    if (!control) return;
    const bool on = ShownNow(spec);
    if (spec.kind == Kind::Frame || spec.frame != Frame::None) {
        if ((IsWindowVisible(control) != FALSE) != on) ShowWindow(control, on ? SW_SHOWNA : SW_HIDE);
    }
    if (spec.frame == Frame::None && spec.kind != Kind::Frame) return;  // buttons: their own handlers
    bool enabled = on;
    if (spec.id == id::DateEnd) enabled = enabled && dateEndEnabled_;
    if (spec.id == id::EveryNumber || spec.id == id::EveryCombo) enabled = enabled && numberUsable_;
    if (spec.id == id::EveryNumber)
        number_.SetEnabled(enabled);
    else if ((IsWindowEnabled(control) != FALSE) != enabled)
        EnableWindow(control, enabled);
}

void ScheduleForm::SetFrameShown(Frame frame, bool visibleAndEnabled) {
    const auto f = static_cast<std::size_t>(frame);
    if (frameShown_[f] == visibleAndEnabled) return;
    frameShown_[f] = visibleAndEnabled;
    if (visibleAndEnabled) EnsureFrameContents(frame);
    for (const auto& spec : Design())
        if (spec.frame == frame ||
            (spec.kind == Kind::Frame && FrameIndexOfFrameControl(spec.id) == static_cast<int>(f)))
            UpdateControlState(spec);
    InvalidateRect(hwnd_, nullptr, TRUE);  // labels and grid lines are the dialog's own drawing
}

void ScheduleForm::MoveFrame(Frame frame, int topTwips) {
    const auto f = static_cast<std::size_t>(frame);
    if (frameTop_[f] == topTwips) return;
    frameTop_[f] = topTwips;
    for (const auto& spec : Design()) {
        const bool member = spec.frame == frame ||
                            (spec.kind == Kind::Frame && FrameIndexOfFrameControl(spec.id) == static_cast<int>(f));
        const HWND control = Ctl(spec.id);
        if (!member || !control) continue;
        const RECT r = ClientRectOfTwips(AbsoluteRect(spec));
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
    for (const auto& spec : Design()) {
        if (spec.kind != Kind::Label || !frameShown_[static_cast<int>(spec.frame)]) continue;
        RECT r = ClientRectOfTwips(AbsoluteRect(spec));
        if (spec.cyanLabel)
            FillRect(dc, &r, cyanBrush_);
        else if (spec.id == id::DateLabel)
            FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        if (spec.cyanLabel || spec.id == id::DateLabel)
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        else
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        const std::wstring caption = win::W(spec.caption);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);

    if (!frameShown_[static_cast<int>(Frame::Monthly)]) return;
    const TwipRect frame = FrameRect(Frame::Monthly);
    const int top = frameTop_[static_cast<int>(Frame::Monthly)];
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const auto& line : DateLines()) {
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
    for (const auto& spec : Design()) {
        if (spec.kind != Kind::Label || !frameShown_[static_cast<int>(spec.frame)]) continue;
        const RECT r = ClientRectOfTwips(AbsoluteRect(spec));
        if (PtInRect(&r, client)) return spec.id;
    }
    return 0;
}

}  // namespace cadencer::dialog
