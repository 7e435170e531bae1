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
#include "control/property_access.h"
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
    // Writes the persisted rows' keys in order, leaving out values equal to their defaults ("Icon" always).
    PersistStatus Save(PropertyBag& bag);
    // The control is being destroyed: unloads the about box, then the dialog, lets go of
    // OwnerControl, stops the timer and detaches every port. Idempotent.
    void Terminate();
    bool IsTerminated() const { return terminated_; }

    // ---- The clock tick (Timer1, once a second)
    void Tick();

    // ---- Properties (gets return the stored value; lets correct as the row's fix column
    // says, store, recompute under the run-time gate as its let column says, and report
    // the change by name)
    // Any stored property through its row: T is its ValueOf type (null-safe: a row whose
    // field is not a T reads as T{} and is not set).
    template <class T>
    T Get(const PropertyRow& row) const {
        const T* field = FieldIn<T>(row.field, SharedSettings(), own_);
        return field ? *field : T{};
    }
    template <class T>
    void Let(const PropertyRow& row, T value) {
        T* field = FieldIn<T>(row.field, SharedSettings(), own_);
        if (!field) return;
        *field = Corrected(row, std::move(value), defaultIcon_);
        Changed(row);
    }

    // Each row with generated accessors (code Gen or OwnCom) has Name() and SetName().
#define CADENCER_CORE_ACCESSORS(name, dispid, type, def, owner, persist, let, width, fix, page, code) \
    CADENCER_CORE_ACCESSORS_##code(name, type)
#define CADENCER_CORE_ACCESSORS_Gen(name, type)                       \
    ValueOf<PropertyType::type> name() const {                        \
        return Get<ValueOf<PropertyType::type>>(Property(u"" #name)); \
    }                                                                 \
    void Set##name(LetArgument<PropertyType::type> value) {           \
        Let(Property(u"" #name), ValueOf<PropertyType::type>(value)); \
    }
#define CADENCER_CORE_ACCESSORS_OwnCom CADENCER_CORE_ACCESSORS_Gen
#define CADENCER_CORE_ACCESSORS_OwnCore(name, type)
#define CADENCER_CORE_ACCESSORS_Own(name, type)
    CADENCER_PROPERTY_ROWS(CADENCER_CORE_ACCESSORS)
#undef CADENCER_CORE_ACCESSORS
#undef CADENCER_CORE_ACCESSORS_Gen
#undef CADENCER_CORE_ACCESSORS_OwnCom
#undef CADENCER_CORE_ACCESSORS_OwnCore
#undef CADENCER_CORE_ACCESSORS_Own

    // Hand-written, for behaviour of their own:
    // Enabled's let computes the next time and starts the clock, or closes the dialog and
    // stops it (ApplyEnabled).
    bool Enabled() const {
        return own_.Enabled;
    }
    void SetEnabled(bool value);
    // The times read as the zero date outside the run-time gate; the next one is computed.
    OleDate NextScheduledTime();
    OleDate LastScheduledTime();
    void SetLastScheduledTime(OleDate value);
    // Never an empty reference while the control has a default icon (the let's correction
    // restores it, and a loaded bag may still leave none).
    ObjectRef Icon() const;
    void SetIcon(const ObjectRef& picture);

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
    OleDate CreationDay() const {
        return creationDay_;
    }
    // The stored next time, whatever the gate (what the tick compares with).
    OleDate StoredNextScheduledTime() const {
        return nextScheduledTime_;
    }

private:
    explicit CadencerCore(const CorePorts& ports);
    // Enabled and ambient UserMode true, the ambient read afresh.
    bool GateOpen();
    bool UserMode();
    void Recompute(std::int16_t offsetMinutes);
    void Notify(std::u16string_view name);
    OleDate Now();
    // The schedule record every control of the process shares.
    ScheduleSettings& SharedSettings() {
        return SharedSchedule::Instance().Settings();
    }
    const ScheduleSettings& SharedSettings() const {
        return SharedSchedule::Instance().Settings();
    }
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
