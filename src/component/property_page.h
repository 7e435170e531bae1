// The control's property pages as COM objects (IPropertyPage2), one class per page: what a
// frame creates from the CLSIDs the control names in ISpecifyPropertyPages. SetObjects
// takes the selected controls' IDispatch; the page reads its values from the first and,
// on Apply, sets the values the user changed on each of them through IDispatch, so that
// each control's own lets correct them, announce them and mark the control dirty.
#pragma once

#include <windows.h>

namespace cadencer::com {

// Creates the page of a page class; CLASS_E_CLASSNOTAVAILABLE for any other CLSID.
HRESULT CreatePropertyPage(REFCLSID clsid, REFIID iid, void** ppv);

}  // namespace cadencer::com
