// The control in its container: IOleObject (site, verbs, fixed extent, status flags),
// IOleControl (ambient changes, frozen events), in-place activation with a window that
// shows the face at design time and stays hidden at run time, and IViewObject2, which
// draws the face for containers that render it themselves. The Properties verb's frame
// is in properties_verb.cpp.
#include "component/cadencer_object.h"
#include "component/misc_status.h"
#include "win/dpi.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {

// ---- IOleObject

STDMETHODIMP CadencerControl::SetClientSite(IOleClientSite* site) {
    if (!site) {
        // Leaving the container: let go of everything that refers to it.
        InPlaceDeactivate();
        clientSite_.Reset();
        return S_OK;
    }
    clientSite_ = site;
    // A control created without a site and then placed in a running host (or the other
    // way round) follows the new site's mode.
    StartClockIfRunMode();
    return S_OK;
}

STDMETHODIMP CadencerControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = clientSite_.Get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

STDMETHODIMP CadencerControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP CadencerControl::Close(DWORD saveOption) {
    if (dirty_ && clientSite_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
        clientSite_->SaveObject();
        if (oleAdviseHolder_) oleAdviseHolder_->SendOnSave();
    }
    InPlaceDeactivate();
    if (oleAdviseHolder_) oleAdviseHolder_->SendOnClose();
    return S_OK;
}

STDMETHODIMP CadencerControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

// The verb registered as CLSID\{...}\Verb\1 ("&Properties...").
constexpr LONG kVerbProperties = 1;

STDMETHODIMP CadencerControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            // Never UI-activated: every activating verb activates in place only.
            return InPlaceActivate(site ? site : clientSite_.Get(), parent, rect);
        case OLEIVERB_HIDE:
            face_.Show(false);
            return S_OK;
        case OLEIVERB_PROPERTIES:
        case kVerbProperties:
            return ShowPropertyFrame(site, parent);
        case OLEIVERB_OPEN:
        case OLEIVERB_DISCARDUNDOSTATE:
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

STDMETHODIMP CadencerControl::EnumVerbs(IEnumOLEVERB** verbs) {
    return OleRegEnumVerbs(CLSID_Cadencer, verbs);
}
STDMETHODIMP CadencerControl::Update() {
    return S_OK;
}
STDMETHODIMP CadencerControl::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP CadencerControl::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Cadencer;
    return S_OK;
}

STDMETHODIMP CadencerControl::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(CLSID_Cadencer, form, type);
}

// The face is 360 x 360 twips, whatever size the container asks for: another size is
// refused (the documented answer of an object of fixed size) and the extent stays.
STDMETHODIMP CadencerControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_NOTIMPL;
    return size->cx == win::kFaceHimetric && size->cy == win::kFaceHimetric ? S_OK : E_FAIL;
}

STDMETHODIMP CadencerControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    size->cx = size->cy = 0;
    if (aspect != DVASPECT_CONTENT) return E_NOTIMPL;
    size->cx = size->cy = win::kFaceHimetric;
    return S_OK;
}

STDMETHODIMP CadencerControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!connection) return E_POINTER;
    *connection = 0;
    if (!oleAdviseHolder_) {
        const HRESULT hr = CreateOleAdviseHolder(&oleAdviseHolder_);
        if (FAILED(hr)) return hr;
    }
    return oleAdviseHolder_->Advise(sink, connection);
}

STDMETHODIMP CadencerControl::Unadvise(DWORD connection) {
    return oleAdviseHolder_ ? oleAdviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP CadencerControl::EnumAdvise(IEnumSTATDATA** advise) {
    if (!advise) return E_POINTER;
    *advise = nullptr;
    return oleAdviseHolder_ ? oleAdviseHolder_->EnumAdvise(advise) : E_FAIL;
}

STDMETHODIMP CadencerControl::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

STDMETHODIMP CadencerControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// ---- IOleControl

STDMETHODIMP CadencerControl::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    // No mnemonics: the control takes no keyboard input.
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP CadencerControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::OnAmbientPropertyChange(DISPID id) {
    // The core reads UserMode afresh at every use; only the face and the clock follow here.
    if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) {
        UpdateFaceVisibility();
        StartClockIfRunMode();
    }
    return S_OK;
}

STDMETHODIMP CadencerControl::FreezeEvents(BOOL freeze) {
    // While frozen the container does not want events; they are dropped, not queued.
    if (freeze)
        ++freezeEvents_;
    else if (freezeEvents_ > 0)
        --freezeEvents_;
    return S_OK;
}

// ---- In-place activation

RECT CadencerControl::SnappedRect(const RECT& position) const {
    RECT r = position;
    r.right = r.left + win::FacePixels(win::ScreenDpi().x);
    r.bottom = r.top + win::FacePixels(win::ScreenDpi().y);
    return r;
}

void CadencerControl::UpdateFaceVisibility() {
    // Design time shows the face; at run time the control is invisible.
    face_.Show(inPlaceActive_ && !site_.AmbientUserMode().value_or(true));
}

HRESULT CadencerControl::InPlaceActivate(IOleClientSite* site, HWND parent, LPCRECT rect) {
    if (inPlaceActive_) return S_OK;
    if (!site) return E_UNEXPECTED;
    ComPtr<IOleInPlaceSite> inPlace;
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&inPlace));
    if (FAILED(hr)) return hr;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    hr = inPlace->OnInPlaceActivate();
    if (FAILED(hr)) return hr;
    inPlaceSite_ = inPlace;
    inPlaceActive_ = true;

    HWND container = parent;
    if (FAILED(inPlaceSite_->GetWindow(&container)) || !container) container = parent;
    RECT position{}, clip{};
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof(frameInfo);
    if (SUCCEEDED(inPlaceSite_->GetWindowContext(&frame, &document, &position, &clip, &frameInfo)))
        position_ = position;
    else if (rect)
        position_ = *rect;

    const RECT snapped = SnappedRect(position_);
    if (!container || !face_.Create(container, snapped)) {
        InPlaceDeactivate();
        return E_FAIL;
    }
    if (!EqualRect(&snapped, &position_)) inPlaceSite_->OnPosRectChange(&snapped);
    position_ = snapped;
    UpdateFaceVisibility();
    return S_OK;
}

// ---- IOleWindow, IOleInPlaceObject

STDMETHODIMP CadencerControl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = face_.Window();
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CadencerControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::InPlaceDeactivate() {
    if (!inPlaceActive_) return S_OK;
    inPlaceActive_ = false;
    face_.Destroy();
    ComPtr<IOleInPlaceSite> inPlace = std::move(inPlaceSite_);
    if (inPlace) inPlace->OnInPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP CadencerControl::UIDeactivate() {
    return S_OK;
}

STDMETHODIMP CadencerControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    // Every resize snaps back to the fixed face; the site hears of the size we keep.
    const RECT snapped = SnappedRect(*position);
    face_.Move(snapped);
    const bool changed = !EqualRect(&snapped, position);
    position_ = snapped;
    if (changed && inPlaceSite_) inPlaceSite_->OnPosRectChange(&snapped);
    return S_OK;
}

STDMETHODIMP CadencerControl::ReactivateAndUndo() {
    return E_NOTIMPL;
}

// ---- IViewObject, IViewObject2

STDMETHODIMP CadencerControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                   BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    return win::DrawFace(ModuleInstance(), dc, r) ? S_OK : E_FAIL;
}

STDMETHODIMP CadencerControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors) *colors = nullptr;
    return S_FALSE;
}

STDMETHODIMP CadencerControl::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze) *freeze = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP CadencerControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = sink;
    viewAspects_ = aspects;
    viewAdviseFlags_ = flags;
    // The face never changes, so one notice on request is all a sink ever gets.
    if (sink && (flags & ADVF_PRIMEFIRST)) sink->OnViewChange(DVASPECT_CONTENT, -1);
    return S_OK;
}

STDMETHODIMP CadencerControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewAdviseFlags_;
    if (sink) {
        *sink = viewSink_.Get();
        if (*sink) (*sink)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CadencerControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return E_NOTIMPL;
    size->cx = size->cy = win::kFaceHimetric;
    return S_OK;
}

}  // namespace cadencer::com
