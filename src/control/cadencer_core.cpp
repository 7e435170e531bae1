// The control's runtime and property rules: the run-time gate, the clock tick, Execute
// and Reset, the dialog callbacks, and every property let with its correction.
#include "control/cadencer_core.h"

#include <cmath>
#include <limits>

#include "engine/next_run.h"

namespace cadencer::control {

namespace {

constexpr double kOneSecond = 1.0 / 86400.0;
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int16_t kLimitCap = 999;

std::int16_t CapLimit(std::int16_t value) { return value > kLimitCap ? kLimitCap : value; }

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
    if (!shared.Dialog() || !shared.Dialog()->IsLoaded()) shared.Settings().SchedulerFocusFlag = false;
    UpdateTickThresholds();
}

CadencerCore::~CadencerCore() { Terminate(); }

OleDate CadencerCore::Now() { return clock_ ? clock_->Now() : kZeroDate; }

bool CadencerCore::UserMode() {
    if (!site_) return true;
    return site_->AmbientUserMode().value_or(true);
}

bool CadencerCore::GateOpen() { return !terminated_ && own_.Enabled && UserMode(); }

void CadencerCore::Notify(std::u16string_view name) {
    if (!terminated_ && site_) site_->PropertyChanged(name);
}

void CadencerCore::Changed(const PropertyRow& row) {
    switch (row.let) {
        case LetEffect::Recompute:
            if (GateOpen()) Recompute(0);
            break;
        case LetEffect::RecomputeIfEvery:
            if (S().OccursOption == static_cast<std::int32_t>(Occurs::Every) && GateOpen()) Recompute(0);
            break;
        case LetEffect::None:
        case LetEffect::SwitchesClock:  // the Enabled let has switched the clock itself
            break;
    }
    Notify(row.name);
}

void CadencerCore::Recompute(std::int16_t offsetMinutes) {
    nextScheduledTime_ = ComputeNextRun(S(), Now(), offsetMinutes);
    UpdateTickThresholds();
}

void CadencerCore::UpdateTickThresholds() {
    const OleDate next = nextScheduledTime_;
    const auto fields = Decompose(next);
    if (!fields) {
        // Out of range: the clock check takes it for the never marker, whatever the time.
        notDueBefore_ = kInfinity;
        neverFrom_ = -kInfinity;
        return;
    }
    // The next time's minute begins, by the seconds-rounded comparison, half a second
    // before it; one second of margin leaves the boundary to the exact rules.
    notDueBefore_ = ToLinearDays(TruncateToMinute(next)) - kOneSecond;
    const auto neverYearStart = Compose(DateTimeFields{fields->year + 50, 1, 1, 0, 0, 0});
    neverFrom_ = neverYearStart ? ToLinearDays(*neverYearStart) + kOneSecond : kInfinity;
}

bool CadencerCore::DueAt(OleDate now) {
    if (IsNeverMarker(nextScheduledTime_, now)) return false;
    const auto minutes = MinuteDiff(now, nextScheduledTime_);
    return minutes && *minutes <= 0;
}

void CadencerCore::Tick() {
    if (terminated_) return;
    if (!own_.Enabled) {
        if (timer_) timer_->Stop();
        return;
    }
    const OleDate now = Now();
    const double linear = ToLinearDays(now);
    // Idle ticks end here; the ambient query (a round trip to the container) is only made
    // when the next time may be due, which changes nothing the host can observe.
    if (linear < notDueBefore_ || linear >= neverFrom_) return;
    if (!UserMode()) return;
    if (DueAt(now)) Execute();
}

void CadencerCore::Execute() {
    if (!GateOpen()) return;
    const OleDate now = Now();
    S().LastScheduledTime = TruncateToMinute(now);
    Recompute(1);
    // The host's handler may disable, re-enable or destroy the control, or open the
    // dialog: keep the core alive across it and touch nothing afterwards.
    const auto self = weak_from_this().lock();
    OleDate dateTime = now;
    if (site_) site_->RaiseScheduledTime(dateTime);
}

void CadencerCore::Reset() {
    if (!GateOpen()) return;
    S().LastScheduledTime = TruncateToMinute(Now());
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
        if (own_.Enabled) timer_->Start();
        else timer_->Stop();
    }
    if (notify) Changed(Property(u"Enabled"));
}

void CadencerCore::SetEnabled(bool value) { ApplyEnabled(value, true); }

OleDate CadencerCore::NextScheduledTime() { return GateOpen() ? nextScheduledTime_ : kZeroDate; }

OleDate CadencerCore::LastScheduledTime() { return GateOpen() ? S().LastScheduledTime : kZeroDate; }

void CadencerCore::SetLastScheduledTime(OleDate value) {
    S().LastScheduledTime = value;
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

ObjectRef CadencerCore::Icon() const { return own_.Icon ? own_.Icon : defaultIcon_; }

void CadencerCore::SetIcon(const ObjectRef& picture) {
    own_.Icon = (picture && picture->Handle() != 0) ? picture : defaultIcon_;
    Changed(Property(u"Icon"));
}

// Shared texts: stored in the schedule record, never recomputing.
std::u16string CadencerCore::Title() const { return S().Title; }
void CadencerCore::SetTitle(std::u16string_view value) {
    S().Title = OrDefault(value, defaults::kTitle);
    Changed(Property(u"Title"));
}

std::u16string CadencerCore::CaptionOKButtonBefore() const { return S().CaptionOKButtonBefore; }
void CadencerCore::SetCaptionOKButtonBefore(std::u16string_view value) {
    S().CaptionOKButtonBefore = OrDefault(value, defaults::kCaptionOK);
    Changed(Property(u"CaptionOKButtonBefore"));
}

std::u16string CadencerCore::CaptionOKButtonAfter() const { return S().CaptionOKButtonAfter; }
void CadencerCore::SetCaptionOKButtonAfter(std::u16string_view value) {
    S().CaptionOKButtonAfter = OrDefault(value, defaults::kCaptionOK);
    Changed(Property(u"CaptionOKButtonAfter"));
}

std::u16string CadencerCore::CaptionCloseButtonBefore() const { return S().CaptionCloseButtonBefore; }
void CadencerCore::SetCaptionCloseButtonBefore(std::u16string_view value) {
    S().CaptionCloseButtonBefore = OrDefault(value, defaults::kCaptionCloseBefore);
    Changed(Property(u"CaptionCloseButtonBefore"));
}

std::u16string CadencerCore::CaptionCloseButtonAfter() const { return S().CaptionCloseButtonAfter; }
void CadencerCore::SetCaptionCloseButtonAfter(std::u16string_view value) {
    S().CaptionCloseButtonAfter = OrDefault(value, defaults::kCaptionCloseAfter);
    Changed(Property(u"CaptionCloseButtonAfter"));
}

// The spinner limits: capped at 999, with no lower bound; the increments are stored as given.
std::int16_t CadencerCore::EveryHourMin() const { return S().EveryHourMin; }
void CadencerCore::SetEveryHourMin(std::int16_t value) {
    S().EveryHourMin = CapLimit(value);
    Changed(Property(u"EveryHourMin"));
}

std::int16_t CadencerCore::EveryHourMax() const { return S().EveryHourMax; }
void CadencerCore::SetEveryHourMax(std::int16_t value) {
    S().EveryHourMax = CapLimit(value);
    Changed(Property(u"EveryHourMax"));
}

std::int16_t CadencerCore::EveryHourIncrement() const { return S().EveryHourIncrement; }
void CadencerCore::SetEveryHourIncrement(std::int16_t value) {
    S().EveryHourIncrement = value;
    Changed(Property(u"EveryHourIncrement"));
}

std::int16_t CadencerCore::EveryMinuteMin() const { return S().EveryMinuteMin; }
void CadencerCore::SetEveryMinuteMin(std::int16_t value) {
    S().EveryMinuteMin = CapLimit(value);
    Changed(Property(u"EveryMinuteMin"));
}

std::int16_t CadencerCore::EveryMinuteMax() const { return S().EveryMinuteMax; }
void CadencerCore::SetEveryMinuteMax(std::int16_t value) {
    S().EveryMinuteMax = CapLimit(value);
    Changed(Property(u"EveryMinuteMax"));
}

std::int16_t CadencerCore::EveryMinuteIncrement() const { return S().EveryMinuteIncrement; }
void CadencerCore::SetEveryMinuteIncrement(std::int16_t value) {
    S().EveryMinuteIncrement = value;
    Changed(Property(u"EveryMinuteIncrement"));
}

// Schedule properties: corrected and stored in the shared record; Changed() recomputes
// the next time (offset 0) under the run-time gate and reports the change.
std::int32_t CadencerCore::OccursOption() const { return S().OccursOption; }
void CadencerCore::SetOccursOption(std::int32_t value) {
    S().OccursOption = value;
    Changed(Property(u"OccursOption"));
}

std::int16_t CadencerCore::EveryInterval() const { return S().EveryInterval; }
void CadencerCore::SetEveryInterval(std::int16_t value) {
    S().EveryInterval = value;
    Changed(Property(u"EveryInterval"));
}

std::int32_t CadencerCore::EveryFrequency() const { return S().EveryFrequency; }
void CadencerCore::SetEveryFrequency(std::int32_t value) {
    S().EveryFrequency = value;
    Changed(Property(u"EveryFrequency"));
}

std::int16_t CadencerCore::StartHour() const { return S().StartHour; }
void CadencerCore::SetStartHour(std::int16_t value) {
    // 24, not 0 or 23: the next-run computation reads 24 as midnight.
    S().StartHour = (value < 0 || value > 24) ? std::int16_t{24} : value;
    Changed(Property(u"StartHour"));
}

std::int16_t CadencerCore::StartMinute() const { return S().StartMinute; }
void CadencerCore::SetStartMinute(std::int16_t value) {
    S().StartMinute = (value < 0 || value > 59) ? std::int16_t{0} : value;
    Changed(Property(u"StartMinute"));
}

OleDate CadencerCore::StartDate() const { return S().StartDate; }
void CadencerCore::SetStartDate(OleDate value) {
    S().StartDate = value;
    Changed(Property(u"StartDate"));
}

OleDate CadencerCore::EndDate() const { return S().EndDate; }
void CadencerCore::SetEndDate(OleDate value) {
    S().EndDate = value;
    Changed(Property(u"EndDate"));
}

bool CadencerCore::UseEndDate() const { return S().UseEndDate; }
void CadencerCore::SetUseEndDate(bool value) {
    S().UseEndDate = value;
    Changed(Property(u"UseEndDate"));
}

std::u16string CadencerCore::SelectionsWeekly() const { return S().SelectionsWeekly; }
void CadencerCore::SetSelectionsWeekly(std::u16string_view value) {
    S().SelectionsWeekly = NormaliseSelection(value, kWeeklyWidth);
    Changed(Property(u"SelectionsWeekly"));
}

std::u16string CadencerCore::SelectionsMonthly() const { return S().SelectionsMonthly; }
void CadencerCore::SetSelectionsMonthly(std::u16string_view value) {
    S().SelectionsMonthly = NormaliseSelection(value, kMonthlyWidth);
    Changed(Property(u"SelectionsMonthly"));
}

}  // namespace cadencer::control
