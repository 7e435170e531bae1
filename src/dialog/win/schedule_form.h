// ScheduleForm: the form `Schedule` as a Win32 dialog window built from real controls.
// One object per load: created hidden with its controls, filled by Form_Load, shown by
// the host (schedule_host.cpp), and ended by Unload, whichever way the dialog closes.
//
// Lifetime: the object is shared. While its window exists it holds itself; every message
// it handles holds it too, so that a handler whose outward call (a message box, a callback
// to the owning control) ends the dialog returns through a live object and checks Alive()
// before touching anything else. Handlers keep the names of the design (Form_Load,
// OccursOption_Click, ButtonOK_Click, ...).
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "control/ports.h"
#include "dialog/schedule_design.h"
#include "dialog/schedule_fit.h"
#include "dialog/win/schedule_editor.h"
#include "engine/schedule_settings.h"
#include "engine/variant.h"
#include "win/keep_alive.h"

namespace cadencer::dialog {

class ScheduleForm;

// The language the dialog speaks and the locale whose formats it shows (schedule_locale.cpp).
struct DialogLocale {
    LANGID language = 0x0409;
    LCID formatsLcid = 0x0409;
    std::wstring formats = L"en-US";  // the formats' locale name
    bool fromUser = true;             // the user's settings decided (no container's LocaleID)
    std::wstring fontFace;            // the dialog font's face; empty: the platform's dialog font
};
// The container's LocaleID decides both; without one the user's UI language decides the
// texts and the user's locale the formats.
DialogLocale ResolveDialogLocale(std::optional<std::uint32_t> ambientLocaleId);

// What the form needs from its host: the clock of the no-events check, and word of its
// end so that the host lets go of it.
class FormHost {
public:
    virtual ~FormHost() = default;
    virtual OleDate Now() = 0;
    virtual void FormUnloaded(ScheduleForm* form) = 0;
};

class ScheduleForm : public std::enable_shared_from_this<ScheduleForm> {
public:
    // Creates the dialog window, hidden, with every control of the design; owner may be
    // null. Form_Load has not run yet. Null when the window cannot be created.
    static std::shared_ptr<ScheduleForm> Create(HINSTANCE instance, HWND owner, FormHost& host,
                                                const DialogLocale& locale = {});
    ~ScheduleForm();
    ScheduleForm(const ScheduleForm&) = delete;
    ScheduleForm& operator=(const ScheduleForm&) = delete;

    HWND Window() const { return hwnd_; }
    bool Alive() const { return hwnd_ != nullptr; }
    bool Shown() const { return hwnd_ && IsWindowVisible(hwnd_); }
    bool Modal() const { return modal_; }
    int Dpi() const { return dpi_; }

    // ---- Loading and unloading
    void Form_Load();
    // Hides and destroys the window, then runs Form_Unload (the owner hears of it once).
    // Nothing when already unloading or unloaded.
    void Unload();

    // ---- Hosting
    void ApplyPresentation(const control::DialogPresentation& presentation);
    // Modal: disables the thread's other top-level windows until the dialog ends.
    void BeginModal();
    void EndModal();
    void Show();
    // Activates the dialog and puts the focus inside it (its last focused control or the
    // first in the tab order).
    void GiveFocus();

    // ---- Keyboard (schedule_keyboard.cpp): messages for this dialog taken from any
    // message loop by the thread's hook, then handled here as a dialog would.
    bool OwnsMessage(const MSG& msg) const;
    void DeferKey(MSG& msg);

    // Lets the pending window messages be processed once (a bounded pass; a quit message
    // is put back for the loop that owns it).
    static void ProcessPendingMessages();

private:
    ScheduleForm(FormHost& host, const DialogLocale& locale);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // ---- The window (schedule_form.cpp). Each case of the window procedure calls the
    // handler of the event its message is, named `Part_Event` after the design's part
    // (`Form` for the dialog itself); a message that stands for events of several parts
    // (WM_COMMAND, WM_NOTIFY, mouse moves and WM_SETCURSOR, the keys taken by the hook) goes
    // to `Route<Message>`, which finds the part and calls its handler.
    void Form_Initialize();
    void Form_QueryUnload();
    void Form_Resize();
    void Form_Paint();
    void PlaceStatusBar();
    void SetStatusParts();
    void SetClientHeight(int outerHeightTwips);
    // WM_DPICHANGED: the suggested window rectangle, then the design laid out again at the
    // new DPI (fonts, every control's place, the client area).
    void Form_DpiChanged(int dpi, const RECT* suggested);
    void ApplyDpi();

    // ---- Controls and geometry (schedule_layout.cpp)
    void CreateControls();
    // The layout fitted to the texts as the dialog's font draws them (schedule_measure.cpp).
    void FitLayout();
    int NeededTwips(HDC dc, HDC reference, const ControlDesign& design) const;
    int TextTwips(HDC dc, std::wstring_view text) const;
    int RoomTwips(HDC dc, Kind kind, const std::vector<std::wstring>& texts) const;
    std::vector<std::wstring> TextsOf(const ControlDesign& design, bool asDesigned) const;
    std::wstring PickerSample(Kind kind, bool asDesigned) const;
    void MeasurePanels(HDC dc, HDC reference);
    // The texts in the dialog's language (schedule_locale.cpp).
    std::u16string CaptionOf(const ControlDesign& design) const;
    std::u16string T(text::Id id) const { return std::u16string(text::Text(language_, id)); }
    // A caption property as the dialog shows it: its English default in the dialog's
    // language, any other value as the host set it.
    std::u16string Shown(std::u16string_view value, text::Id id) const;
    std::u16string WeekdayName(int index) const;
    std::u16string UnitText(int index) const;
    std::u16string HintText(int index) const;
    // Every control placed again by the present layout and DPI, the client area sized.
    void Relayout();

    // ---- Language and formats (schedule_locale.cpp)
    bool DesignFormats() const;
    std::wstring PickerFormat(Kind kind) const;
    void ApplyPickerFormats();
    void Form_SettingChange(const wchar_t* area);
    // High contrast, or the system's colours changed: everything repainted.
    void Form_SysColorChange();
    HWND CreateControl(const ControlDesign& design, HWND insertAfter);
    // What an input tells accessibility clients (its name, value, role and states), and
    // the number field's name after the unit the list shows (schedule_accessibility.cpp).
    void ServeAccessibility(const ControlDesign& design, HWND control);
    void UpdateNumberName();
    std::u16string UnitShown() const;
    void EnsureFrameContents(Frame frame);
    HWND Ctl(int controlId) const;
    bool ShownNow(const ControlDesign& design) const;
    RECT ClientRectOfTwips(const TwipRect& rect) const;
    TwipRect AbsoluteRect(const ControlDesign& design) const;
    // A control's window rectangle at the dialog's DPI (a drop-down list with room for its list).
    RECT WindowRectOf(const ControlDesign& design) const;
    int Px(int twips) const;
    void PaintDesign(HDC dc);
    int LabelAt(POINT client) const;
    void SetFrameShown(Frame frame, bool visibleAndEnabled);
    void MoveFrame(Frame frame, int topTwips);
    void UpdateControlState(const ControlDesign& design);

    // ---- Form_Load and its helpers (schedule_load.cpp)
    // A weekday (WeeklyDay + i) or calendar-day (DateCheck + d) box's value, set as a
    // click sets it: a change raises the box's Click.
    void SetBoxValue(int controlId, int value);
    void SetListIndex(int index);
    bool TrySetFocus(HWND control);
    void EnterUnchangedState();
    void SetDefaultButton(int controlId);

    // ---- Option switching (schedule_handlers.cpp)
    void MarkChanged();
    void OccursOption_Click(int index);
    void EveryCombo_Click();
    void EndOption_Click(int index);
    void EveryNumber_Change() { MarkChanged(); }
    void TimeStart_Change() { MarkChanged(); }
    void DateStart_Change() { MarkChanged(); }
    void DateEnd_Change() { MarkChanged(); }
    void WeeklyDay_Click(int /*index*/) { MarkChanged(); }
    void DateCheck_Click(int /*index*/) { MarkChanged(); }
    void RouteCommand(int controlId, int code, HWND control);
    void RouteNotify(const NMHDR& header);
    void RouteOptionClick(std::span<const HWND> group, int index);
    void ToggleDayBox(int controlId);
    bool OptionArrow(HWND focus, bool forward);

    // ---- Number field (schedule_handlers.cpp)
    void SetNumberUsable(bool enabledAndTabStop);

    // ---- OK path (schedule_validation.cpp)
    void ButtonOK_Click();
    void ValidateSchedule();
    // Beep, focus, message box. False when the dialog ended while the box was up.
    bool ShowMessage(std::u16string_view text, bool warning, int focusControl);

    // ---- Hints, keys, cancel, help, unload (schedule_hints.cpp)
    void RouteMouseMove(POINT client);
    void RouteSetCursor(HWND under, UINT mouseMessage);
    void FrameOccurs_MouseMove();
    void FrameDaily_MouseMove();
    void FrameWeekly_MouseMove();
    void FrameMonthly_MouseMove();
    void ButtonOK_MouseMove();
    void ButtonCancel_MouseMove();
    void Form_MouseMove();
    void SetHint(std::u16string_view text);
    void ClockTimer_Timer() { UpdateClockPanels(); }
    void UpdateClockPanels();
    void Form_KeyUp(int keyCode, int shift);
    void ButtonCancel_Click();
    void ButtonHelp_Click();
    void Form_Unload();
    void Form_NcDestroy();
    void RouteDeferredKey(WPARAM sequence);

    // ---- Presentation (schedule_present.cpp)
    void SetIcon(const ObjectRef& picture);

    FormHost& host_;
    DialogLocale locale_;
    text::Language language_ = text::Language::English;
    // The buttons' captions before and after the first change, as shown.
    std::u16string okBefore_, okAfter_, closeBefore_, closeAfter_;
    HWND hwnd_ = nullptr;
    std::shared_ptr<ScheduleForm> self_;  // the window's hold on its object
    int dpi_ = 96;
    HFONT font_ = nullptr;     // the dialog font at dpi_: the template's, or ownFont_
    HFONT ownFont_ = nullptr;  // made after a DPI change
    HBRUSH cyanBrush_ = nullptr;
    FittedLayout layout_;
    std::array<int, 3> panelNeeds_{};  // the status bar panels' widths for their texts, twips
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;

    // The controls, by the design's names and indices: the schedule's inputs (with the day
    // boxes' values, so that boxes not created yet keep theirs) in the editor.
    ScheduleEditor editor_;
    std::vector<HWND> byId_;  // every control window by its identifier
    HWND buttonOK_ = nullptr, buttonCancel_ = nullptr, buttonHelp_ = nullptr, statusBar_ = nullptr;
    HWND everyNumber_ = nullptr;
    // EveryNumber's events: its Change marks the dialog changed.
    struct NumberEvents final : numberentry::DigitfieldEvents {
        ScheduleForm* form = nullptr;
        void Change() override {
            if (form && form->Alive()) form->EveryNumber_Change();
        }
    } numberEvents_;

    // Dialog state of the design.
    bool validationFailed_ = false;
    bool noEventsWarned_ = false;
    // Frame state and the controls' own Enabled values (a control inside a hidden or
    // disabled frame is hidden or disabled with it).
    std::array<bool, 5> frameShown_{true, true, false, false, false};
    std::array<bool, 5> contentsCreated_{};
    bool helpVisible_ = true;
    std::array<int, 5> frameTop_{};
    bool dateEndEnabled_ = true;
    bool numberUsable_ = true;
    int outerHeightTwips_ = kDesignOuterHeight;
    std::u16string hint_;

    enum class Stage { Created, Loaded, Unloading, Unloaded };
    Stage stage_ = Stage::Created;
    // Modal state: the windows this dialog disabled, to enable again when it ends.
    std::vector<HWND> disabledWindows_;
    bool modal_ = false;

    // Keyboard messages taken by the hook, waiting for their dispatch here.
    std::deque<std::pair<WPARAM, MSG>> deferredKeys_;
    WPARAM nextKeySequence_ = 1;
};

// Private messages of the dialog window (WM_APP range: clear of the dialog manager's DM_*).
inline constexpr UINT kMsgDeferredKey = WM_APP + 0x41;
// The timer that keeps the date and time panels current.
inline constexpr UINT_PTR kClockTimerId = 1;

// The thread's keyboard hook (schedule_keyboard.cpp): installed for the loaded form,
// removed when it ends. Only one schedule dialog exists at a time.
void AttachKeyboard(const std::shared_ptr<ScheduleForm>& form);
void DetachKeyboard(const ScheduleForm* form);

}  // namespace cadencer::dialog
