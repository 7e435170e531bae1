// The parts of a Digitfield window: txtNumber (the platform's EDIT, subclassed so that
// its keys, focus and mouse reach the model first) and UpDown1 (a pair of arrows drawn and
// driven by the control: press, capture, release), and what the control and its parts tell
// accessibility clients.
#include "numberentry/win/digitfield_host.h"  // <windows.h> first: <commctrl.h> needs it

#include <commctrl.h>

#include "numberentry/number_text.h"
#include "win/accessible.h"

namespace cadencer::numberentry {
namespace {

std::int16_t ButtonsHeld(WPARAM keys) {
    return static_cast<std::int16_t>(((keys & MK_LBUTTON) ? kLeftButton : 0) |
                                     ((keys & MK_RBUTTON) ? kRightButton : 0) |
                                     ((keys & MK_MBUTTON) ? kMiddleButton : 0));
}

std::int16_t ButtonOf(UINT message) {
    switch (message) {
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return kRightButton;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
            return kMiddleButton;
        default:
            return kLeftButton;
    }
}

}  // namespace

std::int16_t DigitfieldHost::CurrentShift() {
    return static_cast<std::int16_t>((GetKeyState(VK_SHIFT) < 0 ? kShiftMask : 0) |
                                     (GetKeyState(VK_CONTROL) < 0 ? kCtrlMask : 0) |
                                     (GetKeyState(VK_MENU) < 0 ? kAltMask : 0));
}

void DigitfieldHost::RaiseMouseEvent(MouseEvent event, std::int16_t button, LPARAM lParam) {
    std::int16_t shift = CurrentShift();
    float x = ToTwipsX(static_cast<short>(LOWORD(lParam)));
    float y = ToTwipsY(static_cast<short>(HIWORD(lParam)));
    (model_.*event)(button, shift, x, y);
}

// ---- txtNumber ----

LRESULT CALLBACK DigitfieldHost::EditSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR refData) {
    auto* host = reinterpret_cast<DigitfieldHost*>(refData);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, EditSubclassProc, 1);
        if (host->edit_ == edit) host->edit_ = nullptr;
        return DefSubclassProc(edit, message, wParam, lParam);
    }
    if (!host->Alive()) return DefSubclassProc(edit, message, wParam, lParam);
    bool handled = false;
    const LRESULT result = host->EditMessage(message, wParam, lParam, handled);
    return handled ? result : DefSubclassProc(edit, message, wParam, lParam);
}

LRESULT DigitfieldHost::EditMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    HWND edit = edit_;
    win::KeepAlive keep(*this);
    handled = true;
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            return txtNumber_KeyDown(edit, message, wParam, lParam);
        case WM_CHAR:
        case WM_IME_CHAR:
            return txtNumber_KeyPress(edit, wParam, lParam);
        case WM_KEYUP:
        case WM_SYSKEYUP:
            return txtNumber_KeyUp(edit, message, wParam, lParam);
        case WM_PASTE:
            return model_.PasteFromClipboard(), 0;
        case WM_CUT:
            return model_.CutToClipboard(), 0;
        case WM_COPY:
            return model_.CopyToClipboard(), 0;
        // The text box's own menu would paste and undo past the filter; the control's
        // clipboard keys take its place.
        case WM_CONTEXTMENU:
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return RouteFocus(edit, message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            return RouteMouse(edit, message, wParam, lParam);
        case WM_PAINT:
            handled = false;  // the text box paints itself after this
            txtNumber_Paint();
            return 0;
        default:
            handled = false;
            return 0;
    }
}

LRESULT DigitfieldHost::txtNumber_KeyDown(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    std::int16_t keyCode = static_cast<std::int16_t>(wParam), shift = CurrentShift();
    model_.txtNumber_KeyDown(keyCode, shift);
    if (!Alive() || keyCode == 0) return 0;
    // The text box's own clipboard keys would insert text uncleaned: the control's
    // clipboard actions serve them.
    if (message == WM_KEYDOWN && (keyCode == VK_INSERT || keyCode == VK_DELETE)) {
        if (keyCode == VK_INSERT && shift == kShiftMask) return model_.PasteFromClipboard(), 0;
        if (keyCode == VK_DELETE && shift == kShiftMask) return model_.CutToClipboard(), 0;
        if (keyCode == VK_INSERT && shift == kCtrlMask) return model_.CopyToClipboard(), 0;
    }
    return DefSubclassProc(edit, message, static_cast<WPARAM>(static_cast<std::uint16_t>(keyCode)), lParam);
}

// The model may change or swallow the character (KeyAscii 0) before the text box sees it.
LRESULT DigitfieldHost::txtNumber_KeyPress(HWND edit, WPARAM wParam, LPARAM lParam) {
    std::int16_t keyAscii = static_cast<std::int16_t>(wParam);
    model_.txtNumber_KeyPress(keyAscii);
    if (!Alive() || keyAscii == 0) return 0;
    return DefSubclassProc(edit, WM_CHAR, static_cast<WPARAM>(static_cast<std::uint16_t>(keyAscii)), lParam);
}

LRESULT DigitfieldHost::txtNumber_KeyUp(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    std::int16_t keyCode = static_cast<std::int16_t>(wParam), shift = CurrentShift();
    model_.txtNumber_KeyUp(keyCode, shift);
    if (!Alive()) return 0;
    return DefSubclassProc(edit, message, static_cast<WPARAM>(static_cast<std::uint16_t>(keyCode)), lParam);
}

// The text box takes the focus first (it creates the caret), then the model hears of it.
LRESULT DigitfieldHost::RouteFocus(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        model_.txtNumber_GotFocus();
    } else {
        model_.UserControl_LostFocus();
        if (Alive()) model_.txtNumber_LostFocus();
    }
    return result;
}

// The text box handles its mouse first (caret, selection), then the model hears of it,
// unless that handling destroyed the control.
LRESULT DigitfieldHost::RouteMouse(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    if (!Alive()) return result;
    switch (message) {
        case WM_LBUTTONDBLCLK:
            editLeftPressed_ = editDoubleClicked_ = true;
            model_.txtNumber_DblClick();
            break;
        case WM_MOUSEMOVE:
            RaiseMouseEvent(&DigitfieldModel::txtNumber_MouseMove, ButtonsHeld(wParam), lParam);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            RaiseMouseEvent(&DigitfieldModel::txtNumber_MouseUp, ButtonOf(message), lParam);
            // Click follows a left press and release, but not the release of a double-click.
            if (Alive() && message == WM_LBUTTONUP && editLeftPressed_) {
                editLeftPressed_ = false;
                if (!editDoubleClicked_) model_.txtNumber_Click();
            }
            break;
        default:  // a press
            if (message == WM_LBUTTONDOWN) {
                editLeftPressed_ = true;
                editDoubleClicked_ = false;
            }
            RaiseMouseEvent(&DigitfieldModel::txtNumber_MouseDown, ButtonOf(message), lParam);
            break;
    }
    return result;
}

// ---- UpDown1 ----

LRESULT CALLBACK DigitfieldHost::SpinnerProc(HWND spinner, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = win::ReceiveWindowState<DigitfieldHost>(spinner, message, lParam);
    if (message == WM_NCDESTROY) {
        if (host && host->spinner_ == spinner) host->spinner_ = nullptr;
        return DefWindowProcW(spinner, message, wParam, lParam);
    }
    if (!host || !host->Alive() || host->spinner_ != spinner) return DefWindowProcW(spinner, message, wParam, lParam);
    bool handled = false;
    const LRESULT result = host->SpinnerMessage(message, wParam, lParam, handled);
    return handled ? result : DefWindowProcW(spinner, message, wParam, lParam);
}

LRESULT DigitfieldHost::SpinnerMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    HWND spinner = spinner_;
    win::KeepAlive keep(*this);
    handled = true;
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            if (HDC dc = BeginPaint(spinner, &paint)) {
                PaintSpinner(dc);
                EndPaint(spinner, &paint);
            }
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the arrows cover the whole part
        case WM_ENABLE:
            InvalidateRect(spinner, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            UpDown1_Press(spinner, lParam);
            return 0;
        case WM_LBUTTONUP:
            if (!spinnerPressed_) return 0;
            spinnerPressed_ = false;  // before ReleaseCapture: this is a release, not a lost capture
            ReleaseCapture();
            InvalidateRect(spinner, nullptr, FALSE);
            RaiseMouseEvent(&DigitfieldModel::UpDown1_MouseUp, kLeftButton, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            if (spinnerPressed_) {
                spinnerPressed_ = false;
                InvalidateRect(spinner, nullptr, FALSE);
                model_.UpDown1_CancelPress();
            }
            return 0;
        case WM_MOUSEMOVE:
            RaiseMouseEvent(&DigitfieldModel::UpDown1_MouseMove, ButtonsHeld(wParam), lParam);
            return 0;
        default:
            handled = false;
            return 0;
    }
}

void DigitfieldHost::UpDown1_Press(HWND spinner, LPARAM lParam) {
    // As beside the platform's own up/down, a press puts the focus into the text box.
    if (GetFocus() != edit_ && model_.Enabled() && model_.UpDownFunction()) SetFocus(edit_);
    if (!Alive()) return;
    RaiseMouseEvent(&DigitfieldModel::UpDown1_MouseDown, kLeftButton, lParam);
    // Only a press the control took (enabled, spinner on) holds the mouse, so that a
    // release raises MouseUp and Click only after a real press.
    if (!Alive() || !model_.SpinnerHeld()) return;
    spinnerPressed_ = true;
    spinnerPressedUpper_ = model_.SpinUp();
    SetCapture(spinner);
    InvalidateRect(spinner, nullptr, FALSE);
}

void DigitfieldHost::PaintSpinner(HDC dc) {
    RECT rc;
    GetClientRect(spinner_, &rc);
    const int middle = rc.bottom / 2;
    RECT upper{0, 0, rc.right, middle}, lower{0, middle, rc.right, rc.bottom};
    const UINT inactive = IsWindowEnabled(spinner_) ? 0 : DFCS_INACTIVE;
    const bool held = spinnerPressed_ && model_.SpinnerHeld();
    DrawFrameControl(dc, &upper, DFC_SCROLL,
                     DFCS_SCROLLUP | inactive | (held && spinnerPressedUpper_ ? DFCS_PUSHED : 0));
    DrawFrameControl(dc, &lower, DFC_SCROLL,
                     DFCS_SCROLLDOWN | inactive | (held && !spinnerPressedUpper_ ? DFCS_PUSHED : 0));
}

// ---- Accessibility ----

// The facts reach the control through its window handle each time a client asks, so that a
// client holding an object past the control's end finds nothing rather than freed memory.
void DigitfieldHost::ServeAccessibility() {
    const HWND control = self_;
    const auto name = [control] {
        const DigitfieldHost* host = FromControl(control);
        return host ? std::wstring(host->accessibleName_.begin(), host->accessibleName_.end()) : std::wstring();
    };
    const auto value = [control]() -> std::optional<std::wstring> {
        DigitfieldHost* host = FromControl(control);
        if (!host) return std::nullopt;
        return host->AccessibleValue();
    };
    win::AccessibleFacts field;
    field.name = name;
    field.value = value;
    win::ServeAccessibleFacts(self_, field);
    win::ServeAccessibleFacts(edit_, field);

    win::AccessibleFacts spinner = field;
    spinner.role = ROLE_SYSTEM_SPINBUTTON;
    for (const bool up : {true, false}) {
        win::AccessiblePart arrow;
        arrow.name = up ? L"Up" : L"Down";
        arrow.defaultAction = L"Press";
        arrow.screenRect = [control, up] {
            const DigitfieldHost* host = FromControl(control);
            RECT r{};
            if (!host || !host->spinner_) return r;
            GetWindowRect(host->spinner_, &r);
            const LONG middle = r.top + (r.bottom - r.top) / 2;
            (up ? r.bottom : r.top) = middle;
            return r;
        };
        arrow.state = [control] {
            const DigitfieldHost* host = FromControl(control);
            const bool usable =
                host && host->spinner_ && IsWindowVisible(host->spinner_) && IsWindowEnabled(host->spinner_);
            return static_cast<LONG>(usable ? 0 : STATE_SYSTEM_UNAVAILABLE);
        };
        arrow.doDefaultAction = [control, up] {
            if (DigitfieldHost* host = FromControl(control)) host->PressSpinnerArrow(up);
        };
        spinner.parts.push_back(std::move(arrow));
    }
    win::ServeAccessibleFacts(spinner_, std::move(spinner));
}

void DigitfieldHost::SetAccessibleName(std::u16string_view name) {
    if (accessibleName_ == name) return;
    accessibleName_.assign(name);
    for (HWND part : {self_, edit_, spinner_}) win::NotifyAccessibleNameChange(part);
}

// The number shown, as the platform's general conversion writes it.
std::wstring DigitfieldHost::AccessibleValue() {
    win::KeepAlive keep(*this);
    const std::u16string text = TextOfValue(model_.Value());
    return std::wstring(text.begin(), text.end());
}

void DigitfieldHost::PressSpinnerArrow(bool up) {
    win::KeepAlive keep(*this);
    std::int16_t button = kLeftButton, shift = 0;
    float x = 0;
    float y = up ? 0.0f : static_cast<float>(model_.Layout().spinner.height);
    model_.UpDown1_MouseDown(button, shift, x, y);
    // Only a press the control took (enabled, spinner on) is released.
    if (Alive() && model_.SpinnerHeld()) model_.UpDown1_MouseUp(button, shift, x, y);
}

}  // namespace cadencer::numberentry
