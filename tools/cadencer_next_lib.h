// cadencer-next: when does a schedule, given as property-bag keys, fall due?
// The argument handling lives here, apart from main(), so that it can be tested.
#pragma once

#include <optional>
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
// text is the schedule in words instead of its due times (with --lang TAG in that language,
// with the weekday names and date formats of the C library's locale for TAG); with --to, the schedule in that
// form (or why it has none); with --from, the keys read from the text. presentUtc stamps a
// VCALENDAR (DTSTAMP); without it the local present does.
CaseResult RunCase(const std::vector<std::string>& args, OleDate presentLocal,
                   std::optional<OleDate> presentUtc = std::nullopt);

// Splits a batch line into arguments at blanks; double quotes group a value with blanks
// (Key="1 1 1"), a backslash escapes a quote. Returns false for an unterminated quote.
bool SplitLine(const std::string& line, std::vector<std::string>& out);

std::string FormatDueTime(OleDate value);

}  // namespace cadencer::next_tool
