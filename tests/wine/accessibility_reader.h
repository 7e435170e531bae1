// Reads what a window tells accessibility clients, as a screen reader does: the client
// object from AccessibleObjectFromWindow (oleacc, through WM_GETOBJECT), then its name,
// value, role, state and simple children. COM must be initialised on the thread.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <oleacc.h>

#include <optional>
#include <string>

namespace accessibility_test {

// One client object, held for as long as the reader lives.
class Accessible {
public:
    explicit Accessible(HWND window) {
        if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&object_))))
            object_ = nullptr;
    }
    ~Accessible() {
        if (object_) object_->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    bool Valid() const { return object_ != nullptr; }
    IAccessible* Object() const { return object_; }

    std::wstring Name(LONG child = CHILDID_SELF) const { return Text(&IAccessible::get_accName, child); }
    std::optional<std::wstring> Value(LONG child = CHILDID_SELF) const {
        if (!object_) return std::nullopt;
        BSTR text = nullptr;
        if (object_->get_accValue(Id(child), &text) != S_OK || !text) return std::nullopt;
        std::wstring result(text, SysStringLen(text));
        SysFreeString(text);
        return result;
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
        VARIANT found;
        VariantInit(&found);
        if (!object_ || object_->accHitTest(screen.x, screen.y, &found) != S_OK) return -1;
        const LONG id = found.vt == VT_I4 ? found.lVal : -1;
        VariantClear(&found);
        return id;
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
        BSTR text = nullptr;
        if (FAILED((object_->*get)(Id(child), &text)) || !text) return L"";
        std::wstring result(text, SysStringLen(text));
        SysFreeString(text);
        return result;
    }
    LONG Number(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), LONG child) const {
        if (!object_) return -1;
        VARIANT value;
        VariantInit(&value);
        if (FAILED((object_->*get)(Id(child), &value))) return -1;
        const LONG result = value.vt == VT_I4 ? value.lVal : -1;
        VariantClear(&value);
        return result;
    }

    IAccessible* object_ = nullptr;
};

// COM for the length of a test.
struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
};

}  // namespace accessibility_test
