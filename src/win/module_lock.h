// The one count that answers "may the library be unloaded?": every COM object the library
// serves (through its IUnknown base, com_object.h), every IClassFactory::LockServer lock
// and every use of a thread's state (an open dialog, about box or property frame, a call
// into a host) holds one. DllCanUnloadNow answers S_OK only when it is zero.
#pragma once

#include <windows.h>

namespace cadencer::win {

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// One count for the length of a scope or of an object's life.
class ModuleLock {
public:
    ModuleLock() { LockModule(); }
    ~ModuleLock() { UnlockModule(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace cadencer::win
