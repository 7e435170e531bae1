// The never-run marker, the default end date and selection-string shaping of the shared schedule record.
#include "engine/schedule_settings.h"

namespace cadencer {

namespace {
constexpr std::int64_t kNeverMarkerMonthsBack = 50 * 12;
}  // namespace

OleDate NeverMarker(OleDate now) {
    if (const auto back = AddMonths(now, -kNeverMarkerMonthsBack)) return *back;
    return kMinOleDate;
}

DaySecond NeverMarker(DaySecond present) {
    if (const auto back = AddMonths(present, -kNeverMarkerMonthsBack)) return *back;
    return {kFirstDaySerial, 0};
}

OleDate DefaultEndDate(OleDate creationDay) {
    if (const auto end = AddMonths(creationDay, 1)) return *end;
    return creationDay;
}

std::u16string FitSelection(std::u16string_view text, std::size_t width) {
    std::u16string out(text.substr(0, width));
    out.resize(width, u' ');
    return out;
}

std::u16string NormaliseSelection(std::u16string_view text, std::size_t width) {
    std::u16string out(text.substr(0, width));
    out.resize(width, u'0');
    for (auto& c : out)
        if (c != u'0' && c != u'1') c = u'0';
    return out;
}

}  // namespace cadencer
