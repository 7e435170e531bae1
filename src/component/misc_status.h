// The control class's OLEMISC status flags: what IOleObject::GetMiscStatus answers and
// what registration writes under MiscStatus, so that a container reading either sees the
// same class.
#pragma once

#include <windows.h>

#include <oleidl.h>

namespace cadencer::com {

// Invisible at run time, activate when visible, inside-out, cannot link inside,
// recompose on resize, set client site first, never UI-activated: 0x24591.
inline constexpr DWORD kMiscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                                     OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE | OLEMISC_SETCLIENTSITEFIRST |
                                     OLEMISC_NOUIACTIVATE;
static_assert(kMiscStatus == 0x24591);

}  // namespace cadencer::com
