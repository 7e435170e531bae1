// The schedule dialog's window-free rules: validation order and messages, masks, the
// message title, interval limits, the no-events test and twips-to-pixels conversion.
#include "dialog/schedule_rules.h"

namespace cadencer::dialog {

Problem ValidateSchedule(const ValidationInput& input) {
    if (input.selectedKind == 0) return Problem::None;
    // Without an end date nothing is checked: an empty weekly or monthly mask is saved.
    if (input.noEndDate) return Problem::None;
    if (input.daysStartToEnd && *input.daysStartToEnd < 0) return Problem::StartAfterEnd;
    // Only a checked box (1) selects; a grayed one (2) does not.
    auto anyChecked = [](std::span<const int> values) {
        for (int v : values)
            if (v == 1) return true;
        return false;
    };
    if (input.selectedKind == 2 && !anyChecked(std::span<const int>(input.weekly).subspan(1)))
        return Problem::NoWeekday;
    if (input.selectedKind == 3 && !anyChecked(std::span<const int>(input.monthly).subspan(1)))
        return Problem::NoCalendarDate;
    return Problem::None;
}

namespace {
std::u16string_view English(text::Id id) {
    return text::Text(text::Language::English, id);
}
}  // namespace

DialogMessage MessageFor(Problem problem) {
    switch (problem) {
        case Problem::StartAfterEnd:
            return {English(text::Id::ErrorStartAfterEnd), text::Id::ErrorStartAfterEnd, MessageIcon::Error,
                    id::DateStart};
        case Problem::NoWeekday:
            return {English(text::Id::ErrorNoWeekday), text::Id::ErrorNoWeekday, MessageIcon::Error, id::WeeklyDay + 2};
        case Problem::NoCalendarDate:
            return {English(text::Id::ErrorNoCalendarDate), text::Id::ErrorNoCalendarDate, MessageIcon::Error,
                    id::DateCheck + 1};
        case Problem::None:
            break;
    }
    return {};
}

DialogMessage NoEventsWarning() {
    return {English(text::Id::WarningNoEvents), text::Id::WarningNoEvents, MessageIcon::Warning, id::DateStart};
}

std::u16string MessageTitle(std::u16string_view title) {
    const auto first = title.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return u" ";
    const auto last = title.find_last_not_of(u' ');
    return u" " + std::u16string(title.substr(first, last - first + 1));
}

std::u16string BuildMask(std::span<const int> values) {
    std::u16string mask;
    mask.reserve(values.size());
    for (int v : values) {
        // A box holds 0, 1 or 2; anything else would be a fault of the reader, shown as 0.
        mask.push_back(v >= 0 && v <= 2 ? static_cast<char16_t>(u'0' + v) : u'0');
    }
    return mask;
}

std::optional<int> BoxValueOfMaskChar(char16_t c) {
    if (c >= u'0' && c <= u'2') return c - u'0';
    return std::nullopt;
}

IntervalLimits LimitsForUnit(int listIndex, const ScheduleSettings& s) {
    if (listIndex == 1) return {s.EveryMinuteMin, s.EveryMinuteMax, s.EveryMinuteIncrement};
    return {s.EveryHourMin, s.EveryHourMax, s.EveryHourIncrement};
}

double PullIntoLimits(double value, double min, double max) {
    if (value > max) value = max;
    if (value < min) value = min;
    return value;
}

double PullIntoLimits(double value, const IntervalLimits& limits) {
    return PullIntoLimits(value, limits.min, limits.max);
}

bool NoEventsCheckApplies(bool endDateUsed, bool alreadyWarned, std::int32_t storedKind) {
    return endDateUsed && !alreadyWarned && storedKind != 0;
}

bool NothingScheduled(OleDate nextRun, OleDate now) {
    const auto minutes = MinuteDiff(now, nextRun);
    return minutes && *minutes < 0;
}

PixelRect ToPixels(const TwipRect& rect, int dpi) {
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi), TwipsToPixels(rect.right(), dpi),
            TwipsToPixels(rect.bottom(), dpi)};
}

}  // namespace cadencer::dialog
