// The schedule in words: one sentence per kind, built from the same readings of the
// settings that the next-run computation makes.
#include "engine/schedule_words.h"

#include <array>
#include <cstdio>

#include "engine/next_run.h"

namespace cadencer {
namespace {

// Monday first, as the schedule dialog lays the weekdays out; index = mask position.
constexpr std::array<int, 7> kWeekdayOrder = {1, 2, 3, 4, 5, 6, 0};
constexpr std::array<const char16_t*, 7> kWeekdayNames = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                          u"Thursday", u"Friday", u"Saturday"};

std::u16string Ascii(const char* text) {
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string Number(long long value) {
    return Ascii(std::to_string(value).c_str());
}

std::u16string DateText(OleDate value) {
    const auto f = Decompose(value);
    if (!f) return u"an invalid date";
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", f->year, f->month, f->day);
    return Ascii(text);
}

std::u16string TimeAndRange(const ScheduleSettings& s) {
    const int minuteOfDay = StartMinuteOfDay(s);
    char at[24];  // room for any int the format could be given
    std::snprintf(at, sizeof at, " at %02d:%02d", minuteOfDay / 60, minuteOfDay % 60);
    std::u16string text = Ascii(at) + u", from " + DateText(s.StartDate);
    text += s.UseEndDate ? u" until " + DateText(s.EndDate) : std::u16string(u", no end date");
    return text;
}

bool Selected(const std::u16string& mask, std::size_t position) {
    return position < mask.size() && mask[position] == u'1';
}

std::u16string Weekly(const ScheduleSettings& s) {
    std::vector<std::u16string> days;
    for (const int position : kWeekdayOrder)
        if (Selected(s.SelectionsWeekly, static_cast<std::size_t>(position)))
            days.emplace_back(kWeekdayNames[static_cast<std::size_t>(position)]);
    if (days.empty()) return u"Weekly, but no weekday is selected";
    return u"Weekly on " + JoinWithAnd(days) + TimeAndRange(s);
}

std::u16string Monthly(const ScheduleSettings& s) {
    std::vector<std::u16string> days;
    for (std::size_t day = 1; day <= kMonthlyWidth; ++day)
        if (Selected(s.SelectionsMonthly, day - 1)) days.push_back(Ordinal(static_cast<int>(day)));
    if (days.empty()) return u"Monthly, but no day of the month is selected";
    return u"Monthly on the " + JoinWithAnd(days) + TimeAndRange(s);
}

std::u16string Every(const ScheduleSettings& s) {
    const bool hours = s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours);
    const bool minutes = s.EveryFrequency == static_cast<std::int32_t>(EveryType::Minutes);
    if (!hours && !minutes) return u"Every " + Number(s.EveryInterval) + u" of an unknown unit, so never";
    const std::u16string unit = hours ? u"hour" : u"minute";
    if (s.EveryInterval <= 0) return u"Every " + Number(s.EveryInterval) + u" " + unit + u"s, so never";
    if (s.EveryInterval == 1) return u"Every " + unit;
    return u"Every " + Number(s.EveryInterval) + u" " + unit + u"s";
}

}  // namespace

std::u16string Ordinal(int number) {
    const int lastTwo = number % 100;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        switch (number % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return Number(number) + Ascii(suffix);
}

std::u16string JoinWithAnd(const std::vector<std::u16string>& items) {
    std::u16string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) text += i + 1 == items.size() ? u" and " : u", ";
        text += items[i];
    }
    return text;
}

std::u16string DescribeSchedule(const ScheduleSettings& s) {
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            return u"Never";
        case static_cast<std::int32_t>(Occurs::Daily):
            return u"Daily" + TimeAndRange(s);
        case static_cast<std::int32_t>(Occurs::Weekly):
            return Weekly(s);
        case static_cast<std::int32_t>(Occurs::Monthly):
            return Monthly(s);
        case static_cast<std::int32_t>(Occurs::Every):
            return Every(s);
        default:
            return u"Unknown kind " + Number(s.OccursOption) + u", so never";
    }
}

}  // namespace cadencer
