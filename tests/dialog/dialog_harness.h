// Test harness of the schedule dialog under Wine: controls of the portable core with fake
// clock, site and timer (their events recorded, host handlers as hooks), the real dialog
// port installed over them, readers of the real controls by the design's identifiers, a
// watcher that reads and dismisses message boxes, input helpers and a plain host loop
// that knows nothing of the dialog.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/cadencer_core.h"
#include "dialog/schedule_design.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_host.h"
#include "engine/ole_date.h"

namespace cadencer::dialog::testing {

using control::CadencerCore;
using control::SharedSchedule;

inline OleDate At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return Compose({y, mo, d, h, mi, s}).value();
}

class FakeClock : public control::Clock {
public:
    OleDate now = 0;
    OleDate Now() override { return now; }
    OleDate UtcNow() override { return now; }
    std::uint64_t ElapsedMilliseconds() override { return 0; }
};

enum class Ev { HelpButtonClicked, ScheduleChanged, SchedulerClosed, ScheduledTime };

class FakeSite : public control::Site {
public:
    std::vector<Ev> events;
    std::function<void(Ev)> onEvent;        // the host's handler, run after the event is recorded
    std::optional<std::uint32_t> localeId;  // the container's ambient LocaleID; empty: none
    std::optional<bool> AmbientUserMode() override { return true; }
    std::optional<std::uint32_t> AmbientLocaleID() override { return localeId; }
    void PropertyChanged(std::u16string_view) override {}
    void RaiseHelpButtonClicked() override { Record(Ev::HelpButtonClicked); }
    void RaiseScheduleChanged() override { Record(Ev::ScheduleChanged); }
    void RaiseSchedulerClosed() override { Record(Ev::SchedulerClosed); }
    void RaiseScheduledTime(OleDate&) override { Record(Ev::ScheduledTime); }
    int Count(Ev e) const;

private:
    void Record(Ev e) {
        events.push_back(e);
        if (onEvent) onEvent(e);
    }
};

class FakeTimer : public control::Timer {
public:
    void Start() override {}
    void Stop() override {}
};

// A picture holding an icon handle, as the component's pictures do.
class IconPicture : public PlatformObject {
public:
    explicit IconPicture(HICON icon) : icon_(icon) {}
    std::uint64_t Handle() const override { return reinterpret_cast<std::uint64_t>(icon_); }

private:
    HICON icon_;
};

struct TestControl {
    FakeSite site;
    FakeTimer timer;
    std::shared_ptr<CadencerCore> core;
    TestControl(FakeClock& clock, ObjectRef defaultIcon);
    ~TestControl();
};

// A message box seen while an action ran: its text, title and icon, already dismissed.
struct SeenBox {
    std::wstring text;
    std::wstring title;
    bool errorIcon = false;
    bool warningIcon = false;
    HWND focusBefore = nullptr;  // the focus when the box appeared (inside the box by then)
};

// Fixture: a fresh shared record, the dialog port installed with a fixed clock, and one
// control `a` loaded with the defaults of a new control.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<TestControl> MakeControl();
    ScheduleSettings& S() { return SharedSchedule::Instance().Settings(); }

    // Opens the dialog modeless from `a` and checks that it is there.
    HWND Open();
    HWND Dlg() const { return ScheduleDialogWindow(); }
    HWND Item(int id) const { return GetDlgItem(Dlg(), id); }

    // Runs `action` while any message box owned by the dialog is read and dismissed with OK.
    std::vector<SeenBox> WithBoxes(const std::function<void()>& action);
    // Clicks a button, option or check box (BM_CLICK), collecting any message boxes.
    std::vector<SeenBox> Click(int id);

    int Check(int id) const { return static_cast<int>(SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }
    int SelectedOccurs() const;
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool TabStop(HWND window) const { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP) != 0; }
    int DefaultId() const;
    std::wstring Text(int id) const;
    std::wstring StatusText(int part) const;
    int ClientHeight() const;
    // The pixel value of twips at the dialog's DPI.
    int Px(int twips) const;
    RECT ClientRectOf(HWND child) const;
    std::optional<SYSTEMTIME> Picker(int id) const;
    void SetPicker(int id, const SYSTEMTIME& st);  // as the user would: sets and notifies
    double NumberValue() const;
    HWND NumberEdit() const;

    const FakeClock& Clock() const { return clock; }
    FakeClock clock;
    ObjectRef defaultIcon;
    std::unique_ptr<TestControl> a, b;
};

// Processes the thread's pending messages a few rounds (a plain host loop: no
// IsDialogMessage anywhere).
void Pump(int rounds = 3);
// Posts a key press and release to the focused window and lets the host loop run.
void PressKey(UINT vk, bool shift = false);
HWND Focus();
// Whether `window` is `id`'s control or inside it (a number field's text box).
bool FocusIs(HWND dialog, int id);

}  // namespace cadencer::dialog::testing
