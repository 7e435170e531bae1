// The private way from the companion objects to a Cadencer control's schedule record. The
// public getters report 0 while the control is disabled or designed (their run-time gate),
// which would make every Every schedule look as if it never ran; this interface reads the
// record as the control itself uses it. It lives only inside cadencer.ocx: no type library
// describes it and nothing marshals it, so a control in another apartment is read through
// IDispatch instead.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include "engine/schedule_settings.h"

namespace cadencer::com {

// {7123E4C7-3C25-4FDD-9EB7-CB51A63A9DF4}
inline constexpr IID kIidScheduleRecord = {
    0x7123e4c7, 0x3c25, 0x4fdd, {0x9e, 0xb7, 0xcb, 0x51, 0xa6, 0x3a, 0x9d, 0xf4}};

struct IScheduleRecord : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ReadScheduleRecord(ScheduleSettings* settings) = 0;
};

}  // namespace cadencer::com
