// cadencer-next: when does a schedule, given as property-bag keys, fall due?
// The argument handling lives here, apart from main(), so that it can be tested.
#pragma once

#include <string>
#include <vector>

#include "engine/ole_date.h"

namespace cadencer::next_tool {

struct CaseResult {
    bool ok = false;
    std::string text;  // the due times separated by blanks, or the error message
};

// Runs one case. args are the arguments after the program name (without --batch);
// presentLocal is the present time used when --now is not given. With --describe the
// text is the schedule in words instead of its due times.
CaseResult RunCase(const std::vector<std::string>& args, OleDate presentLocal);

// Splits a batch line into arguments at blanks; double quotes group a value with blanks
// (Key="1 1 1"), a backslash escapes a quote. Returns false for an unterminated quote.
bool SplitLine(const std::string& line, std::vector<std::string>& out);

std::string FormatDueTime(OleDate value);

}  // namespace cadencer::next_tool
