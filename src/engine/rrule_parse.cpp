// RRULE text (with an optional DTSTART) read back into schedule keys. The whole text is
// checked before any key is decided; what a schedule cannot hold is refused with the reason.
//
// A rule on chosen days at one time of day becomes a Daily, Weekly or Monthly schedule; a
// rule that repeats at one interval (hourly, minutely, every n days, every n weeks on one
// weekday) becomes an Every schedule whose last run lies one interval before the rule's
// next run. A DTSTART off the rule is an extra first run in iCalendar: a schedule cannot
// hold it while it lies ahead, and once it has passed it is history. Without DTSTART a
// daily, weekly or monthly rule starts today, and an hourly or minutely one counts from now.
// A date-only UNTIL beside a date-time DTSTART (as calendar programs write it) ends the rule
// with that whole day.
#include <algorithm>
#include <bit>
#include <cctype>
#include <map>
#include <vector>

#include "engine/next_run.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_forms_plan.h"

namespace cadencer {
namespace {

using forms::Number;
using forms::Refused;
using forms::Why;

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::optional<int> Digits(std::string_view text, std::size_t maxLength = 9) {
    if (text.empty() || text.size() > maxLength) return std::nullopt;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t at = text.find(separator, begin);
        parts.emplace_back(text.substr(begin, at == std::string_view::npos ? std::string_view::npos : at - begin));
        if (at == std::string_view::npos) return parts;
        begin = at + 1;
    }
}

// A floating local date-time "YYYYMMDDTHHMMSS", or a date "YYYYMMDD" (its 00:00, dateOnly set).
Why LocalTime(const std::string& text, const char* what, std::optional<DaySecond>& out, bool& dateOnly) {
    if (!text.empty() && text.back() == 'Z')
        return std::string(what) + " " + text +
               " is in UTC, and a schedule runs on the local clock (floating local times only)";
    const bool withTime = text.size() == 15 && text[8] == 'T';
    if (!withTime && text.size() != 8) return std::string(what) + " '" + text + "' is not a date-time YYYYMMDDTHHMMSS";
    const auto y = Digits(text.substr(0, 4)), mo = Digits(text.substr(4, 2)), d = Digits(text.substr(6, 2));
    const auto h = withTime ? Digits(text.substr(9, 2)) : 0, mi = withTime ? Digits(text.substr(11, 2)) : 0,
               s = withTime ? Digits(text.substr(13, 2)) : 0;
    std::optional<OleDate> value;
    if (y && mo && d && h && mi && s) value = Compose({*y, *mo, *d, *h, *mi, *s});
    if (!value) return std::string(what) + " '" + text + "' is not a date-time in the years 100 to 9999";
    out = SplitDate(*value);
    dateOnly = !withTime;
    return std::nullopt;
}

struct Rule {
    std::string freq;
    int interval = 1;
    int weekStart = 1;  // WKST, Monday unless given
    std::optional<DaySecond> until;
    bool untilDateOnly = false;
    std::optional<std::vector<int>> byHour, byMinute, bySecond, byDay, byMonthDay, byMonth;
};

Why NumberList(const std::string& name, const std::string& value, int low, int high,
               std::optional<std::vector<int>>& out) {
    std::vector<int> values;
    for (std::string item : Split(value, ',')) {
        if (name == "BYMONTHDAY" && !item.empty() && item[0] == '-')
            return "BYMONTHDAY=" + value + " counts days from the end of the month, and a schedule counts them " +
                   "from the first";
        if (name == "BYMONTHDAY" && !item.empty() && item[0] == '+') item.erase(0, 1);  // +5 is the 5th
        const auto v = Digits(item, 2);
        if (!v || *v < low || *v > high)
            return name + "=" + value + " is not a list of numbers from " + Number(low) + " to " + Number(high);
        values.push_back(*v);
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    out = values;
    return std::nullopt;
}

Why WeekdayList(const std::string& value, std::optional<std::vector<int>>& out) {
    std::vector<int> days;
    for (const std::string& item : Split(value, ',')) {
        const auto day = forms::WeekdayOfCode(item);
        if (!day) {
            if (item.size() > 2 && forms::WeekdayOfCode(item.substr(item.size() - 2)))
                return "BYDAY=" + value +
                       " picks a weekday by its number within the month or year (such as the first Monday), "
                       "which a schedule cannot hold";
            return "BYDAY=" + value + " is not a list of weekdays SU, MO, TU, WE, TH, FR, SA";
        }
        days.push_back(*day);
    }
    out = days;
    return std::nullopt;
}

Why ParsePart(const std::string& name, const std::string& value, Rule& rule) {
    if (name == "INTERVAL") {
        const auto v = Digits(value);
        if (!v || *v < 1) return "INTERVAL=" + value + " is not a whole number from 1 on";
        rule.interval = *v;
        return std::nullopt;
    }
    if (name == "WKST") {
        const auto day = forms::WeekdayOfCode(value);
        if (!day) return "WKST=" + value + " is not a weekday SU, MO, TU, WE, TH, FR, SA";
        rule.weekStart = *day;
        return std::nullopt;
    }
    if (name == "UNTIL") return LocalTime(value, "UNTIL", rule.until, rule.untilDateOnly);
    if (name == "BYDAY") return WeekdayList(value, rule.byDay);
    struct Range {
        const char* name;
        int low, high;
        std::optional<std::vector<int>> Rule::*field;
    };
    static constexpr Range kRanges[] = {{"BYHOUR", 0, 23, &Rule::byHour},
                                        {"BYMINUTE", 0, 59, &Rule::byMinute},
                                        {"BYSECOND", 0, 60, &Rule::bySecond},
                                        {"BYMONTHDAY", 1, 31, &Rule::byMonthDay},
                                        {"BYMONTH", 1, 12, &Rule::byMonth}};
    const auto range =
        std::find_if(std::begin(kRanges), std::end(kRanges), [&](const Range& r) { return name == r.name; });
    if (range == std::end(kRanges)) return name + " is not a part of a recurrence rule";
    return NumberList(name, value, range->low, range->high, rule.*(range->field));
}

Why ParseRule(const std::string& text, Rule& rule) {
    static const std::map<std::string, std::string> kRefused = {
        {"COUNT", "COUNT ends the rule after a number of runs, and a schedule ends on a day (UNTIL)"},
        {"BYSETPOS",
         "BYSETPOS picks runs by their position in a set (such as the last weekday of a month), "
         "which a schedule cannot hold"},
        {"BYYEARDAY", "BYYEARDAY picks days of the year, which a schedule cannot hold"},
        {"BYWEEKNO", "BYWEEKNO picks weeks of the year, which a schedule cannot hold"},
    };
    std::map<std::string, std::string> parts;
    for (const std::string& part : Split(text, ';')) {
        const auto eq = part.find('=');
        if (eq == std::string::npos || eq == 0) return "'" + part + "' is not a NAME=VALUE part of a rule";
        const std::string name = Upper(part.substr(0, eq));
        if (const auto refused = kRefused.find(name); refused != kRefused.end()) return refused->second;
        if (!parts.emplace(name, Upper(part.substr(eq + 1))).second) return name + " is given twice";
    }
    const auto freq = parts.find("FREQ");
    if (freq == parts.end()) return "the rule has no FREQ";
    rule.freq = freq->second;
    for (const auto& [name, value] : parts)
        if (name != "FREQ")
            if (auto why = ParsePart(name, value, rule)) return why;
    if (rule.byMonth && rule.byMonth->size() != 12)
        return "BYMONTH leaves months out, and a schedule runs in every month";
    if (rule.bySecond && *rule.bySecond != std::vector<int>{0})
        return "BYSECOND picks seconds, and a schedule runs on whole minutes";
    return std::nullopt;
}

// The text's lines, unfolded and trimmed, without empty ones.
std::vector<std::string> Unfolded(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '\r') continue;
        if (c != '\n') {
            current += c;
            continue;
        }
        if (i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
            ++i;  // a folded line goes on
            continue;
        }
        while (!current.empty() && std::isspace(static_cast<unsigned char>(current.back()))) current.pop_back();
        std::size_t lead = 0;
        while (lead < current.size() && std::isspace(static_cast<unsigned char>(current[lead]))) ++lead;
        if (lead < current.size()) lines.push_back(current.substr(lead));
        current.clear();
    }
    return lines;
}

Why StartParameters(const std::vector<std::string>& params) {
    for (std::size_t i = 1; i < params.size(); ++i) {
        const std::string param = Upper(params[i]);
        if (param.rfind("TZID=", 0) == 0)
            return "DTSTART names the time zone " + params[i].substr(5) +
                   ", and a schedule runs on the local clock (floating local times only)";
        if (param == "VALUE=DATE") return "DTSTART is a date without a time of day, and a schedule runs at a time";
        if (param != "VALUE=DATE-TIME") return "DTSTART;" + params[i] + " is not understood";
    }
    return std::nullopt;
}

// The RRULE value and the DTSTART value.
Why ReadLines(std::string_view text, std::optional<std::string>& ruleText, std::optional<std::string>& start) {
    for (const std::string& line : Unfolded(text)) {
        const auto colon = line.find(':');
        const auto params = Split(line.substr(0, colon), ';');
        const std::string name = Upper(params[0]);
        // A rule may stand alone, without its RRULE name.
        const bool bare = colon == std::string::npos || name.rfind("FREQ=", 0) == 0;
        if (bare || name == "RRULE") {
            if (ruleText) return "the text holds more than one rule, and a schedule holds one";
            if (bare && name.rfind("FREQ=", 0) != 0) return "'" + line + "' is neither a DTSTART nor an RRULE line";
            ruleText = bare ? line : line.substr(colon + 1);
        } else if (name == "DTSTART") {
            if (start) return "DTSTART is given twice";
            if (auto why = StartParameters(params)) return why;
            start = line.substr(colon + 1);
        } else if (name == "EXDATE" || name == "RDATE" || name == "EXRULE") {
            return name + " adds or removes single runs, which a schedule cannot hold";
        } else {
            return name + " is neither DTSTART nor RRULE";
        }
    }
    if (!ruleText) return "the text holds no RRULE";
    return std::nullopt;
}

// What is known once the text is parsed.
struct Reading {
    Rule rule;
    std::optional<DaySecond> start;
    std::string startText;
    DaySecond now;
};

Why ReadText(std::string_view text, OleDate present, Reading& r) {
    const auto now = SplitDate(present);
    if (!now) return "the present time is not a date in the years 100 to 9999";
    r.now = *now;
    std::optional<std::string> ruleText, startText;
    if (auto why = ReadLines(text, ruleText, startText)) return why;
    if (auto why = ParseRule(*ruleText, r.rule)) return why;
    if (!startText) return std::nullopt;
    r.startText = *startText;
    bool dateOnly = false;
    if (auto why = LocalTime(*startText, "DTSTART", r.start, dateOnly)) return why;
    if (dateOnly) return "DTSTART is a date without a time of day";
    if (r.start->second % 60 != 0)
        return "DTSTART " + *startText + " has seconds, and a schedule runs on whole minutes";
    return std::nullopt;
}

// A DTSTART off the rule is an extra first run: refused while it lies ahead.
Why ExtraFirstRun(const Reading& r, bool onRule) {
    if (!r.start || onRule || r.start->Minute() < r.now.Minute()) return std::nullopt;
    return "DTSTART " + r.startText +
           " is not one of the rule's own times, so iCalendar counts it as an extra first run, which a schedule "
           "cannot hold";
}

// An Every schedule whose runs are anchor + k * period minutes (k >= 0) from earliest on.
KeysResult EveryKeys(std::int64_t anchor, std::int64_t earliest, int interval, bool hours) {
    const std::int64_t period = interval * (hours ? 60LL : 1LL);
    const std::int64_t first = anchor < earliest ? anchor + (earliest - anchor + period - 1) / period * period : anchor;
    const auto last = JoinDate(0, (first - period) * 60);
    if (!last) return Refused("the rule's runs lie outside the years 100 to 9999");
    KeysResult result{true, {}, {}};
    ScheduleKeys& keys = result.keys;
    keys.Set(&ScheduleSettings::EveryFrequency, hours ? EveryType::Hours : EveryType::Minutes);
    keys.Set(&ScheduleSettings::EveryInterval, interval);
    keys.Set(&ScheduleSettings::LastScheduledTime, *last);
    keys.Set(&ScheduleSettings::OccursOption, Occurs::Every);
    return result;
}

// FREQ=HOURLY or MINUTELY: one interval around the clock.
KeysResult FromClockRule(const Reading& r) {
    const Rule& rule = r.rule;
    const bool hours = rule.freq == "HOURLY";
    // An hourly rule may repeat DTSTART's own minute.
    const bool startMinute = hours && r.start && rule.byMinute &&
                             *rule.byMinute == std::vector<int>{static_cast<int>(r.start->second / 60 % 60)};
    if (rule.byHour || (rule.byMinute && !startMinute) || rule.byDay || rule.byMonthDay)
        return Refused(
            "an Every schedule runs at one interval around the clock, and the rule's BY parts limit its times or "
            "days");
    if (rule.until) return Refused("an Every schedule has no end date, and the rule has UNTIL");
    if (rule.interval > 32767) return Refused("INTERVAL=" + Number(rule.interval) + " is more than a schedule's 32767");
    const std::int64_t period = rule.interval * (hours ? 60LL : 1LL);
    const std::int64_t anchor = r.start ? r.start->Minute() : r.now.Minute() + period;
    return EveryKeys(anchor, r.now.Minute(), rule.interval, hours);
}

// The days a daily, weekly, monthly or yearly rule runs on: a Daily, Weekly (bit d for
// weekday d from Sunday) or Monthly (bit k-1 for day k) choice.
Why ChosenDays(const Reading& r, Occurs& kind, std::uint32_t& mask) {
    const Rule& rule = r.rule;
    const bool daily = rule.freq == "DAILY", weekly = rule.freq == "WEEKLY";
    if (rule.freq == "SECONDLY")
        return "FREQ=SECONDLY runs every so many seconds, and a schedule runs on whole minutes";
    if (!daily && !weekly && rule.freq != "MONTHLY" && rule.freq != "YEARLY")
        return "FREQ=" + rule.freq + " is not a frequency";
    if (rule.byDay && rule.byMonthDay)
        return "the rule limits both weekdays and days of the month, and a schedule chooses one";
    if (weekly && rule.byMonthDay) return "BYMONTHDAY does not belong in a weekly rule";
    if (rule.freq == "YEARLY" && !rule.byDay && !rule.byMonthDay && !rule.byMonth)
        return "FREQ=YEARLY runs once a year, and a schedule runs daily, weekly, monthly or every so many hours or "
               "minutes";
    mask = 0;
    if (rule.byDay) {
        kind = Occurs::Weekly;
        for (const int d : *rule.byDay) mask |= 1u << d;
    } else if (weekly && r.start) {
        kind = Occurs::Weekly;
        mask = 1u << (WeekdayOfDaySerial(r.start->day) - 1);
    } else if (rule.byMonthDay) {
        kind = Occurs::Monthly;
        for (const int d : *rule.byMonthDay) mask |= 1u << (d - 1);
    } else if (!daily && !weekly && r.start) {
        kind = Occurs::Monthly;
        mask = 1u << (static_cast<unsigned>(CivilFromDaySerial(r.start->day).day()) - 1);
    } else if (daily) {
        kind = Occurs::Daily;
    } else {
        return std::string("a ") + (weekly ? "weekly" : "monthly") + " rule needs " +
               (weekly ? "BYDAY" : "BYMONTHDAY") + " or DTSTART to tell its days";
    }
    return std::nullopt;
}

Why TimeOfDay(const Reading& r, int& minuteOfDay) {
    const Rule& rule = r.rule;
    if ((rule.byHour && rule.byHour->size() > 1) || (rule.byMinute && rule.byMinute->size() > 1))
        return "the rule runs several times a day, and a schedule runs once a day at one time";
    if ((!rule.byHour || !rule.byMinute) && !r.start)
        return "the rule has no time of day: give DTSTART, or BYHOUR and BYMINUTE";
    const int hour = rule.byHour ? rule.byHour->front() : static_cast<int>(r.start->second / 3600);
    const int minute = rule.byMinute ? rule.byMinute->front() : static_cast<int>(r.start->second / 60 % 60);
    minuteOfDay = hour * 60 + minute;
    return std::nullopt;
}

bool Chosen(Occurs kind, std::uint32_t mask, std::int64_t day) {
    if (kind == Occurs::Daily) return true;
    const int bit = kind == Occurs::Weekly ? WeekdayOfDaySerial(day) - 1
                                           : static_cast<int>(static_cast<unsigned>(CivilFromDaySerial(day).day())) - 1;
    return mask >> bit & 1u;
}

// Every n days, or every n weeks on one weekday: an Every schedule in hours.
KeysResult FromDayInterval(const Reading& r, Occurs kind, std::uint32_t mask, int minuteOfDay) {
    const Rule& rule = r.rule;
    const bool weeks = kind == Occurs::Weekly;
    if (!(kind == Occurs::Daily && rule.freq == "DAILY") &&
        !(weeks && rule.freq == "WEEKLY" && std::has_single_bit(mask)))
        return Refused("INTERVAL=" + Number(rule.interval) + " skips periods (every " + Number(rule.interval) + " " +
                       (rule.freq == "DAILY"    ? "days"
                        : rule.freq == "WEEKLY" ? "weeks"
                        : rule.freq == "YEARLY" ? "years"
                                                : "months") +
                       "), and a schedule runs in every one unless it runs every so many hours");
    const long long hours = rule.interval * (weeks ? 168LL : 24LL);
    if (hours > 32767)
        return Refused("INTERVAL=" + Number(rule.interval) + " makes every " + Number(hours) +
                       " hours, more than a schedule's 32767");
    if (rule.until) return Refused("an Every schedule has no end date, and the rule has UNTIL");
    if (auto why =
            ExtraFirstRun(r, r.start && r.start->second == minuteOfDay * 60LL && Chosen(kind, mask, r.start->day)))
        return Refused(*why);
    // The rule counts its periods from DTSTART's day or week (today's without it).
    std::int64_t day = r.start ? r.start->day : r.now.day;
    if (weeks) {
        const int weekday = WeekdayOfDaySerial(day) - 1, target = std::countr_zero(mask);
        day += (target - rule.weekStart + 7) % 7 - (weekday - rule.weekStart + 7) % 7;
    }
    const std::int64_t earliest = std::max(r.now.Minute(), r.start ? r.start->Minute() : r.now.Minute());
    return EveryKeys(day * 1440 + minuteOfDay, earliest, static_cast<int>(hours), true);
}

KeysResult CalendarKeys(const Reading& r, Occurs kind, std::uint32_t mask, int minuteOfDay) {
    if (auto why =
            ExtraFirstRun(r, r.start && r.start->second == minuteOfDay * 60LL && Chosen(kind, mask, r.start->day)))
        return Refused(*why);
    KeysResult result{true, {}, {}};
    ScheduleKeys& keys = result.keys;
    const std::int64_t startDay = r.start ? r.start->day : r.now.day;
    std::optional<std::int64_t> endDay;
    if (const auto& until = r.rule.until) {
        // The last day whose run lies at or before UNTIL; a date alone ends with its whole day.
        const bool runsThatDay = r.rule.untilDateOnly || until->second >= minuteOfDay * 60LL;
        endDay = runsThatDay ? until->day : until->day - 1;
        if (*endDay < startDay) return Refused("UNTIL ends the rule before its first run");
    }
    keys.Set(&ScheduleSettings::StartHour, minuteOfDay / 60);
    keys.Set(&ScheduleSettings::StartMinute, minuteOfDay % 60);
    keys.Set(&ScheduleSettings::StartDate, *JoinDate(startDay, 0));
    if (endDay) keys.Set(&ScheduleSettings::EndDate, *JoinDate(*endDay, 0));
    keys.Set(&ScheduleSettings::UseEndDate, endDay.has_value());
    if (kind == Occurs::Weekly) keys.Set(&ScheduleSettings::SelectionsWeekly, forms::SelectionText(mask, kWeeklyWidth));
    if (kind == Occurs::Monthly)
        keys.Set(&ScheduleSettings::SelectionsMonthly, forms::SelectionText(mask, kMonthlyWidth));
    keys.Set(&ScheduleSettings::OccursOption, kind);
    return result;
}

}  // namespace

KeysResult FromRRule(std::string_view text, OleDate present) {
    Reading r;
    if (auto why = ReadText(text, present, r)) return Refused(*why);
    if (r.rule.freq == "HOURLY" || r.rule.freq == "MINUTELY") return FromClockRule(r);
    Occurs kind = Occurs::Daily;
    std::uint32_t mask = 0;
    int minuteOfDay = 0;
    if (auto why = ChosenDays(r, kind, mask)) return Refused(*why);
    if (auto why = TimeOfDay(r, minuteOfDay)) return Refused(*why);
    if (r.rule.interval != 1) return FromDayInterval(r, kind, mask, minuteOfDay);
    return CalendarKeys(r, kind, mask, minuteOfDay);
}

}  // namespace cadencer
