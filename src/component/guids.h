// The generated interface definitions of the type library (widl's header), for the
// component's own sources. The GUID values come from widl's _i.c file, linked in once.
// The property pages' classes are the library's own, not part of the type library.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include "cadencer.h"

namespace cadencer::com {

// {705727FA-4CAC-4BAA-8D3C-2F153B34BA01}: the "Schedule" property page.
inline constexpr CLSID kClsidSchedulePage = {
    0x705727fa, 0x4cac, 0x4baa, {0x8d, 0x3c, 0x2f, 0x15, 0x3b, 0x34, 0xba, 0x01}};
// {C3F81C41-D039-4820-AD35-A1F44289F3AB}: the "Dialog" property page.
inline constexpr CLSID kClsidDialogPage = {
    0xc3f81c41, 0xd039, 0x4820, {0xad, 0x35, 0xa1, 0xf4, 0x42, 0x89, 0xf3, 0xab}};

}  // namespace cadencer::com
