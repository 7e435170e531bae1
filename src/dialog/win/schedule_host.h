// The schedule dialog's place in the library: each user-interface thread's DialogPort over
// the form `Schedule`, a part of the thread's state. The component installs it when the
// thread's first control is created:
//
//   cadencer::dialog::InstallScheduleDialog(instance);   // this thread's port, made once
//   cadencer::dialog::UninstallScheduleDialog();         // tests: unload and free it now
//
// From then on every Cadencer control of that thread reaches the thread's one dialog through
// SharedSchedule::Dialog(). The port ends with the thread's state.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "control/ports.h"

namespace cadencer::dialog {

// Creates the calling thread's dialog port (once) and installs it into SharedSchedule. The
// dialog's window and its resources come from `instance` (the library's module; its
// manifest resource 2, when present, gives the controls the Common Controls 6 look).
// `clock` gives the present time of the OK path's no-events check; null means the system's
// local time. Does not create any window: that happens on the first DisplayScheduler.
control::DialogPort* InstallScheduleDialog(HINSTANCE instance, control::Clock* clock = nullptr);

// Unloads the thread's open dialog, removes the port from SharedSchedule and frees it.
void UninstallScheduleDialog();

// The window of the calling thread's loaded dialog, or null: for tests, demos and diagnostics.
HWND ScheduleDialogWindow();

// The face of the dialog's font from the next load on, instead of the platform's dialog
// font (empty: the platform's again): for tests and screenshots of other fonts.
void UseScheduleDialogFont(std::wstring face);

// How long the last load took (creating the window and its controls, then Form_Load), in
// milliseconds; for the open-time measurement.
double LastScheduleLoadMilliseconds();
// The performance counter (QueryPerformanceCounter) when the last modeless showing had
// processed its pending messages, the dialog painted; for the same measurement.
std::int64_t LastSchedulePaintedCounter();

}  // namespace cadencer::dialog
