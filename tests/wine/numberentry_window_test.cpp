// The Digitfield window under Wine, driven with real messages: typing and the filter's
// beep, arrow keys, the clipboard keys, focus entry and exit, Locked, disabled, events with
// by-reference arguments, layout and DPI.
#include <gtest/gtest.h>

#include "numberentry_wine_support.h"

namespace cadencer::numberentry::wine {
namespace {

int Dpi(HWND window, int index) {
    HDC dc = GetDC(window);
    const int dpi = GetDeviceCaps(dc, index);
    ReleaseDC(window, dc);
    return dpi;
}

TEST(DigitfieldWindow, TypingIsFilteredWithABeepForAnOverlongText) {
    Form form;
    form.FocusControl();
    form.Type("12a.5.");
    EXPECT_EQ(form.Text(), "12.5");
    EXPECT_EQ(form.beeps, 0);  // a letter and a second point are refused silently
    EXPECT_EQ(form.events.Count("KeyPress 97"), 0);
    EXPECT_EQ(form.events.Count("KeyPress 49"), 1);
    EXPECT_EQ(form.events.CountPrefix("KeyDown"), 6);
    EXPECT_EQ(form.events.CountPrefix("KeyUp"), 6);
    EXPECT_EQ(form.events.Count("Change"), 3);  // 1, 12, 12.5 (the point alone changes nothing)
    form.Type("123456");
    EXPECT_EQ(form.Text(), "12.5123456");
    form.Type("7");
    EXPECT_EQ(form.Text(), "12.5123456");
    EXPECT_EQ(form.beeps, 1);
    EXPECT_EQ(form.control.Value(), Variant::Double(12.5123456));
}

TEST(DigitfieldWindow, FocusExitCommitsClampsAndAlignsRight) {
    Form form;
    form.control.SetMinValue(Variant::I16(1));
    form.control.SetMaxValue(Variant::I16(12));
    form.control.SetUseMaxMinValues(true);
    form.control.SetValue(Variant::I16(5));
    EXPECT_EQ(form.Text(), "5.00");
    form.FocusControl();
    EXPECT_EQ(form.Text(), "5.00");  // the bare number of 5.00
    EXPECT_TRUE(form.control.GotFocus());
    DWORD start = 0, end = 0;
    SendMessageW(form.Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(end - start, 4u);  // all selected
    const LRESULT leftEdge = SendMessageW(form.Edit(), EM_POSFROMCHAR, 0, 0);
    form.Type("20");
    form.events.log.clear();
    form.FocusAway();
    EXPECT_EQ(form.Text(), "12.00");
    EXPECT_FALSE(form.control.GotFocus());
    EXPECT_EQ(form.events.Count("Change"), 1);
    EXPECT_EQ(form.control.StoredValue(), Variant::String(u"12"));
    // Outside the focus the number ends at the right edge of the box.
    RECT client;
    GetClientRect(form.Edit(), &client);
    const LRESULT lastChar = SendMessageW(form.Edit(), EM_POSFROMCHAR, 4, 0);
    EXPECT_GT(static_cast<short>(LOWORD(lastChar)), client.right / 2);
    EXPECT_LT(static_cast<short>(LOWORD(leftEdge)), 8);
    form.FocusControl();
    EXPECT_LT(static_cast<short>(LOWORD(SendMessageW(form.Edit(), EM_POSFROMCHAR, 0, 0))), 8);
}

TEST(DigitfieldWindow, ArrowKeysStepAndReachTheEvents) {
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetUpDownIncrement(5);
    form.control.SetFormat(u"###");
    form.control.SetValue(Variant::I16(7));
    form.FocusControl();
    form.Key(VK_UP);
    EXPECT_EQ(form.Text(), "10");
    form.Key(VK_DOWN);
    form.Key(VK_DOWN);
    EXPECT_EQ(form.Text(), "");  // 0 in "###" shows empty
    EXPECT_EQ(form.events.Count("KeyDown 38,0"), 1);
    EXPECT_EQ(form.events.Count("KeyDown 40,0"), 2);
    // A KeyDown handler may take a key away from the text box.
    form.control.SetValue(Variant::I16(123));
    form.FocusControl();
    SendMessageW(form.Edit(), EM_SETSEL, 3, 3);
    form.events.onKeyDown = [](std::int16_t& k, std::int16_t&) {
        if (k == VK_LEFT) k = 0;
    };
    form.Key(VK_LEFT);
    DWORD start = 0;
    SendMessageW(form.Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    EXPECT_EQ(start, 3u);
}

TEST(DigitfieldWindow, KeyPressHandlerMaySwallowOrReplaceTheCharacter) {
    Form form;
    form.events.onKeyPress = [](std::int16_t& k) {
        if (k == '7') k = 0;
        if (k == '9') k = '8';
    };
    form.FocusControl();
    form.Type("1792");
    EXPECT_EQ(form.Text(), "182");
}

TEST(DigitfieldWindow, ClipboardKeysWorkOnTheWholeText) {
    Form form;
    form.control.SetValue(Variant::Double(1234.5));
    form.FocusControl();
    SendMessageW(form.Edit(), EM_SETSEL, 1, 3);
    form.Key('C', true);
    EXPECT_EQ(GetClipboard(form.window), L"1234.50");
    SendMessageW(form.Edit(), EM_SETSEL, 1, 3);
    form.Key('X', true);
    EXPECT_EQ(form.Text(), "");
    EXPECT_EQ(GetClipboard(form.window), L"1234.50");
    EXPECT_EQ(form.events.Count("KeyPress 24"), 0);  // the control character never reached the box

    ASSERT_TRUE(SetClipboard(form.window, L" (9,876.5)\r\n"));
    form.Key('V', true);
    EXPECT_EQ(form.Text(), "-9,876.50");
    // Text of any length or content is cleaned and bounded by the format.
    ASSERT_TRUE(SetClipboard(form.window, std::wstring(6000, L'4') + L"abc\x01\x02"));
    form.Key('V', true);
    EXPECT_EQ(form.Text(), "444,444.00");
    // The text box's own paths land in the same cleaning: Shift+Insert and WM_PASTE.
    ASSERT_TRUE(SetClipboard(form.window, L"x7y"));
    form.Key(VK_INSERT, false, true);
    EXPECT_EQ(form.Text(), "7.00");
    ASSERT_TRUE(SetClipboard(form.window, L"--3"));
    SendMessageW(form.Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(form.Text(), "-3.00");
    form.FocusAway();
    EXPECT_EQ(form.Text(), "(3.00)");
}

TEST(DigitfieldWindow, LockedRefusesTypingButStillSteps) {
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetValue(Variant::I16(5));
    form.control.SetLocked(true);
    EXPECT_TRUE(GetWindowLongW(form.Edit(), GWL_STYLE) & ES_READONLY);
    form.FocusControl();
    form.Type("9");
    EXPECT_EQ(form.Text(), "5.00");
    EXPECT_EQ(form.events.CountPrefix("KeyPress"), 0);
    form.Key(VK_UP);
    EXPECT_EQ(form.Text(), "6.00");
    form.FocusAway();
    EXPECT_EQ(form.control.StoredValue(), Variant::Double(6));  // no commit of the text
}

TEST(DigitfieldWindow, DisabledControlIgnoresInput) {
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetValue(Variant::I16(5));
    form.control.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(form.Edit()));
    EXPECT_FALSE(IsWindowEnabled(form.Spinner()));
    form.events.log.clear();
    form.Mouse(form.Spinner(), WM_LBUTTONDOWN, 5, 2, MK_LBUTTON);
    form.Mouse(form.Spinner(), WM_LBUTTONUP, 5, 2);
    EXPECT_EQ(form.Text(), "5.00");
    EXPECT_TRUE(form.events.log.empty());
    form.control.Highlight();
    EXPECT_FALSE(form.control.GotFocus());
    form.control.SetEnabled(true);
    EXPECT_TRUE(IsWindowEnabled(form.Spinner()));
}

TEST(DigitfieldWindow, MouseOnTheTextBoxRaisesDownUpClickInTwips) {
    Form form;
    form.Mouse(form.Edit(), WM_LBUTTONDOWN, 10, 4, MK_LBUTTON);
    form.Mouse(form.Edit(), WM_LBUTTONUP, 10, 4);
    form.Mouse(form.Edit(), WM_LBUTTONDBLCLK, 10, 4, MK_LBUTTON);
    form.Mouse(form.Edit(), WM_LBUTTONUP, 10, 4);
    form.Mouse(form.Edit(), WM_RBUTTONDOWN, 10, 4, MK_RBUTTON);
    form.Mouse(form.Edit(), WM_MBUTTONDOWN, 10, 4, MK_MBUTTON);
    form.Mouse(form.Edit(), WM_MBUTTONUP, 10, 6);
    const int moves = form.events.moves;
    form.Mouse(form.Edit(), WM_MOUSEMOVE, 12, 6, MK_LBUTTON);
    EXPECT_EQ(form.events.moves, moves + 1);
    std::vector<std::string> mouse;
    for (const auto& e : form.events.log)
        if (e.rfind("Key", 0) != 0 && e != "Change") mouse.push_back(e);
    EXPECT_EQ(mouse, (std::vector<std::string>{"MouseDown 1", "MouseUp 1", "Click", "DblClick", "MouseUp 1",
                                               "MouseDown 2", "MouseDown 4", "MouseUp 4"}));
    EXPECT_FLOAT_EQ(form.events.lastX, 10 * 1440.0f / Dpi(form.window, LOGPIXELSX));
    EXPECT_FLOAT_EQ(form.events.lastY, 6 * 1440.0f / Dpi(form.window, LOGPIXELSY));
}

TEST(DigitfieldWindow, ToolTipFollowsTheMouse) {
    Form form;
    form.control.SetUpDownFunction(true);
    form.control.SetToolTipText(u"Interval count");
    form.Mouse(form.Spinner(), WM_MOUSEMOVE, 3, 3);
    HWND tip = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
         w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr))
        if (GetWindow(w, GW_OWNER) == SharedTopLevel()) tip = w;  // a popup is owned by the top-level window
    ASSERT_NE(tip, nullptr);
    wchar_t text[80] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = form.control.ControlWindow();
    tool.uId = reinterpret_cast<UINT_PTR>(form.Spinner());
    tool.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"Interval count");
    EXPECT_EQ(form.events.moves, 1);
}

TEST(DigitfieldWindow, LayoutFollowsTheSizeAndTheRealDpi) {
    Form form;
    const int dpiX = Dpi(form.window, LOGPIXELSX), dpiY = Dpi(form.window, LOGPIXELSY);
    EXPECT_EQ(form.control.TwipsToPixelsX(1440), dpiX);
    RECT rc;
    GetClientRect(form.control.ControlWindow(), &rc);
    EXPECT_EQ(rc.right, MulDiv(1740, dpiX, 1440));
    EXPECT_FALSE(IsWindowVisible(form.Spinner()));
    EXPECT_EQ(form.ChildRect(form.Edit()).right, rc.right);

    form.control.SetUpDownFunction(true);
    const int spinnerWidth = MulDiv(240, dpiX, 1440);
    EXPECT_TRUE(IsWindowVisible(form.Spinner()));
    EXPECT_EQ(form.ChildRect(form.Spinner()).left, rc.right - spinnerWidth);
    EXPECT_EQ(form.ChildRect(form.Spinner()).right, rc.right);
    EXPECT_EQ(form.ChildRect(form.Edit()).right, rc.right - spinnerWidth);

    // Lower than 255 twips is not allowed; wider moves the spinner along.
    form.control.MoveTwips(150, 150, 3000, 100);
    Pump();
    GetClientRect(form.control.ControlWindow(), &rc);
    EXPECT_GE(rc.bottom * 1440, 255 * dpiY);
    EXPECT_EQ(rc.right, MulDiv(3000, dpiX, 1440));
    EXPECT_EQ(form.ChildRect(form.Spinner()).right, rc.right);
    EXPECT_EQ(form.ChildRect(form.Spinner()).bottom, rc.bottom);
    form.control.SetUpDownFunction(false);
    EXPECT_FALSE(IsWindowVisible(form.Spinner()));
    EXPECT_EQ(form.ChildRect(form.Edit()).right, rc.right);
}

TEST(DigitfieldWindow, LoadsTheStoredInstanceWithLowerCaseKeys) {
    Form form;
    MemoryPropertyBag bag;
    bag.Put(u"format", Variant::String(u"###"));
    bag.Put(u"positiveonly", Variant::Bool(true));
    bag.Put(u"usemaxminvalues", Variant::Bool(true));
    bag.Put(u"updownfunction", Variant::Bool(true));
    bag.Put(u"value", Variant::String(u"15"));
    form.control.ReadProperties(bag);
    EXPECT_EQ(form.Text(), "15");
    EXPECT_TRUE(IsWindowVisible(form.Spinner()));
    EXPECT_EQ(form.control.MaxLength(), 3);
    MemoryPropertyBag saved;
    ASSERT_TRUE(form.control.WriteProperties(saved).ok());
    EXPECT_EQ(saved.Entries().size(), 5u);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(form.Edit(), WM_GETFONT, 0, 0)),
              reinterpret_cast<HFONT>(form.control.Font()->Handle()));
}

TEST(DigitfieldWindow, AHandlerMayDestroyTheControl) {
    {
        Form form;
        form.events.onChange = [&] { form.control.Destroy(); };
        form.control.SetValue(Variant::I16(5));
        EXPECT_FALSE(form.control.IsAlive());
        form.control.SetValue(Variant::I16(3));  // a dead wrapper does nothing
        EXPECT_EQ(form.control.Value(), Variant::I16(0));
    }
    {
        Form form;
        form.control.SetUpDownFunction(true);
        HWND spinner = form.Spinner();
        form.events.onChange = [&] { form.control.Destroy(); };
        form.Mouse(spinner, WM_LBUTTONDOWN, 3, 2, MK_LBUTTON);
        EXPECT_FALSE(form.control.IsAlive());
        EXPECT_FALSE(IsWindow(spinner));
    }
}

}  // namespace
}  // namespace cadencer::numberentry::wine
