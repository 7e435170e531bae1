// Number text rules of Digitfield: cleaning, the numeric value of a text, number-to-text,
// the typing limit of a format and the laying of a number into a format, checked against
// the worked results, the edge cases and an independent formatter over random values.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "numberentry/number_text.h"
#include "numberentry_fakes.h"

namespace cadencer::numberentry {
namespace {

using testing::U8;

std::string Cleaned(std::u16string text, bool positiveOnly = false, bool* nonNegative = nullptr) {
    const bool n = CleanNumber(text, positiveOnly);
    if (nonNegative) *nonNegative = n;
    return U8(text);
}

std::string Formatted(std::u16string_view number, std::u16string_view format = kDefaultFormat, bool gotFocus = false,
                      bool positiveOnly = false) {
    std::u16string text(number), mask;
    const bool nonNegative = CleanNumber(text, positiveOnly);
    ApplyFormat(text, format, {nonNegative, positiveOnly, gotFocus}, mask);
    return U8(text);
}

TEST(NumberText, CleanNumberKeepsDigitsOnePointAndALeadingSign) {
    bool nonNegative = false;
    EXPECT_EQ(Cleaned(u"(1,234.50)", false, &nonNegative), "-1234.50");
    EXPECT_FALSE(nonNegative);
    EXPECT_EQ(Cleaned(u"1.2.3"), "1.23");
    EXPECT_EQ(Cleaned(u"12-3"), "123");
    EXPECT_EQ(Cleaned(u"\u20AC 7"), "7");
    EXPECT_EQ(Cleaned(u"  -5  "), "-5");
    EXPECT_EQ(Cleaned(u"\t-5\r\n"), "-5");  // pasted text with its line break
    EXPECT_EQ(Cleaned(u"1E+15"), "115");
    EXPECT_EQ(Cleaned(u"", false, &nonNegative), "");
    EXPECT_TRUE(nonNegative);
    EXPECT_EQ(Cleaned(u"-0.00", false, &nonNegative), "-0.00");
    EXPECT_TRUE(nonNegative);  // zero counts as non-negative
    EXPECT_EQ(Cleaned(u"-5.25", true, &nonNegative), "5.25");
    EXPECT_TRUE(nonNegative);
}

TEST(NumberText, NumericValueReadsTheLeadingNumber) {
    EXPECT_EQ(NumericValueOfText(u"  -12.5abc"), -12.5);
    EXPECT_EQ(NumericValueOfText(u"+3"), 3);
    EXPECT_EQ(NumericValueOfText(u"1,234"), 1);
    EXPECT_EQ(NumericValueOfText(u"(5)"), 0);
    EXPECT_EQ(NumericValueOfText(u"1.2.3"), 1.2);
    EXPECT_EQ(NumericValueOfText(u".5"), 0.5);
    EXPECT_EQ(NumericValueOfText(u"7."), 7);
    EXPECT_EQ(NumericValueOfText(u"-"), 0);
    EXPECT_FALSE(std::signbit(NumericValueOfText(u"-0")));
    EXPECT_EQ(NumericValueOfText(u"0.1"), 0.1);
    EXPECT_EQ(NumericValueOfText(u"123456789012345678901234567890"), 1.2345678901234568e29);
    EXPECT_EQ(NumericValueOfText(std::u16string(5000, u'9')), DBL_MAX);
    EXPECT_EQ(NumericValueOfText(u"0." + std::u16string(500, u'0') + u"1"), 0);
    // The stored values read by the number they show, not by their leading digits.
    EXPECT_EQ(NumericValueOf(Variant::String(u"(5.25)")), -5.25);
    EXPECT_EQ(NumericValueOf(Variant::String(u"1,234.50")), 1234.5);
    EXPECT_EQ(NumericValueOf(Variant::Double(999999.99)), 999999.99);
}

TEST(NumberText, NumbersAreWrittenPlainWithFifteenDigits) {
    auto text = [](double v) {
        std::u16string s;
        AppendNumberText(v, s);
        return U8(s);
    };
    EXPECT_EQ(text(1234.5), "1234.5");
    EXPECT_EQ(text(-0.0), "0");
    EXPECT_EQ(text(0.1 + 0.2), "0.3");
    EXPECT_EQ(text(999999.99), "999999.99");
    EXPECT_EQ(text(1e15), "1000000000000000");
    EXPECT_EQ(text(-1.5e20), "-150000000000000000000");
    EXPECT_EQ(text(1e-5), "0.00001");
    EXPECT_EQ(text(1.25e-7), "0.000000125");
    EXPECT_EQ(text(123456789.123456789), "123456789.123457");
    EXPECT_EQ(text(std::nan("")), "");
    EXPECT_EQ(text(INFINITY), "");
    EXPECT_EQ(U8(TextOfValue(Variant::I16(-7))), "-7");
    EXPECT_EQ(U8(TextOfValue(Variant())), "");
    EXPECT_EQ(U8(TextOfValue(Variant::String(u"(12)"))), "(12)");
}

TEST(NumberText, MaxLengthFollowsTheLongerSection) {
    EXPECT_EQ(ComputeMaxLength(kDefaultFormat), 10);
    EXPECT_EQ(ComputeMaxLength(u"#0.00"), 5);
    EXPECT_EQ(ComputeMaxLength(u";"), 0);
    EXPECT_EQ(ComputeMaxLength(u""), 0);
    EXPECT_EQ(ComputeMaxLength(u"#;-###"), 4);
    EXPECT_EQ(ComputeMaxLength(u"#;(###"), 4);  // no closing parenthesis to discount
    EXPECT_EQ(ComputeMaxLength(std::u16string(40000, u'#')), 32767);
}

TEST(NumberText, WorkedResultsOfTheDefaultFormat) {
    const struct {
        const char16_t* number;
        const char* outside;
        const char* inside;
    } rows[] = {
        {u"1234.5", "1,234.50", "1,234.50"},
        {u"12", "12.00", "12.00"},
        {u"0.5", "0.50", "0.50"},
        {u"", "0.00", "0.00"},
        {u"-5.25", "(5.25)", "-5.25"},
        {u"-1234.5", "(1,234.50)", "-1,234.50"},
        {u"1234567.891", "234,567.89", "234,567.89"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Formatted(row.number), row.outside) << U8(row.number);
        EXPECT_EQ(Formatted(row.number, kDefaultFormat, true), row.inside) << U8(row.number);
    }
    std::u16string text = u"-5.25", mask;
    ApplyFormat(text, kDefaultFormat, {false, false, true}, mask);
    EXPECT_EQ(U8(mask), "-##,###.00");
}

TEST(NumberText, OtherFormats) {
    EXPECT_EQ(Formatted(u"7.9", u"#0"), "7");  // decimals are truncated, not rounded
    EXPECT_EQ(Formatted(u"-3", u"#0"), "-3");
    EXPECT_EQ(Formatted(u"-3", u"#0", true), "-3");
    EXPECT_EQ(Formatted(u"-3", u"###0"), "-3");         // no blanks between the sign and the digits
    EXPECT_EQ(Formatted(u"-5", u"#;-#"), "-5");         // the negative section's own sign, not a second one
    EXPECT_EQ(Formatted(u"-5", u"#;(#)", true), "-5");  // inside the focus the parentheses give way
    EXPECT_EQ(Formatted(u"-5", u"#;(#)"), "(5)");
    EXPECT_EQ(Formatted(u"1234", u"#,##0."), "1,234");
    EXPECT_EQ(Formatted(u"0", u"###"), "");
    EXPECT_EQ(Formatted(u"15", u"###"), "15");
    EXPECT_EQ(Formatted(u"1000", u"###"), "");
    EXPECT_EQ(Formatted(u"-5.25", kDefaultFormat, false, true), "5.25");
    EXPECT_EQ(Formatted(u"12.", u"#0.00"), "12.00");  // a trailing point of the number is dropped
    EXPECT_EQ(Formatted(u"3.5", u"0.00 kg"), "3.50 kg");
    EXPECT_EQ(Formatted(u"5", u""), "");
    // Surplus decimals of a negative number stop at the closing parenthesis.
    EXPECT_EQ(Formatted(u"-1234.567"), "(1,234.56)");
}

// An independent formatter for the default format: grouping by thousands, two decimals
// truncated; the positive section shows six whole digits with a units "0", the negative
// one five, all optional (so -0.5 shows as (.50)).
long long ShownCents(long long cents) {
    const long long modulus = cents < 0 ? 10000000 : 100000000;
    return cents < 0 ? -(-cents % modulus) : cents % modulus;
}

std::string Reference(long long cents, bool inside) {
    const bool negative = cents < 0;
    const unsigned long long a = negative ? -cents : cents;
    const unsigned long long whole = a / 100;
    const unsigned frac = a % 100;
    const std::string digits = whole == 0 ? (negative ? "" : "0") : std::to_string(whole);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, ".%02u", frac);
    const std::string body = grouped + tail;
    if (!negative) return body;
    return inside ? "-" + body : "(" + body + ")";
}

TEST(NumberText, RandomValuesRoundTripThroughTheControl) {
    std::mt19937_64 random(20240229);
    std::uniform_int_distribution<long long> centsOf(-99999999999LL, 99999999999LL);
    testing::Rig rig;
    for (int i = 0; i < 4000; ++i) {
        const long long cents = i % 3 == 0 ? centsOf(random) % 100000 : centsOf(random);
        const double value = static_cast<double>(cents) / 100.0;
        rig.model.SetValue(Variant::Double(value));
        const long long shown = ShownCents(cents);
        // A negative number whose shown digits are all zero keeps the negative section.
        ASSERT_EQ(rig.Shown(), cents < 0 && shown == 0 ? "(.00)" : Reference(shown, false)) << value;
        const Variant read = rig.model.Value();
        ASSERT_EQ(read.Type(), VariantType::Double);
        ASSERT_EQ(read.AsDouble(), static_cast<double>(shown) / 100.0) << value;
        // Focus entry and exit keep the number and restore the same display.
        rig.Focus();
        ASSERT_EQ(rig.model.Value().AsDouble(), read.AsDouble());
        rig.Blur();
        ASSERT_EQ(rig.Shown(), Reference(shown, false)) << value;
        ASSERT_EQ(rig.model.Value().AsDouble(), read.AsDouble());
    }
}

TEST(NumberText, GarbageTextCleansToABoundedDisplay) {
    std::mt19937 random(7);
    const std::u16string alphabet = u"0123456789.-(),# abcE\t\r\n\u20AC\u00A0\x01\x1F;";
    for (int i = 0; i < 3000; ++i) {
        std::u16string text(random() % 200, u' ');
        for (auto& c : text) c = alphabet[random() % alphabet.size()];
        std::u16string once = text;
        const bool nonNegative = CleanNumber(once, false);
        std::u16string twice = once;
        ASSERT_EQ(CleanNumber(twice, false), nonNegative);
        ASSERT_EQ(twice, once);  // cleaning is idempotent
        for (std::size_t k = 0; k < once.size(); ++k)
            ASSERT_TRUE((once[k] >= u'0' && once[k] <= u'9') || once[k] == u'.' || (k == 0 && once[k] == u'-'));
        for (bool inside : {false, true}) {
            std::u16string shown = once, mask;
            ApplyFormat(shown, kDefaultFormat, {nonNegative, false, inside}, mask);
            ASSERT_LE(shown.size(), 11u) << U8(text);
        }
    }
}

}  // namespace
}  // namespace cadencer::numberentry
