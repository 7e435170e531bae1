// The schedule dialog's place in the library: the process's DialogPort over the form
// `Schedule`. The component installs it when the library loads:
//
//   cadencer::dialog::InstallScheduleDialog(instance);   // DllMain, DLL_PROCESS_ATTACH
//   cadencer::dialog::UninstallScheduleDialog();         // DLL_PROCESS_DETACH on FreeLibrary
//
// From then on every Cadencer control's DisplayScheduler, CloseScheduler, SetFocus and
// unloading reach the one dialog through SharedSchedule::Dialog().
#pragma once

#include <windows.h>

#include <cstdint>

#include "control/ports.h"

namespace cadencer::dialog {

// Creates the process's dialog port (once) and installs it into SharedSchedule. The
// dialog's window and its resources come from `instance` (the library's module; its
// manifest resource 2, when present, gives the controls the Common Controls 6 look).
// `clock` gives the present time of the OK path's no-events check; null means the system's
// local time. Does not create any window: that happens on the first DisplayScheduler.
control::DialogPort* InstallScheduleDialog(HINSTANCE instance, control::Clock* clock = nullptr);

// Unloads an open dialog, removes the port from SharedSchedule and frees it. For the
// library's unloading (FreeLibrary), when no control is left.
void UninstallScheduleDialog();

// The window of the loaded dialog, or null: for tests, demos and diagnostics.
HWND ScheduleDialogWindow();

// How long the last load took (creating the window and its controls, then Form_Load), in
// milliseconds; for the open-time measurement.
double LastScheduleLoadMilliseconds();
// The performance counter (QueryPerformanceCounter) when the last modeless showing had
// processed its pending messages, the dialog painted; for the same measurement.
std::int64_t LastSchedulePaintedCounter();

}  // namespace cadencer::dialog
