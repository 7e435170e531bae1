// ComputeNextRun for each kind of schedule, with the settings unchanged from one
// computation to the next (as the control computes) and from new settings; Weekly and
// Monthly with StartDate today, a year ahead and a hundred years ahead (the cost must not
// grow with the distance).
// BM_Floor is the least any next-run computation does; after the table, a summary gives
// each case's CPU time as a multiple of the floor measured in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <string>

#include "control/property_access.h"
#include "engine/next_run.h"

namespace {

using namespace cadencer;

const OleDate kNow = *Compose({2026, 12, 7, 10, 17, 33});

ScheduleSettings Base(std::int32_t kind) {
    ScheduleSettings s;
    control::ApplyNewControlDefaults(s, *CalendarDate(kNow), kNow);
    s.OccursOption = kind;
    s.StartHour = 9;
    s.StartMinute = 30;
    s.SelectionsWeekly = u"0000010";                        // Fridays
    s.SelectionsMonthly = std::u16string(30, u'0') + u"1";  // the 31st
    s.EveryFrequency = 1;
    s.EveryInterval = 15;
    s.LastScheduledTime = kNow - 0.004;
    return s;
}

// The settings stay as they are from one computation to the next, as they do in the
// control between two firings.
void Run(benchmark::State& state, ScheduleSettings s) {
    NextRunSearch search;
    for (auto _ : state) {
        OleDate next = search.ComputeNextRun(s, kNow, 0);
        benchmark::DoNotOptimize(next);
    }
}

// A computation from settings seen for the first time (a property let, the dialog's OK).
void BM_FirstComputation(benchmark::State& state, std::int32_t kind) {
    const ScheduleSettings s = Base(kind);
    for (auto _ : state) {
        OleDate next = ComputeNextRun(s, kNow, 0);
        benchmark::DoNotOptimize(next);
    }
}

// One present time split into its calendar date and time of day, and one due time (that
// date or the next at 09:30) composed back into a date value, with <chrono> alone. Not
// inlined, so that it pays a call as ComputeNextRun does.
[[gnu::noinline]] OleDate SplitAndComposeOnce(OleDate now) {
    namespace chr = std::chrono;
    constexpr double kUnixEpoch = 25569.0;  // 1970-01-01 as a date value
    constexpr chr::minutes kStart = chr::hours{9} + chr::minutes{30};
    const auto present = chr::round<chr::seconds>(chr::duration<double, chr::days::period>{now - kUnixEpoch});
    const chr::sys_days today = chr::floor<chr::days>(chr::sys_seconds{present});
    const chr::year_month_day date{today};
    const auto timeOfDay = chr::sys_seconds{present} - today;
    const chr::sys_days dueDay = chr::sys_days{date} + chr::days{timeOfDay > kStart ? 1 : 0};
    return chr::duration<double, chr::days::period>{(dueDay + kStart).time_since_epoch()}.count() + kUnixEpoch;
}

void BM_Floor(benchmark::State& state) {
    for (auto _ : state) {
        OleDate now = kNow;
        benchmark::DoNotOptimize(now);
        OleDate next = SplitAndComposeOnce(now);
        benchmark::DoNotOptimize(next);
    }
}

void BM_Never(benchmark::State& st) {
    Run(st, Base(0));
}
void BM_Daily(benchmark::State& st) {
    Run(st, Base(1));
}
void BM_Every(benchmark::State& st) {
    Run(st, Base(4));
}

void BM_DayOfPeriod(benchmark::State& st, std::int32_t kind, int yearsAhead) {
    auto s = Base(kind);
    s.StartDate = *AddYears(s.StartDate, yearsAhead);
    Run(st, s);
}

BENCHMARK(BM_Floor);
BENCHMARK(BM_Never);
BENCHMARK(BM_Daily);
BENCHMARK(BM_Every);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_StartToday, 2, 0);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_Start1YearAhead, 2, 1);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Weekly_Start100YearsAhead, 2, 100);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_StartToday, 3, 0);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_Start1YearAhead, 3, 1);
BENCHMARK_CAPTURE(BM_DayOfPeriod, Monthly_Start100YearsAhead, 3, 100);
BENCHMARK_CAPTURE(BM_FirstComputation, Daily, 1);
BENCHMARK_CAPTURE(BM_FirstComputation, Weekly, 2);
BENCHMARK_CAPTURE(BM_FirstComputation, Monthly, 3);
BENCHMARK_CAPTURE(BM_FirstComputation, Every, 4);

// The console table as usual, then one line per case: its CPU time over the floor's. With
// repetitions the medians are compared (a shared machine makes single runs noisy).
class FloorRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) continue;
            Measured& entry = Find(run.run_name.str());
            if (median || !entry.median) entry = {entry.name, run.GetAdjustedCPUTime(), median};
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const Measured& floor = Find("BM_Floor");
        if (floor.cpuTime <= 0) return;
        double worstKept = 0, worstFirst = 0;
        std::printf("\nComputeNextRun CPU time as a multiple of the floor (%.1f ns):\n", floor.cpuTime);
        for (const auto& entry : measured_) {
            if (&entry == &floor) continue;
            const double ratio = entry.cpuTime / floor.cpuTime;
            double& worst = entry.name.starts_with("BM_FirstComputation") ? worstFirst : worstKept;
            worst = std::max(worst, ratio);
            std::printf("  %-45s %5.1fx\n", entry.name.c_str(), ratio);
        }
        std::printf("ComputeNextRun worst case: %.1fx the floor with the settings unchanged, %.1fx for new settings\n",
                    worstKept, worstFirst);
    }

private:
    struct Measured {
        std::string name;
        double cpuTime = 0;
        bool median = false;
    };

    Measured& Find(const std::string& name) {
        for (auto& entry : measured_)
            if (entry.name == name) return entry;
        return measured_.emplace_back(Measured{name});
    }

    std::deque<Measured> measured_;  // stable addresses, in the order of the table
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    FloorRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
