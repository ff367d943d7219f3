#include "HVColorPickerGeometry.h"

namespace {

constexpr CGFloat kSwatchSide = 36;

// The origin counters are integers that advance by the truncated spacing, while each
// frame is placed from the untruncated half spacing: the row drifts by fractions of a
// point exactly as the picker always placed it.
CGRect swatchFrame(int x, int y, CGFloat spacing) {
    double left = static_cast<double>(x) + static_cast<double>(spacing) * 0.5 - 18;
    return CGRectMake(static_cast<CGFloat>(left), static_cast<CGFloat>(y), kSwatchSide,
                      kSwatchSide);
}

void layOutPortrait(CGSize bounds, std::size_t count, HVColorPickerLayout& layout) {
    CGFloat spacing = (bounds.width - 40) / 6;
    int x = 20;
    const int y = 370;
    for (std::size_t i = 0; i < count; ++i) {
        layout.swatchFrames.push_back(swatchFrame(x, y, spacing));
        x = static_cast<int>(static_cast<CGFloat>(x) + spacing);
    }
    layout.brightnessSliderFrame = CGRectMake(24, 277, 272, 38);
    layout.alphaSliderFrame = CGRectMake(24, 321, 272, 38);
}

void layOutLandscape(CGSize bounds, std::size_t count, HVColorPickerLayout& layout) {
    const CGFloat spacing = 160.0f / 3;
    int x = 302;
    int y = 140;
    int placed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        layout.swatchFrames.push_back(swatchFrame(x, y, spacing));
        x = static_cast<int>(static_cast<CGFloat>(x) + spacing);
        placed += 1;
        if (placed % 3 == 0) {
            x = 300; // later rows start two points left of the first
            y = static_cast<int>(static_cast<CGFloat>(y) + spacing);
        }
    }
    // The half is a double constant, so the platform works these sums in double, as
    // it does the swatches' places; each frame takes the float nearest the result.
    double middle = static_cast<double>(bounds.height) * 0.5;
    layout.brightnessSliderFrame = CGRectMake(300, static_cast<CGFloat>(middle - 38 - 50), 165, 38);
    layout.alphaSliderFrame = CGRectMake(300, static_cast<CGFloat>(middle + 5 - 50), 165, 38);
}

} // namespace

HVColorPickerLayout HVColorPickerLayoutForBounds(CGSize bounds, std::size_t swatchCount) {
    HVColorPickerLayout layout;
    if (bounds.width < bounds.height) {
        layOutPortrait(bounds, swatchCount, layout);
    } else {
        layOutLandscape(bounds, swatchCount, layout);
    }
    return layout;
}

std::vector<float> HVColorPickerPaletteHues() {
    std::vector<float> hues;
    for (float angle = 0; angle < 360; angle += 60) {
        double radians = angle * 0.017453292519943295;
        hues.push_back(static_cast<float>(radians / 6.283185307179586));
    }
    return hues;
}

std::vector<std::string> HVColorPickerPaletteNames() {
    return {"red", "yellow", "green", "cyan", "blue", "magenta"};
}
