// Registration of the library's private window classes, valid whatever an earlier load of
// the library left behind: a class is keyed by its name and the module's instance, and a
// library unloaded without being asked (a host that frees it unconditionally) leaves its
// classes registered with a window procedure in code that is gone. A later load at the
// same address would find such a class and use it; one at another address would register
// beside it. Either way, a class whose procedure is not this load's is replaced.
#pragma once

#include <windows.h>

namespace cadencer::win {

// True when a class of cls's name and instance exists with cls's window procedure, after
// registering it (or replacing a stale one) if need be.
bool EnsureWindowClass(const WNDCLASSEXW& cls);

}  // namespace cadencer::win
