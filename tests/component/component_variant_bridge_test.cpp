// The bridge from automation VARIANTs to the core's Variant, over every type a container,
// a bag or a property page's object may hand over: integers widened to a Long (a Double
// when a Long cannot hold them), numbers that are not finite and dates outside years 100
// to 9999 refused as overflows, nulls, errors, arrays and foreign objects as type
// mismatches, and one level of by-reference read through. Every value taken goes back to
// a VARIANT and reads as itself.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "component/com_picture.h"
#include "component/variant_bridge.h"
#include "component_support.h"

namespace cadencer_test {
namespace {

using cadencer::Expected;
using cadencer::ValueError;
using cadencer::Variant;
using cadencer::com::FromVariant;
using cadencer::com::PictureOf;
using cadencer::com::ToVariant;

struct Row {
    const char* what;
    std::function<void(VARIANT&)> fill;  // on a VARIANT of type VT_EMPTY
    Expected<Variant> expected;
};

TEST(ComponentVariantBridge, EveryTypeBecomesTheValueTheCoreHolds) {
    // What the by-reference rows point at.
    LONG aLong = 70000;
    double infinite = INFINITY;
    ScopedVariant inner = ScopedVariant::String(L"inner");
    VARIANT toInner;
    VariantInit(&toInner);
    V_VT(&toInner) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&toInner) = inner.get();
    ScopedBstr text(u"by reference");
    BSTR textRef = text.get();
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
    RecordingNotifySink foreign(nullptr);  // an object that is no picture

    const Row rows[] = {
        {"empty", [](VARIANT&) {}, Variant()},
        {"bool true", [](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_TRUE; }, Variant::Bool(true)},
        {"bool 1", [](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = 1; }, Variant::Bool(true)},
        {"bool false", [](VARIANT& v) { V_VT(&v) = VT_BOOL, V_BOOL(&v) = VARIANT_FALSE; }, Variant::Bool(false)},
        {"i2", [](VARIANT& v) { V_VT(&v) = VT_I2, V_I2(&v) = -7; }, Variant::I16(-7)},
        {"i4", [](VARIANT& v) { V_VT(&v) = VT_I4, V_I4(&v) = 70000; }, Variant::I32(70000)},
        {"int", [](VARIANT& v) { V_VT(&v) = VT_INT, V_INT(&v) = -5; }, Variant::I32(-5)},
        {"i1", [](VARIANT& v) { V_VT(&v) = VT_I1, V_I1(&v) = -3; }, Variant::I32(-3)},
        {"ui1", [](VARIANT& v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, Variant::I32(200)},
        {"ui2", [](VARIANT& v) { V_VT(&v) = VT_UI2, V_UI2(&v) = 60000; }, Variant::I32(60000)},
        {"ui4 small", [](VARIANT& v) { V_VT(&v) = VT_UI4, V_UI4(&v) = 7; }, Variant::I32(7)},
        {"ui4 beyond a Long", [](VARIANT& v) { V_VT(&v) = VT_UI4, V_UI4(&v) = 4000000000u; }, Variant::Double(4e9)},
        {"uint beyond a Long", [](VARIANT& v) { V_VT(&v) = VT_UINT, V_UINT(&v) = 3000000000u; }, Variant::Double(3e9)},
        {"i8 small", [](VARIANT& v) { V_VT(&v) = VT_I8, V_I8(&v) = -9; }, Variant::I32(-9)},
        {"i8 below a Long", [](VARIANT& v) { V_VT(&v) = VT_I8, V_I8(&v) = -2147483649LL; },
         Variant::Double(-2147483649.0)},
        {"ui8 small", [](VARIANT& v) { V_VT(&v) = VT_UI8, V_UI8(&v) = 5; }, Variant::I32(5)},
        {"ui8 beyond a Long", [](VARIANT& v) { V_VT(&v) = VT_UI8, V_UI8(&v) = 1ULL << 32; },
         Variant::Double(4294967296.0)},
        {"ui8 beyond a signed 64-bit number",
         [](VARIANT& v) { V_VT(&v) = VT_UI8, V_UI8(&v) = std::numeric_limits<ULONGLONG>::max(); },
         Variant::Double(18446744073709551616.0)},
        {"r4", [](VARIANT& v) { V_VT(&v) = VT_R4, V_R4(&v) = 0.1f; }, Variant::Double(static_cast<double>(0.1f))},
        {"r4 infinite", [](VARIANT& v) { V_VT(&v) = VT_R4, V_R4(&v) = INFINITY; }, ValueError::Overflow},
        {"r8", [](VARIANT& v) { V_VT(&v) = VT_R8, V_R8(&v) = -2.5; }, Variant::Double(-2.5)},
        {"r8 not a number", [](VARIANT& v) { V_VT(&v) = VT_R8, V_R8(&v) = std::nan(""); }, ValueError::Overflow},
        {"currency", [](VARIANT& v) { V_VT(&v) = VT_CY, V_CY(&v).int64 = 123456; }, Variant::Double(12.3456)},
        {"decimal", [](VARIANT& v) { VarDecFromR8(2.5, &V_DECIMAL(&v)), V_VT(&v) = VT_DECIMAL; }, Variant::Double(2.5)},
        {"date", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 46091.5; }, Variant::Date(46091.5)},
        {"date after 9999", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = 2958466.0; }, ValueError::Overflow},
        {"date before 100", [](VARIANT& v) { V_VT(&v) = VT_DATE, V_DATE(&v) = -657435.0; }, ValueError::Overflow},
        {"text", [](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(L"abc"); }, Variant::String(u"abc")},
        {"null text", [](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; }, Variant::String(u"")},
        {"no object", [](VARIANT& v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; }, Variant::Object(nullptr)},
        {"no unknown", [](VARIANT& v) { V_VT(&v) = VT_UNKNOWN, V_UNKNOWN(&v) = nullptr; }, Variant::Object(nullptr)},
        {"foreign object", [&](VARIANT& v) { V_VT(&v) = VT_UNKNOWN, V_UNKNOWN(&v) = &foreign, foreign.AddRef(); },
         ValueError::TypeMismatch},
        {"null", [](VARIANT& v) { V_VT(&v) = VT_NULL; }, ValueError::TypeMismatch},
        {"error", [](VARIANT& v) { V_VT(&v) = VT_ERROR, V_ERROR(&v) = DISP_E_PARAMNOTFOUND; },
         ValueError::TypeMismatch},
        {"array", [&](VARIANT& v) { V_VT(&v) = VT_ARRAY | VT_I4, SafeArrayCopy(array, &V_ARRAY(&v)); },
         ValueError::TypeMismatch},
        {"long by reference", [&](VARIANT& v) { V_VT(&v) = VT_I4 | VT_BYREF, V_I4REF(&v) = &aLong; },
         Variant::I32(70000)},
        {"text by reference", [&](VARIANT& v) { V_VT(&v) = VT_BSTR | VT_BYREF, V_BSTRREF(&v) = &textRef; },
         Variant::String(u"by reference")},
        {"infinity by reference", [&](VARIANT& v) { V_VT(&v) = VT_R8 | VT_BYREF, V_R8REF(&v) = &infinite; },
         ValueError::Overflow},
        {"array by reference", [&](VARIANT& v) { V_VT(&v) = VT_ARRAY | VT_I4 | VT_BYREF, V_ARRAYREF(&v) = &array; },
         ValueError::TypeMismatch},
        {"variant by reference", [&](VARIANT& v) { V_VT(&v) = VT_VARIANT | VT_BYREF, V_VARIANTREF(&v) = inner.get(); },
         Variant::String(u"inner")},
        {"variant by reference to one by reference",
         [&](VARIANT& v) { V_VT(&v) = VT_VARIANT | VT_BYREF, V_VARIANTREF(&v) = &toInner; }, ValueError::TypeMismatch},
        {"variant by reference to nothing",
         [](VARIANT& v) { V_VT(&v) = VT_VARIANT | VT_BYREF, V_VARIANTREF(&v) = nullptr; }, ValueError::TypeMismatch},
    };
    for (const Row& row : rows) {
        ScopedVariant value;
        row.fill(*value.get());
        const Expected<Variant> got = FromVariant(*value.get());
        ASSERT_EQ(static_cast<bool>(got), static_cast<bool>(row.expected)) << row.what;
        if (!got) {
            EXPECT_EQ(got.error(), row.expected.error()) << row.what;
            continue;
        }
        EXPECT_EQ(*got, *row.expected) << row.what;
        ScopedVariant back;
        ASSERT_EQ(ToVariant(*got, back.receive()), S_OK) << row.what;
        const Expected<Variant> again = FromVariant(*back.get());
        ASSERT_TRUE(again) << row.what;
        EXPECT_EQ(*again, *got) << row.what;
    }
    SafeArrayDestroy(array);
}

TEST(ComponentVariantBridge, APictureIsHeldAsItself) {
    const ComPtr<IPictureDisp> picture = BitmapPicture(16, 16);
    ASSERT_TRUE(picture);
    for (const VARTYPE type : {VT_DISPATCH, VT_UNKNOWN}) {
        ScopedVariant value;
        V_VT(value.get()) = type;
        V_DISPATCH(value.get()) = picture.Get();  // the same slot for both types
        picture->AddRef();
        const Expected<Variant> got = FromVariant(*value.get());
        ASSERT_TRUE(got) << type;
        ASSERT_EQ(got->Type(), cadencer::VariantType::Object) << type;
        EXPECT_EQ(PictureOf(got->AsObject()), picture.Get()) << type;
    }
}

}  // namespace
}  // namespace cadencer_test
