// The locale names port on Windows: weekday names and short dates and times from the
// platform's locale data, in the locale's own words and order.
#include "win/locale_names.h"

namespace cadencer::win {
namespace {

constexpr LANGID kEnglishUnitedStates = 0x0409;

LCID Concrete(LCID lcid) {
    if (lcid == 0 || lcid == LOCALE_USER_DEFAULT) return GetUserDefaultLCID();
    if (lcid == LOCALE_SYSTEM_DEFAULT) return GetSystemDefaultLCID();
    return lcid;
}

class PlatformNames final : public text::LocaleNames {
public:
    explicit PlatformNames(std::wstring locale) : locale_(std::move(locale)) {}

    std::u16string WeekdayName(int dayOfWeek) const override {
        if (dayOfWeek < 0 || dayOfWeek > 6) return {};
        // LOCALE_SDAYNAME1 is Monday, LOCALE_SDAYNAME7 Sunday.
        const LCTYPE type = LOCALE_SDAYNAME1 + static_cast<LCTYPE>((dayOfWeek + 6) % 7);
        const std::wstring name = Info(type);
        return name.empty() ? Fallback().WeekdayName(dayOfWeek) : Text(name);
    }

    std::u16string ShortDate(int year, int month, int day) const override {
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(year);
        st.wMonth = static_cast<WORD>(month);
        st.wDay = static_cast<WORD>(day);
        wchar_t text[128];
        const std::wstring picture = Info(LOCALE_SSHORTDATE);
        if (picture.empty() || !GetDateFormatEx(locale_.c_str(), 0, &st, picture.c_str(), text, 128, nullptr))
            return Fallback().ShortDate(year, month, day);
        return Text(text);
    }

    std::u16string ShortTime(int hour, int minute) const override {
        SYSTEMTIME st{};
        st.wYear = 2000;
        st.wMonth = 1;
        st.wDay = 1;
        st.wHour = static_cast<WORD>(hour);
        st.wMinute = static_cast<WORD>(minute);
        wchar_t text[128];
        const std::wstring picture = Info(LOCALE_SSHORTTIME);
        if (picture.empty() || !GetTimeFormatEx(locale_.c_str(), 0, &st, picture.c_str(), text, 128))
            return Fallback().ShortTime(hour, minute);
        return Text(text);
    }

private:
    std::wstring Info(LCTYPE type) const {
        wchar_t text[128];
        return GetLocaleInfoEx(locale_.c_str(), type, text, 128) > 0 ? std::wstring(text) : std::wstring();
    }
    static std::u16string Text(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
    static const text::LocaleNames& Fallback() { return text::InvariantNames(); }

    std::wstring locale_;
};

}  // namespace

text::Language TextLanguage(LCID lcid) {
    if (lcid == 0 || lcid == LOCALE_USER_DEFAULT) return text::LanguageFromLangId(GetUserDefaultUILanguage());
    if (lcid == LOCALE_SYSTEM_DEFAULT) return text::LanguageFromLangId(GetSystemDefaultUILanguage());
    return text::LanguageFromLangId(lcid);
}

std::unique_ptr<text::LocaleNames> PlatformLocaleNames(LCID lcid) {
    const LCID concrete = Concrete(lcid);
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    if (LANGIDFROMLCID(concrete) == kEnglishUnitedStates ||
        !LCIDToLocaleName(concrete, name, LOCALE_NAME_MAX_LENGTH, 0))
        return text::MakeInvariantNames();
    return std::make_unique<PlatformNames>(name);
}

namespace {

// The day names of the sentence's language, and the dates and times of the locale.
ShownLocale Shown(text::Language language, std::unique_ptr<text::LocaleNames> formats) {
    const std::u16string_view tag = text::LanguageTag(language);
    const LCID words = language == text::Language::English ? 0 : LcidOfTag(std::wstring(tag.begin(), tag.end()));
    return {language,
            text::CombineNames(words ? PlatformLocaleNames(words) : text::MakeInvariantNames(), std::move(formats))};
}

}  // namespace

ShownLocale ShownLocaleFor(LCID lcid) {
    return Shown(TextLanguage(lcid), PlatformLocaleNames(lcid));
}

std::optional<ShownLocale> ShownLocaleOf(const VARIANT& locale) {
    const VARIANT* v = &locale;
    if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    if (!v || V_VT(v) == VT_EMPTY || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND))
        return ShownLocaleFor(0);
    if (V_VT(v) == VT_BSTR || V_VT(v) == (VT_BSTR | VT_BYREF)) {
        const BSTR tag = V_VT(v) == VT_BSTR ? V_BSTR(v) : *V_BSTRREF(v);
        const std::wstring text = tag ? std::wstring(tag, SysStringLen(tag)) : std::wstring();
        if (text.empty()) return ShownLocaleFor(0);
        const LCID lcid = LcidOfTag(text);
        ShownLocale shown{
            text::LanguageFromTag(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size())),
            lcid ? PlatformLocaleNames(lcid) : text::MakeInvariantNames()};
        return shown;
    }
    VARIANT number;
    VariantInit(&number);
    if (FAILED(VariantChangeType(&number, const_cast<VARIANT*>(v), 0, VT_I4)) || V_I4(&number) < 0) return std::nullopt;
    return ShownLocaleFor(static_cast<LCID>(V_I4(&number)));
}

LCID LcidOfTag(const std::wstring& tag) {
    if (tag.empty()) return 0;
    const LCID lcid = LocaleNameToLCID(tag.c_str(), 0);
    return lcid == LOCALE_CUSTOM_UNSPECIFIED || lcid == LOCALE_CUSTOM_UI_DEFAULT ? 0 : lcid;
}

}  // namespace cadencer::win
