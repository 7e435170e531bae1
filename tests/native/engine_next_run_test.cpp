// Next-run computation: the worked cases of each kind, the mended faults, and a
// differential check of the fast Weekly/Monthly search against the day-by-day one.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "control/property_access.h"
#include "engine/invariant_text.h"
#include "engine/next_run.h"
#include "engine_next_run_reference.h"
#include "utf8.h"

namespace cadencer {
namespace {

OleDate D(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Compose({y, mo, d, h, mi, s}).value();
}

std::string Show(OleDate v) {
    return ToUtf8(FormatIsoDate(v));
}

ScheduleSettings Fresh(OleDate creationDay = D(2026, 12, 7)) {
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, creationDay, creationDay);
    return s;
}

ScheduleSettings Daily(int h, int m, OleDate start = D(2026, 1, 1)) {
    auto s = Fresh();
    s.OccursOption = 1;
    s.StartHour = static_cast<std::int16_t>(h);
    s.StartMinute = static_cast<std::int16_t>(m);
    s.StartDate = start;
    return s;
}

#define EXPECT_DATE(actual, expected) EXPECT_EQ(Show(actual), Show(expected))

TEST(NewControlDefaults, MatchTheNewInstanceTable) {
    const auto s = Fresh(D(2026, 1, 31));
    EXPECT_EQ(s.OccursOption, 0);
    EXPECT_EQ(s.EveryInterval, 1);
    EXPECT_EQ(s.EveryHourMax, 12);
    EXPECT_EQ(s.EveryMinuteMin, 15);
    EXPECT_EQ(s.EveryMinuteMax, 600);
    EXPECT_EQ(s.EveryMinuteIncrement, 5);
    EXPECT_EQ(s.StartHour, 24);
    EXPECT_EQ(s.Title, u"Schedule");
    EXPECT_EQ(s.CaptionCloseButtonAfter, u"Cancel");
    EXPECT_EQ(s.SelectionsWeekly, u"0000000");
    EXPECT_EQ(s.SelectionsMonthly.size(), 31u);
    EXPECT_DATE(s.StartDate, D(2026, 1, 31));
    EXPECT_DATE(s.EndDate, D(2026, 2, 28));  // one month on, clamped to February's end
    EXPECT_DATE(NeverMarker(D(2024, 2, 29, 10, 0, 30)), D(1974, 2, 28, 10, 0, 30));
}

TEST(Selections, LetsNormaliseAndLoadsFit) {
    EXPECT_EQ(NormaliseSelection(u"11", 7), u"1100000");
    EXPECT_EQ(NormaliseSelection(u"1x1", 7), u"1010000");
    EXPECT_EQ(NormaliseSelection(u"1111111111", 7), u"1111111");
    EXPECT_EQ(NormaliseSelection(u"2", 7), u"0000000");
    EXPECT_EQ(NormaliseSelection(u"", 31), std::u16string(31, u'0'));
    EXPECT_EQ(FitSelection(u"101", 7), u"101    ");
    EXPECT_EQ(FitSelection(u"1010101010", 7), u"1010101");
}

TEST(NextRunDaily, StartTimeAgainstTheReferenceMinute) {
    const auto s = Daily(10, 0);
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 9, 59, 30), 0), D(2026, 5, 5, 10, 0));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 10, 0, 40), 0), D(2026, 5, 5, 10, 0));  // due now
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 10, 0, 40), 1), D(2026, 5, 6, 10, 0));
}

TEST(NextRunDaily, StartDateAndEndDate) {
    auto s = Daily(10, 0, D(2026, 5, 8));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 23, 0), 0), D(2026, 5, 8, 10, 0));
    s.StartDate = D(2026, 5, 8, 6, 0);  // a time stored with the date adds to the start time
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 8, 0), 0), D(2026, 5, 8, 16, 0));

    const OleDate now = D(2026, 5, 5, 12, 0, 45);
    s = Daily(10, 0);
    s.UseEndDate = true;
    s.EndDate = D(2026, 5, 4);
    EXPECT_DATE(ComputeNextRun(s, now, 0), D(1976, 5, 5, 12, 0));  // never marker, whole minutes
    s.EndDate = D(2026, 12, 31);
    EXPECT_DATE(ComputeNextRun(s, D(2026, 12, 31, 11, 0), 0), D(1976, 12, 31, 11, 0));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 12, 31, 9, 0), 0), D(2026, 12, 31, 10, 0));
}

TEST(NextRunDaily, HourTwentyFourIsMidnight) {
    const auto s = Daily(24, 0);
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 13, 0), 0), D(2026, 5, 6));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 0, 0, 30), 0), D(2026, 5, 5));
    // Values a bag loaded unchecked are read as the property would have stored them.
    auto odd = Daily(30, 75);
    EXPECT_DATE(ComputeNextRun(odd, D(2026, 5, 5, 13, 0), 0), D(2026, 5, 6));
}

TEST(NextRunWeekly, SelectionDecides) {
    auto s = Fresh();
    s.OccursOption = 2;
    s.StartHour = 10;
    s.StartDate = D(2026, 1, 1);
    const OleDate monday = D(2026, 12, 7, 11, 0);
    for (const char16_t* none : {u"0000000", u"       ", u"2222222", u"xyzxyzx"}) {
        s.SelectionsWeekly = none;
        EXPECT_DATE(ComputeNextRun(s, monday, 0), D(1976, 12, 7, 11, 0));
    }
    s.SelectionsWeekly = u"0100000";
    EXPECT_DATE(ComputeNextRun(s, monday, 0), D(2026, 12, 14, 10, 0));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 12, 7, 9, 0), 0), D(2026, 12, 7, 10, 0));
    s.SelectionsWeekly = u"1000000";
    EXPECT_DATE(ComputeNextRun(s, monday, 0), D(2026, 12, 13, 10, 0));
    s.SelectionsWeekly = u"0000001";
    EXPECT_DATE(ComputeNextRun(s, monday, 0), D(2026, 12, 12, 10, 0));
    // The end day's start time has passed: nothing, although later days are selected.
    s.SelectionsWeekly = u"1111111";
    s.UseEndDate = true;
    s.EndDate = D(2026, 12, 7);
    EXPECT_DATE(ComputeNextRun(s, monday, 0), D(1976, 12, 7, 11, 0));
}

TEST(NextRunMonthly, ShortMonthsAreSkipped) {
    auto s = Fresh();
    s.OccursOption = 3;
    s.StartHour = 8;
    s.StartDate = D(2026, 1, 1);
    s.SelectionsMonthly = std::u16string(30, u'0') + u"1";
    EXPECT_DATE(ComputeNextRun(s, D(2026, 4, 1, 12, 0), 0), D(2026, 5, 31, 8, 0));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 1, 31, 9, 0), 0), D(2026, 3, 31, 8, 0));
    s.SelectionsMonthly = std::u16string(28, u'0') + u"100";  // the 29th
    EXPECT_DATE(ComputeNextRun(s, D(2026, 2, 1), 0), D(2026, 3, 29, 8, 0));
    EXPECT_DATE(ComputeNextRun(s, D(2028, 2, 1), 0), D(2028, 2, 29, 8, 0));
}

TEST(NextRunEvery, IntervalsAndTheNeverRunMarker) {
    auto s = Fresh();
    s.OccursOption = 4;
    s.EveryInterval = 2;
    const OleDate now = D(2026, 5, 5, 9, 7, 20);
    s.LastScheduledTime = NeverMarker(now);
    EXPECT_DATE(ComputeNextRun(s, now, 0), D(2026, 5, 5, 11, 7));
    s.EveryFrequency = 1;
    s.EveryInterval = 15;
    s.LastScheduledTime = D(2026, 5, 5, 10, 0);
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 10, 5), 0), D(2026, 5, 5, 10, 15));
    EXPECT_DATE(ComputeNextRun(s, D(2026, 5, 5, 10, 20, 30), 0), D(2026, 5, 5, 10, 20));
}

TEST(NextRunEvery, NeverRunIsRecognisedAcrossNewYear) {
    // Enabled at 23:59 on 31 December: the marker lies 50 years before the present, but the
    // reference is already in the next year (a difference of -51). Still "never run".
    auto s = Fresh();
    s.OccursOption = 4;
    s.EveryFrequency = 1;
    s.EveryInterval = 30;
    const OleDate now = D(2026, 12, 31, 23, 59, 10);
    s.LastScheduledTime = NeverMarker(now);
    EXPECT_DATE(ComputeNextRun(s, now, 1), D(2027, 1, 1, 0, 29));
    // A marker set at creation, not fired by the next New Year, still counts as never run.
    EXPECT_DATE(ComputeNextRun(s, D(2027, 3, 1, 8, 0), 0), D(2027, 3, 1, 8, 30));
}

TEST(NextRunEvery, NonPositiveIntervalsAndUnknownUnitsHaveNothingDue) {
    auto s = Fresh();
    s.OccursOption = 4;
    const OleDate now = D(2026, 5, 5, 9, 0);
    s.LastScheduledTime = D(2026, 5, 5, 8, 0);
    for (std::int16_t interval : {std::int16_t{0}, std::int16_t{-5}, std::int16_t{-32768}}) {
        s.EveryInterval = interval;
        EXPECT_TRUE(IsNeverMarker(ComputeNextRun(s, now, 0), now)) << interval;
    }
    s.EveryInterval = 1;
    s.EveryFrequency = 7;
    EXPECT_TRUE(IsNeverMarker(ComputeNextRun(s, now, 0), now));
}

TEST(NextRun, UnknownKindGivesTheZeroDateAndNeverIsTheMarker) {
    auto s = Fresh();
    const OleDate now = D(2026, 5, 5, 9, 0, 59);
    s.OccursOption = 5;
    EXPECT_EQ(ComputeNextRun(s, now, 0), kZeroDate);
    s.OccursOption = -1;
    EXPECT_EQ(ComputeNextRun(s, now, 0), kZeroDate);
    s.OccursOption = 0;
    EXPECT_DATE(ComputeNextRun(s, now, 0), D(1976, 5, 5, 9, 0));
}

TEST(NextRun, SearchesPastTheLastDayEndWithTheNeverMarker) {
    const OleDate now = D(9999, 12, 31, 12, 0);
    auto s = Daily(10, 0);
    EXPECT_TRUE(IsNeverMarker(ComputeNextRun(s, now, 0), now));
    s.OccursOption = 3;
    s.SelectionsMonthly = std::u16string(29, u'0') + u"10";  // the 30th: next in January 10000
    EXPECT_TRUE(IsNeverMarker(ComputeNextRun(s, now, 0), now));
    s.OccursOption = 4;
    s.EveryInterval = 32767;
    s.LastScheduledTime = NeverMarker(now);
    EXPECT_TRUE(IsNeverMarker(ComputeNextRun(s, now, 0), now));
    s.OccursOption = 2;
    s.SelectionsWeekly = u"1111111";
    s.StartDate = D(9999, 12, 31);
    EXPECT_DATE(ComputeNextRun(s, D(9999, 12, 31, 9, 0), 0), D(9999, 12, 31, 10, 0));
}

// A search kept across computations must see every change of the settings it read, also
// one made in place in a string's own buffer, and never let one kind's inputs leak into another's.
TEST(NextRunSearch, SeesEveryChangeOfTheSettings) {
    NextRunSearch search;
    auto s = Fresh();
    s.OccursOption = 2;
    s.StartHour = 10;
    s.StartDate = D(2026, 1, 1);
    s.SelectionsWeekly = u"0100000";  // Mondays
    const OleDate monday = D(2026, 12, 7, 11, 0);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 14, 10, 0));
    s.SelectionsWeekly[1] = u'0';  // the same buffer, now Wednesdays
    s.SelectionsWeekly[3] = u'1';
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 9, 10, 0));
    s.SelectionsWeekly = u"0001000xyz";  // beyond the width nothing counts
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 9, 10, 0));
    s.SelectionsWeekly = u"0";  // shorter: no day left
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(1976, 12, 7, 11, 0));

    s.OccursOption = 3;
    s.SelectionsMonthly = std::u16string(30, u'0') + u"1";
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 31, 10, 0));
    s.SelectionsMonthly[30] = u'0';
    s.SelectionsMonthly[8] = u'1';  // the 9th
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 9, 10, 0));
    s.StartDate = D(2026, 12, 10);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2027, 1, 9, 10, 0));
    s.StartDate = D(2026, 12, 9, 23, 59, 59) + 0.6 / 86400;  // rounds to the 10th as well
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2027, 1, 9, 10, 0));
    s.StartDate = D(2026, 12, 9, 23, 59, 59) + 0.4 / 86400;  // the 9th again
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 9, 10, 0));
    s.UseEndDate = true;
    s.EndDate = D(2026, 12, 8);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(1976, 12, 7, 11, 0));
    s.EndDate = D(2026, 12, 9);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 9, 10, 0));

    s.OccursOption = 4;
    s.EveryFrequency = 1;
    s.EveryInterval = 15;
    s.LastScheduledTime = D(2026, 12, 7, 10, 50);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 7, 11, 5));
    s.LastScheduledTime = NeverMarker(monday);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 7, 11, 15));
    s.LastScheduledTime = std::nan("");
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 7, 11, 15));
    s.LastScheduledTime = D(2026, 12, 7, 10, 55);
    EXPECT_DATE(search.ComputeNextRun(s, monday, 0), D(2026, 12, 7, 11, 10));
}

// --- differential check against the day-by-day search -------------------------------

std::u16string RandomSelection(std::mt19937_64& rng, std::size_t width) {
    static const char16_t alphabet[] = {u'0', u'1', u' ', u'2', u'x'};
    std::u16string out(width, u'0');
    const int style = static_cast<int>(rng() % 6);
    for (auto& c : out) {
        switch (style) {
            case 0:
                c = u'0';
                break;  // nothing selected
            case 1:
                c = (rng() % 8 == 0) ? u'1' : u'0';
                break;  // sparse
            case 2:
                c = alphabet[rng() % 5];
                break;  // mixed junk
            case 3:
                c = (rng() % 2) ? u' ' : u'2';
                break;  // no "1" at all
            default:
                c = (rng() % 2) ? u'1' : u'0';
                break;
        }
    }
    if (style == 5 && width == 31) {  // only late days, which short months lack
        out.assign(31, u'0');
        out[28 + rng() % 3] = u'1';
    }
    return out;
}

TEST(NextRunDifferential, FastSearchEqualsTheDayByDaySearch) {
    std::mt19937_64 rng(20261207);
    NextRunSearch kept;  // carried from case to case: whatever it kept must never leak
    const OleDate newYears[] = {D(2026, 12, 31, 23, 59, 30), D(2024, 2, 28, 23, 59, 59), D(2024, 2, 29, 12, 0),
                                D(2100, 2, 28, 23, 59), D(2027, 1, 1, 0, 0, 15)};
    int checked = 0;
    for (int i = 0; i < 40000; ++i) {
        ScheduleSettings s = Fresh();
        s.OccursOption = static_cast<std::int32_t>(rng() % 5);
        if (rng() % 2) s.OccursOption = 2 + static_cast<std::int32_t>(rng() % 2);
        OleDate now = (i % 10 == 0) ? newYears[rng() % 5]
                                    : D(1990, 1, 1) + static_cast<double>(rng() % (80 * 366)) +
                                          static_cast<double>(rng() % 86400) / 86400.0;
        const int hourStyle = static_cast<int>(rng() % 4);
        s.StartHour = static_cast<std::int16_t>(hourStyle == 0 ? 24 : hourStyle == 1 ? 0 : rng() % 24);
        s.StartMinute = static_cast<std::int16_t>(rng() % 60);
        const int startStyle = (rng() % 10 == 0) ? 3 : static_cast<int>(rng() % 3);
        const double startOffsetDays = startStyle == 0   ? -static_cast<double>(rng() % 400)
                                       : startStyle == 1 ? static_cast<double>(rng() % 10)
                                       : startStyle == 2 ? static_cast<double>(rng() % 800)
                                                         : static_cast<double>(rng() % 40000);  // far ahead
        s.StartDate = *CalendarDate(now) + startOffsetDays + ((rng() % 5 == 0) ? (rng() % 24) / 24.0 : 0.0);
        s.UseEndDate = rng() % 2;
        s.EndDate = *CalendarDate(now) + (static_cast<double>(rng() % 900) - 450.0);  // often in the past
        s.SelectionsWeekly = RandomSelection(rng, 7);
        s.SelectionsMonthly = RandomSelection(rng, 31);
        s.EveryFrequency = static_cast<std::int32_t>(rng() % 2);
        s.EveryInterval = static_cast<std::int16_t>(static_cast<int>(rng() % 50) - 5);
        s.LastScheduledTime = (rng() % 2) ? NeverMarker(now) : now - static_cast<double>(rng() % 3000) / 1440.0;
        const std::int16_t offset = static_cast<std::int16_t>(rng() % 2);
        if (!IsValidOleDate(s.StartDate) || s.StartDate > 2958465) continue;
        const OleDate fast = ComputeNextRun(s, now, offset);
        const OleDate slow = reference::ComputeNextRunDayByDay(s, now, offset);
        ASSERT_EQ(Show(fast), Show(slow))
            << "case " << i << " kind " << s.OccursOption << " now " << Show(now) << " start " << Show(s.StartDate)
            << " end " << Show(s.EndDate) << " use end " << s.UseEndDate << " offset " << offset;
        // Every result is a whole minute.
        ASSERT_EQ(TruncateToMinute(fast), fast);
        // The kept search, at this time and, with nothing changed, a little later.
        ASSERT_EQ(Show(kept.ComputeNextRun(s, now, offset)), Show(fast)) << "case " << i;
        const OleDate later = now + static_cast<double>(rng() % 4000) / 1440.0;
        ASSERT_EQ(Show(kept.ComputeNextRun(s, later, offset)), Show(ComputeNextRun(s, later, offset)))
            << "case " << i << " later " << Show(later);
        ++checked;
    }
    EXPECT_GT(checked, 35000);
}

}  // namespace
}  // namespace cadencer
