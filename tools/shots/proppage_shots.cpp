// Shows the control's property pages in the platform's property frame for a few seconds,
// so that a screenshot can be taken of the program's desktop (tools/screenshots.sh). Not a
// test. The control must be registered.
//   tools/wine-run proppage_shots.exe schedule|dialog [seconds] [kind 0-4, default 2 (Weekly)]
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdlib>
#include <cstring>

#include "cadencer.h"
#include "win/scoped.h"

namespace {

int g_page = 0;
UINT_PTR g_showTimer = 0, g_endTimer = 0;

HWND FindFrame() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            if (!IsWindowVisible(window) || !FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK ShowPage(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND frame = FindFrame()) {
        KillTimer(nullptr, g_showTimer);
        SendMessageW(frame, PSM_SETCURSEL, static_cast<WPARAM>(g_page), 0);
    }
}

void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, g_endTimer);
    if (HWND frame = FindFrame()) PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

namespace {

using cadencer::win::ScopedBstr;
using Microsoft::WRL::ComPtr;

// Shows the pages for `seconds`; the control and its interfaces go before OLE does.
int ShowPages(int seconds, int kind) {
    ComPtr<_Cadencer> control;
    if (FAILED(CoCreateInstance(CLSID_Cadencer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)))) return 1;
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(control.As(&persist))) persist->InitNew();
    // Weekly on Monday and Friday (monthly on the 1st and 15th) at 09:30 until the end of
    // next year, a titled modal dialog.
    Occurs occurs = static_cast<Occurs>(kind);
    control->put_OccursOption(&occurs);
    control->put_SelectionsWeekly(ScopedBstr(L"0100010").get());
    control->put_SelectionsMonthly(ScopedBstr(L"100000000000001").get());
    control->put_StartHour(9);
    control->put_StartMinute(30);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    SYSTEMTIME end{};
    end.wYear = static_cast<WORD>(now.wYear + 1);
    end.wMonth = 12;
    end.wDay = 31;
    DATE endDate = 0;
    SystemTimeToVariantTime(&end, &endDate);
    control->put_EndDate(endDate);
    control->put_UseEndDate(VARIANT_TRUE);
    control->put_Title(ScopedBstr(L"Backup schedule").get());
    control->put_Modal(VARIANT_TRUE);

    ComPtr<ISpecifyPropertyPages> specify;
    CAUUID pages{};
    if (FAILED(control.As(&specify)) || FAILED(specify->GetPages(&pages))) return 1;
    g_showTimer = SetTimer(nullptr, 0, 100, ShowPage);
    g_endTimer = SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndShow);
    IUnknown* objects[] = {control.Get()};
    OleCreatePropertyFrame(nullptr, 40, 40, L"Cadencer1", 1, objects, pages.cElems, pages.pElems, 0x409, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    g_page = argc > 1 && std::strcmp(argv[1], "dialog") == 0 ? 1 : 0;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 4;
    const int kind = argc > 3 ? std::atoi(argv[3]) : 2;
    if (FAILED(OleInitialize(nullptr))) return 1;
    const int result = ShowPages(seconds, kind);
    OleUninitialize();
    return result;
}
