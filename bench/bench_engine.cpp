// ComputeNextRun for each kind of schedule; Weekly and Monthly with StartDate today,
// a year ahead and a hundred years ahead (the cost must not grow with the distance).
#include <benchmark/benchmark.h>

#include "engine/next_run.h"

namespace {

using namespace cadencer;

const OleDate kNow = *Compose({2026, 12, 7, 10, 17, 33});

ScheduleSettings Base(std::int32_t kind) {
    ScheduleSettings s;
    ApplyNewControlDefaults(s, *CalendarDate(kNow), kNow);
    s.OccursOption = kind;
    s.StartHour = 9;
    s.StartMinute = 30;
    s.SelectionsWeekly = u"0000010";                         // Fridays
    s.SelectionsMonthly = std::u16string(30, u'0') + u"1";  // the 31st
    s.EveryFrequency = 1;
    s.EveryInterval = 15;
    s.LastScheduledTime = kNow - 0.004;
    return s;
}

void Run(benchmark::State& state, ScheduleSettings s) {
    for (auto _ : state) {
        OleDate next = ComputeNextRun(s, kNow, 0);
        benchmark::DoNotOptimize(next);
    }
}

void BM_Never(benchmark::State& st) { Run(st, Base(0)); }
void BM_Daily(benchmark::State& st) { Run(st, Base(1)); }
void BM_Every(benchmark::State& st) { Run(st, Base(4)); }

void BM_DayOfPeriod(benchmark::State& st, std::int32_t kind, int yearsAhead) {
    auto s = Base(kind);
    s.StartDate = *AddYears(s.StartDate, yearsAhead);
    Run(st, s);
}

BENCHMARK(BM_Never);
BENCHMARK(BM_Daily);
BENCHMARK(BM_Every);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_StartToday, 2, 0);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_Start1YearAhead, 2, 1);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_Start100YearsAhead, 2, 100);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_StartToday, 3, 0);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_Start1YearAhead, 3, 1);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_Start100YearsAhead, 3, 100);

}  // namespace

BENCHMARK_MAIN();
