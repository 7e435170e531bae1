// Placement of the numeric entry control's parts inside its rectangle: the text box fills
// the control, or leaves a spinner 240 twips wide at the right edge. Unit-agnostic: the
// model works in twips, the window in pixels with the spinner width converted at its DPI.
#pragma once

namespace cadencer::numberentry {

inline constexpr int kSpinnerWidthTwips = 240;
inline constexpr int kMinHeightTwips = 255;
inline constexpr int kDefaultWidthTwips = 1740;
inline constexpr int kDefaultHeightTwips = 300;

struct PartRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PartRect&, const PartRect&) = default;
};

struct DigitfieldLayout {
    PartRect textBox;
    PartRect spinner;
    bool spinnerVisible = false;  // visible and enabled: both follow UpDownFunction
    friend bool operator==(const DigitfieldLayout&, const DigitfieldLayout&) = default;
};

// The height the control takes when asked for `height`: never below the minimum.
inline int ResizedHeight(int height, int minimumHeight = kMinHeightTwips) {
    return height < minimumHeight ? minimumHeight : height;
}

// PositionControls: with the spinner, it spans the control's height at its right edge and
// the text box takes the rest of the width; without it the text box fills the control.
// A control narrower than the spinner keeps the spinner inside it and an empty text box
// rather than negative sizes.
inline DigitfieldLayout PositionControls(int width, int height, int spinnerWidth, bool upDownFunction) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    DigitfieldLayout layout;
    layout.spinnerVisible = upDownFunction;
    if (upDownFunction) {
        const int left = width > spinnerWidth ? width - spinnerWidth : 0;
        layout.spinner = {left, 0, width - left, height};
        layout.textBox = {0, 0, left, height};
    } else {
        layout.textBox = {0, 0, width, height};
    }
    return layout;
}

}  // namespace cadencer::numberentry
