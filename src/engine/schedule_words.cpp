// The schedule in words: one sentence pattern per kind from the message catalog, filled
// with the same readings of the settings that the next-run computation makes, and with the
// locale's weekday names, dates and times.
#include "engine/schedule_words.h"

#include <array>
#include <string>

#include "engine/next_run.h"

namespace cadencer {
namespace {

using text::Id;
using text::Language;

// Monday first, as the schedule dialog lays the weekdays out; index = mask position.
constexpr std::array<int, 7> kWeekdayOrder = {1, 2, 3, 4, 5, 6, 0};

std::u16string Number(long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

struct Words {
    const ScheduleSettings& s;
    Language language;
    const text::LocaleNames& names;

    std::u16string Date(OleDate value) const {
        const auto f = Decompose(value);
        if (!f) return std::u16string(text::Text(language, Id::WordsInvalidDate));
        return names.ShortDate(f->year, f->month, f->day);
    }

    std::u16string Time() const {
        const int minuteOfDay = StartMinuteOfDay(s);
        return names.ShortTime(minuteOfDay / 60, minuteOfDay % 60);
    }

    std::u16string Range() const {
        const std::u16string start = Date(s.StartDate);
        if (!s.UseEndDate) return text::Say(language, Id::WordsRangeOpen, {start});
        return text::Say(language, Id::WordsRangeClosed, {start, Date(s.EndDate)});
    }

    std::u16string List(const std::vector<std::u16string>& items) const {
        std::u16string out;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i > 0) out += text::Text(language, i + 1 == items.size() ? Id::WordsListAnd : Id::WordsListComma);
            out += items[i];
        }
        return out;
    }

    std::u16string Weekly() const {
        std::vector<std::u16string> days;
        for (const int position : kWeekdayOrder)
            if (Selected(s.SelectionsWeekly, static_cast<std::size_t>(position)))
                days.push_back(names.WeekdayName(position));
        if (days.empty()) return std::u16string(text::Text(language, Id::WordsWeeklyNone));
        return text::Say(language, Id::WordsWeekly, {List(days), Time(), Range()});
    }

    std::u16string Monthly() const {
        std::vector<std::u16string> days;
        for (std::size_t day = 1; day <= kMonthlyWidth; ++day)
            if (Selected(s.SelectionsMonthly, day - 1))
                days.push_back(text::SayRank(language, Id::DayRank, static_cast<long long>(day)));
        if (days.empty()) return std::u16string(text::Text(language, Id::WordsMonthlyNone));
        return text::Say(language, Id::WordsMonthly, {List(days), Time(), Range()});
    }

    std::u16string Every() const {
        const bool hours = s.EveryFrequency == static_cast<std::int32_t>(EveryType::Hours);
        const bool minutes = s.EveryFrequency == static_cast<std::int32_t>(EveryType::Minutes);
        if (!hours && !minutes) return text::Say(language, Id::WordsEveryUnknownUnit, {Number(s.EveryInterval)});
        if (s.EveryInterval <= 0)
            return text::SayCount(language, hours ? Id::WordsEveryHoursNever : Id::WordsEveryMinutesNever,
                                  s.EveryInterval);
        return text::SayCount(language, hours ? Id::WordsEveryHours : Id::WordsEveryMinutes, s.EveryInterval);
    }

    static bool Selected(const std::u16string& mask, std::size_t position) {
        return position < mask.size() && mask[position] == u'1';
    }
};

}  // namespace

std::u16string Ordinal(int number) {
    return text::SayRank(Language::English, Id::DayRank, number);
}

std::u16string JoinWithAnd(const std::vector<std::u16string>& items) {
    const ScheduleSettings none;
    return Words{none, Language::English, text::InvariantNames()}.List(items);
}

std::u16string DescribeSchedule(const ScheduleSettings& s) {
    return DescribeSchedule(s, Language::English, text::InvariantNames());
}

std::u16string DescribeSchedule(const ScheduleSettings& s, Language language, const text::LocaleNames& names) {
    const Words words{s, language, names};
    switch (s.OccursOption) {
        case static_cast<std::int32_t>(Occurs::Never):
            return std::u16string(text::Text(language, Id::WordsNever));
        case static_cast<std::int32_t>(Occurs::Daily):
            return text::Say(language, Id::WordsDaily, {words.Time(), words.Range()});
        case static_cast<std::int32_t>(Occurs::Weekly):
            return words.Weekly();
        case static_cast<std::int32_t>(Occurs::Monthly):
            return words.Monthly();
        case static_cast<std::int32_t>(Occurs::Every):
            return words.Every();
        default:
            return text::Say(language, Id::WordsUnknownKind, {Number(s.OccursOption)});
    }
}

}  // namespace cadencer
