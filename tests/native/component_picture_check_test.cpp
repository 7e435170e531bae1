// The stored-picture check: sound icons and bitmaps pass with their size; every count,
// offset, size, dimension and depth that a corrupted form could carry is refused, and no
// single-byte change or truncation of a sound form gets past it unless the result is
// itself sound.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "component/picture_check.h"

namespace cadencer::com {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t Stride(int width, int bits) {
    return (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
}

// A BITMAPINFOHEADER with its colour table (or masks) and pixels.
Bytes Dib(int width, int height, int bits, bool icon, std::uint32_t compression = 0) {
    Bytes b;
    const int rows = icon ? 2 * height : height;
    Put32(b, 40), Put32(b, width), Put32(b, rows), Put16(b, 1), Put16(b, bits), Put32(b, compression);
    const std::uint64_t image = Stride(width, bits) * height + (icon ? Stride(width, 1) * height : 0);
    Put32(b, static_cast<std::uint32_t>(image)), Put32(b, 0), Put32(b, 0), Put32(b, 0), Put32(b, 0);
    const int colors = bits <= 8 ? 1 << bits : (compression == 3 ? 3 : 0);
    for (int i = 0; i < colors; ++i) Put32(b, 0x00FF00FFu * (i & 1));
    for (std::uint64_t i = 0; i < image; ++i) b.push_back(static_cast<std::uint8_t>(i * 7));
    return b;
}

struct Image {
    int width, height, bits;
};

Bytes IconFile(const std::vector<Image>& images) {
    Bytes b;
    Put16(b, 0), Put16(b, 1), Put16(b, static_cast<unsigned>(images.size()));
    std::vector<Bytes> dibs;
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const Image& image : images) {
        dibs.push_back(Dib(image.width, image.height, image.bits, true, image.bits == 32 ? 3 : 0));
        b.push_back(static_cast<std::uint8_t>(image.width & 0xFF));
        b.push_back(static_cast<std::uint8_t>(image.height & 0xFF));
        b.push_back(image.bits < 8 ? static_cast<std::uint8_t>(1 << image.bits) : 0);
        b.push_back(0);
        Put16(b, 1), Put16(b, image.bits), Put32(b, static_cast<std::uint32_t>(dibs.back().size())), Put32(b, offset);
        offset += static_cast<std::uint32_t>(dibs.back().size());
    }
    for (const Bytes& dib : dibs) b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes BitmapFile(int width, int height, int bits) {
    const Bytes dib = Dib(width, height, bits, false);
    Bytes b = {'B', 'M'};
    Put32(b, static_cast<std::uint32_t>(14 + dib.size())), Put32(b, 0);
    const int colors = bits <= 8 ? 1 << bits : 0;
    Put32(b, 14 + 40 + 4 * colors);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

Bytes Persisted(const Bytes& body) {
    Bytes b = {'l', 't', 0, 0};
    Put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes::const_iterator BodyBegin(const Bytes& persisted) {
    return persisted.begin() + 8;
}

PictureCheck Check(const Bytes& b) {
    return CheckPersistedPicture(b.data(), b.size());
}

TEST(PictureCheck, SoundIconsAndBitmapsPassWithTheirSize) {
    for (int bits : {1, 4, 8, 24, 32}) {
        const PictureCheck check = Check(Persisted(IconFile({{32, 32, bits}})));
        ASSERT_TRUE(check) << bits << ": " << check.refusal;
        EXPECT_EQ(check.kind, PictureKind::Icon);
        EXPECT_EQ(check.width, 32);
    }
    const PictureCheck several = Check(Persisted(IconFile({{16, 16, 4}, {48, 48, 32}, {256, 256, 32}})));
    ASSERT_TRUE(several) << several.refusal;
    EXPECT_EQ(several.height, 16);
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        const PictureCheck check = Check(Persisted(BitmapFile(17, 5, bits)));
        ASSERT_TRUE(check) << bits << ": " << check.refusal;
        EXPECT_EQ(check.kind, PictureKind::Bitmap);
        EXPECT_EQ(check.width, 17);
        EXPECT_EQ(check.height, 5);
    }
    // The empty picture: a header with length 0.
    const PictureCheck empty = Check(Persisted({}));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.kind, PictureKind::None);
}

TEST(PictureCheck, HeadersThatLieAreRefused) {
    const Bytes icon = IconFile({{32, 32, 8}});
    const std::size_t dib = 22;  // the image's header in a one-image icon file
    struct Case {
        const char* what;
        std::size_t at;
        std::uint32_t value;
        int width;  // bytes to overwrite: 1, 2 or 4
    };
    const std::vector<Case> cases = {
        {"directory type", 2, 2, 2},
        {"no images", 4, 0, 2},
        {"more images than the directory holds", 4, 9, 2},
        {"entry width", 6, 48, 1},
        {"entry height", 7, 16, 1},
        {"entry planes", 10, 3, 2},
        {"entry depth", 12, 24, 2},
        {"entry size beyond the data", 14, 0x7FFFFFF0u, 4},
        {"entry offset into the directory", 18, 6, 4},
        {"entry offset beyond the data", 18, 0xFFFFFFF0u, 4},
        {"header size", dib, 12, 4},
        {"width 0", dib + 4, 0, 4},
        {"width 257", dib + 4, 257, 4},
        {"negative width", dib + 4, 0xFFFFFFE0u, 4},
        {"odd height", dib + 8, 63, 4},
        {"height over 256", dib + 8, 1024, 4},
        {"negative height", dib + 8, 0xFFFFFFC0u, 4},
        {"planes", dib + 12, 2, 2},
        {"depth 7", dib + 14, 7, 2},
        {"depth 32 in 8-bit pixels", dib + 14, 32, 2},
        {"compression", dib + 16, 1, 4},
        {"image size too small", dib + 20, 16, 4},
        {"image size beyond the data", dib + 20, 0x40000000u, 4},
        {"colour count", dib + 32, 257, 4},
    };
    for (const Case& c : cases) {
        Bytes b = icon;
        for (int i = 0; i < c.width; ++i) b[c.at + i] = static_cast<std::uint8_t>(c.value >> (8 * i));
        const PictureCheck check = Check(Persisted(b));
        EXPECT_FALSE(check) << c.what;
    }
    Bytes png = icon;
    std::memcpy(&png[dib], "\x89PNG", 4);
    EXPECT_FALSE(Check(Persisted(png)));

    const Bytes bitmap = BitmapFile(20, 10, 24);
    Bytes b = bitmap;
    Set32(b, 10, static_cast<std::uint32_t>(bitmap.size()));  // pixels start at the end
    EXPECT_FALSE(Check(Persisted(b)));
    b = bitmap;
    Set32(b, 10, 14);  // pixels inside the header
    EXPECT_FALSE(Check(Persisted(b)));
    b = bitmap;
    Set32(b, 2, 99);  // file size
    EXPECT_FALSE(Check(Persisted(b)));
    b = bitmap;
    Set32(b, 14 + 8, 0x80000000u);  // height -2^31
    EXPECT_FALSE(Check(Persisted(b)));
    b = bitmap;
    Set32(b, 14, 124);  // a V5 header reaching past where the pixels are said to start
    EXPECT_FALSE(Check(Persisted(b)));
}

TEST(PictureCheck, OnlyIconsAndBitmapsBehindTheirHeaderAreTaken) {
    const Bytes icon = IconFile({{16, 16, 4}});
    Bytes b = Persisted(icon);
    b[0] = 'L';
    EXPECT_FALSE(Check(b));
    b = Persisted(icon);
    Set32(b, 4, static_cast<std::uint32_t>(icon.size() + 1));
    EXPECT_FALSE(Check(b));
    EXPECT_FALSE(CheckPersistedPicture(nullptr, 0));
    for (const char* other : {"GIF89a......", "\xFF\xD8\xFF\xE0....", "\x89PNG\r\n\x1A\n", "\x01\x00\x00\x00 EMF"})
        EXPECT_FALSE(Check(Persisted(Bytes(other, other + std::strlen(other) + 1)))) << other;
}

// Every prefix, and every single-byte change at every offset: a form that still passes
// must describe pixels that lie within its data, which the field checks above ensure;
// here the point is that none of them makes the check itself misbehave (the sanitizers
// watch every read), and that all prefixes are refused.
TEST(PictureCheck, TruncationsAreRefusedAndByteFlipsNeverReadOutside) {
    for (const Bytes& body : {IconFile({{16, 16, 4}, {32, 32, 32}}), BitmapFile(9, 3, 8)}) {
        const Bytes sound = Persisted(body);
        ASSERT_TRUE(Check(sound));
        for (std::size_t n = 0; n < sound.size(); ++n) {
            // Cut, and cut with the length field telling the truth about the cut.
            Bytes cut(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(CheckPersistedPicture(cut.data(), cut.size())) << n;
            if (n >= 9) {
                Bytes body(BodyBegin(sound), sound.begin() + static_cast<std::ptrdiff_t>(n));
                const Bytes relabelled = Persisted(body);
                EXPECT_FALSE(CheckPersistedPicture(relabelled.data(), relabelled.size())) << n;
            }
        }
        int accepted = 0;
        for (std::size_t at = 0; at < sound.size(); ++at) {
            for (std::uint8_t mask : {0x01, 0x10, 0x80, 0xFF}) {
                Bytes flipped = sound;
                flipped[at] ^= mask;
                // An exact-size copy, so any read past the end is caught.
                std::vector<std::uint8_t> exact(flipped);
                if (CheckPersistedPicture(exact.data(), exact.size())) ++accepted;
            }
        }
        // Pixel bytes may change freely; header changes mostly may not.
        EXPECT_GT(accepted, 0);
        EXPECT_LT(accepted, static_cast<int>(sound.size() * 4));
    }
}

}  // namespace
}  // namespace cadencer::com
