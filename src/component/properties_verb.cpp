// The Properties verb: DoVerb(OLEIVERB_PROPERTIES) and the registered verb 1 show the
// control's property pages (the ones ISpecifyPropertyPages names) in the platform's modal
// property frame, owned by the window the container passes and captioned with the name
// the container gives the control. One frame per control: asked again while it is open,
// the control brings that frame forward.
#include "component/cadencer_object.h"
#include "win/keep_alive.h"
#include "win/scoped.h"
#include "win/thread_state.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

constexpr wchar_t kDefaultCaption[] = L"Cadencer";

// The frame's window is made inside OleCreatePropertyFrame, which does not say which it
// is: a CBT hook on the opening thread takes the first captioned top-level window made
// while the frame opens. The openings under way (of every thread, nested ones first) are
// listed on the stack frames that opened them.
struct FrameOpening {
    DWORD thread;
    HWND* frame;
    FrameOpening* next;
};
SRWLOCK g_openingsLock = SRWLOCK_INIT;
FrameOpening* g_openings = nullptr;

bool IsFrameWindow(const CREATESTRUCTW& create) {
    return !(create.style & WS_CHILD) && (create.style & WS_CAPTION) == WS_CAPTION && create.hwndParent != HWND_MESSAGE;
}

LRESULT CALLBACK CatchFrameWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsFrameWindow(*reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs)) {
        AcquireSRWLockExclusive(&g_openingsLock);
        for (FrameOpening* opening = g_openings; opening; opening = opening->next)
            if (opening->thread == GetCurrentThreadId() && !*opening->frame) {
                *opening->frame = reinterpret_cast<HWND>(wParam);
                break;
            }
        ReleaseSRWLockExclusive(&g_openingsLock);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Lists an opening (and hooks window creation on this thread) for its lifetime.
class FrameWatch {
public:
    explicit FrameWatch(HWND* frame) : opening_{GetCurrentThreadId(), frame, nullptr} {
        AcquireSRWLockExclusive(&g_openingsLock);
        opening_.next = g_openings;
        g_openings = &opening_;
        ReleaseSRWLockExclusive(&g_openingsLock);
        hook_ = SetWindowsHookExW(WH_CBT, CatchFrameWindow, nullptr, GetCurrentThreadId());
    }
    ~FrameWatch() {
        if (hook_) UnhookWindowsHookEx(hook_);
        AcquireSRWLockExclusive(&g_openingsLock);
        for (FrameOpening** link = &g_openings; *link; link = &(*link)->next)
            if (*link == &opening_) {
                *link = opening_.next;
                break;
            }
        ReleaseSRWLockExclusive(&g_openingsLock);
    }
    FrameWatch(const FrameWatch&) = delete;
    FrameWatch& operator=(const FrameWatch&) = delete;

private:
    FrameOpening opening_;
    HHOOK hook_ = nullptr;
};

void BringForward(HWND frame) {
    if (!frame || !IsWindow(frame)) return;
    if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
    SetForegroundWindow(frame);
    BringWindowToTop(frame);
}

}  // namespace

// The container's name for the control (ambient DisplayName), or "Cadencer".
std::wstring CadencerControl::AmbientDisplayName() {
    std::wstring name;
    HRESULT hr = E_NOINTERFACE;
    if (clientSite_) {
        ComPtr<IDispatch> ambient;
        hr = clientSite_.As(&ambient);
        win::ScopedVariant result;
        if (SUCCEEDED(hr)) {
            DISPPARAMS none{};
            hr = ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                 result.receive(), nullptr, nullptr);
        }
        if (SUCCEEDED(hr)) hr = VariantChangeType(result.get(), result.get(), 0, VT_BSTR);
        if (SUCCEEDED(hr) && V_BSTR(result.get()))
            name.assign(V_BSTR(result.get()), SysStringLen(V_BSTR(result.get())));
    }
    if (name.empty()) name = kDefaultCaption;
    if (Trace* trace = Tracer()) trace->AmbientRead(L"DisplayName", hr, name.c_str());
    return name;
}

HRESULT CadencerControl::ShowPropertyFrame(IOleClientSite* site, HWND owner) {
    if (propertyFrameOpen_) {
        BringForward(propertyFrame_);
        return S_OK;
    }
    // The container may let go of the control while the frame runs; the pages use it
    // until the frame closes.
    const win::KeepAlive keep(*this);
    // The pages reach this thread's shared schedule while the frame runs.
    const win::ThreadStateUse frameUse;
    if (!owner) {
        // Without a window from the container, the frame belongs to the container's own.
        ComPtr<IOleWindow> window;
        IOleClientSite* from = site ? site : clientSite_.Get();
        if (from && SUCCEEDED(from->QueryInterface(IID_PPV_ARGS(&window)))) window->GetWindow(&owner);
    }
    CAUUID pages{};
    HRESULT hr = GetPages(&pages);
    if (FAILED(hr)) return hr;
    const std::wstring caption = AmbientDisplayName();
    IUnknown* objects[] = {static_cast<IOleObject*>(this)};
    // The frame speaks the control's language (and passes it to the pages): the container's
    // LocaleID, as for the dialog, else the user's.
    const std::optional<std::uint32_t> ambient = site_.AmbientLocaleID();
    const LCID lcid = ambient ? static_cast<LCID>(*ambient) : GetUserDefaultLCID();
    propertyFrameOpen_ = true;
    propertyFrame_ = nullptr;
    {
        const FrameWatch watch(&propertyFrame_);
        hr = OleCreatePropertyFrame(owner, 0, 0, caption.c_str(), 1, objects, pages.cElems, pages.pElems, lcid, 0,
                                    nullptr);
    }
    propertyFrameOpen_ = false;
    propertyFrame_ = nullptr;
    CoTaskMemFree(pages.pElems);
    return hr;
}

}  // namespace cadencer::com
