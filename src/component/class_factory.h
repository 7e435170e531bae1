// The class object of the Cadencer control and DllGetClassObject's lookup.
#pragma once

#include <windows.h>

namespace cadencer::com {

HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);

}  // namespace cadencer::com
