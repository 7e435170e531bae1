// The table of away_from_default.h.
#include "away_from_default.h"

#include <oleauto.h>

#include <iterator>

#include "component_support.h"
#include "win/scoped.h"

namespace cadencer_test {

// The enumerations' values: StartUpPosition 0 is Manual, OccursOption 2 Weekly,
// EveryFrequency 1 Minutes.
const AwayFromDefault kAwayFromDefault[28] = {
    {L"Enabled", VT_BOOL, 0, nullptr},
    {L"Title", VT_BSTR, 0, L"Backup \x00e9t\x00e9"},
    {L"Modal", VT_BOOL, 1, nullptr},
    {L"ShowHelpButton", VT_BOOL, 1, nullptr},
    {L"CaptionOKButtonBefore", VT_BSTR, 0, L"Save"},
    {L"CaptionOKButtonAfter", VT_BSTR, 0, L"Save!"},
    {L"CaptionCloseButtonBefore", VT_BSTR, 0, L"Done"},
    {L"CaptionCloseButtonAfter", VT_BSTR, 0, L"Abort"},
    {L"CaptionHelpButton", VT_BSTR, 0, L"Hints"},
    {L"StartUpPosition", VT_I4, 0, nullptr},
    {L"StartUpLeft", VT_I4, 1440, nullptr},
    {L"StartUpTop", VT_I4, -720, nullptr},
    {L"OccursOption", VT_I4, 2, nullptr},
    {L"EveryInterval", VT_I2, 7, nullptr},
    {L"EveryFrequency", VT_I4, 1, nullptr},
    {L"EveryHourMin", VT_I2, 2, nullptr},
    {L"EveryHourMax", VT_I2, 20, nullptr},
    {L"EveryHourIncrement", VT_I2, 3, nullptr},
    {L"EveryMinuteMin", VT_I2, 10, nullptr},
    {L"EveryMinuteMax", VT_I2, 900, nullptr},
    {L"EveryMinuteIncrement", VT_I2, 10, nullptr},
    {L"StartHour", VT_I2, 7, nullptr},
    {L"StartMinute", VT_I2, 45, nullptr},
    {L"StartDate", VT_DATE, 3, nullptr},
    {L"EndDate", VT_DATE, 40.5, nullptr},
    {L"UseEndDate", VT_BOOL, 1, nullptr},
    {L"SelectionsWeekly", VT_BSTR, 0, L"0111110"},
    {L"SelectionsMonthly", VT_BSTR, 0, L"1000000000000001"},
};

cadencer::win::ScopedVariant AwayFromDefaultValue(const AwayFromDefault& entry, double today) {
    cadencer::win::ScopedVariant value;
    VARIANT* v = value.get();
    V_VT(v) = entry.type;
    switch (entry.type) {
        case VT_BOOL:
            V_BOOL(v) = entry.number ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_I2:
            V_I2(v) = static_cast<SHORT>(entry.number);
            break;
        case VT_I4:
            V_I4(v) = static_cast<LONG>(entry.number);
            break;
        case VT_DATE:
            V_DATE(v) = today + entry.number;
            break;
        default:
            V_BSTR(v) = SysAllocString(entry.text);
            break;
    }
    return value;
}

HRESULT SetEveryPropertyAwayFromDefault(IDispatch* control, double today, const wchar_t** failedKey) {
    for (const AwayFromDefault& entry : kAwayFromDefault) {
        cadencer::win::ScopedVariant value = AwayFromDefaultValue(entry, today);
        const HRESULT hr = DispatchPut(control, DispatchIdOf(control, entry.key), value.get());
        if (FAILED(hr)) {
            if (failedKey) *failedKey = entry.key;
            return hr;
        }
    }
    return S_OK;
}

}  // namespace cadencer_test
