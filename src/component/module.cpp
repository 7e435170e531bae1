// DllMain, the module lock count, DllCanUnloadNow, the cached type library and the
// preparation of a user-interface thread for its controls.
#include "component/module.h"

#include "about/about_box.h"
#include "component/class_factory.h"
#include "control/shared_schedule.h"
#include "control/win/face_window.h"
#include "control/win/timer_window.h"
#include "dialog/win/schedule_host.h"
#include "numberentry/win/digitfield_window.h"
#include "win/scoped.h"

#include <wrl/client.h>

#include <utility>

namespace cadencer::com {
namespace {

HINSTANCE g_instance = nullptr;
// Guards the type library cache: several single-threaded apartments may create controls.
// Initialised statically: DllMain does nothing for it.
SRWLOCK g_typeLibLock = SRWLOCK_INIT;
// The control's library (resource 1) and the tools objects' (resource 2).
ITypeLib* g_typeLibs[2] = {};

// Each user-interface thread's own record, a part of its state.
control::SharedSchedule* ThreadSharedSchedule() {
    win::ThreadState* state = win::ThreadState::Current();
    return state ? state->Part<control::SharedSchedule>() : nullptr;
}

}  // namespace

HRESULT PrepareThreadForControl(win::ThreadStateUse* use) {
    control::SharedSchedule::SetLocator(&ThreadSharedSchedule);
    win::ThreadState* state = win::ThreadState::Current();
    // The record first: the parts end newest first, and the dialog's end may still report
    // its closing to the record's owner.
    if (!state || !state->Part<control::SharedSchedule>()) return E_OUTOFMEMORY;
    auto& shared = control::SharedSchedule::Instance();
    if (!shared.Dialog() && !dialog::InstallScheduleDialog(g_instance)) return E_OUTOFMEMORY;
    if (!shared.About() && !about::InstallAboutBox(g_instance)) return E_OUTOFMEMORY;
    *use = win::ThreadStateUse(state);
    return S_OK;
}

HINSTANCE ModuleInstance() {
    return g_instance;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT GetTypeLib(ITypeLib** typeLib, int resource) {
    if (!typeLib) return E_POINTER;
    *typeLib = nullptr;
    if (resource < 1 || resource > 2) return E_INVALIDARG;
    ITypeLib*& cached = g_typeLibs[resource - 1];
    AcquireSRWLockExclusive(&g_typeLibLock);
    HRESULT hr = S_OK;
    if (!cached) {
        // REGKIND_NONE: using the library must never write to the registry.
        const std::wstring path = ModulePath() + (resource == 1 ? L"" : L"\\2");
        hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &cached);
    }
    if (SUCCEEDED(hr)) {
        *typeLib = cached;
        cached->AddRef();
    }
    ReleaseSRWLockExclusive(&g_typeLibLock);
    return hr;
}

HRESULT GetTypeInfoOf(REFGUID guid, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    Microsoft::WRL::ComPtr<ITypeLib> lib;
    const HRESULT hr = GetTypeLib(&lib);
    if (FAILED(hr)) return hr;
    return lib->GetTypeInfoOfGuid(guid, typeInfo);
}

void ReleaseTypeLibCache() {
    AcquireSRWLockExclusive(&g_typeLibLock);
    // Released after the lock is left: no foreign code runs while it is held.
    const auto lib = win::Adopt(std::exchange(g_typeLibs[0], nullptr));
    const auto tools = win::Adopt(std::exchange(g_typeLibs[1], nullptr));
    ReleaseSRWLockExclusive(&g_typeLibLock);
}

}  // namespace cadencer::com

using namespace cadencer::com;

// Under the loader lock nothing but the instance handle: a thread's record, dialog and
// about box are made with its first control, and they, the window classes and the type
// library go when DllCanUnloadNow lets the library go.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    // Live objects (controls, pages, enumerators, accessible objects of the dialog's
    // inputs), server locks and uses of a thread's state (an open dialog, about box or
    // property frame, a callback into a host) all hold the module lock.
    if (ModuleLockCount() != 0) return S_FALSE;
    // What the library set up on first use goes now, outside the loader lock; a host that
    // uses the library again before unloading it finds everything made afresh. The window
    // classes go with the code their procedures live in.
    cadencer::win::ThreadState::ReleaseAll();
    cadencer::numberentry::DigitfieldWindow::UnregisterWindowClass(g_instance);
    cadencer::win::UnregisterTimerWindowClass(g_instance);
    cadencer::win::UnregisterFaceWindowClass(g_instance);
    ReleaseTypeLibCache();
    return S_OK;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    return GetClassObject(clsid, iid, ppv);
}
