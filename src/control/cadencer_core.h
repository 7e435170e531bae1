// The Cadencer control's behaviour as plain C++: its properties with their corrections,
// the run-time gate, the clock tick, Execute/Reset, the dialog callbacks, persistence
// through the property-bag port and the hosting of the schedule dialog through the
// dialog port. The COM face adapts it to containers; tests drive it with fakes.
//
// Lifetime: a core is created with Create() and held by a shared_ptr. The shared record
// refers to it weakly (OwnerControl). The owner (the COM object) calls Terminate() when
// the control is destroyed, before it destroys its ports; from then on the core touches
// no port. While the core raises an event it keeps itself alive, and after the host's
// handler returns it checks whether it was terminated or disabled in the meantime.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "control/ports.h"
#include "control/property_table.h"
#include "control/shared_schedule.h"
#include "engine/next_run.h"
#include "engine/ole_date.h"
#include "engine/property_bag.h"
#include "engine/schedule_settings.h"

namespace cadencer::control {

// The dialog's tallest height (its Monthly layout), used to centre it vertically.
inline constexpr std::int32_t kDialogTallestHeightTwips = 6780;

// The longest title or caption the control takes, from a let or from a bag: every form it
// saves in (the binary stream too) holds that much, so whatever is taken can be saved.
inline constexpr std::size_t kMaxTextLength = 65536;

// Result of reading or writing the property bag: ok, or the key at which it stopped and why.
struct PersistStatus {
    bool ok = true;
    std::u16string key;
    ValueError error = ValueError::TypeMismatch;

    static PersistStatus Success() { return {}; }
    static PersistStatus Failure(std::u16string_view key, ValueError error) {
        return PersistStatus{false, std::u16string(key), error};
    }
};

// The ports of one control. clock, site and timer must outlive the core or its Terminate().
struct CorePorts {
    Clock* clock = nullptr;
    Site* site = nullptr;
    Timer* timer = nullptr;
    // The default dialog icon (the control's SaveIcon picture); may be null in tests.
    ObjectRef defaultIcon;
};

class CadencerCore : public std::enable_shared_from_this<CadencerCore> {
public:
    // Creates a control: takes its creation day from the clock (and, for the first control
    // of a shared record, gives the record a new control's defaults). Follow with one of
    // InitNew(), Load() or InitNewInstance().
    static std::shared_ptr<CadencerCore> Create(const CorePorts& ports);
    ~CadencerCore();
    CadencerCore(const CadencerCore&) = delete;
    CadencerCore& operator=(const CadencerCore&) = delete;

    // ---- Lifecycle and persistence
    // New-instance defaults: no change notices, Enabled true without its setter, timer off.
    void InitNew();
    // This control's own new-instance defaults (captions, icon, position, Enabled), the
    // shared schedule left as it stands: for a control that gets neither InitNew nor Load.
    void InitNewInstance();
    // Reads the saved properties; on a value that cannot be converted stops at that key
    // (earlier keys keep their values, later ones and Enabled are untouched).
    PersistStatus Load(PropertyBag& bag);
    // What Load would report, found by reading into copies of the fields: nothing changes.
    // Forms that promise all or nothing (the binary stream) check before they load.
    PersistStatus CheckLoad(PropertyBag& bag);
    // Writes the 29 keys in order, leaving out values equal to their defaults ("Icon" always).
    PersistStatus Save(PropertyBag& bag);
    // The control is being destroyed: unloads the about box, then the dialog, lets go of
    // OwnerControl, stops the timer and detaches every port. Idempotent.
    void Terminate();
    bool IsTerminated() const { return terminated_; }

    // ---- The clock tick (Timer1, once a second)
    void Tick();

    // ---- Properties (gets return the stored value; lets correct, store, recompute under
    // the run-time gate when they change the schedule, and report the change by name)
    bool Enabled() const { return own_.Enabled; }
    void SetEnabled(bool value);
    bool Modal() const { return own_.Modal; }
    void SetModal(bool value);
    bool ShowHelpButton() const { return own_.ShowHelpButton; }
    void SetShowHelpButton(bool value);
    OleDate NextScheduledTime();  // zero date outside the run-time gate
    OleDate LastScheduledTime();  // zero date outside the run-time gate
    void SetLastScheduledTime(OleDate value);
    std::int32_t StartUpPosition() const { return own_.StartUpPosition; }
    void SetStartUpPosition(std::int32_t value);
    std::int32_t StartUpLeft() const { return own_.StartUpLeft; }
    void SetStartUpLeft(std::int32_t value);
    std::int32_t StartUpTop() const { return own_.StartUpTop; }
    void SetStartUpTop(std::int32_t value);
    std::u16string Title() const;
    void SetTitle(std::u16string_view value);
    std::u16string CaptionOKButtonBefore() const;
    void SetCaptionOKButtonBefore(std::u16string_view value);
    std::u16string CaptionOKButtonAfter() const;
    void SetCaptionOKButtonAfter(std::u16string_view value);
    std::u16string CaptionCloseButtonBefore() const;
    void SetCaptionCloseButtonBefore(std::u16string_view value);
    std::u16string CaptionCloseButtonAfter() const;
    void SetCaptionCloseButtonAfter(std::u16string_view value);
    std::u16string CaptionHelpButton() const { return own_.CaptionHelpButton; }
    void SetCaptionHelpButton(std::u16string_view value);
    // Never an empty reference while the control has a default icon.
    ObjectRef Icon() const;
    // An empty picture (Handle() == 0) or none restores the default icon.
    void SetIcon(const ObjectRef& picture);
    std::int32_t OccursOption() const;
    void SetOccursOption(std::int32_t value);
    std::int16_t EveryInterval() const;
    void SetEveryInterval(std::int16_t value);
    std::int32_t EveryFrequency() const;
    void SetEveryFrequency(std::int32_t value);
    std::int16_t EveryHourMin() const;
    void SetEveryHourMin(std::int16_t value);
    std::int16_t EveryHourMax() const;
    void SetEveryHourMax(std::int16_t value);
    std::int16_t EveryHourIncrement() const;
    void SetEveryHourIncrement(std::int16_t value);
    std::int16_t EveryMinuteMin() const;
    void SetEveryMinuteMin(std::int16_t value);
    std::int16_t EveryMinuteMax() const;
    void SetEveryMinuteMax(std::int16_t value);
    std::int16_t EveryMinuteIncrement() const;
    void SetEveryMinuteIncrement(std::int16_t value);
    std::int16_t StartHour() const;
    void SetStartHour(std::int16_t value);
    std::int16_t StartMinute() const;
    void SetStartMinute(std::int16_t value);
    OleDate StartDate() const;
    void SetStartDate(OleDate value);
    OleDate EndDate() const;
    void SetEndDate(OleDate value);
    bool UseEndDate() const;
    void SetUseEndDate(bool value);
    std::u16string SelectionsWeekly() const;
    void SetSelectionsWeekly(std::u16string_view value);
    std::u16string SelectionsMonthly() const;
    void SetSelectionsMonthly(std::u16string_view value);

    // ---- Methods
    void DisplayScheduler();
    void CloseScheduler();
    void Execute();
    void Reset();
    void SetFocus();
    void FlagScheduleChanged();
    void FlagSchedulerClosed();
    void FlagHelpButton();
    void DisplayAboutBox();

    // ---- For the Windows face and tests
    OleDate CreationDay() const { return creationDay_; }
    // The stored next time, whatever the gate (what the tick compares with).
    OleDate StoredNextScheduledTime() const { return nextScheduledTime_; }

private:
    explicit CadencerCore(const CorePorts& ports);
    // Enabled and ambient UserMode true, the ambient read afresh.
    bool GateOpen();
    bool UserMode();
    void Recompute(std::int16_t offsetMinutes);
    void Notify(std::u16string_view name);
    OleDate Now();
    // The schedule record every control of the process shares.
    ScheduleSettings& SharedSettings() { return SharedSchedule::Instance().Settings(); }
    const ScheduleSettings& SharedSettings() const { return SharedSchedule::Instance().Settings(); }
    // Ends every let: recomputes the next time as the property's row says (under the
    // run-time gate), then reports the change by the property's name.
    void Changed(const PropertyRow& row);
    // The Enabled let; reading the bag applies Enabled through it without a change notice.
    void ApplyEnabled(bool value, bool notify);
    // The clock check: the next time is not the never marker and its minute has begun.
    bool DueAt(OleDate now) const;
    // The clock was set back a minute or more before the moment the next time was computed
    // (core_clock.cpp).
    bool ClockSetBack() const;
    // Computes the next time again from the present after the clock was set back; an Every
    // schedule first takes a LastScheduledTime that now lies ahead back to the present minute.
    void FollowSetBackClock();
    // After a setback, no firing within one real minute of the last one.
    bool HeldAfterSetBack();
    // The bag's default for a persisted row (reading, or writing with forWriting).
    Variant BagDefault(const PropertyRow& row, bool forWriting) const;
    // Load's reading (steps 1 to 3) into the given records, and Enabled into enabled; stops
    // at the first failure.
    PersistStatus ReadInto(PropertyBag& bag, ScheduleSettings& shared, InstanceSettings& own, bool& enabled);

    Clock* clock_;
    Site* site_;
    Timer* timer_;
    ObjectRef defaultIcon_;
    bool terminated_ = false;

    // The persisted fields of this control (the property table's InstanceSettings rows).
    InstanceSettings own_;
    OleDate nextScheduledTime_ = kZeroDate;
    OleDate creationDay_ = kZeroDate;
    // Keeps what it derived from the settings between computations (every firing recomputes).
    NextRunSearch nextRunSearch_;
    // The UTC present when nextScheduledTime_ was last computed (empty before that).
    std::optional<OleDate> computedAtUtc_;
    // The real-time counter at this control's last firing, and after a setback of the clock
    // the counter value before which it does not fire again.
    std::optional<std::uint64_t> firedAtMs_;
    std::optional<std::uint64_t> holdUntilMs_;
};

}  // namespace cadencer::control
