// The schedule as a five-field cron line, and a cron line read back into schedule keys.
//
// cron knows neither start nor end dates and repeats the same times every day, so it holds
// a Daily, Weekly or Monthly schedule without dates in force, and an Every schedule whose
// runs fall on a daily grid that one line can write. cron wakes at the start of each
// minute: a line installed during a minute first runs at the next one, so its runs are
// compared from the minute after the present on. Days of the month and weekdays combine as
// cron combines them: when both fields are restricted a day matching either runs.
#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <vector>

#include "engine/next_run.h"
#include "engine/schedule_forms.h"
#include "engine/schedule_forms_plan.h"

namespace cadencer {
namespace {

using forms::Number;
using forms::Plan;
using forms::Readable;
using forms::Refused;
using forms::Why;

std::string UnitText(const Plan& plan) {
    const char* unit = plan.hours ? " hour" : " minute";
    return plan.interval == 1 ? std::string("every") + unit : "every " + Number(plan.interval) + unit + "s";
}

std::string ListOf(std::uint32_t days, int width, int firstValue) {
    std::string text;
    for (int i = 0; i < width; ++i)
        if (days >> i & 1u) text += (text.empty() ? "" : ",") + Number(i + firstValue);
    return text;
}

FormResult EveryLine(const Plan& plan) {
    const std::int64_t period = plan.intervalMinutes;
    const std::int64_t firstMinute = plan.first.Minute();
    if (firstMinute - period > plan.present.Minute())
        return {false, "the next run " + Readable(plan.first) + " lies more than one interval after the present, " +
                           "and the cron line would run one interval before it"};
    const int minuteOfDay = static_cast<int>(plan.first.second / 60);
    if (period == 7 * 1440)  // once a week, on the first run's weekday
        return {true, Number(minuteOfDay % 60) + " " + Number(minuteOfDay / 60) + " * * " +
                          Number(WeekdayOfDaySerial(plan.first.day) - 1)};
    if (1440 % period != 0)
        return {false, UnitText(plan) +
                           " does not fall at the same times each day or week (it does not divide 24 hours, "
                           "and is not a week), and a cron line repeats the same times every day or week"};
    if (!(period < 60 && 60 % period == 0) && period % 60 != 0)
        return {false, UnitText(plan) +
                           ": the runs fall at different minutes of each hour, which one cron line's "
                           "minute and hour fields cannot hold"};
    if (period < 60) {
        const int offset = minuteOfDay % static_cast<int>(period);
        const std::string minutes = period == 1   ? "*"
                                    : offset == 0 ? "*/" + Number(period)
                                                  : Number(offset) + "-59/" + Number(period);
        return {true, minutes + " * * * *"};
    }
    const int hoursApart = static_cast<int>(period / 60);
    const int hour = minuteOfDay / 60;
    const int offset = hour % hoursApart;
    std::string hours;
    if (hoursApart == 1)
        hours = "*";
    else if (hoursApart == 24)
        hours = Number(hour);
    else if (offset == 0)
        hours = "*/" + Number(hoursApart);
    else
        hours = Number(offset) + "-23/" + Number(hoursApart);
    return {true, Number(minuteOfDay % 60) + " " + hours + " * * *"};
}

}  // namespace

FormResult ToCron(const ScheduleSettings& settings, OleDate present) {
    const auto made = forms::MakePlan(settings, present);
    if (!made.plan) return {false, made.reason};
    const Plan& plan = *made.plan;
    if (plan.first.Minute() == plan.present.Minute())
        return {false, "the schedule is due in the present minute (" + Readable(plan.first) +
                           "), which a cron line installed now would miss; convert it after that minute"};
    if (plan.kind == Occurs::Every) return EveryLine(plan);
    if (plan.endDay)
        return {false, "cron has no end date, and the end date " + forms::ReadableDay(*plan.endDay) + " is in force"};
    // Without its start date the schedule would first run here; a later first run means a
    // start date ahead, which cron cannot hold.
    ScheduleSettings undated = settings;
    undated.StartDate = *JoinDate(plan.present.day, 0);
    undated.UseEndDate = false;
    const auto undatedFirst = SplitDate(ComputeNextRun(undated, present, 1));
    if (!undatedFirst || !(*undatedFirst == plan.first))
        return {false, "cron has no start date, and the start date " +
                           forms::ReadableDay(SplitDate(settings.StartDate)->day) + " holds the first run back to " +
                           Readable(plan.first)};
    const std::string at = Number(plan.startMinute % 60) + " " + Number(plan.startMinute / 60);
    switch (plan.kind) {
        case Occurs::Daily:
            return {true, at + " * * *"};
        case Occurs::Weekly:
            return {true, at + " * * " + ListOf(plan.days, 7, 0)};
        default:
            return {true, at + " " + ListOf(plan.days, 31, 1) + " * *"};
    }
}

namespace {

struct Field {
    std::string text;
    std::uint64_t values = 0;  // bit v for value v
    bool star = false;         // begins with "*": cron then combines the day fields with AND
};

struct FieldSpec {
    const char* name;
    int low;
    int high;
    const char* const* names;  // three-letter names from low on, or null
};

constexpr const char* kMonthNames[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                       "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr const char* kWeekdayNames[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
constexpr std::array<FieldSpec, 5> kFields = {{{"minute", 0, 59, nullptr},
                                               {"hour", 0, 23, nullptr},
                                               {"day-of-month", 1, 31, nullptr},
                                               {"month", 1, 12, kMonthNames},
                                               {"day-of-week", 0, 7, kWeekdayNames}}};

std::optional<int> FieldValue(std::string_view text, const FieldSpec& rule) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int v = 0;
        for (const char c : text) v = v * 10 + (c - '0');
        return v;
    }
    if (!rule.names || text.size() != 3) return std::nullopt;
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (int i = 0; i <= rule.high - rule.low && i < (rule.names == kMonthNames ? 12 : 7); ++i)
        if (upper == rule.names[i]) return rule.low + i;
    return std::nullopt;
}

bool ParseField(std::string_view text, const FieldSpec& rule, Field& field, std::string& reason) {
    field.text = std::string(text);
    field.star = !text.empty() && text[0] == '*';
    auto bad = [&](const std::string& why) {
        reason = std::string("the ") + rule.name + " field '" + field.text + "' " + why;
        return false;
    };
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t comma = std::min(text.find(',', begin), text.size());
        std::string_view item = text.substr(begin, comma - begin);
        begin = comma + 1;
        int step = 1;
        if (const auto slash = item.find('/'); slash != std::string_view::npos) {
            const auto n = FieldValue(item.substr(slash + 1), FieldSpec{rule.name, 0, 0, nullptr});
            if (!n || *n < 1) return bad("has a step that is not a whole number from 1 on");
            step = *n;
            item = item.substr(0, slash);
        }
        int low = rule.low, high = rule.high;
        if (item != "*") {
            const auto dash = item.find('-');
            const auto a = FieldValue(item.substr(0, dash), rule);
            if (!a) return bad("is not a list of numbers, ranges and steps");
            low = *a;
            if (dash != std::string_view::npos) {
                const auto b = FieldValue(item.substr(dash + 1), rule);
                if (!b) return bad("is not a list of numbers, ranges and steps");
                high = *b;
            } else if (step == 1) {
                high = low;
            }
            if (low < rule.low || high > rule.high || low > high)
                return bad("goes outside " + Number(rule.low) + " to " + Number(rule.high));
        }
        for (int v = low; v <= high; v += step) field.values |= std::uint64_t{1} << v;
        if (comma == text.size()) break;
    }
    return true;
}

std::uint64_t Span(int low, int high) {
    return ((std::uint64_t{1} << (high + 1)) - 1) & ~((std::uint64_t{1} << low) - 1);
}

std::optional<std::string> Macro(std::string_view text, std::string& reason) {
    static constexpr std::pair<const char*, const char*> kMacros[] = {{"@daily", "0 0 * * *"},
                                                                      {"@midnight", "0 0 * * *"},
                                                                      {"@hourly", "0 * * * *"},
                                                                      {"@weekly", "0 0 * * 0"},
                                                                      {"@monthly", "0 0 1 * *"}};
    for (const auto& [name, line] : kMacros)
        if (text == name) return std::string(line);
    if (text == "@yearly" || text == "@annually")
        reason = "'" + std::string(text) + "' runs once a year, and a schedule runs in every month";
    else if (text == "@reboot")
        reason = "'@reboot' runs when the computer starts, not at a time of day";
    else
        reason = "'" + std::string(text) + "' is not a cron time";
    return std::nullopt;
}

// The line's five fields, with day-of-week 7 read as Sunday.
Why ParseLine(std::string_view text, std::array<Field, 5>& f) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    std::string line(text);
    if (!line.empty() && line[0] == '@') {
        std::string reason;
        const auto expanded = Macro(line, reason);
        if (!expanded) return reason;
        line = *expanded;
    }
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < line.size();) {
        std::size_t j = i;
        while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
        if (j > i) parts.push_back(line.substr(i, j - i));
        i = j + 1;
    }
    if (parts.size() != 5)
        return "a cron time has five fields (minute hour day-of-month month day-of-week), this has " +
               Number(static_cast<long long>(parts.size()));
    for (std::size_t i = 0; i < 5; ++i) {
        std::string reason;
        if (!ParseField(parts[i], kFields[i], f[i], reason)) return reason;
    }
    if (f[4].values >> 7 & 1u) f[4].values = (f[4].values | 1u) & ~(std::uint64_t{1} << 7);  // 7 is Sunday too
    return std::nullopt;
}

// The longest month among those the month field leaves out (0 when it leaves none out).
unsigned LongestLeftOut(std::uint64_t months) {
    static constexpr unsigned kLongest[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    unsigned longest = 0;
    for (int m = 1; m <= 12; ++m)
        if (!(months >> m & 1u)) longest = std::max(longest, kLongest[m - 1]);
    return longest;
}

// The days the line runs on: every day, chosen weekdays or chosen days of the month.
Why ChosenDays(const Field& dom, const Field& month, const Field& dow, Occurs& kind) {
    const bool allDom = dom.values == Span(1, 31), allDow = dow.values == Span(0, 6);
    const bool either = !dom.star && !dow.star;  // cron's rule: both restricted means either
    const bool everyDay = either ? (allDom || allDow) : (allDom && allDow);
    if (!everyDay && either)
        return "cron runs on the days that match either the day of the month '" + dom.text + "' or the weekday '" +
               dow.text + "', and a schedule chooses one of them";
    if (!everyDay && !allDom && !allDow)
        return "cron runs only on the days that match both the day of the month '" + dom.text + "' and the weekday '" +
               dow.text + "', and a schedule chooses one of them";
    kind = everyDay ? Occurs::Daily : allDom ? Occurs::Weekly : Occurs::Monthly;
    // Months left out are no loss where none of the chosen days exists in them (the 31st
    // in the months of 30 days and February).
    const unsigned longest = LongestLeftOut(month.values & Span(1, 12));
    if (longest != 0 && !(kind == Occurs::Monthly && std::countr_zero(dom.values) > static_cast<int>(longest)))
        return "the month field '" + month.text + "' leaves months out, and a schedule runs in every month";
    return std::nullopt;
}

// One time of day on the chosen days: Daily, Weekly or Monthly, from the day of the line's
// first run (cron has no start date).
KeysResult CalendarKeys(int minuteOfDay, Occurs kind, const Field& dom, const Field& dow, OleDate present) {
    const auto weekly = forms::SelectionText(static_cast<std::uint32_t>(dow.values), kWeeklyWidth);
    const auto monthly = forms::SelectionText(static_cast<std::uint32_t>(dom.values >> 1), kMonthlyWidth);
    // The first run strictly after the present minute, as the engine computes it from today.
    ScheduleSettings s;
    s.OccursOption = static_cast<std::int32_t>(kind);
    s.StartHour = static_cast<std::int16_t>(minuteOfDay / 60);
    s.StartMinute = static_cast<std::int16_t>(minuteOfDay % 60);
    s.StartDate = *CalendarDate(present);
    s.SelectionsWeekly = weekly;
    s.SelectionsMonthly = monthly;
    const OleDate due = ComputeNextRun(s, present, 1);
    if (IsNeverMarker(due, present)) return Refused("the line never runs");
    KeysResult result{true, {}, {}};
    ScheduleKeys& keys = result.keys;
    keys.Set(&ScheduleSettings::StartHour, s.StartHour);
    keys.Set(&ScheduleSettings::StartMinute, s.StartMinute);
    keys.Set(&ScheduleSettings::StartDate, *CalendarDate(due));
    keys.Set(&ScheduleSettings::UseEndDate, false);
    if (kind == Occurs::Weekly) keys.Set(&ScheduleSettings::SelectionsWeekly, weekly);
    if (kind == Occurs::Monthly) keys.Set(&ScheduleSettings::SelectionsMonthly, monthly);
    keys.Set(&ScheduleSettings::OccursOption, kind);
    return result;
}

// Several times every day at one interval that divides the day: an Every schedule.
KeysResult EveryKeys(const std::vector<int>& times, const std::string& timeFields, OleDate present) {
    const int period = times[1] - times[0];
    for (std::size_t i = 1; i < times.size(); ++i)
        if (times[i] - times[i - 1] != period || static_cast<int>(times.size()) * period != 1440)
            return Refused("several times a day (" + timeFields +
                           ") at uneven intervals, and a schedule runs once a day or at one interval");
    const auto now = SplitDate(present);
    if (!now) return Refused("the present time is not a date in the years 100 to 9999");
    // The line's first run after the present minute is one interval after the last run.
    const std::int64_t after = now->Minute() + 1;
    const int minuteOfDay = static_cast<int>((after % 1440 + 1440) % 1440);
    const auto next = std::lower_bound(times.begin(), times.end(), minuteOfDay);
    const std::int64_t first = after - minuteOfDay + (next == times.end() ? 1440 + times[0] : *next);
    const auto last = JoinDate(0, (first - period) * 60);
    if (!last) return Refused("the present time is not a date in the years 100 to 9999");
    KeysResult result{true, {}, {}};
    ScheduleKeys& keys = result.keys;
    keys.Set(&ScheduleSettings::EveryFrequency, period % 60 == 0 ? EveryType::Hours : EveryType::Minutes);
    keys.Set(&ScheduleSettings::EveryInterval, period % 60 == 0 ? period / 60 : period);
    keys.Set(&ScheduleSettings::LastScheduledTime, *last);
    keys.Set(&ScheduleSettings::OccursOption, Occurs::Every);
    return result;
}

}  // namespace

KeysResult FromCron(std::string_view text, OleDate present) {
    std::array<Field, 5> f;
    if (auto why = ParseLine(text, f)) return Refused(*why);
    const Field &minute = f[0], &hour = f[1], &dom = f[2], &month = f[3], &dow = f[4];
    Occurs kind = Occurs::Daily;
    if (auto why = ChosenDays(dom, month, dow, kind)) return Refused(*why);
    std::vector<int> times;
    for (int h = 0; h < 24; ++h)
        for (int m = 0; m < 60; ++m)
            if ((hour.values >> h & 1u) && (minute.values >> m & 1u)) times.push_back(h * 60 + m);
    if (times.size() == 1) return CalendarKeys(times[0], kind, dom, dow, present);
    const std::string timeFields = "'" + minute.text + " " + hour.text + "'";
    if (kind != Occurs::Daily)
        return Refused("several times a day (" + timeFields + ") on chosen days, and a schedule runs once a day");
    return EveryKeys(times, timeFields, present);
}

}  // namespace cadencer
