// Twips and pixels on their rounding edges: an exact half goes away from zero in both
// directions and for both signs, a hair below it goes toward zero, as MulDiv rounds.
#include <gtest/gtest.h>

#include "engine/twips.h"

namespace cadencer {
namespace {

TEST(Twips, ToPixelsRoundsHalvesAwayFromZero) {
    // twips * dpi / 1440 with a remainder of exactly 720, just below and just above it.
    EXPECT_EQ(TwipsToPixels(15, 48), 1);    // 0.5
    EXPECT_EQ(TwipsToPixels(45, 48), 2);    // 1.5
    EXPECT_EQ(TwipsToPixels(-15, 48), -1);  // -0.5
    EXPECT_EQ(TwipsToPixels(-45, 48), -2);  // -1.5
    EXPECT_EQ(TwipsToPixels(719, 1), 0);    // 0.4993
    EXPECT_EQ(TwipsToPixels(-719, 1), 0);
    EXPECT_EQ(TwipsToPixels(721, 1), 1);  // 0.5007
    EXPECT_EQ(TwipsToPixels(-721, 1), -1);
    EXPECT_EQ(TwipsToPixels(2160, 1), 2);  // 1.5
    EXPECT_EQ(TwipsToPixels(0, 96), 0);
    // A whole page at a high DPI does not overflow the intermediate product.
    EXPECT_EQ(TwipsToPixels(1'000'000, 960), 666'667);  // 666666.67
}

TEST(Twips, ToTwipsRoundsHalvesAwayFromZero) {
    EXPECT_EQ(PixelsToTwips(1, 192), 8);    // 7.5
    EXPECT_EQ(PixelsToTwips(3, 192), 23);   // 22.5
    EXPECT_EQ(PixelsToTwips(-1, 192), -8);  // -7.5
    EXPECT_EQ(PixelsToTwips(-3, 192), -23);
    // An odd DPI has no exact half: 1440 / 97 = 14.85.
    EXPECT_EQ(PixelsToTwips(1, 97), 15);
    EXPECT_EQ(PixelsToTwips(-1, 97), -15);
    EXPECT_EQ(PixelsToTwips(96, 96), 1440);
    // No DPI to divide by: nothing, rather than a fault.
    EXPECT_EQ(PixelsToTwips(10, 0), 0);
    EXPECT_EQ(PixelsToTwips(10, -96), 0);
}

TEST(Twips, AWholeInchRoundTripsAtEveryCommonDpi) {
    for (int dpi : {72, 96, 120, 144, 168, 192, 240, 288, 384}) {
        EXPECT_EQ(TwipsToPixels(1440, dpi), dpi);
        EXPECT_EQ(PixelsToTwips(dpi, dpi), 1440);
        EXPECT_EQ(PixelsToTwips(TwipsToPixels(-2880, dpi), dpi), -2880);
    }
}

}  // namespace
}  // namespace cadencer
