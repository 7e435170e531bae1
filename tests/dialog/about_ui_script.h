// Drives the modal about box from inside its own message loop: a thread timer runs the
// script's steps one at a time, each polled until it reports done, so a test can wait for
// a window, read it and press its buttons while ShowModal runs. Clicks are posted, never
// sent, so a step never waits inside a handler that opens a message box. After its last
// step a script waits for every dialog of the thread to go: a close that does not work
// (a broken Esc) fails within the script's time-out instead of hanging the modal loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace about_test {

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline std::wstring ClassName(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Visible dialog-class windows of this thread (the about box, message boxes).
inline std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            if (IsWindowVisible(window) && ClassName(window) == L"#32770")
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

inline HWND FindAboutBox() {
    for (HWND window : ThreadDialogs())
        if (WindowText(window) == L" About Cadencer") return window;
    return nullptr;
}

// A message box owned by owner (null: any message box of this thread).
inline HWND FindMessageBox(HWND owner = nullptr) {
    for (HWND window : ThreadDialogs()) {
        if (WindowText(window) == L" About Cadencer") continue;
        if (!owner || GetWindow(window, GW_OWNER) == owner) return window;
    }
    return nullptr;
}

struct MessageBoxContent {
    std::wstring title;
    std::wstring text;
    std::vector<std::wstring> buttons;
};

inline MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content{WindowText(box), {}, {}};
    // The message text is the static with the identifier 0xFFFF.
    if (HWND text = GetDlgItem(box, 0xFFFF)) content.text = WindowText(text);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && _wcsicmp(ClassName(child).c_str(), L"Button") == 0)
            content.buttons.push_back(WindowText(child));
    return content;
}

inline void Click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

// A real mouse click on a label: the press is what a notifying static reports.
inline void ClickLabel(HWND label) {
    PostMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

class UiScript {
public:
    using Step = std::function<bool()>;

    // onTimeout closes whatever is open so that the modal call under test returns.
    explicit UiScript(std::function<void()> onTimeout, DWORD timeoutMs = 10000)
        : onTimeout_(std::move(onTimeout)), timeoutMs_(timeoutMs) {}
    ~UiScript() { Stop(); }
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    // A step that is polled until it returns true.
    UiScript& WaitFor(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    // A step that runs once.
    UiScript& Then(std::function<void()> action) {
        steps_.push_back([action = std::move(action)] {
            action();
            return true;
        });
        return *this;
    }

    void Start() {
        current_ = this;
        started_ = GetTickCount64();
        timer_ = SetTimer(nullptr, 0, 15, &UiScript::Tick);
    }
    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->Advance();
    }

    void Advance() {
        if (running_) return;
        running_ = true;
        while (next_ < steps_.size() && steps_[next_]()) ++next_;
        running_ = false;
        if (Finished() && ThreadDialogs().empty()) {
            Stop();
        } else if (GetTickCount64() - started_ > timeoutMs_) {
            if (Finished())
                ADD_FAILURE() << "UI script: a window is still open after the last step";
            else
                ADD_FAILURE() << "UI script timed out at step " << next_;
            Stop();
            onTimeout_();
        }
    }

    void Stop() {
        if (timer_) KillTimer(nullptr, timer_);
        timer_ = 0;
        if (current_ == this) current_ = nullptr;
    }

    static inline UiScript* current_ = nullptr;
    std::function<void()> onTimeout_;
    DWORD timeoutMs_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
    ULONGLONG started_ = 0;
    bool running_ = false;
};

}  // namespace about_test
