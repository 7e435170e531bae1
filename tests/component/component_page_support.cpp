// The property page tests' helpers.
#include "component_page_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace cadencer_test {

// A dialog, as a frame's page area is: it keeps the focus of its fields across activations.
HostWindow::HostWindow(int width, int height) {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } empty{};
    empty.header.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    empty.header.dwExtendedStyle = WS_EX_CONTROLPARENT;
    hwnd_ = CreateDialogIndirectParamW(
        GetModuleHandleW(nullptr), &empty.header, nullptr,
        [](HWND, UINT, WPARAM, LPARAM) WINAPI -> INT_PTR { return FALSE; }, 0);
    EXPECT_NE(hwnd_, nullptr);
    if (hwnd_) SetWindowPos(hwnd_, nullptr, 20, 20, width, height, SWP_NOZORDER);
}

HostWindow::~HostWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

STDMETHODIMP RecordingPageSite::OnStatusChange(DWORD flags) {
    log_->push_back("OnStatusChange(" + std::to_string(flags) + ")");
    return S_OK;
}

STDMETHODIMP RecordingPageSite::GetLocaleID(LCID* lcid) {
    *lcid = 0x409;
    return S_OK;
}

STDMETHODIMP RecordingPageSite::GetPageContainer(IUnknown** container) {
    *container = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP RecordingPageSite::TranslateAccelerator(MSG*) {
    return S_FALSE;
}

namespace {

bool GetProperty(IUnknown* control, const wchar_t* name, VARIANT* result) {
    ComPtr<IDispatch> dispatch;
    if (FAILED(control->QueryInterface(IID_PPV_ARGS(&dispatch)))) return false;
    return SUCCEEDED(DispatchGet(dispatch.Get(), DispatchIdOf(dispatch.Get(), name), result));
}

}  // namespace

std::wstring PropertyText(IUnknown* control, const wchar_t* name) {
    ScopedVariant value;
    std::wstring text;
    if (GetProperty(control, name, value.receive()) && value.type() == VT_BSTR)
        text.assign(V_BSTR(value.get()), SysStringLen(V_BSTR(value.get())));
    return text;
}

double PropertyNumber(IUnknown* control, const wchar_t* name) {
    ScopedVariant value;
    double number = -99999;
    if (GetProperty(control, name, value.receive()) && SUCCEEDED(VariantChangeType(value.get(), value.get(), 0, VT_R8)))
        number = V_R8(value.get());
    return number;
}

bool IsControlDirty(IUnknown* control) {
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(control->QueryInterface(IID_PPV_ARGS(&persist)))) return false;
    return persist->IsDirty() == S_OK;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

HWND FindDescendant(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(window) != s->id) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void PumpPending() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

void PostKey(HWND target, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, 0);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

namespace {

std::vector<std::wstring>* g_boxTexts = nullptr;
std::vector<HWND> g_boxesSeen;

void CALLBACK DismissBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) WINAPI -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            HWND text = GetDlgItem(window, 0xFFFF);  // a message box's text
            if (IsWindowVisible(window) && wcscmp(name, L"#32770") == 0 && text) {
                // A box stays until its OK is handled: it is read once.
                for (HWND seen : g_boxesSeen)
                    if (seen == window) return TRUE;
                g_boxesSeen.push_back(window);
                if (g_boxTexts) g_boxTexts->push_back(TextOf(text));
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            }
            return TRUE;
        },
        0);
}

}  // namespace

std::vector<std::wstring> WithMessageBoxes(const std::function<void()>& action) {
    std::vector<std::wstring> texts;
    g_boxTexts = &texts;
    g_boxesSeen.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, DismissBoxes);
    action();
    PumpPending();
    KillTimer(nullptr, timer);
    g_boxTexts = nullptr;
    return texts;
}

}  // namespace cadencer_test
