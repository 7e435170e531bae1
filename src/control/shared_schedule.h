// The state that every Cadencer control of a user-interface thread shares: the schedule
// record, the control that last opened the schedule dialog (OwnerControl), and the
// thread's one dialog and about box. OwnerControl is a weak reference: a destroyed control
// is never kept alive by it, and a dialog callback after the owner has gone reaches no one.
#pragma once

#include <memory>

#include "control/ports.h"
#include "engine/schedule_settings.h"

namespace cadencer::control {

class CadencerCore;

class SharedSchedule {
public:
    // The calling thread's record. The Windows face installs a locator that gives each
    // user-interface thread its own (kept in the thread's state, touched by that thread
    // alone); without one, or when the locator has none to give (memory ran out), there is
    // one record, as the portable tests use it.
    static SharedSchedule& Instance();
    using Locator = SharedSchedule* (*)();
    static void SetLocator(Locator locate);

    SharedSchedule() = default;
    SharedSchedule(const SharedSchedule&) = delete;
    SharedSchedule& operator=(const SharedSchedule&) = delete;

    ScheduleSettings& Settings() { return settings_; }
    const ScheduleSettings& Settings() const { return settings_; }

    // The record starts out holding a new control's defaults: the first control created
    // with it calls this (later calls change nothing), so that a control that no container
    // initialises (a script's) finds a sound schedule and joins it as it stands.
    void StartWithNewControlDefaults(OleDate creationDay, OleDate now);

    // The control that last opened the dialog, or empty (never opened, or destroyed since).
    std::shared_ptr<CadencerCore> OwnerControl() const { return owner_.lock(); }
    void SetOwnerControl(const std::shared_ptr<CadencerCore>& owner) { owner_ = owner; }
    // Lets go of the owner if it is this control (its termination calls this).
    void ReleaseOwnerControl(const CadencerCore* control);

    // The Windows face installs the ports of the thread's dialog and about box (when the
    // thread's first control is created); tests install fakes. Null means there is none: the operations skip that step.
    DialogPort* Dialog() const { return dialog_; }
    void SetDialogPort(DialogPort* dialog) { dialog_ = dialog; }
    AboutPort* About() const { return about_; }
    void SetAboutPort(AboutPort* about) { about_ = about; }

    // The dialog's callbacks. Each reaches the current OwnerControl (kept alive for the
    // length of the call) or, when there is none, does nothing. FlagSchedulerClosed,
    // called by the dialog's unloading, also clears SchedulerFocusFlag.
    void FlagScheduleChanged();
    void FlagSchedulerClosed();
    void FlagHelpButton();

    // Back to the state of a freshly loaded library (fields zero or empty, no owner, no
    // ports). For tests.
    void ResetForTests();

private:
    ScheduleSettings settings_;
    bool started_ = false;
    std::weak_ptr<CadencerCore> owner_;
    DialogPort* dialog_ = nullptr;
    AboutPort* about_ = nullptr;
};

}  // namespace cadencer::control
