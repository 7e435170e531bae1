// The property table (src/control/property_table.h) against the type library in
// cadencer.ocx: every row's name, DISPID and type are those of the IDL's property, a row
// with a field has its let (a set for a picture) and a computed one none, and every
// property of the IDL has a row. Then what the lets store, through IDispatch as a host
// calls them, one case for each kind of correction.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "component_support.h"
#include "control/property_table.h"

namespace cadencer_test {
namespace {

using cadencer::control::kProperties;
using cadencer::control::PropertyRow;
using cadencer::control::PropertyType;

std::string Narrow(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

std::string Hex(MEMBERID id) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(id));
    return text;
}

// A type as the IDL spells it: "short", "BSTR", "Occurs", "IPictureDisp*".
std::string TypeName(ITypeInfo* info, const TYPEDESC& type) {
    switch (type.vt) {
        case VT_BOOL:
            return "VARIANT_BOOL";
        case VT_I2:
            return "short";
        case VT_I4:
            return "long";
        case VT_DATE:
            return "DATE";
        case VT_BSTR:
            return "BSTR";
        case VT_PTR:
            return TypeName(info, *type.lptdesc) + "*";
        case VT_USERDEFINED: {
            ComPtr<ITypeInfo> referenced;
            ScopedBstr name;
            if (FAILED(info->GetRefTypeInfo(type.hreftype, &referenced)) ||
                FAILED(referenced->GetDocumentation(MEMBERID_NIL, name.receive(), nullptr, nullptr, nullptr)))
                return "<unresolved>";
            return std::string(name.get(), name.get() + SysStringLen(name.get()));
        }
        default:
            return "VT_" + std::to_string(type.vt);
    }
}

std::string Dereferenced(const std::string& type) {
    return !type.empty() && type.back() == '*' ? type.substr(0, type.size() - 1) : "<not a pointer: " + type + ">";
}

std::string IdlTypeOf(PropertyType type) {
    switch (type) {
        case PropertyType::Boolean:
            return "VARIANT_BOOL";
        case PropertyType::Integer:
            return "short";
        case PropertyType::Long:
            return "long";
        case PropertyType::FormPosition:
            return "FormPosition";
        case PropertyType::Occurs:
            return "Occurs";
        case PropertyType::EveryType:
            return "EveryType";
        case PropertyType::Date:
            return "DATE";
        case PropertyType::String:
            return "BSTR";
        case PropertyType::Picture:
            return "IPictureDisp*";
    }
    return "<unknown>";
}

struct IdlProperty {
    std::string name;
    std::string getType;   // empty: no get
    std::string letType;   // empty: no let or set
    INVOKEKIND letKind{};  // INVOKE_PROPERTYPUT or INVOKE_PROPERTYPUTREF
};

// The properties of _Cadencer's vtable face by DISPID, with the types of their get
// (the [out, retval] parameter) and let (the value, by reference when [in, out]).
std::map<MEMBERID, IdlProperty> IdlProperties(ITypeInfo* vtable) {
    std::map<MEMBERID, IdlProperty> properties;
    TYPEATTR* attr = nullptr;
    if (FAILED(vtable->GetTypeAttr(&attr))) return properties;
    const UINT functions = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(vtable->GetFuncDesc(i, &func))) continue;
        if (func->invkind != INVOKE_FUNC && func->cParams >= 1) {
            IdlProperty& p = properties[func->memid];
            ScopedBstr name;
            vtable->GetDocumentation(func->memid, name.receive(), nullptr, nullptr, nullptr);
            p.name.assign(name.get(), name.get() + SysStringLen(name.get()));
            const ELEMDESC& param =
                func->lprgelemdescParam[func->invkind == INVOKE_PROPERTYGET ? func->cParams - 1 : 0];
            const std::string type = TypeName(vtable, param.tdesc);
            if (func->invkind == INVOKE_PROPERTYGET) {
                p.getType = Dereferenced(type);
            } else {
                p.letType = (param.paramdesc.wParamFlags & PARAMFLAG_FOUT) ? Dereferenced(type) : type;
                p.letKind = func->invkind;
            }
        }
        vtable->ReleaseFuncDesc(func);
    }
    return properties;
}

// Every way the rows and the IDL disagree, one line each.
std::vector<std::string> Disagreements(const std::map<MEMBERID, IdlProperty>& idl, std::span<const PropertyRow> rows) {
    std::vector<std::string> out;
    for (const PropertyRow& row : rows) {
        const std::string name = Narrow(row.name);
        const auto found = idl.find(row.dispid);
        if (found == idl.end()) {
            out.push_back(name + ": the IDL has no property with DISPID " + Hex(row.dispid));
            continue;
        }
        const IdlProperty& p = found->second;
        if (p.name != name)
            out.push_back("DISPID " + Hex(row.dispid) + ": the table says " + name + ", the IDL " + p.name);
        const std::string type = IdlTypeOf(row.type);
        if (p.getType != type) out.push_back(name + ": the table's type is " + type + ", the IDL's get " + p.getType);
        const bool tableLet = !std::holds_alternative<std::monostate>(row.field);
        if (tableLet != !p.letType.empty()) {
            out.push_back(name +
                          (tableLet ? ": the table has a let, the IDL none" : ": the IDL has a let, the table none"));
        } else if (tableLet) {
            if (p.letType != type)
                out.push_back(name + ": the table's type is " + type + ", the IDL's let " + p.letType);
            const INVOKEKIND kind = row.type == PropertyType::Picture ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT;
            if (p.letKind != kind) out.push_back(name + ": the IDL's let is of the wrong kind");
        }
    }
    for (const auto& [id, p] : idl) {
        bool hasRow = false;
        for (const PropertyRow& row : rows) hasRow = hasRow || row.dispid == id;
        if (!hasRow) out.push_back(p.name + " (DISPID " + Hex(id) + "): no row in the table");
    }
    return out;
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

class PropertyTable : public ::testing::Test {
protected:
    void SetUp() override {
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &lib), S_OK);
        ComPtr<ITypeInfo> dispatch, vtable;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(IID__Cadencer, &dispatch), S_OK);
        HREFTYPE ref = 0;
        ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
        ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &vtable), S_OK);
        idl_ = IdlProperties(vtable.Get());
    }
    std::map<MEMBERID, IdlProperty> idl_;
};

TEST_F(PropertyTable, EveryRowIsTheIdlsPropertyAndEveryIdlPropertyHasARow) {
    EXPECT_EQ(idl_.size(), kProperties.size());
    EXPECT_EQ(Lines(Disagreements(idl_, kProperties)), "");
    // The walk sees what the IDL declares: a get-only property, a by-reference let, a set.
    EXPECT_TRUE(idl_.at(0x6803001B).letType.empty());
    EXPECT_EQ(idl_.at(0x6803000F).letType, "Occurs");
    EXPECT_EQ(idl_.at(0x68030010).letKind, INVOKE_PROPERTYPUTREF);
}

// ---- What the lets store, through IDispatch as a host calls them

ScopedVariant I2(SHORT number) {
    ScopedVariant v;
    V_VT(v.get()) = VT_I2;
    V_I2(v.get()) = number;
    return v;
}

std::string Shown(const VARIANT& v) {
    ScopedVariant text;
    if (FAILED(VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR)))
        return "<vt " + std::to_string(V_VT(&v)) + ">";
    return "\"" + std::string(V_BSTR(text.get()), V_BSTR(text.get()) + SysStringLen(V_BSTR(text.get()))) + "\"";
}

ScopedVariant Get(IDispatch* control, DISPID id) {
    ScopedVariant value;
    DispatchGet(control, id, value.receive());
    return value;
}

bool Same(VARIANT* a, const VARIANT* b) {
    return V_VT(a) == V_VT(b) &&
           VarCmp(a, const_cast<VARIANT*>(b), LOCALE_INVARIANT, 0) == static_cast<HRESULT>(VARCMP_EQ);
}

OLE_HANDLE HandleOf(const VARIANT& picture) {
    ComPtr<IPicture> p;
    OLE_HANDLE handle = 0;
    if (V_VT(&picture) == VT_DISPATCH && V_DISPATCH(&picture) &&
        SUCCEEDED(V_DISPATCH(&picture)->QueryInterface(IID_PPV_ARGS(&p))))
        p->get_Handle(&handle);
    return handle;
}

// One case per kind of correction, the values written out rather than taken from the rows:
// a row with the wrong range, replacement text or width fails here.
TEST(PropertyLets, StoreTheCorrectedValueAndNothingElse) {
    ComPtr<IDispatch> control;
    CreateControl().As(&control);
    const auto expect = [&](const wchar_t* name, ScopedVariant given, const ScopedVariant& stored) {
        const DISPID id = DispatchIdOf(control.Get(), name);
        const std::string what = std::string(name, name + wcslen(name)) + " = " + Shown(*given.get());
        EXPECT_EQ(DispatchPut(control.Get(), id, given.get()), S_OK) << what;
        ScopedVariant after = Get(control.Get(), id);
        EXPECT_TRUE(Same(after.get(), stored.get()))
            << what << " reads back " << Shown(*after.get()) << ", not " << Shown(*stored.get());
    };
    const struct {
        const wchar_t* name;
        SHORT given, stored;
    } numbers[] = {
        {L"StartHour", 25, 24},  // 24, not 23 or 0: midnight
        {L"StartHour", -1, 24},         {L"StartMinute", 60, 0},
        {L"EveryMinuteMax", 1000, 999}, {L"EveryHourMin", -3, -3},  // the limits have no lower bound
        {L"EveryInterval", 0, 0},                                   // not held to the limits (1 to 12 hours)
        {L"EveryInterval", 5000, 5000},
    };
    for (const auto& c : numbers) expect(c.name, I2(c.given), I2(c.stored));
    const struct {
        const wchar_t *name, *given, *stored;
    } texts[] = {
        {L"Title", L"", L"Schedule"},
        {L"CaptionCloseButtonAfter", L"", L"Cancel"},
        {L"SelectionsWeekly", L"1x1", L"1010000"},
        {L"SelectionsWeekly", L"1111111111", L"1111111"},
        {L"SelectionsMonthly", L"1", L"1000000000000000000000000000000"},
    };
    for (const auto& c : texts) expect(c.name, ScopedVariant::String(c.given), ScopedVariant::String(c.stored));
}

// A picture without an image, or none, restores the control's own icon.
TEST(PropertyLets, AnIconWithoutAnImageRestoresTheControlsIcon) {
    ComPtr<IDispatch> control;
    CreateControl().As(&control);
    const DISPID icon = DispatchIdOf(control.Get(), L"Icon");
    const OLE_HANDLE controlIcon = HandleOf(*Get(control.Get(), icon).get());
    ASSERT_NE(controlIcon, 0u);
    ScopedVariant other;
    V_VT(other.get()) = VT_DISPATCH;
    V_DISPATCH(other.get()) = BitmapPicture(16, 16).Detach();
    PICTDESC empty{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> noImage;
    OleCreatePictureIndirect(&empty, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(noImage.GetAddressOf()));
    for (IDispatch* given : {static_cast<IDispatch*>(noImage.Get()), static_cast<IDispatch*>(nullptr)}) {
        ASSERT_EQ(DispatchPut(control.Get(), icon, other.get(), DISPATCH_PROPERTYPUTREF), S_OK);
        ASSERT_NE(HandleOf(*Get(control.Get(), icon).get()), controlIcon);
        ScopedVariant value;
        V_VT(value.get()) = VT_DISPATCH;
        V_DISPATCH(value.get()) = given;
        if (given) given->AddRef();
        EXPECT_EQ(DispatchPut(control.Get(), icon, value.get(), DISPATCH_PROPERTYPUTREF), S_OK);
        EXPECT_EQ(HandleOf(*Get(control.Get(), icon).get()), controlIcon) << (given ? "no image" : "Nothing");
    }
}

}  // namespace
}  // namespace cadencer_test
