// Digitfield's value model: Value, limits, Format and PositiveOnly through the property
// procedures, clamping (also with crossed limits) and change detection.
#include <gtest/gtest.h>

#include "numberentry_fakes.h"

namespace cadencer::numberentry {
namespace {

using testing::Rig;
using testing::U8;

TEST(DigitfieldValue, SetShowsFormattedAndReadsBackWhatIsShown) {
    Rig rig;
    rig.model.SetValue(Variant::Double(1234.5));
    EXPECT_EQ(rig.Shown(), "1,234.50");
    EXPECT_EQ(rig.model.Value(), Variant::Double(1234.5));
    EXPECT_EQ(rig.model.StoredValue(), Variant::Double(1234.5));

    rig.model.SetValue(Variant::String(u""));
    EXPECT_EQ(rig.Shown(), "0.00");
    EXPECT_EQ(rig.model.Value(), Variant::Double(0));
    rig.platform.text.clear();  // the user emptied the box
    EXPECT_EQ(rig.model.Value(), Variant::I16(0));

    rig.model.SetValue(Variant::Double(-5.25));
    EXPECT_EQ(rig.Shown(), "(5.25)");
    rig.platform.text = u"(12)";
    EXPECT_EQ(rig.model.Value(), Variant::Double(-12));
    rig.platform.text = u"1.2.3";
    EXPECT_EQ(rig.model.Value(), Variant::Double(1.23));
    EXPECT_EQ(rig.events.changed.back(), u"Value");
}

TEST(DigitfieldValue, PositiveOnlyDropsTheSignAndNegativeLimits) {
    Rig rig;
    rig.model.SetMaxValue(Variant::I16(-3));
    rig.model.SetMinValue(Variant::Double(-10));
    rig.model.SetValue(Variant::Double(-5.25));
    rig.model.SetPositiveOnly(true);
    EXPECT_EQ(rig.model.MaxValue(), 999999.99);
    EXPECT_EQ(rig.model.MinValue(), 0);
    EXPECT_EQ(rig.model.StoredValue(), Variant::I16(0));
    rig.model.SetValue(Variant::Double(-5.25));
    EXPECT_EQ(rig.Shown(), "5.25");
    EXPECT_EQ(rig.model.Value(), Variant::Double(5.25));
    rig.model.SetMinValue(Variant::Double(-4));  // a negative limit loses its sign
    EXPECT_EQ(rig.model.StoredMinValue(), Variant::String(u"4"));
}

TEST(DigitfieldLimits, ClampingStoresTheLimitText) {
    Rig rig;
    rig.model.SetMinValue(Variant::I16(1));
    rig.model.SetMaxValue(Variant::I16(12));
    rig.model.SetValue(Variant::I16(20));
    EXPECT_EQ(rig.Shown(), "20.00");  // limits off: nothing clamps
    rig.model.SetUseMaxMinValues(true);
    EXPECT_EQ(rig.Shown(), "12.00");
    EXPECT_EQ(rig.model.StoredValue(), Variant::String(u"12"));
    rig.model.SetValue(Variant::I16(0));
    EXPECT_EQ(rig.Shown(), "1.00");
    rig.model.SetValue(Variant::String(u""));
    EXPECT_EQ(rig.Shown(), "1.00");  // the empty value counts as 0
    // A limit set does not re-clamp the shown number.
    rig.model.SetMinValue(Variant::I16(5));
    EXPECT_EQ(rig.Shown(), "1.00");
}

TEST(DigitfieldLimits, ClampRaisesChangeForTheValueAndForTheClamp) {
    Rig rig;
    rig.model.SetValue(Variant::I16(5));
    rig.model.SetMaxValue(Variant::I16(12));
    rig.model.SetUseMaxMinValues(true);
    std::vector<double> seen;
    rig.events.onChange = [&] { seen.push_back(rig.model.Value().AsDouble()); };
    rig.model.SetValue(Variant::I16(20));
    EXPECT_EQ(seen, (std::vector<double>{20, 12}));
}

TEST(DigitfieldLimits, CrossedLimitsSettleOnTheMinimum) {
    Rig rig;
    rig.model.SetMinValue(Variant::I16(50));
    rig.model.SetMaxValue(Variant::I16(10));
    for (int v : {-5, 5, 10, 30, 50, 70}) {
        rig.model.SetUseMaxMinValues(false);
        rig.model.SetValue(Variant::I16(static_cast<std::int16_t>(v)));
        rig.events.log.clear();
        rig.model.SetUseMaxMinValues(true);
        EXPECT_EQ(rig.Shown(), "50.00") << v;
        EXPECT_LE(rig.events.Count("Change"), 1) << v;
    }
    // Setting the maximum as the value still ends at the minimum.
    rig.model.SetValue(Variant::I16(10));
    EXPECT_EQ(rig.Shown(), "50.00");
    // The focus-exit commit follows its own order, the maximum last, and does not clamp
    // again afterwards.
    rig.Focus();
    rig.platform.text = u"30";
    rig.Blur();
    EXPECT_EQ(rig.Shown(), "10.00");
}

TEST(DigitfieldLimits, CommitComparesTheNumberAPastedTextStandsFor) {
    Rig rig;
    rig.model.SetMaxValue(Variant::I16(100));
    rig.model.SetUseMaxMinValues(true);
    rig.Focus();
    rig.platform.clipboard = u"1234.5";
    rig.KeyRelease('V', kCtrlMask);
    EXPECT_EQ(rig.Shown(), "1,234.50");
    rig.Blur();
    EXPECT_EQ(rig.Shown(), "100.00");
}

TEST(DigitfieldFormat, SetRecomputesMaxLengthAndReshows) {
    Rig rig;
    rig.model.SetValue(Variant::Double(7.9));
    rig.model.SetFormat(u"#0");
    EXPECT_EQ(rig.Shown(), "7");
    EXPECT_EQ(rig.model.MaxLength(), 2);
    EXPECT_EQ(rig.model.Value(), Variant::Double(7));  // what is shown, decimals gone
    rig.model.SetFormat(u"###");
    rig.model.SetValue(Variant::I16(1000));
    EXPECT_EQ(rig.Shown(), "");
    EXPECT_EQ(rig.model.Value(), Variant::I16(0));
    rig.model.SetFormat(u";");
    EXPECT_EQ(rig.model.MaxLength(), 0);
    EXPECT_EQ(rig.events.changed.back(), u"Format");
}

TEST(DigitfieldChange, RaisedOncePerChangeOfTheNumberNeverForFormatting) {
    Rig rig;
    rig.model.SetValue(Variant::Double(1234.5));
    EXPECT_EQ(rig.events.Count("Change"), 1);
    rig.model.SetValue(Variant::String(u"1,234.50"));  // same number, other text
    EXPECT_EQ(rig.events.Count("Change"), 1);
    rig.Focus();  // bare number shown: no Change
    EXPECT_EQ(rig.Shown(), "1234.50");
    EXPECT_EQ(rig.events.Count("Change"), 1);
    rig.Blur();
    EXPECT_EQ(rig.events.Count("Change"), 1);

    // Typing a 0 behind 12.5 changes the text, not the number.
    rig.model.SetValue(Variant::Double(12.5));
    rig.events.log.clear();
    rig.Focus();
    rig.platform.CaretAtEnd();
    rig.platform.Type(u'0');
    EXPECT_EQ(rig.Shown(), "12.500");
    EXPECT_EQ(rig.events.Count("Change"), 0);

    // Overtyping the selected 12.00 with 1 and 2 changes it twice.
    rig.model.SetValue(Variant::I16(12));
    rig.platform.SelectAll();
    rig.events.log.clear();
    rig.platform.TypeText(u"12");
    EXPECT_EQ(rig.events.Count("Change"), 2);
    EXPECT_EQ(rig.model.Value(), Variant::Double(12));

    // A disabled control detects nothing.
    rig.model.SetEnabled(false);
    rig.events.log.clear();
    rig.model.SetValue(Variant::I16(99));
    EXPECT_EQ(rig.events.Count("Change"), 0);
}

TEST(DigitfieldValue, HandlersMayReadAndSetDuringChange) {
    Rig rig;
    int changes = 0;
    rig.events.onChange = [&] {
        if (++changes == 1) rig.model.SetValue(Variant::I16(3));  // a handler that corrects the value
    };
    rig.model.SetValue(Variant::I16(7));
    EXPECT_EQ(changes, 2);
    // The outer set stores its own value last, as assigned; the display shows the handler's.
    EXPECT_EQ(rig.Shown(), "3.00");
    EXPECT_EQ(rig.model.StoredValue(), Variant::I16(7));
}

TEST(DigitfieldValue, ExtremeValuesShowSensibly) {
    Rig rig;
    rig.model.SetValue(Variant::Double(1e15));
    EXPECT_EQ(rig.Shown(), "0.00");                              // the leading digits find no placeholder
    rig.model.SetValue(Variant::Double(1234567890123456789.0));  // 15 digits kept, then zeros
    EXPECT_EQ(rig.Shown(), "460,000.00");
    rig.model.SetValue(Variant::Double(2.5e-7));
    EXPECT_EQ(rig.Shown(), "0.00");
    rig.model.SetValue(Variant::Double(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(rig.Shown(), "0.00");
    rig.model.SetValue(Variant::Double(-1e300));
    EXPECT_EQ(rig.Shown(), "(.00)");
    rig.model.SetValue(Variant::Object(nullptr));
    EXPECT_EQ(rig.model.StoredValue(), Variant::String(u""));
}

}  // namespace
}  // namespace cadencer::numberentry
