// The portable Variant: its conversion table for every pair of types, the invariant
// number and date text behind it, and the property-bag helpers that convert on reading.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>
#include <set>

#include "engine/invariant_text.h"
#include "engine/property_bag.h"
#include "engine_variant_table.h"
#include "utf8.h"

namespace cadencer {
namespace {

const char* Name(VariantType t) {
    static const char* names[] = {"Empty", "Bool", "I16", "I32", "Double", "Date", "String", "Object"};
    return names[static_cast<int>(t)];
}

std::string Show(const Variant& v) {
    std::string out = Name(v.Type());
    switch (v.Type()) {
        case VariantType::Bool:
            return out + "(" + (v.AsBool() ? "true" : "false") + ")";
        case VariantType::I16:
            return out + "(" + std::to_string(v.AsI16()) + ")";
        case VariantType::I32:
            return out + "(" + std::to_string(v.AsI32()) + ")";
        case VariantType::Double:
            return out + "(" + ToUtf8(FormatGeneralNumber(v.AsDouble())) + ")";
        case VariantType::Date:
            return out + "(" + ToUtf8(FormatGeneralNumber(v.AsDate())) + ")";
        case VariantType::String:
            return out + "(\"" + ToUtf8(v.AsString()) + "\")";
        default:
            return out;
    }
}

std::string Show(const Expected<Variant>& e) {
    if (e) return Show(*e);
    return e.error() == ValueError::Overflow ? "Overflow" : "TypeMismatch";
}

TEST(VariantTable, EveryRowConvertsAsTheTableSays) {
    for (const auto& row : variant_table::Rows()) {
        const auto got = row.from.ChangeType(row.to);
        EXPECT_EQ(Show(got), Show(row.expected)) << Show(row.from) << " to " << Name(row.to);
        if (got && row.expected) {
            EXPECT_TRUE(*got == *row.expected) << Show(row.from) << " to " << Name(row.to);
        }
    }
}

TEST(VariantTable, CoversEveryPairOfTypes) {
    std::set<std::pair<VariantType, VariantType>> pairs;
    for (const auto& row : variant_table::Rows()) pairs.insert({row.from.Type(), row.to});
    for (int from = 0; from <= static_cast<int>(VariantType::Object); ++from)
        for (int to = 0; to <= static_cast<int>(VariantType::Object); ++to)
            EXPECT_TRUE(pairs.count({static_cast<VariantType>(from), static_cast<VariantType>(to)}))
                << Name(static_cast<VariantType>(from)) << " to " << Name(static_cast<VariantType>(to));
}

TEST(VariantTable, TheTypedReadersAgreeWithChangeType) {
    // ToI16 and the rest are what the persistence code calls; ChangeType is what bags call.
    for (const auto& row : variant_table::Rows()) {
        const Variant& v = row.from;
        const auto same = [&](auto typed, auto make) {
            const auto changed = v.ChangeType(row.to);
            ASSERT_EQ(typed.ok(), changed.ok()) << Show(v) << " to " << Name(row.to);
            if (typed) {
                EXPECT_TRUE(make(*typed) == *changed) << Show(v);
            } else {
                EXPECT_EQ(typed.error(), changed.error()) << Show(v);
            }
        };
        switch (row.to) {
            case VariantType::Bool:
                same(v.ToBool(), Variant::Bool);
                break;
            case VariantType::I16:
                same(v.ToI16(), Variant::I16);
                break;
            case VariantType::I32:
                same(v.ToI32(), Variant::I32);
                break;
            case VariantType::Double:
                same(v.ToDouble(), Variant::Double);
                break;
            case VariantType::Date:
                same(v.ToDate(), Variant::Date);
                break;
            case VariantType::String:
                same(v.ToString(), Variant::String);
                break;
            default:
                break;
        }
    }
}

TEST(InvariantText, NumbersRoundTripThroughFifteenDigits) {
    std::mt19937_64 random(20260310);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const std::u16string text = FormatGeneralNumber(value);
        const auto parsed = ParseInvariantNumber(text);
        ASSERT_TRUE(parsed.ok()) << ToUtf8(text);
        // Fifteen significant digits: reading the text back and writing it again is stable.
        EXPECT_EQ(FormatGeneralNumber(*parsed), text);
        EXPECT_NEAR(*parsed, value, std::fabs(value) * 1e-14);
    }
}

TEST(InvariantText, NoCLocaleChangesTheText) {
    // A program (a host, a test runner) may switch the C library to a locale whose
    // decimal point is a comma; the invariant text must not follow it.
    const std::string before = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "German"}) {
        if (!std::setlocale(LC_ALL, name)) continue;
        EXPECT_EQ(FormatGeneralNumber(1.5), u"1.5") << name;
        EXPECT_EQ(*ParseInvariantNumber(u"2.25"), 2.25) << name;
        EXPECT_FALSE(ParseInvariantNumber(u"2,25").ok()) << name;
    }
    std::setlocale(LC_ALL, before.c_str());
    EXPECT_EQ(FormatGeneralNumber(1.5), u"1.5");
}

TEST(InvariantText, NonFiniteValuesHaveNoText) {
    EXPECT_EQ(FormatGeneralNumber(std::nan("")), u"");
    EXPECT_EQ(FormatGeneralNumber(HUGE_VAL), u"");
    EXPECT_EQ(Variant::Double(std::nan("")).ToString().error(), ValueError::TypeMismatch);
    EXPECT_EQ(Variant::Double(-HUGE_VAL).ToI32().error(), ValueError::Overflow);
    EXPECT_EQ(Variant::Double(std::nan("")).ToDate().error(), ValueError::Overflow);
}

TEST(InvariantText, IsoDatesRoundTripAndRefuseImpossibleFields) {
    for (double value : {0.0, 46091.0, 46091.5, -657434.0, 2958465.0, 2958465.99998, -1.25, 36526.000011574}) {
        const std::u16string text = FormatIsoDate(value);
        const auto back = ParseIsoDate(text, true);
        ASSERT_TRUE(back.has_value()) << ToUtf8(text);
        EXPECT_EQ(FormatIsoDate(*back), text);
        EXPECT_NEAR(*back, value, 1.0 / 86400);
    }
    EXPECT_EQ(FormatIsoDate(46091.75), u"2026-03-10T18:00:00");
    EXPECT_EQ(FormatIsoDate(46091.0), u"2026-03-10");
    EXPECT_EQ(FormatIsoDate(3e6), u"");
    // The "T" form only where a caller asks for it; a blank always.
    EXPECT_FALSE(ParseIsoDate(u"2026-03-10T18:00:00").has_value());
    EXPECT_EQ(ParseIsoDate(u"2026-03-10T18:00:00", true), 46091.75);
    EXPECT_EQ(ParseIsoDate(u"2026-03-10 18:00"), 46091.75);
    EXPECT_EQ(ParseIsoDate(u"2026-3-9 6:00"), 46090.25);
    for (const char16_t* bad :
         {u"2026-02-29", u"2026-13-01", u"2026-00-10", u"2026-03-32", u"2026-03-10 24:00", u"2026-03-10 12:60",
          u"2026-03-10 12:00:60", u"10000-01-01", u"0099-12-31", u"2026-3-", u"2026/03/10", u"2026-03-10 12",
          u"2026-03-10 12:00:0", u"2026-03-10  12:00", u"+2026-03-10", u"2026-03-10x"})
        EXPECT_FALSE(ParseIsoDate(bad, true).has_value()) << ToUtf8(bad);
}

TEST(InvariantText, HexAndOctalStopAtTheLargestPositiveInteger) {
    EXPECT_EQ(*ParseInvariantNumber(u"&H7fff"), 32767.0);
    EXPECT_EQ(*ParseInvariantNumber(u"&O77777"), 32767.0);
    EXPECT_EQ(*ParseInvariantNumber(u"-&H10"), -16.0);
    EXPECT_FALSE(ParseInvariantNumber(u"&H8000").ok());
    EXPECT_FALSE(ParseInvariantNumber(u"&O8").ok());
    EXPECT_FALSE(ParseInvariantNumber(u"&HG").ok());
    EXPECT_FALSE(ParseInvariantNumber(u"&H").ok());
    EXPECT_FALSE(ParseInvariantNumber(u"&X10").ok());
    EXPECT_FALSE(ParseInvariantNumber(u"(&H10").ok());
}

TEST(PropertyBagPort, ReadingConvertsTheStoredValueToTheWantedType) {
    MemoryPropertyBag bag;
    bag.Put(u"UseEndDate", Variant::String(u"TRUE"));
    bag.Put(u"StartHour", Variant::String(u"9.0"));
    bag.Put(u"Title", Variant::I16(5));
    bag.Put(u"EveryInterval", Variant::String(u"40000"));
    EXPECT_EQ(*ReadProperty(bag, u"usEendDate", VariantType::Bool, Variant::Bool(false)), Variant::Bool(true));
    EXPECT_EQ(*ReadProperty(bag, u"StartHour", VariantType::I16, Variant::I16(24)), Variant::I16(9));
    EXPECT_EQ(*ReadProperty(bag, u"Title", VariantType::String, Variant::String(u"x")), Variant::String(u"5"));
    // As stored when no type is wanted, and the default (unconverted) when absent.
    EXPECT_EQ(*ReadProperty(bag, u"StartHour", Variant::I16(24)), Variant::String(u"9.0"));
    EXPECT_EQ(*ReadProperty(bag, u"StartMinute", VariantType::I16, Variant::I32(3)), Variant::I32(3));
    EXPECT_EQ(ReadProperty(bag, u"EveryInterval", VariantType::I16, Variant::I16(1)).error(), ValueError::Overflow);
    EXPECT_EQ(ReadProperty(bag, u"UseEndDate", VariantType::Date, Variant::Date(0)).error(), ValueError::TypeMismatch);
}

TEST(PropertyBagPort, WritingLeavesDefaultsOutAndKeepsTheFirstOrder) {
    MemoryPropertyBag bag;
    EXPECT_FALSE(*WriteProperty(bag, u"A", Variant::I16(1), Variant::I16(1)));
    // Equal needs the same type: an I32 1 is not the I16 default 1.
    EXPECT_TRUE(*WriteProperty(bag, u"B", Variant::I32(1), Variant::I16(1)));
    EXPECT_TRUE(*WriteProperty(bag, u"C", Variant::String(u"x"), Variant::String(u"")));
    EXPECT_TRUE(*WriteProperty(bag, u"b", Variant::I32(2), Variant::I16(1)));
    ASSERT_EQ(bag.Entries().size(), 2u);
    EXPECT_EQ(bag.Entries()[0].first, u"B");
    EXPECT_EQ(bag.Entries()[0].second, Variant::I32(2));
    EXPECT_TRUE(bag.Contains(u"c"));
    EXPECT_FALSE(bag.Contains(u"A"));
    EXPECT_TRUE(KeysEqualIgnoringCase(u"StartHour", u"STARTHOUR"));
    EXPECT_FALSE(KeysEqualIgnoringCase(u"StartHour", u"StartHours"));
}

}  // namespace
}  // namespace cadencer
