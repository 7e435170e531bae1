// The running control when the machine's clock jumps: a sleep (forward by hours), a setback
// of an hour or of less than a minute, a clock set a year ahead and then corrected, and the
// daylight-saving changes. One second of real time per tick, with fixed times.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "control_fakes.h"
#include "engine/next_run.h"

namespace cadencer::control::testing {
namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 24 * kHour;
constexpr double kMinuteDays = 1.0 / 1440;

// One step of a run: real seconds passing (a tick each), or the clock set by some seconds
// (real time does not move), or a daylight-saving change (local time moves by the change of
// the zone's offset, UTC and real time run on).
struct Step {
    enum Kind { Run, Set, ZoneChange } kind;
    std::int64_t value;  // seconds (Run, Set) or the zone's new offset in minutes
};

struct ClockCase {
    const char* name;
    OleDate start;  // local time at which the control is enabled
    int zoneOffsetMinutes;
    std::function<void(CadencerCore&)> schedule;
    std::vector<Step> steps;
    int firings;            // ScheduledTime over the whole run
    OleDate lastAtEnd;      // LastScheduledTime at the end
    OleDate nextAtEnd;      // NextScheduledTime at the end
    double periodMinutes;   // after each jump the next time lies at most this far ahead
    int lastAnnouncements;  // "LastScheduledTime" change notices (a setback brings it back)
};

void Daily(CadencerCore& core, int hour, int minute) {
    core.SetOccursOption(1);
    core.SetStartHour(static_cast<std::int16_t>(hour));
    core.SetStartMinute(static_cast<std::int16_t>(minute));
}

void Every(CadencerCore& core, int interval, int frequency) {
    core.SetEveryFrequency(frequency);
    core.SetEveryInterval(static_cast<std::int16_t>(interval));
    core.SetOccursOption(4);
}

// 10 March 2026 is a Tuesday.
const std::vector<ClockCase> kCases = {
    {"ForwardFiveHoursFiresTheMissedDailyOnceAndCountsFromThePresent",
     At(2026, 3, 10, 9, 0, 0),
     60,
     [](CadencerCore& c) { Daily(c, 10, 0); },
     {{Step::Run, 10}, {Step::Set, 5 * kHour}, {Step::Run, 120}},
     1,
     At(2026, 3, 10, 14, 0),
     At(2026, 3, 11, 10, 0),
     24 * 60,
     0},
    {"ForwardADayAndAHalfFiresEveryOnceAndCountsFromThePresent",
     At(2026, 3, 10, 9, 0, 0),
     60,
     [](CadencerCore& c) { Every(c, 15, 1); },
     {{Step::Run, 10}, {Step::Set, 36 * kHour}, {Step::Run, 120}},
     1,
     At(2026, 3, 11, 21, 0),
     At(2026, 3, 11, 21, 15),
     15,
     0},
    {"BackAnHourAfterDailyFiredWaitsForTheTimeOfDayAgain",
     At(2026, 3, 10, 9, 59, 50),
     60,
     [](CadencerCore& c) { Daily(c, 10, 0); },
     {{Step::Run, 20}, {Step::Set, -kHour}, {Step::Run, 120}},
     1,
     At(2026, 3, 10, 10, 0),
     At(2026, 3, 10, 10, 0),
     24 * 60,
     0},
    {"BackAnHourAfterEveryMinuteFiredCountsFromThePresentMinute",
     At(2026, 3, 10, 9, 59, 30),
     60,
     [](CadencerCore& c) { Every(c, 1, 1); },
     {{Step::Run, 40}, {Step::Set, -kHour}, {Step::Run, 125}},
     3,
     At(2026, 3, 10, 9, 2),
     At(2026, 3, 10, 9, 3),
     1,
     1},
    {"BackNinetySecondsRightAfterAFiringWaitsOneRealMinute",
     At(2026, 3, 10, 9, 59, 30),
     60,
     [](CadencerCore& c) { Every(c, 1, 1); },
     {{Step::Run, 35}, {Step::Set, -90}, {Step::Run, 70}},
     2,
     At(2026, 3, 10, 9, 59),
     At(2026, 3, 10, 10, 0),
     1,
     1},
    {"BackLessThanAMinuteRepeatsNothing",
     At(2026, 3, 10, 9, 59, 50),
     60,
     [](CadencerCore& c) { Daily(c, 10, 0); },
     {{Step::Run, 20}, {Step::Set, -50}, {Step::Run, 120}},
     1,
     At(2026, 3, 10, 10, 0),
     At(2026, 3, 11, 10, 0),
     24 * 60 + 1,
     0},
    {"AYearAheadThenCorrectedEveryHourWaitsNoMoreThanAnHour",
     At(2026, 3, 10, 9, 30, 0),
     60,
     [](CadencerCore& c) {
         Every(c, 1, 0);
         c.SetLastScheduledTime(At(2026, 3, 10, 9, 0));
     },
     {{Step::Run, 10}, {Step::Set, 365 * kDay}, {Step::Run, 5}, {Step::Set, -365 * kDay}, {Step::Run, 120}},
     1,
     At(2026, 3, 10, 9, 30),
     At(2026, 3, 10, 10, 30),
     60,
     1},
    {"AYearAheadThenCorrectedDailyWaitsNoMoreThanADay",
     At(2026, 3, 10, 9, 30, 0),
     60,
     [](CadencerCore& c) { Daily(c, 10, 0); },
     {{Step::Run, 10}, {Step::Set, 365 * kDay}, {Step::Run, 5}, {Step::Set, -365 * kDay}, {Step::Run, 120}},
     1,
     At(2027, 3, 10, 9, 30),
     At(2026, 3, 10, 10, 0),
     24 * 60,
     0},
    {"AYearAheadThenCorrectedWeeklyWaitsNoMoreThanAWeek",
     At(2026, 3, 10, 9, 30, 0),
     60,
     [](CadencerCore& c) {
         c.SetSelectionsWeekly(u"0100000");  // Mondays
         c.SetStartHour(8);
         c.SetStartMinute(0);
         c.SetOccursOption(2);
     },
     {{Step::Run, 10}, {Step::Set, 365 * kDay}, {Step::Run, 5}, {Step::Set, -365 * kDay}, {Step::Run, 120}},
     1,
     At(2027, 3, 10, 9, 30),
     At(2026, 3, 16, 8, 0),
     7 * 24 * 60,
     0},
    {"AYearAheadThenCorrectedMonthlyWaitsNoMoreThanAMonth",
     At(2026, 3, 10, 9, 30, 0),
     60,
     [](CadencerCore& c) {
         c.SetSelectionsMonthly(u"000000000000001");  // the 15th
         c.SetStartHour(8);
         c.SetStartMinute(0);
         c.SetOccursOption(3);
     },
     {{Step::Run, 10}, {Step::Set, 365 * kDay}, {Step::Run, 5}, {Step::Set, -365 * kDay}, {Step::Run, 120}},
     1,
     At(2027, 3, 10, 9, 30),
     At(2026, 3, 15, 8, 0),
     31 * 24 * 60,
     0},
    // Daylight saving ends: local 03:00 summer time becomes 02:00 winter time, UTC runs on.
    {"FallBackDoesNotRepeatADaily0200",
     At(2027, 10, 31, 1, 59, 50),
     120,
     [](CadencerCore& c) { Daily(c, 2, 0); },
     {{Step::Run, kHour + 9}, {Step::ZoneChange, 60}, {Step::Run, kHour + 120}},
     1,
     At(2027, 10, 31, 2, 0),
     At(2027, 11, 1, 2, 0),
     24 * 60,
     0},
    {"FallBackLeavesAnEveryMinuteAtItsNextLocalMinute",
     At(2027, 10, 31, 2, 58, 30),
     120,
     [](CadencerCore& c) { Every(c, 1, 1); },
     {{Step::Run, 89}, {Step::ZoneChange, 60}, {Step::Run, 120}},
     1,
     At(2027, 10, 31, 2, 59),
     At(2027, 10, 31, 3, 0),
     61,
     0},
    // Daylight saving begins: local 02:00 winter time becomes 03:00 summer time.
    {"SpringForwardFiresASkippedDailyOnce",
     At(2027, 3, 28, 1, 59, 50),
     60,
     [](CadencerCore& c) { Daily(c, 2, 30); },
     {{Step::Run, 9}, {Step::ZoneChange, 120}, {Step::Run, 120}},
     1,
     At(2027, 3, 28, 3, 0),
     At(2027, 3, 29, 2, 30),
     24 * 60,
     0},
};

class ControlClockJumps : public ::testing::TestWithParam<ClockCase> {
protected:
    void SetUp() override { SharedSchedule::Instance().ResetForTests(); }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }
};

TEST_P(ControlClockJumps, FiresAsTheEngineSaysForTheNewPresent) {
    const ClockCase& k = GetParam();
    TestControl c(k.start);
    c.clock.utcOffsetMinutes = k.zoneOffsetMinutes;
    std::vector<std::uint64_t> firedAtMs;
    c.site.onEvent = [&](const Event& e) {
        if (e.kind == Event::ScheduledTime) firedAtMs.push_back(c.clock.elapsedMs);
    };
    c.core->InitNew();
    k.schedule(*c.core);
    c.core->SetEnabled(true);
    c.site.notices.clear();

    std::size_t firingsBeforeJump = 0;
    bool jumped = false;  // by a minute or more: the next time is checked at the first tick
    for (const Step& step : k.steps) {
        if (step.kind == Step::Run) {
            for (std::int64_t s = 0; s < step.value; ++s) {
                c.clock.AdvanceSeconds(1);
                c.core->Tick();
                if (s == 0 && jumped) {
                    // The first tick after a jump leaves the next time where the engine puts
                    // it for this present, no further ahead than one period.
                    const OleDate next = c.core->NextScheduledTime();
                    EXPECT_EQ(next, ComputeNextRun(SharedSchedule::Instance().Settings(), c.clock.now, 1))
                        << "after the jump, at " << c.clock.now;
                    EXPECT_LE(next - c.clock.now, k.periodMinutes * kMinuteDays) << "at " << c.clock.now;
                }
            }
            jumped = false;
        } else if (step.kind == Step::Set) {
            c.clock.Set(AddSeconds(c.clock.now, step.value).value());
            jumped = step.value <= -60 || step.value >= 60;
            firingsBeforeJump = firedAtMs.size();
        } else {
            c.clock.Set(AddMinutes(c.clock.now, step.value - c.clock.utcOffsetMinutes).value());
            c.clock.utcOffsetMinutes = static_cast<int>(step.value);
            jumped = true;
            firingsBeforeJump = firedAtMs.size();
        }
    }
    EXPECT_EQ(static_cast<int>(firedAtMs.size()), k.firings);
    EXPECT_EQ(c.core->LastScheduledTime(), k.lastAtEnd);
    EXPECT_EQ(c.core->NextScheduledTime(), k.nextAtEnd);
    int announced = 0;
    for (const auto& notice : c.site.notices) announced += notice == u"LastScheduledTime";
    EXPECT_EQ(announced, k.lastAnnouncements);
    // The first firing after the last jump comes at least one real minute after the one before.
    if (firingsBeforeJump > 0 && firedAtMs.size() > firingsBeforeJump) {
        EXPECT_GE(firedAtMs[firingsBeforeJump] - firedAtMs[firingsBeforeJump - 1], 60000u);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ControlClockJumps, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cadencer::control::testing
