// Describes a control's schedule in words, reading it through the automation interface.
#include "schedule_words.h"

#include <cstdio>

namespace demo {
namespace {

std::wstring Bstr(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*get)(BSTR*)) {
    BSTR b = nullptr;
    std::wstring out;
    if (SUCCEEDED((c->*get)(&b)) && b) out.assign(b, SysStringLen(b));
    SysFreeString(b);
    return out;
}

std::wstring DateOnly(DATE value) { return DateTimeText(value).substr(0, 10); }

}  // namespace

std::wstring DateTimeText(DATE value) {
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(value, &st)) return L"?";
    wchar_t buf[40];
    swprintf(buf, 40, L"%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
             st.wSecond);
    return buf;
}

std::wstring DescribeSchedule(_Cadencer* c) {
    Occurs kind = Never;
    c->get_OccursOption(&kind);
    short hour = 0, minute = 0, interval = 0;
    c->get_StartHour(&hour);
    c->get_StartMinute(&minute);
    c->get_EveryInterval(&interval);
    EveryType unit = Hours;
    c->get_EveryFrequency(&unit);
    DATE start = 0, end = 0;
    c->get_StartDate(&start);
    c->get_EndDate(&end);
    VARIANT_BOOL useEnd = VARIANT_FALSE;
    c->get_UseEndDate(&useEnd);
    wchar_t at[32];
    swprintf(at, 32, L" at %02d:%02d", hour == 24 ? 0 : hour, minute);
    std::wstring range = L", from " + DateOnly(start) + (useEnd ? L" until " + DateOnly(end) : L", no end date");

    switch (kind) {
        case Never: return L"Never";
        case Daily: return L"Daily" + std::wstring(at) + range;
        case Weekly: {
            static const wchar_t* const days[] = {L"Sunday", L"Monday", L"Tuesday", L"Wednesday",
                                                  L"Thursday", L"Friday", L"Saturday"};
            const std::wstring mask = Bstr(c, &_Cadencer::get_SelectionsWeekly);
            std::wstring list;
            for (size_t i = 0; i < 7 && i < mask.size(); ++i)
                if (mask[i] == L'1') list += (list.empty() ? L"" : L", ") + std::wstring(days[i]);
            return L"Weekly on " + (list.empty() ? L"no day" : list) + at + range;
        }
        case Monthly: {
            const std::wstring mask = Bstr(c, &_Cadencer::get_SelectionsMonthly);
            std::wstring list;
            for (size_t i = 0; i < 31 && i < mask.size(); ++i)
                if (mask[i] == L'1') list += (list.empty() ? L"" : L", ") + std::to_wstring(i + 1);
            return L"Monthly on day " + (list.empty() ? L"none" : list) + at + range;
        }
        case Every:
            return L"Every " + std::to_wstring(interval) + (unit == Minutes ? L" minute(s)" : L" hour(s)");
        default:
            return L"Unknown kind " + std::to_wstring(static_cast<int>(kind));
    }
}

}  // namespace demo
