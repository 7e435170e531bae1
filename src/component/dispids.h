// Dispatch identifiers of the control's properties and events, as the type library
// declares them (properties 0x68030000 + n, from 30 for Enabled down to 0 for
// SelectionsMonthly), for change notices and event firing.
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
