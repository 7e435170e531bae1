// The library's unload count (module_lock.h).
#include "win/module_lock.h"

namespace cadencer::win {
namespace {

LONG g_locks = 0;

}  // namespace

void LockModule() {
    InterlockedIncrement(&g_locks);
}
void UnlockModule() {
    InterlockedDecrement(&g_locks);
}
LONG ModuleLockCount() {
    return InterlockedCompareExchange(&g_locks, 0, 0);
}

}  // namespace cadencer::win
