// Conversions between automation VARIANTs and the core's Variant.
#include "component/variant_bridge.h"

#include <cmath>
#include <limits>
#include <string>

#include "component/com_picture.h"
#include "win/scoped.h"

namespace cadencer::com {

using win::AllocBstr;
using win::ScopedBstr;
using win::ScopedVariant;
using win::ToU16;

namespace {

Expected<Variant> FromDouble(double value) {
    if (!std::isfinite(value)) return ValueError::Overflow;
    return Variant::Double(value);
}

// The core has no wider or unsigned integers: a Long where one holds the value, else the
// nearest Double.
Expected<Variant> FromWide(long long value) {
    if (value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max())
        return Variant::I32(static_cast<std::int32_t>(value));
    return Variant::Double(static_cast<double>(value));
}

Expected<Variant> FromObject(IUnknown* object) {
    if (!object) return Variant::Object(nullptr);
    ObjectRef picture = WrapPicture(object);
    if (!picture) return ValueError::TypeMismatch;
    return Variant::Object(std::move(picture));
}

Expected<Variant> FromUnsignedWide(unsigned long long value) {
    if (value > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
        return Variant::Double(static_cast<double>(value));
    return FromWide(static_cast<long long>(value));
}

Expected<Variant> FromDecimal(const DECIMAL& value) {
    double d = 0;
    if (FAILED(VarR8FromDec(const_cast<DECIMAL*>(&value), &d))) return ValueError::Overflow;
    return FromDouble(d);
}

Expected<Variant> FromDate(DATE value) {
    if (!IsValidOleDate(value)) return ValueError::Overflow;
    return Variant::Date(value);
}

// The types the core can read, each with its reading; every other type (null, error,
// arrays, variants) is a type mismatch.
struct TypeReading {
    VARTYPE type;
    Expected<Variant> (*read)(const VARIANT& v);
};

constexpr TypeReading kTypeReadings[] = {
    {VT_EMPTY, [](const VARIANT&) -> Expected<Variant> { return Variant(); }},
    {VT_BOOL, [](const VARIANT& v) -> Expected<Variant> { return Variant::Bool(V_BOOL(&v) != VARIANT_FALSE); }},
    {VT_I2, [](const VARIANT& v) -> Expected<Variant> { return Variant::I16(V_I2(&v)); }},
    {VT_I4, [](const VARIANT& v) -> Expected<Variant> { return Variant::I32(V_I4(&v)); }},
    {VT_INT, [](const VARIANT& v) -> Expected<Variant> { return Variant::I32(V_INT(&v)); }},
    {VT_I1, [](const VARIANT& v) -> Expected<Variant> { return Variant::I32(V_I1(&v)); }},
    {VT_UI1, [](const VARIANT& v) -> Expected<Variant> { return Variant::I32(V_UI1(&v)); }},
    {VT_UI2, [](const VARIANT& v) -> Expected<Variant> { return Variant::I32(V_UI2(&v)); }},
    {VT_UI4, [](const VARIANT& v) { return FromWide(V_UI4(&v)); }},
    {VT_UINT, [](const VARIANT& v) { return FromWide(V_UINT(&v)); }},
    {VT_I8, [](const VARIANT& v) { return FromWide(V_I8(&v)); }},
    {VT_UI8, [](const VARIANT& v) { return FromUnsignedWide(V_UI8(&v)); }},
    {VT_R4, [](const VARIANT& v) { return FromDouble(V_R4(&v)); }},
    {VT_R8, [](const VARIANT& v) { return FromDouble(V_R8(&v)); }},
    {VT_CY, [](const VARIANT& v) { return FromDouble(static_cast<double>(V_CY(&v).int64) / 10000.0); }},
    {VT_DECIMAL, [](const VARIANT& v) { return FromDecimal(V_DECIMAL(&v)); }},
    {VT_DATE, [](const VARIANT& v) { return FromDate(V_DATE(&v)); }},
    {VT_BSTR, [](const VARIANT& v) -> Expected<Variant> { return Variant::String(ToU16(V_BSTR(&v))); }},
    {VT_DISPATCH, [](const VARIANT& v) { return FromObject(V_DISPATCH(&v)); }},
    {VT_UNKNOWN, [](const VARIANT& v) { return FromObject(V_UNKNOWN(&v)); }},
};

// A value held directly (not by reference).
Expected<Variant> FromValue(const VARIANT& v) {
    for (const TypeReading& reading : kTypeReadings)
        if (reading.type == V_VT(&v)) return reading.read(v);
    return ValueError::TypeMismatch;
}

VARTYPE VarTypeOf(VariantType type) {
    switch (type) {
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
        case VariantType::Empty:
        case VariantType::Object:
            break;
    }
    return VT_EMPTY;
}

bool HoldsObject(const VARIANT& value) {
    VARTYPE vt = V_VT(&value);
    if (vt == (VT_VARIANT | VT_BYREF)) return V_VARIANTREF(&value) && HoldsObject(*V_VARIANTREF(&value));
    vt &= ~VT_BYREF;
    return vt == VT_DISPATCH || vt == VT_UNKNOWN;
}

}  // namespace

Expected<Variant> CoerceVariant(const VARIANT& value, VariantType wanted) {
    const VARTYPE target = VarTypeOf(wanted);
    if (target == VT_EMPTY) return FromVariant(value);
    // The platform would ask an object for its default value; a foreign object is not
    // called while the control loads.
    if (HoldsObject(value)) return ValueError::TypeMismatch;
    ScopedVariant converted;
    const HRESULT hr = VariantChangeTypeEx(converted.get(), const_cast<VARIANT*>(&value), LOCALE_USER_DEFAULT,
                                           VARIANT_ALPHABOOL, target);
    if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? ValueError::Overflow : ValueError::TypeMismatch;
    return FromVariant(*converted.get());
}

Expected<Variant> FromVariant(const VARIANT& in) {
    // One level of indirection, as containers and scripts pass values by reference.
    if (V_VT(&in) == (VT_VARIANT | VT_BYREF)) {
        if (!V_VARIANTREF(&in) || V_VT(V_VARIANTREF(&in)) == (VT_VARIANT | VT_BYREF)) return ValueError::TypeMismatch;
        return FromVariant(*V_VARIANTREF(&in));
    }
    if (!(V_VT(&in) & VT_BYREF)) return FromValue(in);
    if (V_VT(&in) & VT_ARRAY) return ValueError::TypeMismatch;
    ScopedVariant value;
    if (FAILED(VariantCopyInd(value.get(), const_cast<VARIANT*>(&in)))) return ValueError::TypeMismatch;
    return FromValue(*value.get());
}

HRESULT ToVariant(const Variant& value, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    switch (value.Type()) {
        case VariantType::Empty:
            return S_OK;
        case VariantType::Bool:
            V_VT(out) = VT_BOOL;
            V_BOOL(out) = value.AsBool() ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        case VariantType::I16:
            V_VT(out) = VT_I2;
            V_I2(out) = value.AsI16();
            return S_OK;
        case VariantType::I32:
            V_VT(out) = VT_I4;
            V_I4(out) = value.AsI32();
            return S_OK;
        case VariantType::Double:
            V_VT(out) = VT_R8;
            V_R8(out) = value.AsDouble();
            return S_OK;
        case VariantType::Date:
            V_VT(out) = VT_DATE;
            V_DATE(out) = value.AsDate();
            return S_OK;
        case VariantType::String: {
            BSTR text = AllocBstr(value.AsString());
            if (!text) return E_OUTOFMEMORY;
            V_VT(out) = VT_BSTR;
            V_BSTR(out) = text;
            return S_OK;
        }
        case VariantType::Object: {
            IPictureDisp* picture = PictureOf(value.AsObject());
            if (!picture && value.AsObject()) return E_INVALIDARG;
            V_VT(out) = VT_DISPATCH;
            V_DISPATCH(out) = picture;
            if (picture) picture->AddRef();
            return S_OK;
        }
    }
    return E_INVALIDARG;
}

HRESULT HResultOf(ValueError error) {
    switch (error) {
        case ValueError::TypeMismatch:
            return DISP_E_TYPEMISMATCH;
        case ValueError::Overflow:
            return DISP_E_OVERFLOW;
        case ValueError::Storage:
            return E_FAIL;
    }
    return E_FAIL;
}

Expected<std::optional<Variant>> ComPropertyBag::Get(std::u16string_view key, VariantType wanted) {
    ScopedBstr name(key);
    if (!name) return ValueError::Storage;
    ScopedVariant value;
    const HRESULT hr = bag_->Read(name.get(), value.receive(), log_);
    if (FAILED(hr)) {
        // E_INVALIDARG is how a bag says that it holds no such key.
        if (hr == E_INVALIDARG) return std::optional<Variant>();
        lastBagError_ = hr;
        return ValueError::Storage;
    }
    // Asked for any type: the bag hands over what it holds and the platform converts it.
    auto converted = CoerceVariant(*value.get(), wanted);
    if (!converted) return converted.error();
    return std::optional<Variant>(std::move(converted.value()));
}

Expected<bool> ComPropertyBag::Put(std::u16string_view key, const Variant& value) {
    ScopedBstr name(key);
    if (!name) return ValueError::Storage;
    ScopedVariant v;
    HRESULT hr = ToVariant(value, v.receive());
    if (SUCCEEDED(hr)) hr = bag_->Write(name.get(), v.get());
    if (FAILED(hr)) {
        lastBagError_ = hr;
        return ValueError::Storage;
    }
    return true;
}

}  // namespace cadencer::com
