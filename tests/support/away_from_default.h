// Every stored property set away from its default: one table, put through the control's
// IDispatch by name, for the tests (and the benchmark) that save, copy or compare a
// control whose every value differs from a new one's.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include "win/scoped.h"

namespace cadencer_test {

struct AwayFromDefault {
    const wchar_t* key;
    VARTYPE type;   // VT_BOOL, VT_I2, VT_I4, VT_DATE (days after `today`) or VT_BSTR
    double number;  // VT_BOOL: 0 or 1
    const wchar_t* text;
};

// The 28 stored keys but the icon, each with a value no new control has.
extern const AwayFromDefault kAwayFromDefault[28];

// The entry's value, of its type (a date as days after today).
cadencer::win::ScopedVariant AwayFromDefaultValue(const AwayFromDefault& entry, double today);

// Puts every value of the table; S_OK, or the first failure's HRESULT (with *failedKey).
HRESULT SetEveryPropertyAwayFromDefault(IDispatch* control, double today, const wchar_t** failedKey = nullptr);

}  // namespace cadencer_test
