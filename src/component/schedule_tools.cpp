// CadencerTools.Schedule: a Cadencer control's schedule (or that of any object with its
// schedule properties) in words, as its next runs and in other programs' forms, and set
// from RRULE text or a cron line. It only reads, converts and sets properties a script
// could set anyway, so it is safe for scripting. A refused conversion raises an error whose
// description is the reason.
#include <windows.h>

#include <dispex.h>
#include <objsafe.h>
#include <oleauto.h>

#include <new>
#include <utility>

#include <wrl/client.h>

#include "cadencer_tools.h"
#include "component/module.h"
#include "component/schedule_record.h"
#include "component/tools_objects.h"
#include "control/property_access.h"
#include "engine/next_run.h"
#include "engine/schedule_words.h"
#include "engine/utf8.h"
#include "win/locale_names.h"
#include "win/scoped.h"

namespace cadencer::com {

using Microsoft::WRL::ComPtr;

// ---- What both companion objects share

HRESULT GetToolsTypeInfo(REFGUID guid, bool vtable, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    // REGKIND_NONE: using the library never writes to the registry.
    const std::wstring path = ModulePath() + L"\\2";
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> dispatchInfo;
    hr = lib->GetTypeInfoOfGuid(guid, &dispatchInfo);
    if (FAILED(hr) || !vtable) return FAILED(hr) ? hr : dispatchInfo.CopyTo(info);
    HREFTYPE ref = 0;
    hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    return SUCCEEDED(hr) ? dispatchInfo->GetRefTypeInfo(ref, info) : hr;
}

namespace {

OleDate FromSystemTime(const SYSTEMTIME& t) {
    return Compose({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}).value_or(kZeroDate);
}

std::wstring Wide(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const wchar_t* name) {
    std::string out;
    for (; *name; ++name) out += static_cast<char>(*name);  // the property names are ASCII
    return out;
}

BSTR Bstr(const std::string& text) {
    const std::wstring wide = Wide(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

// The schedule properties an object must have, read through IDispatch as their types.
struct PropertyRead {
    const wchar_t* name;
    VARTYPE type;
    bool required;
};
constexpr PropertyRead kScheduleProperties[] = {
    {L"OccursOption", VT_I4, true},        {L"EveryInterval", VT_I2, true},        {L"EveryFrequency", VT_I4, true},
    {L"StartHour", VT_I2, true},           {L"StartMinute", VT_I2, true},          {L"StartDate", VT_DATE, true},
    {L"EndDate", VT_DATE, true},           {L"UseEndDate", VT_BOOL, true},         {L"SelectionsWeekly", VT_BSTR, true},
    {L"SelectionsMonthly", VT_BSTR, true}, {L"LastScheduledTime", VT_DATE, false},
};

void Store(ScheduleSettings& s, const wchar_t* name, const VARIANT& v) {
    const std::wstring n = name;
    if (n == L"OccursOption") s.OccursOption = V_I4(&v);
    if (n == L"EveryInterval") s.EveryInterval = V_I2(&v);
    if (n == L"EveryFrequency") s.EveryFrequency = V_I4(&v);
    if (n == L"StartHour") s.StartHour = V_I2(&v);
    if (n == L"StartMinute") s.StartMinute = V_I2(&v);
    if (n == L"StartDate") s.StartDate = V_DATE(&v);
    if (n == L"EndDate") s.EndDate = V_DATE(&v);
    if (n == L"UseEndDate") s.UseEndDate = V_BOOL(&v) != VARIANT_FALSE;
    if (n == L"SelectionsWeekly") s.SelectionsWeekly = FitSelection(win::ToU16(V_BSTR(&v)), kWeeklyWidth);
    if (n == L"SelectionsMonthly") s.SelectionsMonthly = FitSelection(win::ToU16(V_BSTR(&v)), kMonthlyWidth);
    if (n == L"LastScheduledTime") s.LastScheduledTime = V_DATE(&v);
}

// A property call on a foreign object. Script engines' own objects answer through
// IDispatchEx (Wine's VBScript class instances answer IDispatch::Invoke with E_NOTIMPL).
HRESULT CallProperty(IDispatch* object, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) {
    win::ScopedExcepInfo exception;
    ComPtr<IDispatchEx> scriptObject;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&scriptObject))))
        return scriptObject->InvokeEx(id, LOCALE_USER_DEFAULT, flags, params, result, exception.get(), nullptr);
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, exception.get(), nullptr);
}

// The DISPID of a property by name (script objects answer through IDispatchEx: Wine's
// VBScript class instances do not implement GetIDsOfNames).
HRESULT DispIdOf(IDispatch* object, const wchar_t* name, DISPID* id) {
    ComPtr<IDispatchEx> scriptObject;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&scriptObject)))) {
        const win::ScopedBstr text(name);
        return scriptObject->GetDispID(text.get(), fdexNameCaseInsensitive, id);
    }
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT& value) {
    DISPID id = 0;
    HRESULT hr = DispIdOf(object, name, &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    win::ScopedExcepInfo exception;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, exception.get(),
                          nullptr);
}

}  // namespace

OleDate PresentLocal() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return FromSystemTime(t);
}

OleDate PresentUtc() {
    SYSTEMTIME t;
    GetSystemTime(&t);
    return FromSystemTime(t);
}

std::string Utf8Of(BSTR text) {
    return ToUtf8(win::ToU16(text));
}

bool OptionalText(const VARIANT& value, std::string& text) {
    if (V_VT(&value) == VT_ERROR || V_VT(&value) == VT_EMPTY) return true;
    win::ScopedVariant converted;
    if (FAILED(VariantChangeTypeEx(converted.get(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_BSTR)))
        return false;
    text = Utf8Of(V_BSTR(converted.get()));
    return true;
}

bool OptionalBool(const VARIANT& value, bool& flag) {
    if (V_VT(&value) == VT_ERROR || V_VT(&value) == VT_EMPTY) return true;
    win::ScopedVariant converted;
    if (FAILED(VariantChangeTypeEx(converted.get(), const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, VT_BOOL)))
        return false;
    flag = V_BOOL(converted.get()) != VARIANT_FALSE;
    return true;
}

HRESULT ToolsError(HRESULT hr, REFIID iid, const std::string& description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        const std::wstring text = Wide(description);
        create->SetGUID(iid);
        create->SetSource(
            const_cast<LPOLESTR>(iid == IID_ITaskRegistrar ? L"CadencerTools.Task" : L"CadencerTools.Schedule"));
        create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    }
    return hr;
}

HRESULT ReadSchedule(IDispatch* schedule, ScheduleSettings& s) {
    if (!schedule) return ToolsError(E_POINTER, IID_IScheduleTools, "no schedule object was given");
    ComPtr<IScheduleRecord> record;
    if (SUCCEEDED(schedule->QueryInterface(kIidScheduleRecord, reinterpret_cast<void**>(record.GetAddressOf()))))
        return record->ReadScheduleRecord(&s);
    const OleDate now = PresentLocal();
    control::ApplyNewControlDefaults(s, *CalendarDate(now), now);
    for (const PropertyRead& p : kScheduleProperties) {
        DISPID id = 0;
        HRESULT hr = DispIdOf(schedule, p.name, &id);
        win::ScopedVariant value;
        if (SUCCEEDED(hr)) {
            DISPPARAMS none{};
            hr = CallProperty(schedule, id, DISPATCH_PROPERTYGET, &none, value.receive());
        }
        // Values are converted as a property bag converts them, never through locale text.
        if (SUCCEEDED(hr)) hr = VariantChangeTypeEx(value.get(), value.get(), LOCALE_INVARIANT, 0, p.type);
        if (FAILED(hr)) {
            if (!p.required) continue;
            return ToolsError(
                hr, IID_IScheduleTools,
                "the object's schedule property " + Narrow(p.name) + " cannot be read as a schedule value");
        }
        Store(s, p.name, *value.get());
    }
    return S_OK;
}

namespace {

class ScheduleTools final : public ToolsObject<IScheduleTools, IID_IScheduleTools>,
                            public IObjectSafety,
                            public ISupportErrorInfo {
public:
    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IScheduleTools)
            *ppv = static_cast<IScheduleTools*>(this);
        else if (iid == IID_IObjectSafety)
            *ppv = static_cast<IObjectSafety*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *ppv = static_cast<ISupportErrorInfo*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // One count for every interface.
    STDMETHODIMP_(ULONG) AddRef() override { return ToolsObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ToolsObject::Release(); }

    // IScheduleTools
    STDMETHODIMP Describe(IDispatch* schedule, VARIANT locale, BSTR* text) override {
        const auto shown = win::ShownLocaleOf(locale);
        if (!shown)
            return ToolsError(DISP_E_TYPEMISMATCH, IID_IScheduleTools,
                              "the locale is neither an LCID number nor a language tag");
        return Convert(schedule, text, [&](const ScheduleSettings& s) {
            return FormResult{true, ToUtf8(DescribeSchedule(s, shown->language, *shown->names))};
        });
    }
    STDMETHODIMP NextRuns(IDispatch* schedule, long count, VARIANT* runs) override {
        if (!runs) return E_POINTER;
        VariantInit(runs);
        if (count < 0) return ToolsError(E_INVALIDARG, IID_IScheduleTools, "the count of runs cannot be negative");
        ScheduleSettings s;
        const HRESULT hr = ReadSchedule(schedule, s);
        if (FAILED(hr)) return hr;
        // At most 1,000 runs: enough for any list a person reads, and bounded for a script.
        const auto dates = cadencer::NextRuns(s, PresentLocal(), static_cast<int>(count > 1000 ? 1000 : count));
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(dates.size()));
        if (!array) return E_OUTOFMEMORY;
        for (LONG i = 0; i < static_cast<LONG>(dates.size()); ++i) {
            VARIANT date;
            VariantInit(&date);
            V_VT(&date) = VT_DATE;
            V_DATE(&date) = dates[static_cast<std::size_t>(i)];
            SafeArrayPutElement(array, &i, &date);
        }
        V_VT(runs) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(runs) = array;
        return S_OK;
    }
    STDMETHODIMP ToICalendar(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) {
            return cadencer::ToICalendar(s, PresentLocal(), {PresentUtc(), "", ""});
        });
    }
    STDMETHODIMP ToRRule(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) { return cadencer::ToRRule(s, PresentLocal()); });
    }
    STDMETHODIMP ToCron(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) { return cadencer::ToCron(s, PresentLocal()); });
    }
    STDMETHODIMP ToTaskXml(IDispatch* schedule, BSTR command, VARIANT arguments, BSTR* xml) override {
        std::string argumentText;
        if (!OptionalText(arguments, argumentText)) return DISP_E_TYPEMISMATCH;
        return Convert(schedule, xml, [&](const ScheduleSettings& s) {
            return cadencer::ToTaskXml(s, PresentLocal(), Utf8Of(command), argumentText);
        });
    }
    STDMETHODIMP FromRRule(IDispatch* schedule, BSTR text) override {
        return SetFrom(schedule, cadencer::FromRRule(Utf8Of(text), PresentLocal()));
    }
    STDMETHODIMP FromCron(IDispatch* schedule, BSTR text) override {
        return SetFrom(schedule, cadencer::FromCron(Utf8Of(text), PresentLocal()));
    }

    // IObjectSafety: safe for untrusted callers and data on its one interface.
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override {
        if (!supported || !enabled) return E_POINTER;
        *supported = *enabled = 0;
        if (iid != IID_IDispatch && iid != IID_IScheduleTools && iid != IID_IUnknown) return E_NOINTERFACE;
        *supported = *enabled = kSafe;
        return S_OK;
    }
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override {
        if (iid != IID_IDispatch && iid != IID_IScheduleTools && iid != IID_IUnknown) return E_NOINTERFACE;
        return (mask & ~kSafe) || (enabled & ~kSafe) ? E_FAIL : S_OK;
    }

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override { return iid == IID_IScheduleTools ? S_OK : S_FALSE; }

private:
    static constexpr DWORD kSafe = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

    template <class Fn>
    HRESULT Convert(IDispatch* schedule, BSTR* text, Fn convert) {
        if (!text) return E_POINTER;
        *text = nullptr;
        ScheduleSettings s;
        const HRESULT hr = ReadSchedule(schedule, s);
        if (FAILED(hr)) return hr;
        const FormResult form = convert(s);
        if (!form.ok) return ToolsError(kRefused, IID_IScheduleTools, form.text);
        *text = Bstr(form.text);
        return *text ? S_OK : E_OUTOFMEMORY;
    }

    // The whole text was checked before anything is set; then the keys go through the
    // object's own lets, in their fixed order (the kind last), so its corrections and change
    // notices apply.
    HRESULT SetFrom(IDispatch* schedule, const KeysResult& read) {
        if (!schedule) return ToolsError(E_POINTER, IID_IScheduleTools, "no schedule object was given");
        if (!read.ok) return ToolsError(kRefused, IID_IScheduleTools, read.reason);
        const ScheduleKeys& k = read.keys;
        auto put = [&](const wchar_t* name, VARIANT value) {
            win::ScopedVariant owner(value);
            const HRESULT hr = PutProperty(schedule, name, *owner.get());
            return FAILED(hr)
                       ? ToolsError(hr, IID_IScheduleTools, "the object refused its schedule property " + Narrow(name))
                       : S_OK;
        };
        auto number = [](VARTYPE type, long value) {
            VARIANT v;
            VariantInit(&v);
            V_VT(&v) = type;
            if (type == VT_I2)
                V_I2(&v) = static_cast<SHORT>(value);
            else
                V_I4(&v) = value;
            return v;
        };
        auto date = [](OleDate value) {
            VARIANT v;
            VariantInit(&v);
            V_VT(&v) = VT_DATE;
            V_DATE(&v) = value;
            return v;
        };
        auto text = [](const std::u16string& value) { return win::ScopedVariant::String(value).release(); };
        HRESULT hr = S_OK;
        if (SUCCEEDED(hr) && k.EveryFrequency) hr = put(L"EveryFrequency", number(VT_I4, *k.EveryFrequency));
        if (SUCCEEDED(hr) && k.EveryInterval) hr = put(L"EveryInterval", number(VT_I2, *k.EveryInterval));
        if (SUCCEEDED(hr) && k.StartHour) hr = put(L"StartHour", number(VT_I2, *k.StartHour));
        if (SUCCEEDED(hr) && k.StartMinute) hr = put(L"StartMinute", number(VT_I2, *k.StartMinute));
        if (SUCCEEDED(hr) && k.StartDate) hr = put(L"StartDate", date(*k.StartDate));
        if (SUCCEEDED(hr) && k.EndDate) hr = put(L"EndDate", date(*k.EndDate));
        if (SUCCEEDED(hr) && k.UseEndDate) {
            VARIANT b;
            VariantInit(&b);
            V_VT(&b) = VT_BOOL;
            V_BOOL(&b) = *k.UseEndDate ? VARIANT_TRUE : VARIANT_FALSE;
            hr = put(L"UseEndDate", b);
        }
        if (SUCCEEDED(hr) && k.SelectionsWeekly) hr = put(L"SelectionsWeekly", text(*k.SelectionsWeekly));
        if (SUCCEEDED(hr) && k.SelectionsMonthly) hr = put(L"SelectionsMonthly", text(*k.SelectionsMonthly));
        if (SUCCEEDED(hr) && k.LastScheduledTime) hr = put(L"LastScheduledTime", date(*k.LastScheduledTime));
        if (SUCCEEDED(hr)) hr = put(L"OccursOption", number(VT_I4, k.OccursOption));
        return hr;
    }
};

}  // namespace

HRESULT CreateScheduleTools(REFIID iid, void** ppv) {
    auto* tools = new (std::nothrow) ScheduleTools();
    if (!tools) return E_OUTOFMEMORY;
    const HRESULT hr = tools->QueryInterface(iid, ppv);
    tools->Release();
    return hr;
}

}  // namespace cadencer::com
