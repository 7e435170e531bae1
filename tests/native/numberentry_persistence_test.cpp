// Digitfield's 13 persisted keys (defaults, types kept, case-insensitive keys, bad values)
// and its layout rules.
#include <gtest/gtest.h>

#include "numberentry_fakes.h"

namespace cadencer::numberentry {
namespace {

using testing::Rig;

struct FakeFont : PlatformObject {
    std::uint64_t Handle() const override { return 42; }
};

class FailingBag : public PropertyBag {
public:
    Expected<std::optional<Variant>> Get(std::u16string_view, VariantType) override { return ValueError::Storage; }
    Expected<bool> Put(std::u16string_view, const Variant&) override { return ValueError::Storage; }
};

TEST(DigitfieldPersistence, DefaultsStoreNothingAndLoadSilently) {
    auto ambient = std::make_shared<FakeFont>();
    Rig saved;
    saved.model.InitProperties(ambient);
    MemoryPropertyBag bag;
    ASSERT_TRUE(saved.model.WriteProperties(bag, ambient).ok());
    EXPECT_TRUE(bag.Entries().empty());

    Rig loaded;
    loaded.model.ReadProperties(bag, ambient);
    EXPECT_EQ(loaded.Shown(), "0.00");
    EXPECT_EQ(loaded.events.Count("Change"), 0);
    EXPECT_EQ(loaded.model.Font(), ambient);
    EXPECT_TRUE(loaded.events.changed.empty());  // reading notifies nothing
}

TEST(DigitfieldPersistence, AllKeysRoundTripWithTheirTypes) {
    auto ambient = std::make_shared<FakeFont>();
    auto font = std::make_shared<FakeFont>();
    Rig saved;
    saved.model.SetFont(font);
    saved.model.SetFormat(u"###");
    saved.model.SetPositiveOnly(true);
    saved.model.SetBackColor(0x00FF8000);
    saved.model.SetForeColor(0x80000012);
    saved.model.SetMaxValue(Variant::I16(99));
    saved.model.SetMinValue(Variant::I16(1));
    saved.model.SetUseMaxMinValues(true);
    saved.model.SetLocked(true);
    saved.model.SetUpDownFunction(true);
    saved.model.SetUpDownIncrement(5);
    saved.model.SetValue(Variant::I16(12));
    saved.model.SetEnabled(false);
    MemoryPropertyBag bag;
    ASSERT_TRUE(saved.model.WriteProperties(bag, ambient).ok());
    std::vector<std::string> keys;
    for (const auto& [k, v] : bag.Entries()) keys.push_back(testing::U8(k));
    EXPECT_EQ(keys, (std::vector<std::string>{"Font", "Value", "MaxValue", "MinValue", "UseMaxMinValues", "Format",
                                              "Enabled", "PositiveOnly", "BackColor", "ForeColor", "Locked",
                                              "UpDownFunction", "UpDownIncrement"}));

    Rig loaded;
    loaded.model.ReadProperties(bag, ambient);
    EXPECT_EQ(loaded.model.Font(), font);
    EXPECT_EQ(loaded.model.Format(), u"###");
    EXPECT_EQ(loaded.model.MaxLength(), 3);
    EXPECT_FALSE(loaded.model.Enabled());
    EXPECT_FALSE(loaded.platform.enabled);
    EXPECT_TRUE(loaded.model.PositiveOnly());
    EXPECT_EQ(loaded.model.BackColor(), 0x00FF8000u);
    EXPECT_EQ(loaded.model.ForeColor(), 0x80000012u);
    EXPECT_EQ(loaded.model.StoredValue(), Variant::I16(12));
    EXPECT_EQ(loaded.model.StoredMaxValue(), Variant::String(u"99"));
    EXPECT_TRUE(loaded.model.UseMaxMinValues());
    EXPECT_TRUE(loaded.model.Locked());
    EXPECT_TRUE(loaded.platform.locked);
    EXPECT_TRUE(loaded.model.UpDownFunction());
    EXPECT_TRUE(loaded.platform.layout.spinnerVisible);
    EXPECT_EQ(loaded.model.UpDownIncrement(), 5);
    EXPECT_EQ(loaded.Shown(), "12");
}

TEST(DigitfieldPersistence, ValueKeepsItsTypeAndKeysIgnoreCase) {
    MemoryPropertyBag bag;
    bag.Put(u"value", Variant::I16(12));
    Rig number;
    number.model.ReadProperties(bag, nullptr);
    EXPECT_EQ(number.model.StoredValue(), Variant::I16(12));
    EXPECT_EQ(number.Shown(), "12.00");
    EXPECT_EQ(number.events.Count("Change"), 1);

    // Committed at focus exit: saved and loaded as a string.
    Rig typed;
    typed.Focus();
    typed.platform.TypeText(u"12");
    typed.Blur();
    MemoryPropertyBag bag2;
    typed.model.WriteProperties(bag2, nullptr);
    Rig loaded;
    loaded.model.ReadProperties(bag2, nullptr);
    EXPECT_EQ(loaded.model.StoredValue(), Variant::String(u"12"));
    EXPECT_EQ(loaded.Shown(), "12.00");

    // The schedule dialog's stored instance, all keys in lower case.
    MemoryPropertyBag lower;
    lower.Put(u"format", Variant::String(u"###"));
    lower.Put(u"positiveonly", Variant::Bool(true));
    lower.Put(u"usemaxminvalues", Variant::Bool(true));
    lower.Put(u"updownfunction", Variant::Bool(true));
    lower.Put(u"minvalue", Variant::I16(1));
    lower.Put(u"maxvalue", Variant::I16(999));
    lower.Put(u"value", Variant::String(u"15"));
    Rig every;
    every.model.ReadProperties(lower, nullptr);
    EXPECT_EQ(every.model.Format(), u"###");
    EXPECT_TRUE(every.model.PositiveOnly());
    EXPECT_TRUE(every.model.UseMaxMinValues());
    EXPECT_TRUE(every.model.UpDownFunction());
    EXPECT_EQ(every.model.MinValue(), 1);
    EXPECT_EQ(every.model.MaxValue(), 999);
    EXPECT_EQ(every.Shown(), "15");
}

TEST(DigitfieldPersistence, UnusableValuesFallBackToDefaults) {
    MemoryPropertyBag bag;
    bag.Put(u"Format", Variant::Object(nullptr));
    bag.Put(u"Enabled", Variant::String(u"perhaps"));
    bag.Put(u"UpDownIncrement", Variant::I32(100000));
    bag.Put(u"BackColor", Variant::Double(4294967295.0));
    bag.Put(u"Value", Variant::Object(nullptr));
    Rig rig;
    rig.model.ReadProperties(bag, nullptr);
    EXPECT_EQ(rig.model.Format(), kDefaultFormat);
    EXPECT_TRUE(rig.model.Enabled());
    EXPECT_EQ(rig.model.UpDownIncrement(), 1);
    EXPECT_EQ(rig.model.BackColor(), 0xFFFFFFFFu);
    EXPECT_EQ(rig.model.StoredValue(), Variant::String(u""));

    FailingBag failing;
    Rig fromFailing;
    fromFailing.model.ReadProperties(failing, nullptr);
    EXPECT_EQ(fromFailing.Shown(), "0.00");
    EXPECT_TRUE(fromFailing.model.WriteProperties(failing, nullptr).ok());  // all defaults: nothing to put
    fromFailing.model.SetUpDownIncrement(3);
    EXPECT_FALSE(fromFailing.model.WriteProperties(failing, nullptr).ok());
}

TEST(DigitfieldLayout, SpinnerAtTheRightEdgeAndMinimumHeight) {
    Rig rig;
    EXPECT_EQ(rig.model.Resize(1740, 100), 255);
    rig.model.SetUpDownFunction(true);
    rig.model.Resize(1740, 300);
    const DigitfieldLayout& l = rig.platform.layout;
    EXPECT_TRUE(l.spinnerVisible);
    EXPECT_EQ(l.spinner, (PartRect{1500, 0, 240, 300}));
    EXPECT_EQ(l.textBox, (PartRect{0, 0, 1500, 300}));
    rig.model.SetUpDownFunction(false);
    EXPECT_FALSE(rig.platform.layout.spinnerVisible);
    EXPECT_EQ(rig.platform.layout.textBox, (PartRect{0, 0, 1740, 300}));
    // Narrower than the spinner: no negative sizes.
    const auto narrow = PositionControls(100, 300, 240, true);
    EXPECT_EQ(narrow.textBox.width, 0);
    EXPECT_EQ(narrow.spinner, (PartRect{0, 0, 100, 300}));
}

}  // namespace
}  // namespace cadencer::numberentry
