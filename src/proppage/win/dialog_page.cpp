// The "Dialog" property page: the schedule dialog's title and button captions, whether it
// is modal and shows its Help button, where it appears, and whether the control is
// enabled. Empty captions are applied as they are: the control's own lets replace them
// with their defaults, and the page shows the corrected values after Apply.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <array>
#include <vector>

#include "dialog/schedule_rules.h"
#include "proppage/win/page_window.h"
#include "win/controls.h"

namespace cadencer::proppage {
namespace {

using dialog::TwipRect;

constexpr int kFrameWidth = 4275;
constexpr int kRightColumn = 4755;

// The six texts: label, property, control identifier; one row each in the "Texts" frame.
struct TextRow {
    text::Id label;
    std::u16string_view property;
    int id;
};
constexpr std::array<TextRow, 6> kTextRows = {{
    {text::Id::PageTitle, u"Title", 510},
    {text::Id::PageOKBefore, u"CaptionOKButtonBefore", 511},
    {text::Id::PageOKAfter, u"CaptionOKButtonAfter", 512},
    {text::Id::PageCloseBefore, u"CaptionCloseButtonBefore", 513},
    {text::Id::PageCloseAfter, u"CaptionCloseButtonAfter", 514},
    {text::Id::PageHelpButton, u"CaptionHelpButton", 515},
}};
constexpr int kRowTop = 360;
constexpr int kRowPitch = 390;

struct CheckRow {
    text::Id caption;
    std::u16string_view property;
    int id;
    int top;
};
constexpr std::array<CheckRow, 3> kChecks = {{
    {text::Id::PageEnabled, u"Enabled", 530, 360},
    {text::Id::PageModal, u"Modal", 531, 690},
    {text::Id::PageShowHelp, u"ShowHelpButton", 532, 1020},
}};

constexpr int kTextsFrameId = 500, kBehaviourFrameId = 501;
constexpr int kLabelBase = 520;  // + row index: the text rows' labels
constexpr int kPositionLabel = 540, kPositionCombo = 541;
constexpr int kLeftLabel = 542, kLeftEdit = 543, kTopLabel = 544, kTopEdit = 545;
constexpr std::array<text::Id, 2> kPositions = {text::Id::PagePositionManual, text::Id::PagePositionCenter};

constexpr TwipRect InTexts(int left, int top, int width, int height) {
    return {240 + left, 150 + top, width, height};
}
constexpr TwipRect InBehaviour(int left, int top, int width, int height) {
    return {kRightColumn + left, 150 + top, width, height};
}

constexpr TwipRect kTextsFrame = {240, 150, kFrameWidth, 2790};
constexpr TwipRect kBehaviourFrame = {kRightColumn, 150, kFrameWidth, 2790};
constexpr TwipRect LabelRect(std::size_t row) {
    return InTexts(120, kRowTop + kRowPitch * static_cast<int>(row) + 30, 1860, 255);
}
constexpr TwipRect CheckRect(const CheckRow& check) {
    return InBehaviour(240, check.top, 2400, 255);
}
constexpr TwipRect kPositionLabelRect = InBehaviour(240, 1425, 1560, 255);
constexpr TwipRect kPositionComboRect = InBehaviour(1800, 1380, 2235, 315);
constexpr TwipRect kLeftLabelRect = InBehaviour(240, 1845, 1560, 255);
constexpr TwipRect kTopLabelRect = InBehaviour(240, 2265, 1560, 255);

class DialogPage final : public PageWindow {
public:
    PageKind Kind() const override { return PageKind::Dialog; }
    std::u16string Title() const override { return T(text::Id::PageDialog); }
    TwipSize DesignSize() const override { return {kRightColumn + kFrameWidth + 240, 3090}; }
    bool FocusProperty(std::u16string_view name) override;

private:
    std::vector<TextPlace> TextPlaces() const override;
    void CreateControls() override;
    void Fill(const PropertyValues& values) override;
    PropertyValues Read() override;
    bool Validate() override;
    void RouteCommand(int controlId, int code) override;
    // Every field's edit is the page's edit.
    void TextField_Change() { Edited(); }
    void BehaviourCheck_Click() { Edited(); }
    void PositionCombo_Click() { Edited(); }

    // The position texts read as whole numbers; the loaded value while a text is no number.
    std::int32_t Position(int editId, std::u16string_view property) const;

    PropertyValues loaded_;
};

// Every label, title and caption with its place; the combo's items beside its arrow.
std::vector<PageWindow::TextPlace> DialogPage::TextPlaces() const {
    auto place = [this](const TwipRect& rect, text::Id id, int beside) {
        return TextPlace{rect, T(id), text::Text(text::Language::English, id), beside};
    };
    std::vector<TextPlace> places{
        place(kTextsFrame, text::Id::PageTexts, 16), place(kBehaviourFrame, text::Id::PageBehaviour, 16),
        place(kPositionLabelRect, text::Id::PageStartUpPosition, 0), place(kLeftLabelRect, text::Id::PageLeft, 0),
        place(kTopLabelRect, text::Id::PageTop, 0)};
    for (std::size_t i = 0; i < kTextRows.size(); ++i) places.push_back(place(LabelRect(i), kTextRows[i].label, 0));
    for (const auto& check : kChecks) places.push_back(place(CheckRect(check), check.caption, 20));
    for (const auto position : kPositions) places.push_back(place(kPositionComboRect, position, 24));
    return places;
}

void DialogPage::CreateControls() {
    AddControl(L"BUTTON", T(text::Id::PageTexts), BS_GROUPBOX, kTextsFrame, kTextsFrameId);
    for (std::size_t i = 0; i < kTextRows.size(); ++i) {
        const int top = kRowTop + kRowPitch * static_cast<int>(i);
        AddControl(L"STATIC", T(kTextRows[i].label), SS_LEFT, LabelRect(i), kLabelBase + static_cast<int>(i));
        AddControl(L"EDIT", u"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, InTexts(2010, top, 2145, 315),
                   kTextRows[i].id);
    }
    AddControl(L"BUTTON", T(text::Id::PageBehaviour), BS_GROUPBOX, kBehaviourFrame, kBehaviourFrameId);
    for (const auto& check : kChecks)
        AddControl(L"BUTTON", T(check.caption), WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, CheckRect(check), check.id);
    AddControl(L"STATIC", T(text::Id::PageStartUpPosition), SS_LEFT, kPositionLabelRect, kPositionLabel);
    HWND combo = AddControl(WC_COMBOBOXW, u"", WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST | WS_VSCROLL,
                            kPositionComboRect, kPositionCombo, 900);
    for (const auto position : kPositions) win::ComboAdd(combo, win::W(T(position)));
    AddControl(L"STATIC", T(text::Id::PageLeft), SS_LEFT, kLeftLabelRect, kLeftLabel);
    AddControl(L"EDIT", u"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, InBehaviour(1800, 1800, 1200, 315),
               kLeftEdit);
    AddControl(L"STATIC", T(text::Id::PageTop), SS_LEFT, kTopLabelRect, kTopLabel);
    AddControl(L"EDIT", u"", WS_TABSTOP | WS_GROUP | WS_BORDER | ES_AUTOHSCROLL, InBehaviour(1800, 2220, 1200, 315),
               kTopEdit);
}

void DialogPage::Fill(const PropertyValues& values) {
    loaded_ = values;
    for (const auto& row : kTextRows) {
        const Variant* v = FindValue(values, row.property);
        const auto text = v ? v->ToString() : Expected<std::u16string>(std::u16string());
        win::SetText(Item(row.id), win::W(text ? *text : std::u16string()));
    }
    for (const auto& check : kChecks) {
        const Variant* v = FindValue(values, check.property);
        const auto on = v ? v->ToBool() : Expected<bool>(false);
        win::SetCheck(Item(check.id), on && *on ? BST_CHECKED : BST_UNCHECKED);
    }
    const Variant* position = FindValue(values, u"StartUpPosition");
    const auto index = position ? position->ToI32() : Expected<std::int32_t>(-1);
    // A position the list does not hold (the control stores any number) shows no entry.
    win::ComboSelect(Item(kPositionCombo), index && *index >= 0 && *index < 2 ? *index : -1);
    for (const auto& [editId, property] : {std::pair{kLeftEdit, control::Property(u"StartUpLeft").name},
                                           std::pair{kTopEdit, control::Property(u"StartUpTop").name}}) {
        const Variant* v = FindValue(values, property);
        const auto number = v ? v->ToI32() : Expected<std::int32_t>(0);
        win::SetText(Item(editId), std::to_wstring(number ? *number : 0));
    }
}

std::int32_t DialogPage::Position(int editId, std::u16string_view property) const {
    if (const auto value = ParseLong(win::U(win::WindowText(Item(editId))))) return *value;
    const Variant* v = FindValue(loaded_, property);
    const auto loaded = v ? v->ToI32() : Expected<std::int32_t>(0);
    return loaded ? *loaded : 0;
}

PropertyValues DialogPage::Read() {
    PropertyValues values;
    for (const auto& row : kTextRows)
        values.emplace_back(row.property, Variant::String(win::U(win::WindowText(Item(row.id)))));
    for (const auto& check : kChecks)
        values.emplace_back(check.property, Variant::Bool(win::GetCheck(Item(check.id)) == BST_CHECKED));
    const int index = win::ComboSelection(Item(kPositionCombo));
    if (index >= 0) {
        values.emplace_back(u"StartUpPosition", Variant::I32(index));
    } else if (const Variant* v = FindValue(loaded_, u"StartUpPosition")) {
        values.emplace_back(u"StartUpPosition", *v);
    }
    values.emplace_back(u"StartUpLeft", Variant::I32(Position(kLeftEdit, u"StartUpLeft")));
    values.emplace_back(control::Property(u"StartUpTop").name,
                        Variant::I32(Position(kTopEdit, control::Property(u"StartUpTop").name)));
    return values;
}

bool DialogPage::Validate() {
    const Variant* title = FindValue(loaded_, u"Title");
    const auto titleText = title ? title->ToString() : Expected<std::u16string>(std::u16string());
    for (const auto& [editId, message] :
         {std::pair{kLeftEdit, text::Id::PageLeftNotWhole}, std::pair{kTopEdit, text::Id::PageTopNotWhole}}) {
        if (ParseLong(win::U(win::WindowText(Item(editId))))) continue;
        ShowMessage(T(message), dialog::MessageTitle(titleText ? *titleText : u""), Item(editId));
        return false;
    }
    return true;
}

// The six texts and the two positions are text fields.
void DialogPage::RouteCommand(int controlId, int code) {
    if (Loading()) return;
    if (code == EN_CHANGE)
        TextField_Change();
    else if (controlId == kPositionCombo && code == CBN_SELCHANGE)
        PositionCombo_Click();
    else if (code == BN_CLICKED && controlId >= kChecks.front().id && controlId <= kChecks.back().id)
        BehaviourCheck_Click();
}

bool DialogPage::FocusProperty(std::u16string_view name) {
    int controlId = 0;
    for (const auto& row : kTextRows)
        if (KeysEqualIgnoringCase(name, row.property)) controlId = row.id;
    for (const auto& check : kChecks)
        if (KeysEqualIgnoringCase(name, check.property)) controlId = check.id;
    if (KeysEqualIgnoringCase(name, u"StartUpPosition")) controlId = kPositionCombo;
    if (KeysEqualIgnoringCase(name, u"StartUpLeft")) controlId = kLeftEdit;
    if (KeysEqualIgnoringCase(name, control::Property(u"StartUpTop").name)) controlId = kTopEdit;
    if (!controlId) return false;
    FocusControl(Item(controlId));
    return true;
}

}  // namespace

std::unique_ptr<PageWindow> MakeDialogPage() {
    return std::make_unique<DialogPage>();
}

std::unique_ptr<PageWindow> MakeSchedulePage();

std::unique_ptr<PageWindow> PageWindow::Make(PageKind kind) {
    switch (kind) {
        case PageKind::Schedule:
            return MakeSchedulePage();
        case PageKind::Dialog:
            return MakeDialogPage();
        case PageKind::None:
            break;
    }
    return nullptr;
}

}  // namespace cadencer::proppage
