// Reads a control's schedule through its automation interface into the engine's record
// and lets the engine say it in words.
#include "schedule_words.h"

#include <cstdio>

#include "engine/schedule_words.h"
#include "win/scoped.h"

namespace demo {
namespace {

std::u16string Bstr(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*get)(BSTR*)) {
    cadencer::win::ScopedBstr text;
    if (FAILED((c->*get)(text.receive()))) return {};
    return cadencer::win::ToU16(text.get());
}

}  // namespace

std::wstring DateTimeText(DATE value) {
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(value, &st)) return L"?";
    wchar_t buf[40];
    swprintf(buf, 40, L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    return buf;
}

std::wstring DescribeSchedule(_Cadencer* c) {
    cadencer::ScheduleSettings s;
    Occurs kind = Never;
    EveryType unit = Hours;
    VARIANT_BOOL useEnd = VARIANT_FALSE;
    c->get_OccursOption(&kind);
    c->get_EveryFrequency(&unit);
    c->get_EveryInterval(&s.EveryInterval);
    c->get_StartHour(&s.StartHour);
    c->get_StartMinute(&s.StartMinute);
    c->get_StartDate(&s.StartDate);
    c->get_EndDate(&s.EndDate);
    c->get_UseEndDate(&useEnd);
    s.OccursOption = kind;
    s.EveryFrequency = unit;
    s.UseEndDate = useEnd != VARIANT_FALSE;
    s.SelectionsWeekly = cadencer::FitSelection(Bstr(c, &_Cadencer::get_SelectionsWeekly), cadencer::kWeeklyWidth);
    s.SelectionsMonthly = cadencer::FitSelection(Bstr(c, &_Cadencer::get_SelectionsMonthly), cadencer::kMonthlyWidth);
    const std::u16string words = cadencer::DescribeSchedule(s);
    return std::wstring(words.begin(), words.end());
}

}  // namespace demo
