// The engine's date decomposition against oleaut32's own, on the real platform.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <random>

#include "engine/ole_date.h"

namespace cadencer {
namespace {

void ExpectSameAsPlatform(double value) {
    UDATE udate{};
    const HRESULT hr = VarUdateFromDate(value, 0, &udate);
    const auto fields = Decompose(value);
    ASSERT_EQ(SUCCEEDED(hr), fields.has_value()) << value;
    if (!fields) return;
    const SYSTEMTIME& st = udate.st;
    ASSERT_EQ(fields->year, st.wYear) << value;
    ASSERT_EQ(fields->month, st.wMonth) << value;
    ASSERT_EQ(fields->day, st.wDay) << value;
    ASSERT_EQ(fields->hour, st.wHour) << value;
    ASSERT_EQ(fields->minute, st.wMinute) << value;
    ASSERT_EQ(fields->second, st.wSecond) << value;
    // The weekday of the decomposed calendar day (the platform counts Sunday as 0). Ask for
    // it from the whole day: when the time rounds up to midnight, oleaut32 under Wine reports
    // the weekday of the day before the roll-over.
    double wholeDay = 0;
    SYSTEMTIME dayOnly = st;
    dayOnly.wHour = dayOnly.wMinute = dayOnly.wSecond = dayOnly.wMilliseconds = 0;
    ASSERT_TRUE(SystemTimeToVariantTime(&dayOnly, &wholeDay));
    UDATE check{};
    ASSERT_EQ(VarUdateFromDate(wholeDay, 0, &check), S_OK);
    ASSERT_EQ(*Weekday(value), check.st.wDayOfWeek + 1) << value;
}

TEST(EngineAgainstOleaut32, DecompositionAgreesAcrossTheRange) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> anyDate(-657434.0, 2958465.99);
    for (int i = 0; i < 200000; ++i) ExpectSameAsPlatform(anyDate(rng));
    // Whole seconds and values a hair away from minute boundaries.
    std::uniform_int_distribution<long long> day(-657434, 2958464);
    for (int i = 0; i < 50000; ++i) {
        const double base = static_cast<double>(day(rng)) + static_cast<double>(rng() % 86400) / 86400.0;
        ExpectSameAsPlatform(base);
        ExpectSameAsPlatform(base + 1e-9);
        ExpectSameAsPlatform(base - 1e-9);
    }
}

TEST(EngineAgainstOleaut32, ComposeAgreesWithSystemTimeConversion) {
    std::mt19937_64 rng(11);
    for (int i = 0; i < 100000; ++i) {
        DateTimeFields f{static_cast<int>(100 + rng() % 9900), static_cast<int>(1 + rng() % 12),
                         static_cast<int>(1 + rng() % 28),     static_cast<int>(rng() % 24),
                         static_cast<int>(rng() % 60),         static_cast<int>(rng() % 60)};
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(f.year);
        st.wMonth = static_cast<WORD>(f.month);
        st.wDay = static_cast<WORD>(f.day);
        st.wHour = static_cast<WORD>(f.hour);
        st.wMinute = static_cast<WORD>(f.minute);
        st.wSecond = static_cast<WORD>(f.second);
        double platform = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &platform));
        const auto ours = Compose(f);
        ASSERT_TRUE(ours.has_value());
        // Both must decompose to the same fields (the doubles may differ in the last bit).
        ASSERT_EQ(*Decompose(*ours), *Decompose(platform)) << f.year << "-" << f.month << "-" << f.day;
    }
}

TEST(EngineAgainstOleaut32, OutOfRangeIsRefusedLikeThePlatform) {
    for (double v : {-657435.0, -657434.5, 2958465.5, 2958466.0, 1e10, -1e10}) ExpectSameAsPlatform(v);
}

}  // namespace
}  // namespace cadencer
