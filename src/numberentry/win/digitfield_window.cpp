// The Digitfield window class: its private registration, the control window's procedure
// and the DigitfieldWindow wrapper that forwards the control's members to the model.
#include "numberentry/win/digitfield_host.h"  // <windows.h> first: <commctrl.h> needs it
#include "numberentry/win/digitfield_util.h"
#include "win/keep_alive.h"
#include "win/window_class.h"
#include "win/window_state.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>

namespace cadencer::numberentry {
namespace {

HINSTANCE CodeModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CodeModule), &module);
    return module;
}

// The control window's own messages; those it leaves (handled false) go to DefWindowProc.
LRESULT ControlMessage(DigitfieldHost& host, HWND control, UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (message) {
        case WM_CREATE:
            return host.CreateParts() ? 0 : -1;
        case WM_SIZE:
            host.UserControl_Resize();
            return 0;
        case WM_DESTROY:
            // The tooltip is a popup owned by the top-level window: it would outlive us.
            if (host.toolTip_) DestroyWindow(host.toolTip_);
            host.toolTip_ = nullptr;
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // The minimum at the DPI the control is laid out for (its parent may have told
            // it of a new one before moving it).
            auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(pos->flags & SWP_NOSIZE)) pos->cy = std::max(pos->cy, host.MinimumHeight());
            return 0;
        }
        case win::kMsgDpiChangedAfterParent:
            host.ApplyDpi(win::WindowDpi(control));
            return 0;
        case WM_SETFOCUS:
            if (host.edit_) SetFocus(host.edit_);
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1Id) host.model_.Timer1_Timer();
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE && reinterpret_cast<HWND>(lParam) == host.edit_) host.txtNumber_Change();
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == host.edit_)
                return reinterpret_cast<LRESULT>(host.txtNumber_CtlColor(reinterpret_cast<HDC>(wParam)));
            break;
        case WM_SYSCOLORCHANGE:
            host.SysColorChanged();
            return 0;
        case WM_SETFONT:
            host.model_.SetFont(std::make_shared<GdiFont>(reinterpret_cast<HFONT>(wParam), false));
            return 0;
        case WM_GETFONT: {
            const ObjectRef& font = host.model_.Font();
            return font ? static_cast<LRESULT>(font->Handle()) : 0;
        }
        default:
            break;
    }
    handled = false;
    return 0;
}

LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    // The control is created by class name (a dialog, a host), so it makes its own state
    // rather than taking one from lpCreateParams.
    if (message == WM_NCCREATE) {
        auto* host = new (std::nothrow) DigitfieldHost(control);
        if (!host) return FALSE;
        win::SetWindowState(control, host);
        return DefWindowProcW(control, message, wParam, lParam);
    }
    DigitfieldHost* host = win::ReceiveWindowState<DigitfieldHost>(control, message, lParam);
    if (!host) return DefWindowProcW(control, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        KillTimer(control, kTimer1Id);
        host->UserControl_Terminate();
        return DefWindowProcW(control, message, wParam, lParam);
    }
    if (!host->Alive()) return DefWindowProcW(control, message, wParam, lParam);
    win::KeepAlive keep(*host);
    bool handled = false;
    const LRESULT result = ControlMessage(*host, control, message, wParam, lParam, handled);
    return handled ? result : DefWindowProcW(control, message, wParam, lParam);
}

}  // namespace

GdiFont::~GdiFont() {
    if (owned_ && font_) DeleteObject(font_);
}

namespace {
// The module whose classes are registered (each Create asks; only the first registers).
std::atomic<HINSTANCE> g_registeredFor{nullptr};

}  // namespace

bool DigitfieldWindow::RegisterWindowClass(HINSTANCE instance) {
    if (!instance) instance = CodeModule();
    if (g_registeredFor.load() == instance) return true;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW control{};
    control.cbSize = sizeof(control);
    control.lpfnWndProc = ControlProc;
    control.cbWndExtra = win::kWindowStateBytes;
    control.hInstance = instance;
    control.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    control.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    control.lpszClassName = kDigitfieldClassName;
    WNDCLASSEXW spinner = control;
    spinner.lpfnWndProc = DigitfieldHost::SpinnerProc;
    spinner.hbrBackground = nullptr;
    spinner.lpszClassName = kDigitfieldSpinnerClassName;
    const bool ok = win::EnsureWindowClass(control) && win::EnsureWindowClass(spinner);
    if (ok) g_registeredFor.store(instance);
    return ok;
}

void DigitfieldWindow::UnregisterWindowClass(HINSTANCE instance) {
    if (!instance) instance = CodeModule();
    g_registeredFor.store(nullptr);
    UnregisterClassW(kDigitfieldClassName, instance);
    UnregisterClassW(kDigitfieldSpinnerClassName, instance);
}

bool DigitfieldWindow::Create(HWND parent, int id, const RECT& rect, DigitfieldEvents* sink) {
    const HINSTANCE instance = CodeModule();
    if (!RegisterWindowClass(instance)) return false;
    int dpiX = 96, dpiY = 96;
    WindowDpi(parent, dpiX, dpiY);
    const int height = std::max<int>(rect.bottom - rect.top, TwipsToPixelsCeil(kMinHeightTwips, dpiY));
    control_ = CreateWindowExW(WS_EX_CONTROLPARENT, kDigitfieldClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                               rect.left, rect.top, rect.right - rect.left, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!control_) return false;
    SetEventSink(sink);
    return true;
}

bool DigitfieldWindow::CreateTwips(HWND parent, int id, int left, int top, int width, int height,
                                   DigitfieldEvents* sink) {
    int dpiX = 96, dpiY = 96;
    WindowDpi(parent, dpiX, dpiY);
    const RECT rect{TwipsToPixels(left, dpiX), TwipsToPixels(top, dpiY), TwipsToPixels(left + width, dpiX),
                    TwipsToPixels(top + height, dpiY)};
    return Create(parent, id, rect, sink);
}

void DigitfieldWindow::Destroy() {
    if (IsAlive()) DestroyWindow(control_);
    control_ = nullptr;
}

bool DigitfieldWindow::IsAlive() const {
    return host() != nullptr;
}
DigitfieldHost* DigitfieldWindow::host() const {
    return DigitfieldHost::FromControl(control_);
}
DigitfieldModel* DigitfieldWindow::Model() const {
    auto* h = host();
    return h ? &h->model_ : nullptr;
}

void DigitfieldWindow::SetEventSink(DigitfieldEvents* sink) {
    if (auto* m = Model()) m->SetEventSink(sink);
}

void DigitfieldWindow::SetBeepHandler(std::function<void()> beep) {
    if (auto* h = host()) h->beep_ = std::move(beep);
}

// ---- Lifecycle ----

void DigitfieldWindow::InitProperties() {
    if (auto* h = host()) {
        win::KeepAlive keep(*h);
        h->ambientFont_ = h->AmbientFont();
        h->model_.InitProperties(h->ambientFont_);
    }
}

void DigitfieldWindow::ReadProperties(PropertyBag& bag) {
    if (auto* h = host()) {
        win::KeepAlive keep(*h);
        h->ambientFont_ = h->AmbientFont();
        h->model_.ReadProperties(bag, h->ambientFont_);
    }
}

Expected<bool> DigitfieldWindow::WriteProperties(PropertyBag& bag) const {
    auto* h = host();
    if (!h) return false;
    return h->model_.WriteProperties(bag, h->ambientFont_);
}

// ---- Properties: each forwards to the model with the host kept alive for the call ----

#define DIGITFIELD_SET(call)         \
    do {                             \
        if (auto* h = host()) {      \
            win::KeepAlive keep(*h); \
            h->model_.call;          \
        }                            \
    } while (false)

Variant DigitfieldWindow::Value() {
    auto* h = host();
    if (!h) return Variant::I16(0);
    win::KeepAlive keep(*h);
    return h->model_.Value();
}
void DigitfieldWindow::SetValue(const Variant& iValue) {
    DIGITFIELD_SET(SetValue(iValue));
}
Variant DigitfieldWindow::StoredValue() const {
    auto* m = Model();
    return m ? m->StoredValue() : Variant::String(u"");
}
double DigitfieldWindow::MaxValue() const {
    return Model() ? Model()->MaxValue() : kDefaultMaxValue;
}
void DigitfieldWindow::SetMaxValue(const Variant& value) {
    DIGITFIELD_SET(SetMaxValue(value));
}
double DigitfieldWindow::MinValue() const {
    return Model() ? Model()->MinValue() : 0;
}
void DigitfieldWindow::SetMinValue(const Variant& value) {
    DIGITFIELD_SET(SetMinValue(value));
}
bool DigitfieldWindow::UseMaxMinValues() const {
    return Model() && Model()->UseMaxMinValues();
}
void DigitfieldWindow::SetUseMaxMinValues(bool value) {
    DIGITFIELD_SET(SetUseMaxMinValues(value));
}
std::u16string DigitfieldWindow::Format() const {
    return Model() ? Model()->Format() : std::u16string(kDefaultFormat);
}
void DigitfieldWindow::SetFormat(std::u16string_view value) {
    DIGITFIELD_SET(SetFormat(value));
}
bool DigitfieldWindow::PositiveOnly() const {
    return Model() && Model()->PositiveOnly();
}
void DigitfieldWindow::SetPositiveOnly(bool value) {
    DIGITFIELD_SET(SetPositiveOnly(value));
}
bool DigitfieldWindow::UpDownFunction() const {
    return Model() && Model()->UpDownFunction();
}
void DigitfieldWindow::SetUpDownFunction(bool value) {
    DIGITFIELD_SET(SetUpDownFunction(value));
}
std::int16_t DigitfieldWindow::UpDownIncrement() const {
    return Model() ? Model()->UpDownIncrement() : 1;
}
void DigitfieldWindow::SetUpDownIncrement(std::int16_t value) {
    DIGITFIELD_SET(SetUpDownIncrement(value));
}
bool DigitfieldWindow::Enabled() const {
    return Model() && Model()->Enabled();
}
void DigitfieldWindow::SetEnabled(bool value) {
    DIGITFIELD_SET(SetEnabled(value));
}
bool DigitfieldWindow::Locked() const {
    return Model() && Model()->Locked();
}
void DigitfieldWindow::SetLocked(bool value) {
    DIGITFIELD_SET(SetLocked(value));
}
std::uint32_t DigitfieldWindow::BackColor() const {
    return Model() ? Model()->BackColor() : kDefaultBackColor;
}
void DigitfieldWindow::SetBackColor(std::uint32_t value) {
    DIGITFIELD_SET(SetBackColor(value));
}
std::uint32_t DigitfieldWindow::ForeColor() const {
    return Model() ? Model()->ForeColor() : kDefaultForeColor;
}
void DigitfieldWindow::SetForeColor(std::uint32_t value) {
    DIGITFIELD_SET(SetForeColor(value));
}
ObjectRef DigitfieldWindow::Font() const {
    return Model() ? Model()->Font() : nullptr;
}
void DigitfieldWindow::SetFont(const ObjectRef& font) {
    DIGITFIELD_SET(SetFont(font));
}
void DigitfieldWindow::SetFont(HFONT font, bool owned) {
    SetFont(std::make_shared<GdiFont>(font, owned));
}
std::u16string DigitfieldWindow::ToolTipText() const {
    return Model() ? Model()->ToolTipText() : std::u16string();
}
void DigitfieldWindow::SetToolTipText(std::u16string_view text) {
    DIGITFIELD_SET(SetToolTipText(text));
}
bool DigitfieldWindow::GotFocus() const {
    return Model() && Model()->GotFocus();
}
HWND DigitfieldWindow::EditWindow() const {
    auto* h = host();
    return h ? h->edit_ : nullptr;
}
std::int16_t DigitfieldWindow::MaxLength() const {
    return Model() ? Model()->MaxLength() : 0;
}
void DigitfieldWindow::Refresh() {
    DIGITFIELD_SET(Refresh());
}
void DigitfieldWindow::Highlight() {
    DIGITFIELD_SET(Highlight());
}

#undef DIGITFIELD_SET

void DigitfieldWindow::MoveTwips(int left, int top, int width, int height) {
    // At the DPI the control is laid out for: its parent's, as the parent last told it.
    auto* h = host();
    if (!h) return;
    MoveWindow(control_, h->ToPixelsX(left), h->ToPixelsY(top), h->ToPixelsX(width), h->ToPixelsY(height), TRUE);
}

void DigitfieldWindow::ApplyDpi(int dpi) {
    if (auto* h = host()) {
        win::KeepAlive keep(*h);
        h->ApplyDpi(dpi);
    }
}

int DigitfieldWindow::Dpi() const {
    if (auto* h = host()) return h->Dpi();
    return win::WindowDpi(nullptr);
}

void DigitfieldWindow::SetAccessibleName(std::u16string_view name) {
    if (auto* h = host()) h->SetAccessibleName(name);
}

std::u16string DigitfieldWindow::AccessibleName() const {
    auto* h = host();
    return h ? h->AccessibleName() : std::u16string();
}

int DigitfieldWindow::TwipsToPixelsX(int twips) const {
    if (auto* h = host()) return h->ToPixelsX(twips);
    int dpiX = 96, dpiY = 96;
    WindowDpi(nullptr, dpiX, dpiY);  // no window yet: the screen's
    return TwipsToPixels(twips, dpiX);
}

int DigitfieldWindow::TwipsToPixelsY(int twips) const {
    if (auto* h = host()) return h->ToPixelsY(twips);
    int dpiX = 96, dpiY = 96;
    WindowDpi(nullptr, dpiX, dpiY);
    return TwipsToPixels(twips, dpiY);
}

}  // namespace cadencer::numberentry
