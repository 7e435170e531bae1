// A fake ActiveX container for the cadencer.ocx tests: a client site with an in-place
// site and an ambient-property dispatch (UserMode true, false, or not answered; a
// DisplayName when one is set), a window to activate in, and a log of every call the
// control makes on it.
#pragma once

#include "component_support.h"

#include <optional>

namespace cadencer_test {

class FakeContainer final : public FakeUnknown<IOleInPlaceSite, IOleClientSite, IDispatch> {
public:
    FakeContainer(CallLog* log, std::optional<bool> userMode);
    ~FakeContainer();

    // Sets the ambient; tell the control with OnAmbientPropertyChange yourself.
    void SetUserMode(std::optional<bool> userMode) { userMode_ = userMode; }
    HWND Window() const { return window_; }
    // The control's rectangle as the container placed it (client coordinates).
    RECT position{10, 10, 110, 60};
    // The ambient DisplayName; empty: not answered.
    std::wstring displayName;

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override;
    STDMETHODIMP OnUIDeactivate(BOOL) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override;

    // IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

private:
    CallLog* log_;
    std::optional<bool> userMode_;
    HWND window_ = nullptr;
};

}  // namespace cadencer_test
