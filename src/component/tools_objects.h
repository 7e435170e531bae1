// The companion objects of the Cadencer control (type library CadencerTools, TYPELIB 2):
// Schedule (safe for scripting) and TaskRegistrar (not), with what they share.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include <wrl/client.h>

#include "component/module.h"
#include "win/com_object.h"

#include "engine/schedule_forms.h"
#include "engine/schedule_settings.h"

namespace cadencer::com {

HRESULT CreateScheduleTools(REFIID iid, void** ppv);
HRESULT CreateTaskRegistrar(REFIID iid, void** ppv);

// The type information of an interface of the tools library (loaded once, as the
// control's), in its vtable flavour when vtable is true (for ITypeInfo::Invoke on a dual
// interface).
HRESULT GetToolsTypeInfo(REFGUID guid, bool vtable, ITypeInfo** info);

// The schedule record of a Cadencer control of this module (read privately) or of any
// object with the schedule properties (read through IDispatch).
HRESULT ReadSchedule(IDispatch* schedule, ScheduleSettings& settings);
std::string Utf8Of(BSTR text);
// An optional argument: left out (or empty) it is the fallback, else converted as the
// automation layer converts it. False when it cannot be converted.
bool OptionalText(const VARIANT& value, std::string& text);
bool OptionalBool(const VARIANT& value, bool& flag);
// Sets the error info (source, description) for a scripting client and returns hr.
HRESULT ToolsError(HRESULT hr, REFIID iid, const std::string& description);

// The IDispatch of a companion object (Self) whose dual interface is Dual (its IID
// DualIid), answered through the tools library's type information; its IUnknown is the
// library's one (win/com_object.h), with the other interfaces Extras.
template <class Self, class Dual, const IID& DualIid, class... Extras>
class ToolsObject : public win::ComObject<Self, Dual, Extras...> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        return index == 0 ? GetToolsTypeInfo(DualIid, false, info) : DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        const HRESULT hr = GetToolsTypeInfo(DualIid, false, &info);
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        const HRESULT hr = GetToolsTypeInfo(DualIid, true, &info);
        if (FAILED(hr)) return hr;
        SetErrorInfo(0, nullptr);
        return info->Invoke(static_cast<Dual*>(this), id, flags, params, result, exception, argError);
    }
};

// The HRESULT of a refused conversion: the error description says why.
inline constexpr HRESULT kRefused = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0201);

}  // namespace cadencer::com
