// The schedule in other programs' forms: an iCalendar recurrence (DTSTART and RRULE, or a
// whole VCALENDAR), a cron line and a Task Scheduler 2.0 task definition, and back from
// RRULE text and cron lines to the schedule's keys.
//
// A conversion is exact or refused. Exact means that the times the converted form produces
// from the present on are the times the control fires from that present, computed with the
// next-run engine one firing after another. So every form is a function of the record and
// of the present: DTSTART is the engine's first due time at or after the present minute.
// Times are floating local times (no time zone), because the control runs on the local
// clock. Where a form cannot hold a schedule exactly, the result carries a reason a person
// can read instead of the form.
//
// Texts are UTF-8; the iCalendar text uses CRLF line ends and folds lines at 75 octets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/ole_date.h"
#include "engine/schedule_settings.h"

namespace cadencer {

// A converted form, or the reason why the schedule has none.
struct FormResult {
    bool ok = false;
    std::string text;  // the form when ok, otherwise the reason
};

// The next count times the control fires from present (the first one at or after the
// present minute), each firing taken as happening on time. Fewer when the schedule ends.
std::vector<OleDate> NextRuns(const ScheduleSettings& settings, OleDate present, int count);

// "DTSTART:20261208T100000\nRRULE:FREQ=DAILY;BYHOUR=10;BYMINUTE=0"
FormResult ToRRule(const ScheduleSettings& settings, OleDate present);

// What a VCALENDAR carries besides the recurrence. The stamp is the present moment in UTC
// (DTSTAMP); an empty uid is made from the stamp and the recurrence.
struct CalendarEntry {
    OleDate utcStamp = kZeroDate;
    std::string uid;
    std::string summary;  // the schedule in words when empty
};
FormResult ToICalendar(const ScheduleSettings& settings, OleDate present, const CalendarEntry& entry);

// "0 10 * * 1,3,5": minute hour day-of-month month day-of-week. A line installed during a
// minute first runs at the next minute, so its times are compared from the minute after the
// present on.
FormResult ToCron(const ScheduleSettings& settings, OleDate present);

// A Task Scheduler 2.0 task definition that runs command with arguments.
FormResult ToTaskXml(const ScheduleSettings& settings, OleDate present, std::string_view command,
                     std::string_view arguments);

// The schedule read from another form: a record holding the values of the fields the form
// decides, and those fields in the order in which they are set (the kind last, so that it
// is set on a complete schedule). Fields the form does not decide keep their value.
using ScheduleField =
    std::variant<bool ScheduleSettings::*, std::int16_t ScheduleSettings::*, std::int32_t ScheduleSettings::*,
                 OleDate ScheduleSettings::*, std::u16string ScheduleSettings::*>;
struct ScheduleKeys {
    ScheduleSettings values;
    std::vector<ScheduleField> decided;

    template <class T, class V>
    void Set(T ScheduleSettings::*field, V value) {
        values.*field = static_cast<T>(value);
        decided.push_back(field);
    }
    // The field of values that a decided entry names.
    const void* FieldOf(const ScheduleField& field) const {
        return std::visit([&](auto member) -> const void* { return &(values.*member); }, field);
    }
};

struct KeysResult {
    bool ok = false;
    ScheduleKeys keys;
    std::string reason;  // why the text was refused
};

// RRULE text, alone ("FREQ=WEEKLY;BYDAY=MO") or with its "RRULE:" name and a DTSTART line.
KeysResult FromRRule(std::string_view text, OleDate present);
// A five-field cron line (or @daily, @hourly, @weekly, @monthly, @midnight).
KeysResult FromCron(std::string_view text, OleDate present);
// A task definition as ToTaskXml writes it (its trigger and boundaries).
KeysResult FromTaskXml(std::string_view text, OleDate present);

void ApplyKeys(const ScheduleKeys& keys, ScheduleSettings& settings);

// Helpers shared by the forms.
namespace forms {
// "20261208T100000"
std::string CompactLocal(DaySecond time);
// "2026-12-08T10:00:00"
std::string IsoLocal(DaySecond time);
std::string Number(long long value);
}  // namespace forms

}  // namespace cadencer
