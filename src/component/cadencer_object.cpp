// The control object: creation and lifetime, QueryInterface, IDispatch through the type
// library, the _Cadencer members (forwarded to the core), the core's ports, class
// information, safety options and error information.
#include "component/cadencer_object.h"

#include "control/shared_schedule.h"

#include <new>

#include "component/com_picture.h"
#include "component/dispids.h"
#include "component/icon_dispatch.h"
#include "component/picture_codec.h"
#include "win/keep_alive.h"
#include "win/scoped.h"
#include "win/system_time.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {

using win::AllocBstr;
using win::ToU16;

// ---- Ports

OleDate LocalClock::Now() {
    return win::LocalNow();
}

OleDate LocalClock::UtcNow() {
    return win::UtcNow();
}

std::uint64_t LocalClock::ElapsedMilliseconds() {
    return GetTickCount64();
}

std::optional<bool> ControlSite::AmbientUserMode() {
    IOleClientSite* site = owner_.ClientSite();
    if (!site) return std::nullopt;
    ComPtr<IDispatch> ambient;
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&ambient));
    std::optional<bool> mode;
    win::ScopedVariant result;
    if (SUCCEEDED(hr)) {
        DISPPARAMS none{};
        hr = ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             result.receive(), nullptr, nullptr);
    }
    if (SUCCEEDED(hr)) hr = VariantChangeType(result.get(), result.get(), 0, VT_BOOL);
    if (SUCCEEDED(hr)) mode = V_BOOL(result.get()) != VARIANT_FALSE;
    if (Trace* trace = owner_.Tracer()) trace->AmbientRead(L"UserMode", hr, mode.value_or(true) ? L"true" : L"false");
    return mode;
}

std::optional<std::uint32_t> ControlSite::AmbientLocaleID() {
    IOleClientSite* site = owner_.ClientSite();
    if (!site) return std::nullopt;
    ComPtr<IDispatch> ambient;
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&ambient));
    win::ScopedVariant result;
    if (SUCCEEDED(hr)) {
        DISPPARAMS none{};
        hr = ambient->Invoke(DISPID_AMBIENT_LOCALEID, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                             result.receive(), nullptr, nullptr);
    }
    if (SUCCEEDED(hr)) hr = VariantChangeType(result.get(), result.get(), 0, VT_UI4);
    std::optional<std::uint32_t> lcid;
    // 0 is no locale at all: the user's settings decide, as without an answer.
    if (SUCCEEDED(hr) && V_UI4(result.get()) != 0) lcid = V_UI4(result.get());
    if (Trace* trace = owner_.Tracer())
        trace->AmbientRead(L"LocaleID", hr, lcid ? std::to_wstring(*lcid).c_str() : L"none");
    return lcid;
}

void ControlSite::PropertyChanged(std::u16string_view name) {
    owner_.OnPropertyChanged(name);
}
void ControlSite::RaiseHelpButtonClicked() {
    owner_.FireEvent(kEventHelpButtonClicked, nullptr);
}
void ControlSite::RaiseScheduleChanged() {
    owner_.FireEvent(kEventScheduleChanged, nullptr);
}
void ControlSite::RaiseSchedulerClosed() {
    owner_.FireEvent(kEventSchedulerClosed, nullptr);
}
void ControlSite::RaiseScheduledTime(OleDate& dateTime) {
    owner_.FireEvent(kEventScheduledTime, &dateTime);
}

// ---- Creation and lifetime

CadencerControl::CadencerControl(std::unique_ptr<Trace> trace)
    : trace_(std::move(trace)),
      site_(*this),
      timer_(ModuleInstance(), [this] { Timer1_Timer(); }),
      face_(ModuleInstance()),
      eventPoint_(*this, DIID___Cadencer),
      propertyNotifyPoint_(*this, IID_IPropertyNotifySink) {}

CadencerControl::~CadencerControl() {
    if (core_) core_->Terminate();
    timer_.Stop();
    face_.Destroy();
    eventPoint_.Clear();
    propertyNotifyPoint_.Clear();
}

HRESULT CadencerControl::Initialise() {
    // The thread's shared record, dialog and about box, made for its first control.
    HRESULT hr = PrepareThreadForControl(&threadUse_);
    if (FAILED(hr)) return hr;
    // The default icon (SaveIcon) is part of the control; without it the control is broken.
    hr = CreateDefaultIconPicture(ModuleInstance(), &defaultIcon_);
    if (FAILED(hr)) return hr;
    control::CorePorts ports;
    ports.clock = &clock_;
    ports.site = &site_;
    ports.timer = &timer_;
    ports.defaultIcon = defaultIcon_;
    core_ = control::CadencerCore::Create(ports);
    return core_ ? S_OK : E_OUTOFMEMORY;
}

HRESULT CadencerControl::Create(REFIID iid, void** ppv) {
    auto trace = Trace::FromEnvironment();
    // The new object's one reference is the owner's: released on every path out.
    const auto control =
        win::Adopt(trace ? NewTracedControl(std::move(trace)) : new (std::nothrow) CadencerControl(nullptr));
    if (!control) return E_OUTOFMEMORY;
    // Creation takes the creation day and nothing more: the shared schedule is left as it
    // is (a new control's defaults for the thread's first) until the container's InitNew or
    // Load (a Load that stops at a bad key leaves the later keys as they were).
    HRESULT hr = control->Initialise();
    if (SUCCEEDED(hr)) hr = control->QueryInterface(iid, ppv);
    return hr;
}

HRESULT CadencerControl::NoInterface(REFIID iid) {
    return trace_ ? trace_->UnknownInterface(iid) : E_NOINTERFACE;
}

STDMETHODIMP CadencerControl::ReadScheduleRecord(ScheduleSettings* settings) {
    if (!settings) return E_POINTER;
    // A control that no container initialised takes a new control's defaults first, as any
    // other first use does.
    Core();
    *settings = control::SharedSchedule::Instance().Settings();
    return S_OK;
}

control::CadencerCore& CadencerControl::Core() {
    // Used without InitNew or Load (a script's control): it takes its own new-instance
    // defaults now and joins the shared schedule as it stands (resetting it would wipe what
    // the thread's other controls set); in run mode its clock starts.
    if (!initialised_) {
        initialised_ = true;
        Quietly([&] { core_->InitNewInstance(); });
        StartClockIfRunMode();
    }
    return *core_;
}

void CadencerControl::StartClockIfRunMode() {
    if (!initialised_ || core_->IsTerminated() || !core_->Enabled() || timer_.Running()) return;
    if (!site_.AmbientUserMode().value_or(true)) return;
    // A new instance keeps its clock off only while it is being designed; once it runs
    // (a script's control, a host without saved properties, a designer switched to run
    // mode) the Enabled setter computes the next time and starts the clock.
    Quietly([&] { core_->SetEnabled(true); });
}

void CadencerControl::Timer1_Timer() {
    const win::KeepAlive keep(*this);  // the host's event handler may release the control
    if (core_ && !core_->IsTerminated()) core_->Tick();
}

// ---- Change notices and events

void CadencerControl::OnPropertyChanged(std::u16string_view name) {
    if (quiet_ > 0) return;
    dirty_ = true;
    const DISPID id = DispIdOfProperty(name);
    const win::KeepAlive keep(*this);
    for (auto& sink : propertyNotifyPoint_.Sinks()) static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

void CadencerControl::FireEvent(DISPID id, DATE* dateTime) {
    if (trace_) trace_->Event(id, freezeEvents_ > 0, eventPoint_.Sinks().size());
    if (freezeEvents_ > 0) return;
    const win::KeepAlive keep(*this);
    // A running callback: the host's handler may release every control of the thread.
    const win::ThreadStateUse callback(threadUse_.State());
    VARIANTARG arg;
    VariantInit(&arg);
    DISPPARAMS params{};
    if (dateTime) {
        V_VT(&arg) = VT_DATE | VT_BYREF;
        V_DATEREF(&arg) = dateTime;
        params.rgvarg = &arg;
        params.cArgs = 1;
    }
    for (auto& sink : eventPoint_.Sinks()) {
        // Advise stored the sink as __Cadencer or as IDispatch: both are IDispatch.
        auto* dispatch = static_cast<IDispatch*>(sink.Get());
        dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

// ---- IDispatch

STDMETHODIMP CadencerControl::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CadencerControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetTypeInfoOf(IID__Cadencer, info);
}

STDMETHODIMP CadencerControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    const HRESULT hr = GetTypeInfoOf(IID__Cadencer, &info);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
}

STDMETHODIMP CadencerControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    // The dual interface's vtable flavour: ITypeInfo::Invoke calls our methods through it,
    // converting arguments (and refusing wrong types) by the type library.
    ComPtr<ITypeInfo> dispatchInfo, vtableInfo;
    HRESULT hr = GetTypeInfoOf(IID__Cadencer, &dispatchInfo);
    if (FAILED(hr)) return hr;
    HREFTYPE vtableRef = 0;
    hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef);
    if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeInfo(vtableRef, &vtableInfo);
    if (FAILED(hr)) return hr;
    SetErrorInfo(0, nullptr);
    const win::KeepAlive keep(*this);
    if (!InvokeIconObjectPut(this, id, flags, params, exception, argError, &hr))
        hr = vtableInfo->Invoke(static_cast<_Cadencer*>(this), id, flags, params, result, exception, argError);
    return hr;
}

// ---- _Cadencer

HRESULT CadencerControl::SetError(HRESULT hr, const wchar_t* description) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(IID__Cadencer);
        create->SetSource(const_cast<LPOLESTR>(L"CadencerLib.Cadencer"));
        create->SetDescription(const_cast<LPOLESTR>(description));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    }
    return hr;
}

// Dates are refused before the core sees them: a value outside the years 100 to 9999 (or
// not a number at all) cannot be a schedule date, and storing it would lose the old one.
HRESULT CadencerControl::RefuseDate(DATE value) {
    if (IsValidOleDate(value)) return S_OK;
    return SetError(E_INVALIDARG, L"A date must lie in the years 100 to 9999.");
}

template <control::PropertyType type, class Read>
HRESULT CadencerControl::GetThrough(ComValue<type>* value, Read read) {
    using control::PropertyType;
    if (!value) return E_POINTER;
    const auto stored = read();
    if constexpr (type == PropertyType::Boolean) {
        *value = stored ? VARIANT_TRUE : VARIANT_FALSE;
    } else if constexpr (type == PropertyType::String) {
        *value = AllocBstr(stored);
        if (!*value) return E_OUTOFMEMORY;
    } else {
        *value = static_cast<ComValue<type>>(stored);
    }
    return S_OK;
}

template <control::PropertyType type, class Write>
HRESULT CadencerControl::PutThrough(const control::PropertyRow& row, ComValue<type> value, Write write) {
    using control::PropertyType;
    if constexpr (type == PropertyType::Boolean) {
        write(value != VARIANT_FALSE);
    } else if constexpr (type == PropertyType::String) {
        // A title or caption longer than the stored forms hold is refused, not cut (a
        // selection is cut to its width by the let).
        if (row.width == 0 && SysStringLen(value) > control::kMaxTextLength)
            return SetError(E_INVALIDARG, L"A text may hold at most 65536 characters.");
        write(ToU16(value));
    } else if constexpr (type == PropertyType::Date) {
        const HRESULT hr = RefuseDate(value);
        if (FAILED(hr)) return hr;
        write(value);
    } else {
        write(static_cast<control::ValueOf<type>>(value));
    }
    return S_OK;
}

#define CADENCER_COM_FORWARDS(name, dispid, type, def, owner, persist, let, width, fix, page, code) \
    CADENCER_COM_FORWARDS_##code(name, type)
#define CADENCER_COM_FORWARDS_Gen(name, type)                                                                  \
    STDMETHODIMP CadencerControl::get_##name(ComValue<control::PropertyType::type>* value) {                   \
        return GetThrough<control::PropertyType::type>(value, [&] { return Core().name(); });                  \
    }                                                                                                          \
    STDMETHODIMP CadencerControl::put_##name(ComValue<control::PropertyType::type> value) {                    \
        return PutThrough<control::PropertyType::type>(control::Property(u"" #name), value,                    \
                                                       [&](const auto& stored) { Core().Set##name(stored); }); \
    }
#define CADENCER_COM_FORWARDS_OwnCore CADENCER_COM_FORWARDS_Gen
#define CADENCER_COM_FORWARDS_OwnCom(name, type)
#define CADENCER_COM_FORWARDS_Own(name, type)
CADENCER_PROPERTY_ROWS(CADENCER_COM_FORWARDS)
#undef CADENCER_COM_FORWARDS
#undef CADENCER_COM_FORWARDS_Gen
#undef CADENCER_COM_FORWARDS_OwnCore
#undef CADENCER_COM_FORWARDS_OwnCom
#undef CADENCER_COM_FORWARDS_Own

STDMETHODIMP CadencerControl::get_NextScheduledTime(DATE* value) {
    return GetThrough<control::PropertyType::Date>(value, [&] { return Core().NextScheduledTime(); });
}

STDMETHODIMP CadencerControl::get_OccursOption(::Occurs* value) {
    return GetThrough<control::PropertyType::Occurs>(value, [&] { return Core().OccursOption(); });
}

STDMETHODIMP CadencerControl::put_OccursOption(::Occurs* value) {
    if (!value) return E_POINTER;
    Core().SetOccursOption(static_cast<std::int32_t>(*value));
    return S_OK;
}

STDMETHODIMP CadencerControl::get_Icon(IPictureDisp** value) {
    if (!value) return E_POINTER;
    *value = PictureOf(Core().Icon());
    if (*value) (*value)->AddRef();
    return S_OK;
}

STDMETHODIMP CadencerControl::putref_Icon(IPictureDisp* value) {
    ObjectRef picture;
    if (value) {
        if (CheckStorablePicture(value) == CTL_E_INVALIDPICTURE)
            return SetError(CTL_E_INVALIDPICTURE, L"Icon must be an icon or a bitmap of at most 256 x 256 pixels.");
        picture = WrapPicture(value);
        if (!picture) return SetError(DISP_E_TYPEMISMATCH, L"Icon must be a picture.");
    }
    Core().SetIcon(picture);
    return S_OK;
}

// The dialog and the about box are reached through the core's ports; until their
// windows exist the ports are absent and these methods do nothing.
STDMETHODIMP CadencerControl::DisplayScheduler() {
    const win::KeepAlive keep(*this);
    Core().DisplayScheduler();
    return S_OK;
}

STDMETHODIMP CadencerControl::CloseScheduler() {
    const win::KeepAlive keep(*this);
    Core().CloseScheduler();
    return S_OK;
}

STDMETHODIMP CadencerControl::Execute() {
    const win::KeepAlive keep(*this);
    Core().Execute();
    return S_OK;
}

STDMETHODIMP CadencerControl::Reset() {
    Core().Reset();
    return S_OK;
}

STDMETHODIMP CadencerControl::SetFocus() {
    Core().SetFocus();
    return S_OK;
}

STDMETHODIMP CadencerControl::FlagScheduleChanged() {
    const win::KeepAlive keep(*this);
    Core().FlagScheduleChanged();
    return S_OK;
}

STDMETHODIMP CadencerControl::FlagSchedulerClosed() {
    const win::KeepAlive keep(*this);
    Core().FlagSchedulerClosed();
    return S_OK;
}

STDMETHODIMP CadencerControl::FlagHelpButton() {
    const win::KeepAlive keep(*this);
    Core().FlagHelpButton();
    return S_OK;
}

STDMETHODIMP CadencerControl::DisplayAboutBox() {
    const win::KeepAlive keep(*this);
    Core().DisplayAboutBox();
    return S_OK;
}

// ---- IProvideClassInfo2, IObjectSafety, ISupportErrorInfo

STDMETHODIMP CadencerControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    return GetTypeInfoOf(CLSID_Cadencer, info);
}

STDMETHODIMP CadencerControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID___Cadencer;
    return S_OK;
}

namespace {

constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

bool IsSafeInterface(REFIID iid) {
    return iid == IID_IDispatch || iid == IID__Cadencer || iid == IID_IPersistPropertyBag ||
           iid == IID_IPersistStreamInit || iid == IID_IPersistStorage || iid == IID_IPersist;
}

}  // namespace

STDMETHODIMP CadencerControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled) {
    if (!supported || !enabled) return E_POINTER;
    *supported = *enabled = 0;
    if (!IsSafeInterface(iid)) return E_NOINTERFACE;
    *supported = kSafeOptions;
    *enabled = safety_ & kSafeOptions;
    return S_OK;
}

STDMETHODIMP CadencerControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) {
    if (!IsSafeInterface(iid)) return E_NOINTERFACE;
    if (mask & ~kSafeOptions) return E_FAIL;
    safety_ = (safety_ & ~mask) | (enabled & mask);
    return S_OK;
}

STDMETHODIMP CadencerControl::InterfaceSupportsErrorInfo(REFIID iid) {
    return iid == IID__Cadencer || iid == IID_IDispatch ? S_OK : S_FALSE;
}

// ---- IConnectionPointContainer

STDMETHODIMP CadencerControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    return CreateConnectionPointEnumerator({&eventPoint_, &propertyNotifyPoint_}, points);
}

STDMETHODIMP CadencerControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (iid == DIID___Cadencer)
        *point = &eventPoint_;
    else if (iid == IID_IPropertyNotifySink)
        *point = &propertyNotifyPoint_;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

}  // namespace cadencer::com
