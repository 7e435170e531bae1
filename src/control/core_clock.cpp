// The tick's answer to a clock that is set back while the control runs (a correction after a
// wrong setting, a time service, a machine that woke with a wrong clock). The timer window
// receives no notice of it, so the tick notices by itself, in UTC: a daylight-saving change
// moves local time but not UTC, and is left to the schedule as it stands.
//
// A next time stays right for any later present (schedules only move forward), so the clock
// running on, or jumping forward, needs nothing: a due time in the past fires at the first
// tick and the next one is computed from the present. A present earlier than the one the
// next time was computed from can leave it up to a year (or more) ahead; so the next time is
// computed again from the present. Setbacks under a minute (a time service's corrections)
// change nothing, so they never repeat what just ran.
#include "control/cadencer_core.h"

namespace cadencer::control {

namespace {

constexpr double kSetBackTolerance = 60.0 / 86400.0;  // a minute, in days
constexpr std::uint64_t kRealMinuteMs = 60 * 1000;    // no two firings closer than this after a setback

}  // namespace

bool CadencerCore::ClockSetBack() const {
    return clock_ && computedAtUtc_ && clock_->UtcNow() < *computedAtUtc_ - kSetBackTolerance;
}

void CadencerCore::FollowSetBackClock() {
    // Whatever happens below, the next time is computed from this present.
    computedAtUtc_.reset();
    const auto self = weak_from_this().lock();
    const OleDate now = Now();
    // An Every schedule counts from its last run: one that now lies ahead comes back to the
    // present minute, announced as the property's let announces it (the host may react).
    const OleDate last = SharedSettings().LastScheduledTime;
    if (SharedSettings().OccursOption == static_cast<std::int32_t>(Occurs::Every) && last > now) {
        SetLastScheduledTime(TruncateToMinute(now));
        if (terminated_ || !own_.Enabled) return;
    }
    Recompute(1);
    // The present minute counts as past, so nothing fires in it; and a firing just before the
    // setback is not repeated within one real minute of it.
    if (firedAtMs_ && clock_->ElapsedMilliseconds() - *firedAtMs_ < kRealMinuteMs)
        holdUntilMs_ = *firedAtMs_ + kRealMinuteMs;
}

bool CadencerCore::HeldAfterSetBack() {
    if (!holdUntilMs_) return false;
    if (clock_ && clock_->ElapsedMilliseconds() < *holdUntilMs_) return true;
    holdUntilMs_.reset();
    return false;
}

}  // namespace cadencer::control
