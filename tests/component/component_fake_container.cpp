// The fake container's calls, each written to the shared log.
#include "component_fake_container.h"

#include <cstdio>

namespace cadencer_test {

FakeContainer::FakeContainer(CallLog* log, std::optional<bool> userMode)
    : FakeUnknown({IID_IOleWindow}), log_(log), userMode_(userMode) {
    // Never shown: destroying a shown top-level window costs seconds under Xvfb without a
    // window manager. Tests read the child's own WS_VISIBLE style instead.
    window_ = CreateWindowExW(0, L"STATIC", L"fake container", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
}

FakeContainer::~FakeContainer() {
    if (window_) DestroyWindow(window_);
}

STDMETHODIMP FakeContainer::SaveObject() {
    log_->push_back("SaveObject");
    return S_OK;
}
STDMETHODIMP FakeContainer::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    *moniker = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP FakeContainer::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP FakeContainer::ShowObject() {
    return S_OK;
}
STDMETHODIMP FakeContainer::OnShowWindow(BOOL) {
    return S_OK;
}
STDMETHODIMP FakeContainer::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

STDMETHODIMP FakeContainer::GetWindow(HWND* window) {
    *window = window_;
    return S_OK;
}
STDMETHODIMP FakeContainer::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}
STDMETHODIMP FakeContainer::CanInPlaceActivate() {
    log_->push_back("CanInPlaceActivate");
    return S_OK;
}
STDMETHODIMP FakeContainer::OnInPlaceActivate() {
    log_->push_back("OnInPlaceActivate");
    return S_OK;
}
STDMETHODIMP FakeContainer::OnUIActivate() {
    log_->push_back("OnUIActivate");
    return S_OK;
}
STDMETHODIMP FakeContainer::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT pos,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO) {
    log_->push_back("GetWindowContext");
    *frame = nullptr;
    *document = nullptr;
    *pos = position;
    GetClientRect(window_, clip);
    return S_OK;
}
STDMETHODIMP FakeContainer::Scroll(SIZE) {
    return E_NOTIMPL;
}
STDMETHODIMP FakeContainer::OnUIDeactivate(BOOL) {
    return S_OK;
}
STDMETHODIMP FakeContainer::OnInPlaceDeactivate() {
    log_->push_back("OnInPlaceDeactivate");
    return S_OK;
}
STDMETHODIMP FakeContainer::DiscardUndoState() {
    return S_OK;
}
STDMETHODIMP FakeContainer::DeactivateAndUndo() {
    return S_OK;
}
STDMETHODIMP FakeContainer::OnPosRectChange(LPCRECT rect) {
    char text[64];
    std::snprintf(text, sizeof(text), "OnPosRectChange(%ldx%ld)", rect->right - rect->left, rect->bottom - rect->top);
    log_->push_back(text);
    position = *rect;
    return S_OK;
}

STDMETHODIMP FakeContainer::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}
STDMETHODIMP FakeContainer::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP FakeContainer::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP FakeContainer::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (id == DISPID_AMBIENT_DISPLAYNAME) {
        log_->push_back("Ambient(DisplayName)");
        if (displayName.empty()) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(displayName.c_str());
        return S_OK;
    }
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    log_->push_back("Ambient(UserMode)");
    if (!userMode_) return DISP_E_MEMBERNOTFOUND;
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = *userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

}  // namespace cadencer_test
