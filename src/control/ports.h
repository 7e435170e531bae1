// The small interfaces through which the Cadencer control core reaches the world: the
// clock, its container site, its one-second timer, the one schedule dialog and the one
// about box of the process. The Windows face implements them; native tests fake them.
// Nothing here (or anywhere in the core) depends on <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/ole_date.h"
#include "engine/variant.h"

namespace cadencer::control {

// The machine's clocks. The core never reads a system clock itself.
class Clock {
public:
    virtual ~Clock() = default;
    // The present local time as an OLE date (seconds included): what schedules are set in.
    virtual OleDate Now() = 0;
    // The same moment in UTC. Unlike local time it does not move back when daylight saving
    // ends, so the tick compares it to notice that the clock itself was set back.
    virtual OleDate UtcNow() = 0;
    // Milliseconds on a counter that runs with real time and that no setting of the clock
    // moves (the time since start-up).
    virtual std::uint64_t ElapsedMilliseconds() = 0;
};

// The control's container. Every call is synchronous on the user-interface thread.
//
// Lifetime: a Raise* call may run a host handler that releases or destroys the control.
// An implementation must keep itself alive for the length of its own call (the COM face
// holds a reference on itself while it fires); the core, for its part, never touches a
// port again once it has been terminated (CadencerCore::Terminate).
class Site {
public:
    virtual ~Site() = default;
    // Ambient UserMode: empty when there is no container or it cannot answer (the core
    // then takes user mode as true, the platform's default for that ambient).
    virtual std::optional<bool> AmbientUserMode() = 0;
    // Ambient LocaleID: the language and locale of the program the control sits in; empty
    // when the container does not say (a script, a bare creation).
    virtual std::optional<std::uint32_t> AmbientLocaleID() { return std::nullopt; }
    // "Property changed", by the property's own name (its property-bag key).
    virtual void PropertyChanged(std::u16string_view name) = 0;
    virtual void RaiseHelpButtonClicked() = 0;
    virtual void RaiseScheduleChanged() = 0;
    virtual void RaiseSchedulerClosed() = 0;
    // The present time, by reference as the event interface passes it.
    virtual void RaiseScheduledTime(OleDate& dateTime) = 0;
};

// The control's one-second tick (its window timer). Starting a running timer or
// stopping a stopped one is harmless.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
};

// What the control applies to the schedule dialog before showing it, in twips and
// texts. caption is empty when the dialog keeps its designed caption.
struct DialogPresentation {
    std::u16string caption;       // the title, or empty: leave the designed caption
    ObjectRef icon;               // the dialog's icon (never an empty picture when the control has one)
    bool okEnabled = false;       // the unchanged dialog: nothing to save yet
    bool closeIsDefault = true;   // ... and Close is the default button
    std::u16string closeCaption;  // CaptionCloseButtonBefore
    std::u16string closeCaptionAfter = u"Cancel";  // CaptionCloseButtonAfter: Close once something changed
    std::u16string okCaptionBefore = u"&OK";       // CaptionOKButtonBefore / After: OK before and after a change
    std::u16string okCaptionAfter = u"&OK";
    bool showHelpButton = false;  // enabled, tab stop and visible at once
    std::u16string helpCaption;   // the help button's caption
};

// The one schedule dialog of the process. Its own unloading (whatever closes it) must
// call SharedSchedule::FlagSchedulerClosed exactly once; its OK and Help buttons call
// SharedSchedule::FlagScheduleChanged and FlagHelpButton. Those reach the current
// OwnerControl, or no one.
class DialogPort {
public:
    virtual ~DialogPort() = default;
    virtual bool IsLoaded() = 0;
    // The language and locale of the next load: the container's LocaleID, or empty for the
    // user's own settings. Told before every Load; a loaded dialog keeps its choice.
    virtual void ChooseLocale(std::optional<std::uint32_t> /*ambientLocaleId*/) {}
    // Loads the dialog and fills it from the shared ScheduleSettings; nothing when loaded.
    virtual void Load() = 0;
    virtual std::int32_t WidthTwips() = 0;
    virtual std::int32_t ScreenWidthTwips() = 0;
    virtual std::int32_t ScreenHeightTwips() = 0;
    // Top-left corner in screen twips.
    virtual void Move(std::int32_t leftTwips, std::int32_t topTwips) = 0;
    virtual void Present(const DialogPresentation& presentation) = 0;
    // Shows the dialog modal and returns when it has closed (a nested message loop). A
    // dialog that is already shown is left as it is and the call returns at once.
    virtual void ShowModal() = 0;
    // Shows it modeless, lets pending window messages be processed once, gives it the
    // focus and returns at once.
    virtual void ShowModeless() = 0;
    // Closes and unloads the dialog (its unloading reports FlagSchedulerClosed); nothing
    // when it is not loaded. May be called while ShowModal runs: the modal loop then ends.
    virtual void Unload() = 0;
    // Gives the dialog (when loaded and shown) the input focus and brings it to the front.
    virtual void Focus() = 0;
};

// The one about box of the process.
class AboutPort {
public:
    virtual ~AboutPort() = default;
    // The language of the next showing: the container's LocaleID, or empty for the user's
    // UI language. Told before every ShowModal; a shown box keeps its language.
    virtual void ChooseLocale(std::optional<std::uint32_t> /*ambientLocaleId*/) {}
    // Shows the about box modal; returns when it closes.
    virtual void ShowModal() = 0;
    // Unloads it if loaded (the control's termination does this).
    virtual void Unload() = 0;
};

}  // namespace cadencer::control
