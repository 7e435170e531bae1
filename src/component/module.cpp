// DllMain, the module lock count, DllCanUnloadNow and the cached type library.
#include "component/module.h"

#include "about/about_box.h"
#include "component/class_factory.h"
#include "control/win/face_window.h"
#include "control/win/timer_window.h"
#include "dialog/schedule_host.h"
#include "win/accessible.h"
#include "win/scoped.h"

#include <wrl/client.h>

#include <utility>

namespace cadencer::com {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
// Guards the type library cache: several single-threaded apartments may create controls.
CRITICAL_SECTION g_typeLibLock;
ITypeLib* g_typeLib = nullptr;

}  // namespace

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

void LockModule() {
    InterlockedIncrement(&g_locks);
}
void UnlockModule() {
    InterlockedDecrement(&g_locks);
}
LONG ModuleLockCount() {
    return InterlockedCompareExchange(&g_locks, 0, 0);
}

HRESULT GetTypeLib(ITypeLib** typeLib) {
    if (!typeLib) return E_POINTER;
    *typeLib = nullptr;
    EnterCriticalSection(&g_typeLibLock);
    HRESULT hr = S_OK;
    if (!g_typeLib) {
        // REGKIND_NONE: using the library must never write to the registry.
        const std::wstring path = ModulePath();
        hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib);
    }
    if (SUCCEEDED(hr)) {
        *typeLib = g_typeLib;
        g_typeLib->AddRef();
    }
    LeaveCriticalSection(&g_typeLibLock);
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
    EnterCriticalSection(&g_typeLibLock);
    // Released after the lock is left: no foreign code runs while it is held.
    const auto lib = win::Adopt(std::exchange(g_typeLib, nullptr));
    LeaveCriticalSection(&g_typeLibLock);
}

}  // namespace cadencer::com

using namespace cadencer::com;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
        case DLL_PROCESS_ATTACH:
            g_instance = instance;
            InitializeCriticalSection(&g_typeLibLock);
            cadencer::about::InstallAboutBox(instance);
            cadencer::dialog::InstallScheduleDialog(instance);
            DisableThreadLibraryCalls(instance);
            break;
        case DLL_PROCESS_DETACH:
            // On FreeLibrary (not at process exit) the window classes must go with the code
            // their window procedures live in, or a later load would find stale classes.
            if (!reserved) {
                cadencer::dialog::UninstallScheduleDialog();
                cadencer::win::UnregisterTimerWindowClass(instance);
                cadencer::win::UnregisterFaceWindowClass(instance);
            }
            DeleteCriticalSection(&g_typeLibLock);
            break;
        default:
            break;
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    // Accessible objects of the dialog's inputs that a client still holds run our code too.
    if (ModuleLockCount() != 0 || cadencer::win::LiveAccessibleObjects() != 0) return S_FALSE;
    ReleaseTypeLibCache();
    return S_OK;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
    return GetClassObject(clsid, iid, ppv);
}
