// The control core's recurring costs: one clock tick when nothing is due (paid every
// second for the life of the host) and one Execute (a firing: last time, next time, event).
#include <benchmark/benchmark.h>

#include "control/cadencer_core.h"
#include "engine/ole_date.h"

namespace {

using namespace cadencer;
using namespace cadencer::control;

struct BenchClock : Clock {
    OleDate now = 0;
    OleDate Now() override { return now; }
    OleDate UtcNow() override { return now; }
    std::uint64_t ElapsedMilliseconds() override { return 0; }
};

struct BenchSite : Site {
    std::int64_t events = 0;
    std::optional<bool> AmbientUserMode() override { return true; }
    void PropertyChanged(std::u16string_view) override {}
    void RaiseHelpButtonClicked() override { ++events; }
    void RaiseScheduleChanged() override { ++events; }
    void RaiseSchedulerClosed() override { ++events; }
    void RaiseScheduledTime(OleDate& t) override {
        benchmark::DoNotOptimize(t);
        ++events;
    }
};

struct BenchTimer : Timer {
    void Start() override {}
    void Stop() override {}
};

struct Fixture {
    BenchClock clock;
    BenchSite site;
    BenchTimer timer;
    std::shared_ptr<CadencerCore> core;

    explicit Fixture(std::int32_t occurs) {
        SharedSchedule::Instance().ResetForTests();
        clock.now = *Compose({2026, 3, 10, 9, 0, 0});
        core = CadencerCore::Create({&clock, &site, &timer, nullptr});
        core->InitNew();
        core->SetOccursOption(occurs);
        core->SetStartHour(10);
        core->SetSelectionsWeekly(u"0100000");
        core->SetEnabled(true);
    }
    ~Fixture() { core->Terminate(); }
};

// Ticks during the hour before a Daily/Weekly 10:00 run, and with a Never schedule
// (whose next time is the never marker, 50 years back).
void BM_TickNothingDue(benchmark::State& state) {
    Fixture f(static_cast<std::int32_t>(state.range(0)));
    const OleDate base = f.clock.now;
    std::int64_t second = 0;
    for (auto _ : state) {
        f.clock.now = base + static_cast<double>(second++ % 3600) / 86400.0;
        f.core->Tick();
    }
    if (f.site.events != 0) state.SkipWithError("a tick fired");
}
BENCHMARK(BM_TickNothingDue)->Arg(0)->Arg(1)->Arg(2)->ArgName("occurs");

void BM_Execute(benchmark::State& state) {
    Fixture f(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) f.core->Execute();
    benchmark::DoNotOptimize(f.site.events);
}
BENCHMARK(BM_Execute)->Arg(1)->Arg(2)->Arg(4)->ArgName("occurs");

}  // namespace

BENCHMARK_MAIN();
