// The Digitfield spinner under Wine: a press and hold on either half steps at once, again
// after 700 ms and then every 50 ms, raises no KeyDown meanwhile, stops at a bound, on the
// release (MouseUp, then Click) and when the focus leaves. Timing is read from the real
// clock with generous margins; the exact schedule is covered by the model's tests.
#include <gtest/gtest.h>

#include "numberentry_wine_support.h"

namespace cadencer::numberentry::wine {
namespace {

struct SpinnerForm : Form {
    SpinnerForm() {
        control.SetUpDownFunction(true);
        control.SetFormat(u"####");
        control.SetValue(Variant::I16(100));
        Pump();
        events.log.clear();
    }
    int Number() { return static_cast<int>(control.Value().ToDouble().value()); }
    int Height() {
        RECT rc;
        GetClientRect(Spinner(), &rc);
        return rc.bottom;
    }
};

TEST(DigitfieldSpinner, HoldOnTheUpperHalfStepsAtOnceThenRepeats) {
    SpinnerForm form;
    const DWORD pressed = GetTickCount();
    form.Mouse(form.Spinner(), WM_LBUTTONDOWN, 4, 2, MK_LBUTTON);
    EXPECT_EQ(form.Number(), 101);  // the first step at once
    EXPECT_EQ(GetCapture(), form.Spinner());
    EXPECT_EQ(GetFocus(), form.Edit());  // the press gives the text box the focus
    Pump(450);
    EXPECT_EQ(form.Number(), 101) << "no repeat before 700 ms";
    Pump(1100 - (GetTickCount() - pressed));
    const DWORD held = GetTickCount() - pressed;
    const int steps = form.Number() - 100;
    // 1 at once, 1 at 700 ms, then one per 50 ms: about 9 after 1.1 s. Timer granularity
    // under load makes the count approximate, never above the schedule.
    EXPECT_GE(steps, 4) << held;
    EXPECT_LE(steps, 2 + static_cast<int>((held - 700) / 50) + 1) << held;
    form.Mouse(form.Spinner(), WM_LBUTTONUP, 4, 2);
    const int released = form.Number();
    Pump(200);
    EXPECT_EQ(form.Number(), released) << "the release stops the repeat";
    EXPECT_NE(GetCapture(), form.Spinner());
    EXPECT_EQ(form.events.CountPrefix("KeyDown"), 0);
    ASSERT_GE(form.events.log.size(), 3u);
    const std::vector<std::string> tail(form.events.log.end() - 2, form.events.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"MouseUp 1", "Click"}));
    EXPECT_EQ(form.events.Count("MouseDown 1"), 1);
}

TEST(DigitfieldSpinner, LowerHalfStepsDownAndStopsAtTheBound) {
    SpinnerForm form;
    form.control.SetMinValue(Variant::I16(97));
    form.control.SetUseMaxMinValues(true);
    form.Mouse(form.Spinner(), WM_LBUTTONDOWN, 4, form.Height() - 2, MK_LBUTTON);
    EXPECT_EQ(form.Number(), 99);
    Pump(1000);
    EXPECT_EQ(form.Number(), 97);  // held on past the bound: no further step
    form.Mouse(form.Spinner(), WM_LBUTTONUP, 4, form.Height() - 2);
    EXPECT_EQ(form.events.Count("Click"), 1);
}

TEST(DigitfieldSpinner, LeavingTheControlStopsTheRepeat) {
    SpinnerForm form;
    form.Mouse(form.Spinner(), WM_LBUTTONDOWN, 4, 2, MK_LBUTTON);
    form.FocusAway();
    const int left = form.Number();
    Pump(900);
    EXPECT_EQ(form.Number(), left);
    // A capture taken away ends the hold without MouseUp or Click.
    form.FocusControl();
    form.Mouse(form.Spinner(), WM_LBUTTONDOWN, 4, 2, MK_LBUTTON);
    SetCapture(form.window);
    ReleaseCapture();
    const int cancelled = form.Number();
    Pump(900);
    EXPECT_EQ(form.Number(), cancelled);
    EXPECT_EQ(form.events.Count("Click"), 0);
}

}  // namespace
}  // namespace cadencer::numberentry::wine
