// Module-wide state of cadencer.ocx: its instance handle and path, the count of live
// objects and server locks that DllCanUnloadNow reports, and the type library loaded
// from the module's own TYPELIB resource (the single source of DISPIDs and types).
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "win/module_lock.h"
#include "win/thread_state.h"

namespace cadencer::com {

HINSTANCE ModuleInstance();
// Full path of cadencer.ocx as loaded (what registration writes).
std::wstring ModulePath();

// Live objects (controls, enumerators) and IClassFactory::LockServer locks: one count
// with the library's windows code (win/module_lock.h).
using win::LockModule;
using win::ModuleLock;
using win::ModuleLockCount;
using win::UnlockModule;

// A type library from the embedded resources (1: the control's, 2: the tools objects'),
// loaded once and kept while objects live.
HRESULT GetTypeLib(ITypeLib** typeLib, int resource = 1);
HRESULT GetTypeInfoOf(REFGUID guid, ITypeInfo** typeInfo);
// Lets go of the cached type libraries (when the module can unload).
void ReleaseTypeLibCache();

// Makes the calling thread ready for a control: its state (found by a TLS slot) with the
// shared schedule record (holding a new control's defaults once the first control is
// made), the dialog and the about box. `use` then counts the control as a use of that
// state. E_OUTOFMEMORY when the state cannot be made.
HRESULT PrepareThreadForControl(win::ThreadStateUse* use);

}  // namespace cadencer::com
