// The schedule dialog's decisions that need no window: which check of the OK path fails
// and what it says, how check-box values become the selection masks and back, the
// message title, the interval limits of a unit, the no-events test, and the conversion
// of the design's twips into pixels. The Windows form reads its controls into these
// plain values and acts on the answers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "dialog/schedule_design.h"
#include "engine/ole_date.h"
#include "engine/schedule_settings.h"
#include "engine/twips.h"
#include "text/catalog.h"

namespace cadencer::dialog {

// ---- Validation (the OK path's checks, in their order)
enum class Problem { None, StartAfterEnd, NoWeekday, NoCalendarDate };

struct ValidationInput {
    int selectedKind = -1;   // the first selected OccursOption, -1 when none
    bool noEndDate = false;  // EndOption(1) ("No end date") selected
    // Midnights from DateStart to DateEnd; empty when a picker's date cannot be read (the
    // check is then skipped, as a failing step is).
    std::optional<std::int64_t> daysStartToEnd;
    std::array<int, 8> weekly{};    // WeeklyDay(1..7) values at [1..7]: 0, 1 or 2 (grayed)
    std::array<int, 32> monthly{};  // DateCheck(1..31) values at [1..31]
};

Problem ValidateSchedule(const ValidationInput& input);

enum class MessageIcon { Error, Warning };
struct DialogMessage {
    std::u16string_view text;  // in English; textId names it in the catalog
    text::Id textId = text::Id::ErrorStartAfterEnd;
    MessageIcon icon = MessageIcon::Error;
    int focusControl = 0;  // the control the focus moves to before the message
};
// The message of a failed check, or of the no-events warning.
DialogMessage MessageFor(Problem problem);
DialogMessage NoEventsWarning();
// " " followed by the title without its leading and trailing blanks.
std::u16string MessageTitle(std::u16string_view title);

// ---- Masks
// One decimal digit per box value, in order ("0", "1", "2").
std::u16string BuildMask(std::span<const int> values);
// The check-box value that a mask character loads, or empty when the box cannot take it
// (anything but "0", "1" and "2": loading then leaves the box as it is).
std::optional<int> BoxValueOfMaskChar(char16_t c);

// ---- Every interval
struct IntervalLimits {
    std::int16_t min = 0;
    std::int16_t max = 0;
    std::int16_t increment = 0;
};
// The limits of the unit at the list index: minutes for 1, hours for anything else.
IntervalLimits LimitsForUnit(int listIndex, const ScheduleSettings& settings);
// The interval pulled into the limits: first down to the maximum, then up to the minimum
// (so with a minimum above the maximum the minimum wins). The unit list's handler pulls the
// number field's value into the field's own limits this way.
double PullIntoLimits(double value, double min, double max);
double PullIntoLimits(double value, const IntervalLimits& limits);

// ---- The no-events warning
// Whether OK checks for future events at all: "End:" in use, not yet warned since the
// last change, and a stored kind other than Never.
bool NoEventsCheckApplies(bool endDateUsed, bool alreadyWarned, std::int32_t storedKind);
// Whether the next run lies before the present minute (the never marker always does).
// A time that cannot be compared gives no warning.
bool NothingScheduled(OleDate nextRun, OleDate now);

// ---- Twips and pixels
// Twips to pixels at dpi and back: engine/twips.h.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};
// A rectangle converted edge by edge, so that adjacent rectangles stay adjacent.
PixelRect ToPixels(const TwipRect& rect, int dpi);

}  // namespace cadencer::dialog
