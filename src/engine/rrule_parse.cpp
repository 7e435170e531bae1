// RRULE text (with an optional DTSTART) read back into schedule keys. The whole text is
// checked before any key is decided; what a schedule cannot hold is refused with the reason.
//
// DTSTART, when given, must be one of the rule's own times: iCalendar counts a DTSTART off
// the rule as an extra first run, which a schedule cannot hold. Without DTSTART a daily,
// weekly or monthly rule starts today, and an hourly or minutely one counts from now.
#include <algorithm>
#include <cctype>
#include <map>
#include <vector>

#include "engine/next_run.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_forms_plan.h"

namespace cadencer {
namespace {

using forms::Number;

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

// A floating local date-time "YYYYMMDDTHHMMSS", or a date "YYYYMMDD" (read as its 00:00,
// as iCalendar readers do for UNTIL).
std::optional<DaySecond> LocalTime(const std::string& text, const char* what, std::string& reason) {
    if (!text.empty() && text.back() == 'Z') {
        reason = std::string(what) + " " + text +
                 " is in UTC, and a schedule runs on the local clock (floating local times only)";
        return std::nullopt;
    }
    const bool withTime = text.size() == 15 && text[8] == 'T';
    if (!withTime && text.size() != 8) {
        reason = std::string(what) + " '" + text + "' is not a date-time YYYYMMDDTHHMMSS";
        return std::nullopt;
    }
    const auto y = Digits(text.substr(0, 4)), mo = Digits(text.substr(4, 2)), d = Digits(text.substr(6, 2));
    const auto h = withTime ? Digits(text.substr(9, 2)) : 0, mi = withTime ? Digits(text.substr(11, 2)) : 0,
               s = withTime ? Digits(text.substr(13, 2)) : 0;
    std::optional<OleDate> value;
    if (y && mo && d && h && mi && s) value = Compose({*y, *mo, *d, *h, *mi, *s});
    if (!value) {
        reason = std::string(what) + " '" + text + "' is not a date-time in the years 100 to 9999";
        return std::nullopt;
    }
    return SplitDate(*value);
}

struct Rule {
    std::string freq;
    int interval = 1;
    std::optional<DaySecond> until;
    std::optional<std::vector<int>> byHour, byMinute, bySecond, byDay, byMonthDay, byMonth;
};

std::optional<std::vector<int>> NumberList(const std::string& name, const std::string& value, int low, int high,
                                           std::string& reason) {
    std::vector<int> values;
    for (const std::string& item : Split(value, ',')) {
        if (!item.empty() && (item[0] == '-' || item[0] == '+') && name == "BYMONTHDAY") {
            reason = "BYMONTHDAY=" + value +
                     " counts days from the end of the month, and a schedule counts them "
                     "from the first";
            return std::nullopt;
        }
        const auto v = Digits(item, 2);
        if (!v || *v < low || *v > high) {
            reason = name + "=" + value + " is not a list of numbers from " + Number(low) + " to " + Number(high);
            return std::nullopt;
        }
        values.push_back(*v);
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

bool ParseRule(const std::string& text, Rule& rule, std::string& reason) {
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
        if (eq == std::string::npos || eq == 0) {
            reason = "'" + part + "' is not a NAME=VALUE part of a rule";
            return false;
        }
        const std::string name = Upper(part.substr(0, eq));
        if (const auto refused = kRefused.find(name); refused != kRefused.end()) return reason = refused->second, false;
        if (!parts.emplace(name, Upper(part.substr(eq + 1))).second) return reason = name + " is given twice", false;
    }
    const auto freq = parts.find("FREQ");
    if (freq == parts.end()) return reason = "the rule has no FREQ", false;
    rule.freq = freq->second;
    for (const auto& [name, value] : parts) {
        if (name == "FREQ" || name == "WKST") continue;  // the week's start matters only every few weeks
        if (name == "INTERVAL") {
            const auto v = Digits(value);
            if (!v || *v < 1) return reason = "INTERVAL=" + value + " is not a whole number from 1 on", false;
            rule.interval = *v;
        } else if (name == "UNTIL") {
            rule.until = LocalTime(value, "UNTIL", reason);
            if (!rule.until) return false;
        } else if (name == "BYDAY") {
            std::vector<int> days;
            static constexpr const char* kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
            for (const std::string& item : Split(value, ',')) {
                const auto at = std::find(std::begin(kDays), std::end(kDays), item);
                if (at == std::end(kDays)) {
                    const bool numbered = item.size() > 2 && std::find(std::begin(kDays), std::end(kDays),
                                                                       item.substr(item.size() - 2)) != std::end(kDays);
                    return reason = numbered
                                        ? "BYDAY=" + value +
                                              " picks a weekday by its number within the month or year "
                                              "(such as the first Monday), which a schedule cannot hold"
                                        : "BYDAY=" + value + " is not a list of weekdays SU, MO, TU, WE, TH, FR, SA",
                           false;
                }
                days.push_back(static_cast<int>(at - std::begin(kDays)));
            }
            rule.byDay = days;
        } else {
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
            if (range == std::end(kRanges)) return reason = name + " is not a part of a recurrence rule", false;
            rule.*(range->field) = NumberList(name, value, range->low, range->high, reason);
            if (!(rule.*(range->field))) return false;
        }
    }
    if (rule.byMonth && rule.byMonth->size() != 12)
        return reason = "BYMONTH leaves months out, and a schedule runs in every month", false;
    if (rule.bySecond && *rule.bySecond != std::vector<int>{0})
        return reason = "BYSECOND picks seconds, and a schedule runs on whole minutes", false;
    return true;
}

// The lines of the text, unfolded; the RRULE value and the DTSTART value.
bool ReadLines(std::string_view text, std::string& ruleText, std::optional<std::string>& start, std::string& reason) {
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
    bool haveRule = false;
    for (const std::string& line : lines) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            if (Upper(line.substr(0, 5)) != "FREQ=" || haveRule)
                return reason = "'" + line + "' is neither a DTSTART nor an RRULE line", false;
            ruleText = line;
            haveRule = true;
            continue;
        }
        const auto params = Split(line.substr(0, colon), ';');
        const std::string name = Upper(params[0]);
        const std::string value = line.substr(colon + 1);
        if (name == "RRULE") {
            if (haveRule) return reason = "the text holds more than one rule, and a schedule holds one", false;
            ruleText = value;
            haveRule = true;
        } else if (name == "DTSTART") {
            if (start) return reason = "DTSTART is given twice", false;
            for (std::size_t i = 1; i < params.size(); ++i) {
                const std::string param = Upper(params[i]);
                if (param.rfind("TZID=", 0) == 0)
                    return reason = "DTSTART names the time zone " + params[i].substr(5) +
                                    ", and a schedule runs on the local clock (floating local times only)",
                           false;
                if (param == "VALUE=DATE")
                    return reason = "DTSTART is a date without a time of day, and a schedule runs at a time", false;
                if (param != "VALUE=DATE-TIME") return reason = "DTSTART;" + params[i] + " is not understood", false;
            }
            start = value;
        } else if (name == "EXDATE" || name == "RDATE" || name == "EXRULE") {
            return reason = name + " adds or removes single runs, which a schedule cannot hold", false;
        } else {
            return reason = name + " is neither DTSTART nor RRULE", false;
        }
    }
    if (!haveRule) return reason = "the text holds no RRULE", false;
    return true;
}

bool Selected(const std::vector<int>& days, int day) {
    return std::find(days.begin(), days.end(), day) != days.end();
}

}  // namespace

KeysResult FromRRule(std::string_view text, OleDate present) {
    KeysResult result;
    std::string& reason = result.reason;
    const auto now = SplitDate(present);
    if (!now) return reason = "the present time is not a date in the years 100 to 9999", result;
    std::string ruleText;
    std::optional<std::string> startText;
    if (!ReadLines(text, ruleText, startText, reason)) return result;
    Rule rule;
    if (!ParseRule(ruleText, rule, reason)) return result;
    std::optional<DaySecond> start;
    if (startText) {
        start = LocalTime(*startText, "DTSTART", reason);
        if (!start) return result;
        if (startText->size() != 15) return reason = "DTSTART is a date without a time of day", result;
        if (start->second % 60 != 0)
            return reason = "DTSTART " + *startText + " has seconds, and a schedule runs on whole minutes", result;
    }
    ScheduleKeys& keys = result.keys;

    if (rule.freq == "HOURLY" || rule.freq == "MINUTELY") {
        const bool hours = rule.freq == "HOURLY";
        if (rule.byHour || rule.byMinute || rule.byDay || rule.byMonthDay)
            return reason =
                       "an Every schedule runs at one interval around the clock, and the rule's BY parts limit "
                       "its times or days",
                   result;
        if (rule.until) return reason = "an Every schedule has no end date, and the rule has UNTIL", result;
        if (rule.interval > 32767)
            return reason = "INTERVAL=" + Number(rule.interval) + " is more than a schedule's 32767", result;
        const std::int64_t period = rule.interval * (hours ? 60LL : 1LL);
        // The rule's first run at or after the present minute comes one interval after the
        // last run; without DTSTART the rule counts from now.
        std::int64_t first = now->Minute() + period;
        if (start) {
            first = start->Minute();
            if (first < now->Minute()) first += (now->Minute() - first + period - 1) / period * period;
        }
        const auto last = JoinDate(0, (first - period) * 60);
        if (!last) return reason = "the rule's runs lie outside the years 100 to 9999", result;
        keys.EveryFrequency = static_cast<std::int32_t>(hours ? EveryType::Hours : EveryType::Minutes);
        keys.EveryInterval = static_cast<std::int16_t>(rule.interval);
        keys.LastScheduledTime = *last;
        keys.OccursOption = static_cast<std::int32_t>(Occurs::Every);
        result.ok = true;
        return result;
    }

    Occurs kind;
    if (rule.freq == "DAILY") {
        if (rule.byDay && rule.byMonthDay)
            return reason = "the rule limits both weekdays and days of the month, and a schedule chooses one", result;
        kind = rule.byDay ? Occurs::Weekly : rule.byMonthDay ? Occurs::Monthly : Occurs::Daily;
    } else if (rule.freq == "WEEKLY") {
        if (rule.byMonthDay) return reason = "BYMONTHDAY does not belong in a weekly rule", result;
        kind = Occurs::Weekly;
    } else if (rule.freq == "MONTHLY") {
        if (rule.byDay)
            return reason =
                       "BYDAY in a monthly rule picks weekdays within the month, and a monthly schedule picks "
                       "days of the month",
                   result;
        kind = Occurs::Monthly;
    } else if (rule.freq == "YEARLY") {
        return reason =
                   "FREQ=YEARLY runs once a year, and a schedule runs daily, weekly, monthly or every so many "
                   "hours or minutes",
               result;
    } else if (rule.freq == "SECONDLY") {
        return reason = "FREQ=SECONDLY runs every so many seconds, and a schedule runs on whole minutes", result;
    } else {
        return reason = "FREQ=" + rule.freq + " is not a frequency", result;
    }
    if (rule.interval != 1)
        return reason = "INTERVAL=" + Number(rule.interval) + " skips periods (every " + Number(rule.interval) + " " +
                        (rule.freq == "DAILY"    ? "days"
                         : rule.freq == "WEEKLY" ? "weeks"
                                                 : "months") +
                        "), and a schedule runs in every one",
               result;
    if ((rule.byHour && rule.byHour->size() > 1) || (rule.byMinute && rule.byMinute->size() > 1))
        return reason = "the rule runs several times a day, and a schedule runs once a day at one time", result;
    if ((!rule.byHour || !rule.byMinute) && !start)
        return reason = "the rule has no time of day: give DTSTART, or BYHOUR and BYMINUTE", result;
    const int hour = rule.byHour ? rule.byHour->front() : static_cast<int>(start->second / 3600);
    const int minute = rule.byMinute ? rule.byMinute->front() : static_cast<int>(start->second / 60 % 60);
    const int startMinute = hour * 60 + minute;

    std::vector<int> days;
    if (kind == Occurs::Weekly) {
        if (rule.byDay)
            days = *rule.byDay;
        else if (start)
            days = {WeekdayOfDaySerial(start->day) - 1};
        else
            return reason = "a weekly rule needs BYDAY or DTSTART to tell its weekdays", result;
    } else if (kind == Occurs::Monthly) {
        if (rule.byMonthDay)
            days = *rule.byMonthDay;
        else if (start)
            days = {static_cast<int>(static_cast<unsigned>(CivilFromDaySerial(start->day).day()))};
        else
            return reason = "a monthly rule needs BYMONTHDAY or DTSTART to tell its days", result;
    }
    if (start) {
        const bool onDay =
            kind == Occurs::Weekly ? Selected(days, WeekdayOfDaySerial(start->day) - 1)
            : kind == Occurs::Monthly
                ? Selected(days, static_cast<int>(static_cast<unsigned>(CivilFromDaySerial(start->day).day())))
                : true;
        if (!onDay || start->second != startMinute * 60LL)
            return reason = "DTSTART " + *startText +
                            " is not one of the rule's own times, so iCalendar counts it as an extra first run, "
                            "which a schedule cannot hold",
                   result;
    }
    const std::int64_t startDay = start ? start->day : now->day;
    if (rule.until) {
        // The last day whose run lies at or before UNTIL.
        const std::int64_t endDay = rule.until->second >= startMinute * 60LL ? rule.until->day : rule.until->day - 1;
        if (endDay < startDay) return reason = "UNTIL ends the rule before its first run", result;
        keys.EndDate = *JoinDate(endDay, 0);
    }
    keys.UseEndDate = rule.until.has_value();
    keys.StartHour = static_cast<std::int16_t>(hour);
    keys.StartMinute = static_cast<std::int16_t>(minute);
    keys.StartDate = *JoinDate(startDay, 0);
    if (kind == Occurs::Weekly) {
        std::u16string text(kWeeklyWidth, u'0');
        for (const int d : days) text[static_cast<std::size_t>(d)] = u'1';
        keys.SelectionsWeekly = text;
    } else if (kind == Occurs::Monthly) {
        std::u16string text(kMonthlyWidth, u'0');
        for (const int d : days) text[static_cast<std::size_t>(d - 1)] = u'1';
        keys.SelectionsMonthly = text;
    }
    keys.OccursOption = static_cast<std::int32_t>(kind);
    result.ok = true;
    return result;
}

}  // namespace cadencer
