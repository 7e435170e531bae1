// The property pages' tables and values: which page edits which property, what a page
// reads and sets, the changes between two readings, the schedule page's values as a record
// and back, and the whole numbers of the position fields.
#include <gtest/gtest.h>

#include <set>

#include "proppage/page_values.h"
#include "utf8.h"

namespace cadencer::proppage {
namespace {

std::set<std::u16string> Names(std::span<const std::u16string_view> names) {
    return {names.begin(), names.end()};
}

TEST(PropertyPages, EachEditablePropertyHasOnePage) {
    const std::set<std::u16string> schedule = {
        u"OccursOption", u"EveryInterval", u"EveryFrequency", u"StartHour",        u"StartMinute",
        u"StartDate",    u"EndDate",       u"UseEndDate",     u"SelectionsWeekly", u"SelectionsMonthly"};
    const std::set<std::u16string> dialog = {u"Title",
                                             u"CaptionOKButtonBefore",
                                             u"CaptionOKButtonAfter",
                                             u"CaptionCloseButtonBefore",
                                             u"CaptionCloseButtonAfter",
                                             u"CaptionHelpButton",
                                             u"Modal",
                                             u"ShowHelpButton",
                                             u"StartUpPosition",
                                             u"StartUpLeft",
                                             u"StartUpTop",
                                             u"Enabled"};
    EXPECT_EQ(Names(PropertiesSetBy(PageKind::Schedule)), schedule);
    EXPECT_EQ(Names(PropertiesSetBy(PageKind::Dialog)), dialog);
    for (const auto& name : schedule) EXPECT_EQ(PageOfProperty(name), PageKind::Schedule);
    for (const auto& name : dialog) EXPECT_EQ(PageOfProperty(name), PageKind::Dialog);
    // Names match as the control's do, without regard to case.
    EXPECT_EQ(PageOfProperty(u"occursoption"), PageKind::Schedule);
    for (const auto name : {u"NextScheduledTime", u"LastScheduledTime", u"Icon", u"EveryHourMax", u"", u"Colour"})
        EXPECT_EQ(PageOfProperty(name), PageKind::None);
    EXPECT_TRUE(PropertiesSetBy(PageKind::None).empty());

    // The schedule page also reads the interval limits (the dialog's rules) and the title.
    const auto read = Names(PropertiesReadBy(PageKind::Schedule));
    for (const auto& name : schedule) EXPECT_TRUE(read.count(name));
    for (const auto name : {u"EveryHourMin", u"EveryHourMax", u"EveryHourIncrement", u"EveryMinuteMin",
                            u"EveryMinuteMax", u"EveryMinuteIncrement", u"Title"})
        EXPECT_TRUE(read.count(name)) << ToUtf8(name);
    EXPECT_EQ(Names(PropertiesReadBy(PageKind::Dialog)), dialog);
}

TEST(PropertyPages, ChangedValuesKeepTheOrderOfTheLaterReading) {
    const PropertyValues before = {
        {u"Title", Variant::String(u"Schedule")}, {u"Modal", Variant::Bool(false)}, {u"StartUpLeft", Variant::I32(0)}};
    const PropertyValues after = {{u"StartUpLeft", Variant::I32(120)},
                                  {u"Title", Variant::String(u"Schedule")},
                                  {u"Modal", Variant::Bool(true)},
                                  {u"StartUpTop", Variant::I32(0)}};
    const auto changed = ChangedValues(before, after);
    ASSERT_EQ(changed.size(), 3u);
    EXPECT_EQ(changed[0].first, u"StartUpLeft");
    EXPECT_EQ(changed[1].first, u"Modal");
    EXPECT_EQ(changed[2].first, u"StartUpTop");  // not in the earlier reading
    EXPECT_TRUE(ChangedValues(after, after).empty());
    // A different type is a different value.
    EXPECT_EQ(ChangedValues({{u"StartHour", Variant::I16(9)}}, {{u"StartHour", Variant::I32(9)}}).size(), 1u);
    EXPECT_EQ(FindValue(after, u"modal")->AsBool(), true);
    EXPECT_EQ(FindValue(after, u"Enabled"), nullptr);
}

TEST(PropertyPages, ScheduleValuesRoundTripThroughTheRecord) {
    ScheduleSettings s;
    s.OccursOption = 2;
    s.EveryInterval = 30;
    s.EveryFrequency = 1;
    s.StartHour = 9;
    s.StartMinute = 30;
    s.StartDate = *Compose({2026, 12, 7, 0, 0, 0});
    s.EndDate = *Compose({2027, 1, 7, 6, 0, 0});
    s.UseEndDate = true;
    s.SelectionsWeekly = u"0100010";
    s.SelectionsMonthly = NormaliseSelection(u"1", kMonthlyWidth);
    const PropertyValues values = ValuesOfSchedule(s);
    EXPECT_EQ(values.size(), PropertiesSetBy(PageKind::Schedule).size());
    EXPECT_EQ(FindValue(values, u"OccursOption")->Type(), VariantType::I32);
    EXPECT_EQ(FindValue(values, u"StartHour")->Type(), VariantType::I16);
    EXPECT_EQ(FindValue(values, u"EndDate")->Type(), VariantType::Date);
    const ScheduleSettings back = ScheduleOfValues(values);
    EXPECT_EQ(back.OccursOption, 2);
    EXPECT_EQ(back.EveryInterval, 30);
    EXPECT_EQ(back.EveryFrequency, 1);
    EXPECT_EQ(back.StartHour, 9);
    EXPECT_EQ(back.StartMinute, 30);
    EXPECT_EQ(back.StartDate, s.StartDate);
    EXPECT_EQ(back.EndDate, s.EndDate);
    EXPECT_TRUE(back.UseEndDate);
    EXPECT_EQ(back.SelectionsWeekly, u"0100010");
    EXPECT_EQ(back.SelectionsMonthly, s.SelectionsMonthly);
    EXPECT_TRUE(ChangedValues(values, ValuesOfSchedule(back)).empty());
}

TEST(PropertyPages, ScheduleOfValuesConvertsAndToleratesGaps) {
    // Values come as the host's automation layer gives them; what cannot be read keeps the
    // record's default, and selections are placed into their width as a load does it.
    const ScheduleSettings s = ScheduleOfValues({{u"OccursOption", Variant::I16(3)},
                                                 {u"StartHour", Variant::String(u"7")},
                                                 {u"StartMinute", Variant::String(u"soon")},
                                                 {u"EveryHourMax", Variant::I32(40000)},
                                                 {u"SelectionsWeekly", Variant::String(u"11")},
                                                 {u"Title", Variant::String(u"Backup")}});
    EXPECT_EQ(s.OccursOption, 3);
    EXPECT_EQ(s.StartHour, 7);
    EXPECT_EQ(s.StartMinute, 0);
    EXPECT_EQ(s.EveryHourMax, 0);  // overflow: not taken
    EXPECT_EQ(s.SelectionsWeekly, u"11     ");
    EXPECT_EQ(s.SelectionsMonthly, std::u16string(kMonthlyWidth, u' '));
    EXPECT_EQ(s.Title, u"Backup");
}

TEST(PropertyPages, PositionsAreWholeLongNumbers) {
    EXPECT_EQ(ParseLong(u"0"), 0);
    EXPECT_EQ(ParseLong(u" 1440 "), 1440);
    EXPECT_EQ(ParseLong(u"-300"), -300);
    EXPECT_EQ(ParseLong(u"+7"), 7);
    EXPECT_EQ(ParseLong(u"2147483647"), 2147483647);
    EXPECT_EQ(ParseLong(u"-2147483648"), INT32_MIN);
    for (const auto text :
         {u"", u"   ", u"-", u"2147483648", u"-2147483649", u"12.5", u"1e3", u"ten", u"1 2", u"99999999999"})
        EXPECT_FALSE(ParseLong(text).has_value()) << ToUtf8(text);
}

}  // namespace
}  // namespace cadencer::proppage
