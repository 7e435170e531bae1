// Digitfield for accessibility clients and across a DPI change: the text box, the control
// and its drawn spinner read the host's name and the number shown; the spinner is a spin
// button whose arrows are its children and can be pressed through the client; a new DPI
// lays the parts out again from their twips.
#include <gtest/gtest.h>

#include "accessibility_reader.h"
#include "numberentry_wine_support.h"
#include "win/accessible.h"
#include "win/module_lock.h"

namespace cadencer::numberentry::wine {
namespace {

using accessibility_test::Accessible;
using accessibility_test::ComScope;

TEST(DigitfieldAccessibility, TheFieldItsTextBoxAndItsSpinnerCarryTheHostsNameAndTheNumber) {
    ComScope com;
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetFormat(u"###");
    form.control.SetValue(Variant::I16(12));
    form.control.SetAccessibleName(u"Every hour(s)");
    Pump();

    for (HWND part : {form.control.ControlWindow(), form.Edit(), form.Spinner()}) {
        Accessible object(part);
        ASSERT_TRUE(object.Valid());
        EXPECT_EQ(object.Name(), L"Every hour(s)");
        EXPECT_EQ(object.Value(), L"12");
    }
    EXPECT_EQ(Accessible(form.Edit()).Role(), ROLE_SYSTEM_TEXT);  // the platform's own for a text box

    // What the user typed and has not committed yet is what a client reads too.
    form.FocusControl();
    form.Type("7");
    EXPECT_EQ(Accessible(form.Edit()).Value(), L"7");

    form.control.SetAccessibleName(u"Every minute(s)");
    EXPECT_EQ(Accessible(form.Spinner()).Name(), L"Every minute(s)");
}

TEST(DigitfieldAccessibility, TheSpinnersArrowsAreChildrenThatAClientCanPress) {
    ComScope com;
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetFormat(u"###");
    form.control.SetUpDownIncrement(5);
    form.control.SetValue(Variant::I16(10));
    Pump();
    Accessible spinner(form.Spinner());
    ASSERT_TRUE(spinner.Valid());
    EXPECT_EQ(spinner.Role(), ROLE_SYSTEM_SPINBUTTON);
    ASSERT_EQ(spinner.ChildCount(), 2);
    EXPECT_EQ(spinner.Name(1), L"Up");
    EXPECT_EQ(spinner.Name(2), L"Down");
    EXPECT_EQ(spinner.Role(1), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(spinner.DefaultAction(2), L"Press");
    EXPECT_EQ(spinner.State(1) & STATE_SYSTEM_UNAVAILABLE, 0);

    // The arrows are the spinner's halves, and a point in either finds it.
    RECT whole;
    GetWindowRect(form.Spinner(), &whole);
    const RECT up = spinner.Location(1), down = spinner.Location(2);
    EXPECT_EQ(up.top, whole.top);
    EXPECT_EQ(up.bottom, down.top);
    EXPECT_EQ(down.bottom, whole.bottom);
    EXPECT_EQ(up.left, whole.left);
    EXPECT_EQ(up.right, whole.right);
    EXPECT_EQ(spinner.HitTest({(down.left + down.right) / 2, down.bottom - 2}), 2);
    EXPECT_EQ(spinner.HitTest({(up.left + up.right) / 2, up.top + 2}), 1);

    // Pressing them steps the number as a click does, with the click's events.
    form.events.log.clear();
    EXPECT_EQ(spinner.DoDefaultAction(1), S_OK);
    EXPECT_EQ(*form.control.Value().ToDouble(), 15);
    EXPECT_EQ(spinner.DoDefaultAction(2), S_OK);
    EXPECT_EQ(spinner.DoDefaultAction(2), S_OK);
    EXPECT_EQ(*form.control.Value().ToDouble(), 5);
    EXPECT_EQ(form.events.Count("Click"), 3);
    EXPECT_EQ(spinner.Value(), L"5");

    // A disabled field's arrows are unavailable and do nothing.
    form.control.SetEnabled(false);
    EXPECT_NE(spinner.State(1) & STATE_SYSTEM_UNAVAILABLE, 0);
    spinner.DoDefaultAction(1);
    EXPECT_EQ(*form.control.Value().ToDouble(), 5);
}

// An object a client still holds after the control is gone answers without the control.
TEST(DigitfieldAccessibility, AnObjectOutlivingItsControlIsHarmless) {
    ComScope com;
    auto form = std::make_unique<Form>();
    form->control.SetUpDownFunction(true);
    form->control.SetAccessibleName(u"Count");
    Accessible spinner(form->Spinner());
    ASSERT_TRUE(spinner.Valid());
    EXPECT_EQ(spinner.Name(), L"Count");
    form.reset();
    EXPECT_NE(spinner.Name(), L"Count");
    EXPECT_NE(spinner.DoDefaultAction(1), S_OK);
}

// The commons' facts over the platform's proxy: the name replaces the window's text, the
// role and states stand in only where the proxy says no more than "client", and serving a
// window again replaces its facts.
TEST(AccessibleFacts, NameRoleAndStateOverThePlatformsProxy) {
    ComScope com;
    Form form;
    const HWND box = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_3STATE, 10, 10, 20, 20, form.window,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
    const HWND text = CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, 40, 10, 60, 20, form.window, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    win::AccessibleFacts facts;
    facts.name = [] { return std::wstring(L"Day 7"); };
    facts.role = ROLE_SYSTEM_CHECKBUTTON;
    facts.state = [box] { return static_cast<LONG>(SendMessageW(box, BM_GETCHECK, 0, 0) ? STATE_SYSTEM_CHECKED : 0); };
    ASSERT_TRUE(win::ServeAccessibleFacts(box, facts));
    EXPECT_EQ(Accessible(box).Name(), L"Day 7");
    EXPECT_EQ(Accessible(box).Role(), ROLE_SYSTEM_CHECKBUTTON);
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_NE(Accessible(box).State() & STATE_SYSTEM_CHECKED, 0);

    facts.name = [] { return std::wstring(L"Day 8"); };
    ASSERT_TRUE(win::ServeAccessibleFacts(box, facts));
    EXPECT_EQ(Accessible(box).Name(), L"Day 8");

    // The text box's proxy knows its role: the facts' role does not replace it.
    win::AccessibleFacts named;
    named.name = [] { return std::wstring(L"Comment"); };
    named.role = ROLE_SYSTEM_PUSHBUTTON;
    ASSERT_TRUE(win::ServeAccessibleFacts(text, named));
    Accessible edit(text);
    EXPECT_EQ(edit.Name(), L"Comment");
    EXPECT_EQ(edit.Role(), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(edit.Value(), L"abc");       // the proxy's own value, no facts for it
    EXPECT_EQ(win::ModuleLockCount(), 1);  // the proxy keeps the library loaded
}

// The parent tells the control of a new DPI and moves it; the control lays its parts out
// from their twips: the spinner 240 twips wide, the control at least 255 twips high.
TEST(DigitfieldDpi, ANewDpiLaysThePartsOutAgain) {
    Form form;
    form.control.SetUpDownFunction(true);
    Pump();
    const int dpi = form.control.Dpi();
    RECT spinner = form.ChildRect(form.Spinner());
    EXPECT_EQ(spinner.right - spinner.left, MulDiv(240, dpi, 1440));

    form.control.ApplyDpi(144);
    EXPECT_EQ(form.control.Dpi(), 144);
    // Moved as the parent does after a change, to the design of 1740 x 255 twips at 144 DPI.
    form.control.MoveTwips(150, 150, 1740, 255);
    Pump();
    RECT client;
    GetClientRect(form.control.ControlWindow(), &client);
    EXPECT_EQ(client.right, MulDiv(1740, 144, 1440));
    EXPECT_EQ(client.bottom, (255 * 144 + 1439) / 1440);
    spinner = form.ChildRect(form.Spinner());
    const RECT text = form.ChildRect(form.Edit());
    EXPECT_EQ(spinner.right - spinner.left, MulDiv(240, 144, 1440));
    EXPECT_EQ(spinner.right, client.right);
    EXPECT_EQ(text.left, 0);
    EXPECT_EQ(text.right, spinner.left);
    EXPECT_EQ(spinner.bottom - spinner.top, client.bottom);

    // A height below the minimum at the new DPI grows to it.
    SetWindowPos(form.control.ControlWindow(), nullptr, 0, 0, client.right, MulDiv(255, 96, 1440),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(form.control.ControlWindow(), &client);
    EXPECT_EQ(client.bottom, (255 * 144 + 1439) / 1440);
}

}  // namespace
}  // namespace cadencer::numberentry::wine
