// installed_clock: the installed control as a host of this bitness finds it: created by its
// ProgID through the registry, loaded from the expected file, and its clock (a hidden
// window's timer in this thread) firing ScheduledTime for a schedule made due now.
//   installed_clock EXPECTED_OCX_PATH
// Prints one line and exits 0 when all of that holds, 1 otherwise.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>

#include "cadencer.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr DISPID kScheduledTime = 4;

// Counts ScheduledTime; lives on the stack, so its reference count never deletes it.
class ClockSink final : public IDispatch {
public:
    int fired = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID___Cadencer) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id == kScheduledTime) ++fired;
        return S_OK;
    }
};

int Fail(const char* what, HRESULT hr = S_OK) {
    std::printf("installed_clock (%d-bit): FAIL: %s (0x%08lx)\n", static_cast<int>(sizeof(void*) * 8), what,
                static_cast<unsigned long>(hr));
    return 1;
}

std::wstring LoadedOcxPath() {
    HMODULE module = GetModuleHandleW(L"cadencer.ocx");
    wchar_t path[MAX_PATH] = {};
    if (module) GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

double Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    double date = 0;
    SystemTimeToVariantTime(&t, &date);
    return date;
}

int Check(const std::wstring& expectedPath) {
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(L"CadencerLib.Cadencer", &clsid);
    if (FAILED(hr) || clsid != CLSID_Cadencer) return Fail("the ProgID does not lead to the class", hr);
    ComPtr<_Cadencer> control;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__Cadencer,
                          reinterpret_cast<void**>(control.GetAddressOf()));
    if (FAILED(hr)) return Fail("CoCreateInstance", hr);
    if (lstrcmpiW(LoadedOcxPath().c_str(), expectedPath.c_str()) != 0) {
        std::printf("loaded %ls, expected %ls\n", LoadedOcxPath().c_str(), expectedPath.c_str());
        return Fail("the control came from another file");
    }

    ClockSink sink;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    hr = control.As(&container);
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(DIID___Cadencer, &point);
    if (SUCCEEDED(hr)) hr = point->Advise(&sink, &cookie);
    if (FAILED(hr)) return Fail("advising the event sink", hr);

    // An Every schedule whose interval ran out long ago without a run is due at once.
    Occurs every = Every;
    control->put_EveryFrequency(Minutes);
    control->put_EveryInterval(5);
    control->put_OccursOption(&every);
    control->put_LastScheduledTime(Now() - 10.0 / 1440);
    const ULONGLONG until = GetTickCount64() + 10000;
    while (sink.fired == 0 && GetTickCount64() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    point->Unadvise(cookie);
    if (sink.fired != 1) return Fail("ScheduledTime did not fire once within 10 seconds");
    std::printf("installed_clock (%d-bit): ScheduledTime fired; control from %ls\n",
                static_cast<int>(sizeof(void*) * 8), expectedPath.c_str());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return Fail("usage: installed_clock EXPECTED_OCX_PATH");
    if (FAILED(OleInitialize(nullptr))) return Fail("OleInitialize");
    const int status = Check(argv[1]);
    OleUninitialize();
    return status;
}
