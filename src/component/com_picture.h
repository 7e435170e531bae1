// Pictures at the COM boundary: the portable core holds pictures as ObjectRef; here they
// wrap the platform's standard picture objects (IPictureDisp), and are created from the
// default icon resource or from the bytes a picture persisted of itself.
#pragma once

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "engine/variant.h"

namespace cadencer::com {

class ComPicture final : public PlatformObject {
public:
    explicit ComPicture(Microsoft::WRL::ComPtr<IPictureDisp> picture) : picture_(std::move(picture)) {}
    std::uint64_t Handle() const override;
    IPictureDisp* Get() const { return picture_.Get(); }

private:
    Microsoft::WRL::ComPtr<IPictureDisp> picture_;
};

// The IPictureDisp behind a core picture, or null (no picture, or not one of ours).
IPictureDisp* PictureOf(const ObjectRef& picture);
// Wraps any object that is a standard picture; null when it is not one.
ObjectRef WrapPicture(IUnknown* object);
// A new picture of the default dialog icon (the control's SaveIcon).
HRESULT CreateDefaultIconPicture(HINSTANCE instance, ObjectRef* picture);

// A picture's own persisted form (IPersistStream), and back. Loading refuses more than
// kMaxPictureBytes.
inline constexpr std::size_t kMaxPictureBytes = 1u << 20;
HRESULT SavePictureBytes(const ObjectRef& picture, std::vector<BYTE>* bytes);
HRESULT LoadPictureBytes(const BYTE* data, std::size_t size, ObjectRef* picture);

}  // namespace cadencer::com
