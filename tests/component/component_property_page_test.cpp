// The property pages in a frame of the test's own: page information at the frame's DPI,
// edits tracked as dirty and told to the site, Apply through each control's IDispatch
// (corrections, change notices, dirty flag), the pages' checks refusing to apply, dialog
// keys, EditProperty, and the schedule in words on the page.
#include <gtest/gtest.h>

#include "component_page_support.h"

namespace cadencer_test {
namespace {

class PageTest : public ::testing::Test {
protected:
    // A page of `clsid` sited, given `objects` and shown in the host window.
    ComPtr<IPropertyPage2> OpenPage(const CLSID& clsid, std::vector<IUnknown*> objects) {
        ComPtr<IPropertyPage2> page;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
        if (!page) return page;
        EXPECT_EQ(page->SetPageSite(&site), S_OK);
        EXPECT_EQ(page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()), S_OK);
        RECT rect{0, 0, 640, 340};
        EXPECT_EQ(page->Activate(host.hwnd(), &rect, TRUE), S_OK);
        EXPECT_EQ(page->Show(SW_SHOW), S_OK);
        pageWindow = GetWindow(host.hwnd(), GW_CHILD);
        EXPECT_NE(pageWindow, nullptr);
        return page;
    }
    void ClosePage(ComPtr<IPropertyPage2>& page) {
        EXPECT_EQ(page->Deactivate(), S_OK);
        EXPECT_EQ(GetWindow(host.hwnd(), GW_CHILD), nullptr);
        EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);
        EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
        page.Reset();
        EXPECT_EQ(site.Refs(), 1u);
    }
    HWND Field(int id) const { return GetDlgItem(pageWindow, id); }
    void Click(int id) {
        SendMessageW(Field(id), BM_CLICK, 0, 0);
        PumpPending();
    }
    void SetText(int id, const wchar_t* text) {
        SetWindowTextW(Field(id), text);  // the edit tells its page EN_CHANGE
        PumpPending();
    }
    // The time picker set as a user does: the hour field, then the minutes, by arrow keys.
    void TypeTime(int hours, int minutes) {
        HWND picker = Field(field::TimeStart);
        SetFocus(picker);
        PostKey(picker, VK_RIGHT);
        for (int i = 0; i < hours; ++i) PostKey(picker, VK_UP);
        PostKey(picker, VK_RIGHT);
        for (int i = 0; i < minutes; ++i) PostKey(picker, VK_UP);
        PumpPending();
    }
    int Statuses() const {
        int count = 0;
        for (const auto& entry : log)
            if (entry == "OnStatusChange(" + std::to_string(PROPPAGESTATUS_DIRTY) + ")") ++count;
        return count;
    }

    CallLog log;
    RecordingPageSite site{&log};
    HostWindow host{700, 420};
    HWND pageWindow = nullptr;
};

TEST_F(PageTest, PageInformationComesFromTheTwipsDesignAtTheDpi) {
    ComPtr<IPropertyPage2> page;
    ASSERT_EQ(CoCreateInstance(kSchedulePageClsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const auto& [clsid, title, twipsWide, twipsHigh] : {std::tuple{kSchedulePageClsid, L"Schedule", 9270, 4620},
                                                             std::tuple{kDialogPageClsid, L"Dialog", 9270, 3090}}) {
        ComPtr<IPropertyPage> p;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&p)), S_OK);
        PROPPAGEINFO info{};
        ASSERT_EQ(p->GetPageInfo(&info), S_OK);
        EXPECT_STREQ(info.pszTitle, title);
        EXPECT_EQ(info.size.cx, MulDiv(twipsWide, dpi, 1440));
        EXPECT_EQ(info.size.cy, MulDiv(twipsHigh, dpi, 1440));
        CoTaskMemFree(info.pszTitle);
    }
    // A frame sets its site once.
    EXPECT_EQ(page->SetPageSite(&site), S_OK);
    EXPECT_EQ(page->SetPageSite(&site), E_UNEXPECTED);
    EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
    // Without a window there is nothing to show, move or edit.
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    EXPECT_EQ(page->EditProperty(kDispStartDate), E_UNEXPECTED);
    IUnknown* notDispatch = &site;
    EXPECT_EQ(page->SetObjects(1, &notDispatch), E_NOINTERFACE);
}

TEST_F(PageTest, ScheduleEditsTrackDirtyAndApplyThroughTheControlsLets) {
    auto control = CreateInitialisedControl();
    RecordingNotifySink sink(&log);
    Advice advice(control.Get(), IID_IPropertyNotifySink, &sink);
    auto page = OpenPage(kSchedulePageClsid, {control.Get()});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_NE(TextOf(Field(field::Summary)).find(L"Never."), std::wstring::npos);
    // Loading marks nothing: only what the user does.
    EXPECT_EQ(Statuses(), 0);

    Click(field::Weekly);
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(Statuses(), 1);
    Click(field::Monday);
    Click(field::Friday);
    TypeTime(9, 30);
    EXPECT_EQ(Statuses(), 1);  // the site hears of the first edit
    EXPECT_EQ(TextOf(Field(field::Summary)).rfind(L"Weekly on Monday and Friday at 09:30, from ", 0), 0u)
        << std::string(TextOf(Field(field::Summary)).begin(), TextOf(Field(field::Summary)).end());
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 0);  // nothing applied yet
    EXPECT_FALSE(IsControlDirty(control.Get()));

    log.clear();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 2);
    EXPECT_EQ(PropertyText(control.Get(), L"SelectionsWeekly"), L"0100010");
    EXPECT_EQ(PropertyNumber(control.Get(), L"StartHour"), 9);
    EXPECT_EQ(PropertyNumber(control.Get(), L"StartMinute"), 30);
    EXPECT_TRUE(IsControlDirty(control.Get()));
    // Only what changed was set, each announced by the control.
    for (const char* notice :
         {"OnChanged(6803000f)", "OnChanged(68030001)", "OnChanged(68030006)", "OnChanged(68030005)"})
        EXPECT_GE(IndexOf(log, notice), 0) << notice << " in " << Joined(log);
    EXPECT_EQ(log.size(), 4u) << Joined(log);
    // A second Apply with no edit in between sets nothing.
    log.clear();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_TRUE(log.empty());
    ClosePage(page);
}

TEST_F(PageTest, TheDialogsChecksKeepAScheduleFromBeingApplied) {
    auto control = CreateInitialisedControl();
    control->put_StartDate(46000);
    control->put_EndDate(46010);
    auto page = OpenPage(kSchedulePageClsid, {control.Get()});
    ASSERT_TRUE(page);
    Click(field::Weekly);
    Click(field::EndUsed);
    std::vector<std::wstring> boxes = WithMessageBoxes([&] { EXPECT_EQ(page->Apply(), E_FAIL); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"At least one weekday must be selected.");
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(GetFocus(), Field(field::Monday));
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 0);
    EXPECT_EQ(PropertyNumber(control.Get(), L"UseEndDate"), 0);

    // Without an end date the empty week is saved, as by the dialog.
    Click(field::NoEnd);
    EXPECT_TRUE(WithMessageBoxes([&] { EXPECT_EQ(page->Apply(), S_OK); }).empty());
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 2);
    ClosePage(page);
}

TEST_F(PageTest, EveryKeepsTheNumberWithinTheUnitsLimits) {
    auto control = CreateInitialisedControl();
    control->put_EveryInterval(500);
    control->put_EveryHourMax(24);
    auto page = OpenPage(kSchedulePageClsid, {control.Get()});
    ASSERT_TRUE(page);
    // Loading pulls the shown number into the hour limits; an opened page applies nothing.
    EXPECT_FALSE(IsWindowEnabled(Field(field::EveryCombo)));
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(PropertyNumber(control.Get(), L"EveryInterval"), 500);
    Click(field::Every);
    EXPECT_TRUE(IsWindowEnabled(Field(field::EveryCombo)));
    EXPECT_FALSE(IsWindowEnabled(Field(field::TimeStart)));
    // An edited page stores the number it shows, as the dialog's OK does.
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(PropertyNumber(control.Get(), L"OccursOption"), 4);
    EXPECT_EQ(PropertyNumber(control.Get(), L"EveryInterval"), 24);
    EXPECT_NE(TextOf(Field(field::Summary)).find(L"Every 24 hours."), std::wstring::npos);
    ClosePage(page);
}

TEST_F(PageTest, DialogPageSetsEveryControlAndShowsTheirCorrections) {
    auto a = CreateInitialisedControl();
    auto b = CreateInitialisedControl();
    b->put_Modal(VARIANT_FALSE);
    auto page = OpenPage(kDialogPageClsid, {a.Get(), b.Get()});
    ASSERT_TRUE(page);
    EXPECT_EQ(TextOf(Field(field::Title)), L"Schedule");
    SetText(field::Title, L"");
    Click(field::Modal);
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    EXPECT_EQ(page->Apply(), S_OK);
    // Modal is each control's own; the empty title became the let's default.
    EXPECT_EQ(PropertyNumber(a.Get(), L"Modal"), -1);
    EXPECT_EQ(PropertyNumber(b.Get(), L"Modal"), -1);
    EXPECT_EQ(PropertyText(a.Get(), L"Title"), L"Schedule");
    EXPECT_EQ(TextOf(Field(field::Title)), L"Schedule");

    SetText(field::Left, L"twelve");
    std::vector<std::wstring> boxes = WithMessageBoxes([&] { EXPECT_EQ(page->Apply(), E_FAIL); });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], L"The left position must be a whole number of twips.");
    SetText(field::Left, L"-1440");
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(PropertyNumber(b.Get(), L"StartUpLeft"), -1440);
    ClosePage(page);
}

TEST_F(PageTest, KeysAndEditPropertyReachThePagesFields) {
    auto control = CreateInitialisedControl();
    auto page = OpenPage(kSchedulePageClsid, {control.Get()});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->EditProperty(kDispOccursOption), S_OK);
    EXPECT_EQ(GetFocus(), Field(110));                     // "Never", the selected kind
    EXPECT_EQ(page->EditProperty(kDispTitle), E_NOTIMPL);  // the other page's

    // Tab moves on within the page, to the next field the kind uses: the page answers the
    // frame's TranslateAccelerator.
    Click(field::Weekly);
    EXPECT_EQ(page->EditProperty(kDispOccursOption), S_OK);
    EXPECT_EQ(GetFocus(), Field(field::Weekly));
    MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_EQ(page->TranslateAccelerator(&tab), S_OK);
    EXPECT_EQ(GetFocus(), Field(field::TimeStart));
    MSG elsewhere{host.hwnd(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
    EXPECT_EQ(page->TranslateAccelerator(&elsewhere), S_FALSE);

    EXPECT_EQ(page->EditProperty(kDispStartDate), S_OK);
    EXPECT_EQ(GetFocus(), Field(field::DateStart));
    EXPECT_EQ(page->EditProperty(kDispStartMinute), S_OK);  // shown by the time picker with the hour
    EXPECT_EQ(GetFocus(), Field(field::TimeStart));
    ClosePage(page);
}

}  // namespace
}  // namespace cadencer_test
