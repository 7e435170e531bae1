// The companion objects in cadencer.ocx: the schedule tools are safe for scripting, the task
// registrar is not (no IObjectSafety, no safe category); their registry entries come and go
// with the control's in both scopes; their library is apart from CadencerLib, which keeps its
// six types; and the tools read a disabled control's record, not its gated getters.
#include <windows.h>

#include <comcat.h>
#include <objsafe.h>

#include <gtest/gtest.h>

#include "cadencer_tools.h"
#include "component_support.h"
#include "win/scoped.h"

namespace cadencer_test {
namespace {

using cadencer::win::UniqueHkey;

std::wstring Guid(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

bool Exists(HKEY root, const std::wstring& key) {
    UniqueHkey handle;
    return RegOpenKeyExW(root, (L"Software\\Classes\\" + key).c_str(), 0, KEY_READ, handle.receive()) == ERROR_SUCCESS;
}

template <class T>
ComPtr<T> Create(REFCLSID clsid) {
    ComPtr<IClassFactory> factory;
    auto get = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(OcxModule(), "DllGetClassObject")));
    EXPECT_EQ(get(clsid, IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<T> object;
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(T), &object), S_OK);
    }
    return object;
}

TEST(ComponentTools, OnlyTheScheduleToolsAreSafeForScripting) {
    RegisterMachineWide();
    const auto tools = Create<IScheduleTools>(CLSID_Schedule);
    ASSERT_TRUE(tools);
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(tools->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())), S_OK);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, DWORD{INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA});
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                INTERFACESAFE_FOR_UNTRUSTED_CALLER),
              S_OK);

    const auto registrar = Create<ITaskRegistrar>(CLSID_TaskRegistrar);
    ASSERT_TRUE(registrar);
    ComPtr<IObjectSafety> none;
    EXPECT_EQ(registrar->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(none.GetAddressOf())),
              E_NOINTERFACE);
    EXPECT_FALSE(none);

    ComPtr<ICatInformation> categories;
    ASSERT_EQ(
        CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&categories)),
        S_OK);
    for (CATID category : {CATID_SafeForScripting, CATID_SafeForInitializing}) {
        EXPECT_EQ(categories->IsClassOfCategories(CLSID_Schedule, 1, &category, 0, nullptr), S_OK);
        EXPECT_EQ(categories->IsClassOfCategories(CLSID_TaskRegistrar, 1, &category, 0, nullptr), S_FALSE);
    }
}

TEST(ComponentTools, RegisteredAndRemovedWithTheControlInBothScopes) {
    auto install = reinterpret_cast<HRESULT(WINAPI*)(BOOL, LPCWSTR)>(
        reinterpret_cast<void*>(GetProcAddress(OcxModule(), "DllInstall")));
    const std::wstring keys[] = {L"CLSID\\" + Guid(CLSID_Schedule),
                                 L"CLSID\\" + Guid(CLSID_TaskRegistrar),
                                 L"CadencerTools.Schedule",
                                 L"CadencerTools.Schedule.1",
                                 L"CadencerTools.Task",
                                 L"CadencerTools.Task.1",
                                 L"TypeLib\\" + Guid(LIBID_CadencerTools)};
    ASSERT_EQ(install(TRUE, L"user"), S_OK);
    for (const auto& key : keys) EXPECT_TRUE(Exists(HKEY_CURRENT_USER, key)) << std::string(key.begin(), key.end());
    ASSERT_EQ(install(FALSE, L"user"), S_OK);
    for (const auto& key : keys) EXPECT_FALSE(Exists(HKEY_CURRENT_USER, key)) << std::string(key.begin(), key.end());

    RegisterMachineWide();
    for (const auto& key : keys) EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, key)) << std::string(key.begin(), key.end());
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"CadencerTools.Task", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TaskRegistrar);
    // The tools' own library, found by hosts through the registry; CadencerLib keeps its six types.
    ComPtr<ITypeLib> tools, control;
    ASSERT_EQ(LoadRegTypeLib(LIBID_CadencerTools, 1, 0, 0, &tools), S_OK);
    EXPECT_EQ(tools->GetTypeInfoCount(), 4u);
    ASSERT_EQ(LoadRegTypeLib(LIBID_CadencerLib, 1, 0, 0x409, &control), S_OK);
    EXPECT_EQ(control->GetTypeInfoCount(), 6u);
}

TEST(ComponentTools, ADisabledControlIsReadFromItsRecord) {
    const auto control = CreateControl();
    ASSERT_TRUE(control);
    ASSERT_EQ(control->put_EveryFrequency(Minutes), S_OK);
    ASSERT_EQ(control->put_EveryInterval(30), S_OK);
    Occurs every = Every;
    ASSERT_EQ(control->put_OccursOption(&every), S_OK);
    const DATE last = static_cast<DATE>(static_cast<long long>(NowDate() * 1440) - 10) / 1440.0;
    ASSERT_EQ(control->put_LastScheduledTime(last), S_OK);
    ASSERT_EQ(control->put_Enabled(VARIANT_FALSE), S_OK);
    DATE gated = 1;
    ASSERT_EQ(control->get_LastScheduledTime(&gated), S_OK);
    EXPECT_EQ(gated, 0.0);  // the getter's run-time gate
    const auto tools = Create<IScheduleTools>(CLSID_Schedule);
    ScopedVariant runs;
    ASSERT_EQ(tools->NextRuns(control.Get(), 1, runs.receive()), S_OK);
    ASSERT_EQ(runs.type(), VT_ARRAY | VT_VARIANT);
    LONG index = 0;
    VARIANT first;
    VariantInit(&first);
    ASSERT_EQ(SafeArrayGetElement(V_ARRAY(runs.get()), &index, &first), S_OK);
    ASSERT_EQ(V_VT(&first), VT_DATE);
    // Twenty minutes from now (the last run plus the interval), not "never run": now plus 30.
    EXPECT_NEAR(V_DATE(&first), last + 30 / 1440.0, 1e-6);
}

// The locale argument: an LCID or a tag picks the words, the platform's day names and its
// formats; without it the user's (English here); anything else is refused.
TEST(ComponentTools, DescribeSpeaksTheLocaleItIsGiven) {
    const auto control = CreateControl();
    ASSERT_TRUE(control);
    Occurs weekly = Weekly;
    ASSERT_EQ(control->put_OccursOption(&weekly), S_OK);
    ASSERT_EQ(control->put_SelectionsWeekly(ScopedBstr(L"0100000").get()), S_OK);
    ASSERT_EQ(control->put_StartHour(9), S_OK);
    ASSERT_EQ(control->put_StartMinute(5), S_OK);
    ASSERT_EQ(control->put_StartDate(46373.0), S_OK);  // 2026-12-17: two digits, however a locale pads
    const auto tools = Create<IScheduleTools>(CLSID_Schedule);
    auto describe = [&](VARIANT locale, HRESULT expected = S_OK) {
        ScopedBstr text;
        EXPECT_EQ(tools->Describe(control.Get(), locale, text.receive()), expected);
        return text.get() ? std::wstring(text.get()) : std::wstring();
    };
    VARIANT german;
    VariantInit(&german);
    V_VT(&german) = VT_I4;
    V_I4(&german) = 0x0407;
    EXPECT_EQ(describe(german), L"W\u00f6chentlich am Montag um 09:05, ab 17.12.2026, ohne Enddatum");
    ScopedVariant polish;
    V_VT(polish.get()) = VT_BSTR;
    V_BSTR(polish.get()) = SysAllocString(L"pl-PL");
    EXPECT_EQ(describe(*polish.get()),
              L"Co tydzie\u0144 (dni: poniedzia\u0142ek) o 09:05, od 17.12.2026, bez daty ko\u0144cowej");
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(describe(missing), L"Weekly on Monday at 09:05, from 2026-12-17, no end date");
    VARIANT wrong;
    VariantInit(&wrong);
    V_VT(&wrong) = VT_UNKNOWN;
    V_UNKNOWN(&wrong) = nullptr;
    describe(wrong, DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace cadencer_test
