// Which language the dialog speaks and whose formats it shows: the container's LocaleID
// for both when it gives one, else the user's UI language for the texts and the user's
// locale for the formats. English (United States) keeps the design's picker formats; every
// other locale shows its own short date and short time. A change of the user's regional
// settings while the dialog is open (WM_SETTINGCHANGE "intl") is applied at once.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

#include "dialog/win/schedule_form.h"
#include "win/controls.h"

namespace cadencer::dialog {
namespace {

constexpr LCID kEnglishUnitedStates = 0x0409;

std::wstring NameOfLocale(LCID lcid) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    if (LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0) <= 0) return L"en-US";
    return name;
}

std::wstring LocaleText(const std::wstring& locale, LCTYPE type) {
    wchar_t text[100] = L"";
    if (GetLocaleInfoEx(locale.c_str(), type, text, 100) <= 0) return {};
    return text;
}

}  // namespace

DialogLocale ResolveDialogLocale(std::optional<std::uint32_t> ambient) {
    DialogLocale locale;
    locale.fromUser = !ambient;
    const LCID formats = ambient ? static_cast<LCID>(*ambient) : GetUserDefaultLCID();
    locale.language = ambient ? LANGIDFROMLCID(static_cast<LCID>(*ambient)) : GetUserDefaultUILanguage();
    locale.formatsLcid = formats;
    locale.formats = NameOfLocale(formats);
    return locale;
}

std::u16string ScheduleForm::CaptionOf(const ControlDesign& design) const {
    if (design.text) return T(*design.text);
    if (design.id > id::WeeklyDay && design.id <= id::WeeklyDay + 7) return WeekdayName(design.id - id::WeeklyDay);
    return std::u16string(design.caption);
}

// A weekday box's caption (index 1 Sunday to 7 Saturday): in English as designed, in another
// language as the platform names the day.
std::u16string ScheduleForm::WeekdayName(int index) const {
    const std::u16string designed(FindControl(id::WeeklyDay + index)->caption);
    if (language_ == text::Language::English) return designed;
    // The formats' locale where it speaks the dialog's language (de-AT for German), else the
    // language itself.
    std::wstring locale(text::LanguageTag(language_).begin(), text::LanguageTag(language_).end());
    if (text::LanguageFromLangId(LANGIDFROMLCID(locale_.formatsLcid)) == language_) locale = locale_.formats;
    const std::wstring name = LocaleText(locale, LOCALE_SDAYNAME1 + static_cast<LCTYPE>((index + 5) % 7));
    return name.empty() ? designed : win::U(name);
}

std::u16string ScheduleForm::UnitText(int index) const {
    return T(kEveryUnits[index == 1 ? 1 : 0]);
}

std::u16string ScheduleForm::HintText(int index) const {
    return T(kHints[index]);
}

std::u16string ScheduleForm::Shown(std::u16string_view value, text::Id id) const {
    if (value == text::Text(text::Language::English, id)) return T(id);
    return std::u16string(value);
}

bool ScheduleForm::DesignFormats() const {
    return LANGIDFROMLCID(locale_.formatsLcid) == kEnglishUnitedStates;
}

std::wstring ScheduleForm::PickerFormat(Kind kind) const {
    if (kind == Kind::TimePicker) {
        if (DesignFormats()) return L"hh:mm tt";
        std::wstring format = LocaleText(locale_.formats, LOCALE_SSHORTTIME);
        return format.empty() ? L"HH:mm" : format;
    }
    if (DesignFormats()) return L"MM/dd/yyy";
    std::wstring format = LocaleText(locale_.formats, LOCALE_SSHORTDATE);
    return format.empty() ? L"yyyy-MM-dd" : format;
}

void ScheduleForm::ApplyPickerFormats() {
    for (int id : {id::TimeStart, id::DateStart, id::DateEnd})
        if (const HWND picker = Ctl(id)) win::SetPickerFormat(picker, PickerFormat(FindControl(id)->kind).c_str());
}

// WM_SETTINGCHANGE: the user's regional settings changed. Formats taken from the user's
// locale follow them; a container's locale keeps its formats, which the user may also have
// customised, so they are read again too.
void ScheduleForm::Form_SettingChange(const wchar_t* area) {
    if (!area || lstrcmpiW(area, L"intl") != 0) return;
    if (locale_.fromUser) {
        locale_.formatsLcid = GetUserDefaultLCID();
        locale_.formats = NameOfLocale(locale_.formatsLcid);
    }
    ApplyPickerFormats();
    UpdateClockPanels();
    Relayout();
}

}  // namespace cadencer::dialog
