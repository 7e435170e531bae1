// What the schedule dialog's inputs tell accessibility clients. The dialog draws its labels
// itself, so the platform's proxies cannot name an input after the label before it (they
// would name a picker by the date it shows and a calendar day's box not at all): each input
// serves its own client object, with the design's accessible name, its value where it
// shows one (the unit, the time, the dates), and the role and check state of its kind
// where the platform's proxy says no more than "client". The number field names itself
// after the unit the list shows.
#include "dialog/win/schedule_form.h"
#include "win/controls.h"

namespace cadencer::dialog {
namespace {

LONG RoleOf(Kind kind) {
    switch (kind) {
        case Kind::Option:
            return ROLE_SYSTEM_RADIOBUTTON;
        case Kind::Check:
            return ROLE_SYSTEM_CHECKBUTTON;
        case Kind::Button:
            return ROLE_SYSTEM_PUSHBUTTON;
        case Kind::ComboList:
            return ROLE_SYSTEM_COMBOBOX;
        case Kind::TimePicker:
            return ROLE_SYSTEM_SPINBUTTON;  // the time changes by its spin arrows
        case Kind::DatePicker:
            return ROLE_SYSTEM_DROPLIST;  // the date has a calendar that drops down
        case Kind::Frame:
        case Kind::Label:
        case Kind::NumberField:
        case Kind::StatusBar:
            break;
    }
    return 0;
}

}  // namespace

void ScheduleForm::ServeAccessibility(const ControlDesign& design, HWND control) {
    if (design.kind == Kind::NumberField) {
        UpdateNumberName();
        return;
    }
    const LONG role = RoleOf(design.kind);
    if (!role) return;  // frames and the status bar take no input
    win::AccessibleFacts facts;
    facts.role = role;
    // The buttons' captions are the host's to change: their own text names them.
    const std::u16string weekday =
        design.id > id::WeeklyDay && design.id <= id::WeeklyDay + 7 ? CaptionOf(design) : std::u16string();
    if (design.kind == Kind::ComboList)
        facts.name = [this] { return win::W(UnitListAccessibleName(UnitShown(), language_)); };
    else if (design.kind != Kind::Button)
        facts.name = [name = win::W(AccessibleName(design.id, language_, weekday))] { return name; };
    switch (design.kind) {
        case Kind::ComboList:
        case Kind::TimePicker:
        case Kind::DatePicker:
            facts.value = [control]() -> std::optional<std::wstring> { return win::WindowTextOf(control); };
            break;
        case Kind::Option:
        case Kind::Check:
            facts.state = [control] {
                const int value = win::GetCheck(control);
                return static_cast<LONG>(value == BST_CHECKED         ? STATE_SYSTEM_CHECKED
                                         : value == BST_INDETERMINATE ? STATE_SYSTEM_MIXED
                                                                      : 0);
            };
            break;
        case Kind::Button:
            facts.state = [control] {
                const auto type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
                return static_cast<LONG>(type == BS_DEFPUSHBUTTON ? STATE_SYSTEM_DEFAULT : 0);
            };
            break;
        default:
            break;
    }
    win::ServeAccessibleFacts(control, std::move(facts));
}

std::u16string ScheduleForm::UnitShown() const {
    const int unit = editor_.Unit();
    return unit == 0 || unit == 1 ? UnitText(unit) : std::u16string();
}

void ScheduleForm::UpdateNumberName() {
    editor_.Number().SetAccessibleName(EveryNumberAccessibleName(UnitShown(), language_));
}

}  // namespace cadencer::dialog
