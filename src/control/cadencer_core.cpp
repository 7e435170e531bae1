// The control's runtime rules: the run-time gate, the clock tick, Execute and Reset, the
// dialog callbacks, and what ends every let (Changed) and the lets with behaviour of their
// own. The other lets are generated from the property table (cadencer_core.h).
#include "control/cadencer_core.h"

#include "engine/next_run.h"

namespace cadencer::control {

std::shared_ptr<CadencerCore> CadencerCore::Create(const CorePorts& ports) {
    return std::shared_ptr<CadencerCore>(new CadencerCore(ports));
}

CadencerCore::CadencerCore(const CorePorts& ports)
    : clock_(ports.clock), site_(ports.site), timer_(ports.timer), defaultIcon_(ports.defaultIcon) {
    ApplyInstanceDefaults(own_, ports.defaultIcon);
    const OleDate now = Now();
    creationDay_ = CalendarDate(now).value_or(kZeroDate);
    // The focus gate follows the dialog being shown; a control created while another
    // control's dialog is open must not take SetFocus away from it.
    auto& shared = SharedSchedule::Instance();
    shared.StartWithNewControlDefaults(creationDay_, now);
    if (!shared.Dialog() || !shared.Dialog()->IsLoaded()) shared.Settings().SchedulerFocusFlag = false;
}

CadencerCore::~CadencerCore() {
    Terminate();
}

OleDate CadencerCore::Now() {
    return clock_ ? clock_->Now() : kZeroDate;
}

bool CadencerCore::UserMode() {
    if (!site_) return true;
    return site_->AmbientUserMode().value_or(true);
}

bool CadencerCore::GateOpen() {
    return !terminated_ && own_.Enabled && UserMode();
}

void CadencerCore::Notify(std::u16string_view name) {
    if (!terminated_ && site_) site_->PropertyChanged(name);
}

void CadencerCore::Changed(const PropertyRow& row) {
    // A schedule changed after a setback of the clock is a new start: no firing is held for it.
    if (row.let == LetEffect::Recompute || row.let == LetEffect::RecomputeIfEvery) holdUntilMs_.reset();
    switch (row.let) {
        case LetEffect::Recompute:
            if (GateOpen()) Recompute(0);
            break;
        case LetEffect::RecomputeIfEvery:
            if (SharedSettings().OccursOption == static_cast<std::int32_t>(Occurs::Every) && GateOpen()) Recompute(0);
            break;
        case LetEffect::None:
        case LetEffect::SwitchesClock:  // the Enabled let has switched the clock itself
            break;
    }
    Notify(row.name);
}

void CadencerCore::Recompute(std::int16_t offsetMinutes) {
    nextScheduledTime_ = nextRunSearch_.ComputeNextRun(SharedSettings(), Now(), offsetMinutes);
    if (clock_) computedAtUtc_ = clock_->UtcNow();
}

bool CadencerCore::DueAt(OleDate now) const {
    const auto minutes = MinuteDiff(now, nextScheduledTime_);
    if (!minutes || *minutes > 0) return false;
    return !IsNeverMarker(nextScheduledTime_, now);
}

void CadencerCore::Tick() {
    if (terminated_) return;
    if (!own_.Enabled) {
        if (timer_) timer_->Stop();
        return;
    }
    // The ambient query (a round trip to the container) is made only when the next time is
    // due or the clock was set back, so an idle tick makes none; the order changes nothing
    // the host can observe.
    if (ClockSetBack() && UserMode()) {
        FollowSetBackClock();
        if (terminated_ || !own_.Enabled) return;
    }
    if (DueAt(Now()) && !HeldAfterSetBack() && UserMode()) Execute();
}

void CadencerCore::Execute() {
    if (!GateOpen()) return;
    const OleDate now = Now();
    if (clock_) firedAtMs_ = clock_->ElapsedMilliseconds();
    SharedSettings().LastScheduledTime = TruncateToMinute(now);
    Recompute(1);
    // The host's handler may disable, re-enable or destroy the control, or open the
    // dialog: keep the core alive across it and touch nothing afterwards.
    const auto self = weak_from_this().lock();
    OleDate dateTime = now;
    if (site_) site_->RaiseScheduledTime(dateTime);
}

void CadencerCore::Reset() {
    if (!GateOpen()) return;
    SharedSettings().LastScheduledTime = TruncateToMinute(Now());
    Recompute(1);
}

void CadencerCore::FlagScheduleChanged() {
    if (!GateOpen()) return;
    Recompute(0);
    const auto self = weak_from_this().lock();
    if (site_) site_->RaiseScheduleChanged();
}

void CadencerCore::FlagSchedulerClosed() {
    if (!GateOpen()) return;
    const auto self = weak_from_this().lock();
    if (site_) site_->RaiseSchedulerClosed();
}

void CadencerCore::FlagHelpButton() {
    if (!GateOpen()) return;
    const auto self = weak_from_this().lock();
    if (site_) site_->RaiseHelpButtonClicked();
}

void CadencerCore::ApplyEnabled(bool value, bool notify) {
    if (terminated_) return;
    const auto self = weak_from_this().lock();
    own_.Enabled = value;
    if (value) {
        Recompute(1);
    } else if (auto* dialog = SharedSchedule::Instance().Dialog()) {
        // Stored first, so that the dialog's closing report finds this control disabled.
        // The unloading may run other controls' host handlers, which may destroy this one.
        dialog->Unload();
        if (terminated_) return;
    }
    if (timer_) {
        // The dialog's unloading may have changed the flag again: the timer follows the flag.
        if (own_.Enabled)
            timer_->Start();
        else
            timer_->Stop();
    }
    if (notify) Changed(Property(u"Enabled"));
}

void CadencerCore::SetEnabled(bool value) {
    ApplyEnabled(value, true);
}

OleDate CadencerCore::NextScheduledTime() {
    return GateOpen() ? nextScheduledTime_ : kZeroDate;
}

OleDate CadencerCore::LastScheduledTime() {
    return GateOpen() ? SharedSettings().LastScheduledTime : kZeroDate;
}

void CadencerCore::SetLastScheduledTime(OleDate value) {
    Let(Property(u"LastScheduledTime"), value);
}

ObjectRef CadencerCore::Icon() const {
    return own_.Icon ? own_.Icon : defaultIcon_;
}

void CadencerCore::SetIcon(const ObjectRef& picture) {
    Let(Property(u"Icon"), picture);
}

}  // namespace cadencer::control
