// The platform's SYSTEMTIME and OLE dates, both ways, through the portable calendar (no
// locale, no text), and the present as an OLE date.
#pragma once

#include <windows.h>

#include <optional>

#include "engine/ole_date.h"

namespace cadencer::win {

// Empty before 1601, where SYSTEMTIME starts.
inline std::optional<SYSTEMTIME> ToSystemTime(OleDate value) {
    const auto f = Decompose(value);
    if (!f || f->year < 1601) return std::nullopt;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(f->year);
    st.wMonth = static_cast<WORD>(f->month);
    st.wDay = static_cast<WORD>(f->day);
    st.wHour = static_cast<WORD>(f->hour);
    st.wMinute = static_cast<WORD>(f->minute);
    st.wSecond = static_cast<WORD>(f->second);
    if (const auto weekday = Weekday(value)) st.wDayOfWeek = static_cast<WORD>(*weekday - 1);
    return st;
}

// Empty for a time that is no calendar time (or beyond the year 9999).
inline std::optional<OleDate> FromSystemTime(const SYSTEMTIME& st) {
    return Compose({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

// The present, seconds included: local, and the same moment in UTC. The zero date only for
// a clock set beyond the year 9999.
inline OleDate LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return FromSystemTime(t).value_or(kZeroDate);
}
inline OleDate UtcNow() {
    SYSTEMTIME t;
    GetSystemTime(&t);
    return FromSystemTime(t).value_or(kZeroDate);
}

}  // namespace cadencer::win
