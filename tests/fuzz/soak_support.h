// What the soak's host processes share: the (faked) clocks read as the control reads them,
// an event sink that records each ScheduledTime with the times read in its handler, the
// control's schedule read back for the engine, and a control in user mode.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/next_run.h"
#include "fake_unknown.h"
#include "fuzz_support.h"

namespace cadencer_soak {

using namespace cadencer_fuzz;
using cadencer::OleDate;

// Seconds since 1970 in UTC, from the (faked) system clock.
inline long long EpochNow() {
    FILETIME t;
    GetSystemTimeAsFileTime(&t);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<long long>(ticks / 10000000ull) - 11644473600ll;
}

inline OleDate LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    const auto date = cadencer::Compose({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
    return date ? *date : 0;
}

inline std::string Text(OleDate value) {
    const auto f = cadencer::Decompose(value);
    if (!f) return "invalid";
    char text[32];
    std::snprintf(text, sizeof(text), "%04d-%02d-%02dT%02d:%02d:%02d", f->year, f->month, f->day, f->hour, f->minute,
                  f->second);
    return text;
}

struct Firing {
    OleDate at = 0, last = 0, next = 0;
    ULONGLONG ms = 0;  // GetTickCount64 in the handler: real time, whatever the clock says
};

class Sink final : public cadencer_test::FakeUnknown<IDispatch> {
public:
    Sink() : FakeUnknown({DIID___Cadencer}) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != 4 || !params || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != (VT_BYREF | VT_DATE)) return S_OK;
        Firing f;
        f.at = *V_DATEREF(&params->rgvarg[0]);
        f.ms = GetTickCount64();
        control->get_LastScheduledTime(&f.last);
        control->get_NextScheduledTime(&f.next);
        firings.push_back(f);
        std::printf("fired %s: last %s, next %s\n", Text(f.at).c_str(), Text(f.last).c_str(), Text(f.next).c_str());
        return S_OK;
    }
    _Cadencer* control = nullptr;
    std::vector<Firing> firings;
};

inline void PutText(_Cadencer* c, HRESULT (STDMETHODCALLTYPE _Cadencer::*fn)(BSTR), const std::wstring& text) {
    (c->*fn)(ScopedBstr(text.c_str()).get());
}

// The settings as the control holds them, for the engine.
inline cadencer::ScheduleSettings SettingsOf(_Cadencer* c) {
    cadencer::ScheduleSettings s;
    Occurs occurs{};
    EveryType every{};
    VARIANT_BOOL useEnd = 0;
    ScopedBstr weekly, monthly;
    c->get_OccursOption(&occurs);
    c->get_EveryFrequency(&every);
    c->get_EveryInterval(&s.EveryInterval);
    c->get_StartHour(&s.StartHour);
    c->get_StartMinute(&s.StartMinute);
    c->get_StartDate(&s.StartDate);
    c->get_EndDate(&s.EndDate);
    c->get_UseEndDate(&useEnd);
    c->get_LastScheduledTime(&s.LastScheduledTime);
    c->get_SelectionsWeekly(weekly.receive());
    c->get_SelectionsMonthly(monthly.receive());
    s.OccursOption = static_cast<std::int32_t>(occurs);
    s.EveryFrequency = static_cast<std::int32_t>(every);
    s.UseEndDate = useEnd != VARIANT_FALSE;
    s.SelectionsWeekly = cadencer::win::ToU16(weekly.get());
    s.SelectionsMonthly = cadencer::win::ToU16(monthly.get());
    return s;
}

inline ComPtr<IUnknown> NewControlInUserMode() {
    ComPtr<IUnknown> control = CreateControl();
    ComPtr<IOleObject> ole;
    ComPtr<IPersistStreamInit> persist;
    if (!control || FAILED(control.As(&ole)) || FAILED(control.As(&persist))) return nullptr;
    const auto site = cadencer::win::Adopt(new FakeSite(true));
    ole->SetClientSite(site.Get());
    persist->InitNew();
    return control;
}

// One case of the clock being set under a running control (soak_jumps.cpp); FILE is the
// libfaketime timestamp file that the host rewrites to move its clock.
int RunClockJump(const std::string& name, const std::string& rcPath);

}  // namespace cadencer_soak
