// Pictures the control can store: icons and bitmaps of at most 256 x 256 pixels. Their
// stored form is the standard picture's persisted form, checked (picture_check.h) before
// the platform decodes it. When the platform's own persisted form of a picture is not
// one the check takes (a bitmap kept as the JPEG it came from, an icon file with PNG
// images, more than the size limit), the picture is written from its handle instead: an
// icon as a one-image icon file, a bitmap as a 32-bit bitmap file.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace cadencer::com {

// S_OK for an icon or a bitmap of at most 256 x 256 pixels, and for an empty picture;
// CTL_E_INVALIDPICTURE for any other picture; E_NOINTERFACE when it is no picture.
HRESULT CheckStorablePicture(IUnknown* object);

// The persisted form ("lt\0\0", length, file) written from the picture's handle.
HRESULT EncodePictureFromHandle(IPicture* picture, std::vector<BYTE>* bytes);

}  // namespace cadencer::com
