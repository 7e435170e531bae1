// OLE date decomposition, composition and calendar arithmetic.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <random>

#include "engine/ole_date.h"

namespace cadencer {
namespace {

OleDate D(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    auto v = Compose({y, mo, d, h, mi, s});
    EXPECT_TRUE(v.has_value()) << y << "-" << mo << "-" << d;
    return v.value_or(0);
}

TEST(OleDate, KnownValuesMatchThePlatform) {
    EXPECT_EQ(D(1899, 12, 30), 0.0);
    EXPECT_EQ(D(1900, 1, 1), 2.0);
    EXPECT_EQ(D(2000, 1, 1), 36526.0);
    EXPECT_EQ(D(100, 1, 1), -657434.0);
    EXPECT_EQ(D(9999, 12, 31), 2958465.0);
    EXPECT_DOUBLE_EQ(D(1899, 12, 29, 6), -1.25);  // negative dates subtract the time of day
    EXPECT_DOUBLE_EQ(D(2000, 1, 1, 12), 36526.5);
}

TEST(OleDate, DecompositionRoundsTheTimeToTheNearestSecond) {
    const OleDate justBelowMinute = D(2024, 2, 29, 10, 15) - 1e-9;
    EXPECT_EQ(Decompose(justBelowMinute)->minute, 15);
    EXPECT_EQ(Decompose(justBelowMinute)->second, 0);
    // A rounding that reaches midnight moves to the next day, also across a year end.
    const auto f = Decompose(D(2024, 12, 31) + 0.9999999999);
    EXPECT_EQ(*f, (DateTimeFields{2025, 1, 1, 0, 0, 0}));
}

// The split against the plain formula: whole days toward zero, the absolute fraction
// rounded with std::llround (halves away from zero), a rounding to 24:00 moving to the
// next calendar day. Times at and beside half seconds, on both sides of the epoch.
TEST(OleDate, SplitRoundsLikeTheLibraryRoundingOnBothSidesOfTheEpoch) {
    auto plain = [](double value) {
        const double whole = std::trunc(value);
        DaySecond split{static_cast<std::int64_t>(whole), std::llround(std::fabs(value - whole) * 86400)};
        if (split.second == 86400) split = {split.day + 1, 0};
        return split;
    };
    std::mt19937_64 rng(7);
    for (int i = 0; i < 300000; ++i) {
        const auto day = static_cast<std::int64_t>(rng() % 3615898) - 657433;  // 0100-01-02..9999-12-30
        const double second = static_cast<double>(rng() % 86400) + (i % 3 == 0   ? 0.5
                                                                    : i % 3 == 1 ? 0.5 - 1e-6
                                                                                 : (rng() % 1000) / 1000.0);
        const double time = second / 86400;
        const double value = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
        const auto split = SplitDate(value);
        ASSERT_TRUE(split.has_value()) << value;
        ASSERT_EQ(*split, plain(value)) << std::setprecision(17) << value;
    }
    EXPECT_EQ(*SplitDate(D(2024, 12, 31) + 0.9999999999), (DaySecond{*DaySerial(D(2025, 1, 1)), 0}));
    EXPECT_EQ(*SplitDate(D(1899, 12, 29, 18)), (DaySecond{-1, 18 * 3600}));
}

TEST(OleDate, JoinNormalisesSecondsOfAnySignIntoTheirDay) {
    EXPECT_EQ(NormalisedDaySecond(10, -1), (DaySecond{9, 86399}));
    EXPECT_EQ(NormalisedDaySecond(10, -86400), (DaySecond{9, 0}));
    EXPECT_EQ(NormalisedDaySecond(-1, 86400 * 2 + 5), (DaySecond{1, 5}));
    EXPECT_EQ(NormalisedDaySecond(0, -86401), (DaySecond{-2, 86399}));
    EXPECT_EQ(*JoinDate(0, -6 * 3600), D(1899, 12, 29, 18));
    EXPECT_EQ(*JoinDate(DaySecond{-1, 18 * 3600}), D(1899, 12, 29, 18));
    EXPECT_FALSE(JoinDate(kLastDaySerial, 86400).has_value());
    EXPECT_FALSE(JoinDate(DaySecond{kFirstDaySerial - 1, 0}).has_value());
    EXPECT_EQ(*JoinDate(kFirstDaySerial, 0), kMinOleDate);
}

TEST(OleDate, OutOfRangeValuesAreRefused) {
    for (double bad : {-657435.0, 2958466.0, 1e300, -1e300, std::nan(""), 1.0 / 0.0}) {
        EXPECT_FALSE(Decompose(bad).has_value()) << bad;
        EXPECT_FALSE(AddDays(bad, 1).has_value());
        EXPECT_EQ(TruncateToMinute(bad) == bad || std::isnan(bad), true);
    }
    EXPECT_FALSE(Compose({10000, 1, 1, 0, 0, 0}).has_value());
    EXPECT_FALSE(Compose({99, 12, 31, 0, 0, 0}).has_value());
    EXPECT_FALSE(Compose({2023, 2, 29, 0, 0, 0}).has_value());
    EXPECT_FALSE(Compose({2024, 1, 1, 24, 0, 0}).has_value());
    EXPECT_FALSE(AddDays(D(9999, 12, 31, 23, 59), 1).has_value());
    EXPECT_FALSE(AddMinutes(D(100, 1, 1), -1).has_value());
    EXPECT_FALSE(AddYears(D(9990, 1, 1), 10).has_value());
    EXPECT_FALSE(AddMinutes(D(2000, 1, 1), INT64_MAX).has_value());
}

TEST(OleDate, EveryDayOfTheRangeRoundTripsThroughItsFields) {
    int previousWeekday = 0;
    for (std::int64_t day = -657434; day <= 2958465; ++day) {
        const OleDate value = *DateAtMinute(day, 754);  // 12:34
        const auto f = Decompose(value);
        ASSERT_TRUE(f.has_value()) << day;
        ASSERT_EQ(f->hour, 12);
        ASSERT_EQ(f->minute, 34);
        ASSERT_EQ(*Compose(*f), value) << day;
        ASSERT_EQ(*DaySerial(value), day);
        const int wd = *Weekday(value);
        if (previousWeekday) {
            ASSERT_EQ(wd, previousWeekday % 7 + 1) << day;
        }
        previousWeekday = wd;
    }
    EXPECT_EQ(*Weekday(D(2026, 12, 7)), 2);  // a Monday
    EXPECT_EQ(*Weekday(D(1899, 12, 30)), 7);
    EXPECT_EQ(*Weekday(D(1899, 12, 29, 18)), 6);
}

TEST(OleDate, DifferencesCountBoundaries) {
    EXPECT_EQ(*MinuteDiff(D(2026, 1, 1, 10, 0, 59), D(2026, 1, 1, 10, 1, 0)), 1);
    EXPECT_EQ(*MinuteDiff(D(2026, 1, 1, 10, 0, 0), D(2026, 1, 1, 10, 0, 59)), 0);
    EXPECT_EQ(*MinuteDiff(D(2026, 1, 1, 10, 1), D(2026, 1, 1, 10, 0, 59)), -1);
    EXPECT_EQ(*DayDiff(D(2026, 1, 1, 23, 59), D(2026, 1, 2, 0, 1)), 1);
    EXPECT_EQ(*DayDiff(D(2026, 1, 2), D(2026, 1, 1, 23, 59)), -1);
    EXPECT_EQ(*YearDiff(D(2026, 12, 31, 23, 59), D(2027, 1, 1)), 1);
    EXPECT_EQ(*YearDiff(D(2026, 1, 1), D(1976, 12, 31)), -50);
    // Across the epoch, where the time of day is stored as a subtracted fraction.
    EXPECT_EQ(*MinuteDiff(D(1899, 12, 29, 23, 59), D(1899, 12, 30, 0, 0)), 1);
    EXPECT_EQ(*DayDiff(D(1899, 12, 29, 18), D(1899, 12, 30, 6)), 1);
}

TEST(OleDate, AdditionsAreExactAndMonthsClampTheDay) {
    EXPECT_EQ(*AddMinutes(D(2026, 12, 31, 23, 59), 1), D(2027, 1, 1));
    EXPECT_EQ(*AddHours(D(2024, 2, 28, 23), 25), D(2024, 3, 1));
    EXPECT_EQ(*AddDays(D(1899, 12, 29, 6), 1), D(1899, 12, 30, 6));
    EXPECT_EQ(*AddMinutes(D(1899, 12, 30, 0, 30), -60), D(1899, 12, 29, 23, 30));
    EXPECT_EQ(*AddMonths(D(2026, 1, 31, 8), 1), D(2026, 2, 28, 8));
    EXPECT_EQ(*AddMonths(D(2024, 1, 31), 1), D(2024, 2, 29));
    EXPECT_EQ(*AddMonths(D(2026, 3, 31), -1), D(2026, 2, 28));
    EXPECT_EQ(*AddYears(D(2024, 2, 29, 23, 59, 30), -50), D(1974, 2, 28, 23, 59, 30));
    EXPECT_EQ(*AddMonths(D(2026, 12, 15), 1), D(2027, 1, 15));
    // A minute added 1440 times lands exactly on the next day: no drift.
    OleDate t = D(2026, 3, 1, 7, 13);
    for (int i = 0; i < 1440; ++i) t = *AddMinutes(t, 1);
    EXPECT_EQ(t, D(2026, 3, 2, 7, 13));
}

TEST(OleDate, TruncateToMinuteDropsSecondsWithoutCarrying) {
    EXPECT_EQ(TruncateToMinute(0.0), 0.0);
    EXPECT_EQ(TruncateToMinute(D(2024, 2, 29, 23, 59, 30)), D(2024, 2, 29, 23, 59));
    EXPECT_EQ(TruncateToMinute(D(2026, 5, 5, 10, 14, 59)), D(2026, 5, 5, 10, 14));
    EXPECT_EQ(TruncateToMinute(D(1976, 5, 5, 10, 14, 1)), D(1976, 5, 5, 10, 14));
    EXPECT_EQ(TruncateToMinute(D(1899, 12, 29, 6, 0, 59)), D(1899, 12, 29, 6, 0));
    const OleDate whole = D(2026, 5, 5, 10, 14);
    EXPECT_EQ(TruncateToMinute(whole), whole);
}

}  // namespace
}  // namespace cadencer
