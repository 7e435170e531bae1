// The demo host's sink for the control's events (__Cadencer): an IDispatch that turns each
// event into a call of a std::function.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <string>

namespace demo {

class EventSink : public IDispatch {
public:
    // name: "HelpButtonClicked", "ScheduleChanged", "SchedulerClosed" or "ScheduledTime";
    // dateTime is the ScheduledTime argument (0 for the others).
    using Handler = std::function<void(const std::wstring& name, DATE dateTime)>;
    EventSink(REFIID events, Handler handler) : events_(events), handler_(std::move(handler)) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == events_) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        static const wchar_t* const names[] = {L"", L"HelpButtonClicked", L"ScheduleChanged", L"SchedulerClosed",
                                               L"ScheduledTime"};
        if (id < 1 || id > 4) return DISP_E_MEMBERNOTFOUND;
        DATE when = 0;
        if (id == 4 && params && params->cArgs == 1) {
            const VARIANT& arg = params->rgvarg[0];
            if (arg.vt == (VT_DATE | VT_BYREF) && arg.pdate)
                when = *arg.pdate;
            else if (arg.vt == VT_DATE)
                when = arg.date;
        }
        if (handler_) handler_(names[id], when);
        return S_OK;
    }

private:
    virtual ~EventSink() = default;
    IID events_;
    Handler handler_;
    LONG refs_ = 1;
};

}  // namespace demo
