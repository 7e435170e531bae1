// What the control's two property pages show and set, without a window: which page each
// property belongs to (for the property browser's "..." button), the properties each page
// reads and sets, values as named portable Variants, the changes between two readings of
// a page, and the schedule page's values as a ScheduleSettings record and back (so that
// the schedule dialog's rules and the schedule in words apply to them unchanged). Which
// property goes where is the property table's page column (control/property_table.h).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/property_table.h"
#include "engine/property_bag.h"
#include "engine/schedule_settings.h"
#include "engine/variant.h"

namespace cadencer::proppage {

using PageKind = control::PropertyPage;

// The page on which a property is edited (None for the rest: times, icon, interval limits).
PageKind PageOfProperty(std::u16string_view name);
// The properties a page sets, in the table's order.
std::span<const std::u16string_view> PropertiesSetBy(PageKind page);
// The properties a page reads, in the table's order: those it sets, and for the schedule
// page the interval limits and the title of its messages.
std::span<const std::u16string_view> PropertiesReadBy(PageKind page);

// Named values, as read from a control or from a page's controls.
using PropertyValues = std::vector<std::pair<std::u16string, Variant>>;
const Variant* FindValue(const PropertyValues& values, std::u16string_view name);
// The entries of `after` whose value differs from `before` (or that `before` lacks), in
// the order of `after`.
PropertyValues ChangedValues(const PropertyValues& before, const PropertyValues& after);

// The schedule page's values as a record. Missing or unconvertible values keep the
// record's defaults; selection strings are placed into their width as a load does it.
ScheduleSettings ScheduleOfValues(const PropertyValues& values);
// The properties the schedule page sets, typed as the control's interface types them.
PropertyValues ValuesOfSchedule(const ScheduleSettings& settings);

// A whole number from a text box: blanks around it allowed, within the 32-bit range.
std::optional<std::int32_t> ParseLong(std::u16string_view text);

}  // namespace cadencer::proppage
