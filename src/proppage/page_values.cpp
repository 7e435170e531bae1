// The property pages' tables and value conversions.
#include "proppage/page_values.h"

#include <array>
#include <limits>

namespace cadencer::proppage {
namespace {

constexpr std::array<std::u16string_view, 10> kScheduleSet = {
    u"OccursOption", u"EveryInterval", u"EveryFrequency", u"StartHour",        u"StartMinute",
    u"StartDate",    u"EndDate",       u"UseEndDate",     u"SelectionsWeekly", u"SelectionsMonthly"};
constexpr std::array<std::u16string_view, 17> kScheduleRead = {u"OccursOption",
                                                               u"EveryInterval",
                                                               u"EveryFrequency",
                                                               u"StartHour",
                                                               u"StartMinute",
                                                               u"StartDate",
                                                               u"EndDate",
                                                               u"UseEndDate",
                                                               u"SelectionsWeekly",
                                                               u"SelectionsMonthly",
                                                               u"EveryHourMin",
                                                               u"EveryHourMax",
                                                               u"EveryHourIncrement",
                                                               u"EveryMinuteMin",
                                                               u"EveryMinuteMax",
                                                               u"EveryMinuteIncrement",
                                                               u"Title"};
constexpr std::array<std::u16string_view, 12> kDialogSet = {u"Title",
                                                            u"CaptionOKButtonBefore",
                                                            u"CaptionOKButtonAfter",
                                                            u"CaptionCloseButtonBefore",
                                                            u"CaptionCloseButtonAfter",
                                                            u"CaptionHelpButton",
                                                            u"Modal",
                                                            u"ShowHelpButton",
                                                            u"StartUpPosition",
                                                            u"StartUpLeft",
                                                            u"StartUpTop",
                                                            u"Enabled"};

bool Contains(std::span<const std::u16string_view> names, std::u16string_view name) {
    for (const auto n : names)
        if (KeysEqualIgnoringCase(n, name)) return true;
    return false;
}

}  // namespace

PageKind PageOfProperty(std::u16string_view name) {
    if (Contains(kScheduleSet, name)) return PageKind::Schedule;
    if (Contains(kDialogSet, name)) return PageKind::Dialog;
    return PageKind::None;
}

std::span<const std::u16string_view> PropertiesSetBy(PageKind page) {
    switch (page) {
        case PageKind::Schedule:
            return kScheduleSet;
        case PageKind::Dialog:
            return kDialogSet;
        case PageKind::None:
            break;
    }
    return {};
}

std::span<const std::u16string_view> PropertiesReadBy(PageKind page) {
    return page == PageKind::Schedule ? std::span<const std::u16string_view>(kScheduleRead) : PropertiesSetBy(page);
}

const Variant* FindValue(const PropertyValues& values, std::u16string_view name) {
    for (const auto& [key, value] : values)
        if (KeysEqualIgnoringCase(key, name)) return &value;
    return nullptr;
}

PropertyValues ChangedValues(const PropertyValues& before, const PropertyValues& after) {
    PropertyValues changed;
    for (const auto& [name, value] : after) {
        const Variant* old = FindValue(before, name);
        if (!old || !(*old == value)) changed.emplace_back(name, value);
    }
    return changed;
}

ScheduleSettings ScheduleOfValues(const PropertyValues& values) {
    ScheduleSettings s;
    auto take = [&values](std::u16string_view name, auto convert, auto& field) {
        if (const Variant* v = FindValue(values, name))
            if (auto converted = (v->*convert)()) field = *converted;
    };
    take(u"OccursOption", &Variant::ToI32, s.OccursOption);
    take(u"EveryInterval", &Variant::ToI16, s.EveryInterval);
    take(u"EveryFrequency", &Variant::ToI32, s.EveryFrequency);
    take(u"EveryHourMin", &Variant::ToI16, s.EveryHourMin);
    take(u"EveryHourMax", &Variant::ToI16, s.EveryHourMax);
    take(u"EveryHourIncrement", &Variant::ToI16, s.EveryHourIncrement);
    take(u"EveryMinuteMin", &Variant::ToI16, s.EveryMinuteMin);
    take(u"EveryMinuteMax", &Variant::ToI16, s.EveryMinuteMax);
    take(u"EveryMinuteIncrement", &Variant::ToI16, s.EveryMinuteIncrement);
    take(u"StartHour", &Variant::ToI16, s.StartHour);
    take(u"StartMinute", &Variant::ToI16, s.StartMinute);
    take(u"StartDate", &Variant::ToDate, s.StartDate);
    take(u"EndDate", &Variant::ToDate, s.EndDate);
    take(u"UseEndDate", &Variant::ToBool, s.UseEndDate);
    take(u"Title", &Variant::ToString, s.Title);
    std::u16string weekly, monthly;
    take(u"SelectionsWeekly", &Variant::ToString, weekly);
    take(u"SelectionsMonthly", &Variant::ToString, monthly);
    s.SelectionsWeekly = FitSelection(weekly, kWeeklyWidth);
    s.SelectionsMonthly = FitSelection(monthly, kMonthlyWidth);
    return s;
}

PropertyValues ValuesOfSchedule(const ScheduleSettings& s) {
    return {{u"OccursOption", Variant::I32(s.OccursOption)},
            {u"EveryInterval", Variant::I16(s.EveryInterval)},
            {u"EveryFrequency", Variant::I32(s.EveryFrequency)},
            {u"StartHour", Variant::I16(s.StartHour)},
            {u"StartMinute", Variant::I16(s.StartMinute)},
            {u"StartDate", Variant::Date(s.StartDate)},
            {u"EndDate", Variant::Date(s.EndDate)},
            {u"UseEndDate", Variant::Bool(s.UseEndDate)},
            {u"SelectionsWeekly", Variant::String(s.SelectionsWeekly)},
            {u"SelectionsMonthly", Variant::String(s.SelectionsMonthly)}};
}

std::optional<std::int32_t> ParseLong(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(u' ') - first + 1);
    std::size_t i = text[0] == u'-' || text[0] == u'+' ? 1 : 0;
    if (i == text.size() || text.size() - i > 10) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
        value = value * 10 + (text[i] - u'0');
    }
    if (text[0] == u'-') value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace cadencer::proppage
