// A year of simulated time per kind of schedule: the core's tick is driven by a fake
// clock a few times a minute, and the firings are compared with due minutes worked out
// independently from the calendar. Also clocks that jump by an hour (daylight saving)
// and by days.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "control_fakes.h"

namespace cadencer::control::testing {
namespace {

using MinuteList = std::vector<std::int64_t>;

struct Firing {
    OleDate at;  // the tick that fired (and the event's DateTime)
    OleDate previousTick;
};

// Ticks every 17, 13, 11 or 20 seconds of real time (a cycle of 61 s, so the phase within the
// minute drifts): every minute gets at least two ticks and the first lands in its first 20
// seconds. Between two runs the clock is set (real time does not move).
class Simulator {
public:
    explicit Simulator(TestControl& control) : c_(control) {}

    void Run(OleDate from, OleDate to) {
        const double day = std::floor(from);
        std::int64_t second = std::llround((from - day) * 86400.0);
        const std::int64_t end = std::llround((to - day) * 86400.0);
        static constexpr std::array<int, 4> kSteps = {17, 13, 11, 20};
        for (int step = 0; second < end; second += step) {
            const OleDate now = day + static_cast<double>(second) / 86400.0;
            c_.clock.Set(now);
            c_.clock.elapsedMs += static_cast<std::uint64_t>(step) * 1000;
            step = kSteps[step_++ % kSteps.size()];
            const auto before = c_.site.events.size();
            c_.core->Tick();
            for (auto i = before; i < c_.site.events.size(); ++i) {
                EXPECT_EQ(c_.site.events[i].kind, Event::ScheduledTime);
                EXPECT_EQ(c_.site.events[i].dateTime, now);
                firings.push_back({now, previous_});
            }
            previous_ = now;
        }
    }

    // Each firing in its due minute, in that minute's first tick, and nothing else.
    void ExpectFiredExactlyAt(const MinuteList& due) const {
        ASSERT_EQ(firings.size(), due.size());
        for (std::size_t i = 0; i < due.size(); ++i) {
            EXPECT_EQ(*MinuteSerial(firings[i].at), due[i]) << "firing " << i;
            EXPECT_LT(*MinuteSerial(firings[i].previousTick), due[i]) << "firing " << i;
        }
    }

    std::vector<Firing> firings;

private:
    TestControl& c_;
    std::size_t step_ = 0;
    OleDate previous_ = 0;
};

// Due minutes of a day-based schedule: the start time on every day that `selected` accepts,
// after the minute of `from` (the control is enabled then: that minute counts as past)
// and up to the minute of `to`.
template <class Selected>
MinuteList DayBasedDue(OleDate from, OleDate to, int startMinuteOfDay, Selected selected) {
    MinuteList out;
    const std::int64_t first = *MinuteSerial(from), last = *MinuteSerial(to);
    for (std::int64_t d = *DaySerial(from); d <= *DaySerial(to); ++d) {
        const std::int64_t m = d * 1440 + startMinuteOfDay;
        if (m > first && m <= last && selected(*DateAtMinute(d, 0))) out.push_back(m);
    }
    return out;
}

MinuteList EveryDue(OleDate from, OleDate to, std::int64_t intervalMinutes) {
    MinuteList out;
    for (std::int64_t m = *MinuteSerial(from) + intervalMinutes; m <= *MinuteSerial(to); m += intervalMinutes)
        out.push_back(m);
    return out;
}

class ControlSimulation : public ::testing::Test {
protected:
    void SetUp() override { SharedSchedule::Instance().ResetForTests(); }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }

    // A control created at `now` and loaded from saved properties (which enables it).
    std::unique_ptr<TestControl> Loaded(OleDate now, const std::vector<std::pair<std::u16string, Variant>>& props) {
        auto c = std::make_unique<TestControl>(now);
        MemoryPropertyBag bag;
        for (const auto& [key, value] : props) bag.Put(key, value);
        EXPECT_TRUE(c->core->Load(bag).ok);
        return c;
    }

    const OleDate yearStart = At(2028, 1, 1, 0, 0, 5);  // a leap year
    const OleDate yearEnd = At(2029, 1, 1, 0, 10);
};

TEST_F(ControlSimulation, DailyAtMidnightForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(1)}});  // StartHour 24: midnight
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    const auto due = DayBasedDue(yearStart, yearEnd, 0, [](OleDate) { return true; });
    EXPECT_EQ(due.size(), 366u);
    sim.ExpectFiredExactlyAt(due);
}

TEST_F(ControlSimulation, WeeklyOnMondayWednesdayFridayForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(2)},
                                {u"SelectionsWeekly", Variant::String(u"0101010")},
                                {u"StartHour", Variant::I16(7)},
                                {u"StartMinute", Variant::I16(45)}});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    const auto due = DayBasedDue(yearStart, yearEnd, 7 * 60 + 45, [](OleDate d) {
        const int w = *Weekday(d);
        return w == 2 || w == 4 || w == 6;
    });
    EXPECT_EQ(due.size(), 156u);  // 52 whole weeks; the two extra days are a Saturday and a Sunday
    sim.ExpectFiredExactlyAt(due);
}

TEST_F(ControlSimulation, MonthlyOnDays29To31ForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(3)},
                                {u"SelectionsMonthly", Variant::String(std::u16string(28, u'0') + u"111")},
                                {u"StartHour", Variant::I16(23)},
                                {u"StartMinute", Variant::I16(59)}});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    const auto due = DayBasedDue(yearStart, yearEnd, 23 * 60 + 59, [](OleDate d) { return Decompose(d)->day >= 29; });
    // 7 months of 31 days, 4 of 30, and 29 February 2028: 21 + 8 + 1.
    EXPECT_EQ(due.size(), 30u);
    sim.ExpectFiredExactlyAt(due);
}

TEST_F(ControlSimulation, MonthlyOnThe31stOnlyForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(3)},
                                {u"SelectionsMonthly", Variant::String(std::u16string(30, u'0') + u"1")},
                                {u"StartHour", Variant::I16(12)}});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    const auto due = DayBasedDue(yearStart, yearEnd, 12 * 60, [](OleDate d) { return Decompose(d)->day == 31; });
    EXPECT_EQ(due.size(), 7u);
    sim.ExpectFiredExactlyAt(due);
}

TEST_F(ControlSimulation, EveryFiveHoursForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(4)}, {u"EveryInterval", Variant::I16(5)}});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    sim.ExpectFiredExactlyAt(EveryDue(yearStart, yearEnd, 5 * 60));
}

TEST_F(ControlSimulation, EveryFortyFiveMinutesForAYear) {
    auto c = Loaded(yearStart, {{u"OccursOption", Variant::I32(4)},
                                {u"EveryFrequency", Variant::I32(1)},
                                {u"EveryInterval", Variant::I16(45)}});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    sim.ExpectFiredExactlyAt(EveryDue(yearStart, yearEnd, 45));
}

TEST_F(ControlSimulation, NeverForAYear) {
    auto c = Loaded(yearStart, {});
    Simulator sim(*c);
    sim.Run(yearStart, yearEnd);
    EXPECT_TRUE(sim.firings.empty());
}

std::int64_t M(int y, int mo, int d, int h, int mi) {
    return *MinuteSerial(At(y, mo, d, h, mi));
}

// Daylight saving (Central Europe: UTC+1, UTC+2 in summer): the local clock skips 02:00-03:00
// in spring and repeats 02:00-03:00 in autumn, while UTC runs on. A schedule in the skipped
// hour fires once when the clock is past it; one in the repeated hour fires once, not twice.
TEST_F(ControlSimulation, DailyAcrossDaylightSavingChanges) {
    const OleDate start = At(2028, 3, 25, 12, 0);
    auto c = Loaded(
        start,
        {{u"OccursOption", Variant::I32(1)}, {u"StartHour", Variant::I16(2)}, {u"StartMinute", Variant::I16(30)}});
    c->clock.utcOffsetMinutes = 60;
    Simulator sim(*c);
    sim.Run(start, At(2028, 3, 26, 1, 59, 50));
    c->clock.utcOffsetMinutes = 120;
    sim.Run(At(2028, 3, 26, 3, 0, 0), At(2028, 3, 28, 0, 0));  // spring forward
    sim.Run(At(2028, 10, 28, 12, 0), At(2028, 10, 29, 2, 59, 55));
    c->clock.utcOffsetMinutes = 60;
    sim.Run(At(2028, 10, 29, 2, 0, 0), At(2028, 10, 30, 12, 0));  // fall back
    // The months skipped between the two runs leave one overdue time, fired once at 12:00.
    sim.ExpectFiredExactlyAt({M(2028, 3, 26, 3, 0), M(2028, 3, 27, 2, 30), M(2028, 10, 28, 12, 0),
                              M(2028, 10, 29, 2, 30), M(2028, 10, 30, 2, 30)});
}

TEST_F(ControlSimulation, EveryFifteenMinutesAcrossDaylightSavingChanges) {
    const OleDate start = At(2028, 3, 26, 0, 0, 30);
    auto c = Loaded(start, {{u"OccursOption", Variant::I32(4)},
                            {u"EveryFrequency", Variant::I32(1)},
                            {u"EveryInterval", Variant::I16(15)}});
    c->clock.utcOffsetMinutes = 60;
    Simulator sim(*c);
    sim.Run(start, At(2028, 3, 26, 1, 59, 50));
    c->clock.utcOffsetMinutes = 120;
    sim.Run(At(2028, 3, 26, 3, 0, 0), At(2028, 3, 26, 3, 40));
    // Spring: 00:15 ... 01:45, then the overdue 02:00 fires once at 03:00, and on from there.
    MinuteList due;
    for (int q = 1; q <= 7; ++q) due.push_back(M(2028, 3, 26, 0, 0) + 15 * q);
    for (int q = 0; q <= 2; ++q) due.push_back(M(2028, 3, 26, 3, 0) + 15 * q);
    sim.ExpectFiredExactlyAt(due);

    // Autumn: fired at 02:45, then the clock goes back to 02:00; the next time (03:00)
    // comes round once the clock reaches it again, with nothing fired twice in between.
    sim.firings.clear();
    c->clock.Set(At(2028, 10, 29, 2, 45, 2));
    c->core->Execute();
    c->site.events.clear();
    sim.Run(At(2028, 10, 29, 2, 45, 3), At(2028, 10, 29, 2, 59, 55));
    c->clock.utcOffsetMinutes = 60;
    sim.Run(At(2028, 10, 29, 2, 0, 0), At(2028, 10, 29, 3, 31));
    sim.ExpectFiredExactlyAt({M(2028, 10, 29, 3, 0), M(2028, 10, 29, 3, 15), M(2028, 10, 29, 3, 30)});
}

TEST_F(ControlSimulation, DailyWithTheClockMovedByDays) {
    const OleDate start = At(2028, 5, 1, 12, 0);
    auto c = Loaded(start, {{u"OccursOption", Variant::I32(1)}, {u"StartHour", Variant::I16(10)}});
    Simulator sim(*c);
    sim.Run(start, At(2028, 5, 3, 9, 0));
    // Forward three days: the overdue time fires once at once, then the next day on time.
    sim.Run(At(2028, 5, 6, 12, 0), At(2028, 5, 7, 11, 0));
    sim.ExpectFiredExactlyAt({M(2028, 5, 2, 10, 0), M(2028, 5, 6, 12, 0), M(2028, 5, 7, 10, 0)});
    EXPECT_EQ(c->core->NextScheduledTime(), At(2028, 5, 8, 10, 0));

    // Back four days: the next time is computed again from the present, so the schedule
    // runs on from there instead of waiting for 8 May.
    sim.firings.clear();
    sim.Run(At(2028, 5, 3, 9, 0), At(2028, 5, 5, 12, 0));
    sim.ExpectFiredExactlyAt({M(2028, 5, 3, 10, 0), M(2028, 5, 4, 10, 0), M(2028, 5, 5, 10, 0)});
    EXPECT_EQ(c->core->NextScheduledTime(), At(2028, 5, 6, 10, 0));
}

}  // namespace
}  // namespace cadencer::control::testing
