// The control as created while CADENCER_TRACE is set: the same object, whose container
// interfaces (IOleObject, IOleControl, IPersist*) write each call and its HRESULT to the
// trace before and after the control's own implementation runs.
#include <cstdarg>
#include <cwchar>
#include <new>

#include "component/cadencer_object.h"
#include "component/trace.h"

namespace cadencer::com {
namespace {

std::wstring Args(const wchar_t* format = L"", ...) {
    wchar_t text[256];
    va_list args;
    va_start(args, format);
    const int n = std::vswprintf(text, 256, format, args);
    va_end(args);
    return n < 0 ? std::wstring() : std::wstring(text, static_cast<std::size_t>(n));
}

std::wstring Text(LPCOLESTR text) {
    return text ? L"\"" + std::wstring(text) + L"\"" : L"null";
}

std::wstring Pointer(const void* p) {
    return p ? Args(L"%p", p) : L"null";
}

std::wstring RectText(LPCRECT r) {
    return r ? Args(L"%ld,%ld,%ld,%ld", r->left, r->top, r->right, r->bottom) : L"null";
}

// One traced call: the control's own method (called non-virtually) between the trace's
// Enter and Leave.
#define CADENCER_TRACED(name, call, ...)    \
    trace_->Enter(name, Args(__VA_ARGS__)); \
    return trace_->Leave(name, CadencerControl::call)

class TracedControl final : public CadencerControl {
public:
    explicit TracedControl(std::unique_ptr<Trace> trace) : CadencerControl(std::move(trace)) {}
    using CadencerControl::GetExtent;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override {
        CADENCER_TRACED(L"IOleObject::SetClientSite", SetClientSite(site), L"%ls", Pointer(site).c_str());
    }
    STDMETHODIMP GetClientSite(IOleClientSite** site) override {
        CADENCER_TRACED(L"IOleObject::GetClientSite", GetClientSite(site));
    }
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override {
        CADENCER_TRACED(L"IOleObject::SetHostNames", SetHostNames(app, object), L"%ls, %ls", Text(app).c_str(),
                        Text(object).c_str());
    }
    STDMETHODIMP Close(DWORD saveOption) override {
        CADENCER_TRACED(L"IOleObject::Close", Close(saveOption), L"%lu", saveOption);
    }
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override {
        CADENCER_TRACED(L"IOleObject::SetMoniker", SetMoniker(which, moniker), L"%lu", which);
    }
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override {
        CADENCER_TRACED(L"IOleObject::GetMoniker", GetMoniker(assign, which, moniker), L"%lu, %lu", assign, which);
    }
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override {
        CADENCER_TRACED(L"IOleObject::InitFromData", InitFromData(data, creation, reserved));
    }
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override {
        CADENCER_TRACED(L"IOleObject::GetClipboardData", GetClipboardData(reserved, data));
    }
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override {
        CADENCER_TRACED(L"IOleObject::DoVerb", DoVerb(verb, msg, site, index, parent, rect),
                        L"%ld, site %ls, parent %ls, %ls", verb, Pointer(site).c_str(), Pointer(parent).c_str(),
                        RectText(rect).c_str());
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override {
        CADENCER_TRACED(L"IOleObject::EnumVerbs", EnumVerbs(verbs));
    }
    STDMETHODIMP Update() override { CADENCER_TRACED(L"IOleObject::Update", Update()); }
    STDMETHODIMP IsUpToDate() override { CADENCER_TRACED(L"IOleObject::IsUpToDate", IsUpToDate()); }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override {
        CADENCER_TRACED(L"IOleObject::GetUserClassID", GetUserClassID(clsid));
    }
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override {
        CADENCER_TRACED(L"IOleObject::GetUserType", GetUserType(form, type), L"%lu", form);
    }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
        CADENCER_TRACED(L"IOleObject::SetExtent", SetExtent(aspect, size), L"%lu, %ld x %ld", aspect,
                        size ? size->cx : 0L, size ? size->cy : 0L);
    }
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override {
        CADENCER_TRACED(L"IOleObject::GetExtent", GetExtent(aspect, size), L"%lu", aspect);
    }
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override {
        CADENCER_TRACED(L"IOleObject::Advise", Advise(sink, connection), L"%ls", Pointer(sink).c_str());
    }
    STDMETHODIMP Unadvise(DWORD connection) override {
        CADENCER_TRACED(L"IOleObject::Unadvise", Unadvise(connection), L"%lu", connection);
    }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override {
        CADENCER_TRACED(L"IOleObject::EnumAdvise", EnumAdvise(advise));
    }
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override {
        CADENCER_TRACED(L"IOleObject::GetMiscStatus", GetMiscStatus(aspect, status), L"%lu", aspect);
    }
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override {
        CADENCER_TRACED(L"IOleObject::SetColorScheme", SetColorScheme(palette));
    }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override {
        CADENCER_TRACED(L"IOleControl::GetControlInfo", GetControlInfo(info));
    }
    STDMETHODIMP OnMnemonic(MSG* msg) override { CADENCER_TRACED(L"IOleControl::OnMnemonic", OnMnemonic(msg)); }
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override {
        CADENCER_TRACED(L"IOleControl::OnAmbientPropertyChange", OnAmbientPropertyChange(id), L"%ld", id);
    }
    STDMETHODIMP FreezeEvents(BOOL freeze) override {
        CADENCER_TRACED(L"IOleControl::FreezeEvents", FreezeEvents(freeze), L"%ls", freeze ? L"TRUE" : L"FALSE");
    }

    // IPersist, IPersistStreamInit, IPersistPropertyBag, IPersistStorage
    STDMETHODIMP GetClassID(CLSID* clsid) override { CADENCER_TRACED(L"IPersist::GetClassID", GetClassID(clsid)); }
    STDMETHODIMP IsDirty() override { CADENCER_TRACED(L"IPersist*::IsDirty", IsDirty()); }
    STDMETHODIMP Load(LPSTREAM stream) override {
        CADENCER_TRACED(L"IPersistStreamInit::Load", Load(stream), L"%ls", Pointer(stream).c_str());
    }
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override {
        CADENCER_TRACED(L"IPersistStreamInit::Save", Save(stream, clearDirty), L"%ls, %d", Pointer(stream).c_str(),
                        clearDirty);
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
        CADENCER_TRACED(L"IPersistStreamInit::GetSizeMax", GetSizeMax(size));
    }
    STDMETHODIMP InitNew() override { CADENCER_TRACED(L"IPersistStreamInit/IPersistPropertyBag::InitNew", InitNew()); }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
        CADENCER_TRACED(L"IPersistPropertyBag::Load", Load(bag, log), L"%ls, log %ls", Pointer(bag).c_str(),
                        Pointer(log).c_str());
    }
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override {
        CADENCER_TRACED(L"IPersistPropertyBag::Save", Save(bag, clearDirty, saveAll), L"%ls, %d, %d",
                        Pointer(bag).c_str(), clearDirty, saveAll);
    }
    STDMETHODIMP InitNew(IStorage* storage) override {
        CADENCER_TRACED(L"IPersistStorage::InitNew", InitNew(storage), L"%ls", Pointer(storage).c_str());
    }
    STDMETHODIMP Load(IStorage* storage) override {
        CADENCER_TRACED(L"IPersistStorage::Load", Load(storage), L"%ls", Pointer(storage).c_str());
    }
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override {
        CADENCER_TRACED(L"IPersistStorage::Save", Save(storage, sameAsLoad), L"%ls, %d", Pointer(storage).c_str(),
                        sameAsLoad);
    }
    STDMETHODIMP SaveCompleted(IStorage* storage) override {
        CADENCER_TRACED(L"IPersistStorage::SaveCompleted", SaveCompleted(storage), L"%ls", Pointer(storage).c_str());
    }
    STDMETHODIMP HandsOffStorage() override { CADENCER_TRACED(L"IPersistStorage::HandsOffStorage", HandsOffStorage()); }
};

#undef CADENCER_TRACED

}  // namespace

CadencerControl* NewTracedControl(std::unique_ptr<Trace> trace) {
    return new (std::nothrow) TracedControl(std::move(trace));
}

}  // namespace cadencer::com
