// The schedule dialog's test and screenshot programs run on a desktop of their own (see
// below); the open-time measurement does not, so that it measures the usual setting.
#include <windows.h>

#include "win/scoped.h"

namespace {
// The test programs run on a desktop of their own: Wine then draws the windows itself
// inside one X window (as under `wine explorer /desktop=...`), with captions even without
// a window manager, and hiding a window does not wait for a window manager that is not
// there (two seconds per dialog otherwise).
struct OwnDesktop {
    OwnDesktop() {
        // A prefix set up to run every program in a virtual desktop needs nothing more.
        wchar_t desktop[64] = L"";
        DWORD size = sizeof(desktop);
        if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer", L"Desktop", RRF_RT_REG_SZ, nullptr, desktop,
                         &size) == ERROR_SUCCESS &&
            desktop[0])
            return;
        cadencer::win::UniqueHkey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, key.receive(), nullptr) == ERROR_SUCCESS) {
            const wchar_t extent[] = L"1024x768";
            RegSetValueExW(key.get(), L"CadencerDialogTests", 0, REG_SZ, reinterpret_cast<const BYTE*>(extent),
                           sizeof(extent));
        }
        if (HDESK own = CreateDesktopW(L"CadencerDialogTests", nullptr, nullptr, 0, GENERIC_ALL, nullptr))
            SetThreadDesktop(own);
    }
} g_ownDesktop;
}  // namespace
