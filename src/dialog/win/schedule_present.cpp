// What the host does with the dialog window: the caption, icon and buttons it presents,
// showing it modal (the thread's other windows disabled meanwhile) or modeless, and
// bringing it to the front with the focus inside.
#include "dialog/win/schedule_form.h"
#include "win/controls.h"

namespace cadencer::dialog {

void ScheduleForm::ApplyPresentation(const control::DialogPresentation& p) {
    if (!Alive()) return;
    // The icon sizes are those of the dialog's DPI, as its own thread context gives them.
    win::ScopedPerMonitorDpiAwareness perMonitor;
    if (!p.caption.empty()) win::SetText(hwnd_, win::W(Shown(p.caption, text::Id::DialogTitle)));
    okBefore_ = Shown(p.okCaptionBefore, text::Id::ButtonOK);
    okAfter_ = Shown(p.okCaptionAfter, text::Id::ButtonOK);
    closeAfter_ = Shown(p.closeCaptionAfter, text::Id::ButtonCancel);
    closeBefore_ = Shown(p.closeCaption, text::Id::ButtonClose);
    win::SetText(buttonOK_, win::W(IsWindowEnabled(buttonOK_) ? okAfter_ : okBefore_));
    SetIcon(p.icon);
    if (p.closeIsDefault) SetDefaultButton(id::ButtonCancel);
    EnableWindow(buttonOK_, p.okEnabled);
    win::SetText(buttonCancel_, win::W(closeBefore_));
    // The help button is usable, reachable by Tab and visible, or none of them.
    EnableWindow(buttonHelp_, p.showHelpButton);
    LONG_PTR style = GetWindowLongPtrW(buttonHelp_, GWL_STYLE);
    style = p.showHelpButton ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(buttonHelp_, GWL_STYLE, style);
    helpVisible_ = p.showHelpButton;
    ShowWindow(buttonHelp_, p.showHelpButton ? SW_SHOWNA : SW_HIDE);
    win::SetText(buttonHelp_, win::W(Shown(p.helpCaption, text::Id::ButtonHelp)));
    Relayout();  // the host's captions may need more room than the design's
}

// The window keeps copies of the icon: the control may replace or free its picture while
// the dialog is open.
void ScheduleForm::SetIcon(const ObjectRef& picture) {
    if (!picture || picture->Handle() == 0) return;
    const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(picture->Handle()));
    HICON big = nullptr, small = nullptr;
    const int bigSize = GetSystemMetrics(SM_CXICON), smallSize = GetSystemMetrics(SM_CXSMICON);
    if (GetObjectType(handle) == OBJ_BITMAP) {
        BITMAP bm{};
        GetObjectW(handle, sizeof(bm), &bm);
        HBITMAP mask = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 1, nullptr);
        ICONINFO info{TRUE, 0, 0, mask, static_cast<HBITMAP>(handle)};
        HICON icon = CreateIconIndirect(&info);
        if (mask) DeleteObject(mask);
        if (!icon) return;
        big = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, bigSize, bigSize, 0));
        small = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, smallSize, smallSize, 0));
        DestroyIcon(icon);
    } else {
        big = static_cast<HICON>(CopyImage(handle, IMAGE_ICON, bigSize, bigSize, 0));
        small = static_cast<HICON>(CopyImage(handle, IMAGE_ICON, smallSize, smallSize, 0));
    }
    if (!big && !small) return;
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (bigIcon_) DestroyIcon(bigIcon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    bigIcon_ = big;
    smallIcon_ = small;
}

void ScheduleForm::BeginModal() {
    if (!Alive() || modal_) return;
    modal_ = true;
    // Modal to the application: every other enabled, visible top-level window of this
    // thread is disabled until the dialog ends.
    disabledWindows_.clear();
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM self) WINAPI -> BOOL {
            auto* form = reinterpret_cast<ScheduleForm*>(self);
            if (window != form->hwnd_ && IsWindowVisible(window) && IsWindowEnabled(window)) {
                EnableWindow(window, FALSE);
                form->disabledWindows_.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
}

void ScheduleForm::EndModal() {
    if (!modal_) return;
    modal_ = false;
    const auto windows = std::move(disabledWindows_);
    disabledWindows_.clear();
    for (HWND window : windows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
}

void ScheduleForm::Show() {
    if (Alive() && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);
}

void ScheduleForm::GiveFocus() {
    if (!Shown()) return;
    if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    // Each of these is a round trip to the window system: only what is not so already.
    if (GetForegroundWindow() != hwnd_) {
        SetForegroundWindow(hwnd_);
        BringWindowToTop(hwnd_);
    }
    const HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus)) return;
    if (!IsWindowEnabled(hwnd_)) return;  // a message box of ours is up: it keeps the focus
    if (GetActiveWindow() != hwnd_) SetActiveWindow(hwnd_);
    if (const HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE))
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

}  // namespace cadencer::dialog
