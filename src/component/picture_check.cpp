// The stored picture's layout, checked field by field. Sizes are computed in 64 bits from
// fields already bounded, so no sum or product can wrap.
#include "component/picture_check.h"

namespace cadencer::com {
namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kInfoHeader = 40;      // BITMAPINFOHEADER
constexpr std::size_t kFileHeader = 14;      // BITMAPFILEHEADER
constexpr std::size_t kIconDirectory = 6;    // reserved, type, count
constexpr std::size_t kIconEntry = 16;       // one ICONDIRENTRY
constexpr std::size_t kMaxIconImages = 256;  // more is no icon a host would make

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}

PictureCheck Refuse(const char* why) {
    PictureCheck check;
    check.refusal = why;
    return check;
}

// Bytes of one row of pixels, padded to 32 bits.
std::uint64_t Stride(std::uint64_t width, std::uint64_t bits) {
    return (width * bits + 31) / 32 * 4;
}

// What a device-independent bitmap's header announces, once found sound.
struct Dib {
    const char* refusal = nullptr;
    int width = 0;
    int height = 0;  // of the image itself (an icon's header counts its mask rows too)
    int bits = 0;
    std::uint64_t headerBytes = 0;  // header, masks and colour table
    std::uint64_t pixelBytes = 0;   // image rows, and for an icon the mask rows
};

Dib Refused(const char* why) {
    Dib dib;
    dib.refusal = why;
    return dib;
}

// A BITMAPINFOHEADER (for a bitmap file also its V4 and V5 forms) and the sizes that
// follow from it; 'available' counts the bytes from the header to the end of the image.
Dib CheckDibHeader(const std::uint8_t* p, std::size_t available, bool icon) {
    if (available < kInfoHeader) return Refused("bitmap header cut short");
    const std::uint32_t headerSize = U32(p);
    const bool extended = !icon && (headerSize == 108 || headerSize == 124);
    if (headerSize != kInfoHeader && !extended) return Refused("unknown bitmap header size");
    if (available < headerSize) return Refused("bitmap header cut short");
    const std::int32_t width = I32(p + 4);
    const std::int32_t rawHeight = I32(p + 8);
    const std::uint16_t planes = U16(p + 12);
    const std::uint16_t bits = U16(p + 14);
    const std::uint32_t compression = U32(p + 16);
    const std::uint32_t sizeImage = U32(p + 20);
    const std::uint32_t colorsUsed = U32(p + 32);
    if (width < 1 || width > kMaxPicturePixels) return Refused("bitmap width outside 1 to 256");
    std::int64_t height = rawHeight;
    if (icon) {
        // Image and mask rows, bottom-up.
        if (height < 2 || height % 2 != 0 || height / 2 > kMaxPicturePixels)
            return Refused("icon height outside 1 to 256");
        height /= 2;
    } else {
        if (height < 0) height = -height;  // top-down rows
        if (height < 1 || height > kMaxPicturePixels) return Refused("bitmap height outside 1 to 256");
    }
    if (planes != 1) return Refused("bitmap planes not 1");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return Refused("unknown bit depth");
    if (compression != kBiRgb && !(compression == kBiBitfields && (bits == 16 || bits == 32)))
        return Refused("compressed bitmap");
    const std::uint64_t paletteLimit = bits <= 8 ? (1u << bits) : 256;
    if (colorsUsed > paletteLimit) return Refused("colour table too large");
    const std::uint64_t colors = colorsUsed != 0 ? colorsUsed : (bits <= 8 ? (1u << bits) : 0);

    Dib dib;
    dib.width = width;
    dib.height = static_cast<int>(height);
    dib.bits = bits;
    dib.headerBytes = headerSize + colors * 4 + (compression == kBiBitfields && !extended ? 12 : 0);
    const std::uint64_t image = Stride(width, bits) * height;
    const std::uint64_t mask = icon ? Stride(width, 1) * height : 0;
    dib.pixelBytes = image + mask;
    if (sizeImage != 0 && (sizeImage < image || sizeImage > available))
        return Refused("image size disagrees with the header");
    if (dib.headerBytes > available) return Refused("colour table cut short");
    return dib;
}

}  // namespace

PictureCheck CheckIconFile(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kIconDirectory) return Refuse("icon directory cut short");
    if (U16(data) != 0 || U16(data + 2) != 1) return Refuse("not an icon directory");
    const std::size_t count = U16(data + 4);
    if (count == 0 || count > kMaxIconImages) return Refuse("icon image count outside 1 to 256");
    const std::uint64_t directoryEnd = kIconDirectory + kIconEntry * count;
    if (directoryEnd > size) return Refuse("icon directory cut short");

    PictureCheck result;
    result.kind = PictureKind::Icon;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = data + kIconDirectory + kIconEntry * i;
        const int width = entry[0] == 0 ? 256 : entry[0];
        const int height = entry[1] == 0 ? 256 : entry[1];
        const std::uint16_t planes = U16(entry + 4);
        const std::uint16_t bitCount = U16(entry + 6);
        const std::uint64_t bytes = U32(entry + 8);
        const std::uint64_t offset = U32(entry + 12);
        if (planes > 1) return Refuse("icon image planes not 0 or 1");
        if (offset < directoryEnd || offset > size || bytes > size - offset)
            return Refuse("icon image outside the data");
        const std::uint8_t* image = data + offset;
        if (bytes >= 4 && image[0] == 0x89 && image[1] == 'P' && image[2] == 'N' && image[3] == 'G')
            return Refuse("compressed icon image");
        const Dib dib = CheckDibHeader(image, static_cast<std::size_t>(bytes), true);
        if (dib.refusal) return Refuse(dib.refusal);
        if (dib.width != width || dib.height != height) return Refuse("icon entry size disagrees with its image");
        if (bitCount != 0 && bitCount != dib.bits) return Refuse("icon entry depth disagrees with its image");
        if (dib.headerBytes + dib.pixelBytes > bytes) return Refuse("icon pixels cut short");
        if (i == 0) {
            result.width = width;
            result.height = height;
        }
    }
    return result;
}

PictureCheck CheckBitmapFile(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kFileHeader + kInfoHeader) return Refuse("bitmap file cut short");
    if (data[0] != 'B' || data[1] != 'M') return Refuse("not a bitmap file");
    const std::uint32_t fileSize = U32(data + 2);
    const std::uint64_t pixelsAt = U32(data + 10);
    if (fileSize != 0 && fileSize != size) return Refuse("bitmap file size disagrees with the data");
    const Dib dib = CheckDibHeader(data + kFileHeader, size - kFileHeader, false);
    if (dib.refusal) return Refuse(dib.refusal);
    if (pixelsAt < kFileHeader + dib.headerBytes || pixelsAt > size || dib.pixelBytes > size - pixelsAt)
        return Refuse("bitmap pixels outside the data");
    PictureCheck result;
    result.kind = PictureKind::Bitmap;
    result.width = dib.width;
    result.height = dib.height;
    return result;
}

PictureCheck CheckPersistedPicture(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kPersistedPictureHeader) return Refuse("picture header cut short");
    if (data[0] != 'l' || data[1] != 't' || data[2] != 0 || data[3] != 0) return Refuse("unknown picture header");
    if (U32(data + 4) != size - kPersistedPictureHeader) return Refuse("picture length disagrees with the data");
    const std::uint8_t* body = data + kPersistedPictureHeader;
    const std::size_t length = size - kPersistedPictureHeader;
    if (length == 0) return PictureCheck{};
    if (length >= 2 && body[0] == 'B' && body[1] == 'M') return CheckBitmapFile(body, length);
    if (length >= 4 && U16(body) == 0 && U16(body + 2) == 1) return CheckIconFile(body, length);
    return Refuse("picture is neither an icon nor a bitmap");
}

}  // namespace cadencer::com
