// The schedule as a Task Scheduler 2.0 task definition, and such a definition read back.
//
// Daily, Weekly and Monthly schedules become a calendar trigger whose start boundary is
// the first run and whose end boundary, when the end date is in force, is the end day at
// 23:59:59; an Every schedule becomes a time trigger at its next run that repeats at its
// interval indefinitely (Task Scheduler repeats at most every 31 days), or, when its interval
// is whole days up to 365, a calendar trigger every so many days. Times carry no
// zone: Task Scheduler reads them as local times, as the control does. The task runs as
// the user who registers it, only while that user is logged on, and never runs a missed
// time late, as the control does not.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "engine/next_run.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_forms_plan.h"
#include "engine/schedule_words.h"
#include "engine/utf8.h"

namespace cadencer {
namespace {

using forms::Number;
using forms::Refused;
using forms::Why;

// Task Scheduler's longest repetition interval, and its longest days interval.
constexpr std::int64_t kLongestRepetitionMinutes = 31 * 1440;
constexpr std::int64_t kLongestDaysInterval = 365;

constexpr const char* kWeekdayElements[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthElements[] = {"January", "February", "March",     "April",   "May",      "June",
                                          "July",    "August",   "September", "October", "November", "December"};

// XML character data: markup characters as entities, line breaks and tabs as character
// references (so that they survive attribute-value and whitespace handling). Characters
// that XML 1.0 cannot carry at all are refused.
std::optional<std::string> Escaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\t':
                out += "&#9;";
                break;
            case '\n':
                out += "&#10;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                if (c < 0x20) return std::nullopt;
                // U+FFFE and U+FFFF are no XML characters either.
                if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
                    (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
                    return std::nullopt;
                out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Duration(std::int64_t minutes) {
    if (minutes % 1440 == 0) return "P" + Number(minutes / 1440) + "D";
    if (minutes % 60 == 0) return "PT" + Number(minutes / 60) + "H";
    return "PT" + Number(minutes) + "M";
}

// Whole days apart: a calendar trigger every so many days (exact, and it may be longer
// than a repetition).
bool InWholeDays(const forms::Plan& plan) {
    return plan.kind == Occurs::Every && plan.intervalMinutes % 1440 == 0 &&
           plan.intervalMinutes / 1440 <= kLongestDaysInterval;
}

std::string Trigger(const forms::Plan& plan) {
    std::string t;
    const std::string start = "      <StartBoundary>" + forms::IsoLocal(plan.first) + "</StartBoundary>\n";
    if (plan.kind == Occurs::Every && !InWholeDays(plan)) {
        return "    <TimeTrigger>\n" + start +
               "      <Enabled>true</Enabled>\n"
               "      <Repetition>\n"
               "        <Interval>" +
               Duration(plan.intervalMinutes) +
               "</Interval>\n"
               "        <StopAtDurationEnd>false</StopAtDurationEnd>\n"
               "      </Repetition>\n"
               "    </TimeTrigger>\n";
    }
    t = "    <CalendarTrigger>\n" + start;
    if (plan.endDay) t += "      <EndBoundary>" + forms::IsoLocal(DaySecond{*plan.endDay, 86399}) + "</EndBoundary>\n";
    t += "      <Enabled>true</Enabled>\n";
    if (plan.kind == Occurs::Daily || plan.kind == Occurs::Every) {
        const std::int64_t days = plan.kind == Occurs::Every ? plan.intervalMinutes / 1440 : 1;
        t += "      <ScheduleByDay>\n        <DaysInterval>" + Number(days) +
             "</DaysInterval>\n      </ScheduleByDay>\n";
    } else if (plan.kind == Occurs::Weekly) {
        t += "      <ScheduleByWeek>\n        <DaysOfWeek>\n";
        for (int d = 0; d < 7; ++d)
            if (plan.days >> d & 1u) t += "          <" + std::string(kWeekdayElements[d]) + " />\n";
        t += "        </DaysOfWeek>\n        <WeeksInterval>1</WeeksInterval>\n      </ScheduleByWeek>\n";
    } else {
        t += "      <ScheduleByMonth>\n        <DaysOfMonth>\n";
        for (int d = 0; d < 31; ++d)
            if (plan.days >> d & 1u) t += "          <Day>" + Number(d + 1) + "</Day>\n";
        t += "        </DaysOfMonth>\n        <Months>\n";
        for (const char* month : kMonthElements) t += "          <" + std::string(month) + " />\n";
        t += "        </Months>\n      </ScheduleByMonth>\n";
    }
    return t + "    </CalendarTrigger>\n";
}

}  // namespace

FormResult ToTaskXml(const ScheduleSettings& settings, OleDate present, std::string_view command,
                     std::string_view arguments) {
    const auto made = forms::MakePlan(settings, present);
    if (!made.plan) return {false, made.reason};
    if (made.plan->kind == Occurs::Every && made.plan->intervalMinutes > kLongestRepetitionMinutes &&
        !InWholeDays(*made.plan))
        return {false,
                "Task Scheduler repeats a task at most every 31 days, or runs it every so many whole days up "
                "to 365, and the schedule runs every " +
                    Number(made.plan->interval) + " hours"};
    if (command.empty()) return {false, "a task needs a command to run"};
    const auto commandText = Escaped(command), argumentsText = Escaped(arguments);
    if (!commandText || !argumentsText)
        return {false, "the command or its arguments hold a control character, which a task definition cannot carry"};
    const auto description = Escaped(ToUtf8(DescribeSchedule(settings)));
    std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
        "  <RegistrationInfo>\n"
        "    <Description>" +
        description.value_or("") +
        "</Description>\n"
        "  </RegistrationInfo>\n"
        "  <Triggers>\n" +
        Trigger(*made.plan) +
        "  </Triggers>\n"
        "  <Principals>\n"
        "    <Principal id=\"Author\">\n"
        "      <LogonType>InteractiveToken</LogonType>\n"
        "      <RunLevel>LeastPrivilege</RunLevel>\n"
        "    </Principal>\n"
        "  </Principals>\n"
        "  <Settings>\n"
        "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
        "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\n"
        "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\n"
        "    <StartWhenAvailable>false</StartWhenAvailable>\n"
        "    <Enabled>true</Enabled>\n"
        "  </Settings>\n"
        "  <Actions Context=\"Author\">\n"
        "    <Exec>\n"
        "      <Command>" +
        *commandText + "</Command>\n";
    if (!arguments.empty()) xml += "      <Arguments>" + *argumentsText + "</Arguments>\n";
    xml +=
        "    </Exec>\n"
        "  </Actions>\n"
        "</Task>\n";
    return {true, xml};
}

namespace {

// The text of the first element of that name (self-closing: empty), or nothing.
std::optional<std::string> Element(std::string_view xml, const std::string& name) {
    for (std::size_t at = xml.find("<" + name); at != std::string_view::npos; at = xml.find("<" + name, at + 1)) {
        const std::size_t after = at + 1 + name.size();
        if (after >= xml.size()) return std::nullopt;
        if (xml[after] == '/' || (xml[after] == ' ' && xml.find("/>", after) < xml.find('>', after)))
            return std::string();
        if (xml[after] != '>' && xml[after] != ' ') continue;
        const std::size_t open = xml.find('>', after);
        const std::size_t close = xml.find("</" + name + ">", open);
        if (open == std::string_view::npos || close == std::string_view::npos) return std::nullopt;
        return std::string(xml.substr(open + 1, close - open - 1));
    }
    return std::nullopt;
}

// "2026-12-08T10:00:00" as the RRULE date-time "20261208T100000".
std::optional<std::string> Compact(const std::string& boundary) {
    if (boundary.size() != 19 || boundary[4] != '-' || boundary[7] != '-' || boundary[10] != 'T' ||
        boundary[13] != ':' || boundary[16] != ':')
        return std::nullopt;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (!std::isdigit(static_cast<unsigned char>(boundary[i]))) return std::nullopt;
    return boundary.substr(0, 4) + boundary.substr(5, 2) + boundary.substr(8, 2) + "T" + boundary.substr(11, 2) +
           boundary.substr(14, 2) + boundary.substr(17, 2);
}

std::optional<std::int64_t> DurationMinutes(const std::string& text) {
    if (text.size() < 3 || text[0] != 'P') return std::nullopt;
    std::int64_t minutes = 0, number = 0;
    bool inTime = false, digits = false;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            digits = true;
            if (number > 1000000) return std::nullopt;
            continue;
        }
        if (c == 'T' && !inTime && !digits) {
            inTime = true;
            continue;
        }
        if (!digits) return std::nullopt;
        if (c == 'D' && !inTime)
            minutes += number * 1440;
        else if (c == 'H' && inTime)
            minutes += number * 60;
        else if (c == 'M' && inTime)
            minutes += number;
        else
            return std::nullopt;  // seconds, months and years are no interval of a schedule
        number = 0;
        digits = false;
    }
    return digits ? std::nullopt : std::optional<std::int64_t>(minutes);
}

// A count of days or weeks between runs: "1" when the element is absent.
std::optional<int> PeriodCount(const std::string& parent, const char* name) {
    const std::string text = Element(parent, name).value_or("1");
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), ::isdigit)) return std::nullopt;
    const int n = std::stoi(text);
    return n >= 1 ? std::optional<int>(n) : std::nullopt;
}

// A time trigger that repeats: an Every schedule.
KeysResult FromTimeTrigger(const std::string& triggers, const std::string& startText, OleDate present) {
    const auto interval = Element(triggers, "Interval");
    if (!interval) return Refused("the time trigger runs once, and a schedule repeats");
    if (Element(triggers, "EndBoundary")) return Refused("an Every schedule has no end date");
    const auto minutes = DurationMinutes(*interval);
    if (!minutes || *minutes < 1)
        return Refused("the repetition interval '" + *interval + "' is not a whole number of minutes");
    const std::string rule = *minutes % 60 == 0 ? "FREQ=HOURLY;INTERVAL=" + Number(*minutes / 60)
                                                : "FREQ=MINUTELY;INTERVAL=" + Number(*minutes);
    return FromRRule("DTSTART:" + startText + "\nRRULE:" + rule, present);
}

// The calendar trigger's rule ("FREQ=...") and its chosen days (a Weekly or Monthly mask,
// nothing for every day), or the reason.
Why CalendarRule(const std::string& triggers, std::string& rule, std::optional<std::uint32_t>& days) {
    if (const auto byDay = Element(triggers, "ScheduleByDay")) {
        const auto n = PeriodCount(*byDay, "DaysInterval");
        if (!n) return "the trigger's days interval is not a whole number of days from 1 to 365";
        rule = "FREQ=DAILY" + (*n == 1 ? std::string() : ";INTERVAL=" + Number(*n));
    } else if (const auto byWeek = Element(triggers, "ScheduleByWeek")) {
        const auto n = PeriodCount(*byWeek, "WeeksInterval");
        if (!n) return "the trigger's weeks interval is not a whole number of weeks";
        days = 0;
        std::string list;
        for (int d = 0; d < 7; ++d)
            if (Element(*byWeek, kWeekdayElements[d])) {
                *days |= 1u << d;
                list += (list.empty() ? "" : ",") + std::string(forms::kWeekdayCodes[d]);
            }
        if (!*days) return "the weekly trigger names no weekday";
        rule = "FREQ=WEEKLY;BYDAY=" + list + (*n == 1 ? std::string() : ";INTERVAL=" + Number(*n));
    } else if (const auto byMonth = Element(triggers, "ScheduleByMonth")) {
        const auto months = Element(*byMonth, "Months");
        for (const char* month : kMonthElements)
            if (!months || !Element(*months, month))
                return "the monthly trigger leaves months out, and a schedule runs in every month";
        const std::string dayList = Element(*byMonth, "DaysOfMonth").value_or("");
        days = 0;
        std::string list;
        for (std::size_t at = dayList.find("<Day>"); at != std::string::npos; at = dayList.find("<Day>", at + 1)) {
            const std::string day = dayList.substr(at + 5, dayList.find('<', at + 5) - at - 5);
            if (day.empty() || day.size() > 2 || !std::all_of(day.begin(), day.end(), ::isdigit) ||
                std::stoi(day) < 1 || std::stoi(day) > 31)
                return "the monthly trigger's day '" + day + "' is not a day of the month from 1 to 31";
            *days |= 1u << (std::stoi(day) - 1);
            list += (list.empty() ? "" : ",") + day;
        }
        if (!*days) return "the monthly trigger names no day of the month";
        rule = "FREQ=MONTHLY;BYMONTHDAY=" + list;
    } else {
        return "the calendar trigger runs on weekdays within months, which a schedule cannot hold";
    }
    return std::nullopt;
}

// A calendar trigger: it starts at its start boundary, and its first run is the first
// chosen day from then.
KeysResult FromCalendarTrigger(const std::string& triggers, const std::string& start, OleDate present) {
    if (Element(triggers, "Repetition"))
        return Refused("the trigger repeats within the day, and a schedule runs once a day");
    const auto startValue =
        Compose({std::stoi(start.substr(0, 4)), std::stoi(start.substr(5, 2)), std::stoi(start.substr(8, 2)),
                 std::stoi(start.substr(11, 2)), std::stoi(start.substr(14, 2)), std::stoi(start.substr(17, 2))});
    if (!startValue) return Refused("the trigger's start boundary is not a date-time in the years 100 to 9999");
    std::string rule;
    std::optional<std::uint32_t> days;
    if (auto why = CalendarRule(triggers, rule, days)) return Refused(*why);
    DaySecond first = *SplitDate(*startValue);
    const bool weekly = rule.rfind("FREQ=WEEKLY", 0) == 0;
    auto chosen = [&](std::int64_t day) {
        if (!days) return true;
        const int bit = weekly ? WeekdayOfDaySerial(day) - 1
                               : static_cast<int>(static_cast<unsigned>(CivilFromDaySerial(day).day())) - 1;
        return (*days >> bit & 1u) != 0;
    };
    for (int i = 0; i < 400 && !chosen(first.day); ++i) ++first.day;
    if (const auto end = Element(triggers, "EndBoundary")) {
        const auto endText = Compact(*end);
        if (!endText) return Refused("the trigger's end boundary is not a local date-time YYYY-MM-DDTHH:MM:SS");
        rule += ";UNTIL=" + *endText;
    }
    return FromRRule("DTSTART:" + forms::CompactLocal(first) + "\nRRULE:" + rule, present);
}

}  // namespace

// Read as the equivalent recurrence rule, so that one reader decides what a schedule holds.
KeysResult FromTaskXml(std::string_view xml, OleDate present) {
    const auto triggers = Element(xml, "Triggers");
    if (!triggers) return Refused("the task definition has no triggers");
    const bool calendar = triggers->find("<CalendarTrigger") != std::string::npos;
    const bool time = triggers->find("<TimeTrigger") != std::string::npos;
    std::size_t count = 0;
    for (auto at = triggers->find("Trigger>"); at != std::string::npos; at = triggers->find("Trigger>", at + 1))
        ++count;
    if (count != 2 || calendar == time)
        return Refused("the task definition has another trigger than one calendar or time trigger");
    const auto start = Element(*triggers, "StartBoundary");
    const auto startText = start ? Compact(*start) : std::nullopt;
    if (!startText) return Refused("the trigger's start boundary is not a local date-time YYYY-MM-DDTHH:MM:SS");
    return time ? FromTimeTrigger(*triggers, *startText, present) : FromCalendarTrigger(*triggers, *start, present);
}

}  // namespace cadencer
