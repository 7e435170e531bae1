// The Cadencer demo host: a real ActiveX container (the platform's ATL host window) that
// shows the control's next and last execution times, its schedule in words and a log of
// its events, with buttons for Execute, Reset, the schedule dialog and the about box. Its
// properties are saved to a text file on exit and loaded at start.
//
//   cadencer-demo.exe [--properties FILE]            interactive
//   cadencer-demo.exe --tour [--properties FILE]     a short scripted tour that ends by itself:
//       makes the schedule due now, waits for ScheduledTime, executes, opens the dialog,
//       saves, reloads, writes demo-log.txt and demo-screen.bmp in the working directory.
#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cadencer.h"
#include "demo_api.h"
#include "demo_tour.h"
#include "event_sink.h"
#include "schedule_words.h"
#include "text_property_bag.h"
#include "win/scoped.h"

namespace demo {
namespace {

enum ControlId { kExecute = 101, kReset, kSchedule, kAbout, kSave, kLog, kNext, kLast, kWords };
constexpr UINT_PTR kRefreshTimer = 1;

using Microsoft::WRL::ComPtr;

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

struct Host {
    HWND window = nullptr;
    HWND hostArea = nullptr;
    HWND log = nullptr;
    // Held while the control is hosted; released in Disconnect, before the host window goes.
    ComPtr<_Cadencer> control;
    ComPtr<IConnectionPoint> connection;
    DWORD cookie = 0;
    std::wstring propertiesPath = L"cadencer-demo.properties";
    std::vector<std::wstring> lines;
    std::wstring logFile;  // the tour's log, each line appended as it happens
    Tour* tour = nullptr;
    AtlAxGetControlFn getControl = nullptr;
};

Host g_host;

// Appended line by line, so that a tour that stops early still leaves its account.
void AppendUtf8Line(const std::wstring& path, const std::wstring& line) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), n, nullptr, nullptr);
    utf8 += '\n';
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

void Log(const std::wstring& text) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t stamp[16];
    swprintf(stamp, 16, L"%02u:%02u:%02u  ", st.wHour, st.wMinute, st.wSecond);
    const std::wstring line = stamp + text;
    g_host.lines.push_back(line);
    if (!g_host.logFile.empty()) AppendUtf8Line(g_host.logFile, line);
    if (g_host.log) {
        const LRESULT index = SendMessageW(g_host.log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SendMessageW(g_host.log, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
    }
}

void Refresh() {
    if (!g_host.control) return;
    DATE next = 0, last = 0;
    g_host.control->get_NextScheduledTime(&next);
    g_host.control->get_LastScheduledTime(&last);
    SetDlgItemTextW(g_host.window, kNext, (L"Next execution:  " + DateTimeText(next)).c_str());
    // The control marks "never run" with a time 50 calendar years back.
    SYSTEMTIME now{}, lastFields{};
    GetLocalTime(&now);
    const bool never = VariantTimeToSystemTime(last, &lastFields) && now.wYear - lastFields.wYear >= 50;
    SetDlgItemTextW(g_host.window, kLast, (L"Last execution:  " + (never ? L"never" : DateTimeText(last))).c_str());
    SetDlgItemTextW(g_host.window, kWords, (L"Schedule:  " + DescribeSchedule(g_host.control.Get())).c_str());
}

void OnEvent(const std::wstring& name, DATE when) {
    Log(name == L"ScheduledTime" ? L"event ScheduledTime(" + DateTimeText(when) + L")" : L"event " + name);
    Refresh();
    if (g_host.tour) g_host.tour->OnEvent(name);
}

void Disconnect() {
    if (g_host.connection) g_host.connection->Unadvise(g_host.cookie);
    g_host.connection.Reset();
    g_host.control.Reset();
    if (g_host.hostArea) {
        DestroyWindow(g_host.hostArea);  // the ATL host lets go of the control
        g_host.hostArea = nullptr;
    }
}

}  // namespace

bool SaveProperties() {
    if (!g_host.control) return false;
    ComPtr<IPersistPropertyBag> persist;
    if (FAILED(g_host.control.As(&persist))) return false;
    TextPropertyBag bag;
    const HRESULT hr = persist->Save(&bag, TRUE, TRUE);
    const bool ok = SUCCEEDED(hr) && bag.SaveFile(g_host.propertiesPath);
    Log(ok ? L"properties saved (" + std::to_wstring(bag.size()) + L" keys)" : L"saving the properties failed");
    return ok;
}

bool CreateControl() {
    // The platform's ATL host window is the container: it creates the control from its
    // ProgID, gives it its client site and activates it in place.
    g_host.hostArea = CreateWindowExW(0, L"AtlAxWin", L"CadencerLib.Cadencer", WS_CHILD | WS_VISIBLE, 12, 12, 32, 32,
                                      g_host.window, nullptr, GetModuleHandleW(nullptr), nullptr);
    ComPtr<IUnknown> unknown;
    if (!g_host.hostArea || !g_host.getControl || FAILED(g_host.getControl(g_host.hostArea, &unknown)) || !unknown) {
        Log(L"hosting CadencerLib.Cadencer failed: is cadencer.ocx registered?");
        return false;
    }
    unknown.As(&g_host.control);
    HRESULT hr = S_OK;

    // Then the saved properties, when there are any.
    TextPropertyBag bag;
    ComPtr<IPersistPropertyBag> persist;
    if (SUCCEEDED(unknown.As(&persist))) {
        if (bag.LoadFile(g_host.propertiesPath)) {
            hr = persist->Load(&bag, nullptr);
            Log(SUCCEEDED(hr) ? L"properties loaded from " + g_host.propertiesPath : L"loading the properties failed");
        } else {
            Log(L"new control (no saved properties yet)");
        }
    }
    ComPtr<IConnectionPointContainer> points;
    if (SUCCEEDED(unknown.As(&points)) && SUCCEEDED(points->FindConnectionPoint(DIID___Cadencer, &g_host.connection))) {
        // The connection holds the sink from here; ours goes with this scope.
        const auto sink = cadencer::win::Adopt(new EventSink(DIID___Cadencer, OnEvent));
        g_host.connection->Advise(sink.Get(), &g_host.cookie);
    }
    // A loaded control is enabled through its setter; a new one needs it to start its clock.
    if (g_host.control) g_host.control->put_Enabled(VARIANT_TRUE);
    Refresh();
    return g_host.control != nullptr;
}

bool ReloadControl() {
    SaveProperties();
    Disconnect();
    Log(L"control released; creating it again from the saved properties");
    return CreateControl();
}

_Cadencer* Control() {
    return g_host.control.Get();
}
HWND MainWindow() {
    return g_host.window;
}
const std::vector<std::wstring>& LogLines() {
    return g_host.lines;
}
void AddLog(const std::wstring& text) {
    Log(text);
}
void RefreshView() {
    Refresh();
}

namespace {

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, g_host.window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return hwnd;
}

void OnCreate(HWND hwnd) {
    g_host.window = hwnd;
    Child(L"STATIC", L"A Cadencer control is hosted on this window (invisible while the program runs).", 0, 56, 20, 560,
          20, 0);
    Child(L"STATIC", L"Next execution:", 0, 12, 56, 600, 20, kNext);
    Child(L"STATIC", L"Last execution:", 0, 12, 80, 600, 20, kLast);
    Child(L"STATIC", L"Schedule:", 0, 12, 104, 600, 20, kWords);
    Child(L"BUTTON", L"&Execute", BS_PUSHBUTTON | WS_TABSTOP, 12, 136, 100, 28, kExecute);
    Child(L"BUTTON", L"&Reset", BS_PUSHBUTTON | WS_TABSTOP, 120, 136, 100, 28, kReset);
    Child(L"BUTTON", L"&Schedule...", BS_PUSHBUTTON | WS_TABSTOP, 228, 136, 100, 28, kSchedule);
    Child(L"BUTTON", L"&About...", BS_PUSHBUTTON | WS_TABSTOP, 336, 136, 100, 28, kAbout);
    Child(L"BUTTON", L"Sa&ve", BS_PUSHBUTTON | WS_TABSTOP, 444, 136, 100, 28, kSave);
    Child(L"STATIC", L"Events:", 0, 12, 176, 200, 20, 0);
    g_host.log = Child(L"LISTBOX", L"", WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 12, 198, 600, 230, kLog);
    for (const auto& line : g_host.lines)
        SendMessageW(g_host.log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SetTimer(hwnd, kRefreshTimer, 1000, nullptr);
}

void OnCommand(int id) {
    _Cadencer* c = g_host.control.Get();
    if (!c) return;
    switch (id) {
        case kExecute:
            Log(L"Execute");
            c->Execute();
            break;
        case kReset:
            Log(L"Reset");
            c->Reset();
            break;
        case kSchedule:
            Log(L"DisplayScheduler");
            c->DisplayScheduler();
            break;
        case kAbout:
            Log(L"DisplayAboutBox");
            c->DisplayAboutBox();
            break;
        case kSave:
            SaveProperties();
            break;
        default:
            return;
    }
    Refresh();
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            OnCreate(hwnd);
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp));
            return 0;
        case WM_TIMER:
            if (wp == kRefreshTimer)
                Refresh();
            else if (g_host.tour)
                g_host.tour->OnTimer(wp);
            return 0;
        case WM_CLOSE:
            SaveProperties();
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace
}  // namespace demo

int wmain(int argc, wchar_t** argv) {
    bool tour = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (a == L"--tour") {
            tour = true;
            demo::g_host.logFile = L"demo-log.txt";
        } else if (a == L"--properties" && i + 1 < argc) {
            demo::g_host.propertiesPath = argv[++i];
        }
    }
    if (tour) DeleteFileW(demo::g_host.logFile.c_str());
    if (FAILED(OleInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (HMODULE atl = LoadLibraryW(L"atl.dll")) {
        auto init =
            reinterpret_cast<demo::AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
        demo::g_host.getControl =
            reinterpret_cast<demo::AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
        if (init) init();
    }

    WNDCLASSW wc{};
    wc.lpfnWndProc = demo::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"CadencerDemoHost";
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Cadencer demo host", WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX, 40,
                                40, 640, 480, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    const bool created = demo::CreateControl();

    demo::Tour scripted;
    if (tour) {
        demo::g_host.tour = &scripted;
        scripted.Start(created);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    demo::g_host.tour = nullptr;
    demo::Disconnect();
    OleUninitialize();
    return tour ? scripted.ExitCode() : 0;
}
