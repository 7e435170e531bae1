// The control's run-time gate, clock tick, Execute/Reset and the Enabled and
// LastScheduledTime lets, with fixed times.
#include <gtest/gtest.h>

#include <utility>

#include "control_fakes.h"
#include "engine/next_run.h"

namespace cadencer::control::testing {
namespace {

class ControlRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        SharedSchedule::Instance().ResetForTests();
        SharedSchedule::Instance().SetDialogPort(&dialog);
    }
    void TearDown() override { SharedSchedule::Instance().ResetForTests(); }

    // A control created and loaded at `now` with a Daily 10:00 schedule.
    std::unique_ptr<TestControl> Daily10(OleDate now) {
        auto c = std::make_unique<TestControl>(now);
        c->core->InitNew();
        c->core->SetOccursOption(1);
        c->core->SetStartHour(10);
        c->core->SetStartMinute(0);
        c->core->SetEnabled(true);
        return c;
    }

    FakeDialog dialog;
};

TEST_F(ControlRuntime, DailyFiresOnceInTheFirstTickOfItsMinute) {
    auto c = Daily10(At(2026, 3, 10, 9, 59, 58));
    auto& core = *c->core;
    EXPECT_EQ(core.NextScheduledTime(), At(2026, 3, 10, 10, 0));
    OleDate lastInHandler = 0, nextInHandler = 0;
    c->site.onEvent = [&](const Event&) {
        lastInHandler = core.LastScheduledTime();
        nextInHandler = core.NextScheduledTime();
    };
    core.Tick();  // 09:59:58
    c->clock.AdvanceSeconds(1);
    core.Tick();  // 09:59:59
    EXPECT_TRUE(c->site.events.empty());
    for (int i = 0; i < 120; ++i) {
        c->clock.AdvanceSeconds(1);
        core.Tick();
    }
    ASSERT_EQ(c->site.FiringTimes(), std::vector<OleDate>{At(2026, 3, 10, 10, 0, 0)});
    // Inside the handler both times already describe the state after the firing.
    EXPECT_EQ(lastInHandler, At(2026, 3, 10, 10, 0));
    EXPECT_EQ(nextInHandler, At(2026, 3, 11, 10, 0));
}

TEST_F(ControlRuntime, ADueTimeInThePastFiresOnceAtTheFirstTick) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->clock.Set(At(2026, 3, 12, 15, 30, 20));  // the host was busy for two days
    c->core->Tick();
    c->core->Tick();
    c->clock.AdvanceSeconds(1);
    c->core->Tick();
    EXPECT_EQ(c->site.FiringTimes(), std::vector<OleDate>{At(2026, 3, 12, 15, 30, 20)});
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 13, 10, 0));
}

// The clock check on its edges. The present is decomposed with its time rounded to the
// nearest second, so the due minute begins half a second early; and a next time counts as
// the never marker from the first instant whose calendar year lies 50 past its own.
TEST_F(ControlRuntime, TheTickIsDueFromTheFirstInstantThatRoundsIntoTheDueMinute) {
    constexpr double kSecond = 1.0 / 86400;
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    const OleDate due = At(2026, 3, 10, 10, 0);
    ASSERT_EQ(c->core->NextScheduledTime(), due);
    c->clock.Set(due - 0.51 * kSecond);  // 09:59:59.49, the minute 09:59
    c->core->Tick();
    EXPECT_TRUE(c->site.events.empty());
    c->clock.Set(due - 0.49 * kSecond);  // 09:59:59.51 rounds to 10:00:00
    c->core->Tick();
    EXPECT_EQ(c->site.FiringTimes(), std::vector<OleDate>{due - 0.49 * kSecond});
}

TEST_F(ControlRuntime, ANextTimeFiftyCalendarYearsOldIsTheNeverMarker) {
    constexpr double kSecond = 1.0 / 86400;
    // The clock jumps decades ahead of a next time of 2026-03-10 10:00 (the host slept, or
    // its clock was set): in 2075 the next time is merely overdue and fires once...
    auto overdue = Daily10(At(2026, 3, 10, 9, 0));
    overdue->clock.Set(At(2075, 12, 31, 23, 59, 59) + 0.49 * kSecond);
    overdue->core->Tick();
    EXPECT_EQ(overdue->site.Count(Event::ScheduledTime), 1);
    EXPECT_EQ(overdue->core->NextScheduledTime(), At(2076, 1, 1, 10, 0));
    overdue.reset();
    // ...from the first instant that rounds into 2076 it is taken for the never marker.
    auto never = Daily10(At(2026, 3, 10, 9, 0));
    never->clock.Set(At(2075, 12, 31, 23, 59, 59) + 0.51 * kSecond);
    never->core->Tick();
    never->clock.Set(At(2076, 6, 1, 12, 0));
    never->core->Tick();
    EXPECT_TRUE(never->site.events.empty());
    EXPECT_EQ(never->core->NextScheduledTime(), At(2026, 3, 10, 10, 0));
}

TEST_F(ControlRuntime, NeverAndTheZeroDateNeverFire) {
    TestControl c(At(2026, 3, 10, 9, 0));
    c.core->InitNew();
    // A new instance: the zero date, timer off; ticking anyway must not fire.
    EXPECT_FALSE(c.timer.running);
    EXPECT_EQ(c.core->StoredNextScheduledTime(), 0.0);
    c.core->Tick();
    c.core->SetEnabled(true);  // OccursOption Never: the never marker
    EXPECT_TRUE(IsNeverMarker(c.core->StoredNextScheduledTime(), c.clock.now));
    for (int i = 0; i < 3 * 1440; ++i) {
        c.clock.AdvanceSeconds(60);
        c.core->Tick();
    }
    // Across a new year the marker counts as never, by the calendar-year test.
    c.clock.Set(At(2026, 12, 31, 23, 59, 59));
    c.core->Tick();
    c.clock.Set(At(2027, 1, 1, 0, 0, 0));
    c.core->Tick();
    c.clock.Set(At(2076, 1, 1, 0, 0, 1));
    c.core->Tick();
    EXPECT_TRUE(c.site.events.empty());
}

TEST_F(ControlRuntime, TheRunTimeGateClosesReadersExecuteResetAndCallbacks) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    auto& core = *c->core;
    const OleDate last = SharedSchedule::Instance().Settings().LastScheduledTime;
    for (int variant = 0; variant < 2; ++variant) {
        if (variant == 0)
            c->site.userMode = false;  // design time
        else {
            c->site.userMode = true;
            core.SetEnabled(false);
        }
        EXPECT_EQ(core.NextScheduledTime(), 0.0);
        EXPECT_EQ(core.LastScheduledTime(), 0.0);
        core.Execute();
        core.Reset();
        core.FlagScheduleChanged();
        core.FlagSchedulerClosed();
        core.FlagHelpButton();
        c->clock.Set(At(2026, 3, 10, 10, 0, 5));
        core.Tick();
        EXPECT_TRUE(c->site.events.empty());
        EXPECT_EQ(SharedSchedule::Instance().Settings().LastScheduledTime, last);
    }
}

TEST_F(ControlRuntime, NoAnswerFromTheContainerMeansUserMode) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->site.userMode = std::nullopt;
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 10, 10, 0));
    c->core->FlagHelpButton();
    EXPECT_EQ(c->site.Count(Event::HelpButtonClicked), 1);
}

TEST_F(ControlRuntime, TheAmbientIsReadAfreshAtEachUse) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->site.userMode = false;
    c->clock.Set(At(2026, 3, 10, 10, 0, 1));
    c->core->Tick();
    EXPECT_TRUE(c->site.events.empty());
    c->site.userMode = true;  // the container switched to run mode
    c->core->Tick();
    EXPECT_EQ(c->site.Count(Event::ScheduledTime), 1);
}

TEST_F(ControlRuntime, ExecuteRecordsTheMinuteAndPassesThePresentTimeWithSeconds) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->clock.Set(At(2026, 3, 10, 14, 3, 30));
    c->core->Execute();
    EXPECT_EQ(c->site.FiringTimes(), std::vector<OleDate>{At(2026, 3, 10, 14, 3, 30)});
    EXPECT_EQ(c->core->LastScheduledTime(), At(2026, 3, 10, 14, 3));
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 11, 10, 0));
}

TEST_F(ControlRuntime, ResetAtTheDueMinuteMovesTheNextTimeOnWithoutFiring) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->clock.Set(At(2026, 3, 10, 10, 0, 10));
    c->core->Reset();
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 11, 10, 0));
    c->core->Tick();
    EXPECT_TRUE(c->site.events.empty());
}

TEST_F(ControlRuntime, EveryFifteenMinutesFromTheNeverMarker) {
    TestControl c(At(2026, 3, 10, 9, 7, 20));
    c.core->InitNew();
    c.core->SetOccursOption(4);
    c.core->SetEveryFrequency(1);
    c.core->SetEveryInterval(15);
    c.core->SetEnabled(true);
    EXPECT_EQ(c.core->NextScheduledTime(), At(2026, 3, 10, 9, 22));
    c.clock.Set(At(2026, 3, 10, 9, 21, 59));
    c.core->Tick();
    c.clock.Set(At(2026, 3, 10, 9, 22, 0));
    c.core->Tick();
    c.core->Tick();
    EXPECT_EQ(c.site.FiringTimes(), std::vector<OleDate>{At(2026, 3, 10, 9, 22)});
    EXPECT_EQ(c.core->NextScheduledTime(), At(2026, 3, 10, 9, 37));
}

TEST_F(ControlRuntime, TheEnabledLetComputesWithOffsetOneAndSwitchesTheTimer) {
    auto c = Daily10(At(2026, 3, 10, 10, 0, 30));
    // Enabled inside the due minute: offset 1 counts it as past.
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 11, 10, 0));
    EXPECT_TRUE(c->timer.running);
    EXPECT_EQ(c->site.notices.back(), u"Enabled");
    c->core->SetEnabled(false);
    EXPECT_FALSE(c->timer.running);
    EXPECT_EQ(c->site.notices.back(), u"Enabled");
    // The let works at design time too.
    c->site.userMode = false;
    c->core->SetEnabled(true);
    EXPECT_TRUE(c->timer.running);
    EXPECT_EQ(c->core->StoredNextScheduledTime(), At(2026, 3, 11, 10, 0));
}

TEST_F(ControlRuntime, ATickOfADisabledControlSwitchesTheTimerOff) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    c->core->SetEnabled(false);
    c->timer.running = true;  // a tick already queued when the control was disabled
    c->core->Tick();
    EXPECT_FALSE(c->timer.running);
}

TEST_F(ControlRuntime, TheLastScheduledTimeLetRecomputesOnlyEverySchedules) {
    TestControl c(At(2026, 3, 10, 8, 30));
    c.core->InitNew();
    c.core->SetOccursOption(4);  // Every 1 hour
    c.core->SetEnabled(true);
    c.core->SetLastScheduledTime(At(2026, 3, 10, 8, 0, 0) + 0.1 / 86400);  // stored unchanged
    EXPECT_EQ(SharedSchedule::Instance().Settings().LastScheduledTime, At(2026, 3, 10, 8, 0) + 0.1 / 86400);
    EXPECT_EQ(c.core->NextScheduledTime(), At(2026, 3, 10, 9, 0));
    EXPECT_EQ(c.site.notices.back(), u"LastScheduledTime");
    c.core->SetOccursOption(1);  // Daily 00:00
    const OleDate daily = c.core->NextScheduledTime();
    c.core->SetLastScheduledTime(At(2026, 3, 10, 7, 0));
    EXPECT_EQ(c.core->NextScheduledTime(), daily);
}

TEST_F(ControlRuntime, DialogCallbacksRecomputeAndRaise) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    SharedSchedule::Instance().Settings().StartHour = 11;  // the dialog saved a change
    c->core->FlagScheduleChanged();
    EXPECT_EQ(c->core->NextScheduledTime(), At(2026, 3, 10, 11, 0));
    c->core->FlagSchedulerClosed();
    c->core->FlagHelpButton();
    ASSERT_EQ(c->site.events.size(), 3u);
    EXPECT_EQ(c->site.events[0].kind, Event::ScheduleChanged);
    EXPECT_EQ(c->site.events[1].kind, Event::SchedulerClosed);
    EXPECT_EQ(c->site.events[2].kind, Event::HelpButtonClicked);
}

TEST_F(ControlRuntime, AnIdleTickDoesNotQueryTheContainer) {
    auto c = Daily10(At(2026, 3, 10, 9, 0));
    const int before = c->site.ambientQueries;
    for (int i = 0; i < 100; ++i) {
        c->clock.AdvanceSeconds(1);
        c->core->Tick();
    }
    EXPECT_EQ(c->site.ambientQueries, before);
}

// A host handler of ScheduledTime may do anything to the control; none of it may make the
// control fire twice, touch freed state, or leave the timer in the wrong state.
TEST_F(ControlRuntime, HandlersMayDisableReenterOrDestroyTheControl) {
    {
        auto c = Daily10(At(2026, 3, 10, 10, 0, 0) - 1.0 / 86400);
        c->site.onEvent = [&](const Event&) { c->core->SetEnabled(false); };
        c->clock.AdvanceSeconds(1);
        c->core->Tick();
        EXPECT_EQ(c->site.Count(Event::ScheduledTime), 1);
        EXPECT_FALSE(c->timer.running);
    }
    {
        // Nested ticks while the handler shows a message box: the next time has moved on.
        auto c = Daily10(At(2026, 3, 10, 9, 59, 59));
        bool nested = false;
        c->site.onEvent = [&](const Event&) {
            if (std::exchange(nested, true)) return;
            for (int i = 0; i < 5; ++i) {
                c->clock.AdvanceSeconds(1);
                c->core->Tick();
            }
            c->core->Execute();  // and forces one more execution
        };
        c->clock.AdvanceSeconds(1);
        c->core->Tick();
        EXPECT_EQ(c->site.Count(Event::ScheduledTime), 2);
    }
    {
        // The host releases the control in the handler (the container's object goes):
        // the core stays alive until its event returns, then is freed.
        auto c = Daily10(At(2026, 3, 10, 9, 59, 59));
        std::weak_ptr<CadencerCore> watch = c->core;
        c->site.onEvent = [&](const Event&) {
            c->core->Terminate();
            c->core.reset();
            EXPECT_FALSE(watch.expired());
        };
        c->clock.AdvanceSeconds(1);
        CadencerCore* raw = c->core.get();
        raw->Tick();
        EXPECT_TRUE(watch.expired());
        EXPECT_FALSE(c->timer.running);
    }
}

}  // namespace
}  // namespace cadencer::control::testing
