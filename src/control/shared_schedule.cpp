// The shared record of a thread's controls and the dialog callbacks that reach its
// current owner.
#include "control/shared_schedule.h"

#include "control/property_access.h"

#include <atomic>

#include "control/cadencer_core.h"

namespace cadencer::control {

namespace {
std::atomic<SharedSchedule::Locator> g_locator{nullptr};
}  // namespace

SharedSchedule& SharedSchedule::Instance() {
    if (const Locator locate = g_locator.load(std::memory_order_acquire))
        if (SharedSchedule* own = locate()) return *own;
    static SharedSchedule single;
    return single;
}

void SharedSchedule::SetLocator(Locator locate) {
    g_locator.store(locate, std::memory_order_release);
}

void SharedSchedule::StartWithNewControlDefaults(OleDate creationDay, OleDate now) {
    if (started_) return;
    started_ = true;
    ApplyNewControlDefaults(settings_, creationDay, now);
}

void SharedSchedule::ReleaseOwnerControl(const CadencerCore* control) {
    // An expired owner is let go of as well: it can never be reached again.
    const auto owner = owner_.lock();
    if (!owner || owner.get() == control) owner_.reset();
}

// The owner is held strongly for the length of each call, so that a host handler that
// destroys the control cannot free it under the running callback.
void SharedSchedule::FlagScheduleChanged() {
    if (const auto owner = OwnerControl()) owner->FlagScheduleChanged();
}

void SharedSchedule::FlagSchedulerClosed() {
    // The dialog is no longer shown: SetFocus has nothing to bring forward.
    settings_.SchedulerFocusFlag = false;
    if (const auto owner = OwnerControl()) owner->FlagSchedulerClosed();
}

void SharedSchedule::FlagHelpButton() {
    if (const auto owner = OwnerControl()) owner->FlagHelpButton();
}

void SharedSchedule::ResetForTests() {
    settings_ = ScheduleSettings{};
    started_ = false;
    owner_.reset();
    dialog_ = nullptr;
    about_ = nullptr;
}

}  // namespace cadencer::control
