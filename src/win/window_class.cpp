// The library's window classes, registered valid for this load (window_class.h).
#include "win/window_class.h"

namespace cadencer::win {

bool EnsureWindowClass(const WNDCLASSEXW& cls) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(cls.hInstance, cls.lpszClassName, &existing)) {
        if (existing.lpfnWndProc == cls.lpfnWndProc) return true;
        // Left by an earlier load: no window of it can be alive, so it can go.
        UnregisterClassW(cls.lpszClassName, cls.hInstance);
    }
    // Two threads opening dialogs together may both register; the second is refused with
    // ERROR_CLASS_ALREADY_EXISTS, which is as good as its own registration.
    return RegisterClassExW(&cls) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace cadencer::win
