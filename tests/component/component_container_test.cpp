// cadencer.ocx in a fake container: the order of the container calls, in-place
// activation with the fixed design-time face (hidden at run time), the ambient UserMode
// (true, false, unanswered, no container at all), change notices and the dirty flag.
#include <gtest/gtest.h>

#include <cmath>

#include "away_from_default.h"
#include "component_fake_container.h"

namespace cadencer_test {
namespace {

int FacePixelsX() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(360, dpi, 1440);
}

// The log without the ambient reads, which the control makes whenever it checks the mode.
CallLog WithoutAmbient(const CallLog& log) {
    CallLog out;
    for (const auto& entry : log)
        if (entry != "Ambient(UserMode)") out.push_back(entry);
    return out;
}

// The window's own visibility style (its container window is never shown in these tests).
bool Shown(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// This process's timer window: other programs on the desktop (the soak, the samples) run
// controls of their own.
bool TimerWindowExists() {
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, L"CadencerTimerWindow", nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, L"CadencerTimerWindow", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return true;
    }
    return false;
}

TEST(ComponentContainer, DesignTimeActivationShowsTheFixedFaceAndRunModeHidesIt) {
    CallLog log;
    FakeContainer site(&log, false);
    {
        ComPtr<_Cadencer> control = CreateControl();
        ComPtr<IOleObject> ole;
        ASSERT_EQ(control.As(&ole), S_OK);
        DWORD misc = 0;
        EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
        EXPECT_EQ(misc, 0x24591u);
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        ComPtr<IPersistPropertyBag> bag;
        ASSERT_EQ(control.As(&bag), S_OK);
        ASSERT_EQ(bag->InitNew(), S_OK);
        // A new instance at design time keeps its clock off.
        EXPECT_FALSE(TimerWindowExists());

        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, site.Window(), &site.position), S_OK);
        const std::string face =
            "OnPosRectChange(" + std::to_string(FacePixelsX()) + "x" + std::to_string(FacePixelsX()) + ")";
        const CallLog calls = WithoutAmbient(log);
        const CallLog expected = {"CanInPlaceActivate", "OnInPlaceActivate", "GetWindowContext", face};
        EXPECT_EQ(calls, expected) << Joined(log);

        ComPtr<IOleInPlaceObject> inPlace;
        ASSERT_EQ(control.As(&inPlace), S_OK);
        HWND window = nullptr;
        ASSERT_EQ(inPlace->GetWindow(&window), S_OK);
        EXPECT_TRUE(Shown(window));
        EXPECT_EQ(GetParent(window), site.Window());
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, FacePixelsX());

        // Dragging the frame to another size snaps back, and the site hears of it.
        log.clear();
        RECT dragged{10, 10, 2010, 510};
        EXPECT_EQ(inPlace->SetObjectRects(&dragged, &dragged), S_OK);
        EXPECT_EQ(WithoutAmbient(log), CallLog{face});
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, FacePixelsX());
        EXPECT_EQ(client.bottom, client.right);
        SIZEL himetric{3528, 882};
        EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &himetric), E_FAIL);
        EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &himetric), S_OK);
        EXPECT_EQ(himetric.cx, 635);
        EXPECT_EQ(himetric.cy, 635);

        // Design time: nothing fires, and the times read as the zero date.
        RecordingEventSink events(&log);
        {
            Advice advice(control.Get(), DIID___Cadencer, &events);
            EXPECT_EQ(control->Execute(), S_OK);
            DATE next = -1;
            EXPECT_EQ(control->get_NextScheduledTime(&next), S_OK);
            EXPECT_EQ(next, 0.0);
            EXPECT_EQ(events.count(4), 0);

            // The container switches to run mode: the face hides and the clock starts.
            site.SetUserMode(true);
            ComPtr<IOleControl> oleControl;
            ASSERT_EQ(control.As(&oleControl), S_OK);
            EXPECT_EQ(oleControl->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
            EXPECT_FALSE(Shown(window));
            EXPECT_TRUE(TimerWindowExists());
            EXPECT_EQ(control->Execute(), S_OK);
            EXPECT_EQ(events.count(4), 1);
        }
        EXPECT_EQ(events.Refs(), 1u);

        log.clear();
        EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
        EXPECT_EQ(ole->SetClientSite(nullptr), S_OK);
        EXPECT_EQ(WithoutAmbient(log), CallLog{"OnInPlaceDeactivate"});
        EXPECT_FALSE(IsWindow(window));
    }
    // The control let go of every reference it took on the site.
    EXPECT_EQ(site.Refs(), 1u);
    EXPECT_FALSE(TimerWindowExists());
}

TEST(ComponentContainer, ViewObjectDrawsTheClockFace) {
    ComPtr<_Cadencer> control = CreateInitialisedControl();
    ComPtr<IViewObject2> view;
    ASSERT_EQ(control.As(&view), S_OK);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const RECTL bounds{0, 0, 32, 32};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    auto at = [&](int x, int y) { return pixels[y * 32 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), 0xFFFFFFu);       // raised square: light top-left edge
    EXPECT_LT(at(31, 31) & 0xFF, 0x40u);  // dark bottom-right edge
    EXPECT_EQ(at(3, 3), 0xC0C0C0u);       // light grey outside the dial
    const DWORD centre = at(16, 15);
    EXPECT_GT(centre & 0xFF, (centre >> 16) & 0xFF) << std::hex << centre;  // the hands are blue
    SIZEL extent{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
    EXPECT_EQ(extent.cx, 635);
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// What NextScheduledTime tells about the mode: the zero date at design time, a real
// (never-marker) value in run mode for a new instance's Never schedule.
bool ReadsAsRunMode(_Cadencer* control) {
    DATE next = -1;
    EXPECT_EQ(control->get_NextScheduledTime(&next), S_OK);
    return next != 0.0 && std::fabs(NowDate() - 365.25 * 50 - next) < 2;
}

TEST(ComponentContainer, UserModeComesFromTheAmbientAndDefaultsToRunMode) {
    // No container at all (a script's CreateObject): run mode with the defaults, clock on.
    {
        ComPtr<_Cadencer> control = CreateControl();
        ScopedBstr title;
        ASSERT_EQ(control->get_Title(title.receive()), S_OK);
        EXPECT_STREQ(title.get(), L"Schedule");
        EXPECT_TRUE(ReadsAsRunMode(control.Get()));
        EXPECT_TRUE(TimerWindowExists());
    }
    EXPECT_FALSE(TimerWindowExists());
    for (const std::optional<bool> mode :
         {std::optional<bool>(true), std::optional<bool>(false), std::optional<bool>()}) {
        CallLog log;
        FakeContainer site(&log, mode);
        {
            ComPtr<_Cadencer> control = CreateControl();
            ComPtr<IOleObject> ole;
            ASSERT_EQ(control.As(&ole), S_OK);
            ASSERT_EQ(ole->SetClientSite(&site), S_OK);
            ComPtr<IPersistStreamInit> persist;
            ASSERT_EQ(control.As(&persist), S_OK);
            ASSERT_EQ(persist->InitNew(), S_OK);
            // A container that cannot answer leaves the platform's default: run mode.
            EXPECT_EQ(ReadsAsRunMode(control.Get()), mode.value_or(true));
            EXPECT_NE(IndexOf(log, "Ambient(UserMode)"), -1);
            ole->SetClientSite(nullptr);
        }
        EXPECT_EQ(site.Refs(), 1u);
    }
}

TEST(ComponentContainer, EveryPropertyChangeNotifiesByItsDispidAndMarksDirty) {
    CallLog log;
    FakeContainer site(&log, false);
    RecordingNotifySink notify(&log);
    {
        ComPtr<_Cadencer> control = CreateControl();
        ComPtr<IOleObject> ole;
        ASSERT_EQ(control.As(&ole), S_OK);
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        ComPtr<IPersistStreamInit> persist;
        ASSERT_EQ(control.As(&persist), S_OK);
        ASSERT_EQ(persist->InitNew(), S_OK);
        Advice advice(control.Get(), IID_IPropertyNotifySink, &notify);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);

        ComPtr<IPictureDisp> icon;
        ASSERT_EQ(control->get_Icon(&icon), S_OK);
        ComPtr<IDispatch> dispatch;
        ASSERT_EQ(control.As(&dispatch), S_OK);
        // Every stored property, then the last execution time, which is not stored.
        ScopedVariant lastRun;
        V_VT(lastRun.get()) = VT_DATE;
        V_DATE(lastRun.get()) = NowDate();
        const auto expectOneNotice = [&](const wchar_t* name, VARIANT* value) {
            const DISPID id = DispatchIdOf(dispatch.Get(), name);
            log.clear();
            ASSERT_EQ(DispatchPut(dispatch.Get(), id, value), S_OK) << std::string(name, name + wcslen(name));
            char expected[32];
            std::snprintf(expected, sizeof(expected), "OnChanged(%lx)", static_cast<unsigned long>(id));
            EXPECT_EQ(WithoutAmbient(log), CallLog{expected});
        };
        for (const AwayFromDefault& entry : kAwayFromDefault)
            expectOneNotice(entry.key, AwayFromDefaultValue(entry, NowDate()).get());
        expectOneNotice(L"LastScheduledTime", lastRun.get());
        log.clear();
        EXPECT_EQ(control->putref_Icon(icon.Get()), S_OK);
        EXPECT_EQ(WithoutAmbient(log), CallLog{"OnChanged(68030010)"});
        EXPECT_EQ(persist->IsDirty(), S_OK);
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        EXPECT_EQ(persist->Save(stream.Get(), FALSE), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_FALSE);
        ole->SetClientSite(nullptr);
    }
    EXPECT_EQ(notify.Refs(), 1u);
    EXPECT_EQ(site.Refs(), 1u);
}

}  // namespace
}  // namespace cadencer_test
