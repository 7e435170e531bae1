// The Cadencer control as a COM object: one class with the interfaces containers and
// scripts use. It owns the portable core (src/control) and implements the core's ports:
// the clock (local time), the site (ambient UserMode, change notices, events through
// the connection points) and the timer (a hidden window). Every property and method
// goes to the core; this class adds only the COM rules (argument checks, persistence
// formats, activation, drawing, registration of sinks).
#pragma once

#include <windows.h>

#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <memory>
#include <optional>

#include "component/connection_point.h"
#include "component/guids.h"
#include "component/module.h"
#include "component/schedule_record.h"
#include "component/trace.h"
#include "control/cadencer_core.h"
#include "control/win/face_window.h"
#include "control/win/timer_window.h"
#include "win/com_object.h"
#include "win/thread_state.h"

namespace cadencer::com {

class CadencerControl;
class ComPropertyBag;

// The type a property of each automation type has in the _Cadencer interface.
template <control::PropertyType type>
struct ComTypeOf;
template <>
struct ComTypeOf<control::PropertyType::Boolean> {
    using Type = VARIANT_BOOL;
};
template <>
struct ComTypeOf<control::PropertyType::Integer> {
    using Type = SHORT;
};
template <>
struct ComTypeOf<control::PropertyType::Long> {
    using Type = LONG;
};
template <>
struct ComTypeOf<control::PropertyType::FormPosition> {
    using Type = ::FormPosition;
};
template <>
struct ComTypeOf<control::PropertyType::Occurs> {
    using Type = ::Occurs;
};
template <>
struct ComTypeOf<control::PropertyType::EveryType> {
    using Type = ::EveryType;
};
template <>
struct ComTypeOf<control::PropertyType::Date> {
    using Type = DATE;
};
template <>
struct ComTypeOf<control::PropertyType::String> {
    using Type = BSTR;
};
template <>
struct ComTypeOf<control::PropertyType::Picture> {
    using Type = IPictureDisp*;
};
template <control::PropertyType type>
using ComValue = typename ComTypeOf<type>::Type;

// The core's clock: the machine's local time and UTC, seconds included, and the tick count.
class LocalClock final : public control::Clock {
public:
    OleDate Now() override;
    OleDate UtcNow() override;
    std::uint64_t ElapsedMilliseconds() override;
};

// The core's view of the container.
class ControlSite final : public control::Site {
public:
    explicit ControlSite(CadencerControl& owner) : owner_(owner) {}
    std::optional<bool> AmbientUserMode() override;
    std::optional<std::uint32_t> AmbientLocaleID() override;
    void PropertyChanged(std::u16string_view name) override;
    void RaiseHelpButtonClicked() override;
    void RaiseScheduleChanged() override;
    void RaiseSchedulerClosed() override;
    void RaiseScheduledTime(OleDate& dateTime) override;

private:
    CadencerControl& owner_;
};

class CadencerControl
    : public win::ComObject<CadencerControl, _Cadencer, IOleObject, IOleControl, IOleInPlaceObject, IViewObject2,
                            IPersistStreamInit, IPersistPropertyBag, IPersistStorage, IConnectionPointContainer,
                            IProvideClassInfo2, IObjectSafety, ISupportErrorInfo, ISpecifyPropertyPages,
                            IPerPropertyBrowsing, IScheduleRecord> {
public:
    template <const IID& Iid, class Interface>
    using Answer = win::Answer<Iid, Interface>;
    using Interfaces = win::InterfaceTable<
        Answer<IID_IUnknown, _Cadencer>, Answer<IID_IDispatch, _Cadencer>, Answer<IID__Cadencer, _Cadencer>,
        Answer<IID_IOleObject, IOleObject>, Answer<IID_IOleControl, IOleControl>,
        Answer<IID_IOleWindow, IOleInPlaceObject>, Answer<IID_IOleInPlaceObject, IOleInPlaceObject>,
        Answer<IID_IViewObject, IViewObject2>, Answer<IID_IViewObject2, IViewObject2>,
        Answer<IID_IPersist, IPersistStreamInit>, Answer<IID_IPersistStreamInit, IPersistStreamInit>,
        Answer<IID_IPersistPropertyBag, IPersistPropertyBag>, Answer<IID_IPersistStorage, IPersistStorage>,
        Answer<IID_IConnectionPointContainer, IConnectionPointContainer>,
        Answer<IID_IProvideClassInfo, IProvideClassInfo2>, Answer<IID_IProvideClassInfo2, IProvideClassInfo2>,
        Answer<IID_IObjectSafety, IObjectSafety>, Answer<IID_ISupportErrorInfo, ISupportErrorInfo>,
        Answer<IID_ISpecifyPropertyPages, ISpecifyPropertyPages>,
        Answer<IID_IPerPropertyBrowsing, IPerPropertyBrowsing>, Answer<kIidScheduleRecord, IScheduleRecord>>;

    static HRESULT Create(REFIID iid, void** ppv);
    // A traced control records the interfaces a container asks for and does not get.
    HRESULT NoInterface(REFIID iid);

    // IScheduleRecord (private to the module): the record this control's schedule uses.
    STDMETHODIMP ReadScheduleRecord(ScheduleSettings* settings) override;

    // IDispatch, through the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // _Cadencer: each property row with generated COM accessors (code Gen or OwnCore in
    // control/property_table.h) has get_ and put_, forwards to the core (defined in
    // cadencer_object.cpp).
#define CADENCER_COM_ACCESSORS(name, dispid, type, def, owner, persist, let, width, fix, page, code) \
    CADENCER_COM_ACCESSORS_##code(name, type)
#define CADENCER_COM_ACCESSORS_Gen(name, type)                                      \
    STDMETHODIMP get_##name(ComValue<control::PropertyType::type>* value) override; \
    STDMETHODIMP put_##name(ComValue<control::PropertyType::type> value) override;
#define CADENCER_COM_ACCESSORS_OwnCore CADENCER_COM_ACCESSORS_Gen
#define CADENCER_COM_ACCESSORS_OwnCom(name, type)
#define CADENCER_COM_ACCESSORS_Own(name, type)
    CADENCER_PROPERTY_ROWS(CADENCER_COM_ACCESSORS)
#undef CADENCER_COM_ACCESSORS
#undef CADENCER_COM_ACCESSORS_Gen
#undef CADENCER_COM_ACCESSORS_OwnCore
#undef CADENCER_COM_ACCESSORS_OwnCom
#undef CADENCER_COM_ACCESSORS_Own
    // Hand-written, for signatures of their own: the next time has no put, the icon is set
    // by reference (putref), and the type library passes OccursOption's put by reference.
    STDMETHODIMP get_NextScheduledTime(DATE* value) override;
    STDMETHODIMP get_Icon(IPictureDisp** value) override;
    STDMETHODIMP putref_Icon(IPictureDisp* value) override;
    STDMETHODIMP get_OccursOption(::Occurs* value) override;
    STDMETHODIMP put_OccursOption(::Occurs* value) override;
    STDMETHODIMP DisplayScheduler() override;
    STDMETHODIMP CloseScheduler() override;
    STDMETHODIMP Execute() override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP SetFocus() override;
    STDMETHODIMP FlagScheduleChanged() override;
    STDMETHODIMP FlagSchedulerClosed() override;
    STDMETHODIMP FlagHelpButton() override;
    STDMETHODIMP DisplayAboutBox() override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;

    // IViewObject, IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC dc,
                      LPCRECTL bounds, LPCRECTL wBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                             LOGPALETTE** colors) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

    // ISpecifyPropertyPages, IPerPropertyBrowsing (property_browsing.cpp)
    STDMETHODIMP GetPages(CAUUID* pages) override;
    STDMETHODIMP GetDisplayString(DISPID id, BSTR* text) override;
    STDMETHODIMP MapPropertyToPage(DISPID id, CLSID* page) override;
    STDMETHODIMP GetPredefinedStrings(DISPID id, CALPOLESTR* strings, CADWORD* cookies) override;
    STDMETHODIMP GetPredefinedValue(DISPID id, DWORD cookie, VARIANT* value) override;

    // For the ports and the persistence helpers.
    IOleClientSite* ClientSite() const {
        return clientSite_.Get();
    }
    Trace* Tracer() const {
        return trace_.get();
    }
    void OnPropertyChanged(std::u16string_view name);
    void FireEvent(DISPID id, DATE* dateTime);

protected:
    // A traced control (CADENCER_TRACE) is the same object behind a subclass that wraps
    // the container's calls; the trace is null otherwise.
    explicit CadencerControl(std::unique_ptr<Trace> trace);
    virtual ~CadencerControl();
    std::unique_ptr<Trace> trace_;

private:
    CadencerControl(const CadencerControl&) = delete;
    CadencerControl& operator=(const CadencerControl&) = delete;
    HRESULT Initialise();

    // The core. A control that no container initialised (a script's CreateObject) has the
    // defaults from its creation and starts its clock on first use.
    control::CadencerCore& Core();
    // Runs fn with change notices muted (initialisation and loading change nothing the
    // container should save).
    template <class Fn>
    void Quietly(Fn fn) {
        ++quiet_;
        fn();
        --quiet_;
    }
    // After a new instance's defaults in run mode, the Enabled setter starts the clock.
    void StartClockIfRunMode();
    HRESULT ApplyInitNew();
    HRESULT LoadFromBag(PropertyBag& bag, const ComPropertyBag* containerBag);
    HRESULT SaveToBytes(std::vector<BYTE>* bytes);
    HRESULT RefuseDate(DATE value);
    // The generated get_ and put_: read reads the core's value, write lets it; between
    // them the value's conversion from and to its COM type and the checks of the COM
    // boundary (a refused date, an overlong text).
    template <control::PropertyType type, class Read>
    HRESULT GetThrough(ComValue<type>* value, Read read);
    template <control::PropertyType type, class Write>
    HRESULT PutThrough(const control::PropertyRow& row, ComValue<type> value, Write write);
    HRESULT SetError(HRESULT hr, const wchar_t* description);
    void Timer1_Timer();

    // In-place activation (design-time face, hidden at run time).
    HRESULT InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect);
    // The Properties verb (properties_verb.cpp).
    HRESULT ShowPropertyFrame(IOleClientSite* site, HWND owner);
    std::wstring AmbientDisplayName();
    RECT SnappedRect(const RECT& position) const;
    void UpdateFaceVisibility();

    // This control's use of its thread's state (the shared record, dialog and about box),
    // let go of last.
    win::ThreadStateUse threadUse_{nullptr};
    LocalClock clock_;
    ControlSite site_;
    win::TimerWindow timer_;
    win::FaceWindow face_;
    ObjectRef defaultIcon_;
    std::shared_ptr<control::CadencerCore> core_;
    bool initialised_ = false;
    bool dirty_ = false;
    int quiet_ = 0;
    LONG freezeEvents_ = 0;
    DWORD safety_ = 0;

    Microsoft::WRL::ComPtr<IOleClientSite> clientSite_;
    Microsoft::WRL::ComPtr<IOleInPlaceSite> inPlaceSite_;
    Microsoft::WRL::ComPtr<IOleAdviseHolder> oleAdviseHolder_;
    Microsoft::WRL::ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0;
    DWORD viewAdviseFlags_ = 0;
    RECT position_{};
    bool inPlaceActive_ = false;
    bool propertyFrameOpen_ = false;
    HWND propertyFrame_ = nullptr;

    ConnectionPoint eventPoint_;
    ConnectionPoint propertyNotifyPoint_;
};

// A control whose container calls go to the trace as well (traced_control.cpp).
CadencerControl* NewTracedControl(std::unique_ptr<Trace> trace);

}  // namespace cadencer::com
