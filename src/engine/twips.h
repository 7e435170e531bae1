// Twips (1440 to the inch), the unit of every designed position and size, and pixels at a
// given DPI. Both directions round to the nearest whole unit, halves away from zero, as the
// platform's MulDiv does.
#pragma once

namespace cadencer {

constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

constexpr int PixelsToTwips(int pixels, int dpi) {
    if (dpi <= 0) return 0;
    const long long scaled = static_cast<long long>(pixels) * 1440;
    return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

}  // namespace cadencer
