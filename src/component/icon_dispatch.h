// The Icon property set through IDispatch. The platform's type-library Invoke converts an
// object argument to the picture parameter by QueryInterface and, when the object is no
// picture, fails without releasing the reference it took: every such call from a script
// leaked the script's object. The control takes the object argument itself instead.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "cadencer.h"

namespace cadencer::com {

// Handles a put or putref of Icon that carries an object (or a reference to one) in any
// argument, the malformed ones included (wrong count: DISP_E_BADPARAMCOUNT; no named
// property-put argument: DISP_E_PARAMNOTFOUND); returns false, touching nothing, for
// every other call.
bool InvokeIconObjectPut(_Cadencer* control, DISPID id, WORD flags, DISPPARAMS* params, EXCEPINFO* exception,
                         UINT* argError, HRESULT* result);

}  // namespace cadencer::com
