// How every window class of the library finds its C++ object: the object is bound to the
// window when the window is made (WM_NCCREATE from CREATESTRUCT::lpCreateParams, or
// WM_INITDIALOG from its lParam for a dialog) and cleared at WM_NCDESTROY; a message that
// arrives before the binding or after the clearing finds no object and goes to the default
// procedure.
//
// Where the pointer lives: the library's own window classes keep it in the class's extra
// window bytes (cbWndExtra = kWindowStateBytes, offset 0), as the common controls keep
// theirs, so GWLP_USERDATA stays free for whoever owns the window (a container or a dialog
// that subclasses a Digitfield may use it). A dialog's object is in DWLP_USER: the dialog
// class's extra bytes are the dialog manager's, and DWLP_USER is there for the dialog's
// own code, which we are.
#pragma once

#include <windows.h>

namespace cadencer::win {

// The extra window bytes a class registers for its state pointer.
inline constexpr int kWindowStateBytes = sizeof(LONG_PTR);

// Where a class keeps its object and which message brings it.
struct WindowStateSlot {
    int index;         // the GetWindowLongPtr index
    UINT bindMessage;  // WM_NCCREATE (pointer in lpCreateParams) or WM_INITDIALOG (in lParam)
};
inline constexpr WindowStateSlot kClassExtraSlot{0, WM_NCCREATE};
inline constexpr WindowStateSlot kDialogSlot{DWLP_USER, WM_INITDIALOG};

template <typename T>
T* WindowStateOf(HWND window, const WindowStateSlot& slot = kClassExtraSlot) {
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, slot.index));
}

template <typename T>
void SetWindowState(HWND window, T* state, const WindowStateSlot& slot = kClassExtraSlot) {
    SetWindowLongPtrW(window, slot.index, reinterpret_cast<LONG_PTR>(state));
}

// The first step of a window procedure: binds at the slot's bind message, and returns the
// object this message is for, or null when there is none (yet, or any more). At
// WM_NCDESTROY it returns the object one last time, already unbound, so that the handler
// can let go of the window; anything later is dropped.
template <typename T>
T* ReceiveWindowState(HWND window, UINT message, LPARAM lParam, const WindowStateSlot& slot = kClassExtraSlot) {
    if (message == slot.bindMessage) {
        void* state = slot.bindMessage == WM_NCCREATE ? reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams
                                                      : reinterpret_cast<void*>(lParam);
        SetWindowState(window, static_cast<T*>(state), slot);
        return static_cast<T*>(state);
    }
    T* state = WindowStateOf<T>(window, slot);
    if (message == WM_NCDESTROY && state) SetWindowState<T>(window, nullptr, slot);
    return state;
}

}  // namespace cadencer::win
