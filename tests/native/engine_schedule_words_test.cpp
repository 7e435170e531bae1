// The schedule in words: each kind with and without an end date, lists of several days,
// ordinals, and the readings the next-run computation makes (hour 24, masks with blanks,
// schedules that can never fall due).
#include <gtest/gtest.h>

#include "control/property_access.h"
#include "engine/schedule_words.h"
#include "engine/variant.h"
#include "utf8.h"

namespace cadencer {
namespace {

OleDate D(int y, int mo, int d) {
    return Compose({y, mo, d, 0, 0, 0}).value();
}

ScheduleSettings Schedule(int kind, int hour = 11, int minute = 34) {
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, D(2026, 12, 7), D(2026, 12, 7));
    s.OccursOption = kind;
    s.StartHour = static_cast<std::int16_t>(hour);
    s.StartMinute = static_cast<std::int16_t>(minute);
    return s;
}

std::string Words(const ScheduleSettings& s) {
    return ToUtf8(DescribeSchedule(s));
}

TEST(ScheduleWords, EachKindWithoutAndWithAnEndDate) {
    auto s = Schedule(1);
    EXPECT_EQ(Words(s), "Daily at 11:34, from 2026-12-07, no end date");
    s.UseEndDate = true;
    EXPECT_EQ(Words(s), "Daily at 11:34, from 2026-12-07 until 2027-01-07");

    s = Schedule(2);
    s.SelectionsWeekly = u"0100000";
    EXPECT_EQ(Words(s), "Weekly on Monday at 11:34, from 2026-12-07, no end date");
    s.UseEndDate = true;
    s.EndDate = D(2027, 3, 31);
    EXPECT_EQ(Words(s), "Weekly on Monday at 11:34, from 2026-12-07 until 2027-03-31");

    s = Schedule(3, 9, 5);
    s.SelectionsMonthly = NormaliseSelection(u"1", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly on the 1st at 09:05, from 2026-12-07, no end date");
    s.UseEndDate = true;
    EXPECT_EQ(Words(s), "Monthly on the 1st at 09:05, from 2026-12-07 until 2027-01-07");

    EXPECT_EQ(Words(Schedule(0)), "Never");
    // Never stays Never whatever else is set.
    s.OccursOption = 0;
    EXPECT_EQ(Words(s), "Never");
}

TEST(ScheduleWords, SeveralDaysAreListedWithAnd) {
    auto s = Schedule(2, 9, 30);
    s.SelectionsWeekly = u"0101010";
    EXPECT_EQ(Words(s), "Weekly on Monday, Wednesday and Friday at 09:30, from 2026-12-07, no end date");
    // Monday first and Sunday last, as the dialog shows them.
    s.SelectionsWeekly = u"1100000";
    EXPECT_EQ(Words(s), "Weekly on Monday and Sunday at 09:30, from 2026-12-07, no end date");

    s = Schedule(3, 9, 30);
    s.SelectionsMonthly = NormaliseSelection(u"100000000000001", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly on the 1st and 15th at 09:30, from 2026-12-07, no end date");
    s.SelectionsMonthly = NormaliseSelection(u"0110000000100000000011100000001", kMonthlyWidth);
    EXPECT_EQ(Words(s),
              "Monthly on the 2nd, 3rd, 11th, 21st, 22nd, 23rd and 31st at 09:30, from 2026-12-07, no end date");
}

TEST(ScheduleWords, OrdinalsAndLists) {
    const std::pair<int, const char*> cases[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},
                                                 {11, "11th"}, {12, "12th"}, {13, "13th"}, {21, "21st"},
                                                 {22, "22nd"}, {23, "23rd"}, {30, "30th"}, {31, "31st"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(ToUtf8(Ordinal(n)), text);
    EXPECT_EQ(ToUtf8(JoinWithAnd({})), "");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a"})), "a");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a", u"b"})), "a and b");
    EXPECT_EQ(ToUtf8(JoinWithAnd({u"a", u"b", u"c", u"d"})), "a, b, c and d");
}

TEST(ScheduleWords, EveryCountsItsUnit) {
    auto s = Schedule(4);
    s.EveryInterval = 1;
    EXPECT_EQ(Words(s), "Every hour");
    s.EveryInterval = 6;
    EXPECT_EQ(Words(s), "Every 6 hours");
    s.EveryFrequency = 1;
    s.EveryInterval = 1;
    EXPECT_EQ(Words(s), "Every minute");
    s.EveryInterval = 45;
    s.UseEndDate = true;  // the dates play no part for Every
    EXPECT_EQ(Words(s), "Every 45 minutes");
}

TEST(ScheduleWords, SaysWhatTheComputationReads) {
    // Hour 24 is midnight; hours and minutes out of range count as 0.
    auto s = Schedule(1, 24, 0);
    EXPECT_EQ(Words(s), "Daily at 00:00, from 2026-12-07, no end date");
    s.StartHour = 30;
    s.StartMinute = 75;
    EXPECT_EQ(Words(s), "Daily at 00:00, from 2026-12-07, no end date");

    // Only "1" selects: a loaded mask with blanks, grayed "2"s or nothing at all.
    s = Schedule(2, 8, 0);
    s.SelectionsWeekly = FitSelection(u"2 1", kWeeklyWidth);
    EXPECT_EQ(Words(s), "Weekly on Tuesday at 08:00, from 2026-12-07, no end date");
    s.SelectionsWeekly = u"0000000";
    EXPECT_EQ(Words(s), "Weekly, but no weekday is selected");
    s = Schedule(3);
    s.SelectionsMonthly = FitSelection(u"", kMonthlyWidth);
    EXPECT_EQ(Words(s), "Monthly, but no day of the month is selected");

    s = Schedule(4);
    s.EveryInterval = 0;
    EXPECT_EQ(Words(s), "Every 0 hours, so never");
    s.EveryInterval = 5;
    s.EveryFrequency = 7;
    EXPECT_EQ(Words(s), "Every 5 of an unknown unit, so never");
    s.OccursOption = 9;
    EXPECT_EQ(Words(s), "Unknown kind 9, so never");
}

}  // namespace
}  // namespace cadencer
