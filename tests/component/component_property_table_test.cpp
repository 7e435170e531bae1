// The property table (src/control/property_table.h) against the type library in
// cadencer.ocx: every row's name, DISPID and type are those of the IDL's property, a row
// with a field has its let (a set for a picture) and a computed one none, and every
// property of the IDL has a row. A table with deliberate mistakes shows that each kind of
// disagreement is caught.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <span>
#include <stdexcept>
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

TEST_F(PropertyTable, EachKindOfDisagreementIsReported) {
    std::vector<PropertyRow> rows(kProperties.begin(), kProperties.end());
    auto row = [&](std::u16string_view name) -> PropertyRow& {
        for (auto& r : rows)
            if (r.name == name) return r;
        throw std::out_of_range("no row");
    };
    row(u"Title").name = u"Caption";
    row(u"StartHour").type = PropertyType::Long;
    row(u"Modal").dispid += 0x100;
    row(u"NextScheduledTime").field = &cadencer::ScheduleSettings::StartDate;
    row(u"Icon").type = PropertyType::String;
    rows.pop_back();  // SelectionsMonthly

    const std::string report = Lines(Disagreements(idl_, rows));
    for (const char* expected : {
             "DISPID 0x68030016: the table says Caption, the IDL Title\n",
             "StartHour: the table's type is long, the IDL's get short\n",
             "StartHour: the table's type is long, the IDL's let short\n",
             "Modal: the IDL has no property with DISPID 0x6803011D\n",
             "Modal (DISPID 0x6803001D): no row in the table\n",
             "NextScheduledTime: the table has a let, the IDL none\n",
             "Icon: the table's type is BSTR, the IDL's get IPictureDisp*\n",
             "Icon: the IDL's let is of the wrong kind\n",
             "SelectionsMonthly (DISPID 0x68030000): no row in the table\n",
         })
        EXPECT_NE(report.find(expected), std::string::npos) << "missing: " << expected << "in:\n" << report;
    EXPECT_EQ(Disagreements(idl_, rows).size(), 10u) << report;  // the nine above and Icon's let type
}

}  // namespace
}  // namespace cadencer_test
