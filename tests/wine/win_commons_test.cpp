// The Win32 commons under Wine with real windows: a window's state is bound at creation
// and only messages between binding and WM_NCDESTROY reach it; the class's extra bytes
// leave GWLP_USERDATA to the window's owner; a handler that destroys its own window keeps
// the object alive until the outermost handler returns; item-less dialog templates.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "win/dialog_template.h"
#include "win/keep_alive.h"
#include "win/window_state.h"

namespace cadencer::win {
namespace {

constexpr UINT kMsgOuter = WM_APP + 1;
constexpr UINT kMsgDestroySelf = WM_APP + 2;
constexpr UINT kMsgProbe = WM_APP + 3;

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

bool RegisterOnce(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    if (GetClassInfoExW(Module(), name, &cls)) return true;
    cls.lpfnWndProc = proc;
    cls.cbWndExtra = kWindowStateBytes;
    cls.hInstance = Module();
    cls.lpszClassName = name;
    return RegisterClassExW(&cls) != 0;
}

// ---- Binding

struct Recorder {
    std::vector<UINT> received;
};
// Messages that found no state, for the one window under test at a time.
std::vector<UINT> g_unbound;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ReceiveWindowState<Recorder>(window, message, lParam);
    if (!self) {
        g_unbound.push_back(message);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    self->received.push_back(message);
    // Whatever a last handler sends its own window after the unbinding finds no state.
    if (message == WM_NCDESTROY) SendMessageW(window, kMsgProbe, 0, 0);
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(WindowState, OnlyMessagesBetweenBindingAndNcDestroyReachTheObject) {
    ASSERT_TRUE(RegisterOnce(L"CadencerTestRecorder", RecorderProc));
    g_unbound.clear();
    Recorder recorder;
    // An overlapped window hears WM_GETMINMAXINFO before WM_NCCREATE.
    HWND window = CreateWindowExW(0, L"CadencerTestRecorder", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, Module(), &recorder);
    ASSERT_TRUE(window);
    ASSERT_FALSE(recorder.received.empty());
    EXPECT_EQ(recorder.received.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(g_unbound, std::vector<UINT>{WM_GETMINMAXINFO});

    // The owner's slot is the owner's: a value put there does not disturb the binding.
    SetWindowLongPtrW(window, GWLP_USERDATA, 0x5A5A);
    SendMessageW(window, kMsgProbe, 0, 0);
    EXPECT_EQ(recorder.received.back(), kMsgProbe);
    EXPECT_EQ(WindowStateOf<Recorder>(window), &recorder);

    g_unbound.clear();
    DestroyWindow(window);
    EXPECT_EQ(recorder.received.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(g_unbound, std::vector<UINT>{kMsgProbe});
}

// ---- Keep-alive: the window holds its object; a handler two levels down destroys the window.

// Set by the objects' destructors; a flag outside the object can be read after it is gone.
bool g_deleted = false;

struct Counted {
    LONG references = 1;  // the window's
    ~Counted() { g_deleted = true; }
    void AddRef() { ++references; }
    void Release() {
        if (--references == 0) delete this;
    }
    void LetGoOfWindow() { Release(); }
};

struct Shared : std::enable_shared_from_this<Shared> {
    std::shared_ptr<Shared> self;  // the window's
    ~Shared() { g_deleted = true; }
    void LetGoOfWindow() { self.reset(); }
};

// Outer handler -> nested handler -> DestroyWindow -> WM_NCDESTROY lets go of the window's
// hold. Each handler keeps the object alive; the nested one must find it intact after
// DestroyWindow returns.
template <typename T>
LRESULT CALLBACK HoldingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = ReceiveWindowState<T>(window, message, lParam);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    const KeepAlive keep(*self);
    switch (message) {
        case kMsgOuter:
            return SendMessageW(window, kMsgDestroySelf, 0, 0);
        case kMsgDestroySelf:
            DestroyWindow(window);
            return g_deleted ? 0 : 1;
        case WM_NCDESTROY:
            self->LetGoOfWindow();
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(KeepAlive, ReferenceCountedObjectGoesWhenTheOutermostHandlerReturns) {
    ASSERT_TRUE(RegisterOnce(L"CadencerTestCounted", HoldingProc<Counted>));
    g_deleted = false;
    auto* object = new Counted;
    HWND window =
        CreateWindowExW(0, L"CadencerTestCounted", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Module(), object);
    ASSERT_TRUE(window);
    EXPECT_EQ(SendMessageW(window, kMsgOuter, 0, 0), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(g_deleted);
}

TEST(KeepAlive, SharedObjectGoesWhenTheOutermostHandlerReturns) {
    ASSERT_TRUE(RegisterOnce(L"CadencerTestShared", HoldingProc<Shared>));
    g_deleted = false;
    auto object = std::make_shared<Shared>();
    object->self = object;
    Shared* raw = object.get();
    object.reset();  // the window's hold is the only one
    HWND window =
        CreateWindowExW(0, L"CadencerTestShared", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, Module(), raw);
    ASSERT_TRUE(window);
    EXPECT_EQ(SendMessageW(window, kMsgOuter, 0, 0), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(g_deleted);
}

// ---- Dialog templates, bound through the dialog's own slot

struct DialogState {
    bool initialised = false;
};

INT_PTR CALLBACK TestDialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    auto* self = ReceiveWindowState<DialogState>(window, message, lParam, kDialogSlot);
    if (self && message == WM_INITDIALOG) self->initialised = true;
    return FALSE;
}

TEST(DialogTemplate, CaptionStylesAndFontReachTheDialog) {
    DialogState state;
    const DialogTemplate form(WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_TOOLWINDOW, L"Bound caption");
    HWND dialog =
        CreateDialogIndirectParamW(Module(), form.Get(), nullptr, TestDialogProc, reinterpret_cast<LPARAM>(&state));
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(state.initialised);
    EXPECT_EQ(WindowStateOf<DialogState>(dialog, kDialogSlot), &state);
    wchar_t caption[64] = {};
    GetWindowTextW(dialog, caption, 64);
    EXPECT_STREQ(caption, L"Bound caption");
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(SendMessageW(dialog, WM_GETFONT, 0, 0));  // the template's font was read
    DestroyWindow(dialog);

    // Without DS_SETFONT the template ends after the caption; the dialog still loads.
    const DialogTemplate plain(WS_POPUP, 0);
    HWND plainDialog =
        CreateDialogIndirectParamW(Module(), plain.Get(), nullptr, TestDialogProc, reinterpret_cast<LPARAM>(&state));
    ASSERT_TRUE(plainDialog);
    EXPECT_FALSE(SendMessageW(plainDialog, WM_GETFONT, 0, 0));
    DestroyWindow(plainDialog);
}

}  // namespace
}  // namespace cadencer::win
