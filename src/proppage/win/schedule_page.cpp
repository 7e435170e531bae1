// The "Schedule" property page: the kind, the number with its unit, the time, the start and
// end dates, "No end date", the weekdays and the days of the month, laid out from the
// schedule dialog's own design table (each frame's contents at the frame's place on the
// page), with the dialog's rules: the interval held to its unit's limits, the fields a kind
// does not use disabled, and OK's checks before anything is applied. A summary below says
// the schedule in words and when it next falls due.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <array>
#include <memory>

#include "control/property_table.h"
#include "dialog/schedule_rules.h"
#include "dialog/win/schedule_editor.h"
#include "engine/next_run.h"
#include "engine/schedule_words.h"
#include "proppage/win/page_window.h"
#include "win/controls.h"
#include "win/high_contrast.h"
#include "win/locale_names.h"

namespace cadencer::proppage {
namespace {

using dialog::Frame;
using dialog::Kind;
using dialog::SelectedOption;
using dialog::SelectOption;
using dialog::TwipRect;
namespace id = dialog::id;

// Where each of the dialog's frames stands on the page: "Occurs" and "Execution" as in the
// dialog, the weekly and monthly frames side by side with them, the summary below.
constexpr int kRightColumn = 4755;
constexpr TwipRect kSummaryFrame = {240, 3240, 4275, 1230};
constexpr TwipRect kSummaryText = {360, 3480, 4035, 930};
constexpr int kSummaryFrameId = 400;
constexpr int kSummaryTextId = 401;

struct Origin {
    int left;
    int top;
};

Origin OriginOf(Frame frame) {
    switch (frame) {
        case Frame::Weekly:
            return {kRightColumn, 150};
        case Frame::Monthly:
            return {kRightColumn, 1710};
        default: {
            const TwipRect r = dialog::FrameRect(frame);
            return {r.left, r.top};
        }
    }
}

Frame FrameOfFrameControl(int controlId) {
    return static_cast<Frame>(controlId - id::FrameOccurs + static_cast<int>(Frame::Occurs));
}

// The design rectangle of a control placed on the page.
TwipRect PageRect(const dialog::ControlDesign& design) {
    if (design.kind == Kind::Frame) {
        const Frame frame = FrameOfFrameControl(design.id);
        const Origin o = OriginOf(frame);
        return {o.left, o.top, design.rect.width, design.rect.height};
    }
    const Origin o = OriginOf(design.frame);
    return {o.left + design.rect.left, o.top + design.rect.top, design.rect.width, design.rect.height};
}

bool OnPage(const dialog::ControlDesign& design) {
    if (design.kind == Kind::Frame) return true;
    return design.frame != Frame::None;  // the buttons and the status bar are the frame's
}

// English as it has always been written (2026-12-07 09:30); another language in its words
// and its locale's short date and time.
std::u16string DueText(const ScheduleSettings& s, text::Language language, const text::LocaleNames& names) {
    const OleDate now = win::LocalNow();
    if (now == kZeroDate) return {};
    // The page sets no LastScheduledTime: an Every schedule counts from now.
    ScheduleSettings schedule = s;
    schedule.LastScheduledTime = NeverMarker(now);
    const OleDate next = ComputeNextRun(schedule, now, 0);
    if (IsNeverMarker(next, now) || next == kZeroDate)
        return std::u16string(text::Text(language, text::Id::PageNothingDue));
    const auto f = Decompose(next);
    if (!f) return {};
    return text::Say(language, text::Id::PageNextDue,
                     {names.ShortDate(f->year, f->month, f->day), names.ShortTime(f->hour, f->minute)});
}

class SchedulePage final : public PageWindow {
public:
    PageKind Kind() const override { return PageKind::Schedule; }
    std::u16string Title() const override { return T(text::Id::PageSchedule); }
    TwipSize DesignSize() const override { return {kRightColumn + 4275 + 240, 4620}; }
    bool FocusProperty(std::u16string_view name) override;

private:
    std::vector<TextPlace> TextPlaces() const override;
    void CreateControls() override;
    void Fill(const PropertyValues& values) override;
    PropertyValues Read() override;
    PropertyValues Baseline() override;
    bool Validate() override;
    void RouteCommand(int controlId, int code) override;
    void RouteNotify(const NMHDR& header) override;
    void DrawDesign(HDC dc) override;
    // A part's caption in the page's language; a weekday's as the platform names it.
    std::u16string CaptionOf(const dialog::ControlDesign& design) const;
    // The weekday names, dates and times of the page's language (English: the invariant ones).
    const text::LocaleNames& Names() const;
    mutable std::unique_ptr<text::LocaleNames> names_;
    HBRUSH Page_CtlColorStatic(HDC dc, HWND control) override;

    // The handlers of the dialog's parts, as the page has them. An edit of any field updates
    // the summary and tells the frame (Changed).
    void OccursOption_Click(int index);
    void EndOption_Click(int index);
    void EveryCombo_Click();
    void WeeklyDay_Click(int index) { ToggleDayBox(id::WeeklyDay + index); }
    void DateCheck_Click(int index) { ToggleDayBox(id::DateCheck + index); }
    void EveryNumber_Change() { Changed(); }
    void TimeStart_Change() { Changed(); }
    void DateStart_Change() { Changed(); }
    void DateEnd_Change() { Changed(); }
    void ToggleDayBox(int controlId);

    ScheduleSettings Current();
    void UpdateEnabledState();
    void UpdateSummary();
    void Changed();
    bool FrameEnabled(Frame frame) const;

    ScheduleSettings loaded_;
    dialog::ScheduleEditor editor_;
    struct NumberEvents final : numberentry::DigitfieldEvents {
        SchedulePage* page = nullptr;
        void Change() override {
            if (page) page->EveryNumber_Change();
        }
    } numberEvents_;
    struct Brushes {
        HBRUSH cyan = CreateSolidBrush(dialog::kDateLabelBackColor);
        ~Brushes() { DeleteObject(cyan); }
    } brushes_;
};

// The frames' titles, the labels and the options' and boxes' captions (a day's box keeps its
// clipped number); the calendar's painted labels wrap in their cells.
std::vector<PageWindow::TextPlace> SchedulePage::TextPlaces() const {
    auto english = [](text::Id id) { return text::Text(text::Language::English, id); };
    std::vector<TextPlace> places{{kSummaryFrame, T(text::Id::PageSummary), english(text::Id::PageSummary), 16}};
    for (const auto& design : dialog::Design()) {
        if (!OnPage(design) || (design.kind == Kind::Label && design.frame == Frame::Monthly)) continue;
        if (design.kind == Kind::Frame)
            places.push_back({PageRect(design), CaptionOf(design), design.caption, 16});
        else if (design.kind == Kind::Label)
            places.push_back({PageRect(design), CaptionOf(design), design.caption, 0});
        else if ((design.kind == Kind::Option || design.kind == Kind::Check) && design.id <= id::DateCheck &&
                 !CaptionOf(design).empty())
            places.push_back({PageRect(design), CaptionOf(design), design.caption, 20});
    }
    return places;
}

void SchedulePage::CreateControls() {
    numberEvents_.page = this;
    for (const auto& design : dialog::Design()) {
        if (!OnPage(design)) continue;
        // The calendar's day labels are drawn with its grid (DrawDesign); the other labels are
        // real label windows, each before the field it names.
        if (design.kind == Kind::Label && design.frame == Frame::Monthly) continue;
        const TwipRect r = PageRect(design);
        DWORD style = design.tabStop ? WS_TABSTOP : 0;
        if (design.startsGroup) style |= WS_GROUP;
        HWND control = nullptr;
        switch (design.kind) {
            case Kind::Frame:
                control = AddControl(L"BUTTON", CaptionOf(design), BS_GROUPBOX, r, design.id);
                break;
            case Kind::Label:
                control = AddControl(L"STATIC", CaptionOf(design), SS_LEFT | SS_NOPREFIX, r, design.id);
                break;
            case Kind::Option:
                control = AddControl(L"BUTTON", CaptionOf(design), style | BS_AUTORADIOBUTTON, r, design.id);
                break;
            case Kind::Check: {
                // A day's box carries its number as its (clipped) text: its accessible name.
                const bool day = design.id > id::DateCheck;
                const std::u16string caption =
                    day ? win::U(std::to_wstring(design.id - id::DateCheck)) : CaptionOf(design);
                control = AddControl(L"BUTTON", caption, style | BS_3STATE, r, design.id);
                break;
            }
            case Kind::ComboList:
                control = AddControl(WC_COMBOBOXW, u"", style | CBS_DROPDOWNLIST | WS_VSCROLL, r, design.id, 1200);
                break;
            case Kind::TimePicker:
                control = AddControl(DATETIMEPICK_CLASSW, u"", style | DTS_UPDOWN, r, design.id);
                win::SetPickerFormat(control, L"hh:mm tt");
                break;
            case Kind::DatePicker:
                control = AddControl(DATETIMEPICK_CLASSW, u"", style | DTS_SHORTDATEFORMAT, r, design.id);
                win::SetPickerFormat(control, L"MM/dd/yyy");
                break;
            case Kind::NumberField:
                control = editor_.CreateNumber(hwnd_, design.id, PixelRect(r), &numberEvents_, Font());
                break;
            case Kind::Button:
            case Kind::StatusBar:
                break;
        }
        if (control) editor_.Adopt(design.id, control);
    }
    AddControl(L"BUTTON", T(text::Id::PageSummary), BS_GROUPBOX, kSummaryFrame, kSummaryFrameId);
    AddControl(L"STATIC", u"", SS_LEFT | SS_NOPREFIX, kSummaryText, kSummaryTextId);
    editor_.FillUnitList(Language());
}

const text::LocaleNames& SchedulePage::Names() const {
    if (Language() == text::Language::English) return text::InvariantNames();
    if (!names_) {
        const std::u16string tag(text::LanguageTag(Language()));
        names_ = win::PlatformLocaleNames(win::LcidOfTag(std::wstring(tag.begin(), tag.end())));
    }
    return names_ ? *names_ : text::InvariantNames();
}

std::u16string SchedulePage::CaptionOf(const dialog::ControlDesign& design) const {
    if (design.text) return T(*design.text);
    const bool weekday = design.id > id::WeeklyDay && design.id <= id::WeeklyDay + 7;
    if (!weekday || Language() == text::Language::English) return std::u16string(design.caption);
    const std::u16string name = Names().WeekdayName(design.id - id::WeeklyDay - 1);
    return name.empty() ? std::u16string(design.caption) : name;
}

bool SchedulePage::FrameEnabled(Frame frame) const {
    const int kind = editor_.SelectedKind();
    switch (frame) {
        case Frame::Occurs:
            return true;
        case Frame::Daily:
            return kind >= 1 && kind <= 3;
        case Frame::Weekly:
            return kind == 2;
        case Frame::Monthly:
            return kind == 3;
        case Frame::None:
            break;
    }
    return false;
}

// The fields a kind does not use are disabled, as the dialog hides them.
void SchedulePage::UpdateEnabledState() {
    const bool every = editor_.SelectedKind() == 4;
    const bool endUsed = editor_.EndDateUsed();
    for (const auto& design : dialog::Design()) {
        if (!OnPage(design)) continue;
        const Frame frame = design.kind == Kind::Frame ? FrameOfFrameControl(design.id) : design.frame;
        bool enabled = FrameEnabled(frame);
        if (design.id == id::EveryNumber || design.id == id::EveryCombo) enabled = every;
        if (design.id == id::DateEnd) enabled = enabled && endUsed;
        if (design.id == id::EveryNumber) {
            editor_.Number().SetEnabled(enabled);
        } else if (HWND control = Item(design.id)) {
            if ((IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
        }
    }
    InvalidateRect(hwnd_, nullptr, FALSE);  // the calendar's drawn labels follow their frame
}

void SchedulePage::Fill(const PropertyValues& values) {
    loaded_ = ScheduleOfValues(values);
    const ScheduleSettings& s = loaded_;
    SelectOption(editor_.Occurs(), s.OccursOption);
    editor_.Number().SetValue(Variant::I16(s.EveryInterval));
    win::ComboSelect(editor_.UnitList(), s.EveryFrequency >= 0 && s.EveryFrequency < 2 ? s.EveryFrequency : -1);
    // The unit's limits, and the number pulled into them, as the dialog's unit list does.
    editor_.ApplyUnitLimits(loaded_);
    editor_.LoadTimeAndDates(s);
    SelectOption(editor_.EndOptions(), s.UseEndDate ? 0 : 1);
    dialog::ScheduleEditor::ForEachLoadedBox(
        s, [this](int controlId, int value) { editor_.SetBoxValue(controlId, value); });
    UpdateEnabledState();
    UpdateSummary();
}

// The record as the fields show it, read as the dialog's OK stores it; a field that cannot
// be read keeps the loaded value, and so does the unit while the list shows none.
ScheduleSettings SchedulePage::Current() {
    ScheduleSettings s = loaded_;
    editor_.Store(s);
    if (s.EveryFrequency < 0) s.EveryFrequency = loaded_.EveryFrequency;
    return s;
}

PropertyValues SchedulePage::Read() {
    return ValuesOfSchedule(Current());
}

// An interval outside its unit's limits is shown pulled into them; like the dialog's OK, an
// Apply stores the number shown. Every other field shows its loaded meaning (hour 24 as
// midnight, a mask's blanks as unchecked boxes) and is applied only when edited.
PropertyValues SchedulePage::Baseline() {
    PropertyValues values = Read();
    for (auto& [name, value] : values)
        if (name == u"EveryInterval") value = Variant::I16(loaded_.EveryInterval);
    return values;
}

bool SchedulePage::Validate() {
    const auto message = editor_.Check();
    if (!message) return true;
    ShowMessage(message->text, dialog::MessageTitle(loaded_.Title), Item(message->focusControl));
    return false;
}

void SchedulePage::UpdateSummary() {
    const ScheduleSettings s = Current();
    const text::LocaleNames& names = Names();
    const std::u16string words =
        Language() == text::Language::English ? DescribeSchedule(s) : DescribeSchedule(s, Language(), names);
    win::SetText(Item(kSummaryTextId), win::W(words + u".\n" + DueText(s, Language(), names)));
}

void SchedulePage::Changed() {
    if (Loading()) return;
    UpdateSummary();
    Edited();
}

void SchedulePage::RouteCommand(int controlId, int code) {
    if (Loading()) return;
    if (controlId >= id::OccursOption && controlId < id::OccursOption + 5 && code == BN_CLICKED)
        OccursOption_Click(controlId - id::OccursOption);
    else if (controlId >= id::EndOption && controlId < id::EndOption + 2 && code == BN_CLICKED)
        EndOption_Click(controlId - id::EndOption);
    else if (controlId > id::WeeklyDay && controlId <= id::WeeklyDay + 7 && code == BN_CLICKED)
        WeeklyDay_Click(controlId - id::WeeklyDay);
    else if (controlId > id::DateCheck && controlId <= id::DateCheck + 31 && code == BN_CLICKED)
        DateCheck_Click(controlId - id::DateCheck);
    else if (controlId == id::EveryCombo && code == CBN_SELCHANGE)
        EveryCombo_Click();
}

void SchedulePage::RouteNotify(const NMHDR& header) {
    if (header.code != DTN_DATETIMECHANGE || Loading()) return;
    const auto controlId = static_cast<int>(header.idFrom);
    if (controlId == id::TimeStart) return TimeStart_Change();
    if (controlId == id::DateStart) return DateStart_Change();
    if (controlId == id::DateEnd) return DateEnd_Change();
}

void SchedulePage::OccursOption_Click(int index) {
    SelectOption(editor_.Occurs(), index);
    // Every with no unit chosen starts with hours, as in the dialog.
    if (index == 4 && editor_.Unit() < 0) {
        win::ComboSelect(editor_.UnitList(), 0);
        editor_.ApplyUnitLimits(loaded_);
    }
    UpdateEnabledState();
    Changed();
}

void SchedulePage::EndOption_Click(int index) {
    SelectOption(editor_.EndOptions(), index);
    UpdateEnabledState();
    Changed();
}

void SchedulePage::EveryCombo_Click() {
    editor_.ApplyUnitLimits(loaded_);
    Changed();
}

// A click turns a checked box off and an unchecked or grayed one on.
void SchedulePage::ToggleDayBox(int controlId) {
    editor_.SetBoxValue(controlId, editor_.BoxValue(controlId) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    Changed();
}

// The calendar: each day's cyan cell and number, then the grid lines over them.
void SchedulePage::DrawDesign(HDC dc) {
    const bool enabled = FrameEnabled(Frame::Monthly);
    const Origin o = OriginOf(Frame::Monthly);
    const HGDIOBJ oldFont = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    for (const auto& design : dialog::Design()) {
        if (design.kind != Kind::Label || design.frame != Frame::Monthly) continue;
        RECT r = PixelRect(PageRect(design));
        FillRect(
            dc, &r,
            design.cyanLabel ? win::DesignOrSystemBrush(brushes_.cyan, COLOR_WINDOW) : GetSysColorBrush(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        const std::wstring caption = win::W(design.caption);
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    for (const auto& line : dialog::DateLines()) {
        const int x1 = PxX(o.left + line.x1), y1 = Px(o.top + line.y1);
        const int x2 = PxX(o.left + line.x2), y2 = Px(o.top + line.y2);
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2 + (x1 == x2 ? 0 : 1), y2 + (y1 == y2 ? 0 : 1));
    }
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

HBRUSH SchedulePage::Page_CtlColorStatic(HDC dc, HWND control) {
    // A day's box stands on its cyan cell.
    const int controlId = GetDlgCtrlID(control);
    if (controlId <= id::DateCheck || controlId > id::DateCheck + 31) return nullptr;
    if (win::HighContrastOn()) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return GetSysColorBrush(COLOR_WINDOW);
    }
    SetBkColor(dc, dialog::kDateLabelBackColor);
    return brushes_.cyan;
}

bool SchedulePage::FocusProperty(std::u16string_view name) {
    using control::SchedulePart;
    const control::PropertyRow* row = control::FindProperty(name);
    if (row == nullptr || row->page.shownOn != control::PropertyPage::Schedule) return false;
    int controlId = 0;
    switch (row->page.part) {
        case SchedulePart::Kind: {
            const int kind = editor_.SelectedKind();
            controlId = id::OccursOption + (kind < 0 ? 0 : kind);
            break;
        }
        case SchedulePart::Number:
            FocusControl(editor_.Number().EditWindow());
            return true;
        case SchedulePart::Unit:
            controlId = id::EveryCombo;
            break;
        case SchedulePart::Time:
            controlId = id::TimeStart;
            break;
        case SchedulePart::StartDate:
            controlId = id::DateStart;
            break;
        case SchedulePart::EndDate:
            controlId = id::DateEnd;
            break;
        case SchedulePart::EndChoice:
            controlId = id::EndOption + (SelectedOption(editor_.EndOptions()) == 1 ? 1 : 0);
            break;
        case SchedulePart::Weekdays:
            controlId = id::WeeklyDay + 2;
            break;
        case SchedulePart::Days:
            controlId = id::DateCheck + 1;
            break;
        case SchedulePart::None:
            return false;
    }
    FocusControl(Item(controlId));
    return true;
}

}  // namespace

std::unique_ptr<PageWindow> MakeSchedulePage() {
    return std::make_unique<SchedulePage>();
}

}  // namespace cadencer::proppage
