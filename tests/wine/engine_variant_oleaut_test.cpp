// The portable Variant's conversion table against oleaut32: every row that the table
// says the platform answers the same way is converted by VariantChangeTypeEx in the
// invariant locale and must give the same value or the same kind of error; every row
// the invariant subset refuses as locale-bound text must be one the platform accepts.
#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "engine_variant_table.h"
#include "win/scoped.h"

namespace cadencer {
namespace {

using variant_table::Platform;

VARTYPE VarTypeOf(VariantType t) {
    switch (t) {
        case VariantType::Empty:
            return VT_EMPTY;
        case VariantType::Bool:
            return VT_BOOL;
        case VariantType::I16:
            return VT_I2;
        case VariantType::I32:
            return VT_I4;
        case VariantType::Double:
            return VT_R8;
        case VariantType::Date:
            return VT_DATE;
        case VariantType::String:
            return VT_BSTR;
        case VariantType::Object:
            return VT_DISPATCH;
    }
    return VT_EMPTY;
}

void Fill(const Variant& from, VARIANT& out) {
    VariantInit(&out);
    V_VT(&out) = VarTypeOf(from.Type());
    switch (from.Type()) {
        case VariantType::Bool:
            V_BOOL(&out) = from.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VariantType::I16:
            V_I2(&out) = from.AsI16();
            break;
        case VariantType::I32:
            V_I4(&out) = from.AsI32();
            break;
        case VariantType::Double:
            V_R8(&out) = from.AsDouble();
            break;
        case VariantType::Date:
            V_DATE(&out) = from.AsDate();
            break;
        case VariantType::String:
            V_BSTR(&out) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(from.AsString().data()),
                                             static_cast<UINT>(from.AsString().size()));
            break;
        default:
            break;
    }
}

// The platform's result as a Variant of the target type.
Variant Read(const VARIANT& v) {
    switch (V_VT(&v)) {
        case VT_BOOL:
            return Variant::Bool(V_BOOL(&v) != VARIANT_FALSE);
        case VT_I2:
            return Variant::I16(V_I2(&v));
        case VT_I4:
            return Variant::I32(V_I4(&v));
        case VT_R8:
            return Variant::Double(V_R8(&v));
        case VT_DATE:
            return Variant::Date(V_DATE(&v));
        case VT_BSTR:
            return Variant::String(
                std::u16string(reinterpret_cast<const char16_t*>(V_BSTR(&v)), SysStringLen(V_BSTR(&v))));
        default:
            return Variant();
    }
}

std::string Show(const Variant& v) {
    switch (v.Type()) {
        case VariantType::Bool:
            return v.AsBool() ? "Bool(true)" : "Bool(false)";
        case VariantType::I16:
            return "I16(" + std::to_string(v.AsI16()) + ")";
        case VariantType::I32:
            return "I32(" + std::to_string(v.AsI32()) + ")";
        case VariantType::Double:
            return "Double(" + std::to_string(v.AsDouble()) + ")";
        case VariantType::Date:
            return "Date(" + std::to_string(v.AsDate()) + ")";
        case VariantType::String:
            return "String(" + std::string(v.AsString().begin(), v.AsString().end()) + ")";
        default:
            return "Empty";
    }
}

TEST(VariantAgainstOleaut, TheInvariantSubsetAgreesWithThePlatform) {
    int same = 0, accepted = 0;
    for (const auto& row : variant_table::Rows()) {
        if (row.platform == Platform::NotCompared) continue;
        win::ScopedVariant in, out;
        Fill(row.from, *in.receive());
        const HRESULT hr =
            VariantChangeTypeEx(out.receive(), in.get(), LOCALE_INVARIANT, VARIANT_ALPHABOOL, VarTypeOf(row.to));
        const std::string what = Show(row.from) + " to " + std::to_string(VarTypeOf(row.to));
        if (row.platform == Platform::Accepts) {
            ++accepted;
            EXPECT_FALSE(row.expected.ok()) << what;
            EXPECT_EQ(hr, S_OK) << what << ": the platform refuses it too, so the row should say Same";
        } else if (row.expected.ok()) {
            ++same;
            ASSERT_EQ(hr, S_OK) << what;
            EXPECT_TRUE(Read(*out.get()) == *row.expected)
                << what << ": platform " << Show(Read(*out.get())) << ", table " << Show(*row.expected);
        } else {
            ++same;
            EXPECT_EQ(hr, row.expected.error() == ValueError::Overflow ? DISP_E_OVERFLOW : DISP_E_TYPEMISMATCH) << what;
        }
    }
    EXPECT_GE(same, 150);
    EXPECT_GE(accepted, 8);
}

}  // namespace
}  // namespace cadencer
