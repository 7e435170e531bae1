// AccessibleProxy: the platform's proxy for a window, with the name, value, role, states and
// drawn parts that the window's facts give; and the window subclass that hands it out.
#include "win/accessible.h"

#include <commctrl.h>
#include <wrl/client.h>

#include <new>
#include <unordered_map>
#include <utility>

#include "win/com_object.h"
#include "win/scoped.h"
#include "win/thread_state.h"

namespace cadencer::win {
namespace {

using Microsoft::WRL::ComPtr;

// oleacc.dll from the system directory, loaded once when first needed and kept.
struct OleaccFunctions {
    using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    CreateStdFn createStd = nullptr;
    LresultFromObjectFn lresultFromObject = nullptr;
};

const OleaccFunctions& Oleacc() {
    static const OleaccFunctions functions = [] {
        OleaccFunctions f;
        wchar_t path[MAX_PATH] = L"";
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        constexpr wchar_t kName[] = L"\\oleacc.dll";
        if (length == 0 || length + sizeof(kName) / sizeof(wchar_t) > MAX_PATH) return f;
        lstrcatW(path, kName);
        const HMODULE module = LoadLibraryW(path);
        if (!module) return f;
        f.createStd = reinterpret_cast<OleaccFunctions::CreateStdFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "CreateStdAccessibleObject")));
        f.lresultFromObject = reinterpret_cast<OleaccFunctions::LresultFromObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "LresultFromObject")));
        return f;
    }();
    return functions;
}

HRESULT ToBstr(const std::wstring& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

void SetChildId(VARIANT* out, LONG id) {
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = id;
}

// A client that holds one runs this library's code: the base counts it against unloading.
class AccessibleProxy final : public ComObject<AccessibleProxy, IAccessible, IOleWindow> {
public:
    using Interfaces = InterfaceTable<Answer<IID_IUnknown, IAccessible>, Answer<IID_IDispatch, IAccessible>,
                                      Answer<IID_IAccessible, IAccessible>, Answer<IID_IOleWindow, IOleWindow>>;

    AccessibleProxy(HWND window, ComPtr<IAccessible> inner, std::shared_ptr<const AccessibleFacts> facts)
        : window_(window), inner_(std::move(inner)), facts_(std::move(facts)) {}

    // ---- IDispatch: the platform's type information, invoked on this object
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return inner_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        ComPtr<ITypeInfo> info;
        const HRESULT hr = inner_->GetTypeInfo(0, lcid, &info);
        if (FAILED(hr) || !info) return FAILED(hr) ? hr : E_NOTIMPL;
        return info->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, exception, argError);
    }

    // ---- IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (Live() && !facts_->parts.empty()) {
            *count = static_cast<long>(facts_->parts.size());
            return S_OK;
        }
        return inner_->get_accChildCount(count);
    }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override {
        if (!object) return E_POINTER;
        if (Part(child)) {
            *object = nullptr;
            return S_FALSE;  // a simple element: its parent answers for it
        }
        return inner_->get_accChild(child, object);
    }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        if (const auto* part = Part(child)) return ToBstr(part->name, name);
        if (Live() && IsSelf(child) && facts_->name) {
            const std::wstring text = facts_->name();
            if (!text.empty()) return ToBstr(text, name);
        }
        return inner_->get_accName(child, name);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        if (Part(child)) return DISP_E_MEMBERNOTFOUND;
        if (Live() && IsSelf(child) && facts_->value) {
            if (const auto text = facts_->value()) return ToBstr(*text, value);
        }
        return inner_->get_accValue(child, value);
    }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return Part(child) ? NoText(text) : inner_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        if (const auto* part = Part(child)) {
            SetChildId(role, part->role);
            return S_OK;
        }
        HRESULT hr = inner_->get_accRole(child, role);
        if (Live() && IsSelf(child) && facts_->role && (FAILED(hr) || IsGenericRole(*role))) {
            VariantClear(role);
            SetChildId(role, facts_->role);
            hr = S_OK;
        }
        return hr;
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        if (const auto* part = Part(child)) {
            SetChildId(state, part->state ? part->state() : 0);
            return S_OK;
        }
        HRESULT hr = inner_->get_accState(child, state);
        if (Live() && IsSelf(child) && facts_->state && ProxyIsGeneric()) {
            const LONG extra = facts_->state();
            if (SUCCEEDED(hr) && state->vt == VT_I4) {
                state->lVal |= extra;
            } else {
                VariantClear(state);
                SetChildId(state, extra);
                hr = S_OK;
            }
        }
        return hr;
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* text) override {
        return Part(child) ? NoText(text) : inner_->get_accHelp(child, text);
    }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (Part(child)) {
            if (topic) *topic = 0;
            return NoText(file);
        }
        return inner_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return Part(child) ? NoText(text) : inner_->get_accKeyboardShortcut(child, text);
    }
    STDMETHODIMP get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
    STDMETHODIMP get_accSelection(VARIANT* children) override { return inner_->get_accSelection(children); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (const auto* part = Part(child))
            return part->defaultAction.empty() ? NoText(action) : ToBstr(part->defaultAction, action);
        return inner_->get_accDefaultAction(child, action);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override {
        return Part(child) ? DISP_E_MEMBERNOTFOUND : inner_->accSelect(flags, child);
    }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (const auto* part = Part(child)) {
            if (!left || !top || !width || !height) return E_POINTER;
            const RECT r = part->screenRect ? part->screenRect() : RECT{};
            *left = r.left, *top = r.top, *width = r.right - r.left, *height = r.bottom - r.top;
            return S_OK;
        }
        return inner_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        const long count = Live() ? static_cast<long>(facts_->parts.size()) : 0;
        if (count == 0) return inner_->accNavigate(direction, start, end);
        VariantInit(end);
        long to = 0;
        if (IsSelf(start) && direction == NAVDIR_FIRSTCHILD) to = 1;
        if (IsSelf(start) && direction == NAVDIR_LASTCHILD) to = count;
        if (Part(start)) {
            if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT) to = start.lVal + 1;
            if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP || direction == NAVDIR_LEFT) to = start.lVal - 1;
        }
        if (to >= 1 && to <= count) {
            SetChildId(end, to);
            return S_OK;
        }
        // Past the parts, or away from the control: the platform's answer.
        return IsSelf(start) ? inner_->accNavigate(direction, start, end) : S_FALSE;
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        if (Live()) {
            for (std::size_t i = 0; i < facts_->parts.size(); ++i) {
                const auto& part = facts_->parts[i];
                const RECT r = part.screenRect ? part.screenRect() : RECT{};
                if (PtInRect(&r, POINT{x, y})) {
                    SetChildId(child, static_cast<LONG>(i + 1));
                    return S_OK;
                }
            }
        }
        return inner_->accHitTest(x, y, child);
    }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        if (const auto* part = Part(child)) {
            if (!part->doDefaultAction) return DISP_E_MEMBERNOTFOUND;
            part->doDefaultAction();
            return S_OK;
        }
        return inner_->accDoDefaultAction(child);
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return inner_->put_accValue(child, value); }

    // ---- IOleWindow: the window this object stands for
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    // Once the window is gone the facts are not asked any more: what they read may be gone too.
    bool Live() const { return IsWindow(window_) != FALSE; }

    const AccessiblePart* Part(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal < 1 || !Live()) return nullptr;
        const auto index = static_cast<std::size_t>(child.lVal);
        return index <= facts_->parts.size() ? &facts_->parts[index - 1] : nullptr;
    }

    static bool IsGenericRole(const VARIANT& role) { return role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_CLIENT; }

    bool ProxyIsGeneric() const {
        VARIANT self;
        SetChildId(&self, CHILDID_SELF);
        ScopedVariant role;
        const HRESULT hr = inner_->get_accRole(self, role.receive());
        return FAILED(hr) || IsGenericRole(*role.get());
    }

    static HRESULT NoText(BSTR* text) {
        if (!text) return E_POINTER;
        *text = nullptr;
        return S_FALSE;
    }

    HWND window_;
    ComPtr<IAccessible> inner_;
    std::shared_ptr<const AccessibleFacts> facts_;
};

using FactsHolder = std::shared_ptr<const AccessibleFacts>;
constexpr UINT_PTR kFactsSubclassId = 0x41434346;  // "ACCF"

// The holders of the windows served on a thread (a window's messages all come to the
// thread that made it), found again when a window's facts are replaced: a part of the
// thread's state. Kept there rather than in a window property: that would cost a round
// trip to the window server per input.
struct ServedWindows {
    std::unordered_map<HWND, FactsHolder*> holders;
};

LRESULT CALLBACK FactsSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    auto* facts = reinterpret_cast<FactsHolder*>(data);
    if (message == WM_GETOBJECT) {
        if (const LRESULT answer = AnswerGetObject(window, wParam, lParam, *facts)) return answer;
    } else if (message == WM_NCDESTROY) {
        if (ThreadState* state = ThreadState::Existing())
            if (auto* served = state->FindPart<ServedWindows>()) served->holders.erase(window);
        RemoveWindowSubclass(window, FactsSubclass, id);
        delete facts;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

HRESULT CreateAccessibleProxy(HWND window, std::shared_ptr<const AccessibleFacts> facts, IAccessible** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!facts) return E_INVALIDARG;
    const auto& oleacc = Oleacc();
    if (!oleacc.createStd) return E_NOTIMPL;
    ComPtr<IAccessible> inner;
    const HRESULT hr = oleacc.createStd(window, OBJID_CLIENT, IID_PPV_ARGS(&inner));
    if (FAILED(hr) || !inner) return FAILED(hr) ? hr : E_FAIL;
    auto* proxy = new (std::nothrow) AccessibleProxy(window, std::move(inner), std::move(facts));
    if (!proxy) return E_OUTOFMEMORY;
    *object = proxy;
    return S_OK;
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, std::shared_ptr<const AccessibleFacts> facts) {
    // The object identifier arrives as a 32-bit value, whatever the width of LPARAM.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    const auto& oleacc = Oleacc();
    if (!oleacc.lresultFromObject) return 0;
    ComPtr<IAccessible> object;
    if (FAILED(CreateAccessibleProxy(window, std::move(facts), &object))) return 0;
    const LRESULT answer = oleacc.lresultFromObject(__uuidof(IAccessible), wParam, object.Get());
    // A failure leaves the client to the platform's proxy rather than to an error.
    return answer < 0 ? 0 : answer;
}

bool ServeAccessibleFacts(HWND window, AccessibleFacts facts) {
    if (!IsWindow(window)) return false;
    ThreadState* state = ThreadState::Current();
    auto* served = state ? state->Part<ServedWindows>() : nullptr;
    if (!served) return false;
    auto shared = std::make_shared<const AccessibleFacts>(std::move(facts));
    if (const auto known = served->holders.find(window); known != served->holders.end()) {
        *known->second = std::move(shared);  // objects handed out keep the facts they were made with
        return true;
    }
    auto* holder = new (std::nothrow) FactsHolder(std::move(shared));
    if (!holder) return false;
    if (!SetWindowSubclass(window, FactsSubclass, kFactsSubclassId, reinterpret_cast<DWORD_PTR>(holder))) {
        delete holder;
        return false;
    }
    served->holders[window] = holder;
    return true;
}

// What cannot be seen announces nothing (a form still being loaded changes its values many
// times), and asking the system for event listeners is not free.
void NotifyAccessibleNameChange(HWND window) {
    if (window && IsWindowVisible(window)) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

void NotifyAccessibleValueChange(HWND window) {
    if (window && IsWindowVisible(window)) NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

std::wstring WindowTextOf(HWND window) {
    if (!IsWindow(window)) return {};
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace cadencer::win
