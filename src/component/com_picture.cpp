// Standard picture objects behind the core's ObjectRef pictures.
#include "component/com_picture.h"

#include <memory>

#include "component/picture_check.h"
#include "component/picture_codec.h"
#include "control/win/face_window.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {

std::uint64_t ComPicture::Handle() const {
    ComPtr<IPicture> picture;
    OLE_HANDLE handle = 0;
    if (picture_ && SUCCEEDED(picture_.As(&picture)) && SUCCEEDED(picture->get_Handle(&handle)))
        return static_cast<std::uint64_t>(handle);
    return 0;
}

IPictureDisp* PictureOf(const ObjectRef& picture) {
    auto* ours = dynamic_cast<const ComPicture*>(picture.get());
    return ours ? ours->Get() : nullptr;
}

ObjectRef WrapPicture(IUnknown* object) {
    if (!object) return nullptr;
    ComPtr<IPictureDisp> disp;
    ComPtr<IPicture> picture;
    // Both faces must be there: a dispatch object that merely claims to be a picture is not one.
    // And only a picture the control can store is taken, so that whatever it holds saves.
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&disp))) || FAILED(object->QueryInterface(IID_PPV_ARGS(&picture))) ||
        FAILED(CheckStorablePicture(picture.Get())))
        return nullptr;
    return std::make_shared<ComPicture>(std::move(disp));
}

namespace {

// An icon of the module's resources made straight from its image's bits. Every control makes
// its own default icon; an icon loaded by its resource name (LoadImageW) costs Wine some
// memory that destroying it never returns (about 120 bytes per control), bits do not.
HICON IconFromResource(HINSTANCE instance, int id, int size) {
    const HRSRC group = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    const auto* directory = group ? static_cast<BYTE*>(LockResource(LoadResource(instance, group))) : nullptr;
    if (!directory) return nullptr;
    const int imageId = LookupIconIdFromDirectoryEx(const_cast<BYTE*>(directory), TRUE, size, size, LR_DEFAULTCOLOR);
    const HRSRC image = imageId ? FindResourceW(instance, MAKEINTRESOURCEW(imageId), RT_ICON) : nullptr;
    auto* bits = image ? static_cast<BYTE*>(LockResource(LoadResource(instance, image))) : nullptr;
    if (!bits) return nullptr;
    return CreateIconFromResourceEx(bits, SizeofResource(instance, image), TRUE, 0x00030000, size, size,
                                    LR_DEFAULTCOLOR);
}

}  // namespace

HRESULT CreateDefaultIconPicture(HINSTANCE instance, ObjectRef* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    HICON icon = IconFromResource(instance, IDI_DEFAULT_ICON, 32);
    if (!icon) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = icon;
    ComPtr<IPictureDisp> picture;
    // fOwn: the picture destroys the icon when its last reference goes.
    const HRESULT hr = OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, &picture);
    if (FAILED(hr)) {
        DestroyIcon(icon);
        return hr;
    }
    *result = std::make_shared<ComPicture>(std::move(picture));
    return S_OK;
}

namespace {

// The picture's own persisted form, as the platform writes it.
HRESULT PlatformPictureBytes(IPictureDisp* disp, std::vector<BYTE>* bytes) {
    ComPtr<IPersistStream> persist;
    HRESULT hr = disp->QueryInterface(IID_PPV_ARGS(&persist));
    if (FAILED(hr)) return hr;
    ComPtr<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = persist->Save(stream.Get(), FALSE);
    if (FAILED(hr)) return hr;
    STATSTG stat{};
    hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > kMaxPictureBytes) return E_OUTOFMEMORY;
    HGLOBAL memory = nullptr;
    hr = GetHGlobalFromStream(stream.Get(), &memory);
    if (FAILED(hr)) return hr;
    const auto size = static_cast<std::size_t>(stat.cbSize.QuadPart);
    const auto* data = static_cast<const BYTE*>(GlobalLock(memory));
    if (!data && size) return E_OUTOFMEMORY;
    bytes->assign(data, data + size);
    GlobalUnlock(memory);
    return S_OK;
}

}  // namespace

HRESULT SavePictureBytes(const ObjectRef& picture, std::vector<BYTE>* bytes) {
    if (!bytes) return E_POINTER;
    bytes->clear();
    IPictureDisp* disp = PictureOf(picture);
    if (!disp) return E_INVALIDARG;
    // The platform's form when loading will take it (it keeps a loaded icon's own bytes);
    // otherwise the picture is written anew from its handle.
    if (SUCCEEDED(PlatformPictureBytes(disp, bytes)) && CheckPersistedPicture(bytes->data(), bytes->size()))
        return S_OK;
    ComPtr<IPicture> face;
    const HRESULT hr = disp->QueryInterface(IID_PPV_ARGS(&face));
    if (FAILED(hr)) return hr;
    return EncodePictureFromHandle(face.Get(), bytes);
}

HRESULT LoadPictureBytes(const BYTE* data, std::size_t size, ObjectRef* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (size > kMaxPictureBytes || (!data && size)) return E_INVALIDARG;
    // The platform's decoders trust the sizes inside the data; nothing unchecked reaches them.
    if (!CheckPersistedPicture(data, size)) return CTL_E_INVALIDPICTURE;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory) return E_OUTOFMEMORY;
    if (size) {
        void* target = GlobalLock(memory);
        memcpy(target, data, size);
        GlobalUnlock(memory);
    }
    ComPtr<IStream> stream;
    HRESULT hr = CreateStreamOnHGlobal(memory, TRUE, &stream);
    if (FAILED(hr)) {
        GlobalFree(memory);
        return hr;
    }
    // An empty standard picture that then loads its persisted form.
    ComPtr<IPictureDisp> picture;
    hr = OleCreatePictureIndirect(nullptr, IID_IPictureDisp, TRUE, &picture);
    if (FAILED(hr)) return hr;
    ComPtr<IPersistStream> persist;
    hr = picture.As(&persist);
    if (FAILED(hr)) return hr;
    hr = persist->Load(stream.Get());
    if (FAILED(hr)) return hr;
    if (FAILED(CheckStorablePicture(picture.Get()))) return CTL_E_INVALIDPICTURE;
    *result = std::make_shared<ComPicture>(std::move(picture));
    return S_OK;
}

}  // namespace cadencer::com
