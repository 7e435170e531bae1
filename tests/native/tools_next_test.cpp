// cadencer-next: key parsing as a property bag loads them, the firing simulation, and errors.
#include <gtest/gtest.h>

#include "cadencer_next_lib.h"
#include "control/property_table.h"
#include "posix_locale_names.h"
#include "utf8.h"

namespace cadencer::next_tool {
namespace {

const OleDate kPresent = *Compose({2026, 12, 7, 8, 15, 0});

std::string Due(std::vector<std::string> args) {
    const auto r = RunCase(args, kPresent);
    EXPECT_TRUE(r.ok) << r.text;
    return r.text;
}

TEST(CadencerNext, SimulatesFiringsOfAWeekdaySchedule) {
    EXPECT_EQ(Due({"--now", "2026-12-11T10:00:00", "--count", "4", "OccursOption=2", "SelectionsWeekly=0111110",
                   "StartHour=9", "StartMinute=30"}),
              "2026-12-14T09:30:00 2026-12-15T09:30:00 2026-12-16T09:30:00 2026-12-17T09:30:00");
}

TEST(CadencerNext, DefaultsFollowANewControlCreatedOnTheDayOfNow) {
    // Daily at the default start hour 24 (midnight), from the creation day.
    EXPECT_EQ(Due({"--now", "2026-12-07T10:00:00", "OccursOption=1"}), "2026-12-08T00:00:00");
    // Never: the marker 50 years back, and the simulation stops after it.
    EXPECT_EQ(Due({"--now", "2026-12-07T10:00:30", "--count", "3"}), "1976-12-07T10:00:00");
    // Without --now the present time given by the caller counts.
    EXPECT_EQ(Due({"OccursOption=1", "StartHour=9"}), "2026-12-07T09:00:00");
}

TEST(CadencerNext, EveryScheduleCountsFromTheLastFiring) {
    EXPECT_EQ(Due({"--now", "2026-12-07T10:05:00", "--count", "3", "OccursOption=4", "EveryFrequency=1",
                   "EveryInterval=15", "LastScheduledTime=2026-12-07T10:00:00"}),
              "2026-12-07T10:15:00 2026-12-07T10:30:00 2026-12-07T10:45:00");
}

TEST(CadencerNext, ValuesAreTakenUncorrectedAndEndDatesStopTheSimulation) {
    EXPECT_EQ(Due({"--now", "2026-12-29T12:00:00", "--count", "5", "OccursOption=1", "StartHour=8", "UseEndDate=True",
                   "EndDate=2026-12-31"}),
              "2026-12-30T08:00:00 2026-12-31T08:00:00 1976-12-31T08:00:00");
    // A selection loaded from a bag is padded with blanks: "1" alone selects Sundays.
    EXPECT_EQ(Due({"--now", "2026-12-07T12:00:00", "OccursOption=2", "SelectionsWeekly=1", "StartHour=7"}),
              "2026-12-13T07:00:00");
    EXPECT_EQ(Due({"--now", "2026-12-07T12:00:00", "--offset", "1", "OccursOption=9"}), "1899-12-30T00:00:00");
}

TEST(CadencerNext, KeysReadAsABagLoadReadsThem) {
    // Text a stored form may hold: Boolean names in any case, decimals and exponents that
    // round to integers, parentheses, hexadecimal, blanks around the value.
    const std::string expected = Due({"--now", "2026-12-29T12:00:00", "--count", "3", "OccursOption=1", "StartHour=8",
                                      "UseEndDate=True", "EndDate=2026-12-31"});
    EXPECT_EQ(Due({"--now", "2026-12-29T12:00:00", "--count", "3", "OccursOption=1.0", "StartHour=8.0",
                   "UseEndDate=TRUE", "EndDate=2026-12-31"}),
              expected);
    EXPECT_EQ(Due({"--now", "2026-12-29T12:00:00", "--count", "3", "OccursOption=&H1", "StartHour= 0.8e1 ",
                   "UseEndDate=#TRUE#", "EndDate=2026-12-31 00:00"}),
              expected);
    EXPECT_EQ(Due({"--now", "2026-12-29T12:00:00", "--count", "3", "OccursOption=1", "StartHour=7.5", "UseEndDate=-1",
                   "EndDate=2026-12-31"}),
              expected);  // 7.5 rounds to the even 8
    EXPECT_EQ(Due({"--now", "2026-12-07T10:05:00", "OccursOption=4", "EveryFrequency=1", "EveryInterval=(5)",
                   "LastScheduledTime=2026-12-07 10:00"}),
              "1976-12-07T10:05:00");  // a negative interval: nothing due
    EXPECT_EQ(Due({"--now", "2026-12-07 10:00", "OccursOption=1", "StartHour=11", "UseEndDate=false"}),
              "2026-12-07T11:00:00");
}

TEST(CadencerNext, LocaleBoundTextIsRefusedRatherThanGuessed) {
    for (const char* text : {"StartHour=1,0", "StartDate=12/07/2026", "StartDate=46091", "EveryInterval=1 000",
                             "StartHour=&HFFFF", "UseEndDate=yes"}) {
        const std::string arg = text;
        const auto r = RunCase({arg}, kPresent);
        EXPECT_FALSE(r.ok) << arg;
        EXPECT_EQ(r.text.rfind(arg.substr(0, arg.find('=')), 0), 0u) << r.text;
    }
}

TEST(CadencerNext, BadArgumentsNameTheArgument) {
    for (const auto& [args, needle] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{{{"--now", "2026-13-01"}, "--now"},
                                                                       {{"--count", "0"}, "--count"},
                                                                       {{"--offset", "99999"}, "--offset"},
                                                                       {{"StartHour=abc"}, "StartHour"},
                                                                       {{"EveryInterval=40000"}, "EveryInterval"},
                                                                       {{"UseEndDate=maybe"}, "UseEndDate"},
                                                                       {{"StartDate=10000-01-01"}, "StartDate"},
                                                                       {{"Colour=red"}, "Colour"},
                                                                       {{"--frobnicate"}, "--frobnicate"},
                                                                       {{"novalue"}, "novalue"},
                                                                       {{"--now"}, "--now"}}) {
        const auto r = RunCase(args, kPresent);
        EXPECT_FALSE(r.ok) << needle;
        EXPECT_NE(r.text.find(needle), std::string::npos) << r.text;
        EXPECT_EQ(r.text.find('\n'), std::string::npos);
    }
}

TEST(CadencerNext, TheKeysAreTheScheduleInputsOfThePropertyTable) {
    using control::PropertyType;
    int accepted = 0;
    for (const auto& row : control::kProperties) {
        const char* value = "1";
        if (row.type == PropertyType::Date) value = "2026-12-01";
        if (row.type == PropertyType::Boolean) value = "True";
        const std::string key = ToUtf8(row.name);
        const auto r = RunCase({"--now", "2026-12-07T10:00:00", key + "=" + value}, kPresent);
        EXPECT_EQ(r.ok, control::IsScheduleInput(row)) << key << ": " << r.text;
        accepted += r.ok;
    }
    EXPECT_EQ(accepted, 11);  // the ten schedule properties and LastScheduledTime
    // Spelt exactly as the table spells them.
    const auto r = RunCase({"occursoption=1"}, kPresent);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, "occursoption: unknown key");
}

TEST(CadencerNext, DescribesTheScheduleInWords) {
    EXPECT_EQ(Due({"--describe", "--now", "2026-12-07T10:00:00", "OccursOption=2", "SelectionsWeekly=0100010",
                   "StartHour=9", "StartMinute=30"}),
              "Weekly on Monday and Friday at 09:30, from 2026-12-07, no end date");
    // Keys are taken as for the due times: a new control's defaults fill the rest.
    EXPECT_EQ(Due({"--describe", "--now", "2026-01-31T10:00:00", "OccursOption=1", "UseEndDate=-1"}),
              "Daily at 00:00, from 2026-01-31 until 2026-02-28");
    EXPECT_EQ(Due({"OccursOption=4", "EveryInterval=15", "EveryFrequency=1", "--describe"}), "Every 15 minutes");
    const auto bad = RunCase({"--describe", "StartHour=x"}, kPresent);
    EXPECT_FALSE(bad.ok);
}

// The C library's locales (Debian's locales-all) give the names and formats.
TEST(CadencerNext, DescribesInTheLanguageAndFormatsOfATag) {
    const std::vector<std::string> weekly = {
        "--describe",  "--now",          "2026-12-07T10:00:00",     "OccursOption=2",
        "StartHour=9", "StartMinute=30", "SelectionsWeekly=0100010"};
    auto in = [&](const char* tag) {
        auto args = weekly;
        args.insert(args.begin() + 1, {"--lang", tag});
        return Due(args);
    };
    EXPECT_EQ(in("de-DE"), "Wöchentlich am Montag und Freitag um 09:30, ab 07.12.2026, ohne Enddatum");
    EXPECT_EQ(in("pl"), "Co tydzień (dni: poniedziałek i piątek) o 09:30, od 07.12.2026, bez daty końcowej");
    EXPECT_EQ(in("ja-JP"), "毎週月曜日、金曜日の 09時30分、2026年12月07日 から、終了日なし");
    // English (United States): today's forms. A locale the system does not have: its
    // language's day names, today's dates. A language without a translation: English words,
    // the locale's dates.
    const std::string english = "Weekly on Monday and Friday at 09:30, from 2026-12-07, no end date";
    EXPECT_EQ(in("en-US"), english);
    EXPECT_EQ(in("de-XX"), "Wöchentlich am Montag und Freitag um 09:30, ab 2026-12-07, ohne Enddatum");
    EXPECT_EQ(in("tr-TR"), "Weekly on Monday and Friday at 09:30, from 07-12-2026, no end date");
    EXPECT_FALSE(RunCase({"--lang", "de", "OccursOption=1"}, kPresent).ok);
    EXPECT_FALSE(RunCase({"--describe", "--lang", "de;rm"}, kPresent).ok);

    const std::pair<const char*, const char*> names[] = {{"de", "de_DE.UTF-8"},         {"de-AT", "de_AT.UTF-8"},
                                                         {"pt", "pt_BR.UTF-8"},         {"zh-Hans", "zh_CN.UTF-8"},
                                                         {"zh-Hant", "zh_TW.UTF-8"},    {"zh-Hans-SG", "zh_SG.UTF-8"},
                                                         {"sr-Latn-RS", "sr_RS.UTF-8"}, {"xx", ""}};
    for (const auto& [tag, name] : names) EXPECT_EQ(PosixLocaleName(tag), name) << tag;
    const std::pair<const char*, const char*> times[] = {{"%T", "%H:%M"},
                                                         {"%H:%M:%S", "%H:%M"},
                                                         {"%H.%M.%S", "%H.%M"},
                                                         {"%I:%M:%S %p", "%I:%M %p"},
                                                         {"%H時%M分%S秒", "%H時%M分"},
                                                         {"%H시 %M분 %S초", "%H시 %M분"},
                                                         {"%H:%M", "%H:%M"}};
    for (const auto& [format, shorter] : times) EXPECT_EQ(WithoutSeconds(format), shorter) << format;
}

TEST(CadencerNext, BatchLinesSplitWithQuotes) {
    std::vector<std::string> out;
    ASSERT_TRUE(SplitLine(R"(--now 2026-12-07 SelectionsWeekly="1 1 1 1"  OccursOption=2)", out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[2], "SelectionsWeekly=1 1 1 1");
    EXPECT_FALSE(SplitLine(R"(Title="open)", out));
    ASSERT_TRUE(SplitLine("", out));
    EXPECT_TRUE(out.empty());
}

TEST(CadencerNext, ConvertsTheScheduleToOtherForms) {
    const std::vector<std::string> weekly = {
        "--now", "2026-12-07T08:15:20", "OccursOption=2", "SelectionsWeekly=0101010", "StartHour=9", "StartMinute=30"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), weekly.begin(), weekly.end());
        return head;
    };
    EXPECT_EQ(Due(with({"--to", "rrule"})),
              "DTSTART:20261207T093000\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR;BYHOUR=9;BYMINUTE=30");
    EXPECT_EQ(Due(with({"--to", "cron"})), "30 9 * * 1,3,5");
    // The calendar is stamped with the UTC present and keeps CRLF up to its last line,
    // whose LF the caller adds.
    const auto ical = RunCase(with({"--to", "ical"}), kPresent, *Compose({2026, 12, 7, 7, 15, 20}));
    ASSERT_TRUE(ical.ok) << ical.text;
    EXPECT_EQ(ical.text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(ical.text.find("\r\nDTSTAMP:20261207T071520Z\r\nDTSTART:20261207T093000\r\n"), std::string::npos);
    EXPECT_EQ(ical.text.substr(ical.text.size() - 14), "END:VCALENDAR\r");
    const std::string xml = Due(with({"--to", "task-xml", "--command", "C:\\Tools\\R&D.exe", "--arguments", "<x>"}));
    EXPECT_NE(xml.find("<Command>C:\\Tools\\R&amp;D.exe</Command>"), std::string::npos);
    EXPECT_NE(xml.find("<Arguments>&lt;x&gt;</Arguments>"), std::string::npos);
    EXPECT_EQ(xml.back(), '>');
}

TEST(CadencerNext, RefusalsAndMisuseOfTheFormsFail) {
    const struct {
        std::vector<std::string> args;
        const char* needle;
    } cases[] = {
        {{"--now", "2026-12-07T08:15:20", "--to", "cron", "OccursOption=1", "UseEndDate=True"}, "cron has no end date"},
        {{"--to", "rrule"}, "a Never schedule never falls due"},
        {{"--to", "task-xml", "OccursOption=1"}, "a task needs a command"},
        {{"--to", "yaml"}, "--to: expected ical, rrule, cron or task-xml"},
        {{"--to", "rrule", "--command", "x", "OccursOption=1"}, "only with --to task-xml"},
        {{"--from", "rrule", "FREQ=DAILY;COUNT=3;BYHOUR=9;BYMINUTE=0"}, "COUNT"},
        {{"--from", "cron", "0 9 1 * 1"}, "either the day of the month"},
        {{"--from", "ics", "x"}, "--from: expected rrule or cron"},
        {{"--from", "cron"}, "--from: missing value"},
        {{"--from", "cron", "0 9 * * *", "OccursOption=1"}, "takes no keys"},
    };
    for (const auto& c : cases) {
        const auto r = RunCase(c.args, kPresent);
        EXPECT_FALSE(r.ok) << c.needle;
        EXPECT_NE(r.text.find(c.needle), std::string::npos) << r.text;
    }
}

TEST(CadencerNext, ReadsRRuleAndCronIntoKeysThatItTakesBack) {
    const std::string keys = Due({"--now", "2026-12-07T08:15:20", "--from", "rrule",
                                  "DTSTART:20261208T100000\nRRULE:FREQ=DAILY;UNTIL=20261210T100000"});
    EXPECT_EQ(keys,
              "StartHour=10 StartMinute=0 StartDate=2026-12-08 EndDate=2026-12-10 UseEndDate=True OccursOption=1");
    std::vector<std::string> args = {"--now", "2026-12-07T08:15:20", "--count", "5"};
    std::vector<std::string> split;
    ASSERT_TRUE(SplitLine(keys, split));
    args.insert(args.end(), split.begin(), split.end());
    EXPECT_EQ(Due(args), "2026-12-08T10:00:00 2026-12-09T10:00:00 2026-12-10T10:00:00 1976-12-10T10:00:00");
    EXPECT_EQ(
        Due({"--now", "2026-12-07T08:15:20", "--from", "cron", "30 9 * * 1-5"}),
        "StartHour=9 StartMinute=30 StartDate=2026-12-07 UseEndDate=False SelectionsWeekly=0111110 OccursOption=2");
}

}  // namespace
}  // namespace cadencer::next_tool
