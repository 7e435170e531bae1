// cadencer.ocx's type library as hosts read it from the OCX's resource: six types, the
// dual interface's members with their DISPIDs, kinds, flags and help strings, the event
// interface, the control class and the three enumerations with their members' help; and
// as hosts load it by its registration, from any user locale.
#include <gtest/gtest.h>

#include <set>

#include "component_support.h"

namespace cadencer_test {
namespace {

std::string Text(BSTR text) {
    return text ? std::string(text, text + SysStringLen(text)) : std::string("<null>");
}

struct Documentation {
    std::string name, help;
};

Documentation DocOf(ITypeInfo* info, MEMBERID id) {
    ScopedBstr name, help;
    EXPECT_EQ(info->GetDocumentation(id, name.receive(), help.receive(), nullptr, nullptr), S_OK);
    return Documentation{Text(name.get()), Text(help.get())};
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, &lib_), S_OK); }
    ComPtr<ITypeInfo> Info(REFGUID guid) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(lib_->GetTypeInfoOfGuid(guid, &info), S_OK);
        return info;
    }
    ComPtr<ITypeInfo> ByName(const wchar_t* name) {
        for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
            ScopedBstr n;
            lib_->GetDocumentation(static_cast<INT>(i), n.receive(), nullptr, nullptr, nullptr);
            if (n && wcscmp(n.get(), name) == 0) {
                ComPtr<ITypeInfo> info;
                lib_->GetTypeInfo(i, &info);
                return info;
            }
        }
        ADD_FAILURE() << "no type named " << Text(const_cast<BSTR>(name));
        return nullptr;
    }
    ComPtr<ITypeLib> lib_;
};

TEST_F(TypeLibrary, LibraryHoldsSixTypesInEnglish) {
    EXPECT_EQ(lib_->GetTypeInfoCount(), 6u);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_CadencerLib);
    EXPECT_EQ(attr->lcid, 0x409u);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    lib_->ReleaseTLibAttr(attr);
    ScopedBstr name, help, file;
    ASSERT_EQ(lib_->GetDocumentation(-1, name.receive(), help.receive(), nullptr, file.receive()), S_OK);
    EXPECT_EQ(Text(name.get()), "CadencerLib");
    EXPECT_EQ(Text(help.get()), "CadencerLib");
    EXPECT_EQ(file.get(), nullptr);
}

struct Member {
    const char* name;
    MEMBERID id;
    INVOKEKIND kind;
    bool hidden;
};

TEST_F(TypeLibrary, DualInterfaceMembersCarryTheirDispidsFlagsAndHelp) {
    ComPtr<ITypeInfo> dispatch = Info(IID__Cadencer);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(dispatch->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    const WORD expectedFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(attr->wTypeFlags & expectedFlags, expectedFlags);
    dispatch->ReleaseTypeAttr(attr);

    HREFTYPE ref = 0;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(dispatch->GetRefTypeInfo(ref, &vtable), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    // Automation-compatible is a property of the vtable face (the dispatch face never has it).
    EXPECT_EQ(attr->wTypeFlags & (expectedFlags | TYPEFLAG_FOLEAUTOMATION), expectedFlags | TYPEFLAG_FOLEAUTOMATION);
    const UINT functions = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);

    // Slot order: each property's get then its let (or set), then the methods.
    std::vector<Member> expected;
    const char* properties[] = {"Enabled",
                                "Modal",
                                "ShowHelpButton",
                                "NextScheduledTime",
                                "LastScheduledTime",
                                "StartUpPosition",
                                "StartUpLeft",
                                "StartUpTop",
                                "Title",
                                "CaptionOKButtonBefore",
                                "CaptionOKButtonAfter",
                                "CaptionCloseButtonBefore",
                                "CaptionCloseButtonAfter",
                                "CaptionHelpButton",
                                "Icon",
                                "OccursOption",
                                "EveryInterval",
                                "EveryFrequency",
                                "EveryHourMin",
                                "EveryHourMax",
                                "EveryHourIncrement",
                                "EveryMinuteMin",
                                "EveryMinuteMax",
                                "EveryMinuteIncrement",
                                "StartHour",
                                "StartMinute",
                                "StartDate",
                                "EndDate",
                                "UseEndDate",
                                "SelectionsWeekly",
                                "SelectionsMonthly"};
    for (int n = 0; n < 31; ++n) {
        const std::string name = properties[n];
        const MEMBERID id = 0x68030000 + 30 - n;
        const bool hidden = name == "LastScheduledTime";
        expected.push_back({properties[n], id, INVOKE_PROPERTYGET, hidden});
        if (name == "NextScheduledTime") continue;
        expected.push_back({properties[n], id, name == "Icon" ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT, hidden});
    }
    const Member methods[] = {{"DisplayScheduler", 0x6003001F, INVOKE_FUNC, false},
                              {"CloseScheduler", 0x60030021, INVOKE_FUNC, false},
                              {"Execute", 0x60030023, INVOKE_FUNC, false},
                              {"Reset", 0x60030024, INVOKE_FUNC, false},
                              {"SetFocus", 0x60030025, INVOKE_FUNC, false},
                              {"FlagScheduleChanged", 0x60030026, INVOKE_FUNC, true},
                              {"FlagSchedulerClosed", 0x60030027, INVOKE_FUNC, true},
                              {"FlagHelpButton", 0x60030028, INVOKE_FUNC, true},
                              {"DisplayAboutBox", DISPID_ABOUTBOX, INVOKE_FUNC, false}};
    expected.insert(expected.end(), std::begin(methods), std::end(methods));
    ASSERT_EQ(functions, expected.size());

    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(vtable->GetFuncDesc(i, &func), S_OK);
        const Member& want = expected[i];
        const Documentation doc = DocOf(vtable.Get(), func->memid);
        EXPECT_EQ(doc.name, want.name) << i;
        EXPECT_EQ(func->memid, want.id) << want.name;
        EXPECT_EQ(func->invkind, want.kind) << want.name;
        EXPECT_EQ((func->wFuncFlags & FUNCFLAG_FHIDDEN) != 0, want.hidden) << want.name;
        // Properties have help strings, methods none.
        EXPECT_EQ(want.kind == INVOKE_FUNC, doc.help == "<null>") << want.name << ": " << doc.help;
        if (std::string(want.name) == "OccursOption" && func->invkind == INVOKE_PROPERTYPUT) {
            ASSERT_EQ(func->cParams, 1);
            EXPECT_EQ(func->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
            EXPECT_EQ(func->lprgelemdescParam[0].tdesc.vt, VT_PTR);
        }
        vtable->ReleaseFuncDesc(func);
    }
    // Three help strings, verbatim: trailing blanks and embedded quotes included.
    EXPECT_EQ(DocOf(vtable.Get(), 0x68030016).help,
              "Returns/sets the text displayed in the scheduler form's title bar.  ");
    EXPECT_EQ(DocOf(vtable.Get(), 0x6803001B).help,
              "Returns the date and time calculated by the control as the next time the control will "
              "automatically perform the \"Execute\" method (see below).");
    EXPECT_EQ(DocOf(vtable.Get(), 0x68030000).help,
              "Returns/sets a 31-byte string option, composed of \"0\" (not selected) and \"1\" (selected) "
              "characters, which indicate on which days of the month the control will execute for the "
              "\"Monthly\" option.");
}

TEST_F(TypeLibrary, EventInterfaceAndControlClass) {
    ComPtr<ITypeInfo> events = Info(DIID___Cadencer);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(events->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FHIDDEN);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FNONEXTENSIBLE);
    EXPECT_EQ(attr->cFuncs, 4);
    events->ReleaseTypeAttr(attr);
    const char* names[] = {"HelpButtonClicked", "ScheduleChanged", "SchedulerClosed", "ScheduledTime"};
    for (UINT i = 0; i < 4; ++i) {
        FUNCDESC* func = nullptr;
        ASSERT_EQ(events->GetFuncDesc(i, &func), S_OK);
        EXPECT_EQ(func->memid, static_cast<MEMBERID>(i + 1));
        EXPECT_EQ(DocOf(events.Get(), func->memid).name, names[i]);
        EXPECT_EQ(func->cParams, i == 3 ? 1 : 0);
        if (i == 3) {
            EXPECT_EQ(func->lprgelemdescParam[0].paramdesc.wParamFlags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
            EXPECT_EQ(func->lprgelemdescParam[0].tdesc.vt, VT_PTR);
            EXPECT_EQ(func->lprgelemdescParam[0].tdesc.lptdesc->vt, VT_DATE);
            BSTR param[2] = {};
            UINT count = 0;
            const HRESULT hr = events->GetNames(func->memid, param, 2, &count);
            ScopedBstr owned[2];  // the names are ours to free, whatever the checks find
            owned[0].reset(param[0]);
            owned[1].reset(param[1]);
            ASSERT_EQ(hr, S_OK);
            ASSERT_EQ(count, 2u);
            EXPECT_EQ(Text(owned[1].get()), "DateTime");
        }
        events->ReleaseFuncDesc(func);
    }

    ComPtr<ITypeInfo> coclass = Info(CLSID_Cadencer);
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCONTROL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attr->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attr);
    INT flags = 0;
    EXPECT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    EXPECT_EQ(coclass->GetImplTypeFlags(1, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
}

TEST_F(TypeLibrary, EnumerationMembersHaveTheirValuesAndTheirNamesAsHelp) {
    const std::vector<std::pair<const wchar_t*, std::vector<std::pair<std::string, LONG>>>> enums = {
        {L"FormPosition", {{"Manual", 0}, {"CenterOfScreen", 1}}},
        {L"Occurs", {{"Never", 0}, {"Daily", 1}, {"Weekly", 2}, {"Monthly", 3}, {"Every", 4}}},
        {L"EveryType", {{"Hours", 0}, {"Minutes", 1}}}};
    for (const auto& [name, members] : enums) {
        ComPtr<ITypeInfo> info = ByName(name);
        ASSERT_NE(info, nullptr);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, TKIND_ENUM);
        ASSERT_EQ(attr->cVars, members.size());
        info->ReleaseTypeAttr(attr);
        for (UINT i = 0; i < members.size(); ++i) {
            VARDESC* var = nullptr;
            ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
            const Documentation doc = DocOf(info.Get(), var->memid);
            EXPECT_EQ(doc.name, members[i].first);
            EXPECT_EQ(doc.help, members[i].first);
            EXPECT_EQ(V_VT(var->lpvarValue), VT_I4);
            EXPECT_EQ(V_I4(var->lpvarValue), members[i].second);
            info->ReleaseVarDesc(var);
        }
    }
}

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = towlower(c);
    return text;
}

// A host asks for the registered library in its user's locale: every locale finds this
// bitness's OCX and its one English library.
TEST(RegisteredTypeLibrary, LoadsFromEveryUserLocale) {
    RegisterMachineWide();
    const LCID lcids[] = {
        0, 0x409, 0x407, 0x40C, 0x411, 0x809, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, GetUserDefaultLCID()};
    for (const LCID lcid : lcids) {
        SCOPED_TRACE(testing::Message() << "LCID 0x" << std::hex << lcid);
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(LoadRegTypeLib(LIBID_CadencerLib, 1, 0, lcid, &lib), S_OK);
        TLIBATTR* attr = nullptr;
        ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
        EXPECT_EQ(attr->lcid, 0x409u);
        EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
        lib->ReleaseTLibAttr(attr);
        ScopedBstr path;
        ASSERT_EQ(QueryPathOfRegTypeLib(LIBID_CadencerLib, 1, 0, lcid, path.receive()), S_OK);
        EXPECT_EQ(Lower(path.get()), Lower(OcxPath()));
    }
}

}  // namespace
}  // namespace cadencer_test
