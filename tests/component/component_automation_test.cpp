// cadencer.ocx through automation and its events: IDispatch by the type library (type
// mismatches, overflows, refused dates, nothing stored lost), the placeholder methods,
// and the four events from Execute, from a schedule made due now and from the Flag
// methods, with frozen events and a host that lets go of the control in its handler.
#include <gtest/gtest.h>

#include <objsafe.h>

#include <cmath>
#include <utility>

#include "component_support.h"

namespace cadencer_test {
namespace {

HRESULT PutProperty(IDispatch* dispatch, const wchar_t* name, VARIANT value, EXCEPINFO* exception = nullptr) {
    return DispatchPut(dispatch, DispatchIdOf(dispatch, name), &value, DISPATCH_PROPERTYPUT, exception);
}

VARIANT Make(VARTYPE type, double number) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_R8;
    V_R8(&v) = number;
    if (type == VT_DATE) V_VT(&v) = VT_DATE;
    if (type == VT_I4) {
        V_VT(&v) = VT_I4;
        V_I4(&v) = static_cast<LONG>(number);
    }
    return v;
}

TEST(ComponentAutomation, WrongTypesAndBadDatesAreRefusedAndNothingIsLost) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control.As(&dispatch), S_OK);
    ASSERT_EQ(control->put_EveryInterval(6), S_OK);
    const DATE start = std::floor(NowDate()) + 2;
    ASSERT_EQ(control->put_StartDate(start), S_OK);

    EXPECT_EQ(PutProperty(dispatch.Get(), L"EveryInterval", *ScopedVariant::String(L"abc").get()), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(PutProperty(dispatch.Get(), L"EveryInterval", Make(VT_I4, 70000)), DISP_E_OVERFLOW);
    SHORT interval = 0;
    control->get_EveryInterval(&interval);
    EXPECT_EQ(interval, 6);

    // A Date beyond 9999 reaches the control as a date and is refused there, with a reason.
    ScopedExcepInfo exception;
    EXPECT_EQ(PutProperty(dispatch.Get(), L"StartDate", Make(VT_DATE, 3e6), exception.receive()), DISP_E_EXCEPTION);
    EXPECT_EQ(exception->scode, E_INVALIDARG);
    EXPECT_NE(exception->bstrDescription, nullptr);
    for (double bad : {std::nan(""), static_cast<double>(INFINITY), -657435.5, 2958466.0}) {
        EXPECT_EQ(control->put_StartDate(bad), E_INVALIDARG) << bad;
        EXPECT_EQ(control->put_EndDate(bad), E_INVALIDARG) << bad;
        EXPECT_EQ(control->put_LastScheduledTime(bad), E_INVALIDARG) << bad;
    }
    DATE now = 0;
    control->get_StartDate(&now);
    EXPECT_EQ(now, start);
    EXPECT_EQ(control->put_StartDate(-657434.0), S_OK);  // 1 January 100 is still a date

    // The Icon takes pictures only; another object leaves the icon as it was.
    ComPtr<IPictureDisp> before, after;
    control->get_Icon(&before);
    RecordingEventSink notAPicture(nullptr);
    EXPECT_EQ(control->putref_Icon(reinterpret_cast<IPictureDisp*>(static_cast<IDispatch*>(&notAPicture))),
              DISP_E_TYPEMISMATCH);
    control->get_Icon(&after);
    EXPECT_EQ(before.Get(), after.Get());
    EXPECT_EQ(control->putref_Icon(nullptr), S_OK);
    after.Reset();
    control->get_Icon(&after);
    EXPECT_NE(after.Get(), nullptr);
}

TEST(ComponentAutomation, DispatchReachesEveryMemberByTheTypeLibrary) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(control.As(&dispatch), S_OK);
    // The let of OccursOption takes its value by reference; a plain value still works.
    EXPECT_EQ(PutProperty(dispatch.Get(), L"OccursOption", Make(VT_I4, 3)), S_OK);
    Occurs occurs{};
    control->get_OccursOption(&occurs);
    EXPECT_EQ(occurs, Monthly);
    ScopedVariant result;
    EXPECT_EQ(DispatchGet(dispatch.Get(), DispatchIdOf(dispatch.Get(), L"StartHour"), result.receive()), S_OK);
    EXPECT_EQ(result.type(), VT_I2);
    // The about box answers to the standard about-box DISPID (not invoked here: it is modal).
    EXPECT_EQ(DispatchIdOf(dispatch.Get(), L"DisplayAboutBox"), DISPID_ABOUTBOX);
    // With no dialog open, closing and focusing it do nothing and report nothing.
    DISPPARAMS none{};
    for (DISPID id : {DispatchIdOf(dispatch.Get(), L"CloseScheduler"), DispatchIdOf(dispatch.Get(), L"SetFocus")})
        EXPECT_EQ(dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK) << id;
    EXPECT_EQ(dispatch->Invoke(0x12345, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(control.As(&info), S_OK);
    GUID source{};
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, DIID___Cadencer);
    // mingw-w64 declares no __uuidof for IObjectSafety: its IID is named.
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(control->QueryInterface(IID_IObjectSafety, &safety), S_OK);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA));
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                INTERFACESAFE_FOR_UNTRUSTED_DATA),
              S_OK);
}

TEST(ComponentEvents, ExecuteAndTheFlagMethodsRaiseTheirEventsInRunMode) {
    CallLog log;
    RecordingEventSink events(&log);
    {
        ComPtr<_Cadencer> control = CreateInitialisedControl();
        Advice advice(control.Get(), DIID___Cadencer, &events);
        DATE lastInHandler = 0, nextInHandler = 0;
        events.onEvent = [&](DISPID id) {
            if (id != 4) return;
            control->get_LastScheduledTime(&lastInHandler);
            control->get_NextScheduledTime(&nextInHandler);
        };
        const double before = NowDate();
        EXPECT_EQ(control->Execute(), S_OK);
        EXPECT_EQ(control->FlagScheduleChanged(), S_OK);
        EXPECT_EQ(control->FlagSchedulerClosed(), S_OK);
        EXPECT_EQ(control->FlagHelpButton(), S_OK);
        const CallLog expected = {"Event(ScheduledTime)", "Event(ScheduleChanged)", "Event(SchedulerClosed)",
                                  "Event(HelpButtonClicked)"};
        EXPECT_EQ(log, expected);
        ASSERT_EQ(events.scheduledTimes.size(), 1u);
        // DateTime is the present with seconds; inside the handler the last time already
        // holds the present minute.
        EXPECT_NEAR(events.scheduledTimes[0], before, 5.0 / 86400);
        EXPECT_NEAR(lastInHandler, std::floor(events.scheduledTimes[0] * 1440 + 1e-7) / 1440, 1e-6);
        EXPECT_NE(nextInHandler, 0.0);

        // Frozen events are dropped; thawed, they flow again.
        ComPtr<IOleControl> ole;
        ASSERT_EQ(control.As(&ole), S_OK);
        log.clear();
        ole->FreezeEvents(TRUE);
        control->Execute();
        control->FlagHelpButton();
        EXPECT_TRUE(log.empty()) << Joined(log);
        ole->FreezeEvents(FALSE);
        control->FlagHelpButton();
        EXPECT_EQ(log, CallLog{"Event(HelpButtonClicked)"});

        // Disabled: the gate closes every event.
        log.clear();
        control->put_Enabled(VARIANT_FALSE);
        control->Execute();
        control->FlagScheduleChanged();
        EXPECT_TRUE(log.empty()) << Joined(log);
        events.onEvent = nullptr;
    }
    EXPECT_EQ(events.Refs(), 1u);
}

TEST(ComponentEvents, AScheduleMadeDueNowFiresOnceWithinSeconds) {
    CallLog log;
    RecordingEventSink events(&log);
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    Advice advice(control.Get(), DIID___Cadencer, &events);
    Occurs every = Every;
    ASSERT_EQ(control->put_EveryFrequency(Minutes), S_OK);
    // Five minutes: after the firing the next time lies minutes ahead, so no minute boundary
    // during the wait below can make it due again.
    ASSERT_EQ(control->put_EveryInterval(5), S_OK);
    ASSERT_EQ(control->put_OccursOption(&every), S_OK);
    // The interval elapsed long ago without a run: due at once.
    ASSERT_EQ(control->put_LastScheduledTime(NowDate() - 10.0 / 1440), S_OK);
    DATE next = 0;
    control->get_NextScheduledTime(&next);
    EXPECT_LE(next, NowDate());
    ASSERT_TRUE(PumpUntil([&] { return events.count(4) == 1; }, 5000)) << Joined(log);
    control->get_NextScheduledTime(&next);
    EXPECT_GT(next, NowDate());
    PumpMessages(1500);
    EXPECT_EQ(events.count(4), 1);
}

TEST(ComponentEvents, AHostMayReleaseTheControlInsideItsHandler) {
    CallLog log;
    RecordingEventSink events(&log);
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(control.As(&container), S_OK);
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID___Cadencer, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&events, &cookie), S_OK);
    container.Reset();
    _Cadencer* raw = control.Detach();
    events.onEvent = [&](DISPID) {
        // The host unadvises and drops its last references while the event is running.
        if (point) {
            point->Unadvise(cookie);
            point.Reset();
        }
        if (raw) std::exchange(raw, nullptr)->Release();
    };
    _Cadencer* caller = raw;
    caller->AddRef();
    EXPECT_EQ(caller->Execute(), S_OK);
    EXPECT_EQ(caller->Release(), 0u);
    EXPECT_EQ(events.count(4), 1);
    EXPECT_EQ(events.Refs(), 1u);
}

}  // namespace
}  // namespace cadencer_test
