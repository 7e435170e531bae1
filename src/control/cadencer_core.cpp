// The control's runtime and property rules: the run-time gate, the clock tick, Execute
// and Reset, the dialog callbacks, and every property let with its correction.
#include "control/cadencer_core.h"

#include "engine/next_run.h"

namespace cadencer::control {

namespace {

constexpr std::int16_t kLimitCap = 999;

std::int16_t CapLimit(std::int16_t value) {
    return value > kLimitCap ? kLimitCap : value;
}

std::u16string OrDefault(std::u16string_view value, std::u16string_view fallback) {
    return std::u16string(value.empty() ? fallback : value);
}

}  // namespace

std::shared_ptr<CadencerCore> CadencerCore::Create(const CorePorts& ports) {
    return std::shared_ptr<CadencerCore>(new CadencerCore(ports));
}

CadencerCore::CadencerCore(const CorePorts& ports)
    : clock_(ports.clock), site_(ports.site), timer_(ports.timer), defaultIcon_(ports.defaultIcon) {
    own_.Icon = ports.defaultIcon;
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
    SharedSettings().LastScheduledTime = value;
    Changed(Property(u"LastScheduledTime"));
}

// Per-instance properties: stored as given (or corrected) and reported; they never
// change the schedule.
void CadencerCore::SetModal(bool value) {
    own_.Modal = value;
    Changed(Property(u"Modal"));
}

void CadencerCore::SetShowHelpButton(bool value) {
    own_.ShowHelpButton = value;
    Changed(Property(u"ShowHelpButton"));
}

void CadencerCore::SetStartUpPosition(std::int32_t value) {
    own_.StartUpPosition = value;
    Changed(Property(u"StartUpPosition"));
}

void CadencerCore::SetStartUpLeft(std::int32_t value) {
    own_.StartUpLeft = value;
    Changed(Property(u"StartUpLeft"));
}

void CadencerCore::SetStartUpTop(std::int32_t value) {
    own_.StartUpTop = value;
    Changed(Property(u"StartUpTop"));
}

void CadencerCore::SetCaptionHelpButton(std::u16string_view value) {
    own_.CaptionHelpButton = OrDefault(value, defaults::kCaptionHelp);
    Changed(Property(u"CaptionHelpButton"));
}

ObjectRef CadencerCore::Icon() const {
    return own_.Icon ? own_.Icon : defaultIcon_;
}

void CadencerCore::SetIcon(const ObjectRef& picture) {
    own_.Icon = (picture && picture->Handle() != 0) ? picture : defaultIcon_;
    Changed(Property(u"Icon"));
}

// Shared texts: stored in the schedule record, never recomputing.
std::u16string CadencerCore::Title() const {
    return SharedSettings().Title;
}
void CadencerCore::SetTitle(std::u16string_view value) {
    SharedSettings().Title = OrDefault(value, defaults::kTitle);
    Changed(Property(u"Title"));
}

std::u16string CadencerCore::CaptionOKButtonBefore() const {
    return SharedSettings().CaptionOKButtonBefore;
}
void CadencerCore::SetCaptionOKButtonBefore(std::u16string_view value) {
    SharedSettings().CaptionOKButtonBefore = OrDefault(value, defaults::kCaptionOK);
    Changed(Property(u"CaptionOKButtonBefore"));
}

std::u16string CadencerCore::CaptionOKButtonAfter() const {
    return SharedSettings().CaptionOKButtonAfter;
}
void CadencerCore::SetCaptionOKButtonAfter(std::u16string_view value) {
    SharedSettings().CaptionOKButtonAfter = OrDefault(value, defaults::kCaptionOK);
    Changed(Property(u"CaptionOKButtonAfter"));
}

std::u16string CadencerCore::CaptionCloseButtonBefore() const {
    return SharedSettings().CaptionCloseButtonBefore;
}
void CadencerCore::SetCaptionCloseButtonBefore(std::u16string_view value) {
    SharedSettings().CaptionCloseButtonBefore = OrDefault(value, defaults::kCaptionCloseBefore);
    Changed(Property(u"CaptionCloseButtonBefore"));
}

std::u16string CadencerCore::CaptionCloseButtonAfter() const {
    return SharedSettings().CaptionCloseButtonAfter;
}
void CadencerCore::SetCaptionCloseButtonAfter(std::u16string_view value) {
    SharedSettings().CaptionCloseButtonAfter = OrDefault(value, defaults::kCaptionCloseAfter);
    Changed(Property(u"CaptionCloseButtonAfter"));
}

// The spinner limits: capped at 999, with no lower bound; the increments are stored as given.
std::int16_t CadencerCore::EveryHourMin() const {
    return SharedSettings().EveryHourMin;
}
void CadencerCore::SetEveryHourMin(std::int16_t value) {
    SharedSettings().EveryHourMin = CapLimit(value);
    Changed(Property(u"EveryHourMin"));
}

std::int16_t CadencerCore::EveryHourMax() const {
    return SharedSettings().EveryHourMax;
}
void CadencerCore::SetEveryHourMax(std::int16_t value) {
    SharedSettings().EveryHourMax = CapLimit(value);
    Changed(Property(u"EveryHourMax"));
}

std::int16_t CadencerCore::EveryHourIncrement() const {
    return SharedSettings().EveryHourIncrement;
}
void CadencerCore::SetEveryHourIncrement(std::int16_t value) {
    SharedSettings().EveryHourIncrement = value;
    Changed(Property(u"EveryHourIncrement"));
}

std::int16_t CadencerCore::EveryMinuteMin() const {
    return SharedSettings().EveryMinuteMin;
}
void CadencerCore::SetEveryMinuteMin(std::int16_t value) {
    SharedSettings().EveryMinuteMin = CapLimit(value);
    Changed(Property(u"EveryMinuteMin"));
}

std::int16_t CadencerCore::EveryMinuteMax() const {
    return SharedSettings().EveryMinuteMax;
}
void CadencerCore::SetEveryMinuteMax(std::int16_t value) {
    SharedSettings().EveryMinuteMax = CapLimit(value);
    Changed(Property(u"EveryMinuteMax"));
}

std::int16_t CadencerCore::EveryMinuteIncrement() const {
    return SharedSettings().EveryMinuteIncrement;
}
void CadencerCore::SetEveryMinuteIncrement(std::int16_t value) {
    SharedSettings().EveryMinuteIncrement = value;
    Changed(Property(u"EveryMinuteIncrement"));
}

// Schedule properties: corrected and stored in the shared record; Changed() recomputes
// the next time (offset 0) under the run-time gate and reports the change.
std::int32_t CadencerCore::OccursOption() const {
    return SharedSettings().OccursOption;
}
void CadencerCore::SetOccursOption(std::int32_t value) {
    SharedSettings().OccursOption = value;
    Changed(Property(u"OccursOption"));
}

std::int16_t CadencerCore::EveryInterval() const {
    return SharedSettings().EveryInterval;
}
void CadencerCore::SetEveryInterval(std::int16_t value) {
    SharedSettings().EveryInterval = value;
    Changed(Property(u"EveryInterval"));
}

std::int32_t CadencerCore::EveryFrequency() const {
    return SharedSettings().EveryFrequency;
}
void CadencerCore::SetEveryFrequency(std::int32_t value) {
    SharedSettings().EveryFrequency = value;
    Changed(Property(u"EveryFrequency"));
}

std::int16_t CadencerCore::StartHour() const {
    return SharedSettings().StartHour;
}
void CadencerCore::SetStartHour(std::int16_t value) {
    // 24, not 0 or 23: the next-run computation reads 24 as midnight.
    SharedSettings().StartHour = (value < 0 || value > 24) ? std::int16_t{24} : value;
    Changed(Property(u"StartHour"));
}

std::int16_t CadencerCore::StartMinute() const {
    return SharedSettings().StartMinute;
}
void CadencerCore::SetStartMinute(std::int16_t value) {
    SharedSettings().StartMinute = (value < 0 || value > 59) ? std::int16_t{0} : value;
    Changed(Property(u"StartMinute"));
}

OleDate CadencerCore::StartDate() const {
    return SharedSettings().StartDate;
}
void CadencerCore::SetStartDate(OleDate value) {
    SharedSettings().StartDate = value;
    Changed(Property(u"StartDate"));
}

OleDate CadencerCore::EndDate() const {
    return SharedSettings().EndDate;
}
void CadencerCore::SetEndDate(OleDate value) {
    SharedSettings().EndDate = value;
    Changed(Property(u"EndDate"));
}

bool CadencerCore::UseEndDate() const {
    return SharedSettings().UseEndDate;
}
void CadencerCore::SetUseEndDate(bool value) {
    SharedSettings().UseEndDate = value;
    Changed(Property(u"UseEndDate"));
}

std::u16string CadencerCore::SelectionsWeekly() const {
    return SharedSettings().SelectionsWeekly;
}
void CadencerCore::SetSelectionsWeekly(std::u16string_view value) {
    SharedSettings().SelectionsWeekly = NormaliseSelection(value, kWeeklyWidth);
    Changed(Property(u"SelectionsWeekly"));
}

std::u16string CadencerCore::SelectionsMonthly() const {
    return SharedSettings().SelectionsMonthly;
}
void CadencerCore::SetSelectionsMonthly(std::u16string_view value) {
    SharedSettings().SelectionsMonthly = NormaliseSelection(value, kMonthlyWidth);
    Changed(Property(u"SelectionsMonthly"));
}

}  // namespace cadencer::control
