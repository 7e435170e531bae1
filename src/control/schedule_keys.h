// The keys a schedule form decided (ScheduleKeys, engine/schedule_forms.h) by their rows of
// the property table: their names and values, in the order in which they are set.
//
// Portable and header-only, like property_access.h: cadencer-next prints the keys and the
// tools object sets them through a control's own lets.
#pragma once

#include <string>

#include "control/property_access.h"
#include "engine/invariant_text.h"
#include "engine/schedule_forms.h"
#include "engine/utf8.h"

namespace cadencer::control {

// Calls fn(row, value) for each decided key, with its value as a Variant, in the order the
// form decided them (the kind last).
template <class Fn>
void ForEachKey(const ScheduleKeys& keys, Fn&& fn) {
    for (const ScheduleField& decided : keys.decided) {
        const void* wanted = keys.FieldOf(decided);
        for (const PropertyRow& row : kProperties)
            if (IsScheduleInput(row))
                VisitField(row, &keys.values, kNoOwnRecord, [&](const auto& field) {
                    if (static_cast<const void*>(&field) == wanted) fn(row, VariantOf(field));
                });
    }
}

// "EveryFrequency=1 EveryInterval=15 LastScheduledTime=2026-12-07T10:00:00 OccursOption=4":
// the keys as cadencer-next takes them (invariant dates, Booleans as True and False).
inline std::string KeysText(const ScheduleKeys& keys) {
    std::string text;
    ForEachKey(keys, [&](const PropertyRow& row, const Variant& value) {
        std::u16string shown;
        if (value.Type() == VariantType::Date)
            shown = FormatIsoDate(value.AsDate());
        else if (value.Type() == VariantType::Bool)
            shown = value.AsBool() ? u"True" : u"False";
        else if (const auto converted = value.ToString())
            shown = *converted;
        text += (text.empty() ? "" : " ") + ToUtf8(row.name) + "=" + ToUtf8(shown);
    });
    return text;
}

}  // namespace cadencer::control
