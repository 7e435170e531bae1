// The property table (src/control/property_table.h) against the type library in
// cadencer.ocx: every row's name, DISPID and type are those of the IDL's property, a row
// with a field has its let (a set for a picture) and a computed one none, and every
// property of the IDL has a row. A table with deliberate mistakes shows that each kind of
// disagreement is caught. Every row's correction column (which docs/reference.md states)
// is held against the real lets, through IDispatch as a host calls them.
#include <gtest/gtest.h>

#include <algorithm>
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
using cadencer::control::LetCorrection;
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

// ---- The correction column against the real lets

// A value of a row's automation type (pictures aside).
ScopedVariant ValueOf(PropertyType type, double number, std::u16string_view text = {}) {
    ScopedVariant v;
    switch (type) {
        case PropertyType::Boolean:
            V_VT(v.get()) = VT_BOOL;
            V_BOOL(v.get()) = number != 0 ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case PropertyType::Integer:
            V_VT(v.get()) = VT_I2;
            V_I2(v.get()) = static_cast<SHORT>(number);
            break;
        case PropertyType::Date:
            V_VT(v.get()) = VT_DATE;
            V_DATE(v.get()) = number;
            break;
        case PropertyType::String:
            V_VT(v.get()) = VT_BSTR;
            V_BSTR(v.get()) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), text.size());
            break;
        default:  // Long and the enumerations
            V_VT(v.get()) = VT_I4;
            V_I4(v.get()) = static_cast<LONG>(number);
            break;
    }
    return v;
}

std::string Shown(const VARIANT& v) {
    ScopedVariant text;
    if (V_VT(&v) == VT_BSTR) {
        const std::wstring s(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
        return "\"" + std::string(s.begin(), s.begin() + std::min<size_t>(s.size(), 40)) + "\"";
    }
    if (FAILED(VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR)))
        return "<vt " + std::to_string(V_VT(&v)) + ">";
    return std::string(V_BSTR(text.get()), V_BSTR(text.get()) + SysStringLen(V_BSTR(text.get())));
}

// One let and what the get must return after it (the value before the let: refused).
struct Probe {
    ScopedVariant value;
    ScopedVariant expected;
    bool refused = false;
};

// What a let must do by the row's correction: values it corrects and values it keeps, at
// the edges of the corrected range and of the type.
std::vector<Probe> ProbesFor(const PropertyRow& row) {
    std::vector<Probe> probes;
    const auto add = [&](ScopedVariant value, ScopedVariant expected) {
        probes.push_back({std::move(value), std::move(expected)});
    };
    const auto same = [&](double number) { add(ValueOf(row.type, number), ValueOf(row.type, number)); };
    const auto sameText = [&](std::u16string_view text) {
        add(ValueOf(row.type, 0, text), ValueOf(row.type, 0, text));
    };
    const LetCorrection& fix = row.fix;
    switch (row.type) {
        case PropertyType::Boolean:
            same(0);
            same(-1);
            break;
        case PropertyType::Integer:
            for (int number : {-32768, -1, 0, 1, 24, 59, 999, 32767}) {
                const bool corrected =
                    fix.kind == LetCorrection::Kind::OutOfRange && (number < fix.low || number > fix.high);
                add(ValueOf(row.type, number), ValueOf(row.type, corrected ? fix.replacement : number));
            }
            if (fix.kind == LetCorrection::Kind::OutOfRange) {
                for (int number : {fix.low, fix.high}) same(number);
                for (int number : {fix.low - 1, fix.high + 1})
                    if (number >= -32768 && number <= 32767)
                        add(ValueOf(row.type, number), ValueOf(row.type, fix.replacement));
            }
            break;
        case PropertyType::Long:
        case PropertyType::FormPosition:
        case PropertyType::Occurs:
        case PropertyType::EveryType:
            for (double number : {-2147483648.0, -1.0, 0.0, 5.0, 2147483647.0}) same(number);
            break;
        case PropertyType::Date:
            // Years 100 to 9999, with any time of day; outside them the let refuses.
            for (double date : {-657434.0, -1.25, 0.0, 46000.123456, 2958465.5}) same(date);
            probes.push_back({ValueOf(row.type, 2958466.0), {}, true});
            probes.push_back({ValueOf(row.type, -657435.0), {}, true});
            break;
        case PropertyType::String: {
            const std::u16string longest(65536, u'x');
            const std::u16string tooLong(65537, u'x');
            if (fix.kind == LetCorrection::Kind::EmptyText) {
                // Titles and captions: longer than every stored form holds is refused.
                probes.push_back({ValueOf(row.type, 0, tooLong), {}, true});
                add(ValueOf(row.type, 0, u""), ValueOf(row.type, 0, row.def.text));
                sameText(u" ");
                sameText(u"&Later");
                sameText(longest);
            } else if (fix.kind == LetCorrection::Kind::Selection) {
                const std::u16string zeros(row.width, u'0'), ones(row.width, u'1');
                add(ValueOf(row.type, 0, u""), ValueOf(row.type, 0, zeros));
                add(ValueOf(row.type, 0, u"1"), ValueOf(row.type, 0, u"1" + zeros.substr(1)));
                add(ValueOf(row.type, 0, u"1x2 1"), ValueOf(row.type, 0, u"10001" + zeros.substr(5)));
                add(ValueOf(row.type, 0, ones + u"111"), ValueOf(row.type, 0, ones));
                add(ValueOf(row.type, 0, tooLong), ValueOf(row.type, 0, zeros));
                sameText(ones);
            } else {
                sameText(u"");
                sameText(u" ");
            }
            break;
        }
        case PropertyType::Picture:
            break;  // below, with pictures
    }
    return probes;
}

HRESULT Put(IDispatch* control, DISPID id, WORD kind, VARIANT* value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{value, &named, 1, 1};
    ScopedExcepInfo error;
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, nullptr, error.get(), nullptr);
}

ScopedVariant Get(IDispatch* control, DISPID id) {
    DISPPARAMS none{};
    ScopedVariant value;
    ScopedExcepInfo error;
    control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.receive(), error.get(),
                    nullptr);
    return value;
}

bool Equal(const VARIANT& a, const VARIANT& b) {
    return V_VT(&a) == V_VT(&b) && VarCmp(const_cast<VARIANT*>(&a), const_cast<VARIANT*>(&b), LOCALE_INVARIANT, 0) ==
                                       static_cast<HRESULT>(VARCMP_EQ);
}

OLE_HANDLE HandleOf(const VARIANT& picture) {
    ComPtr<IPicture> p;
    OLE_HANDLE handle = 0;
    if (V_VT(&picture) == VT_DISPATCH && V_DISPATCH(&picture) &&
        SUCCEEDED(V_DISPATCH(&picture)->QueryInterface(IID_PPV_ARGS(&p))))
        p->get_Handle(&handle);
    return handle;
}

// The icon's let: a picture without an image, or none, restores the control's icon.
std::vector<std::string> IconDisagreements(const PropertyRow& row) {
    std::vector<std::string> out;
    if (row.fix.kind != LetCorrection::Kind::ControlIcon) return {Narrow(row.name) + ": a picture's let not tested"};
    ComPtr<IDispatch> control;
    CreateControl().As(&control);
    const OLE_HANDLE controlIcon = HandleOf(*Get(control.Get(), row.dispid).get());
    if (controlIcon == 0) out.push_back("Icon: a new control's icon has no handle");
    PICTDESC empty{sizeof(PICTDESC), PICTYPE_NONE, {}};
    ComPtr<IPictureDisp> noImage;
    OleCreatePictureIndirect(&empty, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(noImage.GetAddressOf()));
    for (IDispatch* given : {static_cast<IDispatch*>(noImage.Get()), static_cast<IDispatch*>(nullptr)}) {
        ScopedVariant value;
        V_VT(value.get()) = VT_DISPATCH;
        V_DISPATCH(value.get()) = given;
        if (given) given->AddRef();
        if (FAILED(Put(control.Get(), row.dispid, DISPATCH_PROPERTYPUTREF, value.get())) ||
            HandleOf(*Get(control.Get(), row.dispid).get()) != controlIcon)
            out.push_back(std::string("Icon: set to ") + (given ? "a picture without an image" : "Nothing") +
                          " does not restore the control's icon");
    }
    return out;
}

// Every let against its row's correction: one line per value a let treats otherwise.
std::vector<std::string> CorrectionDisagreements(std::span<const PropertyRow> rows) {
    std::vector<std::string> out;
    for (const PropertyRow& row : rows) {
        const std::string name = Narrow(row.name);
        if (std::holds_alternative<std::monostate>(row.field)) {
            if (row.fix.kind != LetCorrection::Kind::None) out.push_back(name + ": no let, yet a correction");
            continue;
        }
        if (row.type == PropertyType::Picture) {
            for (auto& line : IconDisagreements(row)) out.push_back(line);
            continue;
        }
        // A control of its own per row: no schedule from a container, in run mode.
        ComPtr<IDispatch> control;
        CreateControl().As(&control);
        for (Probe& probe : ProbesFor(row)) {
            const ScopedVariant before = Get(control.Get(), row.dispid);
            const HRESULT hr = Put(control.Get(), row.dispid, DISPATCH_PROPERTYPUT, probe.value.get());
            const ScopedVariant after = Get(control.Get(), row.dispid);
            const std::string what = name + " = " + Shown(*probe.value.get());
            if (probe.refused) {
                if (SUCCEEDED(hr) || !Equal(*after.get(), *before.get()))
                    out.push_back(what + ": not refused, or the value changed (" + Shown(*after.get()) + ")");
            } else if (FAILED(hr)) {
                out.push_back(what + ": refused");
            } else if (!Equal(*after.get(), *probe.expected.get())) {
                out.push_back(what + ": reads back " + Shown(*after.get()) + ", the table says " +
                              Shown(*probe.expected.get()));
            }
        }
    }
    return out;
}

TEST_F(PropertyTable, EveryLetCorrectsExactlyAsItsRowSays) {
    EXPECT_EQ(Lines(CorrectionDisagreements(kProperties)), "");

    // A row that claims a correction the let does not make, or misses one it makes, is
    // reported.
    std::vector<PropertyRow> rows;
    for (const PropertyRow& row : kProperties) {
        if (row.name == u"StartHour") rows.push_back(row), rows.back().fix = LetCorrection::OutsideBecomes(0, 23, 0);
        if (row.name == u"EveryHourMax") rows.push_back(row), rows.back().fix = LetCorrection{};
        if (row.name == u"EveryInterval")
            rows.push_back(row), rows.back().fix = LetCorrection::OutsideBecomes(1, 999, 1);
    }
    const std::string report = Lines(CorrectionDisagreements(rows));
    for (const char* expected : {"StartHour = 24: reads back 24, the table says 0\n",
                                 "EveryHourMax = 32767: reads back 999, the table says 32767\n",
                                 "EveryInterval = 0: reads back 0, the table says 1\n"})
        EXPECT_NE(report.find(expected), std::string::npos) << "missing: " << expected << "in:\n" << report;
}

}  // namespace
}  // namespace cadencer_test
