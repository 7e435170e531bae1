// Reads what a window tells accessibility clients, as a screen reader does: the client
// object from AccessibleObjectFromWindow (oleacc, through WM_GETOBJECT), then its name,
// value, role, state and simple children. COM must be initialised on the thread.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <oleacc.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "win/scoped.h"

namespace accessibility_test {

// One client object, held for as long as the reader lives.
class Accessible {
public:
    explicit Accessible(HWND window) {
        if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&object_))))
            object_.Reset();
    }

    bool Valid() const { return object_ != nullptr; }
    IAccessible* Object() const { return object_.Get(); }

    std::wstring Name(LONG child = CHILDID_SELF) const { return Text(&IAccessible::get_accName, child); }
    std::optional<std::wstring> Value(LONG child = CHILDID_SELF) const {
        if (!object_) return std::nullopt;
        cadencer::win::ScopedBstr text;
        if (object_->get_accValue(Id(child), text.receive()) != S_OK || !text) return std::nullopt;
        return std::wstring(text.get(), SysStringLen(text.get()));
    }
    std::wstring DefaultAction(LONG child) const { return Text(&IAccessible::get_accDefaultAction, child); }
    LONG Role(LONG child = CHILDID_SELF) const { return Number(&IAccessible::get_accRole, child); }
    LONG State(LONG child = CHILDID_SELF) const { return Number(&IAccessible::get_accState, child); }
    long ChildCount() const {
        long count = -1;
        if (object_) object_->get_accChildCount(&count);
        return count;
    }
    RECT Location(LONG child) const {
        long left = 0, top = 0, width = 0, height = 0;
        if (object_) object_->accLocation(&left, &top, &width, &height, Id(child));
        return {left, top, left + width, top + height};
    }
    HRESULT DoDefaultAction(LONG child) const { return object_ ? object_->accDoDefaultAction(Id(child)) : E_FAIL; }
    LONG HitTest(POINT screen) const {
        cadencer::win::ScopedVariant found;
        if (!object_ || object_->accHitTest(screen.x, screen.y, found.receive()) != S_OK) return -1;
        return found.type() == VT_I4 ? found->lVal : -1;
    }

private:
    static VARIANT Id(LONG child) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = child;
        return v;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), LONG child) const {
        if (!object_) return L"<no object>";
        cadencer::win::ScopedBstr text;
        if (FAILED((object_.Get()->*get)(Id(child), text.receive())) || !text) return L"";
        return std::wstring(text.get(), SysStringLen(text.get()));
    }
    LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG child) const {
        if (!object_) return -1;
        cadencer::win::ScopedVariant value;
        if (FAILED((object_.Get()->*get)(Id(child), value.receive()))) return -1;
        return value.type() == VT_I4 ? value->lVal : -1;
    }

    Microsoft::WRL::ComPtr<IAccessible> object_;
};

// COM for the length of a test.
struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

}  // namespace accessibility_test
