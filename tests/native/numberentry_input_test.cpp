// Digitfield's interaction rules on fakes: the character filter, arrow-key stepping, the
// spinner and its auto-repeat timer, the clipboard keys, focus entry and exit, Locked.
#include <gtest/gtest.h>

#include "numberentry_fakes.h"

namespace cadencer::numberentry {
namespace {

using testing::Rig;

struct SpinnerRig : Rig {
    SpinnerRig() {
        model.SetUpDownFunction(true);
        model.SetFormat(u"###");
    }
    double V() { return model.Value().Type() == VariantType::Double ? model.Value().AsDouble() : 0; }
};

TEST(DigitfieldStepping, SnapsToTheIncrement) {
    SpinnerRig rig;
    rig.model.SetUpDownIncrement(5);
    rig.model.SetValue(Variant::I16(7));
    rig.Key(kKeyUp);
    EXPECT_EQ(rig.V(), 10);
    rig.model.SetValue(Variant::I16(7));
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 5);
    rig.model.SetValue(Variant::I16(10));
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 5);
    EXPECT_EQ(rig.events.Count("KeyDown 40,0"), 2);  // keys are passed on
    rig.model.SetUpDownFunction(false);
    rig.Key(kKeyUp);
    EXPECT_EQ(rig.V(), 5);
}

TEST(DigitfieldStepping, BoundsStopTheStepAndTheRepeat) {
    SpinnerRig rig;
    rig.model.SetMaxValue(Variant::I16(12));
    rig.model.SetMinValue(Variant::I16(3));
    rig.model.SetValue(Variant::I16(12));
    rig.Key(kKeyUp);
    EXPECT_EQ(rig.V(), 13);  // limits off: past the maximum
    rig.model.SetUseMaxMinValues(true);
    EXPECT_EQ(rig.V(), 12);
    rig.PressSpinner(true);
    EXPECT_EQ(rig.V(), 12);
    EXPECT_FALSE(rig.platform.timerOn);  // the bound stopped the auto-repeat at once
    rig.ReleaseSpinner();
    rig.model.SetValue(Variant::I16(4));
    rig.PressSpinner(false);
    EXPECT_EQ(rig.V(), 3);
    EXPECT_TRUE(rig.platform.timerOn);
    rig.model.Timer1_Timer();
    EXPECT_EQ(rig.V(), 3);
    EXPECT_FALSE(rig.platform.timerOn);
    rig.ReleaseSpinner();
}

TEST(DigitfieldStepping, PositiveOnlyStopsAtZero) {
    SpinnerRig rig;
    rig.model.SetPositiveOnly(true);
    rig.model.SetFormat(u"#0.0");
    rig.model.SetValue(Variant::I16(0));
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 0);
    rig.model.SetValue(Variant::Double(0.5));
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 0);
    EXPECT_EQ(rig.model.StoredValue(), Variant::Double(0));  // never a hidden negative
    rig.platform.Select(0, 0);
    EXPECT_FALSE(rig.platform.Type(u'-'));
    EXPECT_EQ(rig.platform.beeps, 0);
}

TEST(DigitfieldStepping, UnsteppableStatesDoNothing) {
    SpinnerRig rig;
    rig.model.SetFormat(kDefaultFormat);
    rig.model.SetUpDownIncrement(0);
    rig.model.SetValue(Variant::I16(7));
    rig.Key(kKeyUp);
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 7);
    rig.model.SetUpDownIncrement(1);
    rig.platform.text = u"3000000000";  // beyond 32 bits once rounded
    rig.Key(kKeyUp);
    EXPECT_EQ(rig.Shown(), "3000000000");
    rig.platform.text = std::u16string(400, u'9');
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.platform.text.size(), 400u);
    // A lower bound outside 16 bits cannot bound a step while the limits are on.
    rig.model.SetValue(Variant::I16(7));
    rig.model.SetMinValue(Variant::I32(-40000));
    rig.model.SetUseMaxMinValues(true);
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 7);
    rig.model.SetUseMaxMinValues(false);
    rig.Key(kKeyDown);
    EXPECT_EQ(rig.V(), 6);
}

TEST(DigitfieldSpinner, HoldStepsAtOnceThenRepeatsWithoutKeyDown) {
    SpinnerRig rig;
    rig.model.Resize(1740, 300);
    rig.model.SetValue(Variant::I16(1));
    rig.events.log.clear();
    rig.PressSpinner(true);
    EXPECT_EQ(rig.V(), 2);
    EXPECT_TRUE(rig.model.SpinnerHeld());
    EXPECT_EQ(rig.platform.timerStarts, (std::vector<int>{700}));
    for (int i = 0; i < 3; ++i) rig.model.Timer1_Timer();
    EXPECT_EQ(rig.V(), 5);
    EXPECT_EQ(rig.platform.timerStarts, (std::vector<int>{700, 50}));
    rig.ReleaseSpinner();
    EXPECT_FALSE(rig.platform.timerOn);
    rig.model.Timer1_Timer();  // a tick left in the queue changes nothing
    EXPECT_EQ(rig.V(), 5);
    EXPECT_EQ(rig.events.Count("KeyDown 38,0"), 0);
    const std::vector<std::string> tail(rig.events.log.end() - 3, rig.events.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Change", "MouseUp", "Click"}));
    EXPECT_EQ(rig.events.log[1], "MouseDown");  // after the first step's Change

    // The lower half steps down; leaving the control stops the repeat.
    rig.PressSpinner(false);
    EXPECT_EQ(rig.V(), 4);
    rig.Blur();
    EXPECT_FALSE(rig.platform.timerOn);
    rig.model.UpDown1_CancelPress();
    EXPECT_FALSE(rig.model.SpinnerHeld());
}

TEST(DigitfieldSpinner, IgnoredWhenDisabledOrHidden) {
    SpinnerRig rig;
    rig.model.SetValue(Variant::I16(1));
    rig.model.SetEnabled(false);
    rig.events.log.clear();
    rig.PressSpinner(true);
    EXPECT_TRUE(rig.events.log.empty());
    EXPECT_FALSE(rig.platform.timerOn);
    rig.model.SetEnabled(true);
    rig.PressSpinner(true);
    rig.model.SetEnabled(false);  // disabling mid-hold ends the repeat
    EXPECT_FALSE(rig.platform.timerOn);
    rig.model.SetEnabled(true);
    rig.PressSpinner(true);
    rig.model.SetUpDownFunction(false);
    EXPECT_FALSE(rig.platform.timerOn);
    EXPECT_FALSE(rig.model.SpinnerHeld());
}

TEST(DigitfieldFilter, LengthPointAndMinusRules) {
    Rig rig;
    rig.Focus();
    rig.platform.TypeText(u"1234567.89");
    EXPECT_EQ(rig.Shown(), "1234567.89");
    EXPECT_FALSE(rig.platform.Type(u'1'));  // 11th character
    EXPECT_EQ(rig.platform.beeps, 1);
    rig.platform.SelectAll();
    EXPECT_TRUE(rig.platform.Type(u'5'));  // replaces everything
    EXPECT_TRUE(rig.platform.Type(u'.'));
    EXPECT_FALSE(rig.platform.Type(u'.'));  // a second point, no beep
    EXPECT_EQ(rig.platform.beeps, 1);
    EXPECT_TRUE(rig.platform.Type(8));
    EXPECT_FALSE(rig.platform.Type(u'-'));  // not at the start
    rig.platform.Select(0, 0);
    EXPECT_TRUE(rig.platform.Type(u'-'));
    EXPECT_EQ(rig.Shown(), "-5");
    for (char16_t c : {u'a', u',', u' ', char16_t{3}, char16_t{14}, char16_t{22}, char16_t{24}})
        EXPECT_FALSE(rig.platform.Type(c)) << int(c);
    EXPECT_EQ(rig.platform.beeps, 1);
    rig.model.SetFormat(u"#0");
    rig.platform.CaretAtEnd();
    const int pointsBefore = rig.events.Count("KeyPress 46");
    EXPECT_FALSE(rig.platform.Type(u'.'));                     // the format has no point
    EXPECT_EQ(rig.events.Count("KeyPress 46"), pointsBefore);  // a refused key raises nothing
}

TEST(DigitfieldFilter, KeyPressHandlerMaySwallowTheKey) {
    Rig rig;
    rig.events.onKeyPress = [](std::int16_t& k) {
        if (k == '7') k = 0;
    };
    rig.Focus();
    rig.platform.TypeText(u"172");
    EXPECT_EQ(rig.Shown(), "12");
}

TEST(DigitfieldClipboard, KeysWorkOnTheWholeText) {
    Rig rig;
    rig.model.SetValue(Variant::Double(1234.5));
    rig.Focus();
    rig.platform.Select(1, 2);
    rig.KeyRelease('C', kCtrlMask);
    EXPECT_EQ(testing::U8(*rig.platform.clipboard), "1234.50");
    rig.events.log.clear();
    rig.KeyRelease('X', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "");
    EXPECT_EQ(testing::U8(*rig.platform.clipboard), "1234.50");
    EXPECT_EQ(rig.events.log, (std::vector<std::string>{"Change", "KeyUp 88,2"}));
    rig.platform.clipboard = u"  (9,876.5) ";
    rig.KeyRelease('V', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "-9,876.50");  // the focus variant of the format
    EXPECT_EQ(rig.platform.selLength, 9);
    rig.KeyRelease('V', kCtrlMask | kShiftMask);  // not Ctrl alone: nothing
    EXPECT_EQ(rig.Shown(), "-9,876.50");
    rig.platform.clipboard.reset();  // nothing to paste
    rig.KeyRelease('V', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "-9,876.50");
}

TEST(DigitfieldClipboard, PasteOfAnyTextStaysWithinTheFormat) {
    Rig rig;
    rig.Focus();
    const std::u16string pastes[] = {std::u16string(5000, u'7'), u"abc\x01\x02\r\n\t", u"-(((---...", u"1e308",
                                     std::u16string(3000, u'.') + u"5"};
    for (const auto& paste : pastes) {
        rig.platform.clipboard = paste;
        rig.KeyRelease('V', kCtrlMask);
        EXPECT_LE(rig.platform.text.size(), 11u);
    }
    rig.platform.clipboard = std::u16string(5000, u'7');
    rig.KeyRelease('V', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "777,777.00");  // the last six whole digits
}

TEST(DigitfieldFocus, EntryShowsTheBareNumberExitCommitsAndFormats) {
    Rig rig;
    rig.model.SetValue(Variant::Double(-1234.5));
    rig.Focus();
    EXPECT_EQ(rig.Shown(), "-1234.50");
    EXPECT_EQ(rig.platform.alignment, TextAlignment::Left);
    EXPECT_EQ(rig.platform.selLength, 8);
    EXPECT_TRUE(rig.model.GotFocus());
    EXPECT_EQ(rig.platform.pumps, 1);
    rig.platform.SelectAll();
    rig.platform.TypeText(u"42");
    rig.Blur();
    EXPECT_EQ(rig.Shown(), "42.00");
    EXPECT_EQ(rig.platform.alignment, TextAlignment::Right);
    EXPECT_EQ(rig.model.StoredValue(), Variant::String(u"42"));
    EXPECT_FALSE(rig.model.GotFocus());

    // An empty box with the limits on commits the minimum.
    rig.model.SetMinValue(Variant::I16(1));
    rig.model.SetUseMaxMinValues(true);
    rig.Focus();
    rig.platform.text.clear();
    rig.model.txtNumber_Change();
    rig.events.log.clear();
    rig.Blur();
    EXPECT_EQ(rig.Shown(), "1.00");
    EXPECT_EQ(rig.events.Count("Change"), 1);
}

TEST(DigitfieldFocus, LockedRefusesTypingButStepsAndPastes) {
    Rig rig;
    rig.model.SetUpDownFunction(true);
    rig.model.SetValue(Variant::I16(5));
    rig.model.SetLocked(true);
    EXPECT_TRUE(rig.platform.locked);
    rig.Focus();
    EXPECT_FALSE(rig.platform.caretVisible);
    EXPECT_EQ(rig.Shown(), "5.00");  // no bare-number display
    rig.events.log.clear();
    EXPECT_FALSE(rig.platform.Type(u'1'));
    EXPECT_EQ(rig.events.Count("KeyPress 49"), 0);
    rig.Key(kKeyUp);
    EXPECT_EQ(rig.Shown(), "6.00");
    rig.platform.clipboard = u"8";
    rig.KeyRelease('V', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "8.00");
    rig.KeyRelease('X', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "");
    rig.Blur();
    EXPECT_EQ(rig.Shown(), "");                              // nothing committed
    EXPECT_EQ(rig.model.StoredValue(), Variant::Double(6));  // the last step
}

TEST(DigitfieldFocus, HighlightAndRefreshNeedEnabled) {
    Rig rig;
    rig.model.SetValue(Variant::I16(3));
    rig.model.SetEnabled(false);
    rig.model.Highlight();
    rig.model.Refresh();
    EXPECT_FALSE(rig.model.GotFocus());
    EXPECT_EQ(rig.platform.repaints, 0);
    rig.model.SetEnabled(true);
    rig.model.Highlight();
    EXPECT_EQ(rig.Shown(), "3.00");
    EXPECT_TRUE(rig.model.GotFocus());
    rig.model.Refresh();
    EXPECT_EQ(rig.platform.repaints, 1);
}

TEST(DigitfieldMouse, ToolTipIsCopiedToThePartUnderTheMouse) {
    Rig rig;
    rig.model.SetToolTipText(u"Interval");
    std::int16_t b = 0, s = 0;
    float x = 1, y = 1;
    rig.model.UpDown1_MouseMove(b, s, x, y);
    EXPECT_EQ(testing::U8(rig.platform.toolTips[DigitfieldPart::Spinner]), "Interval");
    EXPECT_EQ(rig.platform.toolTips.count(DigitfieldPart::TextBox), 0u);
    rig.model.txtNumber_MouseMove(b, s, x, y);
    EXPECT_EQ(testing::U8(rig.platform.toolTips[DigitfieldPart::TextBox]), "Interval");
    EXPECT_EQ(rig.events.Count("MouseMove"), 2);
}

}  // namespace
}  // namespace cadencer::numberentry
