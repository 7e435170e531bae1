// The generated interface definitions of the type library (widl's header), for the
// component's own sources. The GUID values come from widl's _i.c file, linked in once.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include "cadencer.h"
