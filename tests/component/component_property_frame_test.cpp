// The property pages in the platform's own property frame (OleCreatePropertyFrame) on a
// live control: both pages shown as tabs, a weekly Monday-and-Friday schedule at 09:30
// made with keys and clicks and applied by OK (the control reads it back, announced the
// changes and is dirty), and Cancel, which applies nothing. The Properties verb opens the
// same frame from a container (in design and run mode, captioned with the container's
// name for the control), keeps the control alive while it runs and brings it forward when
// asked again; EnumVerbs lists it. The frame is modal: a thread timer runs the script's
// steps inside its message loop, each polled until it is done. Last, the pages' watch on
// the frame's page area leaves that window's subclass chain whole when it goes.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "component_fake_container.h"
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

// The property frames of this thread: visible dialogs holding a tab control.
std::vector<HWND> Frames() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) WINAPI -> BOOL {
            if (IsWindowVisible(window) && FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr))
                reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindFrame() {
    const auto frames = Frames();
    return frames.empty() ? nullptr : frames.front();
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
        RunModal(
            [&] {
                IUnknown* objects[] = {control};
                EXPECT_EQ(OleCreatePropertyFrame(host.hwnd(), 10, 10, kCaption, 1, objects, pages.cElems, pages.pElems,
                                                 0x409, 0, nullptr),
                          S_OK);
            },
            std::move(steps));
        CoTaskMemFree(pages.pElems);
    }

    // Runs `open`, which shows a modal frame, with the script running while it is up.
    void RunModal(const std::function<void()>& open, std::vector<std::function<bool()>> steps) {
        Script script;
        // Find the frame first; every later step may use it.
        script.steps.push_back([&script] { return (script.frame = FindFrame()) != nullptr; });
        for (auto& step : steps) script.steps.push_back(std::move(step));
        script.deadline = GetTickCount64() + 30000;
        g_script = &script;
        frame = &script.frame;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, RunScript);
        open();
        KillTimer(nullptr, timer);
        g_script = nullptr;
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

std::wstring Caption(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST(PropertiesVerb, EnumVerbsListsThePropertiesVerb) {
    auto control = CreateInitialisedControl();
    ComPtr<IOleObject> object;
    ASSERT_EQ(control.As(&object), S_OK);
    ComPtr<IEnumOLEVERB> verbs;
    ASSERT_EQ(object->EnumVerbs(&verbs), S_OK);
    std::vector<std::wstring> listed;
    OLEVERB verb{};
    while (verbs->Next(1, &verb, nullptr) == S_OK) {
        listed.push_back(std::to_wstring(verb.lVerb) + L" " + verb.lpszVerbName + L" " + std::to_wstring(verb.fuFlags) +
                         L" " + std::to_wstring(verb.grfAttribs));
        CoTaskMemFree(verb.lpszVerbName);
    }
    EXPECT_EQ(listed, (std::vector<std::wstring>{L"1 &Properties... 0 2"}));
}

// DoVerb(OLEIVERB_PROPERTIES) and the registered verb 1, at design and at run time: the
// frame holds both pages, is captioned with the container's name for the control (or
// "Cadencer" when the container gives none), and DoVerb returns once it is closed.
TEST_F(FrameTest, ThePropertiesVerbOpensBothPagesInDesignAndRunMode) {
    struct Case {
        LONG verb;
        bool userMode;
        const wchar_t* displayName;
        const wchar_t* captioned;
    };
    const Case cases[] = {{OLEIVERB_PROPERTIES, false, L"Backup timer", L"Backup timer"},
                          {OLEIVERB_PROPERTIES, true, L"Backup timer", L"Backup timer"},
                          {1, true, L"", L"Cadencer"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "verb " << c.verb << (c.userMode ? ", run mode" : ", design mode"));
        CallLog log;
        FakeContainer container(&log, c.userMode);
        container.displayName = c.displayName;
        auto control = CreateInitialisedControl();
        ComPtr<IOleObject> object;
        ASSERT_EQ(control.As(&object), S_OK);
        ASSERT_EQ(object->SetClientSite(&container), S_OK);
        std::wstring caption;
        tabs.clear();
        std::vector<std::function<bool()>> steps;
        steps.push_back([&] {
            tabs = TabTitles(*frame);
            caption = Caption(*frame);
            return Field(field::Weekly) != nullptr;
        });
        steps.push_back(FrameButtonStep(IDCANCEL));
        HRESULT hr = E_FAIL;
        RunModal([&] { hr = object->DoVerb(c.verb, nullptr, &container, 0, host.hwnd(), nullptr); }, std::move(steps));
        EXPECT_EQ(hr, S_OK);
        EXPECT_TRUE(Frames().empty());
        EXPECT_EQ(tabs, (std::vector<std::wstring>{L"Schedule", L"Dialog"}));
        EXPECT_NE(caption.find(c.captioned), std::wstring::npos) << std::string(caption.begin(), caption.end());
        EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
    }
}

// A second DoVerb while the frame is open brings that frame forward and opens no other;
// the container may let go of the control meanwhile: the frame keeps it until it closes,
// OK still applies to it, and it goes once the frame is closed.
TEST_F(FrameTest, ThePropertiesVerbKeepsOneFrameAndTheControlWhileItRuns) {
    CallLog log;
    FakeContainer container(&log, false);
    RecordingNotifySink sink(&log);
    auto control = CreateInitialisedControl();
    ComPtr<IOleObject> object;
    ASSERT_EQ(control.As(&object), S_OK);
    ASSERT_EQ(object->SetClientSite(&container), S_OK);
    {
        // Advised without holding the connection point, which would hold the control.
        ComPtr<IConnectionPointContainer> points;
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(control.As(&points), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    }
    control.Reset();
    IOleObject* raw = object.Get();
    HostWindow other(100, 100);
    HRESULT again = E_FAIL;
    std::size_t framesAfterAgain = 0;
    bool broughtForward = false;
    ULONG sinkRefsWhileOpen = 0;
    std::vector<std::function<bool()>> steps;
    steps.push_back([&] {
        SetForegroundWindow(other.hwnd());
        return GetForegroundWindow() == other.hwnd();
    });
    steps.push_back([&] {
        again = raw->DoVerb(OLEIVERB_PROPERTIES, nullptr, &container, 0, host.hwnd(), nullptr);
        framesAfterAgain = Frames().size();
        broughtForward = GetForegroundWindow() == *frame;
        // The container lets go of the control.
        object.Reset();
        sinkRefsWhileOpen = sink.Refs();
        return true;
    });
    steps.push_back(ClickStep(field::Weekly));
    steps.push_back([this] {
        HWND weekly = Field(field::Weekly);
        return weekly && SendMessageW(weekly, BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
    steps.push_back(FrameButtonStep(IDOK));
    HRESULT hr = E_FAIL;
    RunModal([&] { hr = raw->DoVerb(OLEIVERB_PROPERTIES, nullptr, &container, 0, host.hwnd(), nullptr); },
             std::move(steps));
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(again, S_OK);
    EXPECT_EQ(framesAfterAgain, 1u);
    EXPECT_TRUE(broughtForward);
    EXPECT_EQ(sinkRefsWhileOpen, 2u) << "the control was released while its frame was open";
    EXPECT_GE(IndexOf(log, "OnChanged(6803000f)"), 0) << Joined(log);
    // The frame closed, the control went and let go of the sink.
    EXPECT_EQ(sink.Refs(), 1u);
    EXPECT_EQ(container.Refs(), 1u);
}

TEST_F(FrameTest, ThePrimaryVerbStillActivatesInPlace) {
    CallLog log;
    FakeContainer container(&log, false);
    auto control = CreateInitialisedControl();
    ComPtr<IOleObject> object;
    ASSERT_EQ(control.As(&object), S_OK);
    ASSERT_EQ(object->SetClientSite(&container), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, &container, 0, container.Window(), &container.position), S_OK);
    EXPECT_GE(IndexOf(log, "OnInPlaceActivate"), 0) << Joined(log);
    EXPECT_TRUE(Frames().empty());
    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(control.As(&inPlace), S_OK);
    EXPECT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
}

// ---- The pages' watch on the frame's page area

int g_areaMessages = 0, g_otherMessages = 0;
WNDPROC g_procBelowByHand = nullptr;

INT_PTR CALLBACK AreaProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_APP) ++g_areaMessages;
    return message == WM_INITDIALOG;
}

LRESULT CALLBACK OtherSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_APP) ++g_otherMessages;
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK OtherByHand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++g_otherMessages;
    return CallWindowProcW(g_procBelowByHand, window, message, wParam, lParam);
}

// A page shown in a page area (a dialog, as a property sheet's are) watches it; another
// procedure then subclasses the area, by the subclass API or by hand, and the page goes.
// The area's own procedure and the other one still receive every message, before and
// after the other one leaves.
TEST(PageAreaWatch, RemovingThePageLeavesTheAreasChainWhole) {
    auto control = CreateInitialisedControl();
    for (const bool byHand : {false, true}) {
        SCOPED_TRACE(byHand ? "a procedure set by hand above the watch" : "a subclass above the watch");
        // No menu, class or caption.
        const struct {
            DLGTEMPLATE dialog;
            WORD none[3];
        } area{{WS_POPUP | DS_CONTROL, WS_EX_CONTROLPARENT, 0, 0, 0, 200, 150}, {}};
        HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &area.dialog, nullptr, AreaProc, 0);
        ASSERT_NE(window, nullptr);
        const auto ownProc = GetWindowLongPtrW(window, GWLP_WNDPROC);
        CallLog log;
        RecordingPageSite site(&log);
        ComPtr<IPropertyPage> page;
        ASSERT_EQ(CoCreateInstance(kSchedulePageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
        ASSERT_EQ(page->SetPageSite(&site), S_OK);
        IUnknown* objects[] = {control.Get()};
        ASSERT_EQ(page->SetObjects(1, objects), S_OK);
        RECT rect{0, 0, 400, 300};
        ASSERT_EQ(page->Activate(window, &rect, FALSE), S_OK);
        EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), ownProc) << "the page does not watch its area";

        if (byHand)
            g_procBelowByHand = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherByHand)));
        else
            ASSERT_TRUE(SetWindowSubclass(window, OtherSubclass, 7, 0));
        EXPECT_EQ(page->Deactivate(), S_OK);
        g_areaMessages = g_otherMessages = 0;
        SendMessageW(window, WM_APP, 0, 0);
        EXPECT_EQ(g_areaMessages, 1);
        EXPECT_EQ(g_otherMessages, 1);

        // The other procedure leaves as it came.
        if (byHand)
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_procBelowByHand));
        else
            EXPECT_TRUE(RemoveWindowSubclass(window, OtherSubclass, 7));
        SendMessageW(window, WM_APP, 0, 0);
        EXPECT_EQ(g_areaMessages, 2);
        EXPECT_EQ(g_otherMessages, 1);
        // With no one above it, the watch is gone entirely.
        if (!byHand) {
            EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), ownProc);
        }

        EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
        EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
        page.Reset();
        EXPECT_TRUE(DestroyWindow(window));
    }
}

}  // namespace
}  // namespace cadencer_test
