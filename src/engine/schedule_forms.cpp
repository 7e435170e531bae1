// The recurrence the engine runs (the plan every form is built from), the next runs, the
// schedule's keys, and the iCalendar forms (DTSTART with RRULE, and a whole VCALENDAR).
#include "engine/schedule_forms.h"

#include <cstdio>

#include "engine/invariant_text.h"
#include "engine/next_run.h"
#include "engine/schedule_forms_plan.h"
#include "engine/schedule_words.h"
#include "engine/utf8.h"

namespace cadencer {
namespace forms {

std::string Number(long long value) {
    return std::to_string(value);
}

namespace {
std::string Format(DaySecond time, const char* pattern) {
    const auto date = CivilFromDaySerial(time.day);
    char text[32];
    std::snprintf(text, sizeof text, pattern, static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.second / 3600),
                  static_cast<int>(time.second / 60 % 60), static_cast<int>(time.second % 60));
    return text;
}
}  // namespace

std::string CompactLocal(DaySecond time) {
    return Format(time, "%04d%02u%02uT%02d%02d%02d");
}

std::string IsoLocal(DaySecond time) {
    return Format(time, "%04d-%02u-%02uT%02d:%02d:%02d");
}

std::string Readable(DaySecond time) {
    return Format(time, "%04d-%02u-%02u %02d:%02d");
}

std::string ReadableDay(std::int64_t day) {
    return Readable(DaySecond{day, 0}).substr(0, 10);
}

std::string ClockText(int minuteOfDay) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    return text;
}

std::optional<int> WeekdayOfCode(std::string_view code) {
    for (int d = 0; d < 7; ++d)
        if (code == kWeekdayCodes[d]) return d;
    return std::nullopt;
}

std::u16string SelectionText(std::uint32_t days, std::size_t width) {
    std::u16string text(width, u'0');
    for (std::size_t i = 0; i < width; ++i)
        if (days >> i & 1u) text[i] = u'1';
    return text;
}

namespace {
// The runs a conversion must reproduce: the first 200 from the present.
constexpr std::size_t kComparedRuns = 200;
}  // namespace

PlanResult MakePlan(const ScheduleSettings& s, OleDate present) {
    const auto now = SplitDate(present);
    if (!now) return {std::nullopt, "the present time is not a date in the years 100 to 9999"};
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            return {std::nullopt, "a Never schedule never falls due: there is nothing to convert"};
        case static_cast<std::int32_t>(Occurs::Daily):
        case static_cast<std::int32_t>(Occurs::Weekly):
        case static_cast<std::int32_t>(Occurs::Monthly):
        case static_cast<std::int32_t>(Occurs::Every):
            break;
        default:
            return {std::nullopt, "the schedule's kind (OccursOption " + Number(s.OccursOption) +
                                      ") is unknown, so it never falls due"};
    }
    const OleDate due = ComputeNextRun(s, present, 0);
    if (IsNeverMarker(due, present))
        return {std::nullopt, "the schedule falls due no more after " + Readable(*now) + " (" +
                                  ToUtf8(DescribeSchedule(s)) + "): there is nothing to convert"};

    Plan plan;
    plan.kind = static_cast<Occurs>(s.OccursOption);
    plan.present = *now;
    plan.first = *SplitDate(due);
    if (plan.kind == Occurs::Every) {
        plan.hours = s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours);
        plan.interval = s.EveryInterval;
        plan.intervalMinutes = s.EveryInterval * (plan.hours ? 60LL : 1LL);
    } else {
        plan.startMinute = StartMinuteOfDay(s);
        if (plan.kind == Occurs::Weekly) plan.days = SelectedDays(s.SelectionsWeekly, kWeeklyWidth);
        if (plan.kind == Occurs::Monthly) plan.days = SelectedDays(s.SelectionsMonthly, kMonthlyWidth);
        if (s.UseEndDate) plan.endDay = SplitDate(s.EndDate)->day;  // a due time means the end date is valid
    }
    // The control's dates end with the year 9999, a recurrence without an end goes on.
    if ((!plan.endDay || plan.kind == Occurs::Every) &&
        NextRuns(s, present, static_cast<int>(kComparedRuns)).size() < kComparedRuns)
        return {std::nullopt,
                "the runs stop at the end of the year 9999, where the control's dates end, and the "
                "converted form would go on"};
    if (plan.kind == Occurs::Every) return {plan, {}};
    // A time of day stored with StartDate adds to the start time of a Daily schedule's first
    // run only; the runs after it keep the daily time, which no recurrence rule can follow.
    if (plan.first.second / 60 != plan.startMinute) {
        const DaySecond start = *SplitDate(s.StartDate);
        return {std::nullopt, "the start date " + ReadableDay(start.day) + " carries the time of day " +
                                  ClockText(static_cast<int>(start.second / 60)) + ", which moves the first run to " +
                                  Readable(plan.first) + ", off the daily time " + ClockText(plan.startMinute) +
                                  "; no recurrence rule holds that first run"};
    }
    return {plan, {}};
}

}  // namespace forms

using forms::Plan;

std::vector<OleDate> NextRuns(const ScheduleSettings& settings, OleDate present, int count) {
    std::vector<OleDate> runs;
    ScheduleSettings s = settings;
    OleDate now = present;
    OleDate next = ComputeNextRun(s, now, 0);
    for (int i = 0; i < count; ++i) {
        // The control fires only for a time that is neither the never marker nor the zero date.
        if (IsNeverMarker(next, now)) break;
        runs.push_back(next);
        now = next;
        s.LastScheduledTime = TruncateToMinute(now);
        next = ComputeNextRun(s, now, 1);
    }
    return runs;
}

namespace {

std::string RRuleOf(const Plan& plan) {
    std::string rule = "RRULE:FREQ=";
    auto at = [&] {
        return ";BYHOUR=" + forms::Number(plan.startMinute / 60) + ";BYMINUTE=" + forms::Number(plan.startMinute % 60);
    };
    auto list = [&](int width, auto name) {
        std::string text;
        for (int i = 0; i < width; ++i)
            if (plan.days >> i & 1u) text += (text.empty() ? "" : ",") + name(i);
        return text;
    };
    switch (plan.kind) {
        case Occurs::Daily:
            rule += "DAILY" + at();
            break;
        case Occurs::Weekly:
            rule += "WEEKLY;BYDAY=" + list(7, [](int i) { return std::string(forms::kWeekdayCodes[i]); }) + at();
            break;
        case Occurs::Monthly:
            rule += "MONTHLY;BYMONTHDAY=" + list(31, [](int i) { return forms::Number(i + 1); }) + at();
            break;
        default:
            rule += plan.hours ? "HOURLY" : "MINUTELY";
            if (plan.interval != 1) rule += ";INTERVAL=" + forms::Number(plan.interval);
            break;
    }
    // The end day's start time, inclusive; an Every schedule has no end.
    if (plan.endDay && plan.kind != Occurs::Every)
        rule += ";UNTIL=" + forms::CompactLocal(DaySecond{*plan.endDay, plan.startMinute * 60LL});
    return rule;
}

std::string EscapeText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

// A content line folded after 75 octets (the continuation's leading blank counts), never
// inside a UTF-8 sequence, with its CRLF.
std::string Folded(std::string_view line) {
    std::string out;
    std::size_t limit = 75;
    while (line.size() > limit) {
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        limit = 74;
    }
    out.append(line);
    out += "\r\n";
    return out;
}

std::string Hex(std::uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

FormResult ToRRule(const ScheduleSettings& settings, OleDate present) {
    const auto made = forms::MakePlan(settings, present);
    if (!made.plan) return {false, made.reason};
    return {true, "DTSTART:" + forms::CompactLocal(made.plan->first) + "\n" + RRuleOf(*made.plan)};
}

FormResult ToICalendar(const ScheduleSettings& settings, OleDate present, const CalendarEntry& entry) {
    const auto made = forms::MakePlan(settings, present);
    if (!made.plan) return {false, made.reason};
    const auto stamp = SplitDate(entry.utcStamp);
    if (!stamp) return {false, "the time stamp is not a date in the years 100 to 9999"};
    const std::string start = "DTSTART:" + forms::CompactLocal(made.plan->first);
    const std::string rule = RRuleOf(*made.plan);
    const std::string stampText = forms::CompactLocal(*stamp) + "Z";
    std::string uid = entry.uid;
    if (uid.empty()) {
        std::uint64_t hash = 14695981039346656037ull;  // FNV-1a over what makes this entry
        for (const char c : stampText + start + rule) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        uid = stampText + "-" + Hex(hash) + "@cadencer";
    }
    const std::string summary = entry.summary.empty() ? ToUtf8(DescribeSchedule(settings)) : entry.summary;
    std::string text;
    for (const std::string& line :
         {std::string("BEGIN:VCALENDAR"), std::string("VERSION:2.0"),
          std::string("PRODID:-//Cadencer//Cadencer schedule//EN"), std::string("CALSCALE:GREGORIAN"),
          std::string("BEGIN:VEVENT"), "UID:" + uid, "DTSTAMP:" + stampText, start, rule,
          "SUMMARY:" + EscapeText(summary), std::string("END:VEVENT"), std::string("END:VCALENDAR")})
        text += Folded(line);
    return {true, text};
}

void ApplyKeys(const ScheduleKeys& keys, ScheduleSettings& settings) {
    for (const ScheduleField& field : keys.decided)
        std::visit([&](auto member) { settings.*member = keys.values.*member; }, field);
}

}  // namespace cadencer
