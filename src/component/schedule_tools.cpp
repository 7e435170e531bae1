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
#include <string>
#include <type_traits>
#include <utility>

#include <wrl/client.h>

#include "cadencer_tools.h"
#include "component/module.h"
#include "component/schedule_record.h"
#include "component/tools_objects.h"
#include "component/variant_bridge.h"
#include "control/property_access.h"
#include "control/schedule_keys.h"
#include "engine/next_run.h"
#include "engine/schedule_words.h"
#include "engine/utf8.h"
#include "win/locale_names.h"
#include "win/scoped.h"
#include "win/system_time.h"

namespace cadencer::com {

using Microsoft::WRL::ComPtr;

// ---- What both companion objects share

HRESULT GetToolsTypeInfo(REFGUID guid, bool vtable, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> lib;
    HRESULT hr = GetTypeLib(&lib, 2);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> dispatchInfo;
    hr = lib->GetTypeInfoOfGuid(guid, &dispatchInfo);
    if (FAILED(hr) || !vtable) return FAILED(hr) ? hr : dispatchInfo.CopyTo(info);
    HREFTYPE ref = 0;
    hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref);
    return SUCCEEDED(hr) ? dispatchInfo->GetRefTypeInfo(ref, info) : hr;
}

namespace {

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

HRESULT GetProperty(IDispatch* object, const std::wstring& name, win::ScopedVariant& value) {
    DISPID id = 0;
    HRESULT hr = DispIdOf(object, name.c_str(), &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return CallProperty(object, id, DISPATCH_PROPERTYGET, &none, value.receive());
}

HRESULT PutProperty(IDispatch* object, const std::wstring& name, VARIANT& value) {
    DISPID id = 0;
    HRESULT hr = DispIdOf(object, name.c_str(), &id);
    if (FAILED(hr)) return hr;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    win::ScopedExcepInfo exception;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, exception.get(),
                          nullptr);
}

std::wstring WideName(const control::PropertyRow& row) {
    return std::wstring(row.name.begin(), row.name.end());
}

// A schedule property of a foreign object, converted as a property bag converts it (never
// through locale text) into its field.
template <class T>
HRESULT ReadInto(IDispatch* object, const control::PropertyRow& row, T& field) {
    win::ScopedVariant value;
    HRESULT hr = GetProperty(object, WideName(row), value);
    if (FAILED(hr)) return hr;
    const auto portable = FromVariant(*value.get());
    if (!portable) return HResultOf(portable.error());
    auto typed = control::ValueFromVariant<T>(*portable);
    if (!typed) return HResultOf(typed.error());
    if constexpr (std::is_same_v<T, std::u16string>)
        field = row.width ? FitSelection(*typed, row.width) : *typed;
    else
        field = *typed;
    return S_OK;
}

}  // namespace

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
        const auto text = win::ScopedBstr::FromUtf8(description);
        create->SetGUID(iid);
        create->SetSource(
            const_cast<LPOLESTR>(iid == IID_ITaskRegistrar ? L"CadencerTools.Task" : L"CadencerTools.Schedule"));
        create->SetDescription(text.get());
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
    const OleDate now = win::LocalNow();
    const auto today = CalendarDate(now);
    if (!today) return ToolsError(E_UNEXPECTED, IID_IScheduleTools, "the clock is outside the years 100 to 9999");
    control::ApplyNewControlDefaults(s, *today, now);
    for (const control::PropertyRow& row : control::kProperties) {
        if (!control::IsScheduleInput(row)) continue;
        HRESULT hr = S_OK;
        control::VisitField(row, &s, control::kNoOwnRecord, [&](auto& field) { hr = ReadInto(schedule, row, field); });
        // A foreign object may lack what a control does not store (the last run).
        if (FAILED(hr) && control::IsPersisted(row))
            return ToolsError(
                hr, IID_IScheduleTools,
                "the object's schedule property " + ToUtf8(row.name) + " cannot be read as a schedule value");
    }
    return S_OK;
}

namespace {

class ScheduleTools final
    : public ToolsObject<ScheduleTools, IScheduleTools, IID_IScheduleTools, IObjectSafety, ISupportErrorInfo> {
public:
    using Interfaces =
        win::InterfaceTable<win::Answer<IID_IUnknown, IScheduleTools>, win::Answer<IID_IDispatch, IScheduleTools>,
                            win::Answer<IID_IScheduleTools, IScheduleTools>,
                            win::Answer<IID_IObjectSafety, IObjectSafety>,
                            win::Answer<IID_ISupportErrorInfo, ISupportErrorInfo>>;

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
        const auto dates = cadencer::NextRuns(s, win::LocalNow(), static_cast<int>(count > 1000 ? 1000 : count));
        SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(dates.size()));
        if (!array) return E_OUTOFMEMORY;
        for (LONG i = 0; i < static_cast<LONG>(dates.size()); ++i) {
            win::ScopedVariant date = win::ScopedVariant::Date(dates[static_cast<std::size_t>(i)]);
            if (const HRESULT put = SafeArrayPutElement(array, &i, date.get()); FAILED(put)) {
                SafeArrayDestroy(array);
                return put;
            }
        }
        V_VT(runs) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(runs) = array;
        return S_OK;
    }
    STDMETHODIMP ToICalendar(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) {
            return cadencer::ToICalendar(s, win::LocalNow(), {win::UtcNow(), "", ""});
        });
    }
    STDMETHODIMP ToRRule(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) { return cadencer::ToRRule(s, win::LocalNow()); });
    }
    STDMETHODIMP ToCron(IDispatch* schedule, BSTR* text) override {
        return Convert(schedule, text, [](const ScheduleSettings& s) { return cadencer::ToCron(s, win::LocalNow()); });
    }
    STDMETHODIMP ToTaskXml(IDispatch* schedule, BSTR command, VARIANT arguments, BSTR* xml) override {
        std::string argumentText;
        if (!OptionalText(arguments, argumentText)) return DISP_E_TYPEMISMATCH;
        return Convert(schedule, xml, [&](const ScheduleSettings& s) {
            return cadencer::ToTaskXml(s, win::LocalNow(), Utf8Of(command), argumentText);
        });
    }
    STDMETHODIMP FromRRule(IDispatch* schedule, BSTR text) override {
        return SetFrom(schedule, cadencer::FromRRule(Utf8Of(text), win::LocalNow()));
    }
    STDMETHODIMP FromCron(IDispatch* schedule, BSTR text) override {
        return SetFrom(schedule, cadencer::FromCron(Utf8Of(text), win::LocalNow()));
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
        *text = win::ScopedBstr::FromUtf8(form.text).release();
        return *text ? S_OK : E_OUTOFMEMORY;
    }

    // The whole text was checked before anything is set; then the keys go through the
    // object's own lets, in their fixed order (the kind last), so its corrections and change
    // notices apply.
    HRESULT SetFrom(IDispatch* schedule, const KeysResult& read) {
        if (!schedule) return ToolsError(E_POINTER, IID_IScheduleTools, "no schedule object was given");
        if (!read.ok) return ToolsError(kRefused, IID_IScheduleTools, read.reason);
        HRESULT hr = S_OK;
        control::ForEachKey(read.keys, [&](const control::PropertyRow& row, const Variant& value) {
            if (FAILED(hr)) return;
            win::ScopedVariant v;
            hr = ToVariant(value, v.get());
            if (SUCCEEDED(hr)) hr = PutProperty(schedule, WideName(row), *v.get());
            if (FAILED(hr))
                hr = ToolsError(hr, IID_IScheduleTools, "the object refused its schedule property " + ToUtf8(row.name));
        });
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
