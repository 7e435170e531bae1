// The demo host's texts of a control's schedule: the schedule in words (the engine's
// description of the values read through the automation interface) and dates.
#pragma once

#include <string>

#include "cadencer.h"

namespace demo {

std::wstring DescribeSchedule(_Cadencer* control);
std::wstring DateTimeText(DATE value);

}  // namespace demo
