// An object argument for Icon, taken without the platform's conversion (see the header).
#include "component/icon_dispatch.h"

#include <wrl/client.h>

#include <string_view>

#include "component/dispids.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

// The object an argument holds, directly or by reference; false when it holds none.
bool ObjectOf(const VARIANT& arg, IUnknown** object) {
    const VARIANT* v = &arg;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) {
        if (!V_VARIANTREF(v)) return false;
        v = V_VARIANTREF(v);
    }
    switch (V_VT(v)) {
        case VT_DISPATCH:
        case VT_UNKNOWN:
            *object = V_UNKNOWN(v);
            return true;
        case VT_BYREF | VT_DISPATCH:
        case VT_BYREF | VT_UNKNOWN:
            if (!V_UNKNOWNREF(v)) return false;
            *object = *V_UNKNOWNREF(v);
            return true;
        default:
            return false;
    }
}

// A failure of the property procedure, reported as the type-library Invoke reports one.
HRESULT AsException(HRESULT failure, EXCEPINFO* exception) {
    if (!exception) return DISP_E_EXCEPTION;
    *exception = EXCEPINFO{};
    exception->scode = failure;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK) {
        info->GetDescription(&exception->bstrDescription);
        info->GetSource(&exception->bstrSource);
        info->GetHelpFile(&exception->bstrHelpFile);
        info->GetHelpContext(&exception->dwHelpContext);
    }
    return DISP_E_EXCEPTION;
}

}  // namespace

bool InvokeIconObjectPut(_Cadencer* control, DISPID id, WORD flags, DISPPARAMS* params, EXCEPINFO* exception,
                         UINT* argError, HRESULT* result) {
    static const DISPID kIcon = DispIdOfProperty(u"Icon");
    if (id != kIcon || !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) || !params ||
        (params->cArgs && !params->rgvarg))
        return false;
    // Only calls that carry an object are taken here; the others cannot leak one.
    IUnknown* object = nullptr;
    bool carriesObject = false;
    for (UINT i = 0; i < params->cArgs; ++i) carriesObject |= ObjectOf(params->rgvarg[i], &object);
    if (!carriesObject) return false;
    if (params->cArgs != 1) {
        *result = DISP_E_BADPARAMCOUNT;
        return true;
    }
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        *result = DISP_E_PARAMNOTFOUND;
        return true;
    }
    ComPtr<IPictureDisp> picture;
    if (object && FAILED(object->QueryInterface(IID_PPV_ARGS(&picture)))) {
        if (argError) *argError = 0;
        *result = DISP_E_TYPEMISMATCH;
        return true;
    }
    const HRESULT hr = control->putref_Icon(picture.Get());
    *result = SUCCEEDED(hr) ? hr : AsException(hr, exception);
    return true;
}

}  // namespace cadencer::com
