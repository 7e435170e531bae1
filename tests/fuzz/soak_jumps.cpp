// cadencer_soak --jump CASE --rc FILE: the real cadencer.ocx in a host whose wall clock is set
// while it runs. libfaketime (started by tests/fuzz/soak_jumps.sh) reads the clock's offset
// from FILE at every reading; the host writes it, so it jumps the clock exactly when the
// case needs: after a firing, or a few seconds before a minute or a daylight-saving change.
// Real time (GetTickCount64) is left alone. After each jump the control's times are checked
// against the engine's answer for the new present.
//
//   forward     a sleep: five hours ahead; the missed Daily fires once, then counts from now
//   back-hour   Every minute fired, the clock goes back an hour: the next firing comes after
//               one real minute, from the present minute
//   year        Every hour and Daily: a year ahead (one firing), corrected back: the next
//               time lies no further ahead than the schedule's period
//   dst-every   Europe/Berlin, daylight saving ends under an Every minute schedule: UTC did
//               not move back, so nothing is recomputed
//   dst-daily   the same under a Daily 02:00 that fired at 02:00 summer time: no second firing
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "soak_support.h"

namespace cadencer_soak {
namespace {

constexpr long long kYear = 365LL * 86400;
constexpr double kSecond = 1.0 / 86400;

class Jumper {
public:
    explicit Jumper(std::string rcPath) : path_(std::move(rcPath)) {}
    // Moves the clock by seconds (from the offset it has now). The file is replaced whole, so
    // the clock is never read from a half-written one.
    bool Move(long long seconds) {
        offset_ += seconds;
        const std::string temporary = path_ + ".new";
        FILE* file = std::fopen(temporary.c_str(), "w");
        if (!file) return false;
        std::fprintf(file, "%+lld\n", offset_);
        std::fclose(file);
        const bool moved = MoveFileExA(temporary.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
        std::printf("clock moved by %+lld s to %s\n", seconds, Text(LocalNow()).c_str());
        return moved;
    }

private:
    std::string path_;
    long long offset_ = 0;
};

class JumpCase {
public:
    JumpCase(_Cadencer* control, Sink& sink, Jumper& jumper) : c_(control), sink_(sink), jumper_(jumper) {}

    int faults = 0;
    void Fault(const std::string& what) {
        ++faults;
        std::printf("CLOCK FAULT: %s\n", what.c_str());
    }

    // Pumps messages until the condition holds or the real time runs out.
    bool PumpUntil(const std::function<bool()>& done, DWORD limitMs) {
        const ULONGLONG end = GetTickCount64() + limitMs;
        while (!done()) {
            Doing("clock case: pumping");
            if (GetTickCount64() >= end) return false;
            PumpMessages(50);
        }
        return true;
    }
    void Pump(DWORD ms) {
        PumpUntil([] { return false; }, ms);
    }

    bool WaitForFirings(std::size_t count, DWORD limitMs) {
        if (PumpUntil([&] { return sink_.firings.size() >= count; }, limitMs)) return true;
        Fault("expected " + std::to_string(count) + " firings, saw " + std::to_string(sink_.firings.size()));
        return false;
    }

    // A firing recorded LastScheduledTime and NextScheduledTime as the engine says.
    void CheckFiring(std::size_t index) {
        const Firing& f = sink_.firings.at(index);
        if (f.last != cadencer::TruncateToMinute(f.at)) Fault("fired at " + Text(f.at) + " with last " + Text(f.last));
        cadencer::ScheduleSettings s = SettingsOf(c_);
        s.LastScheduledTime = f.last;
        const OleDate expected = cadencer::ComputeNextRun(s, f.at, 1);
        if (f.next != expected)
            Fault("fired at " + Text(f.at) + ": next " + Text(f.next) + ", engine " + Text(expected));
    }

    // The control's next time equals the engine's for the present (offset 1: the present
    // minute counts as past, as after enabling) and lies no further ahead than maxAhead.
    void CheckNext(double maxAheadDays) {
        const OleDate before = LocalNow();
        DATE next = 0;
        c_->get_NextScheduledTime(&next);
        const OleDate after = LocalNow();
        const cadencer::ScheduleSettings s = SettingsOf(c_);
        const OleDate a = cadencer::ComputeNextRun(s, before, 1), b = cadencer::ComputeNextRun(s, after, 1);
        if (next != a && next != b) Fault("at " + Text(after) + ": next " + Text(next) + ", engine " + Text(a));
        if (next - after > maxAheadDays + kSecond)
            Fault("at " + Text(after) + ": next " + Text(next) + " lies beyond the schedule's period");
        std::printf("at %s: next %s\n", Text(after).c_str(), Text(next).c_str());
    }

    OleDate Last() {
        DATE last = 0;
        c_->get_LastScheduledTime(&last);
        return last;
    }

    // Moves the clock so that the next minute begins in `seconds` seconds.
    void BeforeNextMinute(int seconds) {
        const auto f = cadencer::Decompose(LocalNow());
        jumper_.Move(60 - f->second - seconds);
    }

    // Brings the clock to `seconds` before a UTC instant (seconds since 1970).
    void Before(long long epoch, int seconds) { jumper_.Move(epoch - seconds - EpochNow()); }

    void SetEvery(int interval, EveryType unit) {
        c_->put_EveryFrequency(unit);
        c_->put_EveryInterval(static_cast<SHORT>(interval));
        Occurs every = Every;
        c_->put_OccursOption(&every);
    }
    void SetDaily(int hour, int minute) {
        c_->put_StartHour(static_cast<SHORT>(hour));
        c_->put_StartMinute(static_cast<SHORT>(minute));
        Occurs daily = Daily;
        c_->put_OccursOption(&daily);
    }

    _Cadencer* c_;
    Sink& sink_;
    Jumper& jumper_;
};

void Forward(JumpCase& k) {
    // Daily two minutes from now: not due yet, then the machine sleeps for five hours.
    const auto due = cadencer::Decompose(cadencer::AddMinutes(LocalNow(), 2).value());
    k.SetDaily(due->hour, due->minute);
    k.CheckNext(1);
    k.jumper_.Move(5 * 3600);
    if (!k.WaitForFirings(1, 5000)) return;
    k.CheckFiring(0);
    k.Pump(3000);
    if (k.sink_.firings.size() != 1) k.Fault("the missed time fired more than once");
    k.CheckNext(1);
}

void BackAnHour(JumpCase& k) {
    k.BeforeNextMinute(4);
    k.SetEvery(1, Minutes);
    if (!k.WaitForFirings(1, 8000)) return;
    k.CheckFiring(0);
    const ULONGLONG first = k.sink_.firings[0].ms;
    k.Pump(2000);
    k.jumper_.Move(-3600);
    // The tick notices by itself: LastScheduledTime comes back to the present minute.
    if (!k.PumpUntil([&] { return k.Last() <= LocalNow(); }, 4000))
        k.Fault("LastScheduledTime " + Text(k.Last()) + " still lies ahead of " + Text(LocalNow()));
    if (k.Last() != cadencer::TruncateToMinute(LocalNow()) &&
        k.Last() != cadencer::TruncateToMinute(LocalNow() - 2 * kSecond))
        k.Fault("LastScheduledTime " + Text(k.Last()) + " is not the present minute");
    k.CheckNext(1.0 / 1440);
    // Nothing twice within one real minute; the next firing comes at the next minute.
    k.PumpUntil([&] { return GetTickCount64() >= first + 63000; }, 65000);
    if (k.sink_.firings.size() != 2) {
        k.Fault("expected one firing in the minute after the setback, saw " +
                std::to_string(k.sink_.firings.size() - 1));
        return;
    }
    // The handler reads the tick count a moment after the control did.
    const ULONGLONG gap = k.sink_.firings[1].ms - first;
    std::printf("real time between the two firings: %llu ms\n", static_cast<unsigned long long>(gap));
    if (gap < 59900) k.Fault("fired again after " + std::to_string(gap) + " ms of real time");
    k.CheckFiring(1);
}

// A year ahead (the missed time fires once), then corrected: at most one period to wait.
void YearAheadAndBack(JumpCase& k, double periodDays) {
    const std::size_t before = k.sink_.firings.size();
    k.jumper_.Move(kYear);
    if (!k.WaitForFirings(before + 1, 5000)) return;
    k.CheckFiring(before);
    k.CheckNext(periodDays);
    k.Pump(1500);
    k.jumper_.Move(-kYear);
    k.Pump(2500);
    k.CheckNext(periodDays);
    if (k.sink_.firings.size() != before + 1) k.Fault("fired again after the correction");
}

void Year(JumpCase& k) {
    k.SetEvery(1, Hours);
    k.c_->put_LastScheduledTime(cadencer::TruncateToMinute(LocalNow()));
    YearAheadAndBack(k, 1.0 / 24);
    // An Every schedule's last time came back to the present minute.
    if (k.Last() > LocalNow()) k.Fault("LastScheduledTime " + Text(k.Last()) + " still lies ahead");
    const auto at = cadencer::Decompose(cadencer::AddMinutes(LocalNow(), 30).value());
    k.SetDaily(at->hour, at->minute);
    YearAheadAndBack(k, 1);
}

// Daylight saving ends in Berlin on 31 October 2027 at 01:00 UTC (03:00 summer time).
constexpr long long kFallBack = 1824944400;

void DstEvery(JumpCase& k) {
    k.Before(kFallBack, 64);
    k.SetEvery(1, Minutes);  // due at 02:59 summer time
    if (!k.WaitForFirings(1, 10000)) return;
    k.CheckFiring(0);
    const OleDate last = k.Last();
    k.Before(kFallBack, 4);
    k.PumpUntil([] { return EpochNow() >= kFallBack + 4; }, 10000);
    // Local time went back an hour, UTC did not: the schedule stands as it was.
    if (k.Last() != last) k.Fault("LastScheduledTime moved from " + Text(last) + " to " + Text(k.Last()));
    k.CheckNext(1.0 / 24 + 1.0 / 1440);
    if (k.sink_.firings.size() != 1) k.Fault("fired again after the change");
}

void DstDaily(JumpCase& k) {
    k.Before(kFallBack - 3600, 8);
    k.SetDaily(2, 0);
    if (!k.WaitForFirings(1, 12000)) return;
    k.CheckFiring(0);
    k.Before(kFallBack, 4);
    k.PumpUntil([] { return EpochNow() >= kFallBack + 5; }, 10000);
    k.CheckNext(1);
    if (k.sink_.firings.size() != 1) k.Fault("02:00 fired again in winter time");
}

}  // namespace

int RunClockJump(const std::string& name, const std::string& rcPath) {
    ComPtr<IUnknown> unknown = NewControlInUserMode();
    ComPtr<_Cadencer> c;
    if (!unknown || FAILED(unknown.As(&c))) {
        std::printf("CLOCK FAULT: no control\n");
        return 1;
    }
    Sink sink;
    sink.control = c.Get();
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    c.As(&container);
    container->FindConnectionPoint(DIID___Cadencer, &point);
    point->Advise(&sink, &cookie);
    Jumper jumper(rcPath);
    JumpCase k(c.Get(), sink, jumper);
    std::printf("%s: start %s\n", name.c_str(), Text(LocalNow()).c_str());
    const ULONGLONG began = GetTickCount64();
    if (name == "forward")
        Forward(k);
    else if (name == "back-hour")
        BackAnHour(k);
    else if (name == "year")
        Year(k);
    else if (name == "dst-every")
        DstEvery(k);
    else if (name == "dst-daily")
        DstDaily(k);
    else
        k.Fault("unknown case " + name);
    point->Unadvise(cookie);
    std::printf("%s: %zu firings, %.1f s: %s\n", name.c_str(), sink.firings.size(), (GetTickCount64() - began) / 1000.0,
                k.faults ? "CLOCK FAILED" : "CLOCK OK");
    return k.faults ? 1 : 0;
}

}  // namespace cadencer_soak
