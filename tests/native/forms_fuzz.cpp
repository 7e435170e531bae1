// A short fixed-seed fuzz of the three readers (RRULE, cron, task definition): random
// mutations of seed texts, each read at a random present across the whole date range. The
// sanitizers of the native build catch the crashes; the program fails on an input that
// takes a tenth of a second or more, or on a refusal without a reason.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/schedule_forms.h"

namespace cadencer {
namespace {

const char* const kRRuleSeeds[] = {
    "DTSTART:20261207T100000\nRRULE:FREQ=DAILY;BYHOUR=10;BYMINUTE=0;UNTIL=20270101",
    "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO;BYHOUR=9;BYMINUTE=30;WKST=SU",
    "RRULE:FREQ=MONTHLY;BYMONTHDAY=+5,31;BYHOUR=0;BYMINUTE=0",
    "DTSTART:01000101T000000\nRRULE:FREQ=HOURLY;INTERVAL=32767;BYMINUTE=0",
    "FREQ=YEARLY;BYDAY=1MO,FR;BYMONTH=1,2,3,4,5,6,7,8,9,10,11,12;BYSECOND=0",
    "DTSTART;VALUE=DATE-TIME:99991231T235900\r\n RRULE:FREQ=MINUTELY;INTERVAL=1",
};
const char* const kCronSeeds[] = {
    "*/10 * * * *", "5-59/10 * * * *", "0 9 31 1,3,5,7,8,10,12 *", "30 9 * * MON-FRI",
    "0 0 29 2 *",   "@weekly",         "0 */7 1-31/2 * 0,7",
};
const char* const kTaskSeeds[] = {
    "<Task><Triggers><CalendarTrigger><StartBoundary>2026-12-07T10:00:00</StartBoundary>"
    "<EndBoundary>2027-01-06T23:59:59</EndBoundary><ScheduleByDay><DaysInterval>3</DaysInterval>"
    "</ScheduleByDay></CalendarTrigger></Triggers></Task>",
    "<Task><Triggers><TimeTrigger><StartBoundary>0100-01-01T00:00:00</StartBoundary><Repetition>"
    "<Interval>P1DT2H3M</Interval></Repetition></TimeTrigger></Triggers></Task>",
    "<Task><Triggers><CalendarTrigger><StartBoundary>2026-12-07T10:00:00</StartBoundary><ScheduleByMonth>"
    "<DaysOfMonth><Day>31</Day><Day>1</Day></DaysOfMonth><Months><January /><February /></Months>"
    "</ScheduleByMonth></CalendarTrigger></Triggers></Task>",
    "<Task><Triggers><CalendarTrigger><StartBoundary>2026-12-07T10:00:00</StartBoundary><ScheduleByWeek>"
    "<DaysOfWeek><Monday /></DaysOfWeek><WeeksInterval>2</WeeksInterval></ScheduleByWeek>"
    "</CalendarTrigger></Triggers></Task>",
};

const char kAlphabet[] = "0123456789*/-,;:=+TZ@<>\n \r\tFREQDAILYBYHOURMINUTEINTERVAL";

std::string Mutated(std::mt19937_64& random, std::string text) {
    auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % (n ? n : 1)); };
    for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
        const std::size_t at = below(text.size() + 1);
        switch (below(5)) {
            case 0:  // a character from the readers' own alphabet
                text.insert(at, 1, kAlphabet[below(sizeof kAlphabet - 1)]);
                break;
            case 1:  // any byte
                text.insert(at, 1, static_cast<char>(below(256)));
                break;
            case 2:
                if (at < text.size()) text.erase(at, 1 + below(8));
                break;
            case 3:  // a piece of the text again, elsewhere
                if (!text.empty()) text.insert(at, text.substr(below(text.size()), 1 + below(12)));
                break;
            default:
                if (at < text.size()) text[at] = static_cast<char>('0' + below(10));
                break;
        }
    }
    return text;
}

OleDate RandomPresent(std::mt19937_64& random) {
    const std::int64_t day = kFirstDaySerial + static_cast<std::int64_t>(random() % (kLastDaySerial - kFirstDaySerial));
    return *JoinDate(day, static_cast<std::int64_t>(random() % 86400));
}

}  // namespace
}  // namespace cadencer

int main(int argc, char** argv) {
    using namespace cadencer;
    const long runs = argc > 1 ? std::atol(argv[1]) : 30000;
    std::mt19937_64 random(26);
    int faults = 0;
    double slowest = 0;
    for (long i = 0; i < runs; ++i) {
        const int reader = static_cast<int>(i % 3);
        const std::string seed = reader == 0   ? kRRuleSeeds[random() % std::size(kRRuleSeeds)]
                                 : reader == 1 ? kCronSeeds[random() % std::size(kCronSeeds)]
                                               : kTaskSeeds[random() % std::size(kTaskSeeds)];
        const std::string text = Mutated(random, seed);
        const OleDate present = random() % 4 == 0 ? RandomPresent(random) : *Compose({2026, 12, 7, 8, 15, 20});
        const auto begin = std::chrono::steady_clock::now();
        const KeysResult r = reader == 0   ? FromRRule(text, present)
                             : reader == 1 ? FromCron(text, present)
                                           : FromTaskXml(text, present);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        slowest = std::max(slowest, seconds);
        if (seconds >= 0.1 || (!r.ok && r.reason.empty())) {
            std::printf("FAULT: %s for reader %d at %.6f: %s\n", seconds >= 0.1 ? "slow" : "no reason", reader, present,
                        text.c_str());
            ++faults;
        }
    }
    std::printf("%ld inputs, slowest %.4f s, %d faults\n", runs, slowest, faults);
    return faults ? 1 : 0;
}
