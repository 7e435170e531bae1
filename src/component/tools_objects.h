// The companion objects of the Cadencer control (type library CadencerTools, TYPELIB 2):
// Schedule (safe for scripting) and TaskRegistrar (not), with what they share.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "engine/schedule_forms.h"
#include "engine/schedule_settings.h"

namespace cadencer::com {

HRESULT CreateScheduleTools(REFIID iid, void** ppv);
HRESULT CreateTaskRegistrar(REFIID iid, void** ppv);

// The type information of an interface of the tools library, in its vtable flavour when
// vtable is true (for ITypeInfo::Invoke on a dual interface).
HRESULT GetToolsTypeInfo(REFGUID guid, bool vtable, ITypeInfo** info);

// The schedule record of a Cadencer control of this module (read privately) or of any
// object with the schedule properties (read through IDispatch).
HRESULT ReadSchedule(IDispatch* schedule, ScheduleSettings& settings);
// The local present, seconds included, and the same moment in UTC.
OleDate PresentLocal();
OleDate PresentUtc();
std::string Utf8Of(BSTR text);
// An optional argument: left out (or empty) it is the fallback, else converted as the
// automation layer converts it. False when it cannot be converted.
bool OptionalText(const VARIANT& value, std::string& text);
bool OptionalBool(const VARIANT& value, bool& flag);
// Sets the error info (source, description) for a scripting client and returns hr.
HRESULT ToolsError(HRESULT hr, REFIID iid, const std::string& description);

// The HRESULT of a refused conversion: the error description says why.
inline constexpr HRESULT kRefused = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x0201);

}  // namespace cadencer::com
