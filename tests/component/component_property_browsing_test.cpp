// What the control tells property browsers: its two property pages, the page that edits
// each property (the grid's "..." button), and OccursOption and EveryFrequency by name.
#include <gtest/gtest.h>

#include "component_page_support.h"

namespace cadencer_test {
namespace {

TEST(ComponentPropertyBrowsing, TheControlNamesItsTwoPages) {
    auto control = CreateInitialisedControl();
    ComPtr<ISpecifyPropertyPages> specify;
    ASSERT_EQ(control.As(&specify), S_OK);
    CAUUID pages{};
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 2u);
    EXPECT_EQ(pages.pElems[0], kSchedulePageClsid);
    EXPECT_EQ(pages.pElems[1], kDialogPageClsid);
    CoTaskMemFree(pages.pElems);
    EXPECT_EQ(specify->GetPages(nullptr), E_POINTER);

    // Both classes are served by the library and are property pages.
    for (const CLSID& clsid : {kSchedulePageClsid, kDialogPageClsid}) {
        ComPtr<IPropertyPage2> page;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page)), S_OK);
    }
}

TEST(ComponentPropertyBrowsing, EachPropertyMapsToItsPage) {
    auto control = CreateInitialisedControl();
    ComPtr<IPerPropertyBrowsing> browsing;
    ASSERT_EQ(control.As(&browsing), S_OK);
    const wchar_t* schedule[] = {L"OccursOption",     L"EveryInterval",    L"EveryFrequency", L"StartHour",
                                 L"StartMinute",      L"StartDate",        L"EndDate",        L"UseEndDate",
                                 L"SelectionsWeekly", L"SelectionsMonthly"};
    const wchar_t* dialog[] = {L"Title",
                               L"CaptionOKButtonBefore",
                               L"CaptionOKButtonAfter",
                               L"CaptionCloseButtonBefore",
                               L"CaptionCloseButtonAfter",
                               L"CaptionHelpButton",
                               L"Modal",
                               L"ShowHelpButton",
                               L"StartUpPosition",
                               L"StartUpLeft",
                               L"StartUpTop",
                               L"Enabled"};
    CLSID page{};
    for (const wchar_t* name : schedule) {
        EXPECT_EQ(browsing->MapPropertyToPage(DispatchIdOf(control.Get(), name), &page), S_OK) << name;
        EXPECT_EQ(page, kSchedulePageClsid) << name;
    }
    for (const wchar_t* name : dialog) {
        EXPECT_EQ(browsing->MapPropertyToPage(DispatchIdOf(control.Get(), name), &page), S_OK) << name;
        EXPECT_EQ(page, kDialogPageClsid) << name;
    }
    for (const wchar_t* name : {L"NextScheduledTime", L"LastScheduledTime", L"Icon", L"EveryHourMax"}) {
        const DISPID id = DispatchIdOf(control.Get(), name);
        EXPECT_NE(id, DISPID_UNKNOWN) << name;
        EXPECT_EQ(browsing->MapPropertyToPage(id, &page), PERPROP_E_NOPAGEAVAILABLE);
        EXPECT_EQ(page, CLSID_NULL);
    }
    EXPECT_EQ(browsing->MapPropertyToPage(12345, &page), PERPROP_E_NOPAGEAVAILABLE);
}

TEST(ComponentPropertyBrowsing, EnumeratedPropertiesShowTheirNames) {
    auto control = CreateInitialisedControl();
    ComPtr<IPerPropertyBrowsing> browsing;
    ASSERT_EQ(control.As(&browsing), S_OK);
    auto display = [&](DISPID id) {
        ScopedBstr text;
        const HRESULT hr = browsing->GetDisplayString(id, text.receive());
        return hr == S_OK ? std::wstring(text.get(), SysStringLen(text.get())) : L"<" + std::to_wstring(hr) + L">";
    };
    EXPECT_EQ(display(kDispOccursOption), L"Never");
    Occurs weekly = Weekly;
    control->put_OccursOption(&weekly);
    EXPECT_EQ(display(kDispOccursOption), L"Weekly");
    control->put_EveryFrequency(Minutes);
    EXPECT_EQ(display(kDispEveryFrequency), L"Minutes");
    // A stored value that is no member, and any other property, are left to the browser.
    Occurs unknown = static_cast<Occurs>(9);
    control->put_OccursOption(&unknown);
    EXPECT_EQ(display(kDispOccursOption), L"<" + std::to_wstring(E_NOTIMPL) + L">");
    EXPECT_EQ(display(kDispTitle), L"<" + std::to_wstring(E_NOTIMPL) + L">");

    CALPOLESTR strings{};
    CADWORD cookies{};
    ASSERT_EQ(browsing->GetPredefinedStrings(kDispOccursOption, &strings, &cookies), S_OK);
    ASSERT_EQ(strings.cElems, 5u);
    ASSERT_EQ(cookies.cElems, 5u);
    const wchar_t* expected[] = {L"Never", L"Daily", L"Weekly", L"Monthly", L"Every"};
    for (ULONG i = 0; i < 5; ++i) {
        EXPECT_STREQ(strings.pElems[i], expected[i]);
        EXPECT_EQ(cookies.pElems[i], i);
        CoTaskMemFree(strings.pElems[i]);
    }
    CoTaskMemFree(strings.pElems);
    CoTaskMemFree(cookies.pElems);
    VARIANT value;
    ASSERT_EQ(browsing->GetPredefinedValue(kDispEveryFrequency, 1, &value), S_OK);
    EXPECT_EQ(V_VT(&value), VT_I4);
    EXPECT_EQ(V_I4(&value), 1);
    EXPECT_EQ(browsing->GetPredefinedValue(kDispEveryFrequency, 2, &value), E_INVALIDARG);
    EXPECT_EQ(browsing->GetPredefinedStrings(kDispTitle, &strings, &cookies), E_NOTIMPL);
}

}  // namespace
}  // namespace cadencer_test
