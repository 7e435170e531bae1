// Checks the bytes of a stored picture before anything on the platform sees them. The
// control stores its icon as the standard picture's persisted form: "lt\0\0", a 32-bit
// length, then an icon file (.ico) or a bitmap file (.bmp). Only these two are taken, and
// only when every count, offset and size lies within the data, no image exceeds 256 x 256
// pixels, and the pixel data the headers announce is really there. Portable: no platform
// calls, so it is tested natively as well.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cadencer::com {

enum class PictureKind { None, Icon, Bitmap };

struct PictureCheck {
    // Why the bytes were refused; null when they were accepted.
    const char* refusal = nullptr;
    PictureKind kind = PictureKind::None;
    int width = 0;  // of the first image, in pixels
    int height = 0;
    explicit operator bool() const { return refusal == nullptr; }
};

inline constexpr int kMaxPicturePixels = 256;  // the largest width or height taken
inline constexpr std::size_t kPersistedPictureHeader = 8;

// A whole persisted form ("lt\0\0", length, data). A length of 0 is the empty picture.
PictureCheck CheckPersistedPicture(const std::uint8_t* data, std::size_t size);
// The data alone: an icon file or a bitmap file.
PictureCheck CheckIconFile(const std::uint8_t* data, std::size_t size);
PictureCheck CheckBitmapFile(const std::uint8_t* data, std::size_t size);

}  // namespace cadencer::com
