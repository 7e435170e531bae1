// Storable pictures: the size check for a picture being set or read from a bag, and the
// icon and bitmap files written from a picture's handle.
#include "component/picture_codec.h"

#include <wrl/client.h>

#include "component/picture_check.h"

using Microsoft::WRL::ComPtr;

namespace cadencer::com {
namespace {

// A picture's handle as the handle type it stands for (handles are sign-extended).
template <class H>
H HandleOf(OLE_HANDLE handle) {
    return reinterpret_cast<H>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

// The two bitmaps GetIconInfo hands over, deleted with it.
class IconBitmaps {
public:
    explicit IconBitmaps(HICON icon) : ok_(GetIconInfo(icon, &info_) != FALSE) {}
    ~IconBitmaps() {
        if (!ok_) return;
        DeleteObject(info_.hbmMask);
        if (info_.hbmColor) DeleteObject(info_.hbmColor);
    }
    IconBitmaps(const IconBitmaps&) = delete;
    IconBitmaps& operator=(const IconBitmaps&) = delete;
    bool ok() const { return ok_ && info_.hbmMask; }
    HBITMAP mask() const { return info_.hbmMask; }
    HBITMAP color() const { return info_.hbmColor; }
    // A monochrome icon keeps its image under its mask in one bitmap twice as tall.
    bool Size(int* width, int* height) const {
        BITMAP mask{};
        if (!ok() || !GetObjectW(info_.hbmMask, sizeof(mask), &mask)) return false;
        *width = mask.bmWidth;
        *height = info_.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
        return true;
    }

private:
    ICONINFO info_{};
    bool ok_;
};

bool WithinLimit(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxPicturePixels && height <= kMaxPicturePixels;
}

class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

void Put16(std::vector<BYTE>& out, unsigned value) {
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}
void Put32(std::vector<BYTE>& out, DWORD value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void PutInfoHeader(std::vector<BYTE>& out, int width, int rows, int bits, DWORD imageBytes) {
    Put32(out, sizeof(BITMAPINFOHEADER));
    Put32(out, static_cast<DWORD>(width));
    Put32(out, static_cast<DWORD>(rows));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, BI_RGB);
    Put32(out, imageBytes);
    for (int i = 0; i < 4; ++i) Put32(out, 0);
}

// Rows [first, first + count) of a bitmap, bottom-up, at the given depth.
bool ReadRows(HBITMAP bitmap, int width, int totalRows, int first, int count, int bits, std::vector<BYTE>* rows) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[2];
    } info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = totalRows;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bits);
    info.header.biCompression = BI_RGB;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    rows->assign(stride * count, 0);
    ScreenDc screen;
    return screen.get() && GetDIBits(screen.get(), bitmap, static_cast<UINT>(first), static_cast<UINT>(count),
                                     rows->data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == count;
}

HRESULT EncodeIcon(HICON icon, std::vector<BYTE>* file) {
    IconBitmaps bitmaps(icon);
    int width = 0, height = 0;
    if (!bitmaps.Size(&width, &height)) return E_FAIL;
    if (!WithinLimit(width, height)) return CTL_E_INVALIDPICTURE;
    std::vector<BYTE> color, mask;
    const bool colored = bitmaps.color() != nullptr;
    const int maskRows = colored ? height : 2 * height;
    const bool read = (colored ? ReadRows(bitmaps.color(), width, height, 0, height, 32, &color)
                               : ReadRows(bitmaps.mask(), width, maskRows, 0, height, 32, &color)) &&
                      ReadRows(bitmaps.mask(), width, maskRows, colored ? 0 : height, height, 1, &mask);
    if (!read) return E_FAIL;
    const DWORD imageBytes = static_cast<DWORD>(color.size() + mask.size());
    file->clear();
    Put16(*file, 0), Put16(*file, 1), Put16(*file, 1);
    file->push_back(static_cast<BYTE>(width & 0xFF));  // 256 is written as 0
    file->push_back(static_cast<BYTE>(height & 0xFF));
    file->push_back(0), file->push_back(0);
    Put16(*file, 1), Put16(*file, 32);
    Put32(*file, sizeof(BITMAPINFOHEADER) + imageBytes), Put32(*file, 6 + 16);
    PutInfoHeader(*file, width, 2 * height, 32, imageBytes);
    file->insert(file->end(), color.begin(), color.end());
    file->insert(file->end(), mask.begin(), mask.end());
    return S_OK;
}

HRESULT EncodeBitmap(HBITMAP bitmap, std::vector<BYTE>* file) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof(info), &info)) return E_FAIL;
    if (!WithinLimit(info.bmWidth, info.bmHeight)) return CTL_E_INVALIDPICTURE;
    std::vector<BYTE> pixels;
    if (!ReadRows(bitmap, info.bmWidth, info.bmHeight, 0, info.bmHeight, 32, &pixels)) return E_FAIL;
    constexpr DWORD kPixelsAt = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file->clear();
    file->push_back('B'), file->push_back('M');
    Put32(*file, kPixelsAt + static_cast<DWORD>(pixels.size()));
    Put32(*file, 0);
    Put32(*file, kPixelsAt);
    PutInfoHeader(*file, info.bmWidth, info.bmHeight, 32, static_cast<DWORD>(pixels.size()));
    file->insert(file->end(), pixels.begin(), pixels.end());
    return S_OK;
}

}  // namespace

HRESULT CheckStorablePicture(IUnknown* object) {
    ComPtr<IPicture> picture;
    if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&picture)))) return E_NOINTERFACE;
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&type))) return CTL_E_INVALIDPICTURE;
    if (type == PICTYPE_NONE || type == PICTYPE_UNINITIALIZED) return S_OK;
    if (type != PICTYPE_ICON && type != PICTYPE_BITMAP) return CTL_E_INVALIDPICTURE;
    if (FAILED(picture->get_Handle(&handle))) return CTL_E_INVALIDPICTURE;
    if (handle == 0) return S_OK;
    int width = 0, height = 0;
    if (type == PICTYPE_ICON) {
        IconBitmaps bitmaps(HandleOf<HICON>(handle));
        if (!bitmaps.Size(&width, &height)) return CTL_E_INVALIDPICTURE;
    } else {
        BITMAP info{};
        if (!GetObjectW(HandleOf<HBITMAP>(handle), sizeof(info), &info)) return CTL_E_INVALIDPICTURE;
        width = info.bmWidth;
        height = info.bmHeight;
    }
    return WithinLimit(width, height) ? S_OK : CTL_E_INVALIDPICTURE;
}

HRESULT EncodePictureFromHandle(IPicture* picture, std::vector<BYTE>* bytes) {
    if (!picture || !bytes) return E_POINTER;
    bytes->clear();
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    HRESULT hr = picture->get_Type(&type);
    if (SUCCEEDED(hr)) hr = picture->get_Handle(&handle);
    if (FAILED(hr)) return hr;
    std::vector<BYTE> file;
    if (handle == 0)
        hr = S_OK;  // the empty picture: a header with length 0
    else if (type == PICTYPE_ICON)
        hr = EncodeIcon(HandleOf<HICON>(handle), &file);
    else if (type == PICTYPE_BITMAP)
        hr = EncodeBitmap(HandleOf<HBITMAP>(handle), &file);
    else
        hr = CTL_E_INVALIDPICTURE;
    if (FAILED(hr)) return hr;
    bytes->assign({'l', 't', 0, 0});
    Put32(*bytes, static_cast<DWORD>(file.size()));
    bytes->insert(bytes->end(), file.begin(), file.end());
    return S_OK;
}

}  // namespace cadencer::com
