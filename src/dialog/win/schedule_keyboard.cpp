// The dialog's keyboard in any host. A modeless dialog lives in a message loop that knows
// nothing of it (no IsDialogMessage for our window), so while the dialog is loaded a
// WH_GETMESSAGE hook on the thread takes every keyboard message meant for it out of
// whatever loop retrieves it and hands it to the dialog window as a private message. The
// dialog then handles it as a dialog does: Esc on its release closes the dialog, the
// arrow keys move inside the option groups, and the dialog manager (IsDialogMessage) does
// Tab, Shift+Tab, Enter on the default button and the mnemonics, dispatching the rest.
// The handling runs in the dialog's window procedure, never inside the hook itself.
#include "dialog/win/schedule_form.h"
#include "win/thread_state.h"

namespace cadencer::dialog {
namespace {

// The thread's hook and the dialog it serves: a part of the thread's state (each thread
// has its own dialog and hooks only its own messages).
struct KeyboardThreadPart {
    HHOOK hook = nullptr;
    std::weak_ptr<ScheduleForm> form;
    ~KeyboardThreadPart() {
        if (hook) UnhookWindowsHookEx(hook);
    }
};

KeyboardThreadPart* ThreadKeyboard() {
    win::ThreadState* state = win::ThreadState::Existing();
    return state ? state->FindPart<KeyboardThreadPart>() : nullptr;
}

constexpr std::size_t kMaxDeferredKeys = 64;

// Menu and move/size loops read the keyboard themselves; their keys are left to them.
bool InModalSystemLoop() {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetCurrentThreadId(), &info)) return false;
    return (info.flags & (GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) != 0;
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM lParam) {
    KeyboardThreadPart* keyboard = ThreadKeyboard();
    if (keyboard && code == HC_ACTION && removal == PM_REMOVE) {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
            const auto form = keyboard->form.lock();
            if (form && form->OwnsMessage(*msg) && !InModalSystemLoop()) form->DeferKey(*msg);
        }
    }
    return CallNextHookEx(keyboard ? keyboard->hook : nullptr, code, removal, lParam);
}

}  // namespace

void AttachKeyboard(const std::shared_ptr<ScheduleForm>& form) {
    win::ThreadState* state = win::ThreadState::Current();
    auto* keyboard = state ? state->Part<KeyboardThreadPart>() : nullptr;
    if (!keyboard) return;  // the dialog works without its keyboard in a foreign loop
    keyboard->form = form;
    if (!keyboard->hook)
        keyboard->hook = SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, GetCurrentThreadId());
}

void DetachKeyboard(const ScheduleForm* form) {
    KeyboardThreadPart* keyboard = ThreadKeyboard();
    if (!keyboard) return;
    const auto current = keyboard->form.lock();
    if (current && current.get() != form) return;  // a newer dialog owns the hook
    keyboard->form.reset();
    if (keyboard->hook) UnhookWindowsHookEx(keyboard->hook);
    keyboard->hook = nullptr;
}

bool ScheduleForm::OwnsMessage(const MSG& msg) const {
    return hwnd_ && msg.hwnd && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
}

void ScheduleForm::DeferKey(MSG& msg) {
    const WPARAM sequence = nextKeySequence_++;
    deferredKeys_.emplace_back(sequence, msg);
    // A loop that removes a message without dispatching it leaves its entry behind.
    while (deferredKeys_.size() > kMaxDeferredKeys) deferredKeys_.pop_front();
    msg.hwnd = hwnd_;
    msg.message = kMsgDeferredKey;
    msg.wParam = sequence;
    msg.lParam = 0;
}

void ScheduleForm::RouteDeferredKey(WPARAM sequence) {
    MSG msg{};
    bool found = false;
    while (!deferredKeys_.empty()) {
        const auto entry = deferredKeys_.front();
        deferredKeys_.pop_front();
        if (entry.first == sequence) {
            msg = entry.second;
            found = true;
            break;
        }
    }
    if (!found || !IsWindow(msg.hwnd)) return;

    // The dialog sees key releases before its controls: Esc closes it from anywhere.
    if (msg.message == WM_KEYUP && msg.wParam == VK_ESCAPE) {
        int shift = 0;
        if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
        if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
        if (GetKeyState(VK_MENU) < 0) shift |= 4;
        return Form_KeyUp(VK_ESCAPE, shift);
    }
    if (msg.message == WM_KEYDOWN) {
        const bool forward = msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT;
        const bool backward = msg.wParam == VK_UP || msg.wParam == VK_LEFT;
        if ((forward || backward) && OptionArrow(msg.hwnd, forward)) return;
    }
    // The dialog manager translates and dispatches whatever it does not use itself.
    if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace cadencer::dialog
