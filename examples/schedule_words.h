// The schedule of a Cadencer control in words ("Weekly on Monday, Friday at 09:30 ...").
#pragma once

#include <string>

#include "cadencer.h"

namespace demo {

std::wstring DescribeSchedule(_Cadencer* control);
std::wstring DateTimeText(DATE value);

}  // namespace demo
