// The conversion table of the portable Variant: one block of rows per source type, each
// block reaching every target type. The native test holds Variant to the expected
// column; under Wine the same rows are held against oleaut32's VariantChangeTypeEx in
// the invariant locale, which is what the invariant subset promises to agree with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/variant.h"

namespace cadencer::variant_table {

// What the platform (invariant locale) answers for the same conversion.
enum class Platform {
    Same,        // the same value, or the same kind of error
    Accepts,     // it converts text that the invariant subset refuses (its meaning varies by locale)
    NotCompared  // objects: the platform would ask the object for its default property
};

struct Row {
    Variant from;
    VariantType to;
    Expected<Variant> expected;
    Platform platform = Platform::Same;
};

class TableObject final : public PlatformObject {
public:
    std::uint64_t Handle() const override { return 42; }
};

inline const ObjectRef& AnObject() {
    static const ObjectRef object = std::make_shared<TableObject>();
    return object;
}

inline Variant S(const char16_t* text) {
    return Variant::String(text);
}

// 2026-03-10, the date most rows use, and a few instants on it.
inline constexpr double kMarch10 = 46091.0;

inline std::vector<Row> Rows() {
    using T = VariantType;
    constexpr auto mismatch = ValueError::TypeMismatch;
    constexpr auto overflow = ValueError::Overflow;
    constexpr auto accepts = Platform::Accepts;
    constexpr auto objects = Platform::NotCompared;
    const Variant empty;
    return {
        // ---- Empty
        {empty, T::Empty, empty},
        {empty, T::Bool, Variant::Bool(false)},
        {empty, T::I16, Variant::I16(0)},
        {empty, T::I32, Variant::I32(0)},
        {empty, T::Double, Variant::Double(0)},
        {empty, T::Date, Variant::Date(0)},
        {empty, T::String, S(u"")},
        {empty, T::Object, empty, objects},

        // ---- Bool
        {Variant::Bool(true), T::Empty, empty},
        {Variant::Bool(true), T::Bool, Variant::Bool(true)},
        {Variant::Bool(true), T::I16, Variant::I16(-1)},
        {Variant::Bool(false), T::I16, Variant::I16(0)},
        {Variant::Bool(true), T::I32, Variant::I32(-1)},
        {Variant::Bool(true), T::Double, Variant::Double(-1)},
        {Variant::Bool(true), T::Date, Variant::Date(-1)},
        {Variant::Bool(false), T::Date, Variant::Date(0)},
        {Variant::Bool(true), T::String, S(u"True")},
        {Variant::Bool(false), T::String, S(u"False")},
        {Variant::Bool(true), T::Object, mismatch, objects},

        // ---- I16
        {Variant::I16(5), T::Empty, empty},
        {Variant::I16(0), T::Bool, Variant::Bool(false)},
        {Variant::I16(2), T::Bool, Variant::Bool(true)},
        {Variant::I16(-32768), T::I16, Variant::I16(-32768)},
        {Variant::I16(-32768), T::I32, Variant::I32(-32768)},
        {Variant::I16(7), T::Double, Variant::Double(7)},
        {Variant::I16(2), T::Date, Variant::Date(2)},
        {Variant::I16(-32768), T::Date, Variant::Date(-32768)},
        {Variant::I16(-32768), T::String, S(u"-32768")},
        {Variant::I16(0), T::String, S(u"0")},
        {Variant::I16(1), T::Object, mismatch, objects},

        // ---- I32
        {Variant::I32(5), T::Empty, empty},
        {Variant::I32(0), T::Bool, Variant::Bool(false)},
        {Variant::I32(-70000), T::Bool, Variant::Bool(true)},
        {Variant::I32(32767), T::I16, Variant::I16(32767)},
        {Variant::I32(-32768), T::I16, Variant::I16(-32768)},
        {Variant::I32(32768), T::I16, overflow},
        {Variant::I32(-32769), T::I16, overflow},
        {Variant::I32(2147483647), T::I32, Variant::I32(2147483647)},
        {Variant::I32(-2147483647 - 1), T::Double, Variant::Double(-2147483648.0)},
        {Variant::I32(2958465), T::Date, Variant::Date(2958465)},
        {Variant::I32(2958466), T::Date, overflow},
        {Variant::I32(-657434), T::Date, Variant::Date(-657434)},
        {Variant::I32(-657435), T::Date, overflow},
        {Variant::I32(2147483647), T::String, S(u"2147483647")},
        {Variant::I32(-5), T::String, S(u"-5")},
        {Variant::I32(1), T::Object, mismatch, objects},

        // ---- Double
        {Variant::Double(1.5), T::Empty, empty},
        {Variant::Double(0.0), T::Bool, Variant::Bool(false)},
        {Variant::Double(-0.0), T::Bool, Variant::Bool(false)},
        {Variant::Double(0.1), T::Bool, Variant::Bool(true)},
        {Variant::Double(2.5), T::I16, Variant::I16(2)},
        {Variant::Double(3.5), T::I16, Variant::I16(4)},
        {Variant::Double(-2.5), T::I16, Variant::I16(-2)},
        {Variant::Double(2.51), T::I16, Variant::I16(3)},
        {Variant::Double(32767.49), T::I16, Variant::I16(32767)},
        {Variant::Double(32767.5), T::I16, overflow},
        {Variant::Double(-32768.5), T::I16, Variant::I16(-32768)},
        {Variant::Double(-32768.51), T::I16, overflow},
        {Variant::Double(1e10), T::I16, overflow},
        {Variant::Double(0.5), T::I32, Variant::I32(0)},
        {Variant::Double(1.5), T::I32, Variant::I32(2)},
        {Variant::Double(2147483647.49), T::I32, Variant::I32(2147483647)},
        {Variant::Double(2147483647.5), T::I32, overflow},
        {Variant::Double(-2147483648.5), T::I32, Variant::I32(-2147483647 - 1)},
        {Variant::Double(-2147483648.51), T::I32, overflow},
        {Variant::Double(-1.25), T::Double, Variant::Double(-1.25)},
        {Variant::Double(kMarch10 + 0.5), T::Date, Variant::Date(kMarch10 + 0.5)},
        {Variant::Double(2958465.99), T::Date, Variant::Date(2958465.99)},
        {Variant::Double(2958466.0), T::Date, overflow},
        {Variant::Double(-657434.99), T::Date, Variant::Date(-657434.99)},
        {Variant::Double(-657435.0), T::Date, overflow},
        {Variant::Double(1e300), T::Date, overflow},
        {Variant::Double(1.5), T::String, S(u"1.5")},
        {Variant::Double(-0.0), T::String, S(u"0")},
        {Variant::Double(0.1), T::String, S(u"0.1")},
        {Variant::Double(1.0 / 3), T::String, S(u"0.333333333333333")},
        {Variant::Double(2.0 / 3), T::String, S(u"0.666666666666667")},
        {Variant::Double(1e14), T::String, S(u"100000000000000")},
        {Variant::Double(999999999999999.0), T::String, S(u"999999999999999")},
        {Variant::Double(1e15), T::String, S(u"1E+15")},
        {Variant::Double(123456789012345678.0), T::String, S(u"1.23456789012346E+17")},
        {Variant::Double(0.0001), T::String, S(u"0.0001")},
        {Variant::Double(0.00001), T::String, S(u"1E-05")},
        {Variant::Double(-1.5e-7), T::String, S(u"-1.5E-07")},
        {Variant::Double(1e-300), T::String, S(u"1E-300")},
        {Variant::Double(1.5), T::Object, mismatch, objects},

        // ---- Date
        {Variant::Date(kMarch10), T::Empty, empty},
        {Variant::Date(0), T::Bool, Variant::Bool(false)},
        {Variant::Date(kMarch10), T::Bool, Variant::Bool(true)},
        {Variant::Date(1.5), T::I16, Variant::I16(2)},
        {Variant::Date(kMarch10), T::I16, overflow},
        {Variant::Date(kMarch10 + 0.5), T::I32, Variant::I32(46092)},
        {Variant::Date(-1.25), T::I32, Variant::I32(-1)},
        {Variant::Date(kMarch10 + 0.75), T::Double, Variant::Double(kMarch10 + 0.75)},
        {Variant::Date(kMarch10), T::Date, Variant::Date(kMarch10)},
        {Variant::Date(kMarch10), T::String, mismatch, accepts},
        {Variant::Date(kMarch10), T::Object, mismatch, objects},

        // ---- String to Bool
        {S(u"True"), T::Bool, Variant::Bool(true)},
        {S(u"true"), T::Bool, Variant::Bool(true)},
        {S(u"TRUE"), T::Bool, Variant::Bool(true)},
        {S(u" True"), T::Bool, mismatch},
        {S(u" 1 "), T::Bool, Variant::Bool(true)},
        {S(u"False"), T::Bool, Variant::Bool(false)},
        {S(u"fALSE"), T::Bool, Variant::Bool(false)},
        {S(u"#TRUE#"), T::Bool, Variant::Bool(true)},
        {S(u"#true#"), T::Bool, mismatch},
        {S(u"#FALSE#"), T::Bool, Variant::Bool(false)},
        {S(u"-1"), T::Bool, Variant::Bool(true)},
        {S(u"0"), T::Bool, Variant::Bool(false)},
        {S(u"2"), T::Bool, Variant::Bool(true)},
        {S(u"0.0"), T::Bool, Variant::Bool(false)},
        {S(u"0.5"), T::Bool, Variant::Bool(true)},
        {S(u"(1)"), T::Bool, Variant::Bool(true)},
        {S(u"&H0"), T::Bool, Variant::Bool(false)},
        {S(u"yes"), T::Bool, mismatch},
        {S(u"T"), T::Bool, mismatch},
        {S(u""), T::Bool, mismatch},
        {S(u"# TRUE #"), T::Bool, mismatch},

        // ---- String to I16
        {S(u"12"), T::I16, Variant::I16(12)},
        {S(u" 12 "), T::I16, Variant::I16(12)},
        {S(u"+12"), T::I16, Variant::I16(12)},
        {S(u"-12"), T::I16, Variant::I16(-12)},
        {S(u"00012"), T::I16, Variant::I16(12)},
        {S(u"(5)"), T::I16, Variant::I16(-5)},
        {S(u"9.0"), T::I16, Variant::I16(9)},
        {S(u"2.5"), T::I16, Variant::I16(2)},
        {S(u"3.5"), T::I16, Variant::I16(4)},
        {S(u".5"), T::I16, Variant::I16(0)},
        {S(u"5."), T::I16, Variant::I16(5)},
        {S(u"1e3"), T::I16, Variant::I16(1000)},
        {S(u"1E+3"), T::I16, Variant::I16(1000)},
        {S(u"&H10"), T::I16, Variant::I16(16)},
        {S(u"&h1f"), T::I16, Variant::I16(31)},
        {S(u"&O17"), T::I16, Variant::I16(15)},
        {S(u"&H7FFF"), T::I16, Variant::I16(32767)},
        {S(u"&HFFFF"), T::I16, mismatch, accepts},
        {S(u"32767"), T::I16, Variant::I16(32767)},
        {S(u"40000"), T::I16, overflow},
        {S(u"-32769"), T::I16, overflow},
        {S(u"1,000"), T::I16, mismatch, accepts},
        {S(u"abc"), T::I16, mismatch},
        {S(u""), T::I16, mismatch},
        {S(u" "), T::I16, mismatch},
        {S(u"0x10"), T::I16, mismatch},
        {S(u"1e"), T::I16, mismatch},
        {S(u"--5"), T::I16, mismatch},
        {S(u"5-"), T::I16, mismatch, accepts},
        {S(u"(-5)"), T::I16, mismatch, accepts},
        {S(u"\u00a05"), T::I16, mismatch, accepts},
        {S(u"5\r\n"), T::I16, mismatch, accepts},
        {S(u"+"), T::I16, mismatch},
        {S(u"True"), T::I16, mismatch},

        // ---- String to I32
        {S(u"2147483647"), T::I32, Variant::I32(2147483647)},
        {S(u"-2147483648"), T::I32, Variant::I32(-2147483647 - 1)},
        {S(u"2147483648"), T::I32, overflow},
        {S(u"1e9"), T::I32, Variant::I32(1000000000)},
        {S(u"(70000)"), T::I32, Variant::I32(-70000)},
        {S(u"&H7FFF"), T::I32, Variant::I32(32767)},
        {S(u"&H10000"), T::I32, mismatch, accepts},
        {S(u"1,000,000"), T::I32, mismatch, accepts},

        // ---- String to Double
        {S(u"1.5"), T::Double, Variant::Double(1.5)},
        {S(u"-1.5e-3"), T::Double, Variant::Double(-0.0015)},
        {S(u" 0.25 "), T::Double, Variant::Double(0.25)},
        {S(u"(2.5)"), T::Double, Variant::Double(-2.5)},
        {S(u"&O777"), T::Double, Variant::Double(511)},
        {S(u"1e400"), T::Double, overflow},
        {S(u"-1e-400"), T::Double, Variant::Double(-0.0)},
        {S(u"0.0000001e-320"), T::Double, Variant::Double(0)},
        {S(u"1,5"), T::Double, mismatch, accepts},
        {S(u"1.2.3"), T::Double, mismatch},
        {S(u"NaN"), T::Double, mismatch},
        {S(u"Infinity"), T::Double, mismatch},

        // ---- String to Date
        {S(u"2026-03-10"), T::Date, Variant::Date(kMarch10)},
        {S(u" 2026-03-10 "), T::Date, Variant::Date(kMarch10)},
        {S(u"2026-03-10 12:00"), T::Date, Variant::Date(kMarch10 + 0.5)},
        {S(u"2026-03-10 18:00:00"), T::Date, Variant::Date(kMarch10 + 0.75)},
        {S(u"0100-01-01"), T::Date, Variant::Date(-657434)},
        {S(u"9999-12-31"), T::Date, Variant::Date(2958465)},
        {S(u"2026-3-1"), T::Date, Variant::Date(46082)},
        {S(u"2026-03-10 9:30"), T::Date, Variant::Date(kMarch10 + 9.5 / 24)},
        {S(u"2026-02-30"), T::Date, mismatch},
        {S(u"2026-03-10 24:00:00"), T::Date, mismatch},
        {S(u"2026-03-10 09:30:60"), T::Date, mismatch},
        {S(u"10000-01-01"), T::Date, mismatch},
        {S(u"2026-03-10T09:30:00"), T::Date, mismatch},
        {S(u"2026-13-01"), T::Date, mismatch, accepts},
        {S(u"0099-12-31"), T::Date, mismatch, accepts},
        {S(u"2026/03/10"), T::Date, mismatch, accepts},
        {S(u"09:30"), T::Date, mismatch, accepts},
        {S(u"03/10/2026"), T::Date, mismatch, accepts},
        {S(u"10 March 2026"), T::Date, mismatch, accepts},
        {S(u"46091"), T::Date, mismatch},
        {S(u"abc"), T::Date, mismatch},
        {S(u""), T::Date, mismatch},

        // ---- String to the rest
        {S(u"text"), T::Empty, empty},
        {S(u"text"), T::String, S(u"text")},
        {S(u""), T::String, S(u"")},
        {S(u"text"), T::Object, mismatch, objects},

        // ---- Object
        {Variant::Object(AnObject()), T::Empty, empty, objects},
        {Variant::Object(AnObject()), T::Bool, mismatch, objects},
        {Variant::Object(AnObject()), T::I16, mismatch, objects},
        {Variant::Object(AnObject()), T::I32, mismatch, objects},
        {Variant::Object(AnObject()), T::Double, mismatch, objects},
        {Variant::Object(AnObject()), T::Date, mismatch, objects},
        {Variant::Object(AnObject()), T::String, mismatch, objects},
        {Variant::Object(AnObject()), T::Object, Variant::Object(AnObject()), objects},
        {Variant::Object(nullptr), T::Object, Variant::Object(nullptr), objects},
    };
}

}  // namespace cadencer::variant_table
