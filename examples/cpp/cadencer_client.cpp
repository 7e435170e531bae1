// A console client of cadencer.ocx in plain C++: creates the control from the shipped
// header (cadencer.h and cadencer_i.c), sets a schedule, listens to its events through a
// connection point and pumps messages, because the control's clock runs on the thread that
// created it. Interface pointers are held by ComPtr (wrl/client.h), which releases each one
// on every path out. Prints what happens and a closing line:
//   Done: 2 ScheduledTime events, next run YYYY-MM-DD HH:MM
#include <windows.h>

#include <ocidl.h>
#include <wrl/client.h>

#include <cstdio>

#include "cadencer.h"

namespace {

using Microsoft::WRL::ComPtr;

// The control's events (__Cadencer) arrive as IDispatch::Invoke calls with their DISPIDs.
class EventSink final : public IDispatch {
public:
    int scheduledTimes = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID___Cadencer) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;  // lives on main()'s stack: no counting
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        switch (id) {
            case 1:
                std::printf("Event: HelpButtonClicked\n");
                break;
            case 2:
                std::printf("Event: ScheduleChanged\n");
                break;
            case 3:
                std::printf("Event: SchedulerClosed\n");
                break;
            case 4: {
                // ScheduledTime(DateTime): the date arrives by reference.
                ++scheduledTimes;
                SYSTEMTIME t{};
                if (params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == (VT_DATE | VT_BYREF))
                    VariantTimeToSystemTime(*V_DATEREF(&params->rgvarg[0]), &t);
                std::printf("Event: ScheduledTime at %04u-%02u-%02u %02u:%02u\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                            t.wMinute);
                break;
            }
            default:
                break;
        }
        return S_OK;
    }
};

// Pumps messages until `done` or the timeout: the control's clock ticks in this loop.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

// When nothing is due, the next time is 50 calendar years back (the never marker); a
// disabled control reads the zero date of 1899. Both say "nothing scheduled".
void PrintDate(const char* label, DATE value) {
    SYSTEMTIME t{}, now{};
    GetLocalTime(&now);
    if (!VariantTimeToSystemTime(value, &t) || t.wYear <= now.wYear - 50) {
        std::printf("%snothing scheduled\n", label);
        return;
    }
    std::printf("%s%04u-%02u-%02u %02u:%02u\n", label, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
}

int Run() {
    ComPtr<_Cadencer> control;
    HRESULT hr = CoCreateInstance(CLSID_Cadencer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control));
    if (FAILED(hr)) {
        std::printf("Cannot create CadencerLib.Cadencer (0x%08lx): is cadencer.ocx registered?\n",
                    static_cast<unsigned long>(hr));
        return 1;
    }

    // Connect the event sink.
    EventSink sink;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    control.As(&container);
    if (container) container->FindConnectionPoint(DIID___Cadencer, &point);
    if (point) point->Advise(&sink, &cookie);
    std::printf("Events connected: %s\n", cookie ? "yes" : "no");

    DATE next = 0;
    control->get_NextScheduledTime(&next);
    PrintDate("A new control: ", next);

    // Every minute, last run two minutes ago: due at once.
    Occurs every = Every;
    control->put_OccursOption(&every);
    control->put_EveryFrequency(Minutes);
    control->put_EveryInterval(1);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    DATE present = 0;
    SystemTimeToVariantTime(&now, &present);
    control->put_LastScheduledTime(present - 2.0 / 1440);
    control->get_NextScheduledTime(&next);
    PrintDate("Next run: ", next);

    // The clock fires ScheduledTime within a second or two; Execute fires it at once.
    if (!PumpUntil([&] { return sink.scheduledTimes >= 1; }, 10000)) std::printf("No ScheduledTime in 10 s\n");
    control->Execute();
    control->get_NextScheduledTime(&next);

    if (point) point->Unadvise(cookie);
    SYSTEMTIME t{};
    VariantTimeToSystemTime(next, &t);
    std::printf("Done: %d ScheduledTime events, next run %04u-%02u-%02u %02u:%02u\n", sink.scheduledTimes, t.wYear,
                t.wMonth, t.wDay, t.wHour, t.wMinute);
    return sink.scheduledTimes == 2 ? 0 : 1;
}

}  // namespace

int main() {
    // The control is apartment-threaded: this thread owns it and must pump messages.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    const int result = Run();
    CoUninitialize();
    return result;
}
