// Dispatch identifiers of the control's properties (from the property table, which a test
// holds against the type library) and events, for change notices and event firing.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string_view>

namespace cadencer::com {

inline constexpr DISPID kEventHelpButtonClicked = 1;
inline constexpr DISPID kEventScheduleChanged = 2;
inline constexpr DISPID kEventSchedulerClosed = 3;
inline constexpr DISPID kEventScheduledTime = 4;

// The DISPID of a property by its name (its property-bag key); DISPID_UNKNOWN when the
// name is not one of the control's properties.
DISPID DispIdOfProperty(std::u16string_view name);

}  // namespace cadencer::com
