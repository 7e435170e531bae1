// cadencer_soak: one host process running the real cadencer.ocx across a hard moment of
// the calendar, its clock faked (libfaketime, started by tests/fuzz/soak_moments.sh). It
// sets one schedule, pumps messages across the moment, records every
// ScheduledTime with LastScheduledTime and NextScheduledTime read in the handler, and
// checks them against the engine: every due minute fires exactly once, within that
// minute, with the times the engine computes, and nothing due is left unfired.
//
//   cadencer_soak --kind every|daily|weekly|monthly|neverrun [--at HH:MM] --setup EPOCH --until EPOCH
//                 [--tick SECONDS]
//   cadencer_soak --probe SECONDS      prints the local time and the timer's ticks (0: warm-up only)
//   cadencer_soak --jump CASE --rc FILE   the clock set while the control runs (soak_jumps.cpp)
//
// The process idles until the (faked) clock reaches --setup, seconds since 1970 in UTC
// (a Wine process takes a while to start, and the faked clock runs meanwhile), then sets
// the schedule and watches until --until. --tick is how much faked time may pass between
// two timer ticks (1 at normal speed, more when the faked clock runs faster).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "soak_support.h"

using namespace cadencer_soak;
using cadencer::OleDate;

namespace {

int Probe(int seconds) {
    // A window first: the prefix's desktop process starts now if it is not running yet,
    // from an unfaked process.
    DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    static int ticks = 0;
    SetTimer(nullptr, 0, 1000, [](HWND, UINT, UINT_PTR, DWORD) WINAPI { ++ticks; });
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    while (GetTickCount64() < end) {
        PumpMessages(1000);
        std::printf("%s ticks %d tickcount %llu\n", Text(LocalNow()).c_str(), ticks,
                    static_cast<unsigned long long>(GetTickCount64()));
    }
    return 0;
}

constexpr int kStartedLate = 75;

int Fail(const std::string& what) {
    std::printf("SOAK FAULT: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::string kind, at, jump, rcPath;
    long long setupAt = 0, until = 0;
    int probe = -1;
    double tick = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--kind")) kind = argv[i + 1];
        if (!std::strcmp(argv[i], "--at")) at = argv[i + 1];
        if (!std::strcmp(argv[i], "--setup")) setupAt = std::atoll(argv[i + 1]);
        if (!std::strcmp(argv[i], "--until")) until = std::atoll(argv[i + 1]);
        if (!std::strcmp(argv[i], "--tick")) tick = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--probe")) probe = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--jump")) jump = argv[i + 1];
        if (!std::strcmp(argv[i], "--rc")) rcPath = argv[i + 1];
    }
    if (probe >= 0 && kind.empty() && jump.empty()) return Probe(probe);
    InstallGuards(60000);
    if (FAILED(OleInitialize(nullptr)) || !LoadOcx()) return Fail("cannot load cadencer.ocx");
    if (!jump.empty()) return RunClockJump(jump, rcPath);

    if (EpochNow() > setupAt) {
        // Not the control's fault: the caller may run it again with the machine less busy.
        std::printf("SOAK LATE: the host started %lld faked seconds after its setup time\n", EpochNow() - setupAt);
        return kStartedLate;
    }
    while (EpochNow() < setupAt) {
        Doing("waiting for the setup time");
        PumpMessages(100);
    }
    const OleDate start = LocalNow();
    std::printf("%s%s%s: start %s, watching for %lld s\n", kind.c_str(), at.empty() ? "" : " at ", at.c_str(),
                Text(start).c_str(), until - setupAt);
    ComPtr<IUnknown> unknown = NewControlInUserMode();
    ComPtr<_Cadencer> c;
    if (!unknown || FAILED(unknown.As(&c))) return Fail("no control");
    Sink sink;
    sink.control = c.Get();
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    c.As(&container);
    container->FindConnectionPoint(DIID___Cadencer, &point);
    point->Advise(&sink, &cookie);

    // The schedule: at the minute after the start, or at the day's start.
    const auto first = cadencer::Decompose(cadencer::AddMinutes(cadencer::TruncateToMinute(start), 1).value());
    const int weekday = cadencer::Weekday(start).value();  // Sunday = 1
    Occurs occurs = Never;
    if (kind == "every" || kind == "neverrun") {
        c->put_EveryFrequency(kind == "every" ? Minutes : Hours);
        c->put_EveryInterval(kind == "every" ? 1 : 2);
        occurs = Every;
    } else if (kind == "daily" || kind == "monthly") {
        // At the next minute, or at a given time of day (one a daylight-saving change skips or repeats).
        c->put_StartHour(static_cast<SHORT>(at.empty() ? first->hour : std::atoi(at.c_str())));
        c->put_StartMinute(static_cast<SHORT>(at.empty() ? first->minute : std::atoi(at.c_str() + 3)));
        if (kind == "monthly") PutText(c.Get(), &_Cadencer::put_SelectionsMonthly, std::wstring(28, L'0') + L"111");
        occurs = kind == "daily" ? Daily : Monthly;
    } else if (kind == "weekly") {
        std::wstring days(7, L'0');
        days[weekday - 1] = L'1';
        days[weekday % 7] = L'1';
        PutText(c.Get(), &_Cadencer::put_SelectionsWeekly, days);
        c->put_StartHour(0);
        c->put_StartMinute(0);
        occurs = Weekly;
    } else {
        return Fail("unknown kind " + kind);
    }
    c->put_OccursOption(&occurs);
    const OleDate setAt = LocalNow();
    DATE due = 0;
    c->get_NextScheduledTime(&due);
    // The let recomputed with offset 0 at setAt (or a second before, across a boundary).
    const cadencer::ScheduleSettings initial = SettingsOf(c.Get());
    const OleDate expectedFirst = cadencer::ComputeNextRun(initial, setAt, 0);
    if (due != expectedFirst && due != cadencer::ComputeNextRun(initial, start, 0))
        return Fail("first next time " + Text(due) + ", the engine says " + Text(expectedFirst));
    std::printf("first due %s\n", Text(due).c_str());

    // Pump until the end, watching the clock; a never-run Every schedule has
    // its interval set again every so often, so the never marker is read across the moment.
    OleDate previous = start, lastReset = start;
    double largestStep = 0;
    std::size_t checked = 0;
    int faults = 0;
    auto fault = [&](const std::string& what) {
        ++faults;
        std::printf("SOAK FAULT: %s\n", what.c_str());
    };
    for (;;) {
        Doing("watching %s", kind.c_str());
        PumpMessages(100);
        const OleDate now = LocalNow();
        const double step = (now - previous) * 86400.0;
        if (std::fabs(step) > largestStep) largestStep = std::fabs(step);
        previous = now;
        for (; checked < sink.firings.size(); ++checked) {
            const Firing& f = sink.firings[checked];
            if (f.last != cadencer::TruncateToMinute(f.at))
                fault("fired at " + Text(f.at) + " with last " + Text(f.last));
            cadencer::ScheduleSettings s = SettingsOf(c.Get());
            s.LastScheduledTime = f.last;
            const OleDate expected = cadencer::ComputeNextRun(s, f.at, 1);
            if (f.next != expected)
                fault("fired at " + Text(f.at) + ": next " + Text(f.next) + ", the engine says " + Text(expected));
            // Exactly once, within its due minute (a clock that jumped past it fires at the
            // first tick after the jump).
            const double late = (f.at - due) * 86400.0;
            if (late < -0.5) fault("fired at " + Text(f.at) + " before its due time " + Text(due));
            if (late >= 60.0 && late > largestStep + 2 * tick)
                fault("fired at " + Text(f.at) + ", after the minute it was due in: " + Text(due));
            due = f.next;
        }
        if (kind == "neverrun" && (now - lastReset) * 86400.0 >= 20) {
            lastReset = now;
            c->put_EveryInterval(2);
            DATE next = 0, last = 0;
            c->get_NextScheduledTime(&next);
            c->get_LastScheduledTime(&last);
            cadencer::ScheduleSettings s = SettingsOf(c.Get());
            const OleDate a = cadencer::ComputeNextRun(s, now, 0), b = cadencer::ComputeNextRun(s, LocalNow(), 0);
            if (!cadencer::IsNeverMarker(last, now)) fault("never-run marker not recognised at " + Text(now));
            if (next != a && next != b)
                fault("never run at " + Text(now) + ": next " + Text(next) + ", engine " + Text(a));
            due = next;
        }
        if (EpochNow() >= until) break;
    }
    // Nothing due may be left unfired.
    const OleDate now = LocalNow();
    if (!cadencer::IsNeverMarker(due, now) && due <= now && (now - due) * 86400.0 >= 60.0)
        fault("due " + Text(due) + " never fired (now " + Text(now) + ")");
    std::printf("%s: %zu firings, largest clock step %.1f s, end %s: %s\n", kind.c_str(), sink.firings.size(),
                largestStep, Text(now).c_str(), faults ? "SOAK FAILED" : "SOAK OK");
    point->Unadvise(cookie);
    return faults ? 1 : 0;
}
