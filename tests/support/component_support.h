// Shared helpers of the cadencer.ocx tests under Wine: the OCX's path and module, COM
// set-up and registration for the whole program, message pumping, and small recording
// COM objects (a property bag, a property-notify sink and an event sink) that write the
// calls the control makes into one log, so tests can check what happened in what order.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cadencer.h"
#include "fake_unknown.h"
#include "stored_keys.h"
#include "win/scoped.h"

namespace cadencer_test {

using cadencer::win::ScopedBstr;
using cadencer::win::ScopedExcepInfo;
using cadencer::win::ScopedVariant;
using Microsoft::WRL::ComPtr;

// cadencer.ocx as a Windows path (the build tree seen through drive Z:).
std::wstring OcxPath();
// The OCX as loaded by this process (loads it once and keeps it loaded).
HMODULE OcxModule();
HRESULT CallDllCanUnloadNow();

// Registers the control machine-wide (what CoCreateInstance needs under Wine).
void RegisterMachineWide();

ComPtr<_Cadencer> CreateControl();
// A control given a new instance's defaults through IPersistStreamInit::InitNew.
ComPtr<_Cadencer> CreateInitialisedControl();
// A standard picture owning a screen-compatible bitmap of the given size in pixels.
ComPtr<IPictureDisp> BitmapPicture(int width, int height);

void PumpMessages(DWORD milliseconds);
// Pumps until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The present time as an OLE date.
double NowDate();

// A member of a control's IDispatch by name (DISPID_UNKNOWN when it has none), and a
// property's let (a set with DISPATCH_PROPERTYPUTREF) and get through Invoke, as a host
// calls them.
DISPID DispatchIdOf(IDispatch* control, const wchar_t* name);
HRESULT DispatchPut(IDispatch* control, DISPID id, VARIANT* value, WORD kind = DISPATCH_PROPERTYPUT,
                    EXCEPINFO* exception = nullptr);
HRESULT DispatchGet(IDispatch* control, DISPID id, VARIANT* result);

// A control's stream form as IPersistStreamInit::Save writes it; a stream holding bytes, at
// its start; a control loaded from a stream.
std::vector<BYTE> SavedStream(IUnknown* control);
ComPtr<IStream> StreamOf(const std::vector<BYTE>& bytes);
HRESULT LoadStream(IUnknown* control, IStream* stream);

// Joined log of calls, one entry per call.
using CallLog = std::vector<std::string>;
std::string Joined(const CallLog& log);
// Index of the first entry equal to text, or -1.
int IndexOf(const CallLog& log, const std::string& text);

// IPropertyBag in memory; logs "Read(Key)" and "Write(Key)".
class RecordingBag final : public FakeUnknown<IPropertyBag> {
public:
    explicit RecordingBag(CallLog* log) : log_(log) {}
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

    // Keys in the order they were first written.
    std::vector<std::wstring> keys;
    std::map<std::wstring, ScopedVariant> values;
    void Set(const std::wstring& key, const VARIANT& value);

private:
    CallLog* log_;
};

// IPropertyNotifySink; logs "OnChanged(<dispid in hex>)".
class RecordingNotifySink final : public FakeUnknown<IPropertyNotifySink> {
public:
    explicit RecordingNotifySink(CallLog* log) : log_(log) {}
    STDMETHODIMP OnChanged(DISPID id) override;
    STDMETHODIMP OnRequestEdit(DISPID id) override;

private:
    CallLog* log_;
};

// The __Cadencer event sink (as IDispatch); logs "Event(<name>)".
class RecordingEventSink final : public FakeUnknown<IDispatch> {
public:
    explicit RecordingEventSink(CallLog* log) : FakeUnknown({DIID___Cadencer}), log_(log) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    int count(DISPID id) const;
    std::vector<double> scheduledTimes;   // DateTime of each ScheduledTime
    std::function<void(DISPID)> onEvent;  // optional reaction inside the handler

private:
    CallLog* log_;
    std::map<DISPID, int> counts_;
};

// Advises a sink on one of the control's connection points; unadvises on destruction.
class Advice {
public:
    Advice(IUnknown* control, REFIID iid, IUnknown* sink);
    ~Advice();
    DWORD cookie() const { return cookie_; }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace cadencer_test
