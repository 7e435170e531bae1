// The schedule as RRULE, VCALENDAR, cron and task XML, and back: the forms for fixed
// presents, every refusal with its reason, and round trips through each reader.
#include <gtest/gtest.h>

#include <random>

#include "control/property_access.h"
#include "control/schedule_keys.h"
#include "engine/schedule_forms.h"

namespace cadencer {
namespace {

// Monday 2026-12-07 08:15:20.
const OleDate kPresent = *Compose({2026, 12, 7, 8, 15, 20});

OleDate At(int y, int mo, int d, int h = 0, int mi = 0) {
    return *Compose({y, mo, d, h, mi, 0});
}

struct Schedule {
    Occurs kind = Occurs::Daily;
    int hour = 10, minute = 0;
    OleDate start = At(2026, 12, 1);
    std::optional<OleDate> end;
    const char16_t* weekly = u"0000000";
    const char16_t* monthly = u"0000000000000000000000000000000";
    int interval = 15;
    EveryType unit = EveryType::Minutes;
    std::optional<OleDate> last;

    ScheduleSettings Settings() const {
        ScheduleSettings s;
        control::ApplyNewControlDefaults(s, At(2026, 12, 1), kPresent);
        s.OccursOption = static_cast<std::int32_t>(kind);
        s.StartHour = static_cast<std::int16_t>(hour);
        s.StartMinute = static_cast<std::int16_t>(minute);
        s.StartDate = start;
        s.UseEndDate = end.has_value();
        if (end) s.EndDate = *end;
        s.SelectionsWeekly = weekly;
        s.SelectionsMonthly = monthly;
        s.EveryInterval = static_cast<std::int16_t>(interval);
        s.EveryFrequency = static_cast<std::int32_t>(unit);
        if (last) s.LastScheduledTime = *last;
        return s;
    }
};

Schedule Daily(int h, int m) {
    Schedule s;
    s.hour = h;
    s.minute = m;
    return s;
}
Schedule Weekly(const char16_t* days, int h, int m) {
    Schedule s = Daily(h, m);
    s.kind = Occurs::Weekly;
    s.weekly = days;
    return s;
}
Schedule Monthly(const char16_t* days, int h, int m) {
    Schedule s = Daily(h, m);
    s.kind = Occurs::Monthly;
    s.monthly = days;
    return s;
}
Schedule Every(int interval, EveryType unit, std::optional<OleDate> last = std::nullopt) {
    Schedule s;
    s.kind = Occurs::Every;
    s.interval = interval;
    s.unit = unit;
    s.last = last;
    return s;
}
Schedule With(Schedule s, std::optional<OleDate> start, std::optional<OleDate> end) {
    if (start) s.start = *start;
    s.end = end;
    return s;
}

const char16_t* const kDay31 = u"0000000000000000000000000000001";
const char16_t* const kDays1and15 = u"1000000000000010000000000000000";

TEST(ScheduleForms, RRuleStartsAtTheEnginesFirstDueTime) {
    const struct {
        Schedule schedule;
        const char* expected;
    } cases[] = {
        {Daily(10, 0), "DTSTART:20261207T100000\nRRULE:FREQ=DAILY;BYHOUR=10;BYMINUTE=0"},
        {Daily(8, 15), "DTSTART:20261207T081500\nRRULE:FREQ=DAILY;BYHOUR=8;BYMINUTE=15"},  // due now
        {Daily(24, 0), "DTSTART:20261208T000000\nRRULE:FREQ=DAILY;BYHOUR=0;BYMINUTE=0"},
        {With(Daily(7, 5), At(2026, 12, 24), At(2027, 1, 6)),
         "DTSTART:20261224T070500\nRRULE:FREQ=DAILY;BYHOUR=7;BYMINUTE=5;UNTIL=20270106T070500"},
        {Weekly(u"0101010", 9, 30), "DTSTART:20261207T093000\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR;BYHOUR=9;BYMINUTE=30"},
        {Weekly(u"1000001", 6, 0), "DTSTART:20261212T060000\nRRULE:FREQ=WEEKLY;BYDAY=SU,SA;BYHOUR=6;BYMINUTE=0"},
        {Monthly(kDay31, 8, 0), "DTSTART:20261231T080000\nRRULE:FREQ=MONTHLY;BYMONTHDAY=31;BYHOUR=8;BYMINUTE=0"},
        {With(Monthly(kDays1and15, 12, 0), std::nullopt, At(2027, 3, 15)),
         "DTSTART:20261215T120000\nRRULE:FREQ=MONTHLY;BYMONTHDAY=1,15;BYHOUR=12;BYMINUTE=0;UNTIL=20270315T120000"},
        // Every: the present minute plus the interval when it never ran, else the last run plus it.
        {Every(15, EveryType::Minutes), "DTSTART:20261207T083000\nRRULE:FREQ=MINUTELY;INTERVAL=15"},
        {Every(2, EveryType::Hours, At(2026, 12, 7, 7, 0)), "DTSTART:20261207T090000\nRRULE:FREQ=HOURLY;INTERVAL=2"},
        {Every(1, EveryType::Hours, At(2026, 12, 7, 5, 0)), "DTSTART:20261207T081500\nRRULE:FREQ=HOURLY"},  // overdue
        // Every ignores the dates: never an UNTIL.
        {With(Every(30, EveryType::Minutes), At(2027, 1, 1), At(2027, 2, 1)),
         "DTSTART:20261207T084500\nRRULE:FREQ=MINUTELY;INTERVAL=30"},
    };
    for (const auto& c : cases) {
        const auto r = ToRRule(c.schedule.Settings(), kPresent);
        EXPECT_TRUE(r.ok) << r.text;
        EXPECT_EQ(r.text, c.expected);
    }
}

TEST(ScheduleForms, EveryFormRefusesWhatItCannotHoldWithAReason) {
    Schedule unknown;
    unknown.kind = static_cast<Occurs>(7);
    Schedule shifted = With(Daily(10, 0), At(2026, 12, 10, 6, 0), std::nullopt);
    const struct {
        Schedule schedule;
        const char* reason;
    } cases[] = {
        {[] {
             Schedule s;
             s.kind = Occurs::Never;
             return s;
         }(),
         "a Never schedule never falls due: there is nothing to convert"},
        {Weekly(u"0000000", 9, 0), "Weekly, but no weekday is selected"},
        {With(Daily(10, 0), std::nullopt, At(2026, 12, 6)), "falls due no more after 2026-12-07 08:15"},
        {Every(0, EveryType::Hours), "Every 0 hours, so never"},
        {unknown, "OccursOption 7"},
        {shifted, "moves the first run to 2026-12-10 16:00, off the daily time 10:00"},
        {With(Daily(10, 0), At(9999, 10, 1), std::nullopt), "the runs stop at the end of the year 9999"},
    };
    for (const auto& c : cases) {
        const ScheduleSettings s = c.schedule.Settings();
        for (const FormResult& r : {ToRRule(s, kPresent), ToCron(s, kPresent), ToTaskXml(s, kPresent, "job.exe", ""),
                                    ToICalendar(s, kPresent, {At(2026, 12, 7, 7, 15), "", ""})}) {
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.text.find(c.reason), std::string::npos) << r.text;
        }
    }
    // Once the shifted first run has passed, the daily time holds.
    EXPECT_TRUE(ToRRule(shifted.Settings(), At(2026, 12, 10, 16, 1)).ok);
}

TEST(ScheduleForms, CronLinesAndTheirRefusals) {
    const struct {
        Schedule schedule;
        OleDate present;
        bool ok;
        const char* text;  // the line, or a part of the reason
    } cases[] = {
        {Daily(10, 0), kPresent, true, "0 10 * * *"},
        {Weekly(u"0101010", 9, 30), kPresent, true, "30 9 * * 1,3,5"},
        {Weekly(u"1000001", 23, 59), kPresent, true, "59 23 * * 0,6"},
        {Monthly(kDays1and15, 0, 5), kPresent, true, "5 0 1,15 * *"},
        {Monthly(kDay31, 8, 0), kPresent, true, "0 8 31 * *"},  // months without a 31st are skipped by both
        {Every(15, EveryType::Minutes, At(2026, 12, 7, 8, 15)), kPresent, true, "*/15 * * * *"},
        {Every(15, EveryType::Minutes, At(2026, 12, 7, 8, 7)), kPresent, true, "7-59/15 * * * *"},
        {Every(1, EveryType::Minutes), kPresent, true, "* * * * *"},
        {Every(2, EveryType::Hours, At(2026, 12, 7, 7, 0)), kPresent, true, "0 1-23/2 * * *"},
        {Every(4, EveryType::Hours, At(2026, 12, 7, 4, 30)), kPresent, true, "30 */4 * * *"},
        {Every(1, EveryType::Hours, At(2026, 12, 7, 7, 45)), kPresent, true, "45 * * * *"},
        {Every(24, EveryType::Hours, At(2026, 12, 6, 9, 10)), kPresent, true, "10 9 * * *"},
        {Every(60, EveryType::Minutes, At(2026, 12, 7, 7, 45)), kPresent, true, "45 * * * *"},
        {Every(168, EveryType::Hours, At(2026, 12, 3, 9, 10)), kPresent, true, "10 9 * * 4"},
        {Every(10080, EveryType::Minutes, At(2026, 12, 1, 23, 5)), kPresent, true, "5 23 * * 2"},
        // Refused.
        {Daily(8, 15), kPresent, false, "due in the present minute"},
        {With(Daily(10, 0), std::nullopt, At(2027, 6, 1)), kPresent, false, "cron has no end date"},
        {With(Weekly(u"0100000", 10, 0), At(2026, 12, 20), std::nullopt), kPresent, false, "cron has no start date"},
        {Every(7, EveryType::Hours), kPresent, false, "every 7 hours does not fall at the same times each day"},
        {Every(336, EveryType::Hours), kPresent, false, "is not a week"},
        {Every(90, EveryType::Minutes), kPresent, false, "different minutes of each hour"},
        {Every(16, EveryType::Minutes), kPresent, false, "different minutes of each hour"},
        {Every(15, EveryType::Minutes, At(2026, 12, 7, 9, 0)), kPresent, false, "more than one interval"},
        {Every(1, EveryType::Hours, At(2026, 12, 7, 5, 0)), kPresent, false, "due in the present minute"},
    };
    for (const auto& c : cases) {
        const auto r = ToCron(c.schedule.Settings(), c.present);
        EXPECT_EQ(r.ok, c.ok) << r.text;
        if (c.ok) {
            EXPECT_EQ(r.text, c.text);
        } else {
            EXPECT_NE(r.text.find(c.text), std::string::npos) << r.text;
        }
    }
}

std::string Unfolded(std::string text) {
    for (std::size_t at; (at = text.find("\r\n ")) != std::string::npos;) text.erase(at, 3);
    return text;
}

TEST(ScheduleForms, ICalendarIsAWholeCalendarWithCrlfAndFoldedLines) {
    const ScheduleSettings s = With(Weekly(u"0111110", 9, 30), std::nullopt, At(2027, 6, 30)).Settings();
    const std::string summary =
        "Back up the invoices; then the orders, and the \xc3\xa9t\xc3\xa9 archive \xe2\x80\x94 every working day "
        "of the week, before the office opens";
    const auto r = ToICalendar(s, kPresent, {At(2026, 12, 7, 7, 15) + 20 / 86400.0, "", summary});
    ASSERT_TRUE(r.ok) << r.text;
    std::size_t lines = 0;
    for (std::size_t begin = 0; begin < r.text.size(); ++lines) {
        const std::size_t end = r.text.find("\r\n", begin);
        ASSERT_NE(end, std::string::npos) << "every line ends with CRLF";
        EXPECT_LE(end - begin, 75u);
        // A fold never splits a UTF-8 sequence: no line starts with a continuation byte.
        if (end > begin) {
            EXPECT_NE(static_cast<unsigned char>(r.text[begin + (r.text[begin] == ' ')]) & 0xC0, 0x80);
        }
        begin = end + 2;
    }
    EXPECT_EQ(r.text.find('\n', 0) - 1, r.text.find("\r\n"));
    std::string text = Unfolded(r.text);
    // The stamp and the identifier made from it change with every call: mask them.
    const auto stamp = text.find("DTSTAMP:");
    ASSERT_NE(stamp, std::string::npos);
    EXPECT_EQ(text.substr(stamp, 25), "DTSTAMP:20261207T071520Z\r");
    const auto uid = text.find("UID:");
    text.replace(uid + 4, text.find('\r', uid) - uid - 4, "*");
    EXPECT_EQ(text,
              "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Cadencer//Cadencer schedule//EN\r\nCALSCALE:GREGORIAN\r\n"
              "BEGIN:VEVENT\r\nUID:*\r\nDTSTAMP:20261207T071520Z\r\nDTSTART:20261207T093000\r\n"
              "RRULE:FREQ=WEEKLY;BYDAY=MO,TU,WE,TH,FR;BYHOUR=9;BYMINUTE=30;UNTIL=20270630T093000\r\n"
              "SUMMARY:Back up the invoices\\; then the orders\\, and the \xc3\xa9t\xc3\xa9 archive \xe2\x80\x94 every "
              "working day of the week\\, before the office opens\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    EXPECT_GT(lines, 12u);  // the summary was folded
    // Without a summary, the schedule in words.
    const auto plain = ToICalendar(s, kPresent, {At(2026, 12, 7, 7, 15), "fixed@example.org", ""});
    EXPECT_NE(Unfolded(plain.text).find("SUMMARY:Weekly on Monday\\, Tuesday"), std::string::npos);
    EXPECT_NE(plain.text.find("UID:fixed@example.org\r\n"), std::string::npos);
}

TEST(ScheduleForms, TaskXmlHoldsTheTriggerBoundariesAndTheEscapedAction) {
    const auto daily = ToTaskXml(With(Daily(7, 5), At(2026, 12, 24), At(2027, 1, 6)).Settings(), kPresent,
                                 "C:\\Program Files\\Acme & Co\\job.exe", "--mode \"full\" <all>\r\n'x'\t");
    ASSERT_TRUE(daily.ok) << daily.text;
    for (const char* part :
         {"<StartBoundary>2026-12-24T07:05:00</StartBoundary>", "<EndBoundary>2027-01-06T23:59:59</EndBoundary>",
          "<DaysInterval>1</DaysInterval>", "<Command>C:\\Program Files\\Acme &amp; Co\\job.exe</Command>",
          "<Arguments>--mode &quot;full&quot; &lt;all&gt;&#13;&#10;&apos;x&apos;&#9;</Arguments>"})
        EXPECT_NE(daily.text.find(part), std::string::npos) << part;
    const auto weekly = ToTaskXml(Weekly(u"1000001", 6, 0).Settings(), kPresent, "job.exe", "");
    EXPECT_NE(weekly.text.find("<Sunday />"), std::string::npos);
    EXPECT_NE(weekly.text.find("<Saturday />"), std::string::npos);
    EXPECT_EQ(weekly.text.find("<Monday />"), std::string::npos);
    EXPECT_EQ(weekly.text.find("<Arguments>"), std::string::npos);
    EXPECT_EQ(weekly.text.find("EndBoundary"), std::string::npos);
    const auto monthly = ToTaskXml(Monthly(kDays1and15, 12, 0).Settings(), kPresent, "job.exe", "");
    EXPECT_NE(monthly.text.find("<Day>1</Day>\n          <Day>15</Day>"), std::string::npos);
    EXPECT_NE(monthly.text.find("<December />"), std::string::npos);
    const auto every = ToTaskXml(Every(90, EveryType::Minutes).Settings(), kPresent, "job.exe", "");
    EXPECT_NE(every.text.find("<StartBoundary>2026-12-07T09:45:00</StartBoundary>"), std::string::npos);
    EXPECT_NE(every.text.find("<Interval>PT90M</Interval>"), std::string::npos);
    EXPECT_NE(ToTaskXml(Every(3, EveryType::Hours).Settings(), kPresent, "j", "").text.find("PT3H"), std::string::npos);
    // Whole days: a calendar trigger every so many days, up to 365.
    EXPECT_NE(ToTaskXml(Every(48, EveryType::Hours).Settings(), kPresent, "j", "").text.find("<DaysInterval>2<"),
              std::string::npos);
    EXPECT_NE(ToTaskXml(Every(8760, EveryType::Hours).Settings(), kPresent, "j", "").text.find("<DaysInterval>365<"),
              std::string::npos);
    EXPECT_FALSE(ToTaskXml(Every(8784, EveryType::Hours).Settings(), kPresent, "j", "").ok);

    // Refused: no command, characters XML cannot carry, an interval beyond 31 days.
    const ScheduleSettings s = Daily(10, 0).Settings();
    EXPECT_EQ(ToTaskXml(s, kPresent, "", "x").text, "a task needs a command to run");
    EXPECT_FALSE(ToTaskXml(s, kPresent, "job\x01.exe", "").ok);
    EXPECT_FALSE(ToTaskXml(s, kPresent, "job.exe", "a\xef\xbf\xbe").ok);
    const auto farApart = ToTaskXml(Every(745, EveryType::Hours).Settings(), kPresent, "job.exe", "");
    EXPECT_NE(farApart.text.find("at most every 31 days"), std::string::npos) << farApart.text;
    EXPECT_TRUE(ToTaskXml(Every(744, EveryType::Hours).Settings(), kPresent, "job.exe", "").ok);
}

TEST(ScheduleForms, RRuleTextIsReadIntoKeys) {
    const struct {
        const char* text;
        const char* keys;
    } cases[] = {
        {"DTSTART:20261208T100000\nRRULE:FREQ=DAILY",
         "StartHour=10 StartMinute=0 StartDate=2026-12-08 UseEndDate=False OccursOption=1"},
        {"FREQ=WEEKLY;BYDAY=MO,FR;BYHOUR=9;BYMINUTE=30",
         "StartHour=9 StartMinute=30 StartDate=2026-12-07 UseEndDate=False SelectionsWeekly=0100010 OccursOption=2"},
        {"rrule:freq=daily;byday=su;byhour=6;byminute=0;wkst=MO",
         "StartHour=6 StartMinute=0 StartDate=2026-12-07 UseEndDate=False SelectionsWeekly=1000000 OccursOption=2"},
        {"DTSTART;VALUE=DATE-TIME:20261231T080000\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=31,1;UNTIL=20270331T075959",
         "StartHour=8 StartMinute=0 StartDate=2026-12-31 EndDate=2027-03-30 UseEndDate=True "
         "SelectionsMonthly=1000000000000000000000000000001 OccursOption=3"},
        // A date-only UNTIL ends the rule with its whole day.
        {"DTSTART:20261201T080000\nRRULE:FREQ=MONTHLY;UNTIL=20270101",
         "StartHour=8 StartMinute=0 StartDate=2026-12-01 EndDate=2027-01-01 UseEndDate=True "
         "SelectionsMonthly=1000000000000000000000000000000 OccursOption=3"},
        {"FREQ=DAILY;BYHOUR=9;BYMINUTE=0",
         "StartHour=9 StartMinute=0 StartDate=2026-12-07 UseEndDate=False OccursOption=1"},
        {"FREQ=MONTHLY;BYDAY=MO,WE;BYHOUR=9;BYMINUTE=0", "SelectionsWeekly=0101000 OccursOption=2"},
        {"FREQ=YEARLY;BYMONTHDAY=5;BYHOUR=9;BYMINUTE=0",
         "SelectionsMonthly=0000100000000000000000000000000 OccursOption=3"},
        {"FREQ=MONTHLY;BYMONTHDAY=+5;BYHOUR=9;BYMINUTE=0", "SelectionsMonthly=0000100000000000000000000000000"},
        // A DTSTART off the rule that has passed: its extra run is history.
        {"DTSTART:20261201T060000\nRRULE:FREQ=DAILY;BYHOUR=10;BYMINUTE=0",
         "StartHour=10 StartMinute=0 StartDate=2026-12-01 UseEndDate=False OccursOption=1"},
        // Every n days, every n weeks on one weekday, hourly at DTSTART's minute.
        {"FREQ=DAILY;INTERVAL=3;BYHOUR=9;BYMINUTE=0",
         "EveryFrequency=0 EveryInterval=72 LastScheduledTime=2026-12-04T09:00:00 OccursOption=4"},
        {"DTSTART:20261201T100000\nRRULE:FREQ=WEEKLY;INTERVAL=2",
         "EveryFrequency=0 EveryInterval=336 LastScheduledTime=2026-12-01T10:00:00 OccursOption=4"},
        {"DTSTART:20261207T071500\nRRULE:FREQ=HOURLY;BYMINUTE=15",
         "EveryFrequency=0 EveryInterval=1 LastScheduledTime=2026-12-07T07:15:00 OccursOption=4"},
        {"DTSTART:20261207T080000\nRRULE:FREQ=MINUTELY;INTERVAL=20",
         "EveryFrequency=1 EveryInterval=20 LastScheduledTime=2026-12-07T08:00:00 OccursOption=4"},
        {"DTSTART:20261207T120000\nRRULE:FREQ=HOURLY;INTERVAL=3",
         "EveryFrequency=0 EveryInterval=3 LastScheduledTime=2026-12-07T09:00:00 OccursOption=4"},
        {"FREQ=HOURLY", "EveryFrequency=0 EveryInterval=1 LastScheduledTime=2026-12-07T08:15:00 OccursOption=4"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=DAILY;\n UNTIL=20261209T100000",  // folded
         "StartHour=10 StartMinute=0 StartDate=2026-12-07 EndDate=2026-12-09 UseEndDate=True OccursOption=1"},
    };
    for (const auto& c : cases) {
        const auto r = FromRRule(c.text, kPresent);
        EXPECT_TRUE(r.ok) << c.text << ": " << r.reason;
        EXPECT_NE(control::KeysText(r.keys).find(c.keys), std::string::npos)
            << c.text << ": " << control::KeysText(r.keys);
    }
}

TEST(ScheduleForms, RRuleTextTheRecordCannotHoldIsRefusedWithTheReason) {
    const struct {
        const char* text;
        const char* reason;
    } cases[] = {
        {"FREQ=MONTHLY;BYDAY=MO;BYSETPOS=1", "BYSETPOS"},
        {"FREQ=DAILY;COUNT=10;BYHOUR=9;BYMINUTE=0", "COUNT ends the rule after a number of runs"},
        {"FREQ=DAILY;BYMONTH=1,2;BYHOUR=9;BYMINUTE=0", "BYMONTH leaves months out"},
        {"FREQ=DAILY;BYHOUR=9,17;BYMINUTE=0", "several times a day"},
        {"FREQ=DAILY;BYHOUR=9;BYMINUTE=0,30", "several times a day"},
        {"FREQ=DAILY;INTERVAL=2;BYDAY=MO;BYHOUR=9;BYMINUTE=0", "every 2 days"},
        {"FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,TU;BYHOUR=9;BYMINUTE=0", "every 2 weeks"},
        {"FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=1;BYHOUR=9;BYMINUTE=0", "every 2 months"},
        {"FREQ=DAILY;INTERVAL=1366;BYHOUR=9;BYMINUTE=0", "32784 hours, more than"},
        {"FREQ=DAILY;INTERVAL=2;BYHOUR=9;BYMINUTE=0;UNTIL=20270101T000000", "no end date"},
        {"FREQ=DAILY;WKST=XX;BYHOUR=9;BYMINUTE=0", "WKST=XX is not a weekday"},
        {"DTSTART:20261207T071500\nRRULE:FREQ=HOURLY;BYMINUTE=30", "limit its times"},
        {"FREQ=YEARLY", "once a year"},
        {"FREQ=SECONDLY", "seconds"},
        {"FREQ=MONTHLY;BYMONTHDAY=-1;BYHOUR=9;BYMINUTE=0", "from the end of the month"},
        {"FREQ=MONTHLY;BYDAY=1MO;BYHOUR=9;BYMINUTE=0", "weekday by its number"},
        {"FREQ=HOURLY;BYHOUR=9", "one interval around the clock"},
        {"FREQ=MINUTELY;UNTIL=20270101T000000", "no end date"},
        {"FREQ=HOURLY;INTERVAL=40000", "32767"},
        {"FREQ=DAILY", "no time of day"},
        {"FREQ=DAILY;BYHOUR=9;BYMINUTE=0;BYSECOND=30", "whole minutes"},
        {"DTSTART:20261207T100030\nRRULE:FREQ=DAILY", "has seconds"},
        {"DTSTART;TZID=Europe/Berlin:20261207T100000\nRRULE:FREQ=DAILY", "time zone Europe/Berlin"},
        {"DTSTART:20261207T100000Z\nRRULE:FREQ=DAILY", "in UTC"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=DAILY;UNTIL=20261231T100000Z", "in UTC"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=DAILY;BYHOUR=16", "extra first run"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=WEEKLY;BYDAY=TU", "extra first run"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=DAILY\nEXDATE:20261208T100000", "single runs"},
        {"DTSTART:20261207T100000\nRRULE:FREQ=DAILY;UNTIL=20261206T100000", "before its first run"},
        {"DTSTART:20261207T100000", "no RRULE"},
        {"FREQ=DAILY;FREQ=WEEKLY", "twice"},
        {"FREQ=DAILY;FOO=1", "FOO is not a part"},
        {"FREQ=DAILY;BYHOUR=25;BYMINUTE=0", "from 0 to 23"},
        {"FREQ=WEEKLY;BYDAY=XX;BYHOUR=9;BYMINUTE=0", "not a list of weekdays"},
        {"FREQ=DAILY;BYWEEKNO=1", "weeks of the year"},
        {"DTSTART;VALUE=DATE:20261207\nRRULE:FREQ=DAILY", "without a time of day"},
    };
    for (const auto& c : cases) {
        const auto r = FromRRule(c.text, kPresent);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_NE(r.reason.find(c.reason), std::string::npos) << c.text << ": " << r.reason;
    }
}

TEST(ScheduleForms, CronLinesAreReadIntoKeysWithCronsDayRule) {
    const struct {
        const char* line;
        bool ok;
        const char* text;  // keys, or a part of the reason
    } cases[] = {
        {"0 10 * * *", true, "StartHour=10 StartMinute=0 StartDate=2026-12-07 UseEndDate=False OccursOption=1"},
        {"15 8 * * *", true, "StartHour=8 StartMinute=15 StartDate=2026-12-08 UseEndDate=False OccursOption=1"},
        {"30 9 * * MON-FRI", true,
         "StartHour=9 StartMinute=30 StartDate=2026-12-07 UseEndDate=False SelectionsWeekly=0111110 OccursOption=2"},
        {"0 6 * * 7", true,
         "StartHour=6 StartMinute=0 StartDate=2026-12-13 UseEndDate=False SelectionsWeekly=1000000 OccursOption=2"},
        {"0 8 1,15 * *", true,
         "StartHour=8 StartMinute=0 StartDate=2026-12-15 UseEndDate=False "
         "SelectionsMonthly=1000000000000010000000000000000 OccursOption=3"},
        {"0 8 1-31 * 1-5", true, "OccursOption=1"},  // either rule, and every day of the month matches
        {"0 8 * * 0-6", true, "OccursOption=1"},
        {"0 8 */1 jan-dec *", true, "OccursOption=1"},
        {"@daily", true, "StartHour=0 StartMinute=0 StartDate=2026-12-08 UseEndDate=False OccursOption=1"},
        {"*/15 * * * *", true,
         "EveryFrequency=1 EveryInterval=15 LastScheduledTime=2026-12-07T08:15:00 OccursOption=4"},
        {"7-59/15 * * * *", true,
         "EveryFrequency=1 EveryInterval=15 LastScheduledTime=2026-12-07T08:07:00 OccursOption=4"},
        {"0 */2 * * *", true, "EveryFrequency=0 EveryInterval=2 LastScheduledTime=2026-12-07T08:00:00 OccursOption=4"},
        {"0,30 * * * *", true,
         "EveryFrequency=1 EveryInterval=30 LastScheduledTime=2026-12-07T08:00:00 OccursOption=4"},
        {"@hourly", true, "EveryFrequency=0 EveryInterval=1 LastScheduledTime=2026-12-07T08:00:00 OccursOption=4"},
        // Refused.
        {"0 8 1 * 1", false, "either the day of the month '1' or the weekday '1'"},
        {"0 8 */2 * 1", false, "both the day of the month '*/2' and the weekday '1'"},
        {"0 8 * 1-6 *", false, "leaves months out"},
        {"0 9 30 1,3,5,7,8,10,12 *", false, "leaves months out"},
        {"0 9 31 1,3,5,7,8,10,12 *", true, "SelectionsMonthly=0000000000000000000000000000001 OccursOption=3"},
        {"0 9,17 * * *", false, "at uneven intervals"},
        {"0 9,17 * * 1", false, "several times a day ('0 9,17') on chosen days"},
        {"*/15 * * * 1-5", false, "on chosen days"},
        {"0 */7 * * *", false, "uneven intervals"},
        {"0 8 * *", false, "five fields"},
        {"0 8 * * * 2027", false, "five fields"},
        {"60 8 * * *", false, "outside 0 to 59"},
        {"0 8 * * 8", false, "outside 0 to 7"},
        {"0 8 5-1 * *", false, "outside 1 to 31"},
        {"0 8 */0 * *", false, "step"},
        {"x 8 * * *", false, "not a list"},
        {"@yearly", false, "once a year"},
        {"@reboot", false, "when the computer starts"},
    };
    for (const auto& c : cases) {
        const auto r = FromCron(c.line, kPresent);
        EXPECT_EQ(r.ok, c.ok) << c.line << ": " << r.reason;
        if (c.ok) {
            EXPECT_NE(control::KeysText(r.keys).find(c.text), std::string::npos)
                << c.line << ": " << control::KeysText(r.keys);
        } else {
            EXPECT_NE(r.reason.find(c.text), std::string::npos) << c.line << ": " << r.reason;
        }
    }
}

// Random schedules of every kind: each form read back gives the same next runs.
TEST(ScheduleForms, EveryFormReadsBackToTheSameRuns) {
    std::mt19937 random(19);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    int checked[3] = {};
    for (int i = 0; i < 1500; ++i) {
        Schedule c;
        c.kind = static_cast<Occurs>(pick(1, 4));
        c.hour = pick(0, 24);
        c.minute = pick(0, 59);
        c.start = At(2026, pick(1, 12), pick(1, 28), pick(0, 3) == 0 ? pick(0, 23) : 0, 0);
        if (pick(0, 1)) c.end = At(2027, pick(1, 12), pick(1, 28));
        std::u16string weekly(7, u'0'), monthly(31, u'0');
        for (auto& ch : weekly) ch = pick(0, 2) ? u'0' : u'1';
        for (auto& ch : monthly) ch = pick(0, 4) ? u'0' : u'1';
        c.weekly = weekly.c_str();
        c.monthly = monthly.c_str();
        c.unit = pick(0, 1) ? EveryType::Hours : EveryType::Minutes;
        c.interval = c.unit == EveryType::Hours ? pick(1, 30) : pick(1, 200);
        if (pick(0, 1)) c.last = At(2026, 12, pick(5, 8), pick(0, 23), pick(0, 59));
        const OleDate present = At(2026, pick(1, 12), pick(1, 28), pick(0, 23), pick(0, 59)) + pick(0, 59) / 86400.0;
        const ScheduleSettings s = c.Settings();
        const auto runs = NextRuns(s, present, 200);
        auto same = [&](const KeysResult& back, const char* form) {
            ASSERT_TRUE(back.ok) << form << ": " << back.reason;
            ScheduleSettings t = s;
            ApplyKeys(back.keys, t);
            EXPECT_EQ(NextRuns(t, present, 200), runs) << form << " " << control::KeysText(back.keys);
        };
        if (const auto rrule = ToRRule(s, present); rrule.ok) {
            same(FromRRule(rrule.text, present), "rrule");
            ++checked[0];
        }
        if (const auto xml = ToTaskXml(s, present, "job.exe", ""); xml.ok) {
            same(FromTaskXml(xml.text, present), "task xml");
            ++checked[1];
        }
        if (const auto cron = ToCron(s, present); cron.ok) {
            // cron's runs start after the present minute.
            const auto back = FromCron(cron.text, present);
            ASSERT_TRUE(back.ok) << cron.text << ": " << back.reason;
            ScheduleSettings t = s;
            ApplyKeys(back.keys, t);
            EXPECT_EQ(NextRuns(t, present, 200), runs) << cron.text << " " << control::KeysText(back.keys);
            ++checked[2];
        }
    }
    EXPECT_GT(checked[0], 700);
    EXPECT_GT(checked[1], 700);
    EXPECT_GT(checked[2], 100);
}

TEST(ScheduleForms, NextRunsStopWhereTheScheduleEnds) {
    const auto runs = NextRuns(With(Daily(10, 0), std::nullopt, At(2026, 12, 9)).Settings(), kPresent, 10);
    EXPECT_EQ(runs, (std::vector<OleDate>{At(2026, 12, 7, 10, 0), At(2026, 12, 8, 10, 0), At(2026, 12, 9, 10, 0)}));
    EXPECT_TRUE(NextRuns(Weekly(u"0000000", 9, 0).Settings(), kPresent, 10).empty());
    EXPECT_EQ(NextRuns(Every(15, EveryType::Minutes).Settings(), kPresent, 1000).size(), 1000u);
}

}  // namespace
}  // namespace cadencer
