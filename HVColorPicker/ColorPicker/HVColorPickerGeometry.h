// Where the picker puts its swatches and sliders for a given size, and the preset
// palette: plain computations that the picker and its tests share.
#pragma once

#include <CoreGraphics/CGGeometry.h>

#include <cstddef>
#include <string>
#include <vector>

struct HVColorPickerLayout {
    std::vector<CGRect> swatchFrames;
    CGRect brightnessSliderFrame;
    CGRect alphaSliderFrame;
};

// Portrait when the width is less than the height; landscape otherwise (a square too).
HVColorPickerLayout HVColorPickerLayoutForBounds(CGSize bounds, std::size_t swatchCount);

// The hues of the six presets (red, yellow, green, cyan, blue, magenta), each made
// from its angle in degrees through radians, as the picker always has.
std::vector<float> HVColorPickerPaletteHues();
// What each preset is called, in the hues' order: the palette's own names. (The web's
// name for #00FF00 is "lime"; the palette's third colour is green.)
std::vector<std::string> HVColorPickerPaletteNames();
