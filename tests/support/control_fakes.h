// Fakes of the control core's ports for the native tests: a settable clock, a site that
// records ambient queries, change notices and events, a timer, the one dialog and the
// about box, and an opaque picture. Hooks let a test run "host code" inside an event or
// a modal loop, as a real host handler would.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/cadencer_core.h"
#include "engine/ole_date.h"

namespace cadencer::control::testing {

inline OleDate At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Compose({y, mo, d, h, mi, s}).value();
}

// Local time, the zone's offset (UTC = local minus the offset), and a real-time counter that
// only time passing moves: setting the clock leaves it, AdvanceSeconds moves both.
class FakeClock : public Clock {
public:
    OleDate now = 0;
    int utcOffsetMinutes = 0;
    std::uint64_t elapsedMs = 0;
    OleDate Now() override { return now; }
    OleDate UtcNow() override { return AddMinutes(now, -utcOffsetMinutes).value(); }
    std::uint64_t ElapsedMilliseconds() override { return elapsedMs; }
    void Set(OleDate value) { now = value; }
    void AdvanceSeconds(std::int64_t seconds) {
        now = AddSeconds(now, seconds).value();
        elapsedMs += static_cast<std::uint64_t>(seconds) * 1000;
    }
};

struct Event {
    enum Kind { HelpButtonClicked, ScheduleChanged, SchedulerClosed, ScheduledTime } kind;
    OleDate dateTime = 0;
};

class FakeSite : public Site {
public:
    std::optional<bool> userMode = true;
    int ambientQueries = 0;
    std::vector<std::u16string> notices;
    std::vector<Event> events;
    // Runs inside each raised event, after it is recorded (the host's handler).
    std::function<void(const Event&)> onEvent;

    std::optional<bool> AmbientUserMode() override {
        ++ambientQueries;
        return userMode;
    }
    void PropertyChanged(std::u16string_view name) override { notices.emplace_back(name); }
    void RaiseHelpButtonClicked() override { Record({Event::HelpButtonClicked}); }
    void RaiseScheduleChanged() override { Record({Event::ScheduleChanged}); }
    void RaiseSchedulerClosed() override { Record({Event::SchedulerClosed}); }
    void RaiseScheduledTime(OleDate& dateTime) override { Record({Event::ScheduledTime, dateTime}); }

    int Count(Event::Kind kind) const {
        int n = 0;
        for (const auto& e : events) n += e.kind == kind;
        return n;
    }
    std::vector<OleDate> FiringTimes() const {
        std::vector<OleDate> out;
        for (const auto& e : events)
            if (e.kind == Event::ScheduledTime) out.push_back(e.dateTime);
        return out;
    }

private:
    void Record(const Event& e) {
        events.push_back(e);
        if (onEvent) onEvent(e);
    }
};

class FakeTimer : public Timer {
public:
    bool running = false;
    int starts = 0;
    int stops = 0;
    void Start() override {
        running = true;
        ++starts;
    }
    void Stop() override {
        running = false;
        ++stops;
    }
};

class FakePicture : public PlatformObject {
public:
    explicit FakePicture(std::uint64_t handle) : handle_(handle) {}
    std::uint64_t Handle() const override { return handle_; }

private:
    std::uint64_t handle_;
};

// The one schedule dialog. Its unloading reports to the shared record, as the real
// dialog's Form_Unload does; ShowModal runs `modalLoop` (the user and host acting while
// the dialog is up) and then closes the dialog unless something already did.
class FakeDialog : public DialogPort {
public:
    bool loaded = false;
    bool shown = false;
    bool modal = false;
    int loads = 0;
    int unloads = 0;
    int focuses = 0;
    std::int32_t width = 6000;
    std::int32_t screenWidth = 15360;
    std::int32_t screenHeight = 11520;
    std::optional<std::pair<std::int32_t, std::int32_t>> position;
    std::optional<DialogPresentation> presented;
    std::function<void()> modalLoop;
    std::vector<std::string> calls;

    bool IsLoaded() override { return loaded; }
    void Load() override {
        calls.push_back("Load");
        if (loaded) return;
        loaded = true;
        ++loads;
    }
    std::int32_t WidthTwips() override { return width; }
    std::int32_t ScreenWidthTwips() override { return screenWidth; }
    std::int32_t ScreenHeightTwips() override { return screenHeight; }
    void Move(std::int32_t left, std::int32_t top) override {
        calls.push_back("Move");
        position = {left, top};
    }
    void Present(const DialogPresentation& p) override {
        calls.push_back("Present");
        presented = p;
    }
    void ShowModal() override {
        calls.push_back("ShowModal");
        if (shown) return;  // already up: left as it is
        shown = true;
        modal = true;
        if (modalLoop) modalLoop();
        Unload();  // the user closes it
    }
    void ShowModeless() override {
        calls.push_back("ShowModeless");
        shown = true;
        modal = false;
    }
    void Unload() override {
        if (!loaded) return;
        calls.push_back("Unload");
        loaded = false;
        shown = false;
        ++unloads;
        SharedSchedule::Instance().FlagSchedulerClosed();
    }
    void Focus() override { ++focuses; }
    // The user saves a changed schedule with OK: the dialog stores it, reports the change
    // and unloads.
    void SaveWithOK() {
        SharedSchedule::Instance().FlagScheduleChanged();
        Unload();
    }
};

class FakeAbout : public AboutPort {
public:
    std::vector<std::string>* journal = nullptr;
    int shows = 0;
    int unloads = 0;
    void ShowModal() override { ++shows; }
    void Unload() override {
        ++unloads;
        if (journal) journal->push_back("AboutUnload");
    }
};

// One control with its own clock, site and timer; the shared record is reset per fixture.
struct TestControl {
    FakeClock clock;
    FakeSite site;
    FakeTimer timer;
    std::shared_ptr<CadencerCore> core;

    explicit TestControl(OleDate now, ObjectRef defaultIcon = nullptr) {
        clock.Set(now);
        core = CadencerCore::Create({&clock, &site, &timer, std::move(defaultIcon)});
    }
    ~TestControl() {
        if (core) core->Terminate();
    }
    TestControl(const TestControl&) = delete;
    TestControl& operator=(const TestControl&) = delete;

    // Saved on a form and run: the container loads the (empty) bag, which applies Enabled.
    void LoadEmpty() {
        MemoryPropertyBag bag;
        core->Load(bag);
    }
};

}  // namespace cadencer::control::testing
