// Cases for the oracle check of the schedule forms (forms_oracle.py): random schedules of
// every kind, with and without end dates, with start dates that carry a time of day, at
// presents around daylight-saving changes, month ends and leap days; random RRULE texts and
// cron lines, also with parts a schedule cannot hold. One JSON object a line, holding the
// engine's next 200 runs and each form (or the reason it was refused); programs we did not
// write (python-dateutil, croniter) then produce the form's own times.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "control/property_access.h"
#include "control/schedule_keys.h"
#include "engine/schedule_forms.h"

namespace cadencer {
namespace {

std::mt19937 random(20261207);

int Pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Time(OleDate value) {
    return forms::IsoLocal(*SplitDate(value));
}

std::string Runs(const std::vector<OleDate>& runs) {
    std::string text = "[";
    for (const OleDate run : runs) text += (text.size() > 1 ? "," : "") + Json(Time(run));
    return text + "]";
}

std::string Form(const char* name, const FormResult& r) {
    return ",\"" + std::string(name) + "\":{\"ok\":" + (r.ok ? "true" : "false") + ",\"text\":" + Json(r.text) + "}";
}

// Days on which something happens to the calendar: daylight-saving changes in Europe and
// North America, month ends, the leap day and New Year.
OleDate Present() {
    static const int kMoments[][3] = {{2026, 3, 29},  {2026, 10, 25}, {2026, 3, 8},  {2026, 11, 1}, {2027, 3, 28},
                                      {2026, 1, 31},  {2026, 2, 28},  {2028, 2, 28}, {2028, 2, 29}, {2026, 4, 30},
                                      {2026, 12, 31}, {2027, 6, 30},  {2026, 7, 15}, {2026, 9, 30}};
    const auto& day = kMoments[Pick(0, static_cast<int>(std::size(kMoments)) - 1)];
    OleDate value = *Compose({day[0], day[1], day[2], Pick(0, 23), Pick(0, 59), Pick(0, 59)});
    return *AddDays(value, Pick(-2, 1));
}

OleDate Near(OleDate present, int days) {
    return *CalendarDate(*AddDays(present, Pick(-days, days)));
}

std::u16string Mask(std::size_t width, int oneIn) {
    std::u16string mask(width, u'0');
    for (auto& c : mask) c = Pick(1, oneIn) == 1 ? u'1' : u'0';
    if (Pick(0, 9) == 0 && width == kMonthlyWidth) {  // only days that some months lack
        mask.assign(width, u'0');
        for (int d = Pick(29, 31); d <= 31; d += Pick(1, 2)) mask[static_cast<std::size_t>(d - 1)] = u'1';
    }
    return mask;
}

ScheduleSettings RandomSchedule(OleDate present) {
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, *CalendarDate(present), present);
    s.OccursOption = Pick(1, 4);
    s.StartHour = static_cast<std::int16_t>(Pick(0, 30) == 0 ? 24 : Pick(0, 23));
    s.StartMinute = static_cast<std::int16_t>(Pick(0, 59));
    s.StartDate = Near(present, 40);
    if (Pick(0, 4) == 0) s.StartDate = *AddMinutes(s.StartDate, Pick(1, 1439));  // a time of day with the date
    s.UseEndDate = Pick(0, 1) == 1;
    s.EndDate = *CalendarDate(*AddDays(s.StartDate, Pick(-5, 400)));
    s.SelectionsWeekly = Mask(kWeeklyWidth, 3);
    s.SelectionsMonthly = Mask(kMonthlyWidth, 6);
    static const int kMinutes[] = {1, 2, 5, 10, 15, 20, 30, 45, 60, 90, 120, 7, 16, 25, 600};
    static const int kHours[] = {1, 2, 3, 4, 6, 8, 12, 24, 5, 7, 48, 100};
    s.EveryFrequency = Pick(0, 1);
    s.EveryInterval = static_cast<std::int16_t>(s.EveryFrequency == 1 ? kMinutes[Pick(0, 14)] : kHours[Pick(0, 11)]);
    if (Pick(0, 2) > 0) s.LastScheduledTime = *AddMinutes(TruncateToMinute(present), -Pick(0, 3000));
    return s;
}

std::string RandomRRule(OleDate present) {
    static const char* kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    const int hour = Pick(0, 23), minute = Pick(0, 59);
    const DaySecond start{SplitDate(Near(present, 30))->day, hour * 3600LL + minute * 60};
    std::string rule;
    std::string first = forms::CompactLocal(start);
    switch (Pick(0, 10)) {
        case 0:
            rule = "FREQ=DAILY";
            break;
        case 6:
            rule = "FREQ=DAILY;INTERVAL=" + forms::Number(Pick(2, 9));
            break;
        case 7:
            rule = "FREQ=WEEKLY;INTERVAL=" + forms::Number(Pick(2, 4)) + ";WKST=" + kDays[Pick(0, 6)];
            break;
        case 8:
            rule = std::string("FREQ=MONTHLY;BYDAY=") + kDays[Pick(0, 6)] + "," + kDays[Pick(0, 6)];
            break;
        case 9:
            rule = "FREQ=YEARLY;BYMONTHDAY=+" + forms::Number(Pick(1, 31));
            break;
        case 10:
            rule = "FREQ=HOURLY;INTERVAL=" + forms::Number(Pick(1, 5)) + ";BYMINUTE=" + forms::Number(minute);
            break;
        case 1: {
            std::string days = kDays[WeekdayOfDaySerial(start.day) - 1];
            for (int d = 0; d < 7; ++d)
                if (Pick(0, 2) == 0 && days.find(kDays[d]) == std::string::npos) days += std::string(",") + kDays[d];
            rule = "FREQ=WEEKLY;BYDAY=" + days;
            break;
        }
        case 2: {
            std::string days = forms::Number(static_cast<unsigned>(CivilFromDaySerial(start.day).day()));
            for (int i = Pick(0, 3); i > 0; --i) days += "," + forms::Number(Pick(1, 31));
            rule = "FREQ=MONTHLY;BYMONTHDAY=" + days;
            break;
        }
        case 3:
            rule = "FREQ=MONTHLY";
            break;
        case 4:
            rule = "FREQ=HOURLY;INTERVAL=" + forms::Number(Pick(1, 30));
            break;
        default:
            rule = "FREQ=MINUTELY;INTERVAL=" + forms::Number(Pick(1, 200));
            break;
    }
    if (rule.find("LY;I") == std::string::npos) {
        rule += ";BYHOUR=" + forms::Number(hour) + ";BYMINUTE=" + forms::Number(minute);
        // A DTSTART off the rule: an extra first run while ahead, history once passed.
        if (Pick(0, 5) == 0) first = forms::CompactLocal(DaySecond{start.day, start.second + 60});
        if (Pick(0, 1)) rule += ";UNTIL=" + forms::CompactLocal(DaySecond{start.day + Pick(-3, 300), Pick(0, 86399)});
    }
    // Now and then something a schedule cannot hold.
    static const char* kExtras[] = {";COUNT=5", ";BYSETPOS=1", ";BYMONTH=3,4", ";INTERVAL=2", ";BYSECOND=15"};
    if (Pick(0, 5) == 0) rule += kExtras[Pick(0, 4)];
    return "DTSTART:" + first + "\nRRULE:" + rule;
}

std::string CronField(int low, int high) {
    switch (Pick(0, 5)) {
        case 0:
            return "*";
        case 1:
            return "*/" + forms::Number(Pick(1, (high - low) / 2 + 1));
        case 2: {
            const int a = Pick(low, high), b = Pick(a, high);
            return forms::Number(a) + "-" + forms::Number(b);
        }
        case 3:
            return forms::Number(Pick(low, high)) + "," + forms::Number(Pick(low, high));
        default:
            return forms::Number(Pick(low, high));
    }
}

std::string RandomCron() {
    const std::string minute = Pick(0, 2) ? forms::Number(Pick(0, 59)) : CronField(0, 59);
    const std::string hour = Pick(0, 2) ? forms::Number(Pick(0, 23)) : CronField(0, 23);
    std::string dom = "*", dow = "*";
    switch (Pick(0, 3)) {
        case 1:
            dom = CronField(1, 31);
            break;
        case 2:
            dow = CronField(0, 6);
            break;
        case 3:  // both restricted: cron's either-day rule
            dom = CronField(1, 31);
            dow = CronField(0, 6);
            if (dom[0] == '*' || dow[0] == '*') dom = forms::Number(Pick(1, 31));
            if (dow[0] == '*') dow = forms::Number(Pick(0, 6));
            break;
        default:
            break;
    }
    const std::string month = Pick(0, 9) == 0 ? CronField(1, 12) : "*";
    return minute + " " + hour + " " + dom + " " + month + " " + dow;
}

std::string Keyed(const KeysResult& r, OleDate present) {
    if (!r.ok) return ",\"ok\":false,\"reason\":" + Json(r.reason);
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, *CalendarDate(present), present);
    ApplyKeys(r.keys, s);
    return ",\"ok\":true,\"keys\":" + Json(control::KeysText(r.keys)) + ",\"runs\":" + Runs(NextRuns(s, present, 200));
}

}  // namespace
}  // namespace cadencer

int main(int argc, char** argv) {
    using namespace cadencer;
    const int schedules = argc > 1 ? std::atoi(argv[1]) : 1200;
    for (int i = 0; i < schedules; ++i) {
        const OleDate present = Present();
        const ScheduleSettings s = RandomSchedule(present);
        std::string line = "{\"case\":\"schedule\",\"present\":" + Json(Time(present)) +
                           ",\"kind\":" + forms::Number(s.OccursOption) +
                           ",\"runs\":" + Runs(NextRuns(s, present, 200)) + Form("rrule", ToRRule(s, present)) +
                           Form("cron", ToCron(s, present));
        // The task definition, read back into a schedule and written as a rule for the oracle.
        const FormResult xml = ToTaskXml(s, present, "C:\\jobs\\run & report.exe", "--all \"x\"");
        FormResult xmlRule{false, xml.text};
        if (xml.ok) {
            const KeysResult back = FromTaskXml(xml.text, present);
            ScheduleSettings t;
            control::ApplyNewControlDefaults(t, *CalendarDate(present), present);
            ApplyKeys(back.keys, t);
            xmlRule = back.ok ? ToRRule(t, present) : FormResult{false, "read back: " + back.reason};
            if (!xmlRule.ok) xmlRule.text = "task XML read back: " + xmlRule.text;
        }
        line += Form("taskxml", xmlRule);
        std::puts((line + "}").c_str());
    }
    for (int i = 0; i < schedules / 3; ++i) {
        const OleDate present = Present();
        const std::string text = RandomRRule(present);
        std::puts(("{\"case\":\"rrule\",\"present\":" + Json(Time(present)) + ",\"text\":" + Json(text) +
                   Keyed(FromRRule(text, present), present) + "}")
                      .c_str());
    }
    for (int i = 0; i < schedules / 3; ++i) {
        const OleDate present = Present();
        const std::string line = RandomCron();
        std::puts(("{\"case\":\"cron\",\"present\":" + Json(Time(present)) + ",\"text\":" + Json(line) +
                   Keyed(FromCron(line, present), present) + "}")
                      .c_str());
    }
    return 0;
}
