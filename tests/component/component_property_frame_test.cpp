// The property pages in the platform's own property frame (OleCreatePropertyFrame) on a
// live control: both pages shown as tabs, a weekly Monday-and-Friday schedule at 09:30
// made with keys and clicks and applied by OK (the control reads it back, announced the
// changes and is dirty), and Cancel, which applies nothing. The frame is modal: a thread
// timer runs the script's steps inside its message loop, each polled until it is done.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "component_page_support.h"

namespace cadencer_test {
namespace {

constexpr wchar_t kCaption[] = L"Backup timer";

struct Script {
    std::vector<std::function<bool()>> steps;
    std::size_t next = 0;
    ULONGLONG deadline = 0;
    bool finished = false;
    HWND frame = nullptr;
};
Script* g_script = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR, DWORD) {
    Script& s = *g_script;
    if (s.finished) return;
    if (GetTickCount64() > s.deadline) {
        // A step that never completes must not leave the modal frame open for ever.
        ADD_FAILURE() << "step " << s.next << " did not complete";
        s.finished = true;
        if (s.frame) PostMessageW(s.frame, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    while (s.next < s.steps.size() && s.steps[s.next]()) ++s.next;
    s.finished = s.next == s.steps.size();
}

// The property frame of this thread: a visible dialog holding a tab control.
HWND FindFrame() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            if (IsWindowVisible(window) && FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<std::wstring> TabTitles(HWND frame) {
    std::vector<std::wstring> titles;
    HWND tabs = FindWindowExW(frame, nullptr, WC_TABCONTROLW, nullptr);
    const int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        titles.push_back(text);
    }
    return titles;
}

class FrameTest : public ::testing::Test {
protected:
    // Opens the frame on the control's own pages and runs the script while it is up.
    void RunFrame(IUnknown* control, std::vector<std::function<bool()>> steps) {
        ComPtr<ISpecifyPropertyPages> specify;
        ASSERT_EQ(control->QueryInterface(IID_PPV_ARGS(&specify)), S_OK);
        CAUUID pages{};
        ASSERT_EQ(specify->GetPages(&pages), S_OK);
        Script script;
        // Find the frame first; every later step may use it.
        script.steps.push_back([&script] { return (script.frame = FindFrame()) != nullptr; });
        for (auto& step : steps) script.steps.push_back(std::move(step));
        script.deadline = GetTickCount64() + 30000;
        g_script = &script;
        frame = &script.frame;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunScript);
        IUnknown* objects[] = {control};
        EXPECT_EQ(OleCreatePropertyFrame(host.hwnd(), 10, 10, kCaption, 1, objects, pages.cElems, pages.pElems, 0x409,
                                         0, nullptr),
                  S_OK);
        KillTimer(nullptr, timer);
        g_script = nullptr;
        CoTaskMemFree(pages.pElems);
        EXPECT_TRUE(script.finished && script.next == script.steps.size()) << "stopped at step " << script.next;
    }

    // The field of the page now shown (each page's fields are its own window's children).
    HWND Field(int id) const { return FindDescendant(*frame, id); }
    // A step that posts a click on a field.
    std::function<bool()> ClickStep(int id) {
        return [this, id] {
            HWND field = Field(id);
            if (!field) return false;
            PostMessageW(field, BM_CLICK, 0, 0);
            return true;
        };
    }
    // Steps that set the time picker by its keys: the hour field, then the minutes.
    void TimeSteps(std::vector<std::function<bool()>>& steps, int hours, int minutes) {
        steps.push_back([this, hours, minutes] {
            HWND picker = Field(field::TimeStart);
            if (!picker || !IsWindowEnabled(picker)) return false;
            SetFocus(picker);
            PostKey(picker, VK_RIGHT);
            for (int i = 0; i < hours; ++i) PostKey(picker, VK_UP);
            PostKey(picker, VK_RIGHT);
            for (int i = 0; i < minutes; ++i) PostKey(picker, VK_UP);
            return true;
        });
    }
    // The frame's own buttons.
    std::function<bool()> FrameButtonStep(int id) {
        return [this, id] {
            PostMessageW(*frame, WM_COMMAND, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(GetDlgItem(*frame, id)));
            return true;
        };
    }

    HostWindow host{300, 200};
    HWND* frame = nullptr;
    std::vector<std::wstring> tabs;
    std::wstring dialogTitleField;
};

TEST_F(FrameTest, OkAppliesAWeeklyScheduleMadeWithKeysAndClicks) {
    auto control = CreateInitialisedControl();
    CallLog log;
    RecordingNotifySink sink(&log);
    Advice advice(control.Get(), IID_IPropertyNotifySink, &sink);
    std::vector<std::function<bool()>> steps;
    steps.push_back([this] {
        tabs = TabTitles(*frame);
        return Field(field::Weekly) != nullptr;
    });
    // The second page is there too: its tab shows the dialog's fields.
    steps.push_back([this] {
        SendMessageW(*frame, PSM_SETCURSEL, 1, 0);
        return true;
    });
    steps.push_back([this] {
        HWND title = Field(field::Title);
        if (!title || !IsWindowVisible(title)) return false;
        dialogTitleField = TextOf(title);
        SendMessageW(*frame, PSM_SETCURSEL, 0, 0);
        return true;
    });
    steps.push_back(ClickStep(field::Weekly));
    steps.push_back(ClickStep(field::Monday));
    steps.push_back(ClickStep(field::Friday));
    TimeSteps(steps, 9, 30);
    steps.push_back([this] {
        // Wait for the keys to be handled before OK.
        SYSTEMTIME st{};
        SendMessageW(Field(field::TimeStart), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return st.wHour == 9 && st.wMinute == 30;
    });
    steps.push_back(FrameButtonStep(IDOK));
    RunFrame(control.Get(), std::move(steps));

    EXPECT_EQ(tabs, (std::vector<std::wstring>{L"Schedule", L"Dialog"}));
    EXPECT_EQ(dialogTitleField, L"Schedule");
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 2);
    EXPECT_EQ(PropertyText(control.Get(), L"SelectionsWeekly"), L"0100010");
    EXPECT_EQ(PropertyNumber(control.Get(), L"StartHour"), 9);
    EXPECT_EQ(PropertyNumber(control.Get(), L"StartMinute"), 30);
    for (const char* notice :
         {"OnChanged(6803000f)", "OnChanged(68030001)", "OnChanged(68030006)", "OnChanged(68030005)"})
        EXPECT_GE(IndexOf(log, notice), 0) << notice << " in " << Joined(log);
    EXPECT_TRUE(IsControlDirty(control.Get()));
}

TEST_F(FrameTest, CancelAppliesNothing) {
    auto control = CreateInitialisedControl();
    CallLog log;
    RecordingNotifySink sink(&log);
    Advice advice(control.Get(), IID_IPropertyNotifySink, &sink);
    std::vector<std::function<bool()>> steps;
    steps.push_back(ClickStep(field::Weekly));
    steps.push_back(ClickStep(field::Monday));
    TimeSteps(steps, 9, 30);
    steps.push_back([this] {
        SYSTEMTIME st{};
        SendMessageW(Field(field::TimeStart), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st));
        return st.wHour == 9 && st.wMinute == 30;
    });
    steps.push_back(FrameButtonStep(IDCANCEL));
    RunFrame(control.Get(), std::move(steps));

    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 0);
    EXPECT_EQ(PropertyText(control.Get(), L"SelectionsWeekly"), L"0000000");
    EXPECT_EQ(PropertyNumber(control.Get(), L"StartHour"), 24);
    EXPECT_TRUE(log.empty()) << Joined(log);
    EXPECT_FALSE(IsControlDirty(control.Get()));
}

}  // namespace
}  // namespace cadencer_test
